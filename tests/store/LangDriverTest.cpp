#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "store/Ini.h"
#include "store/LangDriver.h"
#include "store/codepage.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "support/DbfBytes.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace fs = std::filesystem;
using namespace lorvika;

namespace {

using test::readFile;
using test::writeFile;

using Field = test::DbfField;
using Record = test::DbfRecord;
using test::dbfBytes;

const std::vector<Field> kFields = {
    {"ALBUM", 'C', 12}, {"CISLO", 'N', 5}, {"DATUM", 'D', 8}, {"POZN", 'C', 4}};

// The same table in Windows-1250 text or in code page 852.
std::string sample(bool cp852) {
    auto t = [&](const std::string& utf8) {
        return cp852 ? cp::utf8ToCp852(utf8) : cp::utf8ToCp1250(utf8);
    };
    return dbfBytes(kFields,
                    {
                        {false, {t("Čech"), "   12", "20240101", ""}},
                        {true, {t("žluťoučký"), "    3", "        ", t("ů")}},
                        {false, {"ABC xyz 09", "\xE8\xE8", "19991231", ""}},  // not a text column
                        {false, {t("Řeka Šárka"), "", "", t("ěščř")}},
                    },
                    cp852 ? 31 : 3);
}

class Conversion : public ::testing::Test {
  protected:
    test::TestDir dir;
    fs::path db = dir.sub("db");
    std::string cfg = (dir.home() / "lorvika-engine.ini").string();
    fs::path table = db / "CDDATA.dbf";
    fs::path mdx = db / "CDDATA.MDX";

    void SetUp() override {
        writeFile(table, sample(false));
        writeFile(mdx, "old index");
        ZapisText(cfg, kKlicInit, kHodnotaLangDriver, "DB852CZ0");
    }
    bool leftovers() const {
        for (const auto& e : fs::directory_iterator(db))
            if (e.path() != table && e.path() != mdx) return true;
        return false;
    }
};

TEST_F(Conversion, RecodesTextColumnsOfEveryRecordAndMarksTheTable) {
    std::vector<std::string> driverDuring;
    PrevodVolby volby;
    volby.poZaznamu = [&](std::uint32_t) { driverDuring.push_back(NastavenyOvladac(cfg)); };
    EXPECT_TRUE(PrevodTabulky(db.string(), "cddata.DBF", cfg, volby));
    const std::string converted = readFile(table);
    EXPECT_EQ(converted, sample(true));
    EXPECT_EQ(static_cast<unsigned char>(converted[29]), 31);
    // "ěščř" from Windows-1250 EC 9A E8 F8; č 0xE8 becomes 0x9F
    EXPECT_EQ(converted.substr(converted.size() - 5, 4), "\xD8\xE7\x9F\xFD");
    EXPECT_FALSE(fs::exists(mdx));
    EXPECT_FALSE(leftovers());
    EXPECT_EQ(driverDuring, std::vector<std::string>(4, "DBWINUS0"));
    EXPECT_EQ(NastavenyOvladac(cfg), "DB852CZ0");

    // A second run finds the mark and changes nothing.
    writeFile(mdx, "new index");
    EXPECT_FALSE(PrevodTabulky(db.string(), "cddata.DBF", cfg));
    EXPECT_EQ(readFile(table), converted);
    EXPECT_EQ(readFile(mdx), "new index");
}

TEST_F(Conversion, EngineReadsTheConvertedTable) {
    ASSERT_TRUE(PrevodTabulky(db.string(), "cddata.DBF", cfg));
    dbf::Engine engine;
    engine.setLanguageDriver(NastavenyOvladac(cfg));
    auto cursor = engine.open(db.string(), "cddata.DBF");
    std::vector<std::string> albums, notes;
    for (cursor->first(); !cursor->eof(); cursor->next()) {
        albums.push_back(cursor->text("ALBUM"));
        notes.push_back(cursor->text("POZN"));
    }
    EXPECT_EQ(albums, (std::vector<std::string>{"Čech", "ABC xyz 09", "Řeka Šárka"}));
    EXPECT_EQ(notes, (std::vector<std::string>{"", "", "ěščř"}));
}

TEST_F(Conversion, MarkedTableIsNotTouchedAtAll) {
    writeFile(table, sample(false).replace(29, 1, 1, '\x1F'));
    const std::string before = readFile(table);
    const auto stamp = fs::last_write_time(table);
    fs::remove(cfg);
    EXPECT_FALSE(PrevodTabulky(db.string(), "cddata.dbf", cfg));
    EXPECT_EQ(readFile(table), before);  // 1250 bytes stay: the mark is trusted
    EXPECT_EQ(fs::last_write_time(table), stamp);
    EXPECT_EQ(readFile(mdx), "old index");
    EXPECT_FALSE(fs::exists(cfg));  // the engine default was not touched either
}

TEST_F(Conversion, EmptyTableIsMarked) {
    writeFile(table, dbfBytes(kFields, {}, 0));
    EXPECT_TRUE(PrevodTabulky(db.string(), "cddata.DBF", cfg));
    EXPECT_EQ(readFile(table), dbfBytes(kFields, {}, 31));
}

TEST_F(Conversion, DamagedTablesAreEngineErrorsAndStayAsTheyWere) {
    const std::string good = sample(false);
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string shortHeader = good;
    shortHeader[8] = 20;
    shortHeader[9] = 0;
    std::string wrongRecord = good;
    wrongRecord[10] = 40;
    std::string tooMany = good;
    tooMany[4] = 9;
    std::string noTerminator = good;
    noTerminator[32 + 4 * 32] = ' ';
    std::string zeroWidth = good;
    zeroWidth[32 + 16] = 0;
    std::string dbase7 = good;
    dbase7[0] = 0x04;
    const Case cases[] = {
        {"too short", good.substr(0, 20)},
        {"header length", shortHeader},
        {"record length", wrongRecord},
        {"record count", tooMany},
        {"terminator", noTerminator},
        {"zero width", zeroWidth},
        {"dBase 7", dbase7},
        {"records cut", good.substr(0, good.size() - 10)},
    };
    for (const Case& c : cases) {
        writeFile(table, c.bytes);
        try {
            PrevodTabulky(db.string(), "cddata.DBF", cfg);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const dbf::EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("CDDATA.dbf"), std::string::npos) << e.what();
        }
        EXPECT_EQ(readFile(table), c.bytes) << c.what;
        EXPECT_EQ(readFile(mdx), "old index") << c.what;
        EXPECT_FALSE(leftovers()) << c.what;
    }
}

