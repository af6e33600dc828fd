#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/dbf/Cursor.h"
#include "store/dbf/Engine.h"
#include "store/dbf/Types.h"

// The two tables of a catalogue (albums and tracks), their columns, grid titles and index tags,
// and the small operations every form performs on them.
namespace lorvika {

inline constexpr std::string_view kSouborAlb = "cddata.DBF";
inline constexpr std::string_view kSouborSkladeb = "cdskladby.DBF";
// The language driver the catalogue's tables are written with (code page 852).
inline constexpr std::string_view kOvladacKatalogu = "DB852CZ0";

struct SloupecKatalogu {
    dbf::FieldDef pole;
    std::string titulek;   // grid title; empty for columns the grids never show
    bool pridany = false;  // appended to older databases by PridejSloupce, not created with them
};

// Columns in physical order: 32 album columns (25 a table is created with, then the 7 added).
const std::vector<SloupecKatalogu>& SloupceAlb();
// 6 track columns (5 base, then TYP).
const std::vector<SloupecKatalogu>& SloupceSkladeb();
// The column definitions a new table is created with: the base columns in order.
std::vector<dbf::FieldDef> ZakladniPole(const std::vector<SloupecKatalogu>& sloupce);
// Every column definition in order (the layout of work tables such as newskladby).
std::vector<dbf::FieldDef> VsechnaPole(const std::vector<SloupecKatalogu>& sloupce);
// The grid title of a column (case-insensitive name), empty when unknown or untitled.
std::string TitulekSloupce(const std::vector<SloupecKatalogu>& sloupce, std::string_view jmeno);

// Index tags in the order they are created.
const std::vector<dbf::TagDef>& TagyAlb();
const std::vector<dbf::TagDef>& TagySkladeb();

// A directory holds a catalogue when both table files exist in it (names compared
// case-insensitively).
bool JeDatabaze(const std::string& adresar);

enum class RezimIndexu {
    Znovu,     // new database: every tag is deleted and added again
    Kontrola,  // opening: only missing tags or tags with another key are added
};
// Ensures the standard tags of both tables of the catalogue in adresar.
void ZajistiIndexy(dbf::Engine& engine, const std::string& adresar, RezimIndexu rezim);

// Creates both tables with their base columns and then every tag (recreate mode). Existing files
// are overwritten; callers check JeDatabaze first. The added columns follow by PridejSloupce.
void VytvorTabulky(dbf::Engine& engine, const std::string& adresar);

// Adds one column by "ALTER TABLE" when the table lacks it (case-insensitive); typ is the SQL
// type ("Float", "Character(50)"). Returns whether the column was added.
bool PridejSloupec(dbf::Engine& engine, const std::string& adresar, std::string_view soubor,
                   std::string_view sloupec, std::string_view typ);
// The eight added columns in their fixed order (preceded by ABCDAR and ABCDAL for tables that
// predate them, whose first-letter tags need them); returns how many were missing.
int PridejSloupce(dbf::Engine& engine, const std::string& adresar);

// Runs akce once with the track cursor limited to album cd (tag "CD", range [cd, cd]); the
// cursor's previous tag is set again afterwards and the range cancelled, also after an exception.
void SkladbyAlba(dbf::Cursor& skladby, std::int64_t cd,
                 const std::function<void(dbf::Cursor&)>& akce);

// Visits the tracks of album cd (tag "CD", range [cd, cd]) in record order; the cursor's previous
// tag is set again afterwards and the range cancelled. Returns the number of tracks visited.
std::size_t ProjdiSkladby(dbf::Cursor& skladby, std::int64_t cd,
                          const std::function<void(dbf::Cursor&)>& akce);

// Sets the tag, tests whether the range [hodnota, hodnota] holds a record and cancels the range;
// the tag stays set.
bool ExistujeKlic(std::string_view tag, const dbf::Key& hodnota, dbf::Cursor& kurzor);

// Exact search for album number cislo on the tag (for albums "cislo"); found only when the cursor
// has that tag and the record's column of the same name equals cislo. The previous tag is set
// again; the found record stays current, otherwise the cursor stays where it was.
bool NajdiCD(std::int64_t cislo, std::string_view tag, dbf::Cursor& kurzor);

// The one check every text typed or read for the catalogue's tables goes through (inputs of the
// album windows, track grids, CD-TEXT): typographic characters the tables lack get their plain
// forms („ “ → ", ‚ ‘ → ', – — → -, … → ...); any other character code page 852 cannot hold
// (and the conversion's mark ■) gives a Czech message that names it and, when given, the input.
// The forms reach it through HlidacTextu (app/HlidacTextu.h).
struct KontrolaTextu {
    std::string text;   // with the plain forms; meaningless when refused
    std::string znak;   // the refused character (UTF-8); empty when the text can be stored
    std::string chyba;  // the Czech message; empty when the text can be stored
    bool ok() const { return chyba.empty(); }
};
KontrolaTextu ZkontrolujText(std::string_view text, std::string_view pole = {});

// Rating words, index = stored HODNOC value.
const std::vector<std::string>& HodnoceniSlova();
// The word for 1..6, "-" for anything else.
std::string HodnoceniText(std::int64_t hodnoceni);
// ROK as shown: empty for 0.
std::string RokText(std::int64_t rok);

}  // namespace lorvika
