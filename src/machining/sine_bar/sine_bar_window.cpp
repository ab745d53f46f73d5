#include "machining/sine_bar/sine_bar_window.h"

#include "app/app_controller.h"
#include "common/field_binding.h"
#include "common/message_boxes.h"
#include "state/page_ids.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kvt {

SineBarWindow::SineBarWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::SineBar, services)
    , m_form(controller.options() ? controller.options()->settings.unitSystem : kUnitSystemMetric)
{
    setObjectName(QStringLiteral("sineBarWindow"));
    setReportKind(ReportKindId::Sln);
    enableBackgroundMenu();
    buildControls();
    retranslate();
    if (const auto block = loadBlock<SineBarBlock>())
        m_form.fill(*block);
    showForm();
    resize(sizeHint());
}

SineBarWindow::~SineBarWindow() = default;

void SineBarWindow::buildControls()
{
    m_box = new QGroupBox(this);
    auto* grid = new QGridLayout(m_box);
    grid->setColumnStretch(0, 1);
    for (int i = 0; i < kSineBarFieldCount; ++i) {
        const auto which = static_cast<SineBarField>(i);
        const FieldRole role = which == SineBarField::Length ? FieldRole::Input : FieldRole::CorrespondingInput;
        CaptionedField& captioned = m_fields[static_cast<std::size_t>(i)] = addCaptionedField(grid, i, role);
        QLineEdit* edit = captioned.edit;
        edit->setObjectName(QStringLiteral("field%1").arg(i));
        const FieldDescription& description = SineBarForm::fieldDescription(which);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        auto* binding = bindField(edit, description);
        connect(binding, &FieldBinding::valueChanged, this, [this, which, edit] {
            std::string text = edit->text().toStdString();
            m_form.setText(which, text);
        });
    }
    contentLayout()->addWidget(m_box);

    addCalculationButtons();
}

void SineBarWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    for (int i = 0; i < kSineBarFieldCount; ++i)
        setFieldCaption(
            m_fields[static_cast<std::size_t>(i)], toQt(m_form.caption(static_cast<SineBarField>(i), texts)));
    setCaption(m_box, text(71431, "*Sinuslineal einrichten"));
}

void SineBarWindow::showForm()
{
    for (int i = 0; i < kSineBarFieldCount; ++i) {
        QLineEdit* edit = m_fields[static_cast<std::size_t>(i)].edit;
        const std::string& wanted = m_form.text(static_cast<SineBarField>(i));
        if (edit->text().toStdString() != wanted)
            edit->setText(toQt(wanted));
    }
}

void SineBarWindow::calculate()
{
    const SineBarOutcome outcome = m_form.calculate(texts());
    showForm();
    if (outcome.message)
        boxes().show(*outcome.message);
    if (outcome.calculated)
        reportCalculation();
}

void SineBarWindow::clearCorrespondingFields(QLineEdit*)
{
    for (SineBarField which : {SineBarField::Angle, SineBarField::Height}) {
        QLineEdit* edit = field(which);
        edit->clear();
        emit edit->textEdited(QString());
    }
}

std::string SineBarWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void SineBarWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void SineBarWindow::refresh()
{
    FunctionWindow::refresh();
    // A changed unit system shows the same lengths in the new units.
    if (unitSystem() != m_form.unitSystem()) {
        const SineBarBlock kept = m_form.store(reportsOpenAutomatically());
        m_form = SineBarForm(unitSystem());
        m_form.fill(kept);
    }
    retranslate();
    showForm();
}

} // namespace kvt
