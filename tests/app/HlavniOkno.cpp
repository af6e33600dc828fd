#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTest>

#include "HlavniOknoTest.h"
#include "app/TFNavig.h"
#include "store/Catalogue.h"
#include "support/Files.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;
using test::HlavniOknoFixture;
using test::ZkusebniForm;

using HlavniOkno = HlavniOknoFixture;

TEST_F(HlavniOkno, FirstStartCreatesTheDatabaseInTheProgramDirectoryWithoutAQuestion) {
    spust();
    EXPECT_TRUE(zpravy.shown().empty());
    EXPECT_TRUE(fs::exists(dir.home() / "cddata.DBF"));
    EXPECT_TRUE(fs::exists(dir.home() / "cdskladby.DBF"));
    EXPECT_TRUE(okno->windowTitle().startsWith(QStringLiteral("Lorvika 1.4 {")))
        << okno->windowTitle().toStdString();
    EXPECT_EQ(okno->textPanelu(4), QStringLiteral("0"));
    EXPECT_EQ(okno->napovedaPanelu(4), QStringLiteral("počet AudioCD"));
    EXPECT_EQ(jmenaOken(), QStringList{QStringLiteral("FNavig")});
    EXPECT_TRUE(okno->menu(QStringLiteral("databaze"))->menuAction()->isVisible());
    EXPECT_EQ(okno->minimumSize(), QSize(600, 450));
}

