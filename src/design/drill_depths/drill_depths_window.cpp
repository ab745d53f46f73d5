#include "design/drill_depths/drill_depths_window.h"

#include "app/app_controller.h"
#include "app/pages.h"
#include "common/field_binding.h"
#include "common/message_boxes.h"
#include "state/page_ids.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kvt {

namespace {

// Grid rows of the inputs; the thread list shares the row of the diameter, the lead
// radio buttons and the allowance list sit on rows of their own.
constexpr int kThreadRow = kDrillFieldCount;
constexpr int kLeadRow = kDrillFieldCount + 1;
constexpr int kAllowanceRow = kDrillFieldCount + 2;
constexpr int kThroughRow = kDrillFieldCount + 3;

// The run-in length stands beside the safety value, above the workpiece thickness.
int rowOf(DrillField field)
{
    if (field == DrillField::RunIn)
        return static_cast<int>(DrillField::Thickness);
    if (field == DrillField::Thickness)
        return static_cast<int>(DrillField::RunIn);
    return static_cast<int>(field);
}

} // namespace

DrillDepthsWindow::DrillDepthsWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::DrillDepths, services)
    , m_form(controller.options() ? controller.options()->settings.unitSystem : kUnitSystemMetric)
{
    setObjectName(QStringLiteral("drillDepthsWindow"));
    setReportKind(ReportKindId::Btb);
    enableBackgroundMenu();
    buildControls();
    retranslate();
    const auto block = loadBlock<DrillDepthsBlock>();
    if (!block || !m_form.fill(*block)) {
        // A first start takes the program's safety value.
        const OptionsRecord* options = controller.options();
        const float safety = options ? options->settings.safetyValue : 0.0f;
        m_form.setNumber(DrillField::Safety, toDisplay(m_form.unitSystem(), ConversionKind::Length, safety));
    }
    // Opened by the dowel pin window's "*Erm.": ream its pin, and offer the way back.
    if (const OpenDialogData* state = controller.state(); state && state->handOverSenderPage == page::DowelPins) {
        m_returnPage = page::DowelPins;
        m_form.takeOverPin(state->handOver[0]);
    }
    m_backButton->setVisible(m_returnPage != 0);
    showForm();
    resize(sizeHint());
}

DrillDepthsWindow::~DrillDepthsWindow() = default;

void DrillDepthsWindow::buildControls()
{
    m_modeBox = new QGroupBox(this);
    auto* modes = new QHBoxLayout(m_modeBox);
    auto* modeGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(m_modeBox);
        button->setObjectName(QStringLiteral("mode%1").arg(i));
        modes->addWidget(button);
        modeGroup->addButton(button, i);
        m_modes[static_cast<std::size_t>(i)] = button;
    }
    connect(modeGroup, &QButtonGroup::idClicked, this, [this](int id) {
        m_form.setMode(static_cast<DrillMode>(id));
        showMode();
    });
    contentLayout()->addWidget(m_modeBox);

    auto* columns = new QHBoxLayout;
    m_inputBox = new QGroupBox(this);
    auto* grid = new QGridLayout(m_inputBox);
    for (int i = 0; i < kDrillFieldCount; ++i) {
        const auto which = static_cast<DrillField>(i);
        CaptionedField& captioned = m_fields[static_cast<std::size_t>(i)]
            = addCaptionedField(grid, rowOf(which), FieldRole::Input);
        QLineEdit* edit = captioned.edit;
        edit->setObjectName(QStringLiteral("field%1").arg(i));
        const FieldDescription& description = DrillDepthsForm::fieldDescription(which);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        auto* binding = bindField(edit, description);
        connect(binding, &FieldBinding::valueChanged, this, [this, which, edit] {
            std::string text = edit->text().toStdString();
            m_form.setText(which, text);
            if (which == DrillField::Diameter)
                fillAllowances();
        });
    }

    m_threadCaption = new QLabel(m_inputBox);
    m_threads = new QComboBox(m_inputBox);
    m_threads->setObjectName(QStringLiteral("threadList"));
    m_threadCaption->setBuddy(m_threads);
    grid->addWidget(m_threadCaption, kThreadRow, 0);
    grid->addWidget(m_threads, kThreadRow, 1);
    connect(m_threads, &QComboBox::activated, this, [this](int index) { m_form.setThread(index); });

    auto* leadRow = new QHBoxLayout;
    auto* leadGroup = new QButtonGroup(this);
    m_leadLength = new QRadioButton(m_inputBox);
    m_leadLength->setObjectName(QStringLiteral("leadLength"));
    m_leadPitch = new QRadioButton(m_inputBox);
    m_leadPitch->setObjectName(QStringLiteral("leadPitch"));
    leadGroup->addButton(m_leadLength, 0);
    leadGroup->addButton(m_leadPitch, 1);
    leadRow->addWidget(m_leadLength);
    leadRow->addWidget(m_leadPitch);
    grid->addLayout(leadRow, kLeadRow, 0, 1, 2);
    connect(leadGroup, &QButtonGroup::idClicked, this, [this](int id) { m_form.setLeadAsPitchMultiple(id == 1); });

    m_allowanceCaption = new QLabel(m_inputBox);
    m_allowances = new QComboBox(m_inputBox);
    m_allowances->setObjectName(QStringLiteral("allowanceList"));
    m_allowanceCaption->setBuddy(m_allowances);
    grid->addWidget(m_allowanceCaption, kAllowanceRow, 0);
    grid->addWidget(m_allowances, kAllowanceRow, 1);
    connect(m_allowances, &QComboBox::activated, this, &DrillDepthsWindow::allowanceChosen);

    m_throughHole = new QCheckBox(m_inputBox);
    m_throughHole->setObjectName(QStringLiteral("throughHoleBox"));
    grid->addWidget(m_throughHole, kThroughRow, 1);
    connect(m_throughHole, &QCheckBox::toggled, this, [this](bool on) { m_form.setThroughHole(on); });
    columns->addWidget(m_inputBox);

    m_resultBox = new QGroupBox(this);
    auto* results = new QGridLayout(m_resultBox);
    for (int i = 0; i < kDrillResultCount; ++i) {
        CaptionedField& captioned = m_results[static_cast<std::size_t>(i)]
            = addCaptionedField(results, i, FieldRole::Result);
        captioned.edit->setObjectName(QStringLiteral("result%1").arg(i));
    }
    results->setRowStretch(kDrillResultCount, 1);
    columns->addWidget(m_resultBox, 0, Qt::AlignTop);
    contentLayout()->addLayout(columns);

    addCalculationButtons();
    m_backButton = new QPushButton(this);
    m_backButton->setObjectName(QStringLiteral("backButton"));
    connect(m_backButton, &QPushButton::clicked, this, &DrillDepthsWindow::goBack);
    addBottomButton(m_backButton);
}

void DrillDepthsWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    for (int i = 0; i < kDrillFieldCount; ++i)
        setFieldCaption(m_fields[static_cast<std::size_t>(i)], toQt(m_form.caption(static_cast<DrillField>(i), texts)));
    for (int i = 0; i < kDrillResultCount; ++i)
        setFieldCaption(
            m_results[static_cast<std::size_t>(i)], toQt(m_form.caption(static_cast<DrillResult>(i), texts)));
    setCaption(m_modes[0], text(75461, "*Bohren"));
    setCaption(m_modes[1], text(75462, "*Reiben"));
    setCaption(m_modes[2], text(75463, "*Gewinde Kernloch"));
    setCaption(m_modeBox, text(75467, "*Art der Bohrung"));
    setCaption(m_inputBox, text(75468, "*Eingaben"));
    setCaption(m_resultBox, text(75469, "*Ergebnisse"));
    setCaption(m_threadCaption, text(75464, "*Gewinde") + QStringLiteral(":"));
    m_threads->setAccessibleName(m_threadCaption->text());
    setCaption(m_leadLength, text(75465, "*Anschnitt Gewindebohrer [mm] "));
    setCaption(m_leadPitch, text(75466, "*Anschnitt Gewindebohrer P x "));
    setCaption(m_allowanceCaption, text(75470, "*Vorschläge Untermaß:"));
    m_allowances->setAccessibleName(m_allowanceCaption->text());
    setCaption(m_throughHole, text(75471, "*Durchgangsbohrung"));
    setCaption(m_backButton, text(75472, "*Zurück"));
    setTooltip(m_backButton, 75473,
        "*Zurück zu den Verstiftungen: die Länge der Bohrerspitze aus der letzten Berechnung wird dort die Bohrtiefe, "
        "beim Reiben die Fasenhöhe der Reibahle die Reibzugabe");
}

void DrillDepthsWindow::goBack()
{
    // Hidden unless another window opened this one; a stray call does nothing.
    const PageInfo* info = pageInfo(m_returnPage);
    if (!info || !mayClose())
        return;
    storeInputs();
    OpenRequest request;
    request.senderPage = page::DrillDepths;
    request.senderWindow = this;
    m_form.fillReturnRequest(request);
    controller().send(info->openMessage, request);
}

void DrillDepthsWindow::fillAllowances()
{
    const QSignalBlocker blocker(m_allowances);
    m_allowances->clear();
    for (const std::string& choice : m_form.allowanceChoices(texts()))
        m_allowances->addItem(toQt(choice));
    if (m_form.unitSystem() == kUnitSystemInch) {
        const bool fits = m_allowances->count() > 1;
        const InchFit fit = fits ? m_form.inchFit() : InchFit::Custom;
        m_allowances->setCurrentIndex(fits ? static_cast<int>(fit) : 0);
        // The pre-drill is typed only for an own fit.
        field(DrillField::DrillDiameter)->setReadOnly(fit != InchFit::Custom && m_form.mode() == DrillMode::Ream);
    } else {
        m_allowances->setCurrentIndex(-1);
    }
    m_allowances->setEnabled(m_allowances->count() > 0);
}

