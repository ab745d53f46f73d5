// Combo boxes are announced by their caption and read by their entry, and otherwise
// look to a screen reader as Qt's own combo box does: same role, children, actions and
// states.

#include "app/accessible_combo_box.h"

#include "qt_test_support.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace kvt {
namespace {

struct ComboCase {
    const char* label;
    bool editable;
    int expectedChildren;
};

class AccessibleComboBoxTest : public ::testing::TestWithParam<ComboCase> {
protected:
    // Qt remembers an object's interface from the first accessibility event on (a name
    // set, an entry chosen), so the factory is in place before the combo box exists, as
    // the program installs it before its first window.
    void SetUp() override { QAccessible::installFactory(&accessibleComboBoxFactory); }
    void TearDown() override { QAccessible::removeFactory(&accessibleComboBoxFactory); }

    // A captioned combo box "Operation:" on "Raise" of three entries.
    QComboBox* addCombo(bool editable)
    {
        auto* combo = new QComboBox(&window);
        combo->addItems({QStringLiteral("Mix"), QStringLiteral("Raise"), QStringLiteral("Lower")});
        combo->setEditable(editable);
        combo->setCurrentIndex(1);
        combo->setAccessibleName(QStringLiteral("Operation:"));
        layout->addWidget(combo);
        return combo;
    }

    QAccessibleInterface* shown(QComboBox* combo)
    {
        window.show();
        return QAccessible::queryAccessibleInterface(combo);
    }

    QWidget window;
    QVBoxLayout* layout = new QVBoxLayout(&window);
};

TEST_P(AccessibleComboBoxTest, NameIsTheCaptionValueIsTheEntry)
{
    QComboBox* combo = addCombo(GetParam().editable);
    QAccessibleInterface* face = shown(combo);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::ComboBox);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Operation:"));
    EXPECT_EQ(face->text(QAccessible::Value), QStringLiteral("Raise"));

    // A change of entry or of language reaches the interface Qt has remembered.
    combo->setCurrentIndex(2);
    combo->setAccessibleName(QStringLiteral("Rechenoperation:"));
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Rechenoperation:"));
    EXPECT_EQ(face->text(QAccessible::Value), QStringLiteral("Lower"));
    if (GetParam().editable) {
        combo->lineEdit()->setText(QStringLiteral("/dev/ttyUSB7"));
        EXPECT_EQ(face->text(QAccessible::Value), QStringLiteral("/dev/ttyUSB7"));
        EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Rechenoperation:"));
    }
}

TEST_P(AccessibleComboBoxTest, ChildrenAreTheListAndTheLineEdit)
{
    QComboBox* combo = addCombo(GetParam().editable);
    QAccessibleInterface* face = shown(combo);
    ASSERT_EQ(face->childCount(), GetParam().expectedChildren);
    QAccessibleInterface* list = face->child(0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->object(), combo->view());
    EXPECT_EQ(face->indexOfChild(list), 0);
    EXPECT_EQ(list->parent()->object(), combo);
    EXPECT_EQ(face->child(GetParam().expectedChildren), nullptr);
    if (GetParam().editable) {
        QAccessibleInterface* edit = face->child(1);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->object(), combo->lineEdit());
        EXPECT_EQ(face->indexOfChild(edit), 1);
        EXPECT_EQ(face->focusChild(), edit);
    } else {
        EXPECT_EQ(face->focusChild(), nullptr);
    }
    // A point on the screen: over the typing area of an editable one, the line edit.
    const QPoint middle = combo->mapToGlobal(combo->rect().center());
    EXPECT_EQ(face->childAt(middle.x(), middle.y()), GetParam().editable ? face->child(1) : nullptr);
    EXPECT_EQ(face->indexOfChild(QAccessible::queryAccessibleInterface(&window)), -1);
}

// Everything but the name as Qt's own interface answers it, for a twin combo box that
// Qt's interface serves.
TEST_P(AccessibleComboBoxTest, LooksLikeQtsOwnApartFromTheName)
{
    QAccessible::removeFactory(&accessibleComboBoxFactory);
    QComboBox* twin = addCombo(GetParam().editable);
    QAccessibleInterface* qt = QAccessible::queryAccessibleInterface(twin);
    QAccessible::installFactory(&accessibleComboBoxFactory);
    QAccessibleInterface* face = shown(addCombo(GetParam().editable));
    ASSERT_NE(qt, face);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Operation:"));

    EXPECT_EQ(face->role(), qt->role());
    EXPECT_EQ(face->childCount(), qt->childCount());
    EXPECT_EQ(face->text(QAccessible::Value), qt->text(QAccessible::Value));
    EXPECT_EQ(face->text(QAccessible::Accelerator), qt->text(QAccessible::Accelerator));
    EXPECT_EQ(face->text(QAccessible::Description), qt->text(QAccessible::Description));
    ASSERT_NE(face->actionInterface(), nullptr);
    EXPECT_EQ(face->actionInterface()->actionNames(), qt->actionInterface()->actionNames());
    for (const QString& action : qt->actionInterface()->actionNames())
        EXPECT_EQ(face->actionInterface()->localizedActionDescription(action),
            qt->actionInterface()->localizedActionDescription(action))
            << action.toStdString();

    // Closed, then with both lists open.
    for (int open = 0; open < 2; ++open) {
        const QAccessible::State a = face->state();
        const QAccessible::State b = qt->state();
        EXPECT_EQ(a.focusable, b.focusable) << open;
        EXPECT_EQ(a.disabled, b.disabled) << open;
        EXPECT_EQ(a.invisible, b.invisible) << open;
        EXPECT_EQ(a.expandable, b.expandable) << open;
        EXPECT_EQ(a.expanded, b.expanded) << open;
        EXPECT_EQ(a.collapsed, b.collapsed) << open;
        EXPECT_EQ(a.editable, b.editable) << open;
        EXPECT_EQ(a.readOnly, b.readOnly) << open;
        EXPECT_EQ(a.hasPopup, b.hasPopup) << open;
        EXPECT_EQ(a.expanded, open == 1);
        twin->showPopup();
        face->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    }
}

