#include "store/codepage.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace lorvika::cp {
namespace {

// Upper halves of the two code pages (bytes 0x80-0xFF). Windows-1250 leaves five positions
// undefined; they map to the C1 control of the same number, as Windows itself does, so that
// every byte survives a round trip.
constexpr std::array<char16_t, 128> kCp852{
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7, 0x0142, 0x00EB, 0x0150, 0x0151,
    0x00EE, 0x0179, 0x00C4, 0x0106, 0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x0104, 0x0105, 0x017D, 0x017E, 0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A, 0x015E, 0x2563, 0x2551, 0x2557,
    0x255D, 0x017B, 0x017C, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x0111, 0x0110, 0x010E, 0x00CB,
    0x010F, 0x0147, 0x00CD, 0x00CE, 0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161, 0x0154, 0x00DA, 0x0155, 0x0170,
    0x00FD, 0x00DD, 0x0163, 0x00B4, 0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,
};
constexpr std::array<char16_t, 128> kCp1250{
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// Reverse lookup from a code point to its byte; 0 means "not in the code page" (every mapped
// code point of the upper half is at least U+0080, and below that the byte is the code point).
class Reverse {
  public:
    explicit Reverse(const std::array<char16_t, 128>& table) {
        for (int i = 0; i < 128; ++i) bytes_[table[i]] = static_cast<std::uint8_t>(0x80 + i);
    }
    int find(char32_t c) const {
        if (c < 0x80) return static_cast<int>(c);
        if (c >= bytes_.size() || bytes_[c] == 0) return -1;
        return bytes_[c];
    }

  private:
    std::array<std::uint8_t, 0x2600> bytes_{};
};

const Reverse& reverse852() {
    static const Reverse r(kCp852);
    return r;
}
const Reverse& reverse1250() {
    static const Reverse r(kCp1250);
    return r;
}

struct Decoded {
    char32_t cp;
    std::size_t length;
    bool valid;
};

// One UTF-8 sequence at text[i]; an invalid byte decodes as itself with valid = false.
Decoded decode(std::string_view text, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) return {b0, 1, true};
    std::size_t len = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return {b0, 1, false};
    }
    if (i + len > text.size()) return {b0, 1, false};
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return {b0, 1, false};
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {b0, 1, false};
    return {cp, len, true};
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string toUtf8(std::string_view bytes, const std::array<char16_t, 128>& table) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out.push_back(ch);
        else
            appendUtf8(out, table[b - 0x80]);
    }
    return out;
}

std::string fromUtf8(std::string_view text, const Reverse& rev) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decode(text, i);
        i += d.length;
        const int b = d.valid ? rev.find(d.cp) : -1;
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

// Case pairs of the Czech and Slovak alphabets (the rows the forms convert with).
constexpr std::u32string_view kLowerRow = U"üéďäčěĺľžôöůýťáíóúňšřŕ";
constexpr std::u32string_view kUpperRow = U"ÜÉĎÄČĚĹĽŽÔÖŮÝŤÁÍÓÚŇŠŘŔ";
static_assert(kLowerRow.size() == 22 && kUpperRow.size() == 22);

// ---- Czech order ------------------------------------------------------------------------
//
// The key has three levels: one weight per letter (upper and lower case alike, "ch" one
// weight), then the case of every letter, then the exact characters of those classes that
// share one weight. Where two texts have equal first levels, the letters and the shared
// classes sit at the same positions, so the later levels need no separators of their own.

constexpr std::uint8_t kLevelEnd = 0x00;
constexpr std::uint8_t kControl = 0x02;  // shared
constexpr std::uint8_t kBlank = 0x03;
constexpr std::uint8_t kFirstPunct = 0x04;  // ASCII punctuation, in ASCII order
constexpr std::uint8_t kSymbol = 0x24;      // shared: other symbols of code page 852
constexpr std::uint8_t kFirstDigit = 0x25;
constexpr std::uint8_t kFirstLetter = 0x30;
constexpr std::uint8_t kForeign = 0xFE;  // shared: characters code page 852 lacks

constexpr std::uint8_t kLower = 1;
constexpr std::uint8_t kUpper = 2;

