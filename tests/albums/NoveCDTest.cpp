#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "albums/EditCD.h"
#include "albums/NoveCD.h"
#include "disc/DiscIds.h"
#include "disc/FakeCdDevice.h"
#include "disc/Readout.h"
#include "export/Sonorek.h"
#include "store/Catalogue.h"
#include "store/Ini.h"
#include "support/DiscData.h"
#include "support/FakeMessages.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

// A disc of n tracks; track i lasts 3 minutes + i seconds and 20 frames.
Toc tocOf(int n) {
    return test::tocOf(n, 180, 20);
}

class NoveCDTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = dir.sub("db").string();
        program = dir.home().string();
        VytvorTabulky(engine, db);
        PridejSloupce(engine, db);
        alba = engine.open(db, std::string(kSouborAlb));
        skladby = engine.open(db, std::string(kSouborSkladeb));
        disk(14, 12345);
        nove =
            std::make_unique<NoveCD>(engine, *alba, *skladby, program, AdresarTXT(db), zpravy, [] {
                return dbf::Date{2026, 12, 8};
            });
    }

    void disk(int stopy, std::uint32_t serial, CdText text = {}) {
        dev.drives[""] =
            FakeDrive{DriveType::CdRom, false, FakeDisc{tocOf(stopy), serial, text}, "", true};
        dev.open("");
    }

    void albumCislo(std::int64_t cislo) {
        alba->append();
        alba->setInteger("CISLO", cislo);
        alba->setText("SN", "jine-" + std::to_string(cislo));
        alba->post();
    }

    bool pracovniExistuje() const {
        return fs::exists(fs::path(program) / std::string(kPracovniTabulka));
    }

    test::TestDir dir;
    std::string db, program;
    dbf::Engine engine;
    std::unique_ptr<dbf::Cursor> alba, skladby;
    FakeCdDevice dev;
    test::FakeMessages zpravy;
    std::unique_ptr<NoveCD> nove;
};

TEST_F(NoveCDTest, AlbumNumberFillsTheFirstGapAboveTheLowest) {
    struct Pripad {
        std::vector<int> cisla;
        std::int64_t nove;
    };
    const Pripad pripady[] = {
        {{}, 1},        {{2, 3, 5}, 4},    {{1, 2, 3}, 4}, {{4, 5}, 2},    {{2}, 3},
        {{5, 1, 3}, 2}, {{1, 2, 4, 6}, 3}, {{3}, 2},       {{1, 3, 4}, 2}, {{7, 8, 9, 10}, 2},
    };
    for (const Pripad& p : pripady) {
        for (alba->setTag(""), alba->first(); !alba->eof();) alba->remove();
        for (int c : p.cisla) albumCislo(c);
        std::ostringstream popis;
        for (int c : p.cisla) popis << c << ' ';
        EXPECT_EQ(Vytvor_cislo(*alba), p.nove) << popis.str();
    }
}

// A Czech user types a decimal comma; whatever the process locale, both marks read alike.
TEST(CeleCislo, NearestWholeNumberOfACommaOrAPoint) {
    const std::pair<const char*, std::optional<std::int64_t>> pripady[] = {
        {"1999", 1999},
        {"12,50", 13},
        {"12.5", 13},
        {"7,90", 8},
        {"0,99", 1},
        {"199,90", 200},
        {"-2,5", -3},
        {" 42 ", 42},
        {"1e3", 1000},
        {"12,", 12},
        {",5", 1},
        {"19x9", std::nullopt},
        {"99a", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"1,2,3", std::nullopt},
        {",", std::nullopt},
        {"1e15", std::nullopt},  // more than a number column holds
    };
    for (const auto& [text, hodnota] : pripady) {
        EXPECT_EQ(CeleCisloVstupu(text), hodnota) << text;
        EXPECT_EQ(CeleCislo(text), hodnota.value_or(0)) << text;
    }
}

