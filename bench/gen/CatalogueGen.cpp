#include "CatalogueGen.h"

#include "store/Catalogue.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

namespace lorvika::bench {

namespace {

// xoshiro256** seeded through splitmix64: fixed output for a seed on every platform.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) {
        for (auto& word : s_) {
            seed += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            word = z ^ (z >> 31);
        }
    }
    std::uint64_t next() {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }
    // 0 <= result < n
    std::size_t below(std::size_t n) {
        return static_cast<std::size_t>((static_cast<unsigned __int128>(next()) * n) >> 64);
    }
    int between(int lo, int hi) { return lo + static_cast<int>(below(hi - lo + 1)); }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    template <typename T, std::size_t N>
    const T& pick(const std::array<T, N>& items) {
        return items[below(N)];
    }

  private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::array<std::uint64_t, 4> s_{};
};

// Rank-frequency sampling: weight of rank k is 1 / (k + q)^s, so a few items are very common and
// most are rare, as performers and genres are in a real collection.
class Zipf {
  public:
    Zipf(std::size_t n, double s, double q) : cdf_(n) {
        double sum = 0;
        for (std::size_t k = 0; k < n; ++k) {
            sum += 1.0 / std::pow(static_cast<double>(k + 1) + q, s);
            cdf_[k] = sum;
        }
        for (auto& c : cdf_) c /= sum;
    }
    std::size_t draw(Rng& rng) const {
        const double u = rng.unit();
        const auto it = std::upper_bound(cdf_.begin(), cdf_.end(), u);
        return std::min<std::size_t>(it - cdf_.begin(), cdf_.size() - 1);
    }

  private:
    std::vector<double> cdf_;
};

using sv = std::string_view;

constexpr std::array kNouns{
    sv("Láska"),    sv("Noc"),       sv("Cesta"),   sv("Srdce"),    sv("Řeka"),    sv("Město"),
    sv("Světlo"),   sv("Stín"),      sv("Země"),    sv("Nebe"),     sv("Vítr"),    sv("Déšť"),
    sv("Sníh"),     sv("Jaro"),      sv("Léto"),    sv("Podzim"),   sv("Zima"),    sv("Píseň"),
    sv("Sen"),      sv("Ráno"),      sv("Večer"),   sv("Hvězdy"),   sv("Měsíc"),   sv("Slunce"),
    sv("Moře"),     sv("Hory"),      sv("Les"),     sv("Pole"),     sv("Domov"),   sv("Přítel"),
    sv("Žena"),     sv("Čas"),       sv("Život"),   sv("Naděje"),   sv("Víra"),    sv("Touha"),
    sv("Ticho"),    sv("Oheň"),      sv("Voda"),    sv("Kámen"),    sv("Zlato"),   sv("Růže"),
    sv("Holubice"), sv("Vlak"),      sv("Nádraží"), sv("Ulice"),    sv("Náměstí"), sv("Kavárna"),
    sv("Hospoda"),  sv("Zahrada"),   sv("Okno"),    sv("Most"),     sv("Brána"),   sv("Věž"),
    sv("Zámek"),    sv("Koruna"),    sv("Král"),    sv("Královna"), sv("Ďábel"),   sv("Anděl"),
    sv("Duše"),     sv("Krev"),      sv("Slzy"),    sv("Úsměv"),    sv("Polibek"), sv("Tanec"),
    sv("Pohádka"),  sv("Příběh"),    sv("Balada"),  sv("Valčík"),   sv("Polka"),   sv("Ukolébavka"),
    sv("Modlitba"), sv("Vzpomínka"), sv("Návrat"),  sv("Útěk"),     sv("Konec"),   sv("Začátek"),
    sv("Šumava"),   sv("Vltava"),    sv("Ostrov"),  sv("Přístav"),  sv("Loď"),     sv("Kůň"),
    sv("Pes"),      sv("Kočka"),     sv("Vlčice"),  sv("Havran"),   sv("Čáp"),     sv("Žár"),
    sv("Mlha"),     sv("Bouře"),     sv("Blesk"),   sv("Úl"),       sv("Dým"),     sv("Šepot"),
    sv("Ozvěna"),   sv("Kytara"),    sv("Buben"),   sv("Struna"),
};

