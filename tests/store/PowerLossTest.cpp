// A power cut at every change a catalogue operation makes: after the next opening the catalogue
// is the whole old state or the whole new one.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <sstream>

#include "store/Catalogue.h"
#include "store/OdstraneniCD.h"
#include "store/ZmenaAlba.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/PowerLossFileSystem.h"
#include "store/dbf/Transaction.h"
#include "support/TestDir.h"

using namespace lorvika;

namespace {

void vytvorKatalog(const std::string& dir) {
    dbf::Engine engine;
    VytvorTabulky(engine, dir);
    PridejSloupce(engine, dir);
    auto alba = engine.open(dir, std::string(kSouborAlb));
    auto skladby = engine.open(dir, std::string(kSouborSkladeb));
    for (int cislo : {1, 2, 3}) {
        alba->append();
        alba->setInteger("CISLO", cislo);
        alba->setText("ALBUM", "Album " + std::to_string(cislo));
        alba->post();
        for (int t = 1; t <= 4 + cislo; ++t) {
            skladby->append();
            skladby->setInteger("CD", cislo);
            skladby->setInteger("CISLO", t);
            skladby->setText("NAME", "skladba " + std::to_string(cislo) + "/" + std::to_string(t));
            skladby->post();
        }
    }
}

// Everything the catalogue holds, read the way an opening leaves it: every album with its
// fields and tracks, tracks without an album, and the problems the engine finds.
std::string obsah(const std::string& dir) {
    dbf::Engine engine;
    dbf::recoverLog(engine, dir);
    DokonciZmenuAlba(engine, dir);
    DokonciOdstraneni(engine, dir);
    std::ostringstream out;
    for (std::string_view t : {kSouborAlb, kSouborSkladeb})
        for (const auto& p : engine.verify(dir, std::string(t)))
            // Bytes past the counted records and an index file that is behind its table or torn
            // are what any crash may leave; the opening rebuilds such an index from the table.
            if (p.find("navíc") == std::string::npos &&
                p.find("indexový soubor") == std::string::npos)
                out << "problem " << p << '\n';
    auto alba = engine.open(dir, std::string(kSouborAlb));
    auto skladby = engine.open(dir, std::string(kSouborSkladeb));
    std::map<std::int64_t, std::string> radky;
    for (alba->first(); !alba->eof(); alba->next())
        radky[alba->integer("CISLO")] += "album " + alba->text("ALBUM") + " rok " +
                                         alba->text("ROK") + " komu " + alba->text("PUJ_KOMU") +
                                         '\n';
    std::map<std::int64_t, std::vector<std::string>> stopy;
    for (skladby->first(); !skladby->eof(); skladby->next())
        stopy[skladby->integer("CD")].push_back(skladby->text("CISLO") + " " +
                                                skladby->text("NAME"));
    for (auto& [cd, s] : stopy) {
        std::sort(s.begin(), s.end());
        if (!radky.count(cd)) out << "tracks without album " << cd << '\n';
        for (const auto& t : s) radky[cd] += "  " + t + '\n';
    }
    for (const auto& [cd, r] : radky) out << cd << ": " << r;
    return out.str();
}

using Operace = std::function<void(dbf::Engine&, const std::string&)>;

void noveAlbum(dbf::Engine& engine, const std::string& dir) {
    auto alba = engine.open(dir, std::string(kSouborAlb));
    auto skladby = engine.open(dir, std::string(kSouborSkladeb));
    dbf::Transaction t(engine, dir);
    alba->append();
    alba->setInteger("CISLO", 4);
    alba->setText("ALBUM", "Nové");
    t.post(*alba);
    for (int k = 1; k <= 6; ++k) {
        skladby->append();
        skladby->setInteger("CD", 4);
        skladby->setInteger("CISLO", k);
        skladby->setText("NAME", "nová " + std::to_string(k));
        t.post(*skladby);
    }
    t.commit();
}

void zmena(dbf::Engine& engine, const std::string& dir) {
    auto alba = engine.open(dir, std::string(kSouborAlb));
    auto skladby = engine.open(dir, std::string(kSouborSkladeb));
    ZmenaAlba z;
    z.cislo = 2;
    z.pole = {{"ALBUM", "Změněné"}, {"ROK", "2001"}};
    z.nahraditSkladby = true;
    for (int k = 1; k <= 3; ++k)
        z.skladby.push_back({"", std::to_string(k), "změněná " + std::to_string(k), "", "", ""});
    ZapisZmenuAlba(engine, dir, *alba, *skladby, z);
}

void odstraneni(dbf::Engine& engine, const std::string& dir) {
    auto alba = engine.open(dir, std::string(kSouborAlb));
    OdstranCD(engine, dir, *alba, {2, ""});
}

void pujceni(dbf::Engine& engine, const std::string& dir) {
    auto alba = engine.open(dir, std::string(kSouborAlb));
    ASSERT_TRUE(NajdiCD(2, "cislo", *alba));
    dbf::Transaction t(engine, dir);
    alba->edit();
    alba->setText("PUJ_KOMU", "soused");
    alba->setText("PUJ_ANONE", "A");
    t.post(*alba);
    t.commit();
}

void komprese(dbf::Engine& engine, const std::string& dir) {
    engine.pack(dir, std::string(kSouborSkladeb));
    engine.pack(dir, std::string(kSouborAlb));
}

}  // namespace

