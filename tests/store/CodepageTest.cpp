#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "store/codepage.h"

namespace cp = lorvika::cp;

namespace {

// glibc's iconv as an independent reference; returns false when it rejects the input.
bool iconvConvert(const char* from, const char* to, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string src = in;
    char buf[64];
    char* inPtr = src.data();
    size_t inLeft = src.size();
    char* outPtr = buf;
    size_t outLeft = sizeof buf;
    const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return false;
    out.assign(buf, outPtr);
    return true;
}

struct CodePage {
    const char* iconvName;
    std::string (*toUtf8)(std::string_view);
    std::string (*fromUtf8)(std::string_view);
};

class CodePageOracle : public ::testing::TestWithParam<CodePage> {};

TEST_P(CodePageOracle, EveryUpperByteMatchesIconvAndRoundTrips) {
    const CodePage& page = GetParam();
    int defined = 0;
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string ours = page.toUtf8(byte);
        std::string expected;
        if (iconvConvert(page.iconvName, "UTF-8", byte, expected)) {
            ++defined;
            EXPECT_EQ(ours, expected) << "byte 0x" << std::hex << b;
        }
        EXPECT_EQ(page.fromUtf8(ours), byte) << "round trip of byte 0x" << std::hex << b;
    }
    EXPECT_GE(defined, 123);
}

INSTANTIATE_TEST_SUITE_P(Both, CodePageOracle,
                         ::testing::Values(CodePage{"CP852", cp::cp852ToUtf8, cp::utf8ToCp852},
                                           CodePage{"CP1250", cp::cp1250ToUtf8, cp::utf8ToCp1250}));

TEST(CodePage, AsciiPassesUnchangedBothWays) {
    std::string ascii;
    for (int b = 1; b < 0x80; ++b) ascii.push_back(static_cast<char>(b));
    EXPECT_EQ(cp::cp852ToUtf8(ascii), ascii);
    EXPECT_EQ(cp::utf8ToCp852(ascii), ascii);
    EXPECT_EQ(cp::cp1250ToUtf8(ascii), ascii);
    EXPECT_EQ(cp::utf8ToCp1250(ascii), ascii);
    EXPECT_EQ(cp::cp1250ToCp852(ascii), ascii);
}

TEST(CodePage, MissingAndBrokenCharactersBecomeQuestionMarks) {
    struct Case {
        std::string utf8;
        std::string cp852;
        std::string cp1250;
    };
    const Case cases[] = {
        {"€", "?", "\x80"},     // only 1250 has the euro
        {"╬", "\xCE", "?"},     // box drawing only in 852
        {"Ω", "?", "?"},        // neither
        {"a\xC3", "a?", "a?"},  // cut-off sequence
        {"\xFF"
         "b",
         "?b", "?b"},                    // byte that never starts a sequence
        {"\xC0\x80", "??", "??"},        // overlong NUL
        {"\xED\xA0\x80", "???", "???"},  // surrogate
        {"žluťoučký", "\xA7lu\x9Cou\x9Fk\xEC", "\x9Elu\x9Dou\xE8k\xFD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cp::utf8ToCp852(c.utf8), c.cp852) << c.utf8;
        EXPECT_EQ(cp::utf8ToCp1250(c.utf8), c.cp1250) << c.utf8;
    }
}

TEST(CodePage, RecodingOldTablesAgreesWithIconv) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string byte(1, static_cast<char>(b));
        std::string utf8, expected;
        const bool known = iconvConvert("CP1250", "UTF-8", byte, utf8);
        const bool in852 = known && iconvConvert("UTF-8", "CP852", utf8, expected);
        if (!in852) expected = byte;  // what 852 lacks keeps its byte
        EXPECT_EQ(cp::cp1250ToCp852(byte), expected) << "byte 0x" << std::hex << b;
    }
    EXPECT_EQ(cp::cp1250ToCp852("\xE8"), "\x9F");  // č
    EXPECT_EQ(cp::cp1250ToCp852(""), "");
}

TEST(CaseRules, PairsAndPlainLettersOnly) {
    const std::u32string lower = U"üéďäčěĺľžôöůýťáíóúňšřŕabcdefghijklmnopqrstuvwxyz";
    const std::u32string upper = U"ÜÉĎÄČĚĹĽŽÔÖŮÝŤÁÍÓÚŇŠŘŔABCDEFGHIJKLMNOPQRSTUVWXYZ";
    ASSERT_EQ(lower.size(), upper.size());
    for (std::size_t i = 0; i < lower.size(); ++i) {
        EXPECT_EQ(cp::toUpper(lower[i]), upper[i]) << i;
        EXPECT_EQ(cp::toLower(upper[i]), lower[i]) << i;
        EXPECT_EQ(cp::toUpper(upper[i]), upper[i]) << i;
        EXPECT_EQ(cp::toLower(lower[i]), lower[i]) << i;
    }
    // Outside both rows: unchanged, even letters that have a case elsewhere.
    for (char32_t c : std::u32string(U"ß0123456789 -_ąĄłŁőŐ€Ω@[`{")) {
        EXPECT_EQ(cp::toUpper(c), c);
        EXPECT_EQ(cp::toLower(c), c);
    }
}

