#include "disc/DriveList.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

#include <cdio/cdio.h>

namespace lorvika {

namespace {

std::string unescapeMountField(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto octal = [&](std::size_t k) { return s[k] >= '0' && s[k] <= '7'; };
        if (s[i] == '\\' && i + 3 < s.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += static_cast<char>(((s[i + 1] - '0') << 6) | ((s[i + 2] - '0') << 3) |
                                     (s[i + 3] - '0'));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool isNetworkFs(std::string_view type) {
    static const std::set<std::string_view> net{"nfs",   "nfs4",       "cifs", "smb3",
                                                "smbfs", "fuse.sshfs", "9p",   "afs"};
    return net.contains(type);
}

bool holdsFiles(const MountInfo& m) {
    if (isNetworkFs(m.fsType)) return true;
    // Snap packages and other read-only loop images are not places the user keeps things.
    if (m.fsType == "squashfs") return false;
    return m.device.starts_with("/dev/") || m.mountPoint == "/";
}

std::string canonical(const std::string& path) {
    std::error_code ec;
    auto p = std::filesystem::canonical(path, ec);
    return ec ? path : p.string();
}

}  // namespace

std::vector<MountInfo> parseMounts(std::istream& in) {
    std::vector<MountInfo> mounts;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        MountInfo m;
        if (!(fields >> m.device >> m.mountPoint >> m.fsType)) continue;
        m.device = unescapeMountField(m.device);
        m.mountPoint = unescapeMountField(m.mountPoint);
        mounts.push_back(std::move(m));
    }
    return mounts;
}

std::vector<MountInfo> systemMounts() {
    std::ifstream in("/proc/self/mounts");
    return parseMounts(in);
}

std::vector<DriveEntry> buildDriveList(const std::vector<std::string>& cdDrives,
                                       const std::vector<MountInfo>& mounts) {
    std::vector<DriveEntry> list;
    std::set<std::string> cdDevices;
    for (const auto& d : cdDrives) {
        const std::string real = canonical(d);
        if (!cdDevices.insert(real).second) continue;  // /dev/cdrom and /dev/sr0 are one drive
        cdDevices.insert(d);
        list.push_back({DriveEntry::Kind::CdDrive, d, "CD " + d});
    }
    std::set<std::string> seen;
    for (const auto& m : mounts) {
        if (!holdsFiles(m) || cdDevices.contains(m.device) ||
            cdDevices.contains(canonical(m.device)))
            continue;
        if (!seen.insert(m.mountPoint).second) continue;
        list.push_back({DriveEntry::Kind::FileSystem, m.mountPoint, m.mountPoint});
    }
    list.push_back({DriveEntry::Kind::Image, "", kDiscImageEntry});
    return list;
}

std::vector<DriveEntry> listDrives(CdDevice& device) {
    return buildDriveList(device.cdDrives(), {});
}

std::vector<DriveEntry> listDrives() {
    std::vector<std::string> drives;
    if (char** devices = cdio_get_devices(DRIVER_DEVICE)) {
        for (char** d = devices; *d; ++d) drives.emplace_back(*d);
        cdio_free_device_list(devices);
    }
    return buildDriveList(drives, {});
}

std::optional<MountInfo> mountOf(const std::string& path, const std::vector<MountInfo>& mounts) {
    const std::filesystem::path p = std::filesystem::path(path).lexically_normal();
    std::optional<MountInfo> best;
    for (const auto& m : mounts) {
        const std::filesystem::path mp = std::filesystem::path(m.mountPoint).lexically_normal();
        auto [mpEnd, pIt] = std::mismatch(mp.begin(), mp.end(), p.begin(), p.end());
        const bool contains = mpEnd == mp.end() || (std::next(mpEnd) == mp.end() && mpEnd->empty());
        if (!contains) continue;
        // Later mounts hide earlier ones on the same point.
        if (!best || m.mountPoint.size() >= best->mountPoint.size()) best = m;
    }
    return best;
}

DriveType driveTypeOfMount(const MountInfo& mount) {
    if (isNetworkFs(mount.fsType)) return DriveType::Remote;
    if (mount.fsType == "tmpfs" || mount.fsType == "ramfs") return DriveType::RamDisk;
    if (mount.fsType == "iso9660" || mount.fsType == "udf") {
        if (mount.device.starts_with("/dev/sr")) return DriveType::CdRom;
    }
    if (mount.device.starts_with("/dev/")) {
        // /sys/block/<disk>/removable tells USB sticks and card readers from fixed disks.
        std::string name = std::filesystem::path(canonical(mount.device)).filename().string();
        for (std::string disk = name; !disk.empty(); disk.pop_back()) {
            std::ifstream flag("/sys/block/" + disk + "/removable");
            char c = 0;
            if (flag >> c) return c == '1' ? DriveType::Removable : DriveType::Fixed;
        }
    }
    return DriveType::Fixed;
}

void DriveCBChange(CdDevice& player, const std::string& root) {
    player.close();
    player.setElement(root);
    if (player.hasReadableMedium(root) && player.driveType(root) == DriveType::CdRom)
        player.open(root);
}

bool chooseDrive(CdDevice& player, const DriveEntry& entry,
                 const std::function<std::optional<std::string>()>& askImage) {
    if (entry.kind != DriveEntry::Kind::Image) {
        DriveCBChange(player, entry.path);
        return true;
    }
    const std::optional<std::string> image = askImage ? askImage() : std::nullopt;
    if (!image || image->empty()) return false;
    player.close();
    player.setElement(*image);
    player.open(*image);
    return true;
}

}  // namespace lorvika
