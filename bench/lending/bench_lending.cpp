// The lending window's work at a catalogue of 100,000 albums, beside SQLite doing the same on the
// same rows in the same run:
//   overdue list  the query, the copy into the scratch table cdpuj, its tag "cislo" and the view
//                 reopened on the current album (SQLite: CREATE TABLE AS SELECT, an index on
//                 cislo, the row looked up);
//   lent list     likewise for PUJ_ANONE = "A";
//   lending       finding the album by number and writing a lending (SQLite: one UPDATE by
//                 cislo); neither side syncs to disk.
// Counters: lorvika_ms, sqlite_ms and ratio = Lorvika / SQLite per operation.
//
//   lorvika_bench_lending [benchmark flags]
// LORVIKA_BENCH_ALBUMS sets the catalogue size (default 100000); the generated catalogue lives in
// $LORVIKA_BENCH_DIR (default: a folder under the system's temporary directory) and is reused. The
// benchmark works on copies of the album table in a folder beside it.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "CatalogueGen.h"
#include "lending/Pujceni.h"
#include "store/AsciiCase.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"

namespace {

namespace fs = std::filesystem;
namespace dbf = lorvika::dbf;
using Clock = std::chrono::steady_clock;
using lorvika::bench::SqliteDb;
using lorvika::bench::SqliteStmt;

constexpr dbf::Date kDnes{2026, 12, 8};

fs::path benchBase() {
    if (const char* d = std::getenv("LORVIKA_BENCH_DIR")) return d;
    return fs::temp_directory_path() / "lorvika-bench";
}

int albumCount() {
    if (const char* n = std::getenv("LORVIKA_BENCH_ALBUMS")) return std::max(1, std::atoi(n));
    return 100000;
}

struct Setup {
    dbf::Engine engine;
    std::string dir;                      // the copy of the album table (and cdpuj)
    std::unique_ptr<dbf::Cursor> hlavni;  // the main window's cursor keeps the table loaded
    std::unique_ptr<SqliteDb> sqlite;     // work file; the generated database attached as src
    std::int64_t current = 0;             // the album current before a list is built
};

Setup& setup() {
    static Setup s;
    if (s.hlavni) return s;
    lorvika::bench::GenOptions options;
    options.albums = albumCount();
    const auto data = lorvika::bench::ensureDataset(benchBase(), options);
    const fs::path work = benchBase() / ("lending-" + std::to_string(options.albums));
    fs::remove_all(work);
    fs::create_directories(work / "lorvika");
    for (const auto& e : fs::directory_iterator(data.lorvikaDir)) {
        const std::string n = e.path().filename().string();
        if (lorvika::equalNoCase(n, "cddata.DBF") || lorvika::equalNoCase(n, "cddata.mdx"))
            fs::copy_file(e.path(), work / "lorvika" / n);
    }
    s.dir = (work / "lorvika").string();
    s.engine.setLanguageDriver(std::string(lorvika::kOvladacKatalogu));
    s.hlavni = s.engine.open(s.dir, std::string(lorvika::kSouborAlb));
    s.hlavni->setTag("cislo");
    s.hlavni->first();
    // An album in the middle, lent and overdue, so both lists find it.
    for (s.hlavni->first(); !s.hlavni->eof(); s.hlavni->next())
        if (s.hlavni->integer("CISLO") > options.albums / 2 &&
            lorvika::StavAlba(*s.hlavni, kDnes) == lorvika::StavPujceni::PoTerminu)
            break;
    s.current = s.hlavni->integer("CISLO");

    s.sqlite = std::make_unique<SqliteDb>((work / "work.sqlite").string());
    s.sqlite->exec("PRAGMA synchronous=OFF");
    s.sqlite->exec("ATTACH DATABASE '" + data.sqlitePath.string() + "' AS src");
    s.sqlite->exec("CREATE TABLE cddata AS SELECT * FROM src.cddata");
    s.sqlite->exec("CREATE UNIQUE INDEX cddata_cislo ON cddata(cislo)");
    return s;
}

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

void report(benchmark::State& state, double lorvika, double sqlite, std::size_t rows) {
    const double n = static_cast<double>(state.iterations());
    state.counters["lorvika_ms"] = lorvika / n * 1e3;
    state.counters["sqlite_ms"] = sqlite / n * 1e3;
    state.counters["ratio"] = sqlite > 0 ? lorvika / sqlite : 0;
    state.counters["rows"] = static_cast<double>(rows);
}

void list(benchmark::State& state, lorvika::DruhSeznamu druh, const std::string& where) {
    Setup& s = setup();
    double ours = 0, theirs = 0;
    std::size_t rows = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        rows = lorvika::VytvorSeznam(s.engine, s.dir, druh, kDnes);
        {
            auto view = s.engine.open(s.dir, std::string(lorvika::kSouborSeznamu));
            view->setTag("cislo");
            view->first();
            benchmark::DoNotOptimize(lorvika::NajdiCD(s.current, "cislo", *view));
        }
        auto t1 = Clock::now();
        s.sqlite->exec("DROP TABLE IF EXISTS cdpuj");
        s.sqlite->exec("CREATE TABLE cdpuj AS SELECT * FROM src.cddata WHERE " + where);
        s.sqlite->exec("CREATE INDEX cdpuj_cislo ON cdpuj(cislo)");
        {
            SqliteStmt q(s.sqlite->get(),
                         "SELECT * FROM cdpuj WHERE cislo = " + std::to_string(s.current));
            benchmark::DoNotOptimize(q.step());
        }
        auto t2 = Clock::now();
        ours += seconds(t0, t1);
        theirs += seconds(t1, t2);
        state.SetIterationTime(seconds(t0, t1));
    }
    report(state, ours, theirs, rows);
}

