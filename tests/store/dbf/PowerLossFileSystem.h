#pragma once

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "store/dbf/FileSystem.h"

namespace lorvika::test {

// A power cut for the files of one directory. Until a file is synced, each of its writes may
// reach the disk whole, torn (a prefix) or not at all; until the directory is synced, each
// creation, rename and removal in it may be undone. cutAt(n) stops the machine at the n-th
// change (writes, truncations, creations, renames, removals): that change and every later one
// fail. restore() then leaves in the directory what such a disk could hold, keeping the
// files' identities (inodes) as the disk would.
class PowerLossFileSystem : public dbf::FileSystem {
  public:
    explicit PowerLossFileSystem(const std::string& directory)
        : dir_(std::filesystem::weakly_canonical(directory)), shadow_(dir_.string() + ".uzly") {
        std::filesystem::create_directories(shadow_);
        for (const auto& e : std::filesystem::directory_iterator(dir_)) {
            if (!e.is_regular_file()) continue;
            const int id = next_++;
            nodes_[id].durable = read(e.path());
            names_[e.path().filename().string()] = id;
        }
        durableNames_ = names_;
    }
    ~PowerLossFileSystem() override {
        std::error_code ec;
        std::filesystem::remove_all(shadow_, ec);
    }

    void cutAt(long change) { cutAt_ = change; }
    long changes() const { return changes_; }
    bool cut() const { return dead_; }

    std::unique_ptr<dbf::File> open(const std::string& path, Mode mode) override {
        const auto name = tracked(path);
        if (!name || mode == Mode::Read) return base_->open(path, mode);
        if (mode == Mode::Create) {
            change(path);
            auto it = names_.find(*name);
            if (it == names_.end()) {
                const int id = next_++;
                nodes_[id];
                names_[*name] = id;
                dirOps_.push_back({DirOp::Link, *name, {}, id});
            } else {
                nodes_[it->second].pending.push_back({Op::Truncate, 0, {}});
            }
        }
        const auto it = names_.find(*name);
        if (it == names_.end()) return base_->open(path, mode);  // fails as the disk would
        return std::make_unique<TrackedFile>(*this, base_->open(path, mode), it->second);
    }
    bool exists(const std::string& path) override { return base_->exists(path); }
    void remove(const std::string& path) override {
        const auto name = tracked(path);
        if (name) {
            change(path);
            keep(*name);
            if (names_.erase(*name)) dirOps_.push_back({DirOp::Unlink, *name, {}, 0});
        }
        base_->remove(path);
    }
    void rename(const std::string& from, const std::string& to) override {
        const auto a = tracked(from);
        const auto b = tracked(to);
        if (a && b) {
            change(to);
            keep(*b);
            const auto it = names_.find(*a);
            if (it != names_.end()) {
                const int id = it->second;
                names_.erase(it);
                names_[*b] = id;
                dirOps_.push_back({DirOp::Rename, *a, *b, id});
            }
        }
        base_->rename(from, to);
    }
    void syncDirectory(const std::string& directory) override {
        if (dead_) throw std::system_error(EIO, std::generic_category(), directory);
        if (std::filesystem::weakly_canonical(directory) == dir_) {
            durableNames_ = names_;
            dirOps_.clear();
        }
        base_->syncDirectory(directory);
    }
    dbf::FileStamp stamp(const std::string& path) override { return base_->stamp(path); }
    std::string resolve(const std::string& directory, const std::string& name) override {
        return base_->resolve(directory, name);
    }

