#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/dbf/Cursor.h"
#include "store/dbf/Engine.h"

// Writing a changed album together with its replaced tracks all or nothing. A journal file in
// the database directory holds the whole new state before either table is touched; opening a
// database completes a change that a crash interrupted (see docs/storage.md).
namespace lorvika {

inline constexpr const char* kZurnalZmeny = "cdzmena.jrn";

struct ZmenaAlba {
    std::int64_t cislo = 0;
    // Album columns and their new values as text (numbers as digits, dates as d.m.yyyy; an
    // empty text clears the column), written in this order.
    std::vector<std::pair<std::string, std::string>> pole;
    // When set, every track of the album is replaced by the rows below; each row holds the
    // values of the track table's columns in their order (CD is set to cislo whatever it says).
    bool nahraditSkladby = false;
    std::vector<std::vector<std::string>> skladby;
    // The album's disc identity before the change (the player file to rename when SN changes).
    std::string puvodniSN;
};

// Writes the change through the two cursors (on the catalogue in adresar). poZapisu runs once
// both tables hold the new state, before the journal goes (the player file). An engine error
// before the tables were complete undoes what was written and reaches the caller; a failure
// after it leaves the journal for the next opening to complete. The cursors keep their tags;
// the album cursor stays on the album.
void ZapisZmenuAlba(dbf::Engine& engine, const std::string& adresar, dbf::Cursor& alba,
                    dbf::Cursor& skladby, const ZmenaAlba& zmena,
                    const std::function<void()>& poZapisu = {});

// Opening: a journal left by a crash is applied again (its change completes) and removed; a
// journal that was never finished is removed. Returns the completed change.
std::optional<ZmenaAlba> DokonciZmenuAlba(dbf::Engine& engine, const std::string& adresar);

// After the tables were replaced from the backup archive: a journal left there belongs to the
// tables that went and is removed.
void ZahodZmenuAlba(dbf::Engine& engine, const std::string& adresar);

}  // namespace lorvika
