#include "Transaction.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string_view>

#include "Cursor.h"
#include "Engine.h"
#include "EngineError.h"
#include "TableData.h"

namespace lorvika::dbf {

namespace {

// Layout of a log (little-endian numbers):
//   "LRVKLOG1", u32 note length, note, u32 tables,
//   per table: u16 name length, name, u64 inode, u16 header length, u16 record length,
//              u32 records before, u32 records after,
//   u64 checksum of the header so far;
//   per record: u8 table, u32 record number, the record image, u64 checksum of the three;
//   trailer: "LRVKEND1", u32 records, u64 checksum of everything before the trailer.
constexpr std::string_view kMagic = "LRVKLOG1";
constexpr std::string_view kEnd = "LRVKEND1";
constexpr std::size_t kTrailer = 8 + 4 + 8;
constexpr int kMaxKept = 1000;

std::uint64_t checksum(const char* p, std::size_t n, std::uint64_t h = 1469598103934665603ULL) {
    for (std::size_t i = 0; i < n; ++i) {
        h ^= static_cast<unsigned char>(p[i]);
        h *= 1099511628211ULL;
    }
    return h;
}

template <class T>
void put(std::string& out, T v) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.push_back(char((std::uint64_t(v) >> (8 * i)) & 0xFF));
}

struct Reader {
    std::string_view s;
    std::size_t at = 0;
    bool ok = true;
    template <class T>
    T get() {
        if (at + sizeof(T) > s.size()) {
            ok = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            v |= std::uint64_t(static_cast<unsigned char>(s[at + i])) << (8 * i);
        at += sizeof(T);
        return static_cast<T>(v);
    }
    std::string_view bytes(std::size_t n) {
        if (at + n > s.size()) {
            ok = false;
            return {};
        }
        const std::string_view r = s.substr(at, n);
        at += n;
        return r;
    }
};

struct LogTable {
    std::string name;
    std::uint64_t inode = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::uint32_t before = 0;
    std::uint32_t after = 0;
};

struct LogEntry {
    std::size_t table = 0;
    std::uint32_t rec = 0;
    std::string_view image;
};

struct Log {
    std::string note;
    std::vector<LogTable> tables;
    std::vector<LogEntry> entries;
};

std::string join(const std::string& directory, std::string_view name) {
    if (!directory.empty() && directory.back() == '/') return directory + std::string(name);
    return directory + "/" + std::string(name);
}

std::string logPath(FileSystem& fs, const std::string& directory) {
    return join(directory, fs.resolve(directory, kLogName));
}

std::string keptPath(const std::string& directory, int n) {
    return join(directory, std::string(kKeptLogPrefix) + std::to_string(n) + ".log");
}

std::string readAll(FileSystem& fs, const std::string& path) {
    auto f = fs.open(path, FileSystem::Mode::Read);
    std::string s(static_cast<std::size_t>(f->size()), '\0');
    s.resize(f->readAt(0, s.data(), s.size()));
    return s;
}

std::string encodeHeader(const Log& log) {
    std::string out(kMagic);
    put<std::uint32_t>(out, std::uint32_t(log.note.size()));
    out += log.note;
    put<std::uint32_t>(out, std::uint32_t(log.tables.size()));
    for (const LogTable& t : log.tables) {
        put<std::uint16_t>(out, std::uint16_t(t.name.size()));
        out += t.name;
        put<std::uint64_t>(out, t.inode);
        put<std::uint16_t>(out, t.headerLength);
        put<std::uint16_t>(out, t.recordLength);
        put<std::uint32_t>(out, t.before);
        put<std::uint32_t>(out, t.after);
    }
    put<std::uint64_t>(out, checksum(out.data(), out.size()));
    return out;
}

void encodeEntry(std::string& out, std::size_t table, std::uint32_t rec, const char* image,
                 std::size_t length) {
    const std::size_t from = out.size();
    put<std::uint8_t>(out, std::uint8_t(table));
    put<std::uint32_t>(out, rec);
    out.append(image, length);
    put<std::uint64_t>(out, checksum(out.data() + from, out.size() - from));
}

void encodeTrailer(std::string& out, std::size_t entries) {
    const std::uint64_t sum = checksum(out.data(), out.size());
    out += kEnd;
    put<std::uint32_t>(out, std::uint32_t(entries));
    put<std::uint64_t>(out, sum);
}

enum class Parsed { Complete, Incomplete, Damaged };

// Incomplete: no trailer at the end, so the commit never got past writing the log.
Parsed parse(std::string_view s, Log& log) {
    if (s.size() < kMagic.size() + kTrailer || s.substr(s.size() - kTrailer, kEnd.size()) != kEnd)
        return Parsed::Incomplete;
    Reader trailer{s, s.size() - kTrailer + kEnd.size()};
    const std::uint32_t count = trailer.get<std::uint32_t>();
    const std::uint64_t sum = trailer.get<std::uint64_t>();
    const std::string_view body = s.substr(0, s.size() - kTrailer);
    if (checksum(body.data(), body.size()) != sum) return Parsed::Damaged;
    Reader r{body};
    if (r.bytes(kMagic.size()) != kMagic) return Parsed::Damaged;
    log.note = std::string(r.bytes(r.get<std::uint32_t>()));
    const std::uint32_t tables = r.get<std::uint32_t>();
    for (std::uint32_t i = 0; r.ok && i < tables && i < 256; ++i) {
        LogTable t;
        t.name = std::string(r.bytes(r.get<std::uint16_t>()));
        t.inode = r.get<std::uint64_t>();
        t.headerLength = r.get<std::uint16_t>();
        t.recordLength = r.get<std::uint16_t>();
        t.before = r.get<std::uint32_t>();
        t.after = r.get<std::uint32_t>();
        log.tables.push_back(std::move(t));
    }
    const std::size_t headerEnd = r.at;
    if (!r.ok || tables != log.tables.size() ||
        r.get<std::uint64_t>() != checksum(body.data(), headerEnd))
        return Parsed::Damaged;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t from = r.at;
        LogEntry e;
        e.table = r.get<std::uint8_t>();
        if (!r.ok || e.table >= log.tables.size()) return Parsed::Damaged;
        e.rec = r.get<std::uint32_t>();
        e.image = r.bytes(log.tables[e.table].recordLength);
        const std::size_t to = r.at;
        if (!r.ok || r.get<std::uint64_t>() != checksum(body.data() + from, to - from) ||
            e.rec == 0)
            return Parsed::Damaged;
        log.entries.push_back(e);
    }
    if (!r.ok || r.at != body.size()) return Parsed::Damaged;
    return Parsed::Complete;
}

void syncDir(FileSystem& fs, const std::string& directory) {
    fs.syncDirectory(directory.empty() ? "." : directory);
}

// Puts the images in place. Records already holding their image are left alone, so a log
// applied again writes nothing twice and gives the same tables.
void applyLog(const std::vector<std::shared_ptr<TableData>>& tables, const Log& log) {
    for (std::size_t i = 0; i < tables.size(); ++i) {
        TableData& t = *tables[i];
        std::vector<const char*> appended;
        for (const LogEntry& e : log.entries) {
            if (e.table != i) continue;
            if (e.rec <= t.count()) {
                if (std::memcmp(t.record(e.rec), e.image.data(), e.image.size()) != 0)
                    t.update(e.rec, e.image.data());
            } else if (e.rec == t.count() + 1 + appended.size()) {
                appended.push_back(e.image.data());
            } else {
                t.fail("záznam změny míří za konec tabulky.");
            }
        }
        t.appendAll(appended);
        t.sync();
    }
}

// The appended records and the count that names them are synced together, so after a power
// cut the count may name records that never reached the disk; such a table cannot be opened.
// The log appends those records again, so the count goes back to what it was before.
void mendCount(FileSystem& fs, const std::string& path, const LogTable& t) {
    if (!fs.exists(path) || fs.stamp(path).inode != t.inode) return;
    auto f = fs.open(path, FileSystem::Mode::ReadWrite);
    unsigned char h[12] = {};
    if (f->readAt(0, h, sizeof h) != sizeof h) return;
    const std::uint32_t count = std::uint32_t(h[4]) | std::uint32_t(h[5]) << 8 |
                                std::uint32_t(h[6]) << 16 | std::uint32_t(h[7]) << 24;
    const std::uint16_t headerLength = std::uint16_t(h[8] | h[9] << 8);
    const std::uint16_t recordLength = std::uint16_t(h[10] | h[11] << 8);
    if (headerLength != t.headerLength || recordLength != t.recordLength || count <= t.before ||
        count > t.after)
        return;
    if (f->size() >= std::uint64_t(headerLength) + std::uint64_t(count) * recordLength) return;
    std::string before;
    put<std::uint32_t>(before, t.before);
    f->writeAt(4, before.data(), before.size());
    f->sync();
}

void removeLog(FileSystem& fs, const std::string& directory, const std::string& path) {
    fs.remove(path);
    syncDir(fs, directory);
}

}  // namespace