constexpr std::array kAdjectives{
    sv("Modrý"),  sv("Černá"),   sv("Bílé"),     sv("Zelený"),   sv("Rudá"),   sv("Žlutý"),
    sv("Stará"),  sv("Nový"),    sv("Malá"),     sv("Velký"),    sv("Tichá"),  sv("Divoký"),
    sv("Smutná"), sv("Veselý"),  sv("Poslední"), sv("První"),    sv("Dlouhá"), sv("Ztracený"),
    sv("Věčná"),  sv("Zlatý"),   sv("Stříbrná"), sv("Půlnoční"), sv("Ranní"),  sv("Zimní"),
    sv("Letní"),  sv("Horký"),   sv("Studená"),  sv("Šťastný"),  sv("Žhavá"),  sv("Křehká"),
    sv("Hořký"),  sv("Sladká"),  sv("Ďábelský"), sv("Čistá"),    sv("Řízný"),  sv("Úžasná"),
    sv("Ospalý"), sv("Nebeská"), sv("Toulavý"),  sv("Pražský"),
};

constexpr std::array kLinks{sv(" a "),  sv(" v "),   sv(" za "), sv(" pod "),
                            sv(" na "), sv(" bez "), sv(" u ")};

constexpr std::array kMaleFirst{
    sv("Jiří"),     sv("Petr"),     sv("Pavel"),   sv("Jan"),      sv("Tomáš"),     sv("Martin"),
    sv("Josef"),    sv("Václav"),   sv("Karel"),   sv("Miroslav"), sv("Zdeněk"),    sv("Luboš"),
    sv("Ondřej"),   sv("Jaroslav"), sv("Vojtěch"), sv("Štěpán"),   sv("Matěj"),     sv("Radek"),
    sv("Michal"),   sv("Dušan"),    sv("Bohumil"), sv("Ladislav"), sv("František"), sv("Vlastimil"),
    sv("Jindřich"), sv("Řehoř"),    sv("Čeněk"),   sv("Ivan"),     sv("Emil"),      sv("Oldřich"),
};

constexpr std::array kFemaleFirst{
    sv("Marta"),    sv("Hana"),    sv("Jana"),    sv("Lucie"),  sv("Věra"),
    sv("Helena"),   sv("Zuzana"),  sv("Marie"),   sv("Ivana"),  sv("Petra"),
    sv("Kateřina"), sv("Markéta"), sv("Barbora"), sv("Tereza"), sv("Dagmar"),
    sv("Jitka"),    sv("Radka"),   sv("Šárka"),   sv("Božena"), sv("Ludmila"),
    sv("Žofie"),    sv("Anežka"),  sv("Eliška"),  sv("Olga"),   sv("Blanka"),
};

constexpr std::array kSurnames{
    sv("Novák"),     sv("Svoboda"),  sv("Dvořák"),     sv("Černý"),    sv("Procházka"),
    sv("Kučera"),    sv("Veselý"),   sv("Horák"),      sv("Němec"),    sv("Pokorný"),
    sv("Marek"),     sv("Pospíšil"), sv("Hájek"),      sv("Jelínek"),  sv("Král"),
    sv("Růžička"),   sv("Beneš"),    sv("Fiala"),      sv("Sedláček"), sv("Doležal"),
    sv("Zeman"),     sv("Kolář"),    sv("Navrátil"),   sv("Čermák"),   sv("Urban"),
    sv("Vaněk"),     sv("Blažek"),   sv("Kříž"),       sv("Kovář"),    sv("Bartoš"),
    sv("Vlček"),     sv("Polák"),    sv("Musil"),      sv("Šimek"),    sv("Kopecký"),
    sv("Štěpánek"),  sv("Holub"),    sv("Kratochvíl"), sv("Šťastný"),  sv("Matoušek"),
    sv("Řezníček"),  sv("Žák"),      sv("Hrubý"),      sv("Mareš"),    sv("Skála"),
    sv("Kadlec"),    sv("Bureš"),    sv("Ševčík"),     sv("Ťoupal"),   sv("Ďurica"),
    sv("Uhlíř"),     sv("Lukáš"),    sv("Brož"),       sv("Šindelář"), sv("Jireš"),
    sv("Vondráček"), sv("Hůla"),     sv("Čapek"),      sv("Nedvěd"),   sv("Pešek"),
};

