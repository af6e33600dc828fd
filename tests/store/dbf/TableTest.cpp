// Whole-table operations: pack, added columns, batch copy, the index file, locks.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DbfTestSupport.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "support/Locale.h"
#include "store/dbf/TableData.h"
#include "support/TestDir.h"

using namespace lorvika;
using namespace lorvika::dbf;

namespace {

const std::vector<FieldDef> kFields = {FieldDef::number("CISLO"), FieldDef::text("ALBUM", 50),
                                       FieldDef::text("SN", 30)};

void fill(Engine& engine, const std::string& dir, int n, const std::string& file = "cddata.DBF") {
    engine.createTable(dir, file, kFields);
    auto c = engine.open(dir, file);
    for (int i = 1; i <= n; ++i) {
        c->append();
        c->setInteger("CISLO", i);
        c->setText("ALBUM", "Album " + std::string(1, char('a' + (n - i) % 26)));
        c->setText("SN", "SN" + std::to_string(i % 3));
        c->post();
    }
    c->addTag({"cislo", "CISLO"});
    c->addTag({"album", "ALBUM"});
}

std::vector<std::int64_t> numbersOn(Cursor& c, const std::string& tag) {
    c.setTag(tag);
    std::vector<std::int64_t> out;
    for (c.first(); !c.eof(); c.next()) out.push_back(c.integer("CISLO"));
    return out;
}

bool mentions(const std::vector<std::string>& lines, const std::string& part) {
    for (const auto& l : lines)
        if (l.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(DbfTable, PackDropsDeletedRecordsAndRebuildsTags) {
    test::TestDir dir;
    Engine engine;
    fill(engine, dir.str(), 6);
    {
        auto c = engine.open(dir.str(), "cddata.DBF");
        c->setTag("cislo");
        for (int n : {2, 5}) {
            ASSERT_TRUE(c->findKey(n));
            c->remove();
        }
    }
    const auto sizeBefore = std::filesystem::file_size(dir.path() / "cddata.DBF");
    engine.pack(dir.str(), "cddata.DBF");
    EXPECT_LT(std::filesystem::file_size(dir.path() / "cddata.DBF"), sizeBefore);
    auto c = engine.open(dir.str(), "cddata.DBF");
    EXPECT_EQ(numbersOn(*c, ""), (std::vector<std::int64_t>{1, 3, 4, 6}));
    EXPECT_EQ(numbersOn(*c, "album"), (std::vector<std::int64_t>{6, 4, 3, 1}));
    c->setTag("");
    c->last();
    EXPECT_EQ(c->recordNumber(), 4u);
    EXPECT_EQ(engine.verify(dir.str(), "cddata.DBF"), std::vector<std::string>{});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "cddata.DBF.tmp"));
    // a cursor open across a pack starts again at the top
    auto other = engine.open(dir.str(), "cddata.DBF");
    other->last();
    other->remove();
    engine.pack(dir.str(), "cddata.DBF");
    EXPECT_EQ(other->integer("CISLO"), 1);
    EXPECT_TRUE(other->bof());
    other->next();
    EXPECT_EQ(other->integer("CISLO"), 3);
    c.reset();
    other.reset();
    engine.releaseUnused();
    Engine fresh;
    auto again = fresh.open(dir.str(), "cddata.DBF");
    EXPECT_EQ(numbersOn(*again, "cislo"), (std::vector<std::int64_t>{1, 3, 4}));
}

TEST(DbfTable, AddColumnKeepsRecordsLanguageAndTags) {
    test::TestDir dir;
    Engine engine;
    engine.setLanguageDriver("DBWINUS0");
    fill(engine, dir.str(), 3);
    auto c = engine.open(dir.str(), "cddata.DBF");
    c->first();
    c->edit();
    c->setText("ALBUM", "Čížek");
    c->post();
    engine.addColumn(dir.str(), "cddata.DBF", FieldDef::number("HODNOC"));
    engine.addColumn(dir.str(), "cddata.DBF", FieldDef::text("POPIS", 200));
    EXPECT_THROW(engine.addColumn(dir.str(), "cddata.DBF", FieldDef::text("popis", 5)),
                 EngineError);
    ASSERT_EQ(c->fields().size(), 5u);
    EXPECT_EQ(c->fields()[4], FieldDef::text("POPIS", 200));
    EXPECT_EQ(numbersOn(*c, "album"), (std::vector<std::int64_t>{3, 2, 1}));
    c->setTag("cislo");
    ASSERT_TRUE(c->findKey(1));
    EXPECT_EQ(c->text("ALBUM"), "Čížek");
    EXPECT_TRUE(c->isNull("HODNOC"));
    EXPECT_EQ(c->text("POPIS"), "");
    c->edit();
    c->setInteger("HODNOC", 5);
    c->post();
    c.reset();
    engine.releaseUnused();

    const std::string b = test::readFile(dir.str() + "/cddata.DBF");
    EXPECT_EQ(std::uint8_t(b[29]), 0xC8);
    EXPECT_EQ(std::uint8_t(b[8]) | (std::uint8_t(b[9]) << 8), 32 + 5 * 32 + 1);
    Engine fresh;
    auto d = fresh.open(dir.str(), "cddata.DBF", {"HODNOC", "POPIS"});
    EXPECT_EQ(fresh.indexStatus(dir.str(), "cddata.DBF"), Engine::IndexStatus::Current);
    d->setTag("cislo");
    ASSERT_TRUE(d->findKey(1));
    EXPECT_EQ(d->integer("HODNOC"), 5);
    EXPECT_EQ(d->text("ALBUM"), "Čížek");
}

TEST(DbfTable, BatchCopyCreatesOrAppendsByColumnName) {
    test::TestDir dir;
    Engine engine;
    fill(engine, dir.str(), 5);
    auto src = engine.open(dir.str(), "cddata.DBF");
    src->setTag("cislo");
    ASSERT_TRUE(src->findKey(3));
    src->remove();
    src->setTag("album");
    src->setRange("Album b", "Album e");
    ASSERT_TRUE(src->findKey("Album d"));
    const auto before = src->recordNumber();

    engine.batchCopy(*src, dir.str(), "copy.dbf", BatchMode::Create);
    EXPECT_EQ(src->recordNumber(), before) << "the source keeps its position";
    auto copy = engine.open(dir.str(), "copy.dbf");
    EXPECT_EQ(copy->fields(), src->fields());
    EXPECT_TRUE(copy->tags().empty());
    EXPECT_EQ(numbersOn(*copy, ""), (std::vector<std::int64_t>{4, 2, 1}))
        << "in the cursor's order";

    engine.createTable(
        dir.str(), "other.dbf",
        {FieldDef::text("X", 3), FieldDef::text("album", 5), {"CISLO", FieldType::Numeric, 4, 0}});
    src->cancelRange();
    engine.batchCopy(*src, dir.str(), "other.dbf", BatchMode::Append);
    auto other = engine.open(dir.str(), "other.dbf");
    other->addTag({"c", "CISLO", false});
    engine.batchCopy(*src, dir.str(), "other.dbf", BatchMode::Append);
    EXPECT_EQ(other->recordCount(), 8u);
    EXPECT_EQ(numbersOn(*other, "c"), (std::vector<std::int64_t>{1, 1, 2, 2, 4, 4, 5, 5}))
        << "a tag of the target takes the appended records";
    other->setTag("");
    other->first();
    EXPECT_EQ(other->text("ALBUM"), "Album") << "cut to the column";
    EXPECT_EQ(other->integer("CISLO"), 5);
    EXPECT_TRUE(other->isNull("X"));
    EXPECT_THROW(engine.batchCopy(*src, dir.str(), "cddata.DBF", BatchMode::Append), EngineError);
    EXPECT_THROW(engine.batchCopy(*src, dir.str(), "copy.dbf", BatchMode::Create), EngineError)
        << "copy.dbf is open";
}

TEST(DbfTable, DecodedNumbersFollowEveryChange) {
    test::TestDir dir;
    Engine engine;
    fill(engine, dir.str(), 4);
    auto c = engine.open(dir.str(), "cddata.DBF");
    const int cislo = c->fieldIndex("CISLO");
    auto column = [&] {
        const std::int64_t* v = c->data().wholeNumbers(cislo);
        return std::vector<std::int64_t>(v + 1, v + 1 + c->data().count());
    };
    EXPECT_EQ(column(), (std::vector<std::int64_t>{1, 2, 3, 4}));
    c->setTag("cislo");
    ASSERT_TRUE(c->findKey(2));
    c->edit();
    c->setInteger("CISLO", 20);
    c->post();
    c->append();
    c->setInteger("CISLO", 5);
    c->post();
    EXPECT_EQ(column(), (std::vector<std::int64_t>{1, 20, 3, 4, 5}));
    ASSERT_TRUE(c->findKey(1));
    c->remove();
    engine.pack(dir.str(), "cddata.DBF");
    EXPECT_EQ(column(), (std::vector<std::int64_t>{20, 3, 4, 5})) << "renumbered by the pack";
    EXPECT_THROW(c->data().wholeNumbers(c->fieldIndex("ALBUM")), EngineError);
}

TEST(DbfTable, TagsPersistInTheIndexFile) {
    test::TestDir dir;
    {
        Engine engine;
        fill(engine, dir.str(), 40);
        auto c = engine.open(dir.str(), "cddata.DBF");
        c->addTag({"down", "CISLO", true});
        c->addTag({"both", "SN+ALBUM"});
        c->deleteTag("album");
    }
    Engine engine;
    EXPECT_EQ(engine.indexStatus(dir.str(), "CDDATA.DBF"), Engine::IndexStatus::Current);
    auto c = engine.open(dir.str(), "cddata.DBF");
    const std::vector<TagDef> expected = {
        {"cislo", "CISLO", false}, {"down", "CISLO", true}, {"both", "SN+ALBUM", false}};
    EXPECT_EQ(c->tags(), expected);
    const auto down = numbersOn(*c, "DOWN");
    ASSERT_EQ(down.size(), 40u);
    EXPECT_EQ(down.front(), 40);
    EXPECT_EQ(down.back(), 1);
    EXPECT_EQ(engine.verify(dir.str(), "cddata.DBF"), std::vector<std::string>{});
}

TEST(DbfTable, BrokenOrStaleIndexFilesAreRebuilt) {
    struct Case {
        const char* what;
        std::function<void(const std::string& dir)> spoil;
        Engine::IndexStatus status;
        bool keepsTags;
    };
    const Case cases[] = {
        {"missing", [](const std::string& d) { std::filesystem::remove(d + "/cddata.mdx"); },
         Engine::IndexStatus::Missing, false},
        {"garbage",
         [](const std::string& d) { test::writeFile(d + "/cddata.mdx", std::string(5000, 'x')); },
         Engine::IndexStatus::Damaged, false},
        {"foreign dBase index",
         [](const std::string& d) {
             std::string b(2048, '\0');
             b[0] = 0x02;
             b.replace(16, 6, "CDDATA");
             test::writeFile(d + "/cddata.mdx", b);
         },
         Engine::IndexStatus::Damaged, false},
        {"damaged entries",
         [](const std::string& d) {
             std::string b = test::readFile(d + "/cddata.mdx");
             b[b.size() - 3] ^= 0x55;
             test::writeFile(d + "/cddata.mdx", b);
         },
         Engine::IndexStatus::Damaged, true},
        {"truncated",
         [](const std::string& d) {
             std::string b = test::readFile(d + "/cddata.mdx");
             test::writeFile(d + "/cddata.mdx", b.substr(0, b.size() - 10));
         },
         Engine::IndexStatus::Damaged, true},
        {"table changed by another program",
         [](const std::string& d) {
             // swap two records' numbers behind the index's back
             std::string b = test::readFile(d + "/cddata.DBF");
             const std::size_t header = 32 + 3 * 32 + 1, len = 1 + 20 + 50 + 30;
             std::string first = b.substr(header + 1, 20);
             b.replace(header + 1, 20, b.substr(header + len + 1, 20));
             b.replace(header + len + 1, 20, first);
             test::writeFile(d + "/cddata.DBF", b);
             struct stat st {};
             ::stat((d + "/cddata.DBF").c_str(), &st);
             st.st_mtim.tv_sec += 10;
             const timespec times[2] = {st.st_atim, st.st_mtim};
             ::utimensat(AT_FDCWD, (d + "/cddata.DBF").c_str(), times, 0);
         },
         Engine::IndexStatus::Stale, true},
    };
    for (const Case& c : cases) {
        test::TestDir dir;
        {
            Engine engine;
            fill(engine, dir.str(), 30);
        }
        c.spoil(dir.str());
        Engine engine;
        EXPECT_EQ(engine.indexStatus(dir.str(), "cddata.DBF"), c.status) << c.what;
        auto cur = engine.open(dir.str(), "cddata.DBF");
        EXPECT_EQ(cur->hasTag("cislo"), c.keepsTags) << c.what;
        if (c.keepsTags) {
            const auto order = numbersOn(*cur, "cislo");
            EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << c.what;
            EXPECT_EQ(order.size(), 30u) << c.what;
            EXPECT_EQ(engine.indexStatus(dir.str(), "cddata.DBF"), Engine::IndexStatus::Current)
                << c.what << ": written again at once";
        }
        EXPECT_EQ(engine.verify(dir.str(), "cddata.DBF"), std::vector<std::string>{}) << c.what;
    }
}

TEST(DbfTable, EditKeepingSizeCountAndTimeLeavesNoIndexTrusted) {
    test::TestDir dir;
    {
        Engine engine;
        fill(engine, dir.str(), 10);
    }
    // Change a key in place and give the file its old time back: only the change time tells.
    const std::string path = dir.str() + "/cddata.DBF";
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    std::string b = test::readFile(path);
    const std::size_t header = 32 + 3 * 32 + 1;
    b.replace(header + 1, 20, std::string(14, ' ') + "9.0000");
    test::writeFile(path, b);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    Engine engine;
    const auto problems = engine.verify(dir.str(), "cddata.DBF");
    EXPECT_TRUE(mentions(problems, "neodpovídá tabulce")) << ::testing::PrintToString(problems);
    EXPECT_FALSE(mentions(problems, "Index cislo")) << ::testing::PrintToString(problems);
    auto c = engine.open(dir.str(), "cddata.DBF");
    c->setTag("cislo");
    c->first();  // the old index would put record 1 first, though it now holds 9
    EXPECT_EQ(c->integer("CISLO"), 2);
    EXPECT_EQ(engine.verify(dir.str(), "cddata.DBF"), std::vector<std::string>{});
}

TEST(DbfTable, VerifyReportsBrokenTables) {
    test::TestDir dir;
    Engine engine;
    fill(engine, dir.str(), 3);
    engine.releaseUnused();
    std::string b = test::readFile(dir.str() + "/cddata.DBF");
    b[4] = 9;  // claims nine records
    test::writeFile(dir.str() + "/bad.dbf", b);
    auto problems = engine.verify(dir.str(), "bad.dbf");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("Tabulka bad.dbf"), std::string::npos) << problems[0];
    EXPECT_TRUE(mentions(engine.verify(dir.str(), "none.dbf"), "neexistuje"));
    b = test::readFile(dir.str() + "/cddata.DBF") + std::string(300, 'z');
    test::writeFile(dir.str() + "/long.dbf", b);
    EXPECT_TRUE(mentions(engine.verify(dir.str(), "long.dbf"), "navíc"));
}

