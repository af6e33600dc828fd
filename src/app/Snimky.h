#pragma once

#include <QString>

namespace lorvika {

class TForm1;

// For tools/screenshots.sh: shows the main window, each main menu open and the backup dialog
// one after another and takes a picture of the whole screen of each (ImageMagick "import"),
// into the directory given; then ends the program.
void poridSnimky(TForm1& hlavni, const QString& adresar);

}  // namespace lorvika
