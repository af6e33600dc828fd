// A changed album with replaced tracks is found whole, old or new, after any failure or crash.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iostream>
#include <random>

#include "store/Catalogue.h"
#include "store/ZmenaAlba.h"
#include "store/dbf/DbfTestSupport.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Transaction.h"
#include "support/TestDir.h"

using namespace lorvika;
using Fault = test::FaultFileSystem::Fault;

namespace {

// Version v of the album: its title, and v % 4 + 3 tracks named after v.
int stopVerze(int v) {
    return v % 4 + 3;
}

std::string nazev(int v, int t) {
    return "verze " + std::to_string(v) + " č. skladby " + std::to_string(t);
}

ZmenaAlba verze(int v, const std::string& snPred) {
    ZmenaAlba z;
    z.cislo = 2;
    z.puvodniSN = snPred;
    z.pole = {{"ALBUM", "Album v" + std::to_string(v)}, {"ROK", std::to_string(1990 + v)}};
    z.nahraditSkladby = true;
    for (int t = 1; t <= stopVerze(v); ++t)
        z.skladby.push_back({"", std::to_string(t), nazev(v, t), "", std::to_string(200 + t), ""});
    return z;
}

void vytvorKatalog(const std::string& dir) {
    dbf::Engine engine;
    VytvorTabulky(engine, dir);
    PridejSloupce(engine, dir);
    auto alba = engine.open(dir, std::string(kSouborAlb));
    auto skladby = engine.open(dir, std::string(kSouborSkladeb));
    for (int cislo : {1, 2, 3}) {
        alba->append();
        alba->setInteger("CISLO", cislo);
        alba->setText("ALBUM", "Album v0");
        alba->setText("SN", "SN-" + std::to_string(cislo));
        alba->post();
        for (int t = 1; t <= stopVerze(0); ++t) {
            skladby->append();
            skladby->setInteger("CD", cislo);
            skladby->setInteger("CISLO", t);
            skladby->setText("NAME", nazev(0, t));
            skladby->post();
        }
    }
}

// The version the album of number 2 is in after an opening completed what was left; -1 when
// its record and tracks disagree. The other albums must be untouched.
int verzeAlba(const std::string& dir, const std::string& kontext) {
    dbf::Engine engine;
    dbf::recoverLog(engine, dir);
    DokonciZmenuAlba(engine, dir);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir) / kZurnalZmeny)) << kontext;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir) / dbf::kLogName)) << kontext;
    auto alba = engine.open(dir, std::string(kSouborAlb));
    auto skladby = engine.open(dir, std::string(kSouborSkladeb));
    EXPECT_EQ(alba->recordCount(), 3u) << kontext;
    if (!NajdiCD(2, "cislo", *alba)) return -1;
    const std::string album = alba->text("ALBUM");
    const int v = std::stoi(album.substr(7));
    if (v > 0 && alba->integer("ROK") != 1990 + v) return -1;
    std::vector<std::string> nazvy;
    ProjdiSkladby(*skladby, 2, [&](dbf::Cursor& s) { nazvy.push_back(s.text("NAME")); });

    std::vector<std::string> ocekavane;
    for (int t = 1; t <= stopVerze(v); ++t) ocekavane.push_back(nazev(v, t));
    EXPECT_EQ(nazvy, ocekavane) << kontext << ", album says version " << v;
    if (nazvy != ocekavane) return -1;
    for (int jine : {1, 3}) {
        EXPECT_EQ(ProjdiSkladby(*skladby, jine, [](dbf::Cursor&) {}), std::size_t(stopVerze(0)))
            << kontext;
    }
    // Bytes of an unfinished post past the counted records are no loss.
    std::vector<std::string> problemy;
    for (auto& p : engine.verify(dir, std::string(kSouborSkladeb)))
        if (p.find("navíc") == std::string::npos) problemy.push_back(p);
    EXPECT_EQ(problemy, std::vector<std::string>{}) << kontext;
    return v;
}