TEST(DbfTable, DeleteCreateAndRelease) {
    test::TestDir dir;
    Engine engine;
    fill(engine, dir.str(), 2, "work.DBF");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "work.mdx"));
    {
        auto c = engine.open(dir.str(), "work.dbf");
        EXPECT_THROW(engine.deleteTable(dir.str(), "WORK.DBF"), EngineError);
        EXPECT_THROW(engine.createTable(dir.str(), "work.DBF", kFields), EngineError);
    }
    // a second engine in the same process is kept out while the first holds the table
    Engine second;
    EXPECT_THROW(second.open(dir.str(), "work.DBF"), EngineError);
    engine.releaseUnused();
    EXPECT_NO_THROW(second.open(dir.str(), "work.DBF"));
    second.releaseUnused();
    // creating again empties the table and forgets its tags
    engine.createTable(dir.str(), "work.DBF", kFields);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "work.mdx"));
    {
        auto c = engine.open(dir.str(), "work.DBF");
        EXPECT_TRUE(c->isEmpty());
        EXPECT_TRUE(c->tags().empty());
    }
    engine.deleteTable(dir.str(), "WORK.dbf");
    EXPECT_FALSE(engine.tableExists(dir.str(), "work.DBF"));
    EXPECT_NO_THROW(engine.deleteTable(dir.str(), "work.DBF"));
}

