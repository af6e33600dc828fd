// Pictures of the main window for the documentation, grabbed offscreen: the navigator and the
// new album window at the smallest size, at 1024 x 768 and maximized on a 1920 x 1080 screen,
// each main menu open and the backup settings dialog.
// With a disc image, also the new album window's data and tracks pages and a drop-down list.
// Usage: lorvika-snimky OUTDIR [IMAGE.cue]   (LORVIKA_HOME names a fresh program directory)
#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryFile>
#include <cstdio>
#include <memory>

#include "Snimky.h"
#include "app/Aplikace.h"
#include "app/QtSluzby.h"
#include "app/TFKonfZaloh.h"
#include "app/TFVychozi.h"
#include "app/TForm1.h"
#ifdef LORVIKA_SNIMKY_NOVECD
#include "albums/TFNewCD.h"
#endif

namespace {

// The window with a popup (a menu, a drop-down list) drawn over it where it pops up.
QPixmap sPopupem(QWidget& okno, QWidget* popup) {
    QPixmap obraz = okno.grab();
    QPainter p(&obraz);
    p.drawPixmap(okno.mapFromGlobal(popup->pos()), popup->grab());
    return obraz;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTDIR [IMAGE.cue]\n", argv[0]);
        return 2;
    }
    const QString obraz = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    // An offscreen screen of 1920 x 1080, so that the main window can be maximized on it.
    QTemporaryFile obrazovka(QDir::tempPath() + QStringLiteral("/lorvika-obrazovka-XXXXXX.json"));
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && obrazovka.open()) {
        obrazovka.write(R"({"screens":[{"name":"snimky","x":0,"y":0,"width":1920,"height":1080,)"
                        R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
        obrazovka.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + obrazovka.fileName().toLocal8Bit());
    }
    lorvika::Aplikace app(argc, argv);
    const QString out = snimky::slozka(argv[1]);
    lorvika::QtMessages zpravy;
    lorvika::QtDialogs dialogy;
    lorvika::RegistrFormularu registr;
#ifdef LORVIKA_SNIMKY_NOVECD
    lorvika::registrujTFNewCD(registr);
#endif
    std::optional<lorvika::SluzbyHlavnihoOkna> s = snimky::sluzby(zpravy, dialogy, registr);
    if (!s) return 1;
    auto okno = std::make_unique<lorvika::TForm1>(std::move(*s));
    zpravy.setHlavni(okno.get());
    dialogy.setParent(okno.get());
    snimky::spust(*okno);
    snimky::zpracuj();
    bool ok = true;

    const QSize velikosti[] = {okno->minimumSize(), QSize(1024, 768), QSize()};
    for (const QSize& v : velikosti) {
        if (v.isValid()) {
            okno->showNormal();
            okno->resize(v);
        } else {
            okno->showMaximized();
        }
        snimky::zpracuj();
        const QString rozmer =
            v.isValid()
                ? QStringLiteral("%1x%2").arg(v.width()).arg(v.height())
                : QStringLiteral("maximalizovane-%1x%2").arg(okno->width()).arg(okno->height());
        okno->vytvorNavigator();
        snimky::zpracuj();
        ok &= snimky::uloz(okno->grab(), out + QStringLiteral("/navigator-%1.png").arg(rozmer));
#ifdef LORVIKA_SNIMKY_NOVECD
        if (auto* f =
                dynamic_cast<lorvika::TFNewCD*>(okno->otevriFormular(QStringLiteral("FNewCD")))) {
            snimky::zpracuj();
            ok &= snimky::uloz(okno->grab(), out + QStringLiteral("/nove-cd-%1.png").arg(rozmer));
            // With a disc image: its data and tracks pages, and a drop-down list open.
            if (!obraz.isEmpty()) {
                try {
                    f->prehravac().open(obraz.toStdString());
                    f->BN->click();
                    snimky::zpracuj();
                    f->BCDText->click();
                    f->CBHodnoceni->setCurrentIndex(2);
                    snimky::zpracuj();
                    ok &= snimky::uloz(okno->grab(),
                                       out + QStringLiteral("/nove-cd-data-%1.png").arg(rozmer));
                    f->CBHodnoceni->showPopup();
                    snimky::zpracuj();
                    ok &=
                        snimky::uloz(sPopupem(*okno, f->CBHodnoceni->view()->window()),
                                     out + QStringLiteral("/nove-cd-hodnoceni-%1.png").arg(rozmer));
                    f->CBHodnoceni->hidePopup();
                    f->PageC->setCurrentIndex(2);
                    snimky::zpracuj();
                    ok &= snimky::uloz(okno->grab(),
                                       out + QStringLiteral("/nove-cd-skladby-%1.png").arg(rozmer));
                } catch (const std::exception& e) {
                    std::fprintf(stderr, "%s\n", e.what());
                    ok = false;
                }
            }
            f->zavri();
            snimky::zpracuj();
        }
#endif
    }

    // Each main menu open, drawn over the window where it pops up.
    okno->showNormal();
    okno->resize(1024, 768);
    okno->vytvorNavigator();
    snimky::zpracuj();
    for (const char* jmeno : {"databaze", "MKonfig", "MForm", "mInfo"}) {
        QMenu* m = okno->menu(QString::fromUtf8(jmeno));
        if (!m || !m->menuAction()->isVisible()) continue;
        const QRect misto = okno->menuBar()->actionGeometry(m->menuAction());
        m->popup(okno->menuBar()->mapToGlobal(misto.bottomLeft()));
        snimky::zpracuj();
        const QPixmap snimek = sPopupem(*okno, m);
        m->hide();
        ok &= snimky::uloz(snimek,
                           out + QStringLiteral("/menu-%1.png").arg(QString::fromUtf8(jmeno)));
    }

    lorvika::TFKonfZaloh d(okno.get());
    d.FormCreate();
    d.show();
    snimky::zpracuj();
    ok &= snimky::uloz(d.grab(), out + QStringLiteral("/zalohovani.png"));
    d.close();
    okno->close();
    snimky::zpracuj();
    return ok ? 0 : 1;
}
