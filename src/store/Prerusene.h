#pragma once

#include <cstddef>
#include <string>

#include "store/dbf/Staging.h"

// What interrupted work left in a database directory, dealt with before any table is read: a
// restore cut short is finished (or its sign kept), and the temporary files of backups, packs,
// conversions and restores that a kill left behind are removed.
namespace lorvika {

struct Prerusene {
    dbf::StagedState obnova = dbf::StagedState::None;  // the restore from the backup archive
    std::size_t odstraneno = 0;                        // leftover files removed
};

// Takes the tables' lock first. A restore that cannot be finished: TableFileError.
Prerusene DokonciPrerusene(const std::string& adresar);

}  // namespace lorvika
