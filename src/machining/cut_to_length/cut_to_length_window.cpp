#include "machining/cut_to_length/cut_to_length_window.h"

#include "app/app_controller.h"
#include "common/field_binding.h"
#include "common/message_boxes.h"
#include "machining/cut_to_length/cut_setup_picture.h"
#include "state/page_ids.h"

#include <QApplication>
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

namespace kvt {

CutToLengthWindow::CutToLengthWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::CutToLength, services)
    , m_form(controller.options() ? controller.options()->settings.unitSystem : 0)
{
    setObjectName(QStringLiteral("cutToLengthWindow"));
    setReportKind(ReportKindId::Gal);
    enableBackgroundMenu();
    buildControls();
    retranslate();
    if (const auto block = loadBlock<CutToLengthBlock>())
        m_form.fill(*block);
    showForm();
}

void CutToLengthWindow::buildControls()
{
    auto* columns = new QHBoxLayout;
    contentLayout()->addLayout(columns);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    m_operationBox = new QGroupBox(this);
    auto* operationLayout = new QVBoxLayout(m_operationBox);
    m_operation = new QComboBox(this);
    m_operation->setObjectName(QStringLiteral("operationBox"));
    for (int i = 0; i < 3; ++i)
        m_operation->addItem(QString());
    operationLayout->addWidget(m_operation);
    left->addWidget(m_operationBox);
    connect(m_operation, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row < 0 || row > 2 || static_cast<CutOperation>(row + 1) == m_form.operation())
            return;
        m_form.setOperation(static_cast<CutOperation>(row + 1));
        showForm();
    });

    m_inputBox = new QGroupBox(this);
    auto* grid = new QGridLayout(m_inputBox);
    grid->setColumnStretch(0, 1);
    for (int i = 0; i < kCutInputCount; ++i) {
        const auto input = static_cast<CutInput>(i);
        const CaptionedField& field = m_inputs[static_cast<std::size_t>(i)]
            = addCaptionedField(grid, i, FieldRole::Input);
        QLineEdit* edit = field.edit;
        edit->setObjectName(QStringLiteral("input%1").arg(i));
        const FieldDescription& description = CutToLengthForm::inputDescription(input);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        connect(bindField(edit, description), &FieldBinding::valueChanged, this, [this, input, edit] {
            std::string text = edit->text().toStdString();
            m_form.setInputText(input, text);
        });
    }
    left->addWidget(m_inputBox);

    auto radioPair = [this](QGroupBox*& box, std::array<QRadioButton*, 2>& buttons, const char* name) {
        box = new QGroupBox(this);
        auto* layout = new QVBoxLayout(box);
        auto* group = new QButtonGroup(box);
        for (int i = 0; i < 2; ++i) {
            auto* button = new QRadioButton(box);
            button->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(i + 1));
            group->addButton(button, i + 1);
            layout->addWidget(button);
            buttons[static_cast<std::size_t>(i)] = button;
        }
        return group;
    };
    // Toggled rather than clicked: a screen reader checks a radio button without a click.
    connect(radioPair(m_originBox, m_originButtons, "origin"), &QButtonGroup::idToggled, this,
        [this](int id, bool checked) {
            if (!checked || static_cast<AxisOrigin>(id) == m_form.origin())
                return;
            m_form.setOrigin(static_cast<AxisOrigin>(id));
            showForm();
        });
    connect(radioPair(m_sideBox, m_sideButtons, "side"), &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked || static_cast<SideB>(id) == m_form.side())
            return;
        m_form.setSide(static_cast<SideB>(id));
        showForm();
    });
    left->addWidget(m_originBox);
    left->addWidget(m_sideBox);
    left->addStretch(1);

    m_picture = new CutSetupPicture(this);
    right->addWidget(m_picture, 1);
    m_resultBox = new QGroupBox(this);
    auto* resultGrid = new QGridLayout(m_resultBox);
    resultGrid->setColumnStretch(0, 1);
    for (int i = 0; i < kCutResultCount; ++i) {
        m_results[static_cast<std::size_t>(i)] = addCaptionedField(resultGrid, i, FieldRole::Result);
        m_results[static_cast<std::size_t>(i)].edit->setObjectName(QStringLiteral("result%1").arg(i));
    }
    right->addWidget(m_resultBox);
    right->addStretch(1);

    addCalculationButtons();
}

void CutToLengthWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    for (int i = 0; i < kCutInputCount; ++i)
        setFieldCaption(
            m_inputs[static_cast<std::size_t>(i)], toQt(m_form.inputCaption(static_cast<CutInput>(i), texts)));
    for (int i = 0; i < kCutResultCount; ++i)
        setFieldCaption(
            m_results[static_cast<std::size_t>(i)], toQt(m_form.resultCaption(static_cast<CutResult>(i), texts)));
    for (int i = 0; i < 3; ++i)
        m_operation->setItemText(i, toQt(CutToLengthForm::operationName(static_cast<CutOperation>(i + 1), texts)));
    setCaption(m_operationBox, text(71831, "*Bearbeitung"));
    m_operation->setAccessibleName(m_operationBox->title());
    setCaption(m_originBox, text(71832, "*Achskoordinaten-Ursprung"));
    setCaption(m_sideBox, text(71833, "*Seite B"));
    for (int i = 0; i < 2; ++i) {
        setCaption(m_originButtons[static_cast<std::size_t>(i)],
            toQt(CutToLengthForm::originName(static_cast<AxisOrigin>(i + 1), texts)));
        setCaption(m_sideButtons[static_cast<std::size_t>(i)],
            toQt(CutToLengthForm::sideName(static_cast<SideB>(i + 1), texts)));
    }
    setCaption(m_inputBox, text(71837, "*Eingaben"));
    setCaption(m_resultBox, text(71838, "*Ergebnisse"));
}

QRadioButton* CutToLengthWindow::originButton(AxisOrigin origin) const
{
    return m_originButtons[static_cast<std::size_t>(static_cast<int>(origin) - 1)];
}

QRadioButton* CutToLengthWindow::sideButton(SideB side) const
{
    return m_sideButtons[static_cast<std::size_t>(static_cast<int>(side) - 1)];
}

void CutToLengthWindow::showForm()
{
    for (int i = 0; i < kCutInputCount; ++i) {
        QLineEdit* edit = m_inputs[static_cast<std::size_t>(i)].edit;
        const std::string& shown = m_form.inputText(static_cast<CutInput>(i));
        if (edit->text().toStdString() != shown)
            edit->setText(toQt(shown));
    }
    for (int i = 0; i < kCutResultCount; ++i)
        m_results[static_cast<std::size_t>(i)].edit->setText(toQt(m_form.resultText(static_cast<CutResult>(i))));
    m_operation->setCurrentIndex(static_cast<int>(m_form.operation()) - 1);
    originButton(m_form.origin())->setChecked(true);
    sideButton(m_form.side())->setChecked(true);
    m_picture->setSetup(m_form.operation(), m_form.origin(), m_form.side());
    m_picture->setAccessibleName(m_operation->currentText());
    {
    }
    arrangeForOperation();
}

void CutToLengthWindow::arrangeForOperation()
{
    // The lathe has no raw length, side B or allowance: out of the way, and the window
    // takes the smaller height.
    const bool milling = m_form.milling();
    const bool changed = m_sideBox->isVisibleTo(this) != milling;
    for (int i = 0; i < kCutInputCount; ++i) {
        if (!CutToLengthForm::millingOnly(static_cast<CutInput>(i)))
            continue;
        m_inputs[static_cast<std::size_t>(i)].caption->setVisible(milling);
        m_inputs[static_cast<std::size_t>(i)].edit->setVisible(milling);
    }
    m_sideBox->setVisible(milling);
    if (changed || !isVisible()) {
        layout()->activate();
        resize(width(), sizeHint().height());
    }
}

void CutToLengthWindow::calculate()
{
    const CutCalculation outcome = m_form.calculate();
    for (CutMessage message : outcome.messages) {
        QApplication::beep();
        boxes().show({CutToLengthForm::messageText(message, texts()), CutToLengthForm::messageCaption(texts()),
            MessageIcon::Error, MessageButtons::Ok});
    }
    if (!outcome.calculated)
        return;
    showForm();
    reportCalculation();
}

std::string CutToLengthWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void CutToLengthWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void CutToLengthWindow::refresh()
{
    FunctionWindow::refresh();
    const int units = controller().options() ? controller().options()->settings.unitSystem : 0;
    if (units != m_form.unitSystem()) {
        // The values stay what they are in millimetres; only their display changes.
        const CutToLengthBlock block = m_form.store(reportsOpenAutomatically());
        m_form = CutToLengthForm(units);
        m_form.fill(block);
    }
    retranslate();
    showForm();
}

} // namespace kvt