TEST_F(HlavniOkno, StatusBarPanelsTextsAndHints) {
    test::TestDir* d = &dir;
    (void)d;
    spust();
    EXPECT_EQ(okno->napovedaPanelu(1), QStringLiteral("aktivita klávesy CapsLock"));
    EXPECT_EQ(okno->napovedaPanelu(2), QStringLiteral("aktivita klávesy NumLock"));
    EXPECT_EQ(okno->napovedaPanelu(3), QStringLiteral("aktuální datum"));
    EXPECT_EQ(okno->textPanelu(3), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    // Offscreen there is no X server to tell the lock state: both panels stay empty.
    EXPECT_EQ(okno->textPanelu(1), QString());
    EXPECT_EQ(okno->textPanelu(2), QString());
    okno->StavovyText(QStringLiteral("zpráva"));
    EXPECT_EQ(okno->textPanelu(5), QStringLiteral("zpráva"));
    okno->ukazatel("zálohuji databázi..", 140);
    EXPECT_TRUE(okno->panelJeMerak());
    EXPECT_EQ(okno->hodnotaMeraku(), 100);
    okno->ukazatelKonec();
    EXPECT_FALSE(okno->panelJeMerak());
    EXPECT_EQ(okno->textPanelu(5), QString());
    okno->PocetCD(2, 0);
    EXPECT_EQ(okno->textPanelu(4), QString());
    EXPECT_EQ(okno->napovedaPanelu(4), QString());
    okno->PocetCD(1, 12);
    EXPECT_EQ(okno->textPanelu(4), QStringLiteral("12"));
}

TEST_F(HlavniOkno, MenusWithNamesShortcutsAndHints) {
    registrujFormulare({"FEditCD", "FViewCD"});
    spust();
    const struct {
        const char* name;
        const char* caption;
        const char* key;
        const char* hint;
        bool visible;
    } items[] = {
        {"DBNew", "&nová", "", "vytvoření nové databáze filmů a kazet", true},
        {"DBopen", "&otevři", "", "otevření stávající databáze filmů a kazet", true},
        {"MDKompres", "&komprese", "", "provedení komprese databáze", true},
        {"MDTxt", "o&bnova TXT", "", "oprava a nové vytvoření TXT souborů - nutné pro Sonorek",
         true},
        {"MKonfig1", "&výběrové položky..", "", "otevře dialog pro nastavení výběrových položek",
         true},
        {"MKonfig2", "&nastavení programu..", "", "", false},
        {"MKonfig3", "&zálohování..", "", "otevře dialog pro nastavení zálohování databáze", true},
        {"MFMaxim", "ma&ximalizovat", "", "nastavení maximalizace formulářů", true},
        {"MFNavig", "&navigátor", "F2", "zobrazí formulář Navigátor", true},
        {"MFFViewCD", "&prohlížeč", "F3", "zobrazí formulář Prohlížeč AudioCD", true},
        {"MFFEditCD", "&editace", "F4", "zobrazí formulář Editace AudioCD", true},
        {"MFFNewCD", "n&ové", "F5", "zobrazí formulář Nové AudioCD", true},
        {"MFFFiltrCD", "vyhledání", "F7", "", true},
        {"MFFPrycCD", "&odstranění", "F8", "zobrazí formulář Odstranění AudioCD", true},
        {"MFFPujCD", "pů&jčení", "F9", "zobrazí formulář Půjčení AudioCD", true},
        {"MInfHelp", "&nápověda", "", "zobrazí nápovědu", false},
        {"MInfNObsah", "nápověda-&obsah", "", "zobrazí obsah nápovědy", false},
        {"MInfDatab", "o &databázi", "", "zobrazí informace o otevřené databázi", true},
        {"MInfoAbout", "&about", "", "zobrazí informace o programu", true},
    };
    for (const auto& i : items) {
        QAction* a = okno->akce(QString::fromUtf8(i.name));
        ASSERT_NE(a, nullptr) << i.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(i.caption)) << i.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromUtf8(i.key))) << i.name;
        EXPECT_EQ(a->statusTip(), QString::fromUtf8(i.hint)) << i.name;
        EXPECT_EQ(a->isVisible(), i.visible) << i.name;
    }
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
    } menus[] = {{"databaze", "&Databáze", "Práce s databází"},
                 {"MZnovOt", "pře&dchozí", "otevření předchozích databází .."},
                 {"MKonfig", "&Konfigurace", "Nastavení programu"},
                 {"MForm", "&Formuláře", "seznam formulářů a jejich spuštění"},
                 {"mInfo", "&Info", "Informace a nápověda"}};
    for (const auto& m : menus) {
        QMenu* menu = okno->menu(QString::fromUtf8(m.name));
        ASSERT_NE(menu, nullptr) << m.name;
        EXPECT_EQ(menu->title(), QString::fromUtf8(m.caption)) << m.name;
        EXPECT_EQ(menu->menuAction()->statusTip(), QString::fromUtf8(m.hint)) << m.name;
    }
    // Only registered forms can be opened; the rest are there but disabled.
    EXPECT_TRUE(okno->akce(QStringLiteral("MFFEditCD"))->isEnabled());
    EXPECT_TRUE(okno->akce(QStringLiteral("MFFViewCD"))->isEnabled());
    EXPECT_TRUE(okno->akce(QStringLiteral("MFNavig"))->isEnabled());
    for (const char* n :
         {"MFFNewCD", "MFFFiltrCD", "MFFPrycCD", "MFFPujCD", "MKonfig1", "MInfoAbout"})
        EXPECT_FALSE(okno->akce(QString::fromUtf8(n))->isEnabled()) << n;
    EXPECT_TRUE(okno->akce(QStringLiteral("MFMaxim"))->isChecked());
}

TEST_F(HlavniOkno, HintsOfMenuItemsAndButtonsShowInTheMessagePanel) {
    spust();
    okno->akce(QStringLiteral("MKonfig3"))->showStatusText(okno.get());
    EXPECT_EQ(okno->textPanelu(5),
              QStringLiteral("otevře dialog pro nastavení zálohování databáze"));
    auto* navig = qobject_cast<TFNavig*>(okno->formulare().front());
    ASSERT_NE(navig, nullptr);
    QStatusTipEvent tip(navig->BCancel->statusTip());
    QApplication::sendEvent(navig->BCancel, &tip);
    EXPECT_EQ(okno->textPanelu(5), QStringLiteral("ukončení programu"));
}

