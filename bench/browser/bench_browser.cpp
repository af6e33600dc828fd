// The album browser and the printed lists on a generated catalogue, each beside a named peer in
// the same run:
//   browser_open/*      opening the browser and showing its list page, beside SQLite fetching
//                       the first screenful of albums in artist order;
//   browser_last_back/* moving to the last album and back with the list page shown, beside
//                       SQLite fetching the last and the first album of that order;
//   browser_sort/*      a title click that creates its tag, beside SQLite creating the same
//                       index;
//   report1_pdf/*       report 1 of the albums to PDF, beside the same rows laid out by
//                       QTextDocument and printed to PDF (pages per second as a counter);
//   report1_rss         how much a process's peak memory grows while it prints the first
//                       10,000 albums and while it prints all of them.
//
//   lorvika_bench_browser [--large] [benchmark flags]
//
// --large (or LORVIKA_BENCH_LARGE=1) uses 100,000 albums instead of 10,000. The catalogue lives
// in $LORVIKA_BENCH_DIR (kept and reused) or in a temporary folder removed at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "CatalogueGen.h"
#include "app/Aplikace.h"
#include "app/TForm1.h"
#include "reports/Sestava.h"
#include "search/TFViewCD.h"
#include "store/Catalogue.h"

namespace fs = std::filesystem;
using namespace lorvika;
using namespace lorvika::bench;

