#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>

#include "HlavniOknoTest.h"
#include "app/ModelKurzoru.h"
#include "app/SluzbyFormularu.h"
#include "store/Catalogue.h"
#include "store/dbf/EngineError.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;
using test::ZkusebniForm;

class Formulare : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        registrujFormulare({"FEditCD", "FViewCD"});
        spust();
        // Albums 1..4: artists D, B, A, C; album 3 lent in lower case.
        const char* umelci[] = {"D", "B", "A", "C"};
        dbf::Cursor& c = *okno->session().TData();
        for (int i = 1; i <= 4; ++i) {
            c.append();
            c.setInteger("CISLO", i);
            c.setText("ARTIST", umelci[i - 1]);
            c.setText("ALBUM", std::string("Album ") + std::to_string(i));
            c.setInteger("DELKA", 180 + i);
            c.setInteger("ROK", i == 1 ? 0 : 1990 + i);
            c.setInteger("HODNOC", i);
            c.setText("PUJ_ANONE", i == 3 ? "a" : "N");
            c.post();
        }
    }
    static long long cislo(const ZkusebniForm* f) { return f->aktualniCislo(); }
};

TEST_F(Formulare, EachFormHasItsOwnCursorsAndDefaultSortTag) {
    ZkusebniForm* edit = otevri("FEditCD");
    ZkusebniForm* view = otevri("FViewCD");
    ASSERT_TRUE(edit && view);
    ASSERT_TRUE(edit->TData && edit->TSkladby && view->TData);
    EXPECT_NE(edit->TData.get(), view->TData.get());
    EXPECT_EQ(edit->TData->tag(), "artist");
    EXPECT_EQ(cislo(edit), 3);  // artist A comes first
    edit->dalsi();
    EXPECT_EQ(cislo(edit), 2);
    EXPECT_EQ(cislo(view), 3) << "moving one form's cursor moves no other";
    EXPECT_EQ(okno->textPanelu(4), QStringLiteral("4"));
}

TEST_F(Formulare, NavigationButtonsAndKeysMoveTheAlbumCursor) {
    ZkusebniForm* edit = otevri("FEditCD");
    ASSERT_NE(edit, nullptr);
    edit->Speed4->click();
    EXPECT_EQ(cislo(edit), 1);  // D last
    edit->Speed2->click();
    EXPECT_EQ(cislo(edit), 4);
    edit->Speed1->click();
    EXPECT_EQ(cislo(edit), 3);
    edit->Speed2->click();
    EXPECT_EQ(cislo(edit), 3) << "before the first stays on the first";
    edit->Speed3->click();
    EXPECT_EQ(cislo(edit), 2);
    const struct {
        const char* item;
        QKeySequence key;
    } keys[] = {{"First", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left)},
                {"Prior", QKeySequence(Qt::CTRL | Qt::Key_Left)},
                {"Next", QKeySequence(Qt::CTRL | Qt::Key_Right)},
                {"Last", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right)}};
    for (const auto& k : keys) {
        QAction* a = edit->akce(QString::fromUtf8(k.item));
        ASSERT_NE(a, nullptr) << k.item;
        EXPECT_EQ(a->shortcut(), k.key) << k.item;
    }
    EXPECT_EQ(edit->Speed1->statusTip(), QStringLiteral("přechod na první CD"));
    EXPECT_EQ(edit->Speed4->text(), QStringLiteral(">>"));
}

TEST_F(Formulare, RefreshRequestOneSkipsTheActiveFormAndIsCaughtUpOnActivation) {
    ZkusebniForm* edit = otevri("FEditCD");
    ZkusebniForm* view = otevri("FViewCD");
    ASSERT_EQ(okno->aktivniFormular(), view);
    okno->ObnovaFormularu(1);
    EXPECT_EQ(view->obnova, 0);
    EXPECT_EQ(edit->obnova, 1);
    okno->StavovyText(QString());
    okno->otevriFormular(QStringLiteral("FEditCD"));
    zpracuj();
    EXPECT_EQ(okno->aktivniFormular(), edit);
    EXPECT_EQ(edit->prijatyKod, 1);
    EXPECT_EQ(edit->obnova, 0);
    EXPECT_EQ(edit->predavanyKod, 0);
    EXPECT_EQ(okno->textPanelu(5), QStringLiteral("aktualizuji data"));
}

