#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "cli/Commands.h"
#include "lending/Pujceni.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace lorvika::cli {
namespace {

namespace fs = std::filesystem;

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result lent(const Args& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = runLent(args, out, err);
    return {code, out.str(), err.str()};
}

// Every file of the directory with its bytes, to see that nothing was written.
std::map<std::string, std::string> snimek(const std::string& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out[e.path().filename().string()] = test::readFile(e.path());
    return out;
}

class Lent : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(runCreate({db}, out_, out_), kOk); }
    void album(int cislo, const char* artist, const char* album, const char* komu,
               dbf::Date dokdy) {
        dbf::Engine engine;
        engine.setLanguageDriver(std::string(kOvladacKatalogu));
        auto c = engine.open(db, std::string(kSouborAlb));
        c->append();
        c->setInteger("CISLO", cislo);
        c->setText("ARTIST", artist);
        c->setText("ALBUM", album);
        c->post();
        if (komu) ZapisPujceni(engine, *c, komu, dokdy, true);
    }
    test::TestDir tmp;
    std::string db = (tmp.path() / "sbírka").string();
    std::ostringstream out_;
};

TEST_F(Lent, BadUsageIsTwo) {
    const Args cases[] = {
        {},
        {db, db},
        {db, "--dnes"},
        {db, "--dnes", "32.1.2026"},
        {db, "--dnes", "2026-12-08"},
        {db, "--po-terminu", "--po-terminu"},
        {db, "--dnes", "1.1.2026", "--dnes", "2.1.2026"},
        {db, "--vse"},
    };
    for (const Args& args : cases) {
        const Result r = lent(args);
        EXPECT_EQ(r.code, kUsage) << args.size();
        EXPECT_NE(r.err.find("lent DIR [--po-terminu] [--dnes D.M.YYYY]"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
    }
}

TEST_F(Lent, LentAndOverdueAsCsvInNumberOrderWithoutWriting) {
    album(12, "Olympic", "Pták Rosomák", "bratr", {2026, 12, 8});
    album(3, "Čechomor, \"live\"", "Proměny", "švagrová", {2026, 11, 30});
    album(7, "Nikdo", "Doma", nullptr, {});
    // A missing index is rebuilt only in memory by a command that reads.
    for (const auto& e : fs::directory_iterator(db))
        if (e.path().extension() == ".mdx" || e.path().extension() == ".MDX") fs::remove(e.path());
    const auto pred = snimek(db);
    Result r = lent({db, "--dnes", "8.12.2026"});
    EXPECT_EQ(r.code, kOk) << r.err;
    EXPECT_EQ(r.out,
              "CISLO,ARTIST,ALBUM,PUJ_KOMU,PUJ_DOKDY\r\n"
              "3,\"Čechomor, \"\"live\"\"\",Proměny,švagrová,30.11.2026\r\n"
              "12,Olympic,Pták Rosomák,bratr,08.12.2026\r\n");
    r = lent({"--po-terminu", db, "--dnes", "08.12.2026"});
    EXPECT_EQ(r.code, kOk) << r.err;
    EXPECT_EQ(r.out,
              "CISLO,ARTIST,ALBUM,PUJ_KOMU,PUJ_DOKDY\r\n"
              "3,\"Čechomor, \"\"live\"\"\",Proměny,švagrová,30.11.2026\r\n");
    // The album due on the 8th is overdue on the 9th.
    r = lent({db, "--po-terminu", "--dnes", "9.12.2026"});
    EXPECT_NE(r.out.find("\r\n12,Olympic"), std::string::npos) << r.out;
    EXPECT_EQ(snimek(db), pred);
}

TEST_F(Lent, WorksWhileTheProgramHasTheCatalogueOpen) {
    album(12, "Olympic", "Pták Rosomák", "bratr", {2026, 12, 8});
    dbf::Engine program;
    auto alba = program.open(db, std::string(kSouborAlb));
    auto skladby = program.open(db, std::string(kSouborSkladeb));
    const Result r = lent({db, "--dnes", "8.12.2026"});
    EXPECT_EQ(r.code, kOk) << r.err;
    EXPECT_NE(r.out.find("12,Olympic"), std::string::npos) << r.out;
    EXPECT_EQ(r.err.find("SQL"), std::string::npos) << r.err;
    // and the program keeps writing
    alba->first();
    EXPECT_NO_THROW(ZapisPujceni(program, *alba, "sestra", {2026, 12, 9}, true));
}

TEST_F(Lent, NoneIsOneWithTheWindowsMessage) {
    album(1, "Olympic", "Ptáci", nullptr, {});
    Result r = lent({db});
    EXPECT_EQ(r.code, kProblem);
    EXPECT_EQ(r.err, "Žádné CD není půjčeno\n");
    EXPECT_TRUE(r.out.empty());
    album(2, "Olympic", "Jasná zpráva", "bratr", {2026, 12, 24});
    r = lent({db, "--po-terminu", "--dnes", "24.12.2026"});
    EXPECT_EQ(r.code, kProblem);
    EXPECT_EQ(r.err, "Žádné CD není nevráceno po termínu\n");
    r = lent({(tmp.path() / "nic").string()});
    EXPECT_EQ(r.code, kProblem);
    EXPECT_NE(r.err.find("neexistuje"), std::string::npos);
}

}  // namespace
}  // namespace lorvika::cli
