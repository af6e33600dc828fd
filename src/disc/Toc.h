#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A disc's table of contents as the drive reports it, and the arithmetic on frame counts and
// packed minute/second/frame values that the rest of the program works with.
namespace lorvika {

inline constexpr std::uint32_t kFramesPerSecond = 75;
inline constexpr std::uint32_t kFramesPerMinute = 60 * kFramesPerSecond;
// Absolute addresses start two seconds before the first user sector.
inline constexpr std::uint32_t kPregapFrames = 150;

struct TocTrack {
    std::uint32_t start = 0;  // absolute frame address (LBA + 150)
    bool data = false;
};

struct Toc {
    int firstTrack = 1;
    std::vector<TocTrack> tracks;  // tracks[i] is track firstTrack + i
    std::uint32_t leadOut = 0;     // absolute frame address of the lead-out

    int lastTrack() const { return firstTrack + static_cast<int>(tracks.size()) - 1; }
    bool hasDataTrack() const;
    // Throws std::invalid_argument for an empty TOC, addresses that do not increase, or a
    // lead-out not after the last track.
    void validate() const;
};

// An address split into minutes, seconds and frames (binary, not BCD).
struct Msf {
    std::uint32_t minutes = 0;
    std::uint32_t seconds = 0;
    std::uint32_t frames = 0;
    bool operator==(const Msf&) const = default;
};

Msf msfFromFrames(std::uint32_t frames);
std::uint32_t framesFromMsf(const Msf& msf);

// Packed form: minutes in the low byte, then seconds, then frames; the top byte is 0.
std::uint32_t packMsf(const Msf& msf);
std::uint32_t packedFromFrames(std::uint32_t frames);
std::uint32_t msfMinutes(std::uint32_t packed);
std::uint32_t msfSeconds(std::uint32_t packed);
std::uint32_t msfFrames(std::uint32_t packed);
// Whole seconds of a packed length; the frames never add a second.
int packedSeconds(std::uint32_t packed);

// Frames between the audio session's lead-out and the data track of a multi-session disc.
inline constexpr std::uint32_t kSessionGapFrames = 11400;

// The audio tracks as the CD-audio device plays them: data tracks before them are left out, and
// the audio ends where a data track after them begins (sessionGap frames earlier when it lies in
// a later session). std::nullopt for a disc without an audio track.
std::optional<Toc> audioTracks(const Toc& toc, std::uint32_t sessionGap = 0);

// Track count, disc length and track lengths in frames, the way the CD-audio device reports
// them: the last track and the disc both end one frame before the lead-out.
int tocTrackCount(const Toc& toc);
std::uint32_t discLengthFrames(const Toc& toc);
// track counted from firstTrack; throws std::out_of_range for a track not on the disc.
std::uint32_t trackLengthFrames(const Toc& toc, int track);

// "mm:ss" with two digits each (more when the minutes need them).
std::string minSecText(std::uint32_t minutes, std::uint32_t seconds);
std::string packedLengthText(std::uint32_t packed);

}  // namespace lorvika