TEST_F(HlavniOkno, RebuildingTheTextFilesShowsItsStatusTextAndClearsItAfterwards) {
    std::vector<std::string> texty;
    upravSluzby = [&texty](SluzbyHlavnihoOkna& s) {
        auto puvodni = s.obnovaTxt;
        s.obnovaTxt = [&texty, puvodni](dbf::Cursor& a, dbf::Cursor& b, const std::string& txt,
                                        const std::function<void(const std::string&)>& stav) {
            puvodni(a, b, txt, [&](const std::string& t) {
                texty.push_back(t);
                stav(t);
            });
        };
    };
    spust();
    okno->akce(QStringLiteral("MDTxt"))->trigger();
    EXPECT_EQ(texty,
              (std::vector<std::string>{"ukládám textové soubory - propojení pro Sonorek", ""}));
    EXPECT_EQ(okno->textPanelu(5), QString());
}

TEST_F(HlavniOkno, FunctionKeysOpenEachRegisteredFormOnce) {
    registrujFormulare({"FEditCD", "FViewCD", "FNewCD"});
    spust();
    okno->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(okno.get()));
    const struct {
        Qt::Key key;
        const char* form;
    } keys[] = {{Qt::Key_F4, "FEditCD"}, {Qt::Key_F3, "FViewCD"}, {Qt::Key_F5, "FNewCD"}};
    for (const auto& k : keys) {
        for (int pokus = 0; pokus < 2; ++pokus) {
            QTest::keyClick(okno.get(), k.key);
            test::HlavniOknoFixture::zpracuj();
            EXPECT_EQ(jmenaOken().count(QString::fromUtf8(k.form)), 1) << k.form;
            ASSERT_NE(okno->aktivniFormular(), nullptr);
            EXPECT_EQ(okno->aktivniFormular()->objectName(), QString::fromUtf8(k.form));
        }
    }
    // The navigator made way for the first data form; the three forms stay open.
    EXPECT_EQ(okno->JeSpustenForm(QStringLiteral("FNavig")), -1);
    EXPECT_EQ(jmenaOken().size(), 3);
    EXPECT_GE(okno->JeSpustenForm(QStringLiteral("feditcd")), 0);
    EXPECT_EQ(okno->JeSpustenForm(QStringLiteral("FPujCD")), -1);
    // F2 brings the navigator back beside them.
    QTest::keyClick(okno.get(), Qt::Key_F2);
    test::HlavniOknoFixture::zpracuj();
    EXPECT_GE(okno->JeSpustenForm(QStringLiteral("FNavig")), 0);
}

TEST_F(HlavniOkno, NavigatorGivesWayAndComesBackWithTheLastDataForm) {
    registrujFormulare({"FEditCD", "FViewCD"});
    spust();
    ZkusebniForm* edit = otevri("FEditCD");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(jmenaOken(), QStringList{QStringLiteral("FEditCD")});
    EXPECT_FALSE(okno->menu(QStringLiteral("databaze"))->menuAction()->isVisible());
    ZkusebniForm* view = otevri("FViewCD");
    ASSERT_NE(view, nullptr);
    view->zavri();
    zpracuj();
    EXPECT_EQ(jmenaOken(), QStringList{QStringLiteral("FEditCD")});
    edit->zavri();
    zpracuj();
    EXPECT_EQ(jmenaOken(), QStringList{QStringLiteral("FNavig")});
    EXPECT_TRUE(okno->menu(QStringLiteral("databaze"))->menuAction()->isVisible());
}

TEST_F(HlavniOkno, NavigatorRefusesToCloseWhenAloneAndEscClosesItOtherwise) {
    registrujFormulare({"FEditCD"});
    spust();
    auto* navig = qobject_cast<TFNavig*>(okno->formulare().front());
    navig->zavri();
    zpracuj();
    EXPECT_EQ(jmenaOken(), QStringList{QStringLiteral("FNavig")});
    // Esc on the navigator with a data form open closes it.
    okno->otevriFormular(QStringLiteral("FEditCD"));
    okno->otevriFormular(QStringLiteral("FNavig"));
    zpracuj();
    ASSERT_GE(okno->JeSpustenForm(QStringLiteral("FNavig")), 0);
    navig =
        qobject_cast<TFNavig*>(okno->formulare()[okno->JeSpustenForm(QStringLiteral("FNavig"))]);
    navig->reject();
    zpracuj();
    EXPECT_EQ(okno->JeSpustenForm(QStringLiteral("FNavig")), -1);
}

