#include "TableData.h"

#include "Clock.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "Clock.h"
#include "EngineError.h"
#include "Names.h"
#include "store/codepage.h"

namespace lorvika::dbf {

namespace {

std::uint16_t le16(const unsigned char* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
void put16(char* p, std::uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
void put32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}
void put64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}
std::uint64_t get64(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}
std::string_view trim(std::string_view s) {
    s = trimRight(s);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return s;
}

}  // namespace

bool parseDouble(std::string_view s, double& out) {
    s = trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    std::string copy;
    if (s.find(',') != std::string_view::npos) {
        copy.assign(s);
        std::replace(copy.begin(), copy.end(), ',', '.');
        s = copy;
    }
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(out);
}

bool hasDecimalComma(std::string_view raw) {
    return raw.find(',') != std::string_view::npos;
}

namespace {

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return days[month - 1];
}
bool validDate(const Date& d) {
    return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= daysInMonth(d.year, d.month);
}

// "d.m.yyyy" or "yyyymmdd".
bool parseDate(std::string_view s, Date& out) {
    s = trim(s);
    Date d;
    if (s.size() == 8 &&
        std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        std::from_chars(s.data(), s.data() + 4, d.year);
        std::from_chars(s.data() + 4, s.data() + 6, d.month);
        std::from_chars(s.data() + 6, s.data() + 8, d.day);
    } else {
        const char* p = s.data();
        const char* e = s.data() + s.size();
        int* parts[] = {&d.day, &d.month, &d.year};
        for (int i = 0; i < 3; ++i) {
            while (p < e && *p == ' ') ++p;
            const auto r = std::from_chars(p, e, *parts[i]);
            if (r.ec != std::errc()) return false;
            p = r.ptr;
            if (i < 2) {
                if (p >= e || *p != '.') return false;
                ++p;
            }
        }
        if (p != e) return false;
    }
    if (!validDate(d)) return false;
    out = d;
    return true;
}

// Shortest decimal text of a stored number: "12.5000" -> "12.5", "3.0000" -> "3". A decimal
// comma an earlier version wrote under a comma locale reads as the point.
std::string numberText(std::string_view raw) {
    std::string s(trim(raw));
    std::replace(s.begin(), s.end(), ',', '.');
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0" || s == "-") s = "0";
    return s;
}

// Fixed notation without the process locale: printf would write a decimal comma under the
// locale Qt adopts (cs_CZ.UTF-8), and no other dBase reader takes that.
std::size_t fixedText(char* buf, std::size_t size, double v, int decimals) {
    const auto [end, ec] = std::to_chars(buf, buf + size, v, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::size_t(end - buf) : 0;
}

std::string formatDouble(double v) {
    char buf[400];
    return numberText(std::string_view(buf, fixedText(buf, sizeof buf, v, 4)));
}

std::string encodeDouble(double d) {
    if (d == 0 || std::isnan(d)) d = 0;
    auto bits = std::bit_cast<std::uint64_t>(d);
    bits = (bits >> 63) ? ~bits : (bits | (std::uint64_t(1) << 63));
    std::string key(8, '\0');
    for (int i = 0; i < 8; ++i) key[i] = char((bits >> (56 - 8 * i)) & 0xFF);
    return key;
}

struct DecodeTable {
    std::array<std::string, 128> high;
};
DecodeTable makeTable(std::string (*decode)(std::string_view)) {
    DecodeTable t;
    for (int b = 0x80; b < 0x100; ++b) t.high[b - 0x80] = decode(std::string(1, char(b)));
    return t;
}
const DecodeTable& table852() {
    static const DecodeTable t = makeTable(&cp::cp852ToUtf8);
    return t;
}
const DecodeTable& table1250() {
    static const DecodeTable t = makeTable(&cp::cp1250ToUtf8);
    return t;
}

// A stored index is only trusted with the collation it was built with.
std::uint32_t collationFingerprint() {
    static const std::uint32_t value = [] {
        std::string probe;
        for (int b = 0x20; b < 0x100; ++b) probe += cp::czechSortKeyCp852(std::string(1, char(b)));
        for (const char* s : {"ch", "CH", "Ch", "cH", "c h", "chch", "a  "})
            probe += cp::czechSortKeyCp852(s);
        std::uint32_t h = 2166136261u;
        for (unsigned char c : probe) h = (h ^ c) * 16777619u;
        return h;
    }();
    return value;
}

std::uint64_t checksum(const unsigned char* p, std::size_t n) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 0x100000001B3ull;
        h ^= h >> 29;
    }
    for (; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    h ^= h >> 32;
    return h;
}

constexpr char kIndexMagic[8] = {'L', 'R', 'V', 'K', 'M', 'D', 'X', '\x1A'};
// Version 1 had no change time and inode in its stamp; its entries are still used once they are
// found equal to the records.
constexpr std::uint32_t kIndexVersion = 2;
constexpr std::size_t kIndexHeaderV1 = 88;
constexpr std::size_t kIndexHeader = 104;
constexpr std::size_t kStateOffset = 8;

std::string todayBytes() {
    const Date d = Clock::today();
    return {char(d.year - 1900), char(d.month), char(d.day)};
}

[[noreturn]] void failFor(const std::string& fileName, const std::string& what) {
    throw EngineError("Tabulka " + fileName + ": " + what);
}

}  // namespace

void validateFields(const std::vector<FieldDef>& fields, const std::string& fileName) {
    if (fields.empty()) failFor(fileName, "tabulka musí mít aspoň jeden sloupec.");
    std::size_t length = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        const bool nameOk =
            !f.name.empty() && f.name.size() <= 10 &&
            ((f.name[0] >= 'A' && f.name[0] <= 'Z') || (f.name[0] >= 'a' && f.name[0] <= 'z')) &&
            std::all_of(f.name.begin(), f.name.end(), [](char c) {
                return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '_';
            });
        if (!nameOk) failFor(fileName, "neplatné jméno sloupce \"" + f.name + "\".");
        for (std::size_t j = 0; j < i; ++j)
            if (equalNoCase(fields[j].name, f.name))
                failFor(fileName, "sloupec " + f.name + " je uveden dvakrát.");
        bool ok = false;
        switch (f.type) {
            case FieldType::Character:
                ok = f.width >= 1 && f.width <= 254 && f.decimals == 0;
                break;
            case FieldType::Numeric:
            case FieldType::Float:
                ok = f.width >= 1 && f.width <= 20 && f.decimals >= 0 &&
                     (f.decimals == 0 || f.decimals <= f.width - 2);
                break;
            case FieldType::Date:
                ok = f.width == 8 && f.decimals == 0;
                break;
            case FieldType::Logical:
                ok = f.width == 1 && f.decimals == 0;
                break;
        }
        if (!ok) failFor(fileName, "neplatný typ nebo šířka sloupce " + f.name + ".");
        length += std::size_t(f.width);
    }
    if (length > 65535 || 32 + 32 * fields.size() + 1 > 65535)
        failFor(fileName, "záznam je příliš dlouhý.");
}