Transaction::Transaction(Engine& engine, std::string directory)
    : engine_(engine), directory_(std::move(directory)) {}

Transaction::~Transaction() = default;

Transaction::Staged& Transaction::staged(const std::shared_ptr<TableData>& table) {
    if (done_) table->fail("změna už byla zapsána.");
    if (table->inMemory()) table->fail("dočasnou tabulku nelze měnit v transakci.");
    for (Staged& s : tables_)
        if (s.table == table) return s;
    if (tables_.size() >= 255) table->fail("příliš mnoho tabulek v jedné změně.");
    tables_.push_back({table, {}, {}});
    return tables_.back();
}

void Transaction::post(Cursor& cursor) {
    const auto table = cursor.table();
    Cursor::Pending p = cursor.takeEdit();
    if (p.rec == 0)
        append(table, p.image.data());
    else
        update(table, p.rec, p.image.data());
}

void Transaction::update(const std::shared_ptr<TableData>& table, std::uint32_t rec,
                         const char* image) {
    if (rec < 1 || rec > table->count())
        table->fail("záznam " + std::to_string(rec) + " neexistuje.");
    staged(table).updates[rec].assign(image, image + table->recordLength());
}

void Transaction::append(const std::shared_ptr<TableData>& table, const char* image) {
    staged(table).appends.emplace_back(image, image + table->recordLength());
}

