#include <QHeaderView>
#include <QTest>
#include <filesystem>

#include "app/HlavniOknoTest.h"
#include "lending/TFPujCD.h"
#include "store/Catalogue.h"
#include "store/Ini.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

struct Album {
    int cislo;
    const char* artist;
    const char* komu = nullptr;  // lent to, due on dokdy
    QDate dokdy = {};
    int kolik = 0;
};

class Pujceni : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        upravSluzby = [this](SluzbyHlavnihoOkna& s) { s.dnes = [this] { return dnes; }; };
        registrujTFPujCD(registr);
        spust();
    }

    void alba(std::initializer_list<Album> seznam) {
        dbf::Cursor& c = *okno->session().TData();
        for (const Album& a : seznam) {
            c.append();
            c.setInteger("CISLO", a.cislo);
            c.setText("ARTIST", a.artist);
            c.setText("ALBUM", std::string("Album ") + a.artist);
            if (a.kolik) c.setInteger("PUJ_KOLIK", a.kolik);
            if (a.komu) {
                c.setText("PUJ_ANONE", "A");
                c.setText("PUJ_KOMU", a.komu);
                c.setDate("PUJ_DOKDY", {a.dokdy.year(), a.dokdy.month(), a.dokdy.day()});
            }
            c.post();
        }
        dbf::Cursor& t = *okno->session().TSkladby();
        for (const Album& a : seznam) {
            for (int i = 1; i <= 2; ++i) {
                t.append();
                t.setInteger("CD", a.cislo);
                t.setInteger("CISLO", i);
                t.setText("NAME", std::string(a.artist) + " " + std::to_string(i));
                t.post();
            }
        }
    }

    TFPujCD* otevriPujceni() {
        auto* f = dynamic_cast<TFPujCD*>(okno->otevriFormular(QStringLiteral("FPujCD")));
        zpracuj();
        return f;
    }

    // The album number c made current through the base form's search.
    static void jdiNa(TFPujCD* f, int c) {
        ASSERT_TRUE(NajdiCD(c, "cislo", *f->TData));
        f->Aktualizuj();
    }

    QColor barvaStavu(TFPujCD* f) const { return f->stav->palette().color(QPalette::WindowText); }

    std::vector<std::int64_t> cislaVPrehledu(TFPujCD* f) const {
        std::vector<std::int64_t> out;
        for (int r = 0; r < f->prehled->rowCount(); ++r) {
            f->prehled->prejdiNa(r);
            out.push_back(f->TData->integer("CISLO"));
        }
        return out;
    }

    bool seznamExistuje() const {
        for (const auto& e : fs::directory_iterator(okno->session().adresar())) {
            const std::string n = e.path().filename().string();
            if (n == "cdpuj.dbf" || n == "cdpuj.mdx" || n == "CDPUJ.DBF") return true;
        }
        return false;
    }

    QDate dnes{2026, 12, 8};
};

