// Moving, tags, keys, ranges, filters and bookmarks of cursors.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "support/TestDir.h"

using namespace lorvika;
using namespace lorvika::dbf;

namespace {

struct Row {
    std::string name;
    int number = 0;
    Date date{};
};

class CursorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.createTable(dir.str(), "t.DBF",
                           {FieldDef::text("NAME", 20), FieldDef::number("NUM"),
                            FieldDef::date("D"), FieldDef::text("OTHER", 10)});
        cur = engine.open(dir.str(), "t.DBF");
    }
    void add(const std::vector<Row>& rows) {
        for (const Row& r : rows) {
            cur->append();
            cur->setText("NAME", r.name);
            cur->setInteger("NUM", r.number);
            cur->setDate("D", r.date);
            cur->post();
        }
    }
    std::vector<std::string> names(Cursor& c) {
        std::vector<std::string> out;
        for (c.first(); !c.eof(); c.next()) out.push_back(c.text("NAME"));
        return out;
    }
    std::vector<std::string> namesBackwards(Cursor& c) {
        std::vector<std::string> out;
        for (c.last(); !c.bof(); c.prior()) out.push_back(c.text("NAME"));
        return out;
    }

    test::TestDir dir;
    Engine engine;
    std::unique_ptr<Cursor> cur;
};

}  // namespace

TEST_F(CursorTest, CzechOrderOnCharacterTags) {
    // every pair: the first sorts before the second
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"h", "ch"},    {"hz", "ch"}, {"ch", "i"}, {"C", "Č"},      {"cz", "č"},
        {"č", "d"},     {"R", "Ř"},   {"rz", "ř"}, {"ř", "s"},      {"Z", "Ž"},
        {"zz", "ž"},    {"s", "š"},   {"a", "b"},  {"abc", "abcd"}, {"a", "A"},
        {"Cha", "Chb"}, {"d", "ď"},   {"t", "ť"},  {"e", "é"},      {"u", "ů"},
    };
    std::vector<std::string> all;
    for (const auto& [a, b] : pairs) {
        all.push_back(a);
        all.push_back(b);
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    std::shuffle(all.begin(), all.end(), std::mt19937(7));
    for (const auto& n : all) add({{n}});
    cur->addTag({"name", "NAME"});
    cur->setTag("NAME");
    const auto order = names(*cur);
    ASSERT_EQ(order.size(), all.size());
    for (const auto& [a, b] : pairs) {
        const auto ia = std::find(order.begin(), order.end(), a) - order.begin();
        const auto ib = std::find(order.begin(), order.end(), b) - order.begin();
        EXPECT_LT(ia, ib) << a << " should come before " << b;
    }
    auto backwards = namesBackwards(*cur);
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(backwards, order);
}

TEST_F(CursorTest, NumberAndDateTagsAndPhysicalOrderWithinAKey) {
    add({{"a", 10, {2020, 5, 1}},
         {"b", -3, {}},
         {"c", 10, {1999, 12, 31}},
         {"d", 2, {2020, 4, 30}},
         {"e", 10, {2020, 5, 1}},
         {"f", -20, {2001, 1, 1}}});
    cur->addTag({"num", "NUM"});
    cur->addTag({"d", "D"});
    cur->addTag({"numdown", "NUM", true});
    cur->setTag("num");
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"f", "b", "d", "a", "c", "e"}));
    cur->setTag("d");
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"b", "c", "f", "d", "a", "e"}));
    cur->setTag("numdown");
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"a", "c", "e", "d", "b", "f"}));
    cur->setTag("");
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(cur->tag(), "");

    // an edit that changes the key moves the record; ties stay in physical order
    cur->setTag("num");
    ASSERT_TRUE(cur->findKey(-3));
    cur->edit();
    cur->setInteger("NUM", 10);
    cur->post();
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"f", "d", "a", "b", "c", "e"}));
}

TEST_F(CursorTest, ExpressionTagsConcatenateColumnKeys) {
    for (const auto& [name, other] : std::vector<std::pair<std::string, std::string>>{
             {"Beta", "x"}, {"Alfa", "z"}, {"Beta", "a"}, {"Alfa", "b"}}) {
        cur->append();
        cur->setText("NAME", name);
        cur->setText("OTHER", other);
        cur->post();
    }
    cur->addTag({"both", "NAME+OTHER"});
    EXPECT_TRUE(cur->tags()[0].isExpression());
    cur->setTag("both");
    std::vector<std::string> order;
    for (cur->first(); !cur->eof(); cur->next())
        order.push_back(cur->text("NAME") + "/" + cur->text("OTHER"));
    EXPECT_EQ(order, (std::vector<std::string>{"Alfa/b", "Alfa/z", "Beta/a", "Beta/x"}));
    EXPECT_THROW(cur->addTag({"bad", "NAME+NOPE"}), EngineError);
    EXPECT_THROW(cur->addTag({"bad", "UPPER(NAME)"}), EngineError);
    EXPECT_FALSE(cur->hasTag("bad"));
}

