#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lorvika::dbf {

class Cursor;

// A text test on stored column bytes, prepared once: the searched text is converted into the
// table's code page (and lower-cased, when folding) up front, so that testing a record neither
// decodes nor allocates. Meant for filters that look at many records.
class TextMatch {
  public:
    enum class Mode { Contains, Equals };
    // language: the table's language byte (code page 852 or 1250).
    TextMatch(std::string_view utf8, Mode mode, bool foldCase, std::uint8_t language);

    // stored: a text column's bytes as Cursor::rawText gives them (no trailing blanks).
    bool operator()(std::string_view stored) const;

  private:
    std::string needle_;                    // in the table's code page, folded when folding
    const unsigned char* lower_ = nullptr;  // byte lower-case table; null: exact bytes
    Mode mode_;
    bool impossible_ = false;  // the text holds a character the code page lacks
};

}  // namespace lorvika::dbf
