#include <filesystem>
#include <ostream>

#include "cli/Commands.h"
#include "store/AsciiCase.h"
#include "store/Catalogue.h"
#include "store/dbf/Transaction.h"
#include "store/LangDriver.h"
#include "store/Prerusene.h"
#include "store/dbf/EngineError.h"

namespace lorvika::cli {

int usageError(std::ostream& err, std::string_view usage) {
    err << "Chybné použití, správně: lorvika-db " << usage << '\n';
    return kUsage;
}

void writeCsvField(std::ostream& out, std::string_view value) {
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
        out << value;
        return;
    }
    out << '"';
    for (char c : value) {
        if (c == '"') out << '"';
        out << c;
    }
    out << '"';
}

bool requireDatabase(const std::string& directory, std::ostream& err) {
    std::error_code ec;
    if (!std::filesystem::is_directory(directory, ec)) {
        err << "Adresář: " << directory << " neexistuje\n";
        return false;
    }
    if (!JeDatabaze(directory)) {
        err << "V adresáři: " << directory << " se nenachází databáze (" << kSouborAlb << ", "
            << kSouborSkladeb << ")\n";
        return false;
    }
    return true;
}

void reportChangeLog(const std::string& directory, std::ostream& to) {
    for (const std::string& n : dbf::logNotices(*dbf::FileSystem::native(), directory))
        to << n << '\n';
}

bool finishInterrupted(const std::string& directory, std::ostream& out, std::ostream& err) {
    try {
        const Prerusene p = DokonciPrerusene(directory);
        if (p.obnova == dbf::StagedState::Finished)
            out << "Dokončeno přerušené nahrazení databáze zálohou\n";
        if (p.odstraneno > 0)
            out << "Odstraněno souborů, které zanechala přerušená práce: " << p.odstraneno << '\n';
    } catch (const TableFileError& e) {
        err << e.what() << '\n';
        return false;
    } catch (const dbf::EngineError& e) {
        err << e.what() << '\n';
        return false;
    }
    return true;
}

}  // namespace lorvika::cli
