#include "store/ZmenaAlba.h"

#include <cstring>
#include <exception>
#include <set>
#include <string_view>

#include "store/Catalogue.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/TableData.h"
#include "store/dbf/Transaction.h"

namespace lorvika {

namespace {

constexpr std::string_view kHlavicka = "LRVKZMENA 1";
constexpr std::string_view kPoznamka = "lorvika";
constexpr char kSep = '/';

// What the journal holds besides the change: where the tracks stood when it was written.
struct Zurnal {
    ZmenaAlba zmena;
    std::uint32_t pocetZaznamu = 0;         // physical records of the track table before
    std::vector<std::uint32_t> stareRadky;  // physical numbers of the tracks to delete
};

std::string cesta(dbf::Engine& engine, const std::string& adresar, const std::string& jmeno) {
    const std::string soubor = engine.fileSystem().resolve(adresar, jmeno);
    if (!adresar.empty() && adresar.back() == kSep) return adresar + soubor;
    return adresar + kSep + soubor;
}

std::uint64_t kontrolniSoucet(std::string_view s) {
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

void pridejPolozku(std::string& out, std::string_view hodnota) {
    out.push_back('\t');
    for (char c : hodnota) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out.push_back(c);
        }
    }
}

std::vector<std::string> rozdelRadek(std::string_view radek) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < radek.size(); ++i) {
        const char c = radek[i];
        if (c == '\t') {
            out.emplace_back();
        } else if (c == '\\' && i + 1 < radek.size()) {
            const char d = radek[++i];
            out.back().push_back(d == 't' ? '\t' : d == 'n' ? '\n' : d == 'r' ? '\r' : d);
        } else {
            out.back().push_back(c);
        }
    }
    return out;
}

