#include "albums/NoveCD.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <optional>
#include <utility>

#include "albums/PracovniTabulka.h"
#include "disc/Readout.h"
#include "export/Sonorek.h"
#include "store/Catalogue.h"
#include "store/ZmenaAlba.h"
#include "store/dbf/Transaction.h"

namespace lorvika {

std::int64_t Vytvor_cislo(dbf::Cursor& alba) {
    alba.setTag("cislo");
    if (alba.isEmpty()) return 1;
    alba.last();
    const std::int64_t max = alba.integer("CISLO");
    alba.first();
    if (max == static_cast<std::int64_t>(alba.recordCount())) return max + 1;
    std::int64_t predchozi = 1;
    for (; !alba.eof(); alba.next()) {
        const std::int64_t c = alba.integer("CISLO");
        if (c - predchozi > 1) return predchozi + 1;
        predchozi = c;
    }
    return max + 1;
}

std::int64_t CeleCislo(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t hodnota = 0;
    const auto [konec, chyba] = std::from_chars(text.data(), text.data() + text.size(), hodnota);
    if (text.empty() || chyba != std::errc() || konec != text.data() + text.size()) return 0;
    return hodnota;
}

const char* PopisSloupce(std::string_view sloupec) {
    static constexpr std::pair<std::string_view, const char*> popisy[] = {
        {"ARTIST", "Interpret"}, {"ALBUM", "Album"},
        {"ZANR", "Žánr"},        {"TYP", "Typ"},
        {"ZEME", "Původ"},       {"VYD_F", "Vydavatel - firma"},
        {"VYD_P", "Producent"},  {"ZPEV", "Zpěv"},
        {"KYTAR", "Kytara"},     {"BASA", "Basa"},
        {"BICI", "Bicí"},        {"KLAV", "Klávesy"},
        {"HOST", "Host"},        {"SAX", "Saxofon"},
        {"TRUBKA", "Trubka"},    {"SPECIAL", "Specialita"},
        {"POPIS", "Popis"},
    };
    for (const auto& [s, popis] : popisy)
        if (s == sloupec) return popis;
    return "";
}

NoveCD::NoveCD(dbf::Engine& engine, dbf::Cursor& alba, dbf::Cursor& skladby, std::string programDir,
               std::string adresarTXT, Messages& zpravy, std::function<dbf::Date()> dnes)
    : engine_(engine),
      alba_(&alba),
      skladby_(&skladby),
      programDir_(std::move(programDir)),
      adresarTXT_(std::move(adresarTXT)),
      zpravy_(zpravy),
      dnes_(std::move(dnes)) {}

NoveCD::~NoveCD() {
    // The engine may be gone already (the main window ends before its child windows).
    prace_.reset();
    OdstranPracovniTabulku(programDir_, "newskladby");
}

bool NoveCD::jeZapsano(const std::string& sn) {
    if (!ExistujeKlic("sn", dbf::Key(sn), *alba_)) return false;
    zpravy_.zobrazSPipnutim(kCdJizZapsano, MsgKind::Information, kButtonsOK);
    return true;
}

bool NoveCD::NactiDisk(CdDevice& player) {
    if (player.mode() == CdMode::Open) {
        zpravy_.zobrazSPipnutim(kNoAudioCd, MsgKind::Information, kButtonsOK);
        return false;
    }
    const std::string sn = NactiSN(player);
    if (sn.empty()) {
        // The door opened or the disc went between the two questions.
        zpravy_.zobrazSPipnutim(kNoAudioCd, MsgKind::Information, kButtonsOK);
        return false;
    }
    if (jeZapsano(sn)) return false;
    const TrackReadout stopy = readTracks(player);
    CdText text;
    try {
        text = player.cdText();
    } catch (const CdError&) {
        // A drive that cannot read CD-TEXT simply offers none.
    }

    const std::string soubor(kPracovniTabulka);
    prace_.reset();
    if (engine_.tableExists(programDir_, soubor)) engine_.deleteTable(programDir_, soubor);
    engine_.createTable(programDir_, soubor, VsechnaPole(SloupceSkladeb()));
    prace_ = engine_.open(programDir_, soubor);
    for (int t = 0; t < stopy.tracks; ++t) {
        prace_->append();
        prace_->setInteger("CISLO", t + 1);
        prace_->setInteger("DELKA", stopy.trackSeconds.at(static_cast<std::size_t>(t)));
        prace_->post();
    }
    prace_->first();
    sn_ = sn;
    pocetStop_ = stopy.tracks;
    delka_ = stopy.totalSeconds;
    cdText_ = std::move(text);
    return true;
}

std::int64_t NoveCD::Uloz() {
    if (!prace_ || sn_.empty()) return 0;
    if (jeZapsano(sn_)) return 0;
    VstupyAlba v = vstupy;
    struct Text {
        const char* sloupec;
        std::string* hodnota;
    };
    const Text texty[] = {
        {"ARTIST", &v.artist}, {"ALBUM", &v.album}, {"ZANR", &v.zanr},     {"TYP", &v.typ},
        {"ZEME", &v.zeme},     {"VYD_F", &v.vydF},  {"VYD_P", &v.vydP},    {"ZPEV", &v.zpev},
        {"KYTAR", &v.kytar},   {"BASA", &v.basa},   {"BICI", &v.bici},     {"KLAV", &v.klav},
        {"HOST", &v.host},     {"SAX", &v.sax},     {"TRUBKA", &v.trubka}, {"SPECIAL", &v.special},
        {"POPIS", &v.popis},
    };
    // Every text is checked before anything is written: a refused character stores nothing.
    for (const Text& t : texty) {
        KontrolaTextu k = ZkontrolujText(*t.hodnota, PopisSloupce(t.sloupec));
        if (!k.ok()) {
            zpravy_.zobrazSPipnutim(k.chyba, MsgKind::Warning, kButtonsOK);
            return 0;
        }
        *t.hodnota = std::move(k.text);
    }
    const std::int64_t cislo = Vytvor_cislo(*alba_);

    // The album and its tracks are one transaction: after a crash or a power cut either all
    // are there or none.
    dbf::Transaction zmena(engine_, alba_->directory());
    zmena.setNote(ZapisPoznamku({PoznamkaZmeny::Druh::Nove, cislo, sn_, {}}));
    // A value the engine refuses leaves both cursors browsing and writes nothing.
    struct Zrus {
        dbf::Cursor& a;
        dbf::Cursor& b;
        ~Zrus() {
            if (a.state() != dbf::CursorState::Browse) a.cancel();
            if (b.state() != dbf::CursorState::Browse) b.cancel();
        }
    } zrus{*alba_, *skladby_};
    alba_->append();
    alba_->setInteger("CISLO", cislo);
    for (const Text& t : texty) alba_->setText(t.sloupec, *t.hodnota);
    alba_->setInteger("ROK", CeleCislo(v.rok));
    alba_->setInteger("CENA", CeleCislo(v.cena));
    alba_->setInteger("HODNOC", std::clamp(v.hodnoceni, 0, 6));
    alba_->setInteger("PSTOP", pocetStop_);
    alba_->setInteger("DELKA", delka_);
    alba_->setText("SN", sn_);
    // The first character as typed, however many bytes it takes in UTF-8.
    const auto prvniZnak = [](const std::string& s) {
        if (s.empty()) return std::string();
        std::size_t n = 1;
        while (n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
        return s.substr(0, n);
    };
    alba_->setText("ABCDAR", prvniZnak(v.artist));
    alba_->setText("ABCDAL", prvniZnak(v.album));
    alba_->setDate("ZMENA", dnes_());
    zmena.post(*alba_);

    for (prace_->first(); !prace_->eof(); prace_->next()) {
        skladby_->append();
        skladby_->setInteger("CD", cislo);
        skladby_->setText("NAME", prace_->text("NAME"));
        skladby_->setText("ARTIST", prace_->text("ARTIST"));
        skladby_->setInteger("CISLO", prace_->integer("CISLO"));
        skladby_->setInteger("DELKA", prace_->integer("DELKA"));
        skladby_->setText("TYP", prace_->text("TYP"));
        zmena.post(*skladby_);
    }
    zmena.commit();
    NajdiCD(cislo, "cislo", *alba_);
    UlozTxtCD(cislo, *alba_, *skladby_, adresarTXT_);
    return cislo;
}

void NoveCD::NulujEditTxt() {
    vstupy = VstupyAlba{};
    pocetStop_ = 1;
    delka_ = 0;
    sn_.clear();
}

bool NoveCD::PrevezmiCdText() {
    if (cdText_.empty()) return false;
    // A text with a character the tables cannot hold is not taken at all (never half of it);
    // one message lists them.
    std::string odmitnute;
    const auto prevezmi = [&](const std::string& text, const std::string& kde) {
        KontrolaTextu k = ZkontrolujText(text);
        if (k.ok()) return std::optional<std::string>(std::move(k.text));
        odmitnute += "\r" + kde + ": znak „" + k.znak + "“";
        return std::optional<std::string>();
    };
    if (vstupy.album.empty() && !cdText_.title.empty())
        vstupy.album = prevezmi(cdText_.title, "album").value_or("");
    if (vstupy.artist.empty() && !cdText_.performer.empty())
        vstupy.artist = prevezmi(cdText_.performer, "interpret").value_or("");
    if (prace_) {
        for (prace_->first(); !prace_->eof(); prace_->next()) {
            const std::int64_t t = prace_->integer("CISLO");
            if (t < 1 || t > static_cast<std::int64_t>(cdText_.tracks.size())) continue;
            const CdTextTrack& stopa = cdText_.tracks[static_cast<std::size_t>(t - 1)];
            const std::string stopaText = "skladba " + std::to_string(t);
            std::optional<std::string> nazev, umelec;
            if (prace_->text("NAME").empty() && !stopa.title.empty())
                nazev = prevezmi(stopa.title, "název, " + stopaText);
            if (prace_->text("ARTIST").empty() && !stopa.performer.empty())
                umelec = prevezmi(stopa.performer, "umělec, " + stopaText);
            if (!nazev && !umelec) continue;
            prace_->edit();
            if (nazev) prace_->setText("NAME", *nazev);
            if (umelec) prace_->setText("ARTIST", *umelec);
            prace_->post();
        }
        prace_->first();
    }
    if (!odmitnute.empty())
        zpravy_.zobrazSPipnutim(
            "Tyto texty z CD-TEXT obsahují znak, který nelze do databáze "
            "uložit, a nebyly převzaty:" +
                odmitnute,
            MsgKind::Warning, kButtonsOK);
    return true;
}

void NoveCD::PridejRadek() {
    if (!prace_) return;
    std::int64_t max = 0;
    for (prace_->first(); !prace_->eof(); prace_->next())
        max = std::max(max, prace_->integer("CISLO"));
    prace_->append();
    prace_->setInteger("CISLO", max + 1);
    prace_->post();
}

void NoveCD::Zavri() {
    prace_.reset();
    cdText_ = {};
    const std::string soubor(kPracovniTabulka);
    if (engine_.tableExists(programDir_, soubor)) engine_.deleteTable(programDir_, soubor);
}

}  // namespace lorvika
