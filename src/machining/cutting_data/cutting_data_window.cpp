#include "machining/cutting_data/cutting_data_window.h"

#include "app/app_controller.h"
#include "common/field_binding.h"
#include "common/message_boxes.h"
#include "common/number_format.h"
#include "machining/cutting_data/feed_mode_picture.h"
#include "machining/cutting_data/material_group_dialog.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kvt {

namespace {

constexpr std::array<CuttingResult, 3> kTheoreticalResults
    = {CuttingResult::FeedRate, CuttingResult::PlungeFeed, CuttingResult::SpindleSpeed};
constexpr std::array<CuttingResult, 4> kCorrectedResults = {CuttingResult::CorrectedFeedRate,
    CuttingResult::CorrectedPlungeFeed, CuttingResult::StepSpeed, CuttingResult::CorrectedCuttingSpeed};
constexpr std::array<CuttingResult, 2> kDwellResults = {CuttingResult::Dwell, CuttingResult::CorrectedDwell};
constexpr std::array<CuttingResult, 2> kRotaryResults = {CuttingResult::RotaryFeed, CuttingResult::CorrectedRotaryFeed};

// A speed table of zeros, for the moment before the options exist.
const std::array<float, kSpeedStepTableSize> kNoSteps {};

} // namespace

CuttingDataWindow::CuttingDataWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::CuttingData, services)
    , m_form(controller.options() ? controller.options()->settings.unitSystem : 0)
{
    setObjectName(QStringLiteral("cuttingDataWindow"));
    setReportKind(ReportKindId::CuttingData);
    enableBackgroundMenu();
    buildControls();
    loadMaterialGroups();
    retranslate();

    // Defaults first (the form starts with them), then the saved block, then a tool the
    // tool management window handed over.
    bool recalculate = false;
    if (const auto block = loadBlock<CuttingDataBlock>())
        recalculate = m_form.fill(*block);
    if (const OpenDialogData* state = controller.state(); state && state->handOverSenderPage == page::ToolManagement) {
        m_fromToolManagement = true;
        m_form.takeOverTool(state->toolHandOver);
    }
    // Results that were valid when the window closed are shown again; reopening the
    // window writes no report and opens no viewer.
    if (recalculate)
        m_form.calculate(speedSteps());
    showForm();
    resize(sizeHint());
}

CuttingDataWindow::~CuttingDataWindow() = default;

