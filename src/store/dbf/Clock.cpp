#include "Clock.h"

#include <mutex>

namespace lorvika::dbf {

namespace {

std::mutex& guard() {
    static std::mutex m;
    return m;
}

std::function<std::time_t()>& source() {
    static std::function<std::time_t()> s;
    return s;
}

}  // namespace

std::time_t Clock::now() {
    std::function<std::time_t()> s;
    {
        const std::lock_guard<std::mutex> lock(guard());
        s = source();
    }
    return s ? s() : std::time(nullptr);
}

Date Clock::today() {
    const std::time_t t = now();
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

void Clock::set(std::function<std::time_t()> s) {
    const std::lock_guard<std::mutex> lock(guard());
    source() = std::move(s);
}

}  // namespace lorvika::dbf