TEST(VypadekProudu, EveryCutLeavesTheWholeOldOrTheWholeNewState) {
    struct Pripad {
        const char* nazev;
        Operace operace;
        bool predtimOdstranit;  // a removed album whose records the pack drops
    };
    const Pripad pripady[] = {
        {"new album", noveAlbum, false}, {"edit save", zmena, false},
        {"removal", odstraneni, false},  {"lending", pujceni, false},
        {"pack", komprese, true},
    };
    std::mt19937 rng(20261209);
    for (const Pripad& p : pripady) {
        SCOPED_TRACE(p.nazev);
        const auto priprav = [&](const std::string& dir) {
            vytvorKatalog(dir);
            if (p.predtimOdstranit) {
                dbf::Engine engine;
                auto alba = engine.open(dir, std::string(kSouborAlb));
                OdstranCD(engine, dir, *alba, {3, ""});
            }
        };
        std::string stary, novy;
        long zmen = 0;
        {
            test::TestDir t;
            const std::string dir = t.sub("db").string();
            priprav(dir);
            stary = obsah(dir);
            auto fs = std::make_shared<test::PowerLossFileSystem>(dir);
            {
                dbf::Engine engine(fs);
                p.operace(engine, dir);
            }
            zmen = fs->changes();
            novy = obsah(dir);
        }
        if (!p.predtimOdstranit) {
            ASSERT_NE(stary, novy);
        }
        ASSERT_GT(zmen, 2);
        int stare = 0, nove = 0;
        for (long cut = 1; cut <= zmen; ++cut) {
            for (int pokus = 0; pokus < 3; ++pokus) {
                test::TestDir t;
                const std::string dir = t.sub("db").string();
                priprav(dir);
                {
                    auto fs = std::make_shared<test::PowerLossFileSystem>(dir);
                    fs->cutAt(cut);
                    try {
                        dbf::Engine engine(fs);
                        p.operace(engine, dir);
                    } catch (const std::exception&) {
                    }
                    ASSERT_TRUE(fs->cut()) << "cut " << cut;
                    fs->restore(rng);
                }
                const std::string nyni = obsah(dir);
                if (nyni == stary) ++stare;
                if (nyni == novy) ++nove;
                ASSERT_TRUE(nyni == stary || nyni == novy)
                    << "cut at change " << cut << ", trial " << pokus << ":\n"
                    << nyni << "\nold:\n"
                    << stary << "\nnew:\n"
                    << novy;
            }
        }
        std::cout << p.nazev << ": " << zmen << " change points, " << zmen * 3
                  << " cuts: old state " << stare << ", new state " << nove << '\n';
    }
}