void CuttingDataWindow::buildControls()
{
    auto* columns = new QHBoxLayout;
    contentLayout()->addLayout(columns);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    m_inputBox = new QGroupBox(this);
    auto* inputGrid = new QGridLayout(m_inputBox);
    inputGrid->setColumnStretch(0, 1);
    for (int i = 0; i < kCuttingInputCount; ++i) {
        const auto input = static_cast<CuttingInput>(i);
        const CaptionedField& field = m_inputs[static_cast<std::size_t>(i)]
            = addCaptionedField(inputGrid, i, FieldRole::Input);
        QLineEdit* edit = field.edit;
        edit->setObjectName(QStringLiteral("input%1").arg(i));
        const FieldDescription& description = CuttingDataForm::inputDescription(input);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        auto* binding = bindField(edit, description);
        connect(binding, &FieldBinding::valueChanged, this, [this, input, edit] {
            std::string text = edit->text().toStdString();
            m_form.setInputText(input, text);
        });
    }
    left->addWidget(m_inputBox);

    m_modeBox = new QGroupBox(this);
    auto* modeLayout = new QVBoxLayout(m_modeBox);
    m_modeGroup = new QButtonGroup(this);
    for (int mode = 1; mode <= 4; ++mode) {
        auto* button = new QRadioButton(this);
        button->setObjectName(QStringLiteral("feedMode%1").arg(mode));
        m_modeGroup->addButton(button, mode);
        modeLayout->addWidget(button);
        m_modeButtons[static_cast<std::size_t>(mode - 1)] = button;
    }
    connect(m_modeGroup, &QButtonGroup::idClicked, this, [this](int id) { chooseFeedMode(static_cast<FeedMode>(id)); });
    left->addWidget(m_modeBox);

    m_stepBox = new QGroupBox(this);
    auto* stepLayout = new QVBoxLayout(m_stepBox);
    m_stepGroup = new QButtonGroup(this);
    for (int step = 0; step < 3; ++step) {
        auto* button = new QRadioButton(this);
        button->setObjectName(QStringLiteral("speedStep%1").arg(step));
        m_stepGroup->addButton(button, step);
        stepLayout->addWidget(button);
        m_stepButtons[static_cast<std::size_t>(step)] = button;
    }
    connect(m_stepGroup, &QButtonGroup::idClicked, this,
        [this](int id) { chooseSpeedStep(static_cast<SpeedStepChoice>(id)); });
    left->addWidget(m_stepBox);
    left->addStretch(1);

    m_picture = new FeedModePicture(this);
    right->addWidget(m_picture, 1);

    auto resultGroup = [&](QGroupBox*& box, auto const& results) {
        box = new QGroupBox(this);
        auto* grid = new QGridLayout(box);
        grid->setColumnStretch(0, 1);
        int row = 0;
        for (CuttingResult result : results) {
            const auto i = static_cast<std::size_t>(result);
            m_results[i] = addCaptionedField(grid, row++, FieldRole::Result);
            m_results[i].edit->setObjectName(QStringLiteral("result%1").arg(static_cast<int>(result)));
        }
        return box;
    };
    right->addWidget(resultGroup(m_theoreticalBox, kTheoreticalResults));
    right->addWidget(resultGroup(m_correctedBox, kCorrectedResults));
    auto* small = new QHBoxLayout;
    small->addWidget(resultGroup(m_dwellBox, kDwellResults));
    small->addWidget(resultGroup(m_rotaryBox, kRotaryResults));
    right->addLayout(small);

    buildPowerGroup();
    addCalculationButtons();
}

