#pragma once

#include <cstddef>
#include <string_view>

namespace lorvika::dbf {

// Names of tables, columns, tags and drivers compare the way the engine matches them: A-Z equal
// a-z, every other byte only itself.
inline bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (low(a[i]) != low(b[i])) return false;
    }
    return true;
}

}  // namespace lorvika::dbf
