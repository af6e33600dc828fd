// The rebuild of every companion-player file (ObnovaTxt) over the 10,000-album catalogue, beside
// the same files written key by key with ZapisText (one read and rewrite of the file per key).
// Key by key is slow, so it runs over the first LORVIKA_BENCH_KBK_ALBUMS albums (default 1000)
// and is compared per album (LORVIKA_BENCH_KBK_ALBUMS=10000 writes the whole catalogue key by key;
// LORVIKA_BENCH_ITERATIONS sets the iterations, default 2). Counters: obnova_s (whole catalogue),
// kbk_s_per_album, speedup = key-by-key time per album / ObnovaTxt time per album.
// DoplnTxt, the check at every opening, runs over the same catalogue with every file present and
// after a crash (10 files missing, 10 leftovers of interrupted writes). LORVIKA_BENCH_LARGE=1
// uses the 100,000-album catalogue.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CatalogueGen.h"
#include "export/Sonorek.h"
#include "store/Ini.h"
#include "store/dbf/Engine.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
namespace dbf = lorvika::dbf;

fs::path benchBase() {
    if (const char* d = std::getenv("LORVIKA_BENCH_DIR")) return d;
    return fs::temp_directory_path() / "lorvika-bench";
}

int iterations() {
    if (const char* n = std::getenv("LORVIKA_BENCH_ITERATIONS")) return std::max(1, std::atoi(n));
    return 2;
}

std::size_t kbkAlbums() {
    if (const char* n = std::getenv("LORVIKA_BENCH_KBK_ALBUMS")) return std::stoul(n);
    return 1000;
}

struct Catalogue {
    dbf::Engine engine;
    std::string db;
    std::unique_ptr<dbf::Cursor> alba, skladby;
    fs::path work;
};

Catalogue& catalogue() {
    static Catalogue c;
    if (!c.alba) {
        lorvika::bench::GenOptions options;
        const char* large = std::getenv("LORVIKA_BENCH_LARGE");
        options.albums = large && *large && std::string(large) != "0" ? 100000 : 10000;
        auto d = lorvika::bench::ensureDataset(benchBase(), options);
        c.db = d.lorvikaDir.string();
        c.work = benchBase() / "sonorek-bench";
        c.alba = c.engine.open(c.db, "cddata.DBF");
        c.skladby = c.engine.open(c.db, "cdskladby.DBF");
        c.alba->setTag("artist");
    }
    return c;
}

// One ZapisText per key, the album found by number on tag "cislo", its tracks on tag "CD".
void keyByKey(std::int64_t cislo, dbf::Cursor& alba, dbf::Cursor& skladby, const std::string& dir) {
    fs::create_directories(dir);
    const std::string tag = alba.tag();
    alba.setTag("cislo");
    alba.setRange(dbf::Key(cislo), dbf::Key(cislo));
    if (alba.isEmpty()) {
        alba.cancelRange();
        alba.setTag(tag);
        return;
    }
    alba.first();
    const std::string file = lorvika::SouborTxtCD(dir, alba.text("SN"));
    lorvika::ZapisText(file, "CD", "album", alba.text("ALBUM"));
    lorvika::ZapisText(file, "CD", "artist", alba.text("ARTIST"));
    lorvika::ZapisText(file, "CD", "zanr", alba.text("ZANR"));
    lorvika::ZapisText(file, "CD", "zeme", alba.text("ZEME"));
    lorvika::ZapisText(file, "CD", "pstop", std::to_string(alba.integer("PSTOP")));
    alba.cancelRange();
    alba.setTag(tag);
    const std::string ttag = skladby.tag();
    skladby.setTag("CD");
    skladby.setRange(dbf::Key(cislo), dbf::Key(cislo));
    skladby.first();
    const std::size_t n = skladby.recordCount();
    for (std::size_t i = 0; i < n; ++i) {
        const std::string sec = std::to_string(skladby.integer("CISLO"));
        lorvika::ZapisText(file, sec, "name", skladby.text("NAME"));
        lorvika::ZapisText(file, sec, "artist", skladby.text("ARTIST"));
        skladby.next();
    }
    skladby.cancelRange();
    skladby.setTag(ttag);
}

