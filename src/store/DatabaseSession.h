#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Messages.h"
#include "dbf/Cursor.h"
#include "dbf/Engine.h"
#include "dbf/FileSystem.h"
#include "dbf/Transaction.h"
#include "dbf/Staging.h"

// The open database of the program: the engine, the main window's two cursors and everything
// that opens, creates, compacts and remembers a database directory. No widgets here; the dialogs,
// the status bar and the archive are services the program entry hands in.
namespace lorvika {

// Directory dialogs. The Qt dialog lives in the application layer; tests script a fake.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // The directory the user confirmed, or nothing when the dialog was cancelled. With
    // allowCreate the dialog lets the user make a new directory (after a prompt).
    virtual std::optional<std::string> chooseDirectory(const std::string& start,
                                                       bool allowCreate) = 0;
};

// The main window's status bar as the session and the archive need it.
class StatusLine {
  public:
    virtual ~StatusLine() = default;
    // Message panel text, repainted at once; an empty text clears it.
    virtual void stavovyText(const std::string& text) = 0;
    // Mode 1 shows the album count with its picture and hint; mode 2 clears all three.
    virtual void pocetCD(int mode, std::size_t count) = 0;
    // The message panel as a gauge of 0..100 per cent with a text.
    virtual void ukazatel(const std::string& text, int percent) = 0;
    // The gauge back to a plain, left-aligned, empty text panel.
    virtual void ukazatelKonec() = 0;
};

// Backup into and restore from "zaloha.zip" in the database directory. An implementation
// closes every table of the program first (the session's through ZavriTabulky) and reopens them
// afterwards (OtevriTabulky) in every case, also on failure. true when the operation succeeded;
// an engine error escaping it (tables that cannot be reopened) counts as a failure.
class Archive {
  public:
    virtual ~Archive() = default;
    virtual bool zalohuj(const std::string& directory) = 0;
    virtual bool rozbal(const std::string& directory) = 0;
    // Keeps the table files of the directory as they are (tables, index and code-page files
    // present) in a new archive of the given name beside them; the tables stay closed, nothing
    // else is touched. An archive of that name already there is left as it is (false). A failure
    // throws an error whose text names the archive; no partial archive remains.
    // An archive service that cannot keep anything refuses, so that nothing is converted.
    virtual bool uschovej(const std::string& directory, const std::string& archiveName);
};

// The archive of the original tables made before their first conversion; no backup writes it.
inline constexpr const char* kArchivPredPrevodem = "pred-prevodem.zip";
// The opening after a restore that failed or was cut short keeps the archive.
inline constexpr const char* kZalohaVynechana =
    "Nahrazení databáze zálohou nebylo dokončeno, záloha zaloha.zip proto zůstává beze změny "
    "a automatická záloha se neprovede, dokud databázi nezazálohujete ručně nebo ji zálohou "
    "nenahradíte.";

// Where the session's files live.
struct SessionPaths {
    std::string programDir;    // without a trailing separator
    std::string iniFile;       // the program INI file, "lorvika.ini"
    std::string playerIni;     // the companion player's "sonorek.ini"
    std::string engineConfig;  // the engine configuration INI (language driver, table level)

    // All four under one program directory, with the program's file names.
    static SessionPaths inDirectory(const std::string& programDir);
    // The program's own: the program directory as Paths.h finds it.
    static SessionPaths program();
};

// One entry of the submenu of previous databases (items MZO1 .. MZO5).
struct PredchoziDB {
    std::string adresar;   // as stored in the INI file
    std::string text;      // shortened for the menu
    bool visible = false;  // hidden when the slot is empty
};

// What the last opening did, for the command-line companion's report.
struct PrubehOtevreni {
    bool vytvorena = false;                // the tables were missing and were created
    std::vector<std::string> prevedene;    // tables recoded to code page 852
    std::string uschovano;                 // archive of the original tables made before that
    int pridaneSloupce = 0;                // columns appended to older tables
    std::vector<std::string> pridaneTagy;  // tags that checking the indexes added
    std::optional<bool> zaloha;            // result of the automatic backup; empty: none ran
    std::size_t doplneneTxt = 0;           // companion-player files written for albums lacking one
    std::string chyba;                     // the engine's error when the opening failed
    std::int64_t dokoncenaZmena = 0;       // album whose interrupted change was completed
    std::string uschovanyZaznam;           // a change log that could not be applied, kept here
    std::size_t prepsanaCisla = 0;         // numbers rewritten from a decimal comma
    dbf::StagedState obnova = dbf::StagedState::None;  // a restore cut short: finished or not
};

// The status text after an opening rewrote numbers an earlier version wrote with a comma.
inline constexpr const char* kPrepsanaCisla = "Čísla s desetinnou čárkou přepsána s tečkou: ";

class DatabaseSession {
  public:
    static constexpr const char* kAlbumTable = "cddata.DBF";
    static constexpr const char* kTrackTable = "cdskladby.DBF";

    // archive may be null: then no backup runs and no restore is offered.
    DatabaseSession(SessionPaths paths, Messages& messages, Dialogs& dialogs, StatusLine& status,
                    Archive* archive = nullptr,
                    std::shared_ptr<dbf::FileSystem> fs = dbf::FileSystem::native());
    ~DatabaseSession();
    DatabaseSession(const DatabaseSession&) = delete;
    DatabaseSession& operator=(const DatabaseSession&) = delete;

