#pragma once

#include <optional>
#include <string>
#include <vector>

#include "search/Hledani.h"

// The search conditions of the command line (lorvika-db search and print) as one query.
namespace lorvika::cli {

// A condition that cannot be taken: the text for standard error. A warning is what the
// window's bound edit would show, and stands alone; other texts are followed by the usage.
struct Odmitnuti {
    std::string text;
    bool warning = false;
};

// Reads conditions such as "album=obsahuje:TEXT", "rok=!od:1990,do:1999" or "pocetstop=" into
// dotaz (its combination mode is left as it is).
std::optional<Odmitnuti> ctiPodminky(const std::vector<std::string>& podminky, Dotaz& dotaz);

}  // namespace lorvika::cli
