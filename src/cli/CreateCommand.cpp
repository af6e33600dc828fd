#include <filesystem>
#include <ostream>

#include "cli/Commands.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Files.h"

namespace lorvika::cli {

int runCreate(const Args& args, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsageText = "create ADRESÁŘ";
    if (args.size() != 1 || args[0].empty() || args[0].starts_with("-"))
        return usageError(err, kUsageText);
    const std::string& dir = args[0];
    std::error_code ec;
    if (std::filesystem::exists(dir, ec) && !std::filesystem::is_directory(dir, ec)) {
        err << "Cesta: " << dir << " není adresář\n";
        return kProblem;
    }
    // Either table file alone may still hold albums or tracks: never overwrite it.
    for (std::string_view file : {kSouborAlb, kSouborSkladeb}) {
        if (dbf::findNoCase(dir, file)) {
            err << "V adresáři: " << dir << " se již databáze nachází (" << file
                << "), novou nevytvořím\n";
            return kProblem;
        }
    }
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        err << "Adresář: " << dir << " nelze vytvořit: " << ec.message() << '\n';
        return kProblem;
    }
    dbf::Engine engine;
    engine.setLanguageDriver(std::string(kOvladacKatalogu));
    try {
        VytvorTabulky(engine, dir);
        PridejSloupce(engine, dir);
    } catch (const std::exception& e) {
        // The files did not exist before: take away what was half made.
        engine.releaseUnused();
        for (std::string_view file : {kSouborAlb, kSouborSkladeb}) {
            try {
                if (engine.tableExists(dir, std::string(file)))
                    engine.deleteTable(dir, std::string(file));
            } catch (const std::exception&) {
            }
        }
        err << "Databázi v adresáři: " << dir << " nelze vytvořit: " << e.what() << '\n';
        return kProblem;
    }
    out << "Databáze vytvořena v adresáři: " << dir << '\n';
    return kOk;
}

}  // namespace lorvika::cli
