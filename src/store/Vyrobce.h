#pragma once

#include <string_view>

// Where the program and its documentation are published: named by the engine's missing-engine
// message and by the title line of the printed lists. A build may give its own address.
#ifndef LORVIKA_WEB
#define LORVIKA_WEB "https://lorvika.invalid"
#endif

namespace lorvika {

inline constexpr std::string_view kWebVyrobce = LORVIKA_WEB;

}  // namespace lorvika
