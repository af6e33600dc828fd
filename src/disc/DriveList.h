#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "disc/CdDevice.h"

// The entries of the drive list every disc-reading form shows, and what choosing one does.
namespace lorvika {

inline constexpr const char* kDiscImageEntry = "Obraz disku…";

struct MountInfo {
    std::string device;
    std::string mountPoint;
    std::string fsType;
};

struct DriveEntry {
    enum class Kind { CdDrive, FileSystem, Image };
    Kind kind = Kind::CdDrive;
    std::string path;   // drive device or mount point; empty for the image entry
    std::string label;  // what the list shows
    bool operator==(const DriveEntry&) const = default;
};

// Lines in the format of /proc/self/mounts (octal escapes such as \040 decoded).
std::vector<MountInfo> parseMounts(std::istream& in);
std::vector<MountInfo> systemMounts();

// The CD drives first, then the mounted file systems that hold files (not the pseudo file
// systems of the kernel and not the CD drives' own mounts), then the image entry.
std::vector<DriveEntry> buildDriveList(const std::vector<std::string>& cdDrives,
                                       const std::vector<MountInfo>& mounts);
// The list the disc-reading windows show: the device's CD drives and the image entry. Mounted
// file systems are not offered: no audio CD is read from them.
std::vector<DriveEntry> listDrives(CdDevice& device);
// The same with this machine's drives.
std::vector<DriveEntry> listDrives();

// The mount a path lies on (the longest mount point that contains it).
std::optional<MountInfo> mountOf(const std::string& path, const std::vector<MountInfo>& mounts);
DriveType driveTypeOfMount(const MountInfo& mount);

// Choosing a drive: close the device, point it at the root, and open it only when the root is a
// CD drive holding a readable medium. Errors of opening reach the caller.
void DriveCBChange(CdDevice& player, const std::string& root);

// Choosing an entry of the list. The image entry asks for a file (askImage gives nullopt when the
// user cancels: then nothing changes and the result is false) and opens the device on it, so that
// a file that is no disc image is reported rather than silently ignored.
bool chooseDrive(CdDevice& player, const DriveEntry& entry,
                 const std::function<std::optional<std::string>()>& askImage);

}  // namespace lorvika