void CuttingDataWindow::buildPowerGroup()
{
    m_powerToggle = new QToolButton(this);
    m_powerToggle->setObjectName(QStringLiteral("powerToggle"));
    m_powerToggle->setCheckable(true);
    m_powerToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_powerToggle->setArrowType(Qt::RightArrow);
    m_powerToggle->setAutoRaise(true);
    contentLayout()->addWidget(m_powerToggle);
    connect(m_powerToggle, &QToolButton::toggled, this, [this](bool open) { setPowerGroupOpen(open); });

    m_powerArea = new QWidget(this);
    m_powerArea->setObjectName(QStringLiteral("powerArea"));
    auto* columns = new QHBoxLayout(m_powerArea);
    columns->setContentsMargins(0, 0, 0, 0);
    auto* inputBox = new QGroupBox(m_powerArea);
    auto* inputGrid = new QGridLayout(inputBox);
    inputGrid->setColumnStretch(0, 1);
    for (int i = 0; i < kPowerInputCount; ++i) {
        const auto input = static_cast<PowerInput>(i);
        CaptionedField& field = m_powerInputs[static_cast<std::size_t>(i)]
            = addCaptionedField(inputGrid, i, FieldRole::Input);
        QLineEdit* edit = field.edit;
        edit->setObjectName(QStringLiteral("powerInput%1").arg(i));
        const FieldDescription& description = CuttingDataForm::powerInputDescription(input);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        connect(bindField(edit, description), &FieldBinding::valueChanged, this, [this, input, edit] {
            std::string text = edit->text().toStdString();
            m_form.setPowerInputText(input, text);
        });
    }
    m_materialLabel = new QLabel(inputBox);
    m_materialCombo = new QComboBox(inputBox);
    m_materialCombo->setObjectName(QStringLiteral("materialGroup"));
    m_materialLabel->setBuddy(m_materialCombo);
    inputGrid->addWidget(m_materialLabel, kPowerInputCount, 0);
    inputGrid->addWidget(m_materialCombo, kPowerInputCount, 1);
    connect(m_materialCombo, &QComboBox::activated, this, [this](int item) { chooseMaterial(item); });
    auto* materialButtons = new QHBoxLayout;
    m_addMaterial = new QPushButton(inputBox);
    m_addMaterial->setObjectName(QStringLiteral("addMaterial"));
    m_addMaterial->setAutoDefault(false);
    m_removeMaterial = new QPushButton(inputBox);
    m_removeMaterial->setObjectName(QStringLiteral("removeMaterial"));
    m_removeMaterial->setAutoDefault(false);
    materialButtons->addWidget(m_addMaterial);
    materialButtons->addWidget(m_removeMaterial);
    inputGrid->addLayout(materialButtons, kPowerInputCount + 1, 0, 1, 2);
    setTooltip(m_addMaterial, 71634, "*Eine eigene Werkstoffgruppe mit kc1 und mc anlegen");
    setTooltip(m_removeMaterial, 71635, "*Die gewählte eigene Werkstoffgruppe löschen");
    connect(m_addMaterial, &QPushButton::clicked, this, [this] { askForMaterialGroup(); });
    connect(m_removeMaterial, &QPushButton::clicked, this, [this] { removeMaterialGroup(); });
    columns->addWidget(inputBox, 1);

    auto* resultBox = new QGroupBox(m_powerArea);
    auto* grid = new QGridLayout(resultBox);
    grid->setColumnStretch(0, 1);
    for (std::size_t c = 0; c < 2; ++c) {
        m_powerColumnHeads[c] = new QLabel(resultBox);
        grid->addWidget(m_powerColumnHeads[c], 0, static_cast<int>(c) + 1);
    }
    for (int i = 0; i < kPowerResultCount; ++i) {
        m_powerCaptions[static_cast<std::size_t>(i)] = new QLabel(resultBox);
        grid->addWidget(m_powerCaptions[static_cast<std::size_t>(i)], i + 1, 0);
        for (std::size_t c = 0; c < 2; ++c) {
            auto* edit = new QLineEdit(resultBox);
            edit->setReadOnly(true);
            edit->setAlignment(Qt::AlignRight);
            edit->setObjectName(QStringLiteral("powerResult%1_%2").arg(c).arg(i));
            installFieldMenu(edit);
            grid->addWidget(edit, i + 1, static_cast<int>(c) + 1);
            m_powerResults[c][static_cast<std::size_t>(i)] = edit;
        }
    }
    m_powerStatus = new QLabel(resultBox);
    m_powerStatus->setObjectName(QStringLiteral("powerStatus"));
    m_powerStatus->setWordWrap(true);
    grid->addWidget(m_powerStatus, kPowerResultCount + 1, 0, 1, 3);
    columns->addWidget(resultBox, 1);
    contentLayout()->addWidget(m_powerArea);
    m_powerArea->setVisible(false);
}

void CuttingDataWindow::retranslatePower()
{
    const TextLookup& texts = this->texts();
    setCaption(m_powerToggle, text(71600, "*Leistung und Spanungsdicke"));
    for (int i = 0; i < kPowerInputCount; ++i)
        setFieldCaption(m_powerInputs[static_cast<std::size_t>(i)],
            toQt(m_form.powerInputCaption(static_cast<PowerInput>(i), texts)));
    setCaption(m_materialLabel, text(71626, "*Werkstoffgruppe:"));
    m_materialCombo->setAccessibleName(m_materialLabel->text());
    setCaption(m_addMaterial, text(71627, "*Werkstoff hinzufügen…"));
    setCaption(m_removeMaterial, text(71628, "*Werkstoff entfernen"));
    const std::array<QString, 2> heads = {text(71624, "*theoretisch"), text(71625, "*Drehzahlstufe")};
    for (std::size_t c = 0; c < 2; ++c)
        setCaption(m_powerColumnHeads[c], heads[c]);
    for (int i = 0; i < kPowerResultCount; ++i) {
        const QString caption = toQt(m_form.powerResultCaption(static_cast<PowerResult>(i), texts));
        setCaption(m_powerCaptions[static_cast<std::size_t>(i)], caption);
        for (std::size_t c = 0; c < 2; ++c) {
            // Both columns share the caption; the column tells them apart.
            m_powerResults[c][static_cast<std::size_t>(i)]->setAccessibleName(caption);
            m_powerResults[c][static_cast<std::size_t>(i)]->setAccessibleDescription(heads[c]);
        }
    }
    fillMaterialCombo();
}

