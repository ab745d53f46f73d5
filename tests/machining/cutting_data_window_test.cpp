// The cutting data dialog offscreen, driven as a user would: typing, radio buttons,
// "*Berechnen", reports, switching away and back, and the way back to the tool window.

#include "machining/cutting_data/cutting_data_window.h"
#include "options/options_record.h"

#include "locale_test_support.h"
#include "window_test_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QToolButton>

#include <algorithm>
#include <fstream>

namespace kvt {
namespace {

using test::findAction;

class CuttingDataWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::CuttingData, &makeWindow<CuttingDataWindow>);
        float* steps = controller->options()->machines[0].speedSteps;
        for (float step : {100.0f, 250.0f, 400.0f, 630.0f, 1000.0f})
            *steps++ = step;
    }

    CuttingDataWindow* window() const { return FunctionWindowFixture::window<CuttingDataWindow>(page::CuttingData); }
    std::vector<std::filesystem::path> reports() const { return FunctionWindowFixture::reports("SDR"); }
    QPushButton* button(const char* name) const { return window()->findChild<QPushButton*>(QString::fromUtf8(name)); }
};

TEST_F(CuttingDataWindowTest, EveryFieldIsNamedByItsCaptionAndTheModeSetsWhatIsEnabled)
{
    CuttingDataWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->accessibleName(), QStringLiteral("*Schnittdaten Calculator"));
    for (QLabel* label : w->findChildren<QLabel*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(label->buddy())) {
            EXPECT_EQ(edit->accessibleName(), label->text());
        }
    }
    EXPECT_EQ(w->inputField(CuttingInput::Diameter)->accessibleName(), QStringLiteral("*Durchmesser D [mm]:"));
    EXPECT_EQ(w->inputField(CuttingInput::Diameter)->text(), QStringLiteral("20.0"));
    EXPECT_TRUE(w->feedModeButton(FeedMode::SpeedOnly)->isChecked());
    EXPECT_FALSE(w->inputField(CuttingInput::FeedPerRevolution)->isEnabled());
    EXPECT_TRUE(w->resultField(CuttingResult::SpindleSpeed)->isReadOnly());

    // The enable table itself is tested on the form; here its wiring.
    w->feedModeButton(FeedMode::PerRevolutionAxial)->click();
    EXPECT_TRUE(w->inputField(CuttingInput::FeedPerRevolution)->isEnabled());
    EXPECT_FALSE(w->inputLabel(CuttingInput::PlungePercent)->isEnabled());
    EXPECT_FALSE(w->resultField(CuttingResult::FeedRate)->isEnabled());
}

TEST_F(CuttingDataWindowTest, EveryInputHasItsTooltip)
{
    const std::pair<CuttingInput, const char*> tips[] = {
        {CuttingInput::Diameter, "*Durchmesser des Werkzeugs oder des Werkstücks"},
        {CuttingInput::CuttingSpeed, "*Schnittgeschwindigkeit laut Hersteller des Werkzeugs"},
        {CuttingInput::FeedPerRevolution, "*Vorschub je Umdrehung der Spindel"},
        {CuttingInput::FeedPerTooth, "*Vorschub je Zahn (Schneide) des Werkzeugs"},
        {CuttingInput::Teeth, "*Anzahl der Zähne (Schneiden) des Werkzeugs"},
        {CuttingInput::PlungePercent, "*Tauchvorschub in Prozent der Vorschubsgeschwindigkeit vf"},
        {CuttingInput::DwellRevolutions, "*Umdrehungen der Spindel während der Verweilzeit"},
        {CuttingInput::Radius, "*Radius für die Umrechnung in einen Rundachsenvorschub [Grad/min]"},
    };
    for (const auto& [input, tip] : tips) {
        // Long tips are wrapped into lines; the words are the language module's.
        QString shown = window()->inputField(input)->toolTip();
        EXPECT_EQ(shown.replace(QLatin1Char('\n'), QLatin1Char(' ')), QString::fromUtf8(tip));
    }
}