Layout parseHeader(File& file, const std::string& fileName) {
    const std::uint64_t size = file.size();
    unsigned char head[32];
    if (size < 33 || file.readAt(0, head, 32) != 32)
        failFor(fileName, "soubor je příliš krátký, není to tabulka dBase.");
    Layout l;
    l.version = head[0];
    if ((l.version & 0x07) != 0x03)
        failFor(fileName,
                "nepodporovaná verze souboru dBase (bajt " + std::to_string(l.version) + ").");
    std::memcpy(l.date, head + 1, 3);
    l.count = le32(head + 4);
    l.headerLength = le16(head + 8);
    l.recordLength = le16(head + 10);
    l.language = head[29];
    if (l.headerLength < 33 || l.headerLength > size)
        failFor(fileName,
                "poškozená hlavička (délka hlavičky " + std::to_string(l.headerLength) + ").");
    std::vector<unsigned char> h(l.headerLength);
    if (file.readAt(0, h.data(), h.size()) != h.size())
        failFor(fileName, "hlavičku nelze přečíst.");
    std::size_t pos = 32;
    std::uint32_t offset = 1;
    for (;;) {
        if (pos >= h.size()) failFor(fileName, "poškozená hlavička (chybí konec popisu sloupců).");
        if (h[pos] == 0x0D) break;
        if (pos + 32 > h.size()) failFor(fileName, "poškozená hlavička (neúplný popis sloupce).");
        const unsigned char* d = h.data() + pos;
        std::string name;
        for (int i = 0; i < 11 && d[i] != 0; ++i) name.push_back(char(d[i]));
        const bool nameOk = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
            return static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F;
        });
        if (!nameOk) failFor(fileName, "poškozená hlavička (neplatné jméno sloupce).");
        FieldDef f;
        f.name = name;
        f.width = d[16];
        f.decimals = d[17];
        switch (d[11]) {
            case 'C':
                f.type = FieldType::Character;
                f.decimals = 0;
                break;
            case 'N':
                f.type = FieldType::Numeric;
                break;
            case 'F':
                f.type = FieldType::Float;
                break;
            case 'D':
                f.type = FieldType::Date;
                break;
            case 'L':
                f.type = FieldType::Logical;
                break;
            default:
                failFor(fileName, "nepodporovaný typ sloupce " + name + " ('" +
                                      std::string(1, char(d[11])) + "').");
        }
        if (f.width == 0 || (f.type == FieldType::Date && f.width != 8))
            failFor(fileName, "poškozená hlavička (šířka sloupce " + name + ").");
        l.offsets.push_back(offset);
        offset += std::uint32_t(f.width);
        l.fields.push_back(std::move(f));
        pos += 32;
    }
    if (l.fields.empty()) failFor(fileName, "poškozená hlavička (žádné sloupce).");
    if (offset != l.recordLength)
        failFor(fileName, "délka záznamu v hlavičce (" + std::to_string(l.recordLength) +
                              ") neodpovídá sloupcům (" + std::to_string(offset) + ").");
    const std::uint64_t needed =
        std::uint64_t(l.headerLength) + std::uint64_t(l.count) * l.recordLength;
    if (needed > size)
        failFor(fileName, "soubor je kratší, než uvádí hlavička (" + std::to_string(l.count) +
                              " záznamů, chybí " + std::to_string(needed - size) + " bajtů).");
    return l;
}

std::vector<char> buildHeader(const Layout& l) {
    std::vector<char> h(32 + 32 * l.fields.size() + 1, '\0');
    h[0] = char(l.version);
    std::memcpy(h.data() + 1, l.date, 3);
    put32(h.data() + 4, l.count);
    put16(h.data() + 8, std::uint16_t(h.size()));
    put16(h.data() + 10, l.recordLength);
    h[29] = char(l.language);
    for (std::size_t i = 0; i < l.fields.size(); ++i) {
        char* d = h.data() + 32 + 32 * i;
        const FieldDef& f = l.fields[i];
        std::memcpy(d, f.name.data(), std::min<std::size_t>(f.name.size(), 10));
        d[11] = static_cast<char>(f.type);
        d[16] = char(f.width);
        d[17] = char(f.decimals);
    }
    h.back() = 0x0D;
    return h;
}

// ---------------------------------------------------------------------------------------------

TableData::~TableData() = default;

void TableData::fail(const std::string& what) const {
    failFor(name_, what);
}

void TableData::readCodePageFile() {
    if (layout_.language == kLanguageCp852) return;
    const auto dot = name_.rfind('.');
    const std::string cpg =
        directory_ + "/" + fs_->resolve(directory_, name_.substr(0, dot) + ".cpg");
    if (!fs_->exists(cpg)) return;
    auto f = fs_->open(cpg, FileSystem::Mode::Read);
    char buf[64];
    const std::size_t n = f->readAt(0, buf, sizeof buf);
    cpg852_ = cp::codePageNamed(std::string_view(buf, n)) == cp::CodePage::Cp852;
}

std::shared_ptr<TableData> TableData::openFile(std::shared_ptr<FileSystem> fs,
                                               std::string directory, std::string name,
                                               Access access) {
    const bool writable = access == Access::Write;
    std::shared_ptr<TableData> t(new TableData());
    t->looking_ = !writable;
    t->fs_ = std::move(fs);
    t->directory_ = std::move(directory);
    t->name_ = std::move(name);
    t->writable_ = writable;
    const std::string path = t->path();
    try {
        t->file_ =
            t->fs_->open(path, writable ? FileSystem::Mode::ReadWrite : FileSystem::Mode::Read);
    } catch (const std::exception& e) {
        if (!writable) t->fail(std::string("soubor nelze otevřít (") + e.what() + ").");
        try {
            t->file_ = t->fs_->open(path, FileSystem::Mode::Read);
            t->writable_ = false;
        } catch (const std::exception& e2) {
            t->fail(std::string("soubor nelze otevřít (") + e2.what() + ").");
        }
    }
    // One that only looks takes no lock: it neither stops the program that has the catalogue
    // open nor is stopped by it (the records it reads are complete at any moment).
    bool locked = !writable;
    try {
        if (!locked) locked = t->file_->tryLock();
    } catch (const std::exception& e) {
        t->fail(std::string("soubor nelze zamknout (") + e.what() + ").");
    }
    if (!locked) t->fail("databázi používá jiný spuštěný program.");
    try {
        t->layout_ = parseHeader(*t->file_, t->name_);
        t->readCodePageFile();
        t->loadRecords();
    } catch (const EngineError&) {
        throw;
    } catch (const std::exception& e) {
        t->fail(std::string("soubor nelze přečíst (") + e.what() + ").");
    }
    if (!t->loadIndexFile()) {
        t->indexFromFile_ = false;
        if (t->mapped_) t->countLive();
        t->rebuildTags();
        if (!t->tags_.empty() && t->writable_) {
            // The rebuilt index is good in memory; a failed write is retried when the table closes.
            try {
                t->saveIndex();
            } catch (const EngineError&) {
            }
        }
    }
    try {
        t->stamp_ = t->fs_->stamp(path);
    } catch (const std::exception&) {
    }
    return t;
}

std::shared_ptr<TableData> TableData::createMemory(const std::vector<FieldDef>& fields,
                                                   std::uint8_t language) {
    std::shared_ptr<TableData> t(new TableData());
    validateFields(fields, t->name_);
    t->layout_.language = language;
    t->layout_.fields = fields;
    std::uint32_t offset = 1;
    for (const auto& f : fields) {
        t->layout_.offsets.push_back(offset);
        offset += std::uint32_t(f.width);
    }
    t->layout_.recordLength = std::uint16_t(offset);
    t->layout_.headerLength = std::uint16_t(32 + 32 * fields.size() + 1);
    return t;
}

std::string TableData::indexPath() const {
    return indexPathOf(*fs_, directory_, name_);
}

std::string TableData::indexPathOf(FileSystem& fs, const std::string& directory,
                                   const std::string& name) {
    std::string base = name;
    const auto dot = base.rfind('.');
    if (dot != std::string::npos) base.resize(dot);
    return directory + "/" + fs.resolve(directory, base + ".mdx");
}

