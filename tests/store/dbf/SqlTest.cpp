#include <gtest/gtest.h>

#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "support/TestDir.h"

namespace lorvika::dbf {
namespace {

struct Album {
    std::string zanr;
    std::string anone;
    Date dokdy;
    int cislo;
};

class SqlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.createTable(dir.str(), "cddata.DBF",
                           {FieldDef::number("CISLO"), FieldDef::text("ZANR", 25),
                            FieldDef::text("PUJ_ANONE", 1), FieldDef::date("PUJ_DOKDY")});
        engine.createTable(dir.str(), "cdskladby.DBF",
                           {FieldDef::number("CD"), FieldDef::text("TYP", 25)});
    }

    void fill(const std::vector<Album>& albums) {
        auto c = engine.open(dir.str(), "cddata.DBF");
        for (const auto& a : albums) {
            c->append();
            c->setInteger("CISLO", a.cislo);
            c->setText("ZANR", a.zanr);
            c->setText("PUJ_ANONE", a.anone);
            if (!a.dokdy.isNull()) c->setDate("PUJ_DOKDY", a.dokdy);
            c->post();
        }
    }

    static std::vector<std::string> column(Cursor& c, const char* name) {
        std::vector<std::string> out;
        for (c.first(); !c.eof(); c.next()) out.push_back(c.text(name));
        return out;
    }
    static std::vector<std::int64_t> numbers(Cursor& c) {
        std::vector<std::int64_t> out;
        for (c.first(); !c.eof(); c.next()) out.push_back(c.integer("CISLO"));
        return out;
    }

    test::TestDir dir;
    Engine engine;
};

TEST_F(SqlTest, DistinctGivesNonEmptyValuesOnceInCzechOrder) {
    fill({{"rock", "", {}, 1},
          {"Šanson", "", {}, 2},
          {"", "", {}, 3},
          {"chanson", "", {}, 4},
          {"hip hop", "", {}, 5},
          {"rock  ", "", {}, 6},
          {"čardáš", "", {}, 7},
          {"cajdák", "", {}, 8},
          {"rock", "", {}, 9},
          {"Rock", "", {}, 10}});
    {
        // A deleted record is no value.
        auto c = engine.open(dir.str(), "cddata.DBF");
        for (c->first(); !c->eof() && c->integer("CISLO") != 2; c->next()) {
        }
        ASSERT_FALSE(c->eof());
        c->remove();
    }
    auto result = engine.sql(dir.str(), "select distinct ZANR from cddata.dbf where ZANR > ''");
    ASSERT_NE(result, nullptr);
    ASSERT_EQ(result->fields().size(), 1u);
    EXPECT_EQ(result->fields()[0].name, "ZANR");
    // c < č < h < ch < r; lower case before upper case of the same letters.
    EXPECT_EQ(column(*result, "ZANR"),
              (std::vector<std::string>{"cajdák", "čardáš", "hip hop", "chanson", "rock", "Rock"}));
    EXPECT_TRUE(result->readOnly());
}

TEST_F(SqlTest, DistinctOverTheTrackTableAndEmptyTable) {
    auto empty = engine.sql(dir.str(), "select distinct TYP from cdskladby.dbf where TYP > \"\"");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->isEmpty());
    {
        auto c = engine.open(dir.str(), "cdskladby.DBF");
        for (const char* t : {"živě", "", "remix", "živě"}) {
            c->append();
            c->setText("TYP", t);
            c->post();
        }
    }
    auto result = engine.sql(dir.str(), "select distinct TYP from cdskladby.dbf where TYP > ''");
    EXPECT_EQ(column(*result, "TYP"), (std::vector<std::string>{"remix", "živě"}));
}

