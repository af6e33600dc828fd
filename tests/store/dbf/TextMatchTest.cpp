#include <gtest/gtest.h>

#include "store/dbf/Engine.h"
#include "store/dbf/TableData.h"
#include "store/dbf/TextMatch.h"

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

}  // namespace
}  // namespace lorvika::dbf
