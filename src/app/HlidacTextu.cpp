#include "app/HlidacTextu.h"

#include <QPointer>
#include <QTimer>

#include "store/Catalogue.h"

namespace lorvika {

HlidacTextu::HlidacTextu(QString pole, QObject* parent)
    : QValidator(parent), pole_(std::move(pole)) {}

QValidator::State HlidacTextu::validate(QString& input, int& pos) const {
    const KontrolaTextu k = ZkontrolujText(input.toStdString(), pole_.toStdString());
    if (!k.ok()) {
        chyba_ = QString::fromStdString(k.chyba);
        return Invalid;
    }
    chyba_.clear();
    const QString mapped = QString::fromStdString(k.text);
    if (mapped != input) {
        // The cursor stays behind the same character: its prefix is mapped the same way.
        const QString pred =
            QString::fromStdString(ZkontrolujText(input.left(pos).toStdString()).text);
        input = mapped;
        pos = static_cast<int>(pred.size());
    }
    return Acceptable;
}

HlidacTextu* HlidejText(QLineEdit* vstup, const QString& pole, Messages& zpravy) {
    auto* hlidac = new HlidacTextu(pole, vstup);
    vstup->setValidator(hlidac);
    QObject::connect(vstup, &QLineEdit::inputRejected, hlidac, [hlidac, &zpravy] {
        const QString chyba = hlidac->chyba();
        if (chyba.isEmpty()) return;
        // Shown after the edit has finished, not from inside the input's own handling.
        QTimer::singleShot(0, hlidac, [chyba, &zpravy] {
            zpravy.zobrazSPipnutim(chyba.toStdString(), MsgKind::Warning, kButtonsOK);
        });
    });
    return hlidac;
}

HlidacTextu* HlidejText(QComboBox* vstup, const QString& pole, Messages& zpravy) {
    return HlidejText(vstup->lineEdit(), pole, zpravy);
}

QWidget* HlidanyDelegat::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* e = qobject_cast<QLineEdit*>(editor)) {
        const QString pole =
            index.model()->headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString();
        HlidejText(e, pole, zpravy_);
    }
    return editor;
}

}  // namespace lorvika
