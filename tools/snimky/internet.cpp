// Pictures of the internet lookup of the new album window: the candidate dialog and the filled
// window, against a server on the loopback address that answers as MusicBrainz would.
// Usage: lorvika-internet-snimky OUTDIR IMAGE.cue   (LORVIKA_HOME names a fresh program directory)
#include <QApplication>
#include <QEventLoop>
#include <QMdiSubWindow>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "Snimky.h"
#include "albums/TFNewCD.h"
#include "albums/TFVyberVydani.h"
#include "app/QtSluzby.h"
#include "app/TForm1.h"
#include "store/Ini.h"
#include "support/HttpServer.h"

namespace {

std::string vydani(const char* id, const char* album, const char* rok, const char* zeme,
                   const char* firma, const char* cislo) {
    return std::string(R"({"id":")") + id + R"(","title":")" + album + R"(","date":")" + rok +
           R"(","country":")" + zeme + R"(","barcode":"8590233012345",)" +
           R"("artist-credit":[{"name":"Jiří Suchý","joinphrase":" & "},)" +
           R"({"name":"Jiří Šlitr","joinphrase":""}],"label-info":[{"catalog-number":")" + cislo +
           R"(","label":{"name":")" + firma + R"("}}],"media":[{"position":1,"track-count":3,)" +
           R"("tracks":[{"position":1,"title":"Klokočí"},{"position":2,"title":"Pramínek vlasů"},)" +
           R"({"position":3,"title":"Tereza","artist-credit":[{"name":"Eva Pilarová",)" +
           R"("joinphrase":""}]}]}]})";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTDIR IMAGE.cue\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Lorvika 1"));
    const QString out = QString::fromLocal8Bit(argv[1]);
    lorvika::test::HttpServer server;
    const std::string odpoved =
        "{\"releases\":[" +
        vydani("r1", "Semafor – písničky", "1999-04-01", "CZ", "Supraphon", "SU 3390-2") + "," +
        vydani("r2", "Semafor – písničky", "2004", "DE", "Bonton", "BON 4411") + "]}";
    server.route = [&](const QByteArray&) {
        return lorvika::test::HttpAnswer{200, QByteArray::fromStdString(odpoved), {}, false};
    };
    lorvika::QtMessages zpravy;
    lorvika::QtDialogs dialogy;
    lorvika::RegistrFormularu registr;
    lorvika::registrujTFNewCD(registr);
    std::optional<lorvika::SluzbyHlavnihoOkna> s = snimky::sluzby(zpravy, dialogy, registr);
    if (!s) return 1;
    auto okno = std::make_unique<lorvika::TForm1>(std::move(*s));
    lorvika::ZapisText(okno->ini(), "Internet", "MusicBrainz", server.base());
    lorvika::ZapisText(okno->ini(), "Internet", "gnudb", "");
    snimky::spust(*okno, QSize(1000, 700));
    auto* f = dynamic_cast<lorvika::TFNewCD*>(okno->otevriFormular(QStringLiteral("FNewCD")));
    if (!f) return 1;
    f->okno()->resize(800, 600);
    snimky::zpracuj(4);
    try {
        f->prehravac().open(argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    f->BN->click();
    snimky::zpracuj(4);
    bool ok = true;
    f->vyberVydani = [&](const std::vector<lorvika::online::Release>& v) {
        lorvika::TFVyberVydani d(okno.get(), v, okno.get());
        d.FormCreate();
        d.show();
        snimky::zpracuj(6);
        ok = snimky::uloz(d, out + QStringLiteral("/kandidati.png")) && ok;
        return std::optional<std::size_t>(0);
    };
    f->BInternet->click();
    snimky::zpracuj(4);
    ok = snimky::uloz(*okno, out + QStringLiteral("/hledani.png")) && ok;
    for (int i = 0; i < 500 && f->hledaSe(); ++i) {
        QEventLoop pauza;
        QTimer::singleShot(10, &pauza, &QEventLoop::quit);
        pauza.exec();
    }
    snimky::zpracuj(6);
    ok = snimky::uloz(*okno, out + QStringLiteral("/novecd-vyplneno.png")) && ok;
    f->PageC->setCurrentIndex(2);
    snimky::zpracuj(6);
    ok = snimky::uloz(*okno, out + QStringLiteral("/novecd-skladby.png")) && ok;
    okno->close();
    return ok ? 0 : 1;
}
