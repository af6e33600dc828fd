#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "store/Catalogue.h"
#include "store/codepage.h"
#include "store/dbf/EngineError.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

using dbf::FieldDef;
using dbf::TagDef;

std::vector<std::string> names(const std::vector<FieldDef>& fields) {
    std::vector<std::string> out;
    for (const auto& f : fields) out.push_back(f.name);
    return out;
}

TEST(CatalogueColumns, AlbumAndTrackLayouts) {
    const auto& alba = SloupceAlb();
    ASSERT_EQ(alba.size(), 32u);
    EXPECT_EQ(ZakladniPole(alba).size(), 25u);
    const std::vector<std::string> expected{
        "CISLO",     "ALBUM",     "ARTIST",    "ROK",      "DELKA",   "VYD_F", "VYD_P", "PSTOP",
        "ZEME",      "ZANR",      "ZPEV",      "KYTAR",    "BASA",    "BICI",  "KLAV",  "HOST",
        "PUJ_DOKDY", "PUJ_KOLIK", "PUJ_ANONE", "PUJ_KOMU", "ZMENA",   "SN",    "TYP",   "ABCDAR",
        "ABCDAL",    "HODNOC",    "SAX",       "TRUBKA",   "SPECIAL", "POPIS", "CENA",  "MBID"};
    EXPECT_EQ(names(VsechnaPole(alba)), expected);
    // The added ones are exactly the last seven, in this order.
    for (std::size_t i = 0; i < alba.size(); ++i) EXPECT_EQ(alba[i].pridany, i >= 25) << i;

    const auto& skladby = SloupceSkladeb();
    EXPECT_EQ(VsechnaPole(alba)[16], FieldDef::date("PUJ_DOKDY"));
    EXPECT_EQ(VsechnaPole(alba)[29], FieldDef::text("POPIS", 200));
    EXPECT_EQ(VsechnaPole(alba)[30], FieldDef::number("CENA"));
    EXPECT_EQ(VsechnaPole(alba)[31], FieldDef::text("MBID", 28));
    EXPECT_EQ(TitulekSloupce(alba, "SN"), "");
    EXPECT_EQ(TitulekSloupce(skladby, "ARTIST"), "Umělec/popis");
    EXPECT_EQ(TitulekSloupce(alba, "puj_komu"), "Půjčeno komu");
    EXPECT_EQ(names(ZakladniPole(skladby)),
              (std::vector<std::string>{"CD", "CISLO", "NAME", "ARTIST", "DELKA"}));
    EXPECT_EQ(skladby.size(), 6u);
}

TEST(CatalogueTexts, RatingAndYear) {
    const std::pair<std::int64_t, const char*> ratings[] = {
        {-1, "-"},    {0, "-"},          {1, "ODPAD"},    {2, "SLABÉ"}, {3, "PRŮMĚRNÉ"},
        {4, "DOBRÉ"}, {5, "VYNIKAJÍCÍ"}, {6, "GENIÁLNÍ"}, {7, "-"},     {1000, "-"}};
    for (const auto& [n, word] : ratings) EXPECT_EQ(HodnoceniText(n), word) << n;
    EXPECT_EQ(HodnoceniSlova().size(), 7u);
    EXPECT_EQ(RokText(0), "");
    EXPECT_EQ(RokText(1999), "1999");
}

TEST(CatalogueFiles, ADatabaseNeedsBothTables) {
    struct Case {
        std::vector<std::string> files;
        bool database;
    };
    const Case cases[] = {
        {{}, false},
        {{"cddata.DBF"}, false},
        {{"cdskladby.DBF", "cddata.mdx"}, false},
        {{"cddata.DBF", "cdskladby.DBF"}, true},
        {{"CDDATA.dbf", "cdskladby.dbf"}, true},
    };
    for (const auto& c : cases) {
        test::TestDir dir;
        for (const auto& f : c.files) std::ofstream(dir.path() / f) << "x";
        EXPECT_EQ(JeDatabaze(dir.str()), c.database) << c.files.size();
    }
    test::TestDir dir;
    std::filesystem::create_directories(dir.path() / "cddata.DBF");
    std::ofstream(dir.path() / "cdskladby.DBF") << "x";
    EXPECT_FALSE(JeDatabaze(dir.str())) << "a directory is no table";
    EXPECT_FALSE(JeDatabaze((dir.path() / "neni").string()));
}

class CatalogueDb : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.setLanguageDriver(std::string(kOvladacKatalogu));
        VytvorTabulky(engine, dir.str());
        PridejSloupce(engine, dir.str());
    }
    std::unique_ptr<dbf::Cursor> alba() { return engine.open(dir.str(), std::string(kSouborAlb)); }
    std::unique_ptr<dbf::Cursor> skladby() {
        return engine.open(dir.str(), std::string(kSouborSkladeb));
    }
    void addAlbum(dbf::Cursor& c, std::int64_t cislo, const std::string& sn) {
        c.append();
        c.setInteger("CISLO", cislo);
        c.setText("SN", sn);
        c.post();
    }
    void addTrack(dbf::Cursor& c, std::int64_t cd, std::int64_t pozice) {
        c.append();
        c.setInteger("CD", cd);
        c.setInteger("CISLO", pozice);
        c.post();
    }

    test::TestDir dir;
    dbf::Engine engine;
};

