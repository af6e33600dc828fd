#include "store/CasText.h"

#include <algorithm>

namespace lorvika::cas {

namespace {

std::string dvemist(std::int64_t n) {
    return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

}  // namespace

std::string text(std::int64_t sekundy) {
    const std::int64_t m = sekundy / 60;
    const std::int64_t s = sekundy - 60 * m;
    return dvemist(std::max<std::int64_t>(0, m)) + ':' + dvemist(std::max<std::int64_t>(0, s));
}

std::string textDny(std::int64_t sekundy) {
    const std::int64_t d = std::max<std::int64_t>(0, sekundy / 86400);
    std::int64_t zbytek = sekundy - d * 86400;
    const std::int64_t h = std::max<std::int64_t>(0, zbytek / 3600);
    zbytek -= h * 3600;
    const std::int64_t m = std::max<std::int64_t>(0, zbytek / 60);
    const std::int64_t s = std::max<std::int64_t>(0, zbytek - m * 60);
    std::string out;
    if (d != 0) out += std::to_string(d) + "d.";
    if (h != 0 || d != 0) out += dvemist(h) + ':';
    return out + dvemist(m) + ':' + dvemist(s);
}

}  // namespace lorvika::cas
