#include "options/options_dialog.h"

#include "app/app_controller.h"
#include "app/qt_platform.h"
#include "common/clock.h"
#include "common/number_format.h"
#include "common/qt_message_boxes.h"
#include "serial/serial_port.h"
#ifdef _WIN32
#include "serial/win32_serial_port.h"
#else
#include "serial/posix_serial_port.h"
#endif

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kvt {

namespace {

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// Every control is reachable by its caption (screen readers, GUI tests).
void nameAfter(QWidget* control, QLabel* label)
{
    label->setBuddy(control);
    QString caption = label->text();
    caption.remove(QLatin1Char('&'));
    control->setAccessibleName(caption);
}

} // namespace

OptionsDialog::OptionsDialog(
    OptionsDialogContext& context, QWidget* parent, PortDeviceSettings portDevices, PortTest::PortFactory makePort)
    : QDialog(parent)
    , m_context(context)
    , m_form(context)
    , m_serial(context, std::move(portDevices))
    , m_profiles(context)
    , m_portTest(std::make_unique<PortTest>(std::move(makePort)))
{
    m_form.machine().setSerialReset(&resetSerialSettings);
    setModal(true);
    setWindowTitle(text(kOptionsCaptionId, kOptionsCaption));
    setAccessibleName(windowTitle());
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(buildGeneralPage(), text(kGeneralPageTitleId, kGeneralPageTitle));
    m_tabs->addTab(buildMachinePage(), text(kMachinePage1TitleId, kMachinePage1Title));
    m_tabs->addTab(buildMachine2Page(), text(kMachinePage2TitleId, kMachinePage2Title));
    // The port stays open only while its page is in view.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int page) {
        stopPortTest();
        // A damaged profile file is told where its profiles are chosen, once.
        const std::string damaged = page == 1 ? m_profiles.takeLoadMessage() : std::string();
        if (!damaged.empty())
            m_context.boxes.show(
                {damaged, m_context.texts.text(65470, "Error"), MessageIcon::Warning, MessageButtons::Ok});
    });

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(text(72120, "*OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(text(72121, "*Abbrechen"));
    m_applyButton = m_buttons->button(QDialogButtonBox::Apply);
    m_applyButton->setText(text(72122, "*Übernehmen"));
    for (QAbstractButton* button : m_buttons->buttons())
        button->setAccessibleName(button->text());
    connect(m_buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &OptionsDialog::reject);
    connect(m_applyButton, &QPushButton::clicked, this, &OptionsDialog::apply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);

    fillGeneralPage();
    fillMachinePage();
    fillMachine2Page();
    pageChanged();
}

OptionsDialog::~OptionsDialog()
{
    stopPortTest();
}

QString OptionsDialog::text(int id, std::string_view builtin) const
{
    return qt(m_context.texts.text(id, builtin));
}

QComboBox* OptionsDialog::addCombo(
    QFormLayout* layout, int id, std::string_view caption, std::span<const ChoiceEntry> choices)
{
    auto* label = new QLabel(text(id, caption));
    auto* combo = new QComboBox;
    combo->setMaximumWidth(360);
    for (const std::string& entry : m_form.general().entries(choices))
        combo->addItem(qt(entry));
    nameAfter(combo, label);
    layout->addRow(label, combo);
    return combo;
}

QLineEdit* OptionsDialog::addField(QFormLayout* layout, QLabel* label)
{
    auto* field = new QLineEdit;
    field->setMaxLength(255);
    nameAfter(field, label);
    layout->addRow(label, field);
    return field;
}

QPlainTextEdit* OptionsDialog::addList(QGridLayout* grid, int column, QLabel* label)
{
    auto* edit = new QPlainTextEdit;
    edit->setTabChangesFocus(true);
    edit->setMinimumHeight(180);
    edit->installEventFilter(this);
    nameAfter(edit, label);
    label->setWordWrap(true);
    grid->addWidget(label, 0, column, Qt::AlignBottom);
    grid->addWidget(edit, 1, column);
    connect(edit, &QPlainTextEdit::modificationChanged, this, [this] { pageChanged(); });
    return edit;
}

QWidget* OptionsDialog::buildGeneralPage()
{
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    outer->addLayout(form);
    OptionsGeneralForm& general = m_form.general();

    m_startPage = addCombo(form, 72000, "*Anfangseite:", kStartPageChoices);
    connect(m_startPage, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling) {
            m_form.general().chooseStartPage(index);
            pageChanged();
        }
    });
    m_language = addCombo(form, 72001, "*Sprache:", kLanguageChoices);
    connect(m_language, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling) {
            m_form.general().chooseLanguage(index);
            pageChanged();
        }
    });
    m_unitSystem = addCombo(form, 72002, "*Einheit für Längen:", kUnitSystemChoices);
    connect(m_unitSystem, &QComboBox::currentIndexChanged, this, &OptionsDialog::unitSystemChosen);
    m_volumeUnit = addCombo(form, 72003, "*Einheit für Volumina:", kVolumeUnitChoices);
    connect(m_volumeUnit, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling) {
            m_form.general().chooseVolumeUnit(index);
            fillMachine2Page(); // the tank volumes in the new unit
            pageChanged();
        }
    });
    m_safetyLabel = new QLabel(qt(general.safetyValueLabel()));
    m_safetyValue = addField(form, m_safetyLabel);
    m_safetyValue->setMaximumWidth(120);
    connect(m_safetyValue, &QLineEdit::editingFinished, this, &OptionsDialog::safetyValueLeft);

    m_openReports = new QCheckBox(text(72005, "*Berichte standardmäßig öffnen"));
    m_openReports->setAccessibleName(m_openReports->text());
    form->addRow(m_openReports);
    connect(m_openReports, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_filling) {
            m_form.general().setOpenReportsAutomatically(on);
            pageChanged();
        }
    });
    m_copyUnits = new QCheckBox(text(72006, "*Einheiten in die Zwischenablange mitkopieren"));
    m_copyUnits->setAccessibleName(m_copyUnits->text());
    form->addRow(m_copyUnits);
    connect(m_copyUnits, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_filling) {
            m_form.general().setCopyUnitsToClipboard(on);
            pageChanged();
        }
    });
    m_level = addCombo(form, 72007, "*Level für Berechnungen", kCalculationLevelChoices);
    connect(m_level, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling) {
            m_form.general().chooseCalculationLevel(index);
            pageChanged();
        }
    });

    auto* reports = new QHBoxLayout;
    auto* ageLabel = new QLabel(text(72008, "*Reports löschen älter als"));
    m_reportAge = new QComboBox;
    for (const std::string& entry : general.entries(kReportAgeChoiceEntries))
        m_reportAge->addItem(qt(entry));
    nameAfter(m_reportAge, ageLabel);
    auto* deleteReports = new QPushButton(text(72009, "*Löschen"));
    deleteReports->setAccessibleName(deleteReports->text());
    connect(deleteReports, &QPushButton::clicked, this, [this, deleteReports] {
        deleteReports->setEnabled(false);
        m_form.general().deleteOldReports(m_reportAge->currentIndex());
        deleteReports->setEnabled(true);
    });
    reports->addWidget(ageLabel);
    reports->addWidget(m_reportAge);
    reports->addWidget(deleteReports);
    reports->addStretch(1);
    outer->addSpacing(8);
    outer->addLayout(reports);

    auto* help = new QHBoxLayout;
    auto addButton = [&](int id, std::string_view caption, void (OptionsGeneralForm::*action)()) {
        auto* button = new QPushButton(text(id, caption));
        button->setAccessibleName(button->text());
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, action] { (m_form.general().*action)(); });
        help->addWidget(button);
    };
    addButton(72010, "*Handbuch", &OptionsGeneralForm::openManual);
    addButton(72011, "*Support", &OptionsGeneralForm::showSupportMail);
    addButton(72012, "*Über", &OptionsGeneralForm::showAbout);
    addButton(72013, "*Daten VZ", &OptionsGeneralForm::openDataFolder);
    help->addStretch(1);
    outer->addSpacing(8);
    outer->addLayout(help);
    outer->addStretch(1);
    return page;
}

