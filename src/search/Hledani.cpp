#include "search/Hledani.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>

#include "store/AsciiCase.h"
#include "store/Catalogue.h"
#include "store/dbf/TableData.h"

namespace lorvika {

namespace {

// Order of evaluation: every row that is on, the range rows of year and rating after the price.
constexpr int kPoradiVyhodnoceni[] = {1,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 13,
                                      14, 15, 16, 17, 18, 19, 20, 21, 8,  22, 23};

std::uint8_t BitRadku(int n) {
    switch (n) {
        case 2:
            return 1;
        case 3:
            return 2;
        case 23:
            return 4;
        default:
            return 0;
    }
}

}  // namespace

const std::vector<PopisRadku>& RadkyDotazu() {
    using enum DruhRadku;
    static const std::vector<PopisRadku> radky{
        {2, "interpret", "ARTIST", "ARTIST", TextAlbaISkladeb},
        {1, "album", "ALBUM", "", TextAlba},
        {3, "skladba", "", "NAME", TextSkladeb},
        {5, "zanr", "ZANR", "", TextAlba},
        {6, "typ", "TYP", "", TextAlba},
        {22, "hodnoceni", "HODNOC", "", Rozsah},
        {8, "rok", "ROK", "", Rozsah},
        {21, "cena", "CENA", "", Rozsah},
        {7, "puvod", "ZEME", "", TextAlba},
        {23, "typskladby", "", "TYP", TextSkladeb},
        {9, "zpev", "ZPEV", "", TextAlba},
        {10, "kytara", "KYTAR", "", TextAlba},
        {11, "basa", "BASA", "", TextAlba},
        {12, "bici", "BICI", "", TextAlba},
        {13, "klavesy", "KLAV", "", TextAlba},
        {14, "host", "HOST", "", TextAlba},
        {17, "saxofon", "SAX", "", TextAlba},
        {18, "trubka", "TRUBKA", "", TextAlba},
        {19, "specialita", "SPECIAL", "", TextAlba},
        {20, "popis", "POPIS", "", TextAlba},
        {4, "pocetstop", "PSTOP", "", Rozsah},
        {15, "firma", "VYD_F", "", TextAlba},
        {16, "producent", "VYD_P", "", TextAlba},
    };
    return radky;
}

const PopisRadku& PopisRadkuCislo(int n) {
    for (const auto& r : RadkyDotazu())
        if (r.n == n) return r;
    throw std::out_of_range("řádek dotazu " + std::to_string(n) + " neexistuje");
}

const PopisRadku* PopisRadkuJmenem(std::string_view jmeno) {
    for (const auto& r : RadkyDotazu())
        if (r.jmeno == jmeno) return &r;
    return nullptr;
}

int Dotaz::PocetZapnutych() const {
    int k = 0;
    for (int n = 1; n <= kPocetRadku; ++n)
        if ((*this)[n].rezim != Rezim::Vypnuto) ++k;
    return k;
}

std::optional<std::int64_t> CeleCisloZTextu(std::string_view text) {
    std::size_t i = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) i = 1;
    if (i == text.size()) return std::nullopt;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return std::nullopt;
    std::int64_t v = 0;
    const char* start = text.data() + (text[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(start, text.data() + text.size(), v);
    if (r.ec != std::errc() || v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return v;
}

std::int64_t CeleCisloNeboNula(std::string_view text) {
    return CeleCisloZTextu(text).value_or(0);
}

std::optional<std::string_view> ChybaMeze(int n, std::string_view text) {
    const auto v = CeleCisloZTextu(text);
    if (!v) return kMezNeniCislo;
    if ((n == 4 || n == 8) && *v <= 0) return kMezMusiBytVetsi;
    if (n == 21 && *v < 0) return kMezMusiBytNezaporna;
    return std::nullopt;
}

std::optional<int> HodnoceniZeSlova(std::string_view text) {
    const auto& slova = HodnoceniSlova();
    for (std::size_t i = 0; i < slova.size(); ++i)
        if (equalNoCase(text, slova[i])) return static_cast<int>(i);
    return std::nullopt;
}

// --- evaluation ------------------------------------------------------------------------------

Vyhledavani::Vyhledavani(Dotaz dotaz, const dbf::Cursor& alba, const dbf::Cursor& skladby)
    : dotaz_(std::move(dotaz)) {
    sloupecCislo_ = alba.fieldIndex("CISLO");
    // A view of its own counts every album, whatever range or filter the caller's cursor has.
    pocetAlb_ = alba.readOnlyView()->recordCount();
    mezZhusteni_ = 2 * pocetAlb_ + 16;
    auto pripravText = [](Test& t, int n, const PodminkaRadku& p, const dbf::Cursor& c,
                          std::string_view sloupec) {
        t.n = n;
        t.sloupec = c.fieldIndex(sloupec);
        if (p.rezim == Rezim::Obsahuje && p.text.empty()) return;  // never passes
        t.shoda.emplace(
            p.text,
            p.rezim == Rezim::Shoda ? dbf::TextMatch::Mode::Equals : dbf::TextMatch::Mode::Contains,
            true, c.language());
    };
    bool stopy = false;
    for (int n : kPoradiVyhodnoceni) {
        const PodminkaRadku& p = dotaz_[n];
        if (p.rezim == Rezim::Vypnuto) continue;
        zapnute_.push_back(n);
        const PopisRadku& popis = PopisRadkuCislo(n);
        druhy_[n] = popis.druh;
        if (popis.druh == DruhRadku::Rozsah) {
            const int s = alba.fieldIndex(popis.sloupecAlba);
            rozsahSloupec_[n] = s;
            const auto typ = s >= 0 ? alba.fields()[static_cast<std::size_t>(s)].type
                                    : dbf::FieldType::Character;
            rozsahCiselny_[n] = typ == dbf::FieldType::Numeric || typ == dbf::FieldType::Float;
            continue;
        }
        if (!popis.sloupecAlba.empty()) pripravText(albumTesty_[n], n, p, alba, popis.sloupecAlba);
        if (!popis.sloupecSkladby.empty()) {
            pripravText(skladbyTesty_[n], n, p, skladby, popis.sloupecSkladby);
            stopy = true;
        }
    }
    if (!stopy) return;
    pruchod_ = skladby.readOnlyView();
    pruchod_->setTag("");
    if (pruchod_->hasTag("CD")) {
        rozsahy_ = skladby.readOnlyView();
        rozsahy_->setTag("CD");
    }
    mezPoAlbech_ = std::max<std::size_t>(16, pruchod_->recordCount() / 64);
}

Vyhledavani::~Vyhledavani() = default;

bool Vyhledavani::TestText(const Test& t, const dbf::Cursor& c) const {
    if (!t.shoda) return false;
    return (*t.shoda)(t.sloupec >= 0 ? c.rawText(t.sloupec) : std::string_view());
}

std::uint8_t Vyhledavani::BitySkladby(const dbf::Cursor& s, std::uint8_t potreba) const {
    std::uint8_t bity = 0;
    for (int n : {2, 3, 23}) {
        const std::uint8_t b = BitRadku(n);
        if ((potreba & b) && TestText(skladbyTesty_[n], s)) bity |= b;
    }
    return bity;
}

void Vyhledavani::Pruchod() {
    std::uint8_t vsechny = 0;
    for (int n : zapnute_) vsechny |= BitRadku(n);
    const int sloupecCD = pruchod_->fieldIndex("CD");
    // Tracks of one album mostly lie together, so neighbours merge at once; the list is
    // compacted whenever it grows past twice the album count, so it stays one set of numbers.
    auto zhustit = [this] {
        std::sort(alba_.begin(), alba_.end(),
                  [](const Vysledek& a, const Vysledek& b) { return a.cd < b.cd; });
        std::size_t k = 0;
        for (std::size_t i = 0; i < alba_.size(); ++i) {
            if (k > 0 && alba_[k - 1].cd == alba_[i].cd)
                alba_[k - 1].bity |= alba_[i].bity;
            else
                alba_[k++] = alba_[i];
        }
        alba_.resize(k);
    };
    alba_.clear();
    std::size_t mez = mezZhusteni_;
    // The album of the last passing track, by its stored number: while the following tracks
    // are that album's and it already passes every row, they need no test.
    std::string posledniCD;
    bool posledniPlati = false;  // alba_.back() is the album of posledniCD
    for (pruchod_->first(); !pruchod_->eof(); pruchod_->next()) {
        const std::string_view surove = sloupecCD >= 0 ? pruchod_->rawText(sloupecCD) : "";
        const bool stejne = posledniPlati && surove == posledniCD;
        if (stejne && alba_.back().bity == vsechny) continue;
        const std::uint8_t bity = BitySkladby(*pruchod_, vsechny);
        if (!bity) continue;
        if (stejne) {
            alba_.back().bity |= bity;
            continue;
        }
        posledniCD.assign(surove);
        posledniPlati = true;
        alba_.push_back({sloupecCD >= 0 ? pruchod_->integer(sloupecCD) : 0, bity});
        if (alba_.size() > mez) {
            zhustit();
            posledniPlati = false;
            mez = std::max(mez, 2 * alba_.size());
        }
    }
    zhustit();
    pruchodHotov_ = true;
}

std::uint8_t Vyhledavani::BityAlba(std::int64_t cd, std::uint8_t potreba) {
    if (!pruchodHotov_) {
        bool pruchod = !rozsahy_ || hledaniPoAlbech_ >= mezPoAlbech_;
        if (!pruchod && odhadovat_ && hledaniPoAlbech_ >= 256 && vyhodnocenych_ > 0)
            pruchod = hledaniPoAlbech_ * pocetAlb_ / vyhodnocenych_ > mezPoAlbech_;
        if (pruchod) Pruchod();
    }
    if (pruchodHotov_) {
        const auto it =
            std::lower_bound(alba_.begin(), alba_.end(), cd,
                             [](const Vysledek& v, std::int64_t c) { return v.cd < c; });
        return it != alba_.end() && it->cd == cd ? it->bity : 0;
    }
    ++hledaniPoAlbech_;
    std::uint8_t bity = 0;
    rozsahy_->setRange(dbf::Key(cd), dbf::Key(cd));
    for (; !rozsahy_->eof() && bity != potreba; rozsahy_->next())
        bity |= BitySkladby(*rozsahy_, static_cast<std::uint8_t>(potreba & ~bity));
    rozsahy_->cancelRange();
    return bity;
}

std::int64_t Vyhledavani::CisloRozsahu(int n, const dbf::Cursor& album) const {
    const int s = rozsahSloupec_[n];
    if (s < 0) return 0;
    const std::uint32_t zaznam =
        album.state() == dbf::CursorState::Browse ? album.recordNumber() : 0;
    if (zaznam == 0 || !rozsahCiselny_[n]) return album.integer(s);
    // The table keeps the column decoded: every search reads it for every album.
    return album.data().wholeNumbers(s)[zaznam];
}

bool Vyhledavani::Vyhovuje(const dbf::Cursor& album) {
    ++vyhodnocenych_;
    const bool kazda = !dotaz_.alesponJedne;
    const int k = static_cast<int>(zapnute_.size());
    if (k == 0) return false;
    int pravdivych = 0;
    std::uint8_t nerozhodnute = 0;
    for (int n : zapnute_) {
        const PodminkaRadku& p = dotaz_[n];
        bool r = false;
        switch (druhy_[n]) {
            case DruhRadku::TextAlba:
                r = TestText(albumTesty_[n], album);
                break;
            case DruhRadku::TextAlbaISkladeb:
                // The album's own artist decides the row when it passes; otherwise its tracks.
                r = TestText(albumTesty_[n], album);
                if (!r) {
                    nerozhodnute |= BitRadku(n);
                    continue;
                }
                break;
            case DruhRadku::TextSkladeb:
                nerozhodnute |= BitRadku(n);
                continue;
            case DruhRadku::Rozsah: {
                const std::int64_t v = CisloRozsahu(n, album);
                if (n == 4)
                    r = p.od <= v && v <= p.do_;
                else
                    r = !((p.odZapnuto && v < p.od) || (p.doZapnuto && v > p.do_));
                break;
            }
        }
        if (p.negace) r = !r;
        if (r) ++pravdivych;
        // The outcome is settled: the remaining rows cannot change it.
        if (kazda && !r) return false;
        if (!kazda && r) return true;
    }
    if (nerozhodnute) {
        const std::int64_t cd = sloupecCislo_ >= 0 ? album.integer(sloupecCislo_) : 0;
        const std::uint8_t bity = BityAlba(cd, nerozhodnute);
        for (int n : {2, 3, 23}) {
            if (!(nerozhodnute & BitRadku(n))) continue;
            bool r = (bity & BitRadku(n)) != 0;
            if (dotaz_[n].negace) r = !r;
            if (r) ++pravdivych;
        }
    }
    return kazda ? pravdivych == k : pravdivych > 0;
}

}  // namespace lorvika
