// What the engine takes on trust: index files, record flags, read-only use, linked tables.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "DbfTestSupport.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "support/TestDir.h"

using namespace lorvika;
using namespace lorvika::dbf;

namespace {

const std::vector<FieldDef> kFields = {FieldDef::number("CISLO"), FieldDef::text("ALBUM", 20)};
constexpr std::size_t kHeader = 32 + 2 * 32 + 1;
constexpr std::size_t kRecord = 1 + 20 + 20;

void fill(Engine& engine, const std::string& dir, int n) {
    engine.createTable(dir, "cddata.DBF", kFields);
    auto c = engine.open(dir, "cddata.DBF");
    for (int i = 1; i <= n; ++i) {
        c->append();
        c->setInteger("CISLO", i);
        c->setText("ALBUM", "Album " + std::to_string(i));
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

void setFlag(const std::string& path, std::uint32_t rec, char flag) {
    std::string b = test::readFile(path);
    b[kHeader + (rec - 1) * kRecord] = flag;
    test::writeFile(path, b);
}

// A file system whose stamps of tables stand still, as on one with coarse times where another
// program's edit changes nothing the stamp holds.
class FrozenStamps : public test::FaultFileSystem {
  public:
    FileStamp stamp(const std::string& path) override {
        const auto it = kept_.find(path);
        return it != kept_.end() ? it->second : FaultFileSystem::stamp(path);
    }
    void freeze(const std::string& path) { kept_[path] = FaultFileSystem::stamp(path); }

  private:
    std::map<std::string, FileStamp> kept_;
};

// The index file's checksum, written out again here so that a test can forge a file whose
// checksums are right but whose entries are not.
std::uint64_t indexChecksum(const unsigned char* p, std::size_t n) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 0x100000001B3ull;
        h ^= h >> 29;
    }
    for (; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    h ^= h >> 32;
    return h;
}

std::uint64_t get64(const std::string& b, std::size_t at) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}
void put64(std::string& b, std::size_t at, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

}  // namespace

TEST(DbfTrust, IndexNamingARecordTwiceIsNotUsed) {
    test::TestDir dir;
    {
        Engine engine;
        fill(engine, dir.str(), 5);
    }
    // The first tag's second entry names the first entry's record: album 2 would vanish and
    // album 1 show twice. Both checksums are made right again.
    const std::string path = dir.str() + "/cddata.mdx";
    std::string b = test::readFile(path);
    constexpr std::size_t kHead = 104;
    const std::size_t entries = kHead + get64(b, 48);
    const std::size_t first = entries + 4;
    const std::size_t firstKey = static_cast<unsigned char>(b[first + 4]);
    b.replace(first + 6 + firstKey, 4, b.substr(first, 4));
    const auto* u = reinterpret_cast<const unsigned char*>(b.data());
    put64(b, 72, indexChecksum(u + entries, b.size() - entries));
    put64(b, 96, indexChecksum(u + 12, 84));
    test::writeFile(path, b);
    Engine engine;
    auto c = engine.open(dir.str(), "cddata.DBF");
    EXPECT_EQ(numbersOn(*c, "cislo"), (std::vector<std::int64_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(numbersOn(*c, "album").size(), 5u);
}

TEST(DbfTrust, IndexEntriesNamingDeletedRecordsAreNotUsed) {
    test::TestDir dir;
    auto fs = std::make_shared<FrozenStamps>();
    {
        Engine engine(fs);
        fill(engine, dir.str(), 5);
        auto c = engine.open(dir.str(), "cddata.DBF");
        c->setTag("cislo");
        c->last();
        c->remove();  // album 5 deleted: the index file names 1 to 4
        c.reset();
        engine.releaseUnused();
        fs->freeze(std::filesystem::weakly_canonical(dir.path()).string() + "/cddata.DBF");
    }
    // Another program deletes album 3 and brings album 5 back: as many live records as before,
    // and the stamp cannot see it; the index file still names 3 and not 5.
    setFlag(dir.str() + "/cddata.DBF", 3, '*');
    setFlag(dir.str() + "/cddata.DBF", 5, ' ');
    Engine engine(fs);
    auto c = engine.open(dir.str(), "cddata.DBF");
    EXPECT_EQ(numbersOn(*c, "album"), (std::vector<std::int64_t>{1, 2, 4, 5}));
    EXPECT_EQ(numbersOn(*c, "cislo"), (std::vector<std::int64_t>{1, 2, 4, 5}));
}

TEST(DbfTrust, CopiedIndexIsUsedOnlyWhileItMatchesTheRecords) {
    test::TestDir dir;
    {
        Engine engine;
        fill(engine, dir.str(), 6);
    }
    // A copy (a backup unpacked elsewhere) has new times and a new inode.
    const auto copy = dir.sub("copy");
    for (const char* f : {"cddata.DBF", "cddata.mdx"})
        std::filesystem::copy_file(dir.path() / f, copy / f);
    {
        Engine engine{Engine::ReadOnly{}};
        EXPECT_EQ(engine.indexStatus(copy.string(), "cddata.DBF"), Engine::IndexStatus::Current);
        EXPECT_EQ(engine.verify(copy.string(), "cddata.DBF"), std::vector<std::string>{});
    }
    // The same copy with one key changed in place, size and count kept: rebuilt, not trusted.
    std::string b = test::readFile((copy / "cddata.DBF").string());
    b.replace(kHeader + 1, 20, std::string(14, ' ') + "9.0000");
    test::writeFile((copy / "cddata.DBF").string(), b);
    Engine engine;
    EXPECT_EQ(engine.indexStatus(copy.string(), "cddata.DBF"), Engine::IndexStatus::Stale);
    auto c = engine.open(copy.string(), "cddata.DBF");
    EXPECT_EQ(numbersOn(*c, "cislo"), (std::vector<std::int64_t>{2, 3, 4, 5, 6, 9}));
}

TEST(DbfTrust, OnlyABlankFlagMakesALiveRecord) {
    test::TestDir dir;
    {
        Engine engine;
        fill(engine, dir.str(), 4);
    }
    // The zeros a crash can leave, and a stray mark.
    setFlag(dir.str() + "/cddata.DBF", 2, '\0');
    setFlag(dir.str() + "/cddata.DBF", 4, 'X');
    Engine engine;
    {
        auto c = engine.open(dir.str(), "cddata.DBF");
        EXPECT_EQ(c->recordCount(), 2u);
        EXPECT_EQ(numbersOn(*c, "cislo"), (std::vector<std::int64_t>{1, 3}));
        c->setTag("");
        EXPECT_EQ(numbersOn(*c, ""), (std::vector<std::int64_t>{1, 3}));
        auto q = engine.sql(dir.str(), "SELECT DISTINCT ALBUM FROM cddata.DBF");
        EXPECT_EQ(q->recordCount(), 2u);
    }
    const auto problems = engine.verify(dir.str(), "cddata.DBF");
    ASSERT_EQ(problems.size(), 1u) << ::testing::PrintToString(problems);
    EXPECT_NE(problems[0].find("2 záznamů má neplatný příznak"), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find(": 2, 4."), std::string::npos) << problems[0];
    // Packing drops them with the deleted ones.
    engine.pack(dir.str(), "cddata.DBF");
    EXPECT_EQ(engine.verify(dir.str(), "cddata.DBF"), std::vector<std::string>{});
    EXPECT_EQ(numbersOn(*engine.open(dir.str(), "cddata.DBF"), "cislo"),
              (std::vector<std::int64_t>{1, 3}));
}

TEST(DbfTrust, ReadOnlyEngineNeverWrites) {
    test::TestDir dir;
    {
        Engine engine;
        fill(engine, dir.str(), 5);
    }
    // A stale index: the table was appended to by a program that keeps no index.
    std::string b = test::readFile(dir.str() + "/cddata.DBF");
    std::string rec = b.substr(kHeader, kRecord);
    b.insert(kHeader + 5 * kRecord, rec);
    b[4] = 6;
    test::writeFile(dir.str() + "/cddata.DBF", b);
    const std::string mdx = test::readFile(dir.str() + "/cddata.mdx");
    const auto table = test::readFile(dir.str() + "/cddata.DBF");
    {
        Engine engine{Engine::ReadOnly{}};
        EXPECT_EQ(engine.indexStatus(dir.str(), "cddata.DBF"), Engine::IndexStatus::Stale);
        EXPECT_FALSE(engine.verify(dir.str(), "cddata.DBF").empty());
        auto c = engine.open(dir.str(), "cddata.DBF");
        EXPECT_EQ(numbersOn(*c, "cislo").size(), 6u);  // rebuilt in memory
        c->addTag({"jmeno", "ALBUM"});
        c->deleteTag("jmeno");
        EXPECT_THROW(engine.pack(dir.str(), "cddata.DBF"), EngineError);
        EXPECT_THROW(engine.rebuildIndex(dir.str(), "cddata.DBF"), EngineError);
        EXPECT_THROW(engine.createTable(dir.str(), "nova.DBF", kFields), EngineError);
        c->append();
        c->setInteger("CISLO", 7);
        EXPECT_THROW(c->post(), EngineError);
    }
    EXPECT_EQ(test::readFile(dir.str() + "/cddata.mdx"), mdx);
    EXPECT_EQ(test::readFile(dir.str() + "/cddata.DBF"), table);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "nova.DBF"));
}

TEST(DbfTrust, PackOfALinkedTableReplacesWhatTheLinkNames) {
    test::TestDir dir;
    const auto real = dir.sub("data");
    {
        Engine engine;
        fill(engine, real.string(), 4);
    }
    const auto db = dir.sub("db");
    std::filesystem::create_symlink(real / "cddata.DBF", db / "cddata.DBF");
    {
        Engine engine;
        auto c = engine.open(db.string(), "cddata.DBF");
        c->first();
        c->remove();
        c.reset();
        engine.pack(db.string(), "cddata.DBF");
    }
    EXPECT_TRUE(std::filesystem::is_symlink(db / "cddata.DBF"));
    EXPECT_FALSE(std::filesystem::exists(db / "cddata.DBF.tmp"));
    Engine engine;
    EXPECT_EQ(numbersOn(*engine.open(real.string(), "cddata.DBF"), "cislo"),
              (std::vector<std::int64_t>{2, 3, 4}));
    EXPECT_EQ(test::readFile((real / "cddata.DBF").string())[4], 3) << "the deleted one is gone";
}

TEST(DbfTrust, TableLockKeepsReplacementsAwayFromAnOpenTable) {
    test::TestDir dir;
    Engine engine;
    fill(engine, dir.str(), 2);
    auto held = engine.open(dir.str(), "cddata.DBF");
    try {
        TableLock lock(dir.str(), {"CDDATA.dbf", "chybi.DBF"});
        FAIL() << "the lock of an open table was taken";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "Tabulka cddata.DBF: databázi používá jiný spuštěný program.");
    }
    held.reset();
    engine.releaseUnused();
    TableLock lock(dir.str(), {"CDDATA.dbf", "chybi.DBF"});
    Engine other;
    EXPECT_THROW(other.open(dir.str(), "cddata.DBF"), EngineError);
}
