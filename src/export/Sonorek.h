#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "store/dbf/Cursor.h"

// The text files the companion player Sonorek reads: one INI-style file per album, named after
// the album's disc identity, in the directory TXT of the database directory.
namespace lorvika {

// A disc identity that cannot name a file in the text directory (it holds a path separator).
class SonorekError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// database directory + separator + "TXT"
std::string AdresarTXT(const std::string& adresarDB);
// The album's file: text directory + separator + SN + ".txt".
std::string SouborTxtCD(const std::string& adresarTXT, const std::string& sn);

// Writes "Databaze"/"adresarTXT" of the player's INI file (sonorek.ini).
void ZapisAdresarTXT(const std::string& sonorekIni, const std::string& adresarTXT);

// An album without a disc identity has no file: no disc in a drive could name it.
// Writes the file of album cislo: section "CD" (album, artist, zanr, zeme, pstop), then one
// section per track on tag "CD" (name, artist). The file is read and written once, with the
// bytes the same writes done key by key would leave; other content of the file stays. Creates
// the text directory when missing. An album number that does not exist writes nothing (false).
// Both cursors get their tags back and lose their ranges on every way out.
bool UlozTxtCD(std::int64_t cislo, dbf::Cursor& alba, dbf::Cursor& skladby,
               const std::string& adresarTXT);

// At the opening of a database: removes what interrupted writes of these files left in the text
// directory and the files no album carries any more (a removal cut short, or one whose delete
// failed), and writes the file of every album that has none, from one listing of the directory
// (a crash between storing an album and writing its file leaves the album without one). An album
// whose disc identity cannot name a file is left to ObnovaTxt, which reports it. The album cursor
// stays on its album. Returns how many files were written.
std::size_t DoplnTxt(dbf::Cursor& alba, dbf::Cursor& skladby, const std::string& adresarTXT);

// After a change of album cislo: its file is written, and when its disc identity is no longer
// puvodniSN the file named after puvodniSN goes as OdstranTxtCD says.
bool UlozTxtCDPoZmene(std::int64_t cislo, const std::string& puvodniSN, dbf::Cursor& alba,
                      dbf::Cursor& skladby, const std::string& adresarTXT);

// The one rule for a player file an album no longer names (a removal, a new disc identity): the
// file of sn is deleted unless an album the cursor sees still carries sn. An empty identity or
// one that cannot name a file has no file. A missing file is no error; a file that cannot be
// deleted throws SonorekError. The cursor keeps its tag and position.
void OdstranTxtCD(const std::string& sn, const dbf::Cursor& alba, const std::string& adresarTXT);

// Rewrites the files of every album the album cursor sees, in the order of its tag, and leaves
// it on the album it was on. The status text is shown first and cleared at the end.
void ObnovaTxt(dbf::Cursor& alba, dbf::Cursor& skladby, const std::string& adresarTXT,
               const std::function<void(const std::string&)>& stavovyText = {});

}  // namespace lorvika
