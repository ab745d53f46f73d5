// The coolant emulsion dialog offscreen, driven as a user would: the operation list,
// typing, "*Berechnen" with its messages and report, the refractometer box, the tank
// estimate, the machine's tank, other volume units, and switching away and back.

#include "machining/coolant/coolant_window.h"
#include "options/machine_data.h"
#include "options/options_record.h"

#include "window_test_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStandardItemModel>

#include <fstream>
#include <iterator>

namespace kvt {
namespace {

class CoolantWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::Coolant, &makeWindow<CoolantWindow>);
        openPage(page::Coolant); // the start page is the cutting data window
    }

    CoolantWindow* window() const { return FunctionWindowFixture::window<CoolantWindow>(page::Coolant); }
    std::vector<std::filesystem::path> reports() const { return FunctionWindowFixture::reports("KSM"); }
    QPushButton* button(const char* name) const { return window()->findChild<QPushButton*>(QString::fromUtf8(name)); }

    void chooseOperation(int row)
    {
        QComboBox* box = window()->operationBox();
        box->setCurrentIndex(row);
        emit box->activated(row);
    }
    void calculate() { QTest::mouseClick(button("calculateButton"), Qt::LeftButton); }
    QString result(CoolantResult which) const { return window()->resultField(which)->text(); }
    QString input(CoolantInput which) const { return window()->inputField(which)->text(); }

    // Reopens the window, as the menu does after another function was used.
    void reopen()
    {
        openPage(page::CuttingData);
        openPage(page::Coolant);
    }

    static std::string fileText(const std::filesystem::path& path)
    {
        std::ifstream file(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    }
};

TEST_F(CoolantWindowTest, OpensWithItsUnitLineOperationListAndNamedControls)
{
    CoolantWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->accessibleName(), QStringLiteral("*Kühlschmiermittel Berechnung"));
    EXPECT_EQ(w->unitLine()->text(), QStringLiteral("Eingaben in [mm], [Liter]"));
    for (QLabel* label : w->findChildren<QLabel*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(label->buddy())) {
            EXPECT_EQ(edit->accessibleName(), label->text());
        }
    }
    for (QAbstractButton* control : w->findChildren<QAbstractButton*>())
        EXPECT_EQ(control->accessibleName(), control->text()) << control->objectName().toStdString();
    EXPECT_EQ(w->inputField(CoolantInput::ActualVolume)->accessibleName(), QStringLiteral("*Istmenge Mischung:"));
    EXPECT_EQ(w->operationBox()->accessibleName(), QStringLiteral("*Rechenoperation"));
    EXPECT_TRUE(w->resultField(CoolantResult::WaterToAdd)->isReadOnly());

    // Without a language module: the program's own eight rows; separators cannot be
    // chosen.
    QComboBox* box = w->operationBox();
    ASSERT_EQ(box->count(), 8);
    EXPECT_EQ(box->itemText(0), QStringLiteral("*Neue Emulsion ansetzen"));
    EXPECT_EQ(box->itemText(1), QString(41, QLatin1Char('-')));
    auto* model = qobject_cast<QStandardItemModel*>(box->model());
    ASSERT_NE(model, nullptr);
    EXPECT_FALSE(model->item(1)->isEnabled());
    EXPECT_FALSE(model->item(5)->isEnabled());
    EXPECT_TRUE(model->item(7)->isEnabled());
    EXPECT_EQ(input(CoolantInput::RefractometerFactor), QStringLiteral("  1.43"));

    // The estimate method switches the tank fields it does not read off.
    EXPECT_TRUE(w->tankMethodButton(TankMethod::Dimensions)->isChecked());
    EXPECT_FALSE(w->inputField(CoolantInput::HeightUnit)->isEnabled());
    w->tankMethodButton(TankMethod::HeightUnits)->click();
    EXPECT_TRUE(w->inputField(CoolantInput::HeightUnit)->isEnabled());
    EXPECT_FALSE(w->inputField(CoolantInput::TankWidth)->isEnabled());
}

