#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "store/Catalogue.h"
#include "store/codepage.h"
#include "store/dbf/Engine.h"
#include "support/Command.h"
#include "support/TestDir.h"

// Tables are checked against a second, independent implementation of the format: Python's
// dbfread reads what Lorvika writes, python-dbf writes what Lorvika must read.
namespace lorvika {
namespace {

const std::string kPython = "/usr/bin/python3";
const std::string kScripts = std::string(LORVIKA_SOURCE_DIR) + "/tests/store/py/";

// Every letter of the Czech alphabet with a diacritic, both cases.
const std::string kMale = "áčďéěíňóřšťúůýž";
const std::string kVelke = "ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ";
const std::string kVeta = "Příliš žluťoučký kůň úpěl ďábelské ódy";

std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs the command, returns its standard output; fails the test on a non-zero exit.
std::string run(const std::string& command) {
    const test::CommandRun r = test::runCommand(command);
    if (!r.started) {
        ADD_FAILURE() << "cannot run " << command;
        return r.output;
    }
    EXPECT_EQ(r.status, 0) << command << "\n" << r.output;
    return r.output;
}

struct Seen {
    std::string encoding;
    std::vector<std::vector<std::string>> fields;   // name, type, length, decimals
    std::vector<std::vector<std::string>> records;  // values in column order
};

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> out;
    std::string cur;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t') {
            out.push_back(cur);
            cur.clear();
        } else if (line[i] == '\\' && i + 1 < line.size()) {
            const char e = line[++i];
            cur += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else {
            cur += line[i];
        }
    }
    out.push_back(cur);
    return out;
}

Seen readWithDbfread(const std::string& file) {
    Seen seen;
    std::istringstream in(
        run(kPython + " " + shellQuote(kScripts + "read_dbf.py") + " " + shellQuote(file)));
    for (std::string line; std::getline(in, line);) {
        auto parts = splitTabs(line);
        const std::string kind = parts[0];
        parts.erase(parts.begin());
        if (kind == "E") seen.encoding = parts.at(0);
        if (kind == "F") seen.fields.push_back(parts);
        if (kind == "R") seen.records.push_back(parts);
    }
    return seen;
}

TEST(Interop, DbfreadReadsWhatLorvikaWrites) {
    test::TestDir dir;
    dbf::Engine engine;
    engine.setLanguageDriver(std::string(kOvladacKatalogu));
    VytvorTabulky(engine, dir.str());
    PridejSloupce(engine, dir.str());
    const std::string popis(200, 'x');
    {
        auto alba = engine.open(dir.str(), std::string(kSouborAlb));
        alba->append();
        alba->setInteger("CISLO", 1);
        alba->setText("ALBUM", kMale);
        alba->setText("ARTIST", kVelke);
        alba->setText("ZANR", "Dechovka, \"lidovky\"");
        alba->setInteger("ROK", 1984);
        alba->setInteger("DELKA", 3725);
        alba->setDate("PUJ_DOKDY", dbf::Date{2026, 12, 31});
        alba->setText("POPIS", kVeta + " " + popis);  // cut to the column's 200
        alba->setInteger("CENA", 349);
        alba->setText("MBID", "lSOVc5h6IXSuzcamJS1Gp4_tRuA-");
        alba->post();
        alba->append();
        alba->setInteger("CISLO", 2);
        alba->setText("ALBUM", "smazané");
        alba->post();
        alba->last();
        alba->remove();
        auto skladby = engine.open(dir.str(), std::string(kSouborSkladeb));
        skladby->append();
        skladby->setInteger("CD", 1);
        skladby->setInteger("CISLO", 1);
        skladby->setText("NAME", kVeta);
        skladby->setText("TYP", "živě");
        skladby->setInteger("DELKA", 187);
        skladby->post();
    }

    const Seen alba = readWithDbfread((dir.path() / "cddata.DBF").string());
    EXPECT_EQ(alba.encoding, "cp852");
    ASSERT_EQ(alba.fields.size(), SloupceAlb().size());
    for (std::size_t i = 0; i < alba.fields.size(); ++i) {
        const auto& f = SloupceAlb()[i].pole;
        SCOPED_TRACE(f.name);
        EXPECT_EQ(alba.fields[i],
                  (std::vector<std::string>{f.name, std::string(1, char(f.type)),
                                            std::to_string(f.width), std::to_string(f.decimals)}));
    }
    ASSERT_EQ(alba.records.size(), 1u) << "the deleted album is left out";
    const auto value = [&](const char* column) {
        for (std::size_t i = 0; i < SloupceAlb().size(); ++i)
            if (SloupceAlb()[i].pole.name == column) return alba.records[0].at(i);
        return std::string("?");
    };
    EXPECT_EQ(value("CISLO"), "1");
    EXPECT_EQ(value("ALBUM"), kMale);
    EXPECT_EQ(value("ARTIST"), kVelke);
    EXPECT_EQ(value("ZANR"), "Dechovka, \"lidovky\"");
    EXPECT_EQ(value("ROK"), "1984");
    EXPECT_EQ(value("DELKA"), "3725");
    EXPECT_EQ(value("PUJ_DOKDY"), "2026-12-31");
    EXPECT_EQ(value("ZMENA"), "");
    EXPECT_EQ(value("HODNOC"), "");
    EXPECT_EQ(value("CENA"), "349");
    EXPECT_EQ(value("MBID"), "lSOVc5h6IXSuzcamJS1Gp4_tRuA-");
    // Cut at 200 characters, not bytes.
    const std::size_t letters = 38;  // characters of kVeta
    EXPECT_EQ(value("POPIS"), kVeta + " " + std::string(200 - letters - 1, 'x'));

    const Seen skladby = readWithDbfread((dir.path() / "cdskladby.DBF").string());
    EXPECT_EQ(skladby.encoding, "cp852");
    ASSERT_EQ(skladby.fields.size(), 6u);
    EXPECT_EQ(skladby.fields[5], (std::vector<std::string>{"TYP", "C", "25", "0"}));
    ASSERT_EQ(skladby.records.size(), 1u);
    EXPECT_EQ(skladby.records[0], (std::vector<std::string>{"1", "1", kVeta, "", "187", "živě"}));
}

