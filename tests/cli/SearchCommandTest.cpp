#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/Commands.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace lorvika::cli {
namespace {

struct Result {
    int code;
    std::string out;
    std::string err;
};

class SearchCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        std::ostringstream o, e;
        ASSERT_EQ(runCreate({db}, o, e), kOk) << e.str();
        dbf::Engine engine;
        auto a = engine.open(db, std::string(kSouborAlb));
        auto album = [&](int cislo, const std::map<std::string, std::string>& pole) {
            a->append();
            a->setInteger("CISLO", cislo);
            for (const auto& [k, v] : pole) a->setText(k, v);
            a->post();
        };
        album(3, {{"ARTIST", "Žlutý pes"},
                  {"ALBUM", "Kouzlo, \"nové\""},
                  {"ROK", "1990"},
                  {"HODNOC", "4"},
                  {"PSTOP", "2"},
                  {"POPIS", "live: Praha, 1996"}});
        album(1, {{"ARTIST", "Čechomor"},
                  {"ALBUM", "Proměny"},
                  {"ROK", "2001"},
                  {"HODNOC", "6"},
                  {"CENA", "99.6"}});
        album(2, {{"ARTIST", "Arakain"},
                  {"ALBUM", "Apage Satanas"},
                  {"ROK", "1990"},
                  {"HODNOC", "2"},
                  {"PSTOP", "12"}});
        auto t = engine.open(db, std::string(kSouborSkladeb));
        t->append();
        t->setInteger("CD", 2);
        t->setText("NAME", "Žádná láska");
        t->post();
    }

    Result search(Args args) {
        args.insert(args.begin(), db);
        std::ostringstream out, err;
        const int code = runSearch(args, out, err);
        return {code, out.str(), err.str()};
    }

    test::TestDir tmp;
    std::string db = (tmp.path() / "db").string();
};

TEST_F(SearchCommand, RefusesBadUsageWithExitTwo) {
    struct Case {
        Args args;
        std::string err;  // the whole standard error, or empty for the usage line
    };
    const Case cases[] = {
        {{"xyz=shoda:a"}, ""},
        {{"album=shoda:a", "album=obsahuje:b"}, ""},
        {{"album=obsahuje"}, ""},
        {{"album=contains:x"}, ""},
        {{"album"}, ""},
        {{"album=od:1"}, ""},
        {{"rok=obsahuje:1990"}, ""},
        {{"rok="}, ""},
        {{"rok=!"}, ""},
        {{"rok=od:1990,od:1991"}, ""},
        {{"rok=od:1990;do:2000"}, "Toto není přípustné číslo\n"},
        {{"rok=od:1990,"}, ""},
        {{"hodnoceni=od:7"}, ""},
        {{"hodnoceni=od:Dobré"}, ""},
        {{"--tag"}, ""},
        {{"--tag", "artist", "--tag", "album", "album=shoda:"}, ""},
        {{"--alespon-jedne", "--alespon-jedne", "album=shoda:"}, ""},
        {{"--vsem"}, ""},
        {{"rok=od:12a"}, "Toto není přípustné číslo\n"},
        {{"rok=do:"}, "Toto není přípustné číslo\n"},
        {{"rok=od: 1990"}, "Toto není přípustné číslo\n"},
        {{"rok=od:0"}, "Zadané číslo musí být větší jak 0\n"},
        {{"pocetstop=od:1,do:-2"}, "Zadané číslo musí být větší jak 0\n"},
        {{"cena=!od:-1"}, "Zadané číslo musí být větší nebo rovno 0\n"},
        {{"--tag", "neni", "album=shoda:"}, "Tabulka cddata.DBF nemá tag neni\n"},
    };
    for (const auto& c : cases) {
        const auto r = search(c.args);
        EXPECT_EQ(r.code, kUsage) << c.args[0];
        EXPECT_EQ(r.out, "") << c.args[0];
        if (c.err.empty())
            EXPECT_NE(r.err.find("lorvika-db search"), std::string::npos) << r.err;
        else
            EXPECT_EQ(r.err, c.err) << c.args[0];
    }
    std::ostringstream out, err;
    EXPECT_EQ(runSearch({}, out, err), kUsage);
    EXPECT_EQ(runSearch({"--alespon-jedne"}, out, err), kUsage);
}

TEST_F(SearchCommand, WritesPassingAlbumsInTagOrder) {
    auto r = search({"rok=od:1990,do:1990"});
    ASSERT_EQ(r.code, kOk) << r.err;
    EXPECT_EQ(r.out,
              "CISLO,ARTIST,ALBUM\r\n"
              "2,Arakain,Apage Satanas\r\n"
              "3,Žlutý pes,\"Kouzlo, \"\"nové\"\"\"\r\n");
    EXPECT_EQ(r.err, "Zadanému filtru vyhovuje tento počet AudioCD:2\n");

    r = search({"--tag", "ARTIST", "rok=od:1900"});
    ASSERT_EQ(r.code, kOk) << r.err;
    EXPECT_EQ(r.out,
              "CISLO,ARTIST,ALBUM\r\n"
              "2,Arakain,Apage Satanas\r\n"
              "1,Čechomor,Proměny\r\n"
              "3,Žlutý pes,\"Kouzlo, \"\"nové\"\"\"\r\n");
    EXPECT_EQ(r.err, "Zadanému filtru vyhovuje tento počet AudioCD:3\n");
}

