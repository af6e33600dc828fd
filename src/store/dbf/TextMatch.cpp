#include "TextMatch.h"

#include <cstring>

#include "TableData.h"
#include "store/codepage.h"

namespace lorvika::dbf {

TextMatch::TextMatch(std::string_view utf8, Mode mode, bool foldCase, std::uint8_t language)
    : mode_(mode) {
    const bool cp852 = language == kLanguageCp852;
    const std::string text = foldCase ? cp::toLowerAll(utf8) : std::string(utf8);
    needle_ = cp852 ? cp::utf8ToCp852(text) : cp::utf8ToCp1250(text);
    // The conversion writes '?' for what the code page lacks; such a text can match nothing
    // stored (a real '?' survives the round trip, a lacking character does not).
    if (needle_.find('?') != std::string::npos)
        impossible_ = (cp852 ? cp::cp852ToUtf8(needle_) : cp::cp1250ToUtf8(needle_)) != text;
    if (foldCase) lower_ = cp852 ? cp::lowerBytesCp852() : cp::lowerBytesCp1250();
}

bool TextMatch::operator()(std::string_view stored) const {
    if (impossible_) return false;
    const std::size_t n = needle_.size();
    if (mode_ == Mode::Equals) {
        if (stored.size() != n) return false;
        if (!lower_) return std::memcmp(stored.data(), needle_.data(), n) == 0;
        for (std::size_t i = 0; i < n; ++i)
            if (lower_[static_cast<unsigned char>(stored[i])] !=
                static_cast<unsigned char>(needle_[i]))
                return false;
        return true;
    }
    if (n == 0) return true;
    if (stored.size() < n) return false;
    if (!lower_) return stored.find(needle_) != std::string_view::npos;
    // Each place where the folded first byte occurs is compared on, folding as it goes.
    const auto first = static_cast<unsigned char>(needle_[0]);
    const auto* h = reinterpret_cast<const unsigned char*>(stored.data());
    const auto* w = reinterpret_cast<const unsigned char*>(needle_.data());
    for (std::size_t i = 0, last = stored.size() - n; i <= last; ++i) {
        if (lower_[h[i]] != first) continue;
        std::size_t k = 1;
        while (k < n && lower_[h[i + k]] == w[k]) ++k;
        if (k == n) return true;
    }
    return false;
}

}  // namespace lorvika::dbf
