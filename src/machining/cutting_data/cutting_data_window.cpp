#include "machining/cutting_data/cutting_data_window.h"

#include "app/app_controller.h"
#include "app/pages.h"
#include "app/qt_platform.h"
#include "common/clock.h"
#include "common/field_binding.h"
#include "common/report_launcher.h"
#include "common/report_writer.h"
#include "machining/cutting_data/feed_mode_picture.h"
#include "options/options_record.h"
#include "state/open_dialog_data.h"
#include "state/state_blocks.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstring>

namespace kvt {

namespace {

constexpr int kSdrReportKind = 8;

constexpr std::array<CuttingResult, 3> kTheoreticalResults
    = {CuttingResult::FeedRate, CuttingResult::PlungeFeed, CuttingResult::SpindleSpeed};
constexpr std::array<CuttingResult, 4> kCorrectedResults = {CuttingResult::CorrectedFeedRate,
    CuttingResult::CorrectedPlungeFeed, CuttingResult::StepSpeed, CuttingResult::CorrectedCuttingSpeed};
constexpr std::array<CuttingResult, 2> kDwellResults = {CuttingResult::Dwell, CuttingResult::CorrectedDwell};
constexpr std::array<CuttingResult, 2> kRotaryResults = {CuttingResult::RotaryFeed, CuttingResult::CorrectedRotaryFeed};

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

// A speed table of zeros, for the moment before the options exist.
const std::array<float, kSpeedStepTableSize> kNoSteps {};

} // namespace

CuttingDataWindow::CuttingDataWindow(AppController& controller, CuttingDataServices services)
    : FunctionWindow(controller, page::CuttingData)
    , m_services(services)
    , m_form(controller.options() ? controller.options()->settings.unitSystem : 0)
{
    if (!m_services.boxes) {
        m_ownBoxes = std::make_unique<QtMessageBoxes>();
        m_services.boxes = m_ownBoxes.get();
    }
    if (!m_services.viewer) {
        m_ownViewer = std::make_unique<DesktopTextViewer>();
        m_services.viewer = m_ownViewer.get();
    }
    if (!m_services.clock) {
        m_ownClock = std::make_unique<SystemClock>();
        m_services.clock = m_ownClock.get();
    }
    setObjectName(QStringLiteral("cuttingDataWindow"));
    enableBackgroundMenu();
    buildControls();
    retranslate();

    // Defaults first (the form starts with them), then the saved block, then a tool the
    // tool management window handed over.
    bool recalculate = false;
    if (const OptionsRecord* options = controller.options()) {
        CuttingDataBlock block {};
        std::memcpy(&block, options->windows.cuttingData.bytes, sizeof block);
        recalculate = m_form.fill(block);
    }
    if (const OpenDialogData* state = controller.state(); state && state->handOverSenderPage == page::ToolManagement) {
        m_fromToolManagement = true;
        m_form.takeOverTool(state->toolHandOver);
    }
    // Results that were valid when the window closed are shown again; reopening the
    // window writes no report and opens no viewer.
    if (recalculate)
        m_form.calculate(speedSteps());
    showForm();
    m_opened = true;
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

    auto field = [this](QGridLayout* grid, int row, QLabel*& label, bool readOnly) {
        label = new QLabel(this);
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(readOnly);
        edit->setMinimumWidth(110);
        edit->setMaximumWidth(150);
        edit->setAlignment(Qt::AlignRight);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };

    m_inputBox = new QGroupBox(this);
    auto* inputGrid = new QGridLayout(m_inputBox);
    inputGrid->setColumnStretch(0, 1);
    for (int i = 0; i < kCuttingInputCount; ++i) {
        const auto input = static_cast<CuttingInput>(i);
        QLineEdit* edit = field(inputGrid, i, m_inputLabels[static_cast<std::size_t>(i)], false);
        edit->setObjectName(QStringLiteral("input%1").arg(i));
        m_inputs[static_cast<std::size_t>(i)] = edit;
        auto* binding = new FieldBinding(edit, CuttingDataForm::kInputClass, CuttingDataForm::inputKind(input));
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
            m_results[i] = field(grid, row++, m_resultLabels[i], true);
            m_results[i]->setObjectName(QStringLiteral("result%1").arg(static_cast<int>(result)));
        }
        return box;
    };
    right->addWidget(resultGroup(m_theoreticalBox, kTheoreticalResults));
    right->addWidget(resultGroup(m_correctedBox, kCorrectedResults));
    auto* small = new QHBoxLayout;
    small->addWidget(resultGroup(m_dwellBox, kDwellResults));
    small->addWidget(resultGroup(m_rotaryBox, kRotaryResults));
    right->addLayout(small);

