#pragma once
// The eccentric turning dialog ("*Außer Mitte Drehen"): binds its fields to the form,
// forwards the commands, shows the chuck drawing and tells the offset check.

#include "app/function_window.h"
#include "machining/eccentric_turning/eccentric_turning_form.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QRadioButton;

namespace kvt {

class ChuckPicture;

class EccentricTurningWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit EccentricTurningWindow(AppController& controller, const WindowServices& services = {});

    void storeInputs() override;
    void refresh() override;
    void calculate() override;
    void clearCorrespondingFields(QLineEdit* field) override;

    QLineEdit* field(EccentricField which) const { return m_fields[static_cast<std::size_t>(which)].edit; }
    QLabel* fieldLabel(EccentricField which) const { return m_fields[static_cast<std::size_t>(which)].caption; }
    QLineEdit* errorField() const { return m_error.edit; }
    QRadioButton* largestAsInputButton() const { return m_asInput; }
    QRadioButton* largestForInfoButton() const { return m_forInfo; }
    const EccentricTurningForm& form() const { return m_form; }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;

private:
    void buildControls();
    void retranslate();
    void showForm();

    EccentricTurningForm m_form;
    std::array<CaptionedField, kEccentricFieldCount> m_fields {};
    CaptionedField m_error;
    QGroupBox* m_inputBox = nullptr;
    QRadioButton* m_asInput = nullptr;
    QRadioButton* m_forInfo = nullptr;
    ChuckPicture* m_picture = nullptr;
};

} // namespace kvt
