#include <filesystem>
#include <ostream>

#include "cli/Commands.h"
#include "cli/OpenServices.h"
#include "export/Sonorek.h"
#include "export/ZipArchiv.h"
#include "store/DatabaseSession.h"
#include "store/dbf/EngineError.h"

namespace lorvika::cli {

int runOpen(const Args& args, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsageText = "open ADRESÁŘ";
    if (args.size() != 1 || args[0].empty() || args[0].starts_with("-")) {
        return usageError(err, kUsageText);
    }
    const std::string dir = std::filesystem::absolute(args[0]).lexically_normal().string();
    // the opening of the program would create a missing database; here that is `create`'s job
    if (!requireDatabase(dir, err)) return kProblem;

    StreamMessages messages(err);
    NoDialogs dialogs;
    StreamStatus status(out);
    DatabaseSession session(programPaths(), messages, dialogs, status);
    ZipArchiv archive(
        status, [&session] { session.ZavriTabulky(); }, [&session] { session.OtevriTabulky(); });
    session.setArchive(&archive);
    session.setDoplneniTxt(&DoplnTxt);

    bool ok = false;
    try {
        ok = session.NactiDB(dir, false, false);
    } catch (const dbf::EngineError& e) {
        // the tables could not be opened again after the automatic backup
        err << "Databázi v adresáři: " << dir << " nelze otevřít: " << e.what() << '\n';
        return kProblem;
    }
    const PrubehOtevreni& p = session.prubeh();
    if (!p.uschovano.empty()) out << "Původní tabulky uschovány do " << p.uschovano << '\n';
    for (const std::string& t : p.prevedene) {
        out << "Tabulka " << t << " převedena do kódové stránky 852\n";
    }
    if (p.pridaneSloupce > 0) out << "Přidáno sloupců: " << p.pridaneSloupce << '\n';
    for (const std::string& t : p.pridaneTagy) out << "Přidán index: " << t << '\n';
    if (!ok) {
        err << "Databázi v adresáři: " << dir << " nelze otevřít";
        if (!p.chyba.empty()) err << ": " << p.chyba;
        err << '\n';
        return kProblem;
    }
    if (p.doplneneTxt > 0)
        out << "Zapsány chybějící soubory pro Sonorek: " << p.doplneneTxt << '\n';
    if (!p.zaloha) {
        out << "Automatická záloha je vypnuta\n";
    } else if (*p.zaloha) {
        out << "Záloha uložena do zaloha.zip\n";
    } else {
        out << "Záloha se nezdařila: " << archive.posledniChyba() << '\n';
    }
    out << "Otevřena databáze: " << dir << " (AudioCD: " << session.pocetCD()
        << ", skladeb: " << session.TSkladby()->recordCount() << ")\n";
    return kOk;
}

}  // namespace lorvika::cli
