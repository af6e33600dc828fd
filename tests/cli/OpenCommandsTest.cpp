#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/Commands.h"
#include "cli/OpenServices.h"
#include "export/Zaloha.h"
#include "export/ZipArchiv.h"
#include "store/Catalogue.h"
#include "store/Ini.h"
#include "store/Paths.h"
#include "store/dbf/Engine.h"
#include "support/FakeDialogs.h"
#include "support/FakeMessages.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace lorvika::cli {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome run(int (*command)(const Args&, std::ostream&, std::ostream&), const Args& args) {
    std::ostringstream out, err;
    int code = command(args, out, err);
    return {code, out.str(), err.str()};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

using test::readFile;
using test::writeFile;

class OpenCommandsTest : public ::testing::Test {
  protected:
    // A catalogue with albums 1..n, two tracks each.
    std::string database(const std::string& name, int albums) {
        std::string dir = tmp.sub(name).string();
        dbf::Engine engine;
        engine.setLanguageDriver(std::string(kOvladacKatalogu));
        VytvorTabulky(engine, dir);
        PridejSloupce(engine, dir);
        auto data = engine.open(dir, std::string(kSouborAlb));
        auto tracks = engine.open(dir, std::string(kSouborSkladeb));
        for (int i = 1; i <= albums; ++i) {
            data->append();
            data->setInteger("CISLO", i);
            data->setText("ALBUM", "Žluťoučký kůň " + std::to_string(i));
            data->setText("SN", "SN" + std::to_string(i));
            data->post();
            for (int t = 1; t <= 2; ++t) {
                tracks->append();
                tracks->setInteger("CD", i);
                tracks->setInteger("CISLO", t);
                tracks->post();
            }
        }
        return dir;
    }

    test::TestDir tmp;
};

TEST_F(OpenCommandsTest, UsageErrors) {
    using Command = int (*)(const Args&, std::ostream&, std::ostream&);
    for (Command c : {&runOpen, &runBackup, &runRestore, &runPack}) {
        for (const Args& a : {Args{}, Args{"a", "b"}, Args{"--x"}, Args{""}}) {
            EXPECT_EQ(kUsage, run(c, a).code);
        }
    }
}

TEST_F(OpenCommandsTest, OpenRefusesDirectoryWithoutDatabase) {
    std::string empty = tmp.sub("empty").string();
    Outcome r = run(&runOpen, {empty});
    EXPECT_EQ(kProblem, r.code);
    EXPECT_TRUE(fs::is_empty(empty));
    EXPECT_EQ(kProblem, run(&runOpen, {(tmp.path() / "none").string()}).code);
    EXPECT_FALSE(fs::exists(programIniPath()));
}

TEST_F(OpenCommandsTest, OpenChecksRemembersAndBacksUp) {
    std::string db = database("db", 3);
    fs::remove(fs::path(db) / "cddata.mdx");
    Outcome r = run(&runOpen, {db});
    ASSERT_EQ(kOk, r.code) << r.err;
    EXPECT_TRUE(contains(r.out, "Otevřena databáze: " + db + " (AudioCD: 3, skladeb: 6)")) << r.out;
    EXPECT_TRUE(contains(r.out, "Záloha uložena do zaloha.zip")) << r.out;
    EXPECT_TRUE(fs::exists(fs::path(db) / "zaloha.zip"));
    EXPECT_TRUE(fs::exists(fs::path(db) / "cddata.mdx"));
    EXPECT_EQ(db, CtiText(programIniPath(), "Databaze", "adresar", ""));
    EXPECT_EQ(db, CtiText(programIniPath(), "Predchozi DB", "ZO1", ""));
    // the engine settings found before are remembered, as the program does at start
    EXPECT_EQ("DB852CZ0", CtiText(programIniPath(), "DBF", "DBFDriver", ""));
    EXPECT_EQ("5", CtiText(programIniPath(), "DBF", "DBFLevel", ""));
    EXPECT_EQ(db + "/TXT",
              CtiText(programDirectory() + "/sonorek.ini", "Databaze", "adresarTXT", ""));

    ZapisAnoNe(programIniPath(), "Zaloha", "automat", false);
    fs::remove(fs::path(db) / "zaloha.zip");
    r = run(&runOpen, {db});
    ASSERT_EQ(kOk, r.code) << r.err;
    EXPECT_TRUE(contains(r.out, "Automatická záloha je vypnuta")) << r.out;
    EXPECT_FALSE(fs::exists(fs::path(db) / "zaloha.zip"));
}

