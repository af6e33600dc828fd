#include <QApplication>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "albums/TFEditCD.h"
#include "albums/TFVyberCD.h"
#include "albums/VolbaJednotky.h"
#include "app/HlavniOknoTest.h"
#include "disc/FakeCdDevice.h"
#include "disc/Readout.h"
#include "export/Sonorek.h"
#include "store/Catalogue.h"
#include "store/ZmenaAlba.h"
#include "store/dbf/DbfTestSupport.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Transaction.h"
#include "support/DiscData.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

using test::tocOf;

class EditaceOkno : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        registrujFormulare({"FViewCD"});
        registr.registruj(QStringLiteral("FEditCD"),
                          [this](TForm1& h) -> std::unique_ptr<TFVychozi> {
                              auto f = std::make_unique<TFEditCD>(&h);
                              f->dnes = [] { return QDate(2026, 12, 8); };
                              f->novyPrehravac = [this] {
                                  auto dev = std::make_unique<FakeCdDevice>();
                                  dev->drives = mechaniky;
                                  zarizeni = dev.get();
                                  return dev;
                              };
                              f->jednotky = [] {
                                  return std::vector<DriveEntry>{
                                      {DriveEntry::Kind::CdDrive, "/dev/cdrom", "/dev/cdrom"},
                                      {DriveEntry::Kind::FileSystem, "/", "/"}};
                              };
                              return f;
                          });
        spust();
        dbf::Cursor& alba = *okno->session().TData();
        dbf::Cursor& skladby = *okno->session().TSkladby();
        const struct {
            int cislo;
            const char* artist;
            const char* zanr;
        } data[] = {{1, "Alfa", "rock"}, {2, "Beta", "česká"}};
        for (const auto& d : data) {
            alba.append();
            alba.setInteger("CISLO", d.cislo);
            alba.setText("ARTIST", d.artist);
            alba.setText("ALBUM", std::string("Deska ") + d.artist);
            alba.setText("ZANR", d.zanr);
            alba.setText("SN", "SN-" + std::to_string(d.cislo));
            alba.setInteger("PSTOP", 3);
            alba.setInteger("DELKA", 201 + 202 + 203);
            alba.post();
            for (int t = 1; t <= 3; ++t) {
                skladby.append();
                skladby.setInteger("CD", d.cislo);
                skladby.setInteger("CISLO", t);
                skladby.setText("NAME", "skladba " + std::to_string(t));
                skladby.setInteger("DELKA", 200 + t);
                skladby.post();
            }
        }
        mechaniky["/dev/cdrom"] =
            FakeDrive{DriveType::CdRom, false, FakeDisc{tocOf(3), 77, {}}, "", true};
        mechaniky["/"] = FakeDrive{DriveType::Fixed, false, std::nullopt, "", true};
    }

    TFEditCD* otevriEditaci() {
        okno->akce(QStringLiteral("MFFEditCD"))->trigger();
        zpracuj();
        return dynamic_cast<TFEditCD*>(okno->aktivniFormular());
    }

    // Runs the disc choice; inDialogu acts on the open dialog, which then gets OK.
    void prirad(TFEditCD* f, const std::function<void(TFVyberCD&)>& vDialogu = {}) {
        bool videno = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TFVyberCD*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            videno = true;
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Výběr AudioCD"));
            EXPECT_FALSE(d->BHelp->isVisible());
            if (vDialogu) vDialogu(*d);
            d->BOK->click();
        });
        f->MRPriradClick();
        EXPECT_TRUE(videno);
    }

    std::map<std::string, FakeDrive> mechaniky;
    FakeCdDevice* zarizeni = nullptr;
};

