// Pictures of the new album window on each page, with a disc read from an image.
// Usage: lorvika-novecd-snimky OUTDIR IMAGE.cue   (LORVIKA_HOME names a fresh program directory)
#include <QApplication>
#include <QDate>
#include <QMdiSubWindow>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "Snimky.h"
#include "albums/TFNewCD.h"
#include "app/Aplikace.h"
#include "app/QtSluzby.h"
#include "app/TForm1.h"
#include "disc/LibcdioDevice.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTDIR IMAGE.cue\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Lorvika 1"));
    const QString out = QString::fromLocal8Bit(argv[1]);
    lorvika::QtMessages zpravy;
    lorvika::QtDialogs dialogy;
    lorvika::RegistrFormularu registr;
    lorvika::registrujTFNewCD(registr);
    std::optional<lorvika::SluzbyHlavnihoOkna> s = snimky::sluzby(zpravy, dialogy, registr);
    if (!s) return 1;
    auto okno = std::make_unique<lorvika::TForm1>(std::move(*s));
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
    okno->grab().save(out + QStringLiteral("/novecd-nacteni.png"));
    f->BN->click();
    snimky::zpracuj(4);
    f->BCDText->click();
    f->ERok->setText(QStringLiteral("1999"));
    f->CBHodnoceni->setCurrentText(QStringLiteral("DOBRÉ"));
    snimky::zpracuj(4);
    okno->grab().save(out + QStringLiteral("/novecd-data.png"));
    f->PageC->setCurrentIndex(2);
    snimky::zpracuj(4);
    okno->grab().save(out + QStringLiteral("/novecd-skladby.png"));
    f->CBKonec->setChecked(false);
    f->BOK->click();
    snimky::zpracuj(4);
    okno->grab().save(out + QStringLiteral("/novecd-ulozeno.png"));
    okno->close();
    return 0;
}
