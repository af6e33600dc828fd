#pragma once

#include <ctime>
#include <functional>

#include "Types.h"

namespace lorvika::dbf {

// The one source of the date and time for the whole program, so that tests can fix the day.
class Clock {
  public:
    static std::time_t now();
    // The local calendar day of now().
    static Date today();
    // Replaces the system clock; an empty function restores it.
    static void set(std::function<std::time_t()> source);
};

}  // namespace lorvika::dbf
