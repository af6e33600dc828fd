#include "Engine.h"

#include <cstring>
#include <filesystem>
#include <map>

#include "Clock.h"
#include "EngineError.h"
#include "Names.h"
#include "TableData.h"
#include "Transaction.h"

namespace lorvika::dbf {

namespace {

[[noreturn]] void failFor(const std::string& name, const std::string& what) {
    throw EngineError("Tabulka " + name + ": " + what);
}

std::string withExtension(const std::string& file) {
    const auto slash = file.find_last_of('/');
    const auto dot = file.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return file + ".DBF";
    return file;
}

std::string normalDirectory(const std::string& dir) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(dir.empty() ? "." : dir, ec);
    if (ec) p = std::filesystem::path(dir.empty() ? "." : dir).lexically_normal();
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

// A file another running program holds must not be replaced or removed.
std::unique_ptr<File> lockFile(FileSystem& fs, const std::string& path, const std::string& name) {
    if (!fs.exists(path)) return nullptr;
    std::unique_ptr<File> f;
    try {
        f = fs.open(path, FileSystem::Mode::Read);
    } catch (const std::exception& e) {
        failFor(name, std::string("soubor nelze otevřít (") + e.what() + ").");
    }
    bool locked = false;
    try {
        locked = f->tryLock();
    } catch (const std::exception& e) {
        failFor(name, std::string("soubor nelze zamknout (") + e.what() + ").");
    }
    if (!locked) failFor(name, "databázi používá jiný spuštěný program.");
    return f;
}

}  // namespace

TableLock::TableLock(const std::string& directory, const std::vector<std::string>& files,
                     FileSystem& fs) {
    const std::string dir = normalDirectory(directory);
    for (const auto& file : files) {
        const std::string name = fs.resolve(dir, withExtension(file));
        if (auto f = lockFile(fs, dir + "/" + name, name)) held_.push_back(std::move(f));
    }
}

TableLock::~TableLock() = default;

struct Engine::Impl {
    std::string driver = "DB852CZ0";
    bool readOnly = false;
    std::map<std::string, std::shared_ptr<TableData>> tables;
    // Names as callers give them, for tables that cursors hold open: such a table is what
    // resolving the name would find again, so the directory need not be searched each time.
    std::map<std::pair<std::string, std::string>, std::weak_ptr<TableData>> given;

    struct Name {
        std::string directory;
        std::string file;  // as found on disk, or as given for a new file
        std::string path() const { return directory + "/" + file; }
    };

    static Name resolve(FileSystem& fs, const std::string& directory, const std::string& file) {
        Name n{normalDirectory(directory), withExtension(file)};
        n.file = fs.resolve(n.directory, n.file);
        return n;
    }

    std::shared_ptr<TableData> find(const Name& n) const {
        const auto it = tables.find(n.path());
        return it == tables.end() ? nullptr : it->second;
    }

    std::shared_ptr<TableData> acquire(const std::shared_ptr<FileSystem>& fs, const Name& n) {
        if (auto t = find(n)) {
            // A file replaced behind our back (a restore, another tool) is read again.
            if (t->cursors() > 0 || !t->changedOnDisk()) return t;
            tables.erase(n.path());
        }
        if (!fs->exists(n.path())) failFor(n.file, "soubor neexistuje (" + n.path() + ").");
        auto t = readOnly ? TableData::openFile(fs, n.directory, n.file, TableData::Access::Look)
                          : TableData::openFile(fs, n.directory, n.file);
        tables[n.path()] = t;
        return t;
    }

    void dropUnused(const Name& n, const char* what) {
        if (auto t = find(n)) {
            if (t->cursors() > 0) failFor(n.file, what);
            tables.erase(n.path());
        }
    }

    static std::unique_ptr<File> probeLock(FileSystem& fs, const Name& n) {
        return lockFile(fs, n.path(), n.file);
    }

    void requireWritable(const Name& n) const {
        if (readOnly) failFor(n.file, "tabulku nelze měnit (otevřeno jen pro čtení).");
    }

