#pragma once

#include <QApplication>
#include <memory>

namespace lorvika::test {

// The one QApplication of a test program (offscreen platform, set by the test harness).
inline QApplication& aplikace() {
    static int argc = 1;
    static char name[] = "lorvika-test";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        auto a = std::make_unique<QApplication>(argc, argv);
        a->setApplicationName(QStringLiteral("Lorvika 1"));
        return a;
    }();
    return *app;
}

// A base that makes the application exist before the fixture's widgets are built.
struct SAplikaci {
    SAplikaci() { aplikace(); }
};

}  // namespace lorvika::test