void TableData::loadRecords() {
    const std::uint32_t n = layout_.count;
    const std::size_t len = layout_.recordLength;
    chunks_.clear();
    mapped_ = nullptr;
    mappedCount_ = 0;
    live_ = 0;
    if (n == 0) return;
    if (const char* m = file_->map(layout_.headerLength + std::uint64_t(n) * len)) {
        mapped_ = m;
        mappedCount_ = n;
        return;  // the live count comes from the index file or countLive
    }
    for (std::uint32_t done = 0; done < n;) {
        const std::uint32_t k = std::min(kChunkRecords, n - done);
        auto chunk = std::make_unique_for_overwrite<char[]>(std::size_t(kChunkRecords) * len);
        const std::size_t bytes = std::size_t(k) * len;
        if (file_->readAt(layout_.headerLength + std::uint64_t(done) * len, chunk.get(), bytes) !=
            bytes)
            fail("soubor je kratší, než uvádí hlavička.");
        chunks_.push_back(std::move(chunk));
        done += k;
    }
    countLive();
}

void TableData::countLive() {
    live_ = 0;
    for (std::uint32_t r = 1; r <= layout_.count; ++r)
        if (!deleted(r)) ++live_;
}

void TableData::pushRecord(const char* image) {
    const std::uint32_t i = layout_.count;
    if ((i - mappedCount_) % kChunkRecords == 0)
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(std::size_t(kChunkRecords) *
                                                                 layout_.recordLength));
    ++layout_.count;
    std::memcpy(mutableRecord(i + 1), image, layout_.recordLength);
    if (liveFlag(*image)) ++live_;
}

int TableData::fieldIndex(std::string_view name) const {
    const auto& f = layout_.fields;
    for (std::size_t i = 0; i < f.size(); ++i)
        if (equalNoCase(f[i].name, name)) return int(i);
    return -1;
}

int TableData::requireField(std::string_view name) const {
    const int i = fieldIndex(name);
    if (i < 0) fail("sloupec " + std::string(name) + " neexistuje.");
    return i;
}

// --- field values ----------------------------------------------------------------------------

void TableData::appendText(const char* rec, int field, std::string& out) const {
    const FieldDef& f = layout_.fields[field];
    std::string_view raw(rec + layout_.offsets[field], std::size_t(f.width));
    switch (f.type) {
        case FieldType::Numeric:
        case FieldType::Float:
            out += numberText(raw);
            return;
        case FieldType::Date: {
            const Date d = date(rec, field);
            if (!d.isNull())
                out += std::to_string(d.day) + "." + std::to_string(d.month) + "." +
                       std::to_string(d.year);
            return;
        }
        default:
            break;
    }
    raw = trimRight(raw);
    bool ascii = true;
    for (char c : raw)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        out.append(raw);
        return;
    }
    const DecodeTable& t = cp852() ? table852() : table1250();
    for (char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out.push_back(c);
        else
            out += t.high[b - 0x80];
    }
}

std::string TableData::text(const char* rec, int field) const {
    std::string out;
    appendText(rec, field, out);
    return out;
}

double TableData::number(const char* rec, int field) const {
    const FieldDef& f = layout_.fields[field];
    double v = 0;
    if (!parseDouble(std::string_view(rec + layout_.offsets[field], std::size_t(f.width)), v))
        return 0;
    return v;
}

std::int64_t TableData::integer(const char* rec, int field) const {
    const FieldDef& f = layout_.fields[field];
    const char* p = rec + layout_.offsets[field];
    const char* end = p + f.width;
    // The common form "   -1234.5600" is read digit by digit; anything else goes through
    // the general reading of numbers.
    const char* q = p;
    while (q < end && *q == ' ') ++q;
    bool minus = false;
    if (q < end && *q == '-') {
        minus = true;
        ++q;
    }
    std::int64_t whole = 0;
    int digits = 0;
    for (; q < end && *q >= '0' && *q <= '9' && digits < 15; ++q, ++digits)
        whole = whole * 10 + (*q - '0');
    bool half = false;
    bool plain = digits > 0 && (q == end || *q == '.' || *q == ' ');
    if (plain && q < end && *q == '.') {
        ++q;
        if (q < end && *q >= '0' && *q <= '9') half = *q >= '5';
        while (q < end && *q >= '0' && *q <= '9') ++q;
    }
    while (plain && q < end && *q == ' ') ++q;
    if (plain && q == end) {
        const std::int64_t v = whole + (half ? 1 : 0);
        return minus ? -v : v;
    }
    const double v = number(rec, field);
    if (!(v > -9.2e18 && v < 9.2e18)) return 0;
    return std::llround(v);
}

Date TableData::date(const char* rec, int field) const {
    const FieldDef& f = layout_.fields[field];
    std::string_view raw(rec + layout_.offsets[field], std::size_t(f.width));
    Date d;
    if (raw.size() == 8 && parseDate(raw, d)) return d;
    return {};
}

const std::int64_t* TableData::wholeNumbers(int field) const {
    const FieldDef& f = layout_.fields.at(std::size_t(field));
    if (f.type != FieldType::Numeric && f.type != FieldType::Float)
        fail("sloupec " + f.name + " není číselný.");
    DecodedColumn* c = nullptr;
    for (auto& d : decoded_)
        if (d.field == field) c = &d;
    if (!c) c = &decoded_.emplace_back();
    if (c->field != field || c->changes != changes_ ||
        c->values.size() > std::size_t(count()) + 1) {
        c->field = field;
        c->changes = changes_;
        c->values.assign(1, 0);
    }
    // Appended records are decoded on the next call; changed ones void the column.
    c->values.reserve(std::size_t(count()) + 1);
    for (std::uint32_t r = std::uint32_t(c->values.size()); r <= count(); ++r)
        c->values.push_back(integer(record(r), field));
    return c->values.data();
}

bool TableData::blank(const char* rec, int field) const {
    const FieldDef& f = layout_.fields[field];
    return trimRight(std::string_view(rec + layout_.offsets[field], std::size_t(f.width))).empty();
}

void TableData::clear(char* rec, int field) const {
    std::memset(rec + layout_.offsets[field], ' ', std::size_t(layout_.fields[field].width));
}

std::vector<char> TableData::blankRecord() const {
    return std::vector<char>(layout_.recordLength, ' ');
}

void TableData::setText(char* rec, int field, std::string_view utf8) const {
    const FieldDef& f = layout_.fields[field];
    char* p = rec + layout_.offsets[field];
    switch (f.type) {
        case FieldType::Character: {
            std::string bytes;
            if (cp852()) {
                // The table edge: plain forms for typography; anything else the code page cannot
                // hold is refused before the record changes, never stored as "?".
                const cp::TableText t = cp::forCp852(utf8);
                if (!t.ok())
                    fail("znak „" + t.refused + "“ nelze zapsat do sloupce " + f.name + ".");
                bytes = cp::utf8ToCp852(t.text);
            } else {
                bytes = cp::utf8ToCp1250(utf8);
            }
            const std::size_t n = std::min(bytes.size(), std::size_t(f.width));
            std::memcpy(p, bytes.data(), n);
            std::memset(p + n, ' ', std::size_t(f.width) - n);
            return;
        }
        case FieldType::Numeric:
        case FieldType::Float: {
            if (trim(utf8).empty()) return clear(rec, field);
            double v = 0;
            if (!parseDouble(utf8, v))
                fail("\"" + std::string(utf8) + "\" není číslo (sloupec " + f.name + ").");
            return setNumber(rec, field, v);
        }
        case FieldType::Date: {
            if (trim(utf8).empty()) return clear(rec, field);
            Date d;
            if (!parseDate(utf8, d))
                fail("\"" + std::string(utf8) + "\" není platné datum (sloupec " + f.name + ").");
            return setDate(rec, field, d);
        }
        case FieldType::Logical: {
            const std::string_view t = trim(utf8);
            char c = ' ';
            if (!t.empty())
                c = std::string_view("TtYyAa1").find(t[0]) != std::string_view::npos ? 'T' : 'F';
            *p = c;
            return;
        }
    }
}