TEST(Interop, LorvikaReadsAnOlderCatalogueInWindows1250) {
    test::TestDir dir;
    const std::vector<std::string> texts{kVeta, kMale, kVelke, "Dvořák: Rusalka"};
    std::string command =
        kPython + " " + shellQuote(kScripts + "write_dbf.py") + " " + shellQuote(dir.str());
    for (const auto& t : texts) command.append(" ").append(shellQuote(t));
    run(command);
    ASSERT_TRUE(JeDatabaze(dir.str())) << "python-dbf writes lower-case file names";

    dbf::Engine engine;
    const auto check = [&](std::size_t columns) {
        auto alba = engine.open(dir.str(), std::string(kSouborAlb));
        EXPECT_EQ(alba->fields().size(), columns);
        std::size_t i = 0;
        for (alba->first(); !alba->eof(); alba->next(), ++i) {
            ASSERT_LT(i, texts.size()) << "the deleted album is left out";
            SCOPED_TRACE(texts[i]);
            EXPECT_EQ(alba->integer("CISLO"), static_cast<std::int64_t>(i + 1));
            EXPECT_EQ(alba->text("ALBUM"), texts[i]);
            EXPECT_EQ(alba->integer("ROK"), static_cast<std::int64_t>(1990 + i));
            EXPECT_EQ(alba->date("PUJ_DOKDY"), (dbf::Date{2026, 1, static_cast<int>(1 + i)}));
            EXPECT_EQ(alba->text("PUJ_ANONE"), "A");
            EXPECT_TRUE(alba->date("ZMENA").isNull());
        }
        EXPECT_EQ(i, texts.size());
        auto skladby = engine.open(dir.str(), std::string(kSouborSkladeb));
        i = 0;
        for (skladby->first(); !skladby->eof(); skladby->next(), ++i) {
            ASSERT_LT(i, texts.size());
            EXPECT_EQ(skladby->integer("CD"), static_cast<std::int64_t>(i + 1));
            EXPECT_EQ(skladby->text("NAME"), texts[i]);
            EXPECT_EQ(skladby->integer("DELKA"), static_cast<std::int64_t>(60 * i + 5));
        }
        EXPECT_EQ(i, texts.size());
    };
    check(23);

    // Extending it the way an opening does keeps every text readable, by Lorvika and by dbfread.
    EXPECT_EQ(PridejSloupce(engine, dir.str()), 10);
    ZajistiIndexy(engine, dir.str(), RezimIndexu::Kontrola);
    check(32);
    {
        auto alba = engine.open(dir.str(), std::string(kSouborAlb));
        alba->setTag("album");
        std::vector<std::string> order;
        for (alba->first(); !alba->eof(); alba->next()) order.push_back(alba->text("ALBUM"));
        EXPECT_EQ(order, (std::vector<std::string>{kMale, kVelke, "Dvořák: Rusalka", kVeta}));
        EXPECT_EQ(ProjdiSkladby(*engine.open(dir.str(), std::string(kSouborSkladeb)), 2,
                                [&](dbf::Cursor& t) { EXPECT_EQ(t.text("NAME"), kMale); }),
                  1u);
    }
    engine.releaseUnused();
    std::string file;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (cp::toLower(e.path().filename().string()) == "cddata.dbf") file = e.path().string();
    const Seen alba = readWithDbfread(file);
    ASSERT_EQ(alba.records.size(), texts.size());
    ASSERT_EQ(alba.fields.size(), 32u);
    EXPECT_EQ(alba.fields[31], (std::vector<std::string>{"MBID", "C", "28", "0"}));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(alba.records[i].at(1), texts[i]);
        EXPECT_EQ(alba.records[i].at(31), "") << "albums catalogued without a disc ID";
    }
}

}  // namespace
}  // namespace lorvika
