// The .DBF bytes we write, the tables others write, and the conversion of field values.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "DbfTestSupport.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "support/TestDir.h"

using namespace lorvika;
using namespace lorvika::dbf;
using lorvika::test::RawField;

namespace {

const std::vector<FieldDef> kTracks = {
    FieldDef::number("CD"),       FieldDef::number("CISLO"), FieldDef::text("NAME", 50),
    FieldDef::text("ARTIST", 50), FieldDef::number("DELKA"), FieldDef::date("ZMENA"),
};

std::string runPython(const std::string& script) {
    std::string out;
    FILE* p = ::popen(("/usr/bin/python3 -c '" + script + "' 2>&1").c_str(), "r");
    if (!p) return "popen failed";
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    const int rc = ::pclose(p);
    if (rc != 0) out = "python failed: " + out;
    return out;
}

}  // namespace

TEST(DbfFormat, HeaderAndRecordBytesAreDbaseLevel5) {
    test::TestDir dir;
    Engine engine;
    engine.createTable(dir.str(), "cdskladby.DBF", kTracks);
    {
        auto c = engine.open(dir.str(), "cdskladby.DBF");
        c->append();
        c->setInteger("CD", 7);
        c->setText("NAME", "Příliš žluťoučký kůň");
        c->setDate("ZMENA", {2024, 1, 31});
        c->post();
    }
    engine.releaseUnused();
    const std::string b = test::readFile(dir.str() + "/cdskladby.DBF");
    const int header = 32 + 32 * 6 + 1;
    const int record = 1 + 20 + 20 + 50 + 50 + 20 + 8;
    ASSERT_EQ(b.size(), std::size_t(header + record + 1));
    EXPECT_EQ(b[0], 0x03);
    EXPECT_EQ(std::uint8_t(b[4]), 1);  // record count
    EXPECT_EQ(std::uint8_t(b[8]) | (std::uint8_t(b[9]) << 8), header);
    EXPECT_EQ(std::uint8_t(b[10]) | (std::uint8_t(b[11]) << 8), record);
    EXPECT_EQ(b[28], 0);
    EXPECT_EQ(std::uint8_t(b[29]), 0x1F);
    EXPECT_EQ(b.substr(32, 2), "CD");
    EXPECT_EQ(b[32 + 11], 'F');
    EXPECT_EQ(std::uint8_t(b[32 + 16]), 20);
    EXPECT_EQ(std::uint8_t(b[32 + 17]), 4);
    EXPECT_EQ(b[header - 1], 0x0D);
    EXPECT_EQ(b[header], ' ');
    EXPECT_EQ(b.substr(header + 1, 20), std::string(14, ' ') + "7.0000");
    EXPECT_EQ(b.substr(header + 1 + 20, 20), std::string(20, ' '));  // empty number: blanks
    // "ř" is 0xFD and "ž" 0xA7 in code page 852
    EXPECT_EQ(std::uint8_t(b[header + 41 + 1]), 0xFD);
    EXPECT_EQ(b.substr(header + 1 + 20 + 20 + 50 + 50 + 20, 8), "20240131");
    EXPECT_EQ(b.back(), 0x1A);
}

TEST(DbfFormat, LanguageByteFollowsTheDriver) {
    struct Case {
        const char* driver;
        std::uint8_t byte;
    };
    for (const Case& c : {Case{"DB852CZ0", 0x1F}, Case{"db852cz0", 0x1F}, Case{"DBWINUS0", 0xC8}}) {
        test::TestDir dir;
        Engine engine;
        engine.setLanguageDriver(c.driver);
        engine.createTable(dir.str(), "t.dbf", {FieldDef::text("A", 5)});
        {
            auto cur = engine.open(dir.str(), "t.dbf");
            cur->append();
            cur->setText("A", "č");
            cur->post();
        }
        engine.releaseUnused();
        const std::string b = test::readFile(dir.str() + "/t.dbf");
        EXPECT_EQ(std::uint8_t(b[29]), c.byte) << c.driver;
        // "č" is 0x9F in code page 852 and 0xE8 in Windows-1250
        EXPECT_EQ(std::uint8_t(b[32 + 32 + 1 + 1]), c.byte == 0x1F ? 0x9F : 0xE8) << c.driver;
    }
}

