#include "albums/PracovniTabulka.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace lorvika {

void OdstranPracovniTabulku(const std::string& slozka, const std::string& jmeno) {
    std::error_code chyba;
    for (const auto& f : std::filesystem::directory_iterator(slozka, chyba)) {
        std::string soubor = f.path().filename().string();
        std::transform(soubor.begin(), soubor.end(), soubor.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (soubor == jmeno + ".dbf" || soubor == jmeno + ".mdx")
            std::filesystem::remove(f.path(), chyba);
    }
}

}  // namespace lorvika
