#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Commands.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace lorvika::cli {
namespace {

using Command = int (*)(const Args&, std::ostream&, std::ostream&);

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result call(Command command, const Args& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = command(args, out, err);
    return {code, out.str(), err.str()};
}

using test::readFile;

struct Album {
    int cislo;
    std::string artist;
    std::string album;
};

// Fills the catalogue through an engine of its own, closed again before a command runs.
void fill(const std::string& dir, const std::vector<Album>& albums, int tracks,
          int deleteAlbum = 0) {
    dbf::Engine engine;
    auto c = engine.open(dir, std::string(kSouborAlb));
    for (const auto& a : albums) {
        c->append();
        c->setInteger("CISLO", a.cislo);
        c->setText("ARTIST", a.artist);
        c->setText("ALBUM", a.album);
        c->post();
    }
    for (c->first(); !c->eof(); c->next()) {
        if (c->integer("CISLO") == deleteAlbum) {
            c->remove();
            break;
        }
    }
    auto t = engine.open(dir, std::string(kSouborSkladeb));
    for (int i = 0; i < tracks; ++i) {
        t->append();
        t->setInteger("CD", 1);
        t->setInteger("CISLO", i + 1);
        t->post();
    }
}

class Cli : public ::testing::Test {
  protected:
    void create() { ASSERT_EQ(call(runCreate, {db}).code, kOk); }
    test::TestDir tmp;
    std::string db = (tmp.path() / "sbírka" / "rock").string();
};

TEST_F(Cli, BadUsageIsTwo) {
    const std::pair<Command, Args> cases[] = {
        {runCreate, {}},
        {runCreate, {"a", "b"}},
        {runCreate, {"--force"}},
        {runInfo, {}},
        {runInfo, {db, db}},
        {runCheck, {}},
        {runCheck, {"--oprav", db}},
        {runCheck, {db, db}},
        {runDump, {db}},
        {runDump, {db, "cdpuj"}},
        {runDump, {db, "cddata", "--tag"}},
        {runDump, {db, "cddata", "--tag", "a", "--tag", "b"}},
        {runDump, {db, "cddata", "navic"}},
    };
    for (const auto& [command, args] : cases) {
        const auto r = call(command, args);
        EXPECT_EQ(r.code, kUsage) << args.size();
        EXPECT_NE(r.err.find("lorvika-db"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(db));
}

TEST_F(Cli, CreateMakesACompleteCatalogueOnce) {
    create();
    ASSERT_TRUE(JeDatabaze(db));
    {
        dbf::Engine engine;
        EXPECT_EQ(engine.open(db, std::string(kSouborAlb))->fields(), VsechnaPole(SloupceAlb()));
        EXPECT_EQ(engine.open(db, std::string(kSouborSkladeb))->fields(),
                  VsechnaPole(SloupceSkladeb()));
        EXPECT_EQ(engine.open(db, std::string(kSouborAlb))->tags().size(), TagyAlb().size());
    }
    fill(db, {{1, "Olympic", "Pták Rosomák"}}, 2);
    const std::string before = readFile(std::filesystem::path(db) / "cddata.DBF");
    const auto again = call(runCreate, {db});
    EXPECT_EQ(again.code, kProblem);
    EXPECT_NE(again.err.find("se již databáze nachází"), std::string::npos) << again.err;
    EXPECT_EQ(readFile(std::filesystem::path(db) / "cddata.DBF"), before);
}

TEST_F(Cli, CreateNeverOverwritesALoneTable) {
    for (const char* file : {"CDDATA.DBF", "cdskladby.dbf"}) {
        test::TestDir d;
        std::ofstream(d.path() / file) << "stará data";
        const auto r = call(runCreate, {d.str()});
        EXPECT_EQ(r.code, kProblem) << file;
        EXPECT_EQ(readFile(d.path() / file), "stará data");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.path()),
                                std::filesystem::directory_iterator()),
                  2)
            << "only the file and the test's home";
    }
    std::ofstream(tmp.path() / "soubor") << "x";
    EXPECT_EQ(call(runCreate, {(tmp.path() / "soubor").string()}).code, kProblem);
}

TEST_F(Cli, InfoDescribesBothTables) {
    create();
    fill(db, {{1, "A", "a"}, {2, "B", "b"}, {3, "C", "c"}}, 4, 2);
    const auto r = call(runInfo, {db});
    ASSERT_EQ(r.code, kOk) << r.err;
    for (const char* expected :
         {"Audio CD (cddata.DBF): 2\n", "Skladby (cdskladby.DBF): 4\n", "jazykový bajt: 0x1F",
          "indexový soubor: aktuální", "sloupce (32)", "sloupce (6)", "    HODNOC F 20 4\n",
          "    POPIS C 200 0\n", "    PUJ_DOKDY D 8 0\n", "tagy (9)", ": PUJ_KOMU\n", "tagy (1)",
          ": CD\n"}) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    }
    EXPECT_EQ(call(runInfo, {tmp.str()}).code, kProblem);
    EXPECT_EQ(call(runInfo, {(tmp.path() / "neni").string()}).code, kProblem);
}

