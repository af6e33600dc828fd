#include "disc/DiscIds.h"

#include <discid/discid.h>

#include <memory>

namespace lorvika {

namespace {

struct DiscIdFree {
    void operator()(DiscId* d) const { discid_free(d); }
};
using DiscIdPtr = std::unique_ptr<DiscId, DiscIdFree>;

// offsets[0] is the lead-out, offsets[n] the start of track n (libdiscid's layout).
DiscIdPtr put(const Toc& toc, int last, std::uint32_t leadOut) {
    int offsets[100] = {};
    offsets[0] = static_cast<int>(leadOut);
    for (int t = toc.firstTrack; t <= last; ++t)
        offsets[t] =
            static_cast<int>(toc.tracks[static_cast<std::size_t>(t - toc.firstTrack)].start);
    DiscIdPtr d(discid_new());
    if (!d || !discid_put(d.get(), toc.firstTrack, last, offsets)) return nullptr;
    return d;
}

}  // namespace

std::optional<DiscIds> computeDiscIds(const Toc& toc) {
    if (toc.tracks.empty() || toc.firstTrack < 1 || toc.lastTrack() > 99) return std::nullopt;
    int lastAudio = 0;
    for (int t = toc.firstTrack; t <= toc.lastTrack(); ++t)
        if (!toc.tracks[static_cast<std::size_t>(t - toc.firstTrack)].data) lastAudio = t;
    if (lastAudio == 0) return std::nullopt;
    std::uint32_t audioLeadOut = toc.leadOut;
    if (lastAudio < toc.lastTrack()) {
        const std::uint32_t dataStart =
            toc.tracks[static_cast<std::size_t>(lastAudio + 1 - toc.firstTrack)].start;
        audioLeadOut = dataStart > kEnhancedCdGapFrames ? dataStart - kEnhancedCdGapFrames : 0;
    }
    const DiscIdPtr mb = put(toc, lastAudio, audioLeadOut);
    const DiscIdPtr all = put(toc, toc.lastTrack(), toc.leadOut);
    if (!mb || !all) return std::nullopt;
    DiscIds ids;
    ids.musicBrainz = discid_get_id(mb.get());
    ids.freedb = discid_get_freedb_id(all.get());
    ids.firstTrack = toc.firstTrack;
    ids.lastTrack = lastAudio;
    ids.leadOut = audioLeadOut;
    ids.mbToc = discid_get_toc_string(mb.get());
    for (char& c : ids.mbToc)
        if (c == ' ') c = '+';
    return ids;
}

std::string musicBrainzIdOf(CdDevice& device) {
    try {
        const auto ids = computeDiscIds(device.toc());
        return ids ? ids->musicBrainz : std::string();
    } catch (const CdError&) {
        return {};
    }
}

}  // namespace lorvika
