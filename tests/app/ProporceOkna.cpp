#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>

#include "GuiTest.h"
#include "app/Proporce.h"

namespace lorvika {
namespace {

// A window with absolute controls, resized as the user would; the resize handler keeps its
// proportions.
class Okno : public QWidget {
  public:
    Okno() {
        tlacitko = new QPushButton(QStringLiteral("OK"), this);
        tlacitko->setGeometry(100, 50, 80, 30);
        QFont f = font();
        f.setPointSizeF(10);
        setFont(f);
        resize(632, 413);
        proporce.setZapnuto(true);
        show();
    }
    void zmen(int w, int h) {
        resize(w, h);
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    QPushButton* tlacitko;
    Proporce proporce{QSize(632, 413)};

  protected:
    void resizeEvent(QResizeEvent*) override { proporce.FormResize(this); }
};

TEST(ProporceOkna, WideningOnlySnapsTheWidthBackAndKeepsTheScale) {
    test::aplikace();
    Okno o;
    o.zmen(800, 413);
    EXPECT_EQ(o.size(), QSize(632, 413));
    EXPECT_EQ(o.tlacitko->geometry(), QRect(100, 50, 80, 30));
    EXPECT_DOUBLE_EQ(o.font().pointSizeF(), 10.0);
}

TEST(ProporceOkna, GrowingBothWaysScalesControlsAndFonts) {
    test::aplikace();
    Okno o;
    o.zmen(1264, 900);  // the width is the narrower direction: height follows it
    EXPECT_EQ(o.size(), QSize(1264, 826));
    EXPECT_EQ(o.tlacitko->geometry(), QRect(200, 100, 160, 60));
    EXPECT_DOUBLE_EQ(o.font().pointSizeF(), 10.0 * Proporce::kNejvetsiPismo);
    EXPECT_EQ(o.proporce.zaklad(), QSize(1264, 826));
    o.zmen(632, 413);
    EXPECT_EQ(o.tlacitko->geometry(), QRect(100, 50, 80, 30));
}

TEST(ProporceOkna, DetachedHandlerChangesNothing) {
    test::aplikace();
    Okno o;
    o.proporce.setZapnuto(false);
    o.zmen(800, 413);
    EXPECT_EQ(o.size(), QSize(800, 413));
    EXPECT_EQ(o.tlacitko->geometry(), QRect(100, 50, 80, 30));
}

}  // namespace
}  // namespace lorvika