constexpr std::array kBandWords{
    sv("Modré Hvězdy"), sv("Žlutý pes"),  sv("Černé ovce"), sv("Tři sestry"),   sv("Čechomor"),
    sv("Poutníci"),     sv("Staří páni"), sv("Půlnoc"),     sv("Ozvěny"),       sv("Kámen a Voda"),
    sv("Děti ráje"),    sv("Šumaři"),     sv("Přístav"),    sv("Ranní ptáci"),  sv("Řeka"),
    sv("Zlatý déšť"),   sv("Ticho"),      sv("Bouřlivák"),  sv("Žhavé uhlíky"), sv("Úlet"),
};

constexpr std::array kBandForms{sv("Kapela "),  sv("Orchestr "), sv("Trio "),    sv("Kvartet "),
                                sv("Skupina "), sv("Soubor "),   sv("Big Band ")};

constexpr std::array kGenres{
    sv("Rock"),    sv("Pop"),         sv("Jazz"),       sv("Folk"),        sv("Blues"),
    sv("Klasika"), sv("Metal"),       sv("Country"),    sv("Elektronika"), sv("Punk"),
    sv("Hip hop"), sv("Alternativa"), sv("Šanson"),     sv("Trampská"),    sv("Dechovka"),
    sv("Swing"),   sv("Muzikál"),     sv("Soundtrack"), sv("Reggae"),      sv("Lidovky"),
    sv("Soul"),    sv("Funk"),        sv("Gospel"),     sv("Duchovní"),    sv("World music"),
};

constexpr std::array kTypes{sv("Studiové"), sv("Živé"),   sv("Kompilace"), sv("Výběr"),
                            sv("Singl"),    sv("EP"),     sv("Remixy"),    sv("Soundtrack"),
                            sv("Box set"),  sv("Reedice")};

constexpr std::array kCountries{
    sv("Česko"),     sv("Slovensko"), sv("USA"),      sv("Velká Británie"), sv("Německo"),
    sv("Francie"),   sv("Polsko"),    sv("Rakousko"), sv("Maďarsko"),       sv("Švédsko"),
    sv("Irsko"),     sv("Itálie"),    sv("Kanada"),   sv("Austrálie"),      sv("Norsko"),
    sv("Španělsko"), sv("Brazílie"),  sv("Island"),   sv("Jamajka"),        sv("Finsko"),
};

constexpr std::array kPublishers{
    sv("Supraphon"),    sv("Panton"),         sv("Bonton"),        sv("Universal Music"),
    sv("EMI"),          sv("Sony Music"),     sv("Warner Music"),  sv("Popron"),
    sv("Multisonic"),   sv("Indies Records"), sv("Monitor"),       sv("Venkow Records"),
    sv("Black Point"),  sv("Radioservis"),    sv("Český rozhlas"), sv("Animal Music"),
    sv("Arta Records"), sv("Rosa"),           sv("Lotos"),         sv("Opus Bratislava"),
};

constexpr std::array kTrackTypes{sv("živě"),      sv("instrumentálka"), sv("bonus"), sv("remix"),
                                 sv("akustická"), sv("předělávka"),     sv("duet")};

constexpr std::array kPhrases{
    sv("Nahráno ve studiu Propast v Praze."),
    sv("Reedice s bonusovými skladbami."),
    sv("Koncertní záznam z Lucerny."),
    sv("Digipack, poškozený přebal."),
    sv("Podepsáno autorem."),
    sv("První vydání, japonský tisk."),
    sv("Dárek k narozeninám od Šárky."),
    sv("Remasterováno z původních pásků."),
    sv("Limitovaná edice, číslovaný kus."),
    sv("Koupeno v bazaru v Brně."),
    sv("Obsahuje texty písní a fotografie."),
    sv("Ukázka žánru, doporučuji poslechnout."),
    sv("Chybí brožurka."),
    sv("Živé nahrávky z let 1969 až 1972."),
    sv("Hudba k filmu, vydáno ve dvou verzích."),
    sv("Výborný zvuk, ušlechtilý tisk."),
};

void appendText(std::string& out, sv text) {
    out.append(text.data(), text.size());
}