// Letters in order; "*" stands for "ch". Letters outside the Czech alphabet that code page
// 852 holds follow the Czech letters of their base letter.
constexpr std::u32string_view kAlphabet[] = {
    U"aA", U"áÁ", U"äÄ", U"âÂ", U"ăĂ", U"ąĄ", U"bB", U"cC", U"čČ", U"ćĆ", U"çÇ", U"dD",
    U"ďĎ", U"đĐ", U"eE", U"éÉ", U"ěĚ", U"ëË", U"ęĘ", U"fF", U"gG", U"hH", U"*",  U"iI",
    U"íÍ", U"îÎ", U"jJ", U"kK", U"lL", U"ĺĹ", U"ľĽ", U"łŁ", U"mM", U"nN", U"ňŇ", U"ńŃ",
    U"oO", U"óÓ", U"ôÔ", U"öÖ", U"őŐ", U"pP", U"qQ", U"rR", U"ŕŔ", U"řŘ", U"sS", U"šŠ",
    U"śŚ", U"şŞ", U"ß",  U"tT", U"ťŤ", U"ţŢ", U"uU", U"úÚ", U"ůŮ", U"üÜ", U"űŰ", U"vV",
    U"wW", U"xX", U"yY", U"ýÝ", U"zZ", U"žŽ", U"źŹ", U"żŻ",
};
static_assert(kFirstLetter + std::size(kAlphabet) < kForeign);

struct ByteInfo {
    std::uint8_t weight;
    std::uint8_t letterCase;
    std::uint8_t exactLength;  // 0 unless the byte belongs to a shared class
    char exact[3];
};

struct Collation {
    std::array<std::uint8_t, 256> weight{};
    std::array<std::uint8_t, 256> letterCase{};  // 0 for anything but a letter
    std::array<bool, 256> shared{};
    std::array<std::string, 256> exact;  // UTF-8 of the byte, for the shared classes
    std::array<ByteInfo, 256> info{};    // the same, packed for the code-page-852 hot path
    std::uint8_t ch = 0;
    std::uint8_t cWeight = 0;
    std::uint8_t hWeight = 0;

    Collation() {
        for (int b = 0; b < 256; ++b) {
            const char32_t c = b < 0x80 ? static_cast<char32_t>(b) : kCp852[b - 0x80];
            exact[b].clear();
            appendUtf8(exact[b], c);
            if (c < 0x20 || c == 0x7F) {
                set(b, kControl, 0, true);
            } else if (c == ' ') {
                set(b, kBlank, 0, false);
            } else if (c >= '0' && c <= '9') {
                set(b, static_cast<std::uint8_t>(kFirstDigit + (c - '0')), 0, false);
            } else {
                set(b, kSymbol, 0, true);
            }
        }
        std::uint8_t punct = kFirstPunct;
        for (int b = 0x21; b < 0x7F; ++b) {
            const bool alnum =
                (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
            if (!alnum) set(b, punct++, 0, false);
        }
        std::uint8_t w = kFirstLetter;
        for (std::u32string_view letter : kAlphabet) {
            if (letter == U"*") {
                ch = w++;
                continue;
            }
            set(reverse852().find(letter[0]), w, kLower, false);
            if (letter.size() > 1) set(reverse852().find(letter[1]), w, kUpper, false);
            ++w;
        }
        cWeight = weight['c'];
        hWeight = weight['h'];
        for (int b = 0; b < 256; ++b) {
            ByteInfo& i = info[b];
            i.weight = weight[b];
            i.letterCase = letterCase[b];
            i.exactLength = shared[b] ? static_cast<std::uint8_t>(exact[b].size()) : 0;
            for (std::size_t k = 0; k < i.exactLength; ++k) i.exact[k] = exact[b][k];
        }
    }
    void set(int b, std::uint8_t w, std::uint8_t letter, bool isShared) {
        weight[b] = w;
        letterCase[b] = letter;
        shared[b] = isShared;
    }
};

const Collation& collation() {
    static const Collation c;
    return c;
}

bool isC(unsigned char b) {
    return b == 'c' || b == 'C';
}
bool isH(unsigned char b) {
    return b == 'h' || b == 'H';
}

}  // namespace

std::string cp852ToUtf8(std::string_view bytes) {
    return toUtf8(bytes, kCp852);
}
std::string utf8ToCp852(std::string_view text) {
    return fromUtf8(text, reverse852());
}
std::string cp1250ToUtf8(std::string_view bytes) {
    return toUtf8(bytes, kCp1250);
}
std::string utf8ToCp1250(std::string_view text) {
    return fromUtf8(text, reverse1250());
}

