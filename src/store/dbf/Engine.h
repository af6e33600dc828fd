#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Cursor.h"
#include "FileSystem.h"
#include "Types.h"

namespace lorvika::dbf {

enum class BatchMode { Create, Append };

// The lock an opened table holds, taken by work that replaces table files outside the engine
// (a restore from the backup, the conversion of an old table): while it is held no other running
// program has those tables open, and none can open them. A missing file is skipped. When another
// program holds one: EngineError "Tabulka <file>: databázi používá jiný spuštěný program.", and
// nothing is held.
class TableLock {
  public:
    TableLock(const std::string& directory, const std::vector<std::string>& files,
              FileSystem& fs = *FileSystem::native());
    ~TableLock();
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

  private:
    std::vector<std::unique_ptr<File>> held_;
};

// The engine of one process: it holds every open table file once (shared by all cursors on it)
// and the advisory locks that keep another running program away from an open database.
class Engine {
  public:
    explicit Engine(std::shared_ptr<FileSystem> fs = FileSystem::native());
    // A read-only engine never writes a file: stale indexes are rebuilt in memory only and
    // every writing operation is refused. For commands that only look.
    struct ReadOnly {};
    Engine(ReadOnly, std::shared_ptr<FileSystem> fs = FileSystem::native());
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Language driver for new tables: "DB852CZ0" writes language byte 0x1F (code page 852).
    void setLanguageDriver(std::string driver);
    const std::string& languageDriver() const;

    // A cursor on directory/file. A listed column missing from the file is an EngineError; an
    // empty list takes every column. File names are matched case-insensitively.
    std::unique_ptr<Cursor> open(const std::string& directory, const std::string& file,
                                 const std::vector<std::string>& columns = {},
                                 OpenMode mode = OpenMode::Shared);

    void createTable(const std::string& directory, const std::string& file,
                     const std::vector<FieldDef>& fields);
    // Removes the table file and its index file; EngineError while a cursor has it open.
    void deleteTable(const std::string& directory, const std::string& file);
    bool tableExists(const std::string& directory, const std::string& file) const;

    // Drops deleted records and rebuilds the index; atomic (rename of a complete new file). A
    // pending transaction log is recovered first: it names records by their numbers.
    void pack(const std::string& directory, const std::string& file);

    // Copies every record the cursor sees, in its order, into a new table of the same columns
    // (Create) or appends them to an existing table by matching column names (Append).
    void batchCopy(Cursor& source, const std::string& directory, const std::string& file,
                   BatchMode mode);

    // Appends a column to every record (blank values), keeps the language byte; writes a new
    // file and replaces the old one atomically.
    void addColumn(const std::string& directory, const std::string& file, const FieldDef& field);

    // A writable table that lives only in memory (query results); nothing touches the disk.
    std::unique_ptr<Cursor> createTemporary(const std::vector<FieldDef>& fields);

    // Diagnostics for the command-line companion: every problem found in one line each
    // (header, record length and count against the file size, every tag against the table).
    std::vector<std::string> verify(const std::string& directory, const std::string& file);
    enum class IndexStatus { Current, Missing, Stale, Damaged };
    IndexStatus indexStatus(const std::string& directory, const std::string& file);
    void rebuildIndex(const std::string& directory, const std::string& file);

    // Local SQL: select statements give a read-only cursor; ALTER TABLE is executed and gives
    // nullptr. Any other statement is an EngineError that quotes it.
    std::unique_ptr<Cursor> sql(const std::string& directory, const std::string& statement);

    // Drops the in-process state of tables no cursor uses any more (closes their files and
    // releases their locks). Called by the session when it closes a database.
    void releaseUnused();

    FileSystem& fileSystem() const { return *fs_; }
    // The shared state of a table opened for writing (for transactions).
    std::shared_ptr<TableData> table(const std::string& directory, const std::string& file);

  private:
    struct Impl;
    std::shared_ptr<FileSystem> fs_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lorvika::dbf
