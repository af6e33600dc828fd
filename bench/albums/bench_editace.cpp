// The edit window's two costly steps on a generated catalogue (10,000 albums, or 100,000 with
// LORVIKA_BENCH_LARGE=1):
// - BM_UlozeniBesideNoveho: saving an edited album of 20 tracks (the album record, all tracks
//   replaced through one transaction, the player file) beside storing the same album new (one album
//   record and 20 track records appended, the player file). Counters: ulozeni_ms, nove_ms,
//   pomer = ulozeni / nove, and the same for the tables alone (tab_*). The engine's syncs are
//   left out; the player file's writer syncs its file on both sides.
// - BM_DalsiAlbum: loading the next album into the edit window's state and work table, beside
//   only reading the same album and its tracks through the cursors. Counters: nacteni_ms,
//   cteni_ms, pomer.
// - BM_UlozeniTrvale: the same save with every sync, beside SQLite (WAL, synchronous=FULL)
//   committing the same rows. Counters: lorvika_ms, sqlite_ms, pomer.
// The catalogue is copied into a work folder first, so the generated one stays as it was.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CatalogueGen.h"
#include "albums/EditCD.h"
#include "export/Sonorek.h"
#include "store/Catalogue.h"
#include "store/ZmenaAlba.h"
#include "store/dbf/Engine.h"
#include "store/dbf/FileSystem.h"

namespace {

namespace fs = std::filesystem;
namespace dbf = lorvika::dbf;
using Clock = std::chrono::steady_clock;

fs::path benchBase() {
    if (const char* d = std::getenv("LORVIKA_BENCH_DIR")) return d;
    return fs::temp_directory_path() / "lorvika-bench";
}

bool large() {
    const char* v = std::getenv("LORVIKA_BENCH_LARGE");
    return v && *v && std::string(v) != "0";
}

// The native file system without fsync: the figures are for the work, not for the disk.
class BezSync : public dbf::FileSystem {
  public:
    std::unique_ptr<dbf::File> open(const std::string& path, Mode mode) override {
        return std::make_unique<Soubor>(base_->open(path, mode));
    }
    bool exists(const std::string& path) override { return base_->exists(path); }
    void remove(const std::string& path) override { base_->remove(path); }
    void rename(const std::string& from, const std::string& to) override {
        base_->rename(from, to);
    }
    void syncDirectory(const std::string&) override {}
    dbf::FileStamp stamp(const std::string& path) override { return base_->stamp(path); }
    std::string resolve(const std::string& directory, const std::string& name) override {
        return base_->resolve(directory, name);
    }

  private:
    class Soubor : public dbf::File {
      public:
        explicit Soubor(std::unique_ptr<dbf::File> f) : f_(std::move(f)) {}
        std::size_t readAt(std::uint64_t o, void* b, std::size_t n) override {
            return f_->readAt(o, b, n);
        }
        void writeAt(std::uint64_t o, const void* d, std::size_t n) override {
            f_->writeAt(o, d, n);
        }
        std::uint64_t size() override { return f_->size(); }
        void truncate(std::uint64_t n) override { f_->truncate(n); }
        void sync() override {}
        bool tryLock() override { return f_->tryLock(); }
        const char* map(std::uint64_t n) override { return f_->map(n); }

