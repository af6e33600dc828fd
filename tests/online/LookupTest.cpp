#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "disc/DiscIds.h"
#include "online/AlbumFill.h"
#include "online/Lookup.h"
#include "support/HttpServer.h"

namespace lorvika::online {
namespace {

using test::HttpAnswer;
using test::HttpServer;

// Three audio tracks; its IDs come from the disc layer.
Toc disc() {
    Toc toc;
    toc.tracks = {{150}, {15000}, {30000}};
    toc.leadOut = 45000;
    return toc;
}
const std::string kId = computeDiscIds(disc())->musicBrainz;
const std::string kFreedb = computeDiscIds(disc())->freedb;

// The shape of the web service's answers (https://musicbrainz.org/doc/MusicBrainz_API).
std::string track(int n, const std::string& title, const std::string& credit = "") {
    return R"({"position":)" + std::to_string(n) + R"(,"title":")" + title + R"(")" +
           (credit.empty() ? ""
                           : R"(,"artist-credit":[{"name":")" + credit + R"(","joinphrase":""}])") +
           R"(,"recording":{"title":"x"}})";
}
std::string medium(int position, const std::string& discId, std::vector<std::string> tracks) {
    std::string t;
    for (const auto& s : tracks) t += (t.empty() ? "" : ",") + s;
    return R"({"position":)" + std::to_string(position) + R"(,"track-count":)" +
           std::to_string(tracks.size()) + R"(,"discs":[{"id":")" + discId + R"("}],"tracks":[)" +
           t + "]}";
}
std::string release(const std::string& id, const std::string& title, std::vector<std::string> media,
                    const std::string& country = "CZ") {
    std::string m;
    for (const auto& s : media) m += (m.empty() ? "" : ",") + s;
    return R"({"id":")" + id + R"(","title":")" + title + R"(","date":"1999-04-01","country":")" +
           country + R"(","barcode":"8590233012345",)" +
           R"("artist-credit":[{"name":"Jiří Suchý","joinphrase":" & "},)" +
           R"({"name":"Jiří Šlitr","joinphrase":""}],)" +
           R"("label-info":[{"catalog-number":"SU 1234","label":{"name":"Supraphon"}}],)" +
           R"("media":[)" + m + "]}";
}
const std::vector<std::string> kThree = {track(1, "Klokočí"), track(2, "Pramínek vlasů"),
                                         track(3, "Tereza", "Eva Pilarová")};
std::string discAnswer(std::vector<std::string> releases) {
    std::string r;
    for (const auto& s : releases) r += (r.empty() ? "" : ",") + s;
    return R"({"id":")" + kId + R"(","sectors":45000,"releases":[)" + r + "]}";
}

struct Outcome {
    LookupResult result;
    std::vector<test::HttpRequest> requests;
    qint64 ms = 0;
};

Outcome lookup(HttpServer& mb, HttpServer* gnudb, Lookup::Timing timing = {}) {
    timing.minInterval = std::chrono::milliseconds(50);
    if (timing.timeout == std::chrono::milliseconds(15000))
        timing.timeout = std::chrono::milliseconds(3000);
    Settings s;
    s.musicBrainz = mb.base() + "/";
    s.gnudb = gnudb ? gnudb->base() + "/~cddb/cddb.cgi" : "";
    QElapsedTimer clock;
    clock.start();
    Outcome run;
    run.result = Lookup::run(disc(), s, timing);
    run.ms = clock.elapsed();
    run.requests = mb.requests;
    return run;
}

HttpAnswer json(const std::string& body, int status = 200) {
    return {status, QByteArray::fromStdString(body), {{"Content-Type", "application/json"}}, false};
}