void CuttingDataWindow::fillMaterialCombo()
{
    m_materialCombo->clear();
    for (std::size_t i = 0; i < m_form.materialGroups().size(); ++i)
        m_materialCombo->addItem(toQt(m_form.materialName(i, texts())));
    m_materialCombo->setCurrentIndex(m_form.materialGroup());
    m_removeMaterial->setEnabled(static_cast<std::size_t>(m_form.materialGroup()) >= defaultMaterialGroups().size());
}

void CuttingDataWindow::showPower()
{
    const bool open = m_form.powerGroupOpen();
    if (m_powerToggle->isChecked() != open) {
        const QSignalBlocker blocker(m_powerToggle);
        m_powerToggle->setChecked(open);
    }
    m_powerToggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    m_powerArea->setVisible(open);
    for (int i = 0; i < kPowerInputCount; ++i) {
        const auto input = static_cast<PowerInput>(i);
        QLineEdit* edit = m_powerInputs[static_cast<std::size_t>(i)].edit;
        if (edit->text().toStdString() != m_form.powerInputText(input))
            edit->setText(toQt(m_form.powerInputText(input)));
    }
    for (std::size_t c = 0; c < 2; ++c) {
        for (int i = 0; i < kPowerResultCount; ++i)
            m_powerResults[c][static_cast<std::size_t>(i)]->setText(
                toQt(m_form.powerResultText(static_cast<PowerColumn>(c), static_cast<PowerResult>(i))));
    }
    m_powerStatus->setText(toQt(CuttingDataForm::powerStatusText(m_form.powerStatus(), texts())));
    m_powerStatus->setAccessibleName(m_powerStatus->text());
    m_materialCombo->setCurrentIndex(m_form.materialGroup());
    m_removeMaterial->setEnabled(static_cast<std::size_t>(m_form.materialGroup()) >= defaultMaterialGroups().size());
}

void CuttingDataWindow::setPowerGroupOpen(bool open)
{
    m_form.setPowerGroupOpen(open);
    showPower();
    adjustSize();
}

void CuttingDataWindow::loadMaterialGroups()
{
    const MaterialFileLoad load = loadMaterialFile(controller().dataDirectory());
    if (load.damaged) {
        // The built-in groups stay; the file is copied aside before it is next written.
        const std::string where = load.errorLine > 0
            ? texts().text(71671, "*Zeile") + " " + formatNumber("%d", load.errorLine)
            : texts().text(71672, "*nicht lesbar");
        boxes().show({texts().text(71670,
                          "*Die Datei der eigenen Werkstoffgruppen ist beschädigt und wird nicht "
                          "verwendet; es gelten die eingebauten Gruppen.")
                + "\n" + std::string(kMaterialFileName) + ": " + where,
            texts().text(71673, "*Werkstoffgruppen"), MessageIcon::Warning, MessageButtons::Ok});
        return;
    }
    m_form.setUserMaterialGroups(load.groups);
}

bool CuttingDataWindow::saveMaterialGroups(const std::vector<MaterialGroup>& groups)
{
    std::string error;
    if (saveMaterialFile(controller().dataDirectory(), groups, &error))
        return true;
    boxes().show({texts().text(71674, "*Die Werkstoffgruppen konnten nicht gespeichert werden:") + "\n"
            + std::string(kMaterialFileName) + ": " + error,
        texts().text(71673, "*Werkstoffgruppen"), MessageIcon::Error, MessageButtons::Ok});
    return false;
}

bool CuttingDataWindow::addMaterialGroup(const MaterialGroup& group)
{
    std::vector<MaterialGroup> groups = m_form.userMaterialGroups();
    if (!materialGroupAcceptable(group) || groups.size() >= kMaxUserMaterialGroups) {
        refuseMaterialGroup();
        return false;
    }
    groups.push_back(group);
    // Memory follows the file: a group that could not be saved is not shown either.
    if (!saveMaterialGroups(groups))
        return false;
    m_form.setUserMaterialGroups(groups);
    chooseMaterial(static_cast<int>(m_form.materialGroups().size()) - 1);
    return true;
}

