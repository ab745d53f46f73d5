#pragma once
// Widget tests need one QApplication for the whole test program. It is created in a
// GoogleTest environment rather than in main(), because test discovery runs the
// program at build time, where no display exists.

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <memory>

namespace kvt::test {

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "kvt_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

// Include once per test program, in a file that defines widget tests.
inline ::testing::Environment* const g_qtTestEnvironment = ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

// The action with the given text in a menu or any of its submenus.
inline QAction* findAction(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (action->menu()) {
            if (QAction* inner = findAction(action->menu(), text))
                return inner;
        }
    }
    return nullptr;
}

} // namespace kvt::test
