// The serial group of the first machine page with its port test, and the second
// machine page: NC formats, editor, dwell and memory, keyword colours, coolant tanks.

#include "common/file_dialogs.h"
#include "options/control_profile_dialog.h"
#include "options/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace kvt {

namespace {

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

void nameAfter(QWidget* control, QLabel* label)
{
    label->setBuddy(control);
    QString caption = label->text();
    caption.remove(QLatin1Char('&'));
    control->setAccessibleName(caption);
}

void fillCombo(QComboBox* combo, const std::vector<std::string>& entries, int current)
{
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& entry : entries)
        combo->addItem(qt(entry));
    combo->setCurrentIndex(current);
}

template<typename List> std::vector<std::string> entriesOf(const List& list)
{
    std::vector<std::string> entries;
    for (const auto& entry : list)
        entries.emplace_back(entry);
    return entries;
}

std::vector<std::string> numberEntries(std::span<const std::uint32_t> numbers)
{
    std::vector<std::string> entries;
    for (std::uint32_t number : numbers)
        entries.push_back(cformat("%u", number));
    return entries;
}

void setText(QLineEdit* field, const std::string& text)
{
    field->setText(qt(text));
    field->setModified(false);
}

} // namespace

// --- Serial group --------------------------------------------------------------------

QWidget* OptionsDialog::buildSerialGroup()
{
    OptionsSerialForm& serial = m_serial;
    auto* group = new QGroupBox(text(72130, "*RS232 Einstellungen"));
    group->setAccessibleName(group->title());
    auto* outer = new QVBoxLayout(group);

    // How the machine's control frames and paces a program: one choice per machine.
    auto* profileRow = new QHBoxLayout;
    auto* profileLabel = new QLabel(text(94700, "*Steuerungsprofil:"));
    m_profile = new QComboBox;
    nameAfter(m_profile, profileLabel);
    m_editProfile = new QPushButton(text(94701, "*Profil bearbeiten..."));
    m_editProfile->setAccessibleName(m_editProfile->text());
    m_editProfile->setAutoDefault(false);
    profileRow->addWidget(profileLabel);
    profileRow->addWidget(m_profile, 1);
    profileRow->addWidget(m_editProfile);
    outer->addLayout(profileRow);
    connect(m_profile, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling || index < 0)
            return;
        m_profiles.choose(index);
        pageChanged();
    });
    connect(m_editProfile, &QPushButton::clicked, this, &OptionsDialog::editProfileCommand);

    auto* directions = new QHBoxLayout;
    m_sendSet = new QRadioButton(text(72137, "*Send"));
    m_receiveSet = new QRadioButton(text(72138, "*Receive"));
    auto* directionGroup = new QButtonGroup(group);
    for (QRadioButton* radio : {m_sendSet, m_receiveSet}) {
        radio->setAccessibleName(radio->text());
        directionGroup->addButton(radio);
        directions->addWidget(radio);
    }
    directions->addStretch(1);
    m_sendSet->setChecked(true);
    connect(m_sendSet, &QRadioButton::toggled, this, [this](bool send) {
        if (!commitFields()) {
            // The refused text belongs to the set still shown.
            const QSignalBlocker block(m_sendSet);
            m_sendSet->setChecked(!send);
            m_receiveSet->setChecked(send);
            return;
        }
        stopPortTest();
        m_serial.setDirection(send ? PortDirection::Send : PortDirection::Receive);
        fillSerialGroup();
    });
    outer->addLayout(directions);

    auto* columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto* left = new QFormLayout;
    auto* right = new QFormLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto addCombo = [this](QFormLayout* layout, int id, std::string_view caption, auto choose) {
        auto* label = new QLabel(text(id, caption));
        auto* combo = new QComboBox;
        nameAfter(combo, label);
        layout->addRow(label, combo);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, choose](int index) {
            if (m_filling || index < 0)
                return;
            stopPortTest();
            (m_serial.*choose)(index);
            pageChanged();
        });
        return combo;
    };
    m_port = addCombo(left, 72131, "*Port:", &OptionsSerialForm::choosePort);
    connect(m_port, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            fillSerialGroup(); // the device of the new port
    });
    if (serial.hasDeviceMap()) {
        auto* label = new QLabel(text(72143, "*Gerät:"));
        m_portDevice = new QComboBox;
        m_portDevice->setEditable(true);
        m_portDevice->setInsertPolicy(QComboBox::NoInsert);
        m_portDevice->setMinimumContentsLength(18);
        for (const std::string& device : listSerialDevices())
            m_portDevice->addItem(qt(device));
        nameAfter(m_portDevice, label);
        left->addRow(label, m_portDevice);
        connect(m_portDevice->lineEdit(), &QLineEdit::editingFinished, this, &OptionsDialog::portDeviceLeft);
        connect(m_portDevice, &QComboBox::activated, this, [this] { portDeviceLeft(); });
    }
    m_baud = addCombo(left, 72132, "*Baud:", &OptionsSerialForm::chooseBaud);
    m_dataBits = addCombo(left, 72133, "*Databits:", &OptionsSerialForm::chooseDataBits);
    m_parity = addCombo(left, 72134, "*Parity:", &OptionsSerialForm::chooseParity);
    m_stopBits = addCombo(left, 72135, "*Stopbits:", &OptionsSerialForm::chooseStopBits);
    m_flowControl = addCombo(left, 72136, "*Flowcontrol:", &OptionsSerialForm::chooseFlowControl);

    auto addField = [this, right](int id, std::string_view caption) {
        auto* label = new QLabel(text(id, caption));
        auto* field = new QLineEdit;
        field->setMaxLength(20);
        field->setMaximumWidth(90);
        nameAfter(field, label);
        right->addRow(label, field);
        connect(field, &QLineEdit::editingFinished, this, [this, field] { serialFieldLeft(field); });
        return field;
    };
    m_idleLimit = addField(72139, "*Timeout:");
    m_xon = addField(72160, "XOn Char:");
    m_xoff = addField(72161, "XOff Char:");
    m_xonLimit = addField(72162, "XOn Buff:");
    m_xoffLimit = addField(72163, "XOff Buff:");
    m_transferTimeout = addField(72164, "RS232 T.out:");

    auto* status = new QGroupBox(text(72144, "*Port Status"));
    status->setAccessibleName(status->title());
    auto* statusLayout = new QVBoxLayout(status);
    auto* lines = new QHBoxLayout;
    const char* lineNames[] = {"Connected", "CTS", "DSR", "RING", "RLSD"};
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        auto* box = new QCheckBox(text(72165 + static_cast<int>(i), lineNames[i]));
        box->setAccessibleName(box->text());
        // An indicator of the line, not a switch.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
        m_lines[i] = box;
        lines->addWidget(box);
    }
    m_testButton = new QPushButton(text(72145, "*Test"));
    m_testButton->setAccessibleName(m_testButton->text());
    m_testButton->setAutoDefault(false);
    connect(m_testButton, &QPushButton::clicked, this, &OptionsDialog::togglePortTest);
    lines->addStretch(1);
    lines->addWidget(m_testButton);
    statusLayout->addLayout(lines);
    m_testStatus = new QLabel;
    m_testStatus->setWordWrap(true);
    m_testStatus->setAccessibleName(text(72144, "*Port Status"));
    statusLayout->addWidget(m_testStatus);
    outer->addWidget(status);

    m_testTimer = new QTimer(this);
    m_testTimer->setInterval(200);
    connect(m_testTimer, &QTimer::timeout, this, &OptionsDialog::showPortTest);
    return group;
}

