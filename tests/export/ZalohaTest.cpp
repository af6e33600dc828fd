#include "export/Zaloha.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "store/dbf/Staging.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace fs = std::filesystem;
using lorvika::Rozbal;
using lorvika::ZalohaRizeni;
using lorvika::Zalohuj;
using lorvika::ZipGauge;
using lorvika::ZipProgress;
using lorvika::ZipProgressKind;

using lorvika::test::readFile;
using lorvika::test::writeFile;

namespace {

const std::vector<std::string> kDiskNames = {"cddata.DBF", "cdskladby.DBF", "cddata.mdx",
                                             "cdskladby.mdx"};

// Table-like content: repeated records with varying numbers, so it compresses as tables do.
std::string tableLike(std::size_t records, unsigned seed) {
    std::mt19937 rng(seed);
    std::string out;
    const char* words[] = {"Beatles", "Kryl", "Olympic", "Abbey Road", "Best of", "Live"};
    for (std::size_t i = 0; i < records; ++i) {
        char rec[128];
        std::snprintf(rec, sizeof rec, " %-50s%20u.0000%-30s", words[rng() % 6],
                      static_cast<unsigned>(rng() % 100000), words[rng() % 6]);
        out += rec;
    }
    return out;
}

struct Cmd {
    int status;
    std::string out;
};

Cmd run(const std::string& command) {
    Cmd c{-1, {}};
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return c;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) c.out.append(buf, n);
    c.status = ::pclose(p);
    return c;
}

// Runs a python script with the archive path as its argument.
Cmd python(const fs::path& dir, const std::string& script, const fs::path& arg) {
    fs::path file = dir / "check.py";
    writeFile(file, script);
    return run("/usr/bin/python3 '" + file.string() + "' '" + arg.string() + "'");
}

std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        m[fs::relative(e.path(), dir).string()] =
            e.is_regular_file() ? readFile(e.path()) : "<dir>";
    return m;
}

class ZalohaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = tmp.sub("db");
        for (std::size_t i = 0; i < kDiskNames.size(); ++i) {
            contents.push_back(tableLike(400 + 300 * i, static_cast<unsigned>(i + 1)));
            writeFile(db / kDiskNames[i], contents.back());
        }
    }
    fs::path archive() const { return db / "zaloha.zip"; }
    void setDates(time_t when) {
        struct utimbuf t {
            when, when
        };
        for (const auto& n : kDiskNames) ::utime((db / n).c_str(), &t);
    }

    lorvika::test::TestDir tmp;
    fs::path db;
    std::vector<std::string> contents;
};

// name, method, flag bits, crc, size, date_time for each entry, one line each
const char* kListEntries = R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        print(i.filename, i.compress_type, i.flag_bits & 6, '%08x' % i.CRC, i.file_size,
              '%d-%d-%d-%d-%d-%d' % i.date_time)
    assert z.testzip() is None
)";

std::vector<std::vector<std::string>> entries(const Cmd& c) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(c.out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        std::vector<std::string> cols;
        for (std::string w; l >> w;) cols.push_back(w);
        rows.push_back(cols);
    }
    return rows;
}

TEST(ZipGaugeTest, StaysWithinZeroToHundred) {
    struct Step {
        ZipProgressKind kind;
        int expected;
    };
    const std::vector<Step> steps = {
        {ZipProgressKind::NewFile, 0},     {ZipProgressKind::Update, 25},
        {ZipProgressKind::NewFile, 25},    {ZipProgressKind::Update, 50},
        {ZipProgressKind::Update, 75},     {ZipProgressKind::Update, 100},
        {ZipProgressKind::Update, 100},    {ZipProgressKind::Update, 100},
        {ZipProgressKind::EndOfBatch, 100}};
    ZipGauge g;
    for (std::size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(g.apply({steps[i].kind, "x", 1}), steps[i].expected) << "step " << i;
    g.reset();
    EXPECT_EQ(g.apply({ZipProgressKind::EndOfBatch, {}, 0}), 100);
}

TEST_F(ZalohaTest, FirstBackupHoldsFourBareDeflatedEntriesInOrder) {
    auto v = Zalohuj(db.string());
    ASSERT_TRUE(v.ok) << v.chyba;

    Cmd c = python(tmp.path(), kListEntries, archive());
    ASSERT_EQ(c.status, 0) << c.out;
    auto rows = entries(c);
    ASSERT_EQ(rows.size(), 4u) << c.out;
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i][0], lorvika::kSouboryZalohy[i]);
        EXPECT_EQ(rows[i][1], "8") << "deflate";
        EXPECT_EQ(rows[i][2], "2") << "maximum compression flag";
        EXPECT_EQ(rows[i][4], std::to_string(contents[i].size()));
    }

    Cmd t = run("unzip -t '" + archive().string() + "'");
    EXPECT_EQ(t.status, 0) << t.out;
    EXPECT_NE(t.out.find("No errors detected"), std::string::npos) << t.out;
}