// A complete log whose checksum fails: looking reports it and writes nothing; a repair keeps it
// under another name, never applies it, and check goes on reporting the kept file.
TEST_F(Cli, CheckReportsADamagedChangeLogAndTheRepairKeepsIt) {
    create();
    fill(db, {{1, "A", "a"}}, 2);
    const auto log = std::filesystem::path(db) / "zmena.log";
    std::string bytes = "LRVKLOG1 poškozený obsah";
    bytes += "LRVKEND1";
    bytes += std::string(12, '\x01');
    { std::ofstream(log, std::ios::binary) << bytes; }
    auto r = call(runCheck, {db});
    EXPECT_EQ(r.code, kProblem);
    EXPECT_NE(r.out.find("je poškozený"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(log)) << "checking alone changes nothing";
    EXPECT_NE(call(runInfo, {db}).out.find("zmena.log"), std::string::npos);

    r = call(runCheck, {db, "--repair"});
    EXPECT_EQ(r.code, kProblem) << r.out;
    EXPECT_FALSE(std::filesystem::exists(log));
    const auto kept = std::filesystem::path(db) / "zmena-neplatna-1.log";
    ASSERT_TRUE(std::filesystem::exists(kept));
    r = call(runCheck, {db});
    EXPECT_EQ(r.code, kProblem);
    EXPECT_NE(r.out.find("zmena-neplatna-1.log"), std::string::npos) << r.out;
    std::filesystem::remove(kept);
    EXPECT_EQ(call(runCheck, {db}).code, kOk);
}

TEST_F(Cli, CheckFindsAndRepairsAMissingIndex) {
    create();
    fill(db, {{1, "A", "a"}, {2, "B", "b"}}, 3);
    auto r = call(runCheck, {db});
    EXPECT_EQ(r.code, kOk) << r.out;
    EXPECT_NE(r.out.find("v pořádku"), std::string::npos);

    const auto mdx = std::filesystem::path(db) / "cddata.mdx";
    ASSERT_TRUE(std::filesystem::exists(mdx));
    std::filesystem::remove(mdx);
    r = call(runCheck, {db});
    EXPECT_EQ(r.code, kProblem);
    EXPECT_NE(r.out.find("cddata.DBF: indexový soubor chybí"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(mdx)) << "checking alone changes nothing";

    r = call(runCheck, {db, "--repair"});
    EXPECT_EQ(r.code, kOk) << r.out;
    EXPECT_NE(r.out.find("znovu sestaven"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(mdx));
    EXPECT_EQ(call(runCheck, {db}).code, kOk);

    {
        dbf::Engine engine;
        auto c = engine.open(db, std::string(kSouborAlb));
        c->deleteTag("zanr");
        c->addTag(dbf::TagDef{"typ", "ZANR"});
    }
    r = call(runCheck, {db});
    EXPECT_EQ(r.code, kProblem);
    EXPECT_NE(r.out.find("chybí tag zanr"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("tag typ má klíč ZANR místo TYP"), std::string::npos) << r.out;
    EXPECT_EQ(call(runCheck, {db, "--repair"}).code, kOk);
    r = call(runCheck, {db});
    EXPECT_EQ(r.code, kOk) << r.out;
}

// A character the conversion of an old table could not keep is left as a mark that check
// names with the album and the column.
TEST_F(Cli, CheckNamesCellsHoldingTheConversionMark) {
    create();
    fill(db, {{1, "A", "a"}, {7, "Qqq", "b"}}, 2);
    auto mark = [](const std::filesystem::path& file, const std::string& from) {
        std::string bytes = readFile(file);
        const auto at = bytes.find(from);
        ASSERT_NE(at, std::string::npos);
        bytes[at + 1] = '\xFE';
        std::ofstream(file, std::ios::binary) << bytes;
    };
    mark(std::filesystem::path(db) / "cddata.DBF", "Qqq");
    // the second track's name
    {
        dbf::Engine engine;
        auto t = engine.open(db, std::string(kSouborSkladeb));
        t->last();
        t->edit();
        t->setText("NAME", "Zzz");
        t->post();
    }
    mark(std::filesystem::path(db) / "cdskladby.DBF", "Zzz");
    const auto r = call(runCheck, {db});
    EXPECT_EQ(r.code, kProblem);
    for (const char* line :
         {"cddata.DBF: album 7, sloupec ARTIST: znak, který při převodu nešel zachovat",
          "cdskladby.DBF: album 1, skladba 2, sloupec NAME: znak, který při převodu"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

// Numbers an earlier version wrote with a Czech desktop's decimal comma: check names them and
// fails, the repair writes them with the point.
TEST_F(Cli, CheckNamesNumbersWithADecimalCommaAndTheRepairRewritesThem) {
    create();
    fill(db, {{1, "A", "a"}}, 2);
    const auto tracks = std::filesystem::path(db) / "cdskladby.DBF";
    std::string bytes = readFile(tracks);
    for (auto at = bytes.find(".0000"); at != std::string::npos; at = bytes.find(".0000", at))
        bytes[at] = ',';
    std::ofstream(tracks, std::ios::binary | std::ios::trunc) << bytes;

    auto r = call(runCheck, {db});
    EXPECT_EQ(r.code, kProblem) << r.out;
    for (const char* line :
         {"cdskladby.DBF: Tabulka cdskladby.DBF: záznam 1, sloupec CD: číslo „1,0000“",
          "cdskladby.DBF: Tabulka cdskladby.DBF: záznam 2, sloupec CISLO: číslo „2,0000“"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_EQ(r.out.find("cddata.DBF: "), std::string::npos) << r.out;
    EXPECT_EQ(readFile(tracks), bytes) << "checking alone changes nothing";

    r = call(runCheck, {db, "--repair"});
    EXPECT_EQ(r.code, kOk) << r.out;
    EXPECT_NE(r.out.find("cdskladby.DBF: čísla s desetinnou čárkou přepsána: 4"), std::string::npos)
        << r.out;
    EXPECT_EQ(readFile(tracks).find(",0000"), std::string::npos);
    EXPECT_EQ(call(runCheck, {db}).code, kOk);
}

TEST_F(Cli, CheckReportsACutTable) {
    create();
    fill(db, {{1, "A", "a"}, {2, "B", "b"}}, 0);
    const auto dbf = std::filesystem::path(db) / "cddata.DBF";
    std::filesystem::resize_file(dbf, std::filesystem::file_size(dbf) - 100);
    for (const Args& args : {Args{db}, Args{db, "--repair"}}) {
        const auto r = call(runCheck, args);
        EXPECT_EQ(r.code, kProblem) << r.out;
        EXPECT_NE(r.out.find("cddata.DBF: "), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("V databázi jsou chyby"), std::string::npos) << r.out;
    }
}

// Tracks of an album that is gone (a mixed restore left them) are a problem; bytes after the
// last record are cut by a repair, not only by a pack.
TEST_F(Cli, CheckReportsTracksWithoutAlbumAndRepairCutsTrailingBytes) {
    create();
    fill(db, {{2, "B", "b"}}, 3);
    auto r = call(runCheck, {db});
    EXPECT_EQ(r.code, kProblem);
    EXPECT_NE(r.out.find("cdskladby.DBF: 3 skladeb patří albu 1, které neexistuje"),
              std::string::npos)
        << r.out;
    fill(db, {{1, "A", "a"}}, 0);
    EXPECT_EQ(call(runCheck, {db}).code, kOk);

    const auto dbf = std::filesystem::path(db) / "cdskladby.DBF";
    const auto size = std::filesystem::file_size(dbf);
    std::ofstream(dbf, std::ios::binary | std::ios::app) << std::string(186, 'x');
    r = call(runCheck, {db, "--repair"});
    EXPECT_EQ(r.code, kOk) << r.out;
    EXPECT_NE(r.out.find("odstraněno 186 bajtů za posledním záznamem"), std::string::npos) << r.out;
    EXPECT_EQ(std::filesystem::file_size(dbf), size);
    EXPECT_EQ(readFile(dbf).back(), '\x1A');
}

TEST_F(Cli, DumpWritesCsvInTagOrPhysicalOrder) {
    create();
    fill(db,
         {{3, "Žlutý pes", "Kouzlo, \"nové\""},
          {1, "Čechomor", "Proměny"},
          {2, "Arakain", "řádek\ndruhý"},
          {4, "Smazaný", "pryč"}},
         2, 4);
    const auto header = [](const std::vector<SloupecKatalogu>& s) {
        std::string h;
        for (const auto& c : s) h += (h.empty() ? "" : ",") + c.pole.name;
        return h + "\r\n";
    };
    const auto column = [](const std::string& csv, std::size_t skip, std::size_t count) {
        // The rows' first fields after the header; CRLF only ends a row outside quotes.
        std::vector<std::string> rows;
        std::string row;
        bool inQuotes = false;
        for (std::size_t i = 0; i < csv.size(); ++i) {
            if (csv[i] == '"') inQuotes = !inQuotes;
            if (!inQuotes && csv.compare(i, 2, "\r\n") == 0) {
                rows.push_back(row);
                row.clear();
                ++i;
            } else {
                row += csv[i];
            }
        }
        std::vector<std::string> out;
        for (std::size_t i = skip; i < rows.size() && out.size() < count; ++i)
            out.push_back(rows[i].substr(0, rows[i].find(',')));
        return std::make_pair(out, rows.size());
    };

    auto r = call(runDump, {db, "cddata"});
    ASSERT_EQ(r.code, kOk) << r.err;
    ASSERT_EQ(r.out.substr(0, header(SloupceAlb()).size()), header(SloupceAlb()));
    auto [numbers, rows] = column(r.out, 1, 10);
    EXPECT_EQ(numbers, (std::vector<std::string>{"3", "1", "2"}));
    EXPECT_EQ(rows, 4u) << "header and three albums, the deleted one left out";
    EXPECT_NE(r.out.find("3,\"Kouzlo, \"\"nové\"\"\",Žlutý pes,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2,\"řádek\ndruhý\",Arakain,"), std::string::npos) << r.out;

    r = call(runDump, {db, "CDDATA.dbf", "--tag", "artist"});
    ASSERT_EQ(r.code, kOk) << r.err;
    EXPECT_EQ(column(r.out, 1, 10).first, (std::vector<std::string>{"2", "1", "3"}));

    r = call(runDump, {db, "cdskladby", "--tag", "cd"});
    ASSERT_EQ(r.code, kOk) << r.err;
    EXPECT_EQ(r.out, header(SloupceSkladeb()) + "1,1,,,,\r\n1,2,,,,\r\n");

    r = call(runDump, {db, "cddata", "--tag", "neni"});
    EXPECT_EQ(r.code, kProblem);
    EXPECT_NE(r.err.find("neni"), std::string::npos);
    EXPECT_EQ(call(runDump, {tmp.str(), "cddata"}).code, kProblem);
}

// The album table's bytes with the first record copied to the end, as a program that keeps no
// index appends: the index file no longer matches.
void appendBehindTheIndex(const std::string& dir) {
    const auto path = std::filesystem::path(dir) / "cddata.DBF";
    std::string b = readFile(path);
    const auto u = [&](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    const std::size_t header = u(8) | (u(9) << 8), length = u(10) | (u(11) << 8);
    const std::uint32_t count = u(4) | (u(5) << 8) | (u(6) << 16);
    b.insert(header + count * length, b.substr(header, length));
    b[4] = static_cast<char>(count + 1);
    test::writeFile(path, b);
}

TEST_F(Cli, LookingCommandsLeaveAStaleIndexAsItIs) {
    create();
    fill(db, {{1, "A", "a"}, {2, "B", "b"}}, 2);
    appendBehindTheIndex(db);
    const auto mdx = std::filesystem::path(db) / "cddata.mdx";
    const std::string before = readFile(mdx);
    const auto time = std::filesystem::last_write_time(mdx);
    for (const Args& args : {Args{db}, Args{db}}) {
        const auto r = call(runCheck, args);
        EXPECT_EQ(r.code, kProblem) << r.out;
        EXPECT_NE(r.out.find("cddata.DBF: indexový soubor neodpovídá tabulce"), std::string::npos)
            << r.out;
    }
    EXPECT_EQ(call(runInfo, {db}).code, kOk);
    const auto dump = call(runDump, {db, "cddata", "--tag", "artist"});
    EXPECT_EQ(dump.code, kOk) << dump.err;
    EXPECT_EQ(std::count(dump.out.begin(), dump.out.end(), '\n'), 4) << dump.out;
    EXPECT_EQ(readFile(mdx), before);
    EXPECT_EQ(std::filesystem::last_write_time(mdx), time);
    EXPECT_EQ(call(runCheck, {db, "--repair"}).code, kOk);
    EXPECT_NE(readFile(mdx), before);
}

TEST_F(Cli, RecordsWithAStrayFlagAreReportedAndNeverListed) {
    create();
    fill(db, {{1, "A", "a"}, {2, "B", "b"}, {3, "C", "c"}}, 0);
    const auto path = std::filesystem::path(db) / "cddata.DBF";
    std::string b = readFile(path);
    const auto u = [&](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    const std::size_t header = u(8) | (u(9) << 8), length = u(10) | (u(11) << 8);
    b[header + length] = '\0';  // album 2: the zeros a crash leaves
    test::writeFile(path, b);
    auto r = call(runCheck, {db});
    EXPECT_EQ(r.code, kProblem) << r.out;
    EXPECT_NE(r.out.find("1 záznamů má neplatný příznak smazání"), std::string::npos) << r.out;
    for (const char* tag : {"cislo", "artist"}) {
        r = call(runDump, {db, "cddata", "--tag", tag});
        EXPECT_EQ(r.out.find("\r\n2,"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("\r\n3,"), std::string::npos) << r.out;
    }
    r = call(runInfo, {db});
    EXPECT_NE(r.out.find("Audio CD (cddata.DBF): 2\n"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace lorvika::cli