TEST_F(Pujceni, OpensOnTheLendingTabShowingTheCurrentAlbum) {
    alba({{2, "Beta"}, {1, "Alfa", nullptr, {}, 3}});
    TFPujCD* f = otevriPujceni();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Půjčení kazety"));
    EXPECT_EQ(f->Label1->text(), QStringLiteral("Půjčení AudioCD"));
    EXPECT_EQ(f->PageControl1->tabText(0), QStringLiteral("Půjčení / Vrácení"));
    EXPECT_EQ(f->PageControl1->tabText(1), QStringLiteral("Celkový přehled"));
    EXPECT_EQ(f->PageControl1->currentIndex(), 0);
    // The saved order is "artist": Alfa first.
    EXPECT_EQ(f->DBArtist->text(), QStringLiteral("Alfa"));
    EXPECT_EQ(f->Edit8->text(), QStringLiteral("3"));
    ASSERT_EQ(f->skladby->rowCount(), 2);
    EXPECT_EQ(f->skladby->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Skladby"));
    EXPECT_EQ(f->skladby->index(0, 0).data().toString(), QStringLiteral("Alfa 1"));
    EXPECT_EQ(f->stav->text(), QStringLiteral("Není půjčena"));
    EXPECT_EQ(barvaStavu(f), QColor(0, 128, 0));
    EXPECT_FALSE(f->Panel2->isVisibleTo(f));
    EXPECT_EQ(f->Button2->text(), QStringLiteral("Umožnit půjčení"));
    EXPECT_FALSE(f->Button4->isEnabled());
    EXPECT_TRUE(f->Button5->isEnabled());
    EXPECT_FALSE(f->BOK->isEnabled());
    EXPECT_EQ(f->UpDown1->minimum(), 0);
    EXPECT_EQ(f->UpDown1->maximum(), 10000);
    EXPECT_EQ(f->ComboBox1->lineEdit()->maxLength(), 30);
    EXPECT_FALSE(f->MVZhled->menuAction()->isVisible());

    const char* const tituly[] = {"Interpret",
                                  "Album",
                                  "Půjčeno komu",
                                  "Půjčeno do",
                                  "Počet půjčení",
                                  "Půjčeno",
                                  "Rok",
                                  "Délka",
                                  "Vydavatel-firma",
                                  "Vydavatel-producent",
                                  "Počet skladeb",
                                  "Původ",
                                  "Žánr",
                                  "Zpěv",
                                  "Kytara",
                                  "Basa",
                                  "Bicí",
                                  "Klávesy",
                                  "Host",
                                  "Typ"};
    ASSERT_EQ(f->prehled->columnCount(), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(f->prehled->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(),
                  QString::fromUtf8(tituly[i]));
    f->PMZal1Click();
    EXPECT_EQ(f->PageControl1->currentIndex(), 1);
    EXPECT_FALSE(f->Panel1->isVisibleTo(f));
    EXPECT_TRUE(f->MVZhled->menuAction()->isVisible());
    EXPECT_EQ(f->prehled->index(0, 5).data().toString(), QStringLiteral("NE"));
    EXPECT_EQ(f->prehled->index(0, 5).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    f->PMZal1Click();
    EXPECT_EQ(f->PageControl1->currentIndex(), 0);
    EXPECT_TRUE(f->Panel1->isVisibleTo(f));
    // The keys, also while an edit box has the focus.
    okno->activateWindow();
    f->DBArtist->setFocus();
    zpracuj();
    ASSERT_EQ(QApplication::focusWidget(), f->DBArtist);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(f->PageControl1->currentIndex(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(f->PageControl1->currentIndex(), 0);
}

TEST_F(Pujceni, MainActionsInViewWithoutScrollingAtEverySize) {
    alba({{1, "Alfa", "bratr", QDate(2026, 12, 8)}});
    TFPujCD* f = otevriPujceni();
    ASSERT_NE(f, nullptr);
    for (const QSize velikost : {okno->minimumSize(), QSize(1600, 1000)}) {
        okno->resize(velikost);
        zpracuj();
        EXPECT_EQ(test::nevidetelne(*okno, {f->Button2, f->Button4, f->ComboBox1, f->BOK})
                      .join(u';')
                      .toStdString(),
                  "")
            << velikost.width() << "x" << velikost.height();
    }
}

TEST_F(Pujceni, DueTodayIsLentAndTheNextDayOverdue) {
    alba({{1, "Alfa", "bratr", QDate(2026, 12, 8)}});
    TFPujCD* f = otevriPujceni();
    EXPECT_EQ(f->stav->text(), QStringLiteral("Je půjčena"));
    EXPECT_EQ(barvaStavu(f), QColor(0, 0, 255));
    EXPECT_TRUE(f->Panel2->isVisibleTo(f));
    EXPECT_FALSE(f->Edit7->isVisibleTo(f));
    EXPECT_FALSE(f->DateTimePicker1->isEnabled());
    EXPECT_EQ(f->DateTimePicker1->date(), QDate(2026, 12, 8));
    EXPECT_EQ(f->ComboBox1->currentText(), QStringLiteral("bratr"));
    EXPECT_EQ(f->Button2->text(), QStringLiteral("Změna půjčení"));
    EXPECT_TRUE(f->Button4->isEnabled());
    f->PMZal1Click();
    zpravy.expect("Žádné CD není nevráceno po termínu", MsgKind::Information, kButtonsOK,
                  Sound::Default, MsgButton::OK);
    f->setRadioGroup1Index(2);
    EXPECT_EQ(f->RadioGroup1Index(), 0);
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{1}));

    dnes = QDate(2026, 12, 9);
    f->setRadioGroup1Index(2);
    EXPECT_EQ(f->RadioGroup1Index(), 2);
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{1}));
    f->PMZal1Click();
    EXPECT_EQ(f->stav->text(), QStringLiteral("Půjčena a nevrácena v termínu"));
    EXPECT_EQ(barvaStavu(f), QColor(255, 0, 0));
}

TEST_F(Pujceni, FirstLendingCountsWithoutAQuestionAndAChangeAsks) {
    ZapisText(ini(), "puj_komu", "1", "teta");
    alba({{1, "Alfa"}});
    TFPujCD* f = otevriPujceni();
    f->Button2Click();
    EXPECT_EQ(f->Label11->text(), QStringLiteral(" Půjčit na:"));
    EXPECT_EQ(f->DateTimePicker1->date(), QDate(2026, 12, 9));
    EXPECT_EQ(f->Edit7->text(), QStringLiteral("1"));
    EXPECT_EQ(f->UpDown1->position(), 1);
    EXPECT_TRUE(f->DateTimePicker1->isEnabled());
    EXPECT_EQ(f->ComboBox1->currentText(), QStringLiteral("teta"));
    EXPECT_TRUE(f->BOK->isEnabled());
    f->ComboBox1->setCurrentText(QStringLiteral("Žofie Nováková"));
    f->BOKClick();
    dbf::Cursor& c = *f->TData;
    EXPECT_EQ(c.text("PUJ_ANONE"), "A");
    EXPECT_EQ(c.text("PUJ_KOMU"), "Žofie Nováková");
    EXPECT_EQ(c.date("PUJ_DOKDY"), (dbf::Date{2026, 12, 9}));
    EXPECT_EQ(c.integer("PUJ_KOLIK"), 1);
    EXPECT_EQ(okno->textPanelu(5), QStringLiteral("Informace o půjčení zapsány"));
    EXPECT_EQ(f->Edit8->text(), QStringLiteral("1"));
    EXPECT_FALSE(f->BOK->isEnabled());
    // The new borrower is offered at once.
    EXPECT_GE(f->ComboBox1->findText(QStringLiteral("Žofie Nováková")), 0);

    f->Button2Click();
    EXPECT_EQ(f->Label11->text(), QStringLiteral(" Půjčit na dalších:"));
    EXPECT_EQ(f->ComboBox1->currentText(), QStringLiteral("Žofie Nováková"));
    f->ComboBox1->setCurrentText(QStringLiteral("teta"));
    f->Edit7->setText(QStringLiteral("14"));
    f->Edit7Exit();
    zpravy.expect("Zvýšit počet půjčení o 1?", MsgKind::Information, kButtonsYesNo, Sound::Question,
                  MsgButton::No);
    f->BOKClick();
    EXPECT_EQ(c.text("PUJ_KOMU"), "teta");
    EXPECT_EQ(c.date("PUJ_DOKDY"), (dbf::Date{2026, 12, 22}));
    EXPECT_EQ(c.integer("PUJ_KOLIK"), 1);
    f->Button2Click();
    zpravy.expect("Zvýšit počet půjčení o 1?", MsgButton::Yes);
    f->BOKClick();
    EXPECT_EQ(c.integer("PUJ_KOLIK"), 2);
}

TEST_F(Pujceni, RefusedBorrowersWriteNothing) {
    alba({{1, "Alfa"}});
    TFPujCD* f = otevriPujceni();
    // No stored borrower and an empty list: the box stays empty.
    f->Button2Click();
    EXPECT_EQ(f->ComboBox1->currentText(), QString());
    zpravy.expect("Není uvedeno komu půjčit - ruším", MsgKind::Information, kButtonsOK,
                  Sound::Exclamation, MsgButton::OK);
    f->BOKClick();
    f->ComboBox1->setCurrentText(QStringLiteral("Jan €"));
    zpravy.expect(ZkontrolujText("Jan €", "Komu").chyba, MsgKind::Warning, kButtonsOK,
                  Sound::Exclamation, MsgButton::OK);
    f->BOKClick();
    EXPECT_EQ(f->TData->text("PUJ_ANONE"), "");
    EXPECT_TRUE(f->TData->isNull("PUJ_KOLIK"));
    // Typographic quotes become plain ones.
    f->ComboBox1->setCurrentText(QStringLiteral("„Pepa“"));
    f->BOKClick();
    EXPECT_EQ(f->TData->text("PUJ_KOMU"), "\"Pepa\"");
}

TEST_F(Pujceni, DaysAndDueDateFollowEachOther) {
    alba({{1, "Alfa"}});
    TFPujCD* f = otevriPujceni();
    f->Button2Click();
    const std::pair<const char*, int> dny[] = {{"abc", 0}, {"7", 7}, {"-3", 0}, {"20000", 10000}};
    for (const auto& [text, d] : dny) {
        f->Edit7->setText(QString::fromUtf8(text));
        f->Edit7Exit();
        EXPECT_EQ(f->Edit7->text(), QString::number(d)) << text;
        EXPECT_EQ(f->UpDown1->position(), d) << text;
        EXPECT_EQ(f->DateTimePicker1->date(), dnes.addDays(d)) << text;
    }
    // The arrow steps from the number just typed, before the field was left.
    f->Edit7->setText(QStringLiteral("4"));
    f->UpDown1->krok(1);
    EXPECT_EQ(f->Edit7->text(), QStringLiteral("5"));
    EXPECT_EQ(f->DateTimePicker1->date(), QDate(2026, 12, 13));
    f->DateTimePicker1->setDate(QDate(2026, 12, 31));
    f->DateTimePicker1Change();
    EXPECT_EQ(f->Edit7->text(), QStringLiteral("23"));
    EXPECT_EQ(f->UpDown1->position(), 23);
    f->DateTimePicker1->setDate(QDate(2026, 12, 7));
    zpravy.expect("Vybrané datum již proběhlo - nelze", MsgKind::Information, kButtonsOK,
                  Sound::Exclamation, MsgButton::OK);
    f->DateTimePicker1Change();
    EXPECT_EQ(f->Edit7->text(), QStringLiteral("23"));
    // OK with the refused date still in the picker writes nothing.
    f->ComboBox1->setCurrentText(QStringLiteral("bratr"));
    zpravy.expect("Vybrané datum již proběhlo - nelze");
    f->BOKClick();
    EXPECT_EQ(f->TData->text("PUJ_ANONE"), "");
}

TEST_F(Pujceni, OKWritesOnlyTheAlbumTheEditingBeganOn) {
    alba({{1, "Alfa"}, {2, "Beta", "bratr", QDate(2026, 12, 20)}});
    TFPujCD* f = otevriPujceni();
    dbf::Cursor& vsechna = *okno->session().TData();
    const auto nezmeneno = [&](const char* krok) {
        ASSERT_TRUE(NajdiCD(1, "cislo", vsechna));
        EXPECT_EQ(vsechna.text("PUJ_ANONE"), "") << krok;
        ASSERT_TRUE(NajdiCD(2, "cislo", vsechna));
        EXPECT_EQ(vsechna.text("PUJ_KOMU"), "bratr") << krok;
        EXPECT_TRUE(okno->textPanelu(5).isEmpty()) << krok;
    };
    f->Button2Click();
    f->ComboBox1->setCurrentText(QStringLiteral("teta"));
    ASSERT_TRUE(NajdiCD(2, "cislo", *f->TData));
    f->BOKClick();
    nezmeneno("another album current");
    EXPECT_FALSE(f->BOK->isEnabled());

    jdiNa(f, 1);
    f->Button2Click();
    f->PMZal1Click();
    EXPECT_FALSE(f->BOK->isEnabled()) << "the overview ends the editing";
    f->DBGrid1->setCurrentIndex(f->prehled->index(1, 0));
    f->BOKClick();
    nezmeneno("row picked in the overview");
    f->setRadioGroup1Index(1);
    f->BOKClick();
    nezmeneno("lent list");
    EXPECT_EQ(f->TData->text("PUJ_KOMU"), "bratr");
}

TEST_F(Pujceni, ListsOfferOnlyTheirOwnOrdersAndAllAlbumsKeepTheirs) {
    alba({{1, "Gama", "bratr", QDate(2026, 12, 20)},
          {2, "Alfa", "adam", QDate(2026, 12, 21)},
          {3, "Beta"}});
    TFPujCD* f = otevriPujceni();
    f->nastavTag(QStringLiteral("artist"));
    f->PMZal1Click();
    f->setRadioGroup1Index(1);
    EXPECT_FALSE(f->akce(QStringLiteral("MSUmelec"))->isEnabled());
    EXPECT_FALSE(f->akce(QStringLiteral("MSUloz"))->isEnabled());
    EXPECT_TRUE(f->akce(QStringLiteral("MSNic"))->isEnabled());
    ZapisText(ini(), "FPujCD", "index", "album");
    EXPECT_NO_THROW(f->nastavTag(QStringLiteral("zanr")));
    f->akce(QStringLiteral("MSUloz"))->trigger();
    EXPECT_EQ(CtiText(ini(), "FPujCD", "index", ""), "album");
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{1, 2}));
    f->setRadioGroup1Index(0);
    EXPECT_EQ(QString::fromStdString(f->TData->tag()).toLower(), QStringLiteral("artist"));
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{2, 3, 1}));
    EXPECT_TRUE(f->akce(QStringLiteral("MSUloz"))->isEnabled());
}

