#include <QMdiSubWindow>
#include <fstream>

#include "HlavniOknoTest.h"
#include "app/TFNavig.h"
#include "app/Zastupci.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;
using Navigator = test::HlavniOknoFixture;

TFNavig* navigator(TForm1& okno) {
    const int i = okno.JeSpustenForm(QStringLiteral("FNavig"));
    return i < 0 ? nullptr : qobject_cast<TFNavig*>(okno.formulare()[i]);
}

TEST_F(Navigator, ButtonsCaptionsHintsAndTheirMenuItems) {
    registrujFormulare({"FEditCD"});
    spust();
    TFNavig* n = navigator(*okno);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->windowTitle(), QStringLiteral("Navigátor"));
    EXPECT_EQ(n->Label1->text(), QStringLiteral("NAVIGÁTOR"));
    const struct {
        QPushButton* b;
        const char* caption;
        const char* hint;
    } buttons[] = {{n->BView, "Prohlížeč", "prohlížení AudioCD"},
                   {n->Button1, "Nové", "zadání nového AudioCD"},
                   {n->Button5, "Vyhledávač", "vyhledání AudioCD podle různých kritérií"},
                   {n->Button11, "Půjčení", "půjčení AudioCD"},
                   {n->BEdit, "Editace", "editace AudioCD"},
                   {n->Button4, "Odstranění", "odstranění AudioCD z databáze"},
                   {n->BCancel, "Konec", "ukončení programu"}};
    for (const auto& b : buttons) {
        EXPECT_EQ(b.b->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(b.b->statusTip(), QString::fromUtf8(b.hint)) << b.caption;
    }
    EXPECT_EQ(n->BHelp->text(), QStringLiteral("Co je to.."));
    EXPECT_TRUE(n->BOK->isHidden());
    EXPECT_TRUE(n->BEdit->isEnabled());
    EXPECT_FALSE(n->BView->isEnabled()) << "its form is not registered";
    zpravy.expect("Zatím není hotové", MsgKind::Information, kButtonsOK, Sound::None,
                  MsgButton::OK);
    n->BHelp->click();
    n->BEdit->click();
    zpracuj();
    EXPECT_EQ(jmenaOken(), QStringList{QStringLiteral("FEditCD")});
}

TEST_F(Navigator, PlacementOutsideMaximizeModeIsSavedAndRestored) {
    ZapisAnoNe(ini(), "Nastaveni", "FMaxim", false);
    ZapisCislo(ini(), "FNavig", "State", 2);
    ZapisCislo(ini(), "FNavig", "Left", -8);
    ZapisCislo(ini(), "FNavig", "Top", 5);
    registrujFormulare({"FEditCD"});
    spust();
    QMdiSubWindow* w = navigator(*okno)->okno();
    EXPECT_FALSE(w->isMaximized());
    EXPECT_EQ(w->pos(), QPoint(0, 5)) << "a negative position is restored at 0";
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
    w->move(20, 30);
    w->resize(500, 350);
    // Opening a data form closes the navigator, which saves where it was.
    okno->otevriFormular(QStringLiteral("FEditCD"));
    zpracuj();
    ASSERT_EQ(navigator(*okno), nullptr);
    EXPECT_EQ(CtiCislo(ini(), "FNavig", "State", 0), 2);
    EXPECT_EQ(CtiCislo(ini(), "FNavig", "Left", 0), 20);
    EXPECT_EQ(CtiCislo(ini(), "FNavig", "Top", 0), 30);
    EXPECT_EQ(CtiCislo(ini(), "FNavig", "Width", 0), 500);
    EXPECT_EQ(CtiCislo(ini(), "FNavig", "Height", 0), 350);
}

