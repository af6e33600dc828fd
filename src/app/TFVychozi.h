#pragma once

#include <QDialog>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QString>

class QAction;
class QMdiSubWindow;

namespace lorvika {

class TForm1;

// Sets a hint of the form "short|long": the long part shows in the status line, the short one
// as the tool tip.
void nastavNapovedu(QWidget* w, const QString& hint);

// An action owned by vlastnik, found by its object name, with hint for the status line; a
// non-empty key is its shortcut in the given context.
QAction* novaAkce(QObject* vlastnik, const QString& caption, const QString& name,
                  const QString& hint, const QKeySequence& key, Qt::ShortcutContext kontext);

// The base of every window of the program except the main window. It lives either as a child
// window inside the frame or as a modal dialog.
class TFVychozi : public QDialog {
    Q_OBJECT
  public:
    TFVychozi(TForm1* hlavni, const QString& jmeno, QWidget* parent = nullptr);
    ~TFVychozi() override;

    TForm1* hlavni() const { return hlavni_; }
    QString jmeno() const { return objectName(); }
    QMdiSubWindow* okno() const;  // the frame's child window holding the form, or null

    // Creation step, run once the form has its place (inside the frame or as a dialog).
    virtual void FormCreate() {}
    virtual void FormActivate() {}
    virtual void FormDeactivate() {}
    // false refuses the closing.
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose() {}

    // Closes the form (the child window when it has one).
    void zavri();
    virtual void BCancelClick() { zavri(); }
    virtual void BHelpClick();
    virtual void BOKClick() { accept(); }

    // The refresh request code written by ObnovaFormularu (0 = none).
    int obnova = 0;

    QPushButton* BOK;
    QPushButton* BCancel;
    QPushButton* BHelp;

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    TForm1* hlavni_;
};

// The base of the configuration dialogs: centred over the main window, OK closes it.
class TFzaklkonfig : public TFVychozi {
    Q_OBJECT
  public:
    TFzaklkonfig(TForm1* hlavni, const QString& jmeno, QWidget* parent = nullptr);
    void FormCreate() override;
};

}  // namespace lorvika
