#include <gtest/gtest.h>

#include "store/dbf/EngineError.h"
#include "store/dbf/Sql.h"

namespace lorvika::dbf {
namespace {

TEST(SelectParse, GivesTheStatementParts) {
    const auto parsed = sql::parse(
        "select cddata.* from cddata \r\nwhere cddata.puj_dokdy BETWEEN \"31.12.1899\" AND "
        "\"7.12.2026\"");
    ASSERT_TRUE(std::holds_alternative<sql::Select>(parsed));
    const auto& s = std::get<sql::Select>(parsed);
    EXPECT_EQ(s.table, "cddata.dbf");
    EXPECT_TRUE(s.allColumns);
    EXPECT_FALSE(s.distinct);
    ASSERT_TRUE(s.where.has_value());
    EXPECT_EQ(s.where->column.table, "cddata");
    EXPECT_EQ(s.where->column.column, "puj_dokdy");
    EXPECT_EQ(s.where->op, sql::Compare::Between);
    EXPECT_EQ(s.where->value, "31.12.1899");
    EXPECT_EQ(s.where->upper, "7.12.2026");
    // Doubled quotes inside a literal, keywords in any case, a closing semicolon.
    const auto other = std::get<sql::Select>(
        sql::parse("SELECT DISTINCT artist FROM CDDATA.DBF WHERE artist > 'O''Brien';"));
    EXPECT_TRUE(other.distinct);
    EXPECT_EQ(other.column.column, "artist");
    EXPECT_EQ(other.where->op, sql::Compare::Greater);
    EXPECT_EQ(other.where->value, "O'Brien");
}

TEST(AlterParse, GivesTableAndColumn) {
    struct Case {
        const char* statement;
        const char* table;
        FieldDef field;
    };
    const Case cases[] = {
        {"ALTER TABLE \"cddata.DBF\" add hodnoc Float", "cddata.DBF", FieldDef::number("HODNOC")},
        {"ALTER TABLE \"cdskladby.DBF\" add typ Character(25)", "cdskladby.DBF",
         FieldDef::text("TYP", 25)},
        {"alter table \"cddata.DBF\" ADD popis character(200)", "cddata.DBF",
         FieldDef::text("POPIS", 200)},
        {"ALTER TABLE cddata add sax Character ( 50 )", "cddata.dbf", FieldDef::text("SAX", 50)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        const auto parsed = sql::parse(c.statement);
        ASSERT_TRUE(std::holds_alternative<sql::AlterAdd>(parsed));
        const auto& a = std::get<sql::AlterAdd>(parsed);
        EXPECT_EQ(a.table, c.table);
        EXPECT_EQ(a.field, c.field);
    }
}

TEST(SqlParse, RefusesEverythingElseQuotingTheStatement) {
    const char* statements[] = {
        "",
        "delete from cddata",
        "select ZANR from cddata.dbf where ZANR > ''",  // without distinct
        "select distinct cddata.* from cddata",
        "select distinct ZANR cddata.dbf where ZANR > ''",
        "select distinct ZANR from cddata.dbf where ZANR < ''",
        "select distinct ZANR from cddata.dbf where ZANR > 'neukončený",
        "select distinct ZANR from cddata.dbf where ZANR > '' and 1",
        "select cddata.* from cddata where cddata.puj_dokdy BETWEEN \"1.1.2000\"",
        "select cddata.* from cddata where cddata.puj_anone=",
        "ALTER TABLE \"cddata.DBF\" add hodnoc Integer",
        "ALTER TABLE \"cddata.DBF\" add popis Character(0)",
        "ALTER TABLE \"cddata.DBF\" add popis Character(255)",
        "ALTER TABLE \"cddata.DBF\" add popis Character(20",
        "ALTER TABLE \"cddata.DBF\" add dlouhejmeno1 Float",
        "ALTER TABLE \"cddata.DBF\" drop hodnoc",
        "ALTER TABLE \"\" add hodnoc Float",
        "select distinct ZANR from cddata.dbf where ZANR > '' # x",
    };
    for (const char* s : statements) {
        SCOPED_TRACE(s);
        try {
            sql::parse(s);
            ADD_FAILURE() << "accepted";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("\"") + s + "\""), std::string::npos)
                << e.what();
        }
    }
}

TEST(SqlParse, DatesInCzechShortFormat) {
    struct Case {
        const char* text;
        std::optional<Date> date;
    };
    const Case cases[] = {
        {"31.12.1899", Date{1899, 12, 31}}, {"7.12.2026", Date{2026, 12, 7}},
        {"29.02.2024", Date{2024, 2, 29}},  {"29.02.2023", std::nullopt},
        {"29.02.1900", std::nullopt},       {"29.02.2000", Date{2000, 2, 29}},
        {"31.04.2020", std::nullopt},       {"0.1.2020", std::nullopt},
        {"1.13.2020", std::nullopt},        {"1.1.20", std::nullopt},
        {"1.1.2020.", std::nullopt},        {"..2020", std::nullopt},
        {"2020-01-01", std::nullopt},       {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(sql::parseDate(c.text), c.date);
    }
}

}  // namespace
}  // namespace lorvika::dbf
