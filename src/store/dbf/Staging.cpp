#include "Staging.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <system_error>

#include "Files.h"

namespace lorvika::dbf {

namespace {

constexpr const char* kMark = "hotovo";
constexpr const char* kMarkTemp = "hotovo.tmp";

[[noreturn]] void throwErrno(int err, const std::string& what) {
    throw std::system_error(err, std::generic_category(), what);
}

std::string join(const std::string& directory, std::string_view name) {
    if (!directory.empty() && directory.back() == '/') return directory + std::string(name);
    return directory + "/" + std::string(name);
}

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) throwErrno(errno, path);
}

void syncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throwErrno(errno, path);
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0) throwErrno(err, path);
}

// Every entry of the folder but the mark; the mark last, so that a failure keeps the set whole.
void emptyFolder(const std::string& folder, bool withMark) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string_view n(e->d_name);
            if (n != "." && n != ".." && n != kMark) names.emplace_back(n);
        }
        ::closedir(d);
    }
    for (const auto& n : names) removeFile(join(folder, n));
    if (withMark) removeFile(join(folder, kMark));
}

struct Mark {
    std::vector<std::pair<std::string, std::string>> moves;
    std::vector<std::string> removals;
};

std::string markText(const Mark& m) {
    std::string out;
    for (const auto& [name, target] : m.moves) out += "M\t" + name + '\t' + target + '\n';
    for (const auto& path : m.removals) out += "D\t" + path + '\n';
    return out + "E\n";
}

Mark readMark(const std::string& path) {
    std::string text;
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) throwErrno(errno, path);
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                const int err = errno;
                ::close(fd);
                throwErrno(err, path);
            }
            if (n == 0) break;
            text.append(buf, static_cast<std::size_t>(n));
        }
        ::close(fd);
    }
    // The mark is renamed into place whole; anything else is no mark this program wrote.
    if (!text.ends_with("E\n")) throwErrno(EILSEQ, path);
    Mark m;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = text.find('\n', from);
        const std::string line = text.substr(from, end - from);
        from = end + 1;
        if (line.starts_with("M\t")) {
            const std::size_t tab = line.find('\t', 2);
            if (tab == std::string::npos) throwErrno(EILSEQ, path);
            m.moves.emplace_back(line.substr(2, tab - 2), line.substr(tab + 1));
        } else if (line.starts_with("D\t")) {
            m.removals.push_back(line.substr(2));
        }
    }
    return m;
}

// Moves what is still staged, removes what goes with it, then the folder. Each step finds what
// is left, so running it again after an interruption completes the set.
void finish(const std::string& directory, const std::string& folder, const Mark& m) {
    std::set<std::string> directories{directory};
    for (const auto& [name, target] : m.moves) {
        const std::string from = join(folder, name);
        if (!exists(from)) continue;  // moved already
        if (::rename(from.c_str(), target.c_str()) != 0) throwErrno(errno, target);
        directories.insert(parentOf(target));
    }
    for (const auto& d : directories) syncDirectory(d);
    for (const auto& path : m.removals) removeFile(path);
    emptyFolder(folder, true);
    if (::rmdir(folder.c_str()) != 0 && errno != ENOENT) throwErrno(errno, folder);
    syncDirectory(directory);
}

}  // namespace

StagedFiles::StagedFiles(std::string directory, std::string_view folder)
    : directory_(std::move(directory)), folder_(join(directory_, folder)) {
    if (exists(join(folder_, kMark))) throwErrno(EEXIST, join(folder_, kMark));
    if (isDirectory(folder_)) {
        emptyFolder(folder_, false);
    } else if (::mkdir(folder_.c_str(), 0755) != 0) {
        throwErrno(errno, folder_);
    }
    syncDirectory(directory_);
}

StagedFiles::~StagedFiles() {
    if (committed_) return;
    try {
        emptyFolder(folder_, false);
    } catch (const std::system_error&) {
        // the next opening empties the folder again
    }
}

std::string StagedFiles::add(const std::string& target) {
    const std::string real = followLinks(target);
    const std::string name = real.substr(real.rfind('/') + 1);
    if (real.find_first_of("\t\n") != std::string::npos) throwErrno(EINVAL, real);
    moves_.emplace_back(name, real);
    return join(folder_, name);
}

void StagedFiles::removeWith(const std::string& path) {
    if (path.find_first_of("\t\n") != std::string::npos) throwErrno(EINVAL, path);
    removals_.push_back(path);
}

void StagedFiles::commit() {
    for (const auto& [name, target] : moves_) syncFile(join(folder_, name));
    const Mark m{moves_, removals_};
    const std::string temp = join(folder_, kMarkTemp);
    {
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) throwErrno(errno, temp);
        const std::string text = markText(m);
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                const int err = errno;
                ::close(fd);
                throwErrno(err, temp);
            }
            done += static_cast<std::size_t>(n);
        }
        const int rc = ::fsync(fd);
        const int err = errno;
        ::close(fd);
        if (rc != 0) throwErrno(err, temp);
    }
    const std::string mark = join(folder_, kMark);
    if (::rename(temp.c_str(), mark.c_str()) != 0) throwErrno(errno, mark);
    committed_ = true;
    syncDirectory(folder_);
    finish(directory_, folder_, m);
}

StagedState finishStaged(const std::string& directory, std::string_view folder) {
    const std::string path = join(directory, folder);
    if (!isDirectory(path)) return StagedState::None;
    const std::string mark = join(path, kMark);
    if (!exists(mark)) {
        emptyFolder(path, false);
        return StagedState::NotDone;
    }
    finish(directory, path, readMark(mark));
    return StagedState::Finished;
}

bool stagedNotDone(const std::string& directory, std::string_view folder) {
    return isDirectory(join(directory, folder));
}

void clearStaged(const std::string& directory, std::string_view folder) {
    const std::string path = join(directory, folder);
    if (!isDirectory(path) || exists(join(path, kMark))) return;
    emptyFolder(path, false);
    if (::rmdir(path.c_str()) != 0 && errno != ENOENT) throwErrno(errno, path);
    syncDirectory(directory);
}

}  // namespace lorvika::dbf
