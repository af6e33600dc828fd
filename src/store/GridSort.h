#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/dbf/Cursor.h"

// Sorting a data grid by a clicked column title, without the grid: the grid passes the table's
// cursor and the column's field name.
namespace lorvika {

// Stored fields of text, number and date types take part; other columns (calculated ones,
// logical fields) do not.
bool PoleKRazeni(const dbf::Cursor& kurzor, std::string_view pole);

// The tag of a column's order: the field name, or "_" + field name descending.
std::string TagRazeni(std::string_view pole, bool sestupne);

struct Razeni {
    std::string tag;
    bool sestupne = false;
};
// The order a click chooses: from the descending tag to ascending, from the ascending tag to
// descending; from any other tag ascending, or descending when that was wanted.
// std::nullopt for a column that does not take part.
std::optional<Razeni> DalsiRazeni(const dbf::Cursor& kurzor, std::string_view pole,
                                  bool sestupneChci);

// Sets the chosen tag, creating it first (field as key, descending for a "_" tag) when the table
// lacks it: stored in the index file (ulozit), or only in memory for as long as the program
// runs. Returns whether a stored tag was created; false and nothing done for a column that does
// not take part.
bool SeradPodleSloupce(dbf::Cursor& kurzor, std::string_view pole, bool sestupneChci,
                       bool ulozit = true);

// Whether SeradPodleSloupce with the same arguments would create a tag, so that the caller can
// prepare for it (save the grid's columns).
bool SloupecRaditelny(const dbf::Cursor& kurzor, std::string_view pole, bool sestupneChci = false);

}  // namespace lorvika
