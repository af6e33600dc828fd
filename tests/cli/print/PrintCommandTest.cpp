#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "cli/Commands.h"
#include "cli/print/Tisk.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "support/Command.h"
#include "support/TestDir.h"

namespace lorvika::cli {
namespace {

namespace fs = std::filesystem;

struct Vysledek {
    int kod;
    std::string out, err;
};

Vysledek tisk(const Args& args) {
    std::ostringstream out, err;
    const int kod = runPrint(args, out, err);
    return {kod, out.str(), err.str()};
}

class Tisk : public ::testing::Test {
  protected:
    void SetUp() override {
        dbf::Engine engine;
        VytvorTabulky(engine, db.string());
    }
    void pridej(int cislo, const std::string& artist, const std::string& album, int rok) {
        dbf::Engine engine;
        auto c = engine.open(db.string(), std::string(kSouborAlb));
        c->append();
        c->setInteger("CISLO", cislo);
        c->setText("ARTIST", artist);
        c->setText("ALBUM", album);
        c->setInteger("ROK", rok);
        c->setInteger("DELKA", 1800);
        c->post();
    }
    std::string text(const fs::path& soubor) const {
        return test::runCommand("pdftotext -layout '" + soubor.string() + "' -").output;
    }

    test::TestDir tmp;
    fs::path db = tmp.sub("db");
    fs::path pdf = tmp.path() / "seznam.pdf";
};

TEST_F(Tisk, BadUsageIsTwoAndWritesNothing) {
    const std::string d = db.string(), p = pdf.string();
    const Args pripady[] = {
        {},
        {d},
        {d, "--typ", "1"},
        {d, "--pdf", p},
        {d, "--typ", "4", "--pdf", p},
        {d, "--typ", "0", "--pdf", p},
        {d, "--typ", "x", "--pdf", p},
        {d, "--typ", "1", "--typ", "2", "--pdf", p},
        {d, "--typ", "1", "--pdf"},
        {d, "--typ", "1", "--pdf", p, "--tag"},
        {d, "--typ", "1", "--pdf", p, "--neznamy"},
        {"--typ", "1", "--pdf", p},
    };
    pridej(1, "A", "B", 2000);
    for (const Args& a : pripady) {
        const Vysledek r = tisk(a);
        EXPECT_EQ(r.kod, kUsage) << ::testing::PrintToString(a);
        EXPECT_NE(r.err.find("print ADRESÁŘ --typ 1|2|3 --pdf SOUBOR"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(pdf));
}

TEST_F(Tisk, WritesTheListInTheOrderOfTheTag) {
    pridej(1, "Beatles", "Help", 1965);
    pridej(2, "Arakain", "Thrash", 0);
    pridej(3, "Čechomor", "Proměny", 2001);
    Vysledek r = tisk({db.string(), "--typ", "2", "--pdf", pdf.string()});
    ASSERT_EQ(r.kod, kOk) << r.err;
    EXPECT_NE(r.out.find("3 AudioCD, 1 strana"), std::string::npos) << r.out;
    std::string t = text(pdf);
    const auto a = t.find("Arakain"), b = t.find("Beatles"), c = t.find("Čechomor");
    ASSERT_TRUE(a != std::string::npos && b != std::string::npos && c != std::string::npos) << t;
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_TRUE(std::regex_search(t, std::regex("počet: +3 +délka celkem: +01:30:00"))) << t;

    r = tisk({db.string(), "--typ", "1", "--pdf", pdf.string(), "--tag", "album", "--velka"});
    ASSERT_EQ(r.kod, kOk) << r.err;
    t = text(pdf);
    EXPECT_LT(t.find("HELP"), t.find("PROMĚNY"));
    EXPECT_LT(t.find("PROMĚNY"), t.find("THRASH"));

    r = tisk({db.string(), "--typ", "1", "--pdf", pdf.string(), "--tag", "nic"});
    EXPECT_EQ(r.kod, kProblem);
}

TEST_F(Tisk, AnEmptyResultIsOneWithoutAFile) {
    const Vysledek r = tisk({db.string(), "--typ", "3", "--pdf", pdf.string()});
    EXPECT_EQ(r.kod, kProblem);
    EXPECT_NE(r.err.find("Žádné AudioCD k tisku"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(pdf));
    EXPECT_EQ(tisk({(tmp.path() / "nic").string(), "--typ", "1", "--pdf", pdf.string()}).kod,
              kProblem);
}

// The album filter is where the search conditions come in: only the albums that pass print.
TEST_F(Tisk, OnlyAlbumsThatPassThePredicatePrint) {
    pridej(1, "Beatles", "Help", 1965);
    pridej(2, "Arakain", "Thrash", 0);
    TiskArgs a;
    a.adresar = db.string();
    a.typ = 1;
    a.pdf = pdf.string();
    std::ostringstream out, err;
    const int kod = tiskni(
        a, [](const dbf::Cursor& c) { return c.integer("ROK") > 0; }, out, err);
    ASSERT_EQ(kod, kOk) << err.str();
    const std::string t = text(pdf);
    EXPECT_NE(t.find("Beatles"), std::string::npos);
    EXPECT_EQ(t.find("Arakain"), std::string::npos);
    EXPECT_EQ(tiskni(
                  a, [](const dbf::Cursor&) { return false; }, out, err),
              kProblem);
}

TEST_F(Tisk, TheProgramPrintsWithoutADisplay) {
    pridej(1, "Beatles", "Help", 1965);
    const std::string prikaz = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                               std::string(LORVIKA_BINARY_DIR) + "/bin/lorvika-db' print '" +
                               db.string() + "' --typ 1 --pdf '" + pdf.string() + "' 2>&1";
    const auto r = test::runCommand(prikaz);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(text(pdf).find("Beatles"), std::string::npos);
    const auto bez =
        test::runCommand("'" + std::string(LORVIKA_BINARY_DIR) + "/bin/lorvika-db' print '" +
                         db.string() + "' --typ 9 --pdf x");
    EXPECT_EQ(WEXITSTATUS(bez.status), 2);
}

}  // namespace
}  // namespace lorvika::cli
