#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>

#include "store/DatabaseSession.h"
#include "store/Messages.h"

// The Qt faces of the message and directory-dialog services.
namespace lorvika {

// Where a message box of the given size goes: centred on the window it belongs to.
QPoint stredNaOkne(const QRect& okno, const QSize& dialog);

QString textTlacitka(MsgButton button);

class QtMessages : public Messages {
  public:
    // hlavni: the main window; a message shown while one of its child windows is active is
    // centred on it.
    explicit QtMessages(QWidget* hlavni = nullptr) : hlavni_(hlavni) {}
    void setHlavni(QWidget* hlavni) { hlavni_ = hlavni; }

    MsgButton show(const std::string& text, MsgKind kind, const MsgButtons& buttons, Sound sound,
                   int helpContext) override;

    // The beep; tests replace it to see that it comes before the box.
    std::function<void(Sound)> pipni;

  private:
    QPointer<QWidget> hlavni_;
};

class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> chooseDirectory(const std::string& start, bool allowCreate) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace lorvika
