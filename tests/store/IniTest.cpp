#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "store/Ini.h"
#include "store/codepage.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace fs = std::filesystem;
using namespace lorvika;
namespace cp = lorvika::cp;

namespace {

using test::readFile;
using test::writeFile;

void spit1250(const fs::path& p, const std::string& utf8) {
    writeFile(p, cp::utf8ToCp1250(utf8));
}

class Ini : public ::testing::Test {
  protected:
    test::TestDir dir;
    std::string file = (dir.path() / "lorvika.ini").string();
};

TEST_F(Ini, WriteReplacesValueInPlaceAndKeepsEveryOtherByte) {
    const std::string original =
        "; settings\n"
        "[Nastaveni]\r\n"
        "FMaxim = 1   \n"
        "other=keep\r\n"
        "\r\n"
        "[Databaze]\r"
        "adresar=/old\r"
        "[zanr]\r\n"
        "1=Rock";
    struct Case {
        std::string section, key, value, expected;
    };
    const std::vector<Case> cases = {
        {"Nastaveni", "FMaxim", "0",
         "; settings\n[Nastaveni]\r\nFMaxim = 0\nother=keep\r\n\r\n[Databaze]\radresar=/old\r"
         "[zanr]\r\n1=Rock"},
        {"DATABAZE", "ADRESAR", "/nový",
         "; settings\n[Nastaveni]\r\nFMaxim = 1   \nother=keep\r\n\r\n[Databaze]\radresar=/"
         "nov\xFD\r[zanr]\r\n1=Rock"},
        // a new key goes after the section's last line, before the blank line
        {"nastaveni", "new", "x",
         "; settings\n[Nastaveni]\r\nFMaxim = 1   \nother=keep\r\nnew=x\r\n\r\n[Databaze]\r"
         "adresar=/old\r[zanr]\r\n1=Rock"},
        // into the last section, whose line has no end yet
        {"zanr", "2", "Jazz",
         "; settings\n[Nastaveni]\r\nFMaxim = 1   \nother=keep\r\n\r\n[Databaze]\radresar=/"
         "old\r[zanr]\r\n1=Rock\r\n2=Jazz\r\n"},
        // a new section at the end, after a blank line
        {"Okno", "State", "2",
         "; settings\n[Nastaveni]\r\nFMaxim = 1   \nother=keep\r\n\r\n[Databaze]\radresar=/"
         "old\r[zanr]\r\n1=Rock\r\n\r\n[Okno]\r\nState=2\r\n"},
        // the same value again leaves the file as it was
        {"zanr", "1", "Rock", original},
    };
    for (const Case& c : cases) {
        writeFile(file, original);
        ZapisText(file, c.section, c.key, c.value);
        EXPECT_EQ(readFile(file), c.expected) << c.section << "/" << c.key;
        EXPECT_EQ(CtiText(file, c.section, c.key, "?"), c.value);
    }
}

TEST_F(Ini, NewFileIsWindows1250WithCrLf) {
    ZapisText(file, "Předchozí DB", "ZO1", "/HUDBA/ČESKÁ");
    ZapisAnoNe(file, "Zaloha", "automat", false);
    ZapisCislo(file, "Okno", "Left", -8);
    EXPECT_EQ(readFile(file),
              "[P\xF8\x65\x64\x63hoz\xED DB]\r\nZO1=/HUDBA/\xC8\x45SK\xC1\r\n\r\n"
              "[Zaloha]\r\nautomat=0\r\n\r\n[Okno]\r\nLeft=-8\r\n");
    EXPECT_EQ(CtiText(file, "PŘEDCHOZÍ db", "zo1", ""), "/HUDBA/ČESKÁ");
    EXPECT_EQ(CtiCislo(file, "okno", "LEFT", 1), -8);
    EXPECT_FALSE(CtiAnoNe(file, "ZALOHA", "Automat", true));
    // no temporary file is left beside it
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST_F(Ini, AnyLineEndIsRead) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        writeFile(file, "[a]" + eol + "k=1" + eol + "[b]" + eol + "k = two words " + eol + "z=");
        EXPECT_EQ(CtiText(file, "a", "k", ""), "1") << eol.size();
        EXPECT_EQ(CtiText(file, "b", "k", ""), "two words");
        EXPECT_EQ(CtiText(file, "b", "z", "def"), "");  // present but empty is not the default
    }
}

TEST_F(Ini, NumbersAndBooleans) {
    struct Case {
        std::string stored;
        int number;  // read with default 42
    };
    const Case cases[] = {
        {"0", 0},      {"17", 17},   {" 12 ", 12},        {"-8", -8},
        {"+7", 7},     {"0x1", 1},   {"0X1f", 31},        {"0xFFFFFFFF", -1},
        {"0x", 42},    {"0xZZ", 42}, {"0x100000000", 42}, {"ano", 42},
        {"12abc", 42}, {"", 42},     {"-", 42},           {"99999999999", 42},
        {"+-3", 42},   {"1.5", 42},
    };
    for (const Case& c : cases) {
        writeFile(file, "[Nastaveni]\r\nFMaxim=" + c.stored + "\r\n");
        EXPECT_EQ(CtiCislo(file, "Nastaveni", "FMaxim", 42), c.number) << c.stored;
        EXPECT_EQ(IniCislo(c.stored, 42), c.number) << c.stored;
        const bool fallsBack = c.number == 42;
        EXPECT_EQ(CtiAnoNe(file, "Nastaveni", "FMaxim", true), fallsBack || c.number != 0);
        EXPECT_EQ(CtiAnoNe(file, "Nastaveni", "FMaxim", false), !fallsBack && c.number != 0);
    }
}

