#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace lorvika::dbf {

class Cursor;
class Engine;
class TableData;

// The log of a commit in the database directory, and where a log that cannot be applied is kept.
inline constexpr const char* kLogName = "zmena.log";
inline constexpr const char* kKeptLogPrefix = "zmena-neplatna-";

// Whole record images staged against the tables of one directory and written all or nothing:
// commit writes every image into one checksummed log, makes it durable, applies it to the tables,
// makes them durable and removes the log. A crash or power cut between leaves the log, and the
// next recovery applies it again (applying is idempotent). Until commit nothing is written and
// the cursors see the old records.
class Transaction {
  public:
    Transaction(Engine& engine, std::string directory);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // The cursor's edit buffer: an edited record is staged at its number, an appended one after
    // the last record. The cursor leaves the edit state and stays where it was.
    void post(Cursor& cursor);
    void update(const std::shared_ptr<TableData>& table, std::uint32_t rec, const char* image);
    void append(const std::shared_ptr<TableData>& table, const char* image);
    void remove(const std::shared_ptr<TableData>& table, std::uint32_t rec);
    // Application data kept in the log and handed back by the recovery that applies it.
    void setNote(std::string note) { note_ = std::move(note); }
    bool empty() const { return tables_.empty(); }

    // A log another commit left is recovered first. A failure before the log is durable leaves
    // every table as it was; after it the change completes at the next recovery.
    void commit();

  private:
    struct Staged {
        std::shared_ptr<TableData> table;
        std::map<std::uint32_t, std::vector<char>> updates;
        std::vector<std::vector<char>> appends;
    };
    Staged& staged(const std::shared_ptr<TableData>& table);

    Engine& engine_;
    std::string directory_;
    std::string note_;
    std::vector<Staged> tables_;
    bool done_ = false;
};

// What the recovery of a directory found in its log.
struct LogRecovery {
    enum class Outcome {
        Applied,     // complete and matching: the change is in the tables now
        Incomplete,  // never finished: no table was touched, the log is gone
        Kept,        // complete but damaged or written for other tables: kept aside, not applied
    };
    Outcome outcome = Outcome::Incomplete;
    std::string note;     // Applied: what the commit noted
    std::string keptAs;   // Kept: the file the log now has
    std::string message;  // Kept: for the user
};

// Applies, removes or keeps aside the log of directory; nothing when there is none.
std::optional<LogRecovery> recoverLog(Engine& engine, const std::string& directory);

// For openings that write nothing: one line for a log waiting in directory and one for each
// kept log (nothing when all is well).
std::vector<std::string> logNotices(FileSystem& fs, const std::string& directory);
// Whether a kept log lies in directory (a problem the check reports).
bool hasKeptLog(FileSystem& fs, const std::string& directory);

// After the tables were replaced from a backup: a log there belonged to the tables that went.
void discardLog(FileSystem& fs, const std::string& directory);

}  // namespace lorvika::dbf