TEST_F(Formulare, RefreshRequestTwoReachesEveryFormAndAktivujAktivniActsAtOnce) {
    ZkusebniForm* edit = otevri("FEditCD");
    ZkusebniForm* view = otevri("FViewCD");
    okno->ObnovaFormularu(2);
    EXPECT_EQ(edit->obnova, 2);
    EXPECT_EQ(view->obnova, 2);
    okno->StavovyText(QString());
    okno->AktivujAktivni();
    EXPECT_EQ(view->prijatyKod, 2);
    EXPECT_EQ(view->obnova, 0);
    EXPECT_EQ(okno->textPanelu(5), QString()) << "code 2 does not refresh the cursors";
    EXPECT_EQ(edit->obnova, 2);
}

TEST_F(Formulare, RefreshRequestOneStaysPendingWhileACursorIsClosed) {
    ZkusebniForm* edit = otevri("FEditCD");
    otevri("FViewCD");
    edit->zavriTSkladby();
    okno->ObnovaFormularu(1);
    okno->otevriFormular(QStringLiteral("FEditCD"));
    zpracuj();
    EXPECT_EQ(edit->prijatyKod, 0);
    EXPECT_EQ(edit->obnova, 1);
    edit->otevriTSkladby();
    okno->otevriFormular(QStringLiteral("FViewCD"));
    okno->otevriFormular(QStringLiteral("FEditCD"));
    zpracuj();
    EXPECT_EQ(edit->prijatyKod, 1);
    EXPECT_EQ(edit->obnova, 0);
}

TEST_F(Formulare, FilteredViewIsLeftWhileAnotherWindowIsInFrontAndComesBackOnTheSameAlbum) {
    ZkusebniForm* edit = otevri("FEditCD");
    edit->nastavFiltr([](const dbf::Cursor& c) { return c.integer("CISLO") % 2 == 0; });
    edit->zapniFiltr(true);
    edit->posledni();
    ASSERT_EQ(cislo(edit), 4);  // B(2), C(4) remain
    ASSERT_EQ(edit->TData->recordCount(), 2u);
    otevri("FViewCD");
    EXPECT_FALSE(edit->TData->filtered());
    EXPECT_EQ(cislo(edit), 4);
    EXPECT_TRUE(edit->filtrovanPriOdchodu);
    okno->otevriFormular(QStringLiteral("FEditCD"));
    zpracuj();
    EXPECT_TRUE(edit->TData->filtered());
    EXPECT_EQ(edit->TData->recordCount(), 2u);
    EXPECT_EQ(cislo(edit), 4);
}

TEST_F(Formulare, MarkedAlbumAndGoingToIt) {
    ZkusebniForm* edit = otevri("FEditCD");
    ZkusebniForm* view = otevri("FViewCD");
    // Nothing marked: the items after the first are disabled and the command does nothing.
    view->DiskAboutToShow();
    EXPECT_TRUE(view->akce(QStringLiteral("MKOznac"))->isEnabled());
    EXPECT_FALSE(view->akce(QStringLiteral("MKPrejit"))->isEnabled());
    const long long pred = cislo(view);
    view->MKPrejitClick();
    EXPECT_EQ(cislo(view), pred);
    EXPECT_TRUE(zpravy.shown().empty());

    edit->posledni();
    edit->MKOznacClick();
    EXPECT_EQ(okno->OznacenyCD(), 1);
    view->DiskAboutToShow();
    EXPECT_TRUE(view->akce(QStringLiteral("MKPrejit"))->isEnabled());
    view->MKPrejitClick();
    EXPECT_EQ(cislo(view), 1);
    EXPECT_EQ(view->TData->tag(), "artist") << "the tag is set back after the search";
    EXPECT_EQ(view->akce(QStringLiteral("MKPrejit"))->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_I));
    EXPECT_TRUE(view->akce(QStringLiteral("MSUmelec"))->shortcut().isEmpty());
    EXPECT_FALSE(view->akce(QStringLiteral("MKPreVyb"))->isVisible());

    // The marked album is removed: going to it says so and stays where it was.
    dbf::Cursor& hlavni = *okno->session().TData();
    ASSERT_TRUE(NajdiCD(1, "cislo", hlavni));
    hlavni.remove();
    view->prvni();
    zpravy.expect("Hledané AudioCD nenalezeno", MsgKind::Information, kButtonsOK, Sound::None,
                  MsgButton::OK);
    view->MKPrejitClick();
    EXPECT_EQ(cislo(view), 3);
}