void OptionsDialog::fillSerialGroup()
{
    OptionsSerialForm& serial = m_serial;
    const bool wasFilling = m_filling;
    m_filling = true;
    {
        const QSignalBlocker blockSend(m_sendSet);
        m_sendSet->setChecked(serial.direction() == PortDirection::Send);
        m_receiveSet->setChecked(serial.direction() == PortDirection::Receive);
    }
    fillCombo(m_profile, m_profiles.entries(), m_profiles.currentIndex());
    fillCombo(m_port, serial.portEntries(), serial.portIndex());
    fillCombo(m_baud, numberEntries(kSerialBaudRates), serial.baudIndex());
    fillCombo(m_dataBits, numberEntries(kSerialDataBits), serial.dataBitsIndex());
    fillCombo(m_parity, entriesOf(kSerialParityNames), serial.parityIndex());
    fillCombo(m_stopBits, entriesOf(kSerialStopBitNames), serial.stopBitsIndex());
    fillCombo(m_flowControl, entriesOf(kSerialFlowControlNames), serial.flowControlIndex());
    if (m_portDevice) {
        const int port = serial.portIndex() + 1;
        m_portDevice->setEnabled(port >= 1);
        const QSignalBlocker block(m_portDevice);
        m_portDevice->setEditText(port >= 1 ? qt(serial.portDevice(port)) : QString());
        m_portDevice->lineEdit()->setModified(false);
    }
    setText(m_idleLimit, serial.idleLimitText());
    setText(m_xon, serial.xonText());
    setText(m_xoff, serial.xoffText());
    setText(m_xonLimit, serial.xonLimitText());
    setText(m_xoffLimit, serial.xoffLimitText());
    setText(m_transferTimeout, serial.transferTimeoutText());
    m_xonLimit->setEnabled(serial.limitsEditable());
    m_xoffLimit->setEnabled(serial.limitsEditable());
    m_filling = wasFilling;
}

