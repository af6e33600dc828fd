#include "OrderedIndex.h"

#include <algorithm>
#include <atomic>

namespace lorvika::dbf {

void OrderedIndex::bump() {
    static std::atomic<std::uint64_t> counter{0};
    version_ = counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

void OrderedIndex::assign(std::vector<IndexEntry> sorted) {
    clear();
    for (auto& e : sorted) appendSorted(std::move(e));
}

void OrderedIndex::appendSorted(IndexEntry entry) {
    if (blocks_.empty() || blocks_.back().size() >= kFill) blocks_.emplace_back().reserve(kFill);
    blocks_.back().push_back(std::move(entry));
    ++size_;  // earlier entries keep their positions: cached positions stay valid
}

void OrderedIndex::clear() {
    blocks_.clear();
    size_ = 0;
    bump();
}

void OrderedIndex::insert(IndexEntry entry) {
    bump();
    ++size_;
    if (blocks_.empty()) {
        blocks_.emplace_back().reserve(kMaxBlock);
        blocks_.back().push_back(std::move(entry));
        return;
    }
    // The first block whose last entry is not before the new one; else the last block.
    auto bit = std::partition_point(blocks_.begin(), blocks_.end(), [&](const auto& b) {
        return before(b.back(), entry.key, entry.record);
    });
    if (bit == blocks_.end()) --bit;
    auto& block = *bit;
    auto it = std::partition_point(block.begin(), block.end(), [&](const IndexEntry& e) {
        return before(e, entry.key, entry.record);
    });
    block.insert(it, std::move(entry));
    if (block.size() > kMaxBlock) {
        std::vector<IndexEntry> upper;
        upper.reserve(kMaxBlock);
        const std::size_t half = block.size() / 2;
        std::move(block.begin() + static_cast<std::ptrdiff_t>(half), block.end(),
                  std::back_inserter(upper));
        block.resize(half);
        blocks_.insert(bit + 1, std::move(upper));
    }
}

bool OrderedIndex::erase(std::string_view key, std::uint32_t record) {
    const Pos p = lowerBound(key, record);
    if (atEnd(p)) return false;
    auto& block = blocks_[p.block];
    const IndexEntry& e = block[p.offset];
    if (e.record != record || e.key != key) return false;
    block.erase(block.begin() + static_cast<std::ptrdiff_t>(p.offset));
    if (block.empty()) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(p.block));
    --size_;
    bump();
    return true;
}

void OrderedIndex::renumber(const std::vector<std::uint32_t>& newNumber) {
    bump();
    size_ = 0;
    for (auto& block : blocks_) {
        std::erase_if(block, [&](IndexEntry& e) {
            e.record = e.record < newNumber.size() ? newNumber[e.record] : 0;
            return e.record == 0;
        });
        size_ += block.size();
    }
    std::erase_if(blocks_, [](const auto& block) { return block.empty(); });
}

OrderedIndex::Pos OrderedIndex::next(Pos p) const {
    if (atEnd(p)) return p;
    if (++p.offset >= blocks_[p.block].size()) {
        ++p.block;
        p.offset = 0;
    }
    return p;
}

bool OrderedIndex::prior(Pos& p) const {
    if (p.offset > 0) {
        --p.offset;
        return true;
    }
    if (p.block == 0) return false;
    --p.block;
    p.offset = blocks_[p.block].size() - 1;
    return true;
}

OrderedIndex::Pos OrderedIndex::lowerBound(std::string_view key, std::uint32_t record) const {
    auto bit = std::partition_point(blocks_.begin(), blocks_.end(),
                                    [&](const auto& b) { return before(b.back(), key, record); });
    if (bit == blocks_.end()) return end();
    auto it = std::partition_point(bit->begin(), bit->end(),
                                   [&](const IndexEntry& e) { return before(e, key, record); });
    return {static_cast<std::size_t>(bit - blocks_.begin()),
            static_cast<std::size_t>(it - bit->begin())};
}

OrderedIndex::Pos OrderedIndex::skipKey(Pos p) const {
    if (atEnd(p)) return p;
    const std::vector<IndexEntry>& block = blocks_[p.block];
    const std::string_view key = block[p.offset].key;
    if (block.back().key == key) {
        // The run reaches the end of this block, perhaps further.
        if (p.block + 1 >= blocks_.size() || blocks_[p.block + 1].front().key != key)
            return {p.block + 1, 0};
        return upperBound(key);
    }
    // Gallop within the block: the bound lies in (lo, lo + step] once that entry differs.
    std::size_t lo = p.offset;
    std::size_t step = 1;
    while (lo + step < block.size() && block[lo + step].key == key) {
        lo += step;
        step *= 2;
    }
    const auto first = block.begin() + static_cast<std::ptrdiff_t>(lo + 1);
    const auto last =
        block.begin() + static_cast<std::ptrdiff_t>(std::min(lo + step, block.size() - 1));
    const auto it =
        std::partition_point(first, last, [&](const IndexEntry& e) { return e.key == key; });
    return {p.block, static_cast<std::size_t>(it - block.begin())};
}

std::size_t OrderedIndex::ordinal(Pos p) const {
    std::size_t n = 0;
    const std::size_t last = std::min(p.block, blocks_.size());
    for (std::size_t b = 0; b < last; ++b) n += blocks_[b].size();
    return n + (atEnd(p) ? 0 : p.offset);
}

}  // namespace lorvika::dbf
