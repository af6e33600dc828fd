#include <QMenuBar>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "albums/TFPrycCD.h"
#include "app/HlavniOknoTest.h"
#include "export/Sonorek.h"
#include "store/Catalogue.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;
using test::ZkusebniForm;

// Albums 1..3 (artists A, B, C) with 12, 3 and 4 tracks and their player files.
class Odstraneni : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        registrujTFPrycCD(registr);
        registrujFormulare({"FEditCD"});
        spust();
        dbf::Cursor& c = *okno->session().TData();
        dbf::Cursor& s = *okno->session().TSkladby();
        const int stopy[] = {12, 3, 4};
        for (int cd = 1; cd <= 3; ++cd) {
            c.append();
            c.setInteger("CISLO", cd);
            c.setText("ARTIST", std::string(1, static_cast<char>('A' + cd - 1)));
            c.setText("SN", "SN" + std::to_string(cd));
            c.post();
            for (int t = 1; t <= stopy[cd - 1]; ++t) {
                s.append();
                s.setInteger("CD", cd);
                s.setInteger("CISLO", t);
                s.post();
            }
            fs::create_directories(okno->session().adresarTXT());
            std::ofstream(soubor(cd)) << "[Disk]\n";
        }
    }

    std::string soubor(int cd) const {
        return SouborTxtCD(okno->session().adresarTXT(), "SN" + std::to_string(cd));
    }
    TFPrycCD* otevriOdstraneni() {
        auto* f = dynamic_cast<TFPrycCD*>(okno->otevriFormular(QStringLiteral("FPrycCD")));
        zpracuj();
        return f;
    }
    std::vector<int> stopyAlb() const {
        std::vector<int> out(3, 0);
        dbf::Cursor& s = *okno->session().TSkladby();
        for (s.first(); !s.eof(); s.next()) ++out[static_cast<std::size_t>(s.integer("CD") - 1)];
        return out;
    }
    void potvrd(MsgButton odpoved) {
        zpravy.expect("Opravdu odstranit zobrazené AudioCD z databáze?", MsgKind::Confirmation,
                      kButtonsYesNo, Sound::Question, odpoved);
    }
};

TEST_F(Odstraneni, AnEmptyCatalogueSaysSoAndDisablesOk) {
    dbf::Cursor& c = *okno->session().TData();
    for (c.first(); !c.isEmpty(); c.first()) c.remove();
    zpravy.expect("V databázi není žádné AudioCD k odstranění.");
    TFPrycCD* f = otevriOdstraneni();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->BOK->isEnabled());
    zpravy.expect("V databázi není žádné AudioCD k odstranění.");
    f->BOKClick();
}

TEST_F(Odstraneni, IsTheBrowserWithOkAndWithoutPrinting) {
    TFPrycCD* f = otevriOdstraneni();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Odstranění AudioCD"));
    EXPECT_TRUE(f->BOK->isVisible());
    EXPECT_FALSE(f->MTisk->menuAction()->isVisible());
    EXPECT_EQ(f->PageC->count(), 3);
    EXPECT_EQ(f->modelSkladeb->rowCount(), 12);
    // "No" removes nothing.
    potvrd(MsgButton::No);
    f->BOK->click();
    EXPECT_EQ(okno->session().TData()->recordCount(), 3u);
    EXPECT_EQ(stopyAlb(), (std::vector<int>{12, 3, 4}));
}

