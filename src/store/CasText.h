#pragma once

#include <cstdint>
#include <string>

// Lengths in whole seconds as the program writes them, for the windows and for the printed lists.
namespace lorvika::cas {

// "mm:ss"; minutes are not limited (3725 -> "62:05"); negative parts become 0.
std::string text(std::int64_t sekundy);
// Days and hours only where needed: "1d.01:01:01", "01:02:05", "01:05".
std::string textDny(std::int64_t sekundy);

}  // namespace lorvika::cas