TEST_F(Conversion, MissingFileIsAFileErrorNotAnEngineError) {
    try {
        PrevodTabulky(db.string(), "cdskladby.DBF", cfg);
        FAIL() << "no error";
    } catch (const dbf::EngineError&) {
        FAIL() << "engine error";
    } catch (const TableFileError& e) {
        EXPECT_NE(std::string(e.what()).find("cdskladby.DBF"), std::string::npos);
    }
    EXPECT_EQ(NastavenyOvladac(cfg), "DB852CZ0");  // nothing was changed
}

TEST_F(Conversion, StoppedMidwayLeavesTheTableUntouched) {
    const std::string before = readFile(table);
    for (std::uint32_t stopAfter : {1u, 2u, 4u}) {
        PrevodVolby volby;
        volby.poZaznamu = [&](std::uint32_t n) {
            if (n == stopAfter) throw std::runtime_error("stop");
        };
        EXPECT_THROW(PrevodTabulky(db.string(), "cddata.DBF", cfg, volby), std::runtime_error);
        EXPECT_EQ(readFile(table), before) << stopAfter;
        EXPECT_EQ(readFile(mdx), "old index");
        EXPECT_FALSE(leftovers());
    }
}

// A process killed in the middle leaves the old table; the next run converts it completely.
TEST_F(Conversion, CrashedProcessLeavesOldTableAndNextRunFinishes) {
    std::vector<Record> records;
    for (int i = 0; i < 3000; ++i)
        records.push_back({i % 7 == 0,
                           {cp::utf8ToCp1250("Dvořák č. " + std::to_string(i)), std::to_string(i),
                            "20000101", "ž"}});
    const std::string before = dbfBytes(kFields, records, 0);
    writeFile(table, before);
    for (std::uint32_t crashAt : {1u, 1500u, 3000u}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            PrevodVolby volby;
            volby.poZaznamu = [&](std::uint32_t n) {
                if (n == crashAt) ::_exit(7);
            };
            try {
                PrevodTabulky(db.string(), "cddata.DBF", cfg, volby);
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 7);
        EXPECT_EQ(readFile(table), before) << crashAt;
        EXPECT_EQ(readFile(mdx), "old index");
    }
    EXPECT_TRUE(PrevodTabulky(db.string(), "cddata.DBF", cfg));
    for (Record& r : records) {
        r.values[0] = cp::cp1250ToCp852(r.values[0]);
        r.values[3] = cp::cp1250ToCp852(r.values[3]);
    }
    EXPECT_EQ(readFile(table), dbfBytes(kFields, records, 31));
    EXPECT_FALSE(leftovers());
    EXPECT_FALSE(fs::exists(mdx));
}

