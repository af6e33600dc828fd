#include <algorithm>
#include <memory>
#include <ostream>

#include "cli/Commands.h"
#include "store/AsciiCase.h"
#include "store/Catalogue.h"
#include "store/LangDriver.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Transaction.h"

namespace lorvika::cli {

namespace {

// The catalogue's standard tags the index lacks or keys differently.
void checkTags(dbf::Engine& engine, const std::string& dir, const std::string& file,
               std::vector<std::string>& found) {
    const auto& standard = equalNoCase(file, kSouborAlb) ? TagyAlb() : TagySkladeb();
    const auto tags = engine.open(dir, file)->tags();
    for (const auto& want : standard) {
        const auto it = std::find_if(tags.begin(), tags.end(), [&](const dbf::TagDef& t) {
            return equalNoCase(t.name, want.name);
        });
        if (it == tags.end())
            found.push_back("chybí tag " + want.name);
        else if (!equalNoCase(it->expression, want.expression))
            found.push_back("tag " + want.name + " má klíč " + it->expression + " místo " +
                            want.expression);
    }
}

// Every problem of one table, one line each; the index file and its tags count too.
std::vector<std::string> problems(dbf::Engine& engine, const std::string& dir,
                                  const std::string& file) {
    std::vector<std::string> found;
    try {
        const auto status = engine.indexStatus(dir, file);
        switch (status) {
            case dbf::Engine::IndexStatus::Current:
                break;
            case dbf::Engine::IndexStatus::Missing:
                found.push_back("indexový soubor chybí");
                break;
            case dbf::Engine::IndexStatus::Stale:
                found.push_back("indexový soubor neodpovídá tabulce");
                break;
            case dbf::Engine::IndexStatus::Damaged:
                found.push_back("indexový soubor je poškozený");
                break;
        }
        for (auto& p : engine.verify(dir, file)) found.push_back(std::move(p));
        for (const NahradniZnak& z : NajdiNahradniZnaky(dir, file)) {
            std::string where = "album " + std::to_string(z.cd);
            if (z.pozice != 0) where += ", skladba " + std::to_string(z.pozice);
            found.push_back(where + ", sloupec " + z.sloupec +
                            ": znak, který při převodu nešel zachovat, nahrazen znakem ■");
        }
        // Opening a table with a stale index would rebuild it: only a current one is opened.
        if (status == dbf::Engine::IndexStatus::Current) checkTags(engine, dir, file, found);
    } catch (const dbf::EngineError& e) {
        found.push_back(e.what());
    } catch (const TableFileError& e) {
        found.push_back(e.what());
    }
    return found;
}

}  // namespace

int runCheck(const Args& args, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsageText = "check ADRESÁŘ [--repair]";
    bool repair = false;
    std::string dir;
    for (const auto& a : args) {
        if (a == "--repair") {
            repair = true;
        } else if (a.starts_with("-") || !dir.empty()) {
            return usageError(err, kUsageText);
        } else {
            dir = a;
        }
    }
    if (dir.empty()) return usageError(err, kUsageText);
    if (!requireDatabase(dir, err)) return kProblem;

    // Only a repair writes; looking leaves even a stale index file as it is.
    const auto engine = repair ? std::make_unique<dbf::Engine>()
                               : std::make_unique<dbf::Engine>(dbf::Engine::ReadOnly{});
    bool clean = true;
    if (repair) {
        try {
            if (const auto r = dbf::recoverLog(*engine, dir)) {
                if (r->outcome == dbf::LogRecovery::Outcome::Applied)
                    out << "Dokončena přerušená změna (" << dbf::kLogName << ")\n";
                else if (r->outcome == dbf::LogRecovery::Outcome::Incomplete)
                    out << "Odstraněn nedopsaný záznam změny (" << dbf::kLogName << ")\n";
                else
                    out << r->message << '\n';
            }
        } catch (const dbf::EngineError& e) {
            out << e.what() << '\n';
            clean = false;
        }
        engine->releaseUnused();
    }
    // A waiting log is a change the tables do not show yet; a kept one never got there.
    for (const std::string& n : dbf::logNotices(engine->fileSystem(), dir)) {
        out << n << '\n';
        clean = false;
    }
    for (std::string_view name : {kSouborAlb, kSouborSkladeb}) {
        const std::string file(name);
        auto found = problems(*engine, dir, file);
        for (const auto& p : found) out << file << ": " << p << '\n';
        if (!found.empty() && repair) {
            try {
                engine->rebuildIndex(dir, file);
                // A lost index file takes its tag definitions with it.
                ZajistiIndexy(*engine, dir, RezimIndexu::Kontrola);
                out << file << ": indexový soubor znovu sestaven\n";
            } catch (const dbf::EngineError& e) {
                out << file << ": indexový soubor nelze sestavit: " << e.what() << '\n';
            }
            found = problems(*engine, dir, file);
            for (const auto& p : found) out << file << ": zůstává: " << p << '\n';
        }
        clean = clean && found.empty();
    }
    out << (clean ? "Databáze je v pořádku\n" : "V databázi jsou chyby\n");
    return clean ? kOk : kProblem;
}

}  // namespace lorvika::cli
