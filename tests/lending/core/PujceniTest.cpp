#include <gtest/gtest.h>

#include <filesystem>

#include "lending/Pujceni.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

constexpr dbf::Date kDnes{2026, 12, 8};

TEST(StavPujceni, DueTodayIsLentTheDayAfterOverdue) {
    struct Pripad {
        const char* anone;
        dbf::Date dokdy;
        dbf::Date dnes;
        StavPujceni stav;
    } pripady[] = {
        {"A", {2026, 12, 8}, kDnes, StavPujceni::Pujcena},
        {"A", {2026, 12, 8}, {2026, 12, 9}, StavPujceni::PoTerminu},
        {"A", {2026, 12, 31}, {2027, 1, 1}, StavPujceni::PoTerminu},
        {"A ", {2027, 1, 1}, kDnes, StavPujceni::Pujcena},
        {"A", {}, kDnes, StavPujceni::Pujcena},
        {"N", {2020, 1, 1}, kDnes, StavPujceni::Nepujcena},
        {"", {}, kDnes, StavPujceni::Nepujcena},
        {"a", {2020, 1, 1}, kDnes, StavPujceni::Nepujcena},
    };
    for (const Pripad& p : pripady)
        EXPECT_EQ(StavPujceniZ(p.anone, p.dokdy, p.dnes), p.stav)
            << p.anone << " " << DatumText(p.dokdy) << " " << DatumText(p.dnes);
    EXPECT_STREQ(TextStavu(StavPujceni::Nepujcena), "Není půjčena");
    EXPECT_STREQ(TextStavu(StavPujceni::Pujcena), "Je půjčena");
    EXPECT_STREQ(TextStavu(StavPujceni::PoTerminu), "Půjčena a nevrácena v termínu");
}

TEST(StavPujceni, DatesCrossMonthsYearsAndLeapDays) {
    EXPECT_EQ(PosunDatum({2024, 2, 28}, 1), (dbf::Date{2024, 2, 29}));
    EXPECT_EQ(PosunDatum({2023, 2, 28}, 1), (dbf::Date{2023, 3, 1}));
    EXPECT_EQ(PosunDatum({2026, 12, 31}, 1), (dbf::Date{2027, 1, 1}));
    EXPECT_EQ(PosunDatum({2026, 1, 1}, -1), (dbf::Date{2025, 12, 31}));
    EXPECT_EQ(PosunDatum({1900, 3, 1}, -1), (dbf::Date{1900, 2, 28}));
    EXPECT_EQ(PosunDatum(kDnes, 10000), (dbf::Date{2054, 4, 25}));
    EXPECT_EQ(RozdilDni({1899, 12, 30}, {1899, 12, 31}), 1);
    EXPECT_EQ(RozdilDni(kDnes, {2027, 12, 8}), 365);
    EXPECT_EQ(DatumText({1899, 12, 31}), "31.12.1899");
}

TEST(StavPujceni, QueriesOfTheTwoLists) {
    EXPECT_EQ(DotazSeznamu(DruhSeznamu::Pujcene, kDnes),
              "select cddata.* from cddata \nwhere cddata.puj_anone=\"A\"");
    EXPECT_EQ(DotazSeznamu(DruhSeznamu::PoTerminu, {2027, 1, 1}),
              "select cddata.* from cddata \nwhere cddata.puj_dokdy BETWEEN \"31.12.1899\" AND "
              "\"31.12.2026\"");
    EXPECT_STREQ(ZpravaPrazdnehoSeznamu(DruhSeznamu::Pujcene), "Žádné CD není půjčeno");
    EXPECT_STREQ(ZpravaPrazdnehoSeznamu(DruhSeznamu::PoTerminu),
                 "Žádné CD není nevráceno po termínu");
}

class Seznamy : public ::testing::Test {
  protected:
    void SetUp() override {
        adresar = dir.sub("db").string();
        engine.setLanguageDriver(std::string(kOvladacKatalogu));
        VytvorTabulky(engine, adresar);
        PridejSloupce(engine, adresar);
        alba = engine.open(adresar, std::string(kSouborAlb));
    }
    void pridej(int cislo, const char* komu, dbf::Date dokdy) {
        alba->append();
        alba->setInteger("CISLO", cislo);
        alba->setText("ARTIST", "Interpret " + std::to_string(cislo));
        alba->post();
        if (komu) ZapisPujceni(engine, *alba, komu, dokdy, true);
    }
    std::vector<std::int64_t> cisla(DruhSeznamu druh, dbf::Date dnes) {
        const std::size_t n = VytvorSeznam(engine, adresar, druh, dnes);
        auto c = engine.open(adresar, "cdpuj.dbf");
        c->setTag("cislo");
        std::vector<std::int64_t> out;
        for (c->first(); !c->eof(); c->next()) out.push_back(c->integer("CISLO"));
        EXPECT_EQ(out.size(), n);
        return out;
    }

    test::TestDir dir;
    std::string adresar;
    dbf::Engine engine;
    std::unique_ptr<dbf::Cursor> alba;
};

TEST_F(Seznamy, LentAndOverdueListsInNumberOrder) {
    pridej(7, "bratr", {2026, 12, 7});
    pridej(3, "sestra", {2026, 12, 8});
    pridej(5, nullptr, {});
    pridej(1, "švagr", {1950, 1, 1});
    pridej(9, "teta", {2026, 12, 9});
    EXPECT_EQ(cisla(DruhSeznamu::Pujcene, kDnes), (std::vector<std::int64_t>{1, 3, 7, 9}));
    EXPECT_EQ(cisla(DruhSeznamu::PoTerminu, kDnes), (std::vector<std::int64_t>{1, 7}));
    // The next day the album due today is overdue too.
    EXPECT_EQ(cisla(DruhSeznamu::PoTerminu, {2026, 12, 9}), (std::vector<std::int64_t>{1, 3, 7}));
    // A return takes the album out of both lists.
    ASSERT_TRUE(NajdiCD(7, "cislo", *alba));
    ZapisVraceni(engine, *alba);
    EXPECT_EQ(cisla(DruhSeznamu::Pujcene, kDnes), (std::vector<std::int64_t>{1, 3, 9}));
    EXPECT_EQ(cisla(DruhSeznamu::PoTerminu, kDnes), (std::vector<std::int64_t>{1}));
    SmazSeznam(engine, adresar);
    EXPECT_FALSE(fs::exists(fs::path(adresar) / "cdpuj.dbf"));
    EXPECT_FALSE(fs::exists(fs::path(adresar) / "cdpuj.mdx"));
}

TEST_F(Seznamy, EmptyListsAndALeftOverScratchTable) {
    pridej(1, nullptr, {});
    EXPECT_TRUE(cisla(DruhSeznamu::Pujcene, kDnes).empty());
    // A scratch table left behind (a crash) is replaced, never read as a list.
    pridej(2, "bratr", {2026, 1, 1});
    EXPECT_EQ(cisla(DruhSeznamu::Pujcene, kDnes), (std::vector<std::int64_t>{2}));
    EXPECT_TRUE(JeDatabaze(adresar));
    // An index file alone is removed as well.
    SmazSeznam(engine, adresar);
    fs::copy_file(fs::path(adresar) / "cddata.mdx", fs::path(adresar) / "cdpuj.mdx");
    SmazSeznam(engine, adresar);
    EXPECT_FALSE(fs::exists(fs::path(adresar) / "cdpuj.mdx"));
}

}  // namespace
}  // namespace lorvika