TEST_F(Conversion, TableAnotherProgramHoldsIsNotReplaced) {
    const std::string before = readFile(table);
    const int held = ::open(table.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    try {
        PrevodTabulky(db.string(), "cddata.DBF", cfg);
        ADD_FAILURE() << "converted under another program";
    } catch (const dbf::EngineError& e) {
        EXPECT_STREQ(e.what(), "Tabulka CDDATA.dbf: databázi používá jiný spuštěný program.");
    }
    ::close(held);
    EXPECT_EQ(readFile(table), before);
    EXPECT_EQ(readFile(mdx), "old index");
    EXPECT_EQ(CtiText(cfg, kKlicInit, kHodnotaLangDriver, ""), "DB852CZ0");
    EXPECT_FALSE(leftovers());
    EXPECT_TRUE(PrevodTabulky(db.string(), "cddata.DBF", cfg));
}

// Characters code page 852 lacks: plain forms for typography, the visible mark for the rest,
// and the mark is found again with album number and column.
TEST_F(Conversion, TypographyGetsPlainFormsAndTheRestAVisibleMark) {
    const std::vector<Field> fields = {{"CISLO", 'F', 20, 4}, {"ALBUM", 'C', 12}, {"POZN", 'C', 5}};
    auto w = [](const std::string& utf8) { return cp::utf8ToCp1250(utf8); };
    writeFile(table, dbfBytes(fields,
                              {
                                  {false, {"7", w("„test“"), w("‚a’")}},
                                  {false, {"8", w("AC–DC €uro"), w("x—y")}},
                                  {false, {"9", w("Hej…"), w("ab…cd")}},  // … has no room
                                  {true, {"10", w("© ™"), ""}},
                                  {false, {"11", w("Dvořák"), w("•")}},
                              },
                              3));
    ASSERT_TRUE(PrevodTabulky(db.string(), "cddata.DBF", cfg));
    dbf::Engine engine;
    auto cursor = engine.open(db.string(), "cddata.DBF");
    std::vector<std::string> albums, notes;
    for (cursor->first(); !cursor->eof(); cursor->next()) {
        albums.push_back(cursor->text("ALBUM"));
        notes.push_back(cursor->text("POZN"));
    }
    EXPECT_EQ(albums, (std::vector<std::string>{"\"test\"", "AC-DC ■uro", "Hej...", "Dvořák"}));
    EXPECT_EQ(notes, (std::vector<std::string>{"'a'", "x-y", "ab■cd", "■"}));

    const std::vector<NahradniZnak> found = NajdiNahradniZnaky(db.string(), "cddata.DBF");
    std::vector<std::string> where;
    for (const NahradniZnak& z : found)
        where.push_back(std::to_string(z.cd) + " " + std::to_string(z.pozice) + " " + z.sloupec);
    // the deleted album 10 is nobody's business
    EXPECT_EQ(where, (std::vector<std::string>{"8 0 ALBUM", "9 0 POZN", "11 0 POZN"}));
}

TEST_F(Conversion, TrackMarksNameAlbumAndPosition) {
    const std::vector<Field> fields = {
        {"CD", 'F', 20, 4}, {"CISLO", 'F', 20, 4}, {"NAME", 'C', 10}, {"ARTIST", 'C', 10}};
    const fs::path tracks = db / "cdskladby.DBF";
    writeFile(tracks, dbfBytes(fields,
                               {{false, {"4", "1", "ok", "ok"}},
                                {false, {"4", "2", cp::utf8ToCp1250("™"), "ok"}},
                                {false, {"5", "3", "ok", cp::utf8ToCp1250("± 1")}}},
                               0));
    // before the conversion the same byte is an ordinary letter
    EXPECT_TRUE(NajdiNahradniZnaky(db.string(), "cdskladby.DBF").empty());
    ASSERT_TRUE(CekaNaPrevod(db.string(), "cdskladby.DBF"));
    ASSERT_TRUE(PrevodTabulky(db.string(), "cdskladby.DBF", cfg));
    EXPECT_FALSE(CekaNaPrevod(db.string(), "cdskladby.DBF"));
    const auto found = NajdiNahradniZnaky(db.string(), "cdskladby.DBF");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].cd, 4);
    EXPECT_EQ(found[0].pozice, 2);
    EXPECT_EQ(found[0].sloupec, "NAME");
    EXPECT_EQ(found[1].cd, 5);
    EXPECT_EQ(found[1].pozice, 3);
    EXPECT_EQ(found[1].sloupec, "ARTIST");
}

