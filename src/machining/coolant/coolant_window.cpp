#include "machining/coolant/coolant_window.h"

#include "app/app_controller.h"
#include "common/field_binding.h"
#include "common/field_description.h"
#include "common/message_boxes.h"
#include "options/machine_data.h"
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
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace kvt {

namespace {

constexpr std::array<CoolantInput, 4> kMixInputs = {CoolantInput::ActualVolume, CoolantInput::ActualConcentration,
    CoolantInput::TargetVolume, CoolantInput::TargetConcentration};
constexpr std::array<CoolantInput, 6> kTankInputs = {CoolantInput::TankWidth, CoolantInput::TankLength,
    CoolantInput::FillHeight, CoolantInput::CornerRadius, CoolantInput::HeightUnit, CoolantInput::VolumePerHeightUnit};

int optionUnitSystem(const AppController& controller)
{
    return controller.options() ? controller.options()->settings.unitSystem : 0;
}

int optionVolumeUnit(const AppController& controller)
{
    return controller.options() ? controller.options()->settings.volumeUnit : 0;
}

bool languageLoaded(const AppController& controller)
{
    return controller.state() && controller.state()->languageLoaded != 0;
}

} // namespace

CoolantWindow::CoolantWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::Coolant, services)
    , m_form(optionUnitSystem(controller), optionVolumeUnit(controller), languageLoaded(controller))
{
    setObjectName(QStringLiteral("coolantWindow"));
    setReportKind(ReportKindId::Coolant);
    enableBackgroundMenu();
    buildControls();
    retranslate();
    // The saved block first, then the current machine's tank over it. Results are not
    // kept: the tank may have changed since.
    m_form.fill(loadBlock<CoolantBlock>().value_or(CoolantBlock {}), currentTank());
    showForm();
    resize(sizeHint());
}

CoolantWindow::~CoolantWindow() = default;

