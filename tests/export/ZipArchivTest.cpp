#include "export/ZipArchiv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/TestDir.h"

namespace {

using lorvika::ZipArchiv;

class RecordingStatus : public lorvika::StatusLine {
  public:
    void stavovyText(const std::string& t) override { log.push_back("text " + t); }
    void pocetCD(int, std::size_t) override { log.push_back("count"); }
    void ukazatel(const std::string& t, int p) override {
        log.push_back(t + " " + std::to_string(p));
    }
    void ukazatelKonec() override { log.push_back("end"); }
    std::vector<std::string> log;
};

TEST(ZipArchivTest, DrivesTheGaugeAndTheTablesInEveryOutcome) {
    lorvika::test::TestDir tmp;
    const auto db = tmp.sub("db");
    for (const char* f : {"cddata.DBF", "cdskladby.DBF", "cddata.mdx", "cdskladby.mdx"})
        std::ofstream(db / f, std::ios::binary) << "obsah " << f;

    RecordingStatus status;
    ZipArchiv archiv(
        status, [&] { status.log.push_back("close"); }, [&] { status.log.push_back("open"); });

    struct Case {
        const char* name;
        bool backup;
        bool ok;
        std::vector<std::string> log;
    };
    const std::string z = "zálohuji databázi.. ", n = "nahrazuji databázi zálohou.. ";
    const std::vector<Case> cases = {
        {"restore without archive", false, false, {"close", n + "0", "end", "open"}},
        {"backup",
         true,
         true,
         {"close", z + "0", z + "0", z + "25", z + "25", z + "50", z + "50", z + "75", z + "75",
          z + "100", z + "100", "end", "open"}},
        {"restore",
         false,
         true,
         {"close", n + "0", n + "0", n + "25", n + "25", n + "50", n + "50", n + "75", n + "75",
          n + "100", n + "100", "end", "open"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        status.log.clear();
        const bool ok = c.backup ? archiv.zalohuj(db.string()) : archiv.rozbal(db.string());
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(archiv.posledniChyba().empty(), c.ok) << archiv.posledniChyba();
        EXPECT_EQ(status.log, c.log);
    }
}

}  // namespace
