#include <QTest>

#include "albums/TFNewCD.h"
#include "app/HlavniOknoTest.h"
#include "disc/DiscIds.h"
#include "disc/FakeCdDevice.h"
#include "store/Ini.h"
#include "support/DiscData.h"
#include "support/HttpServer.h"

namespace lorvika {
namespace {

class NoveCDZInternetu : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        registr.registruj(QStringLiteral("FNewCD"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
            auto dev = std::make_unique<FakeCdDevice>();
            dev->drives[""] =
                FakeDrive{DriveType::CdRom, false, FakeDisc{test::tocOf(2), 4242, {}}, "", true};
            return std::make_unique<TFNewCD>(&h, std::move(dev));
        });
        spust();
        server.route = [this](const QByteArray&) {
            return test::HttpAnswer{200, QByteArray::fromStdString(odpoved), {}, false};
        };
        ZapisText(ini(), "Internet", "MusicBrainz", server.base());
        ZapisText(ini(), "Internet", "gnudb", "");
    }

    TFNewCD* nactiDisk() {
        auto* f = dynamic_cast<TFNewCD*>(okno->otevriFormular(QStringLiteral("FNewCD")));
        zpracuj();
        f->BN->click();
        return f;
    }

    void pockej(TFNewCD* f) {
        for (int i = 0; i < 200 && f->hledaSe(); ++i) QTest::qWait(20);
    }

    test::HttpServer server;
    const std::string mbid = computeDiscIds(test::tocOf(2))->musicBrainz;
    std::string odpoved =
        R"({"releases":[{"id":"r1","title":"Deska – výběr","date":"1999-01-01","country":"DE",)"
        R"("artist-credit":[{"name":"Kapela","joinphrase":""}],)"
        R"("label-info":[{"label":{"name":"Supraphon"}}],"media":[{"position":1,)"
        R"("track-count":2,"tracks":[{"position":1,"title":"První"},)"
        R"({"position":2,"title":"Druhá","artist-credit":[{"name":"Host","joinphrase":""}]}]}]}]})";
};

TEST_F(NoveCDZInternetu, TheChosenReleaseFillsTheWindowAfterTheQuestion) {
    TFNewCD* f = nactiDisk();
    ASSERT_TRUE(f->BInternet->isEnabled());
    f->CBArtist->setCurrentText(QStringLiteral("Napsáno"));
    std::size_t nabidnuto = 0;
    f->vyberVydani = [&](const std::vector<online::Release>& v) {
        nabidnuto = v.size();
        return std::optional<std::size_t>(0);
    };
    for (const MsgButton odpoved : {MsgButton::No, MsgButton::Yes}) {
        f->BInternet->click();
        EXPECT_EQ(f->LStav->text(), QStringLiteral("Hledám na internetu…"));
        zpravy.expect(kPrepsatZInternetu, odpoved);
        pockej(f);
        EXPECT_EQ(nabidnuto, 1u) << "a single candidate is still shown";
        EXPECT_EQ(f->CBArtist->currentText(),
                  odpoved == MsgButton::Yes ? QStringLiteral("Kapela") : QStringLiteral("Napsáno"));
        EXPECT_EQ(f->EAlbum->text(), QStringLiteral("Deska - výběr"));
        EXPECT_EQ(f->ERok->text(), QStringLiteral("1999"));
        EXPECT_EQ(f->CBZeme->currentText(), QStringLiteral("SRN"));
        EXPECT_EQ(f->CBVyd_F->currentText(), QStringLiteral("Supraphon"));
        EXPECT_EQ(f->model->index(1, ModelSkladeb::Nazev).data().toString(),
                  QStringLiteral("Druhá"));
    }
    ASSERT_FALSE(server.requests.empty());
    EXPECT_NE(server.requests[0].target.indexOf(QByteArray::fromStdString(mbid)), -1);
}

TEST_F(NoveCDZInternetu, OfflineOrSwitchedOff) {
    odpoved = "{";
    TFNewCD* f = nactiDisk();
    f->BInternet->click();
    pockej(f);
    EXPECT_EQ(f->LStav->text(),
              QStringLiteral("Internetová databáze není dostupná: MusicBrainz: neplatná odpověď "
                             "serveru"));
    EXPECT_EQ(server.requests.size(), 1u);

    ZapisText(ini(), "Internet", "Povoleno", "0");
    f->NulujEditTxt();
    f->BN->click();
    EXPECT_FALSE(f->BInternet->isEnabled());
    f->BInternetClick();
    pockej(f);
    EXPECT_EQ(server.requests.size(), 1u) << "nothing is sent when lookups are off";
}

}  // namespace
}  // namespace lorvika
