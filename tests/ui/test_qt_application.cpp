// One QApplication for every widget test of this program, offscreen (the test environment sets
// QT_QPA_PLATFORM=offscreen), created before the first test and kept to the end.
#include <QApplication>
#include <gtest/gtest.h>

namespace {
class QtApplication : public testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_ui";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};
const auto* registered = testing::AddGlobalTestEnvironment(new QtApplication);
} // namespace