TEST_F(CursorTest, FindMovesOnlyWhenFound) {
    add({{"Novák", 1}, {"novák", 2}, {"Dvořák", 3}, {"Novák", 4}});
    cur->addTag({"NAME", "NAME"});
    cur->addTag({"num", "NUM"});
    cur->setTag("name");
    struct Case {
        Key key;
        bool found;
        int number;  // of the record it lands on
    };
    cur->first();
    const Case cases[] = {
        {"Novák", true, 1},     // first of equal keys in physical order
        {"Novak", false, 1},    // no move
        {"novák", true, 2},     // not case-insensitive
        {"Dvořák  ", true, 3},  // trailing blanks carry no meaning
        {"Dvo", false, 3},      // exact, not a prefix
        {"", false, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cur->findKey(c.key), c.found) << std::get<std::string>(c.key.value());
        EXPECT_EQ(cur->integer("NUM"), c.number) << std::get<std::string>(c.key.value());
    }
    cur->setTag("NUM");
    EXPECT_TRUE(cur->findKey(4));
    EXPECT_EQ(cur->text("NAME"), "Novák");
    EXPECT_TRUE(cur->findKey(std::string("2")));
    EXPECT_FALSE(cur->findKey(2.5));
    EXPECT_EQ(cur->integer("NUM"), 2);
    EXPECT_THROW(cur->findKey(std::string("abc")), EngineError);
    EXPECT_THROW(cur->setTag("nope"), EngineError);
    cur->setTag("");
    EXPECT_THROW(cur->findKey(1), EngineError);
}

TEST_F(CursorTest, RangesAndTheirCancel) {
    add({{"a", 5}, {"b", 7}, {"c", 5}, {"d", 3}, {"e", 9}, {"f", 5}});
    cur->addTag({"num", "NUM"});
    cur->setTag("num");
    struct Case {
        int low, high;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {5, 5, {"a", "c", "f"}},
        {4, 7, {"a", "c", "f", "b"}},
        {6, 6, {}},
        {0, 100, {"d", "a", "c", "f", "b", "e"}},
        {7, 5, {}},
        {9, 9, {"e"}},
    };
    for (const Case& c : cases) {
        cur->setRange(c.low, c.high);
        EXPECT_TRUE(cur->hasRange());
        EXPECT_EQ(cur->recordCount(), c.names.size()) << c.low << ".." << c.high;
        EXPECT_EQ(cur->isEmpty(), c.names.empty());
        if (!c.names.empty()) {
            EXPECT_EQ(cur->text("NAME"), c.names.front()) << "goes to the first";
        }
        EXPECT_EQ(names(*cur), c.names) << c.low << ".." << c.high;
        auto back = namesBackwards(*cur);
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back, c.names);
    }
    cur->setRange(5, 5);
    cur->next();
    ASSERT_EQ(cur->text("NAME"), "c");
    cur->cancelRange();
    EXPECT_FALSE(cur->hasRange());
    EXPECT_EQ(cur->text("NAME"), "c") << "current record stays";
    EXPECT_FALSE(cur->eof());
    cur->next();
    EXPECT_EQ(cur->text("NAME"), "f");
    EXPECT_EQ(cur->recordCount(), 6u);
    // a record appended inside the range shows up in it
    cur->setRange(5, 5);
    add({{"g", 5}});
    cur->setRange(5, 5);
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"a", "c", "f", "g"}));
    // text ranges
    cur->addTag({"name", "NAME"});
    cur->setTag("name");
    cur->setRange("b", "d");
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"b", "c", "d"}));
    cur->setTag("name");
    EXPECT_FALSE(cur->hasRange()) << "a tag change drops the range";
    // on a descending tag the range runs from its high end down
    cur->addTag({"down", "NUM", true});
    cur->setTag("down");
    cur->setRange(3, 5);
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"a", "c", "f", "g", "d"}));
    cur->setRange(5, 3);
    EXPECT_TRUE(cur->isEmpty());
}

