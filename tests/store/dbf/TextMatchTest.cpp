#include <gtest/gtest.h>

#include <cmath>

#include "DbfTestSupport.h"
#include "store/dbf/Engine.h"
#include "store/dbf/TableData.h"
#include "store/dbf/TextMatch.h"
#include "support/TestDir.h"

namespace lorvika::dbf {
namespace {

// Each stored text is written through a table of the code page, then tested on its raw bytes.
bool Matches(std::string_view query, std::string_view stored, TextMatch::Mode mode, bool fold,
             std::uint8_t language) {
    Engine engine;
    engine.setLanguageDriver(language == kLanguageCp852 ? "DB852CZ0" : "DBWINUS0");
    auto t = engine.createTemporary({FieldDef::text("T", 20)});
    t->append();
    t->setText("T", stored);
    t->post();
    EXPECT_EQ(t->language(), language);
    return TextMatch(query, mode, fold, t->language())(t->rawText(0));
}

TEST(TextMatch, FoldsEveryLetterOfTheCodePageOnce) {
    using enum TextMatch::Mode;
    struct Case {
        const char* query;
        const char* stored;
        TextMatch::Mode mode;
        bool fold;
        bool result;
    };
    const Case cases[] = {
        {"ČÁST", "část", Equals, true, true},
        {"část", "ČÁST", Equals, true, true},
        {"ŁÓDŹ", "łódź", Equals, true, true},
        {"őű", "ŐŰ", Equals, true, true},
        {"cast", "ČÁST", Equals, true, false},
        {"část", "ČÁST", Equals, false, false},
        {"ČÁST", "ČÁST", Equals, false, true},
        {"část ", "část", Equals, true, false},
        {"", "", Equals, true, true},
        {"", "a", Equals, true, false},
        {"ŘEK", "Mořeka", Contains, true, true},
        {"REK", "Mořeka", Contains, true, false},
        {"řek", "MOŘEKY", Contains, false, false},
        {"ŘEK", "MOŘEKY", Contains, false, true},
        {"ŘE", "Mořeky", Contains, true, true},
        {"", "x", Contains, true, true},
        {"€", "?", Contains, true, false},
        {"a€", "a?", Equals, false, false},
        {"a?", "A?", Equals, true, true},
        {"y?", "Why?", Contains, true, true},
        {"ß", "STRAßE", Contains, true, true},
    };
    for (std::uint8_t language : {kLanguageCp852, kLanguageCp1250}) {
        for (const auto& c : cases) {
            EXPECT_EQ(Matches(c.query, c.stored, c.mode, c.fold, language), c.result)
                << c.query << " / " << c.stored << " / " << int(language);
        }
    }
}

TEST(TextMatch, RawTextIsTheStoredBytesWithoutTrailingBlanks) {
    Engine engine;
    auto t = engine.createTemporary({FieldDef::text("T", 10), FieldDef::number("N")});
    t->append();
    t->setText("T", " Čas  ");
    t->post();
    EXPECT_EQ(t->rawText(0), std::string_view("\x20\xAC\x61\x73", 4));
    t->append();
    t->post();
    EXPECT_EQ(t->rawText(0), "");
}

TEST(TextMatch, WholeNumbersReadTheStoredDigitsAsTheGeneralReadingRounds) {
    // As other programs write numbers: right- or left-aligned, with or without decimals.
    const char* const values[] = {"  99.5000", "-99.5", "99.4999", "12", "12.", "  -0.5",
                                  "",          "1e3",   " 7 ",     "+4", "1,5", "-12.75"};
    const std::int64_t expected[] = {100, -100, 99, 12, 12, -1, 0, 1000, 7, 4, 2, -13};
    std::vector<std::vector<std::string>> rows;
    for (const char* v : values) rows.push_back({v});
    test::TestDir dir;
    test::writeFile(dir.str() + "/cisla.dbf", test::rawDbf({{"N", 'N', 20, 4}}, rows));
    Engine engine;
    auto c = engine.open(dir.str(), "cisla.dbf");
    std::size_t i = 0;
    for (c->first(); !c->eof(); c->next(), ++i) {
        ASSERT_LT(i, std::size(expected));
        EXPECT_EQ(c->integer(0), expected[i]) << values[i];
        EXPECT_EQ(c->integer(0), std::llround(c->number("N"))) << values[i];
    }
    EXPECT_EQ(i, std::size(values));
}

}  // namespace
}  // namespace lorvika::dbf
