#pragma once
// The options dialog: a modal window with the general page and the page of the current
// machine. It shows what its forms say and hands every change to them; OK and Apply
// store (and have the controller write), Cancel takes back what was not applied.

#include "options/control_profile_form.h"
#include "options/options_dialog_form.h"
#include "options/options_port_test.h"
#include "options/options_serial_form.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace kvt {

class AppController;

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // portDevices: where "COM1" ... "COM10" lead (none where the system opens the names
    // themselves); makePort: a port object for the port test.
    OptionsDialog(OptionsDialogContext& context, QWidget* parent = nullptr, PortDeviceSettings portDevices = {},
        PortTest::PortFactory makePort = {});
    ~OptionsDialog() override;

    OptionsDialogForm& form() { return m_form; }
    OptionsSerialForm& serialForm() { return m_serial; }
    ControlProfileForm& profileForm() { return m_profiles; }
    // "*Profil bearbeiten...": the editor of the chosen profile, modal.
    void editProfileCommand();

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildGeneralPage();
    QWidget* buildMachinePage();
    QWidget* buildSerialGroup();
    QWidget* buildMachine2Page();
    void fillGeneralPage();
    void fillMachinePage();
    void fillSerialGroup();
    void fillMachine2Page();
    void fillTank(int index);
    void showColour(int group);
    QString text(int id, std::string_view builtin) const;
    QComboBox* addCombo(QFormLayout* layout, int id, std::string_view caption, std::span<const ChoiceEntry> choices);
    QLineEdit* addField(QFormLayout* layout, QLabel* label);
    QPlainTextEdit* addList(QGridLayout* grid, int column, QLabel* label);

    void unitSystemChosen(int index);
    void commitField(QLineEdit* field, const std::function<std::string(std::string)>& store);
    void safetyValueLeft();
    void crankTurnsLeft();
    void jawHeightLeft();
    void deleteMachine();
    bool serialFieldLeft(QLineEdit* field); // false when the text was refused
    void portDeviceLeft();
    void togglePortTest();
    void stopPortTest();
    void showPortTest();
    bool machine2FieldLeft(QLineEdit* field);
    void noteRefusal(QLineEdit* field, bool read);
    void editorChosen();
    void chooseEditorProgram();
    void chooseColour(int group);
    void tankCommand(int command); // 0 delete, 1 save new, 2 apply
    // Reads every single-value field still being edited, as when it is left; false when
    // one of the serial or second-page fields was refused (it keeps its text).
    bool commitFields();
    // Reads list fields that were edited and not yet read; false when one was refused
    // (it then has the focus again for correction).
    bool commitLists();
    bool commitList(QPlainTextEdit* edit);
    void apply();
    void pageChanged();

    OptionsDialogContext& m_context;
    OptionsDialogForm m_form;
    OptionsSerialForm m_serial; // the port devices it edits are applied and dropped with the form
    ControlProfileForm m_profiles;
    bool m_filling = false;
    bool m_committing = false;
    QLineEdit* m_refusedField = nullptr; // the field whose text was refused last, and that text
    QString m_refusedText;

    QTabWidget* m_tabs = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QPushButton* m_applyButton = nullptr;

    QComboBox* m_startPage = nullptr;
    QComboBox* m_language = nullptr;
    QComboBox* m_unitSystem = nullptr;
    QComboBox* m_volumeUnit = nullptr;
    QLabel* m_safetyLabel = nullptr;
    QLineEdit* m_safetyValue = nullptr;
    QCheckBox* m_openReports = nullptr;
    QCheckBox* m_copyUnits = nullptr;
    QComboBox* m_level = nullptr;
    QComboBox* m_reportAge = nullptr;

    QLabel* m_machineTitle = nullptr;
    QLineEdit* m_machineName = nullptr;
    QLineEdit* m_crankTurns = nullptr;
    QLabel* m_jawLabel = nullptr;
    QLineEdit* m_jawHeight = nullptr;
    QPlainTextEdit* m_speeds = nullptr;
    QPlainTextEdit* m_plates = nullptr;
    QLabel* m_parallelsLabel = nullptr;
    QPlainTextEdit* m_parallels = nullptr;

    QComboBox* m_profile = nullptr;
    QPushButton* m_editProfile = nullptr;
    QRadioButton* m_sendSet = nullptr;
    QRadioButton* m_receiveSet = nullptr;
    QComboBox* m_port = nullptr;
    QComboBox* m_portDevice = nullptr; // editable; only with a device map
    QComboBox* m_baud = nullptr;
    QComboBox* m_dataBits = nullptr;
    QComboBox* m_parity = nullptr;
    QComboBox* m_stopBits = nullptr;
    QComboBox* m_flowControl = nullptr;
    QLineEdit* m_idleLimit = nullptr;
    QLineEdit* m_xon = nullptr;
    QLineEdit* m_xoff = nullptr;
    QLineEdit* m_xonLimit = nullptr;
    QLineEdit* m_xoffLimit = nullptr;
    QLineEdit* m_transferTimeout = nullptr;
    std::array<QCheckBox*, 5> m_lines {}; // Connected, CTS, DSR, RING, RLSD
    QPushButton* m_testButton = nullptr;
    QLabel* m_testStatus = nullptr;
    QTimer* m_testTimer = nullptr;
    std::unique_ptr<PortTest> m_portTest;

    QLineEdit* m_lineNumberFormat = nullptr;
    QLineEdit* m_toolLengthFormat = nullptr;
    QCheckBox* m_externalEditor = nullptr;
    QCheckBox* m_textEditor = nullptr;
    QPushButton* m_chooseEditor = nullptr;
    QLabel* m_editorPath = nullptr;
    QLineEdit* m_dwell = nullptr;
    QLineEdit* m_memory = nullptr;
    std::array<QPushButton*, 4> m_colourButtons {};
    std::array<QLineEdit*, 4> m_words {};
    QComboBox* m_tanks = nullptr;
    QPushButton* m_deleteTank = nullptr;
    std::array<QLabel*, 10> m_tankLabels {};
    std::array<QLineEdit*, 10> m_tankFields {}; // TankFields order
};

// Runs the dialog modally over the sender with the controller's state, options and
// language; the controller writes, reloads and restarts afterwards as the flags say.
void runOptionsDialog(AppController& controller, QWidget* sender);

} // namespace kvt
