#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "online/AlbumFill.h"
#include "store/Messages.h"
#include "store/dbf/Cursor.h"
#include "store/dbf/Engine.h"
#include "store/dbf/Types.h"

// Editing one album without widgets: loading it with its tracks into the work table, the change
// marks, saving only what changed, case conversion, the price check and the assignment of
// another disc.
namespace lorvika {

inline constexpr const char* kZadnaZmena = "Nebyla provedena žádná změna";
inline constexpr const char* kZapsatZmeny = "Zapsat provedené změny?";
inline constexpr const char* kNeniCislo = "Toto není přípustné číslo";
inline constexpr const char* kZapornaCena = "Zadané číslo musí být větší nebo rovno 0";
inline constexpr const char* kJizPrirazeno = "Toto AudioCD je již přiřazeno.";
inline constexpr const char* kPocetStopNeodpovida = "Počet stop neodpovídá, je to v pořádku?";
inline constexpr const char* kDelkaNeodpovida = "Délka AudioCD neodpovídá, je to v pořádku?";
inline constexpr std::string_view kEditTabulka = "editskladby.DBF";

// The plain inputs, in the order a save writes them (CENA last, as a whole number).
enum VstupEditu {
    VAlbum,
    VArtist,
    VRok,
    VZpev,
    VKytar,
    VBasa,
    VBici,
    VKlav,
    VHost,
    VVydP,
    VSax,
    VTrubka,
    VSpecial,
    VPopis,
    VCena,
    PocetVstupu
};
// The combo boxes, in the order a save writes them.
enum KomboEditu { KZanr, KTyp, KVydF, KZeme, PocetKomb };

const char* poleVstupu(int vstup);
const char* poleKomba(int kombo);

// 31.12.1899, what the date picker shows for an album without a change date.
inline constexpr dbf::Date kPrazdneDatum{1899, 12, 31};

// A real number as the price check reads it: leading blanks, a sign, digits, a decimal comma or
// point with more digits, an exponent.
bool JeRealneCislo(std::string_view text);
// The price check: false after its warning (also for a price no number column holds).
bool KontrolaCeny(std::string_view text, Messages& zpravy);

// What the disc choice hands back: identity, track count and the packed length.
struct VybraneCD {
    std::string sn;
    int stop = 0;
    std::uint32_t delka = 0;
    std::string mbid;  // MusicBrainz disc ID, empty when unknown
};

class EditCD {
  public:
    struct Vstup {
        std::string text;
        bool zmeneno = false;  // the input's modified flag
    };
    struct Kombo {
        std::string nacteno;
        std::string text;
        bool zmeneno = false;
    };

    // alba and skladby are the form's cursors; the work table lives in programDir; dnes gives
    // today's date; komprese sets the pack-pending flag.
    EditCD(dbf::Engine& engine, dbf::Cursor& alba, dbf::Cursor& skladby, std::string adresarDB,
           std::string programDir, std::string adresarTXT, Messages& zpravy,
           std::function<dbf::Date()> dnes, std::function<void()> komprese);
    ~EditCD();
    EditCD(const EditCD&) = delete;
    EditCD& operator=(const EditCD&) = delete;

    void nastavKurzory(dbf::Cursor& alba, dbf::Cursor& skladby) {
        alba_ = &alba;
        skladby_ = &skladby;
    }

    // Loads the album cursor's current album; every mark is cleared.
    void Aktualizuj();
    bool BylaZmena() const;
    // Asks and writes; true when something was written (the album is then loaded again).
    bool Uloz();

    // Change marks.
    void KomboExit(int kombo);
    void DatumExit();
    void SkladbaZapsana() {
        skladbyZmeneny = true;
        zmenaPoPridani_ = true;
    }
    // The row PridejRadek added was dropped untouched: the mark is what it was before, unless
    // the tracks changed otherwise since.
    void PridanyZahozen() { skladbyZmeneny = zmenaPoPridani_; }

    // Every track's field (NAME or ARTIST) to upper case, or lower case for smer -1.
    void VseNaVelkeMale(const std::string& pole, int smer);
    // A row the user adds: the album's number and the next position; returns its record.
    void PridejRadek();
    // The assignment of the chosen disc; true when the album takes its identity.
    bool Prirad(const VybraneCD& cd);
    // The same two steps as for a new album: whether anything a release fills holds text, and
    // taking the release (empty values only unless prepsat), marking what changed.
    bool maVyplnenoProInternet() const;
    void PrevezmiZInternetu(const online::AlbumFill& vydani, bool prepsat);
    // Closes the work table and deletes its files.
    void Zavri();

    dbf::Cursor* pracovni() const { return prace_.get(); }
    std::int64_t cislo() const { return cislo_; }
    const std::string& nacteneSN() const { return nacteneSN_; }
    // The MusicBrainz disc ID stored with the album, or of the disc just assigned.
    const std::string& mbid() const { return mbid_; }

    std::array<Vstup, PocetVstupu> vstupy;
    std::array<Kombo, PocetKomb> komba;
    int hodnoceniNactene = 0;
    int hodnoceni = 0;
    dbf::Date datumNactene;
    dbf::Date datum;
    bool datumZmeneno = false;
    std::string sn;
    bool cdPrirazeno = false;
    bool skladbyZmeneny = false;
    int pocetStop = 0;
    int delka = 0;
    // The input (VRok, VCena) whose text the last save refused as no number; -1 otherwise.
    int chybnyVstup = -1;

  private:
    void naplnPracovni();
    dbf::Engine& engine_;
    dbf::Cursor* alba_;
    dbf::Cursor* skladby_;
    std::string adresarDB_;
    std::string programDir_;
    std::string adresarTXT_;
    Messages& zpravy_;
    std::function<dbf::Date()> dnes_;
    std::function<void()> komprese_;
    std::unique_ptr<dbf::Cursor> prace_;
    std::int64_t cislo_ = 0;
    std::string nacteneSN_;
    std::string mbid_;
    bool zmenaPoPridani_ = false;
};

}  // namespace lorvika