void TableData::setNumber(char* rec, int field, double value) const {
    const FieldDef& f = layout_.fields[field];
    if (f.type == FieldType::Character) return setText(rec, field, formatDouble(value));
    if (f.type != FieldType::Numeric && f.type != FieldType::Float)
        fail("sloupec " + f.name + " není číselný.");
    if (!std::isfinite(value)) fail("neplatná hodnota pro sloupec " + f.name + ".");
    char buf[400];
    const std::size_t n = fixedText(buf, sizeof buf, value, f.decimals);
    if (n == 0 || n > std::size_t(f.width))
        fail("hodnota " + formatDouble(value) + " se nevejde do sloupce " + f.name + ".");
    char* p = rec + layout_.offsets[field];
    std::memset(p, ' ', std::size_t(f.width) - n);
    std::memcpy(p + (std::size_t(f.width) - n), buf, n);
}

void TableData::setInteger(char* rec, int field, std::int64_t value) const {
    const FieldDef& f = layout_.fields[field];
    if (f.type == FieldType::Character) return setText(rec, field, std::to_string(value));
    if (f.type != FieldType::Numeric && f.type != FieldType::Float)
        fail("sloupec " + f.name + " není číselný.");
    std::string s = std::to_string(value);
    if (f.decimals > 0) s += "." + std::string(std::size_t(f.decimals), '0');
    if (s.size() > std::size_t(f.width))
        fail("hodnota " + std::to_string(value) + " se nevejde do sloupce " + f.name + ".");
    char* p = rec + layout_.offsets[field];
    const std::size_t pad = std::size_t(f.width) - s.size();
    std::memset(p, ' ', pad);
    std::memcpy(p + pad, s.data(), s.size());
}

void TableData::setDate(char* rec, int field, Date value) const {
    const FieldDef& f = layout_.fields[field];
    if (f.type != FieldType::Date) fail("sloupec " + f.name + " není datum.");
    if (value.isNull()) return clear(rec, field);
    if (!validDate(value)) fail("neplatné datum pro sloupec " + f.name + ".");
    // validDate keeps every part within its digits, so the text is exactly eight characters.
    char* p = rec + layout_.offsets[field];
    const int parts[3][2] = {{value.year, 4}, {value.month, 2}, {value.day, 2}};
    for (const auto& [number, digits] : parts) {
        for (int i = digits - 1, n = number; i >= 0; --i, n /= 10) p[i] = char('0' + n % 10);
        p += digits;
    }
}

// --- writing ---------------------------------------------------------------------------------

void TableData::requireWritable() const {
    if (!writable_) fail("tabulku nelze měnit (soubor je jen pro čtení).");
}

void TableData::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    try {
        file_->writeAt(offset, data, size);
    } catch (const std::exception& e) {
        fail(std::string("zápis do souboru selhal (") + e.what() + ").");
    }
}

void TableData::markIndexChanging() {
    if (!indexClean_ || !file_) return;
    const std::string ip = indexPath();
    if (fs_->exists(ip)) {
        try {
            auto f = fs_->open(ip, FileSystem::Mode::ReadWrite);
            const char state[4] = {1, 0, 0, 0};
            f->writeAt(kStateOffset, state, 4);
        } catch (const std::exception& e) {
            fail(std::string("zápis indexu selhal (") + e.what() + ").");
        }
    }
    indexClean_ = false;
}

void TableData::writeCount(std::uint32_t count) {
    // The date of the last change goes with the first count written in a session, in the same
    // write, so no write fails unnoticed.
    char bytes[7];
    char old[7];
    std::memcpy(old, layout_.date, 3);
    put32(old + 3, layout_.count);
    const std::string today = dateWritten_ ? std::string(old, 3) : todayBytes();
    std::memcpy(bytes, today.data(), 3);
    put32(bytes + 3, count);
    const std::size_t from = dateWritten_ ? 3 : 0;
    try {
        file_->writeAt(1 + from, bytes + from, 7 - from);
    } catch (const std::exception& e) {
        // A torn count would hide earlier records: put the old one back while we can.
        try {
            file_->writeAt(1 + from, old + from, 7 - from);
        } catch (const std::exception&) {
        }
        fail(std::string("zápis do souboru selhal (") + e.what() + ").");
    }
    std::memcpy(layout_.date, today.data(), 3);
    dateWritten_ = true;
}

std::uint32_t TableData::append(const char* image) {
    return appendAll({image});
}

std::uint32_t TableData::appendAll(const std::vector<const char*>& images) {
    requireWritable();
    if (images.empty()) return layout_.count;
    if (UINT32_MAX - layout_.count < images.size()) fail("tabulka je plná.");
    const std::uint32_t last = layout_.count + std::uint32_t(images.size());
    if (file_) {
        markIndexChanging();
        const std::size_t len = layout_.recordLength;
        const std::uint64_t off = layout_.headerLength + std::uint64_t(layout_.count) * len;
        // What lies past the last record (the end marker, or bytes a crash left) is put back
        // when the append fails, so the file stays as it was.
        std::uint64_t oldSize = 0;
        std::vector<char> tail;
        try {
            oldSize = file_->size();
            if (oldSize > off) {
                tail.resize(
                    std::size_t(std::min<std::uint64_t>(oldSize - off, images.size() * len + 1u)));
                tail.resize(file_->readAt(off, tail.data(), tail.size()));
            }
        } catch (const std::exception& e) {
            fail(std::string("čtení souboru selhalo (") + e.what() + ").");
        }
        std::vector<char> bytes(images.size() * len + 1);
        for (std::size_t i = 0; i < images.size(); ++i)
            std::memcpy(bytes.data() + i * len, images[i], len);
        bytes.back() = 0x1A;
        try {
            writeAt(off, bytes.data(), bytes.size());
            writeCount(last);
        } catch (...) {
            try {
                file_->truncate(std::max(oldSize, off));
                if (!tail.empty()) file_->writeAt(off, tail.data(), tail.size());
            } catch (const std::exception&) {
                // the count was not raised: what stays past it is no record
            }
            throw;
        }
    }
    for (const char* image : images) {
        pushRecord(image);
        if (liveFlag(*image))
            for (auto& t : tags_) t->index.insert({keyOf(*t, image), layout_.count});
    }
    dirty_ = true;
    return last;
}

std::uint32_t TableData::appendMany(const char* images, std::uint32_t n) {
    std::vector<const char*> each(n);
    for (std::uint32_t i = 0; i < n; ++i) each[i] = images + std::size_t(layout_.recordLength) * i;
    const std::uint32_t before = layout_.count;
    appendAll(each);
    return before + 1;
}

