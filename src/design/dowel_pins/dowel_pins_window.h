#pragma once
// The dowel pin dialog ("*Verstiftungen"): pin diameter and standard lengths from the pin
// tables, the inputs, the depths and the drawing of the joint, bound to the dowel pin
// form. "*Erm." opens the drill-depth window, where the drilling allowance is found.

#include "app/function_window.h"
#include "design/dowel_pins/dowel_pins_form.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kvt {

class JointPicture;

class DowelPinsWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit DowelPinsWindow(AppController& controller, const WindowServices& services = {});
    ~DowelPinsWindow() override;

    void storeInputs() override;
    void refresh() override;
    void calculate() override;
    void chooseOptimumLength();
    // "*Erm.": the drill-depth window in place of this one, reaming the chosen pin.
    void determineDrillAllowance();

    QLineEdit* field(PinField which) const { return m_fields[static_cast<std::size_t>(which)].edit; }
    QLineEdit* result(PinResult which) const { return m_results[static_cast<std::size_t>(which)].edit; }
    QComboBox* diameterList() const { return m_diameters; }
    QComboBox* lengthList() const { return m_lengths; }
    QCheckBox* autoOpenBox() const { return m_autoOpen; }
    JointPicture* picture() const { return m_picture; }
    const DowelPinsForm& form() const { return m_form; }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;
    void reportOpeningChanged() override;

private:
    void buildControls();
    void retranslate();
    void showForm();

    DowelPinsForm m_form;
    std::array<CaptionedField, kPinFieldCount> m_fields {};
    std::array<CaptionedField, kPinResultCount> m_results {};
    QLabel* m_diameterCaption = nullptr;
    QComboBox* m_diameters = nullptr;
    QLabel* m_lengthCaption = nullptr;
    QComboBox* m_lengths = nullptr;
    QGroupBox* m_inputBox = nullptr;
    QGroupBox* m_resultBox = nullptr;
    QGroupBox* m_drawingBox = nullptr;
    JointPicture* m_picture = nullptr;
    QPushButton* m_calculateButton = nullptr;
    QPushButton* m_optimumButton = nullptr;
    QPushButton* m_drillDepthsButton = nullptr;
    QPushButton* m_reportButton = nullptr;
    QCheckBox* m_autoOpen = nullptr;
};

} // namespace kvt
