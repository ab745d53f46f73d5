#pragma once
// The calculations dialog "*Berechnungen" of the common calculations library: it reads
// the widgets into CalculationsForm, shows what the form says, and reaches the program
// only through the central state and the main window's message port.

#include "calclib/calculations_form.h"
#include "common/message_boxes.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kvt {

struct OpenDialogData;
struct MainWindowPort;
class LanguageModule;
class CalculationPicture;

class CalculationsDialog final : public QDialog {
    Q_OBJECT

public:
    // The state must outlive the dialog; the program keeps it for the whole run.
    CalculationsDialog(MainWindowPort& port, OpenDialogData& state);
    ~CalculationsDialog() override;

    const CalculationsForm& form() const { return m_form; }

    void calculate();
    void copyResult();
    void goBack();
    void requestQuit();
    void writeAndOpenReport();
    // The gauge-block set chooser of the stack calculator and its editor.
    QComboBox* gaugeSetCombo() const { return m_gaugeSetCombo; }
    QPushButton* gaugeEditButton() const { return m_gaugeEditButton; }
    void editGaugeSets();
    QLineEdit* resultField(int row) const { return m_results[static_cast<std::size_t>(row)]; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const TextLookup& texts() const;
    QString text(int id, std::string_view builtin) const;
    void buildControls();
    void fillCombo();
    void chooseCalculator(int calculator);
    void showForm();
    void readInputs();
    void storeInputs();
    void showMessage(const MessageBoxRequest& request);
    void showMenu();
    void sendOpen(int page, const struct OpenRequest& request);
    void leave();
    void fillGaugeSets();
    std::filesystem::path dataDirectory() const;

    MainWindowPort& m_port;
    OpenDialogData& m_state;
    std::unique_ptr<LanguageModule> m_language;
    CalculationsForm m_form;
    bool m_left = false; // a request that closes the dialog has been sent
    // Read once on opening: the other windows reuse these fields of the state.
    int m_senderPage = 0;
    bool m_returnWanted = false;
    std::int32_t m_returnCircle = 0;
    int m_unitSystem = 0; // of the flange window that asked for a pitch

    QLineEdit* m_search = nullptr;
    QComboBox* m_combo = nullptr;
    std::array<QLabel*, kCalcRows> m_inputLabels {};
    std::array<QLineEdit*, kCalcRows> m_inputs {};
    std::array<QLabel*, kCalcRows> m_resultLabels {};
    std::array<QLineEdit*, kCalcRows> m_results {};
    CalculationPicture* m_picture = nullptr;
    QPushButton* m_calculateButton = nullptr;
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_backButton = nullptr;
    QPushButton* m_quitButton = nullptr;
    QPushButton* m_menuButton = nullptr;
    QLabel* m_gaugeSetLabel = nullptr;
    QComboBox* m_gaugeSetCombo = nullptr;
    QPushButton* m_gaugeEditButton = nullptr;
};

} // namespace kvt
