// Backup of a catalogue's four table files beside "zip -9 -j" on the same files, in one run.
// Counters: time_ratio = Zalohuj / zip, size_ratio = zaloha.zip / zip's archive.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "export/Zaloha.h"

#ifdef LORVIKA_BENCH_GENERATOR
#include "CatalogueGen.h"
#endif

extern char** environ;

namespace {

namespace fs = std::filesystem;

const char* kFiles[] = {"cddata.DBF", "cdskladby.DBF", "cddata.mdx", "cdskladby.mdx"};

fs::path benchBase() {
    if (const char* d = std::getenv("LORVIKA_BENCH_DIR")) return d;
    return fs::temp_directory_path() / "lorvika-bench";
}

#ifndef LORVIKA_BENCH_GENERATOR
// Without the catalogue generator: files of the sizes a 10,000-album catalogue has, made of
// fixed-width records with repeating names and numbers, as dBase tables are.
void writeSimilarFiles(const fs::path& dir) {
    std::mt19937 rng(20261208);
    const char* words[] = {"Olympic", "Beatles", "Kryl",     "Hegerová", "Pražský výběr",
                           "Best of", "Live",    "Greatest", "Suchý",    "Semafor"};
    auto field = [&](std::string& out, int width) {
        std::string w = words[rng() % 10];
        if (rng() % 2) w += std::string(" ") + words[rng() % 10];
        w.resize(width, ' ');
        out += w;
    };
    auto number = [&](std::string& out, int value) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%20.4f", static_cast<double>(value));
        out += buf;
    };
    std::string albums, tracks, albumIdx, trackIdx;
    for (int a = 1; a <= 10000; ++a) {
        albums += ' ';
        number(albums, a);
        for (int w : {50, 50}) field(albums, w);
        number(albums, 1960 + static_cast<int>(rng() % 60));
        number(albums, 2400 + static_cast<int>(rng() % 2000));
        for (int w : {30, 30}) field(albums, w);
        number(albums, 15);
        for (int w : {25, 25, 50, 50, 50, 50, 50, 50}) field(albums, w);
        albums += "20240101";
        number(albums, 0);
        albums += "N";
        for (int w : {30}) field(albums, w);
        albums += "20250101";
        for (int w : {30, 25, 1, 1}) field(albums, w);
        number(albums, static_cast<int>(rng() % 7));
        for (int w : {50, 50, 50, 200}) field(albums, w);
        number(albums, static_cast<int>(rng() % 1000));
        albumIdx += std::string(words[rng() % 10]).substr(0, 6) + std::to_string(a) + "\n";
        for (int t = 1; t <= 15; ++t) {
            tracks += ' ';
            number(tracks, a);
            number(tracks, t);
            for (int w : {50, 50}) field(tracks, w);
            number(tracks, 120 + static_cast<int>(rng() % 300));
            field(tracks, 25);
            trackIdx += std::to_string(a) + ":" + std::to_string(tracks.size()) + "\n";
        }
    }
    const std::string* data[] = {&albums, &tracks, &albumIdx, &trackIdx};
    for (int i = 0; i < 4; ++i) std::ofstream(dir / kFiles[i], std::ios::binary) << *data[i];
}
#endif

// The four files of a 10,000-album catalogue in a directory of their own.
fs::path prepare() {
    const fs::path work = benchBase() / "zaloha-bench";
    fs::remove_all(work);
    fs::create_directories(work);
#ifdef LORVIKA_BENCH_GENERATOR
    lorvika::bench::GenOptions options;
    options.albums = 10000;
    auto d = lorvika::bench::ensureDataset(benchBase(), options);
    for (const char* f : kFiles) {
        fs::path src = d.lorvikaDir / f;
        if (!fs::exists(src)) throw std::runtime_error("generated catalogue lacks " + src.string());
        fs::copy_file(src, work / f);
    }
#else
    writeSimilarFiles(work);
#endif
    return work;
}

void runZip9(const fs::path& archive, const fs::path& dir) {
    std::vector<std::string> args = {"zip", "-q", "-9", "-j", archive.string()};
    for (const char* f : kFiles) args.push_back((dir / f).string());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, "zip", nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("zip cannot be started");
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("zip failed");
}

void BM_BackupBesideZip9(benchmark::State& state) {
    static const fs::path dir = prepare();
    const fs::path ours = dir / "zaloha.zip";
    const fs::path theirs = dir.parent_path() / "zip9.zip";
    using Clock = std::chrono::steady_clock;
    double oursSec = 0, theirsSec = 0;
    std::uintmax_t oursSize = 0, theirsSize = 0;
    for (auto _ : state) {
        fs::remove(ours);
        fs::remove(theirs);
        auto t0 = Clock::now();
        auto v = lorvika::Zalohuj(dir.string());
        auto t1 = Clock::now();
        if (!v.ok) {
            state.SkipWithError(v.chyba.c_str());
            return;
        }
        runZip9(theirs, dir);
        auto t2 = Clock::now();
        const double a = std::chrono::duration<double>(t1 - t0).count();
        oursSec += a;
        theirsSec += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(a);
        oursSize = fs::file_size(ours);
        theirsSize = fs::file_size(theirs);
    }
    std::uintmax_t input = 0;
    for (const char* f : kFiles) input += fs::file_size(dir / f);
    state.counters["input_MB"] = static_cast<double>(input) / 1e6;
    state.counters["lorvika_s"] = oursSec / static_cast<double>(state.iterations());
    state.counters["zip9_s"] = theirsSec / static_cast<double>(state.iterations());
    state.counters["time_ratio"] = oursSec / theirsSec;
    state.counters["size_ratio"] = static_cast<double>(oursSize) / static_cast<double>(theirsSize);
}
BENCHMARK(BM_BackupBesideZip9)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// A second backup with nothing changed: the update in place only compares.
void BM_BackupUnchanged(benchmark::State& state) {
    static const fs::path dir = prepare();
    if (!lorvika::Zalohuj(dir.string()).ok) {
        state.SkipWithError("first backup failed");
        return;
    }
    for (auto _ : state) {
        auto v = lorvika::Zalohuj(dir.string());
        if (!v.ok) state.SkipWithError(v.chyba.c_str());
    }
}
BENCHMARK(BM_BackupUnchanged)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
