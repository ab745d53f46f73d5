#include "design/parallels/parallels_window.h"

#include "app/app_controller.h"
#include "common/field_binding.h"
#include "common/message_boxes.h"
#include "design/parallels/vise_picture.h"
#include "options/machine_data.h"
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

namespace kvt {

ParallelsWindow::ParallelsWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::Parallels, services)
    , m_form(controller.options() ? controller.options()->settings.unitSystem : kUnitSystemMetric)
{
    setObjectName(QStringLiteral("parallelsWindow"));
    setReportKind(ReportKindId::Psh);
    enableBackgroundMenu();
    buildControls();
    retranslate();
    takeMachine();
    if (const auto block = loadBlock<ParallelsBlock>(); block && m_form.fill(*block)) {
        // The results of the kept inputs are shown again; their messages were seen before.
        std::vector<MessageBoxRequest> messages;
        m_form.update(texts(), messages);
    }
    showForm();
    resize(sizeHint());
}

ParallelsWindow::~ParallelsWindow() = default;

void ParallelsWindow::takeMachine()
{
    std::array<float, kParallelSlotCount> heights {};
    std::array<float, kParallelSlotCount> depths {};
    float jaw = 0.0f;
    if (const MachineRecord* machine = currentMachine()) {
        const MachineData& data = machineData(*machine);
        for (std::size_t i = 0; i < kParallelSlotCount; ++i) {
            heights[i] = data.parallels[i].height;
            depths[i] = data.parallels[i].depth;
        }
        jaw = data.viseJawHeight;
    }
    m_form.setMachine(heights, depths, jaw);
    const OptionsRecord* options = controller().options();
    m_form.setSafety(options ? options->settings.safetyValue : 0.0f);
}

void ParallelsWindow::buildControls()
{
    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* listRow = new QHBoxLayout;
    m_listCaption = new QLabel(this);
    m_list = new QComboBox(this);
    m_list->setObjectName(QStringLiteral("parallelsList"));
    m_list->setMinimumContentsLength(34);
    m_listCaption->setBuddy(m_list);
    listRow->addWidget(m_listCaption);
    listRow->addWidget(m_list, 1);
    left->addLayout(listRow);
    connect(m_list, &QComboBox::activated, this, [this](int entry) {
        std::vector<MessageBoxRequest> messages;
        m_form.select(entry, texts(), messages);
        showForm();
        showMessages(messages);
    });

    m_inputBox = new QGroupBox(this);
    auto* inputs = new QGridLayout(m_inputBox);
    for (int i = 0; i < kParallelsFieldCount; ++i) {
        const auto which = static_cast<ParallelsField>(i);
        CaptionedField& captioned = m_fields[static_cast<std::size_t>(i)]
            = addCaptionedField(inputs, i, FieldRole::Input);
        QLineEdit* edit = captioned.edit;
        edit->setObjectName(QStringLiteral("field%1").arg(i));
        const FieldDescription& description = ParallelsForm::fieldDescription(which);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        auto* binding = bindField(edit, description);
        connect(binding, &FieldBinding::valueChanged, this, [this, which, edit] {
            std::string text = edit->text().toStdString();
            m_form.setText(which, text);
        });
    }
    left->addWidget(m_inputBox);

    m_resultBox = new QGroupBox(this);
    auto* results = new QGridLayout(m_resultBox);
    for (int i = 0; i < kParallelsResultCount; ++i) {
        CaptionedField& captioned = m_results[static_cast<std::size_t>(i)]
            = addCaptionedField(results, i, FieldRole::Result);
        captioned.edit->setObjectName(QStringLiteral("result%1").arg(i));
    }
    left->addWidget(m_resultBox);
    top->addLayout(left);

    m_picture = new VisePicture(this);
    m_picture->setObjectName(QStringLiteral("visePicture"));
    top->addWidget(m_picture, 1);
    contentLayout()->addLayout(top);

    m_calculateButton = new QPushButton(this);
    m_calculateButton->setObjectName(QStringLiteral("calculateButton"));
    connect(m_calculateButton, &QPushButton::clicked, this, &ParallelsWindow::calculate);
    addBottomButton(m_calculateButton);
    m_updateButton = new QPushButton(this);
    m_updateButton->setObjectName(QStringLiteral("updateButton"));
    m_updateButton->setDefault(true);
    connect(m_updateButton, &QPushButton::clicked, this, &ParallelsWindow::updateResults);
    addBottomButton(m_updateButton);
    m_reportButton = new QPushButton(this);
    m_reportButton->setObjectName(QStringLiteral("reportButton"));
    connect(m_reportButton, &QPushButton::clicked, this, &ParallelsWindow::openReportCommand);
    addBottomButton(m_reportButton);
    m_autoOpen = new QCheckBox(this);
    m_autoOpen->setObjectName(QStringLiteral("autoOpenBox"));
    connect(m_autoOpen, &QCheckBox::toggled, this, [this](bool on) { setReportsOpenAutomatically(on); });
    addBottomWidget(m_autoOpen);
}

void ParallelsWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    for (int i = 0; i < kParallelsFieldCount; ++i)
        setFieldCaption(
            m_fields[static_cast<std::size_t>(i)], toQt(m_form.caption(static_cast<ParallelsField>(i), texts)));
    for (int i = 0; i < kParallelsResultCount; ++i)
        setFieldCaption(
            m_results[static_cast<std::size_t>(i)], toQt(m_form.caption(static_cast<ParallelsResult>(i), texts)));
    setCaption(m_listCaption, text(75349, "*Parallelstück:"));
    m_list->setAccessibleName(m_listCaption->text());
    setCaption(m_inputBox, text(75350, "*Eingaben"));
    setCaption(m_resultBox, text(75351, "*Ergebnisse"));
    m_picture->setCaption(text(75352, "*Schraubstock, Parallelstücke und Werkstück"));
    setCaption(m_calculateButton, text(75330, "*Calc PSHeight"));
    setCaption(m_updateButton, text(75331, "*UpdateScr"));
    setCaption(m_reportButton, text(71051, "*Bericht"));
    setCaption(m_autoOpen, text(71052, "*Autom.öffnen"));
}

void ParallelsWindow::showForm()
{
    for (int i = 0; i < kParallelsFieldCount; ++i) {
        QLineEdit* edit = m_fields[static_cast<std::size_t>(i)].edit;
        const std::string& wanted = m_form.text(static_cast<ParallelsField>(i));
        if (edit->text().toStdString() != wanted)
            edit->setText(toQt(wanted));
    }
    for (int i = 0; i < kParallelsResultCount; ++i)
        m_results[static_cast<std::size_t>(i)].edit->setText(toQt(m_form.result(static_cast<ParallelsResult>(i))));
    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        for (std::size_t i = 0; i < m_form.entries().size(); ++i)
            m_list->addItem(toQt(m_form.entryLabel(i, texts())));
        m_list->setCurrentIndex(m_form.selected());
    }
    VisePictureData data;
    data.height = m_form.metric(ParallelsField::Height);
    data.sideDepth = m_form.metric(ParallelsField::SideDepth);
    data.overhang = m_form.metric(ParallelsField::Overhang);
    data.depth = m_form.metric(ParallelsField::Depth);
    data.jaw = m_form.metric(ParallelsField::JawHeight);
    data.parallel = m_form.selectedHeight();
    data.parallelDepth = m_form.selectedDepth();
    data.position = m_form.position();
    m_picture->setData(data);
    const QSignalBlocker blocker(m_autoOpen);
    m_autoOpen->setChecked(reportsOpenAutomatically());
}

void ParallelsWindow::showMessages(const std::vector<MessageBoxRequest>& messages)
{
    for (const MessageBoxRequest& message : messages)
        boxes().show(message);
}

void ParallelsWindow::calculate()
{
    std::vector<MessageBoxRequest> messages;
    const bool calculated = m_form.calculate(texts(), messages);
    showForm();
    showMessages(messages);
    if (calculated)
        reportCalculation();
}

void ParallelsWindow::updateResults()
{
    std::vector<MessageBoxRequest> messages;
    m_form.update(texts(), messages);
    showForm();
    showMessages(messages);
}

std::string ParallelsWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void ParallelsWindow::reportOpeningChanged()
{
    const QSignalBlocker blocker(m_autoOpen);
    m_autoOpen->setChecked(reportsOpenAutomatically());
}

void ParallelsWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void ParallelsWindow::machineChanged()
{
    takeMachine();
    showForm();
}

void ParallelsWindow::refresh()
{
    FunctionWindow::refresh();
    // The options dialog keeps the parallels, the jaw height, the safety value and the units.
    const ParallelsBlock kept = m_form.store(reportsOpenAutomatically());
    m_form = ParallelsForm(unitSystem());
    takeMachine();
    m_form.fill(kept);
    retranslate();
    showForm();
}

} // namespace kvt