QWidget* OptionsDialog::buildMachinePage()
{
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    m_machineTitle = new QLabel;
    outer->addWidget(m_machineTitle);

    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    auto* form = new QFormLayout;
    top->addLayout(form, 1);
    top->addWidget(buildSerialGroup(), 2);
    m_machineName = addField(form, new QLabel(text(72100, "*Maschinenname:")));
    connect(m_machineName, &QLineEdit::editingFinished, this, [this] {
        if (m_machineName->isModified()) {
            m_form.machine().setName(m_machineName->text().toStdString());
            m_machineName->setModified(false);
            pageChanged();
        }
    });
    m_machineName->setMaximumWidth(420);
    m_crankTurns = addField(form, new QLabel(text(72104, "*Umd. Kurbel für 1 Teilkopf Umd.:")));
    m_crankTurns->setMaximumWidth(120);
    connect(m_crankTurns, &QLineEdit::editingFinished, this, &OptionsDialog::crankTurnsLeft);
    m_jawLabel = new QLabel;
    m_jawHeight = addField(form, m_jawLabel);
    m_jawHeight->setMaximumWidth(120);
    connect(m_jawHeight, &QLineEdit::editingFinished, this, &OptionsDialog::jawHeightLeft);

    auto* grid = new QGridLayout;
    outer->addLayout(grid, 1);
    m_speeds = addList(grid, 0, new QLabel(text(72101, "*Verfügbare Drehzahlen, gestuft:")));
    m_plates = addList(grid, 1, new QLabel(text(72103, "*Verfügbare Teilkopflochschreiben:")));
    m_parallelsLabel = new QLabel;
    m_parallels = addList(grid, 2, m_parallelsLabel);
    auto addHint = [grid](int column, const QString& hint) {
        auto* label = new QLabel(hint);
        label->setWordWrap(true);
        QFont small = label->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        label->setFont(small);
        grid->addWidget(label, 2, column, Qt::AlignTop);
    };
    addHint(0, text(72119, "*Eine Drehzahl [U/min] je Zeile, in beliebiger Reihenfolge"));
    addHint(2, text(72118, "*Eine Zeile je Parallelstück: Höhe x Tiefe"));
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    auto* bottom = new QHBoxLayout;
    auto* remove = new QPushButton(text(72106, "*Maschine löschen"));
    remove->setAccessibleName(remove->text());
    remove->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, &OptionsDialog::deleteMachine);
    bottom->addWidget(remove);
    bottom->addStretch(1);
    outer->addLayout(bottom);
    return page;
}

