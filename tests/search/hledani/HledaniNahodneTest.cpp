#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>

#include "Katalog.h"
#include "search/Hledani.h"
#include "store/codepage.h"

// Random queries over a random catalogue, against a reference that follows the rules word for
// word: every row evaluated on every album, each track row by looking at all of the album's
// tracks, texts compared as lower-cased UTF-8.
namespace lorvika {
namespace {

struct Album {
    int cislo = 0;
    std::map<std::string, std::string> text;
    std::map<std::string, std::int64_t> cislo_;
};
struct Skladba {
    std::string name, artist, typ;
};

const char* const kSlova[] = {"Láska", "LÁSKA", "láska", "Noc",  "NOC",  "noc", "Řeka", "řeka",
                              "Cesta", "čERNÁ", "černá", "Łódź", "ŁÓDŹ", "a",   "A",    "Rock",
                              "rock",  "Ať",    "ať",    "ch",   "?",    "",    "  "};

std::string NahodnyText(std::mt19937& g) {
    std::string t;
    const int slov = static_cast<int>(g() % 4);
    for (int i = 0; i < slov; ++i) {
        if (i) t += ' ';
        t += kSlova[g() % std::size(kSlova)];
    }
    return t;
}

// A query text: a whole stored text, a piece of one, or a word in any case.
std::string NahodnaHodnota(std::mt19937& g) {
    std::string t = NahodnyText(g);
    if (g() % 3 == 0 && t.size() > 2) {
        // a piece cut at character boundaries
        std::vector<std::size_t> hranice;
        for (std::size_t i = 0; i <= t.size(); ++i)
            if (i == t.size() || (static_cast<unsigned char>(t[i]) & 0xC0) != 0x80)
                hranice.push_back(i);
        const std::size_t a = hranice[g() % hranice.size()];
        const std::size_t b = hranice[g() % hranice.size()];
        t = t.substr(std::min(a, b), std::max(a, b) - std::min(a, b));
    }
    if (g() % 5 == 0) t = cp::toUpper(t);
    if (g() % 17 == 0) t += "€";
    return t;
}

bool TextTest(const PodminkaRadku& p, const std::string& pole) {
    const std::string f = cp::toLowerAll(pole);
    const std::string v = cp::toLowerAll(p.text);
    if (p.rezim == Rezim::Shoda) return f == v;
    return !v.empty() && f.find(v) != std::string::npos;
}

bool Reference(const Dotaz& d, const Album& a, const std::vector<Skladba>& stopy) {
    constexpr int kPoradi[] = {1,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 13,
                               14, 15, 16, 17, 18, 19, 20, 21, 8,  22, 23};
    int k = 0;
    int t = 0;
    for (int n : kPoradi) {
        const PodminkaRadku& p = d[n];
        if (p.rezim == Rezim::Vypnuto) continue;
        ++k;
        const PopisRadku& popis = PopisRadkuCislo(n);
        bool r = false;
        if (popis.druh == DruhRadku::Rozsah) {
            const std::int64_t v = a.cislo_.at(std::string(popis.sloupecAlba));
            if (n == 4)
                r = p.od <= v && v <= p.do_;
            else
                r = !((p.odZapnuto && v < p.od) || (p.doZapnuto && v > p.do_));
        } else {
            if (!popis.sloupecAlba.empty())
                r = TextTest(p, a.text.at(std::string(popis.sloupecAlba)));
            bool stopa = false;
            for (const auto& s : stopy) {
                const std::string& pole = popis.sloupecSkladby == "NAME"     ? s.name
                                          : popis.sloupecSkladby == "ARTIST" ? s.artist
                                                                             : s.typ;
                if (!popis.sloupecSkladby.empty() && TextTest(p, pole)) stopa = true;
            }
            r = r || stopa;
        }
        if (p.negace) r = !r;
        if (r) ++t;
    }
    return d.alesponJedne ? t >= 1 : (k >= 1 && t == k);
}

Dotaz NahodnyDotaz(std::mt19937& g) {
    Dotaz d;
    d.alesponJedne = g() % 2;
    const int hustota = 2 + static_cast<int>(g() % 10);  // rows on: about 1 in hustota
    for (int n = 1; n <= kPocetRadku; ++n) {
        PodminkaRadku& p = d[n];
        p.negace = g() % 4 == 0;
        if (static_cast<int>(g() % static_cast<unsigned>(hustota)) != 0) continue;
        const bool rozsah = PopisRadkuCislo(n).druh == DruhRadku::Rozsah;
        p.rezim = rozsah || g() % 2 ? Rezim::Shoda : Rezim::Obsahuje;
        if (!rozsah) {
            p.text = NahodnaHodnota(g);
            continue;
        }
        const int meze[] = {-1, 0, 1, 3, 4, 6, 12, 99, 100, 101, 1969, 1990, 2000};
        p.od = meze[g() % std::size(meze)];
        p.do_ = meze[g() % std::size(meze)];
        p.odZapnuto = g() % 3 != 0;
        p.doZapnuto = !p.odZapnuto || g() % 2;
    }
    // Often several track rows at once: their answers share one list of albums.
    if (g() % 3 == 0) {
        for (int n : {2, 3, 23}) {
            if (g() % 3 == 0) continue;
            d[n].rezim = g() % 2 ? Rezim::Shoda : Rezim::Obsahuje;
            d[n].text = NahodnaHodnota(g);
        }
    }
    return d;
}

TEST(HledaniNahodne, AgreesWithTheReference) {
    std::mt19937 g(20261208);
    test::KatalogHledani k;
    std::map<int, Album> alba;
    std::map<int, std::vector<Skladba>> stopy;
    const char* const textova[] = {"ALBUM",  "ARTIST",  "ZANR",  "TYP",   "ZEME", "ZPEV",
                                   "KYTAR",  "BASA",    "BICI",  "KLAV",  "HOST", "SAX",
                                   "TRUBKA", "SPECIAL", "POPIS", "VYD_F", "VYD_P"};
    const double ceny[] = {0, 99.4, 99.5, 99.6, 100, 150.2, 3};
    for (int i = 0; i < 150; ++i) {
        Album a;
        a.cislo = 1 + i * 2 + static_cast<int>(g() % 2);
        k.alba->append();
        k.alba->setInteger("CISLO", a.cislo);
        for (const char* s : textova) {
            a.text[s] = NahodnyText(g);
            k.alba->setText(s, a.text[s]);
            a.text[s] = k.alba->text(s);  // as stored: cut to the width, no trailing blanks
        }
        const std::int64_t rok = std::vector<int>{0, 1969, 1990, 2000}[g() % 4];
        const std::int64_t pstop = g() % 14;
        const std::int64_t hodnoc = g() % 8;
        const double cena = ceny[g() % std::size(ceny)];
        if (rok) k.alba->setInteger("ROK", rok);
        k.alba->setInteger("PSTOP", pstop);
        k.alba->setInteger("HODNOC", hodnoc);
        k.alba->setNumber("CENA", cena);
        k.alba->post();
        a.cislo_ = {
            {"ROK", rok}, {"PSTOP", pstop}, {"HODNOC", hodnoc}, {"CENA", std::llround(cena)}};
        alba[a.cislo] = a;
    }
    // Tracks in short runs of one album in random album order, so most albums' tracks lie in
    // several places; some belong to no album.
    std::vector<int> cisla;
    for (const auto& [c, a] : alba) cisla.push_back(c);
    for (int i = 0; i < 900;) {
        const int cd = g() % 20 == 0 ? 100000 : cisla[g() % (cisla.size() * 3 / 4)];
        for (int beh = 1 + static_cast<int>(g() % 3); beh > 0; --beh, ++i) {
            Skladba s{NahodnyText(g), NahodnyText(g), NahodnyText(g)};
            k.skladba(cd, {{"NAME", s.name}, {"ARTIST", s.artist}, {"TYP", s.typ}});
            s = {k.skladby->text("NAME"), k.skladby->text("ARTIST"), k.skladby->text("TYP")};
            stopy[cd].push_back(s);
        }
    }

    int prosly = 0;
    for (int q = 0; q < 400; ++q) {
        const Dotaz d = NahodnyDotaz(g);
        Vyhledavani v(d, *k.alba, *k.skladby);
        const std::size_t mez = std::vector<std::size_t>{0, 1, 5, 1000}[g() % 4];
        v.NastavMezHledaniPoAlbech(mez);
        if (g() % 2) v.NastavMezZhusteni(g() % 8);
        for (k.alba->first(); !k.alba->eof(); k.alba->next()) {
            const int c = static_cast<int>(k.alba->integer("CISLO"));
            const bool ocekavano = Reference(d, alba.at(c), stopy[c]);
            ASSERT_EQ(v.Vyhovuje(*k.alba), ocekavano)
                << "dotaz " << q << ", album " << c << ", mez " << mez;
            prosly += ocekavano;
        }
    }
    // The queries must not be so strict or so loose that every answer is the same.
    EXPECT_GT(prosly, 400 * 150 / 20);
    EXPECT_LT(prosly, 400 * 150 * 19 / 20);
}

}  // namespace
}  // namespace lorvika