// A table another program wrote in code page 852 (language byte 0x64) or with a code-page file
// naming its code page is read in that code page.
TEST_F(Conversion, LanguageByteAndCodePageFileNameTheSourceCodePage) {
    const std::string text = "Žluťoučký kůň";
    struct Case {
        const char* what;
        std::uint8_t language;
        const char* cpg;  // nullptr: none
        std::string bytes;
    };
    const Case cases[] = {
        {"0x64", 0x64, nullptr, cp::utf8ToCp852(text)},
        {"CP852 file", 0, "CP852", cp::utf8ToCp852(text)},
        {"852 file with line end", 0x57, "852\r\n", cp::utf8ToCp852(text)},
        {"OEM 852", 0, "OEM 852", cp::utf8ToCp852(text)},
        {"UTF-8 file", 0, "UTF-8", text},
        {"1250 file beats 0x64", 0x64, "1250", cp::utf8ToCp1250(text)},
        {"windows-1250", 0, "windows-1250", cp::utf8ToCp1250(text)},
        {"plain Windows table", 0x03, nullptr, cp::utf8ToCp1250(text)},
    };
    const std::vector<Field> fields = {{"ALBUM", 'C', 30}};
    const fs::path cpg = db / "cddata.cpg";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(table, dbfBytes(fields, {{false, {c.bytes}}}, c.language));
        fs::remove(cpg);
        if (c.cpg) writeFile(cpg, c.cpg);
        ASSERT_TRUE(PrevodTabulky(db.string(), "cddata.DBF", cfg));
        EXPECT_EQ(readFile(table), dbfBytes(fields, {{false, {cp::utf8ToCp852(text)}}}, 31));
        if (c.cpg) {
            EXPECT_EQ(readFile(cpg), "852");
        }
    }
}

// A conversion killed between its table and its code-page file.
TEST_F(Conversion, AConvertedTableMendsACodePageFileThatStillNamesTheOldOne) {
    writeFile(table, sample(true));
    const fs::path cpg = db / "cddata.cpg";
    for (const char* pred : {"1250", "UTF-8", "koi8", "852"}) {
        writeFile(cpg, pred);
        EXPECT_FALSE(PrevodTabulky(db.string(), "cddata.DBF", cfg));
        EXPECT_EQ(readFile(cpg), "852") << pred;
        EXPECT_EQ(readFile(table), sample(true));
    }
}

