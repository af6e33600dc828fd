#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "Katalog.h"
#include "search/Hledani.h"

namespace lorvika {
namespace {

using test::KatalogHledani;

// Album numbers that pass, once answering the track rows album by album and once through the
// single pass over the track table; both ways must agree.
std::set<int> Projde(KatalogHledani& k, const Dotaz& d, bool pruchod) {
    Vyhledavani v(d, *k.alba, *k.skladby);
    if (pruchod) v.NastavMezHledaniPoAlbech(0);
    std::set<int> out;
    for (k.alba->first(); !k.alba->eof(); k.alba->next())
        if (v.Vyhovuje(*k.alba)) out.insert(static_cast<int>(k.alba->integer("CISLO")));
    return out;
}

class Hledani : public ::testing::Test {
  protected:
    void SetUp() override {
        k.album(1, {{"ALBUM", "Abbey Road"},
                    {"ARTIST", "The Beatles"},
                    {"ROK", "1969"},
                    {"PSTOP", "17"},
                    {"CENA", "99.6"},
                    {"HODNOC", "5"},
                    {"ZANR", "Rock"}});
        k.skladba(1, {{"NAME", "Come Together"}, {"ARTIST", "The Beatles"}, {"TYP", "píseň"}});
        k.skladba(1, {{"NAME", "Something"}, {"ARTIST", "George Harrison"}});
        k.album(2, {{"ARTIST", "Čechomor"}, {"CENA", "99.4"}, {"HODNOC", "4"}, {"ZANR", "Folk"}});
        k.album(3, {{"ALBUM", "Abbey"},
                    {"ARTIST", "Various"},
                    {"ROK", "1990"},
                    {"PSTOP", "12"},
                    {"HODNOC", "6"},
                    {"ZANR", "Rock"}});
        k.skladba(3, {{"NAME", "Lovely Day"}, {"ARTIST", "Žlutý Pes"}, {"TYP", "instrumentálka"}});
        k.album(4, {{"ALBUM", "ČERNÁ LÍSKA"},
                    {"ARTIST", "ŁUKASZ"},
                    {"ROK", "1995"},
                    {"HODNOC", "3"},
                    {"CENA", "100"},
                    {"ZEME", "Polsko"}});
        k.skladba(4, {{"NAME", "Noc"}, {"ARTIST", "Łukasz"}, {"TYP", "Píseň"}});
        k.album(5, {{"ALBUM", "Cerna"},
                    {"ROK", "1996"},
                    {"PSTOP", "5"},
                    {"ZANR", "Jazz"},
                    {"POPIS", "live: Praha, 1996 "}});
        // A track of album 3 written after album 5's, so its tracks do not lie together.
        k.skladba(5, {{"NAME", "Blues"}});
        k.skladba(3, {{"NAME", "Další"}, {"ARTIST", "Various"}});
    }
    KatalogHledani k;
};

Dotaz Text(int n, Rezim rezim, std::string text, bool negace = false) {
    Dotaz d;
    d[n].rezim = rezim;
    d[n].text = std::move(text);
    d[n].negace = negace;
    return d;
}

Dotaz Rozsah(int n, std::optional<int> od, std::optional<int> do_, bool negace = false) {
    Dotaz d;
    d[n].rezim = Rezim::Shoda;
    d[n].negace = negace;
    d[n].odZapnuto = od.has_value();
    d[n].od = od.value_or(0);
    d[n].doZapnuto = do_.has_value();
    d[n].do_ = do_.value_or(0);
    return d;
}

Dotaz Oba(Dotaz a, const Dotaz& b, bool alesponJedne) {
    for (int n = 1; n <= kPocetRadku; ++n)
        if (b[n].rezim != Rezim::Vypnuto) a[n] = b[n];
    a.alesponJedne = alesponJedne;
    return a;
}

TEST_F(Hledani, RowsModesAndNegation) {
    using enum Rezim;
    struct Case {
        const char* what;
        Dotaz dotaz;
        std::set<int> alba;
    };
    const Case cases[] = {
        {"no row on", Dotaz{}, {}},
        {"no row on, any",
         [] {
             Dotaz d;
             d.alesponJedne = true;
             return d;
         }(),
         {}},
        {"a negated row that is off takes no part",
         [] {
             Dotaz d;
             d[1].negace = true;
             return d;
         }(),
         {}},
        {"contains, other case", Text(1, Obsahuje, "ROAD"), {1}},
        {"equal ignores case", Text(1, Shoda, "abbey road"), {1}},
        {"equal needs the whole text", Text(1, Shoda, "abbey"), {3}},
        {"equal keeps trailing blanks of the value", Text(1, Shoda, "abbey "), {}},
        {"contains an empty text never passes", Text(1, Obsahuje, ""), {}},
        {"equal to an empty text passes empty fields", Text(1, Shoda, ""), {2}},
        {"negated equal", Text(1, Shoda, "abbey road", true), {2, 3, 4, 5}},
        {"negated contains of an empty text passes all",
         Text(1, Obsahuje, "", true),
         {1, 2, 3, 4, 5}},
        {"Czech capitals fold to small letters", Text(1, Obsahuje, "černá lí"), {4}},
        {"small letters match capitals", Text(1, Shoda, "ČERNÁ LÍSKA"), {4}},
        {"diacritics stay significant", Text(1, Obsahuje, "cern"), {5}},
        {"Polish capital folds too", Text(2, Shoda, "łukasz"), {4}},
        {"value with commas and colons", Text(20, Obsahuje, "live: praha, 1996"), {5}},
        {"a character the tables cannot hold matches nothing", Text(1, Obsahuje, "Road€"), {}},
        {"artist of a track", Text(2, Shoda, "žlutý pes"), {3}},
        {"artist of the album or of a track", Text(2, Obsahuje, "the beatles"), {1}},
        {"artist of another album's track only", Text(2, Shoda, "george harrison"), {1}},
        {"negated artist: neither album nor track",
         Text(2, Shoda, "george harrison", true),
         {2, 3, 4, 5}},
        {"negated artist passing on the album itself",
         Text(2, Shoda, "łukasz", true),
         {1, 2, 3, 5}},
        {"track name", Text(3, Obsahuje, "love"), {3}},
        {"track name, second track of a split album", Text(3, Shoda, "další"), {3}},
        {"album without tracks fails a track row", Text(3, Obsahuje, "o"), {1, 3, 4}},
        {"negated track row passes albums without tracks", Text(3, Obsahuje, "o", true), {2, 5}},
        {"track type, case folded", Text(23, Shoda, "PÍSEŇ"), {1, 4}},
        {"track equal to empty passes empty track fields", Text(23, Shoda, ""), {1, 3, 5}},
        {"year from", Rozsah(8, 1990, std::nullopt), {3, 4, 5}},
        {"year from and to, inclusive", Rozsah(8, 1990, 1995), {3, 4}},
        {"year to only counts empty as 0", Rozsah(8, std::nullopt, 1969), {1, 2}},
        {"year, negated", Rozsah(8, 1990, 1995, true), {1, 2, 5}},
        {"year with no bound on passes all",
         Rozsah(8, std::nullopt, std::nullopt),
         {1, 2, 3, 4, 5}},
        {"price rounds to the nearest", Rozsah(21, 100, std::nullopt), {1, 4}},
        {"rating from DOBRÉ", Rozsah(22, 4, std::nullopt), {1, 2, 3}},
        {"rating between", Rozsah(22, 3, 4), {2, 4}},
        {"track count uses both bounds always", Rozsah(4, 0, 0), {2, 4}},
        {"track count 5 to 12", Rozsah(4, 5, 12), {3, 5}},
        {"all conditions", Oba(Text(1, Obsahuje, "abbey"), Text(5, Shoda, "rock"), false), {1, 3}},
        {"all conditions, one fails",
         Oba(Text(1, Obsahuje, "abbey"), Text(5, Shoda, "jazz"), false),
         {}},
        {"any condition", Oba(Text(1, Obsahuje, "abbey"), Text(5, Shoda, "jazz"), true), {1, 3, 5}},
        {"all with a track row",
         Oba(Text(3, Obsahuje, "e"), Text(5, Shoda, "rock"), false),
         {1, 3}},
        {"any with a negated track row",
         Oba(Text(3, Obsahuje, "o", true), Text(1, Shoda, "abbey"), true),
         {2, 3, 5}},
        {"all with two track rows",
         Oba(Text(3, Obsahuje, "o"), Text(23, Shoda, "píseň"), false),
         {1, 4}},
    };
    for (const auto& c : cases) {
        for (bool pruchod : {false, true})
            EXPECT_EQ(Projde(k, c.dotaz, pruchod), c.alba) << c.what << (pruchod ? " (pass)" : "");
    }
}

TEST_F(Hledani, TrackResultsFollowChangedTracksInANewSearch) {
    const Dotaz d = Text(3, Rezim::Shoda, "nová");
    EXPECT_EQ(Projde(k, d, false), std::set<int>{});
    k.skladba(2, {{"NAME", "Nová"}});
    EXPECT_EQ(Projde(k, d, false), std::set<int>{2});
    EXPECT_EQ(Projde(k, d, true), std::set<int>{2});
}

TEST(HledaniMeze, BoundTextsAndWarnings) {
    struct Case {
        int n;
        const char* text;
        std::optional<std::string_view> chyba;
    };
    const Case cases[] = {
        {8, "2005", std::nullopt},   {8, "0", kMezMusiBytVetsi}, {4, "0", kMezMusiBytVetsi},
        {4, "-3", kMezMusiBytVetsi}, {21, "0", std::nullopt},    {21, "-1", kMezMusiBytNezaporna},
        {8, "12a", kMezNeniCislo},   {8, "", kMezNeniCislo},     {8, " 12", kMezNeniCislo},
        {8, "1e3", kMezNeniCislo},   {8, "$1F", kMezNeniCislo},  {4, "99999999999", kMezNeniCislo},
        {21, "+5", std::nullopt},    {4, "-", kMezNeniCislo},
    };
    for (const auto& c : cases) EXPECT_EQ(ChybaMeze(c.n, c.text), c.chyba) << c.n << " " << c.text;
    EXPECT_EQ(CeleCisloNeboNula("12a"), 0);
    EXPECT_EQ(CeleCisloNeboNula("-7"), -7);
    EXPECT_EQ(CeleCisloNeboNula(""), 0);
}

TEST(HledaniMeze, RatingWordsFoldOnlyAToZ) {
    EXPECT_EQ(HodnoceniZeSlova("DOBRÉ"), 4);
    EXPECT_EQ(HodnoceniZeSlova("dobrÉ"), 4);
    // é and É are not folded, so the small-letter forms of words with diacritics are refused.
    EXPECT_EQ(HodnoceniZeSlova("Dobré"), std::nullopt);
    EXPECT_EQ(HodnoceniZeSlova("dobré"), std::nullopt);
    EXPECT_EQ(HodnoceniZeSlova("odpad"), 1);
    EXPECT_EQ(HodnoceniZeSlova("-"), 0);
    EXPECT_EQ(HodnoceniZeSlova("DOBRÉ "), std::nullopt);
    EXPECT_EQ(HodnoceniZeSlova(""), std::nullopt);
}

TEST(HledaniRadky, PageOrderNamesAndKinds) {
    const auto& r = RadkyDotazu();
    ASSERT_EQ(r.size(), 23u);
    std::set<int> cisla;
    std::set<std::string_view> jmena;
    for (const auto& p : r) {
        cisla.insert(p.n);
        jmena.insert(p.jmeno);
    }
    EXPECT_EQ(cisla.size(), 23u);
    EXPECT_EQ(*cisla.begin(), 1);
    EXPECT_EQ(*cisla.rbegin(), 23);
    EXPECT_EQ(jmena.size(), 23u);
    EXPECT_EQ(r.front().n, 2);
    EXPECT_EQ(r.back().n, 16);
    EXPECT_EQ(PopisRadkuJmenem("typskladby")->n, 23);
    EXPECT_EQ(PopisRadkuJmenem("nic"), nullptr);
}

}  // namespace
}  // namespace lorvika

