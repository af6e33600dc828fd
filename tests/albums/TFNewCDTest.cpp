#include <QHeaderView>
#include <QMdiSubWindow>
#include <QTest>
#include <filesystem>

#include "albums/EditCD.h"
#include "albums/TFNewCD.h"
#include "app/HlavniOknoTest.h"
#include "app/Sdilene.h"
#include "app/TFNavig.h"
#include "disc/DiscIdentity.h"
#include "disc/FakeCdDevice.h"
#include "export/Sonorek.h"
#include "store/Catalogue.h"
#include "store/Ini.h"
#include "support/DiscData.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

using test::tocOf;

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
                // The machine's drive: the default device above reads the same disc.
                if (sMechanikou) dev->drives[kMechanika] = dev->drives[""];
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
    bool sMechanikou = false;
    static constexpr const char* kMechanika = "/dev/sr0";
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
        {f->CBArtist, 50},
        {f->EAlbum, 50},
        {f->CBZanr, 25},
        {f->CBTyp, 25},
        {f->ERok, kDelkaCiselnehoVstupu},
        {f->ECena, kDelkaCiselnehoVstupu},
        {f->CBZeme, 25},
        {f->CBVyd_F, 30},
        {f->EVyd_P, 50},
        {f->EZpev, 50},
        {f->EPopis, 200},
        {f->ESpecial, 50},
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

TEST_F(NoveCDOkno, TextsFromCdTextShowTheirBeginning) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    f->BN->click();
    f->BCDTextClick();
    EXPECT_EQ(f->EAlbum->text(), QStringLiteral("Deska"));
    EXPECT_EQ(f->EAlbum->cursorPosition(), 0);
    EXPECT_EQ(f->CBArtist->lineEdit()->cursorPosition(), 0);
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
    // A price typed in full with a decimal comma; a year that is no number stores nothing.
    QTest::keyClicks(f->ECena, QStringLiteral("199,90"));
    EXPECT_EQ(f->ECena->text(), QStringLiteral("199,90"));
    napis(f->ERok, QStringLiteral("19x9"));
    zpravy.expect(kNeniCislo, MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
    f->BOK->click();
    zpracuj();
    EXPECT_EQ(okno->session().TData()->recordCount(), 0u);
    EXPECT_EQ(f->focusWidget(), f->ERok);
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
    EXPECT_EQ(alba.integer("CENA"), 200);
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
}

// The columns fill the grid as soon as its page is first shown, and keep that after a store
// (which resets the grid) and a second reading.
TEST_F(NoveCDOkno, TrackColumnsFillTheGridWhenShownAndAfterAStore) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    const auto sirky = [f] {
        QList<int> out;
        for (int c = 0; c < ModelSkladeb::PocetSloupcu; ++c) out << f->DBSkladby->columnWidth(c);
        return out;
    };
    const auto zkontroluj = [&](const char* kdy) {
        SCOPED_TRACE(kdy);
        f->PageC->setCurrentIndex(2);
        zpracuj();
        const QList<int> s = sirky();
        EXPECT_EQ(s[ModelSkladeb::Pozice], 45);
        EXPECT_EQ(s[ModelSkladeb::Typ], 100);
        int celkem = 0;
        for (int w : s) celkem += w;
        const int viditelne = f->DBSkladby->viewport()->width();
        EXPECT_LE(celkem, viditelne) << "no column runs past the grid";
        EXPECT_GE(celkem, viditelne - 4) << "the columns fill the grid";
        EXPECT_GT(s[ModelSkladeb::Nazev], s[ModelSkladeb::Interpret]);
        return s;
    };
    f->BN->click();
    const QList<int> poprve = zkontroluj("first shown");
    f->CBKonec->setChecked(false);
    f->BOK->click();
    zpracuj();
    zarizeni->drives[""].disc->toc = tocOf(14);  // another disc of as many tracks
    zarizeni->drives[""].disc->toc.leadOut += 75;
    f->BN->click();
    EXPECT_EQ(zkontroluj("after a store"), poprve);
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