TEST_F(CuttingDataWindowTest, CalculateWritesTheReportAndOpensItWhenAsked)
{
    CuttingDataWindow* w = window();
    w->feedModeButton(FeedMode::PerRevolution)->click();
    typeInto(w->inputField(CuttingInput::FeedPerRevolution), "0,1x");
    EXPECT_EQ(w->inputField(CuttingInput::FeedPerRevolution)->text(), QStringLiteral("0.1")); // cut back
    typeInto(w->inputField(CuttingInput::Radius), "50");

    QTest::mouseClick(button("calculateButton"), Qt::LeftButton);
    EXPECT_EQ(w->resultField(CuttingResult::SpindleSpeed)->text(), QStringLiteral("381"));
    EXPECT_EQ(w->resultField(CuttingResult::StepSpeed)->text(), QStringLiteral("400"));
    EXPECT_EQ(w->resultField(CuttingResult::FeedRate)->text(), QStringLiteral("38.100"));
    EXPECT_EQ(w->resultField(CuttingResult::CorrectedFeedRate)->text(), QStringLiteral("40.000"));
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_TRUE(viewer.opened.empty());

    w->speedStepButton(SpeedStepChoice::OneStepHigher)->click();
    EXPECT_EQ(w->resultField(CuttingResult::StepSpeed)->text(), QStringLiteral("630"));
    EXPECT_EQ(w->resultField(CuttingResult::CorrectedCuttingSpeed)->text(), QStringLiteral("39.000"));

    // The check box and the background menu show the same program-wide option.
    w->autoOpenBox()->click();
    EXPECT_EQ(controller->options()->settings.openReportsAutomatically, 1);
    std::unique_ptr<QMenu> menu(w->buildBackgroundMenu(nullptr));
    QAction* automatic = findAction(menu.get(), QStringLiteral("*Autom.öffnen"));
    ASSERT_NE(automatic, nullptr);
    EXPECT_TRUE(automatic->isChecked());
    EXPECT_EQ(findAction(menu.get(), QStringLiteral("*Zurück")), nullptr);

    QTest::mouseClick(button("calculateButton"), Qt::LeftButton);
    EXPECT_TRUE(w->speedStepButton(SpeedStepChoice::Nearest)->isChecked());
    ASSERT_EQ(viewer.opened.size(), 1u);
    std::ifstream file(viewer.opened[0], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("*Vorschubsgeschwindigkeit vf korrigiert [mm/min]\t: 40.000\r\n"), std::string::npos);

    automatic->trigger();
    EXPECT_EQ(controller->options()->settings.openReportsAutomatically, 0);
    EXPECT_FALSE(w->autoOpenBox()->isChecked());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(CuttingDataWindowTest, AReportThatCannotBeWrittenIsReportedAndNotOpened)
{
    const auto folder = controller->dataDirectory() / "SDR";
    std::filesystem::remove_all(folder);
    std::ofstream(folder) << "in the way";
    window()->autoOpenBox()->click();
    QTest::mouseClick(button("calculateButton"), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.rfind("*Der Report konnte nicht geschrieben werden:", 0), 0u);
    EXPECT_TRUE(viewer.opened.empty());
    EXPECT_EQ(window()->resultField(CuttingResult::SpindleSpeed)->text(), QStringLiteral("381"));
}

TEST_F(CuttingDataWindowTest, SwitchingAwayAndBackKeepsInputsAndResults)
{
    CuttingDataWindow* w = window();
    w->feedModeButton(FeedMode::PerTooth)->click();
    typeInto(w->inputField(CuttingInput::Diameter), "12");
    typeInto(w->inputField(CuttingInput::FeedPerTooth), "0.04");
    typeInto(w->inputField(CuttingInput::Teeth), "3");
    QTest::mouseClick(button("calculateButton"), Qt::LeftButton);
    const QString feedRate = w->resultField(CuttingResult::FeedRate)->text();

    w->switchToPage(122);
    QApplication::processEvents();
    EXPECT_EQ(controller->options()->settings.changed, 1);
    static_cast<FunctionWindow*>(controller->state()->windows.coolant)->switchToPage(120);
    QApplication::processEvents();

    CuttingDataWindow* again = window();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->inputField(CuttingInput::Diameter)->text(), QStringLiteral("12.000"));
    EXPECT_EQ(again->inputField(CuttingInput::Teeth)->text(), QStringLiteral("3"));
    EXPECT_TRUE(again->feedModeButton(FeedMode::PerTooth)->isChecked());
    EXPECT_EQ(again->resultField(CuttingResult::FeedRate)->text(), feedRate);
    EXPECT_TRUE(viewer.opened.empty());

    // Another machine's steps apply at once.
    std::fill_n(controller->options()->machines[3].speedSteps, 3, 0.0f);
    controller->options()->machines[3].speedSteps[0] = 500.0f;
    std::unique_ptr<QMenu> menu(again->buildMenu(nullptr));
    QList<QAction*> machines;
    for (QAction* action : menu->actions()) {
        if (action->menu() && action->text() == QStringLiteral("*Maschine wählen..."))
            machines = action->menu()->actions();
    }
    ASSERT_EQ(machines.size(), 10);
    machines[3]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(again->resultField(CuttingResult::StepSpeed)->text(), QStringLiteral("500"));
}