namespace lorvika {
namespace {

TEST(HledaniPruchod, AnswersOfOneAlbumInSeveralPlacesStayWithThatAlbum) {
    // Album 1's tracks lie before and after album 2's; each of its tracks passes another row.
    test::KatalogHledani k;
    k.album(1, {{"ALBUM", "jedna"}});
    k.album(2, {{"ALBUM", "dva"}});
    k.skladba(2, {{"NAME", "x"}});
    k.skladba(1, {{"NAME", "x"}});
    k.skladba(1, {{"TYP", "y"}});
    k.skladba(2, {{"NAME", "z"}});
    k.skladba(1, {{"ARTIST", "w"}});
    Dotaz d;
    d[3] = {Rezim::Shoda, false, "x"};
    d[23] = {Rezim::Shoda, false, "y"};
    d[2] = {Rezim::Obsahuje, false, "w"};
    for (std::size_t zhusteni : {0, 1, 2, 3, 100}) {
        Vyhledavani v(d, *k.alba, *k.skladby);
        v.NastavMezHledaniPoAlbech(0);
        v.NastavMezZhusteni(zhusteni);
        std::set<int> prosla;
        for (k.alba->first(); !k.alba->eof(); k.alba->next())
            if (v.Vyhovuje(*k.alba)) prosla.insert(static_cast<int>(k.alba->integer("CISLO")));
        EXPECT_TRUE(v.PouzitPruchod());
        EXPECT_EQ(prosla, std::set<int>{1}) << zhusteni;
    }
}

}  // namespace
}  // namespace lorvika