      private:
        std::unique_ptr<dbf::File> f_;
    };
    std::shared_ptr<dbf::FileSystem> base_ = dbf::FileSystem::native();
};

class TicheZpravy : public lorvika::Messages {
  public:
    lorvika::MsgButton show(const std::string&, lorvika::MsgKind, const lorvika::MsgButtons&,
                            lorvika::Sound, int) override {
        return lorvika::MsgButton::Yes;
    }
};

struct Katalog {
    std::unique_ptr<dbf::Engine> engine;
    std::string db, txt, prog;
    std::unique_ptr<dbf::Cursor> alba, skladby;
    std::int64_t pocet = 0;
};

// A fresh work folder named jmeno-<albums> with a copy of the generated catalogue in db/.
lorvika::bench::Dataset pracovniKopie(const std::string& jmeno, fs::path& prace) {
    lorvika::bench::GenOptions options;
    options.albums = large() ? 100000 : 10000;
    const auto d = lorvika::bench::ensureDataset(benchBase(), options);
    prace = benchBase() / (jmeno + "-" + std::to_string(options.albums));
    fs::remove_all(prace);
    fs::create_directories(prace / "db");
    for (const auto& f : fs::directory_iterator(d.lorvikaDir))
        fs::copy_file(f.path(), prace / "db" / f.path().filename());
    return d;
}

Katalog& katalog() {
    static Katalog k;
    if (k.alba) return k;
    fs::path prace;
    pracovniKopie("editace", prace);
    fs::create_directories(prace / "prog");
    k.engine = std::make_unique<dbf::Engine>(std::make_shared<BezSync>());
    k.db = (prace / "db").string();
    k.txt = (prace / "db" / "TXT").string();
    k.prog = (prace / "prog").string();
    k.alba = k.engine->open(k.db, std::string(lorvika::kSouborAlb));
    k.skladby = k.engine->open(k.db, std::string(lorvika::kSouborSkladeb));
    k.pocet = static_cast<std::int64_t>(k.alba->recordCount());
    return k;
}

std::vector<std::vector<std::string>> dvacetSkladeb(std::int64_t cislo, int verze) {
    std::vector<std::vector<std::string>> out;
    for (int t = 1; t <= 20; ++t)
        out.push_back({std::to_string(cislo), std::to_string(t),
                       "Skladba č. " + std::to_string(t) + " verze " + std::to_string(verze),
                       "Host " + std::to_string(t), std::to_string(180 + t), "píseň"});
    return out;
}

void BM_UlozeniBesideNoveho(benchmark::State& state) {
    Katalog& k = katalog();
    double ulozeni = 0, nove = 0, ulozeniTabulky = 0, noveTabulky = 0;
    std::int64_t n = 0;
    std::int64_t dalsiCislo = k.pocet + 1;
    for (auto _ : state) {
        const std::int64_t cislo = 1 + (n * 7919) % k.pocet;
        ++n;
        lorvika::ZmenaAlba z;
        z.cislo = cislo;
        z.pole = {{"ALBUM", "Upravené album " + std::to_string(n)},
                  {"ROK", "2001"},
                  {"ZMENA", "8.12.2026"}};
        z.nahraditSkladby = true;
        z.skladby = dvacetSkladeb(cislo, static_cast<int>(n));
        Clock::time_point tabulky;
        auto t0 = Clock::now();
        lorvika::ZapisZmenuAlba(*k.engine, k.db, *k.alba, *k.skladby, z, [&] {
            tabulky = Clock::now();
            lorvika::UlozTxtCDPoZmene(cislo, k.alba->text("SN"), *k.alba, *k.skladby, k.txt);
        });
        auto t1 = Clock::now();

        // The same album stored as a new one, as the new-album window does.
        const std::int64_t nove_cislo = dalsiCislo++;
        k.alba->append();
        k.alba->setInteger("CISLO", nove_cislo);
        k.alba->setText("ALBUM", "Upravené album " + std::to_string(n));
        k.alba->setText("ARTIST", "Interpret");
        k.alba->setInteger("ROK", 2001);
        k.alba->setInteger("PSTOP", 20);
        k.alba->setText("SN", "BENCH-" + std::to_string(nove_cislo));
        k.alba->setText("ZMENA", "8.12.2026");
        k.alba->post();
        for (const auto& radek : dvacetSkladeb(nove_cislo, static_cast<int>(n))) {
            k.skladby->append();
            for (int i = 0; i < static_cast<int>(radek.size()); ++i)
                k.skladby->setText(i, radek[static_cast<std::size_t>(i)]);
            k.skladby->post();
        }
        auto novaTabulky = Clock::now();
        lorvika::UlozTxtCD(nove_cislo, *k.alba, *k.skladby, k.txt);
        auto t2 = Clock::now();
        using ms = std::chrono::duration<double, std::milli>;
        ulozeni += ms(t1 - t0).count();
        nove += ms(t2 - t1).count();
        ulozeniTabulky += ms(tabulky - t0).count();
        noveTabulky += ms(novaTabulky - t1).count();
    }
    const double pocet = static_cast<double>(n);
    state.counters["ulozeni_ms"] = ulozeni / pocet;
    state.counters["nove_ms"] = nove / pocet;
    state.counters["pomer"] = ulozeni / nove;
    // The tables alone, without the player file (whose writer syncs it).
    state.counters["tab_ulozeni_ms"] = ulozeniTabulky / pocet;
    state.counters["tab_nove_ms"] = noveTabulky / pocet;
    state.counters["tab_pomer"] = ulozeniTabulky / noveTabulky;
}
BENCHMARK(BM_UlozeniBesideNoveho)->Iterations(300)->Unit(benchmark::kMillisecond);

// The same save made durable: the engine's transaction with every sync (log, directory,
// tables) beside SQLite in WAL mode with synchronous=FULL committing the same rows (the album
// row updated, its 20 tracks deleted and inserted again) in one transaction. The player file is
// left out on both sides. Counters: lorvika_ms, sqlite_ms, pomer = lorvika / sqlite.
struct Trvaly {
    std::unique_ptr<dbf::Engine> engine;
    std::string db;
    std::unique_ptr<dbf::Cursor> alba, skladby;
    std::unique_ptr<lorvika::bench::SqliteDb> sqlite;
    std::int64_t pocet = 0;
};

Trvaly& trvaly() {
    static Trvaly k;
    if (k.alba) return k;
    fs::path prace;
    const auto d = pracovniKopie("editace-trvale", prace);
    fs::copy_file(d.sqlitePath, prace / "peer.sqlite");
    k.engine = std::make_unique<dbf::Engine>();
    k.db = (prace / "db").string();
    k.alba = k.engine->open(k.db, std::string(lorvika::kSouborAlb));
    k.skladby = k.engine->open(k.db, std::string(lorvika::kSouborSkladeb));
    k.pocet = static_cast<std::int64_t>(k.alba->recordCount());
    k.sqlite = std::make_unique<lorvika::bench::SqliteDb>((prace / "peer.sqlite").string());
    k.sqlite->exec("PRAGMA journal_mode=WAL");
    k.sqlite->exec("PRAGMA synchronous=FULL");
    return k;
}

void BM_UlozeniTrvale(benchmark::State& state) {
    using lorvika::bench::SqliteStmt;
    Trvaly& k = trvaly();
    SqliteStmt begin(k.sqlite->get(), "BEGIN");
    SqliteStmt commit(k.sqlite->get(), "COMMIT");
    SqliteStmt album(k.sqlite->get(),
                     "UPDATE cddata SET album = ?1, rok = 2001, zmena = '2026-12-08' "
                     "WHERE cislo = ?2");
    SqliteStmt smaz(k.sqlite->get(), "DELETE FROM cdskladby WHERE cd = ?1");
    SqliteStmt vloz(k.sqlite->get(),
                    "INSERT INTO cdskladby (cd, cislo, name, artist, delka, typ) "
                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    double ours = 0, theirs = 0;
    std::int64_t n = 0;
    for (auto _ : state) {
        const std::int64_t cislo = 1 + (n * 7919) % k.pocet;
        ++n;
        lorvika::ZmenaAlba z;
        z.cislo = cislo;
        const std::string nazev = "Upravené album " + std::to_string(n);
        z.pole = {{"ALBUM", nazev}, {"ROK", "2001"}, {"ZMENA", "8.12.2026"}};
        z.nahraditSkladby = true;
        z.skladby = dvacetSkladeb(cislo, static_cast<int>(n));
        auto t0 = Clock::now();
        lorvika::ZapisZmenuAlba(*k.engine, k.db, *k.alba, *k.skladby, z);
        auto t1 = Clock::now();
        begin.step();
        begin.reset();
        sqlite3_bind_text(album.get(), 1, nazev.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(album.get(), 2, cislo);
        album.step();
        album.reset();
        sqlite3_bind_int64(smaz.get(), 1, cislo);
        smaz.step();
        smaz.reset();
        for (const auto& radek : z.skladby) {
            sqlite3_bind_int64(vloz.get(), 1, cislo);
            sqlite3_bind_int64(vloz.get(), 2, std::stoll(radek[1]));
            sqlite3_bind_text(vloz.get(), 3, radek[2].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(vloz.get(), 4, radek[3].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(vloz.get(), 5, std::stoll(radek[4]));
            sqlite3_bind_text(vloz.get(), 6, radek[5].c_str(), -1, SQLITE_TRANSIENT);
            vloz.step();
            vloz.reset();
        }
        commit.step();
        commit.reset();
        auto t2 = Clock::now();
        using ms = std::chrono::duration<double, std::milli>;
        ours += ms(t1 - t0).count();
        theirs += ms(t2 - t1).count();
    }
    const double pocet = static_cast<double>(n);
    state.counters["lorvika_ms"] = ours / pocet;
    state.counters["sqlite_ms"] = theirs / pocet;
    state.counters["pomer"] = ours / theirs;
}
BENCHMARK(BM_UlozeniTrvale)->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_DalsiAlbum(benchmark::State& state) {
    Katalog& k = katalog();
    TicheZpravy zpravy;
    lorvika::EditCD edit(
        *k.engine, *k.alba, *k.skladby, k.db, k.prog, k.txt, zpravy,
        [] {
            return dbf::Date{2026, 12, 8};
        },
        [] {});
    k.alba->setTag("artist");
    k.alba->first();
    double nacteni = 0, cteni = 0;
    std::int64_t n = 0, soucet = 0;
    for (auto _ : state) {
        k.alba->next();
        if (k.alba->eof()) k.alba->first();
        auto t0 = Clock::now();
        edit.Aktualizuj();
        auto t1 = Clock::now();
        // The peer: the same album's fields and tracks read through the cursors only.
        soucet += static_cast<std::int64_t>(k.alba->text("ALBUM").size());
        lorvika::ProjdiSkladby(*k.skladby, k.alba->integer("CISLO"), [&](dbf::Cursor& s) {
            soucet += static_cast<std::int64_t>(s.text("NAME").size()) + s.integer("DELKA");
        });
        auto t2 = Clock::now();
        ++n;
        nacteni += std::chrono::duration<double, std::milli>(t1 - t0).count();
        cteni += std::chrono::duration<double, std::milli>(t2 - t1).count();
    }
    benchmark::DoNotOptimize(soucet);
    state.counters["nacteni_ms"] = nacteni / static_cast<double>(n);
    state.counters["cteni_ms"] = cteni / static_cast<double>(n);
    state.counters["pomer"] = nacteni / cteni;
    edit.Zavri();
}
BENCHMARK(BM_DalsiAlbum)->Iterations(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