void OptionsDialog::fillGeneralPage()
{
    const QSignalBlocker blockStart(m_startPage);
    OptionsGeneralForm& general = m_form.general();
    m_filling = true;
    m_startPage->setCurrentIndex(general.startPageIndex());
    m_language->setCurrentIndex(general.languageIndex());
    m_unitSystem->setCurrentIndex(general.unitSystemIndex());
    m_volumeUnit->setCurrentIndex(general.volumeUnitIndex());
    m_level->setCurrentIndex(general.calculationLevelIndex());
    m_safetyValue->setText(qt(general.safetyValueText()));
    m_safetyValue->setModified(false);
    m_openReports->setChecked(general.openReportsAutomatically());
    m_copyUnits->setChecked(general.copyUnitsToClipboard());
    m_filling = false;
}

void OptionsDialog::fillMachinePage()
{
    OptionsMachineForm& machine = m_form.machine();
    m_filling = true;
    QString title = text(72124, "*Maschine") + QLatin1Char(' ')
        + QString::fromStdString(cformat("%d", machine.machineIndex() + 1));
    m_machineTitle->setText(title);
    m_machineName->setText(qt(machine.nameText()));
    m_machineName->setModified(false);
    m_crankTurns->setText(qt(machine.crankTurnsText()));
    m_crankTurns->setModified(false);
    m_jawLabel->setText(qt(machine.jawHeightLabel()));
    m_jawHeight->setAccessibleName(m_jawLabel->text());
    m_jawHeight->setText(qt(machine.jawHeightText()));
    m_jawHeight->setModified(false);
    m_parallelsLabel->setText(qt(machine.parallelsLabel()));
    m_parallels->setAccessibleName(m_parallelsLabel->text());
    for (auto [edit, content] : {std::pair {m_speeds, machine.speedStepsText()},
             std::pair {m_plates, machine.indexPlatesText()}, std::pair {m_parallels, machine.parallelsText()}}) {
        edit->setPlainText(qt(content));
        edit->document()->setModified(false);
    }
    m_filling = false;
    fillSerialGroup();
}

