#include <QCoreApplication>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/Commands.h"
#include "disc/LibcdioDevice.h"
#include "disc/Readout.h"
#include "online/Lookup.h"
#include "store/Paths.h"

namespace lorvika::cli {

namespace {

constexpr std::string_view kPouziti = "lookup ZDROJ [--mb URL] [--gnudb URL]";
constexpr int kSitovaChyba = 3;

void zajistiAplikaci() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char jmeno[] = "lorvika-db";
    static char* argv[] = {jmeno, nullptr};
    static std::unique_ptr<QCoreApplication> app = std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace

int runLookup(const Args& args, std::ostream& out, std::ostream& err) {
    std::string zdroj;
    std::optional<std::string> mb, gnudb;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--mb" || args[i] == "--gnudb") && i + 1 < args.size() &&
            !args[i + 1].empty()) {
            (args[i] == "--mb" ? mb : gnudb) = args[i + 1];
            ++i;
        } else if (zdroj.empty() && !args[i].empty() && args[i].rfind("--", 0) != 0) {
            zdroj = args[i];
        } else {
            return usageError(err, kPouziti);
        }
    }
    if (zdroj.empty()) return usageError(err, kPouziti);

    online::Settings nastaveni = online::readSettings(programIniPath());
    if (mb) nastaveni.musicBrainz = *mb;
    if (gnudb) nastaveni.gnudb = *gnudb;
    if (!nastaveni.enabled) {
        err << online::failureText("vyhledávání na internetu je v nastavení vypnuto") << '\n';
        return kSitovaChyba;
    }

    Toc toc;
    {
        LibcdioDevice disk;
        try {
            disk.open(zdroj);
            if (!disk.isOpen() || NactiSN(disk).empty()) {
                err << kNoAudioCd << '\n';
                return kProblem;
            }
            toc = disk.toc();
        } catch (const CdError& e) {
            err << e.what() << '\n';
            return kProblem;
        }
    }

    zajistiAplikaci();
    const online::LookupResult r = online::Lookup::run(toc, nastaveni, {});
    if (r.status == online::LookupResult::Status::Failed) {
        err << online::failureText(r.reason) << '\n';
        return kSitovaChyba;
    }
    if (r.releases.empty()) {
        err << "Disk nebyl v internetové databázi nalezen\n";
        return kProblem;
    }
    out << "VYDANI,ALBUM,ARTIST,ROK,VYD_F,ZEME,CISLO,NAME,TRACK_ARTIST\r\n";
    for (const online::Release& v : r.releases) {
        for (const online::ReleaseTrack& t : v.tracks) {
            const std::string rok = v.year() ? std::to_string(v.year()) : std::string();
            const std::string umelec = t.artist == v.artist ? std::string() : t.artist;
            const std::string pole[] = {v.id,
                                        v.title,
                                        v.artist,
                                        rok,
                                        v.label,
                                        online::countryName(v.country),
                                        std::to_string(t.position),
                                        t.title,
                                        umelec};
            for (std::size_t i = 0; i < std::size(pole); ++i) {
                if (i) out << ',';
                writeCsvField(out, pole[i]);
            }
            out << "\r\n";
        }
    }
    return kOk;
}

}  // namespace lorvika::cli