    // The context menu serves the inputs, then the results, in the order of the form.
    for (QLineEdit* edit : m_inputs)
        installFieldMenu(edit);
    for (QLineEdit* edit : m_results)
        installFieldMenu(edit);

    m_calculateButton = new QPushButton(this);
    m_calculateButton->setObjectName(QStringLiteral("calculateButton"));
    m_calculateButton->setDefault(true);
    connect(m_calculateButton, &QPushButton::clicked, this, &CuttingDataWindow::calculate);
    addBottomButton(m_calculateButton);
    m_reportButton = new QPushButton(this);
    m_reportButton->setObjectName(QStringLiteral("reportButton"));
    connect(m_reportButton, &QPushButton::clicked, this, &CuttingDataWindow::openReportCommand);
    addBottomButton(m_reportButton);
    m_autoOpen = new QCheckBox(this);
    m_autoOpen->setObjectName(QStringLiteral("autoOpenBox"));
    connect(m_autoOpen, &QCheckBox::toggled, this, [this](bool on) { setReportsOpenAutomatically(on); });
    addBottomWidget(m_autoOpen);
}

void CuttingDataWindow::retranslate()
{
    const TextLookup& texts = controller().texts();
    for (int i = 0; i < kCuttingInputCount; ++i) {
        const QString caption = qt(m_form.inputCaption(static_cast<CuttingInput>(i), texts));
        m_inputLabels[static_cast<std::size_t>(i)]->setText(caption);
        m_inputs[static_cast<std::size_t>(i)]->setAccessibleName(caption);
    }
    auto group = [&](QGroupBox* box, int id, const char* builtin, auto const& results) {
        box->setTitle(text(id, builtin));
        box->setAccessibleName(box->title());
        for (CuttingResult result : results) {
            const auto i = static_cast<std::size_t>(result);
            const QString caption = qt(m_form.resultCaption(result, texts));
            m_resultLabels[i]->setText(caption);
            // Theoretical and corrected fields share captions; the group tells them apart.
            m_results[i]->setAccessibleName(caption);
            m_results[i]->setAccessibleDescription(box->title());
        }
    };
    group(m_theoreticalBox, 71021, "*Theoretische Werte", kTheoreticalResults);
    group(m_correctedBox, 71022, "*Drehzahlstufenkorrigierte Werte", kCorrectedResults);
    group(m_dwellBox, 71016, "*Verweilzeiten [Millisekunden]", kDwellResults);
    group(m_rotaryBox, 71019, "*Vorschubsgeschw. vf [Grad/min]", kRotaryResults);

    m_inputBox->setTitle(text(71020, "*Eingaben"));
    m_inputBox->setAccessibleName(m_inputBox->title());
    m_modeBox->setTitle(text(71023, "*Vorschubart"));
    m_modeBox->setAccessibleName(m_modeBox->title());
    m_stepBox->setTitle(text(71024, "*Drehzahlstufe wählen"));
    m_stepBox->setAccessibleName(m_stepBox->title());
    for (int mode = 1; mode <= 4; ++mode) {
        QRadioButton* button = m_modeButtons[static_cast<std::size_t>(mode - 1)];
        button->setText(qt(CuttingDataForm::feedModeName(static_cast<FeedMode>(mode), texts)));
        button->setAccessibleName(button->text());
    }
    const std::array<QString, 3> steps = {text(71041, "*Nächstliegende Stufe"),
        text(71042, "*Um eine Stufe vermindert"), text(71043, "*Um eine Stufe erhöht")};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        m_stepButtons[i]->setText(steps[i]);
        m_stepButtons[i]->setAccessibleName(steps[i]);
    }
    m_calculateButton->setText(text(71050, "*Berechnen"));
    m_calculateButton->setAccessibleName(m_calculateButton->text());
    m_reportButton->setText(text(71051, "*Bericht"));
    m_reportButton->setAccessibleName(m_reportButton->text());
    m_autoOpen->setText(text(71052, "*Autom.öffnen"));
    m_autoOpen->setAccessibleName(m_autoOpen->text());
    m_picture->setAccessibleName(qt(CuttingDataForm::feedModeName(m_form.feedMode(), texts)));
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
        QLineEdit* edit = m_inputs[static_cast<std::size_t>(i)];
        if (edit->text().toStdString() != m_form.inputText(input))
            edit->setText(qt(m_form.inputText(input)));
        const bool on = CuttingDataForm::inputEnabled(m_form.feedMode(), input);
        edit->setEnabled(on);
        m_inputLabels[static_cast<std::size_t>(i)]->setEnabled(on);
    }
    for (int i = 0; i < kCuttingResultCount; ++i) {
        const bool on = CuttingDataForm::resultEnabled(m_form.feedMode(), static_cast<CuttingResult>(i));
        m_results[static_cast<std::size_t>(i)]->setEnabled(on);
        m_resultLabels[static_cast<std::size_t>(i)]->setEnabled(on);
    }
    feedModeButton(m_form.feedMode())->setChecked(true);
    speedStepButton(m_form.speedStepChoice())->setChecked(true);
    m_picture->setMode(m_form.feedMode());
    m_picture->setAccessibleName(qt(CuttingDataForm::feedModeName(m_form.feedMode(), controller().texts())));
    const QSignalBlocker blocker(m_autoOpen);
    m_autoOpen->setChecked(reportsOpenAutomatically());
    showResults();
}

