#include "app/TFKonfZaloh.h"

#include <QApplication>
#include <filesystem>

#include "app/Nastaveni.h"
#include "app/TForm1.h"

namespace lorvika {

TFKonfZaloh::TFKonfZaloh(TForm1* hlavni) : TFzaklkonfig(hlavni, QStringLiteral("FKonfZaloh")) {
    setWindowTitle(QStringLiteral("Konfigurace - zálohování"));
    setFixedSize(360, 230);
    Label1 = new QLabel(QStringLiteral("Automatického zálohování - zapnutí, vypnutí:"), this);
    Label1->setGeometry(16, 12, 330, 20);
    ChAut = new QCheckBox(QStringLiteral("zálohovat automaticky:"), this);
    ChAut->setObjectName(QStringLiteral("ChAut"));
    ChAut->setLayoutDirection(Qt::RightToLeft);  // the caption stands left of the box
    nastavNapovedu(ChAut, QStringLiteral("zapnutí/vypnutí automatického zálohování databáze"));
    ChAut->setGeometry(32, 38, 200, 22);
    LAnoNe = new QLabel(QStringLiteral("NE"), this);
    LAnoNe->setObjectName(QStringLiteral("LAnoNe"));
    LAnoNe->setGeometry(244, 38, 60, 22);
    QFont tucne = LAnoNe->font();
    tucne.setBold(true);
    LAnoNe->setFont(tucne);
    Label2 = new QLabel(QStringLiteral("Operace - ruční zálohování, použití zálohy:"), this);
    Label2->setGeometry(16, 78, 330, 20);
    ChZal = new QCheckBox(QStringLiteral("zálohuj databázi"), this);
    ChZal->setObjectName(QStringLiteral("ChZal"));
    nastavNapovedu(ChZal, QStringLiteral("provede zálohu databáze"));
    ChZal->setGeometry(32, 104, 250, 22);
    ChPouz = new QCheckBox(QStringLiteral("použij zálohu"), this);
    ChPouz->setObjectName(QStringLiteral("ChPouz"));
    nastavNapovedu(ChPouz, QStringLiteral("přepíše databáze jejich zálohou"));
    ChPouz->setGeometry(32, 130, 250, 22);
    nastavNapovedu(BOK, QStringLiteral("provede vybrané operace"));
    nastavNapovedu(BCancel, QStringLiteral("ukončení"));
    BOK->setGeometry(96, 180, 80, 30);
    BCancel->setGeometry(188, 180, 80, 30);
    BHelp->hide();
    connect(ChAut, &QCheckBox::clicked, this, [this] { ChAutClick(); });
    connect(ChZal, &QCheckBox::clicked, this, [this] { ChZalClick(); });
    connect(ChPouz, &QCheckBox::clicked, this, [this] { ChPouzClick(); });
}

void TFKonfZaloh::FormCreate() {
    TFzaklkonfig::FormCreate();
    std::string adresar = hlavni()->session().adresar();
    if (dbf::Cursor* c = hlavni()->session().TData()) adresar = c->directory();
    std::error_code ec;
    ChPouz->setEnabled(!adresar.empty() &&
                       std::filesystem::exists(std::filesystem::path(adresar) / "zaloha.zip", ec));
    ChAut->setChecked(nastaveni::ctiAnoNe(hlavni()->ini(), "Zaloha", "automat", true));
    ChAutClick();
}

void TFKonfZaloh::ChAutClick() {
    LAnoNe->setText(ChAut->isChecked() ? QStringLiteral("ANO") : QStringLiteral("NE"));
}

void TFKonfZaloh::ChZalClick() {
    if (ChZal->isChecked()) ChPouz->setChecked(false);
}

void TFKonfZaloh::ChPouzClick() {
    if (ChPouz->isChecked()) ChZal->setChecked(false);
}

void TFKonfZaloh::BOKClick() {
    nastaveni::zapisAnoNe(hlavni()->ini(), "Zaloha", "automat", ChAut->isChecked());
    Messages& zpravy = hlavni()->zpravy();
    if (ChZal->isChecked()) {
        if (hlavni()->Zalohuj()) {
            QApplication::beep();
            hlavni()->StavovyText(QStringLiteral("záloha databáze provedena"));
        } else {
            zpravy.zobrazSPipnutim("Došlo k chybě - záloha neprovedena", MsgKind::Warning,
                                   kButtonsOK);
        }
    }
    if (ChPouz->isChecked() &&
        zpravy.zobrazSPipnutim("Opravdu nahradit databázi zálohou?", MsgKind::Confirmation,
                               kButtonsYesNo) == MsgButton::Yes) {
        if (hlavni()->Rozbal()) {
            hlavni()->ObnovaTxt();
            QApplication::beep();
            hlavni()->StavovyText(QStringLiteral("databáze byla nahražena zálohou"));
        } else {
            zpravy.zobrazSPipnutim("Došlo k chybě - nahražení zálohou neprovedeno",
                                   MsgKind::Warning, kButtonsOK);
        }
    }
    accept();
}

}  // namespace lorvika