// Czech female form of a surname: Černý -> Černá, Marek -> Marková, Svoboda -> Svobodová.
std::string femaleSurname(sv male) {
    std::string s(male);
    auto endsWith = [&](sv tail) {
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (endsWith("ý")) return s.substr(0, s.size() - sv("ý").size()) + "á";
    if (endsWith("ek")) return s.substr(0, s.size() - 2) + "ková";
    if (endsWith("ec")) return s.substr(0, s.size() - 2) + "cová";
    if (endsWith("a")) return s.substr(0, s.size() - 1) + "ová";
    return s + "ová";
}

std::string firstCharacter(const std::string& text) {
    if (text.empty()) return {};
    std::size_t n = 1;
    while (n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) ++n;
    return text.substr(0, n);
}

}  // namespace

std::size_t utf8Length(const std::string& text) {
    std::size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string cutToChars(const std::string& text, std::size_t chars) {
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (count == chars) break;
            ++count;
        }
    }
    std::string out = text.substr(0, i);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

struct CatalogueGenerator::Impl {
    GenOptions options;
    Rng rng;
    int produced = 0;
    std::vector<std::string> artists;
    std::vector<std::string> people;  // musicians, producers, borrowers
    Zipf artistRank;
    Zipf genreRank;
    Zipf countryRank;
    Zipf publisherRank;
    std::unordered_set<std::string> discIds;

    static std::size_t artistsFor(int albums) {
        return static_cast<std::size_t>(std::clamp(2000 + albums / 50, 100, 6000));
    }

    explicit Impl(const GenOptions& o)
        : options(o),
          rng(o.seed),
          artistRank(artistsFor(o.albums), 1.0, 2.7),
          genreRank(kGenres.size(), 1.1, 0.5),
          countryRank(kCountries.size(), 1.3, 0.3),
          publisherRank(kPublishers.size(), 0.9, 1.0) {
        Rng names(o.seed ^ 0xA5A5A5A5ULL);
        std::unordered_set<std::string> seen;
        const std::size_t wanted = artistsFor(o.albums);
        while (artists.size() < wanted) {
            std::string name = names.chance(0.55) ? person(names) : band(names);
            name = cutToChars(name, 50);
            if (seen.insert(name).second) artists.push_back(std::move(name));
        }
        for (int i = 0; i < 800; ++i) people.push_back(person(names));
    }

    static std::string person(Rng& r) {
        if (r.chance(0.6))
            return std::string(r.pick(kMaleFirst)) + " " + std::string(r.pick(kSurnames));
        return std::string(r.pick(kFemaleFirst)) + " " + femaleSurname(r.pick(kSurnames));
    }

    static std::string band(Rng& r) {
        switch (r.below(5)) {
            case 0:
                return std::string(r.pick(kBandForms)) + std::string(r.pick(kSurnames));
            case 1:
                return std::string(r.pick(kAdjectives)) + " " + std::string(r.pick(kNouns));
            case 2:
                return person(r) + " & " + std::string(r.pick(kBandWords));
            case 3:
                return std::string(r.pick(kBandWords)) + " " + std::to_string(r.between(2, 99));
            default:
                return std::string(r.pick(kNouns)) + std::string(r.pick(kLinks)) +
                       std::string(r.pick(kNouns));
        }
    }

    std::string title(int maxWords) {
        std::string t;
        switch (rng.below(static_cast<std::size_t>(maxWords))) {
            case 0:
                appendText(t, rng.pick(kNouns));
                break;
            case 1:
                appendText(t, rng.pick(kAdjectives));
                t += ' ';
                appendText(t, rng.pick(kNouns));
                break;
            case 2:
                appendText(t, rng.pick(kNouns));
                appendText(t, rng.pick(kLinks));
                appendText(t, rng.pick(kNouns));
                break;
            default:
                appendText(t, rng.pick(kAdjectives));
                t += ' ';
                appendText(t, rng.pick(kNouns));
                appendText(t, rng.pick(kLinks));
                appendText(t, rng.pick(kNouns));
                if (rng.chance(0.2)) t += " (" + std::to_string(rng.between(2, 5)) + ". část)";
                break;
        }
        return t;
    }

    std::string musicians(double p, int most) {
        if (!rng.chance(p)) return {};
        std::string out = people[rng.below(people.size())];
        const int extra = rng.between(0, most - 1);
        for (int i = 0; i < extra; ++i) out += ", " + people[rng.below(people.size())];
        return cutToChars(out, 50);
    }

