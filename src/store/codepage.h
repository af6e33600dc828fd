#pragma once

#include <optional>
#include <string>
#include <string_view>

// The two 8-bit code pages of the catalogue, Czech case rules and Czech alphabetical order.
// Everything above the store works in UTF-8; these convert at the file edges.
namespace lorvika::cp {

std::string cp852ToUtf8(std::string_view bytes);
std::string utf8ToCp852(std::string_view text);  // characters 852 lacks become '?'
std::string cp1250ToUtf8(std::string_view bytes);
std::string utf8ToCp1250(std::string_view text);  // characters 1250 lacks become '?'
// Byte-level recoding of old tables; a character code page 852 lacks stays as it is.
std::string cp1250ToCp852(std::string_view bytes);

// The plain form of a typographic character code page 852 lacks: „ “ ” ‟ → ", ‚ ‘ ’ ‛ → ',
// – — and the other dashes → -, … → ..., ‹ › → < >. Empty for every other character.
std::string_view plainForm(char32_t c);
// Mark left in a table for a character that has neither a place in code page 852 nor a plain
// form (the black square, byte 0xFE of code page 852). Typed text may not use it.
inline constexpr char32_t kReplacementMark = U'\u25A0';
inline constexpr unsigned char kReplacementMark852 = 0xFE;

// Text on its way into a code-page-852 table: the typographic characters in their plain forms,
// and the first character that even so has no place there (the replacement mark and bytes that
// are not UTF-8 count as such).
struct TableText {
    std::string text;     // UTF-8 with the plain forms
    std::string refused;  // UTF-8 of the first character the table cannot hold; empty if none
    char32_t refusedCode = 0;
    bool ok() const { return refused.empty(); }
};
TableText forCp852(std::string_view utf8);

// A code-page-852 text of an old table in another code page, for a field of `width` bytes:
// plain forms for typographic characters, the replacement mark for the rest. When the plain
// forms would not fit, … becomes the mark instead, so the text keeps its length.
std::string toCp852Field(std::u32string_view text, std::size_t width);
// Code points of a Windows-1250 or code-page-852 byte string, and of UTF-8 (invalid bytes become
// U+FFFD).
std::u32string cp1250Codes(std::string_view bytes);
std::u32string cp852Codes(std::string_view bytes);
std::u32string utf8Codes(std::string_view utf8);

// The code page a ".cpg" file (as GDAL and other tools write beside a table) names: "852",
// "CP852", "OEM 852", "LDID/100"; "1250", "Windows-1250", "ANSI 1250", "LDID/200"; "UTF-8",
// "65001" (letter case, blanks, "-" and "_" aside). Nothing for any other name.
enum class CodePage { Cp852, Cp1250, Utf8 };
std::optional<CodePage> codePageNamed(std::string_view cpgText);

// Czech and Slovak letters and a-z; everything else unchanged.
char32_t toUpper(char32_t c);
char32_t toLower(char32_t c);
std::string toUpper(std::string_view utf8);
std::string toLower(std::string_view utf8);

// A byte string whose plain byte order (memcmp) is the Czech alphabetical order of the text:
// a á b c č d ď e é ě f g h ch i í … r ř s š t ť u ú ů … z ž, letters before case, ties broken
// by the exact text. Trailing blanks carry no meaning.
std::string czechSortKey(std::string_view utf8);
// The same from code-page-852 bytes, without a detour through UTF-8 (the index's hot path).
std::string czechSortKeyCp852(std::string_view bytes);
int czechCompare(std::string_view a, std::string_view b);  // <0, 0, >0 on UTF-8 texts

}  // namespace lorvika::cp
