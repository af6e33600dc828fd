#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "disc/Toc.h"

// The volume serial number a disc reports and the disc identity built from it. The serial rules
// are those of the original platform's CD file system, so that an identity stored there still
// names the same physical disc here.
namespace lorvika {

inline constexpr std::size_t kIdentityWidth = 30;
inline constexpr std::size_t kSectorSize = 2048;

// Serial of a disc without a file system: the packed start addresses of all tracks summed, plus
// the span from the first track to the lead-out for a disc of one or two tracks.
std::uint32_t audioVolumeSerial(const Toc& toc);

// Four byte-wise checksums of a volume descriptor read as one little-endian number.
std::uint32_t descriptorChecksum(std::span<const std::uint8_t, kSectorSize> descriptor);

// Reads one 2048-byte user-data sector at a logical sector number (LBA - 150); false on failure.
using SectorReader =
    std::function<bool(std::uint32_t lsn, std::span<std::uint8_t, kSectorSize> out)>;

// Checksum of the active volume descriptor (Joliet when present, else primary) of the ISO 9660
// volume that starts at one of the given sessions, tried in order; nullopt when none has one.
// Only sectors inside data tracks are read.
std::optional<std::uint32_t> isoVolumeSerial(const Toc& toc, const SectorReader& read,
                                             std::span<const std::uint32_t> sessionStarts);

// The serial as the platform reports it: the ISO volume's when the disc has one (the last
// session first), otherwise the audio serial. lastSessionLsn is the start of the last session
// when the drive tells it.
std::uint32_t discVolumeSerial(const Toc& toc, const SectorReader& read,
                               std::optional<std::uint32_t> lastSessionLsn);

// tracks "-" packed length "-" signed serial, cut to 30 characters.
std::string composeIdentity(int tracks, std::uint32_t packedLength, std::uint32_t serial);

}  // namespace lorvika
