#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "CatalogueGen.h"
#include "store/Catalogue.h"
#include "store/codepage.h"
#include "support/TestDir.h"

using namespace lorvika;
using namespace lorvika::bench;

namespace {

std::vector<Album> generate(int albums, std::uint64_t seed) {
    GenOptions o;
    o.albums = albums;
    o.seed = seed;
    CatalogueGenerator gen(o);
    std::vector<Album> out;
    while (!gen.done()) out.push_back(gen.next());
    return out;
}

// Every text column of an album with its width in characters.
std::vector<std::pair<std::string, std::size_t>> albumTexts(const Album& a) {
    return {{a.album, 50},        {a.artist, 50},      {a.publisher, 30}, {a.producer, 30},
            {a.country, 25},      {a.genre, 25},       {a.vocals, 50},    {a.guitar, 50},
            {a.bass, 50},         {a.drums, 50},       {a.keys, 50},      {a.guests, 50},
            {a.lent, 1},          {a.borrower, 30},    {a.discId, 30},    {a.type, 25},
            {a.artistInitial, 1}, {a.albumInitial, 1}, {a.sax, 50},       {a.trumpet, 50},
            {a.special, 50},      {a.description, 200}};
}

}  // namespace

TEST(CutToChars, CountsCharactersNotBytes) {
    struct Case {
        std::string text;
        std::size_t chars;
        std::string expected;
    } cases[] = {
        {"Žluťoučký kůň", 4, "Žluť"},
        {"Žluťoučký kůň", 10, "Žluťoučký"},  // the blank at the cut goes
        {"Žluťoučký kůň", 13, "Žluťoučký kůň"},
        {"Žluťoučký kůň", 50, "Žluťoučký kůň"},
        {"abc", 0, ""},
        {"", 5, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cutToChars(c.text, c.chars), c.expected) << c.text << " / " << c.chars;
        EXPECT_LE(utf8Length(cutToChars(c.text, c.chars)), c.chars);
    }
    EXPECT_EQ(utf8Length("Řeřicha"), 7u);
}

TEST(CatalogueGenerator, SameSeedGivesSameCatalogue) {
    const auto a = generate(300, 42);
    const auto b = generate(300, 42);
    const auto c = generate(300, 43);
    ASSERT_EQ(a.size(), 300u);
    std::size_t differences = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].album, b[i].album);
        EXPECT_EQ(a[i].artist, b[i].artist);
        EXPECT_EQ(a[i].discId, b[i].discId);
        ASSERT_EQ(a[i].tracks.size(), b[i].tracks.size());
        for (std::size_t t = 0; t < a[i].tracks.size(); ++t)
            EXPECT_EQ(a[i].tracks[t].name, b[i].tracks[t].name);
        if (a[i].album != c[i].album || a[i].artist != c[i].artist) ++differences;
    }
    EXPECT_GT(differences, 250u) << "another seed should give another catalogue";
}

TEST(CatalogueGenerator, RowsAreValidCatalogueRows) {
    const auto albums = generate(10000, 20261208);
    std::set<std::string> discIds;
    std::size_t tracks = 0;
    std::size_t withDiacritics = 0;
    for (const auto& a : albums) {
        SCOPED_TRACE("album " + std::to_string(a.number));
        ASSERT_GE(a.tracks.size(), 8u);
        ASSERT_LE(a.tracks.size(), 20u);
        tracks += a.tracks.size();
        int length = 0;
        for (std::size_t i = 0; i < a.tracks.size(); ++i) {
            const auto& t = a.tracks[i];
            EXPECT_EQ(t.position, static_cast<int>(i + 1));
            EXPECT_GT(t.length, 0);
            EXPECT_LE(utf8Length(t.name), 50u);
            EXPECT_LE(utf8Length(t.artist), 50u);
            EXPECT_LE(utf8Length(t.type), 25u);
            EXPECT_EQ(cp::cp852ToUtf8(cp::utf8ToCp852(t.name)), t.name);
            length += t.length;
        }
        EXPECT_EQ(a.length, length);
        for (const auto& [text, width] : albumTexts(a)) {
            EXPECT_LE(utf8Length(text), width) << text;
            // Code page 852 must hold every character, or the tables would store '?'.
            EXPECT_EQ(cp::cp852ToUtf8(cp::utf8ToCp852(text)), text);
            EXPECT_TRUE(text.empty() || text.back() != ' ') << text;
        }
        EXPECT_FALSE(a.album.empty());
        EXPECT_FALSE(a.artist.empty());
        EXPECT_EQ(a.artistInitial, cutToChars(a.artist, 1));
        EXPECT_EQ(a.albumInitial, cutToChars(a.album, 1));
        EXPECT_TRUE(a.year == 0 || (a.year >= 1955 && a.year <= 2026)) << a.year;
        EXPECT_GE(a.rating, 0);
        EXPECT_LE(a.rating, 6);
        EXPECT_TRUE(discIds.insert(a.discId).second) << "duplicate disc identity " << a.discId;
        EXPECT_EQ(a.discId.find_first_not_of("0123456789-"), std::string::npos);
        EXPECT_EQ(a.discId.rfind(std::to_string(a.tracks.size()) + "-", 0), 0u) << a.discId;
        if (a.lent == "A") {
            EXPECT_FALSE(a.lentUntil.isNull());
            EXPECT_FALSE(a.borrower.empty());
            EXPECT_GT(a.lentCount, 0);
        } else if (a.lent == "N") {
            EXPECT_TRUE(a.lentUntil.isNull()) << "a returned album has no due date";
            EXPECT_GT(a.lentCount, 0);
        } else {
            EXPECT_EQ(a.lent, "");
            EXPECT_EQ(a.lentCount, 0);
            EXPECT_TRUE(a.borrower.empty());
        }
        EXPECT_FALSE(a.changed.isNull());
        if (utf8Length(a.album) != a.album.size() || utf8Length(a.artist) != a.artist.size())
            ++withDiacritics;
    }
    const double average = static_cast<double>(tracks) / static_cast<double>(albums.size());
    EXPECT_GT(average, 14.5);
    EXPECT_LT(average, 15.5);
    EXPECT_GT(withDiacritics, albums.size() / 2);
}