void OptionsDialog::editProfileCommand()
{
    ControlProfileDialog editor(m_profiles, m_context.texts, m_profile->currentIndex(), this);
    if (editor.exec() != QDialog::Accepted)
        return;
    const std::vector<std::string> names = m_profiles.entries();
    const auto saved = std::find(names.begin(), names.end(), editor.savedName());
    if (saved != names.end()) {
        // A profile saved in the editor is the one the machine is meant to use.
        m_profiles.choose(static_cast<int>(saved - names.begin()));
        pageChanged();
    }
    const bool wasFilling = m_filling;
    m_filling = true;
    fillCombo(m_profile, m_profiles.entries(), m_profiles.currentIndex());
    m_filling = wasFilling;
}

bool OptionsDialog::serialFieldLeft(QLineEdit* field)
{
    if (!field || !field->isModified())
        return true;
    // The same refused text is not reported twice (leaving the field, then OK).
    if (field == m_refusedField && field->text() == m_refusedText)
        return false;
    OptionsSerialForm& serial = m_serial;
    std::string value = field->text().toStdString();
    bool read = false;
    if (field == m_idleLimit)
        read = serial.setIdleLimit(value);
    else if (field == m_xon)
        read = serial.setXon(value);
    else if (field == m_xoff)
        read = serial.setXoff(value);
    else if (field == m_xonLimit)
        read = serial.setXonLimit(value);
    else if (field == m_xoffLimit)
        read = serial.setXoffLimit(value);
    else if (field == m_transferTimeout)
        read = serial.setTransferTimeout(value);
    noteRefusal(field, read);
    if (read) {
        stopPortTest();
        setText(field, value);
    } else {
        // The text stays for correction; leaving the field again reads it again.
        field->setFocus();
    }
    pageChanged();
    return read;
}

void OptionsDialog::noteRefusal(QLineEdit* field, bool read)
{
    if (read) {
        if (field == m_refusedField)
            m_refusedField = nullptr;
        return;
    }
    m_refusedField = field;
    m_refusedText = field->text();
}

void OptionsDialog::portDeviceLeft()
{
    if (!m_portDevice || m_filling)
        return;
    OptionsSerialForm& serial = m_serial;
    const int port = serial.portIndex() + 1;
    if (port < 1)
        return;
    const std::string typed = m_portDevice->currentText().toStdString();
    if (typed == serial.portDevice(port))
        return;
    stopPortTest();
    if (serial.setPortDevice(port, typed)) {
        fillSerialGroup();
    } else {
        m_portDevice->setFocus();
    }
    pageChanged();
}

void OptionsDialog::togglePortTest()
{
    if (m_portTest->running()) {
        stopPortTest();
        return;
    }
    if (!commitFields())
        return;
    OptionsSerialForm& serial = m_serial;
    const std::string name = serial.openName();
    if (name.empty()) {
        m_testStatus->setText(text(72158, "*Bitte zuerst einen Port wählen."));
        return;
    }
    m_portTest->start(name, serial.shownSet(), serial.direction());
    m_testButton->setText(text(72146, "*Test beenden"));
    m_testButton->setAccessibleName(m_testButton->text());
    showPortTest();
    m_testTimer->start();
}

