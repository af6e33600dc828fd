#include "disc/DiscReport.h"

#include <ostream>

#include "disc/DiscIds.h"
#include "disc/Readout.h"
#include "disc/Toc.h"

namespace lorvika {

int writeDiscReport(CdDevice& device, const std::string& source, std::ostream& out,
                    std::ostream& err) {
    try {
        device.open(source);
        if (!device.isOpen()) {
            err << "Počítač nemá žádnou mechaniku CD\n";
            return 1;
        }
        const std::string sn = NactiSN(device);
        if (sn.empty()) {
            err << kNoAudioCd << '\n';
            return 1;
        }
        const TrackReadout r = readTracks(device);
        // Everything is read before anything is written, so a failure prints no half report.
        std::string report = "SN=" + sn + "\nTRACKS=" + std::to_string(r.tracks) +
                             "\nLENGTH=" + packedLengthText(r.packedLength) + "\n";
        if (const auto ids = computeDiscIds(device.toc()))
            report += "MBID=" + ids->musicBrainz + "\nFREEDB=" + ids->freedb + "\n";
        for (int t = 1; t <= r.tracks; ++t)
            report +=
                "TRACK=" + std::to_string(t) + " " + packedLengthText(device.trackLength(t)) + "\n";
        const CdText text = device.cdText();
        if (!text.title.empty()) report += "TITLE=" + text.title + "\n";
        if (!text.performer.empty()) report += "PERFORMER=" + text.performer + "\n";
        out << report;
        return 0;
    } catch (const CdError& e) {
        err << e.what() << '\n';
        return 1;
    }
}

}  // namespace lorvika
