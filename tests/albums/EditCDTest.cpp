// Editing an album without widgets: loading, change marks, what a save writes, case conversion,
// the price check and the assignment of another disc.
#include <gtest/gtest.h>

#include <filesystem>

#include "albums/EditCD.h"
#include "disc/Toc.h"
#include "export/Sonorek.h"
#include "store/Catalogue.h"
#include "store/ZmenaAlba.h"
#include "store/dbf/EngineError.h"
#include "support/FakeMessages.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

class EditaceAlba : public ::testing::Test {
  protected:
    void SetUp() override {
        VytvorTabulky(engine, db);
        PridejSloupce(engine, db);
        alba = engine.open(db, std::string(kSouborAlb));
        skladby = engine.open(db, std::string(kSouborSkladeb));
        pridejAlbum(1, "rock", "SN-1", {"první", "druhá", "třetí"});
        pridejAlbum(2, "česká", "SN-2", {"jediná"});
        otevriEditaci();
    }

    void otevriEditaci() {
        alba->setTag("cislo");
        alba->first();
        edit = std::make_unique<EditCD>(
            engine, *alba, *skladby, db, prog, txt, zpravy,
            [] {
                return dbf::Date{2026, 12, 8};
            },
            [this] { ++komprese; });
        edit->Aktualizuj();
    }

    void pridejAlbum(int cislo, const char* zanr, const char* sn,
                     const std::vector<std::string>& nazvy) {
        alba->append();
        alba->setInteger("CISLO", cislo);
        alba->setText("ALBUM", "Album " + std::to_string(cislo));
        alba->setText("ARTIST", "Skupina");
        alba->setText("ZANR", zanr);
        alba->setText("SN", sn);
        alba->setInteger("ROK", 1999);
        alba->setInteger("PSTOP", static_cast<int>(nazvy.size()));
        alba->setInteger("DELKA", 600);
        alba->post();
        int t = 0;
        for (const std::string& n : nazvy) {
            skladby->append();
            skladby->setInteger("CD", cislo);
            skladby->setInteger("CISLO", ++t);
            skladby->setText("NAME", n);
            skladby->setInteger("DELKA", 200);
            skladby->post();
        }
    }

    std::vector<std::string> nazvySkladeb(int cislo) {
        std::vector<std::string> out;
        ProjdiSkladby(*skladby, cislo, [&](dbf::Cursor& s) { out.push_back(s.text("NAME")); });
        return out;
    }

    // Puts the conversion's mark in place of the character after `pred` in the track table, as
    // the conversion of an old table leaves it for a character it could not keep.
    void oznacVSkladbach(const std::string& pred) {
        edit.reset();
        alba.reset();
        skladby.reset();
        engine.releaseUnused();
        const fs::path soubor = fs::path(db) / std::string(kSouborSkladeb);
        std::string bajty = test::readFile(soubor);
        const auto kde = bajty.find(pred);
        ASSERT_NE(kde, std::string::npos);
        bajty[kde + pred.size()] = '\xFE';
        test::writeFile(soubor, bajty);
        alba = engine.open(db, std::string(kSouborAlb));
        skladby = engine.open(db, std::string(kSouborSkladeb));
        otevriEditaci();
    }

    void album(int cislo) { ASSERT_TRUE(NajdiCD(cislo, "cislo", *alba)); }

    void ulozAno() {
        zpravy.expect(kZapsatZmeny, MsgButton::Yes);
        EXPECT_TRUE(edit->Uloz());
    }

    test::TestDir dir;
    std::string db = dir.sub("db").string();
    std::string prog = dir.sub("prog").string();
    std::string txt = (dir.path() / "db" / "TXT").string();
    dbf::Engine engine;
    std::unique_ptr<dbf::Cursor> alba, skladby;
    test::FakeMessages zpravy;
    std::unique_ptr<EditCD> edit;
    int komprese = 0;
};

