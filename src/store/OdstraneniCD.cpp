#include "store/OdstraneniCD.h"

#include <filesystem>
#include <system_error>

#include "store/Catalogue.h"

namespace lorvika {

namespace {

constexpr char kSep = std::filesystem::path::preferred_separator;

std::string cesta(const std::string& adresar, const std::string& jmeno) {
    return adresar + kSep + jmeno;
}

// "cislo\nsoubor\n", written beside and renamed into place, so the journal is whole or absent.
void zapisZurnal(dbf::FileSystem& fs, const std::string& adresar, const OdstraneniCD& o) {
    const std::string obsah = std::to_string(o.cislo) + '\n' + o.souborTxt + '\n';
    const std::string cil = cesta(adresar, kZurnalOdstraneni);
    const std::string docasny = cil + ".tmp";
    {
        auto f = fs.open(docasny, dbf::FileSystem::Mode::Create);
        f->writeAt(0, obsah.data(), obsah.size());
        f->sync();
    }
    fs.rename(docasny, cil);
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
    if (!o.souborTxt.empty()) {
        std::error_code ec;
        std::filesystem::remove(o.souborTxt, ec);  // a missing file is no error
    }
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
    dbf::FileSystem& fs = engine.fileSystem();
    zapisZurnal(fs, adresar, odstraneni);
    odstran(engine, adresar, alba, odstraneni);
    fs.remove(cesta(adresar, kZurnalOdstraneni));
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

}  // namespace lorvika