TEST_F(OpenCommandsTest, OpenOfDamagedTableFailsAndAsksNothingElse) {
    std::string db = database("db", 1);
    fs::path table = fs::path(db) / "cddata.DBF";
    std::string bytes = readFile(table);
    writeFile(table, bytes.substr(0, 64));
    Outcome r = run(&runOpen, {db});
    EXPECT_EQ(kProblem, r.code);
    EXPECT_TRUE(contains(r.err, "Problémy při otevření databáze")) << r.err;
    EXPECT_TRUE(contains(r.err, "nelze otevřít")) << r.err;
    EXPECT_EQ(bytes.substr(0, 64), readFile(table));
}

TEST_F(OpenCommandsTest, BackupDamageRestore) {
    std::string db = database("db", 2);
    Outcome b = run(&runBackup, {db});
    ASSERT_EQ(kOk, b.code) << b.err;
    EXPECT_TRUE(fs::exists(fs::path(db) / "zaloha.zip"));

    fs::path table = fs::path(db) / "cddata.DBF";
    const std::string good = readFile(table);
    writeFile(table, "poškozeno");
    Outcome r = run(&runRestore, {db});
    ASSERT_EQ(kOk, r.code) << r.err;
    EXPECT_TRUE(contains(r.out, "AudioCD: 2, skladeb: 4")) << r.out;
    EXPECT_EQ(good, readFile(table));
    // the player's files are written again after a restore
    EXPECT_TRUE(fs::exists(fs::path(db) / "TXT" / "SN1.txt"));

    std::string other = database("other", 1);
    EXPECT_EQ(kProblem, run(&runRestore, {other}).code);  // no archive there
    EXPECT_EQ(kProblem, run(&runBackup, {tmp.sub("empty").string()}).code);
}

// A removal the program left unfinished belongs to the tables the archive replaces: after the
// restore, the next opening must not delete that album from the restored tables.
TEST_F(OpenCommandsTest, RestoreDropsAnUnfinishedRemoval) {
    std::string db = database("db", 2);
    ASSERT_EQ(kOk, run(&runBackup, {db}).code);
    writeFile(fs::path(db) / "cdodstran.jrn", "2\n\n");
    Outcome r = run(&runRestore, {db});
    ASSERT_EQ(kOk, r.code) << r.err;
    EXPECT_FALSE(fs::exists(fs::path(db) / "cdodstran.jrn"));
    Outcome o = run(&runOpen, {db});
    ASSERT_EQ(kOk, o.code) << o.err;
    dbf::Engine engine;
    auto data = engine.open(db, std::string(kSouborAlb));
    EXPECT_EQ(2u, data->recordCount());
    EXPECT_TRUE(NajdiCD(2, "cislo", *data));
}

TEST_F(OpenCommandsTest, PackDropsDeletedRecords) {
    std::string db = database("db", 4);
    {
        dbf::Engine engine;
        auto tracks = engine.open(db, std::string(kSouborSkladeb));
        tracks->first();
        tracks->remove();
        tracks->remove();
    }
    auto size = fs::file_size(fs::path(db) / "cdskladby.DBF");
    Outcome r = run(&runPack, {db});
    ASSERT_EQ(kOk, r.code) << r.err;
    EXPECT_TRUE(contains(r.out, "Probíhá komprese Skladeb")) << r.out;
    EXPECT_TRUE(contains(r.out, "záznamů: 6")) << r.out;
    EXPECT_LT(fs::file_size(fs::path(db) / "cdskladby.DBF"), size);
}

