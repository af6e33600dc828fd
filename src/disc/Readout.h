#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disc/CdDevice.h"

// What the disc-reading forms ask of their player.
namespace lorvika {

inline constexpr const char* kNoAudioCd = "Disk neobsahuje žádné AudioCD - nelze načíst";

// The disc identity; empty when the door is open or no disc is in the drive (and then nothing
// else is asked of the device). Throws CdError(kNoDeviceOpen) when the device is closed.
std::string NactiSN(CdDevice& player);

struct TrackReadout {
    int tracks = 0;
    std::uint32_t packedLength = 0;
    int totalSeconds = 0;
    std::vector<int> trackSeconds;  // [i] is track i + 1
};

// Track count, total length and every track's length in whole seconds.
TrackReadout readTracks(CdDevice& player);

}  // namespace lorvika
