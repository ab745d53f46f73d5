#include "machining/dividing_head/dividing_head_window.h"

#include "common/field_binding.h"
#include "machining/dividing_head/index_plate_picture.h"
#include "options/machine_data.h"
#include "state/page_ids.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvt {

DividingHeadWindow::DividingHeadWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::DividingHead, services)
{
    setObjectName(QStringLiteral("dividingHeadWindow"));
    setReportKind(ReportKindId::Ta);
    enableBackgroundMenu();
    buildControls();
    retranslate();

    // The stored inputs first; the ratio then always comes from the machine, as the
    // options dialog may have changed it since.
    if (const auto block = loadBlock<DividingHeadBlock>())
        m_form.fill(*block);
    takeMachine();
    showForm();
    resize(sizeHint());
}

DividingHeadWindow::~DividingHeadWindow() = default;

void DividingHeadWindow::buildControls()
{
    auto* columns = new QHBoxLayout;
    contentLayout()->addLayout(columns);
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 1);

    m_inputBox = new QGroupBox(this);
    auto* inputGrid = new QGridLayout(m_inputBox);
    inputGrid->setColumnStretch(0, 1);
    for (int i = 0; i < kDividingInputCount; ++i) {
        const auto input = static_cast<DividingInput>(i);
        CaptionedField& field = m_inputs[static_cast<std::size_t>(i)]
            = addCaptionedField(inputGrid, i, FieldRole::Input);
        QLineEdit* edit = field.edit;
        edit->setObjectName(QStringLiteral("input%1").arg(i));
        const FieldDescription& description = DividingHeadForm::inputDescription(input);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        auto* binding = bindField(edit, description);
        connect(binding, &FieldBinding::valueChanged, this, [this, input, edit] {
            std::string text = edit->text().toStdString();
            m_form.setInputText(input, text);
        });
    }
    left->addWidget(m_inputBox);

    m_resultBox = new QGroupBox(this);
    auto* resultGrid = new QGridLayout(m_resultBox);
    resultGrid->setColumnStretch(0, 1);
    for (int i = 0; i < kDividingResultCount; ++i) {
        CaptionedField& field = m_results[static_cast<std::size_t>(i)]
            = addCaptionedField(resultGrid, i, FieldRole::Result);
        field.edit->setObjectName(QStringLiteral("result%1").arg(i));
    }
    left->addWidget(m_resultBox);
    left->addStretch(1);

    m_picture = new IndexPlatePicture(this);
    m_picture->setObjectName(QStringLiteral("indexPlate"));
    columns->addWidget(m_picture, 1);

    addCalculationButtons();
}

void DividingHeadWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    for (int i = 0; i < kDividingInputCount; ++i) {
        const FieldDescription& description = DividingHeadForm::inputDescription(static_cast<DividingInput>(i));
        setFieldCaption(
            m_inputs[static_cast<std::size_t>(i)], toQt(fieldCaption(description, texts, kUnitSystemMetric)));
    }
    for (int i = 0; i < kDividingResultCount; ++i) {
        const FieldDescription& description = DividingHeadForm::resultDescription(static_cast<DividingResult>(i));
        setFieldCaption(
            m_results[static_cast<std::size_t>(i)], toQt(fieldCaption(description, texts, kUnitSystemMetric)));
    }
    setCaption(m_inputBox, text(71330, "*Eingaben"));
    setCaption(m_resultBox, text(71331, "*Ergebnisse"));
}

void DividingHeadWindow::takeMachine()
{
    const MachineRecord* machine = currentMachine();
    if (!machine)
        return;
    const MachineData& data = machineData(*machine);
    m_form.takeMachine(data.dividingHeadRatio,
        std::span<const std::uint16_t, kIndexPlateListSize>(data.indexPlateHoles, kIndexPlateHoleCount));
}

void DividingHeadWindow::showForm()
{
    for (int i = 0; i < kDividingInputCount; ++i) {
        QLineEdit* edit = m_inputs[static_cast<std::size_t>(i)].edit;
        const std::string& wanted = m_form.inputText(static_cast<DividingInput>(i));
        if (edit->text().toStdString() != wanted)
            edit->setText(toQt(wanted));
    }
    showResults();
}

void DividingHeadWindow::showResults()
{
    for (int i = 0; i < kDividingResultCount; ++i)
        m_results[static_cast<std::size_t>(i)].edit->setText(toQt(m_form.resultText(static_cast<DividingResult>(i))));
    const IndexResult& result = m_form.result();
    if (!m_form.calculated())
        m_picture->setPlate(0, 0, true);
    else if (!result.solved())
        m_picture->setPlate(result.neededCircle, 0, false);
    else
        m_picture->setPlate(m_form.usedCircle(), result.holes, true);
    m_picture->setCaption(toQt(m_form.plateCaption(texts())));
}

void DividingHeadWindow::calculate()
{
    switch (m_form.calculate()) {
    case DividingOutcome::Nothing:
        return;
    case DividingOutcome::BothGiven:
        boxes().show(DividingHeadForm::bothGivenMessage(texts()));
        return;
    case DividingOutcome::NoRatio:
        boxes().show(DividingHeadForm::noRatioMessage(texts()));
        return;
    case DividingOutcome::Calculated:
        break;
    }
    // The ratio may have been kept to a byte.
    showForm();
    reportCalculation();
}

std::string DividingHeadWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void DividingHeadWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void DividingHeadWindow::refresh()
{
    FunctionWindow::refresh();
    retranslate();
    // The options dialog is where the dividing head's ratio and plates are kept.
    takeMachine();
    showForm();
}

void DividingHeadWindow::machineChanged()
{
    takeMachine();
    showForm();
}

} // namespace kvt
