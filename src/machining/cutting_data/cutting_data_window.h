#pragma once
// The cutting data dialog ("*Schnittdaten Calculator"): binds its edit fields to the
// cutting data form, forwards the commands and shows what the form says. The chrome
// (services, the saved block, the report step, the machine) is the function window's.

#include "app/function_window.h"
#include "machining/cutting_data/cutting_data_form.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;
class QToolButton;
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
    // The power group: its header button (checked = open) and its controls.
    QToolButton* powerToggle() const { return m_powerToggle; }
    QWidget* powerArea() const { return m_powerArea; }
    QLineEdit* powerInputField(PowerInput input) const { return m_powerInputs[static_cast<std::size_t>(input)].edit; }
    QLineEdit* powerResultField(PowerColumn column, PowerResult result) const
    {
        return m_powerResults[static_cast<std::size_t>(column)][static_cast<std::size_t>(result)];
    }
    QComboBox* materialCombo() const { return m_materialCombo; }
    QPushButton* addMaterialButton() const { return m_addMaterial; }
    QPushButton* removeMaterialButton() const { return m_removeMaterial; }
    QLabel* powerStatusLabel() const { return m_powerStatus; }
    void setPowerGroupOpen(bool open);
    // Adds a group of the user's own and saves the list; false (and told why) when the
    // group is not sound or the file could not be written.
    bool addMaterialGroup(const MaterialGroup& group);
    // Removes the chosen group when it is one of the user's.
    bool removeMaterialGroup();

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
    void buildPowerGroup();
    void retranslatePower();
    void showPower();
    void fillMaterialCombo();
    void loadMaterialGroups();
    void chooseMaterial(int group);
    void askForMaterialGroup();
    void refuseMaterialGroup();
    bool saveMaterialGroups(const std::vector<MaterialGroup>& groups);
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

    QToolButton* m_powerToggle = nullptr;
    QWidget* m_powerArea = nullptr;
    std::array<CaptionedField, kPowerInputCount> m_powerInputs {};
    QLabel* m_materialLabel = nullptr;
    QComboBox* m_materialCombo = nullptr;
    QPushButton* m_addMaterial = nullptr;
    QPushButton* m_removeMaterial = nullptr;
    std::array<QLabel*, 2> m_powerColumnHeads {};
    std::array<QLabel*, kPowerResultCount> m_powerCaptions {};
    std::array<std::array<QLineEdit*, kPowerResultCount>, 2> m_powerResults {};
    QLabel* m_powerStatus = nullptr;
};

} // namespace kvt