void OptionsDialog::pageChanged()
{
    const bool listsEdited = m_speeds
        && (m_speeds->document()->isModified() || m_plates->document()->isModified()
            || m_parallels->document()->isModified());
    m_applyButton->setEnabled(m_form.pending() || m_serial.deviceEditsPending() || listsEdited);
}

void OptionsDialog::unitSystemChosen(int index)
{
    if (m_filling)
        return;
    // Lists typed in the old unit are read before the unit changes under them.
    const bool listsRead = commitLists();
    const UnitSystemChoice choice = listsRead ? m_form.general().chooseUnitSystem(index) : UnitSystemChoice::Declined;
    if (choice == UnitSystemChoice::Restart) {
        // Stored and applied with everything else; the controller restarts the program
        // when the dialog has closed.
        // The port devices live in the start-up settings, not in the options file.
        m_serial.applyDevices();
        m_form.apply();
        QDialog::accept();
        return;
    }
    if (choice == UnitSystemChoice::Declined) {
        m_filling = true;
        m_unitSystem->setCurrentIndex(m_form.general().unitSystemIndex());
        m_filling = false;
    }
}

// A single-value field is taken over when the user leaves it: the form stores what it
// can read and hands back the text the field shows afterwards (cut at a bad
// character, or the stored value in its display format).
void OptionsDialog::commitField(QLineEdit* field, const std::function<std::string(std::string)>& store)
{
    if (!field->isModified())
        return;
    field->setText(qt(store(field->text().toStdString())));
    field->setModified(false);
    pageChanged();
}

void OptionsDialog::safetyValueLeft()
{
    commitField(m_safetyValue, [this](std::string value) {
        m_form.general().setSafetyValue(value);
        return value;
    });
}

void OptionsDialog::crankTurnsLeft()
{
    commitField(m_crankTurns, [this](std::string value) {
        return m_form.machine().setCrankTurns(value) ? m_form.machine().crankTurnsText() : value;
    });
}

void OptionsDialog::jawHeightLeft()
{
    commitField(m_jawHeight, [this](std::string value) {
        m_form.machine().setJawHeight(value);
        return value;
    });
}

void OptionsDialog::deleteMachine()
{
    if (!commitLists())
        return;
    stopPortTest();
    if (m_form.machine().deleteMachine()) {
        fillMachinePage();
        fillMachine2Page();
    }
    pageChanged();
}