bool CuttingDataWindow::removeMaterialGroup()
{
    const std::size_t builtin = defaultMaterialGroups().size();
    const auto chosen = static_cast<std::size_t>(m_form.materialGroup());
    if (chosen < builtin)
        return false;
    std::vector<MaterialGroup> groups = m_form.userMaterialGroups();
    groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(chosen - builtin));
    if (!saveMaterialGroups(groups))
        return false;
    m_form.setUserMaterialGroups(groups);
    chooseMaterial(0);
    return true;
}

void CuttingDataWindow::refuseMaterialGroup()
{
    boxes().show({texts().text(71675,
                      "*Bitte einen Namen (ohne Tabulator), kc1 über 0 bis 10000 N/mm² und mc über 0 bis 0.9 angeben."),
        texts().text(71673, "*Werkstoffgruppen"), MessageIcon::Warning, MessageButtons::Ok});
}

void CuttingDataWindow::askForMaterialGroup()
{
    MaterialGroupDialog dialog(
        texts(), [this] { refuseMaterialGroup(); }, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto group = dialog.group();
    addMaterialGroup(group ? *group : MaterialGroup {});
}

void CuttingDataWindow::chooseMaterial(int group)
{
    m_form.setMaterialGroup(group);
    fillMaterialCombo();
    // Results already shown follow the new material at once.
    if (m_form.resultsValid() && m_form.calculate(speedSteps()))
        showResults();
    else
        showPower();
}

void CuttingDataWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    for (int i = 0; i < kCuttingInputCount; ++i)
        setFieldCaption(
            m_inputs[static_cast<std::size_t>(i)], toQt(m_form.inputCaption(static_cast<CuttingInput>(i), texts)));
    auto group = [&](QGroupBox* box, int id, const char* builtin, auto const& results) {
        setCaption(box, text(id, builtin));
        for (CuttingResult result : results) {
            const auto i = static_cast<std::size_t>(result);
            setFieldCaption(m_results[i], toQt(m_form.resultCaption(result, texts)));
            // Theoretical and corrected fields share captions; the group tells them apart.
            m_results[i].edit->setAccessibleDescription(box->title());
        }
    };
    group(m_theoreticalBox, 71021, "*Theoretische Werte", kTheoreticalResults);
    group(m_correctedBox, 71022, "*Drehzahlstufenkorrigierte Werte", kCorrectedResults);
    group(m_dwellBox, 71016, "*Verweilzeiten [Millisekunden]", kDwellResults);
    group(m_rotaryBox, 71019, "*Vorschubsgeschw. vf [Grad/min]", kRotaryResults);

    setCaption(m_inputBox, text(71020, "*Eingaben"));
    setCaption(m_modeBox, text(71023, "*Vorschubart"));
    setCaption(m_stepBox, text(71024, "*Drehzahlstufe wählen"));
    for (int mode = 1; mode <= 4; ++mode) {
        setCaption(m_modeButtons[static_cast<std::size_t>(mode - 1)],
            toQt(CuttingDataForm::feedModeName(static_cast<FeedMode>(mode), texts)));
    }
    const std::array<QString, 3> steps = {text(71041, "*Nächstliegende Stufe"),
        text(71042, "*Um eine Stufe vermindert"), text(71043, "*Um eine Stufe erhöht")};
    for (std::size_t i = 0; i < steps.size(); ++i)
        setCaption(m_stepButtons[i], steps[i]);
    m_picture->setAccessibleName(toQt(CuttingDataForm::feedModeName(m_form.feedMode(), texts)));
    retranslatePower();
}

QRadioButton* CuttingDataWindow::feedModeButton(FeedMode mode) const
{
    return m_modeButtons[static_cast<std::size_t>(static_cast<int>(mode) - 1)];
}

QRadioButton* CuttingDataWindow::speedStepButton(SpeedStepChoice choice) const
{
    return m_stepButtons[static_cast<std::size_t>(choice)];
}