    dbf::Date date(int fromYear, int toYear) {
        return {rng.between(fromYear, toYear), rng.between(1, 12), rng.between(1, 28)};
    }

    std::string discId(int tracks, int seconds) {
        for (;;) {
            const int frames = rng.between(0, 74);
            const int packed = (seconds / 60) | ((seconds % 60) << 8) | (frames << 16);
            const auto serial = static_cast<std::int32_t>(static_cast<std::uint32_t>(rng.next()));
            std::string id = std::to_string(tracks) + "-" + std::to_string(packed) + "-" +
                             std::to_string(serial);
            if (discIds.insert(id).second) return id;
        }
    }

    Album next() {
        Album a;
        a.number = options.firstNumber + produced++;
        a.artist = artists[artistRank.draw(rng)];
        a.album =
            cutToChars(rng.chance(0.06) ? (rng.chance(0.5) ? "Největší hity " : "To nejlepší ") +
                                              std::to_string(rng.between(1965, 2020))
                                        : title(4),
                       50);
        // Peak around the early nineties, as a collection started then would have.
        a.year = rng.chance(0.05) ? 0 : 1960 + rng.between(0, 32) + rng.between(0, 32);
        a.publisher = std::string(kPublishers[publisherRank.draw(rng)]);
        a.producer = rng.chance(0.6) ? cutToChars(people[rng.below(people.size())], 30) : "";
        a.country = std::string(kCountries[countryRank.draw(rng)]);
        a.genre = std::string(kGenres[genreRank.draw(rng)]);
        a.vocals = musicians(0.75, 2);
        a.guitar = musicians(0.6, 2);
        a.bass = musicians(0.5, 1);
        a.drums = musicians(0.5, 1);
        a.keys = musicians(0.35, 2);
        a.guests = musicians(0.15, 3);
        const double lend = rng.unit();
        if (lend < 0.08) {
            a.lent = "A";
            a.lentCount = rng.between(1, 9);
            a.borrower = cutToChars(people[rng.below(people.size())], 30);
            a.lentUntil = date(2024, 2027);
        } else if (lend < 0.25) {
            a.lent = "N";
            a.lentCount = rng.between(1, 9);
            a.borrower = cutToChars(people[rng.below(people.size())], 30);
        }
        a.changed = date(1998, 2026);
        a.type = rng.chance(0.15) ? "" : std::string(kTypes[rng.below(kTypes.size())]);
        a.artistInitial = firstCharacter(a.artist);
        a.albumInitial = firstCharacter(a.album);
        a.rating = static_cast<int>(rng.below(7));
        a.sax = musicians(0.08, 1);
        a.trumpet = musicians(0.06, 1);
        a.special = musicians(0.05, 1);
        if (rng.chance(0.3)) {
            std::string d;
            const int phrases = rng.between(1, 4);
            for (int i = 0; i < phrases; ++i) {
                if (!d.empty()) d += ' ';
                appendText(d, rng.pick(kPhrases));
            }
            a.description = cutToChars(d, 200);
        }
        a.price = rng.chance(0.2) ? 0 : rng.between(99, 899);

        // 8 + Binomial(12, 0.58): 8 to 20 tracks, about 15 on average.
        int count = 8;
        for (int i = 0; i < 12; ++i) count += rng.chance(0.58) ? 1 : 0;
        a.tracks.reserve(count);
        for (int i = 1; i <= count; ++i) {
            Track t;
            t.position = i;
            t.name = cutToChars(title(3), 50);
            const double who = rng.unit();
            if (who < 0.7)
                t.artist = a.artist;
            else if (who < 0.85)
                t.artist = cutToChars(a.artist + " feat. " + people[rng.below(people.size())], 50);
            t.length = 90 + static_cast<int>(rng.below(180)) + static_cast<int>(rng.below(240));
            if (rng.chance(0.1)) t.type = std::string(kTrackTypes[rng.below(kTrackTypes.size())]);
            a.length += t.length;
            a.tracks.push_back(std::move(t));
        }
        a.discId = discId(count, a.length);
        return a;
    }
};

CatalogueGenerator::CatalogueGenerator(const GenOptions& options)
    : impl_(std::make_unique<Impl>(options)) {}
