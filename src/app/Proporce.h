#pragma once

#include <QSize>

class QWidget;

// Keeping a window's proportions while the user resizes it: the controls scale with the
// narrower direction and the other direction snaps back to the base ratio.
namespace lorvika {

struct KrokProporci {
    double meritko = 1.0;  // factor for positions, sizes and fonts of the controls
    QSize klient;          // the client size the window gets, and its new base size
};

// Rounds halves to even, as the original arithmetic did.
int zaokrouhliSude(double value);
KrokProporci spocitejProporce(const QSize& klient, const QSize& zaklad);

class Proporce {
  public:
    explicit Proporce(QSize zaklad) : zaklad_(zaklad) {}
    const QSize& zaklad() const { return zaklad_; }
    void setZaklad(QSize zaklad) { zaklad_ = zaklad; }
    // Attached or not (the main window has it only in maximize mode).
    bool zapnuto() const { return zapnuto_; }
    void setZapnuto(bool on) { zapnuto_ = on; }

    // The resize handler: scales the controls of form and corrects its client size. Does
    // nothing while detached or while it runs.
    void FormResize(QWidget* form);

  private:
    QSize zaklad_;
    bool zapnuto_ = true;
    bool bezi_ = false;
};

// Scales the geometry and fonts of every control under form that no layout manages.
void zmenMeritko(QWidget* form, double meritko);

}  // namespace lorvika