TEST(DbfTable, FileReplacedWhileUnusedIsReadAgain) {
    test::TestDir dir;
    Engine engine;
    fill(engine, dir.str(), 3);
    engine.open(dir.str(), "cddata.DBF").reset();  // table stays loaded without cursors
    test::writeFile(dir.str() + "/cddata.DBF.new",
                    test::rawDbf({{"CISLO", 'F', 20, 4}, {"ALBUM", 'C', 50}, {"SN", 'C', 30}},
                                 {{"77", "Obnovené", ""}}, 0x1F));
    std::filesystem::rename(dir.path() / "cddata.DBF.new", dir.path() / "cddata.DBF");
    auto c = engine.open(dir.str(), "cddata.DBF");
    EXPECT_EQ(c->recordCount(), 1u);
    EXPECT_EQ(c->integer("CISLO"), 77);
    EXPECT_EQ(numbersOn(*c, "cislo"), std::vector<std::int64_t>{77});
}

TEST(DbfTable, AnotherRunningProgramIsKeptOut) {
    test::TestDir dir;
    {
        Engine engine;
        fill(engine, dir.str(), 3);
    }
    int toChild[2], toParent[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(toParent), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        char go = 0;
        int code = 0;
        try {
            Engine engine;
            auto c = engine.open(dir.str(), "cddata.DBF");
            if (::write(toParent[1], "o", 1) != 1) code = 2;
            if (::read(toChild[0], &go, 1) != 1) code = 3;
            // after the parent let go, packing replaces the file and the lock moves with it
            c.reset();
            engine.pack(dir.str(), "cddata.DBF");
            if (::write(toParent[1], "p", 1) != 1) code = 4;
            if (::read(toChild[0], &go, 1) != 1) code = 5;
        } catch (...) {
            code = 1;
        }
        ::_exit(code);
    }
    char c = 0;
    ASSERT_EQ(::read(toParent[0], &c, 1), 1);
    ASSERT_EQ(c, 'o');
    {
        Engine engine;
        try {
            engine.open(dir.str(), "cddata.DBF");
            ADD_FAILURE() << "opened a table another program holds";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("jiný spuštěný program"), std::string::npos)
                << e.what();
            EXPECT_NE(std::string(e.what()).find("cddata.DBF"), std::string::npos) << e.what();
        }
        EXPECT_THROW(engine.deleteTable(dir.str(), "cddata.DBF"), EngineError);
        EXPECT_TRUE(engine.tableExists(dir.str(), "cddata.DBF"));
    }
    ASSERT_EQ(::write(toChild[1], "g", 1), 1);
    ASSERT_EQ(::read(toParent[0], &c, 1), 1);
    ASSERT_EQ(c, 'p');
    {
        Engine engine;
        EXPECT_THROW(engine.open(dir.str(), "cddata.DBF"), EngineError) << "lock after the rename";
    }
    ASSERT_EQ(::write(toChild[1], "g", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    Engine engine;
    EXPECT_EQ(engine.open(dir.str(), "cddata.DBF")->recordCount(), 3u);
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) ::close(fd);
}

