#include "machining/cutting_data/cutting_data_window.h"

#include "app/app_controller.h"
#include "common/field_binding.h"
#include "machining/cutting_data/feed_mode_picture.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"

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

    addCalculationButtons();
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
