#include "app/Sdilene.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "app/Proporce.h"

namespace lorvika {
namespace {

TEST(CasTexty, MinutesAndSecondsPaddedAndNeverNegative) {
    const struct {
        int seconds;
        const char* text;
    } cases[] = {{0, "00:00"},    {5, "00:05"},   {59, "00:59"},  {60, "01:00"},   {187, "03:07"},
                 {3725, "62:05"}, {-30, "00:00"}, {-90, "00:00"}, {6000, "100:00"}};
    for (const auto& c : cases)
        EXPECT_EQ(CasText(c.seconds), QString::fromUtf8(c.text)) << c.seconds;
}

TEST(CasTexty, SecondsFromTypedText) {
    const struct {
        const char* text;
        int seconds;
    } cases[] = {{"3:07", 187}, {"3.7", 187},  {"3,7", 187},     {"1:75", 135},
                 {"12", 0},     {"", 0},       {"a:10", 10},     {"2:x", 120},
                 {"::5", 0},    {"1:2:3", 62}, {" 4 : 05", 245}, {"62:05", 3725}};
    for (const auto& c : cases)
        EXPECT_EQ(SekundyZTextu(QString::fromUtf8(c.text)), c.seconds) << c.text;
}

TEST(CasTexty, TextAndSecondsRoundTrip) {
    for (int s : {0, 1, 59, 61, 599, 3599, 3725, 86399})
        EXPECT_EQ(SekundyZTextu(CasText(s)), s) << s;
}

TEST(CasTexty, DaysAndHoursOnlyWhenNeeded) {
    const struct {
        long long seconds;
        const char* text;
    } cases[] = {{65, "01:05"},
                 {3725, "01:02:05"},
                 {86400 + 3600 + 61, "1d.01:01:01"},
                 {86400, "1d.00:00:00"},
                 {0, "00:00"},
                 {-5, "00:00"},
                 {12LL * 86400 + 5, "12d.00:00:05"}};
    for (const auto& c : cases)
        EXPECT_EQ(CasTextDny(c.seconds), QString::fromUtf8(c.text)) << c.seconds;
}

TEST(CasTexty, MinutesSecondsFromParts) {
    EXPECT_EQ(MinSekText(3, 7), QStringLiteral("03:07"));
    EXPECT_EQ(MinSekText(-1, -2), QStringLiteral("00:00"));
    EXPECT_EQ(MinSekText(74, 59), QStringLiteral("74:59"));
}

TEST(Zobrazeni, RatingWordsAndColumnTexts) {
    const QStringList polozky = HodnoceniPolozky();
    const char* slova[] = {"-", "ODPAD", "SLABÉ", "PRŮMĚRNÉ", "DOBRÉ", "VYNIKAJÍCÍ", "GENIÁLNÍ"};
    ASSERT_EQ(polozky.size(), 7);
    for (int n = 0; n <= 6; ++n) EXPECT_EQ(polozky[n], QString::fromUtf8(slova[n]));

    EXPECT_EQ(AnoNeText(QStringLiteral("A")), QStringLiteral("ANO"));
    EXPECT_EQ(AnoNeText(QStringLiteral("a")), QStringLiteral("ANO"));
    EXPECT_EQ(AnoNeText(QStringLiteral("N")), QStringLiteral("NE"));
    EXPECT_EQ(AnoNeText(QString()), QStringLiteral("NE"));
}

TEST(Napovedy, ShortAndLongParts) {
    EXPECT_EQ(kratkaNapoveda(QStringLiteral("|ukončení")), QString());
    EXPECT_EQ(dlouhaNapoveda(QStringLiteral("|ukončení")), QStringLiteral("ukončení"));
    EXPECT_EQ(kratkaNapoveda(QStringLiteral("Konec")), QStringLiteral("Konec"));
    EXPECT_EQ(dlouhaNapoveda(QStringLiteral("Konec")), QStringLiteral("Konec"));
    EXPECT_EQ(kratkaNapoveda(QStringLiteral("a|b")), QStringLiteral("a"));
    EXPECT_EQ(dlouhaNapoveda(QStringLiteral("a|b")), QStringLiteral("b"));
}

TEST(SeradSeznam, CzechOrderIgnoringCase) {
    QCollator cs{QLocale(QLocale::Czech, QLocale::CzechRepublic)};
    QStringList s{QStringLiteral("chata"), QStringLiteral("Hrad"), QStringLiteral("cesta"),
                  QStringLiteral("čaj"),   QStringLiteral("Ahoj"), QStringLiteral("ira")};
    SeradSeznam(s, cs);
    EXPECT_EQ(
        s, (QStringList{QStringLiteral("Ahoj"), QStringLiteral("cesta"), QStringLiteral("čaj"),
                        QStringLiteral("Hrad"), QStringLiteral("chata"), QStringLiteral("ira")}));
}

TEST(SeradSeznam, EdgeSizesAndDuplicates) {
    QStringList prazdny;
    SeradSeznam(prazdny);
    EXPECT_TRUE(prazdny.isEmpty());
    QStringList jeden{QStringLiteral("x")};
    SeradSeznam(jeden);
    EXPECT_EQ(jeden, QStringList{QStringLiteral("x")});
    QStringList s;
    for (int i = 40; i > 0; --i) s.append(QStringLiteral("p%1").arg(i % 7));
    SeradSeznam(s);
    for (qsizetype i = 1; i < s.size(); ++i)
        EXPECT_LE(QCollator().compare(s[i - 1].toLower(), s[i].toLower()), 0) << i;
    EXPECT_EQ(s.size(), 40);
    EXPECT_EQ(s.count(QStringLiteral("p0")), 5);
}

TEST(SirkySloupcu, WholePartOfWeightShare) {
    EXPECT_EQ(SirkySloupcu({1, 1, 2}, 420, 20), (QList<int>{100, 100, 200}));
    EXPECT_EQ(SirkySloupcu({1, 2}, 110, 10), (QList<int>{33, 66}));
    EXPECT_EQ(SirkySloupcu({0, 0}, 100, 0), (QList<int>{0, 0}));
    EXPECT_TRUE(SirkySloupcu({}, 100, 0).isEmpty());
}

TEST(Proporce, NarrowerDirectionScalesOtherSnapsBack) {
    const struct {
        QSize klient;
        QSize zaklad;
        double meritko;
        QSize vysledek;
    } cases[] = {
        // only wider: height rules, width snaps back to the base ratio
        {{800, 413}, {632, 413}, 1.0, {632, 413}},
        // only taller: width rules
        {{632, 600}, {632, 413}, 1.0, {632, 413}},
        // twice the size both ways
        {{1264, 826}, {632, 413}, 2.0, {1264, 826}},
        // taller than wide: width rules, height from the ratio
        {{316, 400}, {632, 413}, 0.5, {316, 206}},  // 206.5 rounds to even
        {{950, 430}, {632, 430}, 1.0, {632, 430}},
    };
    for (const auto& c : cases) {
        const KrokProporci k = spocitejProporce(c.klient, c.zaklad);
        EXPECT_DOUBLE_EQ(k.meritko, c.meritko) << c.klient.width() << "x" << c.klient.height();
        EXPECT_EQ(k.klient, c.vysledek) << c.klient.width() << "x" << c.klient.height();
    }
    EXPECT_EQ(zaokrouhliSude(2.5), 2);
    EXPECT_EQ(zaokrouhliSude(3.5), 4);
    EXPECT_EQ(zaokrouhliSude(3.4), 3);
}

}  // namespace
}  // namespace lorvika
