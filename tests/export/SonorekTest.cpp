#include "export/Sonorek.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "store/Catalogue.h"
#include "store/Ini.h"
#include "store/codepage.h"
#include "store/dbf/Engine.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace fs = std::filesystem;
using namespace lorvika;

using lorvika::test::readFile;
using lorvika::test::writeFile;

namespace {

// The writing as the player's files were always written: one ZapisText per key, the album by
// its number on tag "cislo", then its tracks on tag "CD".
void keyByKey(std::int64_t cislo, dbf::Cursor& alba, dbf::Cursor& skladby, const std::string& dir) {
    fs::create_directories(dir);
    const std::string tag = alba.tag();
    alba.setTag("cislo");
    alba.setRange(dbf::Key(cislo), dbf::Key(cislo));
    if (alba.isEmpty()) {
        alba.cancelRange();
        alba.setTag(tag);
        return;
    }
    alba.first();
    const std::string file = dir + "/" + alba.text("SN") + ".txt";
    ZapisText(file, "CD", "album", alba.text("ALBUM"));
    ZapisText(file, "CD", "artist", alba.text("ARTIST"));
    ZapisText(file, "CD", "zanr", alba.text("ZANR"));
    ZapisText(file, "CD", "zeme", alba.text("ZEME"));
    ZapisText(file, "CD", "pstop", std::to_string(alba.integer("PSTOP")));
    alba.cancelRange();
    alba.setTag(tag);
    const std::string ttag = skladby.tag();
    skladby.setTag("CD");
    skladby.setRange(dbf::Key(cislo), dbf::Key(cislo));
    skladby.first();
    const std::size_t n = skladby.recordCount();
    for (std::size_t i = 0; i < n; ++i) {
        const std::string sec = std::to_string(skladby.integer("CISLO"));
        ZapisText(file, sec, "name", skladby.text("NAME"));
        ZapisText(file, sec, "artist", skladby.text("ARTIST"));
        skladby.next();
    }
    skladby.cancelRange();
    skladby.setTag(ttag);
}

struct TrackRow {
    int pos;
    std::string name, artist;
};

class SonorekTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = tmp.sub("db").string();
        VytvorTabulky(engine, db);
        alba = engine.open(db, "cddata.DBF");
        skladby = engine.open(db, "cdskladby.DBF");
        txt = AdresarTXT(db);
        ref = tmp.path().string() + "/ref";
    }

    void addAlbum(int cislo, const std::string& album, const std::string& artist,
                  const std::string& sn, const std::vector<TrackRow>& tracks) {
        alba->append();
        alba->setInteger("CISLO", cislo);
        alba->setText("ALBUM", album);
        alba->setText("ARTIST", artist);
        alba->setText("ZANR", "Rock");
        alba->setText("ZEME", "Česko");
        alba->setInteger("PSTOP", static_cast<std::int64_t>(tracks.size()));
        alba->setText("SN", sn);
        alba->post();
        for (const auto& t : tracks) {
            skladby->append();
            skladby->setInteger("CD", cislo);
            skladby->setInteger("CISLO", t.pos);
            skladby->setText("NAME", t.name);
            skladby->setText("ARTIST", t.artist);
            skladby->post();
        }
    }

    std::vector<TrackRow> three() const {
        return {{1, "Úvod", "Kryl"}, {2, "Žluťoučký kůň", "Hegerová"}, {3, "Finále", ""}};
    }

    test::TestDir tmp;
    dbf::Engine engine;
    std::string db, txt, ref;
    std::unique_ptr<dbf::Cursor> alba, skladby;
};

TEST(SonorekPaths, TextDirectoryAndFileNames) {
    EXPECT_EQ(AdresarTXT("/data/cd"), "/data/cd/TXT");
    EXPECT_EQ(AdresarTXT("/data/cd/"), "/data/cd/TXT");
    EXPECT_EQ(SouborTxtCD("/data/cd/TXT", "15 3542 1A2B-3C4D"),
              "/data/cd/TXT/15 3542 1A2B-3C4D.txt");
    EXPECT_EQ(SouborTxtCD("/data/cd/TXT", ""), "/data/cd/TXT/.txt");
    for (const char* bad : {"../evil", "a/b", "/etc/passwd"})
        EXPECT_THROW(SouborTxtCD("/data/cd/TXT", bad), SonorekError) << bad;
}

