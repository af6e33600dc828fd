#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "disc/DiscIdentity.h"

// Disc contents written out by hand, independent of the arithmetic under test.
namespace lorvika::test {

// Frames of m minutes, s seconds and f frames.
constexpr std::uint32_t msf(std::uint32_t m, std::uint32_t s, std::uint32_t f) {
    return (m * 60 + s) * 75 + f;
}

using Sector = std::array<std::uint8_t, kSectorSize>;

// An ISO 9660 volume descriptor of the given type; escape (3 bytes) marks a supplementary one
// as Joliet, fill makes descriptors tell apart.
inline Sector descriptor(std::uint8_t type, const char* escape = nullptr, std::uint8_t fill = 0) {
    Sector s{};
    s.fill(fill);
    s[0] = type;
    std::memcpy(s.data() + 1, "CD001", 5);
    s[6] = 1;
    if (escape) std::memcpy(s.data() + 88, escape, 3);
    return s;
}

}  // namespace lorvika::test
