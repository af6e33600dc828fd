#pragma once

#include <QAction>
#include <QDate>
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "app/Proporce.h"
#include "app/RegistrFormularu.h"
#include "store/DatabaseSession.h"
#include "store/Messages.h"

class QMdiSubWindow;

namespace lorvika {

class TFVychozi;
class TFNavig;

// What the main window is given by the program entry (tests give fakes).
struct SluzbyHlavnihoOkna {
    Messages* zpravy = nullptr;
    Dialogs* dialogy = nullptr;
    const RegistrFormularu* registr = nullptr;
    SessionPaths cesty;
    QStringList argumenty;      // command-line arguments without the program name
    bool uvodniObrazek = true;  // the start picture
    // An installed program is in the applications menu already: "-setup" offers nothing.
    bool instalovany = false;
    std::function<QDate()> dnes;  // today; the system date when empty
    // The zip engine; without it no backup runs and no restore is offered.
    std::function<bool(const std::string&adresar, std::string&chyba,
                       const std::function<void(int)>&postup)>
        zipZalohuj, zipRozbal;
    // Keeps the original tables in a new archive before their conversion (Archive::uschovej);
    // without it no old database is converted.
    std::function<bool(const std::string& adresar, const std::string& archiv)> zipUschovej;
    // Rewrites the companion player's text files of all albums; the item is disabled without it.
    std::function<void(dbf::Cursor& alba, dbf::Cursor& skladby, const std::string& adresarTXT,
                       const std::function<void(const std::string&)>& stavovyText)>
        obnovaTxt;
    // After each opening: the files of albums that lack one; nothing is checked without it.
    DatabaseSession::DoplneniTxt doplnTxt;
};

// The frame of the program: menus, status bar, the open database and the child windows.
class TForm1 : public QMainWindow, public StatusLine, public Archive {
    Q_OBJECT
  public:
    explicit TForm1(SluzbyHlavnihoOkna sluzby, QWidget* parent = nullptr);
    ~TForm1() override;

    // Program entry after creation: the navigator.
    void vytvorNavigator();

    DatabaseSession& session() { return *session_; }
    Messages& zpravy() { return *sluzby_.zpravy; }
    const SessionPaths& cesty() const { return sluzby_.cesty; }
    const std::string& ini() const { return sluzby_.cesty.iniFile; }
    // Today: the clock the program was given (tests set it), else the system date.
    QDate dnes() const { return sluzby_.dnes ? sluzby_.dnes() : QDate::currentDate(); }

    bool FMaxim() const { return fmaxim_; }
    bool zavira() const { return zavira_; }
    void OznacCD(long long cislo) { oznaceny_ = cislo; }
    // The marked album number, 0 when none.
    long long OznacenyCD() const { return oznaceny_; }

    // Status bar.
    void StavovyText(const QString& text);
    void PocetCD(int mode, std::size_t count);
    QString textPanelu(int panel) const;  // 1 .. 5
    QString napovedaPanelu(int panel) const;
    bool panelJeMerak() const;
    int hodnotaMeraku() const;
    void obnovZamky();

    // StatusLine
    void stavovyText(const std::string& text) override {
        StavovyText(QString::fromStdString(text));
    }
    void pocetCD(int mode, std::size_t count) override { PocetCD(mode, count); }
    void ukazatel(const std::string& text, int percent) override;
    void ukazatelKonec() override;

    // Archive (used by the session's automatic backup and by the backup settings).
    bool zalohuj(const std::string& directory) override;
    bool rozbal(const std::string& directory) override;
    bool uschovej(const std::string& directory, const std::string& archiveName) override;
    bool Zalohuj();
    bool Rozbal();
    bool maArchiv() const { return static_cast<bool>(sluzby_.zipZalohuj); }
    void ObnovaTxt();

    // Child windows.
    QMdiArea* mdi() const { return mdi_; }
    QList<TFVychozi*> formulare() const;  // in creation order
    TFVychozi* aktivniFormular() const;
    int JeSpustenForm(const QString& name) const;
    bool jeRegistrovan(const QString& name) const;
    // Opens a child window by name, or activates it when it is open. Returns it.
    TFVychozi* otevriFormular(const QString& name);
    // Places a created form into the frame and runs its creation step.
    TFVychozi* pridejFormular(std::unique_ptr<TFVychozi> form);
    // Runs a registered dialog modally.
    void spustDialog(const QString& name);
    void ObnovaFormularu(int code);
    void AktivujAktivni();
    // which: 1 album table, 2 track table, 0 both.
    void ZavriOtevriTabulky(bool zavrit, int which);
    void ZobrazHlavni(bool visible);
    void MFMaximClick();

    // Called by a data form that closes (it hands over to the others or to a new navigator).
    void formularSeZavira(TFVychozi* form);

    // Main window's own steps.
    void FormActivate();
    QAction* akce(const QString& name) const;
    QMenu* menu(const QString& name) const;
    const Proporce& proporce() const { return proporce_; }

  signals:
    void formularAktivovan(TFVychozi* form);

  protected:
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void vytvorMenu();
    void vytvorStavovyRadek();
    QAction* pridejAkci(QMenu* menu, const QString& caption, const QString& name,
                        const QString& hint, const QKeySequence& key = {});
    QMenu* pridejMenu(QMenu* parent, const QString& caption, const QString& name,
                      const QString& hint);
    void databazeAboutToShow();
    void formulareAboutToShow();
    void obnovPredchozi();
    void obnovTitulek();
    void aktivaceOkna(QMdiSubWindow* okno);
    void nabidniZastupce();
    void konfigZalohovani();
    bool provedArchiv(bool obnova);

    SluzbyHlavnihoOkna sluzby_;
    std::unique_ptr<DatabaseSession> session_;
    QMdiArea* mdi_ = nullptr;
    QHash<QString, QAction*> akce_;
    QHash<QString, QMenu*> menu_;
    QList<QAction*> oknaVMenu_;
    QLabel* panely_[5] = {};
    QStackedWidget* panel5_ = nullptr;
    QProgressBar* merak_ = nullptr;
    QTimer zamky_;
    Proporce proporce_{QSize(632, 430)};
    bool fmaxim_ = true;
    bool zavira_ = false;
    bool aktivovano_ = false;
    long long oznaceny_ = 0;
    QPointer<QMdiSubWindow> posledniAktivni_;
    QList<QPointer<QMdiSubWindow>> historie_;
    QString titulek_;  // the caption: the program and its database  // activation order, most
                       // recent last
};

}  // namespace lorvika