void BM_OverdueList(benchmark::State& state) {
    list(state, lorvika::DruhSeznamu::PoTerminu,
         "puj_dokdy BETWEEN '1899-12-31' AND '" + std::string("2026-12-07") + "'");
}

void BM_LentList(benchmark::State& state) {
    list(state, lorvika::DruhSeznamu::Pujcene, "puj_anone = 'A'");
}

void BM_WriteLending(benchmark::State& state) {
    Setup& s = setup();
    auto alba = s.engine.open(s.dir, std::string(lorvika::kSouborAlb));
    alba->setTag("artist");
    SqliteStmt update(s.sqlite->get(),
                      "UPDATE cddata SET puj_dokdy = ?1, puj_anone = 'A', puj_komu = ?2, "
                      "puj_kolik = coalesce(puj_kolik, 0) + 1 WHERE cislo = ?3");
    const int albums = static_cast<int>(s.hlavni->recordCount());
    double ours = 0, theirs = 0;
    std::int64_t k = 0;
    for (auto _ : state) {
        const std::int64_t cislo = 1 + (k++ * 7919) % albums;
        auto t0 = Clock::now();
        if (lorvika::NajdiCD(cislo, "cislo", *alba))
            lorvika::ZapisPujceni(s.engine, *alba, "Žofie Nováková", {2027, 1, 15}, true);
        auto t1 = Clock::now();
        sqlite3_bind_text(update.get(), 1, "2027-01-15", -1, SQLITE_STATIC);
        sqlite3_bind_text(update.get(), 2, "Žofie Nováková", -1, SQLITE_STATIC);
        sqlite3_bind_int64(update.get(), 3, cislo);
        update.step();
        update.reset();
        auto t2 = Clock::now();
        ours += seconds(t0, t1);
        theirs += seconds(t1, t2);
        state.SetIterationTime(seconds(t0, t1));
    }
    report(state, ours, theirs, 1);
}

}  // namespace

BENCHMARK(BM_OverdueList)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LentList)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLending)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
