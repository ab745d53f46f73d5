#include "design/dowel_pins/dowel_pins_window.h"

#include "app/app_controller.h"
#include "app/pages.h"
#include "common/field_binding.h"
#include "common/message_boxes.h"
#include "design/dowel_pins/joint_picture.h"
#include "state/page_ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <vector>

namespace kvt {

namespace {

// Input rows: the diameter list first, then the fields, the standard lengths beside the
// length; the two thicknesses are drawing parameters in a box of their own.
constexpr std::array kInputFields = {PinField::Length, PinField::Factor, PinField::Extra1, PinField::Extra2,
    PinField::DrillAllowance, PinField::ReamAllowance};
constexpr std::array kDrawingFields = {PinField::Thickness1, PinField::Thickness2};

} // namespace

DowelPinsWindow::DowelPinsWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::DowelPins, services)
    , m_form(controller.options() ? controller.options()->settings.unitSystem : kUnitSystemMetric)
{
    setObjectName(QStringLiteral("dowelPinsWindow"));
    setReportKind(ReportKindId::Stft);
    enableBackgroundMenu();
    buildControls();
    retranslate();
    if (const OptionsRecord* options = controller.options())
        m_form.setSafety(options->settings.safetyValue);
    if (const auto block = loadBlock<DowelPinsBlock>())
        m_form.fill(*block);
    // Back from the drill-depth window that "*Erm." opened: its drill point becomes t, and
    // the depths are shown with it at once, without a report. A factor of 0 shows nothing
    // here; its message comes with the next "*Berechnen".
    if (const OpenDialogData* state = controller.state(); state && state->handOverSenderPage == page::DrillDepths
        && m_form.takeBackAllowances(state->handOver[0], state->handOver[1], state->handOver[2])) {
        std::vector<MessageBoxRequest> unshown;
        m_form.calculate(texts(), unshown);
    }
    showForm();
    resize(sizeHint());
}

DowelPinsWindow::~DowelPinsWindow() = default;

