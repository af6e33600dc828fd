#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <set>

#include "cli/Commands.h"
#include "store/AsciiCase.h"
#include "store/Catalogue.h"
#include "store/LangDriver.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Transaction.h"
#include "store/dbf/Files.h"

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

// Cuts what follows the last counted record behind the end marker (what a failed append left);
// returns how many bytes.
std::uint64_t trimTail(const std::string& dir, const std::string& file) {
    const auto fs = dbf::FileSystem::native();
    const auto f = fs->open(dbf::pathNoCase(dir, file), dbf::FileSystem::Mode::ReadWrite);
    unsigned char h[12];
    if (f->readAt(0, h, sizeof h) < sizeof h) return 0;
    const std::uint64_t count = std::uint64_t(h[4]) | std::uint64_t(h[5]) << 8 |
                                std::uint64_t(h[6]) << 16 | std::uint64_t(h[7]) << 24;
    const std::uint64_t end = (std::uint64_t(h[8]) | std::uint64_t(h[9]) << 8) +
                              count * (std::uint64_t(h[10]) | std::uint64_t(h[11]) << 8);
    const std::uint64_t size = f->size();
    if (size <= end + 1) return 0;
    const char marker = 0x1A;
    f->writeAt(end, &marker, 1);
    f->truncate(end + 1);
    f->sync();
    return size - end - 1;
}

// Tracks whose album number names no album: an album shows none of them, and a removal or a
// restore that mixed states leaves them.
std::vector<std::string> orphanTracks(dbf::Engine& engine, const std::string& dir) {
    std::vector<std::string> found;
    try {
        std::set<std::int64_t> albums;
        auto alba = engine.open(dir, std::string(kSouborAlb));
        alba->setTag("");
        for (alba->first(); !alba->eof(); alba->next()) albums.insert(alba->integer("CISLO"));
        std::map<std::int64_t, std::size_t> orphans;
        auto skladby = engine.open(dir, std::string(kSouborSkladeb));
        skladby->setTag("");
        for (skladby->first(); !skladby->eof(); skladby->next()) {
            const std::int64_t cd = skladby->integer("CD");
            if (!albums.count(cd)) ++orphans[cd];
        }
        std::size_t shown = 0;
        for (const auto& [cd, count] : orphans) {
            if (++shown > 10) {
                found.push_back("… a skladby dalších " + std::to_string(orphans.size() - 10) +
                                " neexistujících alb");
                break;
            }
            found.push_back(std::to_string(count) + " skladeb patří albu " + std::to_string(cd) +
                            ", které neexistuje");
        }
    } catch (const dbf::EngineError&) {
        // the tables' own problems are reported by table
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
    if (repair && !finishInterrupted(dir, out, err)) return kProblem;

    if (repair) {
        for (std::string_view name : {kSouborAlb, kSouborSkladeb}) {
            const std::string file(name);
            try {
                const dbf::TableLock zamek(dir, {file});
                if (const auto cut = trimTail(dir, file); cut > 0)
                    out << file << ": odstraněno " << cut << " bajtů za posledním záznamem\n";
            } catch (const std::exception& e) {
                out << file << ": konec souboru nelze zkrátit: " << e.what() << '\n';
            }
        }
    }

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
                if (const std::size_t n = engine->normalizeNumbers(dir, file); n > 0)
                    out << file << ": čísla s desetinnou čárkou přepsána: " << n << '\n';
            } catch (const dbf::EngineError& e) {
                out << file << ": čísla nelze přepsat: " << e.what() << '\n';
            }
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
    const std::string skladby(kSouborSkladeb);
    for (const auto& p : orphanTracks(*engine, dir)) {
        out << skladby << ": " << p << '\n';
        clean = false;
    }
    out << (clean ? "Databáze je v pořádku\n" : "V databázi jsou chyby\n");
    return clean ? kOk : kProblem;
}

}  // namespace lorvika::cli