void OptionsDialog::stopPortTest()
{
    if (!m_portTest || !m_testTimer)
        return;
    m_testTimer->stop();
    if (m_portTest->running())
        m_portTest->stop();
    for (QCheckBox* box : m_lines)
        box->setChecked(false);
    m_testButton->setText(text(72145, "*Test"));
    m_testButton->setAccessibleName(m_testButton->text());
    m_testStatus->clear();
}

void OptionsDialog::showPortTest()
{
    const PortTestStatus status = m_portTest->status();
    const PortTestLines lines = m_portTest->lines();
    const bool lineStates[] = {lines.connected, lines.cts, lines.dsr, lines.ring, lines.rlsd};
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        m_lines[i]->setChecked(lineStates[i]);
    m_testStatus->setText(qt(m_portTest->statusText(m_context.texts)));
    if (!m_portTest->running() || status == PortTestStatus::NoAnswer) {
        // The outcome stays in view; the button starts a new test.
        m_testTimer->stop();
        m_testButton->setText(text(72145, "*Test"));
        m_testButton->setAccessibleName(m_testButton->text());
    }
}

// --- Second machine page -------------------------------------------------------------

QWidget* OptionsDialog::buildMachine2Page()
{
    auto* page = new QWidget;
    auto* outer = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);

    auto* left = new QVBoxLayout;
    top->addLayout(left, 1);
    auto* form = new QFormLayout;
    left->addLayout(form);
    auto addField = [this, form](int id, std::string_view caption) {
        auto* label = new QLabel(text(id, caption));
        auto* field = new QLineEdit;
        field->setMaxLength(255);
        nameAfter(field, label);
        form->addRow(label, field);
        connect(field, &QLineEdit::editingFinished, this, [this, field] { machine2FieldLeft(field); });
        return field;
    };
    m_lineNumberFormat = addField(72205, "*NC Zeilennummerierungs-Format:");
    m_toolLengthFormat = addField(72206, "*NC Werkzeuglängen-Format:");
    m_dwell = addField(72210, "*Umdrehungen bei Verweilzeit:");
    m_memory = addField(72211, "*Mem");
    for (QLineEdit* field : {m_lineNumberFormat, m_toolLengthFormat, m_dwell, m_memory})
        field->setMaximumWidth(160);

    auto* editor = new QGroupBox;
    auto* editorLayout = new QVBoxLayout(editor);
    m_externalEditor = new QCheckBox(text(72207, "*NC Daten in externem Editor bearbeiten"));
    m_textEditor = new QCheckBox(text(72208, "*Notepad benutzen"));
    m_chooseEditor = new QPushButton(text(72209, "*Auswählen"));
    m_chooseEditor->setAutoDefault(false);
    m_editorPath = new QLabel;
    m_editorPath->setWordWrap(true);
    m_editorPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QAbstractButton* button :
        std::initializer_list<QAbstractButton*> {m_externalEditor, m_textEditor, m_chooseEditor})
        button->setAccessibleName(button->text());
    m_editorPath->setAccessibleName(text(72239, "*Editor-Programm"));
    connect(m_externalEditor, &QCheckBox::toggled, this, [this](bool on) {
        // Without a program named yet, the external editor starts as the text editor;
        // the file dialog opens only when the user asks for a program of his own.
        if (on && m_form.machine2().editorPath().empty()) {
            const QSignalBlocker block(m_textEditor);
            m_textEditor->setChecked(true);
        }
        editorChosen();
    });
    connect(m_textEditor, &QCheckBox::toggled, this, [this] { editorChosen(); });
    connect(m_chooseEditor, &QPushButton::clicked, this, &OptionsDialog::chooseEditorProgram);
    editorLayout->addWidget(m_externalEditor);
    auto* editorRow = new QHBoxLayout;
    editorRow->addWidget(m_textEditor);
    editorRow->addStretch(1);
    editorRow->addWidget(m_chooseEditor);
    editorLayout->addLayout(editorRow);
    editorLayout->addWidget(m_editorPath);
    left->addWidget(editor);

    auto* colours = new QGroupBox;
    auto* colourGrid = new QGridLayout(colours);
    for (int group = 0; group < kKeywordGroupCount; ++group) {
        const std::string caption = cformat("*Farbe%i", group + 1);
        auto* button = new QPushButton(text(72212 + group, caption));
        button->setAccessibleName(button->text());
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, group] { chooseColour(group); });
        auto* words = new QLineEdit;
        words->setMaxLength(600);
        words->setAccessibleName(button->text() + QLatin1Char(' ') + text(72238, "*Wörter"));
        connect(words, &QLineEdit::editingFinished, this, [this, words] { machine2FieldLeft(words); });
        colourGrid->addWidget(button, group, 0);
        colourGrid->addWidget(words, group, 1);
        m_colourButtons[group] = button;
        m_words[group] = words;
    }
    colourGrid->setColumnStretch(1, 1);
    left->addWidget(colours);
    left->addStretch(1);

    auto* tanks = new QGroupBox(text(72216, "*KSM Daten"));
    tanks->setAccessibleName(tanks->title());
    auto* tankLayout = new QVBoxLayout(tanks);
    m_tanks = new QComboBox;
    m_tanks->setAccessibleName(tanks->title());
    connect(m_tanks, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling)
            return;
        m_form.machine2().selectTank(index);
        fillTank(index);
        pageChanged();
    });
    tankLayout->addWidget(m_tanks);
    auto* tankForm = new QFormLayout;
    tankLayout->addLayout(tankForm);
    for (std::size_t i = 0; i < m_tankFields.size(); ++i) {
        m_tankLabels[i] = new QLabel;
        m_tankFields[i] = new QLineEdit;
        m_tankFields[i]->setMaxLength(255);
        tankForm->addRow(m_tankLabels[i], m_tankFields[i]);
        m_tankLabels[i]->setBuddy(m_tankFields[i]);
    }
    auto* tankButtons = new QHBoxLayout;
    const std::pair<int, std::string_view> commands[]
        = {{72217, "*Eintrag löschen"}, {72218, "*Neu speichern"}, {72219, "*Übernehmen"}};
    for (int command = 0; command < 3; ++command) {
        auto* button = new QPushButton(text(commands[command].first, commands[command].second));
        if (command == 0)
            m_deleteTank = button;
        button->setAccessibleName(button->text());
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, command] { tankCommand(command); });
        tankButtons->addWidget(button);
    }
    tankLayout->addLayout(tankButtons);
    tankLayout->addStretch(1);
    top->addWidget(tanks, 1);
    return page;
}

