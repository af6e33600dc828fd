#include "app/TFKonfInternet.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Ovladace.h"
#include "app/TForm1.h"

namespace lorvika {

TFKonfInternet::TFKonfInternet(TForm1* hlavni)
    : TFzaklkonfig(hlavni, QStringLiteral("FKonfInternet")) {
    setWindowTitle(QStringLiteral("Internetové databáze"));
    ChPovoleno = new QCheckBox(QStringLiteral("Povolit vyhledávání na internetu"), this);
    ChPovoleno->setObjectName(QStringLiteral("ChPovoleno"));
    ChAutomaticky = new QCheckBox(QStringLiteral("Vyhledat automaticky po načtení AudioCD"), this);
    ChAutomaticky->setObjectName(QStringLiteral("ChAutomaticky"));
    EMusicBrainz = new QLineEdit(this);
    EMusicBrainz->setObjectName(QStringLiteral("EMusicBrainz"));
    EGnudb = new QLineEdit(this);
    EGnudb->setObjectName(QStringLiteral("EGnudb"));
    connect(ChPovoleno, &QCheckBox::toggled, ChAutomaticky, &QWidget::setEnabled);

    auto* f = new QFormLayout;
    f->addRow(QStringLiteral("Server MusicBrainz:"), EMusicBrainz);
    f->addRow(QStringLiteral("Server gnudb:"), EGnudb);
    BHelp->setVisible(false);
    auto* dole = radaTlacitek({BOK, BCancel});
    auto* l = new QVBoxLayout(this);
    l->addWidget(ChPovoleno);
    l->addWidget(ChAutomaticky);
    l->addLayout(f);
    l->addWidget(new QLabel(QStringLiteral("Odesílá se jen ID disku a jeho obsah (TOC), "
                                           "nic o vás ani o vaší sbírce."),
                            this));
    l->addLayout(dole);
    resize(520, 180);
}

void TFKonfInternet::FormCreate() {
    TFzaklkonfig::FormCreate();
    const online::Settings s = online::readSettings(hlavni()->ini());
    ChPovoleno->setChecked(s.enabled);
    ChAutomaticky->setChecked(s.automatic);
    ChAutomaticky->setEnabled(s.enabled);
    EMusicBrainz->setText(QString::fromStdString(s.musicBrainz));
    EGnudb->setText(QString::fromStdString(s.gnudb));
}

online::Settings TFKonfInternet::nastaveni() const {
    online::Settings s;
    s.enabled = ChPovoleno->isChecked();
    s.automatic = ChAutomaticky->isChecked();
    s.musicBrainz = EMusicBrainz->text().trimmed().toStdString();
    s.gnudb = EGnudb->text().trimmed().toStdString();
    return s;
}

void TFKonfInternet::BOKClick() {
    const online::Settings s = nastaveni();
    for (const std::string& adresa : {s.musicBrainz, s.gnudb}) {
        const QUrl url(QString::fromStdString(adresa), QUrl::StrictMode);
        const bool platna = adresa.empty() || (url.isValid() && !url.host().isEmpty() &&
                                               (url.scheme() == "https" || url.scheme() == "http"));
        if (!platna) {
            hlavni()->zpravy().zobrazSPipnutim("Neplatná adresa serveru: " + adresa,
                                               MsgKind::Warning, kButtonsOK);
            return;
        }
    }
    online::writeSettings(hlavni()->ini(), s);
    accept();
}

}  // namespace lorvika
