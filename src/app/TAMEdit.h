#pragma once

#include <QFlags>
#include <QLineEdit>

namespace lorvika {

// A single-line edit with a text alignment and optional keys that move the focus: Enter to the
// next control, Esc to the previous one (the key itself is swallowed). The forms set no keys.
class TAMEdit : public QLineEdit {
    Q_OBJECT
  public:
    enum Klavesa { ksReturn = 0x1, ksEscape = 0x2 };
    Q_DECLARE_FLAGS(Klavesy, Klavesa)

    explicit TAMEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

    void setKeys(Klavesy keys) { keys_ = keys; }
    Klavesy keys() const { return keys_; }

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    Klavesy keys_;
};

}  // namespace lorvika

Q_DECLARE_OPERATORS_FOR_FLAGS(lorvika::TAMEdit::Klavesy)
