// The Qt dialog offscreen: controls reachable by their captions, lists read when the
// dialog is confirmed, a refused list keeps it open, Cancel takes everything back.

#include "locale_test_support.h"
#include "options/options_dialog.h"
#include "options_dialog_fixture.h"
#include "qt_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace kvt::test {
namespace {

class OptionsDialogWidgetTest : public OptionsDialogTest {
protected:
    template<typename T> T* control(OptionsDialog& dialog, const char* caption)
    {
        for (T* widget : dialog.findChildren<T*>()) {
            if (widget->accessibleName() == QString::fromUtf8(caption))
                return widget;
        }
        ADD_FAILURE() << "no control named " << caption;
        return nullptr;
    }
};

TEST_F(OptionsDialogWidgetTest, EveryControlCarriesItsCaption)
{
    OptionsDialog dialog(context);
    EXPECT_EQ(dialog.accessibleName(), "*Kalvora Tools 2025 Optionen");
    int controls = 0;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget)
            && !qobject_cast<QPlainTextEdit*>(widget) && !qobject_cast<QAbstractButton*>(widget))
            continue;
        if (widget->parent() && qobject_cast<QComboBox*>(widget->parent()))
            continue; // the combo's own line edit
        if (widget->objectName().startsWith(QLatin1String("qt_")))
            continue; // the tab bar's scroll buttons
        ++controls;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->metaObject()->className();
    }
    EXPECT_GE(controls, 20);
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (QWidget* buddy = label->buddy()) {
            EXPECT_EQ(buddy->accessibleName(), label->text());
        }
    }
}

TEST_F(OptionsDialogWidgetTest, OkReadsTheTypedListsAndAsksForTheWrite)
{
    OptionsDialog dialog(context);
    dialog.show();
    auto* speeds = control<QPlainTextEdit>(dialog, "*Verfügbare Drehzahlen, gestuft:");
    auto* name = control<QLineEdit>(dialog, "*Maschinenname:");
    ASSERT_TRUE(speeds && name);
    QTest::keyClicks(speeds, "2000 500");
    QTest::keyClick(speeds, Qt::Key_Return);
    QTest::keyClicks(speeds, "1000");
    QTest::keyClicks(name, "Mill 3");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(storedSpeeds(), (std::vector<float> {500, 1000, 2000}));
    EXPECT_EQ(dialog.form().machine().nameText(), "Mill 3");
    EXPECT_EQ(sent, std::vector<AppMessage> {AppMessage::SaveOptions});
    EXPECT_EQ(record->settings.changed, 1);
}

TEST_F(OptionsDialogWidgetTest, RefusedListKeepsTheDialogOpenWithTheText)
{
    OptionsDialog dialog(context);
    dialog.show();
    auto* parallels = control<QPlainTextEdit>(dialog, "*Verfügbare Parallelstücke: [mm]");
    ASSERT_TRUE(parallels);
    QTest::keyClicks(parallels, "10 x 12");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(parallels->toPlainText(), "10 x 12");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(sent.empty());
    dialog.reject();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(OptionsDialogWidgetTest, CancelTakesBackComboChoicesAndFields)
{
    OptionsDialog dialog(context);
    dialog.show();
    control<QComboBox>(dialog, "*Sprache:")->setCurrentIndex(1);
    control<QComboBox>(dialog, "*Anfangseite:")->setCurrentIndex(13);
    control<QCheckBox>(dialog, "*Berichte standardmäßig öffnen")->setChecked(true);
    EXPECT_EQ(state->languageCode, 44);
    EXPECT_TRUE(control<QPushButton>(dialog, "*Übernehmen")->isEnabled());
    dialog.reject();
    EXPECT_EQ(state->languageCode, 49);
    EXPECT_EQ(state->languageChanged, 0);
    EXPECT_EQ(record->settings.startPageIsLastUsed, 0);
    EXPECT_EQ(record->settings.openReportsAutomatically, 0);
    EXPECT_TRUE(sent.empty());
}

TEST_F(OptionsDialogWidgetTest, DecliningTheUnitQuestionPutsTheComboBack)
{
    OptionsDialog dialog(context);
    dialog.show();
    auto* unit = control<QComboBox>(dialog, "*Einheit für Längen:");
    boxes.answers = {MessageAnswer::No};
    unit->setCurrentIndex(1);
    EXPECT_EQ(unit->currentIndex(), 0);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(record->settings.restartMarker, 0);

    boxes.answers = {MessageAnswer::Yes};
    unit->setCurrentIndex(1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(record->settings.restartMarker, 1);
    EXPECT_EQ(sent, std::vector<AppMessage> {AppMessage::SaveOptions});
}

} // namespace
} // namespace kvt::test
