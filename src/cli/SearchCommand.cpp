#include <ostream>
#include <set>

#include "cli/Commands.h"
#include "cli/Podminky.h"
#include "search/Hledani.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"

namespace lorvika::cli {

namespace {

constexpr std::string_view kUsageText = kSearchUsage;

std::optional<std::int64_t> Hodnoceni(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '6') return text[0] - '0';
    if (const auto i = HodnoceniZeSlova(text)) return *i;
    return std::nullopt;
}

// Reads "od:X", "do:Y" or "od:X,do:Y" of range row n into p.
std::optional<Odmitnuti> Meze(int n, std::string_view value, PodminkaRadku& p) {
    const std::string chyba = "Chybné meze podmínky: " + std::string(value);
    p.odZapnuto = p.doZapnuto = false;
    if (value.empty()) {
        if (n == 4) return std::nullopt;  // both bounds 0, as empty edits
        return Odmitnuti{chyba};
    }
    for (std::size_t start = 0; start <= value.size();) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        const std::string_view part = value.substr(start, comma - start);
        start = comma + 1;
        const bool od = part.starts_with("od:");
        if (!od && !part.starts_with("do:")) return Odmitnuti{chyba};
        bool& zapnuto = od ? p.odZapnuto : p.doZapnuto;
        if (zapnuto) return Odmitnuti{chyba};
        zapnuto = true;
        const std::string_view text = part.substr(3);
        std::int64_t& mez = od ? p.od : p.do_;
        if (n == 22) {
            const auto h = Hodnoceni(text);
            if (!h)
                return Odmitnuti{
                    "Hodnocení musí být jedno ze slov - ODPAD SLABÉ PRŮMĚRNÉ DOBRÉ "
                    "VYNIKAJÍCÍ GENIÁLNÍ nebo číslo 0 až 6: " +
                    std::string(text)};
            mez = *h;
            continue;
        }
        if (const auto w = ChybaMeze(n, text)) return Odmitnuti{std::string(*w), true};
        mez = CeleCisloNeboNula(text);
    }
    return std::nullopt;
}

std::optional<Odmitnuti> Podminka(const std::string& arg, Dotaz& dotaz, std::set<int>& dane) {
    const std::size_t eq = arg.find('=');
    if (eq == std::string::npos) return Odmitnuti{"Chybná podmínka: " + arg};
    const PopisRadku* popis = PopisRadkuJmenem(std::string_view(arg).substr(0, eq));
    if (!popis) return Odmitnuti{"Neznámá podmínka: " + arg.substr(0, eq)};
    if (!dane.insert(popis->n).second)
        return Odmitnuti{"Podmínka " + std::string(popis->jmeno) + " je zadána dvakrát"};
    std::string_view value = std::string_view(arg).substr(eq + 1);
    PodminkaRadku& p = dotaz[popis->n];
    if (value.starts_with("!")) {
        p.negace = true;
        value.remove_prefix(1);
    }
    if (popis->druh == DruhRadku::Rozsah) {
        p.rezim = Rezim::Shoda;
        return Meze(popis->n, value, p);
    }
    const std::size_t colon = value.find(':');
    const std::string_view rezim = value.substr(0, colon);
    if (colon == std::string_view::npos || (rezim != "obsahuje" && rezim != "shoda"))
        return Odmitnuti{"Chybná podmínka: " + arg};
    p.rezim = rezim == "shoda" ? Rezim::Shoda : Rezim::Obsahuje;
    p.text = std::string(value.substr(colon + 1));
    return std::nullopt;
}

}  // namespace

std::optional<Odmitnuti> ctiPodminky(const std::vector<std::string>& podminky, Dotaz& dotaz) {
    std::set<int> dane;
    for (const std::string& p : podminky)
        if (auto o = Podminka(p, dotaz, dane)) return o;
    return std::nullopt;
}

int runSearch(const Args& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> dir;
    std::optional<std::string> tag;
    Dotaz dotaz;
    bool alesponJedne = false;
    std::vector<std::string> podminky;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--alespon-jedne") {
            if (alesponJedne) return usageError(err, kUsageText);
            alesponJedne = true;
        } else if (a == "--tag") {
            if (tag || i + 1 >= args.size()) return usageError(err, kUsageText);
            tag = args[++i];
        } else if (a.starts_with("-")) {
            return usageError(err, kUsageText);
        } else if (!dir) {
            dir = a;
        } else {
            podminky.push_back(a);
        }
    }
    if (!dir) return usageError(err, kUsageText);
    if (auto o = ctiPodminky(podminky, dotaz)) {
        err << o->text << '\n';
        return o->warning ? kUsage : usageError(err, kUsageText);
    }
    dotaz.alesponJedne = alesponJedne;
    if (!requireDatabase(*dir, err)) return kProblem;

    dbf::Engine engine{dbf::Engine::ReadOnly{}};
    reportChangeLog(*dir, err);
    try {
        auto alba = engine.open(*dir, std::string(kSouborAlb));
        auto skladby = engine.open(*dir, std::string(kSouborSkladeb));
        const std::string poradi = tag.value_or("cislo");
        if (!alba->hasTag(poradi)) {
            err << "Tabulka " << alba->fileName() << " nemá tag " << poradi << '\n';
            return kUsage;
        }
        alba->setTag(poradi);
        Vyhledavani hledani(std::move(dotaz), *alba, *skladby);
        alba->setFilter([&hledani](const dbf::Cursor& c) { return hledani.Vyhovuje(c); });
        alba->setFiltered(true);
        const int cislo = alba->fieldIndex("CISLO");
        const int artist = alba->fieldIndex("ARTIST");
        const int album = alba->fieldIndex("ALBUM");
        std::size_t pocet = 0;
        for (alba->first(); !alba->eof(); alba->next()) {
            if (pocet++ == 0) out << "CISLO,ARTIST,ALBUM\r\n";
            out << alba->integer(cislo) << ',';
            writeCsvField(out, alba->text(artist));
            out << ',';
            writeCsvField(out, alba->text(album));
            out << "\r\n";
        }
        if (pocet == 0) {
            err << kNicNevyhovuje << '\n';
            return kProblem;
        }
        err << kVyhovujePocet << pocet << '\n';
    } catch (const dbf::EngineError& e) {
        err << e.what() << '\n';
        return kProblem;
    }
    return out.good() ? kOk : kProblem;
}

}  // namespace lorvika::cli