// Records present at open are read through a mapping of the file where the file system can map,
// and from memory copies where it cannot; both must behave alike.
TEST(DbfTable, ReopenedTableWorksMappedOrRead) {
    for (bool mapped : {true, false}) {
        const std::string context = mapped ? "mapped" : "read";
        test::TestDir dir;
        {
            Engine engine;
            fill(engine, dir.str(), 50);
        }
        std::shared_ptr<FileSystem> fs = FileSystem::native();
        if (!mapped) fs = std::make_shared<test::FaultFileSystem>();  // no faults, no mapping
        {
            Engine engine(fs);
            auto a = engine.open(dir.str(), "cddata.DBF");
            auto b = engine.open(dir.str(), "cddata.DBF");
            a->setTag("cislo");
            b->setTag("cislo");
            ASSERT_TRUE(b->findKey(20)) << context;
            // edits, deletes and appends through one cursor, seen by the other
            ASSERT_TRUE(a->findKey(10));
            a->edit();
            a->setInteger("CISLO", 100);
            a->setText("ALBUM", "Přesunuté");
            a->post();
            ASSERT_TRUE(a->findKey(21));
            a->remove();
            a->append();
            a->setInteger("CISLO", 0);
            a->post();
            b->next();
            EXPECT_EQ(b->integer("CISLO"), 22) << context;
            EXPECT_TRUE(b->findKey(100)) << context;
            EXPECT_EQ(b->text("ALBUM"), "Přesunuté") << context;
            EXPECT_EQ(b->recordNumber(), 10u) << context;
            b->first();
            EXPECT_EQ(b->integer("CISLO"), 0) << context;
            EXPECT_EQ(b->recordCount(), 50u) << context;
        }
        Engine engine;
        auto c = engine.open(dir.str(), "cddata.DBF");
        const auto order = numbersOn(*c, "cislo");
        ASSERT_EQ(order.size(), 50u) << context;
        EXPECT_EQ(order.front(), 0) << context;
        EXPECT_EQ(order.back(), 100) << context;
        EXPECT_EQ(std::count(order.begin(), order.end(), 21), 0) << context;
        EXPECT_EQ(engine.indexStatus(dir.str(), "cddata.DBF"), Engine::IndexStatus::Current);
        EXPECT_EQ(engine.verify(dir.str(), "cddata.DBF"), std::vector<std::string>{}) << context;
        engine.pack(dir.str(), "cddata.DBF");
        EXPECT_EQ(numbersOn(*c, "cislo"), order) << context;
    }
}

