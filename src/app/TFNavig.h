#pragma once

#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include "app/Proporce.h"
#include "app/TFVychozi.h"

namespace lorvika {

// A picture that fills its parent (the navigator's background).
class TKZTransImage : public QWidget {
    Q_OBJECT
  public:
    TKZTransImage(const QPixmap& obrazek, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    QPixmap obrazek_;
};

// The child window shown whenever no data form is open.
class TFNavig : public TFVychozi {
    Q_OBJECT
  public:
    explicit TFNavig(TForm1* hlavni);

    void FormCreate() override;
    void FormActivate() override;
    void FormDeactivate() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void BCancelClick() override;  // "Konec"
    // Esc closes the navigator only; it does not end the program as "Konec" does.
    void reject() override { zavri(); }

    // The database was opened after the navigator was created (start-up).
    void poOtevreniDatabaze();
    // The pack timer: 200 ms, at most 21 attempts while a pack is pending.
    bool casovacBezi() const { return casovac_.isActive(); }
    int pokusu() const { return pokusu_; }
    void Timer1Timer();

    QPushButton* BView;
    QPushButton* Button1;
    QPushButton* Button5;
    QPushButton* Button11;
    QPushButton* BEdit;
    QPushButton* Button4;
    QLabel* Label1;
    TKZTransImage* Image1;

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    QPushButton* tlacitko(const QString& name, const QString& caption, const QString& hint,
                          const QString& polozka, QRect misto);
    Proporce proporce_{QSize(632, 413)};
    QTimer casovac_;
    int pokusu_ = 0;
};

}  // namespace lorvika