TEST_F(NoveCDTest, ReadingFillsTheWorkTableWithEveryTrack) {
    ASSERT_TRUE(nove->NactiDisk(dev));
    EXPECT_EQ(nove->sn(), NactiSN(dev));
    EXPECT_EQ(nove->pocetStop(), 14);
    EXPECT_EQ(nove->delka(), readTracks(dev).totalSeconds);
    ASSERT_TRUE(pracovniExistuje());
    dbf::Cursor& p = *nove->pracovni();
    EXPECT_TRUE(p.tags().empty());
    ASSERT_EQ(p.recordCount(), 14u);
    int t = 1;
    for (p.first(); !p.eof(); p.next(), ++t) {
        EXPECT_EQ(p.integer("CISLO"), t);
        EXPECT_EQ(p.integer("DELKA"), 180 + t) << "track " << t;
        EXPECT_TRUE(p.text("NAME").empty());
        EXPECT_TRUE(p.isNull("CD"));
    }
    // Reading a shorter disc replaces the rows rather than adding to them.
    disk(3, 999);
    ASSERT_TRUE(nove->NactiDisk(dev));
    EXPECT_EQ(nove->pracovni()->recordCount(), 3u);
    EXPECT_EQ(nove->pocetStop(), 3);

    nove->Zavri();
    EXPECT_FALSE(pracovniExistuje());
    EXPECT_FALSE(fs::exists(fs::path(program) / "newskladby.mdx"));
}

TEST_F(NoveCDTest, NoDiscOrOpenDoorIsReportedAndChangesNothing) {
    for (const bool otevrenaDvirka : {true, false}) {
        dev.drives[""].doorOpen = otevrenaDvirka;
        if (!otevrenaDvirka) dev.drives[""].disc.reset();
        zpravy.expect(kNoAudioCd, MsgKind::Information, kButtonsOK, Sound::Default, MsgButton::OK);
        EXPECT_FALSE(nove->NactiDisk(dev));
        EXPECT_FALSE(nove->nacteno());
        EXPECT_FALSE(pracovniExistuje());
        EXPECT_EQ(nove->Uloz(), 0);
    }
    EXPECT_EQ(alba->recordCount(), 0u);
}

TEST_F(NoveCDTest, ClosedDeviceGivesThePlayersError) {
    dev.close();
    try {
        nove->NactiDisk(dev);
        FAIL() << "no error";
    } catch (const CdError& e) {
        EXPECT_STREQ(e.what(), kNoDeviceOpen);
    }
    EXPECT_FALSE(pracovniExistuje());
}

TEST_F(NoveCDTest, StoringWritesTheAlbumItsTracksAndItsTextFile) {
    albumCislo(1);
    albumCislo(3);
    ASSERT_TRUE(nove->NactiDisk(dev));
    VstupyAlba& v = nove->vstupy;
    v.artist = "čechomor";
    v.album = "Proměny";
    v.zanr = "Folk";
    v.typ = "Studiové";
    v.rok = "2001";
    v.cena = "12,50";
    v.zeme = "Česko";
    v.hodnoceni = 4;
    v.vydF = "Universal";
    v.vydP = std::string(50, 'P');
    v.zpev = "František Černý";
    v.sax = "nikdo";
    v.popis = std::string(200, 'x');
    dbf::Cursor& p = *nove->pracovni();
    p.first();
    p.edit();
    p.setText("NAME", "Mezi horami");
    p.setText("TYP", "lidová");
    p.post();
    p.last();
    p.edit();
    p.setText("ARTIST", "host");
    p.setInteger("CISLO", 40);
    p.post();

    const std::string sn = nove->sn();
    const std::string mbid = computeDiscIds(nove->toc())->musicBrainz;
    ASSERT_EQ(nove->mbid(), mbid);
    ASSERT_EQ(nove->Uloz(), 2);

    ASSERT_TRUE(NajdiCD(2, "cislo", *alba));
    const std::pair<const char*, std::string> ocekavane[] = {
        {"ARTIST", "čechomor"},
        {"ALBUM", "Proměny"},
        {"ZANR", "Folk"},
        {"TYP", "Studiové"},
        {"ROK", "2001"},
        {"CENA", "13"},
        {"ZEME", "Česko"},
        {"HODNOC", "4"},
        {"VYD_F", "Universal"},
        {"ZPEV", "František Černý"},
        {"SAX", "nikdo"},
        {"SN", sn},
        {"MBID", mbid},
        {"ABCDAR", "č"},
        {"ABCDAL", "P"},
        {"PSTOP", "14"},
        {"ZMENA", "8.12.2026"},
        {"VYD_P", std::string(30, 'P')},
        {"POPIS", std::string(200, 'x')},
        {"PUJ_KOMU", ""},
        {"PUJ_ANONE", ""},
    };
    for (const auto& [pole, hodnota] : ocekavane) EXPECT_EQ(alba->text(pole), hodnota) << pole;
    EXPECT_EQ(alba->integer("DELKA"), nove->delka());
    EXPECT_TRUE(alba->isNull("PUJ_DOKDY"));

    std::vector<std::int64_t> pozice;
    ProjdiSkladby(*skladby, 2, [&](dbf::Cursor& s) {
        pozice.push_back(s.integer("CISLO"));
        if (s.integer("CISLO") == 1) {
            EXPECT_EQ(s.text("NAME"), "Mezi horami");
            EXPECT_EQ(s.text("TYP"), "lidová");
            EXPECT_EQ(s.integer("DELKA"), 181);
        }
        if (s.integer("CISLO") == 40) {
            EXPECT_EQ(s.text("ARTIST"), "host");
        }
    });
    ASSERT_EQ(pozice.size(), 14u);
    EXPECT_EQ(pozice.front(), 1);
    EXPECT_EQ(pozice.back(), 40);

    const std::string txt = SouborTxtCD(AdresarTXT(db), sn);
    ASSERT_TRUE(fs::exists(txt));
    EXPECT_EQ(CtiText(txt, "CD", "album", ""), "Proměny");
    EXPECT_EQ(CtiText(txt, "CD", "pstop", ""), "14");
    EXPECT_EQ(CtiText(txt, "1", "name", ""), "Mezi horami");

    // The same disc again: refused when reading and when storing.
    zpravy.expect(kCdJizZapsano, MsgKind::Information, kButtonsOK, Sound::Default, MsgButton::OK);
    zpravy.expect(kCdJizZapsano);
    EXPECT_FALSE(nove->Uloz());
    EXPECT_FALSE(nove->NactiDisk(dev));
    EXPECT_EQ(alba->recordCount(), 3u);
    EXPECT_EQ(skladby->recordCount(), 14u);
}