void CoolantWindow::buildControls()
{
    m_unitLine = new QLabel(this);
    m_unitLine->setObjectName(QStringLiteral("unitLine"));
    contentLayout()->addWidget(m_unitLine);

    auto* columns = new QHBoxLayout;
    contentLayout()->addLayout(columns);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto input = [this](QGridLayout* grid, int row, CoolantInput which) {
        CaptionedField& field = m_inputs[static_cast<std::size_t>(which)]
            = addCaptionedField(grid, row, FieldRole::Input);
        QLineEdit* edit = field.edit;
        edit->setObjectName(QStringLiteral("input%1").arg(static_cast<int>(which)));
        const FieldDescription& description = CoolantForm::inputDescription(which);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        auto* binding = bindField(edit, description);
        connect(binding, &FieldBinding::valueChanged, this, [this, which, edit] {
            std::string text = edit->text().toStdString();
            m_form.setInputText(which, text);
        });
    };

    m_operationGroup = new QGroupBox(this);
    auto* operationLayout = new QVBoxLayout(m_operationGroup);
    m_operation = new QComboBox(this);
    m_operation->setObjectName(QStringLiteral("operationBox"));
    operationLayout->addWidget(m_operation);
    connect(m_operation, &QComboBox::activated, this, [this](int row) { m_form.setOperationRow(row); });
    left->addWidget(m_operationGroup);

    m_mixGroup = new QGroupBox(this);
    auto* mixGrid = new QGridLayout(m_mixGroup);
    mixGrid->setColumnStretch(0, 1);
    int row = 0;
    for (CoolantInput which : kMixInputs)
        input(mixGrid, row++, which);
    left->addWidget(m_mixGroup);

    m_refractometerGroup = new QGroupBox(this);
    auto* refractometerGrid = new QGridLayout(m_refractometerGroup);
    refractometerGrid->setColumnStretch(0, 1);
    input(refractometerGrid, 0, CoolantInput::RefractometerFactor);
    m_refractometer = new QCheckBox(this);
    m_refractometer->setObjectName(QStringLiteral("refractometerBox"));
    refractometerGrid->addWidget(m_refractometer, 1, 0, 1, 2);
    connect(m_refractometer, &QCheckBox::toggled, this, [this](bool on) {
        m_form.setRefractometerInUse(on);
        showInputs();
    });
    left->addWidget(m_refractometerGroup);
    left->addStretch(1);

    m_resultGroup = new QGroupBox(this);
    auto* resultGrid = new QGridLayout(m_resultGroup);
    resultGrid->setColumnStretch(0, 1);
    for (int i = 0; i < kCoolantResultCount; ++i) {
        CaptionedField& field = m_results[static_cast<std::size_t>(i)]
            = addCaptionedField(resultGrid, i, FieldRole::Result);
        field.edit->setObjectName(QStringLiteral("result%1").arg(i));
    }
    right->addWidget(m_resultGroup);

    m_tankGroup = new QGroupBox(this);
    auto* tankLayout = new QVBoxLayout(m_tankGroup);
    m_methodGroup = new QButtonGroup(this);
    for (int method = 0; method < 2; ++method) {
        auto* button = new QRadioButton(this);
        button->setObjectName(QStringLiteral("tankMethod%1").arg(method));
        m_methodGroup->addButton(button, method);
        tankLayout->addWidget(button);
        m_methodButtons[static_cast<std::size_t>(method)] = button;
    }
    connect(m_methodGroup, &QButtonGroup::idClicked, this, [this](int id) {
        m_form.setTankMethod(static_cast<TankMethod>(id));
        showInputs();
    });
    auto* tankGrid = new QGridLayout;
    tankGrid->setColumnStretch(0, 1);
    row = 0;
    for (CoolantInput which : kTankInputs)
        input(tankGrid, row++, which);
    tankLayout->addLayout(tankGrid);
    m_estimateButton = new QPushButton(this);
    m_estimateButton->setObjectName(QStringLiteral("estimateButton"));
    connect(m_estimateButton, &QPushButton::clicked, this, &CoolantWindow::estimateTank);
    tankLayout->addWidget(m_estimateButton, 0, Qt::AlignRight);
    right->addWidget(m_tankGroup);
    right->addStretch(1);

    addCalculationButtons();
}

void CoolantWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    m_unitLine->setText(toQt(m_form.unitLine(texts)));
    m_unitLine->setAccessibleName(m_unitLine->text());
    for (int i = 0; i < kCoolantInputCount; ++i)
        setFieldCaption(
            m_inputs[static_cast<std::size_t>(i)], toQt(m_form.inputCaption(static_cast<CoolantInput>(i), texts)));
    for (int i = 0; i < kCoolantResultCount; ++i)
        setFieldCaption(
            m_results[static_cast<std::size_t>(i)], toQt(m_form.resultCaption(static_cast<CoolantResult>(i), texts)));
    setCaption(m_operationGroup, text(71218, "*Rechenoperation"));
    // The list has no caption of its own; its group names it.
    m_operation->setAccessibleName(m_operationGroup->title());
    setCaption(m_mixGroup, text(71238, "*Mischung"));
    setCaption(m_refractometerGroup, text(71232, "*Refraktometerfaktor"));
    setCaption(m_refractometer, text(71233, "*Anwenden"));
    setCaption(m_resultGroup, text(71219, "*Ergebnisse"));
    setCaption(m_tankGroup, text(71239, "*Tankinhalt ermitteln"));
    setCaption(m_methodButtons[0], text(71230, "*Berechnung über Tankinnenmaße und Füllhöhe"));
    setCaption(m_methodButtons[1], text(71231, "*Berechnung über Volumen pro Höheneinheit"));
    setCaption(m_estimateButton, text(71234, "*Ermitteln"));
    fillOperationRows();
}