TEST_F(EditaceOkno, OpensWithF4OnTheFirstAlbumWithItsPagesAndMenus) {
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Editace AudioCD"));
    EXPECT_EQ(f->PageC->tabText(0), QStringLiteral("Data"));
    EXPECT_EQ(f->PageC->tabText(1), QStringLiteral("Skladby"));
    EXPECT_EQ(f->PageC->currentIndex(), 0);
    EXPECT_EQ(f->EArtist->text(), QStringLiteral("Alfa"));
    EXPECT_EQ(f->CBZanr->currentText(), QStringLiteral("rock"));
    EXPECT_EQ(f->EPocStop->text(), QStringLiteral("3"));
    EXPECT_EQ(f->MEDelka->text(), QStringLiteral("10:06"));
    EXPECT_EQ(f->DTPZmena->date(), QDate(1899, 12, 31));
    EXPECT_EQ(f->CBHodnoceni->currentText(), QStringLiteral("-"));
    EXPECT_EQ(f->velikostFontu(), 9);
    const std::pair<QWidget*, int> delky[] = {
        {f->EArtist, 50},
        {f->EAlbum, 50},
        {f->CBZanr, 25},
        {f->CBTyp, 25},
        {f->ERok, kDelkaCiselnehoVstupu},
        {f->ECena, kDelkaCiselnehoVstupu},
        {f->CBZeme, 25},
        {f->CBVyd_F, 30},
        {f->EVyd_P, 50},
        {f->EPopis, 200},
    };
    for (const auto& [w, delka] : delky) {
        auto* c = qobject_cast<QComboBox*>(w);
        QLineEdit* e = c ? c->lineEdit() : static_cast<QLineEdit*>(w);
        EXPECT_EQ(e->maxLength(), delka) << w->objectName().toStdString();
    }
    ASSERT_EQ(f->model->rowCount(), 3);
    EXPECT_EQ(f->model->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Umělec/popis"));
    EXPECT_EQ(f->model->index(0, ModelSkladeb::Delka).data().toString(), QStringLiteral("03:21"));
    EXPECT_TRUE(fs::exists(dir.home() / "editskladby.DBF"));

    // The track submenus and the font menu belong to the track page; Ctrl+PgDn goes round.
    EXPECT_FALSE(f->MENazev->isEnabled());
    EXPECT_FALSE(f->MVzhled->menuAction()->isVisible());
    f->PMPageNextClick();
    EXPECT_EQ(f->PageC->currentIndex(), 1);
    EXPECT_TRUE(f->MENazev->isEnabled());
    EXPECT_TRUE(f->MEUmelec->isEnabled());
    EXPECT_TRUE(f->MVzhled->menuAction()->isVisible());
    f->PMPageNextClick();
    EXPECT_EQ(f->PageC->currentIndex(), 0);
    f->PMPagePriorClick();
    EXPECT_EQ(f->PageC->currentIndex(), 1);

    // Column widths: w * (grid width - 25) / 515.
    f->okno()->resize(900, 600);
    zpracuj();
    const int sirka = f->DBSkladby->width() - 25;
    EXPECT_EQ(f->DBSkladby->columnWidth(1), 230 * sirka / 515);
    EXPECT_EQ(f->DBSkladby->columnWidth(4), 55 * sirka / 515);

    // Closing deletes the work table.
    f->zavri();
    zpracuj();
    EXPECT_FALSE(fs::exists(dir.home() / "editskladby.DBF"));
    EXPECT_FALSE(fs::exists(dir.home() / "editskladby.mdx"));
}

TEST_F(EditaceOkno, PublisherInViewWithoutScrollingAtEverySize) {
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    for (const QSize velikost : {okno->minimumSize(), QSize(1600, 1000)}) {
        okno->resize(velikost);
        zpracuj();
        EXPECT_EQ(test::nevidetelne(*okno, {f->GBVydavatel, f->CBVyd_F, f->EVyd_P, f->EPopis,
                                            f->DTPZmena, f->BOK})
                      .join(u';')
                      .toStdString(),
                  "")
            << velikost.width() << "x" << velikost.height();
    }
}

TEST_F(EditaceOkno, AnEmptyCatalogueSaysSoDisablesTheInputsAndMakesNoWorkTable) {
    dbf::Cursor& c = *okno->session().TData();
    for (c.first(); !c.isEmpty(); c.first()) c.remove();
    zpravy.expect("V databázi není žádné AudioCD k editaci.");
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->PageC->isEnabled());
    EXPECT_FALSE(f->BOK->isEnabled());
    EXPECT_FALSE(f->MEditace->menuAction()->isEnabled());
    f->BOKClick();
    f->zavri();
    zpracuj();
    EXPECT_FALSE(fs::exists(dir.home() / "editskladby.DBF"));
}

