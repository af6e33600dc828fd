#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QRegularExpression>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "reports/Sestava.h"
#include "store/Catalogue.h"
#include "support/Command.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

QGuiApplication& aplikace() {
    static int argc = 1;
    static char jmeno[] = "lorvika-test";
    static char* argv[] = {jmeno, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

constexpr double kBodNaMm = 72.0 / 25.4;

// One word of the PDF with its box in points, as poppler sees it.
struct Slovo {
    int strana;
    double x0, y0, x1, y1;
    QString text;
};

std::vector<Slovo> slovaPdf(const fs::path& pdf) {
    const test::CommandRun r =
        test::runCommand("pdftotext -bbox '" + pdf.string() + "' - 2>/dev/null");
    EXPECT_TRUE(r.started && r.status == 0) << "pdftotext failed on " << pdf;
    std::vector<Slovo> out;
    static const QRegularExpression slovo(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    int strana = 0;
    for (const QString& radek : QString::fromStdString(r.output).split(u'\n')) {
        if (radek.contains(QStringLiteral("<page "))) ++strana;
        const auto m = slovo.match(radek);
        if (!m.hasMatch()) continue;
        QString t = m.captured(5);
        t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        out.push_back({strana, m.captured(1).toDouble(), m.captured(2).toDouble(),
                       m.captured(3).toDouble(), m.captured(4).toDouble(), t});
    }
    return out;
}

std::string pdfInfo(const fs::path& pdf) {
    return test::runCommand("pdfinfo '" + pdf.string() + "' 2>/dev/null").output;
}

struct Album {
    std::string artist, album, zanr;
    int rok = 0;
    int delka = 0;
};

class Sestava : public ::testing::Test {
  protected:
    void SetUp() override {
        aplikace();
        VytvorTabulky(engine, dir.str());
        alba = engine.open(dir.str(), std::string(kSouborAlb));
        alba->setTag("artist");
    }

    void pridej(const std::vector<Album>& seznam) {
        for (const Album& a : seznam) {
            alba->append();
            alba->setInteger("CISLO", ++cislo);
            alba->setText("ARTIST", a.artist);
            alba->setText("ALBUM", a.album);
            alba->setText("ZANR", a.zanr);
            alba->setInteger("ROK", a.rok);
            alba->setInteger("DELKA", a.delka);
            alba->post();
        }
    }

    std::vector<Slovo> tiskni(int typ, bool velka = false) {
        NastaveniSestavy n;
        n.typ = typ;
        n.velka = velka;
        n.dnes = QDate(2026, 12, 8);
        vysledek = SestavaDoPdf(pdf.string(), *alba, n);
        return fs::exists(pdf) ? slovaPdf(pdf) : std::vector<Slovo>{};
    }

    // The words on the line of the word that starts with text (same page, same height).
    static QStringList radek(const std::vector<Slovo>& slova, const QString& prvni,
                             int strana = 0) {
        for (const Slovo& s : slova) {
            if (s.text != prvni || (strana && s.strana != strana)) continue;
            QStringList out;
            for (const Slovo& t : slova)
                if (t.strana == s.strana && std::abs((t.y0 + t.y1) / 2 - (s.y0 + s.y1) / 2) < 2 &&
                    t.x0 >= s.x0 - 0.1)
                    out.append(t.text);
            return out;
        }
        return {};
    }
    static const Slovo* najdi(const std::vector<Slovo>& slova, const QString& text,
                              int strana = 0) {
        for (const Slovo& s : slova)
            if (s.text == text && (!strana || s.strana == strana)) return &s;
        return nullptr;
    }

    test::TestDir dir;
    dbf::Engine engine;
    std::unique_ptr<dbf::Cursor> alba;
    fs::path pdf = dir.path() / "sestava.pdf";
    VysledekSestavy vysledek;
    int cislo = 0;
};

TEST_F(Sestava, SummaryCountsAndAddsTheLengths) {
    struct Pripad {
        std::vector<int> delky;
        const char* celkem;
    };
    const Pripad pripady[] = {
        {{2400, 2700, 3000}, "02:15:00"},
        {{3600}, "01:00:00"},
        {{59}, "00:59"},
        {{86400, 3600, 61}, "1d.01:01:01"},
    };
    for (const Pripad& p : pripady) {
        for (alba->first(); !alba->eof();) alba->remove();
        std::vector<Album> seznam;
        for (int d : p.delky) seznam.push_back({"Interpret", "Album", "", 2000, d});
        pridej(seznam);
        const auto slova = tiskni(1);
        const QStringList r = radek(slova, QStringLiteral("počet:"));
        EXPECT_EQ(r.mid(0, 5),
                  (QStringList{QStringLiteral("počet:"), QString::number(p.delky.size()),
                               QStringLiteral("délka"), QStringLiteral("celkem:"),
                               QString::fromUtf8(p.celkem)}))
            << p.celkem;
        EXPECT_EQ(r.mid(5).join(u' '),
                  QLocale().toString(QDate(2026, 12, 8), QLocale::ShortFormat));
        EXPECT_EQ(vysledek.pocet, static_cast<std::int64_t>(p.delky.size()));
    }
}

TEST_F(Sestava, ReportOneLaysOutTheHeaderLinesAndSummaryOnA4) {
    pridej({{"Čechomor", "Proměny", "Folk", 2001, 3000}, {"Arakain", "Thrash", "Metal", 0, 2000}});
    const auto slova = tiskni(1);
    ASSERT_FALSE(slova.empty());
    EXPECT_NE(pdfInfo(pdf).find("Lorvika-tisk-1"), std::string::npos);
    EXPECT_TRUE(QString::fromStdString(pdfInfo(pdf))
                    .contains(QRegularExpression(QStringLiteral("Page size: +595.* x 84[12].*A4"))))
        << "A4 portrait: " << pdfInfo(pdf);

    const QStringList titulek = radek(slova, QStringLiteral("Lorvika"));
    ASSERT_FALSE(titulek.isEmpty());
    EXPECT_EQ(titulek.join(u' '), HlavickaSestavy());
    const Slovo* lorvika = najdi(slova, QStringLiteral("Lorvika"));
    EXPECT_NEAR(lorvika->x0, 10 * kBodNaMm, 1.5);
    EXPECT_NEAR(lorvika->y0, 10 * kBodNaMm, 2.5) << "top margin 10 mm";
    EXPECT_NEAR(lorvika->y1 - lorvika->y0, 8, 3) << "8-point title";

    const Slovo* interpret = najdi(slova, QStringLiteral("INTERPRET"));
    const Slovo* album = najdi(slova, QStringLiteral("ALBUM"));
    ASSERT_TRUE(interpret && album);
    EXPECT_NEAR(interpret->x0, (10 + 1.3) * kBodNaMm, 1.5);
    EXPECT_NEAR(album->x0, (10 + 95.2) * kBodNaMm, 1.5);
    EXPECT_GT(interpret->y0, lorvika->y1 - 0.5);

    // One line per album in the cursor's order, at the columns' left edges.
    EXPECT_EQ(radek(slova, QStringLiteral("Arakain")),
              (QStringList{QStringLiteral("Arakain"), QStringLiteral("Thrash")}));
    const Slovo* arakain = najdi(slova, QStringLiteral("Arakain"));
    const Slovo* cechomor = najdi(slova, QStringLiteral("Čechomor"));
    const Slovo* promeny = najdi(slova, QStringLiteral("Proměny"));
    ASSERT_TRUE(arakain && cechomor && promeny);
    EXPECT_LT(arakain->y0, cechomor->y0);
    EXPECT_GT(arakain->y0, interpret->y1);
    EXPECT_NEAR(cechomor->x0, (10 + 1.3) * kBodNaMm, 1.5);
    EXPECT_NEAR(promeny->x0, (10 + 95.2) * kBodNaMm, 1.5);

    // The summary sits at the bottom of the page, above the 15 mm margin.
    const Slovo* pocet = najdi(slova, QStringLiteral("počet:"));
    ASSERT_NE(pocet, nullptr);
    EXPECT_LT(pocet->y1, (297 - 15) * kBodNaMm + 0.5);
    EXPECT_GT(pocet->y0, (297 - 15 - 10) * kBodNaMm);
    EXPECT_EQ(vysledek.stran, 1);
}

TEST_F(Sestava, ReportTwoRightAlignsTheYearAndLeavesYearZeroEmpty) {
    pridej({{"Arakain", "Thrash", "Metal", 0, 2000}, {"Beatles", "Help", "Rock", 1965, 2000}});
    const auto slova = tiskni(2);
    EXPECT_NE(pdfInfo(pdf).find("Lorvika-tisk-2"), std::string::npos);
    EXPECT_NE(najdi(slova, QStringLiteral("ROK")), nullptr);
    EXPECT_EQ(radek(slova, QStringLiteral("Arakain")),
              (QStringList{QStringLiteral("Arakain"), QStringLiteral("Thrash")}));
    EXPECT_EQ(
        radek(slova, QStringLiteral("Beatles")),
        (QStringList{QStringLiteral("Beatles"), QStringLiteral("Help"), QStringLiteral("1965")}));
    const Slovo* help = najdi(slova, QStringLiteral("Help"));
    const Slovo* rok = najdi(slova, QStringLiteral("1965"));
    ASSERT_TRUE(help && rok);
    EXPECT_NEAR(help->x0, (10 + 87.3) * kBodNaMm, 1.5);
    EXPECT_NEAR(rok->x1, (10 + 172.0 + 13.2) * kBodNaMm, 1.5) << "right-aligned";
}

TEST_F(Sestava, CapitalsTurnArtistAndAlbumButNeverTheGenre) {
    pridej({{"čechomor", "proměny ňůž", "world music", 2001, 100}});
    auto slova = tiskni(3, true);
    EXPECT_NE(pdfInfo(pdf).find("Lorvika-tisk-2"), std::string::npos) << "report 3 keeps 2's title";
    EXPECT_NE(najdi(slova, QStringLiteral("ŽÁNR")), nullptr);
    EXPECT_EQ(
        radek(slova, QStringLiteral("ČECHOMOR")),
        (QStringList{QStringLiteral("ČECHOMOR"), QStringLiteral("PROMĚNY"), QStringLiteral("ŇŮŽ"),
                     QStringLiteral("world"), QStringLiteral("music")}));
    const Slovo* zanr = najdi(slova, QStringLiteral("world"));
    ASSERT_NE(zanr, nullptr);
    EXPECT_NEAR(zanr->x0, (10 + 157.4) * kBodNaMm, 1.5);
    alba->first();
    EXPECT_EQ(alba->text("ARTIST"), "čechomor") << "the stored data is unchanged";

    slova = tiskni(3, false);
    EXPECT_NE(najdi(slova, QStringLiteral("čechomor")), nullptr);
}

TEST_F(Sestava, LongTextsAreCutToTheirColumn) {
    const std::string dlouhy(50, 'W');
    pridej({{dlouhy, dlouhy, "", 1999, 100}});
    const auto slova = tiskni(2);
    const QStringList r = radek(slova, QStringLiteral("1999"));
    const Slovo* rok = najdi(slova, QStringLiteral("1999"));
    ASSERT_NE(rok, nullptr);
    int radku = 0;
    for (const Slovo& s : slova) {
        if (!s.text.startsWith(u'W')) continue;
        ++radku;
        EXPECT_LT(s.text.size(), 50);
        EXPECT_NEAR((s.y0 + s.y1) / 2, (rok->y0 + rok->y1) / 2, 1.0) << "one line";
        const double pravy = s.x0 < (10 + 50) * kBodNaMm ? 10 + 1.3 + 84.7 : 10 + 87.3 + 84.7;
        EXPECT_LE(s.x1, pravy * kBodNaMm + 0.5);
    }
    EXPECT_EQ(radku, 2);
}

TEST_F(Sestava, EveryPageHasTheHeaderAndOnlyTheLastTheSummary) {
    std::vector<Album> seznam;
    for (int i = 0; i < 120; ++i) {
        char jmeno[16];
        std::snprintf(jmeno, sizeof jmeno, "A%03d", i);
        seznam.push_back({jmeno, "Deska", "", 2000, 60});
    }
    pridej(seznam);
    const auto slova = tiskni(1);
    ASSERT_GE(vysledek.stran, 3);
    for (int s = 1; s <= vysledek.stran; ++s) {
        EXPECT_NE(najdi(slova, QStringLiteral("INTERPRET"), s), nullptr) << s;
        EXPECT_NE(najdi(slova, QStringLiteral("Lorvika"), s), nullptr) << s;
        EXPECT_EQ(najdi(slova, QStringLiteral("počet:"), s) != nullptr, s == vysledek.stran) << s;
    }
    // Every album once, in order, and no line below the bottom margin.
    int dalsi = 0;
    for (const Slovo& s : slova) {
        if (!s.text.startsWith(u'A') || s.text.size() != 4 || s.text == QStringLiteral("ALBUM"))
            continue;
        EXPECT_EQ(s.text.mid(1).toInt(), dalsi++);
        EXPECT_LT(s.y1, (297 - 15) * kBodNaMm);
    }
    EXPECT_EQ(dalsi, 120);
    EXPECT_EQ(radek(slova, QStringLiteral("počet:")).value(1), QStringLiteral("120"));
    EXPECT_EQ(radek(slova, QStringLiteral("počet:")).value(4), QStringLiteral("02:00:00"));
}

TEST_F(Sestava, AnEmptyTableGivesNoReportAndAWrongNumberIsAnError) {
    const auto slova = tiskni(1);
    EXPECT_TRUE(slova.empty());
    EXPECT_FALSE(fs::exists(pdf));
    EXPECT_EQ(vysledek.stran, 0);
    pridej({{"A", "B", "", 0, 1}});
    NastaveniSestavy n;
    for (int typ : {0, 4, -1}) {
        n.typ = typ;
        EXPECT_THROW(SestavaDoPdf(pdf.string(), *alba, n), ChybaSestavy) << typ;
    }
    EXPECT_FALSE(fs::exists(pdf));
}

}  // namespace
}  // namespace lorvika