void TableData::update(std::uint32_t rec, const char* image) {
    requireWritable();
    if (rec < 1 || rec > layout_.count) fail("záznam " + std::to_string(rec) + " neexistuje.");
    std::vector<char> old(record(rec), record(rec) + layout_.recordLength);
    ++changes_;
    if (file_) {
        markIndexChanging();
        const std::uint64_t off =
            layout_.headerLength + std::uint64_t(rec - 1) * layout_.recordLength;
        try {
            file_->writeAt(off, image, layout_.recordLength);
        } catch (const std::exception& e) {
            try {
                file_->writeAt(off, old.data(), old.size());
            } catch (const std::exception&) {
            }
            fail(std::string("zápis do souboru selhal (") + e.what() + ").");
        }
    }
    const bool wasLive = liveFlag(old[0]);
    const bool isLive = liveFlag(image[0]);
    if (rec > mappedCount_) std::memcpy(mutableRecord(rec), image, layout_.recordLength);
    live_ = live_ - (wasLive ? 1 : 0) + (isLive ? 1 : 0);
    for (auto& t : tags_) {
        std::string oldKey = wasLive ? keyOf(*t, old.data()) : std::string();
        std::string newKey = isLive ? keyOf(*t, image) : std::string();
        if (wasLive && isLive && oldKey == newKey) continue;
        if (wasLive) t->index.erase(oldKey, rec);
        if (isLive) t->index.insert({std::move(newKey), rec});
    }
    dirty_ = true;
}

void TableData::sync() {
    if (!file_) return;
    try {
        file_->sync();
    } catch (const std::exception& e) {
        fail(std::string("zápis na disk selhal (") + e.what() + ").");
    }
}

std::uint64_t TableData::inode() {
    if (!file_) return 0;
    try {
        return fs_->stamp(path()).inode;
    } catch (const std::exception& e) {
        fail(std::string("soubor nelze prozkoumat (") + e.what() + ").");
    }
}

void TableData::markDeleted(std::uint32_t rec) {
    if (!exists(rec)) fail("záznam " + std::to_string(rec) + " neexistuje.");
    std::vector<char> image(record(rec), record(rec) + layout_.recordLength);
    image[0] = '*';
    update(rec, image.data());
}

// --- tags ------------------------------------------------------------------------------------

std::shared_ptr<Tag> TableData::findTag(std::string_view name) const {
    for (const auto& t : tags_)
        if (equalNoCase(t->def.name, name)) return t;
    return nullptr;
}

std::shared_ptr<Tag> TableData::makeTag(const TagDef& def) const {
    if (def.name.empty()) fail("index musí mít jméno.");
    auto tag = std::make_shared<Tag>();
    tag->def = def;
    tag->index = OrderedIndex(def.descending);
    std::string_view expr = def.expression;
    for (;;) {
        const auto plus = expr.find('+');
        const std::string_view part = trim(expr.substr(0, plus));
        const int col = fieldIndex(part);
        if (col < 0)
            fail("klíč \"" + def.expression + "\" indexu " + def.name +
                 " neodpovídá žádnému sloupci.");
        tag->columns.push_back(col);
        if (plus == std::string_view::npos) break;
        expr.remove_prefix(plus + 1);
    }
    if (tag->columns.size() == 1) {
        switch (layout_.fields[tag->columns[0]].type) {
            case FieldType::Numeric:
            case FieldType::Float:
                tag->kind = Tag::Kind::Number;
                break;
            case FieldType::Date:
                tag->kind = Tag::Kind::Date;
                break;
            default:
                tag->kind = Tag::Kind::Text;
                break;
        }
    }
    return tag;
}

std::string TableData::keyOf(const Tag& tag, const char* rec) const {
    switch (tag.kind) {
        case Tag::Kind::Number:
            return encodeDouble(number(rec, tag.columns[0]));
        case Tag::Kind::Date: {
            const Date d = date(rec, tag.columns[0]);
            if (d.isNull()) return {};
            return std::string(rec + layout_.offsets[tag.columns[0]], 8);
        }
        case Tag::Kind::Text:
            break;
    }
    if (tag.columns.size() == 1) {
        const int c = tag.columns[0];
        const std::string_view field(rec + layout_.offsets[c],
                                     std::size_t(layout_.fields[c].width));
        if (cp852()) return cp::czechSortKeyCp852(field);  // straight from the record
        return cp::czechSortKeyCp852(cp::cp1250ToCp852(field));
    }
    std::string raw;
    for (int c : tag.columns)
        raw.append(rec + layout_.offsets[c], std::size_t(layout_.fields[c].width));
    return cp::czechSortKeyCp852(cp852() ? raw : cp::cp1250ToCp852(raw));
}

std::string TableData::keyOf(const Tag& tag, const Key& key) const {
    const auto& v = key.value();
    switch (tag.kind) {
        case Tag::Kind::Text:
            if (const auto* s = std::get_if<std::string>(&v))
                return cp::czechSortKeyCp852(cp::utf8ToCp852(*s));
            if (const auto* d = std::get_if<double>(&v))
                return cp::czechSortKeyCp852(formatDouble(*d));
            {
                const Date& d = std::get<Date>(v);
                char buf[16];
                std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
                return cp::czechSortKeyCp852(d.isNull() ? "" : buf);
            }
        case Tag::Kind::Number: {
            if (const auto* d = std::get_if<double>(&v)) return encodeDouble(*d);
            if (const auto* s = std::get_if<std::string>(&v)) {
                double d = 0;
                if (trim(*s).empty()) return encodeDouble(0);
                if (parseDouble(*s, d)) return encodeDouble(d);
                fail("\"" + *s + "\" není číslo (index " + tag.def.name + ").");
            }
            fail("datum nelze hledat v číselném indexu " + tag.def.name + ".");
        }
        case Tag::Kind::Date: {
            Date d;
            if (const auto* dd = std::get_if<Date>(&v)) {
                d = *dd;
            } else if (const auto* s = std::get_if<std::string>(&v)) {
                if (!trim(*s).empty() && !parseDate(*s, d))
                    fail("\"" + *s + "\" není platné datum (index " + tag.def.name + ").");
            } else {
                fail("číslo nelze hledat v indexu dat " + tag.def.name + ".");
            }
            if (d.isNull()) return {};
            char buf[16];
            std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
            return std::string(buf, 8);
        }
    }
    return {};
}

void TableData::buildTag(Tag& tag) const {
    std::vector<IndexEntry> entries;
    entries.reserve(live_);
    for (std::uint32_t r = 1; r <= layout_.count; ++r) {
        const char* rec = record(r);
        if (liveFlag(*rec)) entries.push_back({keyOf(tag, rec), r});
    }
    const OrderedIndex& order = tag.index;
    const auto inOrder = [&](const IndexEntry& a, const IndexEntry& b) {
        return order.inOrder(a, b);
    };
    // Numbers and tracks are mostly appended in key order; then there is nothing to sort.
    if (std::is_sorted(entries.begin(), entries.end(), inOrder)) {
        tag.index.assign(std::move(entries));
        return;
    }
    // Sort small items holding the first eight key bytes as a big-endian number: most
    // comparisons end there, and the entries themselves move only once, into the index. A key
    // shorter than eight bytes is padded with zeros, which never orders it after a longer key
    // it begins; equal prefixes fall back to the whole key.
    struct Item {
        std::uint64_t prefix;
        std::uint32_t at;
    };
    std::vector<Item> items(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& k = entries[i].key;
        std::uint64_t p = 0;
        for (std::size_t b = 0; b < 8; ++b)
            p = (p << 8) | (b < k.size() ? static_cast<unsigned char>(k[b]) : 0u);
        items[i] = {p, std::uint32_t(i)};
    }
    const bool descending = order.descending();
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.prefix != b.prefix) return descending ? a.prefix > b.prefix : a.prefix < b.prefix;
        return inOrder(entries[a.at], entries[b.at]);
    });
    OrderedIndex index(descending);
    for (const Item& item : items) index.appendSorted(std::move(entries[item.at]));
    tag.index = std::move(index);
}