TEST_F(NoveCDTest, EmptyArtistAndAlbumStoreEmptyFirstLetters) {
    ASSERT_TRUE(nove->NactiDisk(dev));
    // A year that is no number stores nothing, not 0; an empty one is 0.
    nove->vstupy.rok = "99a";
    zpravy.expect(kNeniCislo, MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
    EXPECT_EQ(nove->Uloz(), 0);
    EXPECT_EQ(ChybneCislo(nove->vstupy), std::string_view("ROK"));
    EXPECT_EQ(alba->recordCount(), 0u);
    nove->vstupy.rok = " ";
    ASSERT_EQ(nove->Uloz(), 1);
    ASSERT_TRUE(NajdiCD(1, "cislo", *alba));
    EXPECT_EQ(alba->text("ABCDAR"), "");
    EXPECT_EQ(alba->text("ABCDAL"), "");
    EXPECT_EQ(alba->integer("ROK"), 0);
    // After a store nothing more can be stored until a disc is read.
    nove->NulujEditTxt();
    EXPECT_FALSE(nove->nacteno());
    EXPECT_EQ(nove->pocetStop(), 1);
    EXPECT_EQ(nove->delka(), 0);
    EXPECT_EQ(nove->Uloz(), 0);
    EXPECT_EQ(alba->recordCount(), 1u);
}

TEST_F(NoveCDTest, AReleaseFromTheInternetFillsEmptyValuesOrOverwritesWhenAsked) {
    disk(3, 79);
    ASSERT_TRUE(nove->NactiDisk(dev));
    EXPECT_FALSE(nove->maVyplnenoProInternet());
    online::AlbumFill f{"Album", "Kapela",
                        "1999",  "Supraphon",
                        "ČR",    {{1, "První", ""}, {3, "Třetí", "Host"}, {9, "Navíc", ""}},
                        ""};
    nove->vstupy.artist = "Napsáno";
    dbf::Cursor& p = *nove->pracovni();
    p.first();
    p.edit();
    p.setText("NAME", "Vlastní");
    p.post();
    EXPECT_TRUE(nove->maVyplnenoProInternet());
    for (const bool prepsat : {false, true}) {
        SCOPED_TRACE(prepsat);
        nove->PrevezmiZInternetu(f, prepsat);
        EXPECT_EQ(nove->vstupy.artist, prepsat ? "Kapela" : "Napsáno");
        EXPECT_EQ(nove->vstupy.album, "Album");
        EXPECT_EQ(nove->vstupy.rok, "1999");
        EXPECT_EQ(nove->vstupy.zeme, "ČR");
        const std::pair<std::string, std::string> radky[] = {
            {prepsat ? "První" : "Vlastní", ""}, {"", ""}, {"Třetí", "Host"}};
        p.first();
        for (const auto& [nazev, umelec] : radky) {
            EXPECT_EQ(p.text("NAME"), nazev);
            EXPECT_EQ(p.text("ARTIST"), umelec);
            p.next();
        }
    }
    EXPECT_EQ(p.recordCount(), 3u) << "a track the disc lacks adds no row";
}

TEST_F(NoveCDTest, CdTextFillsOnlyWhatIsEmpty) {
    CdText text{"Album z disku", "Kapela", {{"První", "A"}, {"Druhá", ""}, {"", "C"}}};
    disk(3, 77, text);
    ASSERT_TRUE(nove->NactiDisk(dev));
    ASSERT_TRUE(nove->maCdText());
    nove->vstupy.artist = "Napsáno";
    dbf::Cursor& p = *nove->pracovni();
    p.first();
    p.next();
    p.edit();
    p.setText("NAME", "Vlastní");
    p.post();
    ASSERT_TRUE(nove->PrevezmiCdText());
    EXPECT_EQ(nove->vstupy.artist, "Napsáno");
    EXPECT_EQ(nove->vstupy.album, "Album z disku");
    const std::pair<std::string, std::string> radky[] = {
        {"První", "A"}, {"Vlastní", ""}, {"", "C"}};
    p.first();
    for (const auto& [nazev, umelec] : radky) {
        EXPECT_EQ(p.text("NAME"), nazev);
        EXPECT_EQ(p.text("ARTIST"), umelec);
        p.next();
    }

    disk(3, 78);
    ASSERT_TRUE(nove->NactiDisk(dev));
    EXPECT_FALSE(nove->maCdText());
    EXPECT_FALSE(nove->PrevezmiCdText());
}

// Typography gets its plain forms; any other character the tables cannot hold stops the whole
// store with a message naming it.
TEST_F(NoveCDTest, TextTheTablesCannotHoldIsMappedOrStoresNothing) {
    ASSERT_TRUE(nove->NactiDisk(dev));
    nove->vstupy.album = "„test“ – 2…";
    nove->vstupy.artist = "AC–DC";
    nove->vstupy.popis = "cena 5 €";
    zpravy.expect("Znak „€“ (U+20AC) nelze do databáze uložit (Popis).\rNahraďte ho jiným znakem.",
                  MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
    EXPECT_EQ(nove->Uloz(), 0);
    EXPECT_EQ(alba->recordCount(), 0u);
    EXPECT_EQ(skladby->recordCount(), 0u);
    EXPECT_FALSE(fs::exists(SouborTxtCD(AdresarTXT(db), nove->sn())));

    nove->vstupy.popis = "cena 5 EUR";
    ASSERT_EQ(nove->Uloz(), 1);
    ASSERT_TRUE(NajdiCD(1, "cislo", *alba));
    EXPECT_EQ(alba->text("ALBUM"), "\"test\" - 2...");
    EXPECT_EQ(alba->text("ARTIST"), "AC-DC");
    EXPECT_EQ(skladby->recordCount(), 14u);
}

TEST_F(NoveCDTest, CdTextTheTablesCannotHoldIsNotTaken) {
    CdText text{"★ Hvězdy", "„Kapela“", {{"Píseň – první", "A €"}, {"Druhá", "B"}}};
    disk(2, 79, text);
    ASSERT_TRUE(nove->NactiDisk(dev));
    zpravy.expect(
        "Tyto texty z CD-TEXT obsahují znak, který nelze do databáze uložit, a nebyly "
        "převzaty:\ralbum: znak „★“\rumělec, skladba 1: znak „€“",
        MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
    ASSERT_TRUE(nove->PrevezmiCdText());
    EXPECT_EQ(nove->vstupy.album, "");
    EXPECT_EQ(nove->vstupy.artist, "\"Kapela\"");
    dbf::Cursor& p = *nove->pracovni();
    p.first();
    EXPECT_EQ(p.text("NAME"), "Píseň - první");
    EXPECT_EQ(p.text("ARTIST"), "");
    p.next();
    EXPECT_EQ(p.text("NAME"), "Druhá");
    EXPECT_EQ(p.text("ARTIST"), "B");
}

TEST_F(NoveCDTest, AddedRowGetsTheNextPosition) {
    disk(3, 5);
    ASSERT_TRUE(nove->NactiDisk(dev));
    nove->PridejRadek();
    dbf::Cursor& p = *nove->pracovni();
    p.last();
    EXPECT_EQ(p.integer("CISLO"), 4);
    EXPECT_EQ(p.recordCount(), 4u);
}

}  // namespace
}  // namespace lorvika