TEST(DbfTable, PackKeepsEqualKeysInRecordOrderOnEveryTag) {
    test::TestDir dir;
    Engine engine;
    engine.createTable(dir.str(), "cddata.DBF", kFields);
    auto c = engine.open(dir.str(), "cddata.DBF");
    // long equal key beginnings, so keys differ only late
    for (int i = 1; i <= 3000; ++i) {
        c->append();
        c->setInteger("CISLO", i);
        c->setText("ALBUM", "Společná dlouhá předpona " + std::to_string(i % 7));
        c->setText("SN", "SN" + std::to_string(i % 5));
        c->post();
    }
    c->addTag({"sn", "SN"});
    c->addTag({"down", "SN", true});
    c->addTag({"both", "SN+ALBUM"});
    c->addTag({"cislo", "CISLO"});
    // deletions at the start, the end and inside runs of equal keys
    c->setTag("cislo");
    std::vector<std::int64_t> kept;
    for (int i = 1; i <= 3000; ++i) {
        if (i == 1 || i == 3000 || i % 3 == 0 || (i > 1000 && i < 1400)) {
            ASSERT_TRUE(c->findKey(i));
            c->remove();
        } else {
            kept.push_back(i);
        }
    }
    engine.pack(dir.str(), "cddata.DBF");
    const auto expected = [&](int sn, bool withAlbum) {
        std::vector<std::int64_t> out;
        for (int a = 0; a < (withAlbum ? 7 : 1); ++a)
            for (std::int64_t i : kept)
                if (i % 5 == sn && (!withAlbum || i % 7 == a)) out.push_back(i);
        return out;
    };
    std::vector<std::int64_t> up, down, both;
    for (int sn = 0; sn < 5; ++sn) {
        const auto run = expected(sn, false);
        up.insert(up.end(), run.begin(), run.end());
        const auto downRun = expected(4 - sn, false);
        down.insert(down.end(), downRun.begin(), downRun.end());
        const auto bothRun = expected(sn, true);
        both.insert(both.end(), bothRun.begin(), bothRun.end());
    }
    EXPECT_EQ(numbersOn(*c, "sn"), up);
    EXPECT_EQ(numbersOn(*c, "down"), down);
    EXPECT_EQ(numbersOn(*c, "both"), both);
    EXPECT_EQ(numbersOn(*c, "cislo"), kept);
    // record numbers are the new ones: the n-th kept record is record n
    c->setTag("cislo");
    c->first();
    EXPECT_EQ(c->recordNumber(), 1u);
    c->last();
    EXPECT_EQ(c->recordNumber(), kept.size());
    c->setTag("sn");
    c->setRange(std::string("SN2"), std::string("SN2"));
    EXPECT_EQ(c->recordCount(), expected(2, false).size());
    std::vector<std::int64_t> inRange;
    for (c->first(); !c->eof(); c->next()) inRange.push_back(c->integer("CISLO"));
    EXPECT_EQ(inRange, expected(2, false));
    c->cancelRange();
    EXPECT_EQ(engine.verify(dir.str(), "cddata.DBF"), std::vector<std::string>{});
}

