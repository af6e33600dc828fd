#include <QHeaderView>
#include <QMdiSubWindow>
#include <QTest>
#include <filesystem>

#include "albums/TFNewCD.h"
#include "app/HlavniOknoTest.h"
#include "app/TFNavig.h"
#include "disc/FakeCdDevice.h"
#include "export/Sonorek.h"
#include "store/Catalogue.h"
#include "store/Ini.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

Toc tocOf(int n) {
    Toc toc;
    std::uint32_t adresa = 150;
    for (int i = 1; i <= n; ++i) {
        toc.tracks.push_back({adresa, false});
        adresa += (200 + static_cast<std::uint32_t>(i)) * 75;
    }
    toc.leadOut = adresa + 1;
    return toc;
}

class NoveCDOkno : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        registr.registruj(
            QStringLiteral("FNewCD"), [this](TForm1& h) -> std::unique_ptr<TFVychozi> {
                auto dev = std::make_unique<FakeCdDevice>();
                if (sJednotkou)
                    dev->drives[""] =
                        FakeDrive{DriveType::CdRom, false,
                                  FakeDisc{tocOf(14), 4242, {"Deska", "Skupina", {}}}, "", true};
                zarizeni = dev.get();
                auto f = std::make_unique<TFNewCD>(&h, std::move(dev));
                f->dnes = [] { return QDate(2026, 12, 8); };
                return f;
            });
        spust();
    }

    TFNewCD* otevriNove() {
        auto* f = dynamic_cast<TFNewCD*>(okno->otevriFormular(QStringLiteral("FNewCD")));
        zpracuj();
        return f;
    }

    static void napis(QWidget* w, const QString& text) {
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            c->setCurrentText(text);
        } else {
            static_cast<QLineEdit*>(w)->setText(text);
        }
    }

    FakeCdDevice* zarizeni = nullptr;
    bool sJednotkou = true;
};

TEST_F(NoveCDOkno, OpensWaitingForADiscWithTheControlsLimits) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Nové AudioCD"));
    EXPECT_EQ(f->PageC->currentIndex(), 0);
    EXPECT_TRUE(f->PageC->isTabVisible(0));
    EXPECT_FALSE(f->PageC->isTabVisible(1));
    EXPECT_FALSE(f->PageC->isTabVisible(2));
    EXPECT_TRUE(f->CBKonec->isChecked());
    EXPECT_FALSE(f->BOK->isEnabled());
    EXPECT_EQ(f->velikostFontu(), 10);
    const std::pair<QWidget*, int> delky[] = {
        {f->CBArtist, 50}, {f->EAlbum, 50}, {f->CBZanr, 25},  {f->CBTyp, 25},
        {f->ERok, 4},      {f->ECena, 4},   {f->CBZeme, 25},  {f->CBVyd_F, 30},
        {f->EVyd_P, 50},   {f->EZpev, 50},  {f->EPopis, 200}, {f->ESpecial, 50},
    };
    for (const auto& [w, delka] : delky) {
        auto* c = qobject_cast<QComboBox*>(w);
        QLineEdit* e = c ? c->lineEdit() : static_cast<QLineEdit*>(w);
        EXPECT_EQ(e->maxLength(), delka) << w->objectName().toStdString();
    }
    EXPECT_EQ(f->CBHodnoceni->count(), 7);
    EXPECT_EQ(f->CBHodnoceni->currentText(), QStringLiteral("-"));
    EXPECT_FALSE(f->MVzhled->menuAction()->isVisible());
    // OK before any reading stores nothing.
    f->BOKClick();
    EXPECT_EQ(okno->session().TData()->recordCount(), 0u);
}