void Transaction::remove(const std::shared_ptr<TableData>& table, std::uint32_t rec) {
    Staged& s = staged(table);
    const auto it = s.updates.find(rec);
    std::vector<char> image;
    if (it != s.updates.end()) {
        image = it->second;
    } else {
        if (!table->exists(rec)) table->fail("záznam " + std::to_string(rec) + " neexistuje.");
        image.assign(table->record(rec), table->record(rec) + table->recordLength());
    }
    image[0] = '*';
    s.updates[rec] = std::move(image);
}

void Transaction::commit() {
    if (done_) return;
    if (tables_.empty()) {
        done_ = true;
        return;
    }
    FileSystem& fs = engine_.fileSystem();
    // A log another commit left goes first: this one must never take its place.
    recoverLog(engine_, directory_);

    Log log;
    log.note = note_;
    std::vector<std::shared_ptr<TableData>> tables;
    std::string entries;
    std::size_t count = 0;
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        const Staged& s = tables_[i];
        TableData& t = *s.table;
        if (!t.writable()) t.fail("tabulku nelze měnit (soubor je jen pro čtení).");
        LogTable lt;
        lt.name = t.fileName();
        lt.inode = t.inode();
        lt.recordLength = t.recordLength();
        lt.headerLength = t.headerLength();
        lt.before = t.count();
        lt.after = t.count() + std::uint32_t(s.appends.size());
        for (const auto& [rec, image] : s.updates) {
            if (rec > t.count()) t.fail("záznam " + std::to_string(rec) + " neexistuje.");
            encodeEntry(entries, i, rec, image.data(), image.size());
            ++count;
        }
        std::uint32_t rec = t.count();
        for (const auto& image : s.appends) {
            encodeEntry(entries, i, ++rec, image.data(), image.size());
            ++count;
        }
        log.tables.push_back(std::move(lt));
        tables.push_back(s.table);
    }
    std::string bytes = encodeHeader(log);
    bytes += entries;
    encodeTrailer(bytes, count);

    const std::string path = join(directory_, kLogName);
    try {
        auto f = fs.open(path, FileSystem::Mode::Create);
        f->writeAt(0, bytes.data(), bytes.size());
        f->sync();
        f.reset();
        syncDir(fs, directory_);
    } catch (const std::exception& e) {
        // Not durable, so never applied: the tables stay as they are.
        try {
            removeLog(fs, directory_, path);
        } catch (const std::exception&) {
        }
        tables.front()->fail(std::string("změnu nelze zapsat, tabulky zůstaly beze změny (") +
                             e.what() + ").");
    }
    done_ = true;

    Log applied;
    if (parse(bytes, applied) != Parsed::Complete)
        tables.front()->fail("záznam změny nelze sestavit.");
    try {
        applyLog(tables, applied);
        removeLog(fs, directory_, path);
    } catch (const std::exception& e) {
        tables.front()->fail(std::string("změna je zapsána v ") + kLogName +
                             ", ale do tabulek se nedostala celá (" + e.what() +
                             "); dokončí se při příštím otevření databáze.");
    }
}