TEST_F(CuttingDataWindowTest, ToolFromToolManagementAndTheWayBack)
{
    OpenDialogData& state = *controller->state();
    state.toolHandOver.diameter = 10.0f;
    state.toolHandOver.cuttingSpeed = 120.0f;
    state.toolHandOver.axialFeedPerRevolution = 0.08f;
    OpenRequest request;
    request.senderWindow = state.mainWindow;
    request.originPage = 134;
    controller->send(AppMessage::OpenCuttingData, request);
    QApplication::processEvents();

    CuttingDataWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->feedModeButton(FeedMode::PerRevolutionAxial)->isChecked());
    EXPECT_EQ(w->inputField(CuttingInput::FeedPerRevolution)->text(), QStringLiteral(" 0.080"));
    EXPECT_EQ(w->inputField(CuttingInput::PlungePercent)->text(), QStringLiteral("100"));
    const auto offered = [w] {
        std::unique_ptr<QMenu> menu(w->buildBackgroundMenu(nullptr));
        std::string enabled;
        for (const char* caption :
            {"*Zurück mit theoretischem Wert", "*Zurück mit Stufen-Wert", "*Zurück ohne Daten"}) {
            QAction* action = findAction(menu.get(), QString::fromUtf8(caption));
            enabled += action ? (action->isEnabled() ? '1' : '0') : '-';
        }
        return enabled;
    };
    EXPECT_EQ(offered(), "001"); // nothing calculated yet
    // A machine without speed steps has no step value to hand back.
    float* steps = controller->options()->machines[0].speedSteps;
    std::fill(steps, steps + kSpeedStepTableSize, 0.0f);
    QTest::mouseClick(button("calculateButton"), Qt::LeftButton);
    EXPECT_EQ(offered(), "101");
    for (float step : {100.0f, 250.0f, 400.0f, 630.0f, 1000.0f})
        *steps++ = step;
    QTest::mouseClick(button("calculateButton"), Qt::LeftButton);
    EXPECT_EQ(w->resultField(CuttingResult::SpindleSpeed)->text(), QStringLiteral("3819"));
    EXPECT_EQ(offered(), "111");

    std::unique_ptr<QMenu> menu(w->buildBackgroundMenu(nullptr));
    QAction* back = findAction(menu.get(), QStringLiteral("*Zurück mit Stufen-Wert"));
    ASSERT_NE(back, nullptr);
    back->trigger();
    QApplication::processEvents();
    EXPECT_EQ(state.toolHandOver.returnCode, 2);
    EXPECT_FLOAT_EQ(state.toolHandOver.returnSpindleSpeed, 1000.0f);
    EXPECT_FLOAT_EQ(state.toolHandOver.returnDiameter, 10.0f);
    EXPECT_FLOAT_EQ(state.toolHandOver.returnPlungeFeed, 80.0f); // 1000 * 0.08 * 100 %
    EXPECT_EQ(state.currentPage, 134);
    EXPECT_EQ(state.windows.cuttingData, nullptr);
}

