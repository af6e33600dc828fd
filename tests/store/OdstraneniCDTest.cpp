#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store/Catalogue.h"
#include "store/OdstraneniCD.h"
#include "store/dbf/DbfTestSupport.h"
#include "store/dbf/Transaction.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;
using test::FaultFileSystem;

// Albums 1..3 with 12, 5 and 7 tracks, each album with its player file.
class Odstraneni : public ::testing::Test {
  protected:
    void SetUp() override { vytvor(dir.str()); }

    void vytvor(const std::string& adresar) {
        adresar_ = adresar;
        dbf::Engine engine;
        VytvorTabulky(engine, adresar_);
        auto alba = engine.open(adresar_, std::string(kSouborAlb));
        auto skladby = engine.open(adresar_, std::string(kSouborSkladeb));
        fs::create_directories(txt());
        for (int cd = 1; cd <= 3; ++cd) {
            alba->append();
            alba->setInteger("CISLO", cd);
            alba->setText("SN", "SN" + std::to_string(cd));
            alba->post();
            for (int t = 1; t <= kStopy[cd - 1]; ++t) {
                skladby->append();
                skladby->setInteger("CD", cd);
                skladby->setInteger("CISLO", t);
                skladby->post();
            }
            std::ofstream(soubor(cd)) << "x";
        }
    }

    fs::path txt() const { return fs::path(adresar_) / "TXT"; }
    std::string soubor(int cd) const {
        return (txt() / ("SN" + std::to_string(cd) + ".txt")).string();
    }
    // Tracks per album and whether each album is there, read by a fresh engine after opening's
    // completion step.
    struct Stav {
        std::vector<int> stopy;
        std::vector<bool> alba;
    };
    Stav stav() {
        dbf::Engine engine;
        dbf::recoverLog(engine, adresar_);
        DokonciOdstraneni(engine, adresar_);
        EXPECT_FALSE(fs::exists(fs::path(adresar_) / dbf::kLogName));
        auto alba = engine.open(adresar_, std::string(kSouborAlb));
        auto skladby = engine.open(adresar_, std::string(kSouborSkladeb));
        Stav s{std::vector<int>(3, 0), std::vector<bool>(3, false)};
        for (alba->first(); !alba->eof(); alba->next()) s.alba[alba->integer("CISLO") - 1] = true;
        for (skladby->first(); !skladby->eof(); skladby->next())
            ++s.stopy[skladby->integer("CD") - 1];
        return s;
    }

    static constexpr int kStopy[3] = {12, 5, 7};
    test::TestDir dir;
    std::string adresar_;
};

TEST_F(Odstraneni, RemovesTheTracksThePlayerFileAndTheAlbumOnly) {
    auto engine = std::make_unique<dbf::Engine>();
    auto alba = engine->open(dir.str(), std::string(kSouborAlb));
    alba->setTag("cislo");
    alba->first();
    OdstranCD(*engine, dir.str(), *alba, {1, soubor(1)});
    EXPECT_EQ(alba->integer("CISLO"), 2) << "the cursor moves to the next album";
    EXPECT_FALSE(fs::exists(soubor(1)));
    EXPECT_TRUE(fs::exists(soubor(2)));
    EXPECT_FALSE(fs::exists(dir.path() / kZurnalOdstraneni));

    // A missing player file is no error; removing the last album leaves the cursor on the
    // album before it.
    fs::remove(soubor(3));
    alba->last();
    OdstranCD(*engine, dir.str(), *alba, {3, soubor(3)});
    EXPECT_EQ(alba->integer("CISLO"), 2);
    alba.reset();
    engine.reset();
    const Stav s = stav();
    EXPECT_EQ(s.alba, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(s.stopy, (std::vector<int>{0, 5, 0}));
}

// A crash at every write of the removal in turn: opening afterwards finds the whole album with
// all its tracks, or none of it, and the other albums untouched.
TEST_F(Odstraneni, ACrashAnywhereLeavesTheWholeAlbumOrNoneOfIt) {
    long zapisu = 0;
    {
        // How many writes a removal takes, on a copy.
        const fs::path kopie = dir.sub("kopie");
        vytvor(kopie.string());
        auto pocitadlo = std::make_shared<FaultFileSystem>();
        dbf::Engine engine(pocitadlo);
        auto alba = engine.open(kopie.string(), std::string(kSouborAlb));
        ASSERT_TRUE(NajdiCD(1, "cislo", *alba));
        pocitadlo->failAt(0, FaultFileSystem::Fault::None);
        OdstranCD(engine, kopie.string(), *alba, {1, ""});
        zapisu = pocitadlo->writes();
    }
    ASSERT_GT(zapisu, 12);
    for (long n = 1; n <= zapisu; ++n) {
        SCOPED_TRACE("crash at write " + std::to_string(n));
        vytvor(dir.sub("pad" + std::to_string(n)).string());
        {
            auto chyby = std::make_shared<FaultFileSystem>();
            dbf::Engine engine(chyby);
            auto alba = engine.open(adresar_, std::string(kSouborAlb));
            ASSERT_TRUE(NajdiCD(1, "cislo", *alba));
            chyby->failAt(n, FaultFileSystem::Fault::Crash);
            EXPECT_ANY_THROW(OdstranCD(engine, adresar_, *alba, {1, soubor(1)}));
        }
        const Stav s = stav();
        EXPECT_EQ(s.alba[1] && s.alba[2], true);
        EXPECT_EQ(s.stopy[1], 5);
        EXPECT_EQ(s.stopy[2], 7);
        EXPECT_EQ(s.stopy[0], s.alba[0] ? 12 : 0) << "the album with all its tracks or none";
        EXPECT_FALSE(fs::exists(fs::path(adresar_) / kZurnalOdstraneni));
    }
}

TEST_F(Odstraneni, AJournalThatNamesNoAlbumIsDropped) {
    std::ofstream(dir.path() / kZurnalOdstraneni) << "abc\n";
    const Stav s = stav();
    EXPECT_EQ(s.stopy, (std::vector<int>{12, 5, 7}));
    EXPECT_FALSE(fs::exists(dir.path() / kZurnalOdstraneni));
}

}  // namespace
}  // namespace lorvika
