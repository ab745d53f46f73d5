#pragma once
// The dividing head dialog ("*Teilapparat Berechnungen"): binds its fields to the
// dividing head form, takes the current machine's dividing head, forwards "*Berechnen"
// and shows the results and the index plate. The chrome is the function window's.

#include "app/function_window.h"
#include "machining/dividing_head/dividing_head_form.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kvt {

class IndexPlatePicture;

class DividingHeadWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit DividingHeadWindow(AppController& controller, const WindowServices& services = {});
    ~DividingHeadWindow() override;

    void storeInputs() override;
    void refresh() override;
    void machineChanged() override;
    void calculate() override;

    QLineEdit* inputField(DividingInput input) const { return m_inputs[static_cast<std::size_t>(input)].edit; }
    QLineEdit* resultField(DividingResult result) const { return m_results[static_cast<std::size_t>(result)].edit; }
    IndexPlatePicture* picture() const { return m_picture; }
    const DividingHeadForm& form() const { return m_form; }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;

private:
    void buildControls();
    void retranslate();
    void takeMachine();
    void showForm();
    void showResults();

    DividingHeadForm m_form;
    std::array<CaptionedField, kDividingInputCount> m_inputs {};
    std::array<CaptionedField, kDividingResultCount> m_results {};
    QGroupBox* m_inputBox = nullptr;
    QGroupBox* m_resultBox = nullptr;
    IndexPlatePicture* m_picture = nullptr;
};

} // namespace kvt