TEST_F(Ini, DefaultsForMissingFileSectionOrKey) {
    EXPECT_EQ(CtiText(file, "Databaze", "adresar", "/prog"), "/prog");
    EXPECT_EQ(CtiCislo(file, "Okno", "Width", 632), 632);
    EXPECT_TRUE(CtiAnoNe(file, "Zaloha", "automat", true));
    EXPECT_FALSE(fs::exists(file));  // reading creates nothing
    writeFile(file, "[Okno]\r\nWidth=700\r\n;Height=1\r\n");
    EXPECT_EQ(CtiCislo(file, "Okno", "Height", 430), 430);
    EXPECT_EQ(CtiCislo(file, "FNavig", "Width", 632), 632);
    EXPECT_EQ(CtiCislo(file, "Okno", "Width", 632), 700);
}

TEST_F(Ini, FirstOccurrenceWinsAndIsTheOneReplaced) {
    writeFile(file, "[s]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\nm=4\r\n");
    EXPECT_EQ(CtiText(file, "s", "k", ""), "1");
    EXPECT_EQ(CtiText(file, "s", "m", ""), "4");  // a repeated section still answers
    ZapisText(file, "s", "k", "9");
    EXPECT_EQ(readFile(file), "[s]\r\nk=9\r\nk=2\r\n[S]\r\nk=3\r\nm=4\r\n");
    const IniSoubor ini(file);
    EXPECT_EQ(ini.text("S", "K", ""), "9");
    EXPECT_EQ(ini.text("s", "m", ""), "4");
}

TEST_F(Ini, LongValuesAreReadCut) {
    const std::string value(1500, 'x');
    ZapisText(file, "s", "k", value);
    EXPECT_EQ(CtiText(file, "s", "k", ""), std::string(kIniMaxValue, 'x'));
    EXPECT_EQ(IniSoubor(file).text("s", "k", ""), std::string(kIniMaxValue, 'x'));
}

TEST_F(Ini, RefusedWritesThrowAndChangeNothing) {
    writeFile(file, "[s]\r\nk=1\r\n");
    struct Case {
        std::string section, key, value;
    };
    const Case bad[] = {
        {"s", "k", "two\r\nlines"}, {"s", "k", "a\nb"}, {"s", "", "v"},   {"s", "a=b", "v"},
        {"s]", "k", "v"},           {"", "k", "v"},     {"s", "[x", "v"}, {"s", ";c", "v"},
    };
    for (const Case& c : bad) {
        EXPECT_THROW(ZapisText(file, c.section, c.key, c.value), IniError) << c.key;
        IniZapis batch(file);
        EXPECT_THROW(batch.text(c.section, c.key, c.value), IniError);
        batch.uloz();
    }
    EXPECT_EQ(readFile(file), "[s]\r\nk=1\r\n");

    // The system refuses: the parent is a plain file.
    const std::string impossible = file + "/sub.ini";
    try {
        ZapisText(impossible, "s", "k", "v");
        FAIL() << "no error";
    } catch (const IniError& e) {
        EXPECT_NE(std::string(e.what()).find(impossible), std::string::npos) << e.what();
    }
    EXPECT_EQ(CtiText(impossible, "s", "k", "def"), "def");
}

TEST_F(Ini, BatchWriterLeavesTheSameBytesAsSingleWrites) {
    const std::string start = "; top\n[Okno]\nLeft=5\n\n[FNavig]\r\nState=1";
    const fs::path single = dir.path() / "single.ini";
    writeFile(single, start);
    writeFile(file, start);
    struct W {
        std::string section, key, value;
    };
    const W writes[] = {
        {"Okno", "State", "2"}, {"okno", "LEFT", "-8"}, {"FNavig", "Width", "632"},
        {"Nové", "klíč", "ž"},  {"nové", "KLÍČ", "Ž"},  {"zanr", "1", "Rock"},
        {"Okno", "Top", ""},
    };
    IniZapis batch(file);
    for (const W& w : writes) {
        ZapisText(single.string(), w.section, w.key, w.value);
        batch.text(w.section, w.key, w.value);
    }
    EXPECT_EQ(readFile(file), start);  // nothing before uloz
    batch.uloz();
    EXPECT_EQ(readFile(file), readFile(single));
    EXPECT_EQ(CtiText(file, "NOVÉ", "klíč", ""), "Ž");
}

