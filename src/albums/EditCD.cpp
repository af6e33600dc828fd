#include "albums/EditCD.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

#include "albums/NoveCD.h"
#include "albums/PracovniTabulka.h"
#include "disc/Toc.h"
#include "export/Sonorek.h"
#include "store/AsciiCase.h"
#include "store/Catalogue.h"
#include "store/Ini.h"
#include "store/ZmenaAlba.h"
#include "store/codepage.h"

namespace lorvika {

namespace {

std::string datumText(const dbf::Date& d) {
    if (d.isNull()) return {};
    return std::to_string(d.day) + "." + std::to_string(d.month) + "." + std::to_string(d.year);
}

// The track grid's column titles of the edit window, for messages.
std::string popisSkladby(const std::string& sloupec) {
    if (sloupec == "NAME") return "Název";
    if (sloupec == "ARTIST") return "Umělec/popis";
    if (sloupec == "TYP") return "Typ";
    return sloupec;
}

}  // namespace

const char* poleVstupu(int vstup) {
    static const char* const pole[] = {"ALBUM", "ARTIST", "ROK",     "ZPEV",  "KYTAR",
                                       "BASA",  "BICI",   "KLAV",    "HOST",  "VYD_P",
                                       "SAX",   "TRUBKA", "SPECIAL", "POPIS", "CENA"};
    return vstup >= 0 && vstup < PocetVstupu ? pole[vstup] : "";
}

const char* poleKomba(int kombo) {
    static const char* const pole[] = {"ZANR", "TYP", "VYD_F", "ZEME"};
    return kombo >= 0 && kombo < PocetKomb ? pole[kombo] : "";
}

bool JeRealneCislo(std::string_view t) {
    return RealneCislo(t).has_value();
}

bool KontrolaCeny(std::string_view text, Messages& zpravy) {
    const std::optional<double> cena = RealneCislo(text);
    if (!cena || !CeleCisloVstupu(text)) {
        zpravy.zobrazSPipnutim(kNeniCislo, MsgKind::Warning, kButtonsOK);
        return false;
    }
    if (*cena < 0) {
        zpravy.zobrazSPipnutim(kZapornaCena, MsgKind::Warning, kButtonsOK);
        return false;
    }
    return true;
}

EditCD::EditCD(dbf::Engine& engine, dbf::Cursor& alba, dbf::Cursor& skladby, std::string adresarDB,
               std::string programDir, std::string adresarTXT, Messages& zpravy,
               std::function<dbf::Date()> dnes, std::function<void()> komprese)
    : engine_(engine),
      alba_(&alba),
      skladby_(&skladby),
      adresarDB_(std::move(adresarDB)),
      programDir_(std::move(programDir)),
      adresarTXT_(std::move(adresarTXT)),
      zpravy_(zpravy),
      dnes_(std::move(dnes)),
      komprese_(std::move(komprese)) {}

EditCD::~EditCD() {
    // The engine may be gone already (the main window ends before its child windows).
    prace_.reset();
    OdstranPracovniTabulku(programDir_, "editskladby");
}

void EditCD::naplnPracovni() {
    const std::string soubor(kEditTabulka);
    prace_.reset();
    // Removed first: a new file renamed over an existing one makes the file system write the
    // data out at once, which costs more than the whole copy.
    if (engine_.tableExists(programDir_, soubor)) engine_.deleteTable(programDir_, soubor);
    if (cislo_ == 0) {
        engine_.createTable(programDir_, soubor, skladby_->fields());
    } else {
        // The rows are copied byte for byte: a text the conversion of an old table marked as
        // lost must reach the grid for correcting, although no edit may store that mark.
        SkladbyAlba(*skladby_, cislo_, [&](dbf::Cursor& s) {
            engine_.batchCopy(s, programDir_, soubor, dbf::BatchMode::Create);
        });
    }
    prace_ = engine_.open(programDir_, soubor);
    prace_->first();
}

void EditCD::Aktualizuj() {
    dbf::Cursor& a = *alba_;
    const bool album = !a.isEmpty() && !a.eof() && a.recordNumber() != 0;
    cislo_ = album ? a.integer("CISLO") : 0;
    const auto text = [&](const char* pole) { return album ? a.text(pole) : std::string(); };
    for (int i = 0; i < PocetVstupu; ++i) vstupy[static_cast<std::size_t>(i)] = {};
    for (int i = VAlbum; i <= VPopis; ++i)
        vstupy[static_cast<std::size_t>(i)].text = text(poleVstupu(i));
    vstupy[VRok].text = std::to_string(album ? a.integer("ROK") : 0);
    vstupy[VCena].text = std::to_string(album ? a.integer("CENA") : 0);
    delka = album ? static_cast<int>(a.integer("DELKA")) : 0;
    pocetStop = album ? static_cast<int>(a.integer("PSTOP")) : 0;
    for (int k = 0; k < PocetKomb; ++k) {
        Kombo& kombo = komba[static_cast<std::size_t>(k)];
        kombo.nacteno = text(poleKomba(k));
        kombo.text = kombo.nacteno;
        kombo.zmeneno = false;
    }
    hodnoceniNactene = album ? static_cast<int>(a.integer("HODNOC")) : 0;
    hodnoceni = hodnoceniNactene;
    nacteneSN_ = text("SN");
    sn = nacteneSN_;
    mbid_ = album && a.hasField("MBID") ? a.text("MBID") : std::string();
    cdPrirazeno = false;
    const dbf::Date zmena = album ? a.date("ZMENA") : dbf::Date{};
    datumNactene = zmena.isNull() ? kPrazdneDatum : zmena;
    datum = datumNactene;
    datumZmeneno = false;
    naplnPracovni();
    skladbyZmeneny = false;
    zmenaPoPridani_ = false;
}

void EditCD::KomboExit(int k) {
    Kombo& kombo = komba[static_cast<std::size_t>(k)];
    if (!JeVSeznamu(kombo.text, {kombo.nacteno})) kombo.zmeneno = true;
}

void EditCD::DatumExit() {
    if (datum != datumNactene) datumZmeneno = true;
}

bool EditCD::BylaZmena() const {
    for (const Kombo& k : komba)
        if (k.zmeneno) return true;
    for (const Vstup& v : vstupy)
        if (v.zmeneno) return true;
    return skladbyZmeneny || hodnoceni != hodnoceniNactene || datumZmeneno || cdPrirazeno;
}

bool EditCD::Uloz() {
    if (cislo_ == 0) return false;
    if (!BylaZmena()) {
        zpravy_.zobrazSPipnutim(kZadnaZmena, MsgKind::Information, kButtonsOK);
        return false;
    }
    // A year or a price that is no number stores nothing, not 0; an emptied year clears it.
    chybnyVstup = -1;
    const Vstup& rok = vstupy[VRok];
    if (rok.zmeneno && !PrazdnyVstup(rok.text) && !CeleCisloVstupu(rok.text)) {
        chybnyVstup = VRok;
        zpravy_.zobrazSPipnutim(kNeniCislo, MsgKind::Warning, kButtonsOK);
        return false;
    }
    if (vstupy[VCena].zmeneno && !KontrolaCeny(vstupy[VCena].text, zpravy_)) {
        chybnyVstup = VCena;
        return false;
    }
    // Every text goes through the table check before anything is asked or written: typography
    // is stored in its plain form, and one character the tables cannot hold stores nothing.
    std::string chyba;
    const auto text = [&chyba](const std::string& hodnota, std::string_view pole) {
        if (!chyba.empty()) return std::string();
        KontrolaTextu k = ZkontrolujText(hodnota, pole);
        chyba = std::move(k.chyba);
        return std::move(k.text);
    };
    ZmenaAlba z;
    z.cislo = cislo_;
    z.puvodniSN = nacteneSN_;
    for (int k = 0; k < PocetKomb; ++k) {
        const Kombo& kombo = komba[static_cast<std::size_t>(k)];
        if (kombo.zmeneno)
            z.pole.emplace_back(poleKomba(k), text(kombo.text, PopisSloupce(poleKomba(k))));
    }
    for (int i = VAlbum; i <= VPopis; ++i) {
        const Vstup& v = vstupy[static_cast<std::size_t>(i)];
        if (!v.zmeneno) continue;
        if (i == VRok)
            z.pole.emplace_back(poleVstupu(i), PrazdnyVstup(v.text)
                                                   ? std::string()
                                                   : std::to_string(CeleCislo(v.text)));
        else
            z.pole.emplace_back(poleVstupu(i), text(v.text, PopisSloupce(poleVstupu(i))));
    }
    if (skladbyZmeneny && prace_) {
        z.nahraditSkladby = true;
        const std::vector<dbf::FieldDef>& sloupce = prace_->fields();
        for (prace_->first(); !prace_->eof(); prace_->next()) {
            const std::string stopa = ", skladba " + std::to_string(prace_->integer("CISLO"));
            std::vector<std::string> radek;
            for (std::size_t i = 0; i < sloupce.size(); ++i) {
                std::string hodnota = prace_->text(static_cast<int>(i));
                if (sloupce[i].type == dbf::FieldType::Character)
                    hodnota = text(hodnota, popisSkladby(sloupce[i].name) + stopa);
                radek.push_back(std::move(hodnota));
            }
            z.skladby.push_back(std::move(radek));
        }
    }
    if (!chyba.empty()) {
        zpravy_.zobrazSPipnutim(chyba, MsgKind::Warning, kButtonsOK);
        return false;
    }
    if (vstupy[VCena].zmeneno)
        z.pole.emplace_back("CENA", std::to_string(CeleCislo(vstupy[VCena].text)));
    if (hodnoceni != hodnoceniNactene) z.pole.emplace_back("HODNOC", std::to_string(hodnoceni));
    if (cdPrirazeno) {
        z.pole.emplace_back("SN", sn);
        z.pole.emplace_back("MBID", mbid_);
    }
    z.pole.emplace_back("ZMENA", datumText(datumZmeneno ? datum : dnes_()));

    if (zpravy_.zobrazSPipnutim(kZapsatZmeny, MsgKind::Confirmation, kButtonsYesNo) !=
        MsgButton::Yes)
        return false;
    ZapisZmenuAlba(engine_, adresarDB_, *alba_, *skladby_, z, [&] {
        // Both tables hold the change now, deleted tracks included, whatever the file does.
        if (z.nahraditSkladby && komprese_) komprese_();
        UlozTxtCDPoZmene(cislo_, nacteneSN_, *alba_, *skladby_, adresarTXT_);
    });
    NajdiCD(cislo_, "cislo", *alba_);
    Aktualizuj();
    return true;
}

void EditCD::VseNaVelkeMale(const std::string& pole, int smer) {
    if (!prace_) return;
    const dbf::Bookmark zalozka = prace_->bookmark();
    try {
        for (prace_->first(); !prace_->eof(); prace_->next()) {
            const std::string puvodni = prace_->text(pole);
            const std::string novy = smer == -1 ? cp::toLower(puvodni) : cp::toUpper(puvodni);
            if (novy == puvodni) continue;
            prace_->edit();
            prace_->setText(pole, novy);
            prace_->post();
            SkladbaZapsana();
        }
    } catch (...) {
        if (prace_->state() != dbf::CursorState::Browse) prace_->cancel();
        if (zalozka.record != 0 && prace_->bookmarkValid(zalozka)) prace_->gotoBookmark(zalozka);
        throw;
    }
    if (zalozka.record != 0 && prace_->bookmarkValid(zalozka)) prace_->gotoBookmark(zalozka);
}

void EditCD::PridejRadek() {
    if (!prace_ || cislo_ == 0) return;
    std::int64_t max = 0;
    for (prace_->first(); !prace_->eof(); prace_->next())
        max = std::max(max, prace_->integer("CISLO"));
    prace_->append();
    prace_->setInteger("CD", cislo_);
    prace_->setInteger("CISLO", max + 1);
    prace_->post();
    zmenaPoPridani_ = skladbyZmeneny;
    skladbyZmeneny = true;
}

bool EditCD::Prirad(const VybraneCD& cd) {
    if (cislo_ == 0) return false;
    if (equalNoCase(cd.sn, sn)) {
        zpravy_.zobrazSPipnutim(kJizPrirazeno, MsgKind::Information, kButtonsOK);
        return false;
    }
    // Two albums must not share one disc (and one player file) without the user knowing.
    {
        const auto pohled = alba_->readOnlyView();
        if (pohled->hasTag("sn")) {
            pohled->setTag("sn");
            pohled->setRange(dbf::Key(cd.sn), dbf::Key(cd.sn));
            for (pohled->first(); !pohled->eof(); pohled->next()) {
                if (pohled->integer("CISLO") == cislo_) continue;
                const std::string text = "Toto AudioCD je již přiřazeno albu " +
                                         pohled->text("ARTIST") + " - " + pohled->text("ALBUM") +
                                         ", přesto přiřadit?";
                if (zpravy_.zobrazSPipnutim(text, MsgKind::Confirmation, kButtonsYesNo) !=
                    MsgButton::Yes)
                    return false;
                break;
            }
        }
    }
    if (cd.stop != pocetStop && zpravy_.zobrazSPipnutim(kPocetStopNeodpovida, MsgKind::Confirmation,
                                                        kButtonsYesNo) != MsgButton::Yes)
        return false;
    if (packedSeconds(cd.delka) != delka &&
        zpravy_.zobrazSPipnutim(kDelkaNeodpovida, MsgKind::Confirmation, kButtonsYesNo) !=
            MsgButton::Yes)
        return false;
    sn = cd.sn;
    mbid_ = cd.mbid;
    cdPrirazeno = true;
    return true;
}

bool EditCD::maVyplnenoProInternet() const {
    if (!vstupy[VAlbum].text.empty() || !vstupy[VArtist].text.empty()) return true;
    if (!vstupy[VRok].text.empty() && vstupy[VRok].text != "0") return true;
    if (!komba[KVydF].text.empty() || !komba[KZeme].text.empty()) return true;
    return prace_ && MaVyplneneSkladby(*prace_);
}

void EditCD::PrevezmiZInternetu(const online::AlbumFill& f, bool prepsat) {
    const auto vstup = [&](int v, const std::string& hodnota) {
        Vstup& cil = vstupy[static_cast<std::size_t>(v)];
        // A year of 0 is no year.
        const bool prazdny = cil.text.empty() || (v == VRok && cil.text == "0");
        if (hodnota.empty() || cil.text == hodnota || !(prepsat || prazdny)) return;
        cil.text = hodnota;
        cil.zmeneno = true;
    };
    vstup(VAlbum, f.album);
    vstup(VArtist, f.artist);
    vstup(VRok, f.rok);
    for (const auto& [k, hodnota] : {std::pair{KVydF, &f.vydF}, std::pair{KZeme, &f.zeme}}) {
        Kombo& cil = komba[static_cast<std::size_t>(k)];
        if (hodnota->empty() || cil.text == *hodnota || !(prepsat || cil.text.empty())) continue;
        cil.text = *hodnota;
        KomboExit(k);
    }
    if (prace_ && PrevezmiSkladby(*prace_, f, prepsat)) skladbyZmeneny = true;
}

void EditCD::Zavri() {
    prace_.reset();
    const std::string soubor(kEditTabulka);
    if (engine_.tableExists(programDir_, soubor)) engine_.deleteTable(programDir_, soubor);
}

}  // namespace lorvika
