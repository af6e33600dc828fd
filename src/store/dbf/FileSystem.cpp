#include "FileSystem.h"

#include "Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace lorvika::dbf {

namespace {

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

class PosixFile final : public File {
  public:
    PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFile() override {
        if (map_) ::munmap(map_, mapSize_);
        ::close(fd_);  // closing drops the flock too
    }

    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        auto* out = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                throwErrno(path_);
            }
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    void writeAt(std::uint64_t offset, const void* data, std::size_t size) override {
        const auto* in = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pwrite(fd_, in + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                throwErrno(path_);
            }
            if (n == 0) {
                errno = ENOSPC;
                throwErrno(path_);
            }
            done += static_cast<std::size_t>(n);
        }
    }

    std::uint64_t size() override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) throwErrno(path_);
        return static_cast<std::uint64_t>(st.st_size);
    }

    void truncate(std::uint64_t size) override {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) throwErrno(path_);
    }

    void sync() override {
        if (::fsync(fd_) != 0) throwErrno(path_);
    }

    bool tryLock() override {
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno == EWOULDBLOCK) return false;
            throwErrno(path_);
        }
        return true;
    }

    const char* map(std::uint64_t size) override {
        if (map_) return size <= mapSize_ ? static_cast<const char*>(map_) : nullptr;
        if (size == 0) return nullptr;
        // Opening reads every record flag: fill the page tables in one go, not page by page.
        void* p = ::mmap(nullptr, size, PROT_READ, MAP_SHARED | MAP_POPULATE, fd_, 0);
        if (p == MAP_FAILED) return nullptr;
        map_ = p;
        mapSize_ = size;
        return static_cast<const char*>(p);
    }

  private:
    int fd_;
    std::string path_;
    void* map_ = nullptr;
    std::size_t mapSize_ = 0;
};

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<File> open(const std::string& path, Mode mode) override {
        int flags = O_CLOEXEC;
        switch (mode) {
            case Mode::Read:
                flags |= O_RDONLY;
                break;
            case Mode::ReadWrite:
                flags |= O_RDWR;
                break;
            case Mode::Create:
                flags |= O_RDWR | O_CREAT | O_TRUNC;
                break;
        }
        int fd;
        do {
            fd = ::open(path.c_str(), flags, 0644);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) throwErrno(path);
        return std::make_unique<PosixFile>(fd, path);
    }

    bool exists(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }

    void remove(const std::string& path) override {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) throwErrno(path);
    }

    void rename(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0) throwErrno(to);
    }

    void syncDirectory(const std::string& directory) override {
        int fd;
        do {
            fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) throwErrno(directory);
        const int rc = ::fsync(fd);
        const int saved = errno;
        ::close(fd);
        // Some file systems cannot sync a directory at all; there is nothing more to do there.
        if (rc != 0 && saved != EINVAL && saved != EROFS) {
            errno = saved;
            throwErrno(directory);
        }
    }

    FileStamp stamp(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) throwErrno(path);
        return {static_cast<std::uint64_t>(st.st_size),
                static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec,
                static_cast<std::uint64_t>(st.st_ino)};
    }

    std::string resolve(const std::string& directory, const std::string& name) override {
        return findNoCase(directory, name).value_or(name);
    }

    std::string realPath(const std::string& path) override { return followLinks(path); }
};

}  // namespace

std::shared_ptr<FileSystem> FileSystem::native() {
    static const std::shared_ptr<FileSystem> fs = std::make_shared<PosixFileSystem>();
    return fs;
}

}  // namespace lorvika::dbf
