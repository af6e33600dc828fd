// Pictures of the main window for the documentation, grabbed offscreen: the navigator and the
// new album window at the smallest size, at 1024 x 768 and at 1920 x 1080, each main menu open
// and the backup settings dialog.
// Usage: lorvika-snimky OUTDIR   (LORVIKA_HOME names a fresh program directory)
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "app/Aplikace.h"
#include "app/QtSluzby.h"
#include "app/TFKonfZaloh.h"
#include "app/TFVychozi.h"
#include "app/TForm1.h"
#ifdef LORVIKA_SNIMKY_NOVECD
#include "albums/TFNewCD.h"
#endif

namespace {

void zpracuj() {
    for (int i = 0; i < 6; ++i) QCoreApplication::processEvents();
}

bool uloz(const QPixmap& p, const QString& soubor) {
    if (p.save(soubor)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(soubor));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    lorvika::Aplikace app(argc, argv);
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);
    lorvika::QtMessages zpravy;
    lorvika::QtDialogs dialogy;
    lorvika::RegistrFormularu registr;
#ifdef LORVIKA_SNIMKY_NOVECD
    lorvika::registrujTFNewCD(registr);
#endif
    lorvika::SluzbyHlavnihoOkna s = lorvika::Aplikace::sluzbyProgramu(zpravy, dialogy, registr, {});
    s.uvodniObrazek = false;
    if (!lorvika::Aplikace::testStroje(s.cesty.engineConfig, zpravy)) return 1;
    auto okno = std::make_unique<lorvika::TForm1>(std::move(s));
    zpravy.setHlavni(okno.get());
    dialogy.setParent(okno.get());
    okno->vytvorNavigator();
    okno->show();
    okno->FormActivate();
    zpracuj();
    bool ok = true;

    const QSize velikosti[] = {okno->minimumSize(), QSize(1024, 768), QSize(1920, 1080)};
    for (const QSize& v : velikosti) {
        const QString rozmer = QStringLiteral("%1x%2").arg(v.width()).arg(v.height());
        okno->resize(v);
        zpracuj();
        okno->vytvorNavigator();
        zpracuj();
        ok &= uloz(okno->grab(), out + QStringLiteral("/navigator-%1.png").arg(rozmer));
#ifdef LORVIKA_SNIMKY_NOVECD
        if (lorvika::TFVychozi* f = okno->otevriFormular(QStringLiteral("FNewCD"))) {
            zpracuj();
            ok &= uloz(okno->grab(), out + QStringLiteral("/nove-cd-%1.png").arg(rozmer));
            f->zavri();
            zpracuj();
        }
#endif
    }

    // Each main menu open, drawn over the window where it pops up.
    okno->resize(1024, 768);
    okno->vytvorNavigator();
    zpracuj();
    for (const char* jmeno : {"databaze", "MKonfig", "MForm", "mInfo"}) {
        QMenu* m = okno->menu(QString::fromUtf8(jmeno));
        if (!m || !m->menuAction()->isVisible()) continue;
        const QRect misto = okno->menuBar()->actionGeometry(m->menuAction());
        m->popup(okno->menuBar()->mapToGlobal(misto.bottomLeft()));
        zpracuj();
        QPixmap obraz = okno->grab();
        {
            QPainter p(&obraz);
            p.drawPixmap(okno->mapFromGlobal(m->pos()), m->grab());
        }
        m->hide();
        ok &= uloz(obraz, out + QStringLiteral("/menu-%1.png").arg(QString::fromUtf8(jmeno)));
    }

    lorvika::TFKonfZaloh d(okno.get());
    d.FormCreate();
    d.show();
    zpracuj();
    ok &= uloz(d.grab(), out + QStringLiteral("/zalohovani.png"));
    d.close();
    okno->close();
    zpracuj();
    return ok ? 0 : 1;
}
