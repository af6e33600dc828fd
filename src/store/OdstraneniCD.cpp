#include "store/OdstraneniCD.h"

#include <filesystem>
#include <system_error>

#include "store/Catalogue.h"
#include "store/ZmenaAlba.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Transaction.h"

namespace lorvika {

namespace {

constexpr char kSep = std::filesystem::path::preferred_separator;

std::string cesta(const std::string& adresar, const std::string& jmeno) {
    return adresar + kSep + jmeno;
}

std::optional<OdstraneniCD> prectiZurnal(dbf::FileSystem& fs, const std::string& adresar) {
    const std::string soubor = cesta(adresar, kZurnalOdstraneni);
    if (!fs.exists(soubor)) return std::nullopt;
    std::string obsah;
    {
        auto f = fs.open(soubor, dbf::FileSystem::Mode::Read);
        obsah.resize(static_cast<std::size_t>(f->size()));
        obsah.resize(f->readAt(0, obsah.data(), obsah.size()));
    }
    const std::size_t konec1 = obsah.find('\n');
    const std::size_t konec2 = konec1 == std::string::npos ? konec1 : obsah.find('\n', konec1 + 1);
    OdstraneniCD o;
    try {
        std::size_t precteno = 0;
        o.cislo = konec2 == std::string::npos ? 0 : std::stoll(obsah.substr(0, konec1), &precteno);
        if (precteno != konec1) o.cislo = 0;
    } catch (const std::exception&) {
        o.cislo = 0;
    }
    if (o.cislo <= 0) {
        // Not a journal this program wrote whole: it names nothing to remove.
        fs.remove(soubor);
        return std::nullopt;
    }
    o.souborTxt = obsah.substr(konec1 + 1, konec2 - konec1 - 1);
    return o;
}

// Deletes the tracks, the player file and the album record; each step finds what is left, so
// running it again after an interruption finishes the work.
void odstran(dbf::Engine& engine, const std::string& adresar, dbf::Cursor& alba,
             const OdstraneniCD& o) {
    {
        auto skladby = engine.open(adresar, std::string(kSouborSkladeb));
        skladby->setTag("CD");
        skladby->setRange(dbf::Key(o.cislo), dbf::Key(o.cislo));
        for (skladby->first(); !skladby->eof();) skladby->remove();
    }
    OdstranSouborTxt(o.souborTxt);
    if (alba.recordNumber() != 0 && !alba.eof() && alba.integer("CISLO") == o.cislo) {
        alba.remove();
        if (alba.eof()) alba.last();
    } else if (NajdiCD(o.cislo, "cislo", alba)) {
        alba.remove();
        if (alba.eof()) alba.last();
    }
}

}  // namespace

void OdstranCD(dbf::Engine& engine, const std::string& adresar, dbf::Cursor& alba,
               const OdstraneniCD& odstraneni) {
    const bool naAlbu =
        alba.recordNumber() != 0 && !alba.eof() && alba.integer("CISLO") == odstraneni.cislo;
    if (!naAlbu && !NajdiCD(odstraneni.cislo, "cislo", alba))
        throw dbf::EngineError("Tabulka " + alba.fileName() + ": album číslo " +
                               std::to_string(odstraneni.cislo) + " nenalezeno.");
    const dbf::Bookmark album = alba.bookmark();
    dbf::Transaction t(engine, adresar);
    t.setNote(ZapisPoznamku(
        {PoznamkaZmeny::Druh::Odstraneni, odstraneni.cislo, {}, odstraneni.souborTxt}));
    {
        auto skladby = engine.open(adresar, std::string(kSouborSkladeb));
        ProjdiSkladby(*skladby, odstraneni.cislo,
                      [&t](dbf::Cursor& s) { t.remove(s.table(), s.recordNumber()); });
    }
    t.remove(alba.table(), album.record);
    // Afterwards the cursor stands on the next album, or on the one before the last.
    std::optional<dbf::Bookmark> potom;
    alba.next();
    if (!alba.eof()) {
        potom = alba.bookmark();
    } else {
        alba.gotoBookmark(album);
        alba.prior();
        if (!alba.bof()) potom = alba.bookmark();
    }
    t.commit();
    if (potom && alba.bookmarkValid(*potom))
        alba.gotoBookmark(*potom);
    else
        alba.first();
    OdstranSouborTxt(odstraneni.souborTxt);
}

void OdstranSouborTxt(const std::string& soubor) {
    if (soubor.empty()) return;
    std::error_code ec;
    std::filesystem::remove(soubor, ec);  // a missing file is no error
}

std::optional<OdstraneniCD> DokonciOdstraneni(dbf::Engine& engine, const std::string& adresar) {
    dbf::FileSystem& fs = engine.fileSystem();
    // A journal cut short before its rename named nothing yet.
    const std::string docasny = cesta(adresar, kZurnalOdstraneni) + ".tmp";
    if (fs.exists(docasny)) fs.remove(docasny);
    std::optional<OdstraneniCD> o = prectiZurnal(fs, adresar);
    if (!o) return std::nullopt;
    auto alba = engine.open(adresar, std::string(kSouborAlb));
    odstran(engine, adresar, *alba, *o);
    alba.reset();
    fs.remove(cesta(adresar, kZurnalOdstraneni));
    return o;
}

void ZahodOdstraneni(dbf::Engine& engine, const std::string& adresar) {
    dbf::FileSystem& fs = engine.fileSystem();
    for (const std::string& soubor :
         {cesta(adresar, kZurnalOdstraneni) + ".tmp", cesta(adresar, kZurnalOdstraneni)})
        if (fs.exists(soubor)) fs.remove(soubor);
}

}  // namespace lorvika