TEST_F(Pujceni, ReturnAndCountReset) {
    alba({{1, "Alfa", "bratr", QDate(2026, 12, 1), 4}});
    TFPujCD* f = otevriPujceni();
    EXPECT_EQ(f->stav->text(), QStringLiteral("Půjčena a nevrácena v termínu"));
    f->Button4Click();  // no question
    dbf::Cursor& c = *f->TData;
    EXPECT_EQ(c.text("PUJ_ANONE"), "N");
    EXPECT_EQ(c.text("PUJ_KOMU"), "");
    EXPECT_TRUE(c.isNull("PUJ_DOKDY"));
    EXPECT_EQ(c.integer("PUJ_KOLIK"), 4);
    EXPECT_EQ(okno->textPanelu(5), QStringLiteral("Informace o vrácení zapsány"));
    EXPECT_EQ(f->stav->text(), QStringLiteral("Není půjčena"));
    EXPECT_TRUE(f->Button5->isEnabled());
    f->Button5Click();
    EXPECT_TRUE(c.isNull("PUJ_KOLIK"));
    EXPECT_EQ(f->Edit8->text(), QStringLiteral("0"));
    EXPECT_FALSE(f->Button5->isEnabled());
    // The album left both lists.
    f->PMZal1Click();
    zpravy.expect("Žádné CD není půjčeno");
    f->setRadioGroup1Index(1);
    zpravy.expect("Žádné CD není nevráceno po termínu");
    f->setRadioGroup1Index(2);
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{1}));
}