TEST(DbfFormat, ReadsLanguageBytesAndNumberWidthsOfOtherWriters) {
    struct Case {
        std::uint8_t language;
        std::string nameBytes;
        const char* cpg = nullptr;  // content of other.cpg; none when null
    };
    // "Žluť" in code page 852 and in Windows-1250; any byte but 0x1F and 0x64 (the common mark
    // of code page 852) and without a ".cpg" file naming code page 852 means Windows-1250.
    const Case cases[] = {{0x1F, "\xA6lu\x9C"},          {0x64, "\xA6lu\x9C"},
                          {0x00, "\xA6lu\x9C", "CP852"},  // GDAL's ENCODING=CP852
                          {0x57, "\x8Elu\x9D", "1250"},  {0x00, "\x8Elu\x9D"},
                          {0x57, "\x8Elu\x9D"},          {0xC8, "\x8Elu\x9D"},
                          {0x03, "\x8Elu\x9D"}};
    for (const Case& c : cases) {
        test::TestDir dir;
        test::writeFile(
            dir.str() + "/other.dbf",
            test::rawDbf({{"ID", 'N', 5},
                          {"PRICE", 'N', 10, 2},
                          {"W", 'F', 8, 3},
                          {"NAME", 'C', 10},
                          {"D", 'D', 8}},
                         {{"12", "-3.25", "0.125", c.nameBytes, "19991231"}, {"", "", "", "", ""}},
                         c.language));
        if (c.cpg) test::writeFile(dir.str() + "/other.cpg", c.cpg);
        Engine engine;
        auto cur = engine.open(dir.str(), "OTHER.DBF");
        ASSERT_EQ(cur->recordCount(), 2u);
        EXPECT_EQ(cur->integer("ID"), 12);
        EXPECT_DOUBLE_EQ(cur->number("PRICE"), -3.25);
        EXPECT_DOUBLE_EQ(cur->number("W"), 0.125);
        EXPECT_EQ(cur->text("PRICE"), "-3.25");
        EXPECT_EQ(cur->text("NAME"), "Žluť") << int(c.language);
        EXPECT_EQ(cur->date("D"), (Date{1999, 12, 31}));
        EXPECT_EQ(cur->text("D"), "31.12.1999");
        cur->next();
        EXPECT_TRUE(cur->isNull("ID"));
        EXPECT_EQ(cur->integer("ID"), 0);
        EXPECT_TRUE(cur->date("D").isNull());
        EXPECT_EQ(cur->text("NAME"), "");
        // writing keeps the table's own code page
        cur->edit();
        cur->setText("NAME", "ě");
        cur->post();
        cur.reset();
        engine.releaseUnused();
        const std::string b = test::readFile(dir.str() + "/other.dbf");
        const std::size_t second = 32 + 32 * 5 + 1 + (1 + 5 + 10 + 8 + 10 + 8) + 1 + 5 + 10 + 8;
        const bool cp852 = c.nameBytes[0] == '\xA6';
        EXPECT_EQ(std::uint8_t(b[second]), cp852 ? 0xD8 : 0xEC) << int(c.language);
    }
}

// What code page 852 lacks: typographic characters get their plain forms, anything else is
// refused before the record changes, never written as "?".
TEST(DbfFormat, TextCodePage852CannotHoldIsMappedOrRefused) {
    test::TestDir dir;
    Engine engine;
    engine.createTable(dir.str(), "t.DBF", {FieldDef::text("T", 12)});
    auto c = engine.open(dir.str(), "t.DBF");
    c->append();
    const std::pair<std::string, std::string> mapped[] = {
        {"„test“", "\"test\""}, {"AC–DC", "AC-DC"}, {"‚x’ — y…", "'x' - y..."}};
    for (const auto& [typed, stored] : mapped) {
        c->setText("T", typed);
        EXPECT_EQ(c->text("T"), stored);
    }
    c->setText("T", "Dvořák");
    for (const char* refused : {"€uro", "★", "■", "\xFF"}) {
        EXPECT_THROW(c->setText("T", refused), EngineError) << refused;
        EXPECT_EQ(c->text("T"), "Dvořák") << refused;
    }
}

TEST(DbfFormat, FieldValuesAreConvertedAndCut) {
    test::TestDir dir;
    Engine engine;
    engine.createTable(dir.str(), "t.DBF",
                       {FieldDef::text("T", 4),
                        FieldDef::number("N"),
                        FieldDef::date("D"),
                        {"S", FieldType::Numeric, 3, 0}});
    auto c = engine.open(dir.str(), "t.DBF");
    c->append();
    // cut to four characters, never in the middle of a character
    c->setText("T", "ŘeŘiŘa");
    EXPECT_EQ(c->text("T"), "ŘeŘi");
    c->setText("T", "abc   ");
    EXPECT_EQ(c->text("T"), "abc");
    c->setNumber("N", 12.5);
    EXPECT_EQ(c->text("N"), "12.5");
    c->setText("N", "3,75");
    EXPECT_DOUBLE_EQ(c->number("N"), 3.75);
    c->setInteger("N", -4000000000LL);
    EXPECT_EQ(c->integer("N"), -4000000000LL);
    c->setText("D", "5.3.2021");
    EXPECT_EQ(c->date("D"), (Date{2021, 3, 5}));
    c->setText("D", "20200229");
    EXPECT_EQ(c->date("D"), (Date{2020, 2, 29}));
    c->clear("D");
    EXPECT_TRUE(c->isNull("D"));
    c->setInteger("S", 999);
    EXPECT_EQ(c->integer("S"), 999);

    struct Bad {
        const char* what;
        std::function<void()> act;
    };
    const Bad bad[] = {
        {"number too wide", [&] { c->setInteger("S", 1000); }},
        {"negative too wide", [&] { c->setInteger("S", -100); }},
        {"not a number", [&] { c->setText("N", "12a"); }},
        {"bad date text", [&] { c->setText("D", "31.2.2021"); }},
        {"bad date",
         [&] {
             c->setDate("D", {2021, 13, 1});
         }},
        {"date into number",
         [&] {
             c->setDate("N", {2021, 1, 1});
         }},
        {"unknown column", [&] { c->setText("NOPE", "x"); }},
        {"bad index", [&] { c->setText(17, "x"); }},
        {"infinite", [&] { c->setNumber("N", 1.0 / 0.0); }},
    };
    for (const Bad& b : bad) {
        EXPECT_THROW(b.act(), EngineError) << b.what;
    }
    // failed assignments leave the previous values
    EXPECT_EQ(c->integer("S"), 999);
    EXPECT_TRUE(c->isNull("D"));
    c->cancel();
    EXPECT_THROW(c->setText("T", "x"), EngineError);  // not editing
}

