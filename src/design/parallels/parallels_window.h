#pragma once
// The parallels dialog ("*Parallelstücke"): the machine's parallels in a list, the five
// inputs, the six results and the vice drawing, bound to the parallels form.
// "*Calc PSHeight" chooses a parallel; "*UpdateScr" and a new list selection show how
// the workpiece sits on the selected one.

#include "app/function_window.h"
#include "design/parallels/parallels_form.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kvt {

class VisePicture;

class ParallelsWindow final : public FunctionWindow {
    Q_OBJECT
public:
    explicit ParallelsWindow(AppController& controller, const WindowServices& services = {});
    ~ParallelsWindow() override;

    void storeInputs() override;
    void refresh() override;
    void machineChanged() override;
    void calculate() override;
    void updateResults();

    QLineEdit* field(ParallelsField which) const { return m_fields[static_cast<std::size_t>(which)].edit; }
    QLineEdit* result(ParallelsResult which) const { return m_results[static_cast<std::size_t>(which)].edit; }
    QComboBox* parallelsList() const { return m_list; }
    QCheckBox* autoOpenBox() const { return m_autoOpen; }
    VisePicture* picture() const { return m_picture; }
    const ParallelsForm& form() const { return m_form; }

protected:
    std::string composeReport(const LocalDateTime& time, int languageCode) const override;
    void reportOpeningChanged() override;

private:
    void buildControls();
    void retranslate();
    void takeMachine();
    void showForm();
    void showMessages(const std::vector<MessageBoxRequest>& messages);

    ParallelsForm m_form;
    std::array<CaptionedField, kParallelsFieldCount> m_fields {};
    std::array<CaptionedField, kParallelsResultCount> m_results {};
    QLabel* m_listCaption = nullptr;
    QComboBox* m_list = nullptr;
    QGroupBox* m_inputBox = nullptr;
    QGroupBox* m_resultBox = nullptr;
    VisePicture* m_picture = nullptr;
    QPushButton* m_calculateButton = nullptr;
    QPushButton* m_updateButton = nullptr;
    QPushButton* m_reportButton = nullptr;
    QCheckBox* m_autoOpen = nullptr;
};

} // namespace kvt
