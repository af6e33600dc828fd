#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/Paths.h"

// The engine's machine-wide defaults (language driver and table level of dBase tables), kept in
// the engine configuration INI file under the key paths of the original registry, and the
// one-time recoding of tables written under the Windows-US driver.
namespace lorvika {

inline constexpr std::string_view kKlicStroje = "\\SOFTWARE\\Borland\\Database Engine";
inline constexpr std::string_view kKlicInit =
    "\\SOFTWARE\\Borland\\Database Engine\\Settings\\DRIVERS\\DBASE\\INIT";
inline constexpr std::string_view kKlicTableCreate =
    "\\SOFTWARE\\Borland\\Database Engine\\Settings\\DRIVERS\\DBASE\\TABLE CREATE";
inline constexpr std::string_view kHodnotaLangDriver = "LANGDRIVER";
inline constexpr std::string_view kHodnotaLevel = "LEVEL";
inline constexpr std::string_view kHodnotaConfigFile = "CONFIGFILE01";

inline constexpr std::string_view kOvladac852 = "DB852CZ0";
inline constexpr std::string_view kOvladacWinUs = "DBWINUS0";
inline constexpr std::string_view kUrovenTabulek = "5";
// Language byte (offset 29) of a table that holds code-page-852 text.
inline constexpr unsigned char kZnackaPrevodu = 31;
// Language byte other programs write for code page 852.
inline constexpr unsigned char kJazykCp852 = 0x64;

// A table file that cannot be opened, read, written or replaced (not an engine error).
class TableFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the value; when it differs from the wanted text (case-insensitively) writes the wanted
// text. Returns the text read before ("" when absent).
std::string NastavVychoziHodnotu(const std::string& konfigurace, std::string_view klic,
                                 std::string_view hodnota, std::string_view chtena);

// Sets "LANGDRIVER" and "LEVEL" to the program's values and, unless values saved earlier are
// still waiting to be put back ("DBF"/"vraceno" false), remembers the previous ones.
void NastavOvladac(const std::string& programIni,
                   const std::string& konfigurace = engineConfigPath());
// Puts the remembered values back when "DBF"/"vraceno" is false.
void VratOvladac(const std::string& programIni,
                 const std::string& konfigurace = engineConfigPath());
// At program end: VratOvladac only when "DBF"/"vracet" (default false) is true.
void VratOvladacJeLiZadano(const std::string& programIni,
                           const std::string& konfigurace = engineConfigPath());

// The language driver configured for dBase tables, for dbf::Engine::setLanguageDriver;
// "DB852CZ0" when nothing is configured.
std::string NastavenyOvladac(const std::string& konfigurace = engineConfigPath());

// The engine counts as installed when "CONFIGFILE01" is not empty.
bool JeStrojInstalovan(const std::string& konfigurace = engineConfigPath());
// The engine is part of the program: writes the presence value (and the program's defaults
// where none are set) when it is missing. IniError when the file cannot be written.
void ZajistiKonfiguraciStroje(const std::string& konfigurace = engineConfigPath());

struct PrevodVolby {
    // Called after each recoded record with the number done so far (tests stop here).
    std::function<void(std::uint32_t)> poZaznamu;
};

// Recodes every character field of every record (deleted ones too) to code page 852 and marks
// the table with 31 at offset 29; a marked table is left alone, index file included. The text is
// read in the code page a ".cpg" file beside the table names (code page 852, Windows-1250 or
// UTF-8; another name refuses with TableFileError and changes nothing), else in code page 852
// when the language byte is 0x64, else in Windows-1250. Typographic characters code page 852
// lacks get their plain forms, any other such character the replacement mark (■) that
// NajdiNahradniZnaky finds. A ".cpg" file is rewritten to name code page 852 afterwards.
// The result is written beside the table and renamed over it, so a crash leaves the
// table either untouched or fully converted; the stale index file is removed. Call it before the
// engine opens the table. Returns whether the table was converted.
// A damaged table: dbf::EngineError. File access: TableFileError. Settings: IniError.
bool PrevodTabulky(const std::string& adresar, const std::string& soubor,
                   const std::string& konfigurace = engineConfigPath(),
                   const PrevodVolby& volby = {});

// Whether the table still waits for PrevodTabulky (its language byte is not 31). A missing table
// does not; one that cannot be read: TableFileError.
bool CekaNaPrevod(const std::string& adresar, const std::string& soubor);

// A cell that holds the replacement mark of a conversion, for `lorvika-db check`.
struct NahradniZnak {
    std::string tabulka;      // file name as found
    std::int64_t cd = 0;      // album number (CISLO of albums, CD of tracks)
    std::int64_t pozice = 0;  // track position (CISLO of tracks); 0 for an album
    std::string sloupec;
};
// Every live record's text field in a converted table that holds the replacement mark.
// Reads the file directly and writes nothing. A damaged table: dbf::EngineError.
std::vector<NahradniZnak> NajdiNahradniZnaky(const std::string& adresar, const std::string& soubor);

}  // namespace lorvika
