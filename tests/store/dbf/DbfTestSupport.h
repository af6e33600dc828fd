#pragma once

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "store/dbf/FileSystem.h"

namespace lorvika::test {

// Writes .DBF bytes field by field, independently of the engine, so tests can feed it tables
// as other programs write them (and broken ones).
struct RawField {
    std::string name;
    char type;
    int width;
    int decimals = 0;
};

inline std::string rawDbf(const std::vector<RawField>& fields,
                          const std::vector<std::vector<std::string>>& rows,
                          std::uint8_t language = 0x1F, const std::vector<bool>& deleted = {}) {
    std::string h(32, '\0');
    h[0] = 0x03;
    h[1] = char(124);
    h[2] = 5;
    h[3] = 17;
    const auto put32 = [](std::string& s, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put32(h, 4, std::uint32_t(rows.size()));
    int recordLength = 1;
    for (const auto& f : fields) recordLength += f.width;
    const int headerLength = 32 + 32 * int(fields.size()) + 1;
    h[8] = char(headerLength & 0xFF);
    h[9] = char(headerLength >> 8);
    h[10] = char(recordLength & 0xFF);
    h[11] = char(recordLength >> 8);
    h[29] = char(language);
    for (const auto& f : fields) {
        std::string d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        d[16] = char(f.width);
        d[17] = char(f.decimals);
        h += d;
    }
    h.push_back(0x0D);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        h.push_back(r < deleted.size() && deleted[r] ? '*' : ' ');
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string v = i < rows[r].size() ? rows[r][i] : std::string();
            v.resize(std::size_t(fields[i].width), ' ');
            if (fields[i].type == 'N' || fields[i].type == 'F') {
                // numbers are right-aligned
                std::string t = i < rows[r].size() ? rows[r][i] : std::string();
                v = std::string(std::size_t(fields[i].width) -
                                    std::min<std::size_t>(t.size(), std::size_t(fields[i].width)),
                                ' ') +
                    t;
            }
            h += v;
        }
    }
    h.push_back(0x1A);
    return h;
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file system that fails on purpose: the n-th write (counted over all files) is cut short
// or refused for a full disk, or from the n-th write on nothing reaches the disk any more,
// as if the machine had stopped.
class FaultFileSystem : public dbf::FileSystem {
  public:
    enum class Fault { None, ShortWrite, DiskFull, Crash };

    explicit FaultFileSystem(std::shared_ptr<dbf::FileSystem> base = dbf::FileSystem::native())
        : base_(std::move(base)) {}

    void failAt(long write, Fault fault) {
        failAt_ = write;
        fault_ = fault;
        writes_ = 0;
        dead_ = false;
    }
    long writes() const { return writes_; }
    bool dead() const { return dead_; }

    std::unique_ptr<dbf::File> open(const std::string& path, Mode mode) override {
        if (dead_ && mode != Mode::Read)
            throw std::system_error(EIO, std::generic_category(), path);
        return std::make_unique<FaultFile>(*this, base_->open(path, mode));
    }
    bool exists(const std::string& path) override { return base_->exists(path); }
    void remove(const std::string& path) override {
        if (dead_) throw std::system_error(EIO, std::generic_category(), path);
        base_->remove(path);
    }
    void rename(const std::string& from, const std::string& to) override {
        if (dead_) throw std::system_error(EIO, std::generic_category(), to);
        base_->rename(from, to);
    }
    void syncDirectory(const std::string& directory) override {
        if (dead_) throw std::system_error(EIO, std::generic_category(), directory);
        base_->syncDirectory(directory);
    }
    dbf::FileStamp stamp(const std::string& path) override { return base_->stamp(path); }
    std::string resolve(const std::string& directory, const std::string& name) override {
        return base_->resolve(directory, name);
    }
    std::string realPath(const std::string& path) override { return base_->realPath(path); }

  private:
    class FaultFile : public dbf::File {
      public:
        FaultFile(FaultFileSystem& fs, std::unique_ptr<dbf::File> base)
            : fs_(fs), base_(std::move(base)) {}
        std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) override {
            return base_->readAt(offset, buffer, size);
        }
        void writeAt(std::uint64_t offset, const void* data, std::size_t size) override {
            const long n = ++fs_.writes_;
            if (fs_.dead_) throw std::system_error(EIO, std::generic_category(), "write");
            if (fs_.fault_ != Fault::None && n == fs_.failAt_) {
                switch (fs_.fault_) {
                    case Fault::ShortWrite:
                        base_->writeAt(offset, data, size / 2);
                        throw std::system_error(ENOSPC, std::generic_category(), "short write");
                    case Fault::DiskFull:
                        throw std::system_error(ENOSPC, std::generic_category(), "write");
                    case Fault::Crash:
                        fs_.dead_ = true;
                        throw std::system_error(EIO, std::generic_category(), "write");
                    case Fault::None:
                        break;
                }
            }
            base_->writeAt(offset, data, size);
        }
        std::uint64_t size() override { return base_->size(); }
        void truncate(std::uint64_t size) override {
            if (fs_.dead_) throw std::system_error(EIO, std::generic_category(), "truncate");
            base_->truncate(size);
        }
        void sync() override { base_->sync(); }
        bool tryLock() override { return base_->tryLock(); }

      private:
        FaultFileSystem& fs_;
        std::unique_ptr<dbf::File> base_;
    };

    std::shared_ptr<dbf::FileSystem> base_;
    long failAt_ = 0;
    long writes_ = 0;
    Fault fault_ = Fault::None;
    bool dead_ = false;
};

}  // namespace lorvika::test