TEST(Lookup, MusicBrainzAnswers) {
    const std::string exact =
        "/ws/2/discid/" + kId + "?inc=artist-credits+recordings+labels&fmt=json";
    const std::string fuzzy =
        "/ws/2/discid/" + kId +
        "?toc=1+3+45000+150+15000+30000&inc=artist-credits+recordings+labels&fmt=json";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, HttpAnswer>> answers;  // by target
        std::vector<std::string> ids;
        std::vector<std::string> firstTracks;  // of each release
        std::size_t requests;
    };
    const std::string two = medium(2, kId, {track(1, "Druhá"), track(2, "b"), track(3, "c")});
    const Case cases[] = {
        {"one release",
         {{exact, json(discAnswer({release("r1", "Klokočí", {medium(1, kId, kThree)})}))}},
         {"r1"},
         {"Klokočí"},
         1},
        {"several releases",
         {{exact, json(discAnswer({release("r1", "A", {medium(1, kId, kThree)}),
                                   release("r2", "B", {medium(1, kId, kThree)}, "DE")}))}},
         {"r1", "r2"},
         {"Klokočí", "Klokočí"},
         1},
        {"the medium carrying the disc, else the one with its track count",
         {{exact, json(discAnswer(
                      {release("m1", "Box", {medium(1, "other", kThree), two}),
                       release("m2", "Box",
                               {medium(1, "x", {track(1, "Jedna")}), medium(2, "y", kThree)})}))}},
         {"m1", "m2"},
         {"Druhá", "Klokočí"},
         1},
        {"unknown ID answered by the fuzzy search",
         {{exact, json(R"({"error":"Not Found"})", 404)},
          {fuzzy, json(R"({"release-count":1,"release-offset":0,"releases":[)" +
                       release("f1", "Podobné", {medium(1, "z", kThree)}) + "]}")}},
         {"f1"},
         {"Klokočí"},
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HttpServer mb;
        mb.route = [&](const QByteArray& target) {
            for (const auto& [t, a] : c.answers)
                if (target.toStdString() == t) return a;
            return HttpAnswer{500, "unexpected " + target, {}, false};
        };
        const Outcome r = lookup(mb, nullptr);
        ASSERT_EQ(r.result.status, LookupResult::Status::Found) << r.result.reason;
        ASSERT_EQ(r.result.releases.size(), c.ids.size());
        for (std::size_t i = 0; i < c.ids.size(); ++i) {
            EXPECT_EQ(r.result.releases[i].id, c.ids[i]);
            ASSERT_FALSE(r.result.releases[i].tracks.empty());
            EXPECT_EQ(r.result.releases[i].tracks[0].title, c.firstTracks[i]);
        }
        ASSERT_EQ(r.requests.size(), c.requests);
        EXPECT_EQ(r.requests[0].userAgent.toStdString(), userAgent());
    }
    EXPECT_NE(userAgent().find("Lorvika/1.4"), std::string::npos);
}

TEST(Lookup, FailuresAreReportedWithTheirReason) {
    struct Case {
        const char* name;
        std::vector<HttpAnswer> answers;  // in order
        LookupResult::Status status;
        std::string reason;
        qint64 atLeastMs;
    };
    const HttpAnswer found = json(discAnswer({release("r1", "A", {medium(1, kId, kThree)})}));
    const HttpAnswer busy{503, "", {{"Retry-After", "1"}}, false};
    const Case cases[] = {
        {"404 for the ID and the TOC",
         {json("{}", 404), json("{}", 404)},
         LookupResult::Status::NotFound,
         "",
         0},
        {"503 with Retry-After is asked again after the pause",
         {busy, found},
         LookupResult::Status::Found,
         "",
         1000},
        {"503 again and again",
         {busy, busy, busy},
         LookupResult::Status::Failed,
         "MusicBrainz je přetížený (HTTP 503)",
         2000},
        {"malformed JSON",
         {json("{\"releases\": [")},
         LookupResult::Status::Failed,
         "MusicBrainz: neplatná odpověď serveru",
         0},
        {"server error",
         {json("", 500)},
         LookupResult::Status::Failed,
         "MusicBrainz odpověděl chybou HTTP 500",
         0},
        {"a response that never ends",
         {{200, "{\"id\":", {}, true}},
         LookupResult::Status::Failed,
         "MusicBrainz: server neodpověděl do 1 s",
         200},  // Qt's coarse timers may end it a little before 300 ms
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HttpServer mb;
        std::size_t n = 0;
        mb.route = [&](const QByteArray&) {
            return c.answers.at(std::min(n++, c.answers.size() - 1));
        };
        Lookup::Timing t;
        t.timeout = std::chrono::milliseconds(300);
        const Outcome r = lookup(mb, nullptr, t);
        EXPECT_EQ(r.result.status, c.status);
        EXPECT_EQ(r.result.reason, c.reason);
        EXPECT_GE(r.ms, c.atLeastMs);
        EXPECT_EQ(n, c.answers.size());
    }
}

TEST(Lookup, ARefusedConnectionIsReported) {
    Settings s;
    s.musicBrainz = "http://127.0.0.1:1";
    s.gnudb = "";
    test::ensureCoreApplication();
    const LookupResult r = Lookup::run(disc(), s, {});
    EXPECT_EQ(r.status, LookupResult::Status::Failed);
    EXPECT_EQ(r.reason, "MusicBrainz: server odmítl spojení");
    EXPECT_EQ(failureText(r.reason),
              "Internetová databáze není dostupná: MusicBrainz: server odmítl spojení");
}