TEST_F(OpenCommandsTest, OpenWritesThePlayerFilesAlbumsLack) {
    std::string db = database("db", 3);
    const fs::path txt = fs::path(db) / "TXT";
    fs::create_directories(txt);
    // Album 2 was stored, then the program died while its file was being written.
    writeFile(txt / "SN1.txt", "[CD]\r\nalbum=Žluťoučký kůň 1\r\n");
    writeFile(txt / "SN2.txt.x7Yq2Z", "[CD]\r\nalb");
    Outcome r = run(&runOpen, {db});
    ASSERT_EQ(kOk, r.code) << r.err;
    EXPECT_TRUE(contains(r.out, "Zapsány chybějící soubory pro Sonorek: 2")) << r.out;
    EXPECT_FALSE(fs::exists(txt / "SN2.txt.x7Yq2Z"));
    EXPECT_EQ("Žluťoučký kůň 2", CtiText((txt / "SN2.txt").string(), "CD", "album", ""));
    EXPECT_TRUE(fs::exists(txt / "SN3.txt"));
    r = run(&runOpen, {db});
    EXPECT_FALSE(contains(r.out, "Sonorek")) << r.out;
}

TEST_F(OpenCommandsTest, RestoreRefusesWhileAnotherProgramHasTheDatabase) {
    std::string db = database("db", 2);
    ASSERT_EQ(kOk, run(&runBackup, {db}).code);
    // Another running program has the catalogue open and adds an album.
    dbf::Engine other;
    auto albums = other.open(db, std::string(kSouborAlb));
    albums->append();
    albums->setInteger("CISLO", 3);
    albums->post();
    const std::string written = readFile(fs::path(db) / "cddata.DBF");
    Outcome r = run(&runRestore, {db});
    EXPECT_EQ(kProblem, r.code);
    EXPECT_TRUE(contains(r.err, "databázi používá jiný spuštěný program")) << r.err;
    EXPECT_EQ(written, readFile(fs::path(db) / "cddata.DBF"));
    r = run(&runBackup, {db});
    EXPECT_EQ(kProblem, r.code);
    EXPECT_TRUE(contains(r.err, "databázi používá jiný spuštěný program")) << r.err;
    albums.reset();
    other.releaseUnused();
    EXPECT_EQ(kOk, run(&runRestore, {db}).code);
    EXPECT_NE(written, readFile(fs::path(db) / "cddata.DBF"));
}

TEST_F(OpenCommandsTest, BackupOfTheOpeningHoldsIndexesMatchingTheirTables) {
    std::string db = database("db", 3);
    ASSERT_EQ(kOk, run(&runOpen, {db}).code);
    const std::string copy = tmp.sub("copy").string();
    fs::copy_file(fs::path(db) / "zaloha.zip", fs::path(copy) / "zaloha.zip");
    ASSERT_TRUE(Rozbal(copy).ok);
    Outcome r = run(&runCheck, {copy});
    EXPECT_EQ(kOk, r.code) << r.out;
    EXPECT_TRUE(contains(r.out, "Databáze je v pořádku")) << r.out;
}

// The program's wiring: the session with the zip archive around its tables.
TEST_F(OpenCommandsTest, DamagedTableIsRestoredFromTheAutomaticBackup) {
    std::string db = database("db", 3);
    test::FakeMessages msgs;
    test::FakeDialogs dialogs;
    std::ostringstream shown;
    StreamStatus status(shown);
    DatabaseSession session(SessionPaths::inDirectory(programDirectory()), msgs, dialogs, status);
    ZipArchiv archive(
        status, [&] { session.ZavriTabulky(); }, [&] { reopenQuietly(session); });
    session.setArchive(&archive);

    ASSERT_TRUE(session.NactiDB(db, false, false));
    ASSERT_EQ(std::optional<bool>(true), session.prubeh().zaloha);
    session.ZavriTabulky();
    fs::path table = fs::path(db) / "cddata.DBF";
    const std::string good = readFile(table);
    writeFile(table, good.substr(0, 64));

    msgs.expect("Problémy při otevření databáze\rmám použít zálohu?", MsgButton::Yes);
    ASSERT_TRUE(session.NactiDB(db, false, false));
    EXPECT_EQ(3u, session.pocetCD());
    EXPECT_EQ(6u, session.TSkladby()->recordCount());
    EXPECT_EQ(good, readFile(table));
    EXPECT_TRUE(contains(shown.str(), "nahrazuji databázi zálohou..")) << shown.str();
}

}  // namespace
}  // namespace lorvika::cli
