// The program's table of windows: every entry makes the window of its own page with
// the services it was given, and pages without a window of their own still get one
// with their title and menu.

#include "app/accessible_combo_box.h"
#include "app/title_only_window.h"
#include "program/page_windows.h"
#include "state/page_ids.h"

#include "window_test_fixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>

#include <set>

namespace kvt {
namespace {

class PageWindowsTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::CuttingData,
            [](AppController& c, const WindowServices& s) { return createPageWindow(page::CuttingData, c, s); });
    }
};

TEST_F(PageWindowsTest, EveryEntryMakesTheWindowOfItsPageOnce)
{
    std::set<int> pages;
    for (const WindowFactoryEntry& entry : windowFactories()) {
        EXPECT_TRUE(pages.insert(entry.page).second) << entry.page;
        std::unique_ptr<FunctionWindow> window(createPageWindow(entry.page, *controller, services()));
        ASSERT_NE(window, nullptr) << entry.page;
        EXPECT_EQ(window->page(), entry.page);
        EXPECT_EQ(dynamic_cast<TitleOnlyWindow*>(window.get()), nullptr) << entry.page;
        EXPECT_EQ(&window->boxes(), &boxes);
        EXPECT_EQ(&window->clock(), &clock);
    }
    EXPECT_TRUE(pages.count(page::CuttingData));
    EXPECT_TRUE(pages.count(page::Coolant));
}

TEST_F(PageWindowsTest, PagesWithoutTheirOwnWindow)
{
    // Every page that has a window slot but no factory yet still opens a window with its
    // title and menu, so that no menu entry is dead.
    std::set<int> own;
    for (const WindowFactoryEntry& entry : windowFactories())
        own.insert(entry.page);
    WindowSlots windowSlots {};
    for (const PageInfo& info : allPages()) {
        if (own.count(info.page) || info.page == page::Calculations || !windowSlot(windowSlots, info.page))
            continue;
        std::unique_ptr<FunctionWindow> window(createPageWindow(info.page, *controller));
        ASSERT_NE(window, nullptr) << info.page;
        EXPECT_NE(dynamic_cast<TitleOnlyWindow*>(window.get()), nullptr) << info.page;
        EXPECT_EQ(window->page(), info.page);
    }
    // The calculations library has its own dialog; unknown pages have nothing.
    EXPECT_EQ(createPageWindow(page::Calculations, *controller), nullptr);
    EXPECT_EQ(createPageWindow(4711, *controller), nullptr);
}

// Every combo box of every window is announced by its caption: the label it sits
// beside (mnemonic stripped) where it has one, and never by the entry it shows.
TEST_F(PageWindowsTest, EveryComboBoxIsNamedByItsCaption)
{
    QAccessible::installFactory(&accessibleComboBoxFactory);
    int combos = 0;
    for (const WindowFactoryEntry& entry : windowFactories()) {
        SCOPED_TRACE(entry.page);
        std::unique_ptr<FunctionWindow> window(createPageWindow(entry.page, *controller, services()));
        ASSERT_NE(window, nullptr);
        for (QComboBox* combo : window->findChildren<QComboBox*>()) {
            ++combos;
            const QString name = combo->accessibleName();
            SCOPED_TRACE(combo->objectName().toStdString() + " " + name.toStdString());
            EXPECT_FALSE(name.isEmpty());
            for (QLabel* label : window->findChildren<QLabel*>()) {
                if (label->buddy() == combo) {
                    EXPECT_EQ(name, QString(label->text()).remove(QLatin1Char('&')));
                }
            }
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(combo);
            ASSERT_NE(face, nullptr);
            EXPECT_EQ(face->role(), QAccessible::ComboBox);
            EXPECT_EQ(face->text(QAccessible::Name), name);
            EXPECT_EQ(face->text(QAccessible::Value), combo->currentText());
        }
    }
    QAccessible::removeFactory(&accessibleComboBoxFactory);
    // At least cutting data, coolant, cut to length, flanges, parallels, dowel pins (two)
    // and drill depths (two).
    EXPECT_GE(combos, 9);
}

} // namespace
} // namespace kvt
