#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace lorvika::test {

// The whole file as bytes; "" when it cannot be read.
inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaces the file's content with exactly these bytes.
inline void writeFile(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace lorvika::test