CatalogueGenerator::~CatalogueGenerator() = default;
bool CatalogueGenerator::done() const {
    return impl_->produced >= impl_->options.albums;
}
Album CatalogueGenerator::next() {
    return impl_->next();
}
std::size_t CatalogueGenerator::artistCount() const {
    return impl_->artists.size();
}

// ---------------------------------------------------------------------------------------------
// Lorvika tables

namespace {

// Columns in the order the writers fill them; each must exist in the catalogue's tables.
// MBID stays blank: the generated albums were catalogued without a disc lookup.
const std::vector<std::string> kAlbumColumns{
    "CISLO",   "ALBUM", "ARTIST",    "ROK",       "DELKA",     "VYD_F",    "VYD_P",
    "PSTOP",   "ZEME",  "ZANR",      "ZPEV",      "KYTAR",     "BASA",     "BICI",
    "KLAV",    "HOST",  "PUJ_DOKDY", "PUJ_KOLIK", "PUJ_ANONE", "PUJ_KOMU", "ZMENA",
    "SN",      "TYP",   "ABCDAR",    "ABCDAL",    "HODNOC",    "SAX",      "TRUBKA",
    "SPECIAL", "POPIS", "CENA",      "MBID"};
const std::vector<std::string> kTrackColumns{"CD", "CISLO", "NAME", "ARTIST", "DELKA", "TYP"};

std::vector<int> indicesOf(const dbf::Cursor& cursor, const std::vector<std::string>& columns) {
    std::vector<int> out;
    for (const auto& c : columns) {
        const int i = cursor.fieldIndex(c);
        if (i < 0) throw std::runtime_error("Tabulka " + cursor.fileName() + " nemá sloupec " + c);
        out.push_back(i);
    }
    if (columns.size() != cursor.fields().size())
        throw std::runtime_error("Tabulka " + cursor.fileName() +
                                 " má sloupce, které generátor nezná");
    return out;
}

}  // namespace

void createLorvikaCatalogue(dbf::Engine& engine, const std::string& directory) {
    engine.setLanguageDriver(std::string(kOvladacKatalogu));
    VytvorTabulky(engine, directory);
    PridejSloupce(engine, directory);
}

LorvikaWriter::LorvikaWriter(dbf::Engine& engine, const std::string& directory)
    : albums_(engine.open(directory, std::string(kSouborAlb))),
      tracks_(engine.open(directory, std::string(kSouborSkladeb))),
      albumFields_(indicesOf(*albums_, kAlbumColumns)),
      trackFields_(indicesOf(*tracks_, kTrackColumns)) {}

LorvikaWriter::~LorvikaWriter() = default;

void LorvikaWriter::append(const Album& a) {
    auto& c = *albums_;
    const auto& f = albumFields_;
    c.append();
    c.setInteger(f[0], a.number);
    c.setText(f[1], a.album);
    c.setText(f[2], a.artist);
    c.setInteger(f[3], a.year);
    c.setInteger(f[4], a.length);
    c.setText(f[5], a.publisher);
    c.setText(f[6], a.producer);
    c.setInteger(f[7], static_cast<std::int64_t>(a.tracks.size()));
    c.setText(f[8], a.country);
    c.setText(f[9], a.genre);
    c.setText(f[10], a.vocals);
    c.setText(f[11], a.guitar);
    c.setText(f[12], a.bass);
    c.setText(f[13], a.drums);
    c.setText(f[14], a.keys);
    c.setText(f[15], a.guests);
    if (!a.lentUntil.isNull()) c.setDate("PUJ_DOKDY", a.lentUntil);
    c.setInteger(f[17], a.lentCount);
    c.setText(f[18], a.lent);
    c.setText(f[19], a.borrower);
    c.setDate("ZMENA", a.changed);
    c.setText(f[21], a.discId);
    c.setText(f[22], a.type);
    c.setText(f[23], a.artistInitial);
    c.setText(f[24], a.albumInitial);
    c.setInteger(f[25], a.rating);
    c.setText(f[26], a.sax);
    c.setText(f[27], a.trumpet);
    c.setText(f[28], a.special);
    c.setText(f[29], a.description);
    c.setInteger(f[30], a.price);
    c.post();

    auto& t = *tracks_;
    const auto& g = trackFields_;
    for (const auto& tr : a.tracks) {
        t.append();
        t.setInteger(g[0], a.number);
        t.setInteger(g[1], tr.position);
        t.setText(g[2], tr.name);
        t.setText(g[3], tr.artist);
        t.setInteger(g[4], tr.length);
        t.setText(g[5], tr.type);
        t.post();
    }
}

