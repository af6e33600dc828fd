#pragma once

#include <clocale>
#include <string>

namespace lorvika::test {

// The scope runs under the Czech locale, as Qt sets it for a Czech desktop: the C library's
// decimal point is then a comma. The locale before comes back at the end.
class CeskeProstredi {
  public:
    CeskeProstredi() : predtim_(std::setlocale(LC_ALL, nullptr)) {
        ok_ = std::setlocale(LC_ALL, "cs_CZ.UTF-8") != nullptr;
    }
    ~CeskeProstredi() { std::setlocale(LC_ALL, predtim_.c_str()); }
    CeskeProstredi(const CeskeProstredi&) = delete;
    CeskeProstredi& operator=(const CeskeProstredi&) = delete;
    // false when the locale is not installed (scripts/deps.sh makes it).
    bool ok() const { return ok_; }

  private:
    std::string predtim_;
    bool ok_ = false;
};

}  // namespace lorvika::test
