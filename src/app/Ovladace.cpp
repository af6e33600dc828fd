#include "app/Ovladace.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

namespace lorvika {

QLineEdit* vstup(QWidget* rodic, const char* jmeno, int delka) {
    auto* e = new QLineEdit(rodic);
    e->setObjectName(QString::fromLatin1(jmeno));
    e->setMaxLength(delka);
    return e;
}

QLineEdit* vystup(QWidget* rodic, const char* jmeno) {
    auto* e = new QLineEdit(rodic);
    e->setObjectName(QString::fromLatin1(jmeno));
    e->setReadOnly(true);
    return e;
}

QComboBox* vyber(QWidget* rodic, const char* jmeno, int delka) {
    auto* c = new QComboBox(rodic);
    c->setObjectName(QString::fromLatin1(jmeno));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setCompleter(nullptr);
    c->lineEdit()->setMaxLength(delka);
    return c;
}

QMenu* podmenu(QMenuBar* lista, const QString& text, const char* jmeno) {
    QMenu* m = lista->addMenu(text);
    m->setObjectName(QString::fromLatin1(jmeno));
    return m;
}

QMenu* podmenu(QMenu* menu, const QString& text, const char* jmeno) {
    QMenu* m = menu->addMenu(text);
    m->setObjectName(QString::fromLatin1(jmeno));
    return m;
}

QAction* polozka(QMenu* menu, const QString& text, const char* jmeno) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(jmeno));
    return a;
}

QWidget* posuvnaPlocha(QWidget* stranka) {
    auto* posuv = new QScrollArea(stranka);
    posuv->setWidgetResizable(true);
    posuv->setFrameShape(QFrame::NoFrame);
    auto* plocha = new QWidget;
    posuv->setWidget(plocha);
    auto* obal = new QVBoxLayout(stranka);
    obal->setContentsMargins(0, 0, 0, 0);
    obal->addWidget(posuv);
    return plocha;
}

void nastavPismoMrizky(QTableView* mrizka, int velikost) {
    if (velikost < 1) return;
    QFont f = mrizka->font();
    f.setPointSize(velikost);
    mrizka->setFont(f);
    mrizka->horizontalHeader()->setFont(f);
}

QHBoxLayout* radaTlacitek(std::initializer_list<QWidget*> tlacitka) {
    auto* rada = new QHBoxLayout;
    rada->addStretch();
    for (QWidget* t : tlacitka) rada->addWidget(t);
    return rada;
}

void rozvrhniOkno(QWidget* okno, QMenuBar* menu, QLayout* horni, QWidget* stred, QLayout* dole) {
    auto* l = new QVBoxLayout(okno);
    l->setMenuBar(menu);
    l->addLayout(horni);
    l->addWidget(stred, 1);
    l->addLayout(dole);
}

}  // namespace lorvika
