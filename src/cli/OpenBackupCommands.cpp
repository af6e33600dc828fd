#include <filesystem>
#include <ostream>

#include "cli/Commands.h"
#include "cli/OpenServices.h"
#include "export/Sonorek.h"
#include "export/Zaloha.h"
#include "store/Catalogue.h"
#include "store/LangDriver.h"
#include "store/OdstraneniCD.h"
#include "store/ZmenaAlba.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Files.h"
#include "store/dbf/Transaction.h"

namespace lorvika::cli {

namespace {

bool oneDirectory(const Args& args) {
    return args.size() == 1 && !args[0].empty() && !args[0].starts_with("-");
}

std::string absolute(const std::string& dir) {
    return std::filesystem::absolute(dir).lexically_normal().string();
}

ZalohaRizeni progress(std::ostream& out) {
    ZalohaRizeni r;
    r.merakZacni = [&out](const std::string& text) { out << text << '\n'; };
    return r;
}

// An engine configured as the program configures it before it opens the catalogue.
void configure(dbf::Engine& engine, const SessionPaths& paths) {
    NastavOvladac(paths.iniFile, paths.engineConfig);
    engine.setLanguageDriver(NastavenyOvladac(paths.engineConfig));
}

}  // namespace

int runBackup(const Args& args, std::ostream& out, std::ostream& err) {
    if (!oneDirectory(args)) return usageError(err, "backup ADRESÁŘ");
    const std::string dir = absolute(args[0]);
    if (!requireDatabase(dir, err)) return kProblem;
    // The archive holds whole states only: a change a crash interrupted completes first.
    try {
        dbf::Engine engine;
        configure(engine, programPaths());
        if (const auto r = dbf::recoverLog(engine, dir); r && !r->message.empty())
            err << r->message << '\n';
    } catch (const dbf::EngineError& e) {
        err << "Došlo k chybě - záloha neprovedena: " << e.what() << '\n';
        return kProblem;
    }
    VysledekZalohy v = Zalohuj(dir, progress(out));
    if (!v) {
        err << "Došlo k chybě - záloha neprovedena: " << v.chyba << '\n';
        return kProblem;
    }
    out << "záloha databáze provedena: "
        << (std::filesystem::path(dir) / std::string(kArchivZalohy)).string() << '\n';
    return kOk;
}

int runRestore(const Args& args, std::ostream& out, std::ostream& err) {
    if (!oneDirectory(args)) return usageError(err, "restore ADRESÁŘ");
    const std::string dir = absolute(args[0]);
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        err << "Adresář: " << dir << " neexistuje\n";
        return kProblem;
    }
    if (!dbf::findNoCase(dir, kArchivZalohy)) {
        err << "V adresáři: " << dir << " není záloha " << kArchivZalohy << '\n';
        return kProblem;
    }
    VysledekZalohy v = Rozbal(dir, progress(out));
    if (!v) {
        err << "Došlo k chybě - nahražení zálohou neprovedeno: " << v.chyba << '\n';
        return kProblem;
    }
    // as after a restore in the program: the player's files follow the restored albums
    const SessionPaths paths = programPaths();
    try {
        dbf::Engine engine;
        configure(engine, paths);
        ZahodZmenuAlba(engine, dir);
        ZahodOdstraneni(engine, dir);
        auto alba = engine.open(dir, std::string(kSouborAlb));
        auto skladby = engine.open(dir, std::string(kSouborSkladeb));
        ObnovaTxt(*alba, *skladby, AdresarTXT(dir), [&out](const std::string& text) {
            if (!text.empty()) out << text << '\n';
        });
        out << "databáze byla nahražena zálohou (AudioCD: " << alba->recordCount()
            << ", skladeb: " << skladby->recordCount() << ")\n";
    } catch (const dbf::EngineError& e) {
        err << "Záloha byla rozbalena, ale databázi nelze otevřít: " << e.what() << '\n';
        return kProblem;
    }
    return kOk;
}

int runPack(const Args& args, std::ostream& out, std::ostream& err) {
    if (!oneDirectory(args)) return usageError(err, "pack ADRESÁŘ");
    const std::string dir = absolute(args[0]);
    if (!requireDatabase(dir, err)) return kProblem;
    if (!finishInterrupted(dir, out, err)) return kProblem;
    dbf::Engine engine;
    configure(engine, programPaths());
    // An album change a crash interrupted names track records by their numbers: it is
    // completed before packing renumbers them.
    try {
        if (const auto r = dbf::recoverLog(engine, dir)) {
            const auto p = CtiPoznamku(r->note);
            if (r->outcome == dbf::LogRecovery::Outcome::Kept) {
                err << r->message << '\n';
            } else if (r->outcome == dbf::LogRecovery::Outcome::Applied && p) {
                if (p->druh == PoznamkaZmeny::Druh::Odstraneni) {
                    OdstranSouborTxt(p->souborTxt);
                } else if (p->druh != PoznamkaZmeny::Druh::Pujceni) {
                    auto alba = engine.open(dir, std::string(kSouborAlb));
                    auto skladby = engine.open(dir, std::string(kSouborSkladeb));
                    UlozTxtCDPoZmene(p->cislo, p->puvodniSN, *alba, *skladby, AdresarTXT(dir));
                }
                out << "Dokončena přerušená změna alba " << p->cislo << '\n';
            }
        }
        if (const auto z = DokonciZmenuAlba(engine, dir)) {
            auto alba = engine.open(dir, std::string(kSouborAlb));
            auto skladby = engine.open(dir, std::string(kSouborSkladeb));
            UlozTxtCDPoZmene(z->cislo, z->puvodniSN, *alba, *skladby, AdresarTXT(dir));
            out << "Dokončena přerušená změna alba " << z->cislo << '\n';
        }
    } catch (const dbf::EngineError& e) {
        err << "Přerušenou změnu alba nelze dokončit: " << e.what() << '\n';
        return kProblem;
    }
    struct Step {
        std::string_view file;
        const char* text;
    };
    for (const Step& s : {Step{kSouborAlb, "Probíhá komprese AudioCD"},
                          Step{kSouborSkladeb, "Probíhá komprese Skladeb"}}) {
        const std::string file = std::string(s.file);
        const std::string path = dbf::pathNoCase(dir, file);
        out << s.text << '\n';
        std::error_code ec;
        const auto before = std::filesystem::file_size(path, ec);
        try {
            engine.pack(dir, file);
            std::size_t records = engine.open(dir, file)->recordCount();
            out << file << ": " << before << " -> " << std::filesystem::file_size(path, ec)
                << " bajtů, záznamů: " << records << '\n';
        } catch (const dbf::EngineError& e) {
            err << "Kompresi tabulky " << file << " nelze provést: " << e.what() << '\n';
            return kProblem;
        }
    }
    return kOk;
}

}  // namespace lorvika::cli