TEST(DbfTable, AddedTagReachesTheIndexFileOnlyWhenWritten) {
    // A process that dies after adding tags must not leave an index file that passes for
    // current without them; one that closes its cursor leaves them written.
    struct Case {
        const char* what;
        bool indexBefore;
        bool closeCursor;
        Engine::IndexStatus status;
        std::vector<TagDef> tags;
    };
    const std::vector<TagDef> old = {{"cislo", "CISLO", false}, {"album", "ALBUM", false}};
    const std::vector<TagDef> added = {
        {"cislo", "CISLO", false}, {"album", "SN", false}, {"down", "CISLO", true}};
    const Case cases[] = {
        {"crash with an index file", true, false, Engine::IndexStatus::Stale, old},
        {"crash without an index file", false, false, Engine::IndexStatus::Missing, {}},
        {"cursor closed", true, true, Engine::IndexStatus::Current, added},
        {"cursor closed, no index file before",
         false,
         true,
         Engine::IndexStatus::Current,
         {{"album", "SN", false}, {"down", "CISLO", true}}},
    };
    for (const Case& k : cases) {
        test::TestDir dir;
        {
            Engine engine;
            fill(engine, dir.str(), 50);
        }
        if (!k.indexBefore) std::filesystem::remove(dir.path() / "cddata.mdx");
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            try {
                Engine engine;
                auto c = engine.open(dir.str(), "cddata.DBF");
                c->addTag({"album", "SN"});  // replaces a tag of that name
                c->addTag({"down", "CISLO", true});
                if (k.closeCursor) c.reset();
                ::_exit(0);  // no destructors: whatever is not on disk yet is lost
            } catch (...) {
                ::_exit(1);
            }
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << k.what;
        Engine engine;
        EXPECT_EQ(engine.indexStatus(dir.str(), "cddata.DBF"), k.status) << k.what;
        auto c = engine.open(dir.str(), "cddata.DBF");
        EXPECT_EQ(c->tags(), k.tags) << k.what;
        if (c->hasTag("cislo")) {
            const auto order = numbersOn(*c, "cislo");
            EXPECT_EQ(order.size(), 50u) << k.what;
            EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << k.what;
        }
        if (c->hasTag("down")) {
            EXPECT_EQ(numbersOn(*c, "down").front(), 50) << k.what;
        }
        c.reset();
        EXPECT_EQ(engine.verify(dir.str(), "cddata.DBF"), std::vector<std::string>{}) << k.what;
    }
}

