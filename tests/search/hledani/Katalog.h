#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "support/TestDir.h"

// A catalogue in a temporary folder, filled column by column, for the search tests.
namespace lorvika::test {

using Pole = std::map<std::string, std::string>;  // column → value as text

struct KatalogHledani {
    TestDir tmp;
    dbf::Engine engine;
    std::string dir = tmp.sub("db").string();
    std::unique_ptr<dbf::Cursor> alba;
    std::unique_ptr<dbf::Cursor> skladby;

    KatalogHledani() {
        VytvorTabulky(engine, dir);
        PridejSloupce(engine, dir);
        alba = engine.open(dir, std::string(kSouborAlb));
        skladby = engine.open(dir, std::string(kSouborSkladeb));
    }

    void album(int cislo, const Pole& pole) {
        alba->append();
        alba->setInteger("CISLO", cislo);
        for (const auto& [k, v] : pole) alba->setText(k, v);
        alba->post();
    }
    void skladba(int cd, const Pole& pole) {
        skladby->append();
        skladby->setInteger("CD", cd);
        for (const auto& [k, v] : pole) skladby->setText(k, v);
        skladby->post();
    }
};

}  // namespace lorvika::test
