#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lorvika::dbf {

struct IndexEntry {
    std::string key;  // byte order is the tag's ascending order
    std::uint32_t record = 0;
};

// The ordered entries of one tag: (key, record) pairs in key order, ties by record number.
// Entries live in blocks of bounded size, so an insert or erase moves at most one block's worth
// of entries even at millions of entries, and a lookup is two binary searches.
class OrderedIndex {
  public:
    struct Pos {
        std::size_t block = 0;
        std::size_t offset = 0;
        bool operator==(const Pos&) const = default;
    };

    explicit OrderedIndex(bool descending = false) : descending_(descending) { bump(); }

    // Takes entries already in this index's order.
    void assign(std::vector<IndexEntry> sorted);
    // Adds an entry that comes after every entry already there (loading a saved index).
    void appendSorted(IndexEntry entry);
    void insert(IndexEntry entry);
    bool erase(std::string_view key, std::uint32_t record);
    // Gives every entry the record number newNumber[record]; entries mapped to 0 go. The map
    // must keep the order of the records it keeps (pack), so no entry moves.
    void renumber(const std::vector<std::uint32_t>& newNumber);
    void clear();

    std::size_t size() const { return size_; }
    bool descending() const { return descending_; }
    // Changes on every insert, erase or assign; a cursor's cached position is valid while it holds.
    std::uint64_t version() const { return version_; }

    Pos begin() const { return {0, 0}; }
    Pos end() const { return {blocks_.size(), 0}; }
    bool atEnd(Pos p) const { return p.block >= blocks_.size(); }
    const IndexEntry& at(Pos p) const { return blocks_[p.block][p.offset]; }
    Pos next(Pos p) const;
    // False when p is the first entry.
    bool prior(Pos& p) const;

    // First entry that is not before (key, record) in index order.
    Pos lowerBound(std::string_view key, std::uint32_t record) const;
    // First entry whose key comes after key in index order.
    Pos upperBound(std::string_view key) const { return lowerBound(key, UINT32_MAX); }
    // First entry after p whose key differs from p's key (end when none). Looks at the next
    // few entries before it searches, as runs of equal keys are mostly short.
    Pos skipKey(Pos p) const;
    // Number of entries before p.
    std::size_t ordinal(Pos p) const;

    // <0, 0, >0: a before, equal to, after b in index order.
    int compareKeys(std::string_view a, std::string_view b) const {
        const int c = a.compare(b);
        return descending_ ? -c : c;
    }
    bool before(const IndexEntry& e, std::string_view key, std::uint32_t record) const {
        const int c = compareKeys(e.key, key);
        return c < 0 || (c == 0 && e.record < record);
    }
    bool inOrder(const IndexEntry& a, const IndexEntry& b) const {
        return before(a, b.key, b.record);
    }

    template <typename F>
    void forEach(F&& f) const {
        for (const auto& block : blocks_)
            for (const auto& e : block) f(e);
    }

  private:
    static constexpr std::size_t kMaxBlock = 1024;
    static constexpr std::size_t kFill = kMaxBlock / 2;  // room to grow in every block
    std::vector<std::vector<IndexEntry>> blocks_;
    std::size_t size_ = 0;
    // Unique over all indexes, so a version seen on one index never matches another.
    void bump();
    std::uint64_t version_ = 0;
    bool descending_;
};

}  // namespace lorvika::dbf