TEST_F(ZalohaTest, SecondBackupReplacesOnlyChangedEntries) {
    // Old timestamps on every file, so that a re-added entry shows by its date.
    setDates(946684800);  // 2000-01-01
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    auto before = entries(python(tmp.path(), kListEntries, archive()));
    ASSERT_EQ(before.size(), 4u);

    // An edit in place keeps the table's size; the index grows. Every file gets a new date.
    contents[0][100] ^= 0x20;
    writeFile(db / kDiskNames[0], contents[0]);
    contents[2] += "new index page";
    writeFile(db / kDiskNames[2], contents[2]);
    setDates(1262304000);  // 2010-01-01
    std::vector<ZipProgress> reports;
    ZalohaRizeni r;
    r.postup = [&](const ZipProgress& p, int) { reports.push_back(p); };
    auto v = Zalohuj(db.string(), r);
    ASSERT_TRUE(v.ok) << v.chyba;

    auto after = entries(python(tmp.path(), kListEntries, archive()));
    ASSERT_EQ(after.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(after[i][0], lorvika::kSouboryZalohy[i]);
        bool changed = (i == 0 || i == 2);
        EXPECT_EQ(after[i][3] != before[i][3], changed) << after[i][0] << " crc";
        EXPECT_EQ(after[i][5] != before[i][5], changed) << after[i][0] << " date";
        EXPECT_EQ(after[i][4], std::to_string(contents[i].size()));
    }
    std::vector<std::string> added;
    for (const auto& p : reports)
        if (p.kind == ZipProgressKind::NewFile) added.push_back(p.file);
    EXPECT_EQ(added, (std::vector<std::string>{"cddata.dbf", "cddata.mdx"}));
}

TEST_F(ZalohaTest, UpdateAddsMissingEntriesAndKeepsForeignOnes) {
    Cmd make = python(tmp.path(), R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('poznamka.txt', 'keep me')
    z.writestr('CDDATA.DBF', 'old album table')
)",
                      archive());
    ASSERT_EQ(make.status, 0) << make.out;
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    Cmd c = python(tmp.path(), R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    print(sorted(z.namelist()))
    print(z.read('poznamka.txt').decode(), len(z.read('cddata.dbf')))
)",
                   archive());
    ASSERT_EQ(c.status, 0) << c.out;
    EXPECT_EQ(c.out,
              "['cddata.dbf', 'cddata.mdx', 'cdskladby.dbf', 'cdskladby.mdx', "
              "'poznamka.txt']\nkeep me " +
                  std::to_string(contents[0].size()) + "\n");
}

TEST_F(ZalohaTest, UnreadableOldArchiveIsReplacedByAFreshOne) {
    writeFile(archive(), "this is not a zip archive at all");
    auto v = Zalohuj(db.string());
    ASSERT_TRUE(v.ok) << v.chyba;
    EXPECT_EQ(entries(python(tmp.path(), kListEntries, archive())).size(), 4u);
}

TEST_F(ZalohaTest, MissingTableFailsAndKeepsTheOldArchive) {
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    const std::string old = readFile(archive());
    fs::remove(db / "cdskladby.mdx");
    writeFile(db / "cddata.DBF", "changed");
    auto v = Zalohuj(db.string());
    EXPECT_FALSE(v.ok);
    EXPECT_NE(v.chyba.find("cdskladby.mdx"), std::string::npos) << v.chyba;
    EXPECT_EQ(readFile(archive()), old);
}

