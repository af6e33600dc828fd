#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Commands.h"
#include "disc/DiscIds.h"
#include "store/Ini.h"
#include "support/HttpServer.h"
#include "support/TestDir.h"

namespace lorvika::cli {
namespace {

using test::HttpAnswer;

// Three audio tracks at 0, 3:18 and 6:38, ending at 9:58.
std::string writeImage(const test::TestDir& dir) {
    const auto bin = dir.path() / "d.bin";
    std::ofstream(bin, std::ios::binary).put('\0');
    std::filesystem::resize_file(bin, 44850ull * 2352);
    const auto cue = dir.path() / "d.cue";
    std::ofstream(cue) << "FILE \"d.bin\" BINARY\n"
                          "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                          "  TRACK 02 AUDIO\n    INDEX 01 03:18:00\n"
                          "  TRACK 03 AUDIO\n    INDEX 01 06:38:00\n";
    return cue.string();
}

struct Outcome {
    int status;
    std::string out, err;
};
Outcome lookup(const Args& args) {
    std::ostringstream out, err;
    const int status = runLookup(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(LookupCommand, CsvOfEveryCandidateOrAMessageWithItsExitCode) {
    test::TestDir dir;
    const std::string cue = writeImage(dir);
    Toc toc;
    toc.tracks = {{150}, {15000}, {30000}};
    toc.leadOut = 45000;
    const std::string id = computeDiscIds(toc)->musicBrainz;
    const std::string found =
        R"({"releases":[{"id":"r-1","title":"Album, první","date":"2004","country":"CZ",)"
        R"("artist-credit":[{"name":"Kapela","joinphrase":""}],)"
        R"("label-info":[{"label":{"name":"Indies"}}],"media":[{"position":1,"track-count":2,)"
        R"("discs":[{"id":")" +
        id +
        R"("}],"tracks":[{"position":1,"title":"Jedna"},)"
        R"({"position":2,"title":"Dvě \"2\"","artist-credit":[{"name":"Host","joinphrase":""}]}]}]}]})";
    struct Case {
        const char* name;
        HttpAnswer mb;
        int status;
        std::string out, err;
    };
    const Case cases[] = {
        {"found",
         {200, QByteArray::fromStdString(found), {}, false},
         0,
         "VYDANI,ALBUM,ARTIST,ROK,VYD_F,ZEME,CISLO,NAME,TRACK_ARTIST\r\n"
         "r-1,\"Album, první\",Kapela,2004,Indies,ČR,1,Jedna,\r\n"
         "r-1,\"Album, první\",Kapela,2004,Indies,ČR,2,\"Dvě \"\"2\"\"\",Host\r\n",
         ""},
        {"nothing found",
         {404, "{}", {}, false},
         1,
         "",
         "Disk nebyl v internetové databázi nalezen\n"},
        {"server failure",
         {500, "", {}, false},
         3,
         "",
         "Internetová databáze není dostupná: MusicBrainz odpověděl chybou HTTP 500\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::HttpServer mb;
        mb.route = [&](const QByteArray&) { return c.mb; };
        test::HttpServer gnudb;
        gnudb.route = [](const QByteArray&) {
            return HttpAnswer{200, "202 No match for disc ID.\r\n", {}, false};
        };
        const Outcome r = lookup({cue, "--mb", mb.base(), "--gnudb", gnudb.base() + "/cddb.cgi"});
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_FALSE(mb.requests.empty());
        EXPECT_NE(mb.requests[0].target.indexOf(QByteArray::fromStdString(id)), -1);
    }

    // Switched off: nothing is sent anywhere.
    test::HttpServer mb;
    ZapisText((dir.home() / "lorvika.ini").string(), "Internet", "Povoleno", "0");
    const Outcome off = lookup({cue, "--mb", mb.base(), "--gnudb", mb.base()});
    EXPECT_EQ(off.status, 3);
    EXPECT_NE(off.err.find("vypnuto"), std::string::npos);
    EXPECT_TRUE(mb.requests.empty());
}

TEST(LookupCommand, BadUsage) {
    for (const Args& args : {Args{}, Args{"a", "b"}, Args{"a", "--mb"}, Args{"--gnudb", "x"},
                             Args{"a", "--jine", "x"}})
        EXPECT_EQ(lookup(args).status, 2) << args.size();
}

}  // namespace
}  // namespace lorvika::cli