// ---------------------------------------------------------------------------------------------
// SQLite

SqliteDb::SqliteDb(const std::string& path, bool readOnly) : path_(path) {
    const int flags =
        readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "nedostatek paměti";
        sqlite3_close(db_);
        throw std::runtime_error("Databázi SQLite " + path + " nelze otevřít: " + message);
    }
}

SqliteDb::~SqliteDb() {
    sqlite3_close(db_);
}

void SqliteDb::exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error("SQLite " + path_ + ": " + message + " (" + sql + ")");
    }
}

SqliteStmt::SqliteStmt(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
        throw std::runtime_error("SQLite: " + std::string(sqlite3_errmsg(db)) + " (" + sql + ")");
}

SqliteStmt::~SqliteStmt() {
    sqlite3_finalize(stmt_);
}

bool SqliteStmt::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw std::runtime_error("SQLite: " + std::string(sqlite3_errmsg(db_)));
}

void SqliteStmt::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

namespace {

std::string sqliteType(const dbf::FieldDef& f) {
    switch (f.type) {
        case dbf::FieldType::Character:
            return "TEXT";
        case dbf::FieldType::Date:
            return "TEXT";
        default:
            return "INTEGER";
    }
}

std::string createStatement(const std::string& table, const std::vector<SloupecKatalogu>& columns) {
    std::string sql = "CREATE TABLE " + table + " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i) sql += ", ";
        sql += columns[i].pole.name + " " + sqliteType(columns[i].pole);
    }
    return sql + ")";
}

std::string insertStatement(const std::string& table, const std::vector<std::string>& columns) {
    std::string names, marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        names += (i ? ", " : "") + columns[i];
        marks += i ? ",?" : "?";
    }
    return "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
}

