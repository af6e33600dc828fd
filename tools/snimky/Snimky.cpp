#include "Snimky.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

#include "app/Aplikace.h"

namespace snimky {

void zpracuj(int kolik) {
    for (int i = 0; i < kolik; ++i) QCoreApplication::processEvents();
}

bool uloz(const QPixmap& obraz, const QString& soubor) {
    if (obraz.save(soubor)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(soubor));
    return false;
}

bool uloz(QWidget& okno, const QString& soubor) {
    return uloz(okno.grab(), soubor);
}

void offscreen() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

QString slozka(const char* cesta) {
    const QString out = QDir(QString::fromLocal8Bit(cesta)).absolutePath();
    QDir().mkpath(out);
    return out;
}

std::optional<lorvika::SluzbyHlavnihoOkna> sluzby(lorvika::Messages& zpravy,
                                                  lorvika::Dialogs& dialogy,
                                                  lorvika::RegistrFormularu& registr) {
    lorvika::SluzbyHlavnihoOkna s = lorvika::Aplikace::sluzbyProgramu(zpravy, dialogy, registr, {});
    s.uvodniObrazek = false;
    if (!lorvika::Aplikace::testStroje(s.cesty.engineConfig, zpravy)) return std::nullopt;
    return s;
}

void spust(lorvika::TForm1& okno, QSize velikost) {
    okno.vytvorNavigator();
    if (velikost.isValid()) okno.resize(velikost);
    okno.show();
    okno.FormActivate();
}

}  // namespace snimky