TEST_F(EditaceAlba, LoadsTheAlbumAndCopiesItsTracksIntoTheWorkTable) {
    EXPECT_EQ(edit->cislo(), 1);
    EXPECT_EQ(edit->vstupy[VAlbum].text, "Album 1");
    EXPECT_EQ(edit->vstupy[VRok].text, "1999");
    EXPECT_EQ(edit->vstupy[VCena].text, "0");
    EXPECT_EQ(edit->komba[KZanr].nacteno, "rock");
    EXPECT_EQ(edit->pocetStop, 3);
    // No change date yet: the picker's first day.
    EXPECT_EQ(edit->datum, kPrazdneDatum);
    ASSERT_NE(edit->pracovni(), nullptr);
    EXPECT_TRUE(fs::exists(fs::path(prog) / "editskladby.DBF"));
    EXPECT_EQ(edit->pracovni()->recordCount(), 3u);
    EXPECT_FALSE(edit->BylaZmena());

    album(2);
    edit->Aktualizuj();
    EXPECT_EQ(edit->pracovni()->recordCount(), 1u) << "the earlier album's rows are gone";
    EXPECT_EQ(edit->pracovni()->text("NAME"), "jediná");
}

TEST_F(EditaceAlba, CombosCountOnlyChangesBeyondTheCaseOfAToZ) {
    const struct {
        int album;
        const char* text;
        bool zmena;
    } pripady[] = {{1, "ROCK", false}, {1, "Rock", false}, {1, "rock ", true},
                   {2, "Česká", true}, {2, "ČESKÁ", true}, {2, "česká", false}};
    for (const auto& p : pripady) {
        album(p.album);
        edit->Aktualizuj();
        edit->komba[KZanr].text = p.text;
        edit->KomboExit(KZanr);
        EXPECT_EQ(edit->BylaZmena(), p.zmena) << p.text;
    }
    // Once set, a mark stays although the text goes back.
    edit->komba[KZanr].text = "jazz";
    edit->KomboExit(KZanr);
    edit->komba[KZanr].text = "česká";
    edit->KomboExit(KZanr);
    EXPECT_TRUE(edit->BylaZmena());
}

TEST_F(EditaceAlba, NothingChangedWritesNothing) {
    zpravy.expect(kZadnaZmena, MsgKind::Information, kButtonsOK, Sound::Default, MsgButton::OK);
    EXPECT_FALSE(edit->Uloz());
    zpravy.expect(kZapsatZmeny, MsgKind::Confirmation, kButtonsYesNo, Sound::Question,
                  MsgButton::No);
    edit->vstupy[VAlbum] = {"Jiné", true};
    EXPECT_FALSE(edit->Uloz());
    album(1);
    EXPECT_EQ(alba->text("ALBUM"), "Album 1");
    EXPECT_TRUE(alba->isNull("ZMENA"));
    EXPECT_TRUE(edit->BylaZmena()) << "a No keeps the edit";
}

TEST_F(EditaceAlba, SavesOnlyTheMarkedFieldsWithTodayAsTheChangeDate) {
    // A field whose flag is not set is not written even when its text differs.
    edit->vstupy[VArtist].text = "nezapsat";
    edit->vstupy[VAlbum] = {"Nové jméno", true};
    edit->vstupy[VRok] = {"", true};
    edit->vstupy[VCena] = {"8,5", true};
    edit->hodnoceni = 4;
    ulozAno();
    album(1);
    EXPECT_EQ(alba->text("ALBUM"), "Nové jméno");
    EXPECT_EQ(alba->text("ARTIST"), "Skupina");
    EXPECT_TRUE(alba->isNull("ROK"));
    EXPECT_EQ(alba->integer("CENA"), 9);
    EXPECT_EQ(alba->integer("HODNOC"), 4);
    EXPECT_EQ(alba->text("ZMENA"), "8.12.2026");
    EXPECT_EQ(nazvySkladeb(1), (std::vector<std::string>{"první", "druhá", "třetí"}));
    EXPECT_EQ(komprese, 0) << "tracks were not replaced";
    EXPECT_FALSE(edit->BylaZmena()) << "the save loads the album again";
    EXPECT_FALSE(fs::exists(fs::path(db) / kZurnalZmeny));

    // A date set in the picker is stored instead of today.
    edit->datum = {2001, 2, 3};
    edit->DatumExit();
    ulozAno();
    album(1);
    EXPECT_EQ(alba->text("ZMENA"), "3.2.2001");
}

