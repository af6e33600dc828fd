#include "store/Catalogue.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "store/AsciiCase.h"
#include "store/codepage.h"
#include "store/dbf/Files.h"

namespace lorvika {

namespace {

SloupecKatalogu text(const char* jmeno, int sirka, const char* titulek, bool pridany = false) {
    return {dbf::FieldDef::text(jmeno, sirka), titulek, pridany};
}
SloupecKatalogu cislo(const char* jmeno, const char* titulek, bool pridany = false) {
    return {dbf::FieldDef::number(jmeno), titulek, pridany};
}
SloupecKatalogu datum(const char* jmeno, const char* titulek) {
    return {dbf::FieldDef::date(jmeno), titulek, false};
}

struct PridavanySloupec {
    std::string_view soubor;
    std::string_view sloupec;
    std::string_view typ;
};

// First-letter columns exist in every table this program created; tables from elsewhere may lack
// them, and the abcdar/abcdal tags cannot be built without them.
constexpr PridavanySloupec kPismenne[] = {
    {kSouborAlb, "abcdar", "Character(1)"},
    {kSouborAlb, "abcdal", "Character(1)"},
};

constexpr PridavanySloupec kPridavane[] = {
    {kSouborAlb, "hodnoc", "Float"},
    {kSouborSkladeb, "typ", "Character(25)"},
    {kSouborAlb, "sax", "Character(50)"},
    {kSouborAlb, "trubka", "Character(50)"},
    {kSouborAlb, "special", "Character(50)"},
    {kSouborAlb, "popis", "Character(200)"},
    {kSouborAlb, "cena", "Float"},
    {kSouborAlb, "mbid", "Character(28)"},
};

std::string str(std::string_view s) {
    return std::string(s);
}

void zajistiTagy(dbf::Engine& engine, const std::string& adresar, std::string_view soubor,
                 const std::vector<dbf::TagDef>& tagy, RezimIndexu rezim) {
    auto kurzor = engine.open(adresar, str(soubor), {}, dbf::OpenMode::Exclusive);
    const auto stavajici = kurzor->tags();
    for (const auto& tag : tagy) {
        auto it = std::find_if(stavajici.begin(), stavajici.end(),
                               [&](const dbf::TagDef& t) { return equalNoCase(t.name, tag.name); });
        if (rezim == RezimIndexu::Znovu) {
            if (it != stavajici.end()) kurzor->deleteTag(it->name);
        } else if (it != stavajici.end() && equalNoCase(it->expression, tag.expression)) {
            continue;
        }
        // A tag of that name with another key is replaced by the add.
        kurzor->addTag(tag);
    }
}

}  // namespace

const std::vector<SloupecKatalogu>& SloupceAlb() {
    static const std::vector<SloupecKatalogu> sloupce{
        cislo("CISLO", "číslo"),
        text("ALBUM", 50, "Album"),
        text("ARTIST", 50, "Interpret"),
        cislo("ROK", "Rok"),
        cislo("DELKA", "Délka"),
        text("VYD_F", 30, "Vydavatel-firma"),
        text("VYD_P", 30, "Vydavatel-producent"),
        cislo("PSTOP", "Počet skladeb"),
        text("ZEME", 25, "Původ"),
        text("ZANR", 25, "Žánr"),
        text("ZPEV", 50, "Zpěv"),
        text("KYTAR", 50, "Kytara"),
        text("BASA", 50, "Basa"),
        text("BICI", 50, "Bicí"),
        text("KLAV", 50, "Klávesy"),
        text("HOST", 50, "Host"),
        datum("PUJ_DOKDY", "Půjčeno do"),
        cislo("PUJ_KOLIK", "Počet půjčení"),
        text("PUJ_ANONE", 1, "Půjčeno"),
        text("PUJ_KOMU", 30, "Půjčeno komu"),
        datum("ZMENA", "Datum změny"),
        text("SN", 30, ""),
        text("TYP", 25, "Typ"),
        text("ABCDAR", 1, ""),
        text("ABCDAL", 1, ""),
        cislo("HODNOC", "Hodnocení", true),
        text("SAX", 50, "Saxofon", true),
        text("TRUBKA", 50, "Trubka", true),
        text("SPECIAL", 50, "Specialita", true),
        text("POPIS", 200, "Popis", true),
        cislo("CENA", "Cena", true),
        // MusicBrainz disc ID of the disc the album was catalogued from.
        text("MBID", 28, "", true),
    };
    return sloupce;
}

const std::vector<SloupecKatalogu>& SloupceSkladeb() {
    static const std::vector<SloupecKatalogu> sloupce{
        cislo("CD", ""),           cislo("CISLO", "Pozice"),
        text("NAME", 50, "Název"), text("ARTIST", 50, "Umělec/popis"),
        cislo("DELKA", "Délka"),   text("TYP", 25, "Typ", true),
    };
    return sloupce;
}

std::vector<dbf::FieldDef> ZakladniPole(const std::vector<SloupecKatalogu>& sloupce) {
    std::vector<dbf::FieldDef> pole;
    for (const auto& s : sloupce)
        if (!s.pridany) pole.push_back(s.pole);
    return pole;
}

std::vector<dbf::FieldDef> VsechnaPole(const std::vector<SloupecKatalogu>& sloupce) {
    std::vector<dbf::FieldDef> pole;
    for (const auto& s : sloupce) pole.push_back(s.pole);
    return pole;
}

std::string TitulekSloupce(const std::vector<SloupecKatalogu>& sloupce, std::string_view jmeno) {
    for (const auto& s : sloupce)
        if (equalNoCase(s.pole.name, jmeno)) return s.titulek;
    return {};
}

const std::vector<dbf::TagDef>& TagyAlb() {
    static const std::vector<dbf::TagDef> tagy{
        {"cislo", "CISLO"},   {"SN", "SN"},       {"abcdar", "ABCDAR"},
        {"abcdal", "ABCDAL"}, {"album", "ALBUM"}, {"artist", "ARTIST"},
        {"zanr", "ZANR"},     {"typ", "TYP"},     {"puj_komu", "PUJ_KOMU"},
    };
    return tagy;
}

const std::vector<dbf::TagDef>& TagySkladeb() {
    static const std::vector<dbf::TagDef> tagy{{"CD", "CD"}};
    return tagy;
}

bool JeDatabaze(const std::string& adresar) {
    return dbf::findNoCase(adresar, kSouborAlb) && dbf::findNoCase(adresar, kSouborSkladeb);
}

void ZajistiIndexy(dbf::Engine& engine, const std::string& adresar, RezimIndexu rezim) {
    zajistiTagy(engine, adresar, kSouborAlb, TagyAlb(), rezim);
    zajistiTagy(engine, adresar, kSouborSkladeb, TagySkladeb(), rezim);
}

void VytvorTabulky(dbf::Engine& engine, const std::string& adresar) {
    engine.createTable(adresar, str(kSouborAlb), ZakladniPole(SloupceAlb()));
    engine.createTable(adresar, str(kSouborSkladeb), ZakladniPole(SloupceSkladeb()));
    ZajistiIndexy(engine, adresar, RezimIndexu::Znovu);
}

bool PridejSloupec(dbf::Engine& engine, const std::string& adresar, std::string_view soubor,
                   std::string_view sloupec, std::string_view typ) {
    {
        auto kurzor = engine.open(adresar, str(soubor));
        if (kurzor->hasField(sloupec)) return false;
    }
    engine.sql(adresar, "ALTER TABLE \"" + str(soubor) + "\" add " + str(sloupec) + " " + str(typ));
    return true;
}

int PridejSloupce(dbf::Engine& engine, const std::string& adresar) {
    int pridano = 0;
    for (const auto& p : kPismenne)
        if (PridejSloupec(engine, adresar, p.soubor, p.sloupec, p.typ)) ++pridano;
    for (const auto& p : kPridavane)
        if (PridejSloupec(engine, adresar, p.soubor, p.sloupec, p.typ)) ++pridano;
    return pridano;
}

void SkladbyAlba(dbf::Cursor& skladby, std::int64_t cd,
                 const std::function<void(dbf::Cursor&)>& akce) {
    const std::string predchozi = skladby.tag();
    skladby.setTag("CD");
    try {
        skladby.setRange(dbf::Key(cd), dbf::Key(cd));
        akce(skladby);
    } catch (...) {
        skladby.cancelRange();
        skladby.setTag(predchozi);
        throw;
    }
    skladby.cancelRange();
    skladby.setTag(predchozi);
}

std::size_t ProjdiSkladby(dbf::Cursor& skladby, std::int64_t cd,
                          const std::function<void(dbf::Cursor&)>& akce) {
    std::size_t pocet = 0;
    SkladbyAlba(skladby, cd, [&](dbf::Cursor& s) {
        for (s.first(); !s.eof(); s.next()) {
            akce(s);
            ++pocet;
        }
    });
    return pocet;
}

bool ExistujeKlic(std::string_view tag, const dbf::Key& hodnota, dbf::Cursor& kurzor) {
    kurzor.setTag(tag);
    kurzor.setRange(hodnota, hodnota);
    const bool existuje = kurzor.recordCount() > 0;
    kurzor.cancelRange();
    return existuje;
}

bool NajdiCD(std::int64_t cislo, std::string_view tag, dbf::Cursor& kurzor) {
    if (!kurzor.hasTag(tag) || !kurzor.hasField(tag)) return false;
    const std::string predchozi = kurzor.tag();
    const std::optional<dbf::Bookmark> puvodni =
        kurzor.recordNumber() != 0 ? std::optional(kurzor.bookmark()) : std::nullopt;
    kurzor.setTag(tag);
    const bool nalezeno =
        kurzor.findKey(dbf::Key(cislo)) && !kurzor.eof() && kurzor.integer(tag) == cislo;
    kurzor.setTag(predchozi);
    if (!nalezeno && puvodni && kurzor.bookmarkValid(*puvodni)) kurzor.gotoBookmark(*puvodni);
    return nalezeno;
}

const std::vector<std::string>& HodnoceniSlova() {
    static const std::vector<std::string> slova{
        "-", "ODPAD", "SLABÉ", "PRŮMĚRNÉ", "DOBRÉ", "VYNIKAJÍCÍ", "GENIÁLNÍ",
    };
    return slova;
}

std::string HodnoceniText(std::int64_t hodnoceni) {
    if (hodnoceni < 1 || hodnoceni > 6) return "-";
    return HodnoceniSlova()[static_cast<std::size_t>(hodnoceni)];
}

std::string RokText(std::int64_t rok) {
    return rok == 0 ? std::string() : std::to_string(rok);
}

KontrolaTextu ZkontrolujText(std::string_view text, std::string_view pole) {
    cp::TableText t = cp::forCp852(text);
    KontrolaTextu k;
    k.text = std::move(t.text);
    if (t.ok()) return k;
    k.znak = t.refused;
    char kod[16];
    std::snprintf(kod, sizeof kod, "U+%04X", static_cast<unsigned>(t.refusedCode));
    k.chyba = "Znak „" + k.znak + "“ (" + kod + ") nelze do databáze uložit";
    if (!pole.empty()) k.chyba += " (" + std::string(pole) + ")";
    k.chyba += t.refusedCode == cp::kReplacementMark
                   ? ".\rTento znak označuje znaky, které nešlo převést ze starší databáze."
                   : ".\rNahraďte ho jiným znakem.";
    return k;
}

}  // namespace lorvika
