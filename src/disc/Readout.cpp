#include "disc/Readout.h"

#include "disc/DiscIdentity.h"
#include "disc/Toc.h"

namespace lorvika {

std::string NactiSN(CdDevice& player) {
    if (player.mode() == CdMode::Open) return {};
    // With no drive root there is no medium to ask about.
    const std::string root = player.element();
    const std::uint32_t serial = root.empty() ? 0 : player.volumeSerial(root);
    const std::uint32_t length = player.length();
    const int tracks = player.tracks();
    return composeIdentity(tracks, length, serial);
}

TrackReadout readTracks(CdDevice& player) {
    TrackReadout r;
    r.tracks = player.tracks();
    r.packedLength = player.length();
    r.totalSeconds = packedSeconds(r.packedLength);
    r.trackSeconds.reserve(static_cast<std::size_t>(r.tracks));
    for (int t = 1; t <= r.tracks; ++t)
        r.trackSeconds.push_back(packedSeconds(player.trackLength(t)));
    return r;
}

}  // namespace lorvika