TEST_F(Conversion, UnknownCodePageFileRefusesAndChangesNothing) {
    const std::string before = readFile(table);
    writeFile(db / "CDDATA.CPG", "ISO-8859-5");
    try {
        PrevodTabulky(db.string(), "cddata.DBF", cfg);
        FAIL() << "no error";
    } catch (const TableFileError& e) {
        EXPECT_NE(std::string(e.what()).find("ISO-8859-5"), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(table), before);
    EXPECT_EQ(readFile(mdx), "old index");
    EXPECT_EQ(readFile(db / "CDDATA.CPG"), "ISO-8859-5");
}

// ---- Engine defaults ----------------------------------------------------------------------

class Defaults : public ::testing::Test {
  protected:
    test::TestDir dir;
    std::string ini = (dir.home() / "lorvika.ini").string();
    std::string cfg = (dir.home() / "lorvika-engine.ini").string();

    void engine(const std::string& driver, const std::string& level) {
        ZapisText(cfg, kKlicInit, kHodnotaLangDriver, driver);
        ZapisText(cfg, kKlicTableCreate, kHodnotaLevel, level);
    }
    std::string driver() const { return CtiText(cfg, kKlicInit, kHodnotaLangDriver, "-"); }
    std::string level() const { return CtiText(cfg, kKlicTableCreate, kHodnotaLevel, "-"); }
};

TEST_F(Defaults, SettingOneDefaultComparesWithoutCase) {
    engine("db852cz0", "5");
    const std::string before = readFile(cfg);
    EXPECT_EQ(NastavVychoziHodnotu(cfg, kKlicInit, kHodnotaLangDriver, "DB852CZ0"), "db852cz0");
    EXPECT_EQ(readFile(cfg), before);
    EXPECT_EQ(NastavVychoziHodnotu(cfg, kKlicInit, kHodnotaLangDriver, "DBWINUS0"), "db852cz0");
    EXPECT_EQ(driver(), "DBWINUS0");
    EXPECT_EQ(NastavVychoziHodnotu(cfg, "\\SOFTWARE\\X", "Y", "Z"), "");
    EXPECT_NE(readFile(cfg).find("[\\SOFTWARE\\Borland\\Database Engine\\Settings\\DRIVERS\\DBASE\\"
                                 "INIT]\r\nLANGDRIVER=DBWINUS0\r\n"),
              std::string::npos);
}

TEST_F(Defaults, SetAndPutBack) {
    struct Case {
        const char* what;
        std::string iniBefore;  // section DBF
        std::string engineDriver, engineLevel;
        std::string savedDriver, savedLevel;  // after NastavOvladac
    };
    const Case cases[] = {
        {"first start", "", "DBWINUS0", "7", "DBWINUS0", "7"},
        {"closed normally", "vraceno=1\r\nDBFDriver=OLD\r\n", "DBWINUS0", "4", "DBWINUS0", "4"},
        // the program did not close normally: the values saved before stay
        {"crashed before", "DBFDriver=DBWINUS0\r\nDBFLevel=7\r\nvraceno=0\r\n", "DB852CZ0", "5",
         "DBWINUS0", "7"},
        {"ano is the default", "vraceno=ano\r\n", "ascii", "3", "ascii", "3"},
    };
    for (const Case& c : cases) {
        fs::remove(ini);
        fs::remove(cfg);
        if (!c.iniBefore.empty()) writeFile(ini, "[DBF]\r\n" + c.iniBefore);
        engine(c.engineDriver, c.engineLevel);

        NastavOvladac(ini, cfg);
        EXPECT_EQ(driver(), "DB852CZ0") << c.what;
        EXPECT_EQ(level(), "5") << c.what;
        EXPECT_EQ(CtiText(ini, "DBF", "DBFDriver", "-"), c.savedDriver) << c.what;
        EXPECT_EQ(CtiText(ini, "DBF", "DBFLevel", "-"), c.savedLevel) << c.what;
        EXPECT_FALSE(CtiAnoNe(ini, "DBF", "vraceno", true)) << c.what;

        // Setting again (before every table opens) keeps what was saved.
        NastavOvladac(ini, cfg);
        EXPECT_EQ(CtiText(ini, "DBF", "DBFDriver", "-"), c.savedDriver) << c.what;

        // "vracet" is missing: the program's values stay at the end.
        VratOvladacJeLiZadano(ini, cfg);
        EXPECT_EQ(driver(), "DB852CZ0") << c.what;
        EXPECT_EQ(level(), "5") << c.what;

        ZapisAnoNe(ini, "DBF", "vracet", true);
        VratOvladacJeLiZadano(ini, cfg);
        EXPECT_EQ(driver(), c.savedDriver) << c.what;
        EXPECT_EQ(level(), c.savedLevel) << c.what;
        EXPECT_TRUE(CtiAnoNe(ini, "DBF", "vraceno", false)) << c.what;

        // Nothing is waiting any more: putting back again does nothing.
        engine("OTHER", "9");
        VratOvladac(ini, cfg);
        EXPECT_EQ(driver(), "OTHER") << c.what;
    }
}

TEST_F(Defaults, PutBackUsesDefaultsForMissingSavedValues) {
    writeFile(ini, "[DBF]\r\nvraceno=0\r\n");
    engine("X", "Y");
    VratOvladac(ini, cfg);
    EXPECT_EQ(driver(), "DB852CZ0");
    EXPECT_EQ(level(), "5");
}

TEST_F(Defaults, PresenceAndConfiguredDriver) {
    EXPECT_FALSE(JeStrojInstalovan(cfg));
    EXPECT_EQ(NastavenyOvladac(cfg), "DB852CZ0");
    ZapisText(cfg, kKlicInit, kHodnotaLangDriver, "DBWINUS0");
    ZajistiKonfiguraciStroje(cfg);
    EXPECT_TRUE(JeStrojInstalovan(cfg));
    EXPECT_EQ(NastavenyOvladac(cfg), "DBWINUS0");  // an existing setting is kept
    EXPECT_EQ(level(), "5");
    const std::string once = readFile(cfg);
    ZajistiKonfiguraciStroje(cfg);
    EXPECT_EQ(readFile(cfg), once);
    ZapisText(cfg, kKlicStroje, kHodnotaConfigFile, "");
    EXPECT_FALSE(JeStrojInstalovan(cfg));
}

}  // namespace