void TableData::rebuildTags() {
    for (auto& t : tags_) buildTag(*t);
    dirty_ = true;
}

void TableData::addTag(const TagDef& def) {
    auto tag = makeTag(def);
    buildTag(*tag);
    // Until it is written again the index file lacks this tag; a crash must not leave it current.
    if (writable_ && !def.transient) markIndexChanging();
    auto it = std::find_if(tags_.begin(), tags_.end(),
                           [&](const auto& t) { return equalNoCase(t->def.name, def.name); });
    if (it != tags_.end()) {
        (*it)->alive = false;
        *it = std::move(tag);
    } else {
        tags_.push_back(std::move(tag));
    }
    ++tagsVersion_;
    if (def.transient) return;
    dirty_ = true;
    // A writable table writes its index file once, when it is left (after the several tags a
    // catalogue adds at open); a read-only one has no later chance.
    if (file_ && !writable_ && !looking_) saveIndex();
}

void TableData::deleteTag(std::string_view name) {
    auto it = std::find_if(tags_.begin(), tags_.end(),
                           [&](const auto& t) { return equalNoCase(t->def.name, name); });
    if (it == tags_.end()) fail("index " + std::string(name) + " neexistuje.");
    (*it)->alive = false;
    tags_.erase(it);
    ++tagsVersion_;
    dirty_ = true;
    if (file_ && !looking_) saveIndex();
}

std::vector<std::string> TableData::checkTags() const {
    std::vector<std::string> problems;
    for (const auto& t : tags_) {
        Tag fresh;
        fresh.def = t->def;
        fresh.kind = t->kind;
        fresh.columns = t->columns;
        fresh.index = OrderedIndex(t->def.descending);
        buildTag(fresh);
        if (fresh.index.size() != t->index.size()) {
            problems.push_back("Index " + t->def.name + ": " + std::to_string(t->index.size()) +
                               " položek, tabulka má " + std::to_string(fresh.index.size()) +
                               " platných záznamů.");
            continue;
        }
        std::size_t wrong = 0;
        auto a = t->index.begin();
        auto b = fresh.index.begin();
        while (!t->index.atEnd(a) && !fresh.index.atEnd(b)) {
            const auto& x = t->index.at(a);
            const auto& y = fresh.index.at(b);
            if (x.record != y.record || x.key != y.key) ++wrong;
            a = t->index.next(a);
            b = fresh.index.next(b);
        }
        if (wrong)
            problems.push_back("Index " + t->def.name + ": " + std::to_string(wrong) +
                               " položek neodpovídá tabulce.");
    }
    return problems;
}

std::vector<std::uint32_t> TableData::invalidFlags() const {
    std::vector<std::uint32_t> out;
    for (std::uint32_t r = 1; r <= layout_.count; ++r) {
        const char flag = *record(r);
        if (!liveFlag(flag) && flag != '*') out.push_back(r);
    }
    return out;
}

// --- the index file --------------------------------------------------------------------------

namespace {

struct IndexFileContent {
    TableData::IndexFileState state = TableData::IndexFileState::Damaged;
    std::vector<TagDef> defs;
    std::string_view entries;  // the raw entry block, when current
};

bool readSized(std::string_view& in, std::size_t n, std::string_view& out) {
    if (in.size() < n) return false;
    out = in.substr(0, n);
    in.remove_prefix(n);
    return true;
}
bool readU16(std::string_view& in, std::uint16_t& v) {
    std::string_view b;
    if (!readSized(in, 2, b)) return false;
    v = le16(reinterpret_cast<const unsigned char*>(b.data()));
    return true;
}
bool readU32(std::string_view& in, std::uint32_t& v) {
    std::string_view b;
    if (!readSized(in, 4, b)) return false;
    v = le32(reinterpret_cast<const unsigned char*>(b.data()));
    return true;
}

IndexFileContent parseIndexFile(std::string_view file, const FileStamp& table,
                                std::uint32_t count) {
    using S = TableData::IndexFileState;
    IndexFileContent out;
    const auto* u = reinterpret_cast<const unsigned char*>(file.data());
    if (file.size() < kIndexHeaderV1 || std::memcmp(file.data(), kIndexMagic, 8) != 0) return out;
    const std::uint32_t version = le32(u + 12);
    const std::size_t header = version == 1 ? kIndexHeaderV1 : kIndexHeader;
    if ((version != 1 && version != kIndexVersion) || file.size() < header) return out;
    if (checksum(u + 12, header - 20) != get64(u + header - 8)) return out;
    const std::uint32_t tagCount = le32(u + 40);
    const std::uint64_t defsLen = get64(u + 48);
    const std::uint64_t entriesLen = get64(u + 64);
    if (defsLen > file.size() - header) return out;
    const auto* defsStart = u + header;
    if (checksum(defsStart, defsLen) != get64(u + 56)) return out;
    std::string_view defs(file.data() + header, defsLen);
    for (std::uint32_t i = 0; i < tagCount; ++i) {
        std::uint16_t n = 0;
        std::string_view name, expr, desc;
        if (!readU16(defs, n) || !readSized(defs, n, name) || !readU16(defs, n) ||
            !readSized(defs, n, expr) || !readSized(defs, 1, desc)) {
            out.defs.clear();
            return out;
        }
        out.defs.push_back({std::string(name), std::string(expr), desc[0] != 0});
    }
    if (!defs.empty()) {
        out.defs.clear();
        return out;
    }
    // The definitions are good from here on; only the entries may be unusable.
    if (entriesLen != file.size() - header - defsLen) return out;
    out.state = S::Stale;
    const bool sameContent = le32(u + 8) == 0 && le32(u + 16) == collationFingerprint() &&
                             le32(u + 20) == count && get64(u + 24) == table.size;
    if (!sameContent) return out;
    if (checksum(defsStart + defsLen, entriesLen) != get64(u + 72)) {
        out.state = S::Damaged;
        return out;
    }
    out.entries = file.substr(header + defsLen);
    const bool sameFile =
        version == kIndexVersion && std::int64_t(get64(u + 32)) == table.mtimeNs &&
        std::int64_t(get64(u + 80)) == table.ctimeNs && get64(u + 88) == table.inode;
    out.state = sameFile ? S::Current : S::Unverified;
    return out;
}

}  // namespace

bool TableData::loadIndexFile() {
    indexClean_ = false;
    const std::string ip = indexPath();
    if (!fs_->exists(ip)) return false;
    std::unique_ptr<File> f;
    std::unique_ptr<char[]> buffer;
    std::string_view bytes;
    FileStamp stamp;
    try {
        f = fs_->open(ip, FileSystem::Mode::Read);
        const std::uint64_t fileSize = f->size();
        if (fileSize > (std::uint64_t(1) << 34)) return false;
        const auto size = std::size_t(fileSize);
        if (const char* m = f->map(size)) {
            bytes = std::string_view(m, size);
        } else {
            buffer = std::make_unique_for_overwrite<char[]>(size + 1);
            if (f->readAt(0, buffer.get(), size) != size) return false;
            bytes = std::string_view(buffer.get(), size);
        }
        stamp = fs_->stamp(path());
    } catch (const std::exception&) {
        return false;
    }
    const IndexFileContent c = parseIndexFile(bytes, stamp, layout_.count);
    std::vector<std::shared_ptr<Tag>> tags;  // null for a definition this table cannot take
    for (const auto& def : c.defs) {
        try {
            tags.push_back(makeTag(def));
        } catch (const EngineError&) {
            tags.push_back(nullptr);
        }
    }
    for (const auto& t : tags)
        if (t) tags_.push_back(t);
    if (c.state != IndexFileState::Current && c.state != IndexFileState::Unverified) return false;
    const std::uint32_t live = le32(reinterpret_cast<const unsigned char*>(bytes.data()) + 44);
    if (!loadEntries(c.entries, live, tags)) return false;
    if (c.state == IndexFileState::Unverified) {
        // Copied, restored or touched since it was written: its entries count only when every
        // one of them is what the records give now. The file is written again with the new
        // stamp when the table is left.
        if (!checkTags().empty()) return false;
        dirty_ = true;
        indexFromFile_ = true;
        return true;
    }
    dirty_ = false;
    indexClean_ = true;
    indexFromFile_ = true;
    return true;
}

