// A Czech user's walk through the catalogue, under the locale Qt adopts for a Czech desktop (the
// C library's decimal point is a comma): a new album, an edit, a lending and a pack must leave
// tables that another dBase reader (python3-dbfread) reads, with the prices as typed.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "albums/EditCD.h"
#include "albums/NoveCD.h"
#include "disc/FakeCdDevice.h"
#include "export/Sonorek.h"
#include "lending/Pujceni.h"
#include "store/Catalogue.h"
#include "support/Command.h"
#include "support/DiscData.h"
#include "support/FakeMessages.h"
#include "support/Locale.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

using Zaznam = std::map<std::string, std::string>;

// The live records as dbfread reads them, by column name; a failed reading fails the test.
std::vector<Zaznam> dbfread(const std::string& soubor) {
    const test::CommandRun r =
        test::runCommand("/usr/bin/python3 '" LORVIKA_SOURCE_DIR "/tests/store/py/read_dbf.py' '" +
                         soubor + "' 2>&1");
    EXPECT_EQ(r.status, 0) << soubor << "\n" << r.output;
    std::vector<std::string> sloupce;
    std::vector<Zaznam> zaznamy;
    std::istringstream in(r.output);
    for (std::string radek; std::getline(in, radek);) {
        std::vector<std::string> casti;
        std::istringstream r2(radek);
        for (std::string c; std::getline(r2, c, '\t');) casti.push_back(c);
        if (casti.size() > 1 && casti[0] == "F") sloupce.push_back(casti[1]);
        if (casti.empty() || casti[0] != "R") continue;
        Zaznam z;
        for (std::size_t i = 0; i < sloupce.size(); ++i)
            z[sloupce[i]] = i + 1 < casti.size() ? casti[i + 1] : std::string();
        zaznamy.push_back(std::move(z));
    }
    return zaznamy;
}

TEST(CeskeCisla, NewAlbumEditLendingAndPackLeaveTablesOtherReadersRead) {
    test::CeskeProstredi cesky;
    ASSERT_TRUE(cesky.ok());
    test::TestDir dir;
    const std::string db = dir.sub("db").string();
    const std::string prog = dir.sub("prog").string();
    const std::string txt = AdresarTXT(db);
    dbf::Engine engine;
    VytvorTabulky(engine, db);
    PridejSloupce(engine, db);
    auto alba = engine.open(db, std::string(kSouborAlb));
    auto skladby = engine.open(db, std::string(kSouborSkladeb));
    test::FakeMessages zpravy;
    const auto dnes = [] { return dbf::Date{2026, 12, 8}; };

    FakeCdDevice dev;
    for (const auto& [stop, cena] : {std::pair{3, "12,50"}, std::pair{4, "0,99"}}) {
        dev.drives[""] =
            FakeDrive{DriveType::CdRom, false, FakeDisc{test::tocOf(stop, 200), 7, {}}, "", true};
        dev.open("");
        NoveCD nove(engine, *alba, *skladby, prog, txt, zpravy, dnes);
        ASSERT_TRUE(nove.NactiDisk(dev));
        nove.vstupy.album = "Deska";
        nove.vstupy.rok = "1999";
        nove.vstupy.cena = cena;
        ASSERT_NE(nove.Uloz(), 0) << cena;
    }

    ASSERT_TRUE(NajdiCD(1, "cislo", *alba));
    {
        EditCD edit(engine, *alba, *skladby, db, prog, txt, zpravy, dnes, [] {});
        edit.Aktualizuj();
        edit.vstupy[VAlbum] = {"Přejmenovaná", true};
        edit.vstupy[VCena] = {"7,90", true};
        dbf::Cursor& prace = *edit.pracovni();
        prace.first();
        prace.edit();
        prace.setText("NAME", "První skladba");
        prace.post();
        edit.SkladbaZapsana();
        zpravy.expect(kZapsatZmeny, MsgButton::Yes);
        ASSERT_TRUE(edit.Uloz());
    }
    ASSERT_TRUE(NajdiCD(2, "cislo", *alba));
    ZapisPujceni(engine, *alba, "Jana", dbf::Date{2026, 12, 24}, true);
    engine.pack(db, std::string(kSouborSkladeb));
    engine.pack(db, std::string(kSouborAlb));
    EXPECT_TRUE(zpravy.scriptDone());

    const auto albaCtena = dbfread(db + "/" + std::string(kSouborAlb));
    ASSERT_EQ(albaCtena.size(), 2u);
    EXPECT_EQ(albaCtena[0].at("ALBUM"), "Přejmenovaná");
    EXPECT_EQ(albaCtena[0].at("CENA"), "8");
    EXPECT_EQ(albaCtena[0].at("ROK"), "1999");
    EXPECT_EQ(albaCtena[0].at("PSTOP"), "3");
    EXPECT_EQ(albaCtena[1].at("CENA"), "1");
    EXPECT_EQ(albaCtena[1].at("PUJ_KOLIK"), "1");
    EXPECT_EQ(albaCtena[1].at("PUJ_DOKDY"), "2026-12-24");
    const auto skladbyCtene = dbfread(db + "/" + std::string(kSouborSkladeb));
    ASSERT_EQ(skladbyCtene.size(), 7u);
    std::multiset<std::string> prvni;
    for (const Zaznam& s : skladbyCtene) {
        EXPECT_EQ(s.at("DELKA"), std::to_string(200 + std::stoi(s.at("CISLO"))));
        if (s.at("CISLO") == "1") prvni.insert(s.at("CD") + ":" + s.at("NAME"));
    }
    EXPECT_EQ(prvni, (std::multiset<std::string>{"1:První skladba", "2:"}));
}

}  // namespace
}  // namespace lorvika
