#include <QTest>
#include <QTimer>

#include "about/TFAbout.h"
#include "app/HlavniOknoTest.h"
#include "store/Verze.h"

namespace lorvika {
namespace {

class About : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        registrujTFAbout(registr);
        QApplication::setWindowIcon(Aplikace::ikonaProgramu());  // as the program sets it
        spust();
    }
    static QStringList hodnoty(const TFMAbout& d) {
        return {d.Label1->text(), d.Label2->text(), d.Label3->text(), d.Label4->text(),
                d.Label5->text()};
    }
};

TEST_F(About, ShowsTheValuesOfThisBuild) {
    TFAbout d(okno.get());
    EXPECT_EQ(hodnoty(d), QStringList(5, QStringLiteral("- - -")));
    d.FormCreate();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("About Lorvika 1.4"));
    EXPECT_EQ(hodnoty(d),
              (QStringList{QStringLiteral("Lorvika"), QStringLiteral("správa AudioCD + Sonorek"),
                           QStringLiteral("1.4.0.0"), QStringLiteral("Hobrane"), QString()}));
    EXPECT_EQ(d.Button1->text(), QStringLiteral("O.K."));
    // The program's icon, twice the 32 pixels of a title bar's.
    const QImage ikona = Aplikace::ikonaProgramu().pixmap(64).toImage();
    EXPECT_EQ(d.Image1->pixmap().toImage().convertToFormat(ikona.format()), ikona);
    EXPECT_EQ(d.EWeb->text(), QString::fromUtf8(verze::kWeb));
    EXPECT_EQ(d.EMail->text(), QString::fromUtf8(verze::kEmail));
    EXPECT_FALSE(d.EMail->text().isEmpty());
    for (QLineEdit* e : {d.EWeb, d.EMail}) {
        EXPECT_TRUE(e->isReadOnly());
        EXPECT_FALSE(e->hasFrame());
        EXPECT_EQ(e->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    }
    EXPECT_TRUE(d.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    TFMAbout plain(okno.get(), ZdrojProgramu());
    EXPECT_FALSE(plain.windowFlags().testFlag(Qt::WindowSystemMenuHint));
}

TEST_F(About, ABuildWithoutVersionValuesStillOpens) {
    TFAbout bez(okno.get(), std::nullopt);
    bez.FormCreate();
    EXPECT_EQ(hodnoty(bez), QStringList(5, QString()));

    // Without a listed translation the strings come from the block "040904E4".
    VerzniZdroj z;
    z.bloky["040904E4"]["ProductName"] = "Jinak";
    z.bloky["040504E2"]["ProductName"] = "Lorvika";
    EXPECT_EQ(CtiRetezec(z, "ProductName"), "Jinak");
    z.preklady = {"040504E2", "040904E4"};
    EXPECT_EQ(CtiRetezec(z, "ProductName"), "Lorvika");
    EXPECT_EQ(CtiRetezec(z, "CompanyName"), "");
    z.preklady = {"041B04E2"};
    EXPECT_EQ(CtiRetezec(z, "ProductName"), "");
    EXPECT_EQ(TextVerze(z), "");
    z.pevnaVerze = {{2, 10, 0, 7}};
    EXPECT_EQ(TextVerze(z), "2.10.0.7");
}

TEST_F(About, OpensFromTheMenuAndClosesWithOKOrEscape) {
    for (const bool escape : {false, true}) {
        bool videno = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TFAbout*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            videno = d->Label1->text() == QStringLiteral("Lorvika");
            if (escape)
                QTest::keyClick(d, Qt::Key_Escape);
            else
                d->Button1->click();
        });
        QAction* about = okno->akce(QStringLiteral("MInfoAbout"));
        ASSERT_TRUE(about && about->isEnabled());
        about->trigger();
        EXPECT_TRUE(videno) << escape;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

}  // namespace
}  // namespace lorvika