    // Power comes back: the directory holds one state a disk could have kept.
    void restore(std::mt19937& rng) {
        std::bernoulli_distribution coin(0.5);
        std::map<std::string, int> names = durableNames_;
        for (const DirOp& op : dirOps_) {
            if (!coin(rng)) continue;
            switch (op.kind) {
                case DirOp::Link:
                    names[op.from] = op.node;
                    break;
                case DirOp::Unlink:
                    names.erase(op.from);
                    break;
                case DirOp::Rename:
                    if (names.count(op.from) && names[op.from] == op.node) {
                        names.erase(op.from);
                        names[op.to] = op.node;
                    }
                    break;
            }
        }
        // Every file that may come back is held by a link in the shadow folder.
        for (const auto& [name, id] : names_) keep(name);
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            if (e.is_regular_file()) std::filesystem::remove(e.path());
        std::set<int> placed;
        for (const auto& [name, id] : names) {
            Node& n = nodes_[id];
            std::string content = n.durable;
            for (const Op& op : n.pending) {
                const int fate = std::uniform_int_distribution<int>(0, 2)(rng);
                if (fate == 0) continue;  // lost
                if (op.kind == Op::Truncate) {
                    content.resize(op.offset, '\0');
                    continue;
                }
                std::size_t size = op.data.size();
                if (fate == 2 && size > 1)
                    size = std::uniform_int_distribution<std::size_t>(0, size - 1)(rng);
                if (content.size() < op.offset + size) content.resize(op.offset + size, '\0');
                content.replace(op.offset, size, op.data, 0, size);
            }
            const auto target = dir_ / name;
            const auto held = shadow_ / std::to_string(id);
            if (!placed.count(id) && std::filesystem::exists(held)) {
                std::filesystem::create_hard_link(held, target);
                placed.insert(id);
            }
            std::ofstream(target, std::ios::binary | std::ios::trunc)
                .write(content.data(), std::streamsize(content.size()));
        }
        dead_ = false;
        cutAt_ = 0;
    }

  private:
    struct Op {
        enum Kind { Write, Truncate } kind;
        std::uint64_t offset;  // the new size for Truncate
        std::string data;
    };
    struct Node {
        std::string durable;
        std::vector<Op> pending;
    };
    struct DirOp {
        enum Kind { Link, Unlink, Rename } kind;
        std::string from, to;
        int node;
    };

    class TrackedFile : public dbf::File {
      public:
        TrackedFile(PowerLossFileSystem& fs, std::unique_ptr<dbf::File> base, int node)
            : fs_(fs), base_(std::move(base)), node_(node) {}
        std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) override {
            return base_->readAt(offset, buffer, size);
        }
        void writeAt(std::uint64_t offset, const void* data, std::size_t size) override {
            fs_.change("write");
            fs_.nodes_[node_].pending.push_back(
                {Op::Write, offset, std::string(static_cast<const char*>(data), size)});
            base_->writeAt(offset, data, size);
        }
        std::uint64_t size() override { return base_->size(); }
        void truncate(std::uint64_t size) override {
            fs_.change("truncate");
            fs_.nodes_[node_].pending.push_back({Op::Truncate, size, {}});
            base_->truncate(size);
        }
        void sync() override {
            if (fs_.dead_) throw std::system_error(EIO, std::generic_category(), "sync");
            base_->sync();
            Node& n = fs_.nodes_[node_];
            n.durable.resize(static_cast<std::size_t>(base_->size()));
            n.durable.resize(base_->readAt(0, n.durable.data(), n.durable.size()));
            n.pending.clear();
        }
        bool tryLock() override { return base_->tryLock(); }
        const char* map(std::uint64_t size) override { return base_->map(size); }

      private:
        PowerLossFileSystem& fs_;
        std::unique_ptr<dbf::File> base_;
        int node_;
    };

    std::optional<std::string> tracked(const std::string& path) const {
        const auto p = std::filesystem::weakly_canonical(path);
        if (p.parent_path() != dir_) return std::nullopt;
        return p.filename().string();
    }
    void change(const std::string& what) {
        ++changes_;
        if (cutAt_ > 0 && changes_ >= cutAt_) dead_ = true;
        if (dead_) throw std::system_error(EIO, std::generic_category(), what);
    }
    // A file about to lose a name stays reachable for restore().
    void keep(const std::string& name) {
        const auto it = names_.find(name);
        if (it == names_.end()) return;
        const auto held = shadow_ / std::to_string(it->second);
        std::error_code ec;
        if (!std::filesystem::exists(held))
            std::filesystem::create_hard_link(dir_ / name, held, ec);
    }
    static std::string read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::shared_ptr<dbf::FileSystem> base_ = dbf::FileSystem::native();
    std::filesystem::path dir_;
    std::filesystem::path shadow_;
    std::map<int, Node> nodes_;
    std::map<std::string, int> names_;
    std::map<std::string, int> durableNames_;
    std::vector<DirOp> dirOps_;
    int next_ = 1;
    long cutAt_ = 0;
    long changes_ = 0;
    bool dead_ = false;
};

}  // namespace lorvika::test