long zapisuCeleZmeny() {
    test::TestDir dir;
    vytvorKatalog(dir.str());
    auto fs = std::make_shared<test::FaultFileSystem>();
    fs->failAt(1000000, Fault::None);
    dbf::Engine engine(fs);
    auto alba = engine.open(dir.str(), std::string(kSouborAlb));
    auto skladby = engine.open(dir.str(), std::string(kSouborSkladeb));
    ZapisZmenuAlba(engine, dir.str(), *alba, *skladby, verze(1, "SN-2"));
    return fs->writes();
}

}  // namespace

TEST(ZmenaAlba, EveryFailedWriteLeavesTheOldOrTheNewAlbumWhole) {
    const long zapisu = zapisuCeleZmeny();
    ASSERT_GT(zapisu, 5);
    int dokoncene = 0;  // crashes after which the opening completed the change
    for (Fault fault : {Fault::ShortWrite, Fault::DiskFull, Fault::Crash}) {
        for (long at = 1; at <= zapisu + 1; ++at) {
            const std::string kontext =
                "fault " + std::to_string(int(fault)) + " at write " + std::to_string(at);
            test::TestDir dir;
            vytvorKatalog(dir.str());
            bool chyba = false;
            {
                auto fs = std::make_shared<test::FaultFileSystem>();
                fs->failAt(at, fault);
                dbf::Engine engine(fs);
                auto alba = engine.open(dir.str(), std::string(kSouborAlb));
                auto skladby = engine.open(dir.str(), std::string(kSouborSkladeb));
                try {
                    ZapisZmenuAlba(engine, dir.str(), *alba, *skladby, verze(1, "SN-2"));
                } catch (const dbf::EngineError&) {
                    chyba = true;
                }
                if (fault != Fault::Crash && chyba) {
                    // The running program sees the album as it was, not half of it.
                    ASSERT_TRUE(NajdiCD(2, "cislo", *alba)) << kontext;
                    std::size_t stop = ProjdiSkladby(*skladby, 2, [](dbf::Cursor&) {});
                    const bool stare = alba->text("ALBUM") == "Album v0";
                    if (stare) {
                        EXPECT_EQ(stop, std::size_t(stopVerze(0))) << kontext;
                    }
                }
            }
            EXPECT_EQ(chyba, at <= zapisu) << kontext;
            const int v = verzeAlba(dir.str(), kontext);
            EXPECT_TRUE(v == 0 || v == 1) << kontext;
            if (!chyba) {
                EXPECT_EQ(v, 1) << kontext;
            }
            if (chyba && fault == Fault::Crash && v == 1) ++dokoncene;
            if (HasFailure()) return;
        }
    }
    EXPECT_GT(dokoncene, 0);
}

// The journal the previous version wrote for version v of album 2 in a fresh catalogue.
std::string staryZurnal(int v) {
    std::string t =
        "LRVKZMENA 1\ncislo\t2\npocet\t9\nsn\tSN-2\nsmaz\t4\t5\t6\npole\tALBUM\tAlbum v" +
        std::to_string(v) + "\npole\tROK\t" + std::to_string(1990 + v) + "\nskladby\t1";
    for (int k = 1; k <= stopVerze(v); ++k)
        t += "\nskladba\t\t" + std::to_string(k) + "\t" + nazev(v, k) + "\t\t" +
             std::to_string(200 + k) + "\t";
    t += "\nkonec";
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : t) h = (h ^ c) * 1099511628211ULL;
    return t + "\t" + std::to_string(h) + "\n";
}

