// The eccentric turning and cut-to-length dialogs offscreen, driven as a user would:
// typing, choices, "*Berechnen", messages, reports, millimetres and inches, switching
// away and back.

#include "machining/cut_to_length/cut_setup_picture.h"
#include "machining/cut_to_length/cut_to_length_window.h"
#include "machining/eccentric_turning/eccentric_turning_window.h"
#include "options/options_record.h"

#include "window_test_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include <fstream>

namespace kvt {
namespace {

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void expectCaptionsNameTheirFields(QWidget* window)
{
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(label->buddy())) {
            EXPECT_EQ(edit->accessibleName(), label->text());
        }
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty()) {
            EXPECT_EQ(button->accessibleName(), button->text());
        }
    }
}

// ---- eccentric turning ----------------------------------------------------------

class EccentricTurningWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override { startProgram(page::EccentricTurning, &makeWindow<EccentricTurningWindow>); }
    void open(int unitSystem = kUnitSystemMetric)
    {
        controller->options()->settings.unitSystem = static_cast<std::uint8_t>(unitSystem);
        openPage(page::EccentricTurning);
    }
    EccentricTurningWindow* window() const
    {
        return FunctionWindowFixture::window<EccentricTurningWindow>(page::EccentricTurning);
    }
    void press() const
    {
        QTest::mouseClick(window()->findChild<QPushButton*>(QStringLiteral("calculateButton")), Qt::LeftButton);
    }
    QString shown(EccentricField field) const { return window()->field(field)->text(); }
};