namespace {

class TicheZpravy : public Messages {
  public:
    MsgButton show(const std::string&, MsgKind, const MsgButtons& b, Sound, int) override {
        return b.empty() ? MsgButton::OK : b.front();
    }
};

class ZadneDialogy : public Dialogs {
  public:
    std::optional<std::string> chooseDirectory(const std::string&, bool) override { return {}; }
};

struct Prostredi {
    Dataset data;
    fs::path base;
    bool smazat = false;
    TicheZpravy zpravy;
    ZadneDialogy dialogy;
    RegistrFormularu registr;
    std::unique_ptr<TForm1> okno;
};

Prostredi& prostredi() {
    static Prostredi p;
    return p;
}

void zpracuj() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

TFViewCD* otevriProhlizec() {
    auto* f = dynamic_cast<TFViewCD*>(prostredi().okno->otevriFormular(QStringLiteral("FViewCD")));
    f->PageC->setCurrentIndex(2);
    zpracuj();
    return f;
}

void zavri(TFViewCD* f) {
    f->zavri();
    zpracuj();
}

std::string sqlite() {
    return prostredi().data.sqlitePath.string();
}

void sqliteDotaz(sqlite3* db, const char* sql, benchmark::State& state) {
    SqliteStmt s(db, sql);
    int radku = 0;
    while (s.step()) ++radku;
    benchmark::DoNotOptimize(radku);
    if (radku == 0) state.SkipWithError("no rows");
}

// --- opening --------------------------------------------------------------------------------

void browser_open_lorvika(benchmark::State& state) {
    for (auto _ : state) {
        TFViewCD* f = otevriProhlizec();
        benchmark::DoNotOptimize(f->modelSeznamu->rowCount());
        state.PauseTiming();
        zavri(f);
        state.ResumeTiming();
    }
}

void browser_open_sqlite(benchmark::State& state) {
    for (auto _ : state) {
        SqliteDb db(sqlite(), true);
        sqliteDotaz(db.get(),
                    "SELECT artist, album, zanr, typ, rok, vyd_f, vyd_p, pstop, delka, zeme, "
                    "hodnoc FROM cddata ORDER BY artist LIMIT 40",
                    state);
    }
}

// --- last and back --------------------------------------------------------------------------

void browser_last_back_lorvika(benchmark::State& state) {
    TFViewCD* f = otevriProhlizec();
    for (auto _ : state) {
        f->posledni();
        zpracuj();
        f->prvni();
        zpracuj();
    }
    state.counters["known_rows"] = static_cast<double>(f->modelSeznamu->znamychPozic());
    zavri(f);
}

void browser_last_back_sqlite(benchmark::State& state) {
    SqliteDb db(sqlite(), true);
    for (auto _ : state) {
        sqliteDotaz(db.get(), "SELECT * FROM cddata ORDER BY artist DESC LIMIT 1", state);
        sqliteDotaz(db.get(), "SELECT * FROM cddata ORDER BY artist LIMIT 1", state);
    }
}

// --- sorting by a title click ---------------------------------------------------------------

void browser_sort_lorvika(benchmark::State& state) {
    TFViewCD* f = otevriProhlizec();
    const int rok = 4;  // the "Rok" column has no tag of its own
    for (auto _ : state) {
        emit f->DBGSeznam->horizontalHeader()->sectionClicked(rok);
        zpracuj();
        state.PauseTiming();
        if (!f->TData->hasTag("ROK")) state.SkipWithError("no tag created");
        f->nastavTag(QStringLiteral("artist"));
        f->TData->deleteTag("ROK");
        state.ResumeTiming();
    }
    zavri(f);
}

void browser_sort_sqlite(benchmark::State& state) {
    for (auto _ : state) {
        SqliteDb db(sqlite());
        db.exec("CREATE INDEX bench_rok ON cddata(rok)");
        sqliteDotaz(db.get(), "SELECT * FROM cddata ORDER BY rok LIMIT 40", state);
        state.PauseTiming();
        db.exec("DROP INDEX bench_rok");
        state.ResumeTiming();
    }
}

// --- report 1 -------------------------------------------------------------------------------

// Albums of the list: all (0) or the first n by album number, in artist order.
// The program's own engine holds the tables (a second one would find them locked).
std::unique_ptr<dbf::Cursor> alba(int n) {
    dbf::Engine& engine = prostredi().okno->session().engine();
    auto c = engine.open(prostredi().data.lorvikaDir.string(), std::string(kSouborAlb));
    c->setTag("artist");
    if (n > 0) {
        c->setFilter([n](const dbf::Cursor& a) { return a.integer("CISLO") <= n; });
        c->setFiltered(true);
    }
    return c;
}

fs::path pdf() {
    return prostredi().base / "pracovni-report.pdf";
}

void report1_pdf_lorvika(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto c = alba(n);
    int stran = 0;
    for (auto _ : state) {
        NastaveniSestavy nastaveni;
        stran = SestavaDoPdf(pdf().string(), *c, nastaveni).stran;
    }
    state.counters["pages"] = stran;
    state.counters["pages_per_s"] =
        benchmark::Counter(static_cast<double>(stran) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

// The same rows as one QTextDocument (a two-column table) printed to PDF.
void report1_pdf_qtextdocument(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto c = alba(n);
    int stran = 0;
    for (auto _ : state) {
        QTextDocument doc;
        doc.setPageSize(QSizeF(210.0 / 25.4 * 96, 297.0 / 25.4 * 96));  // A4 at 96 dpi
        QTextCursor kurzor(&doc);
        kurzor.insertText(HlavickaSestavy());
        int radku = 0;
        for (c->first(); !c->eof(); c->next()) ++radku;
        QTextTable* t = kurzor.insertTable(radku + 1, 2);
        t->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("INTERPRET"));
        t->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("ALBUM"));
        int r = 1;
        for (c->first(); !c->eof(); c->next(), ++r) {
            t->cellAt(r, 0).firstCursorPosition().insertText(
                QString::fromStdString(c->text("ARTIST")));
            t->cellAt(r, 1).firstCursorPosition().insertText(
                QString::fromStdString(c->text("ALBUM")));
        }
        QPdfWriter w(QString::fromStdString(pdf().string()));
        w.setPageSize(QPageSize(QPageSize::A4));
        doc.print(&w);
        stran = doc.pageCount();
    }
    state.counters["pages"] = stran;
    state.counters["pages_per_s"] =
        benchmark::Counter(static_cast<double>(stran) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

long rssKb() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    long stranky = 0, rss = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &stranky, &rss) != 2) rss = 0;
        std::fclose(f);
    }
    return rss * (::sysconf(_SC_PAGESIZE) / 1024);
}