void CuttingDataWindow::showForm()
{
    for (int i = 0; i < kCuttingInputCount; ++i) {
        const auto input = static_cast<CuttingInput>(i);
        QLineEdit* edit = m_inputs[static_cast<std::size_t>(i)].edit;
        if (edit->text().toStdString() != m_form.inputText(input))
            edit->setText(toQt(m_form.inputText(input)));
        const bool on = CuttingDataForm::inputEnabled(m_form.feedMode(), input);
        edit->setEnabled(on);
        m_inputs[static_cast<std::size_t>(i)].caption->setEnabled(on);
    }
    for (int i = 0; i < kCuttingResultCount; ++i) {
        const bool on = CuttingDataForm::resultEnabled(m_form.feedMode(), static_cast<CuttingResult>(i));
        m_results[static_cast<std::size_t>(i)].edit->setEnabled(on);
        m_results[static_cast<std::size_t>(i)].caption->setEnabled(on);
    }
    feedModeButton(m_form.feedMode())->setChecked(true);
    speedStepButton(m_form.speedStepChoice())->setChecked(true);
    m_picture->setMode(m_form.feedMode());
    m_picture->setAccessibleName(toQt(CuttingDataForm::feedModeName(m_form.feedMode(), texts())));
    showResults();
}

void CuttingDataWindow::showResults()
{
    for (int i = 0; i < kCuttingResultCount; ++i)
        m_results[static_cast<std::size_t>(i)].edit->setText(toQt(m_form.resultText(static_cast<CuttingResult>(i))));
    showPower();
}

std::span<const float, kSpeedStepTableSize> CuttingDataWindow::speedSteps() const
{
    const MachineRecord* machine = currentMachine();
    if (!machine)
        return kNoSteps;
    return std::span<const float, kSpeedStepTableSize>(machine->speedSteps, kSpeedStepTableSize);
}

void CuttingDataWindow::chooseFeedMode(FeedMode mode)
{
    m_form.setFeedMode(mode);
    showForm();
}

void CuttingDataWindow::chooseSpeedStep(SpeedStepChoice choice)
{
    afterCalculation(m_form.chooseSpeedStep(choice, speedSteps()));
}

void CuttingDataWindow::calculate()
{
    afterCalculation(m_form.calculateCommand(speedSteps()));
}

void CuttingDataWindow::afterCalculation(bool calculated)
{
    // The step buttons follow the form even when nothing was calculated.
    speedStepButton(m_form.speedStepChoice())->setChecked(true);
    if (!calculated)
        return;
    showResults();
    reportCalculation();
}

std::string CuttingDataWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void CuttingDataWindow::extendBackgroundMenu(QMenu* menu)
{
    if (!m_fromToolManagement)
        return;
    QMenu* back = menu->addMenu(text(71060, "*Zurück"));
    const std::array<std::pair<ToolReturnCode, QString>, 3> entries = {{
        {ToolReturnCode::TheoreticalValue, text(71061, "*Zurück mit theoretischem Wert")},
        {ToolReturnCode::StepValue, text(71062, "*Zurück mit Stufen-Wert")},
        {ToolReturnCode::WithoutData, text(71063, "*Zurück ohne Daten")},
    }};
    for (const auto& [code, caption] : entries) {
        QAction* action = back->addAction(caption);
        // Nothing calculated yet, or a machine without speed steps: that way back has no
        // result to hand over and is shown greyed.
        action->setEnabled(m_form.canHandBack(code));
        // Queued: going back closes this window.
        connect(
            action, &QAction::triggered, this, [this, code = code] { returnToToolManagement(code); },
            Qt::QueuedConnection);
    }
}

void CuttingDataWindow::returnToToolManagement(ToolReturnCode code)
{
    if (OpenDialogData* state = controller().state())
        m_form.handBack(code, *state);
    switchToPage(page::ToolManagement);
}

void CuttingDataWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void CuttingDataWindow::refresh()
{
    FunctionWindow::refresh();
    retranslate();
    showForm();
}

void CuttingDataWindow::machineChanged()
{
    // The new machine's steps apply at once to results already shown.
    if (m_form.resultsValid() && m_form.calculate(speedSteps()))
        showResults();
}

} // namespace kvt
