#include "DatabaseSession.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "Catalogue.h"
#include "Ini.h"
#include "LangDriver.h"
#include "OdstraneniCD.h"
#include "Paths.h"
#include "Prerusene.h"
#include "ZmenaAlba.h"
#include "dbf/EngineError.h"
#include "dbf/Files.h"
#include "dbf/TableData.h"
#include "dbf/Transaction.h"
#include "store/Verze.h"

namespace lorvika {

namespace {

constexpr const char* kZaloha = "zaloha.zip";
constexpr int kSlotu = 6;
constexpr char kSep = std::filesystem::path::preferred_separator;

std::string slot(int j) {
    return "ZO" + std::to_string(j);
}

// Code points of a UTF-8 text, so that shortening never cuts a letter in half.
std::vector<std::string> znaky(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xF0) {
            n = 4;
        } else if (c >= 0xE0) {
            n = 3;
        } else if (c >= 0xC0) {
            n = 2;
        }
        n = std::min(n, text.size() - i);
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

std::string spoj(const std::vector<std::string>& z, std::size_t from, std::size_t to) {
    std::string s;
    for (std::size_t i = from; i < to && i < z.size(); ++i) s += z[i];
    return s;
}

void bezOddelovaceNaKonci(std::string& path) {
    while (path.size() > 1 && path.back() == kSep) path.pop_back();
}

bool jeAdresar(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

// A file of the database directory, its name matched case-insensitively as the engine does.
bool existujeSoubor(dbf::FileSystem& fs, const std::string& adresar, const std::string& jmeno) {
    return fs.exists(adresar + kSep + fs.resolve(adresar, jmeno));
}

bool nekteraTabulka(dbf::FileSystem& fs, const std::string& adresar) {
    return existujeSoubor(fs, adresar, DatabaseSession::kAlbumTable) ||
           existujeSoubor(fs, adresar, DatabaseSession::kTrackTable);
}

// Runs body, then finish in every case; when body failed, its error is the one passed on.
template <class Body, class Finish>
void aNakonec(Body body, Finish finish) {
    try {
        body();
    } catch (...) {
        try {
            finish();
        } catch (...) {
            // the first failure is the one the user needs to see
        }
        throw;
    }
    finish();
}

}  // namespace

SessionPaths SessionPaths::inDirectory(const std::string& programDir) {
    SessionPaths p;
    p.programDir = programDir;
    p.iniFile = programDir + kSep + "lorvika.ini";
    p.playerIni = programDir + kSep + "sonorek.ini";
    p.engineConfig = programDir + kSep + "lorvika-engine.ini";
    return p;
}

SessionPaths SessionPaths::program() {
    SessionPaths p = inDirectory(programDirectory());
    p.iniFile = programIniPath();
    p.engineConfig = engineConfigPath();
    return p;
}

bool Archive::uschovej(const std::string& directory, const std::string& archiveName) {
    throw TableFileError("Původní tabulky z adresáře " + directory + " nelze uschovat do " +
                         archiveName + "; převod neproběhl.");
}

DatabaseSession::DatabaseSession(SessionPaths paths, Messages& messages, Dialogs& dialogs,
                                 StatusLine& status, Archive* archive,
                                 std::shared_ptr<dbf::FileSystem> fs)
    : paths_(std::move(paths)),
      messages_(messages),
      dialogs_(dialogs),
      status_(status),
      archive_(archive),
      fs_(std::move(fs)),
      engine_(std::make_unique<dbf::Engine>(fs_)) {
    engine_->setLanguageDriver(std::string(kOvladacKatalogu));
}

DatabaseSession::~DatabaseSession() {
    skladby_.reset();
    data_.reset();
}

std::string DatabaseSession::titulek() const {
    return std::string(verze::kNazevProduktu) + " " + verze::kVerzeProduktu + " {" +
           ZkratCestu(30, adresar_, kSep) + "} ";
}

void DatabaseSession::zmena() {
    if (onChange_) onChange_();
}

void DatabaseSession::ZavriTabulky() {
    skladby_.reset();
    data_.reset();
    engine_->releaseUnused();
}

void DatabaseSession::otevriHlavni() {
    NastavOvladac(paths_.iniFile, paths_.engineConfig);
    engine_->setLanguageDriver(NastavenyOvladac(paths_.engineConfig));
    if (!data_) data_ = engine_->open(adresar_, kAlbumTable);
    if (!skladby_) skladby_ = engine_->open(adresar_, kTrackTable);
}

void DatabaseSession::OtevriTabulky() {
    if (adresar_.empty()) return;
    otevriHlavni();
}

void DatabaseSession::ZavriTabulky(int which) {
    if (which == 0 || which == 2) skladby_.reset();
    if (which == 0 || which == 1) data_.reset();
    engine_->releaseUnused();
}

void DatabaseSession::OtevriTabulky(int which) {
    if (adresar_.empty()) return;
    NastavOvladac(paths_.iniFile, paths_.engineConfig);
    engine_->setLanguageDriver(NastavenyOvladac(paths_.engineConfig));
    if ((which == 0 || which == 1) && !data_) data_ = engine_->open(adresar_, kAlbumTable);
    if ((which == 0 || which == 2) && !skladby_) skladby_ = engine_->open(adresar_, kTrackTable);
}

std::size_t DatabaseSession::pocetCD() const {
    return data_ ? data_->recordCount() : 0;
}

void DatabaseSession::nastavAdresar(const std::string& directory) {
    ZavriTabulky();
    adresar_ = directory;
    adresarTXT_ = directory + kSep + "TXT";
    ZapisText(paths_.playerIni, "Databaze", "adresarTXT", adresarTXT_);
}

// Conversion of old tables, the engine settings, the added columns and the main cursors: the
// part of an opening whose engine errors lead to the recovery questions.
void DatabaseSession::pripravTabulky() {
    // a restore may have reopened them: the recoding must not run under an open table
    ZavriTabulky();
    // A restore cut short is finished or dropped before anything reads a table.
    if (nekteraTabulka(*fs_, adresar_)) prubeh_.obnova = DokonciPrerusene(adresar_).obnova;
    // A transaction that a crash or a power cut interrupted completes before anything else
    // reads or rewrites the tables (the conversion and the added columns do).
    prevezmiObnovu(dbf::recoverLog(*engine_, adresar_));
    engine_->releaseUnused();
    uschovejPredPrevodem();
    for (const char* table : {kTrackTable, kAlbumTable}) {
        // a missing table is the engine's error below, which offers the backup
        if (!existujeSoubor(*fs_, adresar_, table)) continue;
        if (PrevodTabulky(adresar_, table, paths_.engineConfig)) prubeh_.prevedene.push_back(table);
    }
    NastavOvladac(paths_.iniFile, paths_.engineConfig);
    engine_->setLanguageDriver(NastavenyOvladac(paths_.engineConfig));
    prubeh_.pridaneSloupce += PridejSloupce(*engine_, adresar_);
    // An album change that a crash interrupted is completed before anyone sees the tables.
    if (const auto z = DokonciZmenuAlba(*engine_, adresar_)) {
        prubeh_.dokoncenaZmena = z->cislo;
        dokoncenaSN_ = z->puvodniSN;
        if (z->nahraditSkladby) packPending_ = true;
    }
    // An album removal that a crash interrupted is finished before anyone sees the tables.
    DokonciOdstraneni(*engine_, adresar_);
    // Numbers an earlier version wrote with a decimal comma: no other dBase reader takes them.
    for (const char* table : {kTrackTable, kAlbumTable})
        prubeh_.prepsanaCisla += engine_->normalizeNumbers(adresar_, table);
    otevriHlavni();
}

void DatabaseSession::prevezmiObnovu(const std::optional<dbf::LogRecovery>& obnova) {
    if (!obnova) return;
    using Outcome = dbf::LogRecovery::Outcome;
    if (obnova->outcome == Outcome::Kept) {
        prubeh_.uschovanyZaznam = obnova->keptAs;
        messages_.show(obnova->message, MsgKind::Warning, kButtonsOK, Sound::Exclamation, 0);
        return;
    }
    if (obnova->outcome != Outcome::Applied) return;
    const std::optional<PoznamkaZmeny> p = CtiPoznamku(obnova->note);
    if (!p) return;
    switch (p->druh) {
        case PoznamkaZmeny::Druh::Zmena:
        case PoznamkaZmeny::Druh::Nove:
            prubeh_.dokoncenaZmena = p->cislo;
            dokoncenaSN_ = p->puvodniSN;
            packPending_ = packPending_ || p->druh == PoznamkaZmeny::Druh::Zmena;
            break;
        case PoznamkaZmeny::Druh::Odstraneni:
            OdstranSouborTxt(p->souborTxt);
            packPending_ = true;
            break;
        case PoznamkaZmeny::Druh::Pujceni:
            break;
    }
}

// The conversion rewrites the text of old tables for good, and the automatic backup after it
// replaces the last copy of the old files: before the first conversion the originals go into an
// archive of their own. Without it nothing is converted.
void DatabaseSession::uschovejPredPrevodem() {
    bool ceka = false;
    for (const char* table : {kTrackTable, kAlbumTable})
        ceka = ceka || (existujeSoubor(*fs_, adresar_, table) && CekaNaPrevod(adresar_, table));
    if (!ceka) return;
    if (!archive_)
        throw TableFileError("Původní tabulky z adresáře " + adresar_ + " nelze uschovat do " +
                             kArchivPredPrevodem + "; převod neproběhl.");
    if (archive_->uschovej(adresar_, kArchivPredPrevodem)) prubeh_.uschovano = kArchivPredPrevodem;
}

DatabaseSession::Recovery DatabaseSession::obnovaPoChybe(const std::string& directory) {
    ZavriTabulky();
    Sound zvuk = Sound::Exclamation;
    if (archive_ && existujeSoubor(*fs_, directory, kZaloha)) {
        MsgButton a = messages_.show("Problémy při otevření databáze\rmám použít zálohu?",
                                     MsgKind::Confirmation, kButtonsYesNo, zvuk, 0);
        zvuk = Sound::None;
        if (a == MsgButton::Yes) {
            try {
                if (archive_->rozbal(directory)) {
                    ZahodZmenuAlba(*engine_, directory);
                    ZahodOdstraneni(*engine_, directory);
                }
            } catch (const dbf::EngineError&) {
                // the tables could not be reopened after it; the preparation below tells
                try {
                    ZahodZmenuAlba(*engine_, directory);
                    ZahodOdstraneni(*engine_, directory);
                } catch (const dbf::EngineError&) {
                }
            }
            // The restored files go through the same preparation: an archive made before a
            // conversion or before the added columns must not be opened half-prepared.
            try {
                pripravTabulky();
                return Recovery::Opened;
            } catch (const dbf::EngineError& e) {
                prubeh_.chyba = e.what();
                ZavriTabulky();
            }
        }
    }
    MsgButton a =
        messages_.show("Problémy při otevření databáze\rmám otevřít jinou nebo vytvořit novou?",
                       MsgKind::Confirmation, kButtonsYesNo, zvuk, 0);
    if (a == MsgButton::Yes) {
        DBopenClick();
    } else {
        DBNewClick();
    }
    return Recovery::Ended;
}

void DatabaseSession::dokonciOtevreni(const std::string& directory, bool created) {
    if (!created) {
        auto names = [this] {
            std::vector<std::string> out;
            for (dbf::Cursor* c : {data_.get(), skladby_.get()}) {
                for (const dbf::TagDef& t : c->tags()) out.push_back(c->fileName() + ":" + t.name);
            }
            return out;
        };
        std::vector<std::string> before = names();
        ZajistiIndexy(*engine_, directory, RezimIndexu::Kontrola);
        for (const std::string& t : names()) {
            if (std::find(before.begin(), before.end(), t) == before.end()) {
                prubeh_.pridaneTagy.push_back(t);
            }
        }
    }
    ZapisText(paths_.iniFile, "Databaze", "adresar", directory);
    ZapamatujDB();
    zmena();
}

bool DatabaseSession::NactiDB(const std::string& directory, bool noCreate, bool ask) {
    prubeh_ = {};
    std::string dir = directory;
    bezOddelovaceNaKonci(dir);
    if (!jeAdresar(dir)) {
        messages_.show("Adresář: " + dir + " neexistuje\rvyber existující adresář !!",
                       MsgKind::Warning, kButtonsOK, Sound::Exclamation, 0);
        dir = dialogs_.chooseDirectory(paths_.programDir, false).value_or(paths_.programDir);
    }

    bool tabulky = JeDatabaze(dir);
    bool nektera = nekteraTabulka(*fs_, dir);
    bool chybi = !existujeSoubor(*fs_, dir, "cdskladby.mdx") || !tabulky ||
                 !existujeSoubor(*fs_, dir, "cddata.mdx");
    bool vytvorit = false;
    if (chybi) {
        if (ask) {
            messages_.show(
                "V adresáři: " + dir +
                    " se nenachází hledaná databáze\rnebo neexistují indexové soubory !!",
                MsgKind::Warning, kButtonsOK, Sound::Exclamation, 0);
        }
        if (noCreate) return false;
        // Tables are never overwritten without the user's explicit consent: with index files
        // missing they are opened and their tags rebuilt; with one table missing the opening
        // fails and offers the backup.
        vytvorit = !nektera;
    } else if (ask) {
        MsgButton a = messages_.show("Opravdu otevřít databázi v adresáři: " + dir + " ?",
                                     MsgKind::Confirmation, kButtonsYesNo, Sound::Question, 0);
        if (a != MsgButton::Yes) return false;
    }

    nastavAdresar(dir);
    if (vytvorit) {
        NewDB();
        prubeh_.vytvorena = true;
    }

    try {
        pripravTabulky();
    } catch (const dbf::EngineError& e) {
        prubeh_.chyba = e.what();
        if (obnovaPoChybe(dir) == Recovery::Ended) return false;
        prubeh_.chyba.clear();
    }

    dokonciOtevreni(dir, vytvorit);
    // The player file of a change the opening completed is written before the backup, whatever
    // becomes of that.
    if (prubeh_.dokoncenaZmena != 0 && poDokonceni_ && jeOtevrena())
        poDokonceni_(prubeh_.dokoncenaZmena, dokoncenaSN_);
    // After a restore that did not happen the archive still holds what the user wanted back.
    const bool bezObnovy = dbf::stagedNotDone(dir, dbf::kRestoreFolder);
    if (bezObnovy && archive_ && CtiAnoNe(paths_.iniFile, "Zaloha", "automat", true)) {
        prubeh_.zaloha = false;
        messages_.show(kZalohaVynechana, MsgKind::Information, kButtonsOK, Sound::Exclamation, 0);
    } else if (archive_ && CtiAnoNe(paths_.iniFile, "Zaloha", "automat", true)) {
        try {
            prubeh_.zaloha = archive_->zalohuj(dir);
        } catch (const dbf::EngineError& e) {
            // A backup that failed shows nothing, but tables it could not open again leave the
            // program without its database: that is the engine's error to show.
            prubeh_.zaloha = false;
            prubeh_.chyba = e.what();
            status_.pocetCD(1, pocetCD());
            throw;
        }
    }
    status_.pocetCD(1, pocetCD());
    if (prubeh_.prepsanaCisla > 0)
        status_.stavovyText(std::string(kPrepsanaCisla) + std::to_string(prubeh_.prepsanaCisla));
    // A crash between storing an album and writing its file must not leave it without one.
    if (doplneniTxt_ && jeOtevrena())
        prubeh_.doplneneTxt = doplneniTxt_(*data_, *skladby_, adresarTXT_);
    return jeOtevrena();
}

void DatabaseSession::DBopenClick() {
    std::optional<std::string> dir = dialogs_.chooseDirectory(
        CtiText(paths_.iniFile, "Databaze", "adresar", paths_.programDir), false);
    if (dir) NactiDB(*dir, true, true);
}

void DatabaseSession::MZOClick(int cislo) {
    if (cislo < 1 || cislo >= kSlotu) return;
    std::string dir = CtiText(paths_.iniFile, "Predchozi DB", slot(cislo + 1), "");
    // an empty slot is a hidden menu item
    if (!dir.empty()) NactiDB(dir, true, true);
}

bool DatabaseSession::DBNewClick() {
    std::optional<std::string> vyber = dialogs_.chooseDirectory(
        CtiText(paths_.iniFile, "Databaze", "adresar", paths_.programDir), true);
    if (!vyber) return false;
    std::string dir = *vyber;
    bezOddelovaceNaKonci(dir);
    if (messages_.show("Opravdu vytvořit novou databázi v adresáři: " + dir + " ?",
                       MsgKind::Confirmation, kButtonsYesNo, Sound::Question,
                       0) != MsgButton::Yes) {
        return false;
    }
    // one table alone may still hold albums or tracks: it is not overwritten without asking
    if (nekteraTabulka(*fs_, dir) &&
        messages_.show("V adresáři: " + dir + " se již databáze nachází\rpřepsat ?",
                       MsgKind::Warning, kButtonsYesNo, Sound::Exclamation, 0) != MsgButton::Yes) {
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!jeAdresar(dir)) {
        throw std::runtime_error("Adresář " + dir + " nelze vytvořit: " + ec.message());
    }

    nastavAdresar(dir);
    NewDB();
    otevriHlavni();
    ZapisText(paths_.iniFile, "Databaze", "adresar", dir);
    ZapamatujDB();
    zmena();
    status_.pocetCD(1, pocetCD());
    return true;
}

void DatabaseSession::NewDB() {
    ZavriTabulky();
    NastavOvladac(paths_.iniFile, paths_.engineConfig);
    engine_->setLanguageDriver(NastavenyOvladac(paths_.engineConfig));
    VytvorTabulky(*engine_, adresar_);
    PridejSloupce(*engine_, adresar_);
}

void DatabaseSession::ZapamatujDB() {
    if (!adresar_.empty()) ZapamatujDB(paths_.iniFile, adresar_);
}

void DatabaseSession::ZapamatujDB(const std::string& ini, const std::string& directory) {
    // Paths keep their letter case: this file system tells "Rock" from "ROCK".
    const std::string& current = directory;
    std::vector<std::string> sloty(kSlotu + 1);
    int k = 0;
    for (int j = 1; j <= kSlotu; ++j) {
        sloty[j] = CtiText(ini, "Predchozi DB", slot(j), "");
        if (sloty[j] == current) k = j;
    }
    int od = k > 1 ? k : (k == 0 ? kSlotu : 1);
    for (int j = od; j >= 2; --j) {
        if (sloty[j] != sloty[j - 1]) ZapisText(ini, "Predchozi DB", slot(j), sloty[j - 1]);
    }
    if (sloty[1] != current) ZapisText(ini, "Predchozi DB", slot(1), current);
}

std::vector<PredchoziDB> DatabaseSession::MenuPredchozi() const {
    return MenuPredchozi(paths_.iniFile);
}

std::vector<PredchoziDB> DatabaseSession::MenuPredchozi(const std::string& ini) {
    std::vector<PredchoziDB> out;
    for (int j = 2; j <= kSlotu; ++j) {
        PredchoziDB p;
        p.adresar = CtiText(ini, "Predchozi DB", slot(j), "");
        p.visible = !p.adresar.empty();
        p.text = p.visible ? ZkratCestu(40, p.adresar, kSep) : std::string();
        out.push_back(std::move(p));
    }
    return out;
}

std::string DatabaseSession::ZkratCestu(int n, const std::string& path, char separator) {
    std::vector<std::string> z = znaky(path);
    const std::size_t limit = n > 0 ? static_cast<std::size_t>(n) : 0;
    if (z.size() < limit) return z.size() == 2 ? path + separator : path;

    const std::string sep(1, separator);
    std::size_t start = std::min<std::size_t>(3, z.size());
    // drop leading components of the rest, cutting just before the next separator
    while (z.size() - start + 5 >= limit) {
        std::size_t cut = z.size();
        for (std::size_t i = start + 1; i < z.size(); ++i) {
            if (z[i] == sep) {
                cut = i;
                break;
            }
        }
        if (cut == z.size()) {
            std::size_t keep = limit >= 4 ? limit - 4 : 0;
            std::size_t rest = z.size() - start;
            if (keep < rest) start = z.size() - keep;
            break;
        }
        start = cut;
    }
    return spoj(z, 0, 3) + ".." + spoj(z, start, z.size());
}

void DatabaseSession::MDKompresClick() {
    if (adresar_.empty()) return;
    if (messages_.zobraz("Provést kompresi databáze? Smazané záznamy budou trvale odstraněny.",
                         MsgKind::Confirmation, kButtonsYesNo) != MsgButton::Yes)
        return;
    struct Stav {
        std::uint64_t zaznamu = 0;
        std::uintmax_t bajtu = 0;
    };
    const auto stav = [this] {
        Stav s;
        for (const auto* c : {data_.get(), skladby_.get()})
            if (c) s.zaznamu += c->data().count();
        for (const char* t : {kAlbumTable, kTrackTable}) {
            std::error_code ec;
            const auto n = std::filesystem::file_size(dbf::pathNoCase(adresar_, t), ec);
            if (!ec) s.bajtu += n;
        }
        return s;
    };
    const Stav predtim = stav();
    ZavriTabulky();
    aNakonec(
        [this] {
            status_.stavovyText("Probíhá komprese AudioCD");
            engine_->pack(adresar_, kAlbumTable);
            status_.stavovyText("Probíhá komprese Skladeb");
            engine_->pack(adresar_, kTrackTable);
        },
        [this] {
            status_.stavovyText("");
            OtevriTabulky();
        });
    const Stav potom = stav();
    status_.stavovyText("Komprese dokončena: odstraněno záznamů " +
                        std::to_string(predtim.zaznamu - std::min(predtim.zaznamu, potom.zaznamu)) +
                        ", velikost " + std::to_string(predtim.bajtu) + " → " +
                        std::to_string(potom.bajtu) + " bajtů");
}

bool DatabaseSession::FPackSkladby(int openChildWindows) {
    if (openChildWindows > 1 || !packPending_ || adresar_.empty()) return false;
    packPending_ = false;
    skladby_.reset();
    engine_->releaseUnused();
    aNakonec(
        [this] {
            status_.stavovyText("Probíhá komprese Skladeb");
            engine_->pack(adresar_, kTrackTable);
        },
        [this] {
            status_.stavovyText("");
            if (!skladby_) skladby_ = engine_->open(adresar_, kTrackTable);
        });
    return true;
}

std::string DatabaseSession::MInfDatabText() const {
    std::size_t skladeb = skladby_ ? skladby_->recordCount() : 0;
    return "Počet v databázi zapsaných\r  -Audio CD: " + std::to_string(pocetCD()) +
           "\r  -skladeb: " + std::to_string(skladeb) + "\r-- Hobrane --";
}

void DatabaseSession::MInfDatabClick() {
    messages_.zobraz(MInfDatabText(), MsgKind::Information, kButtonsOK);
}

}  // namespace lorvika
