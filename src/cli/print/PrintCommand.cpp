#include <QGuiApplication>
#include <memory>
#include <ostream>

#include "cli/Commands.h"
#include "cli/print/Tisk.h"
#include "reports/Sestava.h"
#include "store/Catalogue.h"
#include "store/dbf/EngineError.h"

namespace lorvika::cli {

namespace {

constexpr std::string_view kPouziti =
    "print ADRESÁŘ --typ 1|2|3 --pdf SOUBOR [--tag JMÉNO] [--velka] [--alespon-jedne] "
    "[PODMÍNKA ...]";

// Fonts need a GUI application; a command line has no display, so the offscreen platform
// stands in unless the caller chose one.
void zajistiAplikaci() {
    if (QCoreApplication::instance()) return;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char jmeno[] = "lorvika-db";
    static char* argv[] = {jmeno, nullptr};
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

bool vyberZPodminek(const TiskArgs& args, dbf::Engine& engine, VyberAlb& vyber,
                    std::string& chyba) {
    (void)engine;
    vyber = {};
    if (args.podminky.empty() && !args.alesponJedne) return true;
    // The search conditions join here with the search evaluation (lorvika-db search).
    chyba = "Podmínky hledání tento program zatím neumí; vytiskněte seznam bez nich.";
    return false;
}

int tiskni(const TiskArgs& args, const VyberAlb& vyber, std::ostream& out, std::ostream& err) {
    zajistiAplikaci();
    dbf::Engine engine;
    try {
        auto alba = engine.open(args.adresar, std::string(kSouborAlb));
        if (!args.tag.empty() && !alba->hasTag(args.tag)) {
            err << "Tabulka " << kSouborAlb << " nemá tag " << args.tag << '\n';
            return kProblem;
        }
        alba->setTag(args.tag);
        if (vyber) {
            alba->setFilter(vyber);
            alba->setFiltered(true);
        }
        NastaveniSestavy n;
        n.typ = args.typ;
        n.velka = args.velka;
        const VysledekSestavy v = SestavaDoPdf(args.pdf, *alba, n);
        if (v.stran == 0) {
            err << "Žádné AudioCD k tisku; soubor " << args.pdf << " nebyl vytvořen.\n";
            return kProblem;
        }
        out << "Zapsáno " << args.pdf << ": " << v.pocet << " AudioCD, " << v.stran
            << (v.stran == 1  ? " strana"
                : v.stran < 5 ? " strany"
                              : " stran")
            << '\n';
    } catch (const dbf::EngineError& e) {
        err << e.what() << '\n';
        return kProblem;
    } catch (const ChybaSestavy& e) {
        err << e.what() << '\n';
        return kProblem;
    }
    return kOk;
}

int runPrint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TiskArgs a;
    bool typ = false, pdf = false, tag = false;
    std::vector<std::string> pozicni;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& s = args[i];
        const bool dalsi = i + 1 < args.size();
        if (s == "--typ") {
            if (typ || !dalsi) return usageError(err, kPouziti);
            const std::string& t = args[++i];
            if (t != "1" && t != "2" && t != "3") return usageError(err, kPouziti);
            a.typ = t[0] - '0';
            typ = true;
        } else if (s == "--pdf") {
            if (pdf || !dalsi || args[i + 1].empty()) return usageError(err, kPouziti);
            a.pdf = args[++i];
            pdf = true;
        } else if (s == "--tag") {
            if (tag || !dalsi) return usageError(err, kPouziti);
            a.tag = args[++i];
            tag = true;
        } else if (s == "--velka") {
            a.velka = true;
        } else if (s == "--alespon-jedne") {
            a.alesponJedne = true;
        } else if (s.starts_with("--")) {
            return usageError(err, kPouziti);
        } else {
            pozicni.push_back(s);
        }
    }
    if (!typ || !pdf || pozicni.empty()) return usageError(err, kPouziti);
    a.adresar = pozicni[0];
    a.podminky.assign(pozicni.begin() + 1, pozicni.end());
    if (!requireDatabase(a.adresar, err)) return kProblem;

    VyberAlb vyber;
    std::string chyba;
    {
        dbf::Engine engine;
        if (!vyberZPodminek(a, engine, vyber, chyba)) {
            err << chyba << '\n';
            return kUsage;
        }
    }
    return tiskni(a, vyber, out, err);
}

}  // namespace lorvika::cli