void BM_ObnovaTxtBesideKeyByKey(benchmark::State& state) {
    Catalogue& c = catalogue();
    const std::string ours = (c.work / "obnova" / "TXT").string();
    const std::string theirs = (c.work / "poklicich" / "TXT").string();
    const std::size_t albums = c.alba->recordCount();
    double oursSec = 0, theirsSec = 0;
    std::size_t theirsAlbums = 0;
    for (auto _ : state) {
        fs::remove_all(c.work);
        ::sync();  // the removal is no part of the rebuild
        auto t0 = Clock::now();
        lorvika::ObnovaTxt(*c.alba, *c.skladby, ours);
        auto t1 = Clock::now();
        const double a = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(a);
        oursSec += a;

        const std::size_t limit = std::min(kbkAlbums(), albums);
        auto t2 = Clock::now();
        c.alba->first();
        for (std::size_t i = 0; i < limit && !c.alba->eof(); ++i) {
            const auto mark = c.alba->bookmark();
            keyByKey(c.alba->integer("CISLO"), *c.alba, *c.skladby, theirs);
            c.alba->gotoBookmark(mark);
            c.alba->next();
        }
        theirsSec += std::chrono::duration<double>(Clock::now() - t2).count();
        theirsAlbums += limit;
    }
    const double runs = static_cast<double>(state.iterations());
    const double oursPerAlbum = oursSec / runs / static_cast<double>(albums);
    const double theirsPerAlbum = theirsSec / static_cast<double>(theirsAlbums);
    state.counters["albums"] = static_cast<double>(albums);
    state.counters["obnova_s"] = oursSec / runs;
    state.counters["kbk_albums"] = static_cast<double>(theirsAlbums) / runs;
    state.counters["kbk_s_per_album"] = theirsPerAlbum;
    state.counters["speedup"] = theirsPerAlbum / oursPerAlbum;
}
BENCHMARK(BM_ObnovaTxtBesideKeyByKey)
    ->UseManualTime()
    ->Iterations(iterations())
    ->Unit(benchmark::kMillisecond);

// The usual case of the menu command: every file exists already with the same content.
void BM_ObnovaTxtOverExistingFiles(benchmark::State& state) {
    Catalogue& c = catalogue();
    const std::string dir = (c.work / "znovu" / "TXT").string();
    fs::remove_all(dir);
    lorvika::ObnovaTxt(*c.alba, *c.skladby, dir);
    for (auto _ : state) lorvika::ObnovaTxt(*c.alba, *c.skladby, dir);
}
BENCHMARK(BM_ObnovaTxtOverExistingFiles)->Iterations(iterations())->Unit(benchmark::kMillisecond);

// Every file exists with an out-of-date album title, so every one is replaced.
void BM_ObnovaTxtOverChangedFiles(benchmark::State& state) {
    Catalogue& c = catalogue();
    const fs::path dir = c.work / "zmenene" / "TXT";
    fs::remove_all(dir);
    lorvika::ObnovaTxt(*c.alba, *c.skladby, dir.string());
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir)) files.push_back(e.path());
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& f : files) std::ofstream(f, std::ios::binary) << "[CD]\r\nalbum=?\r\n";
        ::sync();  // stale files are old files, long on the disk
        state.ResumeTiming();
        lorvika::ObnovaTxt(*c.alba, *c.skladby, dir.string());
    }
}
BENCHMARK(BM_ObnovaTxtOverChangedFiles)->Iterations(iterations())->Unit(benchmark::kMillisecond);

// The check at every opening: one listing of the text directory, one pass over the albums.
fs::path filledForOpening() {
    Catalogue& c = catalogue();
    const fs::path dir = c.work / "otevreni" / "TXT";
    std::error_code ec;
    std::size_t files = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) ++files;
    if (files < c.alba->recordCount()) {
        fs::remove_all(dir);
        lorvika::ObnovaTxt(*c.alba, *c.skladby, dir.string());
    }
    return dir;
}

void BM_DoplnTxtEveryFilePresent(benchmark::State& state) {
    Catalogue& c = catalogue();
    const std::string dir = filledForOpening().string();
    std::size_t written = 0;
    for (auto _ : state) written += lorvika::DoplnTxt(*c.alba, *c.skladby, dir);
    state.counters["albums"] = static_cast<double>(c.alba->recordCount());
    state.counters["written"] = static_cast<double>(written);
}
BENCHMARK(BM_DoplnTxtEveryFilePresent)->Iterations(iterations())->Unit(benchmark::kMillisecond);

void BM_DoplnTxtAfterACrash(benchmark::State& state) {
    Catalogue& c = catalogue();
    const fs::path dir = filledForOpening();
    std::vector<fs::path> some;
    for (const auto& e : fs::directory_iterator(dir)) {
        some.push_back(e.path());
        if (some.size() == 10) break;
    }
    std::size_t written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& f : some) {
            fs::remove(f);
            std::ofstream(f.string() + ".Ab12Cd", std::ios::binary) << "[CD]\r\nalb";
        }
        state.ResumeTiming();
        written += lorvika::DoplnTxt(*c.alba, *c.skladby, dir.string());
    }
    state.counters["albums"] = static_cast<double>(c.alba->recordCount());
    state.counters["written"] =
        static_cast<double>(written) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DoplnTxtAfterACrash)->Iterations(iterations())->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
