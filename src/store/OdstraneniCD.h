#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/dbf/Cursor.h"
#include "store/dbf/Engine.h"

// Removing an album with its tracks and its player file all or nothing across a crash: a small
// journal in the database directory names the album (and the file) before anything is deleted,
// and opening the database completes a removal that a crash interrupted.
namespace lorvika {

inline constexpr const char* kZurnalOdstraneni = "cdodstran.jrn";

struct OdstraneniCD {
    std::int64_t cislo = 0;
    std::string souborTxt;  // the album's player file; empty when none is named
};

// Removes album cislo: its tracks, its player file (a missing one is no error), then the album
// record. alba stands on the album (it moves to the next album, or to the last one when the
// removed one was last). An engine error part-way leaves the journal, so the next opening
// finishes the removal; what was deleted stays deleted.
void OdstranCD(dbf::Engine& engine, const std::string& adresar, dbf::Cursor& alba,
               const OdstraneniCD& odstraneni);

// Opening: a removal that a crash interrupted is finished and its journal removed. Returns the
// finished removal.
std::optional<OdstraneniCD> DokonciOdstraneni(dbf::Engine& engine, const std::string& adresar);

}  // namespace lorvika
