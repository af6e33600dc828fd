#include "app/TAMEdit.h"

#include <QKeyEvent>

namespace lorvika {

void TAMEdit::keyPressEvent(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter && keys_.testFlag(ksReturn)) {
        focusNextChild();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Escape && keys_.testFlag(ksEscape)) {
        focusPreviousChild();
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

}  // namespace lorvika