TEST_F(SearchCommand, WorksWhileTheProgramHasTheCatalogueOpen) {
    dbf::Engine program;
    auto alba = program.open(db, std::string(kSouborAlb));
    auto skladby = program.open(db, std::string(kSouborSkladeb));
    const auto r = search({"rok=od:1990,do:1990"});
    EXPECT_EQ(r.code, kOk) << r.err;
    EXPECT_EQ(r.err, "Zadanému filtru vyhovuje tento počet AudioCD:2\n");
    dbf::Engine druhy;  // a second writer is still kept away
    EXPECT_THROW(druhy.open(db, std::string(kSouborAlb)), dbf::EngineError);
}

TEST_F(SearchCommand, ConditionsAndModes) {
    struct Case {
        Args args;
        std::string cisla;  // first column of the lines, joined
    };
    const Case cases[] = {
        {{"popis=obsahuje:live: PRAHA, 19"}, "3"},
        {{"popis=shoda:live: praha, 1996 "}, ""},
        {{"interpret=obsahuje:ČECH"}, "1"},
        {{"skladba=obsahuje:LÁSKA"}, "2"},
        {{"interpret=shoda:žádná láska"}, ""},
        {{"skladba=!obsahuje:láska"}, "1,3"},
        {{"album=!shoda:proměny"}, "2,3"},
        {{"album=shoda:"}, ""},
        {{"album=obsahuje:"}, ""},
        {{"album=!obsahuje:"}, "1,2,3"},
        {{"hodnoceni=od:DOBRÉ"}, "1,3"},
        {{"hodnoceni=od:4"}, "1,3"},
        {{"hodnoceni=od:dobrÉ,do:4"}, "3"},
        {{"hodnoceni=!do:-"}, "1,2,3"},
        {{"cena=od:100"}, "1"},
        {{"cena=od:0,do:99"}, "2,3"},
        {{"pocetstop="}, "1"},
        {{"pocetstop=do:12"}, "1,2,3"},
        {{"pocetstop=od:2"}, ""},
        {{"pocetstop=od:2,do:12"}, "2,3"},
        {{"pocetstop=!od:2,do:12"}, "1"},
        {{"rok=do:1990", "album=obsahuje:a"}, "2"},
        {{"rok=do:1990", "interpret=obsahuje:čech"}, ""},
        {{"--alespon-jedne", "rok=do:1989", "interpret=obsahuje:čech"}, "1"},
        {{"interpret=obsahuje:čech", "--alespon-jedne", "skladba=obsahuje:láska"}, "1,2"},
        {{}, ""},
        {{"--alespon-jedne"}, ""},
    };
    for (const auto& c : cases) {
        const auto r = search(c.args);
        std::string cisla;
        std::istringstream lines(r.out);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line)) {
            if (!cisla.empty()) cisla += ',';
            cisla += line.substr(0, line.find(','));
        }
        const std::string what = c.args.empty() ? "(none)" : c.args.back();
        EXPECT_EQ(cisla, c.cisla) << what;
        if (c.cisla.empty()) {
            EXPECT_EQ(r.code, kProblem) << what;
            EXPECT_EQ(r.out, "") << what;
            EXPECT_EQ(r.err, "Žádné AudioCD v databázi nevyhovuje zadanému filtru\n") << what;
        } else {
            EXPECT_EQ(r.code, kOk) << what << r.err;
        }
    }
}

TEST_F(SearchCommand, ChangesNoFile) {
    std::map<std::string, std::string> before;
    for (const auto& e : std::filesystem::directory_iterator(db))
        before[e.path().filename().string()] = test::readFile(e.path());
    EXPECT_EQ(search({"skladba=obsahuje:a", "--tag", "album"}).code, kOk);
    std::map<std::string, std::string> after;
    for (const auto& e : std::filesystem::directory_iterator(db))
        after[e.path().filename().string()] = test::readFile(e.path());
    EXPECT_EQ(after, before);
}

TEST_F(SearchCommand, ProblemsWithTheDatabaseAreOne) {
    std::ostringstream out, err;
    EXPECT_EQ(runSearch({tmp.str(), "album=shoda:"}, out, err), kProblem);
    EXPECT_EQ(runSearch({(tmp.path() / "neni").string(), "album=shoda:"}, out, err), kProblem);
    EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace lorvika::cli
