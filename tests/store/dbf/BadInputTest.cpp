// Broken tables and index files give a clear error or a rebuilt index, never a crash.
#include <gtest/gtest.h>

#include <random>

#include "DbfTestSupport.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/OrderedIndex.h"
#include "support/TestDir.h"

using namespace lorvika;
using namespace lorvika::dbf;
using test::RawField;

namespace {

const std::vector<RawField> kRaw = {{"CISLO", 'F', 20, 4}, {"NAME", 'C', 12}, {"D", 'D', 8}};

std::string goodTable() {
    return test::rawDbf(kRaw,
                        {{"1", "jedna", "20200101"}, {"2", "dvě", ""}, {"3", "tři", "20211231"}});
}

void put16(std::string& b, std::size_t at, int v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

// Opens, reads everything on a tag and in physical order; any failure must be an EngineError.
void exercise(const std::string& dir, const std::string& file) {
    Engine engine;
    auto c = engine.open(dir, file);
    for (c->first(); !c->eof(); c->next())
        for (int i = 0; i < int(c->fields().size()); ++i) (void)c->text(i);
    if (!c->tags().empty()) {
        c->setTag(c->tags()[0].name);
        for (c->last(); !c->bof(); c->prior()) (void)c->text(0);
    }
    (void)engine.verify(dir, file);
}

}  // namespace

TEST(DbfBadInput, BrokenHeadersAreEngineErrors) {
    struct Case {
        const char* what;
        std::function<std::string()> bytes;
    };
    const Case cases[] = {
        {"empty file", [] { return std::string(); }},
        {"only a header start", [] { return goodTable().substr(0, 20); }},
        {"truncated in the records",
         [] {
             auto b = goodTable();
             return b.substr(0, b.size() - 30);
         }},
        {"absurd record count",
         [] {
             auto b = goodTable();
             b[4] = b[5] = b[6] = b[7] = char(0xFF);
             return b;
         }},
        {"header length past the end",
         [] {
             auto b = goodTable();
             put16(b, 8, 60000);
             return b;
         }},
        {"header length too small",
         [] {
             auto b = goodTable();
             put16(b, 8, 10);
             return b;
         }},
        {"record length disagrees with the fields",
         [] {
             auto b = goodTable();
             put16(b, 10, 40);
             return b;
         }},
        {"no field terminator",
         [] {
             auto b = goodTable();
             b[32 + 3 * 32] = 'X';
             return b;
         }},
        {"garbage field name",
         [] {
             auto b = goodTable();
             b[32] = '\0';
             return b;
         }},
        {"zero field width",
         [] {
             auto b = goodTable();
             b[32 + 32 + 16] = 0;
             return b;
         }},
        {"unknown field type",
         [] {
             auto b = goodTable();
             b[32 + 11] = 'M';
             return b;
         }},
        {"dBase 7 version byte",
         [] {
             auto b = goodTable();
             b[0] = 0x04;
             return b;
         }},
        {"no fields at all",
         [] {
             auto b = goodTable().substr(0, 32);
             b += '\x0D';
             put16(b, 8, 33);
             put16(b, 10, 1);
             b[4] = 0;
             return b;
         }},
    };
    for (const Case& c : cases) {
        test::TestDir dir;
        test::writeFile(dir.str() + "/bad.dbf", c.bytes());
        Engine engine;
        try {
            engine.open(dir.str(), "bad.dbf");
            ADD_FAILURE() << c.what << ": opened";
        } catch (const EngineError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Tabulka bad.dbf: ", 0), 0u)
                << c.what << ": " << e.what();
        }
        EXPECT_FALSE(engine.verify(dir.str(), "bad.dbf").empty()) << c.what;
        EXPECT_THROW(engine.indexStatus(dir.str(), "bad.dbf"), EngineError) << c.what;
    }
}

TEST(DbfBadInput, OddButReadableTables) {
    // header longer than needed, bytes after the records, no end marker, garbage numbers and dates
    std::string b = test::rawDbf(kRaw, {{"1x", "a", "2020130A"}, {"  ", "b", "00000000"}});
    b.pop_back();
    b += "trailing junk";
    std::string padded =
        b.substr(0, 32 + 3 * 32 + 1) + std::string(31, '\0') + b.substr(32 + 3 * 32 + 1);
    put16(padded, 8, 32 + 3 * 32 + 1 + 31);
    test::TestDir dir;
    test::writeFile(dir.str() + "/odd.dbf", padded);
    Engine engine;
    auto c = engine.open(dir.str(), "odd.dbf");
    ASSERT_EQ(c->recordCount(), 2u);
    EXPECT_EQ(c->integer("CISLO"), 0);
    EXPECT_TRUE(c->date("D").isNull());
    c->addTag({"d", "D"});
    c->addTag({"n", "CISLO"});
    c->append();
    c->setInteger("CISLO", 5);
    c->post();
    c.reset();
    engine.releaseUnused();
    Engine again;
    auto d = again.open(dir.str(), "odd.dbf");
    d->setTag("n");
    ASSERT_TRUE(d->findKey(5));
    EXPECT_EQ(d->recordNumber(), 3u);
}

TEST(DbfBadInput, RandomMutationsNeverCrash) {
    test::TestDir dir;
    std::string table, index;
    {
        test::writeFile(dir.str() + "/seed.dbf", goodTable());
        Engine engine;
        auto c = engine.open(dir.str(), "seed.dbf");
        c->addTag({"cislo", "CISLO"});
        c->addTag({"name", "NAME+D", true});
        c->addTag({"d", "D"});
    }
    table = test::readFile(dir.str() + "/seed.dbf");
    index = test::readFile(dir.str() + "/seed.mdx");
    ASSERT_FALSE(index.empty());
    std::mt19937 rng(4242);
    int opened = 0, refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::string t = table, x = index;
        std::string& target = round % 2 ? x : t;
        const int flips = std::uniform_int_distribution<int>(1, 6)(rng);
        for (int i = 0; i < flips; ++i) {
            const std::size_t at =
                std::uniform_int_distribution<std::size_t>(0, target.size() - 1)(rng);
            target[at] = char(rng());
        }
        if (round % 7 == 0)
            target.resize(std::uniform_int_distribution<std::size_t>(0, target.size())(rng));
        test::writeFile(dir.str() + "/m.dbf", t);
        test::writeFile(dir.str() + "/m.mdx", x);
        try {
            exercise(dir.str(), "m.dbf");
            ++opened;
        } catch (const EngineError&) {
            ++refused;
        }
    }
    EXPECT_GT(opened, 100);
    EXPECT_GT(refused, 10);
}

