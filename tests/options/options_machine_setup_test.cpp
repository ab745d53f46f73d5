// Setting up a machine through the options dialog as a user does: the cutting data
// window of the program works with what was typed, and the written options hold it.

#include "machining/cutting_data/cutting_data_window.h"
#include "options/options_dialog.h"
#include "serial/serial_settings.h"

#include "window_test_fixture.h"

#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace kvt {
namespace {

template<typename T> T* named(QWidget& parent, const char* caption)
{
    for (T* widget : parent.findChildren<T*>()) {
        if (widget->accessibleName() == QString::fromUtf8(caption))
            return widget;
    }
    ADD_FAILURE() << "no control named " << caption;
    return nullptr;
}

class MachineSetupTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::CuttingData, &makeWindow<CuttingDataWindow>);
        host.setOptionsRunner([this](AppController& c, QWidget* sender) {
            OptionsDialogContext context {
                *c.state(), *c.options(), c.texts(), boxes, clock, [&c](AppMessage message) { c.send(message); }};
            OptionsDialog dialog(context, sender);
            dialog.show();
            inDialog(dialog);
        });
    }
    CuttingDataWindow* window() const { return FunctionWindowFixture::window<CuttingDataWindow>(page::CuttingData); }
    const MachineRecord& storedMachine(int index) const
    {
        return reinterpret_cast<const OptionsRecord*>(storage.stored.data())->machines[index];
    }

    std::function<void(OptionsDialog&)> inDialog;
};

TEST_F(MachineSetupTest, SpeedStepsAndATankForMachineTwoReachTheWindowAndTheFile)
{
    controller->chooseMachine(1);
    inDialog = [](OptionsDialog& dialog) {
        QTest::keyClicks(named<QPlainTextEdit>(dialog, "*Verfügbare Drehzahlen, gestuft:"), "450 355 710");
        typeInto(named<QLineEdit>(dialog, "*Maschinenname:"), "Deckel FP1");
        named<QComboBox>(dialog, "*Baud:")->setCurrentIndex(8); // 19200
        auto* tabs = dialog.findChild<QTabWidget*>();
        tabs->setCurrentIndex(2);
        typeInto(named<QLineEdit>(dialog, "*Maschinen-/Tank-Name:"), "FP1 tank");
        typeInto(named<QLineEdit>(dialog, "*KSM Tank max. Füllmenge: [Liter]"), "80");
        typeInto(named<QLineEdit>(dialog, "*KSM Sollkonzentration: [%]"), "5");
        QTest::mouseClick(named<QPushButton>(dialog, "*Neu speichern"), Qt::LeftButton);
        EXPECT_EQ(named<QComboBox>(dialog, "*KSM Daten")->currentText(), QStringLiteral("FP1 tank"));
        QTest::mouseClick(named<QPushButton>(dialog, "*OK"), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    };
    CuttingDataWindow* w = window();
    ASSERT_NE(w, nullptr);
    std::unique_ptr<QMenu> menu(w->buildMenu(nullptr));
    QAction* options = test::findAction(menu.get(), QStringLiteral("*Optionen"));
    ASSERT_NE(options, nullptr);
    options->trigger();
    QCoreApplication::sendPostedEvents(); // the menu delivers its command queued
    for (const MessageBoxRequest& box : boxes.shown) {
        // Only the controller's notice that no language module lies beside the test.
        EXPECT_NE(box.text.find("Kalvora_Tools_en_us.lang"), std::string::npos) << box.text;
    }

    // The window calculates with the steps of machine 2: 381 rev/min is nearest to 355.
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("calculateButton")), Qt::LeftButton);
    EXPECT_EQ(w->resultField(CuttingResult::SpindleSpeed)->text(), QStringLiteral("381"));
    EXPECT_EQ(w->resultField(CuttingResult::StepSpeed)->text(), QStringLiteral("355"));

    ASSERT_FALSE(storage.stored.empty());
    const MachineRecord& stored = storedMachine(1);
    EXPECT_EQ(stored.speedSteps[0], 355.0f);
    EXPECT_EQ(stored.speedSteps[2], 710.0f);
    EXPECT_EQ(stored.name[0], u'D');
    EXPECT_EQ(LoadSerialSettings(stored, PortDirection::Send).baudRate, 19200u);
    const CoolantTank& tank = machineData(stored).coolantTanks[0];
    EXPECT_EQ(tank.name[0], u'F');
    EXPECT_EQ(tank.maxFill, 80000.0f);
    EXPECT_EQ(tank.targetConcentration, 5.0f);
    EXPECT_EQ(storedMachine(0).speedSteps[0], 0.0f); // machine 1 untouched
}

} // namespace
} // namespace kvt
