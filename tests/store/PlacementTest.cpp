#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store/Ini.h"
#include "store/Placement.h"
#include "support/Files.h"
#include "support/TestDir.h"

using namespace lorvika;

namespace {

using test::readFile;

class Placement : public ::testing::Test {
  protected:
    test::TestDir dir;
    std::string ini = (dir.path() / "lorvika.ini").string();
};

TEST_F(Placement, SavingDependsOnTheWindowState) {
    struct Case {
        StavOkna stav;
        std::string expected;  // after a normal placement was saved before
    };
    const Case cases[] = {
        {StavOkna::Normalni,
         "[FNewCD]\r\nState=2\r\nLeft=-8\r\nTop=20\r\nWidth=700\r\nHeight=500\r\n"},
        {StavOkna::Maximalizovane,
         "[FNewCD]\r\nState=1\r\nLeft=10\r\nTop=11\r\nWidth=12\r\nHeight=13\r\n"},
        {StavOkna::Minimalizovane,
         "[FNewCD]\r\nState=2\r\nLeft=10\r\nTop=11\r\nWidth=12\r\nHeight=13\r\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(ini);
        UlozOkno(ini, "FNewCD", {StavOkna::Normalni, 10, 11, 12, 13});
        UlozOkno(ini, "FNewCD", {c.stav, -8, 20, 700, 500});
        EXPECT_EQ(readFile(ini), c.expected) << static_cast<int>(c.stav);
    }
    std::filesystem::remove(ini);
    UlozOkno(ini, "FNavig", {StavOkna::Minimalizovane, 1, 2, 3, 4});
    EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(Placement, RestoringChildWindows) {
    struct Case {
        std::string stored;  // lines of section FEditCD
        ObnovaOkna expected;
    };
    const Case cases[] = {
        {"", {false, true, false, 0, 0, 632, 413, false}},
        {"State=0\r\nLeft=50\r\nWidth=900\r\n", {false, true, false, 0, 0, 632, 413, false}},
        {"State=2\r\nLeft=-8\r\nTop=-8\r\nWidth=800\r\nHeight=600\r\n",
         {true, false, true, 0, 0, 800, 600, false}},
        {"State=1\r\nLeft=30\r\nTop=40\r\n", {true, false, true, 30, 40, 632, 413, true}},
        {"State=2\r\n", {true, false, true, 1, 1, 632, 413, false}},
        {"State=7\r\nWidth=ano\r\n", {true, false, true, 1, 1, 632, 413, false}},
    };
    for (const Case& c : cases) {
        std::ofstream(ini, std::ios::binary | std::ios::trunc) << "[FEditCD]\r\n" << c.stored;
        const ObnovaOkna r = NactiOkno(ini, "FEditCD", 632, 413);
        const ObnovaOkna& e = c.expected;
        EXPECT_EQ(r.ulozeno, e.ulozeno) << c.stored;
        EXPECT_EQ(r.vycentrovat, e.vycentrovat) << c.stored;
        EXPECT_EQ(r.nastavitPozici, e.nastavitPozici) << c.stored;
        if (e.nastavitPozici) {
            EXPECT_EQ(r.left, e.left) << c.stored;
            EXPECT_EQ(r.top, e.top) << c.stored;
        }
        EXPECT_EQ(r.width, e.width) << c.stored;
        EXPECT_EQ(r.height, e.height) << c.stored;
        EXPECT_EQ(r.maximalizovat, e.maximalizovat) << c.stored;
    }
}

TEST_F(Placement, MainWindowRoundTripAndDefaults) {
    ObnovaOkna r = NactiHlavniOkno(ini);
    EXPECT_FALSE(r.ulozeno);
    EXPECT_FALSE(r.vycentrovat);  // the main window keeps its own position
    EXPECT_FALSE(r.nastavitPozici);
    EXPECT_EQ(r.width, 632);
    EXPECT_EQ(r.height, 430);

    UlozHlavniOkno(ini, {StavOkna::Normalni, 5, 6, 1000, 700});
    r = NactiHlavniOkno(ini);
    EXPECT_TRUE(r.ulozeno && r.nastavitPozici && !r.maximalizovat);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 6);
    EXPECT_EQ(r.width, 1000);
    EXPECT_EQ(r.height, 700);

    UlozHlavniOkno(ini, {StavOkna::Maximalizovane, 0, 0, 1, 1});
    r = NactiHlavniOkno(ini);
    EXPECT_TRUE(r.maximalizovat);
    EXPECT_EQ(r.width, 1000);  // the normal size stays for leaving the maximized state
    EXPECT_EQ(CtiCislo(ini, "Okno", "State", 0), 1);
}

}  // namespace
