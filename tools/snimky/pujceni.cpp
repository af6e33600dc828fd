// Pictures of the lending window, the selection-list editor and the about box, grabbed offscreen
// on a small catalogue with lent and overdue albums ("today" is 8.12.2026): the lending tab of a
// lent album and of one being lent, the overview with all albums and with the overdue list, at
// the window's smallest size, at 1024 x 768 and at 1920 x 1080.
// Usage: lorvika-pujceni-snimky OUTDIR   (LORVIKA_HOME names a fresh program directory)
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "Snimky.h"
#include "about/TFAbout.h"
#include "app/Aplikace.h"
#include "app/QtSluzby.h"
#include "app/TForm1.h"
#include "lending/TFPujCD.h"
#include "lists/TFKonfVyb.h"
#include "store/Catalogue.h"

namespace {

struct Album {
    int cislo;
    const char* artist;
    const char* album;
    const char* zanr;
    int rok;
    const char* komu;
    lorvika::dbf::Date dokdy;
    int kolik;
};

void naplnKatalog(lorvika::TForm1& okno) {
    const Album alba[] = {
        {1, "Olympic", "Pták Rosomák", "ROCK", 1986, "Jana Nováková", {2026, 12, 20}, 3},
        {2, "Čechomor", "Proměny", "FOLK", 2001, "bratr", {2026, 11, 30}, 1},
        {3, "Hana Hegerová", "Recitál", "POP", 1966, nullptr, {}, 2},
        {4, "Karel Kryl", "Bratříčku, zavírej vrátka", "FOLK", 1969, "švagr", {2026, 12, 8}, 5},
        {5, "Pražský výběr", "Straka v hrsti", "ROCK", 1981, nullptr, {}, 0},
        {6, "Jaroslav Ježek", "Bugatti Step", "JAZZ", 1933, "sestra", {2026, 10, 2}, 2},
    };
    lorvika::dbf::Cursor& c = *okno.session().TData();
    lorvika::dbf::Cursor& t = *okno.session().TSkladby();
    for (const Album& a : alba) {
        c.append();
        c.setInteger("CISLO", a.cislo);
        c.setText("ARTIST", a.artist);
        c.setText("ALBUM", a.album);
        c.setText("ZANR", a.zanr);
        c.setText("TYP", "VÝBĚR");
        c.setInteger("ROK", a.rok);
        c.setInteger("DELKA", 2400 + 97 * a.cislo);
        c.setInteger("PSTOP", 10);
        c.setText("ZEME", "ČR");
        c.setText("VYD_F", "SUPRAPHON");
        if (a.kolik) c.setInteger("PUJ_KOLIK", a.kolik);
        if (a.komu) {
            c.setText("PUJ_ANONE", "A");
            c.setText("PUJ_KOMU", a.komu);
            c.setDate("PUJ_DOKDY", a.dokdy);
        } else if (a.kolik) {
            c.setText("PUJ_ANONE", "N");
        }
        c.post();
        for (int i = 1; i <= 10; ++i) {
            t.append();
            t.setInteger("CD", a.cislo);
            t.setInteger("CISLO", i);
            t.setText("NAME", "Skladba " + std::to_string(i));
            t.setInteger("DELKA", 180 + i);
            t.post();
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    snimky::offscreen();
    lorvika::Aplikace app(argc, argv);
    const QString out = snimky::slozka(argv[1]);
    lorvika::QtMessages zpravy;
    zpravy.pipni = [](lorvika::Sound) {};
    lorvika::QtDialogs dialogy;
    lorvika::RegistrFormularu registr;
    lorvika::registrujTFPujCD(registr);
    lorvika::registrujTFKonfVyb(registr);
    lorvika::registrujTFAbout(registr);
    std::optional<lorvika::SluzbyHlavnihoOkna> s = snimky::sluzby(zpravy, dialogy, registr);
    if (!s) return 1;
    s->dnes = [] { return QDate(2026, 12, 8); };
    auto okno = std::make_unique<lorvika::TForm1>(std::move(*s));
    zpravy.setHlavni(okno.get());
    dialogy.setParent(okno.get());
    snimky::spust(*okno);
    snimky::zpracuj();
    naplnKatalog(*okno);
    bool ok = true;

    const QSize velikosti[] = {okno->minimumSize(), QSize(1024, 768), QSize(1920, 1080)};
    for (const QSize& v : velikosti) {
        const QString rozmer = QStringLiteral("%1x%2").arg(v.width()).arg(v.height());
        okno->resize(v);
        snimky::zpracuj();
        auto* f = dynamic_cast<lorvika::TFPujCD*>(okno->otevriFormular(QStringLiteral("FPujCD")));
        if (!f) return 1;
        snimky::zpracuj();
        lorvika::NajdiCD(2, "cislo", *f->TData);  // overdue
        f->Aktualizuj();
        snimky::zpracuj();
        ok &= snimky::uloz(okno->grab(),
                           out + QStringLiteral("/pujceni-po-terminu-%1.png").arg(rozmer));
        lorvika::NajdiCD(5, "cislo", *f->TData);  // never lent: being lent now
        f->Aktualizuj();
        f->Button2Click();
        f->Edit7->setText(QStringLiteral("14"));
        f->Edit7Exit();
        snimky::zpracuj();
        ok &= snimky::uloz(okno->grab(), out + QStringLiteral("/pujceni-nove-%1.png").arg(rozmer));
        f->PMZal1Click();
        snimky::zpracuj();
        ok &=
            snimky::uloz(okno->grab(), out + QStringLiteral("/prehled-vsechny-%1.png").arg(rozmer));
        f->setRadioGroup1Index(2);
        snimky::zpracuj();
        ok &= snimky::uloz(okno->grab(),
                           out + QStringLiteral("/prehled-po-terminu-%1.png").arg(rozmer));
        f->zavri();
        snimky::zpracuj();
    }

    okno->resize(1024, 768);
    snimky::zpracuj();
    {
        lorvika::TFKonfVyb d(okno.get());
        d.FormCreate();
        d.Button4Click();
        d.show();
        snimky::zpracuj();
        ok &= snimky::uloz(d.grab(), out + QStringLiteral("/vyberove-polozky.png"));
        d.PageControl1->setCurrentIndex(4);
        d.Button4Click();
        d.ListBox[4]->setCurrentRow(2);
        snimky::zpracuj();
        ok &= snimky::uloz(d.grab(), out + QStringLiteral("/vyberove-polozky-komu.png"));
        d.close();
    }
    {
        lorvika::TFAbout d(okno.get());
        d.FormCreate();
        d.show();
        snimky::zpracuj();
        ok &= snimky::uloz(d.grab(), out + QStringLiteral("/about.png"));
        d.close();
    }
    okno->close();
    snimky::zpracuj();
    return ok ? 0 : 1;
}
