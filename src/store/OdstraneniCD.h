#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/dbf/Cursor.h"
#include "store/dbf/Engine.h"

// Removing an album with its tracks all or nothing, through one transaction of the engine; the
// player file goes after it. The journal of the previous version (cdodstran.jrn) is only read:
// opening completes a removal one names.
namespace lorvika {

inline constexpr const char* kZurnalOdstraneni = "cdodstran.jrn";

struct OdstraneniCD {
    std::int64_t cislo = 0;
    std::string souborTxt;  // the album's player file; empty when none is named
};

// Removes album cislo: its tracks, its player file (a missing one is no error), then the album
// record. alba stands on the album (it moves to the next album, or to the last one when the
// removed one was last). An engine error before the transaction's log was durable removes
// nothing; after it the next opening completes the removal.
void OdstranCD(dbf::Engine& engine, const std::string& adresar, dbf::Cursor& alba,
               const OdstraneniCD& odstraneni);

// Removes an album's player file (a missing one is no error).
void OdstranSouborTxt(const std::string& soubor);

// Opening: a removal that a crash interrupted is finished and its journal removed. Returns the
// finished removal.
std::optional<OdstraneniCD> DokonciOdstraneni(dbf::Engine& engine, const std::string& adresar);

// After a restore: an interrupted removal belongs to the tables the archive replaced, so finishing
// it would delete the album from the restored ones.
void ZahodOdstraneni(dbf::Engine& engine, const std::string& adresar);

}  // namespace lorvika
