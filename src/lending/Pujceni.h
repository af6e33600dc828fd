#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "store/dbf/Cursor.h"
#include "store/dbf/Engine.h"
#include "store/dbf/Types.h"

// Lending without widgets: the state of one album, the lists of lent and overdue albums and the
// writes of a lending, a return and a count reset. The lending window and lorvika-db lent both
// use these, so "lent" and "overdue" mean the same everywhere.
namespace lorvika {

enum class StavPujceni { Nepujcena, Pujcena, PoTerminu };

// PUJ_ANONE holds "A" (trailing blanks aside).
bool JePujcena(std::string_view pujAnone);
// Lent and today after the due date is overdue; due today is still lent.
StavPujceni StavPujceniZ(std::string_view pujAnone, dbf::Date dokdy, dbf::Date dnes);
StavPujceni StavAlba(const dbf::Cursor& alba, dbf::Date dnes);
// "Není půjčena", "Je půjčena", "Půjčena a nevrácena v termínu".
const char* TextStavu(StavPujceni stav);

// Calendar arithmetic on engine dates (proleptic Gregorian).
std::int64_t DenZData(dbf::Date d);
dbf::Date DatumZDne(std::int64_t den);
dbf::Date PosunDatum(dbf::Date d, int dny);
// Whole days from a to b (b - a).
std::int64_t RozdilDni(dbf::Date a, dbf::Date b);
// "dd.mm.yyyy", the form the engine's SQL reads.
std::string DatumText(dbf::Date d);

enum class DruhSeznamu { Vsechny = 0, Pujcene = 1, PoTerminu = 2 };

// The two-line query of a list: every album lent, or every album whose due date lies between
// 31.12.1899 and yesterday. Empty for all albums.
std::string DotazSeznamu(DruhSeznamu druh, dbf::Date dnes);
// "Žádné CD není půjčeno" / "Žádné CD není nevráceno po termínu".
const char* ZpravaPrazdnehoSeznamu(DruhSeznamu druh);

// The scratch table of the lending window in the database directory, ordered by its tag "cislo".
inline constexpr std::string_view kSouborSeznamu = "cdpuj.dbf";

// Runs the list's query over the album table of adresar (read only).
std::unique_ptr<dbf::Cursor> DotazNaSeznam(dbf::Engine& engine, const std::string& adresar,
                                           DruhSeznamu druh, dbf::Date dnes);
// Builds cdpuj afresh from the list's query (an existing one is replaced), with the tag "cislo"
// on CISLO. Returns the number of albums in it.
std::size_t VytvorSeznam(dbf::Engine& engine, const std::string& adresar, DruhSeznamu druh,
                         dbf::Date dnes);
// Removes cdpuj.dbf and cdpuj.mdx where they exist; no cursor may have the table open.
void SmazSeznam(dbf::Engine& engine, const std::string& adresar);

// PUJ_KOLIK as a whole number; empty counts as 0.
std::int64_t PocetPujceni(const dbf::Cursor& alba);
// Writes a lending into the current album: due date, "A", borrower; the count +1 when
// zvysitPocet. Posted at once.
void ZapisPujceni(dbf::Engine& engine, dbf::Cursor& alba, std::string_view komu, dbf::Date dokdy,
                  bool zvysitPocet);
// A return: borrower and due date cleared, "N"; the count stays.
void ZapisVraceni(dbf::Engine& engine, dbf::Cursor& alba);
// The count becomes empty (0).
void NulujPocet(dbf::Engine& engine, dbf::Cursor& alba);

}  // namespace lorvika