bool OptionsDialog::commitList(QPlainTextEdit* edit)
{
    if (!edit->document()->isModified() || m_committing)
        return true;
    m_committing = true;
    const std::string content = edit->toPlainText().toStdString();
    bool read = false;
    if (edit == m_speeds)
        read = m_form.machine().setSpeedSteps(content);
    else if (edit == m_plates)
        read = m_form.machine().setIndexPlates(content);
    else if (edit == m_parallels)
        read = m_form.machine().setParallels(content);
    m_committing = false;
    if (read) {
        // Show the list as stored: sorted, one entry per line, in the display unit.
        std::string stored;
        if (edit == m_speeds)
            stored = m_form.machine().speedStepsText();
        else if (edit == m_plates)
            stored = m_form.machine().indexPlatesText();
        else
            stored = m_form.machine().parallelsText();
        if (edit->toPlainText() != qt(stored)) {
            m_filling = true;
            edit->setPlainText(qt(stored));
            m_filling = false;
        }
        edit->document()->setModified(false);
    } else {
        m_tabs->setCurrentWidget(edit->parentWidget());
        edit->setFocus();
    }
    pageChanged();
    return read;
}

bool OptionsDialog::commitLists()
{
    for (QPlainTextEdit* edit : {m_speeds, m_plates, m_parallels}) {
        if (!commitList(edit))
            return false;
    }
    return true;
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !m_filling) {
        if (auto* edit = qobject_cast<QPlainTextEdit*>(watched))
            commitList(edit);
    }
    return QDialog::eventFilter(watched, event);
}

bool OptionsDialog::commitFields()
{
    safetyValueLeft();
    crankTurnsLeft();
    jawHeightLeft();
    if (m_machineName->isModified())
        emit m_machineName->editingFinished();
    bool read = true;
    for (QLineEdit* field : {m_idleLimit, m_xon, m_xoff, m_xonLimit, m_xoffLimit, m_transferTimeout}) {
        if (read && !serialFieldLeft(field)) {
            m_tabs->setCurrentIndex(1);
            read = false;
        }
    }
    portDeviceLeft();
    for (QLineEdit* field :
        {m_lineNumberFormat, m_toolLengthFormat, m_dwell, m_memory, m_words[0], m_words[1], m_words[2], m_words[3]}) {
        if (read && !machine2FieldLeft(field))
            read = false;
    }
    return read;
}

void OptionsDialog::apply()
{
    // A field being edited is read first, as when it is left.
    if (!commitFields() || !commitLists())
        return;
    // The port devices live in the start-up settings, not in the options file.
    m_serial.applyDevices();
    m_form.apply();
    fillMachinePage();
    fillMachine2Page();
    pageChanged();
}

void OptionsDialog::accept()
{
    // A refused field or list keeps the dialog open: closing would lose what was typed.
    if (!commitFields() || !commitLists())
        return;
    stopPortTest();
    // The port devices live in the start-up settings, not in the options file.
    m_serial.applyDevices();
    m_form.apply();
    QDialog::accept();
}

void OptionsDialog::reject()
{
    stopPortTest();
    m_serial.dropDeviceEdits();
    m_form.cancel();
    QDialog::reject();
}

void runOptionsDialog(AppController& controller, QWidget* sender)
{
    OpenDialogData* state = controller.state();
    OptionsRecord* options = controller.options();
    if (!state || !options)
        return;
    QtMessageBoxes boxes;
    SystemClock clock;
    OptionsDialogContext context {*state, *options, controller.texts(), boxes, clock,
        [&controller](AppMessage message) { controller.send(message); }};
    PortDeviceSettings devices;
    PortTest::PortFactory makePort;
#ifdef _WIN32
    makePort = [] { return std::make_unique<Win32SerialPort>(); };
#else
    // The page opens the device path itself, so the port needs no name map of its own.
    auto settings = std::make_shared<QtSettingsStore>();
    devices.read = [settings](const std::string& key) { return settings->readText(key); };
    devices.write = [settings](const std::string& key, const std::string& value) { settings->writeText(key, value); };
    makePort = [] { return std::make_unique<PosixSerialPort>(); };
#endif
    OptionsDialog dialog(context, sender, std::move(devices), std::move(makePort));
    dialog.exec();
}

} // namespace kvt