TEST_F(SonorekTest, NewFileReadsAsThePlayerExpects) {
    addAlbum(7, "Písně z kolotoče", "Marta Kubišová", "12 2711 0A1B-2C3D", three());
    txt = tmp.path().string() + "/nove/hluboko/TXT";
    ASSERT_TRUE(UlozTxtCD(7, *alba, *skladby, txt));

    const std::string bytes = readFile(txt + "/12 2711 0A1B-2C3D.txt");
    EXPECT_EQ(bytes.find("\xC5\xBD"), std::string::npos) << "no UTF-8 on disk";
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "every line ends with CRLF";
        std::string line = bytes.substr(pos, end - pos);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        if (!line.empty()) lines.push_back(cp::cp1250ToUtf8(line));
        pos = end + 2;
    }
    const std::vector<std::string> expected = {"[CD]",
                                               "album=Písně z kolotoče",
                                               "artist=Marta Kubišová",
                                               "zanr=Rock",
                                               "zeme=Česko",
                                               "pstop=3",
                                               "[1]",
                                               "name=Úvod",
                                               "artist=Kryl",
                                               "[2]",
                                               "name=Žluťoučký kůň",
                                               "artist=Hegerová",
                                               "[3]",
                                               "name=Finále",
                                               "artist="};
    EXPECT_EQ(lines, expected);
}