TEST(ZmenaAlba, AnOldJournalIsCompletedOnceAlsoWithoutIndexFiles) {
    test::TestDir dir;
    vytvorKatalog(dir.str());
    std::ofstream(dir.path() / kZurnalZmeny) << staryZurnal(2);
    for (const char* mdx : {"cddata.mdx", "cdskladby.mdx"})
        std::filesystem::remove(dir.path() / mdx);
    EXPECT_EQ(verzeAlba(dir.str(), "without index files"), 2);
    // A save now never writes that journal again.
    {
        dbf::Engine engine;
        auto alba = engine.open(dir.str(), std::string(kSouborAlb));
        auto skladby = engine.open(dir.str(), std::string(kSouborSkladeb));
        ZapisZmenuAlba(engine, dir.str(), *alba, *skladby, verze(3, "SN-2"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / kZurnalZmeny));
    EXPECT_EQ(verzeAlba(dir.str(), "after a save"), 3);
}

// A log left complete by a crash right after it was made durable, for version 2 of album 2.
std::string zanechanyLog(const std::string& dir) {
    for (long at = 1; at < 10; ++at) {
        auto fs = std::make_shared<test::FaultFileSystem>();
        fs->failAt(at, Fault::Crash);
        dbf::Engine engine(fs);
        auto alba = engine.open(dir, std::string(kSouborAlb));
        auto skladby = engine.open(dir, std::string(kSouborSkladeb));
        EXPECT_THROW(ZapisZmenuAlba(engine, dir, *alba, *skladby, verze(2, "SN-2")),
                     dbf::EngineError);
        const auto log = std::filesystem::path(dir) / dbf::kLogName;
        // A crash at the log's own write leaves an empty one, which the next commit removes.
        if (std::filesystem::exists(log) && std::filesystem::file_size(log) > 100)
            return test::readFile(log.string());
    }
    ADD_FAILURE() << "no log left";
    return {};
}

TEST(ZmenaAlba, ALogThatCannotBeAppliedIsKeptAndNeverApplied) {
    struct Pripad {
        const char* nazev;
        std::function<std::string(const std::string&)> uprav;  // the log's bytes
        bool jineTabulky;                                      // packed after the log
        dbf::LogRecovery::Outcome vysledek;
        int verze;
    };
    const std::vector<Pripad> pripady = {
        {"complete", [](const std::string& l) { return l; }, false,
         dbf::LogRecovery::Outcome::Applied, 2},
        {"no trailer", [](const std::string& l) { return l.substr(0, l.size() - 5); }, false,
         dbf::LogRecovery::Outcome::Incomplete, 0},
        {"damaged",
         [](std::string l) {
             l[l.size() / 2] ^= 0x20;
             return l;
         },
         false, dbf::LogRecovery::Outcome::Kept, 0},
        {"other tables", [](const std::string& l) { return l; }, true,
         dbf::LogRecovery::Outcome::Kept, 0},
    };
    for (const Pripad& p : pripady) {
        SCOPED_TRACE(p.nazev);
        test::TestDir dir;
        vytvorKatalog(dir.str());
        const std::string log = zanechanyLog(dir.str());
        ASSERT_GT(log.size(), 100u);
        const std::string zapsany = p.uprav(log);
        const std::string cesta = (dir.path() / dbf::kLogName).string();
        if (p.jineTabulky) {
            std::filesystem::remove(cesta);
            dbf::Engine engine;
            auto skladby = engine.open(dir.str(), std::string(kSouborSkladeb));
            skladby->last();
            skladby->remove();
            skladby.reset();
            engine.pack(dir.str(), std::string(kSouborSkladeb));
        }
        test::writeFile(cesta, zapsany);
        // Looking changes nothing and tells of the log.
        EXPECT_FALSE(dbf::logNotices(*dbf::FileSystem::native(), dir.str()).empty());
        EXPECT_EQ(test::readFile(cesta), zapsany);
        {
            dbf::Engine engine;
            const auto r = dbf::recoverLog(engine, dir.str());
            ASSERT_TRUE(r.has_value());
            EXPECT_EQ(r->outcome, p.vysledek);
            if (p.vysledek == dbf::LogRecovery::Outcome::Kept) {
                EXPECT_EQ(test::readFile(r->keptAs), zapsany);
                EXPECT_NE(r->message.find("nebyl použit"), std::string::npos) << r->message;
                EXPECT_TRUE(dbf::hasKeptLog(engine.fileSystem(), dir.str()));
            }
        }
        EXPECT_FALSE(std::filesystem::exists(cesta));
        if (p.jineTabulky) continue;
        EXPECT_EQ(verzeAlba(dir.str(), p.nazev), p.verze);
        if (p.vysledek != dbf::LogRecovery::Outcome::Applied) continue;
        // Applying the same log once more gives the same tables.
        test::writeFile(cesta, zapsany);
        {
            dbf::Engine engine;
            EXPECT_EQ(dbf::recoverLog(engine, dir.str())->outcome,
                      dbf::LogRecovery::Outcome::Applied);
        }
        EXPECT_EQ(verzeAlba(dir.str(), p.nazev), p.verze);
    }
}

TEST(ZmenaAlba, AYearThatIsNoNumberChangesNothing) {
    test::TestDir dir;
    vytvorKatalog(dir.str());
    {
        dbf::Engine engine;
        auto alba = engine.open(dir.str(), std::string(kSouborAlb));
        auto skladby = engine.open(dir.str(), std::string(kSouborSkladeb));
        ZmenaAlba z = verze(1, "SN-2");
        z.pole.insert(z.pole.begin() + 1, {"ROK", "99a"});
        try {
            ZapisZmenuAlba(engine, dir.str(), *alba, *skladby, z);
            ADD_FAILURE() << "the year was taken";
        } catch (const dbf::EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("99a"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("ROK"), std::string::npos) << e.what();
        }
        EXPECT_EQ(alba->state(), dbf::CursorState::Browse);
    }
    EXPECT_EQ(verzeAlba(dir.str(), "year"), 0);
}

TEST(ZmenaAlba, AKilledSaverLeavesAWholeAlbumThatOpeningCompletes) {
    test::TestDir dir;
    vytvorKatalog(dir.str());
    std::mt19937 rng(20261208);
    int hotovo = 0;  // the last version a child reported as saved
    int dokonceno = 0;
    for (int kolo = 0; kolo < 20; ++kolo) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            try {
                dbf::Engine engine;
                auto alba = engine.open(dir.str(), std::string(kSouborAlb));
                auto skladby = engine.open(dir.str(), std::string(kSouborSkladeb));
                for (int v = hotovo + 1;; ++v) {
                    ZapisZmenuAlba(engine, dir.str(), *alba, *skladby,
                                   verze(v, "SN-" + std::to_string(v)));
                    if (::write(fds[1], &v, sizeof v) != sizeof v) ::_exit(2);
                }
            } catch (...) {
                ::_exit(1);
            }
        }
        ::close(fds[1]);
        int v = 0;
        ASSERT_EQ(::read(fds[0], &v, sizeof v), ssize_t(sizeof v)) << "round " << kolo;
        hotovo = v;
        ::usleep(std::uniform_int_distribution<int>(0, 30000)(rng));
        ::kill(pid, SIGKILL);
        while (::read(fds[0], &v, sizeof v) == ssize_t(sizeof v)) hotovo = v;
        ::close(fds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "saver stopped by itself, status " << status;
        const bool zurnal = std::filesystem::exists(dir.path() / dbf::kLogName);
        const int nalezena = verzeAlba(dir.str(), "round " + std::to_string(kolo));
        ASSERT_TRUE(nalezena == hotovo || nalezena == hotovo + 1)
            << "round " << kolo << ": saved " << hotovo << ", found " << nalezena;
        if (zurnal && nalezena == hotovo + 1) ++dokonceno;
        hotovo = nalezena;
    }
    std::cout << "saves completed by opening: " << dokonceno << " of 20 kills\n";
}
