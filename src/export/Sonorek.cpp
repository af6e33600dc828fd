#include "export/Sonorek.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "store/AsciiCase.h"
#include "store/Catalogue.h"
#include "store/Ini.h"
#include "store/dbf/Files.h"
#include "store/dbf/Names.h"

namespace lorvika {

namespace {

namespace fs = std::filesystem;

constexpr char kSep = static_cast<char>(fs::path::preferred_separator);

std::string join(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == kSep) return dir + name;
    return dir + kSep + name;
}

struct AlbumTxt {
    std::int64_t cislo = 0;
    std::string album, artist, zanr, zeme, pstop, sn;
};

AlbumTxt ctiAlbum(const dbf::Cursor& alba) {
    AlbumTxt a;
    a.cislo = alba.integer("CISLO");
    a.album = alba.text("ALBUM");
    a.artist = alba.text("ARTIST");
    a.zanr = alba.text("ZANR");
    a.zeme = alba.text("ZEME");
    a.pstop = std::to_string(alba.integer("PSTOP"));
    a.sn = alba.text("SN");
    return a;
}

void zajistiAdresar(const std::string& adresarTXT) {
    std::error_code ec;
    if (fs::is_directory(adresarTXT, ec)) return;
    fs::create_directories(adresarTXT, ec);
    if (ec || !fs::is_directory(adresarTXT))
        throw SonorekError("Adresář \"" + adresarTXT + "\" nelze vytvořit: " + ec.message());
}

[[noreturn]] void chybaZapisu(const std::string& soubor, int err) {
    throw IniError("Soubor \"" + soubor + "\" nelze zapsat: " + std::strerror(err));
}

// Replaces the file by a complete new one without waiting for the disk: a rebuild of thousands
// of files makes them durable together at its end.
void nahradBezCekani(const std::string& soubor, const std::string& bytes) {
    try {
        dbf::ReplacementFile novy(soubor);
        novy.write(bytes);
        novy.commit(dbf::ReplacementFile::Durability::Deferred);
    } catch (const std::system_error& e) {
        chybaZapisu(soubor, e.code().value());
    }
}

void zapisNaDisk(const std::string& adresarTXT) {
    const int fd = ::open(adresarTXT.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // nothing was written there
    const int rc = ::syncfs(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0) chybaZapisu(adresarTXT, err);
}

enum class Zapis { Hned, Pozdeji };

// Disc identities compare as the engine's names do.
std::string velkymi(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

bool jeTxt(std::string_view jmeno) {
    return jmeno.size() >= 4 && dbf::equalNoCase(jmeno.substr(jmeno.size() - 4), ".txt");
}

// The same writes, in the same order, as the key-by-key algorithm: the five album keys, then
// each track's two keys in the order of the tag.
void zapisSoubor(const AlbumTxt& a, dbf::Cursor& skladby, const std::string& adresarTXT,
                 Zapis zapis = Zapis::Hned) {
    if (a.sn.empty()) return;
    const std::string soubor = SouborTxtCD(adresarTXT, a.sn);
    zajistiAdresar(adresarTXT);
    IniZapis ini(soubor);
    // Before any write the writer's bytes are the file as read; a rebuild leaves files whose
    // content would not change untouched, which spares the disk nearly all of its work.
    const std::string puvodni = ini.obsah();
    ini.text("CD", "album", a.album);
    ini.text("CD", "artist", a.artist);
    ini.text("CD", "zanr", a.zanr);
    ini.text("CD", "zeme", a.zeme);
    ini.text("CD", "pstop", a.pstop);
    ProjdiSkladby(skladby, a.cislo, [&](dbf::Cursor& s) {
        const std::string sekce = std::to_string(s.integer("CISLO"));
        ini.text(sekce, "name", s.text("NAME"));
        ini.text(sekce, "artist", s.text("ARTIST"));
    });
    std::string obsah = ini.obsah();
    if (obsah == puvodni) return;
    if (zapis == Zapis::Hned)
        ini.uloz();
    else
        nahradBezCekani(soubor, obsah);
}

}  // namespace

std::string AdresarTXT(const std::string& adresarDB) {
    return join(adresarDB, "TXT");
}

std::string SouborTxtCD(const std::string& adresarTXT, const std::string& sn) {
    // A disc identity is made of digits and letters; one with a separator would write
    // elsewhere than the text directory.
    if (sn.find('/') != std::string::npos || sn.find(kSep) != std::string::npos ||
        sn.find('\0') != std::string::npos)
        throw SonorekError("Identifikace disku \"" + sn +
                           "\" nemůže pojmenovat soubor v adresáři \"" + adresarTXT + "\".");
    return join(adresarTXT, sn + ".txt");
}

void ZapisAdresarTXT(const std::string& sonorekIni, const std::string& adresarTXT) {
    ZapisText(sonorekIni, "Databaze", "adresarTXT", adresarTXT);
}

bool UlozTxtCD(std::int64_t cislo, dbf::Cursor& alba, dbf::Cursor& skladby,
               const std::string& adresarTXT) {
    const std::string predchozi = alba.tag();
    AlbumTxt a;
    bool nalezeno = false;
    try {
        zajistiAdresar(adresarTXT);
        alba.setTag("cislo");
        alba.setRange(dbf::Key(cislo), dbf::Key(cislo));
        if (!alba.isEmpty()) {
            alba.first();
            a = ctiAlbum(alba);
            nalezeno = true;
        }
    } catch (...) {
        if (alba.hasRange()) alba.cancelRange();
        alba.setTag(predchozi);
        throw;
    }
    alba.cancelRange();
    alba.setTag(predchozi);
    if (!nalezeno) return false;
    zapisSoubor(a, skladby, adresarTXT);
    return true;
}

std::size_t DoplnTxt(dbf::Cursor& alba, dbf::Cursor& skladby, const std::string& adresarTXT) {
    // One listing: the names present, and what interrupted writes left removed on the way.
    std::unordered_set<std::string> jsou;
    if (DIR* d = ::opendir(adresarTXT.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string_view jmeno(e->d_name);
            if (jmeno.size() > 7) {
                const std::string_view zaklad = jmeno.substr(0, jmeno.size() - 7);
                if (jeTxt(zaklad) && dbf::ReplacementFile::isLeftover(jmeno, zaklad)) {
                    ::unlinkat(::dirfd(d), e->d_name, 0);
                    continue;
                }
            }
            if (jeTxt(jmeno)) jsou.emplace(jmeno.substr(0, jmeno.size() - 4));
        }
        ::closedir(d);
    }
    // A view of its own in physical order: the caller's cursor keeps its tag and position.
    const auto alb = alba.readOnlyView();
    alb->setTag("");
    const int sloupecSN = alb->fieldIndex("SN");
    std::size_t zapsano = 0;
    std::unordered_set<std::string> nesene;
    for (alb->first(); !alb->eof(); alb->next()) {
        std::string sn = alb->text(sloupecSN);
        if (!sn.empty()) nesene.insert(velkymi(sn));
        if (sn.empty() || jsou.count(sn) || sn.find('/') != std::string::npos ||
            sn.find(kSep) != std::string::npos || sn.find('\0') != std::string::npos)
            continue;
        zapisSoubor(ctiAlbum(*alb), skladby, adresarTXT, Zapis::Pozdeji);
        jsou.insert(std::move(sn));
        ++zapsano;
    }
    bool odstraneno = false;
    for (const std::string& jmeno : jsou) {
        if (nesene.count(velkymi(jmeno))) continue;
        const std::string soubor = join(adresarTXT, jmeno + ".txt");
        if (::unlink(soubor.c_str()) == 0) {
            odstraneno = true;
        } else if (errno != ENOENT) {
            throw SonorekError("Soubor \"" + soubor +
                               "\" nelze odstranit: " + std::strerror(errno));
        }
    }
    if (zapsano > 0 || odstraneno) zapisNaDisk(adresarTXT);
    return zapsano;
}

bool UlozTxtCDPoZmene(std::int64_t cislo, const std::string& puvodniSN, dbf::Cursor& alba,
                      dbf::Cursor& skladby, const std::string& adresarTXT) {
    if (!UlozTxtCD(cislo, alba, skladby, adresarTXT)) return false;
    if (puvodniSN.empty()) return true;
    // The album still carrying its old identity keeps the file.
    {
        const auto pohled = alba.readOnlyView();
        if (!NajdiCD(cislo, "cislo", *pohled) || equalNoCase(pohled->text("SN"), puvodniSN))
            return true;
    }
    OdstranTxtCD(puvodniSN, alba, adresarTXT);
    return true;
}

void OdstranTxtCD(const std::string& sn, const dbf::Cursor& alba, const std::string& adresarTXT) {
    if (sn.empty()) return;
    std::string soubor;
    try {
        soubor = SouborTxtCD(adresarTXT, sn);
    } catch (const SonorekError&) {
        return;  // such an identity never had a file
    }
    {
        const auto pohled = alba.readOnlyView();
        if (pohled->hasTag("sn")) {
            pohled->setTag("sn");
            pohled->setRange(dbf::Key(sn), dbf::Key(sn));
            if (!pohled->isEmpty()) return;
        } else {
            pohled->setTag("");
            for (pohled->first(); !pohled->eof(); pohled->next())
                if (equalNoCase(pohled->text("SN"), sn)) return;
        }
    }
    std::error_code ec;
    fs::remove(soubor, ec);  // a missing file is no error
    if (ec) throw SonorekError("Soubor \"" + soubor + "\" nelze odstranit: " + ec.message());
}

void ObnovaTxt(dbf::Cursor& alba, dbf::Cursor& skladby, const std::string& adresarTXT,
               const std::function<void(const std::string&)>& stavovyText) {
    if (stavovyText) stavovyText("ukládám textové soubory - propojení pro Sonorek");
    const dbf::Bookmark zalozka = alba.bookmark();
    auto zpet = [&] {
        if (zalozka.record != 0 && alba.bookmarkValid(zalozka)) alba.gotoBookmark(zalozka);
        if (stavovyText) stavovyText("");
    };
    try {
        alba.first();
        // The album cursor is on each album in turn; its record is the album the key-by-key
        // walk would find by number.
        const std::size_t pocet = alba.recordCount();
        for (std::size_t i = 0; i < pocet && !alba.eof(); ++i) {
            zapisSoubor(ctiAlbum(alba), skladby, adresarTXT, Zapis::Pozdeji);
            alba.next();
        }
        zapisNaDisk(adresarTXT);
    } catch (...) {
        try {
            zapisNaDisk(adresarTXT);
        } catch (...) {
            // the first error is the one to report
        }
        zpet();
        throw;
    }
    zpet();
}

}  // namespace lorvika