// CDDB over HTTP, protocol level 6 (UTF-8), as gnudb documents it.
TEST(Lookup, GnudbWhenMusicBrainzKnowsNothing) {
    HttpServer mb;
    mb.route = [](const QByteArray&) { return json("{}", 404); };
    HttpServer gnudb;
    const QByteArray entry =
        "210 rock " + QByteArray::fromStdString(kFreedb) +
        " CD database entry follows (until terminating `.')\r\n"
        "# xmcd\r\n#\r\nDISCID=" +
        QByteArray::fromStdString(kFreedb) +
        "\r\n"
        "DTITLE=Plastic People of the Universe / Egon Bondy's Happy Hearts Club Ban\r\n"
        "DTITLE=ned\r\nDYEAR=1978\r\nDGENRE=Rock\r\n"
        "TTITLE0=Magické noci\r\nTTITLE1=Dvakrát \r\nTTITLE1=ne\r\nTTITLE2=Host / Žluťoučký kůň\r\n"
        "EXTD=\r\nPLAYORDER=\r\n.\r\n";
    gnudb.route = [&](const QByteArray& target) {
        if (target.contains("cmd=cddb+query"))
            return HttpAnswer{200,
                              "211 close matches found\r\nrock " +
                                  QByteArray::fromStdString(kFreedb) +
                                  " PPU / Egon\r\nmisc 0a0b0c03 Other\r\n.\r\n",
                              {},
                              false};
        if (target.contains("cmd=cddb+read+rock")) return HttpAnswer{200, entry, {}, false};
        return HttpAnswer{200, "401 misc 0a0b0c03 No such CD entry in database.\r\n", {}, false};
    };
    const Outcome r = lookup(mb, &gnudb);
    ASSERT_EQ(gnudb.requests.size(), 3u);
    EXPECT_EQ(gnudb.requests[0].target.toStdString(),
              "/~cddb/cddb.cgi?cmd=cddb+query+" + kFreedb +
                  "+3+150+15000+30000+600&hello=anonymous+localhost+Lorvika+1.4.0&proto=6");
    EXPECT_EQ(r.requests.size(), 2u) << "the ID, then the TOC";
    // The second match cannot be read: the lookup ends with the entry it has.
    ASSERT_EQ(r.result.status, LookupResult::Status::Found) << r.result.reason;
    ASSERT_EQ(r.result.releases.size(), 1u);
    const Release& v = r.result.releases[0];
    EXPECT_EQ(v.id, "gnudb:rock/" + kFreedb);
    EXPECT_EQ(v.source, "gnudb");
    EXPECT_EQ(v.title, "Egon Bondy's Happy Hearts Club Banned");
    ASSERT_EQ(v.tracks.size(), 3u);
    EXPECT_EQ(v.tracks[0].title, "Magické noci");
}

TEST(Lookup, CddbEntries) {
    const std::string entry =
        "210 rock 1234abcd CD database entry follows\n"
        "DTITLE=Plastic People / Egon Bondy's Happy Hearts Club Ban\nDTITLE=ned\nDYEAR=1978\n"
        "TTITLE0=Magické noci\nTTITLE1=Dvakrát \nTTITLE1=ne\nTTITLE2=Host / Žluťoučký kůň\n.\n";
    const Release r = parseCddbRead(entry, {"rock", "1234abcd", ""});
    EXPECT_EQ(r.id, "gnudb:rock/1234abcd");
    EXPECT_EQ(r.artist, "Plastic People");
    EXPECT_EQ(r.title, "Egon Bondy's Happy Hearts Club Banned");
    EXPECT_EQ(r.year(), 1978);
    ASSERT_EQ(r.tracks.size(), 3u);
    EXPECT_EQ(r.tracks[1].title, "Dvakrát ne");
    EXPECT_EQ(r.tracks[2].title, "Žluťoučký kůň");
    EXPECT_EQ(r.tracks[2].artist, "Host");
    EXPECT_EQ(r.tracks[0].artist, "Plastic People");

    EXPECT_TRUE(parseCddbQuery("202 No match for disc ID 1234abcd.\r\n").empty());
    const auto exact = parseCddbQuery("200 rock 1234abcd Plastic People / Egon\r\n");
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0].category, "rock");
    EXPECT_EQ(exact[0].title, "Plastic People / Egon");
    EXPECT_THROW(parseCddbQuery("500 Command syntax error\r\n"), ParseError);
    EXPECT_THROW(parseCddbRead("x\n", {"rock", "1", ""}), ParseError);
}