TEST_P(AccessibleComboBoxTest, ShowMenuOpensAndClosesTheList)
{
    QComboBox* combo = addCombo(GetParam().editable);
    QAccessibleActionInterface* actions = shown(combo)->actionInterface();
    ASSERT_NE(actions, nullptr);
    for (const QString& action :
        {QAccessibleActionInterface::showMenuAction(), QAccessibleActionInterface::pressAction()}) {
        actions->doAction(action);
        EXPECT_TRUE(combo->view()->isVisible()) << action.toStdString();
        actions->doAction(action);
        EXPECT_FALSE(combo->view()->isVisible()) << action.toStdString();
    }
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_EQ(combo->currentIndex(), 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AccessibleComboBoxTest,
    ::testing::Values(ComboCase {"ReadOnly", false, 1}, ComboCase {"Editable", true, 2}),
    [](const ::testing::TestParamInfo<ComboCase>& info) { return std::string(info.param.label); });

// A read-only combo box gives its entry as text too, the one way its value travels over
// AT-SPI once the name is the caption; an editable one leaves that to its line edit.
TEST(AccessibleComboBoxText, ReadOnlyEntryIsItsText)
{
    QAccessible::installFactory(&accessibleComboBoxFactory);
    QWidget window;
    auto* combo = new QComboBox(&window);
    combo->addItems({QStringLiteral("M3x0,5"), QStringLiteral("M10x1,5")});
    combo->setCurrentIndex(1);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(combo);
    QAccessibleTextInterface* text = face->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 7);
    EXPECT_EQ(text->text(0, -1), QStringLiteral("M10x1,5"));
    EXPECT_EQ(text->text(3, 5), QStringLiteral("x1"));
    EXPECT_EQ(text->text(5, 99), QStringLiteral(",5"));
    EXPECT_EQ(text->text(-4, 2), QStringLiteral("M1"));
    EXPECT_EQ(text->text(9, 12), QString());
    EXPECT_EQ(text->selectionCount(), 0);
    combo->clear();
    EXPECT_EQ(text->characterCount(), 0);
    EXPECT_EQ(text->text(0, -1), QString());

    combo->setEditable(true);
    EXPECT_EQ(face->textInterface(), nullptr);
    QAccessible::removeFactory(&accessibleComboBoxFactory);
}

// Without an accessible name the buddy label names the combo box (its mnemonic
// stripped); without either, the entry still does, rather than nothing.
TEST(AccessibleComboBoxName, FallsBackToTheBuddyThenTheEntry)
{
    QAccessible::installFactory(&accessibleComboBoxFactory);
    QWidget window;
    auto* label = new QLabel(QStringLiteral("&Thread:"), &window);
    auto* labelled = new QComboBox(&window);
    label->setBuddy(labelled);
    auto* bare = new QComboBox(&window);
    for (QComboBox* combo : {labelled, bare})
        combo->addItems({QStringLiteral("M3x0,5"), QStringLiteral("M4x0,7")});
    EXPECT_EQ(QAccessible::queryAccessibleInterface(labelled)->text(QAccessible::Name), QStringLiteral("Thread:"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(bare)->text(QAccessible::Name), QStringLiteral("M3x0,5"));
    QAccessible::removeFactory(&accessibleComboBoxFactory);
}

TEST(AccessibleComboBoxInstall, ProgramStartInstallsItOnUnixDesktops)
{
    const bool installed = installAccessibleComboBoxes();
    QWidget window;
    auto* combo = new QComboBox(&window);
    combo->addItems({QStringLiteral("Mix"), QStringLiteral("Raise")});
    combo->setAccessibleName(QStringLiteral("Operation"));
#if defined(Q_OS_UNIX)
    EXPECT_TRUE(installed);
#else
    EXPECT_FALSE(installed);
#endif
    // Installed or not, the caption is the name on every platform.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(combo)->text(QAccessible::Name), QStringLiteral("Operation"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(combo)->text(QAccessible::Value), QStringLiteral("Mix"));
    QAccessible::removeFactory(&accessibleComboBoxFactory);
}

} // namespace
} // namespace kvt
