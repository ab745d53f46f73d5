#pragma once
// The cutting data dialog ("*Schnittdaten Calculator"): binds its edit fields to the
// cutting data form, forwards the commands and shows what the form says. Reports go
// through the common report writer and open in the desktop's text viewer.

#include "app/function_window.h"
#include "machining/cutting_data/cutting_data_form.h"

#include <array>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kvt {

class Clock;
class FeedModePicture;
class MessageBoxes;
class TextViewerLauncher;

// What the window needs from outside besides the controller; tests pass their own.
struct CuttingDataServices {
    MessageBoxes* boxes = nullptr; // nullptr: real message boxes
    TextViewerLauncher* viewer = nullptr; // nullptr: the desktop's text viewer
    const Clock* clock = nullptr; // nullptr: the system clock
};

class CuttingDataWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit CuttingDataWindow(AppController& controller, CuttingDataServices services = {});
    ~CuttingDataWindow() override;

    void storeInputs() override;
    void refresh() override;
    void machineChanged() override;
    void calculate() override;

    // For tests and screen readers alike: the widgets by role.
    QLineEdit* inputField(CuttingInput input) const { return m_inputs[static_cast<std::size_t>(input)]; }
    QLabel* inputLabel(CuttingInput input) const { return m_inputLabels[static_cast<std::size_t>(input)]; }
    QLineEdit* resultField(CuttingResult result) const { return m_results[static_cast<std::size_t>(result)]; }
    QRadioButton* feedModeButton(FeedMode mode) const;
    QRadioButton* speedStepButton(SpeedStepChoice choice) const;
    QCheckBox* autoOpenBox() const { return m_autoOpen; }
    const CuttingDataForm& form() const { return m_form; }

protected:
    void openReportCommand() override;
    void extendBackgroundMenu(QMenu* menu) override;
    void reportOpeningChanged() override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void retranslate();
    void chooseFeedMode(FeedMode mode);
    void chooseSpeedStep(SpeedStepChoice choice);
    void showForm();
    void showResults();
    void afterCalculation(bool calculated);
    bool writeReport();
    void returnToToolManagement(ToolReturnCode code);
    std::span<const float, kSpeedStepTableSize> speedSteps() const;

    CuttingDataServices m_services;
    std::unique_ptr<MessageBoxes> m_ownBoxes;
    std::unique_ptr<TextViewerLauncher> m_ownViewer;
    std::unique_ptr<Clock> m_ownClock;
    CuttingDataForm m_form;
    bool m_fromToolManagement = false;
    bool m_opened = false; // stores only once the saved block was read

    std::array<QLineEdit*, kCuttingInputCount> m_inputs {};
    std::array<QLabel*, kCuttingInputCount> m_inputLabels {};
    std::array<QLineEdit*, kCuttingResultCount> m_results {};
    std::array<QLabel*, kCuttingResultCount> m_resultLabels {};
    std::array<QRadioButton*, 4> m_modeButtons {};
    std::array<QRadioButton*, 3> m_stepButtons {};
    QButtonGroup* m_modeGroup = nullptr;
    QButtonGroup* m_stepGroup = nullptr;
    QGroupBox* m_inputBox = nullptr;
    QGroupBox* m_modeBox = nullptr;
    QGroupBox* m_stepBox = nullptr;
    QGroupBox* m_theoreticalBox = nullptr;
    QGroupBox* m_correctedBox = nullptr;
    QGroupBox* m_dwellBox = nullptr;
    QGroupBox* m_rotaryBox = nullptr;
    FeedModePicture* m_picture = nullptr;
    QPushButton* m_calculateButton = nullptr;
    QPushButton* m_reportButton = nullptr;
    QCheckBox* m_autoOpen = nullptr;
};

} // namespace kvt
