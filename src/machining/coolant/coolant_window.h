#pragma once
// The coolant emulsion dialog ("*Kühlschmiermittel Berechnung"): binds its fields to
// the coolant form, forwards the commands and shows what the form says. The tank data
// come from the current machine's coolant tank in the options.

#include "app/function_window.h"
#include "machining/coolant/coolant_form.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace kvt {

class CoolantWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit CoolantWindow(AppController& controller, const WindowServices& services = {});
    ~CoolantWindow() override;

    void storeInputs() override;
    void refresh() override;
    void machineChanged() override;
    void calculate() override;

    // For tests and screen readers alike: the widgets by role.
    QLineEdit* inputField(CoolantInput input) const { return m_inputs[static_cast<std::size_t>(input)].edit; }
    QLineEdit* resultField(CoolantResult result) const { return m_results[static_cast<std::size_t>(result)].edit; }
    QComboBox* operationBox() const { return m_operation; }
    QRadioButton* tankMethodButton(TankMethod method) const;
    QCheckBox* refractometerBox() const { return m_refractometer; }
    QPushButton* estimateButton() const { return m_estimateButton; }
    QLabel* unitLine() const { return m_unitLine; }
    const CoolantForm& form() const { return m_form; }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;
    void openReportCommand() override;

private:
    void buildControls();
    void retranslate();
    void fillOperationRows();
    // Reads the block (or what the window holds) again with the options' units and
    // the current machine's tank.
    void reload(const CoolantBlock& block);
    const CoolantTank* currentTank() const;
    void showForm();
    void showInputs();
    void showResults();
    void estimateTank();
    void showMessage(const MessageBoxRequest& request);

    CoolantForm m_form;
    std::array<CaptionedField, kCoolantInputCount> m_inputs {};
    std::array<CaptionedField, kCoolantResultCount> m_results {};
    QLabel* m_unitLine = nullptr;
    QGroupBox* m_operationGroup = nullptr;
    QComboBox* m_operation = nullptr;
    QGroupBox* m_mixGroup = nullptr;
    QGroupBox* m_refractometerGroup = nullptr;
    QCheckBox* m_refractometer = nullptr;
    QGroupBox* m_resultGroup = nullptr;
    QGroupBox* m_tankGroup = nullptr;
    QButtonGroup* m_methodGroup = nullptr;
    std::array<QRadioButton*, 2> m_methodButtons {};
    QPushButton* m_estimateButton = nullptr;
};

} // namespace kvt