// A year or a price that is no number is refused before the question, never stored as 0.
TEST_F(EditaceAlba, AYearOrPriceThatIsNoNumberKeepsEveryStoredValue) {
    for (const auto& [vstup, text] : {std::pair{VRok, "19x9"}, std::pair{VCena, "8,5a"}}) {
        edit->vstupy[VAlbum] = {"Nové", true};
        edit->vstupy[vstup] = {text, true};
        zpravy.expect(kNeniCislo, MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
        EXPECT_FALSE(edit->Uloz()) << text;
        EXPECT_EQ(edit->chybnyVstup, vstup);
        album(1);
        EXPECT_EQ(alba->text("ALBUM"), "Album 1");
        EXPECT_EQ(alba->integer("ROK"), 1999);
        EXPECT_TRUE(alba->isNull("CENA"));
        EXPECT_TRUE(edit->BylaZmena()) << "the typed values stay for correcting";
        edit->vstupy[vstup] = {};
    }
    // The year typed with a decimal part is its nearest whole number.
    edit->vstupy[VRok] = {"1999,6", true};
    ulozAno();
    album(1);
    EXPECT_EQ(alba->integer("ROK"), 2000);
}

// Typography is stored in its plain form; one character the tables cannot hold, in any changed
// text, stores nothing and names itself and its input before the question.
TEST_F(EditaceAlba, TextTheTablesCannotHoldStoresNothing) {
    edit->vstupy[VAlbum] = {"„Hej“ – 2…", true};
    edit->komba[KZanr].text = "AC–DC €uro";
    edit->KomboExit(KZanr);
    zpravy.expect("Znak „€“ (U+20AC) nelze do databáze uložit (Žánr).\rNahraďte ho jiným znakem.",
                  MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
    EXPECT_FALSE(edit->Uloz());
    EXPECT_TRUE(zpravy.scriptDone());
    album(1);
    EXPECT_EQ(alba->text("ALBUM"), "Album 1");
    EXPECT_EQ(alba->text("ZANR"), "rock");

    edit->komba[KZanr].text = "AC–DC";
    edit->vstupy[VPopis] = {"★", true};
    zpravy.expect("Znak „★“ (U+2605) nelze do databáze uložit (Popis).\rNahraďte ho jiným znakem.");
    EXPECT_FALSE(edit->Uloz());
    edit->vstupy[VPopis] = {"", false};
    ulozAno();
    album(1);
    EXPECT_EQ(alba->text("ALBUM"), "\"Hej\" - 2...");
    EXPECT_EQ(alba->text("ZANR"), "AC-DC");
}

// A track holding the conversion's mark loads for correcting; while the mark is there a change
// of the tracks stores nothing and says which track holds it.
TEST_F(EditaceAlba, ATrackWithTheConversionMarkLoadsAndMustBeCorrected) {
    oznacVSkladbach("dr");
    ASSERT_EQ(edit->pracovni()->recordCount(), 3u);
    dbf::Cursor& p = *edit->pracovni();
    p.first();
    p.next();
    EXPECT_EQ(p.text("NAME"), "dr■há");
    p.first();
    p.edit();
    p.setText("NAME", "úvod");
    p.post();
    edit->SkladbaZapsana();
    zpravy.expect(
        "Znak „■“ (U+25A0) nelze do databáze uložit (Název, skladba 2).\rTento znak označuje "
        "znaky, které nešlo převést ze starší databáze.");
    EXPECT_FALSE(edit->Uloz());
    EXPECT_EQ(nazvySkladeb(1), (std::vector<std::string>{"první", "dr■há", "třetí"}));
    EXPECT_EQ(komprese, 0);

    p.first();
    p.next();
    p.edit();
    p.setText("NAME", "druhá");
    p.post();
    ulozAno();
    EXPECT_EQ(nazvySkladeb(1), (std::vector<std::string>{"úvod", "druhá", "třetí"}));
}

TEST_F(EditaceAlba, CapitalsForEveryNameReplaceAllTracks) {
    dbf::Cursor& p = *edit->pracovni();
    p.first();
    p.next();
    const std::uint32_t zde = p.recordNumber();
    edit->VseNaVelkeMale("NAME", 1);
    EXPECT_EQ(p.recordNumber(), zde) << "the current row stays";
    EXPECT_TRUE(edit->skladbyZmeneny);
    ulozAno();
    EXPECT_EQ(nazvySkladeb(1), (std::vector<std::string>{"PRVNÍ", "DRUHÁ", "TŘETÍ"}));
    EXPECT_EQ(nazvySkladeb(2), std::vector<std::string>{"jediná"});
    EXPECT_EQ(komprese, 1);

    edit->VseNaVelkeMale("NAME", -1);
    ulozAno();
    EXPECT_EQ(nazvySkladeb(1), (std::vector<std::string>{"první", "druhá", "třetí"}));
    // č -> Č and ů -> Ů among the Czech pairs; the save made the work table anew.
    dbf::Cursor& q = *edit->pracovni();
    q.first();
    q.edit();
    q.setText("ARTIST", "čůďťňěšřžýáíé");
    q.post();
    edit->VseNaVelkeMale("ARTIST", 1);
    q.first();
    EXPECT_EQ(q.text("ARTIST"), "ČŮĎŤŇĚŠŘŽÝÁÍÉ");
}

TEST_F(EditaceAlba, DeletedRowGoesAddedRowBelongsAndTheTrackCountStays) {
    dbf::Cursor& p = *edit->pracovni();
    p.first();
    p.next();
    p.remove();
    edit->SkladbaZapsana();
    edit->PridejRadek();
    p.last();
    EXPECT_EQ(p.integer("CD"), 1);
    EXPECT_EQ(p.integer("CISLO"), 4);
    p.edit();
    p.setText("NAME", "přidaná");
    p.post();
    ulozAno();
    EXPECT_EQ(nazvySkladeb(1), (std::vector<std::string>{"první", "třetí", "přidaná"}));
    album(1);
    EXPECT_EQ(alba->integer("PSTOP"), 3);
    // The player file follows the tracks.
    const std::string soubor = SouborTxtCD(txt, "SN-1");
    ASSERT_TRUE(fs::exists(soubor));
}

TEST_F(EditaceAlba, PriceCheck) {
    const struct {
        const char* text;
        const char* zprava;
    } pripady[] = {{"12", nullptr},     {"  12.5", nullptr},   {"-0", nullptr},
                   {"1e2", nullptr},    {"+3", nullptr},       {"8,5", nullptr},
                   {"199,90", nullptr}, {"-5", kZapornaCena},  {"-0,4", kZapornaCena},
                   {"", kNeniCislo},    {"  ", kNeniCislo},    {"-", kNeniCislo},
                   {"12a", kNeniCislo}, {"12 ", kNeniCislo},   {"1e", kNeniCislo},
                   {".", kNeniCislo},   {"1,2,3", kNeniCislo}, {"1e15", kNeniCislo}};
    for (const auto& p : pripady) {
        if (p.zprava)
            zpravy.expect(p.zprava, MsgKind::Warning, kButtonsOK, Sound::Exclamation,
                          MsgButton::OK);
        EXPECT_EQ(KontrolaCeny(p.text, zpravy), p.zprava == nullptr) << p.text;
    }
}

TEST_F(EditaceAlba, AReleaseFromTheInternetMarksWhatItChangedAndIsSavedAsUsual) {
    const online::AlbumFill f{
        "Album 1", "Kapela", "2001", "Supraphon", "ČR", {{2, "Druhá z internetu", ""}}, ""};
    ASSERT_TRUE(edit->maVyplnenoProInternet());
    edit->PrevezmiZInternetu(f, false);
    EXPECT_EQ(edit->vstupy[VArtist].text, "Skupina") << "typed values stay";
    EXPECT_FALSE(edit->vstupy[VArtist].zmeneno);
    EXPECT_FALSE(edit->vstupy[VRok].zmeneno);
    EXPECT_EQ(edit->komba[KVydF].text, "Supraphon");
    EXPECT_FALSE(edit->skladbyZmeneny);
    edit->PrevezmiZInternetu(f, true);
    EXPECT_FALSE(edit->vstupy[VAlbum].zmeneno) << "the same text is no change";
    EXPECT_TRUE(edit->vstupy[VArtist].zmeneno);
    EXPECT_TRUE(edit->vstupy[VRok].zmeneno);
    EXPECT_TRUE(edit->skladbyZmeneny);
    ulozAno();
    album(1);
    EXPECT_EQ(alba->text("ARTIST"), "Kapela");
    EXPECT_EQ(alba->integer("ROK"), 2001);
    EXPECT_EQ(alba->text("VYD_F"), "Supraphon");
    EXPECT_EQ(alba->text("ZEME"), "ČR");
    EXPECT_EQ(nazvySkladeb(1), (std::vector<std::string>{"první", "Druhá z internetu", "třetí"}));
}

TEST_F(EditaceAlba, AssignmentAsksInOrderAndRenamesThePlayerFileOnSave) {
    const int sekund = 600;
    const auto delka = [](int s, std::uint32_t snimky) {
        return packMsf(
            Msf{static_cast<std::uint32_t>(s / 60), static_cast<std::uint32_t>(s % 60), snimky});
    };
    // The album's own disc: one message and nothing else.
    zpravy.expect(kJizPrirazeno, MsgKind::Information, kButtonsOK, Sound::Default, MsgButton::OK);
    EXPECT_FALSE(edit->Prirad({"sn-1", 3, delka(sekund, 0), ""}));
    // Another track count and length: both questions in order; No to the first stops.
    zpravy.expect(kPocetStopNeodpovida, MsgButton::No);
    EXPECT_FALSE(edit->Prirad({"SN-9", 4, delka(sekund + 1, 0), ""}));
    zpravy.expect(kPocetStopNeodpovida, MsgButton::Yes).expect(kDelkaNeodpovida, MsgButton::No);
    EXPECT_FALSE(edit->Prirad({"SN-9", 4, delka(sekund + 1, 0), ""}));
    EXPECT_FALSE(edit->BylaZmena());
    // A disc another album carries is named before anything else is asked.
    zpravy.expect("Toto AudioCD je již přiřazeno albu Skupina - Album 2, přesto přiřadit?",
                  MsgButton::No);
    EXPECT_FALSE(edit->Prirad({"SN-2", 3, delka(sekund, 0), ""}));
    // Same count and seconds (frames differ): taken without a question.
    EXPECT_TRUE(edit->Prirad({"SN-9", 3, delka(sekund, 74), "lSOVc5h6IXSuzcamJS1Gp4_tRuA-"}));
    EXPECT_TRUE(edit->BylaZmena());

    UlozTxtCD(1, *alba, *skladby, txt);
    ASSERT_TRUE(fs::exists(SouborTxtCD(txt, "SN-1")));
    ulozAno();
    album(1);
    EXPECT_EQ(alba->text("SN"), "SN-9");
    EXPECT_EQ(alba->text("MBID"), "lSOVc5h6IXSuzcamJS1Gp4_tRuA-");
    EXPECT_EQ(edit->mbid(), "lSOVc5h6IXSuzcamJS1Gp4_tRuA-");
    EXPECT_TRUE(fs::exists(SouborTxtCD(txt, "SN-9")));
    EXPECT_FALSE(fs::exists(SouborTxtCD(txt, "SN-1"))) << "the old name stays behind";
}

}  // namespace
}  // namespace lorvika
