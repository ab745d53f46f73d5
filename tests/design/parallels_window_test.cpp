// The parallels dialog offscreen: the list from the current machine, a calculation with
// a matching parallel and its report, a missing parallel with its message, choosing in
// the list, the accessible names, and the inputs kept across switching away.

#include "design/parallels/parallels_window.h"
#include "design/parallels/vise_picture.h"
#include "options/machine_data.h"

#include "locale_test_support.h"
#include "window_test_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include <fstream>

namespace kvt {
namespace {

class ParallelsWindowTest : public test::FunctionWindowFixture {
protected:
    void SetUp() override
    {
        startProgram(page::Parallels, &makeWindow<ParallelsWindow>);
        OptionsRecord* options = controller->options();
        MachineData& data = machineData(options->machines[0]);
        data.viseJawHeight = 50.0f;
        const float parallels[][2] = {{10, 20}, {20, 20}, {30, 20}, {40, 20}};
        for (std::size_t i = 0; i < 4; ++i) {
            data.parallels[i + 1].height = parallels[i][0];
            data.parallels[i + 1].depth = parallels[i][1];
        }
        options->settings.safetyValue = 0.2f;
    }

    ParallelsWindow* window() const { return FunctionWindowFixture::window<ParallelsWindow>(page::Parallels); }
    QString shown(ParallelsResult which) const { return window()->result(which)->text(); }
    void type(ParallelsField which, const char* text) const { typeInto(window()->field(which), text); }
    void click(const char* name) const
    {
        QTest::mouseClick(window()->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    void inputs(const char* h, const char* d, const char* o, const char* t) const
    {
        type(ParallelsField::Height, h);
        type(ParallelsField::SideDepth, d);
        type(ParallelsField::Overhang, o);
        type(ParallelsField::Depth, t);
    }
};

TEST_F(ParallelsWindowTest, ChoosesAParallelAndReportsIt)
{
    openPage(page::Parallels);
    ParallelsWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->accessibleName(), QStringLiteral("*Parallelstücke"));
    EXPECT_EQ(w->field(ParallelsField::Height)->accessibleName(), QStringLiteral("*Höhe Werkstück [mm]:"));
    EXPECT_EQ(
        w->result(ParallelsResult::Recommended)->accessibleName(), QStringLiteral("*Empf. Parellelst.-Höhe [mm]:"));
    EXPECT_EQ(w->result(ParallelsResult::Percent)->accessibleName(), QStringLiteral("*Prozent im Eingriff:"));
    EXPECT_EQ(w->parallelsList()->accessibleName(), QStringLiteral("*Parallelstück:"));
    EXPECT_EQ(w->field(ParallelsField::JawHeight)->text(), QStringLiteral("50.00"));
    ASSERT_EQ(w->parallelsList()->count(), 5);
    EXPECT_EQ(w->parallelsList()->itemText(0), QStringLiteral("*Ohne Parallelstücke "));
    EXPECT_EQ(w->parallelsList()->itemText(3), QStringLiteral("*Höhe 30.00  *Tiefe 20.00"));

    inputs("40", "12", "2", "60");
    click("calculateButton");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(w->parallelsList()->currentIndex(), 3);
    EXPECT_EQ(shown(ParallelsResult::Recommended), QStringLiteral("30.00"));
    EXPECT_EQ(shown(ParallelsResult::Required), QStringLiteral("24.20"));
    EXPECT_EQ(shown(ParallelsResult::Percent), QStringLiteral("50.00"));
    EXPECT_EQ(w->picture()->data().parallel, 30.0);

    const auto written = reports("PSH");
    ASSERT_EQ(written.size(), 1u);
    std::ifstream in(written[0], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("*Freiraum [mm]\t: 6.00\r\n"), std::string::npos);
    EXPECT_TRUE(viewer.opened.empty());
}

TEST_F(ParallelsWindowTest, MissingParallelIsToldAndListed)
{
    openPage(page::Parallels);
    ParallelsWindow* w = window();
    inputs("40", "30", "4", "60"); // h = 50 - 6 + 0.2 = 44.2: no single 45 and no pair
    click("calculateButton");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "*Parallelstück nicht vorhanden ");
    EXPECT_NE(boxes.shown[0].text.find("45.00"), std::string::npos);
    EXPECT_EQ(shown(ParallelsResult::Recommended), QStringLiteral("-"));
    EXPECT_EQ(shown(ParallelsResult::AboveJaw), QStringLiteral("*Error"));
    EXPECT_EQ(w->parallelsList()->count(), 6);
    EXPECT_EQ(w->parallelsList()->currentText(), QStringLiteral("*Parallelstück nicht vorhanden"));
    EXPECT_TRUE(reports("PSH").empty());

    // Choosing a parallel in the list shows how the workpiece sits on it.
    w->parallelsList()->setCurrentIndex(4);
    emit w->parallelsList()->activated(4);
    EXPECT_EQ(shown(ParallelsResult::AboveJaw), QStringLiteral("30.00"));
    EXPECT_EQ(shown(ParallelsResult::Clearance), QStringLiteral(" 0.00"));
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(ParallelsWindowTest, WarningColoursFollowThePosition)
{
    VisePosition position;
    EXPECT_EQ(VisePicture::parallelColour(position), VisePicture::parallelColour(VisePosition {}));
    const QColor plain = VisePicture::parallelColour(position);
    position.nearJawHeight = true;
    const QColor near = VisePicture::parallelColour(position);
    position.atJawHeight = true;
    const QColor at = VisePicture::parallelColour(position);
    EXPECT_NE(plain, near);
    EXPECT_NE(near, at);
    VisePosition deep;
    deep.tooDeepForTwo = true;
    EXPECT_EQ(VisePicture::parallelColour(deep), at);
    VisePosition warning;
    warning.warning = true;
    VisePosition error;
    error.error = true;
    EXPECT_NE(VisePicture::workpieceColour(warning), VisePicture::workpieceColour(VisePosition {}));
    EXPECT_NE(VisePicture::workpieceColour(error), VisePicture::workpieceColour(warning));
}

TEST_F(ParallelsWindowTest, InputsStayAcrossSwitchingAway)
{
    openPage(page::Parallels);
    inputs("40", "12", "2", "60");
    click("calculateButton");
    window()->switchToPage(page::CuttingData);
    QApplication::processEvents();
    openPage(page::Parallels);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->field(ParallelsField::Height)->text(), QStringLiteral("40.00"));
    EXPECT_EQ(window()->field(ParallelsField::Overhang)->text(), QStringLiteral("2.00"));
    EXPECT_EQ(window()->parallelsList()->currentIndex(), 3);
    EXPECT_EQ(window()->result(ParallelsResult::AboveJaw)->text(), QStringLiteral("20.00"));
    EXPECT_FALSE(window()->grab().isNull()); // the drawing paints
}

} // namespace
} // namespace kvt