std::uint64_t cislo(const std::string& s) {
    std::uint64_t v = 0;
    if (s.empty()) throw std::invalid_argument("number");
    for (char c : s) {
        if (c < '0' || c > '9') throw std::invalid_argument("number");
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return v;
}

// A journal that is incomplete or damaged gives nothing: it was never finished, so neither
// table was touched under it.
std::optional<Zurnal> prectiZurnal(std::string_view t) {
    const std::size_t konec = t.rfind("konec\t");
    if (konec == std::string_view::npos || (konec > 0 && t[konec - 1] != '\n')) return {};
    const std::string_view telo = t.substr(0, konec + 5);
    std::string_view zbytek = t.substr(konec + 6);
    if (zbytek.empty() || zbytek.back() != '\n') return {};
    zbytek.remove_suffix(1);
    if (zbytek != std::to_string(kontrolniSoucet(telo))) return {};
    Zurnal z;
    std::size_t i = 0;
    bool prvni = true;
    try {
        while (i < konec) {
            const std::size_t n = t.find('\n', i);
            const std::string_view radek = t.substr(i, n - i);
            i = n + 1;
            if (prvni) {
                if (radek != kHlavicka) return {};
                prvni = false;
                continue;
            }
            std::vector<std::string> p = rozdelRadek(radek);
            const std::string& druh = p[0];
            if (druh == "cislo" && p.size() == 2) {
                z.zmena.cislo = static_cast<std::int64_t>(cislo(p[1]));
            } else if (druh == "pocet" && p.size() == 2) {
                z.pocetZaznamu = static_cast<std::uint32_t>(cislo(p[1]));
            } else if (druh == "sn" && p.size() == 2) {
                z.zmena.puvodniSN = p[1];
            } else if (druh == "smaz") {
                for (std::size_t k = 1; k < p.size(); ++k)
                    z.stareRadky.push_back(static_cast<std::uint32_t>(cislo(p[k])));
            } else if (druh == "pole" && p.size() == 3) {
                z.zmena.pole.emplace_back(p[1], p[2]);
            } else if (druh == "skladby" && p.size() == 2) {
                z.zmena.nahraditSkladby = p[1] == "1";
            } else if (druh == "skladba") {
                z.zmena.skladby.emplace_back(p.begin() + 1, p.end());
            } else {
                return {};
            }
        }
    } catch (const std::invalid_argument&) {
        return {};
    }
    if (z.zmena.cislo <= 0) return {};
    return z;
}

std::string prectiSoubor(dbf::FileSystem& fs, const std::string& soubor) {
    auto f = fs.open(soubor, dbf::FileSystem::Mode::Read);
    std::string obsah(static_cast<std::size_t>(f->size()), '\0');
    std::size_t hotovo = 0;
    while (hotovo < obsah.size()) {
        const std::size_t n = f->readAt(hotovo, obsah.data() + hotovo, obsah.size() - hotovo);
        if (n == 0) break;
        hotovo += n;
    }
    obsah.resize(hotovo);
    return obsah;
}

void odstran(dbf::FileSystem& fs, const std::string& soubor) {
    try {
        if (fs.exists(soubor)) fs.remove(soubor);
    } catch (const std::exception& e) {
        throw dbf::EngineError("Tabulka cddata.DBF: záznam změny \"" + soubor +
                               "\" nelze odstranit (" + e.what() + ").");
    }
}

// The tracks of the album in its range on tag "CD" that pred says go.
void smazSkladby(dbf::Cursor& skladby, std::int64_t cd,
                 const std::function<bool(std::uint32_t)>& pred) {
    const std::string tag = skladby.tag();
    skladby.setTag("CD");
    try {
        skladby.setRange(dbf::Key(cd), dbf::Key(cd));
        skladby.first();
        while (!skladby.eof()) {
            if (pred(skladby.recordNumber()))
                skladby.remove();
            else
                skladby.next();
        }
    } catch (...) {
        if (skladby.state() != dbf::CursorState::Browse) skladby.cancel();
        skladby.cancelRange();
        skladby.setTag(tag);
        throw;
    }
    skladby.cancelRange();
    skladby.setTag(tag);
}

void pripojSkladby(dbf::Cursor& skladby, const ZmenaAlba& z) {
    const int cd = skladby.fieldIndex("CD");
    const int sloupcu = static_cast<int>(skladby.fields().size());
    try {
        for (const auto& radek : z.skladby) {
            skladby.append();
            const int n = std::min(sloupcu, static_cast<int>(radek.size()));
            for (int i = 0; i < n; ++i) skladby.setText(i, radek[static_cast<std::size_t>(i)]);
            if (cd >= 0) skladby.setInteger(cd, z.cislo);
            skladby.post();
        }
    } catch (...) {
        if (skladby.state() != dbf::CursorState::Browse) skladby.cancel();
        throw;
    }
}

void najdiAlbum(dbf::Cursor& alba, std::int64_t cislo) {
    if (!NajdiCD(cislo, "cislo", alba))
        throw dbf::EngineError("Tabulka " + alba.fileName() + ": album číslo " +
                               std::to_string(cislo) + " nenalezeno.");
}

void zapisPole(dbf::Cursor& alba, const std::vector<std::pair<std::string, std::string>>& pole) {
    alba.edit();
    try {
        for (const auto& [jmeno, hodnota] : pole) alba.setText(jmeno, hodnota);
        alba.post();
    } catch (...) {
        if (alba.state() != dbf::CursorState::Browse) alba.cancel();
        throw;
    }
}

// The change applied to tables that may hold any part of it: idempotent.
void proved(dbf::Cursor& alba, dbf::Cursor& skladby, const Zurnal& z) {
    najdiAlbum(alba, z.zmena.cislo);
    zapisPole(alba, z.zmena.pole);
    if (!z.zmena.nahraditSkladby) return;
    // Rows past the count of the time are the new ones already appended: they go and come
    // again, complete.
    const std::uint32_t pocet = z.pocetZaznamu;
    smazSkladby(skladby, z.zmena.cislo, [pocet](std::uint32_t r) { return r > pocet; });
    pripojSkladby(skladby, z.zmena);
    const std::set<std::uint32_t> stare(z.stareRadky.begin(), z.stareRadky.end());
    smazSkladby(skladby, z.zmena.cislo, [&stare](std::uint32_t r) { return stare.count(r) > 0; });
}

}  // namespace

