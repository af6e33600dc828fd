// Pictures of the album edit window on both pages at 1000 x 700 and maximized at 1920 x 1080,
// and of the disc choice dialog, on a small catalogue made here.
// Usage: lorvika-editcd-snimky OUTDIR   (LORVIKA_HOME names a fresh program directory)
#include <QApplication>
#include <QMdiSubWindow>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "Snimky.h"
#include "albums/TFEditCD.h"
#include "albums/TFVyberCD.h"
#include "app/Aplikace.h"
#include "app/QtSluzby.h"
#include "app/TForm1.h"
#include "disc/FakeCdDevice.h"

namespace {

void naplnKatalog(lorvika::TForm1& okno) {
    lorvika::dbf::Cursor& alba = *okno.session().TData();
    lorvika::dbf::Cursor& skladby = *okno.session().TSkladby();
    const char* const nazvy[] = {"Úvod",        "Píseň o řece", "Čtvrtá hodina", "Žluťoučký kůň",
                                 "Ďáblova noc", "Ťapky",        "Návrat domů"};
    alba.append();
    alba.setInteger("CISLO", 1);
    alba.setText("ARTIST", "Hradní kapela");
    alba.setText("ALBUM", "Zkušební deska");
    alba.setText("ZANR", "folk");
    alba.setText("TYP", "studiové");
    alba.setText("ZEME", "Česko");
    alba.setText("VYD_F", "Vlastní náklad");
    alba.setText("VYD_P", "Jan Novák");
    alba.setText("ZPEV", "Marie Dvořáková");
    alba.setText("KYTAR", "Petr Černý");
    alba.setText("POPIS", "Nahráno v sále Besedy");
    alba.setInteger("ROK", 1999);
    alba.setInteger("CENA", 299);
    alba.setInteger("HODNOC", 4);
    alba.setInteger("PSTOP", 7);
    alba.setText("SN", "7-1722-2A1B3C4D");
    int delka = 0;
    int t = 0;
    for (const char* n : nazvy) {
        ++t;
        skladby.append();
        skladby.setInteger("CD", 1);
        skladby.setInteger("CISLO", t);
        skladby.setText("NAME", n);
        skladby.setText("ARTIST", t == 3 ? "host: Karel Malý" : "");
        skladby.setText("TYP", t == 6 ? "instrumentálka" : "píseň");
        skladby.setInteger("DELKA", 150 + 17 * t);
        delka += 150 + 17 * t;
        skladby.post();
    }
    alba.setInteger("DELKA", delka);
    alba.post();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Lorvika 1"));
    const QString out = QString::fromLocal8Bit(argv[1]);
    lorvika::QtMessages zpravy;
    lorvika::QtDialogs dialogy;
    lorvika::RegistrFormularu registr;
    lorvika::registrujTFEditCD(registr);
    std::optional<lorvika::SluzbyHlavnihoOkna> s = snimky::sluzby(zpravy, dialogy, registr);
    if (!s) return 1;
    auto okno = std::make_unique<lorvika::TForm1>(std::move(*s));
    snimky::spust(*okno, QSize(1000, 700));
    snimky::zpracuj();
    naplnKatalog(*okno);
    if (okno->FMaxim()) okno->MFMaximClick();  // a window of its own size first
    auto* f = dynamic_cast<lorvika::TFEditCD*>(okno->otevriFormular(QStringLiteral("FEditCD")));
    if (!f) return 1;
    snimky::zpracuj();
    bool ok = snimky::uloz(okno->grab(), out + QStringLiteral("/editcd-data.png"));
    f->PageC->setCurrentIndex(1);
    snimky::zpracuj();
    ok &= snimky::uloz(okno->grab(), out + QStringLiteral("/editcd-skladby.png"));

    okno->resize(1920, 1080);
    okno->MFMaximClick();
    snimky::zpracuj();
    f->PageC->setCurrentIndex(0);
    snimky::zpracuj();
    ok &= snimky::uloz(okno->grab(), out + QStringLiteral("/editcd-data-1920.png"));
    f->PageC->setCurrentIndex(1);
    snimky::zpracuj();
    ok &= snimky::uloz(okno->grab(), out + QStringLiteral("/editcd-skladby-1920.png"));

    auto dev = std::make_unique<lorvika::FakeCdDevice>();
    dev->drives["/dev/sr0"] = lorvika::FakeDrive{};
    std::vector<lorvika::DriveEntry> jednotky{
        {lorvika::DriveEntry::Kind::CdDrive, "/dev/sr0", "/dev/sr0"},
        {lorvika::DriveEntry::Kind::FileSystem, "/", "/"},
        {lorvika::DriveEntry::Kind::Image, "", lorvika::kDiscImageEntry}};
    lorvika::TFVyberCD dialog(okno.get(), std::move(dev), std::move(jednotky), okno.get());
    dialog.FormCreate();
    dialog.show();
    snimky::zpracuj();
    ok &= snimky::uloz(dialog.grab(), out + QStringLiteral("/vybercd.png"));
    dialog.close();
    okno->close();
    return ok ? 0 : 1;
}