TEST_F(Formulare, SortMenuChecksTheCurrentTagAndSavesItAsDefault) {
    ZkusebniForm* view = otevri("FViewCD");
    view->akce(QStringLiteral("MSAlbum"))->trigger();
    EXPECT_EQ(view->TData->tag(), "album");
    view->SerazeniAboutToShow();
    for (const char* n : {"MSUmelec", "MSAlbum", "MSZanr", "MSTyp", "MSNic"})
        EXPECT_EQ(view->akce(QString::fromUtf8(n))->isChecked(), std::string(n) == "MSAlbum") << n;
    view->akce(QStringLiteral("MSNic"))->trigger();
    EXPECT_EQ(view->TData->tag(), "");
    view->SerazeniAboutToShow();
    EXPECT_TRUE(view->akce(QStringLiteral("MSNic"))->isChecked());
    EXPECT_FALSE(view->akce(QStringLiteral("MSUmelec"))->isChecked());
    view->akce(QStringLiteral("MSZanr"))->trigger();
    view->MSUlozClick();
    EXPECT_EQ(CtiText(ini(), "FViewCD", "index", "?"), "zanr");
    view->zavri();
    zpracuj();
    ZkusebniForm* znovu = otevri("FViewCD");
    EXPECT_EQ(znovu->TData->tag(), "zanr");
}

TEST_F(Formulare, ClosingAndReopeningAllTablesKeepsEveryFormsAlbum) {
    ZkusebniForm* edit = otevri("FEditCD");
    ZkusebniForm* view = otevri("FViewCD");
    edit->posledni();
    view->dalsi();
    okno->ZavriOtevriTabulky(true, 0);
    EXPECT_FALSE(edit->TData);
    EXPECT_FALSE(view->TSkladby);
    EXPECT_EQ(okno->session().TData(), nullptr);
    okno->ZavriOtevriTabulky(false, 0);
    ASSERT_NE(okno->session().TData(), nullptr);
    ASSERT_TRUE(edit->TData && view->TData && edit->TSkladby);
    EXPECT_EQ(cislo(edit), 1);
    EXPECT_EQ(cislo(view), 2);
}