    void setArchive(Archive* archive) { archive_ = archive; }
    // Writes the companion player's file of every album that lacks one and clears what
    // interrupted writes left, after each opening; returns how many files it wrote. The program
    // entry wires the export layer here; without it nothing is checked.
    using DoplneniTxt = std::function<std::size_t(dbf::Cursor& alba, dbf::Cursor& skladby,
                                                  const std::string& adresarTXT)>;
    void setDoplneniTxt(DoplneniTxt doplneni) { doplneniTxt_ = std::move(doplneni); }
    // Called whenever the caption or the list of previous databases changed.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }
    // Called after an opening completed an album change a crash had interrupted, with the
    // album number and its disc identity before the change (the player file follows).
    using PoDokonceniZmeny = std::function<void(std::int64_t cislo, const std::string& puvodniSN)>;
    void setPoDokonceniZmeny(PoDokonceniZmeny f) { poDokonceni_ = std::move(f); }

    dbf::Engine& engine() { return *engine_; }
    const SessionPaths& paths() const { return paths_; }

    // The main cursors; null while closed.
    dbf::Cursor* TData() const { return data_.get(); }
    dbf::Cursor* TSkladby() const { return skladby_.get(); }
    bool jeOtevrena() const { return data_ && skladby_; }

    // The current database directory (empty before the first opening) and its text directory.
    const std::string& adresar() const { return adresar_; }
    const std::string& adresarTXT() const { return adresarTXT_; }
    // "Lorvika 1.4 {…} " with the directory shortened to 30 characters.
    std::string titulek() const;

    // Set by album editing after the tracks of an album were replaced.
    bool cekaKomprese() const { return packPending_; }
    void nastavCekaKomprese(bool pending) { packPending_ = pending; }

    // Opening. true when the database in the (possibly corrected) directory is open at the end
    // of this call; false when it stopped, or ended in the recovery questions.
    bool NactiDB(const std::string& directory, bool noCreate, bool ask);
    void DBopenClick();
    // slot 1..5 opens the directory under "ZO2" .. "ZO6".
    void MZOClick(int slot);
    void MZO1Click() { MZOClick(1); }
    void MZO2Click() { MZOClick(2); }
    void MZO3Click() { MZOClick(3); }
    void MZO4Click() { MZOClick(4); }
    void MZO5Click() { MZOClick(5); }

    // Creating. DBNewClick asks for the directory; NewDB creates the tables and tags in the
    // current directory (existing tables there are replaced).
    bool DBNewClick();
    void NewDB();

    // Recent databases in "Predchozi DB"/"ZO1".."ZO6".
    void ZapamatujDB();
    std::vector<PredchoziDB> MenuPredchozi() const;  // always five entries, for MZO1..MZO5
    // The same on a given INI file and directory.
    static void ZapamatujDB(const std::string& iniFile, const std::string& directory);
    static std::vector<PredchoziDB> MenuPredchozi(const std::string& iniFile);
    // Shortens a path for display; separator is the path separator of the text.
    static std::string ZkratCestu(int n, const std::string& path, char separator = '/');

    // Compaction of both tables, and of the track table when a pack is pending and at most one
    // child window is open. FPackSkladby returns whether it packed.
    void MDKompresClick();
    bool FPackSkladby(int openChildWindows);

    std::string MInfDatabText() const;
    void MInfDatabClick();

    // Closing and reopening the main cursors (around backup, restore, compaction and program end).
    // OtevriTabulky throws the engine's error when a table cannot be opened.
    void ZavriTabulky();
    void OtevriTabulky();
    // Only the tables asked for; which: 1 the album table, 2 the track table, 0 both.
    void ZavriTabulky(int which);
    void OtevriTabulky(int which);

    std::size_t pocetCD() const;  // album count of TData, 0 while closed
    const PrubehOtevreni& prubeh() const { return prubeh_; }

  private:
    enum class Recovery { Opened, Ended };
    void nastavAdresar(const std::string& directory);
    void otevriHlavni();
    void pripravTabulky();
    void uschovejPredPrevodem();
    Recovery obnovaPoChybe(const std::string& directory);
    void dokonciOtevreni(const std::string& directory, bool created);
    void prevezmiObnovu(const std::optional<dbf::LogRecovery>& obnova);
    void zmena();

    SessionPaths paths_;
    Messages& messages_;
    Dialogs& dialogs_;
    StatusLine& status_;
    Archive* archive_;
    std::shared_ptr<dbf::FileSystem> fs_;
    std::unique_ptr<dbf::Engine> engine_;
    std::unique_ptr<dbf::Cursor> data_;
    std::unique_ptr<dbf::Cursor> skladby_;
    std::string adresar_;
    std::string adresarTXT_;
    bool packPending_ = false;
    PrubehOtevreni prubeh_;
    std::function<void()> onChange_;
    DoplneniTxt doplneniTxt_;
    PoDokonceniZmeny poDokonceni_;
    std::string dokoncenaSN_;
};

}  // namespace lorvika
