#pragma once
// The options dialog: a modal window with the general page and the page of the current
// machine. It shows what its forms say and hands every change to them; OK and Apply
// store (and have the controller write), Cancel takes back what was not applied.

#include "options/options_dialog_form.h"

#include <QDialog>

#include <functional>
#include <string>

#include <span>
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
class QTabWidget;

namespace kvt {

class AppController;

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(OptionsDialogContext& context, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    OptionsDialogForm& form() { return m_form; }

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildGeneralPage();
    QWidget* buildMachinePage();
    void fillGeneralPage();
    void fillMachinePage();
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
    // Reads list fields that were edited and not yet read; false when one was refused
    // (it then has the focus again for correction).
    bool commitLists();
    bool commitList(QPlainTextEdit* edit);
    void apply();
    void pageChanged();

    OptionsDialogContext& m_context;
    OptionsDialogForm m_form;
    bool m_filling = false;
    bool m_committing = false;

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
};

// Runs the dialog modally over the sender with the controller's state, options and
// language; the controller writes, reloads and restarts afterwards as the flags say.
void runOptionsDialog(AppController& controller, QWidget* sender);

} // namespace kvt
