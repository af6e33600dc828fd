#pragma once

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

// Czech and Slovak letters and a-z; everything else unchanged.
char32_t toUpper(char32_t c);
char32_t toLower(char32_t c);
std::string toUpper(std::string_view utf8);
std::string toLower(std::string_view utf8);
// Lower case as the system's locale gives it: a-z and every capital letter either code page
// holds (Polish, Hungarian, Romanian and German ones too), not only the Czech and Slovak rows.
char32_t toLowerAll(char32_t c);
std::string toLowerAll(std::string_view utf8);
// The same as byte tables over the two code pages (index: byte, value: its lower-case byte).
const unsigned char* lowerBytesCp852();
const unsigned char* lowerBytesCp1250();

// A byte string whose plain byte order (memcmp) is the Czech alphabetical order of the text:
// a á b c č d ď e é ě f g h ch i í … r ř s š t ť u ú ů … z ž, letters before case, ties broken
// by the exact text. Trailing blanks carry no meaning.
std::string czechSortKey(std::string_view utf8);
// The same from code-page-852 bytes, without a detour through UTF-8 (the index's hot path).
std::string czechSortKeyCp852(std::string_view bytes);
int czechCompare(std::string_view a, std::string_view b);  // <0, 0, >0 on UTF-8 texts

}  // namespace lorvika::cp