void OptionsDialog::fillMachine2Page()
{
    OptionsMachine2Form& page = m_form.machine2();
    const bool wasFilling = m_filling;
    m_filling = true;
    setText(m_lineNumberFormat, page.lineNumberFormatText());
    setText(m_toolLengthFormat, page.toolLengthFormatText());
    setText(m_dwell, page.dwellText());
    setText(m_memory, page.memoryText());
    {
        const QSignalBlocker blockExternal(m_externalEditor);
        const QSignalBlocker blockText(m_textEditor);
        const EditorChoice choice = page.editorChoice();
        m_externalEditor->setChecked(choice != EditorChoice::Internal);
        m_textEditor->setChecked(choice == EditorChoice::TextEditor);
        m_textEditor->setEnabled(choice != EditorChoice::Internal);
        m_chooseEditor->setEnabled(choice != EditorChoice::Internal);
    }
    const std::string path = page.editorPath();
    m_editorPath->setText(path.empty() ? text(72236, "*Kein Programm gewählt") : qt(path));
    for (int group = 0; group < kKeywordGroupCount; ++group) {
        setText(m_words[group], page.wordsText(group));
        showColour(group);
    }
    const std::vector<std::string> captions = page.tankCaptions();
    for (std::size_t i = 0; i < m_tankFields.size(); ++i) {
        m_tankLabels[i]->setText(qt(captions[i]));
        m_tankFields[i]->setAccessibleName(m_tankLabels[i]->text());
    }
    fillCombo(m_tanks, page.tankNames(), page.currentTank());
    fillTank(page.currentTank());
    m_deleteTank->setEnabled(page.currentTank() >= 0);
    m_filling = wasFilling;
}

void OptionsDialog::fillTank(int index)
{
    const TankFields fields = m_form.machine2().tankFields(index);
    const std::string* texts[] = {&fields.name, &fields.length, &fields.width, &fields.cornerRadius, &fields.maxFill,
        &fields.volumePerHeightUnit, &fields.heightUnit, &fields.targetConcentration, &fields.productName,
        &fields.refractometerFactor};
    for (std::size_t i = 0; i < m_tankFields.size(); ++i)
        setText(m_tankFields[i], *texts[i]);
}

