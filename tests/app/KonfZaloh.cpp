#include "app/TFKonfZaloh.h"

#include "HlavniOknoTest.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

class KonfZaloh : public test::HlavniOknoFixture {
  protected:
    fs::path zip() const { return dir.home() / "zaloha.zip"; }
    std::size_t pocet() const { return okno->session().TData()->recordCount(); }
    void pridejAlbum(int n) {
        dbf::Cursor& c = *okno->session().TData();
        c.append();
        c.setInteger("CISLO", n);
        c.setText("SN", "SN" + std::to_string(n));
        c.post();
    }
};

TEST_F(KonfZaloh, WithoutAnArchiveRestoreIsDisabledAndTheSwitchShowsItsState) {
    ZapisAnoNe(ini(), "Zaloha", "automat", false);
    spust();
    ASSERT_FALSE(fs::exists(zip())) << "automatic backup is off";
    TFKonfZaloh d(okno.get());
    d.FormCreate();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Konfigurace - zálohování"));
    EXPECT_FALSE(d.ChPouz->isEnabled());
    EXPECT_FALSE(d.ChAut->isChecked());
    EXPECT_EQ(d.LAnoNe->text(), QStringLiteral("NE"));
    d.ChAut->click();
    EXPECT_EQ(d.LAnoNe->text(), QStringLiteral("ANO"));
    d.ChAut->click();
    EXPECT_EQ(d.LAnoNe->text(), QStringLiteral("NE"));
    const struct {
        QCheckBox* box;
        const char* caption;
        const char* hint;
    } controls[] = {
        {d.ChAut, "zálohovat automaticky:", "zapnutí/vypnutí automatického zálohování databáze"},
        {d.ChZal, "zálohuj databázi", "provede zálohu databáze"},
        {d.ChPouz, "použij zálohu", "přepíše databáze jejich zálohou"}};
    for (const auto& c : controls) {
        EXPECT_EQ(c.box->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(c.box->statusTip(), QString::fromUtf8(c.hint));
    }
    EXPECT_EQ(d.BOK->text(), QStringLiteral("OK   "));
    EXPECT_EQ(d.BOK->statusTip(), QStringLiteral("provede vybrané operace"));
    EXPECT_EQ(d.BCancel->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(d.BCancel->statusTip(), QStringLiteral("ukončení"));
}

TEST_F(KonfZaloh, AutomaticBackupAtOpeningAndAtMostOneOperationChosen) {
    spust();
    EXPECT_TRUE(fs::exists(zip())) << "no Zaloha section: automatic backup is on";
    TFKonfZaloh d(okno.get());
    d.FormCreate();
    EXPECT_TRUE(d.ChPouz->isEnabled());
    EXPECT_TRUE(d.ChAut->isChecked());
    EXPECT_EQ(d.LAnoNe->text(), QStringLiteral("ANO"));
    d.ChZal->click();
    d.ChPouz->click();
    EXPECT_FALSE(d.ChZal->isChecked());
    EXPECT_TRUE(d.ChPouz->isChecked());
    d.ChZal->click();
    EXPECT_TRUE(d.ChZal->isChecked());
    EXPECT_FALSE(d.ChPouz->isChecked());
}

TEST_F(KonfZaloh, CancelWritesNothingAndNoToTheRestoreStillStoresTheSwitch) {
    spust();
    {
        TFKonfZaloh d(okno.get());
        d.FormCreate();
        d.ChAut->click();
        d.BCancel->click();
        EXPECT_EQ(CtiText(ini(), "Zaloha", "automat", "missing"), "missing");
    }
    pridejAlbum(7);
    TFKonfZaloh d(okno.get());
    d.FormCreate();
    d.ChAut->click();
    d.ChPouz->click();
    zpravy.expect("Opravdu nahradit databázi zálohou?", MsgKind::Confirmation, kButtonsYesNo,
                  Sound::Question, MsgButton::No);
    d.BOK->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(CtiText(ini(), "Zaloha", "automat", "?"), "0");
    EXPECT_EQ(pocet(), 1u) << "the database is kept";
}

TEST_F(KonfZaloh, BackupByHandThenRestoreBringsTheBackedUpTablesBack) {
    spust();
    pridejAlbum(1);
    {
        TFKonfZaloh d(okno.get());
        d.FormCreate();
        d.ChZal->click();
        d.BOK->click();
    }
    EXPECT_EQ(okno->textPanelu(5), QStringLiteral("záloha databáze provedena"));
    EXPECT_FALSE(okno->panelJeMerak());
    pridejAlbum(2);
    pridejAlbum(3);
    ASSERT_EQ(pocet(), 3u);
    TFKonfZaloh d(okno.get());
    d.FormCreate();
    d.ChPouz->click();
    zpravy.expect("Opravdu nahradit databázi zálohou?", MsgKind::Confirmation, kButtonsYesNo,
                  Sound::Question, MsgButton::Yes);
    d.BOK->click();
    EXPECT_EQ(okno->textPanelu(5), QStringLiteral("databáze byla nahražena zálohou"));
    ASSERT_NE(okno->session().TData(), nullptr) << "the tables are open again";
    EXPECT_EQ(pocet(), 1u);
    // The companion player's text file of the restored album is written again.
    EXPECT_TRUE(fs::exists(dir.home() / "TXT" / "SN1.txt"));
}

TEST_F(KonfZaloh, FailuresAreReportedAndTheTablesReopened) {
    zpravy.expect("Došlo k chybě - záloha neprovedena", MsgKind::Warning, kButtonsOK,
                  Sound::Exclamation, MsgButton::OK);
    zpravy.expect("Opravdu nahradit databázi zálohou?", MsgButton::Yes);
    zpravy.expect("Došlo k chybě - nahražení zálohou neprovedeno", MsgKind::Warning, kButtonsOK,
                  Sound::Exclamation, MsgButton::OK);
    ZapisAnoNe(ini(), "Zaloha", "automat", false);
    spust();
    // A directory in place of the archive: neither packing nor unpacking can work.
    fs::create_directory(zip());
    {
        TFKonfZaloh d(okno.get());
        d.FormCreate();
        d.ChZal->click();
        d.BOK->click();
    }
    EXPECT_NE(okno->session().TData(), nullptr);
    TFKonfZaloh d(okno.get());
    d.FormCreate();
    d.ChPouz->setEnabled(true);
    d.ChPouz->click();
    d.BOK->click();
    EXPECT_NE(okno->session().TData(), nullptr);
    EXPECT_FALSE(okno->panelJeMerak());
}

}  // namespace
}  // namespace lorvika