TEST_F(CursorTest, DateKeysFromDatesOrText) {
    add({{"a", 0, {2021, 3, 5}}, {"b", 0, {}}, {"c", 0, {2021, 3, 6}}});
    cur->addTag({"d", "D"});
    cur->setTag("d");
    EXPECT_TRUE(cur->findKey(Date{2021, 3, 6}));
    EXPECT_EQ(cur->text("NAME"), "c");
    EXPECT_TRUE(cur->findKey("5.3.2021"));
    EXPECT_EQ(cur->text("NAME"), "a");
    EXPECT_TRUE(cur->findKey(Date{}));
    EXPECT_EQ(cur->text("NAME"), "b") << "the empty date is a key too";
    cur->setRange(Date{2021, 1, 1}, Date{2021, 12, 31});
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"a", "c"}));
    EXPECT_THROW(cur->findKey("32.1.2021"), EngineError);
    EXPECT_THROW(cur->findKey(5), EngineError);
}

TEST(CursorOnWindows1250Table, CzechOrderHoldsForEitherCodePage) {
    test::TestDir dir;
    Engine engine;
    engine.setLanguageDriver("DBWINUS0");
    engine.createTable(dir.str(), "w.dbf", {FieldDef::text("NAME", 10)});
    auto c = engine.open(dir.str(), "w.dbf");
    for (const char* n : {"Ž", "chata", "Čáp", "hora", "Cena", "Řeka", "Zima", "iglú"}) {
        c->append();
        c->setText("NAME", n);
        c->post();
    }
    c->addTag({"name", "NAME"});
    c->setTag("name");
    std::vector<std::string> order;
    for (c->first(); !c->eof(); c->next()) order.push_back(c->text("NAME"));
    EXPECT_EQ(order, (std::vector<std::string>{"Cena", "Čáp", "hora", "chata", "iglú", "Řeka",
                                               "Zima", "Ž"}));
    EXPECT_TRUE(c->findKey("Řeka"));
}

TEST_F(CursorTest, MovingOnEmptyAndSmallTables) {
    EXPECT_TRUE(cur->eof());
    EXPECT_TRUE(cur->bof());
    EXPECT_TRUE(cur->isEmpty());
    EXPECT_EQ(cur->recordNumber(), 0u);
    cur->next();
    cur->prior();
    cur->last();
    EXPECT_TRUE(cur->eof());
    EXPECT_EQ(cur->text("NAME"), "");
    EXPECT_THROW(cur->edit(), EngineError);
    EXPECT_THROW(cur->remove(), EngineError);
    EXPECT_THROW(cur->post(), EngineError);

    add({{"a"}, {"b"}});
    cur->first();
    EXPECT_TRUE(cur->bof());
    EXPECT_FALSE(cur->eof());
    cur->next();
    EXPECT_EQ(cur->text("NAME"), "b");
    cur->next();
    EXPECT_TRUE(cur->eof());
    EXPECT_EQ(cur->text("NAME"), "b") << "stays on the last record";
    cur->prior();
    EXPECT_EQ(cur->text("NAME"), "a");
    EXPECT_FALSE(cur->bof());
    cur->prior();
    EXPECT_TRUE(cur->bof());
    EXPECT_EQ(cur->text("NAME"), "a");
}

TEST_F(CursorTest, DeletedRecordsAreInvisibleEverywhere) {
    add({{"a", 1}, {"b", 2}, {"c", 2}, {"d", 4}});
    cur->addTag({"num", "NUM"});
    auto other = engine.open(dir.str(), "t.DBF");
    other->setTag("num");
    ASSERT_TRUE(other->findKey(2));
    ASSERT_EQ(other->text("NAME"), "b");

    cur->setTag("num");
    ASSERT_TRUE(cur->findKey(2));
    const Bookmark mark = cur->bookmark();
    cur->remove();
    EXPECT_EQ(cur->text("NAME"), "c") << "moves to the next one";
    EXPECT_FALSE(cur->bookmarkValid(mark));
    EXPECT_THROW(cur->gotoBookmark(mark), EngineError);
    EXPECT_EQ(cur->recordCount(), 3u);
    cur->setRange(2, 2);
    EXPECT_EQ(cur->recordCount(), 1u);
    cur->cancelRange();
    cur->setTag("");
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"a", "c", "d"}));

    // the other cursor stood on the deleted record: it goes on with what followed
    other->next();
    EXPECT_EQ(other->text("NAME"), "c");
    other->next();
    EXPECT_EQ(other->text("NAME"), "d");
    EXPECT_EQ(other->recordCount(), 3u);
    EXPECT_TRUE(other->findKey(2));
    EXPECT_EQ(other->text("NAME"), "c");

    // removing the last record leaves the cursor at the end
    cur->last();
    cur->remove();
    EXPECT_TRUE(cur->eof());
    EXPECT_EQ(cur->text("NAME"), "c");
    cur->first();
    cur->remove();
    cur->remove();
    EXPECT_TRUE(cur->isEmpty());
    EXPECT_TRUE(cur->eof());
}