// (The order of closing, gauge and reopening on success and failure is checked with ZipArchiv.)
TEST_F(ZalohaTest, TablesThatCannotBeClosedLeaveEverythingAndAreReopened) {
    for (bool backup : {true, false}) {
        SCOPED_TRACE(backup);
        int reopened = 0;
        ZalohaRizeni r;
        r.zavriTabulky = [] { throw std::runtime_error("tabulku nelze zavřít"); };
        r.otevriTabulky = [&] { ++reopened; };
        auto before = snapshot(db);
        auto v = backup ? Zalohuj(db.string(), r) : Rozbal(db.string(), r);
        EXPECT_FALSE(v.ok);
        EXPECT_EQ(v.chyba, "tabulku nelze zavřít");
        EXPECT_EQ(reopened, 1);
        EXPECT_EQ(snapshot(db), before);
        ASSERT_TRUE(Zalohuj(db.string()).ok);
    }
}

TEST_F(ZalohaTest, RestorePutsBackTheBackedUpTablesUnderTheirOwnNames) {
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    for (const auto& n : kDiskNames) writeFile(db / n, "changed after the backup");
    fs::remove(db / "cdskladby.mdx");
    auto v = Rozbal(db.string());
    ASSERT_TRUE(v.ok) << v.chyba;
    for (std::size_t i = 0; i < kDiskNames.size(); ++i)
        EXPECT_EQ(readFile(db / kDiskNames[i]), contents[i]) << kDiskNames[i];
    // No second spelling next to the engine's files, no temporary leftovers.
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(db)) names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"cddata.DBF", "cdskladby.DBF", "cddata.mdx",
                                            "cdskladby.mdx", "zaloha.zip"}));
}

TEST_F(ZalohaTest, RestoresArchivesOtherToolsWrote) {
    const fs::path src = tmp.sub("src");
    for (std::size_t i = 0; i < kDiskNames.size(); ++i)
        writeFile(src / std::string(lorvika::kSouboryZalohy[i]),
                  "z jiného nástroje " + kDiskNames[i]);
    const std::string files = "cddata.dbf cdskladby.dbf cddata.mdx cdskladby.mdx";
    struct Case {
        const char* name;
        std::string command;
    };
    const Case cases[] = {
        {"zip -9", "cd '" + src.string() + "' && zip -q -9 '" + archive().string() + "' " + files},
        // Written to a stream that cannot seek: sizes and checksums follow the data.
        {"streamed", "cd '" + src.string() + "' && /usr/bin/python3 -c \"" + R"(import sys, zipfile
class Out:
    def __init__(s, f): s.f, s.n = f, 0
    def write(s, b): s.f.write(b); s.n += len(b); return len(b)
    def tell(s): return s.n
    def flush(s): s.f.flush()
with open(sys.argv[1], 'wb') as raw, zipfile.ZipFile(Out(raw), 'w', zipfile.ZIP_DEFLATED) as z:
    for n in sys.argv[2:]:
        z.write(n)
    assert all(i.flag_bits & 8 for i in z.infolist())
)" + "\" '" + archive().string() +
                         "' " + files},
        {"stored", "cd '" + src.string() + "' && zip -q -0 '" + archive().string() + "' " + files},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(archive());
        for (std::size_t i = 0; i < kDiskNames.size(); ++i)
            writeFile(db / kDiskNames[i], contents[i]);
        Cmd made = run(c.command);
        ASSERT_EQ(made.status, 0) << made.out;
        auto v = Rozbal(db.string());
        ASSERT_TRUE(v.ok) << v.chyba;
        for (const auto& n : kDiskNames) EXPECT_EQ(readFile(db / n), "z jiného nástroje " + n);
    }
}