TEST_F(Pujceni, AnAlbumChosenInTheOverdueListIsShownForItsReturn) {
    alba({{1, "Alfa"},
          {2, "Beta", "bratr", QDate(2026, 11, 1)},
          {3, "Cyril", "sestra", QDate(2026, 12, 20)},
          {4, "Dan", "teta", QDate(2026, 10, 5)}});
    TFPujCD* f = otevriPujceni();
    f->PMZal1Click();
    f->setRadioGroup1Index(1);
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{2, 3, 4}));
    f->setRadioGroup1Index(2);
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{2, 4}));
    EXPECT_TRUE(seznamExistuje());
    f->DBGrid1->setCurrentIndex(f->prehled->index(1, 0));
    f->PMZal1Click();
    EXPECT_EQ(f->RadioGroup1Index(), 0);
    EXPECT_EQ(f->DBArtist->text(), QStringLiteral("Dan"));
    EXPECT_TRUE(f->Button4->isEnabled());
    EXPECT_EQ(QString::fromStdString(f->TData->fileName()).toLower(), QStringLiteral("cddata.dbf"));
    EXPECT_EQ(f->TData->recordCount(), 4u);
    // The navigation follows the album table again.
    f->posledni();
    EXPECT_EQ(f->DBArtist->text(), QStringLiteral("Dan"));
    f->PMZal1Click();
    f->setRadioGroup1Index(1);
    f->zavri();
    zpracuj();
    EXPECT_FALSE(seznamExistuje());
}