TEST_F(HlavniOkno, KonecAsksOnlyWhenOtherWindowsAreOpen) {
    registrujFormulare({"FEditCD"});
    spust();
    okno->otevriFormular(QStringLiteral("FEditCD"));
    okno->otevriFormular(QStringLiteral("FNavig"));
    zpracuj();
    auto* navig =
        qobject_cast<TFNavig*>(okno->formulare()[okno->JeSpustenForm(QStringLiteral("FNavig"))]);
    ASSERT_NE(navig, nullptr);
    zpravy.expect("Opravdu ukončit aplikaci ?", MsgKind::Confirmation, kButtonsYesNo,
                  Sound::Question, MsgButton::No);
    navig->BCancel->click();
    zpracuj();
    EXPECT_TRUE(okno->isVisible());
    EXPECT_FALSE(okno->zavira());
}

TEST_F(HlavniOkno, KonecWithOnlyTheNavigatorEndsWithoutAQuestion) {
    spust();
    auto* navig = qobject_cast<TFNavig*>(okno->formulare().front());
    navig->BCancel->click();
    zpracuj();
    EXPECT_TRUE(okno->zavira());
    EXPECT_FALSE(okno->isVisible());
    EXPECT_TRUE(zpravy.shown().empty());
}

TEST_F(HlavniOkno, MaximizeModeOffGivesBorderIconsAndNormalStateAndBack) {
    registrujFormulare({"FEditCD"});
    spust();
    ZkusebniForm* edit = otevri("FEditCD");
    ASSERT_NE(edit, nullptr);
    QMdiSubWindow* w = edit->okno();
    EXPECT_TRUE(w->isMaximized());
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(okno->proporce().zapnuto());

    okno->MFMaximClick();
    EXPECT_FALSE(okno->FMaxim());
    EXPECT_FALSE(okno->akce(QStringLiteral("MFMaxim"))->isChecked());
    EXPECT_FALSE(w->isMaximized());
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(okno->proporce().zapnuto());

    okno->MFMaximClick();
    EXPECT_TRUE(okno->FMaxim());
    EXPECT_TRUE(w->isMaximized());
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(okno->proporce().zapnuto());
}

TEST_F(HlavniOkno, ProgramEndWritesPlacementMaximizeModeAndRecentList) {
    spust();
    okno->MFMaximClick();
    okno->close();
    EXPECT_EQ(CtiText(ini(), "Nastaveni", "FMaxim", "?"), "0");
    EXPECT_NE(CtiCislo(ini(), "Okno", "State", 0), 0);
    EXPECT_GE(CtiCislo(ini(), "Okno", "Width", 0), 600);
    const QString zo1 = QString::fromStdString(CtiText(ini(), "Predchozi DB", "ZO1", ""));
    EXPECT_EQ(zo1.compare(QString::fromStdString(home()), Qt::CaseInsensitive), 0)
        << zo1.toStdString();
    okno.reset();

    // The next start reads the mode back: child windows open normal, not maximized.
    spust();
    EXPECT_FALSE(okno->FMaxim());
    EXPECT_FALSE(okno->akce(QStringLiteral("MFMaxim"))->isChecked());
    EXPECT_FALSE(okno->formulare().front()->okno()->isMaximized());
}

