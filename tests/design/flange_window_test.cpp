// The flange dialog offscreen, driven as a user would: kinds and circles, "*Berechnen"
// with its report, messages, the DXF export through an answered save dialog, the
// preview, "*Erm." both ways and the inputs kept across switching away and back.

#include "design/dxf_reader.h"
#include "design/flanges/flange_preview.h"
#include "design/flanges/flange_window.h"
#include "state/app_message.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"

#include "window_test_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

#include <cstring>
#include <fstream>
#include <iterator>

namespace kvt {
namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FlangeWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::Flanges, &makeWindow<FlangeWindow>);
        openPage(page::Flanges);
    }
    FlangeWindow* window() const { return FunctionWindowFixture::window<FlangeWindow>(page::Flanges); }
    QLineEdit* field(int input) const { return window()->inputField(input); }

    // Four holes at pitch 70.711 (radius 50), hole diameter 10.
    void typePattern()
    {
        typeInto(field(circleInput(0, CircleField::HoleCount)), "4");
        typeInto(field(circleInput(0, CircleField::Pitch)), "70.711");
        typeInto(field(circleInput(0, CircleField::HoleDiameter)), "10");
    }
};

TEST_F(FlangeWindowTest, EveryControlIsNamedByItsCaption)
{
    FlangeWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->accessibleName(), QStringLiteral("*Flansche"));
    int named = 0;
    for (QLabel* label : w->findChildren<QLabel*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(label->buddy())) {
            EXPECT_EQ(edit->accessibleName(), label->text());
            ++named;
        }
    }
    EXPECT_EQ(named, kFlangeInputCount);
    for (QAbstractButton* button : w->findChildren<QAbstractButton*>())
        EXPECT_EQ(button->accessibleName(), button->text()) << button->objectName().toStdString();
    EXPECT_EQ(field(circleInput(0, CircleField::Pitch))->accessibleName(), QStringLiteral("*Bohrungs-Stich [mm]:"));
    EXPECT_EQ(w->kindBox()->count(), kFlangeKindCount);
    EXPECT_EQ(w->kindBox()->itemText(8), QStringLiteral("*Flansch, beliebige Form, 1 Lochkreis, Sektion"));
    EXPECT_EQ(w->zeroButton(ZeroChoice::TopLeft)->text(), QStringLiteral("*Ecke oben links"));
}

TEST_F(FlangeWindowTest, KindDecidesWhatIsEnabled)
{
    FlangeWindow* w = window();
    EXPECT_FALSE(w->circleButton(1)->isEnabled());
    EXPECT_FALSE(w->zeroButton(ZeroChoice::BottomLeft)->isEnabled());
    EXPECT_FALSE(field(flangeInput(FlangeField::CentringDiameter))->isEnabled());
    w->kindBox()->setCurrentIndex(7);
    emit w->kindBox()->activated(7);
    EXPECT_TRUE(w->circleButton(1)->isEnabled());
    EXPECT_TRUE(w->zeroButton(ZeroChoice::BottomLeft)->isEnabled());
    EXPECT_TRUE(field(flangeInput(FlangeField::CentringDiameter))->isEnabled());
    // The chosen circle's fields are the ones shown.
    w->show();
    w->circleButton(1)->click();
    EXPECT_TRUE(field(circleInput(1, CircleField::Pitch))->isVisible());
    EXPECT_FALSE(field(circleInput(0, CircleField::Pitch))->isVisible());
    EXPECT_EQ(w->form().selectedCircle(), 1);
}