TEST_F(Formulare, GridShowsTheFormsDisplayTextsAndSortsByColumnTitle) {
    ZkusebniForm* view = otevri("FViewCD");
    view->nastavTag(QString());
    QTableView grid(view);
    ModelKurzoru model;
    model.setSloupce({{QStringLiteral("CISLO"), QStringLiteral("číslo")},
                      {QStringLiteral("DELKA"), QStringLiteral("Délka")},
                      {QStringLiteral("ROK"), QStringLiteral("Rok")},
                      {QStringLiteral("HODNOC"), QStringLiteral("Hodnocení")},
                      {QStringLiteral("PUJ_ANONE"), QStringLiteral("Půjčeno")},
                      {QStringLiteral("ARTIST"), QStringLiteral("Interpret")}});
    model.setKurzor(view->TData.get());
    grid.setModel(&model);
    ASSERT_EQ(model.rowCount(), 4);
    auto text = [&](int r, int c) {
        return model.data(model.index(r, c), Qt::DisplayRole).toString();
    };
    EXPECT_EQ(text(0, 1), QStringLiteral("03:01"));
    EXPECT_EQ(text(0, 2), QString()) << "year 0 is empty";
    EXPECT_EQ(text(1, 2), QStringLiteral("1992"));
    EXPECT_EQ(text(2, 3), QStringLiteral("PRŮMĚRNÉ"));
    EXPECT_EQ(text(2, 4), QStringLiteral("ANO")) << "lower-case a counts as lent";
    EXPECT_EQ(text(0, 4), QStringLiteral("NE"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Délka"));

    pripojRazeniZahlavim(&grid);
    const auto klik = [&] { emit grid.horizontalHeader()->sectionClicked(5); };
    EXPECT_FALSE(view->TData->hasTag("_ARTIST"));
    klik();
    EXPECT_EQ(QString::fromStdString(view->TData->tag()).toUpper(), QStringLiteral("ARTIST"));
    EXPECT_EQ(text(0, 5), QStringLiteral("A"));
    klik();
    EXPECT_EQ(QString::fromStdString(view->TData->tag()).toUpper(), QStringLiteral("_ARTIST"));
    EXPECT_EQ(text(0, 5), QStringLiteral("D"));
    klik();
    EXPECT_EQ(QString::fromStdString(view->TData->tag()).toUpper(), QStringLiteral("ARTIST"));
    EXPECT_EQ(text(0, 5), QStringLiteral("A"));
}

TEST_F(Formulare, GridLayoutIsSavedAndLoaded) {
    ZkusebniForm* view = otevri("FViewCD");
    const std::vector<SloupecMrizky> vychozi{
        {QStringLiteral("CISLO"), QStringLiteral("číslo")},
        {QStringLiteral("ALBUM"), QStringLiteral("Album")},
        {QStringLiteral("ARTIST"), QStringLiteral("Interpret")}};
    {
        QTableView grid(view);
        ModelKurzoru model;
        model.setSloupce(vychozi);
        model.setKurzor(view->TData.get());
        grid.setModel(&model);
        QFont f = grid.font();
        f.setPointSize(13);
        grid.setFont(f);
        grid.setColumnWidth(0, 41);
        grid.setColumnWidth(1, 150);
        grid.setColumnWidth(2, 97);
        grid.horizontalHeader()->moveSection(2, 0);  // Interpret first
        UlozMrizku(*okno, &grid, QStringLiteral("FViewCD"), QStringLiteral("FViewCD"));
    }
    EXPECT_TRUE(fs::exists(dir.home() / "FViewCD10.ini"));
    EXPECT_EQ(CtiCislo(ini(), "FViewCD", "font", 0), 13);

    QTableView grid(view);
    ModelKurzoru model;
    model.setSloupce(vychozi);
    model.setKurzor(view->TData.get());
    grid.setModel(&model);
    NactiMrizku(*okno, &grid, QStringLiteral("FViewCD"), QStringLiteral("FViewCD"));
    ASSERT_EQ(model.sloupce().size(), 3u);
    EXPECT_EQ(model.sloupce()[0].pole, QStringLiteral("ARTIST"));
    EXPECT_EQ(model.sloupce()[1].pole, QStringLiteral("CISLO"));
    EXPECT_EQ(model.sloupce()[2].titulek, QStringLiteral("Album"));
    EXPECT_EQ(grid.columnWidth(0), 97);
    EXPECT_EQ(grid.columnWidth(1), 41);
    EXPECT_EQ(grid.columnWidth(2), 150);
    EXPECT_EQ(grid.font().pointSize(), 13);

    // Without a layout file the columns stay and the font comes from the default 10.
    QTableView jiny(view);
    ModelKurzoru jinyModel;
    jinyModel.setSloupce(vychozi);
    jiny.setModel(&jinyModel);
    NactiMrizku(*okno, &jiny, QStringLiteral("FPujCD"), QStringLiteral("FPujCD"));
    EXPECT_EQ(jinyModel.sloupce()[0].pole, QStringLiteral("CISLO"));
    EXPECT_EQ(jiny.font().pointSize(), 10);
}

TEST_F(Formulare, CombosFromColumnValuesAndSelectionLists) {
    ZapisText(ini(), "zanr", "1", "Rock");
    ZapisText(ini(), "zanr", "3", "rock");
    ZapisText(ini(), "zanr", "4", "Jazz");
    dbf::Cursor& c = *okno->session().TData();
    c.first();
    c.edit();
    c.setText("ZANR", "Blues");
    c.post();
    QComboBox combo;
    NaplnCombo(*okno, &combo, QStringLiteral("ZANR"), QStringLiteral("zanr"), false);
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items.append(combo.itemText(i));
    EXPECT_EQ(items, (QStringList{QStringLiteral("Blues"), QStringLiteral("Jazz"),
                                  QStringLiteral("Rock")}));
    NaplnCombo(*okno, &combo, QStringLiteral("ZANR"), QStringLiteral("zanr"), true);
    EXPECT_EQ(combo.count(), 1);
    NaplnHodnoceni(&combo, 5);
    EXPECT_EQ(combo.count(), 7);
    EXPECT_EQ(combo.currentText(), QStringLiteral("VYNIKAJÍCÍ"));
    EXPECT_EQ(combo.property("tag").toInt(), 5);
}

// What a form shows of its tables outlives the cursors: a backup or restore closes every table
// and a sort tag is created with the tables closed.
TEST_F(Formulare, TagRangeFilterAndPositionSurviveClosingTheTables) {
    ZkusebniForm* edit = otevri("FEditCD");
    ASSERT_NE(edit, nullptr);
    ModelKurzoru alba;
    ModelKurzoru skladby;
    std::vector<dbf::Cursor*> videl;
    edit->sledujKurzor(&alba, 1, [&](dbf::Cursor* c) {
        videl.push_back(c);
        alba.setKurzor(c);
    });
    edit->sledujKurzor(&skladby, 2, [&](dbf::Cursor* c) { skladby.setKurzor(c); });

    const struct {
        const char* jak;
        std::function<void()> zavri, otevri;
    } cesty[] = {
        {"all tables", [&] { okno->ZavriOtevriTabulky(true, 0); },
         [&] { okno->ZavriOtevriTabulky(false, 0); }},
        {"album table", [&] { okno->ZavriOtevriTabulky(true, 1); },
         [&] { okno->ZavriOtevriTabulky(false, 1); }},
        {"the form's own cursor", [&] { edit->zavriTData(); }, [&] { edit->otevriTData(); }},
    };
    for (const auto& cesta : cesty) {
        SCOPED_TRACE(cesta.jak);
        edit->nastavTag(QStringLiteral("album"));
        edit->pohledTData.nastavRozsah(dbf::Key("Album 2"), dbf::Key("Album 4"));
        edit->nastavFiltr([](const dbf::Cursor& c) { return c.integer("CISLO") != 3; });
        edit->zapniFiltr(true);
        edit->posledni();
        ASSERT_EQ(cislo(edit), 4);
        ASSERT_EQ(edit->TData->recordCount(), 2u);  // albums 2 and 4

        videl.clear();
        cesta.zavri();
        EXPECT_FALSE(edit->TData);
        EXPECT_EQ(alba.kurzor(), nullptr) << "no model keeps a closed cursor";
        cesta.otevri();
        ASSERT_TRUE(edit->TData);
        EXPECT_EQ(alba.kurzor(), edit->TData.get());
        EXPECT_EQ(skladby.kurzor(), edit->TSkladby.get());
        EXPECT_EQ(videl, (std::vector<dbf::Cursor*>{nullptr, edit->TData.get()}));
        EXPECT_EQ(edit->TData->tag(), "album");
        EXPECT_TRUE(edit->TData->filtered());
        EXPECT_EQ(edit->TData->recordCount(), 2u);
        EXPECT_EQ(cislo(edit), 4);
        edit->prvni();
        EXPECT_EQ(cislo(edit), 2);
        edit->pohledTData.zrusRozsah();
        edit->zapniFiltr(false);
    }

    // A tag set on the cursor itself (a column title click) is taken over as well.
    edit->TData->setTag("zanr");
    okno->ZavriOtevriTabulky(true, 0);
    okno->ZavriOtevriTabulky(false, 0);
    EXPECT_EQ(edit->TData->tag(), "zanr");
}

TEST_F(Formulare, ClosingOneTableKindLeavesTheOtherOpenEverywhere) {
    ZkusebniForm* edit = otevri("FEditCD");
    ASSERT_NE(edit, nullptr);
    okno->ZavriOtevriTabulky(true, 2);
    EXPECT_FALSE(edit->TSkladby);
    EXPECT_EQ(okno->session().TSkladby(), nullptr);
    EXPECT_TRUE(edit->TData);
    EXPECT_NE(okno->session().TData(), nullptr) << "the main album cursor stays open";
    okno->ZavriOtevriTabulky(false, 2);
    EXPECT_TRUE(edit->TSkladby);
    EXPECT_NE(okno->session().TSkladby(), nullptr);

    okno->ZavriOtevriTabulky(true, 1);
    EXPECT_FALSE(edit->TData);
    EXPECT_TRUE(edit->TSkladby);
    EXPECT_EQ(okno->session().TData(), nullptr);
    EXPECT_NE(okno->session().TSkladby(), nullptr) << "the main track cursor stays open";
    okno->ZavriOtevriTabulky(false, 1);
    EXPECT_NE(okno->session().TData(), nullptr);
}

TEST_F(Formulare, RefreshRequestLeavesTheMainCursorsWhereTheyAre) {
    dbf::Cursor& alba = *okno->session().TData();
    dbf::Cursor& skladby = *okno->session().TSkladby();
    skladby.append();
    skladby.setInteger("CISLO", 1);
    skladby.post();
    skladby.append();
    skladby.setInteger("CISLO", 2);
    skladby.post();
    alba.setTag("");
    alba.last();
    skladby.last();
    for (int kod : {1, 2}) {
        okno->ObnovaFormularu(kod);
        EXPECT_EQ(alba.integer("CISLO"), 4) << kod;
        EXPECT_EQ(skladby.integer("CISLO"), 2) << kod;
    }
}

// A data form whose tables turn out broken while it is being created.
class RozbityForm : public ZkusebniForm {
  public:
    using ZkusebniForm::ZkusebniForm;
    void FormCreate() override {
        ZkusebniForm::FormCreate();
        throw dbf::EngineError("cdskladby.DBF: poškozená hlavička tabulky.");
    }
};

TEST_F(Formulare, FormThatFailsToCreateLeavesNothingBehind) {
    registr.registruj(QStringLiteral("FPujCD"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
        return std::make_unique<RozbityForm>(&h, QStringLiteral("FPujCD"));
    });
    ASSERT_EQ(jmenaOken(), QStringList{QStringLiteral("FNavig")});
    EXPECT_THROW(okno->otevriFormular(QStringLiteral("FPujCD")), dbf::EngineError);
    zpracuj();
    EXPECT_EQ(jmenaOken(), QStringList{QStringLiteral("FNavig")});
    EXPECT_EQ(okno->JeSpustenForm(QStringLiteral("FPujCD")), -1);
    EXPECT_EQ(okno->mdi()->subWindowList().size(), 1);
    emit okno->menu(QStringLiteral("databaze"))->aboutToShow();
    EXPECT_TRUE(okno->akce(QStringLiteral("DBopen"))->isEnabled());

    // With another form in front, that one stays active and open.
    ZkusebniForm* view = otevri("FViewCD");
    EXPECT_THROW(okno->otevriFormular(QStringLiteral("FPujCD")), dbf::EngineError);
    zpracuj();
    EXPECT_EQ(okno->aktivniFormular(), view);
    EXPECT_EQ(okno->JeSpustenForm(QStringLiteral("FPujCD")), -1);
}

TEST_F(Formulare, ClosingAWindowBringsBackTheOneActiveBeforeIt) {
    registrujFormulare({"FPujCD", "FFiltrCD"});
    for (bool maximalizovat : {true, false}) {
        SCOPED_TRACE(maximalizovat ? "maximized" : "normal");
        if (okno->FMaxim() != maximalizovat) okno->MFMaximClick();
        ZkusebniForm* edit = otevri("FEditCD");
        ZkusebniForm* view = otevri("FViewCD");
        ZkusebniForm* puj = otevri("FPujCD");
        ZkusebniForm* filtr = otevri("FFiltrCD");
        ASSERT_TRUE(edit && view && puj && filtr);
        for (const char* jmeno : {"FPujCD", "FEditCD", "FFiltrCD", "FViewCD"}) {
            okno->otevriFormular(QString::fromUtf8(jmeno));
            zpracuj();
        }
        ASSERT_EQ(okno->aktivniFormular(), view);
        const int aktivaciPuj = puj->aktivaci;
        view->zavri();
        zpracuj();
        EXPECT_EQ(okno->aktivniFormular(), filtr);
        EXPECT_EQ(puj->aktivaci, aktivaciPuj) << "no other window is activated on the way";
        filtr->zavri();
        zpracuj();
        EXPECT_EQ(okno->aktivniFormular(), edit);
        edit->zavri();
        zpracuj();
        EXPECT_EQ(okno->aktivniFormular(), puj);
        puj->zavri();
        zpracuj();
    }
}

TEST_F(Formulare, AlbumKeysWorkWhileAnEditBoxHasTheFocus) {
    ZkusebniForm* edit = otevri("FEditCD");
    ASSERT_NE(edit, nullptr);
    auto* pole = new QLineEdit(QStringLiteral("slovo jiné slovo"), edit);
    pole->show();
    okno->activateWindow();
    QApplication::setActiveWindow(okno.get());
    pole->setFocus();
    zpracuj();
    ASSERT_TRUE(pole->hasFocus());
    pole->setCursorPosition(0);
    ASSERT_EQ(cislo(edit), 3);
    QTest::keyClick(pole, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(cislo(edit), 2);
    EXPECT_EQ(pole->cursorPosition(), 0) << "the key went to the album, not to the text";
    QTest::keyClick(pole, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(cislo(edit), 1);
    QTest::keyClick(pole, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(cislo(edit), 4);
    QTest::keyClick(pole, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(cislo(edit), 3);
    QTest::keyClick(pole, Qt::Key_End);
    EXPECT_EQ(pole->cursorPosition(), pole->text().size()) << "other keys stay the edit's";
}

}  // namespace
}  // namespace lorvika