// From the smallest main window to full HD, on every page: each input inside the client area,
// the letters readable, and the drop-down lists tall enough for accented capitals.
TEST_F(NoveCDOkno, EveryInputStaysInsideTheClientAreaAtAnySize) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    f->BN->click();
    zpracuj();
    ASSERT_TRUE(f->PageC->isTabVisible(2));
    const QList<QWidget*> spolecne{f->BOK, f->BCancel, f->BHelp, f->CBKonec, f->PageC->tabBar()};
    for (const QSize velikost : {okno->minimumSize(), QSize(1024, 768), QSize(1920, 1080)}) {
        okno->resize(velikost);
        zpracuj();
        for (int strana = 0; strana < 3; ++strana) {
            SCOPED_TRACE(QStringLiteral("%1x%2 page %3")
                             .arg(velikost.width())
                             .arg(velikost.height())
                             .arg(strana)
                             .toStdString());
            f->PageC->setCurrentIndex(strana);
            zpracuj();
            QList<QWidget*> vstupy = spolecne;
            for (QWidget* w : f->PageC->currentWidget()->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(f) || w->objectName().isEmpty()) continue;
                if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                    qobject_cast<QAbstractButton*>(w) || qobject_cast<QTableView*>(w))
                    vstupy.append(w);
            }
            EXPECT_GT(vstupy.size(), spolecne.size());
            EXPECT_EQ(test::nevidetelne(*okno, vstupy).join(u';').toStdString(), "");
            for (QWidget* w : vstupy) {
                EXPECT_GE(w->font().pointSizeF(), 7.0) << w->objectName().toStdString();
                auto* c = qobject_cast<QComboBox*>(w);
                if (!c) continue;
                if (QLineEdit* e = c->lineEdit()) {
                    EXPECT_GE(e->height(), QFontMetrics(e->font()).height())
                        << c->objectName().toStdString() << " cuts the accents of capitals";
                }
                // Rows of the drop-down list as the delegate centres the text: the accent of a
                // capital must not rise above its row.
                const QFontMetrics fm(c->view()->font());
                for (int i = 0; i < c->count(); ++i) {
                    const int vyska = c->view()->sizeHintForRow(i);
                    const int vrch = (vyska - fm.height()) / 2 + fm.ascent() +
                                     fm.boundingRect(c->itemText(i)).top();
                    EXPECT_GE(vrch, 0) << c->objectName().toStdString() << " "
                                       << c->itemText(i).toStdString() << " row " << vyska;
                }
            }
        }
    }
}

// A machine with a CD drive: the window starts with the drive chosen, so a disc gets the same
// identity (with its medium serial) whether the drive was picked by hand or not.
TEST_F(NoveCDOkno, SameDiscSameIdentityWhicheverWayTheDriveWasChosen) {
    sMechanikou = true;
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    ASSERT_GE(f->DriveCB->count(), 2);
    EXPECT_EQ(f->DriveCB->currentIndex(), 0);
    EXPECT_EQ(f->DriveCB->currentText().toStdString(), std::string("CD ") + kMechanika);
    EXPECT_EQ(zarizeni->element(), kMechanika);
    for (int i = 0; i < f->DriveCB->count(); ++i)
        EXPECT_NE(f->DriveCB->itemText(i), QStringLiteral("/")) << "a file system is no drive";
    const std::string ocekavana = composeIdentity(14, zarizeni->length(), 4242);

    f->BN->click();
    EXPECT_EQ(f->logika().sn(), ocekavana);
    f->DriveCBChange(0);  // chosen by hand
    f->BN->click();
    EXPECT_EQ(f->logika().sn(), ocekavana);

    // The disc goes in only after the window opened: the drive is opened when reading.
    f->zavri();
    zpracuj();
    sMechanikou = true;
    f = otevriNove();
    zarizeni->drives[kMechanika].disc.reset();
    f->DriveCBChange(0);
    EXPECT_FALSE(zarizeni->isOpen());
    zarizeni->drives[kMechanika].disc = zarizeni->drives[""].disc;
    f->BN->click();
    EXPECT_EQ(f->logika().sn(), ocekavana);
}