// An earlier version wrote numbers with the decimal comma of a Czech desktop; no other dBase
// reader takes them. The check names each, the repair rewrites them in one replacement.
TEST(DbfTable, NumbersWithADecimalCommaAreReportedAndRewritten) {
    test::CeskeProstredi cesky;
    ASSERT_TRUE(cesky.ok());
    test::TestDir dir;
    const std::string path = dir.str() + "/cddata.DBF";
    test::writeFile(path,
                    test::rawDbf({{"CISLO", 'F', 20, 4}, {"ALBUM", 'C', 10}, {"DELKA", 'N', 10, 2}},
                                 {{"1,0000", "a", "20,00"},
                                  {"2.0000", "b", "5.50"},
                                  {"3,5000", "c", ""},
                                  {"9,0000", "d", ""}},
                                 0x1F, {false, false, false, true}));
    Engine engine;
    engine.open(dir.str(), "cddata.DBF")->addTag({"cislo", "CISLO"});
    const auto problems = engine.verify(dir.str(), "cddata.DBF");
    for (const char* part : {"záznam 1, sloupec CISLO: číslo „1,0000“", "záznam 1, sloupec DELKA",
                             "záznam 3, sloupec CISLO", "záznam 4, sloupec CISLO"})
        EXPECT_TRUE(mentions(problems, part)) << part;
    EXPECT_EQ(problems.size(), 4u);

    EXPECT_EQ(engine.normalizeNumbers(dir.str(), "cddata.DBF"), 4u);
    const std::string bytes = test::readFile(path);
    EXPECT_EQ(bytes.find(','), std::string::npos);
    for (const char* stored : {"              1.0000a", "     20.00", "              3.5000c"})
        EXPECT_NE(bytes.find(stored), std::string::npos) << stored;
    EXPECT_EQ(engine.verify(dir.str(), "cddata.DBF"), std::vector<std::string>{});
    auto c = engine.open(dir.str(), "cddata.DBF");
    EXPECT_EQ(numbersOn(*c, "cislo"), (std::vector<std::int64_t>{1, 2, 4}));
    c->setTag("");
    c->first();
    EXPECT_EQ(c->number("DELKA"), 20.0);

    // Nothing left to rewrite: the file stays as it is.
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    EXPECT_EQ(engine.normalizeNumbers(dir.str(), "cddata.DBF"), 0u);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    // What is posted under the comma locale is written with the point.
    c->append();
    c->setText("CISLO", "7,25");
    c->setNumber("DELKA", 0.5);
    c->post();
    const std::string later = test::readFile(path);
    EXPECT_NE(later.find("              7.2500"), std::string::npos);
    EXPECT_NE(later.find("      0.50"), std::string::npos);
}
