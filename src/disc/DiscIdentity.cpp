#include "disc/DiscIdentity.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace lorvika {

std::uint32_t audioVolumeSerial(const Toc& toc) {
    toc.validate();
    std::uint32_t serial = 0;
    if (toc.tracks.size() <= 2) serial = toc.leadOut - toc.tracks.front().start;
    for (const auto& t : toc.tracks) {
        const Msf m = msfFromFrames(t.start);
        serial += (m.minutes << 16) + (m.seconds << 8) + m.frames;
    }
    return serial;
}

std::uint32_t descriptorChecksum(std::span<const std::uint8_t, kSectorSize> descriptor) {
    std::array<std::uint8_t, 4> lanes{};
    for (std::size_t i = 0; i < descriptor.size(); ++i) lanes[3 - (i % 4)] += descriptor[i];
    return static_cast<std::uint32_t>(lanes[0]) | (static_cast<std::uint32_t>(lanes[1]) << 8) |
           (static_cast<std::uint32_t>(lanes[2]) << 16) |
           (static_cast<std::uint32_t>(lanes[3]) << 24);
}

namespace {

constexpr std::uint32_t kFirstDescriptor = 16;
// A volume descriptor set longer than this is not one the platform would mount either.
constexpr std::uint32_t kMaxDescriptors = 64;

bool inDataTrack(const Toc& toc, std::uint32_t lsn) {
    const std::uint32_t address = lsn + kPregapFrames;
    for (std::size_t i = 0; i < toc.tracks.size(); ++i) {
        const std::uint32_t end = i + 1 < toc.tracks.size() ? toc.tracks[i + 1].start : toc.leadOut;
        if (address >= toc.tracks[i].start && address < end) return toc.tracks[i].data;
    }
    return false;
}

bool isJoliet(std::span<const std::uint8_t, kSectorSize> d) {
    if (d[88] != '%' || d[89] != '/') return false;
    return d[90] == '@' || d[90] == 'C' || d[90] == 'E';
}

std::optional<std::uint32_t> serialOfVolumeAt(const Toc& toc, const SectorReader& read,
                                              std::uint32_t sessionStart) {
    std::array<std::uint8_t, kSectorSize> sector{};
    std::optional<std::uint32_t> primary;
    for (std::uint32_t n = 0; n < kMaxDescriptors; ++n) {
        const std::uint32_t lsn = sessionStart + kFirstDescriptor + n;
        if (!inDataTrack(toc, lsn) || !read(lsn, sector)) break;
        if (std::memcmp(sector.data() + 1, "CD001", 5) != 0) break;
        const std::uint8_t type = sector[0];
        if (type == 255) break;
        if (type == 1 && !primary) primary = descriptorChecksum(sector);
        // Joliet names are what the platform shows, so its descriptor is the active one.
        if (type == 2 && primary && isJoliet(sector)) return descriptorChecksum(sector);
    }
    return primary;
}

}  // namespace

std::optional<std::uint32_t> isoVolumeSerial(const Toc& toc, const SectorReader& read,
                                             std::span<const std::uint32_t> sessionStarts) {
    for (const std::uint32_t start : sessionStarts)
        if (auto serial = serialOfVolumeAt(toc, read, start)) return serial;
    return std::nullopt;
}

std::uint32_t discVolumeSerial(const Toc& toc, const SectorReader& read,
                               std::optional<std::uint32_t> lastSessionLsn) {
    toc.validate();
    if (toc.hasDataTrack()) {
        std::vector<std::uint32_t> starts;
        if (lastSessionLsn && *lastSessionLsn > 0) {
            starts.push_back(*lastSessionLsn);
        } else if (toc.tracks.back().data && toc.tracks.size() > 1 &&
                   !toc.tracks[toc.tracks.size() - 2].data) {
            // An image does not tell its sessions; a data track after audio is the second
            // session of an Enhanced CD.
            starts.push_back(toc.tracks.back().start - kPregapFrames);
        }
        if (std::find(starts.begin(), starts.end(), 0u) == starts.end()) starts.push_back(0);
        if (auto serial = isoVolumeSerial(toc, read, starts)) return *serial;
    }
    return audioVolumeSerial(toc);
}

std::string composeIdentity(int tracks, std::uint32_t packedLength, std::uint32_t serial) {
    const auto signedSerial = static_cast<std::int32_t>(serial);
    std::string id = std::to_string(tracks) + "-" + std::to_string(packedLength) + "-" +
                     std::to_string(signedSerial);
    if (id.size() > kIdentityWidth) id.resize(kIdentityWidth);
    return id;
}

}  // namespace lorvika