TEST_F(HlavniOkno, SetupQuestionOnlyForTheExactSingleArgument) {
    const fs::path xdg = dir.sub("xdg");
    ::setenv("XDG_DATA_HOME", (xdg / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (xdg / "config").c_str(), 1);
    for (const QStringList& args : {QStringList{QStringLiteral("-SETUP")},
                                    QStringList{QStringLiteral("-setup"), QStringLiteral("x")}}) {
        spust(args);
        EXPECT_TRUE(zpravy.shown().empty()) << args.join(u' ').toStdString();
        okno->close();
        okno.reset();
    }
    // An installed program has its menu entry from the package.
    upravSluzby = [](SluzbyHlavnihoOkna& s) { s.instalovany = true; };
    spust({QStringLiteral("-setup")});
    EXPECT_TRUE(zpravy.shown().empty());
    EXPECT_FALSE(fs::exists(xdg / "data" / "applications"));
    okno->close();
    okno.reset();
    upravSluzby = nullptr;
    zpravy.expect("Chceš vytvořit zástupce v nabidce Start?", MsgKind::Information, kButtonsYesNo,
                  Sound::Question, MsgButton::Yes);
    spust({QStringLiteral("-setup")});
    EXPECT_TRUE(fs::exists(xdg / "data" / "applications" / "lorvika-lorvika.desktop"));
    EXPECT_TRUE(
        fs::exists(xdg / "config" / "menus" / "applications-merged" / "lorvika-lorvika.menu"));
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(HlavniOkno, DirectoryArgumentWithoutADatabaseOpensTheLastOne) {
    const fs::path jina = dir.sub("prazdny");
    spust({QString::fromStdString(jina.string())});
    EXPECT_TRUE(fs::exists(dir.home() / "cddata.DBF"));
    EXPECT_FALSE(fs::exists(jina / "cddata.DBF"));
}

// The recent list changes when a database is opened from the menu, and also whenever the list
// is remembered in the program INI file (start-up, program end, a second program window).
TEST_F(HlavniOkno, RecentListIsCurrentWheneverItsMenuOpens) {
    spust();
    QMenu* predchozi = okno->menu(QStringLiteral("MZnovOt"));
    ASSERT_NE(predchozi, nullptr);
    const auto otevri = [&] {
        emit okno->menu(QStringLiteral("databaze"))->aboutToShow();
        emit predchozi->aboutToShow();
    };
    const fs::path druha = dir.sub("druha");
    const fs::path treti = dir.sub("treti");
    DatabaseSession::ZapamatujDB(ini(), druha.string());
    otevri();
    QAction* prvni = okno->akce(QStringLiteral("MZO1"));
    EXPECT_TRUE(prvni->isVisible());
    const auto zkratka = [](const fs::path& p) {
        return DatabaseSession::ZkratCestu(40, p.string(), '/');
    };
    EXPECT_EQ(prvni->text().toStdString(), zkratka(dir.home()));

    ASSERT_TRUE(okno->session().NactiDB(treti.string(), false, false));
    otevri();
    EXPECT_TRUE(predchozi->menuAction()->isEnabled());
    EXPECT_EQ(prvni->text().toStdString(), zkratka(druha));
    EXPECT_TRUE(okno->akce(QStringLiteral("MZO2"))->isVisible());
    EXPECT_FALSE(okno->akce(QStringLiteral("MZO3"))->isVisible());
}

// The program's own archive service keeps the original tables of an old database before the
// opening converts them.
TEST_F(HlavniOkno, OpeningAnOldDatabaseKeepsItsOriginalTablesFirst) {
    const fs::path stara = dir.sub("stara");
    {
        dbf::Engine engine;
        engine.setLanguageDriver("DBWINUS0");
        VytvorTabulky(engine, stara.string());
        auto alba = engine.open(stara.string(), std::string(kSouborAlb));
        alba->append();
        alba->setInteger("CISLO", 1);
        alba->setText("ALBUM", "„Hej“ ©");
        alba->post();
    }
    const std::string original = test::readFile(stara / "cddata.DBF");
    spust({QString::fromStdString(stara.string())});
    ASSERT_TRUE(fs::exists(stara / "pred-prevodem.zip"));
    ASSERT_TRUE(okno->session().jeOtevrena());
    EXPECT_EQ(okno->session().adresar(), stara.string());
    dbf::Cursor& alba = *okno->session().TData();
    alba.first();
    EXPECT_EQ(alba.text("ALBUM"), "\"Hej\" ■");
    EXPECT_NE(test::readFile(stara / "cddata.DBF"), original);
}

}  // namespace
}  // namespace lorvika