TEST_F(SonorekTest, SameBytesAsKeyByKeyWritingOverExistingFiles) {
    addAlbum(3, "Abbey Road", "Beatles", "SN3", three());
    struct Case {
        const char* name;
        std::string before;  // empty: no file yet
    };
    const std::vector<Case> cases = {
        {"no file", ""},
        {"foreign content kept",
         "; poznámka\r\n[Jine]\r\nklic=hodnota\r\n\r\n[CD]\r\nalbum=Staré\r\nrok=1969\r\n"},
        {"other case of names", "[cd]\r\nALBUM=stare\r\nArtist = x\r\n[2]\r\nNAME=old\r\n"},
        {"section of a track the album no longer has", "[CD]\r\npstop=4\r\n[4]\r\nname=Bonus\r\n"},
        {"LF line ends and no end on the last line", "[CD]\nzanr=Pop\n[1]\nartist=A"},
        {"blank lines between sections", "[1]\r\nname=x\r\n\r\n\r\n[CD]\r\n\r\n[3]\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(txt);
        fs::remove_all(ref);
        if (!c.before.empty()) {
            fs::create_directories(txt);
            fs::create_directories(ref);
            writeFile(txt + "/SN3.txt", c.before);
            writeFile(ref + "/SN3.txt", c.before);
        }
        ASSERT_TRUE(UlozTxtCD(3, *alba, *skladby, txt));
        keyByKey(3, *alba, *skladby, ref);
        const std::string ours = readFile(txt + "/SN3.txt");
        EXPECT_EQ(ours, readFile(ref + "/SN3.txt"));
        if (c.before.find("[Jine]") != std::string::npos) {
            EXPECT_NE(ours.find("[Jine]\r\nklic=hodnota\r\n"), std::string::npos);
        }
        if (c.before.find("[4]") != std::string::npos) {
            EXPECT_NE(ours.find("name=Bonus"), std::string::npos);
        }
    }
}

TEST_F(SonorekTest, FewerTracksLeaveTheOldSectionInPlace) {
    addAlbum(5, "Album", "Interpret", "SN5", three());
    ASSERT_TRUE(UlozTxtCD(5, *alba, *skladby, txt));
    skladby->setTag("CD");
    skladby->setRange(dbf::Key(5), dbf::Key(5));
    skladby->last();
    skladby->remove();
    skladby->cancelRange();
    ASSERT_TRUE(UlozTxtCD(5, *alba, *skladby, txt));
    IniSoubor ini(txt + "/SN5.txt");
    EXPECT_EQ(ini.text("3", "name", "-"), "Finále");
    EXPECT_EQ(ini.text("2", "name", "-"), "Žluťoučký kůň");
}

TEST_F(SonorekTest, CursorsGetTheirTagsBackAndNoRange) {
    addAlbum(1, "Jedna", "B", "SN1", three());
    addAlbum(2, "Dva", "A", "SN2", {{1, "x", "y"}});
    struct Case {
        const char* albumTag;
        const char* trackTag;
        std::int64_t number;
        bool written;
    };
    const Case cases[] = {{"artist", "", 1, true},
                          {"", "CD", 2, true},
                          {"album", "", 999, false},
                          {"artist", "CD", 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        fs::remove_all(txt);
        alba->setTag(c.albumTag);
        skladby->setTag(c.trackTag);
        EXPECT_EQ(UlozTxtCD(c.number, *alba, *skladby, txt), c.written);
        EXPECT_EQ(alba->tag(), c.albumTag);
        EXPECT_EQ(skladby->tag(), c.trackTag);
        EXPECT_FALSE(alba->hasRange());
        EXPECT_FALSE(skladby->hasRange());
        EXPECT_EQ(alba->recordCount(), 2u);
        std::size_t files = 0;
        if (fs::exists(txt))
            for ([[maybe_unused]] const auto& e : fs::directory_iterator(txt)) ++files;
        EXPECT_EQ(files, c.written ? 1u : 0u);
    }
}

TEST_F(SonorekTest, RebuildFollowsTheCursorOrderAndReturnsToTheStart) {
    // Two albums sharing a disc identity: the one visited last decides the file's album keys.
    addAlbum(1, "Zappa live", "Zappa", "SPOLECNE", three());
    addAlbum(2, "Abba gold", "Abba", "SPOLECNE", {{1, "Waterloo", "Abba"}});
    addAlbum(3, "Kryl", "Kryl", "SN3", {{1, "Bratříčku", "Kryl"}, {2, "Anděl", "Kryl"}});
    addAlbum(4, "Bez skladeb", "Nikdo", "SN4", {});
    struct Case {
        const char* tag;
        const char* lastAlbum;
    };
    const Case cases[] = {{"artist", "Zappa live"}, {"cislo", "Abba gold"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        fs::remove_all(txt);
        fs::remove_all(ref);
        // An existing file keeps what the albums do not overwrite.
        const std::string old =
            "; z dřívějška\r\n[CD]\r\nalbum=staré\r\nrok=1970\r\n[9]\r\nname=x\r\n";
        for (const auto& d : {txt, ref}) {
            fs::create_directories(d);
            writeFile(d + "/SN3.txt", old);
        }
        alba->setTag(c.tag);
        alba->first();
        alba->next();
        const std::int64_t start = alba->integer("CISLO");

        std::vector<std::string> status;
        ObnovaTxt(*alba, *skladby, txt, [&](const std::string& s) { status.push_back(s); });
        EXPECT_EQ(status, (std::vector<std::string>{
                              "ukládám textové soubory - propojení pro Sonorek", ""}));
        EXPECT_EQ(alba->integer("CISLO"), start);
        EXPECT_EQ(alba->tag(), c.tag);
        EXPECT_EQ(CtiText(txt + "/SPOLECNE.txt", "CD", "album", "-"), c.lastAlbum);
        EXPECT_EQ(CtiText(txt + "/SN3.txt", "CD", "rok", "-"), "1970");
        EXPECT_EQ(CtiText(txt + "/SN3.txt", "9", "name", "-"), "x");

        for (alba->first(); !alba->eof(); alba->next()) {
            const std::int64_t n = alba->integer("CISLO");
            const auto mark = alba->bookmark();
            keyByKey(n, *alba, *skladby, ref);
            alba->gotoBookmark(mark);
        }
        for (const char* f : {"SPOLECNE.txt", "SN3.txt", "SN4.txt"})
            EXPECT_EQ(readFile(txt + "/" + f), readFile(ref + "/" + f)) << f;
    }
}

TEST_F(SonorekTest, OpeningWritesOnlyMissingFilesAndClearsInterruptedWrites) {
    addAlbum(1, "A", "A", "SN1", three());
    addAlbum(2, "B", "B", "SN2", {{1, "Jediná", "B"}});
    addAlbum(3, "C", "C", "../venku", three());  // left to the rebuild, which reports it
    addAlbum(4, "D", "D", "SN4", {});
    fs::create_directories(txt);
    // Album 1 has its file (even an outdated one stays); album 2 crashed half-way through its
    // write; the player's own files and other names are no leftovers.
    writeFile(txt + "/SN1.txt", "[CD]\r\nalbum=staré\r\n");
    const std::vector<std::string> leftovers = {"SN2.txt.Ab12Cd", "SN1.TXT.zz9999"};
    const std::vector<std::string> kept = {"SN1.txt.bak", "playlist.m3u.Ab12Cd", "poznamky"};
    for (const auto& n : leftovers) writeFile(txt + "/" + n, "[CD]\r\nalb");
    // Files of albums that are gone, and of no identity at all.
    addAlbum(5, "E", "E", "", three());
    for (const char* n : {"SN9.txt", ".txt", "sn4.TXT"}) writeFile(txt + "/" + n, "[CD]\r\n");
    for (const auto& n : kept) writeFile(txt + "/" + n, "keep");
    alba->setTag("album");
    alba->first();
    alba->next();

    EXPECT_EQ(DoplnTxt(*alba, *skladby, txt), 2u);
    EXPECT_EQ(alba->integer("CISLO"), 2);
    EXPECT_EQ(readFile(txt + "/SN1.txt"), "[CD]\r\nalbum=staré\r\n");
    for (const auto& n : leftovers) EXPECT_FALSE(fs::exists(txt + "/" + n)) << n;
    for (const char* n : {"SN9.txt", ".txt"}) EXPECT_FALSE(fs::exists(txt + "/" + n)) << n;
    EXPECT_TRUE(fs::exists(txt + "/sn4.TXT")) << "album 4 carries it, whatever the case";
    for (const auto& n : kept) EXPECT_EQ(readFile(txt + "/" + n), "keep") << n;
    EXPECT_FALSE(fs::exists(tmp.path() / "venku.txt"));
    fs::create_directories(ref);
    for (int n : {2, 4}) keyByKey(n, *alba, *skladby, ref);
    for (const char* f : {"SN2.txt", "SN4.txt"})
        EXPECT_EQ(readFile(txt + "/" + f), readFile(ref + "/" + f)) << f;
    EXPECT_EQ(DoplnTxt(*alba, *skladby, txt), 0u) << "nothing missing the second time";
}

TEST_F(SonorekTest, FailuresLeaveCursorsAsTheyWere) {
    addAlbum(1, "A", "A", "SN1", three());
    addAlbum(2, "B", "B", "../venku", three());
    addAlbum(3, "C", "C", "SN3", three());
    alba->setTag("album");
    alba->last();

    // A disc identity with a separator never names a file outside the text directory.
    EXPECT_THROW(UlozTxtCD(2, *alba, *skladby, txt), SonorekError);
    EXPECT_FALSE(fs::exists(fs::path(db) / "venku.txt"));
    EXPECT_EQ(alba->tag(), "album");
    EXPECT_FALSE(alba->hasRange());

    // The rebuild stops at that album and goes back to where the cursor was.
    alba->last();
    std::vector<std::string> status;
    EXPECT_THROW(
        ObnovaTxt(*alba, *skladby, txt, [&](const std::string& s) { status.push_back(s); }),
        SonorekError);
    EXPECT_EQ(alba->integer("CISLO"), 3);
    EXPECT_EQ(alba->tag(), "album");
    EXPECT_FALSE(skladby->hasRange());
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back(), "");

    // A text directory that cannot be made.
    const std::string blocked = tmp.path().string() + "/soubor";
    writeFile(blocked, "x");
    EXPECT_THROW(UlozTxtCD(1, *alba, *skladby, blocked + "/TXT"), std::runtime_error);
    EXPECT_EQ(alba->tag(), "album");
    EXPECT_EQ(alba->integer("CISLO"), 3);
}

TEST(SonorekIni, TextDirectoryEntryReplacesOnlyItsValue) {
    test::TestDir tmp;
    const std::string ini = (tmp.home() / "sonorek.ini").string();
    writeFile(ini, "[Prehravac]\r\nhlasitost=80\r\n[Databaze]\r\nadresarTXT=/stare/TXT\r\n");
    ZapisAdresarTXT(ini, "/nová/databáze/TXT");
    EXPECT_EQ(CtiText(ini, "Databaze", "adresarTXT", ""), "/nová/databáze/TXT");
    EXPECT_EQ(readFile(ini), "[Prehravac]\r\nhlasitost=80\r\n[Databaze]\r\nadresarTXT=" +
                                 cp::utf8ToCp1250("/nová/databáze/TXT") + "\r\n");
    const std::string fresh = (tmp.home() / "jiny.ini").string();
    ZapisAdresarTXT(fresh, "/db/TXT");
    EXPECT_EQ(CtiText(fresh, "Databaze", "adresarTXT", ""), "/db/TXT");
}

}  // namespace
