#pragma once

#include <string>

namespace lorvika {

// Removes the work table `jmeno` (its .dbf and .mdx, in any letter case) from `slozka` directly,
// without the engine, which may be gone already when a window ends; failures are ignored, the
// next use creates the table anew.
void OdstranPracovniTabulku(const std::string& slozka, const std::string& jmeno);

}  // namespace lorvika