TEST(CaseRules, Texts) {
    EXPECT_EQ(cp::toUpper("žluťoučký kůň úpěl ďábelské ódy"), "ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY");
    EXPECT_EQ(cp::toLower("ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY"), "žluťoučký kůň úpěl ďábelské ódy");
    EXPECT_EQ(cp::toUpper("straße 12"), "STRAßE 12");
    EXPECT_EQ(cp::toUpper("a\xFF"
                          "b"),
              "A\xFF"
              "B");  // broken bytes survive
    EXPECT_EQ(cp::toUpper(""), "");
}

// Every text is strictly before the next one.
TEST(CzechOrder, SequencesAreStrictlyAscending) {
    const std::vector<std::vector<std::string>> sequences = {
        // the alphabet with its accented letters
        {"a", "á", "ä", "b", "c", "č", "d", "ď", "e", "é", "ě", "ë", "f", "g", "h", "ch", "i",
         "í", "j", "k", "l", "ĺ", "ľ", "m", "n", "ň", "o", "ó", "ô", "ö", "p", "q", "r",  "ŕ",
         "ř", "s", "š", "t", "ť", "u", "ú", "ů", "ü", "v", "w", "x", "y", "ý", "z", "ž"},
        // ch is one letter after h, in any case
        {"hz", "ch", "Ch", "CH", "chA", "i"},
        {"Cyril", "Čech", "Hudba", "Chopin", "Ivan"},
        {"Rachmaninov", "Ravel", "Řezáč"},
        {"Sibelius", "Smetana", "Šostakovič", "Tartini"},
        {"Zappa", "Zeman", "Žák"},
        // blanks and punctuation before digits before letters
        {"", " x", "!", "-", "0", "09", "1", "9", "A"},
        {"AB 1", "AB-1", "AB1", "ABA"},
        // case is equal at the first level
        {"abc", "ABC", "abd", "ABE"},
        {"ábc", "Ábc", "ábd"},
        // a shorter text before its extensions
        {"Beatles", "Beatles 1", "Beatles, The", "Beatlesová"},
        // letters foreign to the Czech alphabet follow their base letter's group
        {"a", "ą", "b"},
        {"l", "ľ", "ł", "m"},
    };
    for (const auto& seq : sequences) {
        for (std::size_t i = 0; i + 1 < seq.size(); ++i) {
            EXPECT_LT(cp::czechCompare(seq[i], seq[i + 1]), 0) << seq[i] << " < " << seq[i + 1];
            EXPECT_GT(cp::czechCompare(seq[i + 1], seq[i]), 0) << seq[i + 1] << " > " << seq[i];
            EXPECT_LT(cp::czechSortKey(seq[i]), cp::czechSortKey(seq[i + 1])) << seq[i];
        }
    }
}

TEST(CzechOrder, EqualityIgnoresTrailingBlanksOnly) {
    struct Case {
        std::string a, b;
        bool equal;
    };
    const Case cases[] = {
        {"Rock", "Rock   ", true}, {"", "    ", true},     {"Rock", "rock", false},
        {"Rock", " Rock", false},  {"a b", "a  b", false}, {"Řeka", "řeka", false},
        {"§", "¤", false},         {"Ω", "Ψ", false},      {"\t", "\n", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cp::czechCompare(c.a, c.b) == 0, c.equal) << c.a << " | " << c.b;
        EXPECT_EQ(cp::czechSortKey(c.a) == cp::czechSortKey(c.b), c.equal) << c.a;
    }
}

// The index builds keys from the table's bytes; they must order exactly as the UTF-8 keys.
TEST(CzechOrder, Cp852KeysEqualUtf8Keys) {
    std::vector<std::string> samples = {"Chopin",  "cHa",   "CH",     "c",    "h",
                                        "Šárka  ", "ÇáÂ§╬", "x\x01y", "0x1F", "AbC dE"};
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> len(0, 6), byte(1, 255);
    for (int n = 0; n < 3000; ++n) {
        std::string s;
        for (int k = len(rng); k > 0; --k) {
            const int b = byte(rng);
            s.push_back(static_cast<char>(b % 3 == 0 ? "cChH"[b % 4] : b));
        }
        samples.push_back(cp::cp852ToUtf8(s));
    }
    for (const std::string& text : samples)
        EXPECT_EQ(cp::czechSortKeyCp852(cp::utf8ToCp852(text)), cp::czechSortKey(text)) << text;

    // Sorting by key gives the same order as pairwise comparison, without ties between
    // different texts.
    std::vector<std::string> byKey = samples;
    std::sort(byKey.begin(), byKey.end(), [](const std::string& a, const std::string& b) {
        return cp::czechSortKey(a) < cp::czechSortKey(b);
    });
    for (std::size_t i = 0; i + 1 < byKey.size(); ++i) {
        const int r = cp::czechCompare(byKey[i], byKey[i + 1]);
        EXPECT_LE(r, 0);
        if (r == 0) {
            auto trim = [](std::string s) {
                while (!s.empty() && s.back() == ' ') s.pop_back();
                return s;
            };
            EXPECT_EQ(trim(byKey[i]), trim(byKey[i + 1]));
        }
    }
}

}  // namespace