TEST(CatalogueGenerator, PerformersAndGenresAreSkewed) {
    const auto albums = generate(10000, 7);
    std::map<std::string, int> byArtist, byGenre;
    for (const auto& a : albums) {
        ++byArtist[a.artist];
        ++byGenre[a.genre];
    }
    std::vector<int> counts;
    for (const auto& [name, n] : byArtist) counts.push_back(n);
    std::sort(counts.rbegin(), counts.rend());
    // A few thousand performers, a handful of them very common, most of them rare.
    EXPECT_GT(byArtist.size(), 1000u);
    EXPECT_LT(byArtist.size(), 5000u);
    const double mean = 10000.0 / static_cast<double>(byArtist.size());
    EXPECT_GT(counts.front(), 20 * mean);
    EXPECT_LE(counts[counts.size() / 2], 3);
    EXPECT_GE(byGenre.size(), 15u);
    EXPECT_LE(byGenre.size(), 25u);
    std::vector<int> genres;
    for (const auto& [name, n] : byGenre) genres.push_back(n);
    std::sort(genres.rbegin(), genres.rend());
    EXPECT_GT(genres.front(), 5 * genres[genres.size() / 2]);
}

namespace {

std::string sqliteText(sqlite3_stmt* s, int column) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return p ? std::string(p) : "";
}

}  // namespace