std::string cp1250ToCp852(std::string_view bytes) {
    static const std::array<unsigned char, 128> map = [] {
        std::array<unsigned char, 128> m{};
        for (int i = 0; i < 128; ++i) {
            const int b = reverse852().find(kCp1250[i]);
            m[i] = static_cast<unsigned char>(b < 0 ? 0x80 + i : b);
        }
        return m;
    }();
    std::string out(bytes);
    for (char& ch : out) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80) ch = static_cast<char>(map[b - 0x80]);
    }
    return out;
}

std::optional<CodePage> codePageNamed(std::string_view cpgText) {
    std::string n;
    for (char c : cpgText) {
        if (c == ' ' || c == '-' || c == '_' || c == '\t' || c == '\r' || c == '\n') continue;
        n.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    for (std::string_view prefix : {"WINDOWS", "ANSI", "OEM", "IBM", "DOS", "CP"}) {
        if (n.starts_with(prefix) && n.size() > prefix.size() && n[prefix.size()] >= '0' &&
            n[prefix.size()] <= '9') {
            n.erase(0, prefix.size());
            break;
        }
    }
    if (n == "852" || n == "LDID/100") return CodePage::Cp852;
    if (n == "1250" || n == "LDID/200") return CodePage::Cp1250;
    if (n == "UTF8" || n == "65001") return CodePage::Utf8;
    return std::nullopt;
}

std::string_view plainForm(char32_t c) {
    switch (c) {
        case U'\u201E':  // „
        case U'\u201C':  // “
        case U'\u201D':  // ”
        case U'\u201F':  // ‟
            return "\"";
        case U'\u201A':  // ‚
        case U'\u2018':  // ‘
        case U'\u2019':  // ’
        case U'\u201B':  // ‛
            return "'";
        case U'\u2010':  // hyphen
        case U'\u2011':  // non-breaking hyphen
        case U'\u2012':  // figure dash
        case U'\u2013':  // –
        case U'\u2014':  // —
        case U'\u2015':  // horizontal bar
        case U'\u2212':  // minus
            return "-";
        case U'\u2026':  // …
            return "...";
        case U'\u2039':  // ‹
            return "<";
        case U'\u203A':  // ›
            return ">";
        default:
            return {};
    }
}

TableText forCp852(std::string_view utf8) {
    TableText r;
    r.text.reserve(utf8.size());
    const Reverse& rev = reverse852();
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decode(utf8, i);
        const std::string_view raw = utf8.substr(i, d.length);
        i += d.length;
        if (d.valid && d.cp != kReplacementMark && rev.find(d.cp) >= 0) {
            r.text += raw;
            continue;
        }
        const std::string_view plain = d.valid ? plainForm(d.cp) : std::string_view();
        if (!plain.empty()) {
            r.text += plain;
            continue;
        }
        r.text += raw;
        if (r.refused.empty()) {
            r.refused = d.valid ? std::string(raw) : std::string("\uFFFD");
            r.refusedCode = d.valid ? d.cp : U'\uFFFD';
        }
    }
    return r;
}

std::string toCp852Field(std::u32string_view text, std::size_t width) {
    const Reverse& rev = reverse852();
    auto build = [&](bool expand) {
        std::string out;
        for (char32_t c : text) {
            const int b = rev.find(c);
            if (b >= 0 && c != kReplacementMark) {
                out.push_back(static_cast<char>(b));
                continue;
            }
            const std::string_view plain = plainForm(c);
            if (!plain.empty() && (expand || plain.size() == 1))
                out += plain;
            else
                out.push_back(static_cast<char>(kReplacementMark852));
        }
        return out;
    };
    std::string out = build(true);
    if (out.size() > width) {
        // Only the blanks that padded the field can give way to the longer forms.
        while (out.size() > width && out.back() == ' ') out.pop_back();
        if (out.size() > width) out = build(false);
    }
    return out;
}

std::u32string cp1250Codes(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out.push_back(b < 0x80 ? b : kCp1250[b - 0x80]);
    }
    return out;
}

std::u32string cp852Codes(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out.push_back(b < 0x80 ? b : kCp852[b - 0x80]);
    }
    return out;
}

std::u32string utf8Codes(std::string_view utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decode(utf8, i);
        out.push_back(d.valid ? d.cp : U'\uFFFD');
        i += d.length;
    }
    return out;
}

char32_t toUpper(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    const auto pos = kLowerRow.find(c);
    return pos == std::u32string_view::npos ? c : kUpperRow[pos];
}

char32_t toLower(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c - 'A' + 'a';
    const auto pos = kUpperRow.find(c);
    return pos == std::u32string_view::npos ? c : kLowerRow[pos];
}

