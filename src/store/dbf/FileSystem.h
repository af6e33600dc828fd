#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace lorvika::dbf {

// Every file access of the engine goes through here, so that tests can inject short writes,
// a full disk or a crash at the n-th write.
class File {
  public:
    virtual ~File() = default;
    virtual std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
    virtual void writeAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
    virtual std::uint64_t size() = 0;
    virtual void truncate(std::uint64_t size) = 0;
    virtual void sync() = 0;
    // Advisory lock against other processes; false when another process holds it.
    virtual bool tryLock() = 0;
    // A read-only view of the first size bytes that follows later writes through this file (a
    // shared mapping), valid while the File lives; nullptr when the file cannot be mapped.
    virtual const char* map(std::uint64_t size) {
        (void)size;
        return nullptr;
    }
};

// What tells a file's state: another writer can keep size and modification time (touch -r, coarse
// file-system times), but not the change time or, when it replaces the file, the inode.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

class FileSystem {
  public:
    enum class Mode { Read, ReadWrite, Create };  // Create truncates or makes a new file
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<File> open(const std::string& path, Mode mode) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual void remove(const std::string& path) = 0;
    virtual void rename(const std::string& from, const std::string& to) = 0;  // atomic replace
    // Makes the creations, renames and removals in directory durable; until then a power cut may
    // undo them.
    virtual void syncDirectory(const std::string& directory) = 0;
    virtual FileStamp stamp(const std::string& path) = 0;
    // The name of an entry of directory that matches name case-insensitively, or name itself.
    virtual std::string resolve(const std::string& directory, const std::string& name) = 0;
    // The file a path names once symbolic links are followed: a replacement goes there, so that
    // a link stays a link.
    virtual std::string realPath(const std::string& path) { return path; }

    static std::shared_ptr<FileSystem> native();
};

}  // namespace lorvika::dbf
