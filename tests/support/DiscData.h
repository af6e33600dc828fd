#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "disc/DiscIdentity.h"
#include "disc/Toc.h"

// Disc contents written out by hand, independent of the arithmetic under test.
namespace lorvika::test {

// Frames of m minutes, s seconds and f frames.
constexpr std::uint32_t msf(std::uint32_t m, std::uint32_t s, std::uint32_t f) {
    return (m * 60 + s) * 75 + f;
}

// A disc of n audio tracks from address 150; track i lasts sekundy + i seconds and snimky frames.
inline Toc tocOf(int n, std::uint32_t sekundy = 200, std::uint32_t snimky = 0) {
    Toc toc;
    std::uint32_t adresa = 150;
    for (int i = 1; i <= n; ++i) {
        toc.tracks.push_back({adresa, false});
        adresa += (sekundy + static_cast<std::uint32_t>(i)) * 75 + snimky;
    }
    toc.leadOut = adresa + 1;
    return toc;
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
