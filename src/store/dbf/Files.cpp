#include "Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "Names.h"

namespace lorvika::dbf {

namespace {

[[noreturn]] void throwErrno(int err, const std::string& what) {
    throw std::system_error(err, std::generic_category(), what);
}

bool regularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string join(const std::string& directory, std::string_view name) {
    if (directory.empty()) return std::string(name);
    if (directory.back() == '/') return directory + std::string(name);
    return directory + "/" + std::string(name);
}

// Names of a directory, one listing.
template <class Visit>
void listDirectory(const std::string& directory, Visit visit) {
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name(e->d_name);
        if (name == "." || name == "..") continue;
        visit(name);
    }
    ::closedir(dir);
}

bool alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::optional<std::string> findNoCase(const std::string& directory, std::string_view name) {
    if (regularFile(join(directory, name))) return std::string(name);
    std::optional<std::string> found;
    listDirectory(directory, [&](std::string_view entry) {
        if (!equalNoCase(entry, name) || (found && entry >= *found)) return;
        if (regularFile(join(directory, entry))) found = std::string(entry);
    });
    return found;
}

std::string pathNoCase(const std::string& directory, std::string_view name) {
    return join(directory, findNoCase(directory, name).value_or(std::string(name)));
}

std::string followLinks(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::error_code ec;
    const auto real = std::filesystem::canonical(path, ec);
    return ec ? path : real.string();
}

ReplacementFile::ReplacementFile(std::string target) : target_(followLinks(target)) {
    std::string templ = target_ + ".XXXXXX";
    fd_ = ::mkostemp(templ.data(), O_CLOEXEC);
    if (fd_ < 0) throwErrno(errno, target_);
    temp_ = std::move(templ);
}

ReplacementFile::~ReplacementFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

void ReplacementFile::write(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            throwErrno(errno, target_);
        }
        if (n == 0) throwErrno(ENOSPC, target_);
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

void ReplacementFile::close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throwErrno(errno, target_);
}

void ReplacementFile::finish(mode_t mode, Durability durability) {
    if (fd_ >= 0) {
        if (::fchmod(fd_, mode) != 0) throwErrno(errno, target_);
        if (durability == Durability::Synced && ::fsync(fd_) != 0) throwErrno(errno, target_);
    }
    close();
}

void ReplacementFile::commit(Durability durability) {
    struct stat st {};
    const mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    finish(mode, durability);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) throwErrno(errno, target_);
    temp_.clear();
    if (durability == Durability::Synced) {
        const auto slash = target_.find_last_of('/');
        syncDirectory(slash == std::string::npos ? "." : target_.substr(0, slash + 1));
    }
}

bool ReplacementFile::isLeftover(std::string_view entry, std::string_view base) {
    if (entry.size() != base.size() + 7 || entry[base.size()] != '.') return false;
    for (char c : entry.substr(base.size() + 1))
        if (!alnum(c)) return false;
    return equalNoCase(entry.substr(0, base.size()), base);
}

std::size_t ReplacementFile::removeLeftovers(const std::string& directory,
                                             const std::function<bool(std::string_view base)>& of) {
    std::vector<std::string> found;
    listDirectory(directory, [&](std::string_view entry) {
        if (entry.size() < 8) return;
        const std::string_view base = entry.substr(0, entry.size() - 7);
        if (isLeftover(entry, base) && of(base)) found.emplace_back(entry);
    });
    std::size_t removed = 0;
    for (const auto& name : found) {
        const std::string path = join(directory, name);
        if (regularFile(path) && ::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

void syncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace lorvika::dbf
