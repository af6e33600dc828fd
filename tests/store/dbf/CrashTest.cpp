// A post that finished survives anything: a killed process, a short write, a full disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>

#include "DbfTestSupport.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "support/TestDir.h"

using namespace lorvika;
using namespace lorvika::dbf;
using Fault = test::FaultFileSystem::Fault;

namespace {

const std::vector<FieldDef> kTracks = {FieldDef::number("CD"), FieldDef::number("CISLO"),
                                       FieldDef::text("NAME", 50)};

std::string nameOf(std::int64_t cd) {
    return "Skladba č. " + std::to_string(cd);
}

void createTracks(const std::string& dir, int n) {
    Engine engine;
    engine.createTable(dir, "cdskladby.DBF", kTracks);
    auto c = engine.open(dir, "cdskladby.DBF");
    c->addTag({"CD", "CD"});
    for (int i = 1; i <= n; ++i) {
        c->append();
        c->setInteger("CD", i);
        c->setText("NAME", nameOf(i));
        c->post();
    }
}

// Problems that mean lost or inconsistent data; a record written past the count by an
// unfinished post is not one of them.
std::vector<std::string> realProblems(Engine& engine, const std::string& dir) {
    std::vector<std::string> out;
    for (auto& p : engine.verify(dir, "cdskladby.DBF"))
        if (p.find("navíc") == std::string::npos) out.push_back(p);
    return out;
}

// Every record in `posted` is there, findable on its tag, with its text.
void expectIntact(const std::string& dir, const std::set<std::int64_t>& posted,
                  const std::string& context) {
    Engine engine;
    std::unique_ptr<Cursor> c;
    ASSERT_NO_THROW(c = engine.open(dir, "cdskladby.DBF")) << context;
    EXPECT_GE(c->recordCount(), posted.size()) << context;
    c->setTag("CD");
    for (std::int64_t cd : posted) {
        ASSERT_TRUE(c->findKey(cd)) << context << ": record " << cd << " lost";
        EXPECT_EQ(c->text("NAME"), nameOf(cd)) << context;
    }
    c.reset();
    EXPECT_EQ(realProblems(engine, dir), std::vector<std::string>{}) << context;
}

}  // namespace

TEST(DbfCrash, KilledWriterLosesAtMostTheRecordBeingPosted) {
    test::TestDir dir;
    createTracks(dir.str(), 0);
    std::mt19937 rng(20240611);
    std::set<std::int64_t> posted;
    std::int64_t next = 1;
    for (int round = 0; round < 25; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            try {
                Engine engine;
                auto c = engine.open(dir.str(), "cdskladby.DBF");
                for (std::int64_t cd = next;; ++cd) {
                    c->append();
                    c->setInteger("CD", cd);
                    c->setText("NAME", cd % 4 == 0 ? "dočasné" : nameOf(cd));
                    c->post();
                    if (cd % 4 == 0) {  // an edit of the record just posted
                        c->edit();
                        c->setText("NAME", nameOf(cd));
                        c->post();
                    }
                    if (::write(fds[1], &cd, sizeof cd) != sizeof cd) ::_exit(2);
                }
            } catch (...) {
                ::_exit(1);
            }
        }
        ::close(fds[1]);
        std::int64_t cd = 0;
        // let it get going, then kill it at a random moment
        ASSERT_EQ(::read(fds[0], &cd, sizeof cd), ssize_t(sizeof cd)) << "round " << round;
        posted.insert(cd);
        ::usleep(std::uniform_int_distribution<int>(0, 20000)(rng));
        ::kill(pid, SIGKILL);
        while (::read(fds[0], &cd, sizeof cd) == ssize_t(sizeof cd)) posted.insert(cd);
        ::close(fds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer stopped by itself, status " << status;
        expectIntact(dir.str(), posted, "round " + std::to_string(round));
        if (HasFatalFailure()) return;
        // the writer goes on after the highest record that made it into the file
        Engine engine;
        auto c = engine.open(dir.str(), "cdskladby.DBF");
        c->setTag("CD");
        c->last();
        next = c->integer("CD") + 1;
    }
    EXPECT_GT(posted.size(), 25u);
}