void CoolantWindow::fillOperationRows()
{
    const QSignalBlocker blocker(m_operation);
    m_operation->clear();
    int row = 0;
    for (const std::string& text : m_form.operationRows(texts())) {
        m_operation->addItem(toQt(text));
        // Separators cannot be chosen; the row stays so that indices match the rows.
        if (!operationAtRow(row)) {
            if (auto* model = qobject_cast<QStandardItemModel*>(m_operation->model()))
                model->item(row)->setEnabled(false);
        }
        ++row;
    }
    m_operation->setCurrentIndex(m_form.operationRow());
}

QRadioButton* CoolantWindow::tankMethodButton(TankMethod method) const
{
    return m_methodButtons[static_cast<std::size_t>(method)];
}

const CoolantTank* CoolantWindow::currentTank() const
{
    const MachineRecord* machine = currentMachine();
    if (!machine)
        return nullptr;
    const MachineData& data = machineData(*machine);
    if (data.currentCoolantTank >= kCoolantTankCount)
        return nullptr;
    return &data.coolantTanks[data.currentCoolantTank];
}

void CoolantWindow::showForm()
{
    {
        const QSignalBlocker operationBlocker(m_operation);
        m_operation->setCurrentIndex(m_form.operationRow());
        const QSignalBlocker refractometerBlocker(m_refractometer);
        m_refractometer->setChecked(m_form.refractometerInUse());
    }
    tankMethodButton(m_form.tankMethod())->setChecked(true);
    showInputs();
    showResults();
}

void CoolantWindow::showInputs()
{
    for (int i = 0; i < kCoolantInputCount; ++i) {
        const auto which = static_cast<CoolantInput>(i);
        const CaptionedField& field = m_inputs[static_cast<std::size_t>(i)];
        const QString text = toQt(m_form.inputText(which));
        if (field.edit->text() != text)
            field.edit->setText(text);
        const bool on = CoolantForm::inputEnabled(m_form.tankMethod(), which);
        field.edit->setEnabled(on);
        field.caption->setEnabled(on);
    }
}

void CoolantWindow::showResults()
{
    for (int i = 0; i < kCoolantResultCount; ++i)
        m_results[static_cast<std::size_t>(i)].edit->setText(toQt(m_form.resultText(static_cast<CoolantResult>(i))));
    reportButton()->setEnabled(m_form.resultStands());
}

void CoolantWindow::showMessage(const MessageBoxRequest& request)
{
    if (OpenDialogData* state = controller().state())
        state->messageBoxPending = 1;
    boxes().show(request);
}

void CoolantWindow::calculate()
{
    const CoolantCommandResult command = m_form.calculate(texts());
    if (!command.changed)
        return;
    showInputs();
    showResults();
    if (command.message)
        showMessage(*command.message);
    if (command.reportReady)
        reportCalculation();
}

void CoolantWindow::estimateTank()
{
    const CoolantCommandResult command = m_form.estimateTank(texts());
    if (command.changed)
        showInputs();
    if (command.message)
        showMessage(*command.message);
}

std::string CoolantWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void CoolantWindow::openReportCommand()
{
    // With a result standing its report is written and opened; otherwise the report
    // written last is opened again.
    if (m_form.resultStands())
        FunctionWindow::openReportCommand();
    else
        openLastReport();
}

void CoolantWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void CoolantWindow::reload(const CoolantBlock& block)
{
    m_form = CoolantForm(optionUnitSystem(controller()), optionVolumeUnit(controller()), languageLoaded(controller()));
    m_form.fill(block, currentTank());
}

void CoolantWindow::refresh()
{
    // The options dialog may have changed the volume unit, the language or the tank:
    // what was typed is kept in internal units and shown again in the new ones.
    const CoolantBlock block = m_form.store(reportsOpenAutomatically());
    FunctionWindow::refresh();
    reload(block);
    retranslate();
    showForm();
}

void CoolantWindow::machineChanged()
{
    reload(m_form.store(reportsOpenAutomatically()));
    showForm();
}

} // namespace kvt