void bindText(sqlite3_stmt* s, int i, const std::string& v) {
    sqlite3_bind_text(s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
}

void bindDate(sqlite3_stmt* s, int i, const dbf::Date& d) {
    if (d.isNull()) {
        sqlite3_bind_null(s, i);
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    sqlite3_bind_text(s, i, text, -1, SQLITE_TRANSIENT);
}

}  // namespace

void createSqliteSchema(SqliteDb& db) {
    db.exec(createStatement("cddata", SloupceAlb()));
    db.exec(createStatement("cdskladby", SloupceSkladeb()));
}

void createSqliteIndexes(SqliteDb& db) {
    for (const auto& tag : TagyAlb())
        db.exec("CREATE INDEX cddata_" + tag.name + " ON cddata (" + tag.expression + ")");
    for (const auto& tag : TagySkladeb())
        db.exec("CREATE INDEX cdskladby_" + tag.name + " ON cdskladby (" + tag.expression + ")");
}

SqliteWriter::SqliteWriter(SqliteDb& db)
    : album_(std::make_unique<SqliteStmt>(db.get(), insertStatement("cddata", kAlbumColumns))),
      track_(std::make_unique<SqliteStmt>(db.get(), insertStatement("cdskladby", kTrackColumns))) {}

SqliteWriter::~SqliteWriter() = default;

void SqliteWriter::append(const Album& a) {
    sqlite3_stmt* s = album_->get();
    sqlite3_bind_int(s, 1, a.number);
    bindText(s, 2, a.album);
    bindText(s, 3, a.artist);
    sqlite3_bind_int(s, 4, a.year);
    sqlite3_bind_int(s, 5, a.length);
    bindText(s, 6, a.publisher);
    bindText(s, 7, a.producer);
    sqlite3_bind_int(s, 8, static_cast<int>(a.tracks.size()));
    bindText(s, 9, a.country);
    bindText(s, 10, a.genre);
    bindText(s, 11, a.vocals);
    bindText(s, 12, a.guitar);
    bindText(s, 13, a.bass);
    bindText(s, 14, a.drums);
    bindText(s, 15, a.keys);
    bindText(s, 16, a.guests);
    bindDate(s, 17, a.lentUntil);
    sqlite3_bind_int(s, 18, a.lentCount);
    bindText(s, 19, a.lent);
    bindText(s, 20, a.borrower);
    bindDate(s, 21, a.changed);
    bindText(s, 22, a.discId);
    bindText(s, 23, a.type);
    bindText(s, 24, a.artistInitial);
    bindText(s, 25, a.albumInitial);
    sqlite3_bind_int(s, 26, a.rating);
    bindText(s, 27, a.sax);
    bindText(s, 28, a.trumpet);
    bindText(s, 29, a.special);
    bindText(s, 30, a.description);
    sqlite3_bind_int(s, 31, a.price);
    album_->step();
    album_->reset();

    sqlite3_stmt* t = track_->get();
    for (const auto& tr : a.tracks) {
        sqlite3_bind_int(t, 1, a.number);
        sqlite3_bind_int(t, 2, tr.position);
        bindText(t, 3, tr.name);
        bindText(t, 4, tr.artist);
        sqlite3_bind_int(t, 5, tr.length);
        bindText(t, 6, tr.type);
        track_->step();
        track_->reset();
    }
}

// ---------------------------------------------------------------------------------------------
// Data sets on disk

namespace {

// Bump when the generated content changes, so older generations are not reused.
constexpr int kGeneratorVersion = 1;

std::string markerText(const GenOptions& o, std::size_t albums, std::size_t tracks) {
    std::ostringstream s;
    s << "version " << kGeneratorVersion << "\nalbums " << o.albums << "\nseed " << o.seed
      << "\nfirst " << o.firstNumber << "\nrows " << albums << " " << tracks << "\n";
    return s.str();
}

}  // namespace

RowCounts generateCatalogue(const std::filesystem::path& lorvikaDir,
                            const std::filesystem::path& sqlitePath, const GenOptions& options) {
    RowCounts counts;
    dbf::Engine engine;
    createLorvikaCatalogue(engine, lorvikaDir.string());
    std::unique_ptr<SqliteDb> db;
    std::unique_ptr<SqliteWriter> sqlite;
    if (!sqlitePath.empty()) {
        std::filesystem::remove(sqlitePath);
        db = std::make_unique<SqliteDb>(sqlitePath.string());
        db->exec("PRAGMA journal_mode=OFF");
        db->exec("PRAGMA synchronous=OFF");
        createSqliteSchema(*db);
        db->exec("BEGIN");
        sqlite = std::make_unique<SqliteWriter>(*db);
    }
    {
        LorvikaWriter lorvika(engine, lorvikaDir.string());
        CatalogueGenerator gen(options);
        while (!gen.done()) {
            const Album a = gen.next();
            lorvika.append(a);
            if (sqlite) sqlite->append(a);
            ++counts.albums;
            counts.tracks += a.tracks.size();
        }
    }
    if (db) {
        sqlite.reset();
        db->exec("COMMIT");
        createSqliteIndexes(*db);
        db->exec("ANALYZE");
    }
    return counts;
}

Dataset ensureDataset(const std::filesystem::path& base, const GenOptions& options) {
    namespace fs = std::filesystem;
    Dataset d;
    d.options = options;
    d.root =
        base / ("katalog-" + std::to_string(options.albums) + "-" + std::to_string(options.seed));
    d.lorvikaDir = d.root / "db";
    d.sqlitePath = d.root / "katalog.sqlite";
    const fs::path marker = d.root / "hotovo.txt";

    if (fs::exists(marker)) {
        std::ifstream in(marker);
        std::stringstream text;
        text << in.rdbuf();
        std::size_t albums = 0, tracks = 0;
        const std::string content = text.str();
        const auto rows = content.find("rows ");
        if (rows != std::string::npos) {
            std::istringstream(content.substr(rows + 5)) >> albums >> tracks;
            if (content == markerText(options, albums, tracks)) {
                d.albums = albums;
                d.tracks = tracks;
                return d;
            }
        }
    }

    fs::remove_all(d.root);
    fs::create_directories(d.lorvikaDir);
    const auto counts = generateCatalogue(d.lorvikaDir, d.sqlitePath, options);
    d.albums = counts.albums;
    d.tracks = counts.tracks;
    std::ofstream(marker) << markerText(options, d.albums, d.tracks);
    return d;
}

}  // namespace lorvika::bench