TEST_F(SqlTest, LentAlbumsInPhysicalOrderWithAllColumns) {
    fill({{"jazz", "A", {2026, 1, 5}, 7},
          {"rock", "N", {}, 3},
          {"pop", "A", {2027, 1, 1}, 1},
          {"", "", {}, 2},
          {"blues", "a", {2026, 2, 1}, 9},
          {"smazané", "A", {}, 4}});
    {
        auto c = engine.open(dir.str(), "cddata.DBF");
        c->last();
        c->remove();
    }
    auto result =
        engine.sql(dir.str(), "select cddata.* from cddata \r\nwhere cddata.puj_anone=\"A\"");
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->fields().size(), 4u);
    EXPECT_EQ(numbers(*result), (std::vector<std::int64_t>{7, 1}));
    result->first();
    EXPECT_EQ(result->text("ZANR"), "jazz");
    EXPECT_EQ(result->date("PUJ_DOKDY"), (Date{2026, 1, 5}));
    EXPECT_THROW(result->edit(), EngineError);
    // The lending list copies the result into a table of its own.
    engine.batchCopy(*result, dir.str(), "cdpuj.dbf", BatchMode::Create);
    auto copy = engine.open(dir.str(), "cdpuj.dbf");
    EXPECT_EQ(copy->fields(), engine.open(dir.str(), "cddata.DBF")->fields());
    EXPECT_EQ(numbers(*copy), (std::vector<std::int64_t>{7, 1}));
    copy->first();
    EXPECT_EQ(copy->date("PUJ_DOKDY"), (Date{2026, 1, 5}));
}

TEST_F(SqlTest, OverdueAlbumsByDueDateRange) {
    fill({{"a", "A", {2026, 12, 6}, 1},
          {"b", "A", {2026, 12, 7}, 2},
          {"c", "A", {2026, 12, 8}, 3},
          {"d", "N", {}, 4},
          {"e", "A", {1999, 3, 1}, 5},
          {"f", "A", {1899, 12, 31}, 6}});
    struct Case {
        const char* low;
        const char* high;
        std::vector<std::int64_t> expected;
    };
    const Case cases[] = {
        {"31.12.1899", "7.12.2026", {1, 2, 5, 6}},
        {"31.12.1899", "06.12.2026", {1, 5, 6}},
        {"1.1.1900", "31.12.2030", {1, 2, 3, 5}},
        {"8.12.2026", "1.1.2026", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.low) + " - " + c.high);
        auto result = engine.sql(dir.str(), std::string("select cddata.* from cddata \r\nwhere "
                                                        "cddata.puj_dokdy BETWEEN \"") +
                                                c.low + "\" AND \"" + c.high + "\"");
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(numbers(*result), c.expected);
    }
}

TEST_F(SqlTest, AlterTableAddsColumnsKeepingRecords) {
    fill({{"jazz", "A", {2026, 1, 5}, 7}, {"rock", "", {}, 3}});
    EXPECT_EQ(engine.sql(dir.str(), "ALTER TABLE \"cddata.DBF\" add hodnoc Float"), nullptr);
    EXPECT_EQ(engine.sql(dir.str(), "ALTER TABLE \"cddata.DBF\" add popis Character(200)"),
              nullptr);
    auto c = engine.open(dir.str(), "cddata.DBF");
    ASSERT_EQ(c->fields().size(), 6u);
    EXPECT_EQ(c->fields()[4], FieldDef::number("HODNOC"));
    EXPECT_EQ(c->fields()[5], FieldDef::text("POPIS", 200));
    EXPECT_EQ(numbers(*c), (std::vector<std::int64_t>{7, 3}));
    c->first();
    EXPECT_EQ(c->text("ZANR"), "jazz");
    EXPECT_EQ(c->text("POPIS"), "");
    EXPECT_EQ(c->integer("HODNOC"), 0);
}

TEST_F(SqlTest, StatementsThatCannotRunAreEngineErrorsNamingThem) {
    const std::string statements[] = {
        "ALTER TABLE \"cddata.DBF\" add zanr Character(25)",  // already there
        "ALTER TABLE \"chybi.DBF\" add hodnoc Float",
        "select distinct NENI from cddata.dbf where NENI > ''",
        "select distinct ZANR from chybi.dbf where ZANR > ''",
        "select cddata.* from cddata where jina.puj_anone=\"A\"",
        "select jina.* from cddata where cddata.puj_anone=\"A\"",
        "select cddata.* from cddata where cddata.puj_dokdy BETWEEN \"x\" AND \"1.1.2000\"",
        "select cddata.* from cddata where cddata.cislo > \"abc\"",
        "update cddata set zanr = ''",
    };
    for (const auto& s : statements) {
        SCOPED_TRACE(s);
        try {
            engine.sql(dir.str(), s);
            ADD_FAILURE() << "ran";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("\"" + s + "\""), std::string::npos) << e.what();
        }
    }
    // Nothing was changed by the refused ALTER.
    EXPECT_EQ(engine.open(dir.str(), "cddata.DBF")->fields().size(), 4u);
}

}  // namespace
}  // namespace lorvika::dbf
