#include "app/TAMEdit.h"

#include <gtest/gtest.h>

#include <QTest>

#include "GuiTest.h"

namespace lorvika {
namespace {

// Three edits in a row; the keys of the middle one decide where Enter and Esc take the focus.
struct Rada {
    QWidget okno;
    TAMEdit* a = new TAMEdit(&okno);
    TAMEdit* b = new TAMEdit(&okno);
    TAMEdit* c = new TAMEdit(&okno);
    Rada() {
        okno.show();
        okno.activateWindow();
        (void)QTest::qWaitForWindowActive(&okno);
        b->setFocus();
    }
};

TEST(TAMEdit, KeysMoveTheFocusOnlyWhenSet) {
    test::aplikace();
    const struct {
        TAMEdit::Klavesy keys;
        Qt::Key key;
        int focus;  // 0 a, 1 b, 2 c
    } cases[] = {{{}, Qt::Key_Return, 1},
                 {{}, Qt::Key_Escape, 1},
                 {TAMEdit::ksReturn, Qt::Key_Return, 2},
                 {TAMEdit::ksReturn, Qt::Key_Escape, 1},
                 {TAMEdit::ksEscape, Qt::Key_Escape, 0},
                 {TAMEdit::ksReturn | TAMEdit::ksEscape, Qt::Key_Enter, 2}};
    for (const auto& c : cases) {
        Rada r;
        r.b->setKeys(c.keys);
        QTest::keyClick(r.b, c.key);
        TAMEdit* edits[] = {r.a, r.b, r.c};
        EXPECT_TRUE(edits[c.focus]->hasFocus()) << int(c.keys) << " " << c.key;
    }
}

TEST(TAMEdit, RightAlignedNumberBoxKeepsTypingNormally) {
    test::aplikace();
    Rada r;
    r.b->setAlignment(Qt::AlignRight);
    QTest::keyClicks(r.b, QStringLiteral("14"));
    EXPECT_EQ(r.b->text(), QStringLiteral("14"));
    EXPECT_EQ(r.b->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

}  // namespace
}  // namespace lorvika