TEST_F(NoveCDOkno, FourteenTracksReadTypedAndStored) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    f->CBKonec->setChecked(false);
    f->BN->click();
    ASSERT_TRUE(f->PageC->isTabVisible(1));
    EXPECT_EQ(f->PageC->currentIndex(), 1);
    EXPECT_TRUE(f->BOK->isEnabled());
    EXPECT_TRUE(f->MVzhled->menuAction()->isVisible());
    EXPECT_EQ(f->EPocStop->text(), QStringLiteral("14"));
    const int celkem = f->logika().delka();
    EXPECT_EQ(f->MEDelka->text(), QString::asprintf("%02d:%02d", celkem / 60, celkem % 60));
    ASSERT_EQ(f->model->rowCount(), 14);
    EXPECT_EQ(f->model->index(0, ModelSkladeb::Delka).data().toString(), QStringLiteral("03:21"));

    napis(f->CBArtist, QStringLiteral("čechomor"));
    napis(f->EAlbum, QStringLiteral("Proměny"));
    napis(f->ERok, QStringLiteral("1999"));
    napis(f->CBHodnoceni, QStringLiteral("odpad"));
    EXPECT_TRUE(f->CBHodnoceniChange());
    f->model->setData(f->model->index(0, ModelSkladeb::Nazev), QStringLiteral("Úvod"),
                      Qt::EditRole);
    f->model->setData(f->model->index(1, ModelSkladeb::Delka), QStringLiteral("4:05"),
                      Qt::EditRole);
    f->BCDTextClick();  // fills only the empty album title from CD-TEXT
    EXPECT_EQ(f->CBArtist->currentText(), QStringLiteral("čechomor"));
    EXPECT_EQ(f->EAlbum->text(), QStringLiteral("Proměny"));

    const std::string sn = f->logika().sn();
    f->BOK->click();
    zpracuj();

    dbf::Cursor& alba = *okno->session().TData();
    ASSERT_EQ(alba.recordCount(), 1u);
    ASSERT_TRUE(NajdiCD(1, "cislo", alba));
    EXPECT_EQ(alba.text("ARTIST"), "čechomor");
    EXPECT_EQ(alba.text("ABCDAR"), "č");
    EXPECT_EQ(alba.integer("ROK"), 1999);
    EXPECT_EQ(alba.integer("HODNOC"), 1);
    EXPECT_EQ(alba.integer("PSTOP"), 14);
    EXPECT_EQ(alba.integer("DELKA"), celkem);
    EXPECT_EQ(alba.text("SN"), sn);
    EXPECT_EQ(alba.text("ZMENA"), "8.12.2026");
    std::vector<std::int64_t> delky;
    ProjdiSkladby(*okno->session().TSkladby(), 1,
                  [&](dbf::Cursor& s) { delky.push_back(s.integer("DELKA")); });
    ASSERT_EQ(delky.size(), 14u);
    EXPECT_EQ(delky[0], 201);
    EXPECT_EQ(delky[1], 245);
    EXPECT_TRUE(fs::exists(SouborTxtCD(okno->session().adresarTXT(), sn)));
    EXPECT_EQ(okno->textPanelu(4), QStringLiteral("1"));

    // Without "Ukončit po zadání" the window waits for the next disc with empty inputs.
    EXPECT_TRUE(okno->formulare().contains(f));
    EXPECT_EQ(f->PageC->currentIndex(), 0);
    EXPECT_FALSE(f->PageC->isTabVisible(1));
    EXPECT_FALSE(f->PageC->isTabVisible(2));
    EXPECT_EQ(f->EPocStop->text(), QStringLiteral("1"));
    EXPECT_EQ(f->MEDelka->text(), QStringLiteral("00:00"));
    EXPECT_EQ(f->CBHodnoceni->currentText(), QStringLiteral("-"));
    EXPECT_TRUE(f->EAlbum->text().isEmpty());
    EXPECT_EQ(f->CBArtist->findText(QStringLiteral("čechomor")), 0) << "new artist offered";

    // The same disc again is refused.
    zpravy.expect(kCdJizZapsano);
    f->BN->click();
    EXPECT_FALSE(f->PageC->isTabVisible(1));
}