TEST_F(Odstraneni, RemovesTheAlbumShownWithItsTracksAndFile) {
    ZkusebniForm* jiny =
        dynamic_cast<ZkusebniForm*>(okno->otevriFormular(QStringLiteral("FEditCD")));
    ASSERT_NE(jiny, nullptr);
    TFPrycCD* f = otevriOdstraneni();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->aktualniCislo(), 1);
    potvrd(MsgButton::Yes);
    f->BOKClick();
    EXPECT_EQ(stopyAlb(), (std::vector<int>{0, 3, 4})) << "12 tracks gone, the others kept";
    EXPECT_FALSE(fs::exists(soubor(1)));
    EXPECT_TRUE(fs::exists(soubor(2)));
    EXPECT_EQ(okno->session().TData()->recordCount(), 2u);
    EXPECT_EQ(okno->textPanelu(4), QStringLiteral("2"));
    EXPECT_EQ(jiny->obnova, 1) << "the other window refreshes when activated";
    EXPECT_EQ(f->obnova, 0);
    // The window stays on the album the table moved to, with its tracks.
    EXPECT_EQ(f->aktualniCislo(), 2);
    EXPECT_EQ(f->polePro(QStringLiteral("ARTIST"))->text(), QStringLiteral("B"));
    EXPECT_EQ(f->modelSkladeb->rowCount(), 3);
    EXPECT_EQ(f->modelSeznamu->rowCount(), 2);
}

TEST_F(Odstraneni, AMissingFileIsNoErrorAndTheLastAlbumClosesTheWindow) {
    TFPrycCD* f = otevriOdstraneni();
    ASSERT_NE(f, nullptr);
    fs::remove(soubor(1));
    fs::remove(soubor(3));
    for (int i = 0; i < 2; ++i) {
        potvrd(MsgButton::Yes);
        f->BOKClick();  // no message besides the question
    }
    zpracuj();
    EXPECT_TRUE(okno->formulare().contains(f));
    EXPECT_EQ(f->aktualniCislo(), 3);
    potvrd(MsgButton::Yes);
    f->BOKClick();
    zpracuj();
    EXPECT_EQ(okno->session().TData()->recordCount(), 0u);
    EXPECT_EQ(stopyAlb(), (std::vector<int>{0, 0, 0}));
    EXPECT_FALSE(jmenaOken().contains(QStringLiteral("FPrycCD"))) << "the window closed";
}

// One rule with the edit save: a file another album still carries stays; an album without an
// identity has none; a file that cannot be deleted is reported once the album is gone.
TEST_F(Odstraneni, PlayerFilesOfSharedOrEmptyIdentitiesAndOnesThatCannotGo) {
    dbf::Cursor& c = *okno->session().TData();
    for (const auto& [cd, sn] : {std::pair{2, "SN1"}, std::pair{3, ""}}) {
        ASSERT_TRUE(NajdiCD(cd, "cislo", c));
        c.edit();
        c.setText("SN", sn);
        c.post();
    }
    const std::string prazdny = okno->session().adresarTXT() + "/.txt";
    std::ofstream(prazdny) << "[CD]\n";
    TFPrycCD* f = otevriOdstraneni();
    ASSERT_NE(f, nullptr);
    potvrd(MsgButton::Yes);
    f->BOKClick();
    EXPECT_TRUE(fs::exists(soubor(1))) << "album 2 still carries it";
    ASSERT_EQ(f->aktualniCislo(), 2);
    fs::remove(soubor(1));
    fs::create_directories(fs::path(soubor(1)) / "obsah");
    potvrd(MsgButton::Yes);
    EXPECT_THROW(f->BOKClick(), SonorekError);
    EXPECT_EQ(okno->session().TData()->recordCount(), 1u);
    EXPECT_EQ(okno->textPanelu(4), QStringLiteral("1"));
    EXPECT_EQ(f->aktualniCislo(), 3);
    potvrd(MsgButton::Yes);
    f->BOKClick();
    EXPECT_EQ(okno->session().TData()->recordCount(), 0u);
    // Neither ".txt" nor the file that could not go outlive the next opening.
    fs::remove_all(soubor(1));
    std::ofstream(soubor(1)) << "[CD]\n";
    EXPECT_EQ(DoplnTxt(*okno->session().TData(), *okno->session().TSkladby(),
                       okno->session().adresarTXT()),
              0u);
    EXPECT_FALSE(fs::exists(prazdny));
    EXPECT_FALSE(fs::exists(soubor(1)));
}

}  // namespace
}  // namespace lorvika