TEST_F(ZalohaTest, HostileArchiveWritesNothingOutsideTheFourTables) {
    const fs::path outside = tmp.path() / "evil.txt";
    const fs::path absolute = tmp.path() / "abs" / "evil.txt";
    fs::create_directories(absolute.parent_path());
    struct Case {
        const char* name;
        bool withGoodEntries;
        bool ok;
    };
    const Case cases[] = {{"good entries among hostile ones", true, true},
                          {"only hostile entries", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string script = "import sys, zipfile\nwith zipfile.ZipFile(sys.argv[1], 'w') as z:\n";
        for (const char* n : {"../evil.txt", "../cddata.dbf", "sub/cdskladby.dbf", "db/../../x"})
            script += std::string("    z.writestr(zipfile.ZipInfo('") + n + "'), 'evil')\n";
        script += "    z.writestr(zipfile.ZipInfo('" + absolute.string() + "'), 'evil')\n";
        script += "    z.writestr('cdpuj.dbf', 'not restored')\n";
        if (c.withGoodEntries)
            for (const char* n : {"cddata.dbf", "cdskladby.dbf", "cddata.mdx", "cdskladby.mdx"})
                script += std::string("    z.writestr('") + n + "', 'restored " + n + "')\n";
        ASSERT_EQ(python(tmp.path(), script, archive()).status, 0);
        fs::remove(absolute);

        auto before = snapshot(db);
        auto v = Rozbal(db.string());
        EXPECT_EQ(v.ok, c.ok) << v.chyba;
        EXPECT_FALSE(fs::exists(outside));
        EXPECT_FALSE(fs::exists(absolute));
        EXPECT_FALSE(fs::exists(tmp.path() / "x"));
        auto after = snapshot(db);
        // A restore that did not happen leaves only its empty sign.
        if (!c.ok) after.erase(std::string(lorvika::dbf::kRestoreFolder));
        if (c.ok) {
            for (auto& [k, val] : before)
                if (k != "zaloha.zip") val = "restored " + fs::path(k).filename().string();
            before["cddata.DBF"] = "restored cddata.dbf";
            before["cdskladby.DBF"] = "restored cdskladby.dbf";
        }
        EXPECT_EQ(after, before);
    }
}

TEST_F(ZalohaTest, DamagedArchiveLeavesTablesByteIdentical) {
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    const std::string good = readFile(archive());
    for (const auto& n : kDiskNames) writeFile(db / n, "current " + n);

    auto flipInData = [&](std::string a) {
        // Inside the compressed data of the second entry, past its local header.
        std::size_t pos = a.find("cdskladby.dbf") + 200;
        a[pos] ^= 0x5A;
        a[pos + 1] ^= 0x33;
        return a;
    };
    auto dropEntry = [&](const std::string&) {
        writeFile(tmp.path() / "good.zip", good);
        Cmd c = python(tmp.path(), R"(import sys, zipfile
src = zipfile.ZipFile(sys.argv[1].replace('missing.zip', 'good.zip'))
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for i in src.infolist():
        if i.filename != 'cddata.mdx':
            z.writestr(i, src.read(i))
)",
                       tmp.path() / "missing.zip");
        EXPECT_EQ(c.status, 0) << c.out;
        return readFile(tmp.path() / "missing.zip");
    };
    struct Case {
        const char* name;
        std::function<std::string(const std::string&)> damage;
    };
    const std::vector<Case> cases = {
        {"flipped bytes", flipInData},
        {"truncated", [](const std::string& a) { return a.substr(0, a.size() * 2 / 3); }},
        {"missing entry", dropEntry},
        {"not a zip", [](const std::string&) { return std::string("garbage"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(archive(), c.damage(good));
        auto before = snapshot(db);
        std::vector<int> values;
        ZalohaRizeni r;
        r.postup = [&](const ZipProgress&, int v) { values.push_back(v); };
        auto v = Rozbal(db.string(), r);
        EXPECT_FALSE(v.ok);
        EXPECT_NE(v.chyba.find("zaloha.zip"), std::string::npos) << v.chyba;
        // Only the sign of a restore that did not happen, empty.
        auto after = snapshot(db);
        after.erase(std::string(lorvika::dbf::kRestoreFolder));
        before.erase(std::string(lorvika::dbf::kRestoreFolder));
        EXPECT_EQ(after, before);
        for (int x : values) EXPECT_LT(x, 100);
    }
}

}  // namespace

TEST_F(ZalohaTest, TablesAnotherProgramHoldsAreNeitherArchivedNorReplaced) {
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    for (const auto& n : kDiskNames) writeFile(db / n, "written by the running program");
    // Another running program has the album table open, as the engine holds it.
    const int held = ::open((db / "cddata.DBF").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    for (bool backup : {true, false}) {
        SCOPED_TRACE(backup);
        int reopened = 0;
        ZalohaRizeni r;
        r.otevriTabulky = [&] { ++reopened; };
        const auto before = snapshot(db);
        const auto v = backup ? Zalohuj(db.string(), r) : Rozbal(db.string(), r);
        EXPECT_FALSE(v.ok);
        EXPECT_EQ(v.chyba, "Tabulka cddata.DBF: databázi používá jiný spuštěný program.");
        EXPECT_EQ(reopened, 1);
        EXPECT_EQ(snapshot(db), before);
    }
    ::close(held);
    ASSERT_TRUE(Rozbal(db.string()).ok);
    EXPECT_EQ(readFile(db / "cddata.DBF"), contents[0]);
}

// A restore killed while it extracts changed nothing and keeps the automatic backup away; one
// cut short after its completion mark is finished by the next opening, all four files at once.
TEST_F(ZalohaTest, ARestoreCutShortIsDroppedOrFinishedAsOneStep) {
    namespace dbf = lorvika::dbf;
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    for (const auto& n : kDiskNames) writeFile(db / n, "current " + n);
    const pid_t child = ::fork();
    if (child == 0) {
        ZalohaRizeni r;
        int soubory = 0;
        r.postup = [&](const ZipProgress& p, int) {
            if (p.kind == ZipProgressKind::NewFile && ++soubory == 3) ::_exit(0);
        };
        Rozbal(db.string(), r);
        ::_exit(1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(dbf::finishStaged(db.string(), dbf::kRestoreFolder), dbf::StagedState::NotDone);
    for (const auto& n : kDiskNames) EXPECT_EQ(readFile(db / n), "current " + n) << n;
    EXPECT_TRUE(dbf::stagedNotDone(db.string(), dbf::kRestoreFolder));
    EXPECT_TRUE(fs::is_empty(db / std::string(dbf::kRestoreFolder)));

    // The third file cannot take its place: the set is decided, the opening completes it.
    writeFile(db / "cdzmena.jrn", "journal of the replaced tables");
    fs::remove(db / kDiskNames[2]);
    fs::create_directories(db / kDiskNames[2] / "prekazka");
    const auto v = Rozbal(db.string());
    EXPECT_FALSE(v.ok);
    EXPECT_NE(v.chyba.find("příštím otevření"), std::string::npos) << v.chyba;
    fs::remove_all(db / kDiskNames[2]);
    EXPECT_EQ(dbf::finishStaged(db.string(), dbf::kRestoreFolder), dbf::StagedState::Finished);
    for (std::size_t i = 0; i < kDiskNames.size(); ++i)
        EXPECT_EQ(readFile(db / kDiskNames[i]), contents[i]) << kDiskNames[i];
    EXPECT_FALSE(fs::exists(db / "cdzmena.jrn"));
    EXPECT_FALSE(dbf::stagedNotDone(db.string(), dbf::kRestoreFolder));
}

TEST_F(ZalohaTest, ABackupKeepsThePreviousArchiveAndClearsAFailedRestoresSign) {
    namespace dbf = lorvika::dbf;
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    const std::string prvni = readFile(archive());
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    EXPECT_EQ(readFile(archive()), prvni) << "nothing changed, nothing rewritten";
    EXPECT_FALSE(fs::exists(db / "zaloha-predchozi.zip"));
    writeFile(db / kDiskNames[1], "tracks changed");
    fs::create_directories(db / std::string(dbf::kRestoreFolder));
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    EXPECT_EQ(readFile(db / "zaloha-predchozi.zip"), prvni);
    EXPECT_NE(readFile(archive()), prvni);
    EXPECT_FALSE(fs::exists(db / "zaloha-nova.zip"));
    EXPECT_FALSE(dbf::stagedNotDone(db.string(), dbf::kRestoreFolder));
    ASSERT_TRUE(Rozbal(db.string()).ok);
    EXPECT_EQ(readFile(db / kDiskNames[1]), "tracks changed");
}

TEST_F(ZalohaTest, ArchiveInOtherLetterCaseServesBackupAndRestore) {
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    fs::rename(archive(), db / "ZALOHA.ZIP");
    for (const auto& n : kDiskNames) writeFile(db / n, "changed after the backup");
    const auto v = Rozbal(db.string());
    ASSERT_TRUE(v.ok) << v.chyba;
    for (std::size_t i = 0; i < kDiskNames.size(); ++i)
        EXPECT_EQ(readFile(db / kDiskNames[i]), contents[i]) << kDiskNames[i];
    writeFile(db / "cddata.DBF", "newer content");
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    EXPECT_FALSE(fs::exists(archive())) << "a second archive beside the first";
    ASSERT_TRUE(Rozbal(db.string()).ok);
    EXPECT_EQ(readFile(db / "cddata.DBF"), "newer content");
}

TEST_F(ZalohaTest, NextBackupRemovesWhatStoppedBackupsLeft) {
    const std::vector<std::string> leftovers = {"zaloha.zip.Ab12Cd", "zaloha.zip.zzzzzz"};
    const std::vector<std::string> others = {"zaloha.zip.old", "stara-zaloha.zip.Ab12Cd",
                                             "zaloha.zip.Ab12Cd.txt", "A1B2.txt.Ab12Cd"};
    for (const auto& n : leftovers) writeFile(db / n, std::string(1000, 'p'));
    for (const auto& n : others) writeFile(db / n, "keep");
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    for (const auto& n : leftovers) EXPECT_FALSE(fs::exists(db / n)) << n;
    for (const auto& n : others) EXPECT_EQ(readFile(db / n), "keep") << n;
}
namespace {

const char* kReadEntry = R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    sys.stdout.buffer.write(z.read(sys.argv[2]))
)";

// The originals kept before a conversion: every table file there is, never replaced later, and
// never touched by a backup.
TEST_F(ZalohaTest, OriginalsAreKeptOnceAndBackupsLeaveThemAlone) {
    fs::remove(db / "cdskladby.mdx");  // an old database may lack an index file
    writeFile(db / "cddata.cpg", "1250");
    const fs::path kept = db / "pred-prevodem.zip";
    ASSERT_TRUE(lorvika::Uschovej(db.string(), "pred-prevodem.zip"));

    auto rows = entries(python(tmp.path(), kListEntries, kept));
    std::vector<std::string> names;
    for (const auto& r : rows) names.push_back(r.at(0));
    EXPECT_EQ(names, (std::vector<std::string>{"cddata.DBF", "cddata.mdx", "cddata.cpg",
                                               "cdskladby.DBF"}));
    writeFile(tmp.path() / "read.py", kReadEntry);
    EXPECT_EQ(run("/usr/bin/python3 '" + (tmp.path() / "read.py").string() + "' '" + kept.string() +
                  "' cddata.DBF")
                  .out,
              contents[0]);

    const std::string archived = readFile(kept);
    writeFile(db / "cddata.DBF", "converted");
    EXPECT_FALSE(lorvika::Uschovej(db.string(), "pred-prevodem.zip"));
    EXPECT_FALSE(lorvika::Uschovej(db.string(), "PRED-PREVODEM.ZIP"));
    writeFile(db / "cdskladby.mdx", "index");
    ASSERT_TRUE(Zalohuj(db.string()).ok);
    EXPECT_EQ(readFile(kept), archived);
}

TEST_F(ZalohaTest, KeepingFailsWithoutLeavingAnArchive) {
    for (const auto& n : kDiskNames) fs::remove(db / n);
    EXPECT_THROW(lorvika::Uschovej(db.string(), "pred-prevodem.zip"), std::runtime_error);
    EXPECT_FALSE(fs::exists(db / "pred-prevodem.zip"));
}

}  // namespace