TEST_F(NoveCDOkno, ChosenImageIsShownByItsFileNameAndTheDialogStartsInItsFolder) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    const fs::path slozka = dir.sub("Obrazy Disku");
    const std::string prvni = (slozka / "Deska.cue").string();
    zarizeni->drives[prvni] = zarizeni->drives[""];
    zarizeni->drives[prvni].canPlay = false;
    QStringList zacatky;
    QString odpoved = QString::fromStdString(prvni);
    f->zeptejSeNaObraz = [&](const QString& start) {
        zacatky << start;
        return odpoved;
    };
    const int obraz = f->DriveCB->count() - 1;
    ASSERT_EQ(f->DriveCB->itemText(obraz).toStdString(), kDiscImageEntry);
    f->DriveCB->setCurrentIndex(obraz);
    f->DriveCBChange(obraz);
    EXPECT_EQ(f->DriveCB->currentText(), QStringLiteral("Deska.cue")) << "not upper-cased";
    EXPECT_EQ(zarizeni->element(), prvni);
    EXPECT_TRUE(zarizeni->isOpen());
    EXPECT_EQ(f->DriveCB->itemText(f->DriveCB->count() - 1).toStdString(), kDiscImageEntry);

    // The next question starts where the last image was; cancelling keeps the image in use.
    odpoved.clear();
    const int novy = f->DriveCB->count() - 1;
    f->DriveCB->setCurrentIndex(novy);
    f->DriveCBChange(novy);
    ASSERT_EQ(zacatky.size(), 2);
    EXPECT_EQ(zacatky[0], QString());
    EXPECT_EQ(zacatky[1].toStdString(), slozka.string());
    EXPECT_EQ(f->DriveCB->currentText(), QStringLiteral("Deska.cue"));
    EXPECT_EQ(zarizeni->element(), prvni);
    f->zavri();
    zpracuj();
    f = otevriNove();
    f->zeptejSeNaObraz = [&](const QString& start) {
        zacatky << start;
        return QString();
    };
    f->DriveCBChange(f->DriveCB->count() - 1);
    EXPECT_EQ(zacatky.back().toStdString(), slozka.string()) << "remembered for the next window";
}

TEST_F(NoveCDOkno, TypedTrackLengthThatIsNoTimeIsRefusedAndTheLengthKept) {
    TFNewCD* f = otevriNove();
    ASSERT_NE(f, nullptr);
    f->BN->click();
    const QModelIndex delka = f->model->index(0, ModelSkladeb::Delka);
    const QString puvodni = f->model->data(delka, Qt::DisplayRole).toString();
    ASSERT_NE(puvodni, QStringLiteral("00:00"));
    for (const char* spatne : {"12", "3:0a", "abc", ":", "3:07:10"}) {
        zpravy.expect(kDelkaNeniCas, MsgKind::Warning, kButtonsOK, Sound::Exclamation,
                      MsgButton::OK);
        EXPECT_FALSE(f->model->setData(delka, QString::fromUtf8(spatne), Qt::EditRole)) << spatne;
        EXPECT_EQ(f->model->data(delka, Qt::DisplayRole).toString(), puvodni) << spatne;
    }
    const struct {
        const char* text;
        const char* ukazano;
    } dobre[] = {{"3:07", "03:07"}, {" 3.7 ", "03:07"}, {"4,05", "04:05"}, {"1:75", "02:15"}};
    for (const auto& d : dobre) {
        EXPECT_TRUE(f->model->setData(delka, QString::fromUtf8(d.text), Qt::EditRole)) << d.text;
        EXPECT_EQ(f->model->data(delka, Qt::DisplayRole).toString(), QString::fromUtf8(d.ukazano));
    }
}

}  // namespace
}  // namespace lorvika
