#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace lorvika::test {

// Ends the application object after the last test, while Qt's own statics still live.
template <class App>
class KonecAplikace : public ::testing::Environment {
  public:
    explicit KonecAplikace(std::unique_ptr<App>& app) : app_(app) {}
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<App>& app_;
};

// The one application object of a test program (offscreen platform, set by the test harness).
template <class App = QApplication>
App& aplikaceTypu() {
    static int argc = 1;
    static char name[] = "lorvika-test";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<App> app;
    if (!app) {
        app = std::make_unique<App>(argc, argv);
        app->setApplicationName(QStringLiteral("Lorvika 1"));
        ::testing::AddGlobalTestEnvironment(new KonecAplikace<App>(app));  // gtest owns it
    }
    return *app;
}

inline QApplication& aplikace() {
    return aplikaceTypu<QApplication>();
}

// A base that makes the application exist before the fixture's widgets are built.
struct SAplikaci {
    SAplikaci() { aplikace(); }
};

}  // namespace lorvika::test