TEST_F(EditaceOkno, SavesWhatWasTypedAndOtherWindowsRefreshLater) {
    auto* jine = otevri("FViewCD");
    ASSERT_NE(jine, nullptr);
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    f->CBZanr->setCurrentText(QStringLiteral("ROCK"));
    zpravy.expect(kZadnaZmena);
    f->BOKClick();

    f->CBZanr->setCurrentText(QStringLiteral("Rock & roll"));
    QTest::keyClick(f->EAlbum, Qt::Key_End);
    QTest::keyClicks(f->EAlbum, QStringLiteral(" II"));
    f->ERok->clear();
    f->ERok->setModified(true);
    zpravy.expect(kZapsatZmeny, MsgButton::Yes);
    f->BOK->click();
    zpracuj();
    dbf::Cursor& alba = *okno->session().TData();
    ASSERT_TRUE(NajdiCD(1, "cislo", alba));
    EXPECT_EQ(alba.text("ALBUM"), "Deska Alfa II");
    EXPECT_EQ(alba.text("ZANR"), "Rock & roll");
    EXPECT_TRUE(alba.isNull("ROK"));
    EXPECT_EQ(alba.text("ZMENA"), "8.12.2026");
    EXPECT_EQ(f->DTPZmena->date(), QDate(2026, 12, 8));
    EXPECT_FALSE(f->EAlbum->isModified());
    EXPECT_EQ(jine->obnova, 1);
    EXPECT_EQ(f->obnova, 0);
    EXPECT_GE(f->CBZanr->findText(QStringLiteral("Rock & roll")), 0) << "the combos refill";
}

TEST_F(EditaceOkno, NavigationAndARefreshFromElsewhereDropUnsavedChanges) {
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    QTest::keyClicks(f->EAlbum, QStringLiteral("xyz"));
    f->Speed3->click();
    EXPECT_EQ(f->EArtist->text(), QStringLiteral("Beta"));
    EXPECT_FALSE(f->BylaZmena());
    f->Speed1->click();
    EXPECT_EQ(f->EAlbum->text(), QStringLiteral("Deska Alfa"));

    QTest::keyClicks(f->EAlbum, QStringLiteral("xyz"));
    f->obnova = 1;
    f->FormActivate();
    EXPECT_EQ(f->EAlbum->text(), QStringLiteral("Deska Alfa"));
    EXPECT_FALSE(f->BylaZmena());
    EXPECT_TRUE(okno->textPanelu(5).isEmpty());
}

TEST_F(EditaceOkno, RefreshedListsSortAndReopenedTablesKeepWhatWasTyped) {
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    QTest::keyClicks(f->EAlbum, QStringLiteral("xyz"));
    const auto zustalo = [&](const char* krok) {
        EXPECT_EQ(f->EAlbum->text(), QStringLiteral("xyzDeska Alfa")) << krok;
        EXPECT_TRUE(f->BylaZmena()) << krok;
    };
    f->obnova = 2;
    f->FormActivate();
    zustalo("lists saved");
    f->nastavTag(QStringLiteral("album"));
    zustalo("sort");
    okno->ZavriOtevriTabulky(true, 0);
    okno->ZavriOtevriTabulky(false, 0);
    zustalo("reopened");
}