void CuttingDataWindow::showResults()
{
    for (int i = 0; i < kCuttingResultCount; ++i)
        m_results[static_cast<std::size_t>(i)]->setText(qt(m_form.resultText(static_cast<CuttingResult>(i))));
}

std::span<const float, kSpeedStepTableSize> CuttingDataWindow::speedSteps() const
{
    const OptionsRecord* options = controller().options();
    if (!options)
        return kNoSteps;
    const std::size_t machine = options->settings.currentMachine < kMachineCount ? options->settings.currentMachine : 0;
    return std::span<const float, kSpeedStepTableSize>(options->machines[machine].speedSteps, kSpeedStepTableSize);
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
    if (writeReport() && reportsOpenAutomatically()) {
        if (const OpenDialogData* state = controller().state())
            openReport(*state, *m_services.viewer);
    }
}

bool CuttingDataWindow::writeReport()
{
    OpenDialogData* state = controller().state();
    if (!state || !state->ncTextBuffer)
        return false;
    const std::string report
        = m_form.reportText(controller().texts(), state->languageCode, m_services.clock->localTime());
    const ReportWriter writer(*m_services.clock, controller().texts(), *m_services.boxes);
    return writer.write(*state, *state->ncTextBuffer, kSdrReportKind, report).written;
}

void CuttingDataWindow::openReportCommand()
{
    // A report that could not be written was already reported; the viewer would only
    // say the same about a missing file.
    if (!writeReport())
        return;
    if (const OpenDialogData* state = controller().state())
        openReport(*state, *m_services.viewer);
}

void CuttingDataWindow::reportOpeningChanged()
{
    const QSignalBlocker blocker(m_autoOpen);
    m_autoOpen->setChecked(reportsOpenAutomatically());
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
        // Queued: going back closes this window.
        connect(
            back->addAction(caption), &QAction::triggered, this, [this, code = code] { returnToToolManagement(code); },
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
    OptionsRecord* options = controller().options();
    if (!m_opened || !options)
        return;
    const CuttingDataBlock block = m_form.store(reportsOpenAutomatically());
    std::memcpy(options->windows.cuttingData.bytes, &block, sizeof block);
    options->settings.changed = 1;
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

void CuttingDataWindow::hideEvent(QHideEvent* event)
{
    // The controller may close this window without asking it first (another window of
    // the same page replaces it); what was typed must not be lost then.
    storeInputs();
    FunctionWindow::hideEvent(event);
}

} // namespace kvt
