#pragma once
// The drill-depth dialog ("*Bohrtiefen / Reibtiefen Berechnung metrisch"): the three
// modes, the inputs each mode needs, the thread list, the allowance proposals or inch
// fits, and the results, bound to the drill depths form. Opened by the dowel pin window
// it reams the pin and "*Zurück" hands the drill point back.

#include "app/function_window.h"
#include "design/drill_depths/drill_depths_form.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kvt {

class DrillDepthsWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit DrillDepthsWindow(AppController& controller, const WindowServices& services = {});
    ~DrillDepthsWindow() override;

    void storeInputs() override;
    void refresh() override;
    void calculate() override;

    QLineEdit* field(DrillField which) const { return m_fields[static_cast<std::size_t>(which)].edit; }
    QLineEdit* result(DrillResult which) const { return m_results[static_cast<std::size_t>(which)].edit; }
    QRadioButton* modeButton(DrillMode mode) const { return m_modes[static_cast<std::size_t>(mode)]; }
    QComboBox* threadList() const { return m_threads; }
    QComboBox* allowanceList() const { return m_allowances; }
    QCheckBox* throughHoleBox() const { return m_throughHole; }
    // "*Zurück": shown only when the dowel pin window opened this one.
    QPushButton* backButton() const { return m_backButton; }
    // Back to the window that opened this one, with the drill point and reamer chamfer of
    // the last calculation; nothing when no window opened this one.
    void goBack();
    const DrillDepthsForm& form() const { return m_form; }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;

private:
    void buildControls();
    void retranslate();
    void showForm();
    void showMode();
    void fillAllowances();
    void allowanceChosen(int index);

    DrillDepthsForm m_form;
    std::array<CaptionedField, kDrillFieldCount> m_fields {};
    std::array<CaptionedField, kDrillResultCount> m_results {};
    std::array<QRadioButton*, 3> m_modes {};
    QRadioButton* m_leadLength = nullptr;
    QRadioButton* m_leadPitch = nullptr;
    QLabel* m_threadCaption = nullptr;
    QComboBox* m_threads = nullptr;
    QLabel* m_allowanceCaption = nullptr;
    QComboBox* m_allowances = nullptr;
    QCheckBox* m_throughHole = nullptr;
    QGroupBox* m_modeBox = nullptr;
    QGroupBox* m_inputBox = nullptr;
    QGroupBox* m_resultBox = nullptr;
    QPushButton* m_backButton = nullptr;
    int m_returnPage = 0; // the page "*Zurück" returns to; 0 when there is none
};

} // namespace kvt
