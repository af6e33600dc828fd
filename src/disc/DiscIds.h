#pragma once

#include <optional>
#include <string>

#include "disc/CdDevice.h"
#include "disc/Toc.h"

// The disc IDs the online disc databases know a disc by, computed with libdiscid.
namespace lorvika {

// Data session of an enhanced CD: the audio session ends this many frames before it starts.
inline constexpr std::uint32_t kEnhancedCdGapFrames = 11400;

struct DiscIds {
    std::string musicBrainz;  // 28 characters
    std::string freedb;       // 8 lower-case hex digits
    // The audio part MusicBrainz counts: its first and last track, offsets, lead-out.
    int firstTrack = 1;
    int lastTrack = 1;
    std::uint32_t leadOut = 0;
    // "toc=" value of a MusicBrainz fuzzy lookup: first, last, lead-out, offsets joined by "+".
    std::string mbToc;
};

// The tracks after the last audio track of an enhanced CD are left out of the MusicBrainz ID and
// the lead-out moved to the data track's start minus 11,400 frames; the freedb ID counts every
// track and the real lead-out, as CDDB servers do. nullopt for a disc without audio tracks.
std::optional<DiscIds> computeDiscIds(const Toc& toc);

// The MusicBrainz ID of the disc in an open device; empty when the device cannot tell or the disc
// has no audio track (the album is then stored without one).
std::string musicBrainzIdOf(CdDevice& device);

}  // namespace lorvika