TEST_F(CoolantWindowTest, ANewBatchShowsItsResultsAndWritesAReportThatAddsUp)
{
    CoolantWindow* w = window();
    EXPECT_FALSE(button("reportButton")->isEnabled());
    typeInto(w->inputField(CoolantInput::TargetVolume), "100");
    typeInto(w->inputField(CoolantInput::TargetConcentration), "5,x");
    EXPECT_EQ(input(CoolantInput::TargetConcentration), QStringLiteral("5.")); // cut back
    calculate();
    EXPECT_EQ(result(CoolantResult::ConcentrateToAdd), QStringLiteral("  5.00"));
    EXPECT_EQ(result(CoolantResult::WaterToAdd), QStringLiteral(" 95.00"));
    EXPECT_EQ(result(CoolantResult::MixerSetting), QStringLiteral("  5.00"));
    EXPECT_EQ(result(CoolantResult::TotalVolume), QStringLiteral("100.00"));
    EXPECT_EQ(input(CoolantInput::TargetConcentration), QStringLiteral("  5.00"));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(button("reportButton")->isEnabled());

    const auto written = reports();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].filename().string(), "KSS Report_20250307_140509.txt");
    EXPECT_TRUE(viewer.opened.empty());
    const std::string text = fileText(written[0]);
    EXPECT_NE(text.find("Wasser hinzuf\xfcgen [Liter]\t:  95.00\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Konzentrat hinzuf\xfcgen [Liter]\t:   5.00\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("*Gesamt-Volumen [Liter]\t: 100.00\r\n"), std::string::npos) << text;

    // Checked, the box opens every new report; the report button opens it as well.
    w->autoOpenBox()->click();
    EXPECT_EQ(controller->options()->settings.openReportsAutomatically, 1);
    calculate();
    EXPECT_EQ(viewer.opened.size(), 1u);
    QTest::mouseClick(button("reportButton"), Qt::LeftButton);
    EXPECT_EQ(viewer.opened.size(), 2u);
}

TEST_F(CoolantWindowTest, AFailedCalculationTellsWhyClearsTheResultsAndWritesNothing)
{
    CoolantWindow* w = window();
    typeInto(w->inputField(CoolantInput::TargetVolume), "100");
    typeInto(w->inputField(CoolantInput::TargetConcentration), "5");
    calculate();
    ASSERT_EQ(reports().size(), 1u);

    chooseOperation(2);
    typeInto(w->inputField(CoolantInput::ActualVolume), "100");
    typeInto(w->inputField(CoolantInput::ActualConcentration), "5");
    calculate();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Eingabefehler: Sollkonzentration ist kleiner oder gleich Istkonzentration!");
    EXPECT_EQ(boxes.shown[0].caption, "Fehler");
    for (int i = 0; i < kCoolantResultCount; ++i)
        EXPECT_EQ(result(static_cast<CoolantResult>(i)), QString()) << i;
    EXPECT_FALSE(button("reportButton")->isEnabled());
    EXPECT_EQ(reports().size(), 1u);
}

TEST_F(CoolantWindowTest, CorrectsATankUpAndDownInUsGallons)
{
    controller->options()->settings.volumeUnit = 2;
    reopen();
    CoolantWindow* w = window();
    EXPECT_EQ(w->unitLine()->text(), QStringLiteral("Eingaben in [mm], [Gallon US]"));

    chooseOperation(2);
    typeInto(w->inputField(CoolantInput::ActualVolume), "100");
    typeInto(w->inputField(CoolantInput::ActualConcentration), "4");
    typeInto(w->inputField(CoolantInput::TargetConcentration), "5");
    calculate();
    EXPECT_EQ(result(CoolantResult::ConcentrateToAdd), QStringLiteral("  1.05"));
    EXPECT_EQ(result(CoolantResult::TotalVolume), QStringLiteral("101.05"));

    chooseOperation(7);
    typeInto(w->inputField(CoolantInput::ActualConcentration), "6");
    calculate();
    EXPECT_EQ(result(CoolantResult::EmulsionToRemove), QStringLiteral(" 16.67"));
    EXPECT_EQ(result(CoolantResult::WaterToAdd), QStringLiteral(" 16.67"));
    EXPECT_EQ(result(CoolantResult::ConcentrateToAdd), QStringLiteral("  0.00"));
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(reports().size(), 1u); // the same second: the second report replaces the first
    EXPECT_NE(fileText(reports()[0]).find("*Emulsion entfernen [Gallon US]\t:  16.67\r\n"), std::string::npos);

    // Stored in millilitres: after the options dialog switched to litres the same tank
    // reads 378.54, and so it does when the window opens again.
    reopen();
    EXPECT_EQ(input(CoolantInput::ActualVolume), QStringLiteral("100.00"));
    controller->options()->settings.volumeUnit = 0;
    window()->refresh();
    EXPECT_EQ(window()->unitLine()->text(), QStringLiteral("Eingaben in [mm], [Liter]"));
    EXPECT_EQ(input(CoolantInput::ActualVolume), QStringLiteral("378.54"));
    reopen();
    EXPECT_EQ(input(CoolantInput::ActualVolume), QStringLiteral("378.54"));
}

TEST_F(CoolantWindowTest, EstimatesTheTankFromItsDimensionsIntoTheActualVolume)
{
    CoolantWindow* w = window();
    typeInto(w->inputField(CoolantInput::TankWidth), "500");
    typeInto(w->inputField(CoolantInput::TankLength), "1000");
    QTest::mouseClick(w->estimateButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Eingabewerte überprüfen!");
    EXPECT_EQ(boxes.shown[0].caption, "Fehler");

    typeInto(w->inputField(CoolantInput::FillHeight), "300");
    QTest::mouseClick(w->estimateButton(), Qt::LeftButton);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(input(CoolantInput::ActualVolume), QStringLiteral("150.00"));
}

TEST_F(CoolantWindowTest, TheRefractometerBoxRewritesBothConcentrations)
{
    CoolantWindow* w = window();
    typeInto(w->inputField(CoolantInput::ActualConcentration), "4");
    typeInto(w->inputField(CoolantInput::TargetConcentration), "5");
    w->refractometerBox()->click();
    EXPECT_EQ(input(CoolantInput::ActualConcentration), QStringLiteral("  2.80"));
    EXPECT_EQ(input(CoolantInput::TargetConcentration), QStringLiteral("  3.50"));
    w->refractometerBox()->click();
    EXPECT_EQ(input(CoolantInput::ActualConcentration), QStringLiteral("  4.00"));
    EXPECT_EQ(input(CoolantInput::TargetConcentration), QStringLiteral("  5.00"));

    // The flag is kept, and the block holds concentrations, not readings.
    w->refractometerBox()->click();
    reopen();
    EXPECT_TRUE(window()->refractometerBox()->isChecked());
    EXPECT_EQ(input(CoolantInput::TargetConcentration), QStringLiteral("  3.50"));
}

TEST_F(CoolantWindowTest, InputsAndTheOperationSurviveSwitchingAndTheMachinesTankComesIn)
{
    CoolantWindow* w = window();
    chooseOperation(6);
    typeInto(w->inputField(CoolantInput::ActualVolume), "80");
    typeInto(w->inputField(CoolantInput::TankWidth), "400");
    w->tankMethodButton(TankMethod::HeightUnits)->click();

    MachineData& data = machineData(controller->options()->machines[0]);
    data.currentCoolantTank = 1;
    CoolantTank& tank = data.coolantTanks[1];
    tank.name[0] = u'T';
    tank.width = 600.0f;
    tank.length = 1200.0f;
    tank.volumePerHeightUnit = 7200.0f;
    tank.heightUnit = 10.0f;
    tank.refractometerFactor = 1.5f;

    reopen();
    w = window();
    EXPECT_EQ(w->operationBox()->currentIndex(), 6);
    EXPECT_TRUE(w->tankMethodButton(TankMethod::HeightUnits)->isChecked());
    EXPECT_EQ(input(CoolantInput::ActualVolume), QStringLiteral(" 80.00"));
    EXPECT_EQ(input(CoolantInput::TankWidth), QStringLiteral("600.000"));
    EXPECT_EQ(input(CoolantInput::TankLength), QStringLiteral("1200.000"));
    EXPECT_EQ(input(CoolantInput::VolumePerHeightUnit), QStringLiteral("  7.20"));
    EXPECT_EQ(input(CoolantInput::RefractometerFactor), QStringLiteral("  1.50"));

    typeInto(w->inputField(CoolantInput::FillHeight), "250");
    QTest::mouseClick(w->estimateButton(), Qt::LeftButton);
    EXPECT_EQ(input(CoolantInput::ActualVolume), QStringLiteral("180.00"));
    EXPECT_TRUE(boxes.shown.empty());

    // Another machine chosen in the menu brings its own tank; the fill height stays.
    controller->options()->settings.currentMachine = 3;
    CoolantTank& other = machineData(controller->options()->machines[3]).coolantTanks[0];
    other.name[0] = u'B';
    other.width = 450.0f;
    w->machineChanged();
    EXPECT_EQ(input(CoolantInput::TankWidth), QStringLiteral("450.000"));
    EXPECT_EQ(input(CoolantInput::FillHeight), QStringLiteral("250.000"));
}

} // namespace
} // namespace kvt
