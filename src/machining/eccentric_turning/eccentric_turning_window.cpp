#include "machining/eccentric_turning/eccentric_turning_window.h"

#include "app/app_controller.h"
#include "common/field_binding.h"
#include "common/message_boxes.h"
#include "machining/eccentric_turning/chuck_picture.h"
#include "state/page_ids.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kvt {

EccentricTurningWindow::EccentricTurningWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::EccentricTurning, services)
    , m_form(controller.options() ? controller.options()->settings.unitSystem : 0)
{
    setObjectName(QStringLiteral("eccentricTurningWindow"));
    setReportKind(ReportKindId::Amdws);
    enableBackgroundMenu();
    buildControls();
    retranslate();
    if (const auto block = loadBlock<EccentricTurningBlock>())
        m_form.fill(*block);
    showForm();
    resize(sizeHint());
}

void EccentricTurningWindow::buildControls()
{
    auto* columns = new QHBoxLayout;
    contentLayout()->addLayout(columns);
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 1);

    m_inputBox = new QGroupBox(this);
    auto* grid = new QGridLayout(m_inputBox);
    grid->setColumnStretch(0, 1);
    for (int i = 0; i < kEccentricFieldCount; ++i) {
        const auto which = static_cast<EccentricField>(i);
        // Offset, piece and largest diameter are worked out from each other.
        const FieldRole role = which == EccentricField::Diameter ? FieldRole::Input : FieldRole::CorrespondingInput;
        const CaptionedField& captioned = m_fields[static_cast<std::size_t>(i)] = addCaptionedField(grid, i, role);
        QLineEdit* edit = captioned.edit;
        edit->setObjectName(QStringLiteral("field%1").arg(i));
        const FieldDescription& description = EccentricTurningForm::description(which);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        connect(bindField(edit, description), &FieldBinding::valueChanged, this, [this, which, edit] {
            std::string text = edit->text().toStdString();
            m_form.setText(which, text);
        });
    }
    m_error = addCaptionedField(grid, kEccentricFieldCount, FieldRole::Result);
    m_error.edit->setObjectName(QStringLiteral("errorField"));
    const FieldDescription& error = EccentricTurningForm::errorDescription();
    setTooltip(m_error.edit, error.tooltipId, error.tooltipBuiltin);
    left->addWidget(m_inputBox);

    auto* roles = new QButtonGroup(this);
    m_asInput = new QRadioButton(this);
    m_asInput->setObjectName(QStringLiteral("largestAsInput"));
    m_forInfo = new QRadioButton(this);
    m_forInfo->setObjectName(QStringLiteral("largestForInfo"));
    roles->addButton(m_asInput);
    roles->addButton(m_forInfo);
    left->addWidget(m_asInput);
    left->addWidget(m_forInfo);
    left->addStretch(1);
    connect(m_asInput, &QRadioButton::toggled, this, [this](bool on) {
        m_form.setLargestDiameterIsInput(on);
        showForm();
    });

    m_picture = new ChuckPicture(this);
    columns->addWidget(m_picture, 1);

    addCalculationButtons();
}

void EccentricTurningWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    for (int i = 0; i < kEccentricFieldCount; ++i)
        setFieldCaption(
            m_fields[static_cast<std::size_t>(i)], toQt(m_form.caption(static_cast<EccentricField>(i), texts)));
    setFieldCaption(m_error, toQt(m_form.errorCaption(texts)));
    setCaption(m_inputBox, text(71727, "*Eingaben"));
    setCaption(m_asInput, text(71720, "*Erstellbarer Durchmesser als Eingabe"));
    setCaption(m_forInfo, text(71721, "*Erstellbarer Durchmesser nur zur Info"));
    m_picture->setAccessibleName(text(71728, "*Dreibackenfutter mit Unterlegstück unter einer Backe"));
}

void EccentricTurningWindow::showForm()
{
    for (int i = 0; i < kEccentricFieldCount; ++i) {
        QLineEdit* edit = m_fields[static_cast<std::size_t>(i)].edit;
        const std::string& shown = m_form.text(static_cast<EccentricField>(i));
        if (edit->text().toStdString() != shown)
            edit->setText(toQt(shown));
    }
    m_error.edit->setText(toQt(m_form.errorText()));
    // The largest diameter is typed only when it is an input.
    field(EccentricField::LargestDiameter)->setReadOnly(!m_form.largestDiameterIsInput());
    {
        const QSignalBlocker asInput(m_asInput);
        const QSignalBlocker forInfo(m_forInfo);
        (m_form.largestDiameterIsInput() ? m_asInput : m_forInfo)->setChecked(true);
    }
}

void EccentricTurningWindow::calculate()
{
    const EccentricOutcome outcome = m_form.calculate();
    showForm();
    if (outcome == EccentricOutcome::OffsetTooLarge) {
        boxes().show({text(71722, "*Das Offset muss kleiner als der Radius sein!").toStdString(),
            text(71723, "*ERROR").toStdString(), MessageIcon::Error, MessageButtons::Ok});
        return;
    }
    if (outcome == EccentricOutcome::Calculated)
        reportCalculation();
}

void EccentricTurningWindow::clearCorrespondingFields(QLineEdit*)
{
    m_form.clearCorresponding();
    showForm();
}

std::string EccentricTurningWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void EccentricTurningWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void EccentricTurningWindow::refresh()
{
    FunctionWindow::refresh();
    const int units = controller().options() ? controller().options()->settings.unitSystem : 0;
    if (units != m_form.unitSystem()) {
        // The values stay what they are in millimetres; only their display changes.
        const EccentricTurningBlock block = m_form.store(reportsOpenAutomatically());
        m_form = EccentricTurningForm(units);
        m_form.fill(block);
    }
    retranslate();
    showForm();
}

} // namespace kvt