// How much the peak memory (MiB) of a child process grows while it prints the report of n
// albums (0: all) beyond what it had at its start (the catalogue and the program).
double rustPameti(int n) {
    int roura[2];
    if (::pipe(roura) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(roura[0]);
        const long pred = rssKb();
        auto c = alba(n);
        SestavaDoPdf(pdf().string() + ".rss", *c, NastaveniSestavy{});
        rusage u{};
        ::getrusage(RUSAGE_SELF, &u);
        const long kb = u.ru_maxrss - pred;
        if (::write(roura[1], &kb, sizeof kb) != sizeof kb) ::_exit(1);
        ::_exit(0);
    }
    ::close(roura[1]);
    long kb = -1;
    if (::read(roura[0], &kb, sizeof kb) != sizeof kb) kb = -1;
    ::close(roura[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return kb / 1024.0;
}

void report1_rss(benchmark::State& state) {
    double maly = 0, velky = 0;
    for (auto _ : state) {
        maly = rustPameti(10000);
        velky = rustPameti(0);
    }
    state.counters["growth_10k_MiB"] = maly;
    state.counters["growth_all_MiB"] = velky;
}

void registruj(bool velky) {
    benchmark::RegisterBenchmark("browser_open/lorvika", browser_open_lorvika)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("browser_open/sqlite", browser_open_sqlite)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("browser_last_back/lorvika", browser_last_back_lorvika)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("browser_last_back/sqlite", browser_last_back_sqlite)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("browser_sort/lorvika", browser_sort_lorvika)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("browser_sort/sqlite", browser_sort_sqlite)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    // The document baseline lays out every row in memory: 10,000 albums are its fair share.
    benchmark::RegisterBenchmark("report1_pdf/lorvika", report1_pdf_lorvika)
        ->Arg(10000)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("report1_pdf/qtextdocument", report1_pdf_qtextdocument)
        ->Arg(10000)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    if (velky)
        benchmark::RegisterBenchmark("report1_pdf/lorvika", report1_pdf_lorvika)
            ->Arg(0)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    benchmark::RegisterBenchmark("report1_rss", report1_rss)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::vector<char*> args{argv[0]};
    bool velky = [] {
        const char* v = std::getenv("LORVIKA_BENCH_LARGE");
        return v && *v && std::string(v) != "0";
    }();
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--large")
            velky = true;
        else
            args.push_back(argv[i]);
    }
    int pocet = static_cast<int>(args.size());
    int qargc = 1;
    QApplication app(qargc, argv);
    benchmark::Initialize(&pocet, args.data());
    if (benchmark::ReportUnrecognizedArguments(pocet, args.data())) return 2;

    Prostredi& p = prostredi();
    if (const char* dir = std::getenv("LORVIKA_BENCH_DIR"); dir && *dir) {
        p.base = dir;
    } else {
        p.base =
            fs::temp_directory_path() / ("lorvika-bench-browser-" + std::to_string(::getpid()));
        p.smazat = true;
    }
    int rc = 0;
    try {
        GenOptions options;
        options.albums = velky ? 100000 : 10000;
        p.data = ensureDataset(p.base, options);
        std::cerr << "Katalog " << p.data.albums << " alb / " << p.data.tracks << " skladeb\n";
        // The program directory of the run is its own; no backup, no start picture.
        const fs::path domov = p.base / "domov-prohlizec";
        fs::create_directories(domov);
        ::setenv("LORVIKA_HOME", domov.c_str(), 1);
        registrujTFViewCD(p.registr);
        SluzbyHlavnihoOkna s = Aplikace::sluzbyProgramu(
            p.zpravy, p.dialogy, p.registr, {QString::fromStdString(p.data.lorvikaDir.string())});
        s.cesty = SessionPaths::inDirectory(domov.string());
        s.uvodniObrazek = false;
        s.zipZalohuj = nullptr;
        s.zipRozbal = nullptr;
        if (!Aplikace::testStroje(s.cesty.engineConfig, p.zpravy)) return 1;
        p.okno = std::make_unique<TForm1>(std::move(s));
        p.okno->vytvorNavigator();
        p.okno->show();
        p.okno->FormActivate();
        zpracuj();
        registruj(velky);
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        std::cerr << "Chyba: " << e.what() << '\n';
        rc = 1;
    }
    benchmark::Shutdown();
    if (p.okno) {
        p.okno->close();
        p.okno.reset();
    }
    std::error_code ec;
    fs::remove(pdf(), ec);
    fs::remove(pdf().string() + ".rss", ec);
    if (p.smazat) fs::remove_all(p.base, ec);
    return rc;
}