namespace {
template <typename Map>
std::string mapText(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decode(text, i);
        if (d.valid)
            appendUtf8(out, map(d.cp));
        else
            out.push_back(text[i]);  // bytes that are not UTF-8 pass unchanged
        i += d.length;
    }
    return out;
}

std::string_view withoutTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}
}  // namespace

std::string toUpper(std::string_view utf8) {
    return mapText(utf8, [](char32_t c) { return toUpper(c); });
}
std::string toLower(std::string_view utf8) {
    return mapText(utf8, [](char32_t c) { return toLower(c); });
}

std::string czechSortKeyCp852(std::string_view bytes) {
    const Collation& col = collation();
    bytes = withoutTrailingBlanks(bytes);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    // One pass into three areas of a scratch buffer (the third may need three bytes a
    // character), then one exact-size string: index keys are held by the million.
    constexpr std::size_t kStack = 256;
    char stack[5 * kStack + 1];
    std::vector<char> heap;
    char* l1 = stack;
    if (n > kStack) {
        heap.resize(5 * n + 1);
        l1 = heap.data();
    }
    char* const l2Start = l1 + n + 1;
    char* const l3Start = l2Start + n;
    char* out1 = l1;
    char* out2 = l2Start;
    char* out3 = l3Start;
    for (std::size_t i = 0; i < n; ++i) {
        const ByteInfo& b = col.info[p[i]];
        if (b.letterCase != 0) {
            *out2++ = static_cast<char>(b.letterCase);
            if (b.weight == col.cWeight && i + 1 < n && col.info[p[i + 1]].weight == col.hWeight) {
                *out1++ = static_cast<char>(col.ch);
                *out2++ = static_cast<char>(col.info[p[++i]].letterCase);
                continue;
            }
        } else if (b.exactLength != 0) {
            for (int k = 0; k < b.exactLength; ++k) *out3++ = b.exact[k];
        }
        *out1++ = static_cast<char>(b.weight);
    }
    *out1++ = static_cast<char>(kLevelEnd);
    std::string key;
    const std::size_t len1 = static_cast<std::size_t>(out1 - l1);
    const std::size_t len2 = static_cast<std::size_t>(out2 - l2Start);
    const std::size_t len3 = static_cast<std::size_t>(out3 - l3Start);
    key.reserve(len1 + len2 + len3);
    key.append(l1, len1).append(l2Start, len2).append(l3Start, len3);
    return key;
}

std::string czechSortKey(std::string_view utf8) {
    const Collation& col = collation();
    utf8 = withoutTrailingBlanks(utf8);
    struct Unit {
        std::uint8_t weight;
        std::uint8_t letterCase;
        bool shared;
        std::string_view exact;
    };
    std::vector<Unit> units;
    units.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decode(utf8, i);
        const std::string_view raw = utf8.substr(i, d.length);
        i += d.length;
        const int b = d.valid ? reverse852().find(d.cp) : -1;
        if (b < 0)
            units.push_back({kForeign, 0, true, raw});
        else
            units.push_back({col.weight[b], col.letterCase[b], col.shared[b], raw});
    }
    std::string key;
    key.reserve(2 * units.size() + 1);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const bool digraph = units[i].exact.size() == 1 && isC(units[i].exact[0]) &&
                             i + 1 < units.size() && units[i + 1].exact.size() == 1 &&
                             isH(units[i + 1].exact[0]);
        if (digraph) {
            key.push_back(static_cast<char>(col.ch));
            ++i;
        } else {
            key.push_back(static_cast<char>(units[i].weight));
        }
    }
    key.push_back(static_cast<char>(kLevelEnd));
    for (const Unit& u : units)
        if (u.letterCase != 0) key.push_back(static_cast<char>(u.letterCase));
    for (const Unit& u : units)
        if (u.shared) key += u.exact;
    return key;
}

namespace {
// Text that code page 852 holds completely takes the byte-table path; both paths give the
// same keys.
std::string compareKey(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    const Reverse& rev = reverse852();
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decode(utf8, i);
        const int b = d.valid ? rev.find(d.cp) : -1;
        if (b < 0) return czechSortKey(utf8);
        bytes.push_back(static_cast<char>(b));
        i += d.length;
    }
    return czechSortKeyCp852(bytes);
}
}  // namespace

int czechCompare(std::string_view a, std::string_view b) {
    const std::string ka = compareKey(a);
    const std::string kb = compareKey(b);
    const int r = ka.compare(kb);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace lorvika::cp
