#pragma once

#include <QApplication>
#include <memory>

#include "app/QtSluzby.h"
#include "app/RegistrFormularu.h"
#include "app/TForm1.h"

namespace lorvika {

// The program: application title, the engine presence test, the main window with the
// navigator, the event loop and the default error display.
class Aplikace : public QApplication {
    Q_OBJECT
  public:
    Aplikace(int& argc, char** argv);
    ~Aplikace() override;

    // Filled by the program entry before spust().
    RegistrFormularu& registr() { return registr_; }
    // The services as the program runs them (Qt dialogs, zip archive, text files).
    static SluzbyHlavnihoOkna sluzbyProgramu(Messages& zpravy, Dialogs& dialogy,
                                             const RegistrFormularu& registr,
                                             const QStringList& argumenty);
    // The engine test; false after its message was shown.
    static bool testStroje(const std::string& konfigurace, Messages& zpravy);
    int spust();
    // The program's icon: the theme's under the application ID, else the PNGs installed beside
    // the program, else the copies compiled in (a copy run from its folder).
    static QIcon ikonaProgramu();
    // Qt's Czech translations (qt6-translations-l10n); false when they are not installed.
    bool nactiPreklady();

    // An exception that escapes an event handler is shown and the program carries on.
    bool notify(QObject* receiver, QEvent* event) override;
    static void zobrazChybu(const std::exception& e);

  private:
    QtMessages zpravy_;
    QtDialogs dialogy_;
    RegistrFormularu registr_;
    std::unique_ptr<TForm1> hlavni_;
};

}  // namespace lorvika