TEST_F(CursorTest, BookmarksReturnToTheirRecord) {
    add({{"a", 3}, {"b", 1}, {"c", 2}});
    cur->addTag({"num", "NUM"});
    cur->setTag("num");
    cur->first();
    cur->next();
    ASSERT_EQ(cur->text("NAME"), "c");
    const Bookmark mark = cur->bookmark();
    cur->last();
    EXPECT_TRUE(cur->bookmarkValid(mark));
    cur->gotoBookmark(mark);
    EXPECT_EQ(cur->text("NAME"), "c");
    cur->next();
    EXPECT_EQ(cur->text("NAME"), "a") << "moving goes on in tag order from the bookmark";
    EXPECT_FALSE(cur->bookmarkValid(Bookmark{}));
    EXPECT_FALSE(cur->bookmarkValid(Bookmark{99, mark.generation}));
}

TEST_F(CursorTest, FilterSkipsRejectedRecords) {
    add({{"Abba", 1}, {"Beatles", 2}, {"ABBA", 3}, {"Queen", 4}, {"Abba", 5}});
    cur->addTag({"num", "NUM"});
    int calls = 0;
    cur->setFilter([&](const Cursor& c) {
        ++calls;
        return c.text("NAME") == "Abba" || c.integer("NUM") == 4;
    });
    EXPECT_EQ(cur->recordCount(), 5u) << "the filter is not on yet";
    cur->setFiltered(true);
    EXPECT_TRUE(cur->filtered());
    EXPECT_GT(calls, 0);
    EXPECT_EQ(cur->recordCount(), 3u);
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"Abba", "Queen", "Abba"}));
    cur->setTag("num");
    cur->setRange(2, 5);
    EXPECT_EQ(cur->recordCount(), 2u);
    EXPECT_FALSE(cur->findKey(3));
    EXPECT_TRUE(cur->findKey(5));
    cur->cancelRange();
    cur->setFiltered(false);
    EXPECT_EQ(cur->recordCount(), 5u);
}

TEST_F(CursorTest, CursorsShareOneTable) {
    auto second = engine.open(dir.str(), "t.dbf");
    add({{"x", 1}});
    EXPECT_EQ(second->recordCount(), 1u);
    second->first();
    EXPECT_EQ(second->text("NAME"), "x");
    second->edit();
    second->setText("NAME", "y");
    EXPECT_EQ(cur->text("NAME"), "x") << "not posted yet";
    second->post();
    EXPECT_EQ(cur->text("NAME"), "y");
    // tags added through one cursor are seen by all
    second->addTag({"num", "NUM"});
    EXPECT_TRUE(cur->hasTag("NUM"));
    cur->setTag("num");
    second->deleteTag("num");
    EXPECT_EQ(cur->tag(), "") << "a deleted tag falls back to physical order";
    EXPECT_EQ(names(*cur), std::vector<std::string>{"y"});
    auto view = cur->readOnlyView();
    EXPECT_TRUE(view->readOnly());
    EXPECT_THROW(view->edit(), EngineError);
    EXPECT_THROW(view->append(), EngineError);
    EXPECT_EQ(view->text("NAME"), "y");
}

TEST_F(CursorTest, TagReplacedUnderTheSameName) {
    add({{"b", 1}, {"a", 2}});
    cur->addTag({"k", "NUM"});
    cur->setTag("K");
    EXPECT_EQ(cur->tag(), "k");
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"b", "a"}));
    cur->addTag({"K", "NAME"});
    ASSERT_EQ(cur->tags().size(), 1u);
    EXPECT_EQ(cur->tags()[0].expression, "NAME");
    EXPECT_EQ(names(*cur), (std::vector<std::string>{"a", "b"}));
    EXPECT_THROW(cur->deleteTag("nope"), EngineError);
}

TEST(CursorOnTemporaryTable, MemoryTablesWork) {
    test::TestDir dir;
    Engine engine;
    auto t = engine.createTemporary({FieldDef::text("A", 5), FieldDef::number("N")});
    for (int i = 3; i >= 1; --i) {
        t->append();
        t->setInteger("N", i);
        t->post();
    }
    t->addTag({"n", "N"});
    t->setTag("n");
    std::vector<std::int64_t> seen;
    for (t->first(); !t->eof(); t->next()) seen.push_back(t->integer("N"));
    EXPECT_EQ(seen, (std::vector<std::int64_t>{1, 2, 3}));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "home"));
}