TEST(DbfCrash, FailedWritesRaiseAndKeepEarlierPosts) {
    const Fault faults[] = {Fault::ShortWrite, Fault::DiskFull, Fault::Crash};
    for (Fault fault : faults) {
        // four posts take 9 writes: the index file is marked once, then record with end marker
        // and count for each
        for (long at = 1; at <= 9; ++at) {
            const std::string context =
                "fault " + std::to_string(int(fault)) + " at write " + std::to_string(at);
            test::TestDir dir;
            createTracks(dir.str(), 5);
            std::set<std::int64_t> posted{1, 2, 3, 4, 5};
            bool raised = false;
            {
                auto fs = std::make_shared<test::FaultFileSystem>();
                fs->failAt(at, fault);
                Engine engine(fs);
                auto c = engine.open(dir.str(), "cdskladby.DBF");
                const std::string table = dir.str() + "/cdskladby.DBF";
                for (std::int64_t cd = 6; cd <= 9; ++cd) {
                    const std::string before = test::readFile(table);
                    try {
                        c->append();
                        c->setInteger("CD", cd);
                        c->setText("NAME", nameOf(cd));
                        c->post();
                        posted.insert(cd);
                    } catch (const EngineError& e) {
                        raised = true;
                        EXPECT_NE(std::string(e.what()).find("cdskladby.DBF"), std::string::npos)
                            << e.what();
                        EXPECT_EQ(c->state(), CursorState::Insert) << "the unsaved record stays";
                        if (fault == Fault::Crash) break;
                        // a failed append leaves the file as it was, nothing past the records
                        EXPECT_EQ(test::readFile(table), before) << context;
                        // the disk has room again: the same post now goes through
                        c->post();
                        posted.insert(cd);
                    }
                }
                if (fault != Fault::Crash) {
                    c->setTag("CD");
                    EXPECT_EQ(c->recordCount(), posted.size()) << context;
                }
            }
            EXPECT_TRUE(raised) << context;
            expectIntact(dir.str(), posted, context);
        }
    }
}

TEST(DbfCrash, FailedPackOrAddColumnLeavesTheOldTable) {
    // The new file takes three writes (header, records, end marker); a failure in any of them
    // must leave the old table, a later one (the index file) must not undo the change.
    for (long at = 1; at <= 5; ++at) {
        for (bool packing : {true, false}) {
            const std::string context =
                std::string(packing ? "pack" : "add column") + ", write " + std::to_string(at);
            test::TestDir dir;
            createTracks(dir.str(), 30);
            {
                Engine engine;
                auto c = engine.open(dir.str(), "cdskladby.DBF");
                c->setTag("CD");
                ASSERT_TRUE(c->findKey(7));
                c->remove();
            }
            bool failed = false;
            {
                auto fs = std::make_shared<test::FaultFileSystem>();
                fs->failAt(at, Fault::DiskFull);
                Engine engine(fs);
                try {
                    if (packing)
                        engine.pack(dir.str(), "cdskladby.DBF");
                    else
                        engine.addColumn(dir.str(), "cdskladby.DBF", FieldDef::text("TYP", 25));
                } catch (const EngineError&) {
                    failed = true;
                }
            }
            EXPECT_EQ(failed, at <= 3) << context;
            EXPECT_FALSE(std::filesystem::exists(dir.path() / "cdskladby.DBF.tmp")) << context;
            Engine engine;
            auto c = engine.open(dir.str(), "cdskladby.DBF");
            EXPECT_EQ(c->recordCount(), 29u) << context;
            EXPECT_EQ(c->fields().size(), !failed && !packing ? 4u : 3u) << context;
            c->last();
            EXPECT_EQ(c->recordNumber(), !failed && packing ? 29u : 30u) << context;
            c.reset();
            EXPECT_EQ(engine.verify(dir.str(), "cdskladby.DBF"), std::vector<std::string>{})
                << context;
        }
    }
}
