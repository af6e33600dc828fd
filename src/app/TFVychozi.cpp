#include "app/TFVychozi.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiSubWindow>

#include "app/QtSluzby.h"
#include "app/Sdilene.h"
#include "app/SluzbyFormularu.h"
#include "app/TForm1.h"

namespace lorvika {

void nastavNapovedu(QWidget* w, const QString& hint) {
    w->setToolTip(kratkaNapoveda(hint));
    w->setStatusTip(dlouhaNapoveda(hint));
}

QAction* novaAkce(QObject* vlastnik, const QString& caption, const QString& name,
                  const QString& hint, const QKeySequence& key, Qt::ShortcutContext kontext) {
    auto* a = new QAction(caption, vlastnik);
    a->setObjectName(name);
    a->setStatusTip(hint);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(kontext);
    }
    return a;
}

TFVychozi::TFVychozi(TForm1* hlavni, const QString& jmeno, QWidget* parent)
    : QDialog(parent), hlavni_(hlavni) {
    setObjectName(jmeno);
    BOK = new QPushButton(QStringLiteral("OK   "), this);
    BOK->setObjectName(QStringLiteral("BOK"));
    BOK->setDefault(true);
    BCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    nastavNapovedu(BCancel, QStringLiteral("|ukončení"));
    BHelp = new QPushButton(QStringLiteral("Co je to.."), this);
    BHelp->setObjectName(QStringLiteral("BHelp"));
    BHelp->setProperty("helpContext", 99901);
    nastavNapovedu(BHelp, QStringLiteral("|tlačítko pro získání nápovědy o vybraném objektu"));
    connect(BOK, &QPushButton::clicked, this, [this] { BOKClick(); });
    connect(BCancel, &QPushButton::clicked, this, [this] { BCancelClick(); });
    connect(BHelp, &QPushButton::clicked, this, [this] { BHelpClick(); });
}

TFVychozi::~TFVychozi() = default;

QMdiSubWindow* TFVychozi::okno() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void TFVychozi::zavri() {
    if (QMdiSubWindow* o = okno())
        o->close();
    else
        QDialog::reject();
}

void TFVychozi::BHelpClick() {
    hlavni_->zpravy().zobraz("Zatím není hotové", MsgKind::Information, kButtonsOK);
}

// Esc presses the cancel button, as in every form of the program.
void TFVychozi::reject() {
    if (okno())
        BCancelClick();
    else
        QDialog::reject();
}

void TFVychozi::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    VysokeRadkySeznamu(this);
}

void TFVychozi::closeEvent(QCloseEvent* e) {
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    if (okno()) {
        FormClose();
        e->accept();
        return;
    }
    FormClose();
    QDialog::closeEvent(e);
}

TFzaklkonfig::TFzaklkonfig(TForm1* hlavni, const QString& jmeno, QWidget* parent)
    : TFVychozi(hlavni, jmeno, parent ? parent : hlavni) {
    setWindowTitle(QStringLiteral("Konfigurace"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
}

void TFzaklkonfig::FormCreate() {
    adjustSize();
    if (hlavni()) move(stredNaOkne(hlavni()->frameGeometry(), frameGeometry().size()));
}

}  // namespace lorvika
