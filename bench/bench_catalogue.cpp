// The engine beside SQLite on the same generated catalogue, in the same run. Every operation is a
// pair of benchmarks "<operation>/lorvika" and "<operation>/sqlite"; the summary at the end gives
// the ratio of the two and the target the engine is held to.
//
//   lorvika_bench [--large] [--markdown=FILE] [benchmark flags]
//
// --large (or LORVIKA_BENCH_LARGE=1) uses 100,000 albums instead of 10,000. Data lives in
// $LORVIKA_BENCH_DIR (kept and reused by later runs) or in a temporary folder removed at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "CatalogueGen.h"
#include "search/Hledani.h"
#include "store/Catalogue.h"
#include "store/codepage.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/TextMatch.h"

namespace fs = std::filesystem;
using namespace lorvika;
using namespace lorvika::bench;

namespace {

struct LorvikaSession;
struct AppendTarget;
struct SqliteAppendTarget;

struct Env {
    Dataset data;
    fs::path base;
    fs::path scratch;
    bool removeBase = false;
    // Open tables shared by the benchmarks; closed before the folders are removed.
    std::unique_ptr<LorvikaSession> session;
    std::unique_ptr<SqliteDb> sqlite;
    std::unique_ptr<AppendTarget> append;
    std::unique_ptr<SqliteAppendTarget> sqliteAppend;
    void close();
};

Env& env() {
    static Env e;
    return e;
}

std::string dbDir() {
    return env().data.lorvikaDir.string();
}

// A fresh copy of the generated files under the scratch folder, for benchmarks that change the
// data or must not share the run's open tables (the engine locks what it opens).
fs::path freshCopy(const std::string& name, bool withSqlite) {
    const fs::path dir = env().scratch / name;
    fs::remove_all(dir);
    fs::create_directories(dir / "db");
    // The index file's stamp holds the table's modification time: keep it, or every copy
    // would open with a stale index.
    auto copy = [](const fs::path& from, const fs::path& to) {
        fs::copy_file(from, to);
        fs::last_write_time(to, fs::last_write_time(from));
    };
    for (const auto& entry : fs::directory_iterator(env().data.lorvikaDir))
        copy(entry.path(), dir / "db" / entry.path().filename());
    if (withSqlite) copy(env().data.sqlitePath, dir / "katalog.sqlite");
    return dir;
}

// The session every read benchmark shares: one engine with the album and track table open, as
// the main window holds them.
struct LorvikaSession {
    dbf::Engine engine;
    std::unique_ptr<dbf::Cursor> albums;
    std::unique_ptr<dbf::Cursor> tracks;
    LorvikaSession() {
        albums = engine.open(dbDir(), std::string(kSouborAlb));
        tracks = engine.open(dbDir(), std::string(kSouborSkladeb));
    }
};

LorvikaSession& session() {
    if (!env().session) env().session = std::make_unique<LorvikaSession>();
    return *env().session;
}

SqliteDb& sqliteSession() {
    if (!env().sqlite)
        env().sqlite = std::make_unique<SqliteDb>(env().data.sqlitePath.string(), true);
    return *env().sqlite;
}

// Album numbers in a fixed random order, the same for both sides.
const std::vector<int>& probeNumbers() {
    static const std::vector<int> numbers = [] {
        std::vector<int> n;
        std::uint64_t x = 0x2545F4914F6CDD1DULL;
        const auto albums = static_cast<std::uint64_t>(env().data.albums);
        for (int i = 0; i < 4096; ++i) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            n.push_back(static_cast<int>(x % albums) + 1);
        }
        return n;
    }();
    return numbers;
}

std::string sqliteText(sqlite3_stmt* s, int column) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s, column))) : "";
}