TEST_F(EccentricTurningWindowTest, ShimForAnOffsetThenTheOffsetBack)
{
    open();
    EccentricTurningWindow* w = window();
    ASSERT_NE(w, nullptr);
    expectCaptionsNameTheirFields(w);
    EXPECT_EQ(w->field(EccentricField::Offset)->accessibleName(), QStringLiteral("*Offset [mm]:"));
    EXPECT_EQ(w->errorField()->accessibleName(), QStringLiteral("*Vor. Fehler [mm]:"));
    EXPECT_TRUE(w->largestForInfoButton()->isChecked());
    EXPECT_TRUE(w->field(EccentricField::LargestDiameter)->isReadOnly());

    typeInto(w->field(EccentricField::Offset), "2");
    typeInto(w->field(EccentricField::Diameter), "40");
    press();
    EXPECT_EQ(shown(EccentricField::Thickness), QStringLiteral(" 2.925"));
    EXPECT_EQ(shown(EccentricField::LargestDiameter), QStringLiteral("36.000"));
    EXPECT_EQ(w->errorField()->text(), QStringLiteral("0.0025"));
    const auto written = reports("AMDWS");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NE(fileText(written[0]).find("*Max D erstellbar [mm]\t: 36.000\r\n"), std::string::npos);
    EXPECT_TRUE(viewer.opened.empty());

    // The offset back from the piece: the corresponding fields empty together.
    w->clearCorrespondingFields(w->field(EccentricField::Offset));
    EXPECT_EQ(shown(EccentricField::Offset), QString());
    EXPECT_EQ(shown(EccentricField::Thickness), QString());
    EXPECT_EQ(shown(EccentricField::Diameter), QStringLiteral("40"));
    typeInto(w->field(EccentricField::Thickness), "2.9249");
    press();
    EXPECT_EQ(shown(EccentricField::Offset), QStringLiteral(" 2.000"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(EccentricTurningWindowTest, OffsetNotSmallerThanTheRadiusIsToldAndWritesNoReport)
{
    open();
    EccentricTurningWindow* w = window();
    typeInto(w->field(EccentricField::Offset), "20");
    typeInto(w->field(EccentricField::Diameter), "40");
    press();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Das Offset muss kleiner als der Radius sein!");
    EXPECT_EQ(boxes.shown[0].caption, "*ERROR");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(shown(EccentricField::Thickness), QStringLiteral(" 0.000"));
    EXPECT_EQ(w->errorField()->text(), QStringLiteral(" 0.000"));
    EXPECT_TRUE(reports("AMDWS").empty());
}

TEST_F(EccentricTurningWindowTest, InchesLargestDiameterAsInputAndKeptAcrossSwitching)
{
    open(kUnitSystemInch);
    EccentricTurningWindow* w = window();
    EXPECT_EQ(w->field(EccentricField::Diameter)->accessibleName(), QStringLiteral("*Durchmesser [inch]:"));
    w->largestAsInputButton()->click();
    EXPECT_FALSE(w->field(EccentricField::LargestDiameter)->isReadOnly());
    typeInto(w->field(EccentricField::Diameter), "2");
    typeInto(w->field(EccentricField::LargestDiameter), "1.8");
    w->autoOpenBox()->click();
    press();
    EXPECT_EQ(shown(EccentricField::Offset), QStringLiteral(" 0.1000"));
    EXPECT_EQ(shown(EccentricField::Thickness), QStringLiteral(" 0.1462"));
    ASSERT_EQ(viewer.opened.size(), 1u);
    EXPECT_NE(fileText(viewer.opened[0]).find("*Offset [inch]\t:  0.1000\r\n"), std::string::npos);

    openPage(page::CuttingData);
    open(kUnitSystemMetric);
    w = window();
    EXPECT_TRUE(w->largestAsInputButton()->isChecked());
    EXPECT_EQ(shown(EccentricField::Diameter), QStringLiteral("50.800"));
    EXPECT_EQ(shown(EccentricField::Offset), QStringLiteral(" 2.540"));
    EXPECT_TRUE(w->autoOpenBox()->isChecked());
}

// ---- cut to length --------------------------------------------------------------

class CutToLengthWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override { startProgram(page::CutToLength, &makeWindow<CutToLengthWindow>); }
    void open(int unitSystem = kUnitSystemMetric)
    {
        controller->options()->settings.unitSystem = static_cast<std::uint8_t>(unitSystem);
        openPage(page::CutToLength);
    }
    CutToLengthWindow* window() const { return FunctionWindowFixture::window<CutToLengthWindow>(page::CutToLength); }
    void press() const
    {
        QTest::mouseClick(window()->findChild<QPushButton*>(QStringLiteral("calculateButton")), Qt::LeftButton);
    }
    void chooseOperation(int row) const { window()->operationBox()->setCurrentIndex(row); }
    void type(CutInput input, const char* text) const { typeInto(window()->inputField(input), text); }
    QString result(CutResult which) const { return window()->resultField(which)->text(); }
};

TEST_F(CutToLengthWindowTest, LatheThenMillingRearrangesTheWindow)
{
    open();
    CutToLengthWindow* w = window();
    ASSERT_NE(w, nullptr);
    expectCaptionsNameTheirFields(w);
    EXPECT_EQ(w->operationBox()->count(), 3);
    EXPECT_EQ(w->operationBox()->itemText(0), QStringLiteral("*Abstechen auf der Drehmaschine"));
    EXPECT_EQ(w->operationBox()->accessibleName(), QStringLiteral("*Bearbeitung"));
    EXPECT_TRUE(w->originButton(AxisOrigin::Left)->isChecked());
    EXPECT_FALSE(w->inputField(CutInput::Raw)->isVisibleTo(w));
    EXPECT_FALSE(w->sideGroup()->isVisibleTo(w));
    const int latheHeight = w->height();

    type(CutInput::Wanted, "50");
    type(CutInput::Tool, "3");
    press();
    EXPECT_EQ(result(CutResult::Coordinate), QStringLiteral("-53.000"));
    EXPECT_EQ(result(CutResult::Infeed), QStringLiteral(" 3.000"));
    ASSERT_EQ(reports("GAL").size(), 1u);

    chooseOperation(1);
    EXPECT_EQ(w->picture()->operation(), CutOperation::MillFromLeft);
    EXPECT_TRUE(w->inputField(CutInput::Allowance)->isVisibleTo(w));
    EXPECT_TRUE(w->sideGroup()->isVisibleTo(w));
    const int millingHeight = w->height();
    EXPECT_GT(millingHeight, latheHeight);
    type(CutInput::Wanted, "100");
    type(CutInput::Raw, "105");
    type(CutInput::Start, "10");
    type(CutInput::Tool, "16");
    type(CutInput::Allowance, "0.2");
    press();
    EXPECT_EQ(result(CutResult::Coordinate), QStringLiteral("126.000"));
    EXPECT_EQ(result(CutResult::Infeed), QStringLiteral(" 5.000"));
    w->sideButton(SideB::Usable)->click();
    press();
    EXPECT_EQ(result(CutResult::Coordinate), QStringLiteral("118.000"));
    w->originButton(AxisOrigin::Right)->click();
    press();
    EXPECT_EQ(result(CutResult::Coordinate), QStringLiteral("-98.000"));
    EXPECT_TRUE(boxes.shown.empty());

    chooseOperation(0);
    EXPECT_LT(w->height(), millingHeight);
}

TEST_F(CutToLengthWindowTest, MessagesStopOrLetTheCalculationRun)
{
    open();
    CutToLengthWindow* w = window();
    press();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Soll-Laenge darf nicht 0 sein.");
    EXPECT_EQ(boxes.shown[0].caption, "*Fehler");
    EXPECT_EQ(result(CutResult::Coordinate), QString());

    boxes.shown.clear();
    type(CutInput::Wanted, "100");
    press();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Die Werkzeugbreite oder der Werkzeugdurchmesser darf nicht 0 sein.");
    EXPECT_TRUE(reports("GAL").empty());

    boxes.shown.clear();
    chooseOperation(2);
    type(CutInput::Raw, "100");
    type(CutInput::Tool, "16");
    press();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "*Die Rohteil-Laenge muß größer als die Soll - Laenge sein.");
    EXPECT_EQ(result(CutResult::Infeed), QStringLiteral(" 0.000"));
    EXPECT_EQ(reports("GAL").size(), 1u);
    EXPECT_EQ(w->resultField(CutResult::Coordinate)->text(), QStringLiteral("-116.000"));
}

TEST_F(CutToLengthWindowTest, InchesAndEverythingKeptAcrossSwitching)
{
    open(kUnitSystemInch);
    CutToLengthWindow* w = window();
    EXPECT_EQ(w->inputField(CutInput::Wanted)->accessibleName(), QStringLiteral("*Soll-Länge A [inch]:"));
    chooseOperation(2);
    w->originButton(AxisOrigin::Right)->click();
    type(CutInput::Wanted, "4");
    type(CutInput::Raw, "4.2");
    type(CutInput::Tool, "0.5");
    press();
    EXPECT_EQ(result(CutResult::Coordinate), QStringLiteral(" 4.5000"));
    EXPECT_EQ(result(CutResult::Infeed), QStringLiteral(" 0.2000"));
    const auto written = reports("GAL");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NE(fileText(written[0]).find("[inch]\t:  4.5000\r\n"), std::string::npos);

    openPage(page::CuttingData);
    open(kUnitSystemInch);
    w = window();
    EXPECT_EQ(w->operationBox()->currentIndex(), 2);
    EXPECT_TRUE(w->originButton(AxisOrigin::Right)->isChecked());
    EXPECT_TRUE(w->sideButton(SideB::Raw)->isChecked());
    EXPECT_EQ(w->inputField(CutInput::Raw)->text(), QStringLiteral(" 4.2000"));
    EXPECT_EQ(result(CutResult::Coordinate), QStringLiteral(" 4.5000"));
    EXPECT_TRUE(w->inputField(CutInput::Raw)->isVisibleTo(w));
}

} // namespace
} // namespace kvt
