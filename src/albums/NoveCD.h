#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "disc/CdDevice.h"
#include "online/AlbumFill.h"
#include "store/Messages.h"
#include "store/dbf/Cursor.h"
#include "store/dbf/Engine.h"
#include "store/dbf/Types.h"

// Entering a new album without widgets: reading the disc into the work table, the album number,
// and storing the album with its tracks and its text file for the player.
namespace lorvika {

inline constexpr const char* kCdJizZapsano = "AudioCD je již zapsáno - nelze přidat";
inline constexpr const char* kPrepsatZInternetu = "Přepsat vyplněné údaje údaji z internetu?";
inline constexpr std::string_view kPracovniTabulka = "newskladby.DBF";

// The next album number: the first gap above the lowest number, else the highest + 1; 1 for an
// empty table. The cursor is left on tag "cislo".
std::int64_t Vytvor_cislo(dbf::Cursor& alba);

// A year or a price as a Czech user types it, read without the process locale: leading blanks,
// a sign, digits with a decimal comma or point and more digits, an exponent. Nothing for any
// other text, an empty one included.
std::optional<double> RealneCislo(std::string_view text);
// The nearest whole number of such a text, trailing blanks allowed (halves away from zero);
// nothing when the text is no number or the number does not fit a number column.
std::optional<std::int64_t> CeleCisloVstupu(std::string_view text);
// The same, 0 when the text is no number.
std::int64_t CeleCislo(std::string_view text);
// Nothing typed but blanks.
bool PrazdnyVstup(std::string_view text);

// The name of an album text column's input as the windows label it ("Interpret" for ARTIST), for
// messages about what was typed there; empty for any other column.
const char* PopisSloupce(std::string_view sloupec);

// Whether a work table's track names or artists hold any text; the position is kept.
bool MaVyplneneSkladby(dbf::Cursor& prace);
// A release's tracks into the work table's rows of the same position: into empty cells, or over
// everything when prepsat. Whether a row changed; the cursor ends on the first row.
bool PrevezmiSkladby(dbf::Cursor& prace, const online::AlbumFill& vydani, bool prepsat);

// The album inputs as typed (UTF-8).
struct VstupyAlba {
    std::string artist, album, zanr, typ, rok, cena, zeme, vydF, vydP;
    std::string zpev, kytar, basa, bici, klav, host, sax, trubka, special, popis;
    int hodnoceni = 0;
};

// The column of the first of the year and the price typed as no number ("ROK", "CENA"); nullptr
// when each is a number or empty.
const char* ChybneCislo(const VstupyAlba& v);

class NoveCD {
  public:
    // alba and skladby are the form's cursors on the open catalogue; the work table lives in
    // programDir; adresarTXT is the player's text directory; dnes gives the change date.
    NoveCD(dbf::Engine& engine, dbf::Cursor& alba, dbf::Cursor& skladby, std::string programDir,
           std::string adresarTXT, Messages& zpravy, std::function<dbf::Date()> dnes);
    ~NoveCD();
    NoveCD(const NoveCD&) = delete;
    NoveCD& operator=(const NoveCD&) = delete;

    // Reads the disc in the player into the work table; false (after its message) when there is
    // no audio disc or the disc is catalogued already. CdError of a closed device reaches the
    // caller.
    bool NactiDisk(CdDevice& player);
    // Stores the album with the work table's rows as its tracks; the album number, or 0 when
    // nothing was stored (no disc read, the disc is catalogued already, or a text or number the
    // tables cannot take, after its warning).
    std::int64_t Uloz();
    // Empties the inputs and the remembered disc (after a store).
    void NulujEditTxt();
    // Copies the disc's CD-TEXT into empty inputs and empty work-table cells; false without
    // CD-TEXT.
    bool PrevezmiCdText();
    // Whether the inputs or tracks a release from the internet fills hold anything typed.
    bool maVyplnenoProInternet() const;
    // Takes a release's values: into empty inputs and cells only, or over everything when
    // prepsat; a value the release lacks leaves the input alone. Tracks match by position.
    void PrevezmiZInternetu(const online::AlbumFill& vydani, bool prepsat);
    // A row the user adds: the next free position after the highest one.
    void PridejRadek();
    // Closes the work table and deletes its files.
    void Zavri();

    // The cursors of the open catalogue, again after the form reopened them.
    void nastavKurzory(dbf::Cursor& alba, dbf::Cursor& skladby) {
        alba_ = &alba;
        skladby_ = &skladby;
    }

    bool nacteno() const { return prace_ && !sn_.empty(); }
    bool maCdText() const { return !cdText_.empty(); }
    const std::string& sn() const { return sn_; }
    // The disc read last: its table of contents and MusicBrainz disc ID (empty when unknown).
    const Toc& toc() const { return toc_; }
    const std::string& mbid() const { return mbid_; }
    int pocetStop() const { return pocetStop_; }
    int delka() const { return delka_; }
    dbf::Cursor* pracovni() const { return prace_.get(); }

    VstupyAlba vstupy;

  private:
    bool jeZapsano(const std::string& sn);
    dbf::Engine& engine_;
    dbf::Cursor* alba_;
    dbf::Cursor* skladby_;
    std::string programDir_;
    std::string adresarTXT_;
    Messages& zpravy_;
    std::function<dbf::Date()> dnes_;
    std::unique_ptr<dbf::Cursor> prace_;
    std::string sn_;
    int pocetStop_ = 1;
    int delka_ = 0;
    CdText cdText_;
    Toc toc_;
    std::string mbid_;
};

}  // namespace lorvika