bool TableData::loadEntries(std::string_view in, std::uint32_t live,
                            const std::vector<std::shared_ptr<Tag>>& tags) {
    // The stamp and the checksums say the file is ours and whole; every entry must still name
    // a live record, once per tag, in the tag's order, so that no index can show a deleted or
    // doubled record.
    // One pass over the flags (in record order, so a mapped file is read straight through);
    // the entries are then checked against it, not against the scattered records.
    // One byte per record, small enough to stay in the cache while the entries jump around:
    // 0 not live, 1 live, k + 1 named by the k-th tag already.
    if (tags.size() > 250) return false;
    std::vector<std::uint8_t> mark(std::size_t(layout_.count) + 1, 0);
    live_ = 0;
    for (std::uint32_t r = 1; r <= layout_.count; ++r)
        if (liveFlag(*record(r))) {
            mark[r] = 1;
            ++live_;
        }
    if (live != live_) return false;
    std::uint8_t tagNumber = 0;
    for (const auto& t : tags) {
        ++tagNumber;
        const std::uint8_t seen = tagNumber + 1;
        std::uint32_t n = 0;
        if (!readU32(in, n) || n != live) return false;
        OrderedIndex index(t ? t->def.descending : false);
        std::string_view previousKey;  // in the file's bytes, which outlive the loop
        std::uint32_t previousRec = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            std::uint32_t rec = 0;
            std::uint16_t len = 0;
            std::string_view key;
            if (!readU32(in, rec) || !readU16(in, len) || !readSized(in, len, key)) return false;
            // Each tag names every live record once: a live record not yet named by this tag
            // was named by the previous one (or none, for the first).
            if (rec < 1 || rec > layout_.count || mark[rec] != seen - 1) return false;
            mark[rec] = seen;
            if (!t) continue;
            if (i > 0) {
                const int c = index.compareKeys(previousKey, key);
                if (c > 0 || (c == 0 && previousRec >= rec)) return false;
            }
            previousKey = key;
            previousRec = rec;
            index.appendSorted({std::string(key), rec});
        }
        if (t) t->index = std::move(index);
    }
    return in.empty();
}

TableData::IndexFileState TableData::indexFileState() {
    if (inMemory()) return IndexFileState::Missing;
    return indexFileStateOf(*fs_, directory_, name_, layout_.count);
}

TableData::IndexFileState TableData::indexFileStateOf(FileSystem& fs, const std::string& directory,
                                                      const std::string& name,
                                                      std::uint32_t count) {
    const std::string ip = indexPathOf(fs, directory, name);
    if (!fs.exists(ip)) return IndexFileState::Missing;
    std::string bytes;
    FileStamp stamp;
    try {
        auto f = fs.open(ip, FileSystem::Mode::Read);
        const std::uint64_t size = f->size();
        if (size > (std::uint64_t(1) << 34)) return IndexFileState::Damaged;
        bytes.resize(size);
        if (f->readAt(0, bytes.data(), bytes.size()) != bytes.size())
            return IndexFileState::Damaged;
        stamp = fs.stamp(directory + "/" + name);
    } catch (const std::exception&) {
        return IndexFileState::Damaged;
    }
    return parseIndexFile(bytes, stamp, count).state;
}

void TableData::saveIndex() {
    if (!file_ || looking_) return;
    const std::string ip = indexPath();
    // Tags of a view's passing order live only in memory.
    std::vector<std::shared_ptr<Tag>> stored;
    for (const auto& t : tags_)
        if (!t->def.transient) stored.push_back(t);
    if (stored.empty() && !fs_->exists(ip)) {
        dirty_ = false;
        return;
    }
    std::string defs;
    for (const auto& t : stored) {
        for (const std::string* s : {&t->def.name, &t->def.expression}) {
            const std::uint16_t n = std::uint16_t(std::min<std::size_t>(s->size(), 0xFFFF));
            defs.push_back(char(n & 0xFF));
            defs.push_back(char(n >> 8));
            defs.append(s->data(), n);
        }
        defs.push_back(t->def.descending ? 1 : 0);
    }
    std::size_t entriesSize = 0;
    for (const auto& t : stored) {
        entriesSize += 4 + 6 * t->index.size();
        t->index.forEach([&](const IndexEntry& e) { entriesSize += e.key.size(); });
    }
    std::string entries;
    entries.reserve(entriesSize);
    for (const auto& t : stored) {
        char b[6];
        put32(b, std::uint32_t(t->index.size()));
        entries.append(b, 4);
        t->index.forEach([&](const IndexEntry& e) {
            put32(b, e.record);
            put16(b + 4, std::uint16_t(e.key.size()));
            entries.append(b, 6);
            entries += e.key;
        });
    }
    try {
        const FileStamp table = fs_->stamp(path());
        std::string head(kIndexMagic, 8);
        put64(head, 0);  // state (4 bytes) and version (4 bytes) below
        char* p = head.data() + 8;
        put32(p, 0);
        put32(p + 4, kIndexVersion);
        std::string rest;
        const auto add32 = [&](std::uint32_t v) {
            char b[4];
            put32(b, v);
            rest.append(b, 4);
        };
        add32(collationFingerprint());
        add32(layout_.count);
        put64(rest, table.size);
        put64(rest, std::uint64_t(table.mtimeNs));
        add32(std::uint32_t(stored.size()));
        add32(live_);
        put64(rest, defs.size());
        put64(rest, checksum(reinterpret_cast<const unsigned char*>(defs.data()), defs.size()));
        put64(rest, entries.size());
        put64(rest,
              checksum(reinterpret_cast<const unsigned char*>(entries.data()), entries.size()));
        put64(rest, std::uint64_t(table.ctimeNs));
        put64(rest, table.inode);
        head += rest;
        put64(head,
              checksum(reinterpret_cast<const unsigned char*>(head.data()) + 12, head.size() - 12));
        const std::string tmp = ip + ".tmp";
        {
            auto f = fs_->open(tmp, FileSystem::Mode::Create);
            f->writeAt(0, head.data(), head.size());
            f->writeAt(head.size(), defs.data(), defs.size());
            f->writeAt(head.size() + defs.size(), entries.data(), entries.size());
        }
        fs_->rename(tmp, ip);
        stamp_ = table;
    } catch (const std::exception& e) {
        fail(std::string("zápis indexu selhal (") + e.what() + ").");
    }
    dirty_ = false;
    indexClean_ = true;
}

void TableData::saveIndexIfDirty() {
    if (dirty_ && file_ && writable_) saveIndex();
}

void TableData::detach() {
    if (--cursors_ > 0 || !file_) return;
    try {
        saveIndexIfDirty();
    } catch (const EngineError&) {
        // Closing cannot fail; a stale index file is rebuilt at the next open.
    }
    refreshStamp();
}