void DowelPinsWindow::buildControls()
{
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;

    m_inputBox = new QGroupBox(this);
    auto* inputs = new QGridLayout(m_inputBox);
    m_diameterCaption = new QLabel(m_inputBox);
    m_diameters = new QComboBox(m_inputBox);
    m_diameters->setObjectName(QStringLiteral("diameterList"));
    m_diameterCaption->setBuddy(m_diameters);
    inputs->addWidget(m_diameterCaption, 0, 0);
    inputs->addWidget(m_diameters, 0, 1);
    connect(m_diameters, &QComboBox::activated, this, [this](int index) {
        m_form.setDiameter(index);
        showForm();
    });

    auto bind = [this](QGridLayout* grid, int row, PinField which) {
        CaptionedField& captioned = m_fields[static_cast<std::size_t>(which)]
            = addCaptionedField(grid, row, FieldRole::Input);
        QLineEdit* edit = captioned.edit;
        edit->setObjectName(QStringLiteral("field%1").arg(static_cast<int>(which)));
        const FieldDescription& description = DowelPinsForm::fieldDescription(which);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        auto* binding = bindField(edit, description);
        connect(binding, &FieldBinding::valueChanged, this, [this, which, edit] {
            std::string text = edit->text().toStdString();
            m_form.setText(which, text);
        });
    };
    int row = 1;
    for (PinField which : kInputFields) {
        bind(inputs, row++, which);
        if (which == PinField::Length) {
            m_lengthCaption = new QLabel(m_inputBox);
            m_lengths = new QComboBox(m_inputBox);
            m_lengths->setObjectName(QStringLiteral("lengthList"));
            m_lengthCaption->setBuddy(m_lengths);
            inputs->addWidget(m_lengthCaption, row, 0);
            inputs->addWidget(m_lengths, row, 1);
            ++row;
            connect(m_lengths, &QComboBox::activated, this, [this](int index) {
                m_form.chooseLength(index);
                showForm();
            });
        }
    }
    left->addWidget(m_inputBox);

    m_drawingBox = new QGroupBox(this);
    auto* drawing = new QGridLayout(m_drawingBox);
    row = 0;
    for (PinField which : kDrawingFields)
        bind(drawing, row++, which);
    left->addWidget(m_drawingBox);

    m_resultBox = new QGroupBox(this);
    auto* results = new QGridLayout(m_resultBox);
    for (int i = 0; i < kPinResultCount; ++i) {
        CaptionedField& captioned = m_results[static_cast<std::size_t>(i)]
            = addCaptionedField(results, i, FieldRole::Result);
        captioned.edit->setObjectName(QStringLiteral("result%1").arg(i));
    }
    left->addWidget(m_resultBox);
    columns->addLayout(left);

    m_picture = new JointPicture(this);
    m_picture->setObjectName(QStringLiteral("jointPicture"));
    columns->addWidget(m_picture, 1);
    contentLayout()->addLayout(columns);

    m_calculateButton = new QPushButton(this);
    m_calculateButton->setObjectName(QStringLiteral("calculateButton"));
    connect(m_calculateButton, &QPushButton::clicked, this, &DowelPinsWindow::calculate);
    addBottomButton(m_calculateButton);
    m_optimumButton = new QPushButton(this);
    m_optimumButton->setObjectName(QStringLiteral("optimumButton"));
    m_optimumButton->setDefault(true);
    connect(m_optimumButton, &QPushButton::clicked, this, &DowelPinsWindow::chooseOptimumLength);
    addBottomButton(m_optimumButton);
    m_drillDepthsButton = new QPushButton(this);
    m_drillDepthsButton->setObjectName(QStringLiteral("drillDepthsButton"));
    connect(m_drillDepthsButton, &QPushButton::clicked, this, &DowelPinsWindow::determineDrillAllowance);
    addBottomButton(m_drillDepthsButton);
    m_reportButton = new QPushButton(this);
    m_reportButton->setObjectName(QStringLiteral("reportButton"));
    connect(m_reportButton, &QPushButton::clicked, this, &DowelPinsWindow::openReportCommand);
    addBottomButton(m_reportButton);
    m_autoOpen = new QCheckBox(this);
    m_autoOpen->setObjectName(QStringLiteral("autoOpenBox"));
    connect(m_autoOpen, &QCheckBox::toggled, this, [this](bool on) { setReportsOpenAutomatically(on); });
    addBottomWidget(m_autoOpen);
}

void DowelPinsWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    for (int i = 0; i < kPinFieldCount; ++i)
        setFieldCaption(m_fields[static_cast<std::size_t>(i)], toQt(m_form.caption(static_cast<PinField>(i), texts)));
    for (int i = 0; i < kPinResultCount; ++i)
        setFieldCaption(m_results[static_cast<std::size_t>(i)], toQt(m_form.caption(static_cast<PinResult>(i), texts)));
    setCaption(m_diameterCaption, toQt(m_form.diameterCaption(texts)));
    m_diameters->setAccessibleName(m_diameterCaption->text());
    setCaption(m_lengthCaption, text(75631, "*Normlängen:"));
    m_lengths->setAccessibleName(m_lengthCaption->text());
    setCaption(m_inputBox, text(75632, "*Eingaben"));
    setCaption(m_resultBox, text(75633, "*Ergebnisse"));
    setCaption(m_drawingBox, text(75634, "*Darstellungs-Parameter"));
    m_picture->setCaption(text(75635, "*Verstiftung im Schnitt"));
    setCaption(m_calculateButton, text(71050, "*Berechnen"));
    setCaption(m_optimumButton, text(75636, "*D/L Stiftlänge"));
    setCaption(m_drillDepthsButton, text(75637, "*Erm."));
    setTooltip(m_drillDepthsButton, 75638,
        "*Öffnet das Fenster Bohrtiefen zum Reiben dieses Stifts; dort \"Berechnen\", dann bringt \"Zurück\" die "
        "Länge der Bohrerspitze als Bohrtiefe hierher (beim Reiben auch die Fasenhöhe als Reibzugabe)");
    setCaption(m_reportButton, text(71051, "*Bericht"));
    setCaption(m_autoOpen, text(71052, "*Autom.öffnen"));
}

