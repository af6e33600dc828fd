#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Backup of a database's four table files into "zaloha.zip" in the database directory, and the
// restore from it. No Qt here: the main window and the session drive these with callbacks.
namespace lorvika {

inline constexpr std::string_view kArchivZalohy = "zaloha.zip";
// The archive a backup replaced: one earlier generation.
inline constexpr std::string_view kPredchoziZaloha = "zaloha-predchozi.zip";
// The new archive while a backup writes it.
inline constexpr std::string_view kRozpracovanaZaloha = "zaloha-nova.zip";

// Entries of the archive under their bare names, in the order they are packed.
inline constexpr std::array<std::string_view, 4> kSouboryZalohy = {"cddata.dbf", "cdskladby.dbf",
                                                                   "cddata.mdx", "cdskladby.mdx"};

// The three kinds of report a packing or unpacking run gives.
enum class ZipProgressKind { NewFile, Update, EndOfBatch };

struct ZipProgress {
    ZipProgressKind kind = ZipProgressKind::Update;
    std::string file;        // bare entry name (NewFile)
    std::uint64_t size = 0;  // uncompressed size in bytes (NewFile)
};

// The status-bar gauge: an update advances it by 25, the end of a batch sets 100, a new file
// changes nothing. It never leaves 0..100, however many updates arrive.
class ZipGauge {
  public:
    int apply(const ZipProgress& report);
    int value() const { return value_; }
    void reset() { value_ = 0; }

  private:
    int value_ = 0;
};

// What a backup or restore needs of its surroundings. Every member may be empty.
struct ZalohaRizeni {
    // Closes every album and track cursor of the program; reopens them afterwards. The reopening
    // runs in every case once the closing was attempted, also after a failure; an error of the
    // reopening itself is not caught (it is the engine's to report).
    std::function<void()> zavriTabulky;
    std::function<void()> otevriTabulky;
    // The status panel becomes a gauge at 0 with the text; then follows the reports with the
    // gauge's value; at the end it is a plain panel with an empty text again.
    std::function<void(const std::string& text)> merakZacni;
    std::function<void(const ZipProgress& report, int procenta)> postup;
    std::function<void()> merakKonec;
};

struct VysledekZalohy {
    bool ok = true;
    std::string chyba;  // Czech text naming the file when !ok
    explicit operator bool() const { return ok; }
};

// Packs the four table files into directory/zaloha.zip at compression level 9. An existing
// archive is updated: entries whose file differs are replaced, missing ones added, others kept.
// The archive is replaced only by a complete new one made durable first; the one it replaces
// becomes zaloha-predchozi.zip. A restore begun before is finished first.
VysledekZalohy Zalohuj(const std::string& adresar, const ZalohaRizeni& rizeni = {});

// Restores the four table files from directory/zaloha.zip. Only the four entries with exactly
// those bare names are read; every other entry is ignored. Each is extracted into the folder
// zaloha.obnova and checked; the tables are replaced only when all four are whole and durable,
// as one step the next opening finishes should it be cut short. The journals of the replaced
// tables go with them. A restore that did not happen leaves the empty folder, and while it is
// there no automatic backup replaces the archive.
VysledekZalohy Rozbal(const std::string& adresar, const ZalohaRizeni& rizeni = {});

// Packs the table, index and code-page files of the database (whichever exist) as they are into
// a new archive `nazev` in the directory, at compression level 9, without closing anything. An
// archive of that name (any letter case) already there is left untouched: false. A failure
// throws std::runtime_error naming the archive; no partial archive remains.
bool Uschovej(const std::string& adresar, const std::string& nazev);

}  // namespace lorvika