template <typename F>
void guarded(benchmark::State& state, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// ---------------------------------------------------------------------------------------------
// Opening

void openLorvika(benchmark::State& state, bool withIndex) {
    guarded(state, [&] {
        const fs::path dir = freshCopy(withIndex ? "open" : "open-noindex", false) / "db";
        if (withIndex) {
            dbf::Engine probe;
            for (auto file : {kSouborAlb, kSouborSkladeb}) {
                if (probe.indexStatus(dir.string(), std::string(file)) !=
                    dbf::Engine::IndexStatus::Current)
                    throw std::runtime_error("index " + std::string(file) + " není aktuální");
            }
        }
        for (auto _ : state) {
            if (!withIndex) {
                state.PauseTiming();
                for (const char* mdx : {"cddata.mdx", "cdskladby.mdx"}) fs::remove(dir / mdx);
                state.ResumeTiming();
            }
            // What opening a database does: check the tags (rebuilt when the index file is
            // gone), then the main window's two cursors.
            auto engine = std::make_unique<dbf::Engine>();
            ZajistiIndexy(*engine, dir.string(), RezimIndexu::Kontrola);
            auto albums = engine->open(dir.string(), std::string(kSouborAlb));
            auto tracks = engine->open(dir.string(), std::string(kSouborSkladeb));
            albums->setTag("cislo");
            albums->first();
            tracks->setTag("CD");
            tracks->first();
            benchmark::DoNotOptimize(albums->integer("CISLO"));
            state.PauseTiming();
            albums.reset();
            tracks.reset();
            engine.reset();
            state.ResumeTiming();
        }
    });
}

void BM_OpenCurrentLorvika(benchmark::State& state) {
    openLorvika(state, true);
}
void BM_OpenNoIndexLorvika(benchmark::State& state) {
    openLorvika(state, false);
}

void BM_OpenSqlite(benchmark::State& state) {
    guarded(state, [&] {
        for (auto _ : state) {
            SqliteDb db(env().data.sqlitePath.string(), true);
            SqliteStmt q(db.get(), "SELECT ALBUM FROM cddata WHERE CISLO = 1");
            if (!q.step()) throw std::runtime_error("SQLite: album 1 chybí");
            benchmark::DoNotOptimize(sqlite3_column_text(q.get(), 0));
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Lookup by album number and the tracks of one album

void BM_LookupLorvika(benchmark::State& state) {
    guarded(state, [&] {
        auto& c = *session().albums;
        c.setTag("cislo");
        const int album = c.fieldIndex("ALBUM");
        const auto& numbers = probeNumbers();
        std::size_t i = 0;
        for (auto _ : state) {
            if (!c.findKey(numbers[i++ % numbers.size()]))
                throw std::runtime_error("album nenalezeno");
            benchmark::DoNotOptimize(c.text(album));
        }
    });
}

void BM_LookupSqlite(benchmark::State& state) {
    guarded(state, [&] {
        SqliteStmt q(sqliteSession().get(), "SELECT ALBUM FROM cddata WHERE CISLO = ?");
        const auto& numbers = probeNumbers();
        std::size_t i = 0;
        for (auto _ : state) {
            sqlite3_bind_int(q.get(), 1, numbers[i++ % numbers.size()]);
            if (!q.step()) throw std::runtime_error("album nenalezeno");
            benchmark::DoNotOptimize(sqlite3_column_text(q.get(), 0));
            sqlite3_reset(q.get());
        }
    });
}

std::size_t tracksLorvika(dbf::Cursor& c, int name, int album) {
    std::size_t n = 0;
    c.setRange(album, album);
    while (!c.eof()) {
        benchmark::DoNotOptimize(c.text(name));
        ++n;
        c.next();
    }
    c.cancelRange();
    return n;
}

std::size_t tracksSqlite(SqliteStmt& q, int album) {
    std::size_t n = 0;
    sqlite3_bind_int(q.get(), 1, album);
    while (q.step()) {
        benchmark::DoNotOptimize(sqlite3_column_text(q.get(), 0));
        ++n;
    }
    sqlite3_reset(q.get());
    return n;
}

constexpr const char* kTracksQuery = "SELECT NAME FROM cdskladby WHERE CD = ?";

void BM_RangeLorvika(benchmark::State& state) {
    guarded(state, [&] {
        auto& c = *session().tracks;
        c.setTag("CD");
        const int name = c.fieldIndex("NAME");
        const auto& numbers = probeNumbers();
        // Both sides must see the same tracks, or the comparison means nothing.
        SqliteStmt check(sqliteSession().get(), kTracksQuery);
        for (std::size_t k = 0; k < 64; ++k) {
            if (tracksLorvika(c, name, numbers[k]) != tracksSqlite(check, numbers[k]))
                throw std::runtime_error("počty skladeb alba " + std::to_string(numbers[k]) +
                                         " se liší od SQLite");
        }
        std::size_t i = 0, rows = 0;
        for (auto _ : state) rows += tracksLorvika(c, name, numbers[i++ % numbers.size()]);
        state.counters["tracks"] =
            benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kAvgIterations);
    });
}

void BM_RangeSqlite(benchmark::State& state) {
    guarded(state, [&] {
        SqliteStmt q(sqliteSession().get(), kTracksQuery);
        const auto& numbers = probeNumbers();
        std::size_t i = 0, rows = 0;
        for (auto _ : state) rows += tracksSqlite(q, numbers[i++ % numbers.size()]);
        state.counters["tracks"] =
            benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kAvgIterations);
    });
}

// ---------------------------------------------------------------------------------------------
// Appending an album with 14 tracks

std::vector<Album>& appendPool() {
    static std::vector<Album> pool = [] {
        GenOptions o;
        o.albums = 256;
        o.seed = 777;
        CatalogueGenerator gen(o);
        std::vector<Album> albums;
        while (!gen.done()) {
            Album a = gen.next();
            a.tracks.resize(14, a.tracks.front());
            for (int i = 0; i < 14; ++i) a.tracks[i].position = i + 1;
            albums.push_back(std::move(a));
        }
        return albums;
    }();
    return pool;
}

struct AppendTarget {
    fs::path dir = freshCopy("append-lorvika", false) / "db";
    dbf::Engine engine;
    LorvikaWriter writer{engine, dir.string()};
    int number = static_cast<int>(env().data.albums);
};

struct SqliteAppendTarget {
    fs::path file = freshCopy("append-sqlite", true) / "katalog.sqlite";
    SqliteDb db{file.string()};
    SqliteWriter writer{db};
    SqliteStmt begin{db.get(), "BEGIN"};
    SqliteStmt commit{db.get(), "COMMIT"};
    int number = static_cast<int>(env().data.albums);
    SqliteAppendTarget() { db.exec("PRAGMA synchronous=OFF"); }
};

void BM_AppendLorvika(benchmark::State& state) {
    guarded(state, [&] {
        // One copy for the whole run: the table grows by every measured album.
        if (!env().append) env().append = std::make_unique<AppendTarget>();
        auto& t = *env().append;
        auto& pool = appendPool();
        std::size_t i = 0;
        for (auto _ : state) {
            Album& a = pool[i++ % pool.size()];
            a.number = ++t.number;
            t.writer.append(a);
        }
    });
}

void BM_AppendSqlite(benchmark::State& state) {
    guarded(state, [&] {
        if (!env().sqliteAppend) env().sqliteAppend = std::make_unique<SqliteAppendTarget>();
        auto& t = *env().sqliteAppend;
        auto& pool = appendPool();
        std::size_t i = 0;
        for (auto _ : state) {
            Album& a = pool[i++ % pool.size()];
            a.number = ++t.number;
            t.begin.step();
            t.begin.reset();
            t.writer.append(a);
            t.commit.step();
            t.commit.reset();
        }
    });
}

// ---------------------------------------------------------------------------------------------
// select distinct

// The combo boxes ask both tables: album columns and the track type.
struct DistinctCase {
    std::string table;  // "cddata" or "cdskladby"
    std::string column;
};

std::vector<std::string> distinctLorvika(const DistinctCase& d) {
    auto c = session().engine.sql(dbDir(), "select distinct " + d.column + " from " + d.table +
                                               ".dbf where " + d.column + " > ''");
    std::vector<std::string> values;
    for (c->first(); !c->eof(); c->next()) values.push_back(c->text(0));
    return values;
}

std::vector<std::string> distinctSqlite(SqliteStmt& q) {
    std::vector<std::string> values;
    while (q.step()) values.push_back(sqliteText(q.get(), 0));
    q.reset();
    return values;
}

std::string distinctQuery(const DistinctCase& d) {
    return "SELECT DISTINCT " + d.column + " FROM " + d.table + " WHERE " + d.column + " > ''";
}

void distinctLorvikaBench(benchmark::State& state, const DistinctCase& d) {
    guarded(state, [&] {
        SqliteStmt q(sqliteSession().get(), distinctQuery(d));
        auto mine = distinctLorvika(d);
        auto theirs = distinctSqlite(q);
        std::sort(mine.begin(), mine.end());
        std::sort(theirs.begin(), theirs.end());
        if (mine != theirs)
            throw std::runtime_error("select distinct " + d.column + ": " +
                                     std::to_string(mine.size()) + " hodnot, SQLite " +
                                     std::to_string(theirs.size()));
        for (auto _ : state) benchmark::DoNotOptimize(distinctLorvika(d));
        state.counters["values"] = static_cast<double>(mine.size());
    });
}

void distinctSqliteBench(benchmark::State& state, const DistinctCase& d) {
    guarded(state, [&] {
        SqliteStmt q(sqliteSession().get(), distinctQuery(d));
        for (auto _ : state) benchmark::DoNotOptimize(distinctSqlite(q));
    });
}

const DistinctCase kZanr{"cddata", "ZANR"};
const DistinctCase kArtist{"cddata", "ARTIST"};
const DistinctCase kZeme{"cddata", "ZEME"};
const DistinctCase kTrackType{"cdskladby", "TYP"};

void BM_DistinctZanrLorvika(benchmark::State& s) {
    distinctLorvikaBench(s, kZanr);
}
void BM_DistinctZanrSqlite(benchmark::State& s) {
    distinctSqliteBench(s, kZanr);
}
void BM_DistinctArtistLorvika(benchmark::State& s) {
    distinctLorvikaBench(s, kArtist);
}
void BM_DistinctArtistSqlite(benchmark::State& s) {
    distinctSqliteBench(s, kArtist);
}
void BM_DistinctZemeLorvika(benchmark::State& s) {
    distinctLorvikaBench(s, kZeme);
}
void BM_DistinctZemeSqlite(benchmark::State& s) {
    distinctSqliteBench(s, kZeme);
}
void BM_DistinctTrackTypeLorvika(benchmark::State& s) {
    distinctLorvikaBench(s, kTrackType);
}
void BM_DistinctTrackTypeSqlite(benchmark::State& s) {
    distinctSqliteBench(s, kTrackType);
}

// ---------------------------------------------------------------------------------------------
// Full scan with a filter over three text fields

const std::string kFindAlbum = "Láska";
const std::string kFindArtist = "ová";
const std::string kFindGenre = "Jazz";

std::size_t scanLorvika(dbf::Cursor& c) {
    std::int64_t sum = 0;
    std::size_t n = 0;
    const int cislo = c.fieldIndex("CISLO");
    for (c.first(); !c.eof(); c.next()) {
        sum += c.integer(cislo);
        ++n;
    }
    benchmark::DoNotOptimize(sum);
    return n;
}

std::size_t scanSqlite(SqliteStmt& q) {
    std::int64_t sum = 0;
    std::size_t n = 0;
    while (q.step()) {
        sum += sqlite3_column_int64(q.get(), 0);
        ++n;
    }
    q.reset();
    benchmark::DoNotOptimize(sum);
    return n;
}

std::unique_ptr<SqliteStmt> scanQuery() {
    auto q = std::make_unique<SqliteStmt>(
        sqliteSession().get(),
        "SELECT CISLO FROM cddata WHERE instr(ALBUM, ?1) > 0 OR instr(ARTIST, ?2) > 0 OR "
        "instr(ZANR, ?3) > 0");
    return q;
}

void bindScan(SqliteStmt& q) {
    sqlite3_bind_text(q.get(), 1, kFindAlbum.data(), static_cast<int>(kFindAlbum.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(q.get(), 2, kFindArtist.data(), static_cast<int>(kFindArtist.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(q.get(), 3, kFindGenre.data(), static_cast<int>(kFindGenre.size()),
                      SQLITE_STATIC);
}

void BM_ScanLorvika(benchmark::State& state) {
    guarded(state, [&] {
        // A cursor of its own, as the search window has.
        auto c = session().engine.open(dbDir(), std::string(kSouborAlb));
        const int album = c->fieldIndex("ALBUM");
        const int artist = c->fieldIndex("ARTIST");
        const int genre = c->fieldIndex("ZANR");
        // The searched texts are converted into the table's code page once; each record is
        // tested on its stored bytes.
        using Match = dbf::TextMatch;
        const Match findAlbum(kFindAlbum, Match::Mode::Contains, false, c->language());
        const Match findArtist(kFindArtist, Match::Mode::Contains, false, c->language());
        const Match findGenre(kFindGenre, Match::Mode::Contains, false, c->language());
        c->setFilter([=](const dbf::Cursor& r) {
            return findAlbum(r.rawText(album)) || findArtist(r.rawText(artist)) ||
                   findGenre(r.rawText(genre));
        });
        c->setFiltered(true);
        auto q = scanQuery();
        bindScan(*q);
        const std::size_t expected = scanSqlite(*q);
        bindScan(*q);
        const std::size_t found = scanLorvika(*c);
        if (found != expected)
            throw std::runtime_error("filtr prošlo " + std::to_string(found) + " alb, SQLite " +
                                     std::to_string(expected));
        for (auto _ : state) scanLorvika(*c);
        state.counters["matches"] = static_cast<double>(found);
    });
}

void BM_ScanSqlite(benchmark::State& state) {
    guarded(state, [&] {
        auto q = scanQuery();
        for (auto _ : state) {
            bindScan(*q);
            scanSqlite(*q);
        }
    });
}

// ---------------------------------------------------------------------------------------------
// The search of the search window and of lorvika-db search: the same queries through the
// evaluation and through SQLite, both in album-number order, texts compared lower-cased (SQLite
// with a registered Czech-aware lower-case function, its own lower knows only ASCII).

struct SearchCase {
    const char* name;
    Dotaz dotaz;
    const char* sql;  // WHERE clause over cddata; ?1.. are the texts in row order
    std::vector<std::string> texts;
};

Dotaz searchQuery(std::initializer_list<std::tuple<int, Rezim, std::string, bool>> rows, bool any) {
    Dotaz d;
    d.alesponJedne = any;
    for (const auto& [n, mode, text, negated] : rows) {
        d[n].rezim = mode;
        d[n].text = text;
        d[n].negace = negated;
    }
    return d;
}

const std::vector<SearchCase>& searchCases() {
    static const std::vector<SearchCase> cases = [] {
        using enum Rezim;
        const char* fourRows =
            "instr(czlower(ALBUM), ?1) > 0 {op} instr(czlower(ZANR), ?2) > 0 {op} "
            "instr(czlower(ZEME), ?3) > 0 {op} EXISTS (SELECT 1 FROM cdskladby WHERE CD = "
            "cddata.CISLO AND instr(czlower(NAME), ?4) > 0)";
        auto withOp = [](std::string sql, const char* op) {
            for (auto at = sql.find("{op}"); at != std::string::npos; at = sql.find("{op}"))
                sql.replace(at, 4, op);
            return sql;
        };
        static const std::string all = withOp(fourRows, "AND");
        static const std::string any = withOp(fourRows, "OR");
        std::vector<SearchCase> c;
        c.push_back({"search_all",
                     searchQuery({{1, Obsahuje, "noc", false},
                                  {5, Obsahuje, "o", false},
                                  {7, Obsahuje, "sko", false},
                                  {3, Obsahuje, "láska", false}},
                                 false),
                     all.c_str(),
                     {"noc", "o", "sko", "láska"}});
        c.push_back({"search_any",
                     searchQuery({{1, Obsahuje, "ukolébavka", false},
                                  {5, Obsahuje, "gospel", false},
                                  {7, Obsahuje, "island", false},
                                  {3, Obsahuje, "holubice", false}},
                                 true),
                     any.c_str(),
                     {"ukolébavka", "gospel", "island", "holubice"}});
        c.push_back({"search_not_track",
                     searchQuery({{3, Obsahuje, "a", true}}, false),
                     "NOT EXISTS (SELECT 1 FROM cdskladby WHERE CD = cddata.CISLO AND "
                     "instr(czlower(NAME), ?1) > 0)",
                     {"a"}});
        Dotaz ranges;
        ranges[8] = {Shoda, false, "", true, true, 1980, 1989};
        ranges[22] = {Shoda, false, "", true, false, 4, 0};
        ranges[21] = {Shoda, false, "", true, false, 300, 0};
        c.push_back({"search_ranges",
                     ranges,
                     "ROK BETWEEN 1980 AND 1989 AND HODNOC >= 4 AND CENA >= 300",
                     {}});
        return c;
    }();
    return cases;
}

// Lower case of every letter code page 852 holds, as the search compares texts.
void sqliteCzechLower(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (!p) return sqlite3_result_null(ctx);
    const std::string_view text(p, static_cast<std::size_t>(sqlite3_value_bytes(argv[0])));
    thread_local std::string out;
    out.clear();
    bool plain = true;
    for (char ch : text) plain = plain && static_cast<unsigned char>(ch) < 0x80;
    if (plain) {
        for (char ch : text)
            out.push_back(ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch);
    } else {
        out = cp::toLowerAll(text);
    }
    sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

void registerCzechLower(sqlite3* db) {
    sqlite3_create_function(db, "czlower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            sqliteCzechLower, nullptr, nullptr);
}

std::unique_ptr<SqliteStmt> searchStatement(const SearchCase& c) {
    registerCzechLower(sqliteSession().get());
    return std::make_unique<SqliteStmt>(
        sqliteSession().get(),
        std::string("SELECT CISLO FROM cddata WHERE ") + c.sql + " ORDER BY CISLO");
}

std::size_t searchSqlite(const SearchCase& c, SqliteStmt& q) {
    for (std::size_t i = 0; i < c.texts.size(); ++i)
        sqlite3_bind_text(q.get(), static_cast<int>(i + 1), c.texts[i].data(),
                          static_cast<int>(c.texts[i].size()), SQLITE_STATIC);
    return scanSqlite(q);
}

// One whole search: a new evaluation (its track answers start empty), every passing album.
std::size_t searchLorvika(const SearchCase& c, dbf::Cursor& albums, const dbf::Cursor& tracks) {
    Vyhledavani v(c.dotaz, albums, tracks);
    albums.setFilter([&v](const dbf::Cursor& r) { return v.Vyhovuje(r); });
    const std::size_t n = scanLorvika(albums);
    albums.setFilter([](const dbf::Cursor&) { return true; });
    return n;
}

void BM_SearchLorvika(benchmark::State& state, std::size_t which) {
    guarded(state, [&] {
        const SearchCase& c = searchCases().at(which);
        auto albums = session().engine.open(dbDir(), std::string(kSouborAlb));
        albums->setTag("cislo");
        albums->setFilter([](const dbf::Cursor&) { return true; });
        albums->setFiltered(true);
        auto q = searchStatement(c);
        const std::size_t expected = searchSqlite(c, *q);
        const std::size_t found = searchLorvika(c, *albums, *session().tracks);
        if (found != expected)
            throw std::runtime_error(std::string(c.name) + ": prošlo " + std::to_string(found) +
                                     " alb, SQLite " + std::to_string(expected));
        for (auto _ : state) searchLorvika(c, *albums, *session().tracks);
        state.counters["matches"] = static_cast<double>(found);
    });
}

void BM_SearchSqlite(benchmark::State& state, std::size_t which) {
    guarded(state, [&] {
        const SearchCase& c = searchCases().at(which);
        auto q = searchStatement(c);
        for (auto _ : state) searchSqlite(c, *q);
    });
}

// ---------------------------------------------------------------------------------------------
// Pack of the track table with every 20th track deleted

constexpr int kDeleteEvery = 20;

void BM_PackLorvika(benchmark::State& state) {
    guarded(state, [&] {
        for (auto _ : state) {
            state.PauseTiming();
            const std::string dir = (freshCopy("pack-lorvika", false) / "db").string();
            {
                dbf::Engine engine;
                {
                    auto c = engine.open(dir, std::string(kSouborSkladeb));
                    int i = 0;
                    c->first();
                    while (!c->eof()) {
                        if (i++ % kDeleteEvery == 0)
                            c->remove();
                        else
                            c->next();
                    }
                }
                state.ResumeTiming();
                engine.pack(dir, std::string(kSouborSkladeb));
                state.PauseTiming();
            }
            state.ResumeTiming();
        }
    });
}

void BM_PackSqlite(benchmark::State& state) {
    guarded(state, [&] {
        for (auto _ : state) {
            state.PauseTiming();
            const fs::path file = freshCopy("pack-sqlite", true) / "katalog.sqlite";
            {
                SqliteDb db(file.string());
                db.exec("DELETE FROM cdskladby WHERE (rowid - 1) % " +
                        std::to_string(kDeleteEvery) + " = 0");
                state.ResumeTiming();
                db.exec("VACUUM");
                state.PauseTiming();
            }
            state.ResumeTiming();
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Resident memory after opening, measured in a fresh process of this program

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// The child's side: prints the resident KiB before opening, after opening and after reading
// every record once (mapped table pages count only once touched).
int rssProbe(const std::string& kind, const std::string& dir) {
    try {
        const long before = residentKiB();
        if (kind == "lorvika") {
            dbf::Engine engine;
            auto albums = engine.open(dir, std::string(kSouborAlb));
            auto tracks = engine.open(dir, std::string(kSouborSkladeb));
            albums->setTag("artist");
            albums->first();
            tracks->setTag("CD");
            tracks->first();
            const long opened = residentKiB();
            std::size_t bytes = 0;
            for (auto* c : {albums.get(), tracks.get()}) {
                const int field = c->fieldIndex("ARTIST");
                for (c->first(); !c->eof(); c->next()) bytes += c->text(field).size();
            }
            benchmark::DoNotOptimize(bytes);
            std::cout << before << " " << opened << " " << residentKiB() << std::endl;
        } else {
            SqliteDb db(dir + "/katalog.sqlite", true);
            SqliteStmt q(db.get(), "SELECT ALBUM FROM cddata WHERE CISLO = 1");
            q.step();
            const long opened = residentKiB();
            std::size_t bytes = 0;
            for (const char* sql : {"SELECT ARTIST FROM cddata", "SELECT ARTIST FROM cdskladby"}) {
                SqliteStmt all(db.get(), sql);
                while (all.step()) bytes += sqliteText(all.get(), 0).size();
            }
            benchmark::DoNotOptimize(bytes);
            std::cout << before << " " << opened << " " << residentKiB() << std::endl;
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}

struct Resident {
    long before = 0;
    long opened = 0;
    long scanned = 0;
};

Resident runProbe(const std::string& kind, const std::string& dir) {
    const std::string out = (env().scratch / ("rss-" + kind + ".txt")).string();
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string a1 = "--rss-probe=" + kind, a2 = dir;
    std::vector<char*> argv{self.data(), a1.data(), a2.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("nelze spustit měření paměti");
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("měření paměti selhalo");
    std::ifstream in(out);
    Resident r;
    if (!(in >> r.before >> r.opened >> r.scanned))
        throw std::runtime_error("měření paměti selhalo");
    return r;
}

void memoryCounters(benchmark::State& state, const Resident& kib, double files) {
    const double opened = static_cast<double>(kib.opened - kib.before) / 1024.0;
    const double scanned = static_cast<double>(kib.scanned - kib.before) / 1024.0;
    state.counters["rss_MiB"] = static_cast<double>(kib.scanned) / 1024.0;
    state.counters["opened_MiB"] = opened;
    state.counters["scanned_MiB"] = scanned;
    state.counters["files_MiB"] = files;
    state.counters["scanned_vs_files"] = scanned / files;
}

double tableFilesMiB(const fs::path& dir, const std::string& extension) {
    double bytes = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (ext == extension) bytes += static_cast<double>(entry.file_size());
    }
    return bytes / (1024.0 * 1024.0);
}

void BM_MemoryLorvika(benchmark::State& state) {
    guarded(state, [&] {
        const fs::path dir = freshCopy("rss", false) / "db";
        Resident kib;
        for (auto _ : state) kib = runProbe("lorvika", dir.string());
        memoryCounters(state, kib, tableFilesMiB(dir, ".dbf"));
        state.counters["mdx_MiB"] = tableFilesMiB(dir, ".mdx");
    });
}

void BM_MemorySqlite(benchmark::State& state) {
    guarded(state, [&] {
        const fs::path dir = env().data.root;
        Resident kib;
        for (auto _ : state) kib = runProbe("sqlite", dir.string());
        memoryCounters(state, kib, tableFilesMiB(dir, ".sqlite"));
    });
}

// ---------------------------------------------------------------------------------------------
// Registration and summary

struct Pair {
    std::string operation;
    std::string lorvika;
    std::string sqlite;
    double targetSeconds;  // 0: none
    bool ratioTarget;      // the engine must not be slower than SQLite
    bool wallClock;  // file work: elapsed time; in-memory work: CPU time (the machine is shared)
};

const std::vector<Pair>& pairs() {
    static const std::vector<Pair> p{
        {"open, current index", "open_current/lorvika", "open/sqlite", 0.3, false, true},
        {"open, index rebuilt", "open_noindex/lorvika", "open/sqlite", 0, false, true},
        {"album by number (cislo)", "lookup/lorvika", "lookup/sqlite", 5e-6, true, false},
        {"tracks of one album (CD)", "range/lorvika", "range/sqlite", 5e-6, true, false},
        {"append album + 14 tracks", "append/lorvika", "append/sqlite", 0.5e-3, false, true},
        {"select distinct ZANR", "distinct_zanr/lorvika", "distinct_zanr/sqlite", 50e-3, true,
         false},
        {"select distinct ARTIST", "distinct_artist/lorvika", "distinct_artist/sqlite", 50e-3, true,
         false},
        {"select distinct ZEME (no tag)", "distinct_zeme/lorvika", "distinct_zeme/sqlite", 0, false,
         false},
        {"select distinct track TYP (no tag)", "distinct_track_typ/lorvika",
         "distinct_track_typ/sqlite", 0, false, false},
        {"scan, filter on 3 texts", "scan/lorvika", "scan/sqlite", 150e-3, true, false},
        {"pack track table", "pack/lorvika", "pack/sqlite", 0, false, true},
        {"search: 3 album texts + track name, all rows", "search_all/lorvika", "search_all/sqlite",
         150e-3, true, false},
        {"search: the same, any row", "search_any/lorvika", "search_any/sqlite", 150e-3, true,
         false},
        {"search: negated track name", "search_not_track/lorvika", "search_not_track/sqlite",
         150e-3, true, false},
        {"search: range rows only", "search_ranges/lorvika", "search_ranges/sqlite", 150e-3, true,
         false},
    };
    return p;
}

void registerAll() {
    using benchmark::RegisterBenchmark;
    const auto ms = benchmark::kMillisecond;
    const auto us = benchmark::kMicrosecond;
    RegisterBenchmark("open_current/lorvika", BM_OpenCurrentLorvika)
        ->Unit(ms)
        ->UseRealTime()
        ->Iterations(5);
    RegisterBenchmark("open_noindex/lorvika", BM_OpenNoIndexLorvika)
        ->Unit(ms)
        ->UseRealTime()
        ->Iterations(5);
    RegisterBenchmark("open/sqlite", BM_OpenSqlite)->Unit(ms)->UseRealTime();
    RegisterBenchmark("lookup/lorvika", BM_LookupLorvika)->Unit(us);
    RegisterBenchmark("lookup/sqlite", BM_LookupSqlite)->Unit(us);
    RegisterBenchmark("range/lorvika", BM_RangeLorvika)->Unit(us);
    RegisterBenchmark("range/sqlite", BM_RangeSqlite)->Unit(us);
    RegisterBenchmark("append/lorvika", BM_AppendLorvika)->Unit(us)->UseRealTime();
    RegisterBenchmark("append/sqlite", BM_AppendSqlite)->Unit(us)->UseRealTime();
    RegisterBenchmark("distinct_zanr/lorvika", BM_DistinctZanrLorvika)->Unit(ms);
    RegisterBenchmark("distinct_zanr/sqlite", BM_DistinctZanrSqlite)->Unit(ms);
    RegisterBenchmark("distinct_artist/lorvika", BM_DistinctArtistLorvika)->Unit(ms);
    RegisterBenchmark("distinct_artist/sqlite", BM_DistinctArtistSqlite)->Unit(ms);
    RegisterBenchmark("distinct_zeme/lorvika", BM_DistinctZemeLorvika)->Unit(ms);
    RegisterBenchmark("distinct_zeme/sqlite", BM_DistinctZemeSqlite)->Unit(ms);
    RegisterBenchmark("distinct_track_typ/lorvika", BM_DistinctTrackTypeLorvika)->Unit(ms);
    RegisterBenchmark("distinct_track_typ/sqlite", BM_DistinctTrackTypeSqlite)->Unit(ms);
    RegisterBenchmark("scan/lorvika", BM_ScanLorvika)->Unit(ms);
    RegisterBenchmark("scan/sqlite", BM_ScanSqlite)->Unit(ms);
    for (std::size_t i = 0; i < searchCases().size(); ++i) {
        const std::string name = searchCases()[i].name;
        RegisterBenchmark((name + "/lorvika").c_str(), BM_SearchLorvika, i)->Unit(ms);
        RegisterBenchmark((name + "/sqlite").c_str(), BM_SearchSqlite, i)->Unit(ms);
    }
    RegisterBenchmark("pack/lorvika", BM_PackLorvika)->Unit(ms)->UseRealTime()->Iterations(3);
    RegisterBenchmark("pack/sqlite", BM_PackSqlite)->Unit(ms)->UseRealTime()->Iterations(3);
    RegisterBenchmark("memory/lorvika", BM_MemoryLorvika)->Unit(ms)->UseRealTime()->Iterations(1);
    RegisterBenchmark("memory/sqlite", BM_MemorySqlite)->Unit(ms)->UseRealTime()->Iterations(1);
}

std::string formatSeconds(double s) {
    std::ostringstream o;
    o << std::setprecision(3);
    if (s >= 1)
        o << s << " s";
    else if (s >= 1e-3)
        o << s * 1e3 << " ms";
    else
        o << s * 1e6 << " µs";
    return o.str();
}

// Console output as usual, then a table of ratios against SQLite.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    explicit SummaryReporter(std::string markdownFile)
        : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular),
          markdownFile_(std::move(markdownFile)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            if (r.run_type != Run::RT_Iteration) continue;
            auto& entry = results_[r.run_name.function_name];
            if (r.error_occurred) {
                entry.error = r.error_message;
                continue;
            }
            const double n = r.iterations ? static_cast<double>(r.iterations) : 1;
            entry.wall.push_back(r.real_accumulated_time / n);
            entry.cpu.push_back(r.cpu_accumulated_time / n);
            entry.counters = r.counters;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        const std::string table = summary();
        std::cout << "\n" << table;
        if (!markdownFile_.empty()) std::ofstream(markdownFile_) << table;
    }

  private:
    struct Result {
        std::vector<double> wall;
        std::vector<double> cpu;
        std::map<std::string, benchmark::Counter> counters;
        std::string error;
    };

    std::optional<double> median(const std::string& name, bool wallClock) const {
        auto it = results_.find(name);
        if (it == results_.end() || it->second.wall.empty()) return std::nullopt;
        auto v = wallClock ? it->second.wall : it->second.cpu;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }

    std::string cell(const std::string& name, bool wallClock) const {
        auto it = results_.find(name);
        if (it != results_.end() && !it->second.error.empty()) return "chyba: " + it->second.error;
        const auto s = median(name, wallClock);
        if (!s) return "-";
        // Elapsed time suffers most when the machine is shared; CPU time shows what is ours.
        if (wallClock)
            return formatSeconds(*s) + " (CPU " + formatSeconds(*median(name, false)) + ")";
        return formatSeconds(*s);
    }

    double counter(const std::string& name, const std::string& key) const {
        auto it = results_.find(name);
        if (it == results_.end()) return 0;
        auto c = it->second.counters.find(key);
        return c == it->second.counters.end() ? 0 : c->second.value;
    }

    std::string summary() const {
        const bool large = env().data.albums >= 100000;
        std::ostringstream o;
        o << std::setprecision(3);
        o << "Catalogue: " << env().data.albums << " albums, " << env().data.tracks
          << " tracks (seed " << env().data.options.seed << ")";
        if (!large) o << "; targets apply to 100,000 albums";
        o << "\n\n";
        o << "| Operation | Lorvika | SQLite | Lorvika / SQLite | Target | Met |\n";
        o << "|---|---:|---:|---:|---|---|\n";
        for (const auto& p : pairs()) {
            const auto mine = median(p.lorvika, p.wallClock);
            const auto theirs = median(p.sqlite, p.wallClock);
            std::string ratio = "-";
            std::optional<double> r;
            if (mine && theirs && *theirs > 0) {
                r = *mine / *theirs;
                std::ostringstream t;
                t << std::setprecision(3) << *r;
                ratio = t.str();
            }
            std::string target;
            if (p.targetSeconds > 0) target = "< " + formatSeconds(p.targetSeconds);
            if (p.ratioTarget) target += target.empty() ? "ratio ≤ 1" : ", ratio ≤ 1";
            std::string met = "-";
            if (!target.empty() && mine) {
                bool ok = p.targetSeconds <= 0 || *mine < p.targetSeconds;
                if (p.ratioTarget) ok = ok && r && *r <= 1.0;
                met = !large ? (ok ? "(yes)" : "(no)") : (ok ? "yes" : "**no**");
            }
            o << "| " << p.operation << (p.wallClock ? "" : " (CPU)") << " | "
              << cell(p.lorvika, p.wallClock) << " | " << cell(p.sqlite, p.wallClock) << " | "
              << ratio << " | " << (target.empty() ? "-" : target) << " | " << met << " |\n";
        }
        const double dbf = counter("memory/lorvika", "files_MiB");
        if (dbf > 0) {
            for (const char* when : {"opened", "scanned"}) {
                const std::string key = std::string(when) + "_MiB";
                const double ratio = counter("memory/lorvika", key) / dbf;
                o << "| resident memory "
                  << (key == "opened_MiB" ? "after opening" : "after reading all") << " | "
                  << counter("memory/lorvika", key) << " MiB | " << counter("memory/sqlite", key)
                  << " MiB | " << ratio << " × .DBF size (" << dbf << " MiB) | < 2 × table files | "
                  << (ratio < 2 ? (large ? "yes" : "(yes)") : (large ? "**no**" : "(no)"))
                  << " |\n";
            }
        }
        return o.str();
    }

    std::string markdownFile_;
    std::map<std::string, Result> results_;
};

void Env::close() {
    sqliteAppend.reset();
    append.reset();
    sqlite.reset();
    session.reset();
}

bool truthy(const char* value) {
    return value && *value && std::string(value) != "0";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args{argv[0]};
    bool large = truthy(std::getenv("LORVIKA_BENCH_LARGE"));
    std::string markdown;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--rss-probe=", 0) == 0 && i + 1 < argc)
            return rssProbe(a.substr(12), argv[i + 1]);
        if (a == "--large")
            large = true;
        else if (a.rfind("--markdown=", 0) == 0)
            markdown = a.substr(11);
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

    Env& e = env();
    if (const char* dir = std::getenv("LORVIKA_BENCH_DIR"); dir && *dir) {
        e.base = dir;
    } else {
        e.base = fs::temp_directory_path() / ("lorvika-bench-" + std::to_string(::getpid()));
        e.removeBase = true;
    }
    int rc = 0;
    try {
        GenOptions options;
        options.albums = large ? 100000 : 10000;
        const auto start = std::chrono::steady_clock::now();
        e.data = ensureDataset(e.base, options);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::cerr << "Katalog " << e.data.albums << " alb / " << e.data.tracks << " skladeb v "
                  << e.data.root.string() << " (" << std::setprecision(3) << took.count()
                  << " s)\n";
        e.scratch = e.base / "pracovni";
        fs::create_directories(e.scratch);
        registerAll();
        SummaryReporter reporter(markdown);
        benchmark::RunSpecifiedBenchmarks(&reporter);
    } catch (const std::exception& ex) {
        std::cerr << "Chyba: " << ex.what() << "\n";
        rc = 1;
    }
    benchmark::Shutdown();
    try {
        e.close();
    } catch (const std::exception& ex) {
        std::cerr << "Chyba při zavírání: " << ex.what() << "\n";
        rc = 1;
    }
    std::error_code ec;
    fs::remove_all(e.scratch, ec);
    if (e.removeBase) fs::remove_all(e.base, ec);
    return rc;
}
