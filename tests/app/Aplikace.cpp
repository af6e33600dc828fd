// The program's own application object: the engine test and the default error display.
#include "app/Aplikace.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "GuiTest.h"
#include "store/LangDriver.h"
#include "support/FakeMessages.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

Aplikace& aplikace() {
    return test::aplikaceTypu<Aplikace>();
}

TEST(Aplikace, TitleOfTheApplication) {
    // The test helper names every application; a fresh object names itself.
    aplikace();
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("Lorvika 1"));
    // "Lorvika 1" names the program in the task list; it is not pinned as a display name, which
    // the window system would append to every window title (" — Lorvika 1").
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("lorvika-lorvika"));
    // Every window shows the program's icon, from 16 pixels up to the about box's 64.
    for (const int s : {16, 32, 64})
        EXPECT_EQ(QApplication::windowIcon().pixmap(s).size(), QSize(s, s)) << s;
    QApplication::setApplicationName(QStringLiteral("jiny"));
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("jiny"));
    QApplication::setApplicationName(QStringLiteral("Lorvika 1"));
}

TEST(Aplikace, QtsOwnDialogsSpeakCzech) {
    aplikace();
    const struct {
        const char* kontext;
        const char* text;
    } texty[] = {{"QFileDialog", "Look in:"},
                 {"QFileDialog", "File &name:"},
                 {"QPlatformTheme", "Cancel"},
                 {"QPlatformTheme", "Save"}};
    for (const auto& t : texty)
        EXPECT_NE(QCoreApplication::translate(t.kontext, t.text).toStdString(), t.text)
            << t.kontext;
    QDialogButtonBox tlacitka(QDialogButtonBox::Cancel);
    EXPECT_EQ(tlacitka.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Zrušit"));
}

TEST(Aplikace, EngineConfigurationIsWrittenWhenMissingAndTheProgramStarts) {
    aplikace();
    test::TestDir dir;
    test::FakeMessages zpravy;
    const std::string konf = (dir.home() / "lorvika-engine.ini").string();
    EXPECT_TRUE(Aplikace::testStroje(konf, zpravy));
    EXPECT_TRUE(std::filesystem::exists(konf));
    EXPECT_TRUE(Aplikace::testStroje(konf, zpravy));
}

TEST(Aplikace, AnUnusableEngineConfigurationStopsTheProgramWithTheWarning) {
    aplikace();
    test::TestDir dir;
    std::ofstream(dir.path() / "soubor") << "x";
    const std::string konf = (dir.path() / "soubor" / "lorvika-engine.ini").string();
    std::string duvod;
    try {
        ZajistiKonfiguraciStroje(konf);
    } catch (const std::exception& e) {
        duvod = e.what();
    }
    ASSERT_FALSE(duvod.empty());
    test::FakeMessages zpravy;
    zpravy.expect(
        "Program nelze spustit,\r\nnení instalována potřebná databázová podpora - BDE.\r\n"
        "Možné stažení viz https://lorvika.invalid.\r\n" +
            duvod,
        MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
    EXPECT_FALSE(Aplikace::testStroje(konf, zpravy));
}

TEST(Aplikace, AnExceptionEscapingAHandlerIsShownAndTheProgramCarriesOn) {
    aplikace();
    QPushButton chybne(QStringLiteral("chyba"));
    QPushButton dobre(QStringLiteral("dobre"));
    QObject::connect(&chybne, &QPushButton::clicked,
                     [] { throw std::runtime_error("Soubor x.dbf nelze otevřít"); });
    int kliky = 0;
    QObject::connect(&dobre, &QPushButton::clicked, [&kliky] { ++kliky; });
    chybne.show();
    dobre.show();
    QString videno;
    QTimer::singleShot(50, [&videno] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            videno = box->text();
            box->buttons().front()->click();
        }
    });
    QTest::mouseClick(&chybne, Qt::LeftButton);
    EXPECT_EQ(videno, QStringLiteral("Soubor x.dbf nelze otevřít"));
    QTest::mouseClick(&dobre, Qt::LeftButton);
    EXPECT_EQ(kliky, 1);
}

}  // namespace
}  // namespace lorvika
