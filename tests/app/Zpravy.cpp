#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "GuiTest.h"
#include "app/QtSluzby.h"

namespace lorvika {
namespace {

struct Videno {
    QString text;
    QStringList tlacitka;
    QMessageBox::Icon ikona = QMessageBox::NoIcon;
    QRect misto;
    bool pipnutoPred = false;
};

// Presses the button with the given text on the box that comes up next, after noting it.
void stiskni(const QString& tlacitko, Videno& v, const bool& pipnuto) {
    QTimer::singleShot(50, [tlacitko, &v, &pipnuto] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        v.text = box->text();
        v.ikona = box->icon();
        v.misto = box->frameGeometry();
        v.pipnutoPred = pipnuto;
        for (QAbstractButton* b : box->buttons()) v.tlacitka.append(b->text());
        for (QAbstractButton* b : box->buttons())
            if (b->text() == tlacitko) b->click();
    });
}

class Zpravy : public ::testing::Test, public test::SAplikaci {
  protected:
    void SetUp() override {
        test::aplikace();
        hlavni.setGeometry(100, 80, 640, 480);
        hlavni.show();
        hlavni.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&hlavni));
        zpravy.setHlavni(&hlavni);
        zpravy.pipni = [this](Sound s) {
            zvuky.push_back(s);
            pipnuto = true;
        };
    }
    QWidget hlavni;
    QtMessages zpravy;
    std::vector<Sound> zvuky;
    bool pipnuto = false;
};

TEST_F(Zpravy, CzechButtonsAndThePressedOneComesBack) {
    const struct {
        const char* stisk;
        MsgButton vysledek;
    } cases[] = {{"Ano", MsgButton::Yes}, {"Ne", MsgButton::No}};
    for (const auto& c : cases) {
        Videno v;
        stiskni(QString::fromUtf8(c.stisk), v, pipnuto);
        const MsgButton r = zpravy.zobraz("Opravdu?", MsgKind::Confirmation, kButtonsYesNo);
        EXPECT_EQ(r, c.vysledek) << c.stisk;
        EXPECT_EQ(v.tlacitka, (QStringList{QStringLiteral("Ano"), QStringLiteral("Ne")}));
        EXPECT_EQ(v.ikona, QMessageBox::Question);
    }
    EXPECT_TRUE(zvuky.empty()) << "show message without beep must stay silent";
}

TEST_F(Zpravy, SoundOfTheKindComesBeforeTheBox) {
    const struct {
        MsgKind kind;
        Sound zvuk;
        QMessageBox::Icon ikona;
    } cases[] = {{MsgKind::Warning, Sound::Exclamation, QMessageBox::Warning},
                 {MsgKind::Error, Sound::CriticalStop, QMessageBox::Critical},
                 {MsgKind::Information, Sound::Default, QMessageBox::Information}};
    for (const auto& c : cases) {
        pipnuto = false;
        zvuky.clear();
        Videno v;
        stiskni(QStringLiteral("OK"), v, pipnuto);
        EXPECT_EQ(zpravy.zobrazSPipnutim("Řádek 1\r\nŘádek 2", c.kind, kButtonsOK), MsgButton::OK);
        ASSERT_EQ(zvuky.size(), 1u);
        EXPECT_EQ(zvuky[0], c.zvuk);
        EXPECT_TRUE(v.pipnutoPred);
        EXPECT_EQ(v.ikona, c.ikona);
        EXPECT_EQ(v.text, QStringLiteral("Řádek 1\nŘádek 2"));
        EXPECT_EQ(v.tlacitka, QStringList{QStringLiteral("OK")});
    }
}

TEST_F(Zpravy, CentredOnTheActiveWindow) {
    Videno v;
    stiskni(QStringLiteral("OK"), v, pipnuto);
    zpravy.zobraz("Hledané AudioCD nenalezeno", MsgKind::Information, kButtonsOK);
    const QPoint stred = hlavni.frameGeometry().center();
    EXPECT_LE(std::abs(v.misto.center().x() - stred.x()), 2);
    EXPECT_LE(std::abs(v.misto.center().y() - stred.y()), 2);

    // A separate window in front (a modal dialog) gets the box on itself.
    QWidget dialog;
    dialog.setGeometry(700, 500, 300, 200);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Videno v2;
    stiskni(QStringLiteral("OK"), v2, pipnuto);
    zpravy.zobraz("Zatím není hotové", MsgKind::Information, kButtonsOK);
    const QPoint stred2 = dialog.frameGeometry().center();
    EXPECT_LE(std::abs(v2.misto.center().x() - stred2.x()), 2);
    EXPECT_LE(std::abs(v2.misto.center().y() - stred2.y()), 2);
}

TEST(Umisteni, CentreFormula) {
    EXPECT_EQ(stredNaOkne(QRect(100, 50, 600, 400), QSize(200, 100)), QPoint(300, 200));
    EXPECT_EQ(stredNaOkne(QRect(0, 0, 100, 100), QSize(300, 300)), QPoint(-100, -100));
}

}  // namespace
}  // namespace lorvika