TEST_F(EditaceOkno, CellEditorsAndAnEmptyAddedRowAreNoChange) {
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    f->PageC->setCurrentIndex(1);
    for (int sloupec : {ModelSkladeb::Pozice, ModelSkladeb::Nazev, ModelSkladeb::Delka}) {
        const QModelIndex i = f->model->index(0, sloupec);
        EXPECT_TRUE(f->model->setData(i, i.data(Qt::EditRole), Qt::EditRole));
    }
    EXPECT_TRUE(f->model->setData(f->model->index(0, ModelSkladeb::Delka), QStringLiteral("3:21"),
                                  Qt::EditRole));
    EXPECT_FALSE(f->BylaZmena());
    f->DBSkladby->setCurrentIndex(f->model->index(1, ModelSkladeb::Nazev));
    QTest::keyClick(f->DBSkladby, Qt::Key_Insert);
    ASSERT_EQ(f->model->rowCount(), 4);
    f->DBSkladby->setCurrentIndex(f->model->index(0, ModelSkladeb::Nazev));
    zpracuj();
    EXPECT_EQ(f->model->rowCount(), 3);
    EXPECT_FALSE(f->BylaZmena());
    QTest::keyClick(f->DBSkladby, Qt::Key_Insert);
    zpravy.expect(kZadnaZmena);
    f->BOKClick();
    EXPECT_EQ(f->model->rowCount(), 3);
}

