#pragma once
// The flange dialog ("*Flansche"): binds its edit fields to the flange form, forwards the
// commands, shows what the form says and draws the preview. Reports go through the
// common report writer, DXF drawings through the program's save dialog.

#include "app/function_window.h"
#include "design/flanges/flange_form.h"

#include <array>
#include <functional>
#include <memory>

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

class Clock;
class FlangePreview;
class MessageBoxes;
class TextViewerLauncher;

// The save dialog's answer: the path, and the unit of the chosen filter (0 mm, 1 inch);
// no unit for "All Files" or a cancelled dialog.
struct DxfSaveChoice {
    std::filesystem::path path;
    std::optional<int> unit;
};

// What the window needs from outside besides the controller; tests pass their own.
struct FlangeServices {
    MessageBoxes* boxes = nullptr; // nullptr: real message boxes
    TextViewerLauncher* viewer = nullptr; // nullptr: the desktop's text viewer
    const Clock* clock = nullptr; // nullptr: the system clock
    // nullptr: the program's DXF save dialog. Arguments: start path, unit system.
    std::function<DxfSaveChoice(const QString&, int)> saveDialog;
};

class FlangeWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit FlangeWindow(AppController& controller, FlangeServices services = {});
    ~FlangeWindow() override;

    void storeInputs() override;
    void refresh() override;
    void calculate() override;
    void clearCorrespondingFields(QLineEdit* field) override;

    // For tests and screen readers alike: the widgets by role.
    QLineEdit* inputField(int input) const { return m_inputs[static_cast<std::size_t>(input)]; }
    QLabel* inputLabel(int input) const { return m_labels[static_cast<std::size_t>(input)]; }
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
    QPushButton* calculateButton() const { return m_calculateButton; }
    QPushButton* reportButton() const { return m_reportButton; }
    QPushButton* zoomButton(int step) const; // -1 Zoom-, 0 Reset, 1 Zoom+
    QCheckBox* autoOpenBox() const { return m_autoOpen; }
    FlangePreview* preview() const { return m_preview; }
    bool previewShown() const { return m_previewShown; }
    const FlangeForm& form() const { return m_form; }

    // The preview area adds this many pixels to the window's width.
    static constexpr int kPreviewWidth = 420;

    void exportDxf();
    void determineDiameter();
    void determinePitch();
    void togglePreview();

protected:
    void openReportCommand() override;
    void reportOpeningChanged() override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    QWidget* buildCirclePage(int circle);
    void retranslate();
    void showForm();
    void showInputs();
    void showMessage(const MessageBoxRequest& request);
    bool writeReport();
    void chooseKind(int index);
    void chooseCircle(int circle);
    void chooseZero(ZeroChoice choice);
    void zoom(int step);

    FlangeServices m_services;
    std::unique_ptr<MessageBoxes> m_ownBoxes;
    std::unique_ptr<TextViewerLauncher> m_ownViewer;
    std::unique_ptr<Clock> m_ownClock;
    FlangeForm m_form;
    bool m_opened = false; // stores only once the saved block was read
    bool m_previewShown = false;

    std::array<QLineEdit*, kFlangeInputCount> m_inputs {};
    std::array<QLabel*, kFlangeInputCount> m_labels {};
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
    QPushButton* m_calculateButton = nullptr;
    QPushButton* m_reportButton = nullptr;
    QCheckBox* m_autoOpen = nullptr;
};

} // namespace kvt