TEST_F(Navigator, PackTimerRunsWhileAPackIsPendingAndGivesUpAfter21Attempts) {
    registrujFormulare({"FEditCD"});
    spust();
    // A pending pack while a data form is open cannot run: the navigator keeps trying.
    okno->otevriFormular(QStringLiteral("FEditCD"));
    zpracuj();
    okno->session().nastavCekaKomprese(true);
    okno->otevriFormular(QStringLiteral("FNavig"));
    zpracuj();
    TFNavig* n = navigator(*okno);
    ASSERT_NE(n, nullptr);
    EXPECT_TRUE(n->casovacBezi());
    for (int i = 1; i <= 21; ++i) {
        n->Timer1Timer();
        EXPECT_EQ(n->pokusu(), i);
        EXPECT_TRUE(n->casovacBezi());
    }
    n->Timer1Timer();
    EXPECT_EQ(n->pokusu(), 0);
    EXPECT_FALSE(n->casovacBezi());
    EXPECT_TRUE(okno->session().cekaKomprese());
}

TEST_F(Navigator, PendingPackRunsOnceOnlyTheNavigatorIsOpen) {
    spust();
    okno->session().nastavCekaKomprese(true);
    TFNavig* n = navigator(*okno);
    n->poOtevreniDatabaze();
    EXPECT_TRUE(n->casovacBezi());
    n->Timer1Timer();
    EXPECT_FALSE(okno->session().cekaKomprese());
    EXPECT_NE(okno->session().TSkladby(), nullptr) << "the track table is open again";
    n->Timer1Timer();
    EXPECT_FALSE(n->casovacBezi());
}

TEST(Zastupci, OnlyExistingCompanionFilesGetEntries) {
    test::TestDir dir;
    const fs::path prog = dir.sub("opt/lorvika/bin");
    const QString p = QString::fromStdString(prog.string());
    auto jmena = [&] {
        QStringList out;
        for (const Zastupce& z : seznamZastupcu(p, p + QStringLiteral("/lorvika"))) {
            out.append(z.jmeno);
            EXPECT_EQ(z.pracovni, QString::fromStdString((dir.path() / "opt/lorvika").string()));
        }
        return out;
    };
    EXPECT_EQ(jmena(), QStringList{QStringLiteral("Lorvika")});
    std::ofstream(prog / "popis.txt") << "popis";
    std::ofstream(prog / "sonsetup.exe") << "MZ";
    EXPECT_EQ(jmena(), (QStringList{QStringLiteral("Lorvika"), QStringLiteral("Popis"),
                                    QStringLiteral("Sonorek-nastavení")}));
}

// The smallest main window, a common one and a full-HD one, with child windows maximized and
// normal: every button stays inside the client area with its caption whole, and the letters
// grow with the window without outgrowing the buttons.
TEST_F(Navigator, EveryButtonStaysInsideTheClientAreaAtAnySize) {
    spust();
    for (bool maximalizovat : {true, false}) {
        if (okno->FMaxim() != maximalizovat) okno->MFMaximClick();
        double predtim = 0;
        for (const QSize velikost : {okno->minimumSize(), QSize(1024, 768), QSize(1920, 1080)}) {
            SCOPED_TRACE(QStringLiteral("%1x%2 %3")
                             .arg(velikost.width())
                             .arg(velikost.height())
                             .arg(maximalizovat ? "maximized" : "normal")
                             .toStdString());
            okno->resize(velikost);
            zpracuj();
            EXPECT_EQ(okno->size(), velikost) << "the frame keeps the size it is given";
            TFNavig* n = navigator(*okno);
            ASSERT_NE(n, nullptr);
            const QList<QWidget*> ovladace{n->BView,    n->Button1, n->Button5,
                                           n->Button11, n->BEdit,   n->Button4,
                                           n->BCancel,  n->BHelp,   n->Label1};
            EXPECT_EQ(test::nevidetelne(*okno, ovladace).join(u';').toStdString(), "");
            const double pismo = n->BView->font().pointSizeF();
            EXPECT_GE(pismo, 7.0) << "readable";
            EXPECT_GE(pismo, predtim) << "letters do not shrink when the window grows";
            predtim = pismo;
        }
        okno->resize(okno->minimumSize());
        zpracuj();
        EXPECT_EQ(test::nevidetelne(*okno, {navigator(*okno)->BCancel}).join(u';').toStdString(),
                  "")
            << "back to the smallest size";
    }
}

}  // namespace
}  // namespace lorvika
