#pragma once
// The cutting data dialog ("*Schnittdaten Calculator"): binds its edit fields to the
// cutting data form, forwards the commands and shows what the form says. The chrome
// (services, the saved block, the report step, the machine) is the function window's.

#include "app/function_window.h"
#include "machining/cutting_data/cutting_data_form.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kvt {

class FeedModePicture;

class CuttingDataWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit CuttingDataWindow(AppController& controller, const WindowServices& services = {});
    ~CuttingDataWindow() override;

    void storeInputs() override;
    void refresh() override;
    void machineChanged() override;
    void calculate() override;

    // For tests and screen readers alike: the widgets by role.
    QLineEdit* inputField(CuttingInput input) const { return m_inputs[static_cast<std::size_t>(input)].edit; }
    QLabel* inputLabel(CuttingInput input) const { return m_inputs[static_cast<std::size_t>(input)].caption; }
    QLineEdit* resultField(CuttingResult result) const { return m_results[static_cast<std::size_t>(result)].edit; }
    QRadioButton* feedModeButton(FeedMode mode) const;
    QRadioButton* speedStepButton(SpeedStepChoice choice) const;
    const CuttingDataForm& form() const { return m_form; }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;
    void extendBackgroundMenu(QMenu* menu) override;

private:
    void buildControls();
    void retranslate();
    void chooseFeedMode(FeedMode mode);
    void chooseSpeedStep(SpeedStepChoice choice);
    void showForm();
    void showResults();
    void afterCalculation(bool calculated);
    void returnToToolManagement(ToolReturnCode code);
    std::span<const float, kSpeedStepTableSize> speedSteps() const;

    CuttingDataForm m_form;
    bool m_fromToolManagement = false;

    std::array<CaptionedField, kCuttingInputCount> m_inputs {};
    std::array<CaptionedField, kCuttingResultCount> m_results {};
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
};

} // namespace kvt