// What a machinist on a German desktop reads: the process locale writes decimal commas
// there (the German run of this program checks that it does), the window and its SDR
// report still write points.
TEST_F(CuttingDataWindowTest, ResultsAndReportReadWithADecimalPointOnAGermanDesktop)
{
    if (test::germanLocaleRun()) {
        ASSERT_EQ(test::printfOneAndAHalf(), "1,5");
    }
    CuttingDataWindow* w = window();
    w->feedModeButton(FeedMode::PerTooth)->click();
    typeInto(w->inputField(CuttingInput::Diameter), "12");
    typeInto(w->inputField(CuttingInput::CuttingSpeed), "180");
    typeInto(w->inputField(CuttingInput::FeedPerTooth), "0.05");
    typeInto(w->inputField(CuttingInput::Teeth), "4");
    w->autoOpenBox()->click();
    QTest::mouseClick(button("calculateButton"), Qt::LeftButton);

    const char* const results[kCuttingResultCount]
        = {"954.800", "477.400", "4774", "200.000", "100.000", "1000", "37.699", "0", "0", " 0.000", " 0.000"};
    for (int i = 0; i < kCuttingResultCount; ++i)
        EXPECT_EQ(w->resultField(static_cast<CuttingResult>(i))->text(), QString::fromLatin1(results[i]))
            << "result " << i;
    // A value typed with fewer decimals stays as typed; one the window writes gets its format.
    EXPECT_EQ(w->inputField(CuttingInput::FeedPerTooth)->text(), QStringLiteral("0.05"));
    EXPECT_EQ(w->inputField(CuttingInput::Radius)->text(), QStringLiteral(" 0.000"));

    ASSERT_EQ(viewer.opened.size(), 1u);
    std::ifstream file(viewer.opened[0], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string values = "*Durchmesser D [mm]\t: 12.000\r\n"
                               "*Schnittgeschwindigkeit Vc [m/min]\t: 180.000\r\n"
                               "*Zahnvorschub fz [mm]\t:  0.050\r\n"
                               "*Z\xe4hne Anzahl n\t: 4\r\n"
                               "*Tauchvorschub % von vf\t: 50\r\n"
                               "*Umdrehungen w\xe4hrend Verweilzeit\t:  0.000\r\n"
                               "*Radius f\xfcr rot. Vorschub [mm]\t:  0.000\r\n"
                               "*Vorschubsgeschwindigkeit vf theoretisch [mm/min]\t: 954.800\r\n"
                               "*Tauchvorschub vf theoretisch [mm/min]\t: 477.400\r\n"
                               "*Drehzahl theoretisch [U/min]\t: 4774\r\n"
                               "*Verweilzeit theoretisch [ms]\t: 0\r\n"
                               "*Rot. Vorschub theoretisch [Grad/min]\t:  0.000\r\n"
                               "*Vorschubsgeschwindigkeit vf korrigiert [mm/min]\t: 200.000\r\n"
                               "*Tauchvorschub vf korrigiert [mm/min]\t: 100.000\r\n"
                               "*Drehzahlstufe [U/min]\t: 1000\r\n"
                               "*Schnittgeschwindigkeit Vc bei Drehzahlstufe [m/min]\t: 37.699\r\n"
                               "*Verweilzeit korrigiert [ms]\t: 0\r\n"
                               "*Rot. Vorschub korrigiert [Grad/min]\t:  0.000\r\n";
    EXPECT_NE(text.find(values), std::string::npos) << text;
}

TEST_F(CuttingDataWindowTest, PowerGroupOpensCalculatesAndKeepsItsState)
{
    CuttingDataWindow* w = window();
    EXPECT_FALSE(w->powerToggle()->isChecked()); // collapsed by default
    EXPECT_TRUE(w->powerArea()->isHidden());
    EXPECT_EQ(w->powerToggle()->accessibleName(), QStringLiteral("*Leistung und Spanungsdicke"));
    EXPECT_EQ(w->materialCombo()->accessibleName(), QStringLiteral("*Werkstoffgruppe:"));
    EXPECT_EQ(w->powerInputField(PowerInput::WidthOfCut)->accessibleName(), QStringLiteral("*Schnittbreite ae [mm]:"));
    EXPECT_EQ(w->powerResultField(PowerColumn::Corrected, PowerResult::Torque)->accessibleName(),
        QStringLiteral("*Drehmoment Mc [N·m]:"));
    EXPECT_EQ(w->materialCombo()->count(), 6);
    EXPECT_FALSE(w->removeMaterialButton()->isEnabled()); // a built-in group is chosen

    w->powerToggle()->click();
    EXPECT_FALSE(w->powerArea()->isHidden());
    w->feedModeButton(FeedMode::PerTooth)->click();
    typeInto(w->inputField(CuttingInput::Diameter), "50");
    typeInto(w->inputField(CuttingInput::CuttingSpeed), "200");
    typeInto(w->inputField(CuttingInput::FeedPerTooth), "0.15");
    typeInto(w->inputField(CuttingInput::Teeth), "4");
    typeInto(w->powerInputField(PowerInput::WidthOfCut), "25");
    typeInto(w->powerInputField(PowerInput::DepthOfCut), "5");
    QTest::mouseClick(button("calculateButton"), Qt::LeftButton);
    EXPECT_EQ(w->powerResultField(PowerColumn::Theoretical, PowerResult::NetPower)->text(), QStringLiteral("3.66"));
    EXPECT_EQ(w->powerResultField(PowerColumn::Theoretical, PowerResult::SpindlePower)->text(), QStringLiteral("4.58"));
    EXPECT_EQ(w->powerResultField(PowerColumn::Theoretical, PowerResult::Torque)->text(), QStringLiteral("27.5"));
    EXPECT_EQ(w->powerStatusLabel()->text(), QString());

    // Aluminium: the results follow the choice at once.
    w->materialCombo()->setCurrentIndex(4);
    emit w->materialCombo()->activated(4);
    EXPECT_EQ(w->powerResultField(PowerColumn::Theoretical, PowerResult::NetPower)->text(), QStringLiteral("1.81"));

    w->switchToPage(122);
    QApplication::processEvents();
    static_cast<FunctionWindow*>(controller->state()->windows.coolant)->switchToPage(120);
    QApplication::processEvents();
    CuttingDataWindow* again = window();
    EXPECT_TRUE(again->powerToggle()->isChecked());
    EXPECT_FALSE(again->powerArea()->isHidden());
    EXPECT_EQ(again->powerInputField(PowerInput::WidthOfCut)->text(), QStringLiteral("25.000"));
    EXPECT_EQ(again->materialCombo()->currentIndex(), 4);
    EXPECT_EQ(again->powerResultField(PowerColumn::Theoretical, PowerResult::Torque)->text(), QStringLiteral("13.6"));
}

TEST_F(CuttingDataWindowTest, OwnMaterialGroupsAreSavedAndDamagedFilesReported)
{
    CuttingDataWindow* w = window();
    EXPECT_FALSE(w->addMaterialGroup({0, "Messing", 780.0, 0.0})); // mc 0: refused
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(controller->dataDirectory() / kMaterialFileName));
    EXPECT_EQ(w->materialCombo()->count(), 6);

    ASSERT_TRUE(w->addMaterialGroup({0, "Messing", 780.0, 0.18}));
    EXPECT_EQ(w->materialCombo()->count(), 7);
    EXPECT_EQ(w->materialCombo()->currentText(), QStringLiteral("Messing (780 / 0.18)"));
    EXPECT_TRUE(w->removeMaterialButton()->isEnabled());
    EXPECT_EQ(loadMaterialFile(controller->dataDirectory()).groups.size(), 1u);

    // A damaged file: the next window says so and keeps the built-in groups.
    std::ofstream(controller->dataDirectory() / kMaterialFileName) << "KVT-MATERIAL-GROUPS 1\nkaputt\n";
    boxes.shown.clear();
    w->switchToPage(122);
    QApplication::processEvents();
    static_cast<FunctionWindow*>(controller->state()->windows.coolant)->switchToPage(120);
    QApplication::processEvents();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("CuttingMaterials.txt: *Zeile 2"), std::string::npos) << boxes.shown[0].text;
    EXPECT_EQ(window()->materialCombo()->count(), 6);
}

} // namespace
} // namespace kvt