TEST(DbfBadInput, OrderedIndexAgreesWithASortedReference) {
    for (bool descending : {false, true}) {
        OrderedIndex index(descending);
        std::vector<IndexEntry> reference;
        std::mt19937 rng(descending ? 9 : 8);
        const auto order = [&](const IndexEntry& a, const IndexEntry& b) {
            return index.inOrder(a, b);
        };
        for (int step = 0; step < 20000; ++step) {
            if (reference.empty() || rng() % 3 != 0) {
                IndexEntry e{std::string(1 + rng() % 3, char('a' + rng() % 4)),
                             std::uint32_t(step + 1)};
                reference.insert(std::upper_bound(reference.begin(), reference.end(), e, order), e);
                index.insert(e);
            } else {
                const auto& victim = reference[rng() % reference.size()];
                ASSERT_TRUE(index.erase(victim.key, victim.record));
                reference.erase(
                    std::find_if(reference.begin(), reference.end(),
                                 [&](const auto& e) { return e.record == victim.record; }));
            }
            ASSERT_FALSE(index.erase("zzzz", 1)) << "absent entries are not erased";
        }
        ASSERT_EQ(index.size(), reference.size());
        std::size_t i = 0;
        for (auto p = index.begin(); !index.atEnd(p); p = index.next(p), ++i) {
            ASSERT_EQ(index.at(p).record, reference[i].record);
            ASSERT_EQ(index.ordinal(p), i);
        }
        EXPECT_EQ(i, reference.size());
        for (const char* key : {"a", "bb", "c", "ddd", "x"}) {
            const auto p = index.lowerBound(key, 0);
            const auto ref =
                std::lower_bound(reference.begin(), reference.end(), IndexEntry{key, 0}, order);
            EXPECT_EQ(index.ordinal(p), std::size_t(ref - reference.begin())) << key;
        }
    }
}
