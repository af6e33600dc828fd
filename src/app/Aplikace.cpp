#include "app/Aplikace.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include "export/Sonorek.h"
#include "export/Zaloha.h"
#include "store/Ini.h"
#include "store/LangDriver.h"
#include "store/Paths.h"
#include "store/Verze.h"

namespace lorvika {

Aplikace::Aplikace(int& argc, char** argv) : QApplication(argc, argv) {
    // The task list shows "Lorvika 1" through the desktop entry; a display name would be
    // appended to every window title by the window system.
    setApplicationName(QStringLiteral("Lorvika 1"));
    // An installed program is matched to its desktop entry; a copy run from its folder to the
    // menu entry "-setup" writes.
    setDesktopFileName(isInstalledProgram() ? QString::fromLatin1(verze::kIdAplikace)
                                            : QStringLiteral("lorvika-lorvika"));
    setWindowIcon(ikonaProgramu());
    nactiPreklady();
    setApplicationVersion(QString::fromLatin1(verze::kVerzeProduktu));
}

Aplikace::~Aplikace() = default;

QIcon Aplikace::ikonaProgramu() {
    const QString id = QString::fromLatin1(verze::kIdAplikace);
    QIcon nahradni;
    const QString bin = QCoreApplication::applicationDirPath();
    const QString hicolor = QDir::cleanPath(bin + QStringLiteral("/../share/icons/hicolor"));
    for (const int s : {16, 32, 48, 64, 128, 256}) {
        const QString png =
            QStringLiteral("%1/%2x%2/apps/%3.png").arg(hicolor, QString::number(s), id);
        if (QFileInfo::exists(png)) nahradni.addFile(png, QSize(s, s));
    }
    if (nahradni.isNull()) {
        for (const int s : {16, 32, 48, 64, 128, 256})
            nahradni.addFile(QStringLiteral(":/lorvika/ikona/%1").arg(s), QSize(s, s));
    }
    return QIcon::fromTheme(id, nahradni);
}

bool Aplikace::nactiPreklady() {
    // Qt's own dialogs (files, folders, standard buttons) speak Czech like the rest.
    auto* qt = new QTranslator(this);
    if (!qt->load(QLocale(QLocale::Czech, QLocale::CzechRepublic), QStringLiteral("qtbase"),
                  QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    installTranslator(qt);
    return true;
}

namespace {

bool spustZip(bool obnova, const std::string& adresar, std::string& chyba,
              const std::function<void(int)>& postup) {
    ZalohaRizeni rizeni;
    rizeni.postup = [&postup](const ZipProgress&, int procenta) {
        if (postup) postup(procenta);
    };
    const VysledekZalohy v = obnova ? Rozbal(adresar, rizeni) : Zalohuj(adresar, rizeni);
    chyba = v.chyba;
    return v.ok;
}

}  // namespace

SluzbyHlavnihoOkna Aplikace::sluzbyProgramu(Messages& zpravy, Dialogs& dialogy,
                                            const RegistrFormularu& registr,
                                            const QStringList& argumenty) {
    SluzbyHlavnihoOkna s;
    s.zpravy = &zpravy;
    s.dialogy = &dialogy;
    s.registr = &registr;
    s.cesty = SessionPaths::inDirectory(programDirectory());
    s.argumenty = argumenty;
    s.instalovany = isInstalledProgram();
    s.zipZalohuj = [](const std::string& a, std::string& ch, const std::function<void(int)>& p) {
        return spustZip(false, a, ch, p);
    };
    s.zipRozbal = [](const std::string& a, std::string& ch, const std::function<void(int)>& p) {
        return spustZip(true, a, ch, p);
    };
    s.zipUschovej = [](const std::string& a, const std::string& archiv) {
        return Uschovej(a, archiv);
    };
    s.obnovaTxt = [](dbf::Cursor& alba, dbf::Cursor& skladby, const std::string& txt,
                     const std::function<void(const std::string&)>& stav) {
        ObnovaTxt(alba, skladby, txt, stav);
    };
    s.doplnTxt = &DoplnTxt;
    return s;
}

bool Aplikace::testStroje(const std::string& konfigurace, Messages& zpravy) {
    // The engine is built in: a missing configuration is written with its defaults; only one
    // that cannot be written means the engine is unusable, and the reason is shown with it.
    std::string duvod;
    try {
        ZajistiKonfiguraciStroje(konfigurace);
    } catch (const std::exception& e) {
        duvod = std::string("\r\n") + e.what();
    }
    if (JeStrojInstalovan(konfigurace)) return true;
    zpravy.zobrazSPipnutim(
        "Program nelze spustit,\r\nnení instalována potřebná databázová podpora - BDE.\r\n"
        "Možné stažení viz " LORVIKA_WEB "." +
            duvod,
        MsgKind::Warning, kButtonsOK);
    return false;
}

int Aplikace::spust() {
    QStringList argumenty = arguments();
    argumenty.removeFirst();
    SluzbyHlavnihoOkna s = sluzbyProgramu(zpravy_, dialogy_, registr_, argumenty);
    if (!testStroje(s.cesty.engineConfig, zpravy_)) return 1;
    hlavni_ = std::make_unique<TForm1>(std::move(s));
    zpravy_.setHlavni(hlavni_.get());
    dialogy_.setParent(hlavni_.get());
    hlavni_->vytvorNavigator();
    hlavni_->show();
    QObject::connect(this, &QApplication::lastWindowClosed, this, &QApplication::quit);
    const int r = exec();
    hlavni_.reset();
    return r;
}

void Aplikace::zobrazChybu(const std::exception& e) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    QString::fromUtf8(e.what()), QMessageBox::NoButton, activeWindow());
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QApplication::beep();
    box.exec();
}

bool Aplikace::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        zobrazChybu(e);
    } catch (...) {
        zobrazChybu(std::runtime_error("Neočekávaná chyba programu"));
    }
    return false;
}

}  // namespace lorvika
