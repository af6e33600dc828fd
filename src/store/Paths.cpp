#include "store/Paths.h"

#include "store/Verze.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace lorvika {
namespace {

namespace fs = std::filesystem;

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v == nullptr ? std::string() : std::string(v);
}

std::string withoutTrailingSeparator(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

std::string executableDirectory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

}  // namespace

std::string chooseProgramDirectory(const DirectoryFacts& f) {
    if (!f.lorvikaHome.empty()) return withoutTrailingSeparator(f.lorvikaHome);
    if (!f.executableDir.empty() && f.executableDirWritable && !f.installed)
        return withoutTrailingSeparator(f.executableDir);
    // A relative XDG_DATA_HOME is invalid and ignored.
    std::string data = f.xdgDataHome;
    if (data.empty() || data.front() != '/')
        data = withoutTrailingSeparator(f.home) + "/.local/share";
    return withoutTrailingSeparator(data) + "/lorvika";
}

std::string programDirectory() {
    DirectoryFacts f;
    f.lorvikaHome = env("LORVIKA_HOME");
    if (f.lorvikaHome.empty()) {
        f.executableDir = executableDirectory();
        f.executableDirWritable =
            !f.executableDir.empty() && ::access(f.executableDir.c_str(), W_OK) == 0;
        f.installed = isInstalledProgram();
        f.xdgDataHome = env("XDG_DATA_HOME");
        f.home = env("HOME");
    }
    const std::string dir = chooseProgramDirectory(f);
    std::error_code ec;
    fs::create_directories(dir, ec);  // a failure shows at the first write, with the path named
    return dir;
}

bool isInstalledProgram() {
    const std::string dir = executableDirectory();
    if (dir.empty()) return false;
    std::error_code ec;
    const fs::path entry = fs::path(dir).parent_path() / "share" / "applications" /
                           (std::string(verze::kIdAplikace) + ".desktop");
    return fs::is_regular_file(entry, ec);
}

std::string programIniPath() {
    return programDirectory() + "/lorvika.ini";
}

std::string engineConfigPath() {
    return programDirectory() + "/lorvika-engine.ini";
}

}  // namespace lorvika