TEST(Lookup, CancelledLookupCallsNothing) {
    HttpServer mb;
    mb.route = [](const QByteArray&) { return HttpAnswer{200, "{", {}, true}; };
    Settings s;
    s.musicBrainz = mb.base();
    s.gnudb = "";
    Lookup lookup;
    bool called = false;
    lookup.start(disc(), s, [&](LookupResult) { called = true; });
    QEventLoop loop;
    QTimer::singleShot(200, &loop, [&] {
        lookup.cancel();
        QTimer::singleShot(200, &loop, &QEventLoop::quit);
    });
    loop.exec();
    EXPECT_FALSE(called);
    EXPECT_FALSE(lookup.running());
    EXPECT_EQ(mb.requests.size(), 1u);
}

TEST(Lookup, AnAlbumWithoutADiscIdIsSearchedByArtistAndTitle) {
    HttpServer mb;
    mb.route = [](const QByteArray& target) {
        if (target.startsWith("/ws/2/release?"))
            return json(R"({"count":2,"releases":[{"id":"s1"},{"id":"s2"}]})");
        const std::string id = target.startsWith("/ws/2/release/s1?") ? "s1" : "s2";
        return json(release(id, "Nalezené", {medium(1, "x", kThree)}));
    };
    Settings s;
    s.musicBrainz = mb.base();
    test::ensureCoreApplication();
    Lookup lookup;
    LookupResult result;
    QEventLoop loop;
    lookup.setTiming({std::chrono::milliseconds(10), std::chrono::milliseconds(3000),
                      std::chrono::milliseconds(0), 0});
    lookup.startForAlbum("", "Jiří \"Suchý\"", "Klokočí", 3, s, [&](LookupResult r) {
        result = std::move(r);
        loop.quit();
    });
    loop.exec();
    ASSERT_EQ(result.status, LookupResult::Status::Found) << result.reason;
    ASSERT_EQ(result.releases.size(), 2u);
    EXPECT_EQ(result.releases[1].id, "s2");
    ASSERT_EQ(mb.requests.size(), 3u);
    EXPECT_EQ(mb.requests[0].target.toStdString(),
              "/ws/2/release?query=artist%3A%22Ji%C5%99%C3%AD%20%5C%22Such%C3%BD%5C%22%22%20AND%20"
              "release%3A%22Kloko%C4%8D%C3%AD%22&limit=5&fmt=json");
}

TEST(AlbumFill, FieldsOfTheChosenRelease) {
    const auto releases = parseMusicBrainzDisc(
        discAnswer({release("r1", "Klokočí – výběr", {medium(1, kId, kThree)}, "SE")}), kId, 3);
    ASSERT_EQ(releases.size(), 1u);
    const AlbumFill f = albumFill(releases[0]);
    EXPECT_EQ(f.album, "Klokočí - výběr") << "typography in its plain form";
    EXPECT_EQ(f.artist, "Jiří Suchý & Jiří Šlitr");
    EXPECT_EQ(f.rok, "1999");
    EXPECT_EQ(f.vydF, "Supraphon");
    EXPECT_EQ(f.zeme, "ŠVÉDSKO");
    ASSERT_EQ(f.tracks.size(), 3u);
    EXPECT_EQ(f.tracks[0].name, "Klokočí");
    EXPECT_EQ(f.tracks[0].artist, "") << "the album's artist is not repeated";
    EXPECT_EQ(f.tracks[2].artist, "Eva Pilarová");
    EXPECT_EQ(f.refused, "");
    EXPECT_EQ(releases[0].catalogNumber, "SU 1234");
    EXPECT_EQ(releases[0].barcode, "8590233012345");

    Release foreign = releases[0];
    foreign.title = "東京";
    EXPECT_EQ(albumFill(foreign).album, "");
    EXPECT_NE(albumFill(foreign).refused.find("album: znak „東“"), std::string::npos);

    const std::pair<const char*, const char*> countries[] = {
        {"CZ", "ČR"}, {"DE", "SRN"}, {"FR", "FRANCIE"}, {"IT", "ITÁLIE"}, {"SE", "ŠVÉDSKO"},
        {"GB", "GB"}, {"SK", "SK"},  {"US", "US"},      {"JP", "JP"},     {"", ""}};
    for (const auto& [code, name] : countries) EXPECT_EQ(countryName(code), name) << code;
}

}  // namespace
}  // namespace lorvika::online