// Typing: typography turns into its plain form at once, any other character the tables cannot
// hold is refused with a message that names it, and the input keeps what it had.
TEST_F(NoveCDOkno, TypedTextTheTablesCannotHoldIsMappedOrRefused) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    f->BN->click();
    ASSERT_TRUE(f->PageC->isTabVisible(1));
    f->EAlbum->setFocus();
    pis(f->EAlbum, QStringLiteral("„Hej“ – já…"));
    EXPECT_EQ(f->EAlbum->text(), QStringLiteral("\"Hej\" - já..."));
    EXPECT_EQ(f->EAlbum->cursorPosition(), f->EAlbum->text().size());

    zpravy.expect("Znak „★“ (U+2605) nelze do databáze uložit (Album).\rNahraďte ho jiným znakem.",
                  MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
    pis(f->EAlbum, QStringLiteral("★"));
    zpracuj();
    EXPECT_EQ(f->EAlbum->text(), QStringLiteral("\"Hej\" - já..."));
    EXPECT_TRUE(zpravy.scriptDone());

    zpravy.expect(
        "Znak „€“ (U+20AC) nelze do databáze uložit (Interpret).\rNahraďte ho jiným "
        "znakem.");
    f->CBArtist->lineEdit()->setFocus();
    pis(f->CBArtist->lineEdit(), QStringLiteral("AC€"));
    zpracuj();
    EXPECT_EQ(f->CBArtist->currentText(), QStringLiteral("AC"));

    // The track grid refuses the same, and maps the same.
    EXPECT_FALSE(f->model->setData(f->model->index(0, ModelSkladeb::Nazev), QStringLiteral("5 €"),
                                   Qt::EditRole));
    EXPECT_TRUE(f->model->setData(f->model->index(0, ModelSkladeb::Nazev), QStringLiteral("‚Úvod‘"),
                                  Qt::EditRole));
    EXPECT_EQ(f->model->index(0, ModelSkladeb::Nazev).data().toString(), QStringLiteral("'Úvod'"));
}

TEST_F(NoveCDOkno, RatingLooksUpOnlyAsciiLettersWithoutCase) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    const std::tuple<const char*, bool, int> pripady[] = {
        {"odpad", true, 1}, {"GENIÁLNÍ", true, 6}, {"dobré", false, 6},
        {"-", true, 0},     {"xyz", false, 0},
    };
    for (const auto& [text, nalezeno, index] : pripady) {
        f->CBHodnoceni->setCurrentText(QString::fromUtf8(text));
        EXPECT_EQ(f->CBHodnoceniChange(), nalezeno) << text;
        EXPECT_EQ(f->hodnoceni(), index) << text;
    }
}

TEST_F(NoveCDOkno, ClosingAfterStoreRemovesTheWorkTable) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    f->BN->click();
    const fs::path prace = fs::path(okno->cesty().programDir) / "newskladby.DBF";
    EXPECT_TRUE(fs::exists(prace));
    f->BOK->click();
    zpracuj();
    EXPECT_FALSE(okno->formulare().contains(f)) << "Ukončit po zadání closes the window";
    EXPECT_FALSE(fs::exists(prace));
    EXPECT_EQ(okno->session().TData()->recordCount(), 1u);
}

TEST_F(NoveCDOkno, FontSizeMenuAndColumnLayout) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    f->BN->click();
    f->MVTFPlus->trigger();
    f->MVTFPlus->trigger();
    f->MVTFMinus->trigger();
    EXPECT_EQ(f->velikostFontu(), 11);
    EXPECT_EQ(f->DBSkladby->horizontalHeader()->font().pointSize(), 11);
    f->MVTUloz->trigger();
    EXPECT_EQ(CtiCislo(okno->ini(), "FNewCD", "tab_vel_font", 0), 11);

    f->DBSkladby->resize(445, 200);
    f->FormResize();
    EXPECT_EQ(f->DBSkladby->columnWidth(ModelSkladeb::Pozice), 45);
    EXPECT_EQ(f->DBSkladby->columnWidth(ModelSkladeb::Typ), 100);
    EXPECT_EQ(f->DBSkladby->columnWidth(ModelSkladeb::Nazev), 300 * 190 / 300 - 15);
    EXPECT_EQ(f->DBSkladby->columnWidth(ModelSkladeb::Interpret), 300 * 110 / 300 - 15);
}

TEST_F(NoveCDOkno, OpenedByF5AndByTheNavigatorOnce) {
    const int i = okno->JeSpustenForm(QStringLiteral("FNavig"));
    ASSERT_GE(i, 0);
    auto* navigator = qobject_cast<TFNavig*>(okno->formulare()[i]);
    ASSERT_NE(navigator, nullptr);
    navigator->Button1->click();
    zpracuj();
    okno->akce(QStringLiteral("MFFNewCD"))->trigger();
    zpracuj();
    int oken = 0;
    for (TFVychozi* f : okno->formulare()) oken += qobject_cast<TFNewCD*>(f) ? 1 : 0;
    EXPECT_EQ(oken, 1);
}