void DrillDepthsWindow::allowanceChosen(int index)
{
    if (m_form.unitSystem() == kUnitSystemInch) {
        const bool fits = m_allowances->count() > 1;
        m_form.setInchFit(fits ? static_cast<InchFit>(std::clamp(index, 0, 2)) : InchFit::Custom);
        fillAllowances();
        return;
    }
    const std::vector<double> proposals = m_form.allowanceProposals();
    if (index < 0 || index >= static_cast<int>(proposals.size()))
        return;
    m_form.setNumber(DrillField::Allowance, static_cast<float>(proposals[static_cast<std::size_t>(index)]));
    showForm();
}

void DrillDepthsWindow::showMode()
{
    const DrillMode mode = m_form.mode();
    const bool ream = mode == DrillMode::Ream;
    const bool tap = mode == DrillMode::Tap;
    const bool metric = m_form.unitSystem() != kUnitSystemInch;
    auto show = [](const CaptionedField& field, bool visible) {
        field.caption->setVisible(visible);
        field.edit->setVisible(visible);
    };
    show(m_fields[static_cast<std::size_t>(DrillField::Diameter)], !tap);
    show(m_fields[static_cast<std::size_t>(DrillField::Chamfer)], ream);
    show(m_fields[static_cast<std::size_t>(DrillField::TapLead)], tap);
    show(m_fields[static_cast<std::size_t>(DrillField::Allowance)], ream && metric);
    show(m_fields[static_cast<std::size_t>(DrillField::DrillDiameter)], ream || tap);
    show(m_fields[static_cast<std::size_t>(DrillField::ReamStep)], ream);
    m_threadCaption->setVisible(tap);
    m_threads->setVisible(tap);
    m_leadLength->setVisible(tap);
    m_leadPitch->setVisible(tap);
    m_allowanceCaption->setVisible(ream);
    m_allowances->setVisible(ream);
    field(DrillField::DrillDiameter)->setReadOnly(!ream || metric);
    show(m_results[static_cast<std::size_t>(DrillResult::ReamingDepth)], ream);
    // Shown in every mode: the point of the (pre-)drill is what goes back to the dowel pins.
    show(m_results[static_cast<std::size_t>(DrillResult::PointLength)], true);
    show(m_results[static_cast<std::size_t>(DrillResult::CoreHoleDepth)], tap);
    show(m_results[static_cast<std::size_t>(DrillResult::Surplus)], tap);
    fillAllowances();
}

void DrillDepthsWindow::showForm()
{
    for (int i = 0; i < kDrillFieldCount; ++i) {
        QLineEdit* edit = m_fields[static_cast<std::size_t>(i)].edit;
        const std::string& wanted = m_form.text(static_cast<DrillField>(i));
        if (edit->text().toStdString() != wanted)
            edit->setText(toQt(wanted));
    }
    for (int i = 0; i < kDrillResultCount; ++i)
        m_results[static_cast<std::size_t>(i)].edit->setText(toQt(m_form.result(static_cast<DrillResult>(i))));
    {
        const QSignalBlocker blocker(m_threads);
        if (m_threads->count() != static_cast<int>(m_form.threads().size())) {
            m_threads->clear();
            for (const ThreadSize& size : m_form.threads())
                m_threads->addItem(QString::fromUtf8(size.name.data(), static_cast<qsizetype>(size.name.size())));
        }
        m_threads->setCurrentIndex(m_form.thread());
    }
    m_modes[static_cast<std::size_t>(m_form.mode())]->setChecked(true);
    (m_form.leadAsPitchMultiple() ? m_leadPitch : m_leadLength)->setChecked(true);
    {
        const QSignalBlocker blocker(m_throughHole);
        m_throughHole->setChecked(m_form.throughHole());
    }
    showMode();
}

void DrillDepthsWindow::calculate()
{
    std::vector<MessageBoxRequest> messages;
    const bool calculated = m_form.calculate(texts(), messages);
    showForm();
    for (const MessageBoxRequest& message : messages)
        boxes().show(message);
    if (calculated)
        reportCalculation();
}

std::string DrillDepthsWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void DrillDepthsWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void DrillDepthsWindow::refresh()
{
    FunctionWindow::refresh();
    if (unitSystem() != m_form.unitSystem()) {
        DrillDepthsBlock kept = m_form.store(reportsOpenAutomatically());
        kept.thread = 0; // the other unit system lists other threads
        m_form = DrillDepthsForm(unitSystem());
        m_form.fill(kept);
    }
    retranslate();
    showForm();
}

} // namespace kvt