TEST_F(EditaceOkno, GridRefusesALengthThatIsNoTimeAndAsksBeforeDeleting) {
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    f->PageC->setCurrentIndex(1);
    const QModelIndex delka = f->model->index(1, ModelSkladeb::Delka);
    zpravy.expect(kDelkaNeniCas);
    EXPECT_FALSE(f->model->setData(delka, QStringLiteral("4 min"), Qt::EditRole));
    EXPECT_EQ(delka.data().toString(), QStringLiteral("03:22"));
    EXPECT_FALSE(f->BylaZmena());
    EXPECT_TRUE(f->model->setData(delka, QStringLiteral("4:05"), Qt::EditRole));
    EXPECT_TRUE(f->BylaZmena());

    f->DBSkladby->setCurrentIndex(f->model->index(0, 1));
    zpravy.expect("Smazat záznam?", MsgButton::No);
    QTest::keyClick(f->DBSkladby, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(f->model->rowCount(), 3);
    zpravy.expect("Smazat záznam?", MsgButton::Yes);
    QTest::keyClick(f->DBSkladby, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(f->model->rowCount(), 2);

    // A row added and left empty is dropped on OK; the deletion is saved, PSTOP stays.
    QTest::keyClick(f->DBSkladby, Qt::Key_Insert);
    EXPECT_EQ(f->model->rowCount(), 3);
    zpravy.expect(kZapsatZmeny, MsgButton::Yes);
    f->BOKClick();
    std::vector<std::int64_t> pozice;
    ProjdiSkladby(*okno->session().TSkladby(), 1,
                  [&](dbf::Cursor& s) { pozice.push_back(s.integer("CISLO")); });
    EXPECT_EQ(pozice, (std::vector<std::int64_t>{2, 3}));
    dbf::Cursor& alba = *okno->session().TData();
    ASSERT_TRUE(NajdiCD(1, "cislo", alba));
    EXPECT_EQ(alba.integer("PSTOP"), 3);
    EXPECT_TRUE(okno->session().cekaKomprese());
}

// What the tables cannot hold is refused where it is typed, in the inputs and in the grid's
// editors; typography becomes its plain form.
TEST_F(EditaceOkno, TypedTextTheTablesCannotHoldIsMappedOrRefused) {
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    f->EArtist->clear();
    f->EArtist->setFocus();
    zpravy.expect(
        "Znak „€“ (U+20AC) nelze do databáze uložit (Interpret).\rNahraďte ho jiným znakem.",
        MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
    pis(f->EArtist, QStringLiteral("AC–DC €uro"));
    zpracuj();
    EXPECT_TRUE(zpravy.scriptDone());
    EXPECT_EQ(f->EArtist->text(), QStringLiteral("AC-DC uro"));
    EXPECT_TRUE(f->EArtist->isModified());

    zpravy.expect(
        "Znak „★“ (U+2605) nelze do databáze uložit (Vydavatel - firma).\rNahraďte ho "
        "jiným znakem.");
    f->CBVyd_F->lineEdit()->setFocus();
    pis(f->CBVyd_F->lineEdit(), QStringLiteral("„A★“"));
    zpracuj();
    EXPECT_EQ(f->CBVyd_F->currentText(), QStringLiteral("\"A\""));

    f->PageC->setCurrentIndex(1);
    const std::pair<int, const char*> sloupce[] = {{ModelSkladeb::Nazev, "Název"},
                                                   {ModelSkladeb::Interpret, "Umělec/popis"},
                                                   {ModelSkladeb::Typ, "Typ"}};
    for (const auto& [sloupec, pole] : sloupce) {
        const QModelIndex bunka = f->model->index(1, sloupec);
        f->DBSkladby->setCurrentIndex(bunka);
        f->DBSkladby->edit(bunka);
        zpracuj();
        QWidget* fokus = QApplication::focusWidget();
        auto* combo = qobject_cast<QComboBox*>(fokus);
        auto* editor = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(fokus);
        ASSERT_NE(editor, nullptr) << pole;
        editor->clear();
        zpravy.expect("Znak „★“ (U+2605) nelze do databáze uložit (" + std::string(pole) +
                      ").\rNahraďte ho jiným znakem.");
        pis(editor, QStringLiteral("‚x★‘"));
        zpracuj();
        EXPECT_TRUE(zpravy.scriptDone()) << pole;
        QTest::keyClick(editor, Qt::Key_Return);
        zpracuj();
        EXPECT_EQ(bunka.data().toString(), QStringLiteral("'x'")) << pole;
    }
    zpravy.expect(kZapsatZmeny, MsgButton::Yes);
    f->BOKClick();
    dbf::Cursor& alba = *okno->session().TData();
    ASSERT_TRUE(NajdiCD(1, "cislo", alba));
    EXPECT_EQ(alba.text("ARTIST"), "AC-DC uro");
    EXPECT_EQ(alba.text("VYD_F"), "\"A\"");
}

TEST_F(EditaceOkno, CapitalsForEveryNameAndForOneCell) {
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    f->PageC->setCurrentIndex(1);
    f->model->setData(f->model->index(0, 1), QStringLiteral("čtvrť ůžasná"), Qt::EditRole);
    f->MENVseVelkeClick();
    EXPECT_EQ(f->model->index(0, 1).data().toString(), QStringLiteral("ČTVRŤ ŮŽASNÁ"));
    EXPECT_EQ(f->model->index(2, 1).data().toString(), QStringLiteral("SKLADBA 3"));
    f->DBSkladby->setCurrentIndex(f->model->index(1, 1));
    f->prevedVyber(-1, f->DBSkladby);
    EXPECT_EQ(f->model->index(1, 1).data().toString(), QStringLiteral("skladba 2"));

    // In an input only the selection changes, and the input counts as modified.
    f->EZpev->setText(QStringLiteral("žluťoučký kůň"));
    f->EZpev->setModified(false);
    f->EZpev->setSelection(0, 9);
    f->prevedVyber(1, f->EZpev);
    EXPECT_EQ(f->EZpev->text(), QStringLiteral("ŽLUŤOUČKÝ kůň"));
    f->CBZeme->setCurrentText(QStringLiteral("ČESKO"));
    f->CBZeme->lineEdit()->selectAll();
    f->prevedVyber(-1, f->CBZeme);
    EXPECT_EQ(f->CBZeme->currentText(), QStringLiteral("česko"));
    zpravy.expect(kZapsatZmeny, MsgButton::Yes);
    f->BOKClick();
    std::vector<std::string> nazvy;
    ProjdiSkladby(*okno->session().TSkladby(), 1,
                  [&](dbf::Cursor& s) { nazvy.push_back(s.text("NAME")); });
    ASSERT_EQ(nazvy.size(), 3u);
    EXPECT_EQ(nazvy[0], "ČTVRŤ ŮŽASNÁ");
    EXPECT_EQ(nazvy[1], "skladba 2");
    EXPECT_EQ(nazvy[2], "SKLADBA 3");
    dbf::Cursor& alba = *okno->session().TData();
    ASSERT_TRUE(NajdiCD(1, "cislo", alba));
    EXPECT_EQ(alba.text("ZPEV"), "ŽLUŤOUČKÝ kůň");
    EXPECT_EQ(alba.text("ZEME"), "česko");
}

TEST_F(EditaceOkno, DiscChoiceWithTheScriptedDrive) {
    TFEditCD* f = otevriEditaci();
    ASSERT_NE(f, nullptr);
    // A hard disk: the device is not open, OK reports it and assigns nothing.
    zpravy.expect(kNoDeviceOpen, MsgKind::Error, kButtonsOK, Sound::CriticalStop, MsgButton::OK);
    prirad(f, [](TFVyberCD& d) {
        d.DriveCB->setCurrentIndex(1);
        d.DriveCBChange(1);
    });
    EXPECT_FALSE(f->BylaZmena());
    // The door opened after the drive was chosen.
    zpravy.expect(kNoAudioCd);
    prirad(f, [this](TFVyberCD&) { zarizeni->drives["/dev/cdrom"].doorOpen = true; });
    EXPECT_FALSE(f->BylaZmena());
    // Cancel: nothing, no message.
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<TFVyberCD*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->BCancel->click();
    });
    f->MRPriradClick();
    EXPECT_FALSE(f->BylaZmena());

    // The disc in the drive has the album's track count and length: assigned at once, and
    // the save stores its identity and renames the player file.
    prirad(f);
    EXPECT_TRUE(f->BylaZmena());
    zpravy.expect(kZapsatZmeny, MsgButton::Yes);
    f->BOKClick();
    dbf::Cursor& alba = *okno->session().TData();
    ASSERT_TRUE(NajdiCD(1, "cislo", alba));
    const std::string sn = alba.text("SN");
    EXPECT_NE(sn, "SN-1");
    EXPECT_TRUE(fs::exists(fs::path(okno->session().adresarTXT()) / (sn + ".txt")));
    EXPECT_FALSE(fs::exists(fs::path(okno->session().adresarTXT()) / "SN-1.txt"));
    // Now the same disc is the album's own.
    zpravy.expect(kJizPrirazeno);
    prirad(f);
}

// The disc choice shows its entries as named (no upper case), a chosen image by its file name,
// reopens that image without asking and starts the next question in the image's folder.
TEST_F(EditaceOkno, DiscChoiceKeepsEntryNamesAndShowsAChosenImageByName) {
    const fs::path slozka = dir.sub("Obrazy Disku");
    const std::string obraz = (slozka / "Živě v Praze.cue").string();
    auto dev = std::make_unique<FakeCdDevice>();
    dev->drives = mechaniky;
    dev->drives[obraz] = dev->drives["/dev/cdrom"];
    FakeCdDevice& zar = *dev;
    TFVyberCD d(okno.get(), std::move(dev),
                {{DriveEntry::Kind::CdDrive, "/dev/cdrom", "CD Mechanika"},
                 {DriveEntry::Kind::Image, "", kDiscImageEntry}});
    d.FormCreate();
    EXPECT_EQ(d.DriveCB->currentText(), QStringLiteral("CD Mechanika"));
    EXPECT_EQ(d.DriveCB->itemText(1).toStdString(), kDiscImageEntry);
    EXPECT_EQ(zar.element(), "/dev/cdrom");

    QStringList zacatky;
    QString odpoved = QString::fromStdString(obraz);
    d.volba().zeptejSeNaObraz = [&](const QString& start) {
        zacatky << start;
        return odpoved;
    };
    d.DriveCB->setCurrentIndex(1);
    d.DriveCBChange(1);
    ASSERT_EQ(d.DriveCB->count(), 3);
    EXPECT_EQ(d.DriveCB->currentText(), QStringLiteral("Živě v Praze.cue"));
    EXPECT_EQ(d.DriveCB->itemText(0), QStringLiteral("CD Mechanika"));
    EXPECT_EQ(d.DriveCB->itemText(2).toStdString(), kDiscImageEntry);
    EXPECT_EQ(zar.element(), obraz);
    EXPECT_TRUE(zar.isOpen());

    // Back to the drive and to the image: the image opens again without a question.
    d.DriveCBChange(0);
    EXPECT_EQ(zar.element(), "/dev/cdrom");
    d.DriveCB->setCurrentIndex(1);
    d.DriveCBChange(1);
    EXPECT_EQ(zar.element(), obraz);
    EXPECT_EQ(zacatky.size(), 1);

    // Another image asked for and cancelled: it starts in the last folder, the image stays.
    odpoved.clear();
    d.DriveCB->setCurrentIndex(2);
    d.DriveCBChange(2);
    ASSERT_EQ(zacatky.size(), 2);
    EXPECT_EQ(zacatky[1].toStdString(), slozka.string());
    EXPECT_EQ(d.DriveCB->currentText(), QStringLiteral("Živě v Praze.cue"));
    EXPECT_EQ(zar.element(), obraz);
}

TEST_F(EditaceOkno, OpeningCompletesAChangeACrashInterruptedWithItsPlayerFile) {
    DatabaseSession& session = okno->session();
    const std::string db = session.adresar();
    const fs::path txt = session.adresarTXT();
    UlozTxtCD(1, *session.TData(), *session.TSkladby(), txt.string());
    session.ZavriTabulky();
    session.engine().releaseUnused();

    ZmenaAlba z;
    z.cislo = 1;
    z.puvodniSN = "SN-1";
    z.pole = {{"ALBUM", "Dokončeno"}, {"SN", "SN-NOVE"}};
    z.nahraditSkladby = true;
    z.skladby = {{"", "1", "jediná nová", "", "99", ""}};
    // The first crash that leaves the change log behind: the tables hold any part of it.
    bool zurnal = false;
    for (long at = 1; at < 40 && !zurnal; ++at) {
        const fs::path kopie = dir.path() / "kopie";
        fs::remove_all(kopie);
        fs::copy(db, kopie, fs::copy_options::recursive);
        {
            auto sys = std::make_shared<test::FaultFileSystem>();
            sys->failAt(at, test::FaultFileSystem::Fault::Crash);
            dbf::Engine engine(sys);
            auto alba = engine.open(db, std::string(kSouborAlb));
            auto skladby = engine.open(db, std::string(kSouborSkladeb));
            try {
                ZapisZmenuAlba(engine, db, *alba, *skladby, z);
            } catch (const dbf::EngineError&) {
            }
        }
        zurnal = fs::exists(fs::path(db) / dbf::kLogName) &&
                 fs::file_size(fs::path(db) / dbf::kLogName) > 0;
        if (!zurnal) {
            fs::remove_all(db);
            fs::rename(kopie, db);
        }
    }
    ASSERT_TRUE(zurnal);

    ASSERT_TRUE(session.NactiDB(db, true, false));
    EXPECT_EQ(session.prubeh().dokoncenaZmena, 1);
    EXPECT_FALSE(fs::exists(fs::path(db) / dbf::kLogName));
    EXPECT_TRUE(session.cekaKomprese());
    dbf::Cursor& alba = *session.TData();
    ASSERT_TRUE(NajdiCD(1, "cislo", alba));
    EXPECT_EQ(alba.text("ALBUM"), "Dokončeno");
    std::vector<std::string> nazvy;
    ProjdiSkladby(*session.TSkladby(), 1, [&](dbf::Cursor& s) { nazvy.push_back(s.text("NAME")); });
    EXPECT_EQ(nazvy, std::vector<std::string>{"jediná nová"});
    EXPECT_TRUE(fs::exists(txt / "SN-NOVE.txt"));
    EXPECT_FALSE(fs::exists(txt / "SN-1.txt"));
}

}  // namespace
}  // namespace lorvika
