#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The version values of the program as a version resource: a fixed version, the translations
// it lists and one block of named strings per translation. The about box reads them by name.
namespace lorvika {

struct VerzniZdroj {
    std::optional<std::array<int, 4>> pevnaVerze;
    std::vector<std::string> preklady;  // "040504E2": language and code page
    std::map<std::string, std::map<std::string, std::string>> bloky;
};

// The values compiled into this build (project version, name, description, maker).
VerzniZdroj ZdrojProgramu();

// A string by name from the block of the first listed translation, or "040904E4" when none is
// listed; empty when the block or the string is missing.
std::string CtiRetezec(const VerzniZdroj& zdroj, const std::string& jmeno);
// "%d.%d.%d.%d" of the fixed version; empty without one.
std::string TextVerze(const VerzniZdroj& zdroj);

}  // namespace lorvika