void ZapisZmenuAlba(dbf::Engine& engine, const std::string& adresar, dbf::Cursor& alba,
                    dbf::Cursor& skladby, const ZmenaAlba& zmena,
                    const std::function<void()>& poZapisu) {
    najdiAlbum(alba, zmena.cislo);
    dbf::Transaction t(engine, adresar);
    t.setNote(ZapisPoznamku({PoznamkaZmeny::Druh::Zmena, zmena.cislo, zmena.puvodniSN, {}}));
    // Every value is tried in the edit buffer before anything is written: a year that is no
    // number stops here with the engine's message and nothing changed.
    alba.edit();
    try {
        for (const auto& [jmeno, hodnota] : zmena.pole) alba.setText(jmeno, hodnota);
        t.post(alba);
    } catch (...) {
        if (alba.state() != dbf::CursorState::Browse) alba.cancel();
        throw;
    }
    if (zmena.nahraditSkladby) {
        ProjdiSkladby(skladby, zmena.cislo,
                      [&t](dbf::Cursor& s) { t.remove(s.table(), s.recordNumber()); });
        const int cd = skladby.fieldIndex("CD");
        const int sloupcu = static_cast<int>(skladby.fields().size());
        try {
            for (const auto& radek : zmena.skladby) {
                skladby.append();
                const int n = std::min(sloupcu, static_cast<int>(radek.size()));
                for (int i = 0; i < n; ++i) skladby.setText(i, radek[static_cast<std::size_t>(i)]);
                if (cd >= 0) skladby.setInteger(cd, zmena.cislo);
                t.post(skladby);
            }
        } catch (...) {
            if (skladby.state() != dbf::CursorState::Browse) skladby.cancel();
            throw;
        }
    }
    t.commit();
    najdiAlbum(alba, zmena.cislo);
    if (poZapisu) poZapisu();
}

std::string ZapisPoznamku(const PoznamkaZmeny& p) {
    std::string t(kPoznamka);
    pridejPolozku(t, p.druh == PoznamkaZmeny::Druh::Zmena        ? "zmena"
                     : p.druh == PoznamkaZmeny::Druh::Nove       ? "nove"
                     : p.druh == PoznamkaZmeny::Druh::Odstraneni ? "odstraneni"
                                                                 : "pujceni");
    pridejPolozku(t, std::to_string(p.cislo));
    pridejPolozku(t, p.puvodniSN);
    pridejPolozku(t, p.souborTxt);
    return t;
}

std::optional<PoznamkaZmeny> CtiPoznamku(std::string_view text) {
    const std::vector<std::string> p = rozdelRadek(text);
    if (p.size() != 5 || p[0] != kPoznamka) return {};
    PoznamkaZmeny z;
    if (p[1] == "zmena")
        z.druh = PoznamkaZmeny::Druh::Zmena;
    else if (p[1] == "nove")
        z.druh = PoznamkaZmeny::Druh::Nove;
    else if (p[1] == "odstraneni")
        z.druh = PoznamkaZmeny::Druh::Odstraneni;
    else if (p[1] == "pujceni")
        z.druh = PoznamkaZmeny::Druh::Pujceni;
    else
        return {};
    try {
        z.cislo = static_cast<std::int64_t>(cislo(p[2]));
    } catch (const std::invalid_argument&) {
        return {};
    }
    z.puvodniSN = p[3];
    z.souborTxt = p[4];
    return z;
}

std::optional<ZmenaAlba> DokonciZmenuAlba(dbf::Engine& engine, const std::string& adresar) {
    dbf::FileSystem& fs = engine.fileSystem();
    const std::string soubor = cesta(engine, adresar, kZurnalZmeny);
    odstran(fs, soubor + ".tmp");
    if (!fs.exists(soubor)) return {};
    const std::optional<Zurnal> z = prectiZurnal(prectiSoubor(fs, soubor));
    if (!z) {
        odstran(fs, soubor);
        return {};
    }
    {
        auto alba = engine.open(adresar, std::string(kSouborAlb));
        auto skladby = engine.open(adresar, std::string(kSouborSkladeb));
        // Without its index file a table has no tags yet; the change finds its rows by them.
        if (!alba->hasTag("cislo") || !skladby->hasTag("CD"))
            ZajistiIndexy(engine, adresar, RezimIndexu::Kontrola);
        // An album removed since cannot take the change, and a track table with fewer records
        // than the journal counted is not the one it was written for: nothing left to do.
        if (skladby->data().count() >= z->pocetZaznamu && NajdiCD(z->zmena.cislo, "cislo", *alba))
            proved(*alba, *skladby, *z);
    }
    odstran(fs, soubor);
    return z->zmena;
}

void ZahodZmenuAlba(dbf::Engine& engine, const std::string& adresar) {
    dbf::FileSystem& fs = engine.fileSystem();
    const std::string soubor = cesta(engine, adresar, kZurnalZmeny);
    odstran(fs, soubor + ".tmp");
    odstran(fs, soubor);
    try {
        dbf::discardLog(fs, adresar);
    } catch (const std::exception& e) {
        throw dbf::EngineError(std::string("Záznam změny v ") + adresar + " nelze odstranit (" +
                               e.what() + ").");
    }
}

}  // namespace lorvika