TEST_F(NoveCDOkno, CombosFromTheCatalogueAndSelectionListsAgainAfterRefreshTwo) {
    ZapisText(ini(), "typ_skladba", "1", "live");
    ZapisText(ini(), "zanr", "1", "Jazz");
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->vyberTypu->seznam, QStringList{QStringLiteral("live")});
    EXPECT_NE(f->CBZanr->findText(QStringLiteral("Jazz")), -1);
    f->CBZanr->setCurrentText(QStringLiteral("psáno"));

    ZapisText(ini(), "zanr", "2", "Blues");
    okno->ObnovaFormularu(2);
    okno->AktivujAktivni();
    zpracuj();
    EXPECT_NE(f->CBZanr->findText(QStringLiteral("Blues")), -1);
    EXPECT_EQ(f->CBZanr->currentText(), QStringLiteral("psáno")) << "typed text survives";
}

TEST_F(NoveCDOkno, GridKeysAddAndDeleteRows) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    f->BN->click();
    f->PageC->setCurrentIndex(2);
    f->DBSkladby->setFocus();
    QTest::keyClick(f->DBSkladby, Qt::Key_Insert);
    ASSERT_EQ(f->model->rowCount(), 15);
    EXPECT_EQ(f->model->index(14, ModelSkladeb::Pozice).data().toString(), QStringLiteral("15"));
    // Left empty, the added row goes away again; with a title it stays.
    f->DBSkladby->setCurrentIndex(f->model->index(3, ModelSkladeb::Nazev));
    zpracuj();
    ASSERT_EQ(f->model->rowCount(), 14);
    EXPECT_EQ(f->DBSkladby->currentIndex().row(), 3);
    EXPECT_EQ(f->model->headerData(3, Qt::Vertical, Qt::DisplayRole).toString(),
              QStringLiteral("▶"));
    EXPECT_TRUE(f->model->headerData(2, Qt::Vertical, Qt::DisplayRole).toString().isEmpty());
    QTest::keyClick(f->DBSkladby, Qt::Key_Insert);
    f->model->setData(f->model->index(14, ModelSkladeb::Nazev), QStringLiteral("Přídavek"),
                      Qt::EditRole);
    f->DBSkladby->setCurrentIndex(f->model->index(0, ModelSkladeb::Nazev));
    zpracuj();
    ASSERT_EQ(f->model->rowCount(), 15);
    QTest::keyClick(f->DBSkladby, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(f->model->rowCount(), 14);
    EXPECT_EQ(f->model->index(0, ModelSkladeb::Pozice).data().toString(), QStringLiteral("2"));
    // A position that is no number is refused and the row keeps its own.
    EXPECT_FALSE(f->model->setData(f->model->index(0, ModelSkladeb::Pozice), QStringLiteral("x"),
                                   Qt::EditRole));
    EXPECT_EQ(f->model->index(0, ModelSkladeb::Pozice).data().toString(), QStringLiteral("2"));
    f->CBKonec->setChecked(false);
    f->BOK->click();
    EXPECT_EQ(okno->session().TSkladby()->recordCount(), 14u);
    bool pridavek = false;
    dbf::Cursor& s = *okno->session().TSkladby();
    for (s.first(); !s.eof(); s.next())
        if (s.text("NAME") == "Přídavek") pridavek = s.integer("CISLO") == 15;
    EXPECT_TRUE(pridavek);
}

TEST_F(NoveCDOkno, DefaultDriveOpensWithTheWindowAndAMissingOneIsReported) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(zarizeni->isOpen());
    EXPECT_EQ(zarizeni->element(), "");
    f->zavri();
    zpracuj();

    sJednotkou = false;
    f = otevriNove();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(zarizeni->isOpen());
    zpravy.expect(kNoDeviceOpen);
    f->BN->click();
    EXPECT_FALSE(f->PageC->isTabVisible(1));
    EXPECT_FALSE(f->BOK->isEnabled());
}

}  // namespace
}  // namespace lorvika
