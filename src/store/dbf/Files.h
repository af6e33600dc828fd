#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// File helpers every layer shares: finding a file by name as the engine matches table names, and
// replacing a file by a complete new one.
namespace lorvika::dbf {

// The regular file of directory whose name equals name when ASCII letter case is ignored: name
// itself when that file exists, otherwise the first other spelling in byte order; nothing when
// there is none.
std::optional<std::string> findNoCase(const std::string& directory, std::string_view name);
// directory/name as findNoCase finds it, or directory/name itself when nothing matches.
std::string pathNoCase(const std::string& directory, std::string_view name);

// path itself, or the file it names when it is a symbolic link (followed to the end).
std::string followLinks(const std::string& path);

// A new file written beside target under a unique temporary name (target + ".XXXXXX") and then
// renamed over it, so that target is always either the old file or the whole new one. A target
// that is a symbolic link stays one: the file it names is replaced. The temporary file is
// removed when the object goes without commit or release. Failures are std::system_error naming
// the file.
class ReplacementFile {
  public:
    explicit ReplacementFile(std::string target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    const std::string& target() const { return target_; }
    const std::string& tempPath() const { return temp_; }
    int fd() const { return fd_; }

    void write(const void* data, std::size_t size);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }

    // Without waiting for the disk: a caller writing thousands of files makes them durable
    // together at its end.
    enum class Durability { Synced, Deferred };
    // Gives the file the mode of target (0644 for a new one), makes it durable unless Deferred,
    // and renames it over target.
    void commit(Durability durability = Durability::Synced);
    // The same up to the rename, which the caller does (several files replaced together).
    void finish(mode_t mode, Durability durability = Durability::Synced);
    // Closes the descriptor; the file stays until release or destruction.
    void close();
    // The caller moved the temporary file: nothing is removed at destruction.
    void release() { temp_.clear(); }

    // Whether entry (a bare name) is what an unfinished replacement of a file named like base
    // left behind: base + "." + six letters or digits; base is matched ignoring case.
    static bool isLeftover(std::string_view entry, std::string_view base);
    // Removes every leftover in directory whose base name the predicate accepts (one directory
    // listing); returns how many were removed.
    static std::size_t removeLeftovers(const std::string& directory,
                                       const std::function<bool(std::string_view base)>& of);

  private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
};

// Makes the renames in directory durable.
void syncDirectory(const std::string& directory);

}  // namespace lorvika::dbf