    std::uint8_t languageByte() const {
        return equalNoCase(driver, "DB852CZ0") ? kLanguageCp852 : kLanguageCp1250;
    }
};

Engine::Engine(std::shared_ptr<FileSystem> fs)
    : fs_(std::move(fs)), impl_(std::make_unique<Impl>()) {}

Engine::Engine(ReadOnly, std::shared_ptr<FileSystem> fs) : Engine(std::move(fs)) {
    impl_->readOnly = true;
}

Engine::~Engine() {
    for (auto& [path, table] : impl_->tables) {
        if (table->cursors() > 0) continue;  // the last cursor writes the index when it closes
        try {
            table->saveIndexIfDirty();
        } catch (const EngineError&) {
        }
    }
}

void Engine::setLanguageDriver(std::string driver) {
    impl_->driver = std::move(driver);
}
const std::string& Engine::languageDriver() const {
    return impl_->driver;
}

std::unique_ptr<Cursor> Engine::open(const std::string& directory, const std::string& file,
                                     const std::vector<std::string>& columns, OpenMode) {
    std::shared_ptr<TableData> table;
    const auto key = std::make_pair(directory, file);
    if (const auto it = impl_->given.find(key); it != impl_->given.end()) {
        table = it->second.lock();
        if (!table || table->cursors() == 0) table.reset();
    }
    if (!table) {
        const auto n = Impl::resolve(*fs_, directory, file);
        table = impl_->acquire(fs_, n);
        impl_->given[key] = table;
    }
    for (const auto& c : columns)
        if (table->fieldIndex(c) < 0) failFor(table->fileName(), "chybí sloupec " + c + ".");
    return std::make_unique<Cursor>(table);
}

void Engine::createTable(const std::string& directory, const std::string& file,
                         const std::vector<FieldDef>& fields) {
    const auto n = Impl::resolve(*fs_, directory, file);
    impl_->requireWritable(n);
    validateFields(fields, n.file);
    impl_->dropUnused(n, "tabulku nelze vytvořit znovu, je otevřená.");
    const auto held = Impl::probeLock(*fs_, n);
    Layout l;
    l.language = impl_->languageByte();
    l.fields = fields;
    l.recordLength = 1;
    for (const auto& f : fields) l.recordLength = std::uint16_t(l.recordLength + f.width);
    const Date today = Clock::today();
    l.date[0] = std::uint8_t(today.year - 1900);
    l.date[1] = std::uint8_t(today.month);
    l.date[2] = std::uint8_t(today.day);
    std::vector<char> bytes = buildHeader(l);
    bytes.push_back(0x1A);
    const std::string tmp = fs_->realPath(n.path()) + ".tmp";
    try {
        {
            auto f = fs_->open(tmp, FileSystem::Mode::Create);
            f->writeAt(0, bytes.data(), bytes.size());
        }
        fs_->rename(tmp, fs_->realPath(n.path()));
        const std::string index = TableData::indexPathOf(*fs_, n.directory, n.file);
        if (fs_->exists(index)) fs_->remove(index);
    } catch (const std::exception& e) {
        try {
            fs_->remove(tmp);
        } catch (const std::exception&) {
        }
        failFor(n.file, std::string("soubor nelze vytvořit (") + e.what() + ").");
    }
}

void Engine::deleteTable(const std::string& directory, const std::string& file) {
    const auto n = Impl::resolve(*fs_, directory, file);
    impl_->requireWritable(n);
    impl_->dropUnused(n, "tabulku nelze odstranit, je otevřená.");
    const auto held = Impl::probeLock(*fs_, n);
    try {
        if (fs_->exists(n.path())) fs_->remove(n.path());
        const std::string index = TableData::indexPathOf(*fs_, n.directory, n.file);
        if (fs_->exists(index)) fs_->remove(index);
    } catch (const std::exception& e) {
        failFor(n.file, std::string("soubor nelze odstranit (") + e.what() + ").");
    }
}

bool Engine::tableExists(const std::string& directory, const std::string& file) const {
    const auto n = Impl::resolve(*fs_, directory, file);
    return fs_->exists(n.path());
}

void Engine::pack(const std::string& directory, const std::string& file) {
    const auto n = Impl::resolve(*fs_, directory, file);
    impl_->requireWritable(n);
    recoverLog(*this, n.directory);
    impl_->acquire(fs_, n)->pack();
}

void Engine::addColumn(const std::string& directory, const std::string& file,
                       const FieldDef& field) {
    const auto n = Impl::resolve(*fs_, directory, file);
    impl_->requireWritable(n);
    recoverLog(*this, n.directory);
    impl_->acquire(fs_, n)->addColumn(field);
}

std::shared_ptr<TableData> Engine::table(const std::string& directory, const std::string& file) {
    const auto n = Impl::resolve(*fs_, directory, file);
    impl_->requireWritable(n);
    return impl_->acquire(fs_, n);
}

void Engine::batchCopy(Cursor& source, const std::string& directory, const std::string& file,
                       BatchMode mode) {
    const TableData& src = source.data();
    if (source.state() != CursorState::Browse)
        src.fail("zdrojový záznam se právě upravuje, nejdřív ho uložte nebo zrušte.");
    if (mode == BatchMode::Create) createTable(directory, file, src.fields());
    auto destCursor = open(directory, file);
    TableData& dest = destCursor->data();
    if (&dest == &src) dest.fail("tabulku nelze kopírovat do sebe samé.");

    struct Mapping {
        int to, from;
        bool raw;
    };
    std::vector<Mapping> map;
    for (int i = 0; i < int(dest.fields().size()); ++i) {
        const int j = src.fieldIndex(dest.fields()[i].name);
        if (j < 0) continue;
        const FieldDef& a = dest.fields()[i];
        const FieldDef& b = src.fields()[j];
        const bool sameBytes = a.type == b.type && a.width == b.width && a.decimals == b.decimals &&
                               (a.type != FieldType::Character || dest.cp852() == src.cp852());
        map.push_back({i, j, sameBytes});
    }
    const Bookmark mark = source.bookmark();
    std::vector<char> image;
    for (source.first(); !source.eof(); source.next()) {
        const char* rec = src.record(source.recordNumber());
        image = dest.blankRecord();
        for (const auto& m : map) {
            const FieldDef& to = dest.fields()[m.to];
            const FieldDef& from = src.fields()[m.from];
            if (m.raw) {
                std::memcpy(image.data() + dest.fieldOffset(m.to), rec + src.fieldOffset(m.from),
                            std::size_t(to.width));
            } else if (src.blank(rec, m.from)) {
                continue;
            } else if ((to.type == FieldType::Numeric || to.type == FieldType::Float) &&
                       (from.type == FieldType::Numeric || from.type == FieldType::Float)) {
                dest.setNumber(image.data(), m.to, src.number(rec, m.from));
            } else if (to.type == FieldType::Date && from.type == FieldType::Date) {
                dest.setDate(image.data(), m.to, src.date(rec, m.from));
            } else {
                dest.setText(image.data(), m.to, src.text(rec, m.from));
            }
        }
        dest.append(image.data());
    }
    if (source.bookmarkValid(mark))
        source.gotoBookmark(mark);
    else
        source.first();
}

std::unique_ptr<Cursor> Engine::createTemporary(const std::vector<FieldDef>& fields) {
    return std::make_unique<Cursor>(TableData::createMemory(fields, impl_->languageByte()));
}

std::vector<std::string> Engine::verify(const std::string& directory, const std::string& file) {
    const auto n = Impl::resolve(*fs_, directory, file);
    std::vector<std::string> problems;
    const auto prefix = "Tabulka " + n.file + ": ";
    if (!fs_->exists(n.path())) return {prefix + "soubor neexistuje."};
    auto open = impl_->find(n);
    if (open) {
        try {
            open->saveIndexIfDirty();
        } catch (const EngineError& e) {
            problems.push_back(e.what());
        }
    }
    Layout layout;
    try {
        auto f = fs_->open(n.path(), FileSystem::Mode::Read);
        layout = parseHeader(*f, n.file);
        const std::uint64_t expected =
            std::uint64_t(layout.headerLength) + std::uint64_t(layout.count) * layout.recordLength;
        const std::uint64_t size = f->size();
        if (size > expected + 1)
            problems.push_back(prefix + "za posledním záznamem je " +
                               std::to_string(size - expected) + " bajtů navíc (hlavička uvádí " +
                               std::to_string(layout.count) + " záznamů).");
    } catch (const EngineError& e) {
        problems.push_back(e.what());
        return problems;
    } catch (const std::exception& e) {
        problems.push_back(prefix + "soubor nelze přečíst (" + e.what() + ").");
        return problems;
    }
    using S = TableData::IndexFileState;
    S state = TableData::indexFileStateOf(*fs_, n.directory, n.file, layout.count);
    try {
        auto table = impl_->acquire(fs_, n);
        if (state == S::Unverified) state = table->indexFromFile() ? S::Current : S::Stale;
        if (state == S::Damaged)
            problems.push_back(prefix + "indexový soubor je poškozený nebo cizí.");
        else if (state == S::Stale)
            problems.push_back(prefix + "indexový soubor neodpovídá tabulce.");
        else if (state == S::Missing && !table->tags().empty())
            problems.push_back(prefix + "indexový soubor chybí.");
        for (auto& p : table->checkTags()) problems.push_back(prefix + p);
        if (const auto bad = table->invalidFlags(); !bad.empty()) {
            std::string list;
            for (std::size_t i = 0; i < bad.size() && i < 10; ++i)
                list += (i ? ", " : "") + std::to_string(bad[i]);
            if (bad.size() > 10) list += ", …";
            problems.push_back(prefix + std::to_string(bad.size()) +
                               " záznamů má neplatný příznak smazání (ani mezera, ani *), "
                               "nepočítají se mezi platné: " +
                               list + ".");
        }
    } catch (const EngineError& e) {
        problems.push_back(e.what());
    }
    return problems;
}

Engine::IndexStatus Engine::indexStatus(const std::string& directory, const std::string& file) {
    const auto n = Impl::resolve(*fs_, directory, file);
    TableData::IndexFileState state;
    if (auto t = impl_->find(n); t && !t->changedOnDisk()) {
        t->saveIndexIfDirty();
        state = t->indexFileState();
    } else {
        if (!fs_->exists(n.path())) failFor(n.file, "soubor neexistuje (" + n.path() + ").");
        Layout layout;
        try {
            auto f = fs_->open(n.path(), FileSystem::Mode::Read);
            layout = parseHeader(*f, n.file);
        } catch (const EngineError&) {
            throw;
        } catch (const std::exception& e) {
            failFor(n.file, std::string("soubor nelze přečíst (") + e.what() + ").");
        }
        state = TableData::indexFileStateOf(*fs_, n.directory, n.file, layout.count);
    }
    if (state == TableData::IndexFileState::Unverified) {
        // Only the records can tell whether a copied or touched index still holds.
        state = impl_->acquire(fs_, n)->indexFromFile() ? TableData::IndexFileState::Current
                                                        : TableData::IndexFileState::Stale;
    }
    switch (state) {
        case TableData::IndexFileState::Unverified:
        case TableData::IndexFileState::Current:
            return IndexStatus::Current;
        case TableData::IndexFileState::Missing:
            return IndexStatus::Missing;
        case TableData::IndexFileState::Stale:
            return IndexStatus::Stale;
        case TableData::IndexFileState::Damaged:
            break;
    }
    return IndexStatus::Damaged;
}

void Engine::rebuildIndex(const std::string& directory, const std::string& file) {
    const auto n = Impl::resolve(*fs_, directory, file);
    impl_->requireWritable(n);
    auto t = impl_->acquire(fs_, n);
    t->rebuildTags();
    t->saveIndex();
}

void Engine::releaseUnused() {
    for (auto it = impl_->tables.begin(); it != impl_->tables.end();) {
        if (it->second->cursors() > 0) {
            ++it;
            continue;
        }
        try {
            it->second->saveIndexIfDirty();
        } catch (const EngineError&) {
            // The table file is whole; its index is rebuilt at the next open.
        }
        it = impl_->tables.erase(it);
    }
}

}  // namespace lorvika::dbf
