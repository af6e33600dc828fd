#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "store/dbf/Engine.h"
#include "store/dbf/Types.h"

struct sqlite3;
struct sqlite3_stmt;

// Synthetic catalogues for benchmarks: a deterministic stream of albums with their tracks, written
// into Lorvika's two tables and, with the same rows, into an SQLite database with one index per
// tag, so both sides of a comparison work on identical data.
namespace lorvika::bench {

struct Track {
    int position = 0;  // CISLO, 1-based
    std::string name;
    std::string artist;
    int length = 0;  // seconds
    std::string type;
};

struct Album {
    int number = 0;  // CISLO
    std::string album;
    std::string artist;
    int year = 0;
    int length = 0;         // sum of the track lengths
    std::string publisher;  // VYD_F
    std::string producer;   // VYD_P
    std::string country;    // ZEME
    std::string genre;      // ZANR
    std::string vocals, guitar, bass, drums, keys, guests;
    dbf::Date lentUntil;  // PUJ_DOKDY
    int lentCount = 0;
    std::string lent;  // PUJ_ANONE: "A", "N" or empty
    std::string borrower;
    dbf::Date changed;          // ZMENA
    std::string discId;         // SN
    std::string type;           // TYP
    std::string artistInitial;  // ABCDAR
    std::string albumInitial;   // ABCDAL
    int rating = 0;
    std::string sax, trumpet, special, description;
    int price = 0;
    std::vector<Track> tracks;
};

struct GenOptions {
    int albums = 10000;
    std::uint64_t seed = 20261208;
    int firstNumber = 1;
};

// Produces the albums of one catalogue in order. The same options always give the same albums,
// on every platform (own random generator, no standard distributions).
class CatalogueGenerator {
  public:
    explicit CatalogueGenerator(const GenOptions& options);
    ~CatalogueGenerator();
    CatalogueGenerator(const CatalogueGenerator&) = delete;
    CatalogueGenerator& operator=(const CatalogueGenerator&) = delete;

    bool done() const;
    Album next();
    // Number of distinct performer names the albums draw from.
    std::size_t artistCount() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Appends albums with their tracks through the engine's cursors (every column, code page 852).
class LorvikaWriter {
  public:
    LorvikaWriter(dbf::Engine& engine, const std::string& directory);
    ~LorvikaWriter();
    void append(const Album& album);
    dbf::Cursor& albums() { return *albums_; }
    dbf::Cursor& tracks() { return *tracks_; }

  private:
    std::unique_ptr<dbf::Cursor> albums_;
    std::unique_ptr<dbf::Cursor> tracks_;
    std::vector<int> albumFields_;
    std::vector<int> trackFields_;
};

// Creates the catalogue's two tables with every column and tag in an empty directory.
void createLorvikaCatalogue(dbf::Engine& engine, const std::string& directory);

// An open SQLite database; closed on destruction.
class SqliteDb {
  public:
    explicit SqliteDb(const std::string& path, bool readOnly = false);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;
    sqlite3* get() const { return db_; }
    void exec(const std::string& sql);

  private:
    sqlite3* db_ = nullptr;
    std::string path_;
};

// A prepared statement; finalized on destruction. Failures throw std::runtime_error.
class SqliteStmt {
  public:
    SqliteStmt(sqlite3* db, const std::string& sql);
    ~SqliteStmt();
    SqliteStmt(const SqliteStmt&) = delete;
    SqliteStmt& operator=(const SqliteStmt&) = delete;
    sqlite3_stmt* get() const { return stmt_; }
    bool step();  // true while a row is available
    void reset();

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// The same tables in SQLite: numbers as INTEGER, texts as TEXT (empty texts stay empty strings),
// dates as ISO text or NULL.
void createSqliteSchema(SqliteDb& db);
// One index per tag of the catalogue (cddata: cislo, sn, abcdar, abcdal, album, artist, zanr,
// typ, puj_komu; cdskladby: cd).
void createSqliteIndexes(SqliteDb& db);

class SqliteWriter {
  public:
    explicit SqliteWriter(SqliteDb& db);
    ~SqliteWriter();
    void append(const Album& album);

  private:
    std::unique_ptr<SqliteStmt> album_;
    std::unique_ptr<SqliteStmt> track_;
};

// One generated catalogue on disk.
struct Dataset {
    GenOptions options;
    std::filesystem::path root;
    std::filesystem::path lorvikaDir;  // cddata.DBF, cdskladby.DBF and their index files
    std::filesystem::path sqlitePath;
    std::size_t albums = 0;
    std::size_t tracks = 0;
};

struct RowCounts {
    std::size_t albums = 0;
    std::size_t tracks = 0;
};

// Writes a new catalogue into lorvikaDir (an existing directory without one) and, unless
// sqlitePath is empty, the same rows into a new SQLite database with the same indexes.
RowCounts generateCatalogue(const std::filesystem::path& lorvikaDir,
                            const std::filesystem::path& sqlitePath, const GenOptions& options);

// Generates the catalogue under base (both the Lorvika tables and the SQLite database) unless a
// complete generation with the same options is already there; a half-written one is redone.
Dataset ensureDataset(const std::filesystem::path& base, const GenOptions& options);

// Text helpers used by the generator; exposed for its tests.
std::size_t utf8Length(const std::string& text);
std::string cutToChars(const std::string& text, std::size_t chars);

}  // namespace lorvika::bench
