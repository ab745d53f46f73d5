#pragma once
// The flange dialog ("*Flansche"): binds its edit fields to the flange form, forwards the
// commands, shows what the form says and draws the preview. The chrome (services, the
// saved block, the report step) is the function window's; DXF drawings go through the
// program's save dialog.

#include "app/function_window.h"
#include "design/flanges/flange_form.h"

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;

namespace kvt {

class FlangePreview;

// The save dialog's answer: the path, and the unit of the chosen filter (0 mm, 1 inch);
// no unit for "All Files" or a cancelled dialog.
struct DxfSaveChoice {
    std::filesystem::path path;
    std::optional<int> unit;
};

// The DXF save dialog: start path and unit system in, the choice out.
using DxfSaveDialog = std::function<DxfSaveChoice(const QString& startPath, int unitSystem)>;

class FlangeWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit FlangeWindow(AppController& controller, const WindowServices& services = {});
    ~FlangeWindow() override;

    void storeInputs() override;
    void refresh() override;
    void calculate() override;
    void clearCorrespondingFields(QLineEdit* field) override;

    // For tests and screen readers alike: the widgets by role.
    QLineEdit* inputField(int input) const { return m_inputs[static_cast<std::size_t>(input)].edit; }
    QLabel* inputLabel(int input) const { return m_inputs[static_cast<std::size_t>(input)].caption; }
    QComboBox* kindBox() const { return m_kind; }
    QRadioButton* circleButton(int circle) const { return m_circleButtons[static_cast<std::size_t>(circle)]; }
    QRadioButton* zeroButton(ZeroChoice choice) const { return m_zeroButtons[static_cast<std::size_t>(choice)]; }
    QCheckBox* autoBox(int circle) const { return m_autoBoxes[static_cast<std::size_t>(circle)]; }
    QPushButton* determineDiameterButton(int circle) const
    {
        return m_diameterButtons[static_cast<std::size_t>(circle)];
    }
    QPushButton* determinePitchButton(int circle) const { return m_pitchButtons[static_cast<std::size_t>(circle)]; }
    QPushButton* previewButton() const { return m_previewButton; }
    QPushButton* dxfButton() const { return m_dxfButton; }
    QPushButton* zoomButton(int step) const; // -1 Zoom-, 0 Reset, 1 Zoom+
    FlangePreview* preview() const { return m_preview; }
    bool previewShown() const { return m_previewShown; }
    const FlangeForm& form() const { return m_form; }

    // The preview area adds this many pixels to the window's width.
    static constexpr int kPreviewWidth = 420;

    void exportDxf();
    void determineDiameter();
    void determinePitch();
    void togglePreview();
    // Tests answer the save dialog themselves.
    void setDxfSaveDialog(DxfSaveDialog dialog) { m_saveDialog = std::move(dialog); }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;
    void openReportCommand() override;

private:
    void buildControls();
    QWidget* buildCirclePage(int circle);
    void retranslate();
    void showForm();
    void showInputs();
    // Runs the calculation and shows the fields; false, after its message, when it stopped.
    bool calculateAndShow();
    void chooseKind(int index);
    void chooseCircle(int circle);
    void chooseZero(ZeroChoice choice);
    void zoom(int step);

    DxfSaveDialog m_saveDialog;
    FlangeForm m_form;
    bool m_previewShown = false;

    std::array<CaptionedField, kFlangeInputCount> m_inputs {};
    QComboBox* m_kind = nullptr;
    std::array<QRadioButton*, 2> m_circleButtons {};
    QButtonGroup* m_circleGroup = nullptr;
    QGroupBox* m_circleBox = nullptr;
    QStackedWidget* m_circlePages = nullptr;
    std::array<QPushButton*, 2> m_diameterButtons {};
    std::array<QPushButton*, 2> m_pitchButtons {};
    std::array<QCheckBox*, 2> m_autoBoxes {};
    QGroupBox* m_flangeBox = nullptr;
    QGroupBox* m_zeroBox = nullptr;
    std::array<QRadioButton*, kZeroChoiceCount> m_zeroButtons {};
    QButtonGroup* m_zeroGroup = nullptr;
    QWidget* m_previewArea = nullptr;
    FlangePreview* m_preview = nullptr;
    std::array<QPushButton*, 3> m_zoomButtons {};
    QPushButton* m_previewButton = nullptr;
    QPushButton* m_dxfButton = nullptr;
};

} // namespace kvt
