#pragma once

// What every picture program does the same way: the offscreen platform, the output folder, the
// program's services on a fresh program directory, the main window and saving the grabs.
#include <QSize>
#include <QString>
#include <optional>

#include "app/TForm1.h"

class QPixmap;
class QWidget;

namespace snimky {

// Lets queued layout and paint events run before a grab.
void zpracuj(int kolik = 6);

// Saves the picture; a failure is printed and answered false.
bool uloz(const QPixmap& obraz, const QString& soubor);
bool uloz(QWidget& okno, const QString& soubor);

// The offscreen platform unless the caller chose one.
void offscreen();

// The output folder as an absolute path, created when missing.
QString slozka(const char* cesta);

// The program's services (the program directory from LORVIKA_HOME) without the splash picture;
// none when the machine test fails.
std::optional<lorvika::SluzbyHlavnihoOkna> sluzby(lorvika::Messages& zpravy,
                                                  lorvika::Dialogs& dialogy,
                                                  lorvika::RegistrFormularu& registr);

// The navigator, the window shown (at the given size when there is one) and activated.
void spust(lorvika::TForm1& okno, QSize velikost = {});

}  // namespace snimky