std::optional<LogRecovery> recoverLog(Engine& engine, const std::string& directory) {
    FileSystem& fs = engine.fileSystem();
    const std::string path = logPath(fs, directory);
    if (!fs.exists(path)) return std::nullopt;
    Log log;
    Parsed parsed;
    std::string bytes;  // the entries point into it
    try {
        bytes = readAll(fs, path);
        parsed = parse(bytes, log);
    } catch (const std::exception& e) {
        throw EngineError(std::string("Záznam změny ") + path + " nelze přečíst (" + e.what() +
                          ").");
    }
    LogRecovery out;
    std::vector<std::shared_ptr<TableData>> tables;
    std::string mismatch;
    if (parsed == Parsed::Complete) {
        for (const LogTable& t : log.tables) {
            if (!engine.tableExists(directory, t.name)) {
                mismatch = "tabulka " + t.name + " neexistuje";
                break;
            }
            mendCount(fs, join(directory, fs.resolve(directory, t.name)), t);
            auto data = engine.table(directory, t.name);
            if (data->inode() != t.inode || data->recordLength() != t.recordLength ||
                data->headerLength() != t.headerLength || data->count() < t.before ||
                data->count() > t.after) {
                mismatch = "tabulka " + t.name + " není ta, pro kterou byl zapsán";
                break;
            }
            tables.push_back(std::move(data));
        }
    }
    try {
        if (parsed == Parsed::Incomplete) {
            removeLog(fs, directory, path);
            out.outcome = LogRecovery::Outcome::Incomplete;
            return out;
        }
        if (parsed == Parsed::Complete && mismatch.empty()) {
            applyLog(tables, log);
            removeLog(fs, directory, path);
            out.outcome = LogRecovery::Outcome::Applied;
            out.note = log.note;
            return out;
        }
        int n = 1;
        while (n < kMaxKept && fs.exists(keptPath(directory, n))) ++n;
        out.keptAs = keptPath(directory, n);
        fs.rename(path, out.keptAs);
        syncDir(fs, directory);
    } catch (const EngineError&) {
        throw;
    } catch (const std::exception& e) {
        throw EngineError(std::string("Záznam změny ") + path + " nelze zpracovat (" + e.what() +
                          ").");
    }
    out.outcome = LogRecovery::Outcome::Kept;
    out.message = "Záznam nedokončené změny v databázi " + directory +
                  (parsed == Parsed::Damaged ? " je poškozený"
                                             : " nepatří k jejím tabulkám (" + mismatch + ")") +
                  ", proto nebyl použit. Je uschován jako " + out.keptAs + ".";
    return out;
}

std::vector<std::string> logNotices(FileSystem& fs, const std::string& directory) {
    std::vector<std::string> out;
    const std::string path = logPath(fs, directory);
    if (fs.exists(path)) {
        Log log;
        Parsed p = Parsed::Damaged;
        try {
            const std::string bytes = readAll(fs, path);
            p = parse(bytes, log);
        } catch (const std::exception&) {
        }
        switch (p) {
            case Parsed::Complete:
                out.push_back("Čeká nedokončená změna (" + path +
                              "), dokončí ji příští otevření databáze pro zápis.");
                break;
            case Parsed::Incomplete:
                out.push_back("Leží tu nedopsaný záznam změny (" + path +
                              "), tabulky nezměnil; příští otevření pro zápis ho odstraní.");
                break;
            case Parsed::Damaged:
                out.push_back("Záznam změny " + path +
                              " je poškozený; příští otevření pro zápis ho uschová a nepoužije.");
                break;
        }
    }
    for (int n = 1; n < kMaxKept && fs.exists(keptPath(directory, n)); ++n)
        out.push_back("Neplatný záznam změny uschován jako " + keptPath(directory, n) +
                      ", do tabulek se nedostal.");
    return out;
}

bool hasKeptLog(FileSystem& fs, const std::string& directory) {
    return fs.exists(keptPath(directory, 1));
}

void discardLog(FileSystem& fs, const std::string& directory) {
    const std::string path = logPath(fs, directory);
    if (!fs.exists(path)) return;
    removeLog(fs, directory, path);
}

}  // namespace lorvika::dbf
