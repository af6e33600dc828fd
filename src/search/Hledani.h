#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/dbf/Cursor.h"
#include "store/dbf/TextMatch.h"

// The search over albums and their tracks without widgets: the query of the 23 rows, and its
// evaluation for one album record. The search window reads its controls into a Dotaz, the
// command line builds one from its arguments; both evaluate it with Vyhledavani.
namespace lorvika {

inline constexpr int kPocetRadku = 23;

inline constexpr std::string_view kMezNeniCislo = "Toto není přípustné číslo";
inline constexpr std::string_view kMezMusiBytVetsi = "Zadané číslo musí být větší jak 0";
inline constexpr std::string_view kMezMusiBytNezaporna = "Zadané číslo musí být větší nebo rovno 0";
inline constexpr std::string_view kVyhovujePocet = "Zadanému filtru vyhovuje tento počet AudioCD:";
inline constexpr std::string_view kNicNevyhovuje =
    "Žádné AudioCD v databázi nevyhovuje zadanému filtru";

enum class DruhRadku {
    TextAlba,          // a text column of the album
    TextAlbaISkladeb,  // the album's ARTIST or the ARTIST of any of its tracks (row 2)
    TextSkladeb,       // a text column of any of the album's tracks (rows 3, 23)
    Rozsah,            // a number column between bounds (rows 4, 8, 21, 22)
};

struct PopisRadku {
    int n;                            // row number, 1 to 23
    std::string_view jmeno;           // name of the row on the command line
    std::string_view sloupecAlba;     // tested album column; empty for track-only rows
    std::string_view sloupecSkladby;  // tested track column; empty for album-only rows
    DruhRadku druh;
};

// Every row in the order of the query page (top to bottom).
const std::vector<PopisRadku>& RadkyDotazu();
const PopisRadku& PopisRadkuCislo(int n);
const PopisRadku* PopisRadkuJmenem(std::string_view jmeno);

enum class Rezim { Vypnuto, Obsahuje, Shoda };

struct PodminkaRadku {
    Rezim rezim = Rezim::Vypnuto;  // a range row is on with Shoda
    bool negace = false;
    std::string text;  // text rows: the value exactly as typed (UTF-8)
    // Range rows: a bound applies while it is on; row 4 applies both bounds always.
    bool odZapnuto = true;
    bool doZapnuto = false;
    std::int64_t od = 0;
    std::int64_t do_ = 0;
};

struct Dotaz {
    std::array<PodminkaRadku, kPocetRadku + 1> radky;  // index = row number; 0 unused
    bool alesponJedne = false;  // "alespoň jedné podmínce"; otherwise "všem podmínkám"

    PodminkaRadku& operator[](int n) { return radky.at(static_cast<std::size_t>(n)); }
    const PodminkaRadku& operator[](int n) const { return radky.at(static_cast<std::size_t>(n)); }
    int PocetZapnutych() const;
};

// A whole number in decimal notation (optional sign, digits, nothing else; within 32 bits),
// as a bound edit takes it.
std::optional<std::int64_t> CeleCisloZTextu(std::string_view text);
// The same, with 0 for a text that is not one (how the evaluation reads a bound edit).
std::int64_t CeleCisloNeboNula(std::string_view text);
// The warning a bound edit of row n gives for text, or nothing when it accepts it.
std::optional<std::string_view> ChybaMeze(int n, std::string_view text);
// The index of the rating word text (letters a to z compared without regard to case, every
// other character exactly), or nothing when it is not one of the seven words.
std::optional<int> HodnoceniZeSlova(std::string_view text);

// One evaluation of a query over one catalogue. The track rows are answered per album through
// the track table's tag "CD"; once that has been asked for more albums than a single pass over
// the track table would cost, that pass is made and its answer (one set of album numbers) used.
class Vyhledavani {
  public:
    // alba: a cursor on the album table; skladby: one on the track table, of which the search
    // takes views of its own. Both tables must outlive the search.
    Vyhledavani(Dotaz dotaz, const dbf::Cursor& alba, const dbf::Cursor& skladby);
    ~Vyhledavani();
    Vyhledavani(const Vyhledavani&) = delete;
    Vyhledavani& operator=(const Vyhledavani&) = delete;

    // Whether the current album record of the cursor passes (a cursor on the album table).
    bool Vyhovuje(const dbf::Cursor& album);

    const Dotaz& dotaz() const { return dotaz_; }
    // For tests: how many per-album track look-ups come before the single pass. By default the
    // pass costs about as much as track count / 64 look-ups; it is made once that many were
    // made, or earlier when the share of albums asked so far says that many will be.
    void NastavMezHledaniPoAlbech(std::size_t pocet) {
        mezPoAlbech_ = pocet;
        odhadovat_ = false;
    }
    // For tests: the size at which the pass first merges its list (default: twice the albums).
    void NastavMezZhusteni(std::size_t pocet) { mezZhusteni_ = pocet; }
    bool PouzitPruchod() const { return pruchodHotov_; }

  private:
    struct Test {
        int n = 0;
        std::optional<dbf::TextMatch> shoda;  // null: a contains test with an empty text
        int sloupec = -1;
    };
    struct Vysledek {
        std::int64_t cd;
        std::uint8_t bity;
    };
    bool TestText(const Test& t, const dbf::Cursor& c) const;
    std::uint8_t BityAlba(std::int64_t cd, std::uint8_t potreba);
    std::uint8_t BitySkladby(const dbf::Cursor& s, std::uint8_t potreba) const;
    void Pruchod();
    std::int64_t CisloRozsahu(int n, const dbf::Cursor& album) const;

    Dotaz dotaz_;
    std::vector<int> zapnute_;  // rows that are on, in the order of evaluation
    std::array<Test, kPocetRadku + 1> albumTesty_{};
    std::array<Test, kPocetRadku + 1> skladbyTesty_{};
    std::array<int, kPocetRadku + 1> rozsahSloupec_{};
    std::array<bool, kPocetRadku + 1> rozsahCiselny_{};
    std::array<DruhRadku, kPocetRadku + 1> druhy_{};
    int sloupecCislo_ = -1;
    std::unique_ptr<dbf::Cursor> rozsahy_;  // on tag "CD"; null when the table lacks it
    std::unique_ptr<dbf::Cursor> pruchod_;
    std::size_t mezZhusteni_ = 0;
    std::size_t pocetAlb_ = 0;
    std::size_t vyhodnocenych_ = 0;
    bool odhadovat_ = true;
    std::size_t mezPoAlbech_ = 0;
    std::size_t hledaniPoAlbech_ = 0;
    bool pruchodHotov_ = false;
    std::vector<Vysledek> alba_;  // after the pass: albums with a passing track, by number
};

}  // namespace lorvika