// Both stores must hold the same rows, or every comparison between them is void.
TEST(GenerateCatalogue, LorvikaAndSqliteHoldTheSameRows) {
    test::TestDir dir;
    const auto db = dir.sub("db");
    const auto sqlitePath = dir.path() / "katalog.sqlite";
    GenOptions o;
    o.albums = 150;
    o.seed = 99;
    const auto counts = generateCatalogue(db, sqlitePath, o);
    const auto albums = generate(150, 99);
    std::size_t tracks = 0;
    for (const auto& a : albums) tracks += a.tracks.size();
    EXPECT_EQ(counts.albums, 150u);
    EXPECT_EQ(counts.tracks, tracks);

    dbf::Engine engine;
    auto c = engine.open(db.string(), "cddata.DBF");
    ASSERT_EQ(c->fields().size(), SloupceAlb().size());
    std::set<std::string> tags;
    for (const auto& t : c->tags()) tags.insert(cp::toLower(t.name));
    for (const auto& t : TagyAlb()) EXPECT_TRUE(tags.count(cp::toLower(t.name))) << t.name;

    SqliteDb lite(sqlitePath.string(), true);
    SqliteStmt q(
        lite.get(),
        "SELECT ALBUM, ARTIST, ZANR, SN, POPIS, PUJ_DOKDY, HODNOC, CENA, DELKA FROM cddata "
        "WHERE CISLO = ?");
    c->setTag("cislo");
    for (const auto& a : albums) {
        SCOPED_TRACE("album " + std::to_string(a.number));
        ASSERT_TRUE(c->findKey(a.number));
        EXPECT_EQ(c->text("ALBUM"), a.album);
        EXPECT_EQ(c->text("ARTIST"), a.artist);
        EXPECT_EQ(c->text("POPIS"), a.description);
        EXPECT_EQ(c->text("ABCDAR"), a.artistInitial);
        EXPECT_EQ(c->integer("PSTOP"), static_cast<std::int64_t>(a.tracks.size()));
        EXPECT_EQ(c->integer("CENA"), a.price);
        EXPECT_EQ(c->date("PUJ_DOKDY"), a.lentUntil);
        EXPECT_EQ(c->date("ZMENA"), a.changed);

        sqlite3_bind_int(q.get(), 1, a.number);
        ASSERT_TRUE(q.step());
        EXPECT_EQ(sqliteText(q.get(), 0), a.album);
        EXPECT_EQ(sqliteText(q.get(), 1), a.artist);
        EXPECT_EQ(sqliteText(q.get(), 2), a.genre);
        EXPECT_EQ(sqliteText(q.get(), 3), a.discId);
        EXPECT_EQ(sqliteText(q.get(), 4), a.description);
        EXPECT_EQ(sqlite3_column_type(q.get(), 5) == SQLITE_NULL, a.lentUntil.isNull());
        EXPECT_EQ(sqlite3_column_int(q.get(), 6), a.rating);
        EXPECT_EQ(sqlite3_column_int(q.get(), 7), a.price);
        EXPECT_EQ(sqlite3_column_int(q.get(), 8), a.length);
        EXPECT_FALSE(q.step());
        q.reset();
    }

    auto t = engine.open(db.string(), "cdskladby.DBF");
    t->setTag("CD");
    SqliteStmt tq(lite.get(),
                  "SELECT CISLO, NAME, DELKA FROM cdskladby WHERE CD = ? ORDER BY rowid");
    for (const auto& a : {albums.front(), albums[75], albums.back()}) {
        SCOPED_TRACE("tracks of album " + std::to_string(a.number));
        t->setRange(a.number, a.number);
        sqlite3_bind_int(tq.get(), 1, a.number);
        for (const auto& track : a.tracks) {
            ASSERT_FALSE(t->eof());
            ASSERT_TRUE(tq.step());
            EXPECT_EQ(t->integer("CISLO"), track.position);
            EXPECT_EQ(t->text("NAME"), track.name);
            EXPECT_EQ(t->text("ARTIST"), track.artist);
            EXPECT_EQ(t->integer("DELKA"), track.length);
            EXPECT_EQ(sqlite3_column_int(tq.get(), 0), track.position);
            EXPECT_EQ(sqliteText(tq.get(), 1), track.name);
            t->next();
        }
        EXPECT_TRUE(t->eof());
        EXPECT_FALSE(tq.step());
        tq.reset();
        t->cancelRange();
    }

    SqliteStmt indexes(lite.get(), "SELECT count(*) FROM sqlite_master WHERE type = 'index'");
    ASSERT_TRUE(indexes.step());
    EXPECT_EQ(sqlite3_column_int(indexes.get(), 0),
              static_cast<int>(TagyAlb().size() + TagySkladeb().size()));
}

TEST(EnsureDataset, ReusesACompleteGenerationAndRedoesAnUnfinishedOne) {
    test::TestDir dir;
    GenOptions o;
    o.albums = 40;
    o.seed = 5;
    const Dataset first = ensureDataset(dir.path(), o);
    EXPECT_EQ(first.albums, 40u);
    ASSERT_TRUE(std::filesystem::exists(first.lorvikaDir / "cddata.DBF"));
    ASSERT_TRUE(std::filesystem::exists(first.sqlitePath));
    const auto stamp = std::filesystem::last_write_time(first.lorvikaDir / "cddata.DBF");

    const Dataset again = ensureDataset(dir.path(), o);
    EXPECT_EQ(again.tracks, first.tracks);
    EXPECT_EQ(std::filesystem::last_write_time(again.lorvikaDir / "cddata.DBF"), stamp);

    // Another size is another data set beside the first.
    o.albums = 41;
    const Dataset other = ensureDataset(dir.path(), o);
    EXPECT_NE(other.root, first.root);
    EXPECT_EQ(other.albums, 41u);

    // Without its completion mark a data set counts as half-written and is generated again.
    o.albums = 40;
    std::filesystem::remove(first.root / "hotovo.txt");
    std::filesystem::resize_file(first.lorvikaDir / "cddata.DBF", 100);
    const Dataset redone = ensureDataset(dir.path(), o);
    EXPECT_EQ(redone.albums, 40u);
    EXPECT_EQ(redone.tracks, first.tracks);
    dbf::Engine engine;
    EXPECT_EQ(engine.open(redone.lorvikaDir.string(), "cddata.DBF")->recordCount(), 40u);
}
