#include "store/Prerusene.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include "store/AsciiCase.h"
#include "store/Catalogue.h"
#include "store/LangDriver.h"
#include "store/dbf/Engine.h"
#include "store/dbf/Files.h"

namespace lorvika {

namespace {

// Files replaced by a complete new one leave "name.XXXXXX" when killed; the restore of earlier
// versions put the old tables aside as "name.old.XXXXXX"; libzip writes "archive.XXXXXX".
constexpr std::string_view kZaklady[] = {
    "cddata.DBF",     "cdskladby.DBF",     "cddata.mdx",        "cdskladby.mdx",
    "cddata.cpg",     "cdskladby.cpg",     "cddata.DBF.old",    "cdskladby.DBF.old",
    "cddata.mdx.old", "cdskladby.mdx.old", "pred-prevodem.zip", "pred-prevodem.zip.tmp",
    "zaloha.zip",     "zaloha-nova.zip"};
// A pack or an added column writes "name.tmp"; the backups their work files.
constexpr std::string_view kCele[] = {
    "cddata.DBF.tmp",        "cdskladby.DBF.tmp", "cddata.mdx.tmp",          "cdskladby.mdx.tmp",
    "pred-prevodem.zip.tmp", "zaloha-nova.zip",   "zaloha-predchozi.zip.tmp"};

bool jeZbytek(std::string_view jmeno) {
    for (std::string_view c : kCele)
        if (equalNoCase(jmeno, c)) return true;
    for (std::string_view z : kZaklady)
        if (dbf::ReplacementFile::isLeftover(jmeno, z)) return true;
    return false;
}

bool jeSoubor(const std::string& cesta) {
    struct stat st {};
    return ::lstat(cesta.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

Prerusene DokonciPrerusene(const std::string& adresar) {
    Prerusene p;
    std::vector<std::string> zbytky;
    bool obnova = false;
    if (DIR* d = ::opendir(adresar.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            if (jeZbytek(e->d_name)) zbytky.emplace_back(e->d_name);
            if (equalNoCase(e->d_name, dbf::kRestoreFolder)) obnova = true;
        }
        ::closedir(d);
    }
    // Nothing left behind: the tables' lock is not needed (this program may hold them).
    if (zbytky.empty() && !obnova) return p;
    // No other running program may have the tables open while files beside them go.
    const dbf::TableLock zamek(adresar, {std::string(kSouborAlb), std::string(kSouborSkladeb)});
    try {
        p.obnova = dbf::finishStaged(adresar, dbf::kRestoreFolder);
    } catch (const std::system_error& e) {
        throw TableFileError("Přerušené nahrazení databáze zálohou nelze dokončit: " +
                             std::string(e.what()));
    }
    for (const std::string& jmeno : zbytky) {
        const std::string cesta = adresar + "/" + jmeno;
        if (!jeSoubor(cesta)) continue;
        if (::unlink(cesta.c_str()) == 0) {
            ++p.odstraneno;
        } else if (errno != ENOENT) {
            throw TableFileError("Soubor \"" + cesta +
                                 "\" nelze odstranit: " + std::strerror(errno));
        }
    }
    if (p.odstraneno > 0) dbf::syncDirectory(adresar);
    return p;
}

}  // namespace lorvika
