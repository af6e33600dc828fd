#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/GridSort.h"
#include "store/dbf/Engine.h"
#include "support/TestDir.h"

using namespace lorvika;

namespace {

class GridSort : public ::testing::Test {
  protected:
    test::TestDir dir;
    dbf::Engine engine;
    std::unique_ptr<dbf::Cursor> cursor;

    void SetUp() override {
        engine.setLanguageDriver("DB852CZ0");
        engine.createTable(dir.str(), "cdpuj.DBF",
                           {dbf::FieldDef::text("ARTIST", 20),
                            dbf::FieldDef::number("CISLO"),
                            dbf::FieldDef::date("PUJ_DOKDY"),
                            {"PUJ", dbf::FieldType::Logical, 1, 0}});
        cursor = engine.open(dir.str(), "cdpuj.DBF");
        const struct {
            const char* artist;
            int cislo;
            dbf::Date date;
        } rows[] = {
            {"Čechomor", 2, {2024, 3, 1}},
            {"Chinaski", 3, {2023, 1, 9}},
            {"Cimbal", 1, {2025, 7, 7}},
        };
        for (const auto& r : rows) {
            cursor->append();
            cursor->setText("ARTIST", r.artist);
            cursor->setInteger("CISLO", r.cislo);
            cursor->setDate("PUJ_DOKDY", r.date);
            cursor->post();
        }
    }

    std::vector<std::string> artists() {
        std::vector<std::string> out;
        for (cursor->first(); !cursor->eof(); cursor->next()) out.push_back(cursor->text("ARTIST"));
        return out;
    }
};

TEST_F(GridSort, ThreeClicksGiveAscendingDescendingAscending) {
    struct Click {
        bool createdExpected;
        std::string tag;
        std::vector<std::string> order;
    };
    const std::vector<std::string> up = {"Cimbal", "Čechomor", "Chinaski"};
    const std::vector<std::string> down = {"Chinaski", "Čechomor", "Cimbal"};
    const Click clicks[] = {
        {true, "ARTIST", up},
        {true, "_ARTIST", down},
        {false, "ARTIST", up},
        {false, "_ARTIST", down},
    };
    for (const Click& c : clicks) {
        EXPECT_EQ(SloupecRaditelny(*cursor, "ARTIST"), c.createdExpected);
        EXPECT_EQ(SeradPodleSloupce(*cursor, "ARTIST", false), c.createdExpected) << c.tag;
        EXPECT_EQ(cursor->tag(), c.tag);
        EXPECT_EQ(artists(), c.order) << c.tag;
    }
    EXPECT_EQ(cursor->tags().size(), 2u);
}

TEST_F(GridSort, NextOrderFromTheCurrentTag) {
    cursor->addTag({"cislo", "CISLO", false});  // an existing lower-case tag counts as ascending
    struct Case {
        std::string current;
        bool descendingWanted;
        std::string next;
    };
    const Case cases[] = {
        {"", false, "CISLO"},       {"", true, "_CISLO"},       {"cislo", false, "_CISLO"},
        {"cislo", true, "_CISLO"},  {"_CISLO", false, "CISLO"}, {"_CISLO", true, "CISLO"},
        {"ARTIST", true, "_CISLO"}, {"ARTIST", false, "CISLO"},
    };
    cursor->addTag({"_CISLO", "CISLO", true});
    cursor->addTag({"ARTIST", "ARTIST", false});
    for (const Case& c : cases) {
        cursor->setTag(c.current);
        const auto r = DalsiRazeni(*cursor, "cislo", c.descendingWanted);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->tag, c.next) << c.current << " " << c.descendingWanted;
        EXPECT_EQ(r->sestupne, c.next.front() == '_');
    }
    cursor->setTag("cislo");
    EXPECT_FALSE(SeradPodleSloupce(*cursor, "CISLO", false));  // "_CISLO" exists
    EXPECT_EQ(cursor->tag(), "_CISLO");
    cursor->first();
    EXPECT_EQ(cursor->integer("CISLO"), 3);
}

TEST_F(GridSort, OnlyStoredTextNumberAndDateColumnsTakePart) {
    struct Case {
        std::string field;
        bool takesPart;
        bool creates;  // the descending tag
    };
    const Case cases[] = {
        {"ARTIST", true, true},     {"CISLO", true, true}, {"PUJ_DOKDY", true, true},
        {"puj_dokdy", true, false}, {"PUJ", false, false}, {"VYPOCET", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        cursor->setTag("");
        EXPECT_EQ(PoleKRazeni(*cursor, c.field), c.takesPart) << c.field;
        EXPECT_EQ(DalsiRazeni(*cursor, c.field, false).has_value(), c.takesPart);
        EXPECT_EQ(SloupecRaditelny(*cursor, c.field), c.takesPart) << c.field;
        EXPECT_EQ(SeradPodleSloupce(*cursor, c.field, true), c.creates) << c.field;
        EXPECT_EQ(cursor->tag().empty(), !c.takesPart) << c.field;
    }
    cursor->setTag("_PUJ_DOKDY");
    cursor->first();
    EXPECT_EQ(cursor->text("ARTIST"), "Cimbal");  // 2025 first when descending
}

TEST_F(GridSort, AViewsOrderIsNeverStoredAndAStoredOneReplacesIt) {
    const std::vector<std::string> down = {"Chinaski", "Čechomor", "Cimbal"};
    EXPECT_FALSE(SeradPodleSloupce(*cursor, "ARTIST", true, false));
    EXPECT_EQ(artists(), down);
    EXPECT_TRUE(SloupecRaditelny(*cursor, "ARTIST", true));
    cursor->addTag({"CISLO", "CISLO", false});  // makes the index file written
    const auto names = [this] {
        cursor.reset();
        engine.releaseUnused();
        cursor = engine.open(dir.str(), "cdpuj.DBF");
        std::vector<std::string> out;
        for (const dbf::TagDef& t : cursor->tags()) out.push_back(t.name);
        return out;
    };
    EXPECT_EQ(names(), std::vector<std::string>{"CISLO"});
    EXPECT_FALSE(SeradPodleSloupce(*cursor, "ARTIST", true, false));
    cursor->setTag("");
    EXPECT_TRUE(SeradPodleSloupce(*cursor, "ARTIST", true, true));
    EXPECT_EQ(artists(), down);
    EXPECT_EQ(names(), (std::vector<std::string>{"CISLO", "_ARTIST"}));
}

TEST(GridSortNames, TagNames) {
    EXPECT_EQ(TagRazeni("ALBUM", false), "ALBUM");
    EXPECT_EQ(TagRazeni("ALBUM", true), "_ALBUM");
}

}  // namespace
