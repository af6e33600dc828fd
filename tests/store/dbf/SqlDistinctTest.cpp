#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "store/dbf/Engine.h"
#include "store/dbf/OrderedIndex.h"
#include "support/TestDir.h"

namespace lorvika::dbf {
namespace {

// --- skipping runs of equal keys in the ordered entries -------------------------------------

struct RunCase {
    const char* name;
    std::vector<std::size_t> runs;  // lengths of consecutive runs of equal keys
    bool descending;
    bool inserted;  // built by inserts (full, split blocks) rather than assign (half-full blocks)
};

std::string keyNumber(std::size_t i) {
    std::string k = std::to_string(i);
    return std::string(6 - k.size(), '0') + k;
}

TEST(OrderedIndexSkipKey, LandsOnTheFirstEntryOfEveryRun) {
    const RunCase cases[] = {
        {"singletons", std::vector<std::size_t>(3000, 1), false, false},
        {"one long run", {5000}, false, false},
        {"runs around the block fill", {511, 512, 513, 1, 1023, 1024, 1025, 2}, false, false},
        {"runs around full blocks", {1, 1023, 1024, 1025, 2048, 1, 3}, false, true},
        {"mixed lengths", {3, 1, 700, 2, 2, 90, 1, 1500, 4}, false, true},
        {"descending", {3, 1, 700, 2, 1200, 1, 513}, true, false},
        {"descending by inserts", {1, 1025, 2, 1, 2000}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<IndexEntry> entries;
        std::uint32_t record = 1;
        for (std::size_t run = 0; run < c.runs.size(); ++run)
            for (std::size_t i = 0; i < c.runs[run]; ++i)
                entries.push_back({keyNumber(c.descending ? c.runs.size() - run : run), record++});
        // Ties go by record number in either direction.
        OrderedIndex index(c.descending);
        if (c.inserted) {
            for (auto it = entries.rbegin(); it != entries.rend(); ++it) index.insert(*it);
        } else {
            index.assign(entries);
        }
        ASSERT_EQ(index.size(), entries.size());

        std::vector<std::string> seen;
        std::vector<std::size_t> ordinals;
        for (auto p = index.begin(); !index.atEnd(p); p = index.skipKey(p)) {
            seen.push_back(index.at(p).key);
            ordinals.push_back(index.ordinal(p));
        }
        std::vector<std::string> expected;
        std::vector<std::size_t> starts;
        std::size_t at = 0;
        for (std::size_t run = 0; run < c.runs.size(); ++run) {
            expected.push_back(keyNumber(c.descending ? c.runs.size() - run : run));
            starts.push_back(at);
            at += c.runs[run];
        }
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(ordinals, starts);
        EXPECT_TRUE(index.atEnd(index.skipKey(index.end())));
    }
}

// --- select distinct over tables with and without a tag on the column -----------------------

struct Row {
    std::string zanr;
    std::string artist;
    bool deleted = false;
    std::string editTo = "-";  // "-": left as written
};

// Duplicates around deleted records, blank values, a value whose only record is deleted, a value
// edited away and trailing blanks.
const std::vector<Row> kRows = {
    {"rock", "Abba"},
    {"Šanson", "Žluť", true},
    {"", "Čechomor"},
    {"   ", "Xindl"},
    {"chanson", "Beatles", true},
    {"chanson", "Cimrman"},
    {"hip hop", "Abba"},
    {"rock  ", "Dan"},
    {"čardáš", "Olympic"},
    {"polka", "Abba", false, "rock"},
    {"cajdák", "Beatles"},
    {"Rock", "Abba"},
    {"rock", "Queen", true},
    {"žalm", "Xindl"},
    {"žalm", "Zappa", true},
    {"řízná", "Abba"},
    {"Ďábel", "Abba", true},
    {"ďábel", "Abba"},
};
const std::vector<std::string> kNonEmpty = {"cajdák", "čardáš", "ďábel", "hip hop", "chanson",
                                            "rock",   "Rock",   "řízná", "žalm"};

struct TagSetup {
    const char* name;
    std::vector<TagDef> tags;
};

const TagSetup kTagSetups[] = {
    {"no tag", {}},
    {"ascending tag", {{"ZANR", "ZANR", false}}},
    {"descending tag", {{"ZANR", "ZANR", true}}},
    {"tag key in lower case", {{"zanr_idx", "zanr", false}}},
    {"tag of the column's name on another key", {{"ZANR", "ARTIST", false}}},
    {"expression tag", {{"ZA", "ZANR+ARTIST", false}}},
    {"several tags", {{"ARTIST", "ARTIST", false}, {"ZD", "ZANR", true}, {"C", "CISLO", false}}},
};

class SqlDistinctTest : public ::testing::TestWithParam<const char*> {
  protected:
    // Every table goes into a database directory of its own.
    void build(const std::vector<Row>& rows, const std::vector<TagDef>& tags) {
        db = dir.sub("db" + std::to_string(++databases)).string();
        engine.setLanguageDriver(GetParam());
        engine.createTable(
            db, "cddata.DBF",
            {FieldDef::number("CISLO"), FieldDef::text("ZANR", 25), FieldDef::text("ARTIST", 50)});
        auto c = engine.open(db, "cddata.DBF");
        // Half of the tags exist before the records, half are built from them.
        for (std::size_t i = 0; i < tags.size(); i += 2) c->addTag(tags[i]);
        int n = 0;
        for (const auto& r : rows) {
            c->append();
            c->setInteger("CISLO", ++n);
            c->setText("ZANR", r.zanr);
            c->setText("ARTIST", r.artist);
            c->post();
        }
        for (std::size_t i = 1; i < tags.size(); i += 2) c->addTag(tags[i]);
        n = 0;
        for (c->first(); !c->eof();) {
            const Row& r = rows[static_cast<std::size_t>(n++)];
            if (r.deleted) {
                c->remove();
                continue;
            }
            if (r.editTo != "-") {
                c->edit();
                c->setText("ZANR", r.editTo);
                c->post();
            }
            c->next();
        }
    }

    std::vector<std::string> distinct(const std::string& statement) {
        auto result = engine.sql(db, statement);
        EXPECT_TRUE(result->readOnly());
        std::vector<std::string> out;
        for (result->first(); !result->eof(); result->next()) out.push_back(result->text(0));
        return out;
    }

    test::TestDir dir;
    int databases = 0;
    std::string db;
    Engine engine;
};

TEST_P(SqlDistinctTest, SameValuesInCzechOrderWhateverTagsExist) {
    std::vector<std::string> withEmpty = kNonEmpty;
    withEmpty.insert(withEmpty.begin(), "");
    struct Query {
        const char* statement;
        std::vector<std::string> expected;
    };
    const Query queries[] = {
        {"select distinct ZANR from cddata.dbf where ZANR > ''", kNonEmpty},
        {"select distinct zanr from cddata where cddata.Zanr > \"\"", kNonEmpty},
        {"select distinct ZANR from cddata.dbf", withEmpty},
        // Any other condition is tested record by record.
        {"select distinct ZANR from cddata.dbf where ARTIST = 'Abba'",
         {"ďábel", "hip hop", "rock", "Rock", "řízná"}},
        {"select distinct ZANR from cddata.dbf where ZANR > 'r'",
         {"rock", "Rock", "řízná", "žalm"}},
        {"select distinct ARTIST from cddata.dbf where ARTIST > ''",
         {"Abba", "Beatles", "Cimrman", "Čechomor", "Dan", "Olympic", "Xindl"}},
    };
    for (const auto& setup : kTagSetups) {
        SCOPED_TRACE(setup.name);
        build(kRows, setup.tags);
        for (const auto& q : queries) {
            SCOPED_TRACE(q.statement);
            EXPECT_EQ(distinct(q.statement), q.expected);
        }
    }
}

TEST_P(SqlDistinctTest, LongRunsAcrossIndexBlocksAndDeletedRuns) {
    // Thousands of equal keys span several blocks of the tag; whole runs and run ends deleted.
    std::vector<Row> rows;
    std::set<std::string> live;
    const char* values[] = {"rock", "jazz", "blues", "folk", "pop", "swing", "ska"};
    const std::size_t lengths[] = {1500, 1, 700, 2049, 3, 1024, 600};
    for (std::size_t v = 0; v < std::size(values); ++v)
        for (std::size_t i = 0; i < lengths[v]; ++i) {
            const bool del = std::string(values[v]) == "pop" ||
                             (std::string(values[v]) == "swing" && i < 1023) ||
                             (std::string(values[v]) == "ska" && i >= 10);
            rows.push_back({values[v], "x", del});
            if (!del) live.insert(values[v]);
        }
    for (const auto& setup : {kTagSetups[0], kTagSetups[1], kTagSetups[2]}) {
        SCOPED_TRACE(setup.name);
        build(rows, setup.tags);
        EXPECT_EQ(distinct("select distinct ZANR from cddata.dbf where ZANR > ''"),
                  (std::vector<std::string>{"blues", "folk", "jazz", "rock", "ska", "swing"}));
    }
}

TEST_P(SqlDistinctTest, EmptyAndBlankOnlyTables) {
    const std::vector<std::vector<Row>> tables = {
        {},
        {{"", "a"}, {"  ", "b"}},
        {{"rock", "a", true}, {"rock", "b", true}},
    };
    for (const auto& rows : tables) {
        for (const auto& setup : {kTagSetups[0], kTagSetups[1], kTagSetups[2]}) {
            SCOPED_TRACE(setup.name);
            build(rows, setup.tags);
            EXPECT_TRUE(distinct("select distinct ZANR from cddata.dbf where ZANR > ''").empty());
        }
    }
}

// The catalogue's own code page and a table of a program that wrote Windows-1250.
INSTANTIATE_TEST_SUITE_P(CodePages, SqlDistinctTest, ::testing::Values("DB852CZ0", "DBWINUS0"));

}  // namespace
}  // namespace lorvika::dbf
