// Pictures of the album browser on each page, at its smallest size and maximized at 1920 x 1080,
// the removal window, and the first page of the preview of report 2.
// Usage: lorvika-prohlizec-snimky OUTDIR   (LORVIKA_HOME names a fresh program directory)
#include <QApplication>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <cstdio>
#include <memory>

#include "Snimky.h"
#include "albums/TFPrycCD.h"
#include "app/Aplikace.h"
#include "app/QtSluzby.h"
#include "app/TForm1.h"
#include "search/TFViewCD.h"

namespace {

// A small catalogue with Czech names, lengths, years, ratings and a lent album.
void naplnKatalog(lorvika::TForm1& okno) {
    struct A {
        const char* artist;
        const char* album;
        const char* zanr;
        int rok, hodnoc, stop;
    };
    const A alba[] = {
        {"Čechomor", "Proměny", "folk", 2001, 5, 13},
        {"Arakain", "Thrash The Trash", "metal", 1990, 3, 10},
        {"Lucie", "Černý kočky mokrý žáby", "rock", 1994, 4, 12},
        {"Hradišťan", "Ponorná řeka", "folk", 1999, 6, 14},
        {"Žlutý pes", "Psí kusy", "rock", 0, 2, 11},
        {"Ondřej Havelka", "Swingový ostrov", "swing", 2003, 4, 16},
        {"Jaromír Nohavica", "Divné století", "písničkář", 2000, 5, 15},
        {"Olympic", "Kanagom", "rock", 1995, 3, 12},
        {"Vltava", "Marx Engels Beatles", "rock", 1997, 4, 12},
        {"Buty", "Rastafcommittee", "alternativa", 1992, 4, 13},
    };
    lorvika::dbf::Cursor& c = *okno.session().TData();
    lorvika::dbf::Cursor& s = *okno.session().TSkladby();
    int cislo = 0;
    for (const A& a : alba) {
        ++cislo;
        int delka = 0;
        for (int t = 1; t <= a.stop; ++t) {
            const int d = 150 + 13 * t + 7 * cislo;
            delka += d;
            s.append();
            s.setInteger("CD", cislo);
            s.setInteger("CISLO", t);
            s.setText("NAME", "Skladba " + std::to_string(t));
            s.setText("ARTIST", a.artist);
            s.setText("TYP", t % 4 == 0 ? "instrumentální" : "píseň");
            s.setInteger("DELKA", d);
            s.post();
        }
        c.append();
        c.setInteger("CISLO", cislo);
        c.setText("ARTIST", a.artist);
        c.setText("ALBUM", a.album);
        c.setText("ZANR", a.zanr);
        c.setText("TYP", "studiové");
        c.setInteger("ROK", a.rok);
        c.setInteger("PSTOP", a.stop);
        c.setInteger("DELKA", delka);
        c.setInteger("HODNOC", a.hodnoc);
        c.setText("ZPEV", "zpěv " + std::to_string(cislo));
        c.setText("KYTAR", "kytara");
        c.setText("ZEME", "Česko");
        c.setText("VYD_F", "Supraphon");
        c.setText("POPIS", "Album z vlastní sbírky, koupeno na koncertě.");
        c.setText("PUJ_ANONE", cislo == 3 ? "A" : "N");
        c.setText("PUJ_KOMU", cislo == 3 ? "Pavel" : "");
        c.setInteger("CENA", 299 + cislo);
        c.post();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    snimky::offscreen();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Lorvika 1"));
    const QString out = QString::fromLocal8Bit(argv[1]);
    lorvika::QtMessages zpravy;
    lorvika::QtDialogs dialogy;
    lorvika::RegistrFormularu registr;
    lorvika::registrujTFViewCD(registr);
    lorvika::registrujTFPrycCD(registr);
    std::optional<lorvika::SluzbyHlavnihoOkna> s = snimky::sluzby(zpravy, dialogy, registr);
    if (!s) return 1;
    auto okno = std::make_unique<lorvika::TForm1>(std::move(*s));
    snimky::spust(*okno);
    snimky::zpracuj(5);
    naplnKatalog(*okno);
    if (okno->FMaxim()) okno->MFMaximClick();  // the window at its own size first

    bool ok = true;
    auto* f = dynamic_cast<lorvika::TFViewCD*>(okno->otevriFormular(QStringLiteral("FViewCD")));
    if (!f) return 1;
    f->okno()->resize(f->okno()->minimumSizeHint().expandedTo(QSize(640, 440)));
    okno->resize(f->okno()->size() + QSize(40, 120));
    snimky::zpracuj(5);
    f->dalsi();
    const char* stranky[] = {"prohlizec-hlavni", "prohlizec-vedlejsi", "prohlizec-seznam"};
    for (int i = 0; i < 3; ++i) {
        f->PageC->setCurrentIndex(i);
        snimky::zpracuj(5);
        ok &= snimky::uloz(*okno,
                           out + u'/' + QString::fromLatin1(stranky[i]) + QStringLiteral(".png"));
    }
    // Maximized in a 1920 x 1080 frame.
    okno->MFMaximClick();
    okno->resize(1920, 1080);
    f->okno()->showMaximized();
    snimky::zpracuj(5);
    f->PageC->setCurrentIndex(0);
    snimky::zpracuj(5);
    ok &= snimky::uloz(*okno, out + QStringLiteral("/prohlizec-1920-hlavni.png"));
    f->PageC->setCurrentIndex(2);
    snimky::zpracuj(5);
    ok &= snimky::uloz(*okno, out + QStringLiteral("/prohlizec-1920-seznam.png"));

    // The preview of report 2 as the window opens it, grabbed instead of waiting for the user.
    f->nahled = [&ok, &out](QPrinter& printer, const std::function<void(QPrinter*)>& kresli) {
        QPrintPreviewDialog dlg(&printer);
        dlg.setWindowTitle(printer.docName());
        QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                         [&kresli](QPrinter* p) { kresli(p); });
        dlg.resize(900, 1000);
        dlg.show();
        snimky::zpracuj(5);
        ok &= snimky::uloz(dlg, out + QStringLiteral("/prohlizec-nahled.png"));
    };
    f->MT2Prev->trigger();
    snimky::zpracuj(5);
    f->zavri();
    snimky::zpracuj(5);

    auto* p = dynamic_cast<lorvika::TFPrycCD*>(okno->otevriFormular(QStringLiteral("FPrycCD")));
    if (!p) return 1;
    snimky::zpracuj(5);
    ok &= snimky::uloz(*okno, out + QStringLiteral("/odstraneni.png"));
    okno->close();
    return ok ? 0 : 1;
}