void OptionsDialog::showColour(int group)
{
    const OptionsMachine2Form::Colour colour = m_form.machine2().colour(group);
    const QColor qcolour(colour.red, colour.green, colour.blue);
    // The swatch in the button, the caption in a colour that stays readable on it.
    const QColor textColour = qcolour.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
    m_colourButtons[group]->setStyleSheet(
        QStringLiteral("background-color: %1; color: %2").arg(qcolour.name(), textColour.name()));
}

bool OptionsDialog::machine2FieldLeft(QLineEdit* field)
{
    if (!field || !field->isModified())
        return true;
    // The same refused text is not reported twice (leaving the field, then OK).
    if (field == m_refusedField && field->text() == m_refusedText)
        return false;
    OptionsMachine2Form& page = m_form.machine2();
    std::string value = field->text().toStdString();
    bool read = false;
    if (field == m_lineNumberFormat)
        read = page.setLineNumberFormat(value);
    else if (field == m_toolLengthFormat)
        read = page.setToolLengthFormat(value);
    else if (field == m_dwell)
        read = page.setDwell(value);
    else if (field == m_memory)
        read = page.setMemory(value);
    else {
        for (int group = 0; group < kKeywordGroupCount; ++group) {
            if (field == m_words[group]) {
                read = page.setWords(group, value);
                value = page.wordsText(group);
            }
        }
    }
    noteRefusal(field, read);
    if (read) {
        setText(field, value);
    } else {
        m_tabs->setCurrentIndex(2);
        field->setFocus();
    }
    pageChanged();
    return read;
}

void OptionsDialog::editorChosen()
{
    OptionsMachine2Form& page = m_form.machine2();
    if (!m_externalEditor->isChecked())
        page.chooseEditor(EditorChoice::Internal);
    else if (m_textEditor->isChecked())
        page.chooseEditor(EditorChoice::TextEditor);
    else if (page.editorPath().empty())
        chooseEditorProgram(); // a program must be named before it can be chosen
    else
        page.chooseEditor(EditorChoice::Program);
    fillMachine2Page();
    pageChanged();
}

void OptionsDialog::chooseEditorProgram()
{
    FileDialogSetup setup;
#ifdef _WIN32
    setup.filters = {{"Text Datei (*.exe)", "*.exe"}};
#else
    setup.filters = {{"Text Datei (*.exe)", "*.exe"}, {text(72240, "*Alle Dateien (*)").toStdString(), "*"}};
#endif
    const FileDialogChoice choice = runFileDialog(this, FileDialogMode::Open, text(72235, "*Editor-Programm auswählen"),
        qt(m_form.machine2().editorPath()), setup);
    if (choice.accepted && !choice.path.isEmpty()) {
        QSignalBlocker block(m_textEditor);
        m_form.machine2().setEditorProgram(choice.path.toStdString());
    }
    fillMachine2Page();
    pageChanged();
}

void OptionsDialog::chooseColour(int group)
{
    const OptionsMachine2Form::Colour current = m_form.machine2().colour(group);
    const QColor chosen = QColorDialog::getColor(
        QColor(current.red, current.green, current.blue), this, m_colourButtons[group]->text());
    if (!chosen.isValid())
        return;
    m_form.machine2().setColour(group,
        {static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
            static_cast<std::uint8_t>(chosen.blue())});
    showColour(group);
    pageChanged();
}

void OptionsDialog::tankCommand(int command)
{
    OptionsMachine2Form& page = m_form.machine2();
    TankFields fields;
    std::string* texts[] = {&fields.name, &fields.length, &fields.width, &fields.cornerRadius, &fields.maxFill,
        &fields.volumePerHeightUnit, &fields.heightUnit, &fields.targetConcentration, &fields.productName,
        &fields.refractometerFactor};
    for (std::size_t i = 0; i < m_tankFields.size(); ++i)
        *texts[i] = m_tankFields[i]->text().toStdString();
    const int index = m_tanks->currentIndex();
    bool done = false;
    if (command == 0)
        done = page.deleteTank(index);
    else if (command == 1)
        done = page.saveNewTank(fields);
    else
        done = page.applyTank(index, fields);
    if (done)
        fillMachine2Page();
    pageChanged();
}

} // namespace kvt
