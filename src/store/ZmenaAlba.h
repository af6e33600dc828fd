#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/dbf/Cursor.h"
#include "store/dbf/Engine.h"

// Writing a changed album together with its replaced tracks all or nothing, through one
// transaction of the engine (see docs/storage.md). The journal of the previous version
// (cdzmena.jrn) is only read: opening completes one a crash left.
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

// Writes the change through the two cursors (on the catalogue in adresar) as one transaction.
// poZapisu runs once both tables hold the new state (the player file). An engine error before
// the transaction's log was durable leaves both tables as they were; after it the next opening
// completes the change. The cursors keep their tags; the album cursor stays on the album.
void ZapisZmenuAlba(dbf::Engine& engine, const std::string& adresar, dbf::Cursor& alba,
                    dbf::Cursor& skladby, const ZmenaAlba& zmena,
                    const std::function<void()>& poZapisu = {});

// What a transaction of the catalogue notes in its log, so that the recovery that applies it
// can write (or remove) the album's player file afterwards.
struct PoznamkaZmeny {
    enum class Druh { Zmena, Nove, Odstraneni, Pujceni };
    Druh druh = Druh::Zmena;
    std::int64_t cislo = 0;
    std::string puvodniSN;  // Zmena: the disc identity before the change
    std::string souborTxt;  // Odstraneni: the player file to remove
};
std::string ZapisPoznamku(const PoznamkaZmeny& poznamka);
std::optional<PoznamkaZmeny> CtiPoznamku(std::string_view text);

// Opening: a journal left by a crash is applied again (its change completes) and removed; a
// journal that was never finished is removed. Returns the completed change.
std::optional<ZmenaAlba> DokonciZmenuAlba(dbf::Engine& engine, const std::string& adresar);

// After the tables were replaced from the backup archive: a journal or a transaction log left
// there belongs to the tables that went and is removed.
void ZahodZmenuAlba(dbf::Engine& engine, const std::string& adresar);

}  // namespace lorvika