TEST_F(CatalogueDb, NewDatabaseHasAllColumnsAndTags) {
    EXPECT_TRUE(JeDatabaze(dir.str()));
    EXPECT_EQ(alba()->fields(), VsechnaPole(SloupceAlb()));
    EXPECT_EQ(skladby()->fields(), VsechnaPole(SloupceSkladeb()));
    auto tagsOf = [](const dbf::Cursor& c) {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& t : c.tags()) out.emplace_back(cp::toLower(t.name), t.expression);
        std::sort(out.begin(), out.end());
        return out;
    };
    std::vector<std::pair<std::string, std::string>> expected;
    for (const auto& t : TagyAlb()) expected.emplace_back(cp::toLower(t.name), t.expression);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(tagsOf(*alba()), expected);
    EXPECT_EQ(tagsOf(*skladby()), (std::vector<std::pair<std::string, std::string>>{{"cd", "CD"}}));
    // Everything is there already: nothing more to add.
    EXPECT_EQ(PridejSloupce(engine, dir.str()), 0);
    EXPECT_EQ(alba()->fields().size(), 32u);
}

TEST_F(CatalogueDb, OlderTablesGetTheMissingColumnsInOrder) {
    test::TestDir old;
    auto base = ZakladniPole(SloupceAlb());
    base.resize(23);
    engine.createTable(old.str(), "cddata.DBF", base);
    engine.createTable(old.str(), "cdskladby.DBF", ZakladniPole(SloupceSkladeb()));
    {
        auto c = engine.open(old.str(), "cddata.DBF");
        c->append();
        c->setInteger("CISLO", 5);
        c->setText("ALBUM", "Stará deska");
        c->post();
    }
    EXPECT_EQ(PridejSloupce(engine, old.str()), 10);
    EXPECT_EQ(engine.open(old.str(), "cddata.DBF")->fields(), VsechnaPole(SloupceAlb()));
    EXPECT_EQ(engine.open(old.str(), "cdskladby.DBF")->fields(), VsechnaPole(SloupceSkladeb()));
    auto c = engine.open(old.str(), "cddata.DBF");
    c->first();
    EXPECT_EQ(c->text("ALBUM"), "Stará deska");
    EXPECT_EQ(c->integer("CISLO"), 5);
    // The first-letter tags can now be built.
    ZajistiIndexy(engine, old.str(), RezimIndexu::Kontrola);
    EXPECT_TRUE(c->hasTag("abcdar"));
}

TEST_F(CatalogueDb, CheckModeAddsMissingAndReplacesChangedTags) {
    {
        auto c = alba();
        c->deleteTag("zanr");
        c->addTag(TagDef{"album", "ARTIST"});
        addAlbum(*c, 2, "b");
        addAlbum(*c, 1, "a");
    }
    ZajistiIndexy(engine, dir.str(), RezimIndexu::Kontrola);
    auto c = alba();
    ASSERT_TRUE(c->hasTag("zanr"));
    for (const auto& t : c->tags()) {
        if (cp::toLower(t.name) == "album") {
            EXPECT_EQ(t.expression, "ALBUM");
        }
    }
    c->setTag("cislo");
    c->first();
    EXPECT_EQ(c->integer("CISLO"), 1) << "tags still order their records";
}

TEST_F(CatalogueDb, TracksOfOneAlbumInRecordOrderWithTheTagRestored) {
    auto t = skladby();
    addTrack(*t, 2, 3);
    addTrack(*t, 1, 1);
    addTrack(*t, 2, 1);
    addTrack(*t, 3, 1);
    addTrack(*t, 2, 2);
    struct Case {
        std::int64_t cd;
        std::vector<std::int64_t> positions;
    };
    const Case cases[] = {{2, {3, 1, 2}}, {1, {1}}, {4, {}}, {0, {}}};
    for (const std::string tag : {"", "CD"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(tag + " " + std::to_string(c.cd));
            t->setTag(tag);
            std::vector<std::int64_t> seen;
            const auto n = ProjdiSkladby(*t, c.cd, [&](dbf::Cursor& r) {
                EXPECT_EQ(r.integer("CD"), c.cd);
                seen.push_back(r.integer("CISLO"));
            });
            EXPECT_EQ(seen, c.positions);
            EXPECT_EQ(n, c.positions.size());
            EXPECT_EQ(t->tag().empty(), tag.empty());
            EXPECT_FALSE(t->hasRange());
            EXPECT_EQ(t->recordCount(), 5u);
        }
    }
}

TEST_F(CatalogueDb, KeyExistsLeavesTheTagSet) {
    auto c = alba();
    addAlbum(*c, 1, "14-3021-9A2B");
    addAlbum(*c, 2, "10-2400-77");
    const std::pair<const char*, bool> cases[] = {
        {"14-3021-9A2B", true}, {"10-2400-77", true}, {"10-2400", false}, {"", false}};
    for (const auto& [sn, exists] : cases) {
        c->setTag("");
        EXPECT_EQ(ExistujeKlic("SN", dbf::Key(sn), *c), exists) << sn;
        EXPECT_EQ(cp::toLower(c->tag()), "sn");
        EXPECT_FALSE(c->hasRange());
        EXPECT_EQ(c->recordCount(), 2u);
    }
}

TEST_F(CatalogueDb, FindAlbumByNumberKeepsThePreviousTag) {
    auto c = alba();
    addAlbum(*c, 5, "e");
    addAlbum(*c, 2, "b");
    addAlbum(*c, 9, "i");
    c->setTag("SN");
    c->first();
    ASSERT_EQ(c->integer("CISLO"), 2);
    struct Case {
        std::int64_t cislo;
        const char* tag;
        bool found;
        std::int64_t current;
    };
    const Case cases[] = {
        {9, "cislo", true, 9}, {5, "CISLO", true, 5}, {3, "cislo", false, 5},
        {2, "neni", false, 5}, {2, "cislo", true, 2}, {0, "cislo", false, 2},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.cislo);
        EXPECT_EQ(NajdiCD(k.cislo, k.tag, *c), k.found);
        EXPECT_EQ(c->integer("CISLO"), k.current);
        EXPECT_EQ(c->tag(), "SN");
    }
}

}  // namespace
}  // namespace lorvika