TEST_F(Pujceni, AListThatCannotBeWrittenLeavesAllAlbumsShown) {
    alba({{1, "Alfa", "bratr", QDate(2026, 12, 20)}, {2, "Beta"}});
    TFPujCD* f = otevriPujceni();
    f->PMZal1Click();
    // A folder in the scratch table's place: the table cannot be created.
    fs::create_directory(fs::path(okno->session().adresar()) / "cdpuj.dbf");
    EXPECT_THROW(f->setRadioGroup1Index(1), std::exception);
    EXPECT_EQ(f->RadioGroup1Index(), 0);
    ASSERT_TRUE(f->TData);
    EXPECT_EQ(f->TData->recordCount(), 2u);
    EXPECT_EQ(f->prehled->rowCount(), 2);
}

TEST_F(Pujceni, TitleClicksSortTheOverviewAndKeepTheColumns) {
    alba({{1, "Alfa", "bratr", QDate(2026, 12, 20)},
          {2, "Beta", "adam", QDate(2026, 12, 21)},
          {3, "Cyril", "cyril", QDate(2026, 12, 22)}});
    TFPujCD* f = otevriPujceni();
    f->PMZal1Click();
    f->DBGrid1->setColumnWidth(3, 177);
    const QString sloupce = QString::fromStdString(home()) + QStringLiteral("/columns.ini");
    const auto tag = [f] { return QString::fromStdString(f->TData->tag()).toUpper(); };
    f->DBGrid1TitleClick(3);  // Půjčeno do: its tag is created
    EXPECT_EQ(tag(), QStringLiteral("PUJ_DOKDY"));
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{1, 2, 3}));
    EXPECT_TRUE(QFileInfo::exists(sloupce));
    EXPECT_EQ(f->DBGrid1->columnWidth(3), 177);
    f->DBGrid1TitleClick(3);
    EXPECT_EQ(tag(), QStringLiteral("_PUJ_DOKDY"));
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{3, 2, 1}));
    f->DBGrid1TitleClick(3);
    EXPECT_EQ(tag(), QStringLiteral("PUJ_DOKDY"));
    f->DBGrid1TitleClick(2);  // Půjčeno komu: the catalogue's own tag
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{2, 1, 3}));
    // The main window's cursor on the album table sees the new tags and still works.
    EXPECT_TRUE(okno->session().TData()->hasTag("_PUJ_DOKDY"));
    okno->session().TData()->first();
    EXPECT_EQ(okno->session().TData()->recordCount(), 3u);
    // Sorting a list sorts the scratch table.
    f->setRadioGroup1Index(1);
    f->DBGrid1TitleClick(0);
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{1, 2, 3}));
    f->DBGrid1TitleClick(0);
    EXPECT_EQ(cislaVPrehledu(f), (std::vector<std::int64_t>{3, 2, 1}));
    f->MVZMinusClick(1);
    EXPECT_EQ(f->velikostFontu(), 11);
    f->MVZUlozClick();
    EXPECT_EQ(CtiCislo(ini(), "FPujCD", "font", 0), 11);
    EXPECT_EQ(okno->textPanelu(5),
              QStringLiteral("pořadí sloupců, jejich velikost a velikost fontu uložena"));
}

TEST_F(Pujceni, RefreshRequestsRefillTheBorrowers) {
    alba({{1, "Alfa", "bratr", QDate(2026, 12, 20)}});
    TFPujCD* f = otevriPujceni();
    EXPECT_EQ(f->ComboBox1->count(), 1);
    ZapisText(ini(), "puj_komu", "1", "švagr");
    okno->ObnovaFormularu(2);
    okno->AktivujAktivni();
    EXPECT_GE(f->ComboBox1->findText(QStringLiteral("švagr")), 0);
    // Another window returned the album: code 1 shows it on activation.
    dbf::Cursor& hlavni = *okno->session().TData();
    hlavni.first();
    ZapisVraceni(okno->session().engine(), hlavni);
    f->obnova = 1;
    f->FormActivate();
    EXPECT_EQ(f->stav->text(), QStringLiteral("Není půjčena"));
    EXPECT_EQ(okno->textPanelu(5), QString());
}

}  // namespace
}  // namespace lorvika
