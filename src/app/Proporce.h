#pragma once

#include <QPoint>
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
    explicit Proporce(QSize zaklad) : zaklad_(zaklad), navrh_(zaklad) {}
    const QSize& zaklad() const { return zaklad_; }
    void setZaklad(QSize zaklad) { zaklad_ = zaklad; }
    // Attached or not (the main window has it only in maximize mode).
    bool zapnuto() const { return zapnuto_; }
    void setZapnuto(bool on) { zapnuto_ = on; }
    // The frame of the child windows: its menus, client area and status bar are laid out, its
    // child windows keep their own proportions, so it neither scales nor snaps its size (a
    // window manager that maximizes or tiles the frame would otherwise leave a band of nothing).
    void setRamec(bool on) { ramec_ = on; }

    // The resize handler: scales the controls of form and corrects its client size. Does
    // nothing while detached or while it runs.
    void FormResize(QWidget* form);
    // Scale of the controls against the size they were designed for.
    double meritko() const { return meritko_; }

    // Fonts grow with the window up to this factor; beyond it letters stop helping.
    static constexpr double kNejvetsiPismo = 1.8;

  private:
    QSize zaklad_;
    QSize navrh_;  // the size the controls were placed for
    double meritko_ = 1.0;
    bool zapnuto_ = true;
    bool bezi_ = false;
    bool ramec_ = false;
};

// Places every control under form that no layout manages at its designed geometry times
// meritko, shifted by posun (a window that cannot take its proportional size shows its content
// centred); the form's font follows up to kNejvetsiPismo, and for a form laid out by a layout
// only as far as its content still fits. The designed geometry is taken from each control the
// first time (controls added later are taken back to scale 1 from the current scale), so
// repeated resizing never accumulates rounding.
void zmenMeritko(QWidget* form, double meritko, QPoint posun = {});

}  // namespace lorvika