TEST(DbfFormat, CreateRejectsBadColumnLists) {
    test::TestDir dir;
    Engine engine;
    const std::vector<std::vector<FieldDef>> bad = {
        {},
        {FieldDef::text("", 5)},
        {FieldDef::text("TOOLONGNAME1", 5)},
        {FieldDef::text("A B", 5)},
        {FieldDef::text("A", 0)},
        {FieldDef::text("A", 255)},
        {FieldDef::text("A", 5), FieldDef::text("a", 5)},
        {{"N", FieldType::Float, 21, 4}},
        {{"N", FieldType::Float, 5, 4}},
        {{"D", FieldType::Date, 6, 0}},
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        EXPECT_THROW(engine.createTable(dir.str(), "bad.dbf", bad[i]), EngineError) << i;
        EXPECT_FALSE(engine.tableExists(dir.str(), "bad.dbf")) << i;
    }
}

TEST(DbfFormat, OtherToolsReadWhatWeWrite) {
    test::TestDir dir;
    {
        Engine engine;
        engine.createTable(dir.str(), "cdskladby.DBF", kTracks);
        auto c = engine.open(dir.str(), "cdskladby.DBF");
        for (int i = 1; i <= 3; ++i) {
            c->append();
            c->setInteger("CD", 10 + i);
            c->setText("NAME", "Píseň č. " + std::to_string(i));
            if (i == 2) c->setDate("ZMENA", {2023, 6, 1});
            c->post();
        }
        c->first();
        c->remove();
    }
    const std::string out = runPython(
        "import dbfread\n"
        "t = dbfread.DBF(\"" +
        dir.str() +
        "/cdskladby.DBF\", encoding=\"cp852\")\n"
        "for r in t: print(int(r[\"CD\"]), r[\"NAME\"], r[\"CISLO\"], r[\"ZMENA\"])\n");
    EXPECT_EQ(out, "12 Píseň č. 2 None 2023-06-01\n13 Píseň č. 3 None None\n");
}

TEST(DbfFormat, WeReadWhatPythonDbfWrites) {
    test::TestDir dir;
    const std::string out = runPython(
        "import dbf, datetime\n"
        "t = dbf.Table(\"" +
        dir.str() +
        "/py.dbf\", \"NAME C(20); QTY N(6,0); W F(12,3); "
        "D D\", codepage=\"cp852\", dbf_type=\"db3\")\n"
        "t.open(dbf.READ_WRITE)\n"
        "t.append((\"Šťastný\", 42, 1.5, datetime.date(2001, 2, 3)))\n"
        "t.append((\"Ahoj\", -7, 0, None))\n"
        "t.close()\n");
    ASSERT_EQ(out, "");
    Engine engine;
    auto c = engine.open(dir.str(), "py.dbf", {"NAME", "QTY", "W", "D"});
    ASSERT_EQ(c->recordCount(), 2u);
    EXPECT_EQ(c->text("NAME"), "Šťastný");
    EXPECT_EQ(c->integer("QTY"), 42);
    EXPECT_DOUBLE_EQ(c->number("W"), 1.5);
    EXPECT_EQ(c->date("D"), (Date{2001, 2, 3}));
    c->next();
    EXPECT_EQ(c->integer("QTY"), -7);
    EXPECT_TRUE(c->date("D").isNull());
}

TEST(DbfFormat, OpenChecksColumnsAndMatchesNamesCaseInsensitively) {
    test::TestDir dir;
    Engine engine;
    engine.createTable(dir.str(), "cddata.DBF",
                       {FieldDef::number("CISLO"), FieldDef::text("SN", 30)});
    EXPECT_NO_THROW(engine.open(dir.str(), "CDDATA.dbf", {"cislo", "SN"}));
    EXPECT_TRUE(engine.tableExists(dir.str(), "CdData.Dbf"));
    EXPECT_TRUE(engine.tableExists(dir.str(), "cddata"));
    try {
        engine.open(dir.str(), "cddata.DBF", {"CISLO", "HODNOC"});
        FAIL() << "missing column accepted";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("cddata.DBF"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("HODNOC"), std::string::npos) << e.what();
    }
    try {
        engine.open(dir.str(), "chybi.DBF");
        FAIL() << "missing table opened";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Tabulka chybi.DBF"), std::string::npos) << e.what();
    }
}