TEST_F(Ini, LoadedFileAnswersLikeSingleReads) {
    spit1250(file, "[A]\nx=0x10\ny= ano \r\n[b]\rz=\r\n[Č]\r\nč=ř\r\n junk line\r\n=empty key\r\n");
    const IniSoubor ini(file);
    const std::pair<std::string, std::string> keys[] = {
        {"a", "x"}, {"A", "y"}, {"B", "z"}, {"č", "Č"}, {"Č", "č"}, {"a", "nope"}, {"c", "x"},
    };
    for (const auto& [s, k] : keys) {
        EXPECT_EQ(ini.text(s, k, "def"), CtiText(file, s, k, "def")) << s << "/" << k;
        EXPECT_EQ(ini.cislo(s, k, 7), CtiCislo(file, s, k, 7)) << s << "/" << k;
        EXPECT_EQ(ini.anoNe(s, k, true), CtiAnoNe(file, s, k, true)) << s << "/" << k;
    }
    EXPECT_EQ(ini.cislo("a", "x", 0), 16);
    EXPECT_EQ(ini.text("Č", "Č", ""), "ř");
    EXPECT_TRUE(ini.maKlic("b", "z"));
    EXPECT_FALSE(ini.maKlic("b", "x"));
}

TEST_F(Ini, SelectionListsSkipEmptyAndRepeatedEntries) {
    spit1250(file, "[zanr]\r\n1=Rock\r\n2=\r\n3=rock\r\n4=Jazz\r\n5=Řeka\r\n6=řeka\r\n51=Pop\r\n");
    std::vector<std::string> list{"old"};
    NactiSeznam(file, "zanr", list, true, 50);
    EXPECT_EQ(list, (std::vector<std::string>{"Rock", "Jazz", "Řeka", "řeka"}));

    list = {"JAZZ"};
    NactiSeznam(file, "ZANR", list, false, 3);
    EXPECT_EQ(list, (std::vector<std::string>{"JAZZ", "Rock"}));

    list = {};
    NactiSeznam(IniSoubor(file), "zanr", list, true, 51);
    EXPECT_EQ(list.back(), "Pop");

    struct Combo : CilSeznamu {
        std::vector<std::string> items{"x"};
        int cleared = 0;
        void vyprazdni() override {
            ++cleared;
            items.clear();
        }
        const std::vector<std::string>& polozky() const override { return items; }
        void pridej(const std::string& p) override { items.push_back(p); }
    } combo;
    NactiSeznam(file, "zanr", combo, true, 50);
    EXPECT_EQ(combo.cleared, 1);
    EXPECT_EQ(combo.items.size(), 4u);
}

TEST(IniList, MatchFoldsOnlyPlainLetters) {
    const std::vector<std::string> list{"Rock", "Řeka", "pop 2", "Ärger"};
    struct Case {
        std::string text;
        int index;
    };
    const Case cases[] = {
        {"Rock", 0}, {"ROCK", 0},  {"rOcK", 0},   {"Rock ", -1}, {"řeka", -1}, {"ŘEKA", 1},
        {"Řeka", 1}, {"POP 2", 2}, {"ärger", -1}, {"ÄRGER", 3},  {"", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IndexVSeznamu(c.text, list), c.index) << c.text;
        EXPECT_EQ(JeVSeznamu(c.text, list), c.index >= 0) << c.text;
    }
    EXPECT_EQ(IndexVSeznamu("a", {"b", "A", "a"}), 1);
}

}  // namespace

TEST_F(Ini, PathsWindows1250CannotHoldReadBackExactly) {
    // What Windows-1250 holds keeps its old bytes; the rest comes back as written, never "?".
    struct Case {
        std::string value;
        bool plain1250;
    };
    const std::vector<Case> cases = {
        {"/home/jana/Hudba/Česká sbírka", true},
        {"/home/jana/Музыка/диски", false},
        {"/data/CD ★ sbírka €", false},
        {"/data/CD € sbírka", true},  // the euro sign is in Windows-1250
        {"ď»żzačátek", false},        // would read as the mark
        {"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        for (const char* key : {"adresar", "ZO1", "ZO6", "adresarTXT"}) {
            ZapisText(file, "Databaze", key, c.value);
            EXPECT_EQ(CtiText(file, "Databaze", key, "?"), c.value);
            EXPECT_EQ(IniSoubor(file).text("Databaze", key, "?"), c.value);
        }
        const std::string disk = readFile(file);
        EXPECT_EQ(disk.find("adresar=" + cp::utf8ToCp1250(c.value) + "\r\n") != std::string::npos,
                  c.plain1250);
    }
}

TEST_F(Ini, MarkedValuesAreCutAtWholeCharacters) {
    std::string longPath = "/";
    for (std::size_t i = 0; i < kIniMaxValue + 5; ++i) longPath += "ж";
    ZapisText(file, "s", "k", longPath);
    const std::string read = CtiText(file, "s", "k", "");
    EXPECT_EQ(read, longPath.substr(0, 1 + 2 * (kIniMaxValue - 1)));
}
