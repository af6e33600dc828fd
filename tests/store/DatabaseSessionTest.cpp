#include "store/DatabaseSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "store/Catalogue.h"
#include "store/Ini.h"
#include "support/FakeDialogs.h"
#include "support/FakeMessages.h"
#include "support/FakeSessionServices.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;
using test::FakeArchive;
using test::FakeDialogs;
using test::FakeMessages;
using test::FakeStatusLine;
using test::TestDir;

const std::string kProblem = "Problémy při otevření databáze\r";

using test::readFile;
using test::writeFile;

std::vector<std::string> columnNames(const dbf::Cursor& c) {
    std::vector<std::string> out;
    for (const dbf::FieldDef& f : c.fields()) out.push_back(f.name);
    return out;
}

std::vector<std::string> catalogueNames(const std::vector<SloupecKatalogu>& cols) {
    std::vector<std::string> out;
    for (const SloupecKatalogu& s : cols) out.push_back(s.pole.name);
    return out;
}

// ---------------------------------------------------------------------------------------------

struct ShortenCase {
    int n;
    std::string path;
    char sep;
    std::string expected;
};

class ZkratCestuTest : public ::testing::TestWithParam<ShortenCase> {};

TEST_P(ZkratCestuTest, Shortens) {
    const ShortenCase& c = GetParam();
    EXPECT_EQ(c.expected, DatabaseSession::ZkratCestu(c.n, c.path, c.sep));
}

const std::string k39 = "/home/pavel/Hudba/Sbírka/Rock/Starší/ab";  // 39 characters
const std::string k40 = k39 + "c";

INSTANTIATE_TEST_SUITE_P(
    Examples, ZkratCestuTest,
    ::testing::Values(ShortenCase{30, "C:\\Program Files\\Sbírka\\Hudba\\Rock", '\\',
                                  "C:\\..\\Sbírka\\Hudba\\Rock"},
                      ShortenCase{40, "C:", '\\', "C:\\"}, ShortenCase{40, "/a", '/', "/a/"},
                      ShortenCase{40, "", '/', ""},
                      // 39 characters but more bytes: letters are counted, not bytes
                      ShortenCase{40, k39, '/', k39},
                      ShortenCase{40, k40, '/', "/ho../Hudba/Sbírka/Rock/Starší/abc"},
                      ShortenCase{30, "/home/pavel/Hudba/Sbírka/Rock/Starší", '/',
                                  "/ho../Sbírka/Rock/Starší"},
                      // nothing left to cut at: the last n - 4 characters of the rest
                      ShortenCase{10, "C:\\abcdefghijklmnop", '\\', "C:\\..klmnop"},
                      ShortenCase{10, "C:\\abc\\defghijklmnop", '\\', "C:\\..klmnop"},
                      ShortenCase{10, "C:\\ábcdéfghíjklmnóp", '\\', "C:\\..klmnóp"}));

// ---------------------------------------------------------------------------------------------

struct RecentCase {
    std::string name;
    std::vector<std::string> before;  // ZO1..ZO6
    std::string opened;
    std::vector<std::string> after;
};

class ZapamatujDBTest : public ::testing::TestWithParam<RecentCase> {};

