#pragma once
// The cut-to-length dialog ("*Material Genau-ablängen / abstechen"): binds its fields
// to the form, rearranges itself for the lathe or the milling machine, tells the
// checks with a beep and shows a drawing of the chosen set-up.

#include "app/function_window.h"
#include "machining/cut_to_length/cut_to_length_form.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;

namespace kvt {

class CutSetupPicture;

class CutToLengthWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit CutToLengthWindow(AppController& controller, const WindowServices& services = {});

    void storeInputs() override;
    void refresh() override;
    void calculate() override;

    QLineEdit* inputField(CutInput input) const { return m_inputs[static_cast<std::size_t>(input)].edit; }
    QLabel* inputLabel(CutInput input) const { return m_inputs[static_cast<std::size_t>(input)].caption; }
    QLineEdit* resultField(CutResult result) const { return m_results[static_cast<std::size_t>(result)].edit; }
    QComboBox* operationBox() const { return m_operation; }
    QRadioButton* originButton(AxisOrigin origin) const;
    QRadioButton* sideButton(SideB side) const;
    QGroupBox* sideGroup() const { return m_sideBox; }
    CutSetupPicture* picture() const { return m_picture; }
    const CutToLengthForm& form() const { return m_form; }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;

private:
    void buildControls();
    void retranslate();
    void showForm();
    void arrangeForOperation();

    CutToLengthForm m_form;
    std::array<CaptionedField, kCutInputCount> m_inputs {};
    std::array<CaptionedField, kCutResultCount> m_results {};
    QGroupBox* m_inputBox = nullptr;
    QGroupBox* m_resultBox = nullptr;
    QGroupBox* m_operationBox = nullptr;
    QComboBox* m_operation = nullptr;
    QGroupBox* m_originBox = nullptr;
    std::array<QRadioButton*, 2> m_originButtons {};
    QGroupBox* m_sideBox = nullptr;
    std::array<QRadioButton*, 2> m_sideButtons {};
    CutSetupPicture* m_picture = nullptr;
};

} // namespace kvt
