#include "disc/Toc.h"

#include <cstdio>
#include <stdexcept>

namespace lorvika {

bool Toc::hasDataTrack() const {
    for (const auto& t : tracks)
        if (t.data) return true;
    return false;
}

void Toc::validate() const {
    if (tracks.empty()) throw std::invalid_argument("disc without tracks");
    if (firstTrack < 1 || lastTrack() > 99)
        throw std::invalid_argument("track number out of range");
    for (std::size_t i = 1; i < tracks.size(); ++i)
        if (tracks[i].start <= tracks[i - 1].start)
            throw std::invalid_argument("track addresses do not increase");
    // The last track must be at least two frames long, or its reported length would wrap.
    if (leadOut < tracks.back().start + 2)
        throw std::invalid_argument("lead-out before the last track ends");
}

Msf msfFromFrames(std::uint32_t frames) {
    return Msf{frames / kFramesPerMinute, (frames / kFramesPerSecond) % 60,
               frames % kFramesPerSecond};
}

std::uint32_t framesFromMsf(const Msf& msf) {
    return msf.minutes * kFramesPerMinute + msf.seconds * kFramesPerSecond + msf.frames;
}

std::uint32_t packMsf(const Msf& msf) {
    return (msf.minutes & 0xFF) | ((msf.seconds & 0xFF) << 8) | ((msf.frames & 0xFF) << 16);
}

std::uint32_t packedFromFrames(std::uint32_t frames) {
    return packMsf(msfFromFrames(frames));
}

std::uint32_t msfMinutes(std::uint32_t packed) {
    return packed & 0xFF;
}
std::uint32_t msfSeconds(std::uint32_t packed) {
    return (packed >> 8) & 0xFF;
}
std::uint32_t msfFrames(std::uint32_t packed) {
    return (packed >> 16) & 0xFF;
}

int packedSeconds(std::uint32_t packed) {
    return static_cast<int>(msfMinutes(packed) * 60 + msfSeconds(packed));
}

std::optional<Toc> audioTracks(const Toc& toc, std::uint32_t sessionGap) {
    std::size_t first = 0;
    while (first < toc.tracks.size() && toc.tracks[first].data) ++first;
    if (first == toc.tracks.size()) return std::nullopt;
    Toc audio;
    audio.firstTrack = toc.firstTrack + static_cast<int>(first);
    std::size_t end = first;
    while (end < toc.tracks.size() && !toc.tracks[end].data)
        audio.tracks.push_back(toc.tracks[end++]);
    audio.leadOut = toc.leadOut;
    if (end < toc.tracks.size()) {
        const std::uint32_t data = toc.tracks[end].start;
        const std::uint32_t last = audio.tracks.back().start;
        audio.leadOut = data >= last + 2 + sessionGap ? data - sessionGap : data;
    }
    return audio;
}

int tocTrackCount(const Toc& toc) {
    return toc.lastTrack() - toc.firstTrack + 1;
}

std::uint32_t discLengthFrames(const Toc& toc) {
    toc.validate();
    return toc.leadOut - toc.tracks.front().start - 1;
}

std::uint32_t trackLengthFrames(const Toc& toc, int track) {
    toc.validate();
    if (track < toc.firstTrack || track > toc.lastTrack())
        throw std::out_of_range("track " + std::to_string(track) + " is not on the disc");
    const auto i = static_cast<std::size_t>(track - toc.firstTrack);
    if (i + 1 == toc.tracks.size()) return toc.leadOut - toc.tracks[i].start - 1;
    return toc.tracks[i + 1].start - toc.tracks[i].start;
}

std::string minSecText(std::uint32_t minutes, std::uint32_t seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u:%02u", minutes, seconds);
    return buf;
}

std::string packedLengthText(std::uint32_t packed) {
    return minSecText(msfMinutes(packed), msfSeconds(packed));
}

}  // namespace lorvika