TEST_F(FlangeWindowTest, CalculateShowsResultsAndWritesTheReport)
{
    FlangeWindow* w = window();
    typePattern();
    QTest::mouseClick(w->calculateButton(), Qt::LeftButton);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(field(circleInput(0, CircleField::Diameter))->text(), QStringLiteral("100.00"));
    EXPECT_EQ(field(flangeInput(FlangeField::OuterDiameter))->text(), QStringLiteral("112.00"));
    const auto written = reports("FLA");
    ASSERT_EQ(written.size(), 1u);
    const std::string report = readFile(written[0]);
    EXPECT_NE(report.find("0001 X:    0.000 Y:   50.000\r\n0002 X:   50.000 Y:    0.000\r\n"), std::string::npos)
        << report;
    EXPECT_TRUE(viewer.opened.empty());

    // "*Bericht" writes a report of what the fields say and opens it.
    QTest::mouseClick(w->reportButton(), Qt::LeftButton);
    EXPECT_EQ(viewer.opened.size(), 1u);
}

TEST_F(FlangeWindowTest, ACheckThatFailsIsShownAndNothingIsWritten)
{
    typeInto(field(circleInput(0, CircleField::HoleCount)), "4");
    QTest::mouseClick(window()->calculateButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
        "*LK1: Bitte zwei der drei Werte Lochkreis-Durchmesser, Bohrungs-Stich und Winkel Bohrungen angeben "
        "(beliebige Form: Lochkreis-Durchmesser und Winkel Bohrungen).");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(reports("FLA").empty());
}

