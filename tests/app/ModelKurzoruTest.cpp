#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "app/ModelKurzoru.h"
#include "store/Catalogue.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

// 3000 albums whose artist order is the reverse of their numbers; every third one deleted.
class LinaMrizka : public ::testing::Test {
  protected:
    void SetUp() override {
        VytvorTabulky(engine, dir.str());
        c = engine.open(dir.str(), std::string(kSouborAlb));
        for (int i = 1; i <= 3000; ++i) {
            c->append();
            c->setInteger("CISLO", i);
            char artist[16];
            std::snprintf(artist, sizeof artist, "U%05d", 10000 - i);
            c->setText("ARTIST", artist);
            c->post();
        }
        for (c->first(); !c->eof();) {
            if (c->integer("CISLO") % 3 == 0)
                c->remove();
            else
                c->next();
        }
        c->setTag("artist");
        model.setSloupce({{QStringLiteral("CISLO"), QStringLiteral("číslo")}});
        model.setKurzor(c.get());
    }
    // The album number shown in row r.
    int cislo(int r) { return model.data(model.index(r, 0), Qt::DisplayRole).toInt(); }
    // The album in row r: the kept numbers (no multiples of 3) from the highest down.
    static int ocekavane(int r) {
        for (int n = 3000, k = 0; n > 0; --n)
            if (n % 3 != 0 && k++ == r) return n;
        return -1;
    }

    test::TestDir dir;
    dbf::Engine engine;
    std::unique_ptr<dbf::Cursor> c;
    ModelKurzoru model;
};

TEST_F(LinaMrizka, RowsInAnyOrderOfVisitsMatchTheCursorOrder) {
    ASSERT_EQ(model.rowCount(), 2000);
    std::vector<int> radky = {0, 1999, 1000, 999, 1001, 3, 1998, 500, 1500, 0, 1750};
    std::mt19937 nahoda(7);
    for (int i = 0; i < 60; ++i) radky.push_back(static_cast<int>(nahoda() % 2000));
    for (int r : radky) EXPECT_EQ(cislo(r), ocekavane(r)) << "row " << r;
    // Reading rows never moves the cursor the form stands on.
    c->first();
    c->next();
    const std::uint32_t zaznam = c->recordNumber();
    EXPECT_EQ(cislo(1234), ocekavane(1234));
    EXPECT_EQ(c->recordNumber(), zaznam);
    EXPECT_LT(model.znamychPozic(), 200u) << "a few known positions, not one per record";
}

TEST_F(LinaMrizka, CurrentRowFollowsJumpsAndMovesTheCursor) {
    c->last();
    EXPECT_EQ(model.radekAktualniho(), 1999);
    ASSERT_TRUE(NajdiCD(1502, "cislo", *c));
    int r = model.radekAktualniho();
    ASSERT_GE(r, 0);
    EXPECT_EQ(ocekavane(r), 1502);
    model.prejdiNa(77);
    EXPECT_EQ(c->integer("CISLO"), ocekavane(77));
    EXPECT_EQ(model.radekAktualniho(), 77);

    // A filter and a new order: the rows are read again.
    c->setFilter([](const dbf::Cursor& k) { return k.integer("CISLO") % 2 == 0; });
    c->setFiltered(true);
    c->setTag("cislo");
    model.obnov();
    ASSERT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(cislo(0), 2);
    EXPECT_EQ(cislo(999), 2998);
    EXPECT_EQ(cislo(500), 1502);
    ASSERT_TRUE(NajdiCD(1000, "cislo", *c));
    EXPECT_EQ(cislo(model.radekAktualniho()), 1000);
}

}  // namespace
}  // namespace lorvika
