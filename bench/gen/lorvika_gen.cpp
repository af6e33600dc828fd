// lorvika-gen DIR ALBUMS [SEED]: writes a synthetic catalogue into DIR (Lorvika's two tables with
// their index files) and the same rows into DIR/katalog.sqlite.
#include <charconv>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "CatalogueGen.h"

namespace {

template <typename T>
bool parseNumber(const std::string& text, T& out) {
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc < 3 || argc > 4) {
        std::cerr << "Použití: lorvika-gen ADRESÁŘ POČET_ALB [SEMÍNKO]\n";
        return 2;
    }
    lorvika::bench::GenOptions options;
    const fs::path dir = argv[1];
    if (!parseNumber(argv[2], options.albums) || options.albums < 1 || options.albums > 1000000) {
        std::cerr << "Počet alb musí být celé číslo od 1 do 1000000: " << argv[2] << "\n";
        return 2;
    }
    if (argc == 4 && !parseNumber(argv[3], options.seed)) {
        std::cerr << "Semínko musí být nezáporné celé číslo: " << argv[3] << "\n";
        return 2;
    }
    try {
        fs::create_directories(dir);
        for (const char* name : {"cddata.DBF", "cdskladby.DBF", "katalog.sqlite"}) {
            if (fs::exists(dir / name)) {
                std::cerr << "Adresář " << dir.string() << " už obsahuje " << name
                          << " - nic nezapisuji\n";
                return 1;
            }
        }
        const auto counts = lorvika::bench::generateCatalogue(dir, dir / "katalog.sqlite", options);
        std::cout << "Zapsáno " << counts.albums << " alb a " << counts.tracks << " skladeb do "
                  << dir.string() << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "Chyba: " << e.what() << "\n";
        return 1;
    }
}