TEST_F(FlangeWindowTest, DxfExportWritesTheChosenUnitAndNothingForAllFiles)
{
    FlangeWindow* w = window();
    typePattern();
    const auto target = root / "flansch.dxf";
    QString startSeen = QStringLiteral("unset");
    std::optional<int> unit = 1;
    w->setDxfSaveDialog([&](const QString& start, int unitSystem) {
        startSeen = start;
        EXPECT_EQ(unitSystem, 0);
        return DxfSaveChoice {target, unit};
    });
    unit = std::nullopt; // "All Files (*.*)"
    QTest::mouseClick(w->dxfButton(), Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(startSeen, QString());

    unit = 1;
    QTest::mouseClick(w->dxfButton(), Qt::LeftButton);
    std::string error;
    const test::DxfDocument doc = test::readDxf(readFile(target), error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(doc.insUnits, "1");
    ASSERT_EQ(doc.entities.size(), 6u);
    EXPECT_EQ(doc.entities[2].summary(), "CIRCLE CircleLayer 0.000 1.969 0.197");

    // The next dialog starts at the file written last, also after reopening.
    openPage(page::CuttingData);
    openPage(page::Flanges);
    window()->setDxfSaveDialog([&](const QString& start, int) {
        startSeen = start;
        return DxfSaveChoice {};
    });
    QTest::mouseClick(window()->dxfButton(), Qt::LeftButton);
    EXPECT_EQ(startSeen.toStdString(), target.string());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FlangeWindowTest, ADxfFileThatCannotBeCreatedIsToldWithItsPath)
{
    FlangeWindow* w = window();
    typePattern();
    const auto target = root / "no such folder" / "flansch.dxf";
    w->setDxfSaveDialog([&](const QString&, int) { return DxfSaveChoice {target, 0}; });
    QTest::mouseClick(w->dxfButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.rfind("*Die DXF-Datei konnte nicht geschrieben werden:\n" + target.string(), 0), 0u)
        << boxes.shown[0].text;
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(FlangeWindowTest, PreviewWidensTheWindowAndZooms)
{
    FlangeWindow* w = window();
    w->show();
    QApplication::processEvents();
    const int narrow = w->width();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    EXPECT_TRUE(w->previewShown());
    EXPECT_TRUE(w->preview()->isVisible());
    EXPECT_EQ(w->width(), narrow + FlangeWindow::kPreviewWidth);
    QTest::mouseClick(w->zoomButton(1), Qt::LeftButton);
    QTest::mouseClick(w->zoomButton(1), Qt::LeftButton);
    EXPECT_EQ(w->form().zoomTenths(), 12);
    QTest::mouseClick(w->zoomButton(-1), Qt::LeftButton);
    EXPECT_EQ(w->form().zoomTenths(), 11);
    QTest::mouseClick(w->zoomButton(0), Qt::LeftButton);
    EXPECT_EQ(w->form().zoomTenths(), 10);
    typePattern();
    QTest::mouseClick(w->calculateButton(), Qt::LeftButton);
    EXPECT_FALSE(w->preview()->grab().isNull());
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    EXPECT_FALSE(w->preview()->isVisible());
    EXPECT_EQ(w->width(), narrow);
}

TEST_F(FlangeWindowTest, DetermineDiameterFillsTheSelectedCircle)
{
    FlangeWindow* w = window();
    QTest::mouseClick(w->determineDiameterButton(0), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "*Fehler");
    typePattern();
    QTest::mouseClick(w->determineDiameterButton(0), Qt::LeftButton);
    EXPECT_EQ(field(circleInput(0, CircleField::Diameter))->text(), QStringLiteral("100.00"));
    EXPECT_EQ(field(circleInput(0, CircleField::HoleAngle))->text(), QStringLiteral(" 90.00"));
}

TEST_F(FlangeWindowTest, DeterminePitchAsksForTheHolePitchCalculatorAndTakesTheAnswer)
{
    FlangeWindow* w = window();
    typeInto(field(circleInput(0, CircleField::HoleDiameter)), "12");
    QTest::mouseClick(w->determinePitchButton(0), Qt::LeftButton);
    QApplication::processEvents();
    const OpenDialogData& s = *controller->state();
    EXPECT_EQ(s.calcReturnWanted, 1);
    EXPECT_EQ(s.calcHandOver1, 14);
    float diameter = 0;
    std::memcpy(&diameter, &s.calcHandOver2, sizeof diameter);
    EXPECT_EQ(diameter, 12.0f);
    EXPECT_EQ(s.calcHandOver3, 1);
    // Without a calculations library the flange window comes back with what was typed.
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(field(circleInput(0, CircleField::HoleDiameter))->text(), QStringLiteral("12.000"));

    // The calculations dialog hands the pitch back through the open request.
    const float pitch = 30.0f;
    OpenRequest back;
    back.senderWindow = controller->state()->mainWindow;
    back.originPage = page::Calculations;
    std::memcpy(&back.value1, &pitch, sizeof pitch);
    back.value3 = 1;
    controller->send(AppMessage::OpenFlanges, back);
    QApplication::processEvents();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(field(circleInput(0, CircleField::Pitch))->text(), QStringLiteral("30.000"));
}

TEST_F(FlangeWindowTest, InputsAndChoicesSurviveSwitchingAway)
{
    FlangeWindow* w = window();
    w->kindBox()->setCurrentIndex(6);
    emit w->kindBox()->activated(6);
    w->zeroButton(ZeroChoice::TopRight)->click();
    w->autoBox(0)->click();
    typePattern();
    openPage(page::CuttingData);
    openPage(page::Flanges);
    FlangeWindow* again = window();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->kindBox()->currentIndex(), 6);
    EXPECT_TRUE(again->zeroButton(ZeroChoice::TopRight)->isChecked());
    EXPECT_TRUE(again->autoBox(0)->isChecked());
    EXPECT_EQ(again->inputField(circleInput(0, CircleField::Pitch))->text(), QStringLiteral("70.711"));
    EXPECT_EQ(again->inputField(circleInput(0, CircleField::HoleCount))->text(), QStringLiteral("4"));
}

TEST_F(FlangeWindowTest, CorrespondingFieldsClearTogether)
{
    FlangeWindow* w = window();
    typeInto(field(circleInput(0, CircleField::Diameter)), "100");
    typeInto(field(circleInput(0, CircleField::HoleAngle)), "90");
    w->clearCorrespondingFields(field(circleInput(0, CircleField::Pitch)));
    EXPECT_EQ(field(circleInput(0, CircleField::Diameter))->text(), QString());
    EXPECT_EQ(field(circleInput(0, CircleField::HoleAngle))->text(), QString());
}

} // namespace
} // namespace kvt