void TableData::refreshStamp() {
    if (!file_) return;
    try {
        stamp_ = fs_->stamp(path());
    } catch (const std::exception&) {
    }
}

bool TableData::changedOnDisk() {
    if (!file_) return false;
    try {
        return fs_->stamp(path()) != stamp_;
    } catch (const std::exception&) {
        return true;
    }
}

// --- whole-file changes ----------------------------------------------------------------------

void TableData::replaceFile(const Layout& layout, const std::vector<std::uint32_t>& keep,
                            const FieldDef* added, bool normalize) {
    const std::size_t newLen = layout.recordLength;
    const std::size_t oldLen = layout_.recordLength;
    ++changes_;
    const auto fillRecord = [&](char* dst, std::uint32_t rec) {
        std::memcpy(dst, record(rec), oldLen);
        if (added) std::memset(dst + oldLen, ' ', newLen - oldLen);
        if (normalize) normalizeRecord(dst);
    };
    std::unique_ptr<File> replacement;
    if (file_) {
        // A table that is a symbolic link stays one: the file it names is replaced.
        const std::string target = fs_->realPath(path());
        const std::string tmp = target + ".tmp";
        try {
            replacement = fs_->open(tmp, FileSystem::Mode::Create);
            if (!replacement->tryLock()) fail("dočasný soubor nelze zamknout.");
            const std::vector<char> header = buildHeader(layout);
            replacement->writeAt(0, header.data(), header.size());
            std::uint64_t off = header.size();
            std::vector<char> buf;
            const std::size_t batch = std::max<std::size_t>(1, (1 << 20) / newLen);
            for (std::size_t i = 0; i < keep.size();) {
                const std::size_t n = std::min(batch, keep.size() - i);
                buf.resize(n * newLen);
                for (std::size_t j = 0; j < n; ++j)
                    fillRecord(buf.data() + j * newLen, keep[i + j]);
                replacement->writeAt(off, buf.data(), buf.size());
                off += buf.size();
                i += n;
            }
            const char end = 0x1A;
            replacement->writeAt(off, &end, 1);
            replacement->sync();
            fs_->rename(tmp, target);
            const auto slash = target.find_last_of('/');
            fs_->syncDirectory(slash == std::string::npos ? "." : target.substr(0, slash));
        } catch (const std::exception& e) {
            replacement.reset();
            try {
                fs_->remove(tmp);
            } catch (const std::exception&) {
            }
            if (dynamic_cast<const EngineError*>(&e)) throw;
            fail(std::string("zápis nového souboru selhal, původní tabulka zůstala beze změny (") +
                 e.what() + ").");
        }
    }
    std::vector<std::unique_ptr<char[]>> chunks;
    for (std::size_t i = 0; i < keep.size(); ++i) {
        if (i % kChunkRecords == 0)
            chunks.push_back(
                std::make_unique_for_overwrite<char[]>(std::size_t(kChunkRecords) * newLen));
        fillRecord(chunks.back().get() + (i % kChunkRecords) * newLen, keep[i]);
    }
    chunks_ = std::move(chunks);
    mapped_ = nullptr;
    mappedCount_ = 0;
    layout_ = layout;
    layout_.count = std::uint32_t(keep.size());
    layout_.headerLength = std::uint16_t(32 + 32 * layout_.fields.size() + 1);
    live_ = 0;
    for (std::uint32_t r = 1; r <= layout_.count; ++r)
        if (!deleted(r)) ++live_;
    if (replacement) file_ = std::move(replacement);  // the old file and its lock go
    dateWritten_ = false;
    indexClean_ = false;
}

void TableData::addColumn(const FieldDef& field) {
    requireWritable();
    if (editing_ > 0) fail("sloupec nelze přidat, záznam se právě upravuje.");
    std::vector<FieldDef> fields = layout_.fields;
    fields.push_back(field);
    validateFields(fields, name_);
    Layout l = layout_;
    l.fields = fields;
    l.offsets.push_back(l.recordLength);
    l.recordLength = std::uint16_t(l.recordLength + field.width);
    l.headerLength = std::uint16_t(32 + 32 * fields.size() + 1);
    std::vector<std::uint32_t> keep(layout_.count);
    for (std::uint32_t r = 0; r < layout_.count; ++r) keep[r] = r + 1;
    replaceFile(l, keep, &field);
    dirty_ = true;
    ++tagsVersion_;
    saveIndexAfterReplace();
}

void TableData::pack() {
    requireWritable();
    if (editing_ > 0) fail("tabulku nelze zhustit, záznam se právě upravuje.");
    std::vector<std::uint32_t> keep;
    keep.reserve(live_);
    // Kept records keep their order, so the tags only need their record numbers changed.
    std::vector<std::uint32_t> newNumber(std::size_t(layout_.count) + 1, 0);
    for (std::uint32_t r = 1; r <= layout_.count; ++r)
        if (!deleted(r)) {
            keep.push_back(r);
            newNumber[r] = std::uint32_t(keep.size());
        }
    Layout l = layout_;
    l.count = std::uint32_t(keep.size());
    replaceFile(l, keep, nullptr);
    ++generation_;
    ++tagsVersion_;
    for (auto& t : tags_) t->index.renumber(newNumber);
    dirty_ = true;
    saveIndexAfterReplace();
}

std::vector<TableData::CommaNumber> TableData::commaNumbers() const {
    std::vector<int> numeric;
    for (int f = 0; f < int(layout_.fields.size()); ++f)
        if (layout_.fields[f].type == FieldType::Numeric ||
            layout_.fields[f].type == FieldType::Float)
            numeric.push_back(f);
    std::vector<CommaNumber> found;
    if (numeric.empty()) return found;
    for (std::uint32_t r = 1; r <= layout_.count; ++r) {
        const char* rec = record(r);
        for (int f : numeric)
            if (hasDecimalComma(std::string_view(rec + layout_.offsets[f],
                                                 std::size_t(layout_.fields[f].width))))
                found.push_back({r, f});
    }
    return found;
}

void TableData::normalizeRecord(char* rec) const {
    for (int f = 0; f < int(layout_.fields.size()); ++f) {
        const FieldDef& d = layout_.fields[f];
        if (d.type != FieldType::Numeric && d.type != FieldType::Float) continue;
        const std::string_view raw(rec + layout_.offsets[f], std::size_t(d.width));
        double v = 0;
        // A value no reading makes a number of stays as it is, for the check to report.
        if (hasDecimalComma(raw) && parseDouble(raw, v)) setNumber(rec, f, v);
    }
}

std::size_t TableData::normalizeNumbers() {
    requireWritable();
    if (editing_ > 0) fail("čísla nelze opravit, záznam se právě upravuje.");
    const std::size_t found = commaNumbers().size();
    if (found == 0) return 0;
    std::vector<std::uint32_t> keep(layout_.count);
    for (std::uint32_t r = 0; r < layout_.count; ++r) keep[r] = r + 1;
    const Layout same = layout_;
    replaceFile(same, keep, nullptr, true);
    // Record numbers stay; only keys taken from the text of a number can differ.
    rebuildTags();
    ++tagsVersion_;
    dirty_ = true;
    saveIndexAfterReplace();
    return found - commaNumbers().size();
}

void TableData::saveIndexAfterReplace() {
    // The new table is in place; an index file that cannot be written now is stale and gets
    // rebuilt at the next open, so the change itself has not failed.
    try {
        saveIndexIfDirty();
    } catch (const EngineError&) {
    }
    refreshStamp();
}

}  // namespace lorvika::dbf