TEST_P(ZapamatujDBTest, UpdatesSlots) {
    const RecentCase& c = GetParam();
    TestDir tmp;
    const std::string ini = (tmp.path() / "lorvika.ini").string();
    for (int j = 0; j < 6; ++j) {
        if (!c.before[j].empty())
            ZapisText(ini, "Predchozi DB", "ZO" + std::to_string(j + 1), c.before[j]);
    }
    DatabaseSession::ZapamatujDB(ini, c.opened);
    for (int j = 0; j < 6; ++j) {
        EXPECT_EQ(c.after[j], CtiText(ini, "Predchozi DB", "ZO" + std::to_string(j + 1), ""))
            << "slot " << j + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ZapamatujDBTest,
    ::testing::Values(
        RecentCase{"EmptyList", {"", "", "", "", "", ""}, "/a", {"/a", "", "", "", "", ""}},
        RecentCase{
            "AlreadyFirst", {"/a", "/b", "/c", "", "", ""}, "/a", {"/a", "/b", "/c", "", "", ""}},
        RecentCase{"FromSlot3",
                   {"/a", "/b", "/c", "/d", "/e", "/f"},
                   "/c",
                   {"/c", "/a", "/b", "/d", "/e", "/f"}},
        RecentCase{"FromSlot6",
                   {"/a", "/b", "/c", "/d", "/e", "/f"},
                   "/f",
                   {"/f", "/a", "/b", "/c", "/d", "/e"}},
        RecentCase{"NewOneOldestFallsOut",
                   {"/a", "/b", "/c", "/d", "/e", "/f"},
                   "/g",
                   {"/g", "/a", "/b", "/c", "/d", "/e"}},
        RecentCase{"LetterCaseCounts",
                   {"/data/rock", "", "", "", "", ""},
                   "/data/Rock",
                   {"/data/Rock", "/data/rock", "", "", "", ""}},
        // with a duplicate, the highest slot holding it is the one taken out
        RecentCase{"DuplicateHighestSlot",
                   {"/b", "/a", "/c", "/a", "", ""},
                   "/a",
                   {"/a", "/b", "/a", "/c", "", ""}}),
    [](const auto& info) { return info.param.name; });

TEST(MenuPredchoziTest, ShowsSlotsTwoToSixShortenedAndHidesEmptyOnes) {
    TestDir tmp;
    const std::string ini = (tmp.path() / "lorvika.ini").string();
    const std::string longPath = "/home/pavel/Hudba/Sbírka/Rock/Starší/alba/2024";
    ZapisText(ini, "Predchozi DB", "ZO1", "/current");
    ZapisText(ini, "Predchozi DB", "ZO2", "/data/b");
    ZapisText(ini, "Predchozi DB", "ZO3", longPath);
    ZapisText(ini, "Predchozi DB", "ZO5", "/data/e");
    std::vector<PredchoziDB> m = DatabaseSession::MenuPredchozi(ini);
    ASSERT_EQ(5u, m.size());
    EXPECT_EQ("/data/b", m[0].text);
    EXPECT_TRUE(m[0].visible);
    EXPECT_EQ(longPath, m[1].adresar);
    EXPECT_EQ(DatabaseSession::ZkratCestu(40, longPath), m[1].text);
    EXPECT_NE(longPath, m[1].text);
    EXPECT_FALSE(m[2].visible);
    EXPECT_EQ("/data/e", m[3].text);
    EXPECT_FALSE(m[4].visible);
}

// ---------------------------------------------------------------------------------------------

class SessionTest : public ::testing::Test {
  protected:
    SessionTest()
        : prog(tmp.sub("prog").string()),
          paths(SessionPaths::inDirectory(prog)),
          archive(tmp.path() / "archive-store") {
        session = std::make_unique<DatabaseSession>(paths, msgs, dialogs, status, &archive);
        archive.attach(session.get());
    }

    // A database made by a separate engine, with albums 1..albums each holding two tracks.
    std::string makeDatabase(const std::string& name, int albums) {
        std::string dir = tmp.sub(name).string();
        dbf::Engine engine;
        engine.setLanguageDriver(std::string(kOvladacKatalogu));
        VytvorTabulky(engine, dir);
        PridejSloupce(engine, dir);
        auto data = engine.open(dir, "cddata.DBF");
        auto tracks = engine.open(dir, "cdskladby.DBF");
        for (int i = 1; i <= albums; ++i) {
            data->append();
            data->setInteger("CISLO", i);
            data->setText("ALBUM", "Album " + std::to_string(i));
            data->post();
            for (int t = 1; t <= 2; ++t) {
                tracks->append();
                tracks->setInteger("CD", i);
                tracks->setInteger("CISLO", t);
                tracks->setText("NAME", "Skladba");
                tracks->post();
            }
        }
        return dir;
    }

    // Keeps the first 64 bytes of the album table: the engine cannot read it any more.
    static void damageAlbumTable(const std::string& dir) {
        fs::path p = fs::path(dir) / "cddata.DBF";
        std::string bytes = readFile(p);
        writeFile(p, bytes.substr(0, 64));
    }

    std::string ini(const std::string& section, const std::string& key) {
        return CtiText(paths.iniFile, section, key, "<none>");
    }

    TestDir tmp;
    std::string prog;
    SessionPaths paths;
    FakeMessages msgs;
    FakeDialogs dialogs;
    FakeStatusLine status;
    FakeArchive archive;
    std::unique_ptr<DatabaseSession> session;
};

TEST_F(SessionTest, StartupWithoutSettingCreatesDatabaseInProgramDirectoryWithoutQuestion) {
    ASSERT_TRUE(
        session->NactiDB(CtiText(paths.iniFile, "Databaze", "adresar", prog), false, false));
    EXPECT_TRUE(msgs.shown().empty());
    ASSERT_TRUE(session->jeOtevrena());
    EXPECT_EQ(catalogueNames(SloupceAlb()), columnNames(*session->TData()));
    EXPECT_EQ(catalogueNames(SloupceSkladeb()), columnNames(*session->TSkladby()));
    for (const dbf::TagDef& t : TagyAlb()) EXPECT_TRUE(session->TData()->hasTag(t.name)) << t.name;
    EXPECT_TRUE(session->TSkladby()->hasTag("CD"));
    EXPECT_EQ(prog, ini("Databaze", "adresar"));
    EXPECT_EQ(prog, ini("Predchozi DB", "ZO1"));
    EXPECT_EQ(prog + "/TXT", CtiText(paths.playerIni, "Databaze", "adresarTXT", ""));
    EXPECT_EQ(prog + "/TXT", session->adresarTXT());
    EXPECT_EQ("Lorvika 1.4 {" + DatabaseSession::ZkratCestu(30, prog) + "} ", session->titulek());
    EXPECT_EQ(std::vector<std::string>{prog}, archive.backups);
    ASSERT_EQ(1u, status.counts.size());
    EXPECT_EQ((FakeStatusLine::Count{1, 0}), status.counts[0]);
}

TEST_F(SessionTest, MissingDirectoryWarnsAndFallsBackToDialogChoice) {
    std::string gone = (tmp.path() / "gone").string();
    msgs.expect("Adresář: " + gone + " neexistuje\rvyber existující adresář !!", MsgKind::Warning,
                kButtonsOK, Sound::Exclamation, MsgButton::OK);
    dialogs.answer(std::nullopt);
    EXPECT_TRUE(session->NactiDB(gone, false, false));
    ASSERT_EQ(1u, dialogs.calls().size());
    EXPECT_EQ(prog, dialogs.calls()[0].start);
    EXPECT_FALSE(dialogs.calls()[0].allowCreate);
    EXPECT_EQ(prog, session->adresar());
    EXPECT_FALSE(fs::exists(gone));
}

TEST_F(SessionTest, MissingDatabaseWithAskWarnsAndChangesNothing) {
    std::string empty = tmp.sub("empty").string();
    msgs.expect("V adresáři: " + empty +
                    " se nenachází hledaná databáze\rnebo neexistují indexové soubory !!",
                MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
    EXPECT_FALSE(session->NactiDB(empty, true, true));
    EXPECT_TRUE(fs::is_empty(empty));
    EXPECT_TRUE(session->adresar().empty());
    EXPECT_FALSE(fs::exists(paths.playerIni));
    EXPECT_FALSE(fs::exists(paths.iniFile));
    EXPECT_TRUE(archive.backups.empty());
}

TEST_F(SessionTest, MissingIndexFileWithAskIsRefusedAndTablesKept) {
    std::string db = makeDatabase("db", 2);
    fs::remove(fs::path(db) / "cddata.mdx");
    std::string before = readFile(fs::path(db) / "cddata.DBF");
    msgs.expect("V adresáři: " + db +
                " se nenachází hledaná databáze\rnebo neexistují indexové soubory !!");
    EXPECT_FALSE(session->NactiDB(db, true, true));
    EXPECT_EQ(before, readFile(fs::path(db) / "cddata.DBF"));
    EXPECT_FALSE(session->jeOtevrena());
}

TEST_F(SessionTest, StartupWithMissingIndexFileOpensTablesAndRebuildsTags) {
    std::string db = makeDatabase("db", 3);
    fs::remove(fs::path(db) / "cddata.mdx");
    fs::remove(fs::path(db) / "cdskladby.mdx");
    ASSERT_TRUE(session->NactiDB(db, false, false));
    EXPECT_EQ(3u, session->pocetCD());
    EXPECT_EQ(6u, session->TSkladby()->recordCount());
    for (const dbf::TagDef& t : TagyAlb()) EXPECT_TRUE(session->TData()->hasTag(t.name)) << t.name;
    EXPECT_TRUE(session->TSkladby()->hasTag("CD"));
    session->TData()->setTag("cislo");
    EXPECT_TRUE(session->TData()->findKey(2));
}

TEST_F(SessionTest, AskedOpeningAnsweredNoChangesNothing) {
    std::string db = makeDatabase("db", 1);
    msgs.expect("Opravdu otevřít databázi v adresáři: " + db + " ?", MsgKind::Confirmation,
                kButtonsYesNo, Sound::Question, MsgButton::No);
    EXPECT_FALSE(session->NactiDB(db, true, true));
    EXPECT_FALSE(session->jeOtevrena());
    EXPECT_TRUE(session->adresar().empty());
    EXPECT_FALSE(fs::exists(paths.playerIni));
    EXPECT_FALSE(fs::exists(paths.iniFile));
}

TEST_F(SessionTest, AskedOpeningAnsweredYesOpensAndRemembers) {
    std::string a = makeDatabase("a", 2);
    std::string b = makeDatabase("b", 5);
    ASSERT_TRUE(session->NactiDB(a, false, false));
    int changes = 0;
    session->setOnChange([&] { ++changes; });
    msgs.expect("Opravdu otevřít databázi v adresáři: " + b + " ?", MsgButton::Yes);
    ASSERT_TRUE(session->NactiDB(b, true, true));
    EXPECT_EQ(1, changes);
    EXPECT_EQ(5u, session->pocetCD());
    EXPECT_EQ(b, ini("Databaze", "adresar"));
    EXPECT_EQ(b, ini("Predchozi DB", "ZO1"));
    EXPECT_EQ(a, ini("Predchozi DB", "ZO2"));
    EXPECT_EQ((std::vector<std::string>{a, b}), archive.backups);
    std::vector<PredchoziDB> menu = session->MenuPredchozi();
    EXPECT_EQ(a, menu[0].adresar);
    EXPECT_FALSE(menu[1].visible);

    // the menu item of the previous database opens it again, with the question
    msgs.expect("Opravdu otevřít databázi v adresáři: " + a + " ?", MsgButton::Yes);
    session->MZO1Click();
    EXPECT_EQ(a, session->adresar());
    EXPECT_EQ(2u, session->pocetCD());
    EXPECT_EQ(b, ini("Predchozi DB", "ZO2"));
    session->MZO4Click();  // empty slot: nothing happens
    EXPECT_EQ(a, session->adresar());
}

TEST_F(SessionTest, AutomaticBackupOffMakesNoBackup) {
    ZapisAnoNe(paths.iniFile, "Zaloha", "automat", false);
    std::string db = makeDatabase("db", 1);
    ASSERT_TRUE(session->NactiDB(db, false, false));
    EXPECT_TRUE(archive.backups.empty());
}

// What killed backups, packs, conversions and restores left goes at the next opening; after a
// restore that did not happen the automatic backup keeps the archive the user restores from.
TEST_F(SessionTest, OpeningClearsLeftoversAndSparesTheArchiveOfARestoreThatDidNotHappen) {
    const fs::path db = makeDatabase("db", 2);
    const std::vector<std::string> zbytky = {"cddata.DBF.Ab12Cd", "cdskladby.DBF.old.x1y2z3",
                                             "cddata.DBF.tmp",    "pred-prevodem.zip.Qw12Er",
                                             "cddata.cpg.a1b2c3", "zaloha-nova.zip"};
    const std::vector<std::string> zustanou = {"cddata.DBF.bak", "poznamky.txt", "zaloha.zip.old"};
    for (const auto& n : zbytky) writeFile(db / n, "left");
    for (const auto& n : zustanou) writeFile(db / n, "keep");
    const fs::path znameni = db / std::string(dbf::kRestoreFolder);
    fs::create_directories(znameni);
    writeFile(znameni / "cddata.DBF", "half extracted");
    msgs.expect(kZalohaVynechana);
    ASSERT_TRUE(session->NactiDB(db.string(), false, false));
    EXPECT_TRUE(archive.backups.empty());
    EXPECT_EQ(session->pocetCD(), 2u);
    for (const auto& n : zbytky) EXPECT_FALSE(fs::exists(db / n)) << n;
    for (const auto& n : zustanou) EXPECT_TRUE(fs::exists(db / n)) << n;
    EXPECT_TRUE(fs::is_directory(znameni));
    EXPECT_TRUE(fs::is_empty(znameni));
    fs::remove(znameni);
    ASSERT_TRUE(session->NactiDB(db.string(), false, false));
    EXPECT_EQ(archive.backups.size(), 1u);
}

TEST_F(SessionTest, EngineErrorWithoutArchiveOffersAnotherOrNewDatabase) {
    struct Case {
        MsgButton answer;
        bool dialogAllowsCreate;
    };
    for (const Case& c : {Case{MsgButton::Yes, false}, Case{MsgButton::No, true}}) {
        SCOPED_TRACE(c.dialogAllowsCreate ? "No: new database" : "Yes: another database");
        std::string db = makeDatabase(c.dialogAllowsCreate ? "d1" : "d2", 1);
        damageAlbumTable(db);
        msgs.expect(kProblem + "mám otevřít jinou nebo vytvořit novou?", MsgKind::Confirmation,
                    kButtonsYesNo, Sound::Exclamation, c.answer);
        dialogs.answer(std::nullopt);
        std::size_t calls = dialogs.calls().size();
        EXPECT_FALSE(session->NactiDB(db, false, false));
        ASSERT_EQ(calls + 1, dialogs.calls().size());
        EXPECT_EQ(c.dialogAllowsCreate, dialogs.calls().back().allowCreate);
        EXPECT_FALSE(session->jeOtevrena());
        // the player learns the new text directory even though the opening failed
        EXPECT_EQ(db + "/TXT", CtiText(paths.playerIni, "Databaze", "adresarTXT", ""));
        EXPECT_EQ("<none>", ini("Databaze", "adresar"));
        EXPECT_TRUE(archive.restores.empty());
        EXPECT_TRUE(archive.backups.empty());
    }
}

TEST_F(SessionTest, EngineErrorWithArchiveAnsweredYesRestoresAndOpens) {
    std::string db = makeDatabase("db", 4);
    ASSERT_TRUE(session->NactiDB(db, false, false));  // backs up into the fake archive
    session->ZavriTabulky();
    std::ofstream(fs::path(db) / "zaloha.zip") << "present";
    damageAlbumTable(db);
    msgs.expect(kProblem + "mám použít zálohu?", MsgKind::Confirmation, kButtonsYesNo,
                Sound::Exclamation, MsgButton::Yes);
    ASSERT_TRUE(session->NactiDB(db, false, false));
    EXPECT_EQ(std::vector<std::string>{db}, archive.restores);
    EXPECT_EQ(4u, session->pocetCD());
    EXPECT_EQ(2u, archive.backups.size());  // the opening ends with the automatic backup
}

TEST_F(SessionTest, EngineErrorWithArchiveAnsweredNoAsksTheSecondQuestionSilently) {
    std::string db = makeDatabase("db", 1);
    std::ofstream(fs::path(db) / "zaloha.zip") << "present";
    damageAlbumTable(db);
    msgs.expect(kProblem + "mám použít zálohu?", MsgKind::Confirmation, kButtonsYesNo,
                Sound::Exclamation, MsgButton::No);
    msgs.expect(kProblem + "mám otevřít jinou nebo vytvořit novou?", MsgKind::Confirmation,
                kButtonsYesNo, Sound::None, MsgButton::Yes);
    dialogs.answer(std::nullopt);
    EXPECT_FALSE(session->NactiDB(db, false, false));
    EXPECT_TRUE(archive.restores.empty());
}

TEST_F(SessionTest, RestoreThatCannotHelpLeadsToTheSecondQuestion) {
    std::string db = makeDatabase("db", 1);
    std::ofstream(fs::path(db) / "zaloha.zip") << "present";
    damageAlbumTable(db);  // the fake archive holds nothing to restore
    msgs.expect(kProblem + "mám použít zálohu?", MsgButton::Yes);
    msgs.expect(kProblem + "mám otevřít jinou nebo vytvořit novou?", MsgKind::Confirmation,
                kButtonsYesNo, Sound::None, MsgButton::Yes);
    dialogs.answer(std::nullopt);
    EXPECT_FALSE(session->NactiDB(db, false, false));
    EXPECT_EQ(1u, archive.restores.size());
    EXPECT_FALSE(session->jeOtevrena());
}

TEST_F(SessionTest, NewDatabaseQuestionsAndOverwrite) {
    std::string db = makeDatabase("db", 3);
    std::string before = readFile(fs::path(db) / "cddata.DBF");

    dialogs.answer(std::nullopt);  // cancelled
    EXPECT_FALSE(session->DBNewClick());

    dialogs.answer(db);
    msgs.expect("Opravdu vytvořit novou databázi v adresáři: " + db + " ?", MsgKind::Confirmation,
                kButtonsYesNo, Sound::Question, MsgButton::No);
    EXPECT_FALSE(session->DBNewClick());

    dialogs.answer(db);
    msgs.expect("Opravdu vytvořit novou databázi v adresáři: " + db + " ?", MsgButton::Yes);
    msgs.expect("V adresáři: " + db + " se již databáze nachází\rpřepsat ?", MsgKind::Warning,
                kButtonsYesNo, Sound::Exclamation, MsgButton::No);
    EXPECT_FALSE(session->DBNewClick());
    EXPECT_EQ(before, readFile(fs::path(db) / "cddata.DBF"));
    EXPECT_FALSE(session->jeOtevrena());
    EXPECT_FALSE(fs::exists(paths.iniFile));

    dialogs.answer(db);
    msgs.expect("Opravdu vytvořit novou databázi v adresáři: " + db + " ?", MsgButton::Yes);
    msgs.expect("V adresáři: " + db + " se již databáze nachází\rpřepsat ?", MsgButton::Yes);
    EXPECT_TRUE(session->DBNewClick());
    EXPECT_EQ(0u, session->pocetCD());
    EXPECT_EQ(32u, session->TData()->fields().size());
    EXPECT_EQ(6u, session->TSkladby()->fields().size());
    EXPECT_EQ(db, ini("Databaze", "adresar"));
    EXPECT_EQ(db, ini("Predchozi DB", "ZO1"));
    EXPECT_TRUE(archive.backups.empty());  // creating runs no automatic backup
}

TEST_F(SessionTest, NewDatabaseInFreshDirectoryStartsAtLastDirectory) {
    std::string db = makeDatabase("db", 1);
    ASSERT_TRUE(session->NactiDB(db, false, false));
    std::string fresh = (tmp.path() / "nova" / "sbirka").string();
    dialogs.answer(fresh);
    msgs.expect("Opravdu vytvořit novou databázi v adresáři: " + fresh + " ?", MsgButton::Yes);
    ASSERT_TRUE(session->DBNewClick());
    EXPECT_EQ(db, dialogs.calls().back().start);
    EXPECT_TRUE(dialogs.calls().back().allowCreate);
    EXPECT_TRUE(JeDatabaze(fresh));
    EXPECT_EQ(fresh + "/TXT", CtiText(paths.playerIni, "Databaze", "adresarTXT", ""));
    EXPECT_EQ(fresh, session->adresar());
    EXPECT_EQ(db, ini("Predchozi DB", "ZO2"));
}

TEST_F(SessionTest, OpenDialogStartsAtLastDirectoryAndAsks) {
    std::string a = makeDatabase("a", 1);
    std::string b = makeDatabase("b", 2);
    ASSERT_TRUE(session->NactiDB(a, false, false));
    dialogs.answer(b);
    msgs.expect("Opravdu otevřít databázi v adresáři: " + b + " ?", MsgButton::Yes);
    session->DBopenClick();
    EXPECT_EQ(a, dialogs.calls().back().start);
    EXPECT_FALSE(dialogs.calls().back().allowCreate);
    EXPECT_EQ(b, session->adresar());
}

TEST_F(SessionTest, CompactionPacksBothTablesAndReopens) {
    std::string db = makeDatabase("db", 3);
    ASSERT_TRUE(session->NactiDB(db, false, false));
    session->TData()->first();
    session->TData()->remove();
    session->TSkladby()->first();
    session->TSkladby()->remove();
    auto size = [&](const char* f) { return fs::file_size(fs::path(db) / f); };
    auto albumsBefore = size("cddata.DBF");
    auto tracksBefore = size("cdskladby.DBF");
    status.texts.clear();
    const std::string otazka =
        "Provést kompresi databáze? Smazané záznamy budou trvale odstraněny.";
    msgs.expect(otazka, MsgButton::No);
    session->MDKompresClick();
    EXPECT_TRUE(status.texts.empty());
    EXPECT_EQ(size("cddata.DBF"), albumsBefore);
    msgs.expect(otazka, MsgButton::Yes);
    session->MDKompresClick();
    const auto total = size("cddata.DBF") + size("cdskladby.DBF");
    EXPECT_EQ((std::vector<std::string>{"Probíhá komprese AudioCD", "Probíhá komprese Skladeb", "",
                                        "Komprese dokončena: odstraněno záznamů 2, velikost " +
                                            std::to_string(albumsBefore + tracksBefore) + " → " +
                                            std::to_string(total) + " bajtů"}),
              status.texts);
    ASSERT_TRUE(session->jeOtevrena());
    EXPECT_EQ(2u, session->pocetCD());
    EXPECT_EQ(5u, session->TSkladby()->recordCount());
    EXPECT_LT(size("cddata.DBF"), albumsBefore);
    EXPECT_LT(size("cdskladby.DBF"), tracksBefore);
}

// Tables an earlier version wrote under a Czech desktop hold decimal commas: the opening writes
// them with the point, without a question, and says so.
TEST_F(SessionTest, OpeningRewritesNumbersWrittenWithADecimalComma) {
    std::string db = makeDatabase("db", 2);
    const fs::path tracks = fs::path(db) / "cdskladby.DBF";
    std::string bytes = readFile(tracks);
    for (auto at = bytes.find(".0000"); at != std::string::npos; at = bytes.find(".0000", at))
        bytes[at] = ',';
    writeFile(tracks, bytes);
    ASSERT_TRUE(session->NactiDB(db, false, false));
    EXPECT_TRUE(msgs.shown().empty());
    EXPECT_EQ(session->prubeh().prepsanaCisla, 8u);
    const std::string zprava = std::string(kPrepsanaCisla) + "8";
    EXPECT_NE(std::find(status.texts.begin(), status.texts.end(), zprava), status.texts.end());
    EXPECT_EQ(readFile(tracks).find(','), std::string::npos);
    EXPECT_EQ(session->TSkladby()->recordCount(), 4u);
    session->TSkladby()->last();
    EXPECT_EQ(session->TSkladby()->integer("CD"), 2);
    EXPECT_EQ(session->engine().verify(db, "cdskladby.DBF"), std::vector<std::string>{});

    // A second opening finds nothing to rewrite.
    status.texts.clear();
    ASSERT_TRUE(session->NactiDB(db, false, false));
    EXPECT_EQ(session->prubeh().prepsanaCisla, 0u);
    EXPECT_EQ(std::find(status.texts.begin(), status.texts.end(), zprava), status.texts.end());
}

TEST_F(SessionTest, TrackPackRunsOnlyWhenPendingAndAtMostOneChildWindow) {
    std::string db = makeDatabase("db", 2);
    ASSERT_TRUE(session->NactiDB(db, false, false));
    session->TSkladby()->first();
    session->TSkladby()->remove();
    auto tracksBefore = fs::file_size(fs::path(db) / "cdskladby.DBF");
    status.texts.clear();

    EXPECT_FALSE(session->FPackSkladby(1));  // nothing pending
    session->nastavCekaKomprese(true);
    EXPECT_FALSE(session->FPackSkladby(2));  // a data form is still open
    EXPECT_TRUE(session->cekaKomprese());
    EXPECT_TRUE(status.texts.empty());

    EXPECT_TRUE(session->FPackSkladby(1));
    EXPECT_FALSE(session->cekaKomprese());
    EXPECT_EQ((std::vector<std::string>{"Probíhá komprese Skladeb", ""}), status.texts);
    ASSERT_NE(nullptr, session->TSkladby());
    EXPECT_EQ(3u, session->TSkladby()->recordCount());
    EXPECT_LT(fs::file_size(fs::path(db) / "cdskladby.DBF"), tracksBefore);
}

TEST_F(SessionTest, InformationBoxCountsBothTables) {
    std::string db = makeDatabase("db", 3);
    ASSERT_TRUE(session->NactiDB(db, false, false));
    const std::string text =
        "Počet v databázi zapsaných\r  -Audio CD: 3\r  -skladeb: 6\r-- Hobrane --";
    msgs.expect(text, MsgKind::Information, kButtonsOK, Sound::None, MsgButton::OK);
    session->MInfDatabClick();
}

TEST_F(SessionTest, CheckingTheIndexesAddsATagThatWentMissing) {
    std::string db = makeDatabase("db", 2);
    {
        dbf::Engine engine;
        engine.open(db, "cddata.DBF")->deleteTag("zanr");
        engine.open(db, "cdskladby.DBF")->deleteTag("CD");
    }
    ASSERT_TRUE(session->NactiDB(db, false, false));
    EXPECT_TRUE(session->TData()->hasTag("zanr"));
    EXPECT_TRUE(session->TSkladby()->hasTag("CD"));
    EXPECT_EQ((std::vector<std::string>{"cddata.DBF:zanr", "cdskladby.DBF:CD"}),
              session->prubeh().pridaneTagy);
}

TEST_F(SessionTest, DatabaseInUseByAnotherProgramLeadsToTheRecoveryQuestion) {
    std::string db = makeDatabase("db", 1);
    dbf::Engine other;
    auto held = other.open(db, "cddata.DBF");
    msgs.expect(kProblem + "mám otevřít jinou nebo vytvořit novou?", MsgButton::Yes);
    dialogs.answer(std::nullopt);
    EXPECT_FALSE(session->NactiDB(db, false, false));
    EXPECT_FALSE(session->prubeh().chyba.empty());
    EXPECT_EQ(1u, held->recordCount());
}

// Fails the atomic replacement of files while armed.
class FailingRename : public dbf::FileSystem {
  public:
    std::unique_ptr<dbf::File> open(const std::string& path, Mode mode) override {
        return native_->open(path, mode);
    }
    bool exists(const std::string& path) override { return native_->exists(path); }
    void remove(const std::string& path) override { native_->remove(path); }
    void rename(const std::string& from, const std::string& to) override {
        if (armed) throw dbf::EngineError("přejmenování selhalo: " + to);
        native_->rename(from, to);
    }
    void syncDirectory(const std::string& d) override { native_->syncDirectory(d); }
    dbf::FileStamp stamp(const std::string& path) override { return native_->stamp(path); }
    std::string resolve(const std::string& directory, const std::string& name) override {
        return native_->resolve(directory, name);
    }
    bool armed = false;

  private:
    std::shared_ptr<dbf::FileSystem> native_ = dbf::FileSystem::native();
};

TEST_F(SessionTest, FailedCompactionStillReopensTablesAndKeepsData) {
    std::string db = makeDatabase("db", 3);
    auto failing = std::make_shared<FailingRename>();
    session.reset();
    session = std::make_unique<DatabaseSession>(paths, msgs, dialogs, status, &archive, failing);
    archive.attach(session.get());
    ASSERT_TRUE(session->NactiDB(db, false, false));
    session->TData()->first();
    session->TData()->remove();
    status.texts.clear();
    failing->armed = true;
    msgs.expect("Provést kompresi databáze? Smazané záznamy budou trvale odstraněny.",
                MsgButton::Yes);
    EXPECT_THROW(session->MDKompresClick(), dbf::EngineError);
    ASSERT_TRUE(session->jeOtevrena());
    EXPECT_EQ(2u, session->pocetCD());
    EXPECT_EQ("", status.texts.back());

    session->nastavCekaKomprese(true);
    EXPECT_THROW(session->FPackSkladby(1), dbf::EngineError);
    ASSERT_NE(nullptr, session->TSkladby());
    EXPECT_EQ(6u, session->TSkladby()->recordCount());
    EXPECT_EQ("", status.texts.back());
    failing->armed = false;
}

// An archive whose tables cannot be opened again after it ran.
class ArchiveWithoutReopen : public Archive {
  public:
    bool zalohuj(const std::string& dir) override {
        throw dbf::EngineError("cddata.DBF v " + dir + " nelze otevřít");
    }
    bool rozbal(const std::string& dir) override { return zalohuj(dir); }
};

TEST_F(SessionTest, ArchiveFailingToReopenReachesTheErrorDisplayAndKeepsTheQuestion) {
    ArchiveWithoutReopen broken;
    session->setArchive(&broken);
    std::string db = makeDatabase("db", 1);
    // the program is left without its tables: the engine's error goes on to be shown
    try {
        session->NactiDB(db + "/", false, false);
        ADD_FAILURE() << "the failed reopening was swallowed";
    } catch (const dbf::EngineError& e) {
        EXPECT_EQ(std::string(e.what()), "cddata.DBF v " + db + " nelze otevřít");
    }
    EXPECT_EQ(db, session->adresar());
    EXPECT_EQ(std::optional<bool>(false), session->prubeh().zaloha);

    session->ZavriTabulky();
    std::ofstream(fs::path(db) / "zaloha.zip") << "present";
    damageAlbumTable(db);
    msgs.expect(kProblem + "mám použít zálohu?", MsgButton::Yes);
    msgs.expect(kProblem + "mám otevřít jinou nebo vytvořit novou?", MsgButton::Yes);
    dialogs.answer(std::nullopt);
    EXPECT_FALSE(session->NactiDB(db, false, false));
}

TEST_F(SessionTest, ALoneTableIsNeverOverwrittenWithoutAsking) {
    std::string db = makeDatabase("db", 2);
    fs::remove(fs::path(db) / "cdskladby.DBF");
    fs::remove(fs::path(db) / "cdskladby.mdx");
    const std::string albums = readFile(fs::path(db) / "cddata.DBF");

    // at start-up the opening fails and offers the ways out instead of creating anew
    msgs.expect(kProblem + "mám otevřít jinou nebo vytvořit novou?", MsgKind::Confirmation,
                kButtonsYesNo, Sound::Exclamation, MsgButton::Yes);
    dialogs.answer(std::nullopt);
    EXPECT_FALSE(session->NactiDB(db, false, false));
    EXPECT_EQ(albums, readFile(fs::path(db) / "cddata.DBF"));
    EXPECT_FALSE(fs::exists(fs::path(db) / "cdskladby.DBF"));

    // creating a database there asks before the albums are replaced
    dialogs.answer(db);
    msgs.expect("Opravdu vytvořit novou databázi v adresáři: " + db + " ?", MsgButton::Yes);
    msgs.expect("V adresáři: " + db + " se již databáze nachází\rpřepsat ?", MsgButton::No);
    EXPECT_FALSE(session->DBNewClick());
    EXPECT_EQ(albums, readFile(fs::path(db) / "cddata.DBF"));
}

}  // namespace
}  // namespace lorvika
