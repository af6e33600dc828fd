#include <QFileDialog>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "HlavniOknoTest.h"
#include "app/QtSluzby.h"
#include "app/UvodniObrazek.h"

namespace lorvika {
namespace {

using Sluzby = test::HlavniOknoFixture;

TEST_F(Sluzby, FormsMenuListsTheOpenWindowsWithTheActiveOneChecked) {
    registrujFormulare({"FEditCD", "FViewCD"});
    spust();
    otevri("FEditCD");
    otevri("FViewCD");
    QMenu* m = okno->menu(QStringLiteral("MForm"));
    emit m->aboutToShow();
    QStringList okna;
    QString aktivni;
    bool zaOddelovacem = false;
    for (QAction* a : m->actions()) {
        if (a->isSeparator()) {
            zaOddelovacem = true;
            continue;
        }
        if (!zaOddelovacem) continue;
        okna.append(a->text());
        if (a->isChecked()) aktivni = a->text();
    }
    EXPECT_EQ(okna, (QStringList{QStringLiteral("&1 FEditCD"), QStringLiteral("&2 FViewCD")}));
    EXPECT_EQ(aktivni, QStringLiteral("&2 FViewCD"));
    // Picking an entry activates that window; opening the menu again does not pile entries up.
    m->actions()[m->actions().indexOf(m->actions().last()) - 1]->trigger();
    zpracuj();
    EXPECT_EQ(okno->aktivniFormular()->objectName(), QStringLiteral("FEditCD"));
    emit m->aboutToShow();
    EXPECT_EQ(m->actions().size(), 8 + 1 + 2);
}

TEST_F(Sluzby, DatabaseMenuItemsOnlyWithFewerThanTwoWindows) {
    registrujFormulare({"FEditCD"});
    spust();
    QMenu* m = okno->menu(QStringLiteral("databaze"));
    emit m->aboutToShow();
    EXPECT_TRUE(okno->akce(QStringLiteral("DBNew"))->isEnabled());
    EXPECT_TRUE(okno->akce(QStringLiteral("MDKompres"))->isEnabled());
    otevri("FEditCD");
    okno->otevriFormular(QStringLiteral("FNavig"));
    zpracuj();
    ASSERT_EQ(okno->formulare().size(), 2);
    emit m->aboutToShow();
    EXPECT_FALSE(okno->akce(QStringLiteral("DBNew"))->isEnabled());
    EXPECT_FALSE(okno->akce(QStringLiteral("DBopen"))->isEnabled());
    EXPECT_FALSE(okno->akce(QStringLiteral("MDTxt"))->isEnabled());
}

TEST_F(Sluzby, StartPictureClosesOnceTheLoopIsIdle) {
    UvodniObrazek::ukaz();
    EXPECT_TRUE(UvodniObrazek::jeZobrazen());
    zpracuj();
    EXPECT_FALSE(UvodniObrazek::jeZobrazen());
}

TEST_F(Sluzby, DirectoryDialogGivesTheChosenDirectoryOrNothing) {
    const auto cil = dir.sub("databaze");
    QtDialogs dialogy;
    QTimer::singleShot(100, [&cil] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->setDirectory(QString::fromStdString(cil.string()));
        QMetaObject::invokeMethod(d, "accept");
    });
    const auto vybrano = dialogy.chooseDirectory(dir.str(), false);
    ASSERT_TRUE(vybrano.has_value());
    EXPECT_EQ(std::filesystem::path(*vybrano), cil);
    QTimer::singleShot(100, [] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) d->reject();
    });
    EXPECT_FALSE(dialogy.chooseDirectory(dir.str(), true).has_value());
}

}  // namespace
}  // namespace lorvika