void DowelPinsWindow::showForm()
{
    for (int i = 0; i < kPinFieldCount; ++i) {
        QLineEdit* edit = m_fields[static_cast<std::size_t>(i)].edit;
        const std::string& wanted = m_form.text(static_cast<PinField>(i));
        if (edit->text().toStdString() != wanted)
            edit->setText(toQt(wanted));
    }
    for (int i = 0; i < kPinResultCount; ++i)
        m_results[static_cast<std::size_t>(i)].edit->setText(toQt(m_form.result(static_cast<PinResult>(i))));
    {
        const QSignalBlocker blocker(m_diameters);
        m_diameters->clear();
        for (const std::string& diameter : m_form.diameterTexts())
            m_diameters->addItem(toQt(diameter));
        m_diameters->setCurrentIndex(m_form.diameter());
    }
    {
        const QSignalBlocker blocker(m_lengths);
        m_lengths->clear();
        for (const std::string& length : m_form.lengthTexts(texts()))
            m_lengths->addItem(toQt(length));
        m_lengths->setCurrentIndex(m_form.optimum() ? static_cast<int>(*m_form.optimum()) : -1);
        m_lengths->setEnabled(m_lengths->count() > 0);
    }
    JointPictureData data;
    data.diameter = m_form.diameterMillimetres();
    data.thickness1 = m_form.metric(PinField::Thickness1);
    data.thickness2 = m_form.metric(PinField::Thickness2);
    data.pin1 = m_form.depths().pin1;
    data.pin2 = m_form.depths().pin2;
    data.bore1 = m_form.depths().bores ? m_form.depths().drill1 : 0.0;
    data.bore2 = m_form.depths().bores ? m_form.depths().drill2 : 0.0;
    m_picture->setData(data);
    const QSignalBlocker blocker(m_autoOpen);
    m_autoOpen->setChecked(reportsOpenAutomatically());
}

void DowelPinsWindow::calculate()
{
    std::vector<MessageBoxRequest> messages;
    const bool calculated = m_form.calculate(texts(), messages);
    showForm();
    for (const MessageBoxRequest& message : messages)
        boxes().show(message);
    if (calculated)
        reportCalculation();
}

void DowelPinsWindow::determineDrillAllowance()
{
    const PageInfo* info = pageInfo(page::DrillDepths);
    if (!info || !mayClose())
        return;
    storeInputs();
    OpenRequest request;
    request.senderPage = page::DowelPins;
    request.senderWindow = this;
    m_form.fillDrillDepthsRequest(request);
    controller().send(info->openMessage, request);
}

void DowelPinsWindow::chooseOptimumLength()
{
    m_form.chooseOptimumLength();
    showForm();
}

std::string DowelPinsWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void DowelPinsWindow::reportOpeningChanged()
{
    const QSignalBlocker blocker(m_autoOpen);
    m_autoOpen->setChecked(reportsOpenAutomatically());
}

void DowelPinsWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void DowelPinsWindow::refresh()
{
    FunctionWindow::refresh();
    if (unitSystem() != m_form.unitSystem()) {
        DowelPinsBlock kept = m_form.store(reportsOpenAutomatically());
        kept.diameter = -1; // the other unit system has other diameters: its start value
        m_form = DowelPinsForm(unitSystem());
        m_form.fill(kept);
    }
    if (const OptionsRecord* options = controller().options())
        m_form.setSafety(options->settings.safetyValue);
    retranslate();
    showForm();
}

} // namespace kvt
