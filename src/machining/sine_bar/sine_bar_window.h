#pragma once
// The sine bar dialog ("*Sinuslineal"): length, angle and gauge-block height bound to the
// sine bar form; "*Berechnen" computes the field left empty and shows the form's messages.
// The chrome is the function window's.

#include "app/function_window.h"
#include "machining/sine_bar/sine_bar_form.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace kvt {

class SineBarWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit SineBarWindow(AppController& controller, const WindowServices& services = {});
    ~SineBarWindow() override;

    void storeInputs() override;
    void refresh() override;
    void calculate() override;
    // Angle and height are calculated from each other: clearing one clears both.
    void clearCorrespondingFields(QLineEdit* field) override;

    QLineEdit* field(SineBarField which) const { return m_fields[static_cast<std::size_t>(which)].edit; }
    const SineBarForm& form() const { return m_form; }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;

private:
    void buildControls();
    void retranslate();
    void showForm();

    SineBarForm m_form;
    std::array<CaptionedField, kSineBarFieldCount> m_fields {};
    QGroupBox* m_box = nullptr;
};

} // namespace kvt
