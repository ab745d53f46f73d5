#include "design/flanges/flange_window.h"

#include "app/app_controller.h"
#include "common/code_page.h"
#include "common/field_binding.h"
#include "common/file_dialogs.h"
#include "design/flanges/flange_preview.h"
#include "state/app_message.h"
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
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kvt {

namespace {

DxfSaveChoice runDxfDialog(QWidget* parent, const QString& title, const QString& start, int unitSystem)
{
    const FileDialogChoice choice = saveDxfFile(parent, title, start, unitSystem);
    DxfSaveChoice result;
    if (!choice.accepted)
        return result;
    result.path = pathFromUtf8(choice.path.toStdString());
    result.unit = choice.dxfUnit;
    return result;
}

// Where the zero-point buttons sit round the preview: the corners at the corners, the
// centre in the middle, the entered zero point below.
struct ZeroPlace {
    int row;
    int column;
};
constexpr std::array<ZeroPlace, kZeroChoiceCount> kZeroPlaces = {{
    {1, 1}, // centre
    {0, 0}, // top left
    {0, 2}, // top right
    {2, 0}, // bottom left
    {2, 2}, // bottom right
    {3, 1}, // entered
}};

} // namespace

FlangeWindow::FlangeWindow(AppController& controller, const WindowServices& services)
    : FunctionWindow(controller, page::Flanges, services)
    , m_form(controller.options() ? controller.options()->settings.unitSystem : 0)
{
    setObjectName(QStringLiteral("flangeWindow"));
    setReportKind(ReportKindId::Fla);
    enableBackgroundMenu();
    m_saveDialog = [this](const QString& start, int unitSystem) {
        return runDxfDialog(this, text(72652, "*DXF Datei speichern"), start, unitSystem);
    };
    buildControls();
    retranslate();

    bool recalculate = false;
    if (const auto block = loadBlock<FlangeBlock>())
        recalculate = m_form.fill(*block);
    // The way back from the calculations dialog's hole-pitch calculator.
    if (const OpenDialogData* state = controller.state(); state && state->handOverSenderPage == page::Calculations)
        m_form.takeOverPitch(state->handOver[0], state->handOver[2]);
    // Results that were valid when the window closed are shown again, without a report.
    if (recalculate)
        m_form.calculate(texts(), controller.state() && controller.state()->languageLoaded);
    showForm();
    resize(sizeHint());
}

FlangeWindow::~FlangeWindow() = default;

QWidget* FlangeWindow::buildCirclePage(int circle)
{
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(0, 1);
    for (int f = 0; f < kCircleFieldCount; ++f) {
        const int input = circleInput(circle, static_cast<CircleField>(f));
        m_inputs[static_cast<std::size_t>(input)] = addCaptionedField(
            grid, f, FlangeForm::isCorresponding(input) ? FieldRole::CorrespondingInput : FieldRole::Input);
    }
    const auto c = static_cast<std::size_t>(circle);
    m_diameterButtons[c] = new QPushButton(page);
    m_diameterButtons[c]->setObjectName(QStringLiteral("determineDiameter%1").arg(circle + 1));
    grid->addWidget(m_diameterButtons[c], static_cast<int>(CircleField::Diameter), 2);
    connect(m_diameterButtons[c], &QPushButton::clicked, this, &FlangeWindow::determineDiameter);
    m_pitchButtons[c] = new QPushButton(page);
    m_pitchButtons[c]->setObjectName(QStringLiteral("determinePitch%1").arg(circle + 1));
    grid->addWidget(m_pitchButtons[c], static_cast<int>(CircleField::Pitch), 2);
    // Queued: asking for the calculations dialog closes this window.
    connect(m_pitchButtons[c], &QPushButton::clicked, this, &FlangeWindow::determinePitch, Qt::QueuedConnection);
    m_autoBoxes[c] = new QCheckBox(page);
    m_autoBoxes[c]->setObjectName(QStringLiteral("auto%1").arg(circle + 1));
    grid->addWidget(m_autoBoxes[c], static_cast<int>(CircleField::OffsetAngle), 2);
    connect(m_autoBoxes[c], &QCheckBox::toggled, this, [this, circle](bool on) { m_form.setAutoOffset(circle, on); });
    return page;
}

void FlangeWindow::buildControls()
{
    auto* columns = new QHBoxLayout;
    contentLayout()->addLayout(columns);
    auto* left = new QVBoxLayout;
    columns->addLayout(left);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("kindBox"));
    for (int i = 0; i < kFlangeKindCount; ++i)
        m_kind->addItem(QString());
    connect(m_kind, &QComboBox::activated, this, &FlangeWindow::chooseKind);
    left->addWidget(m_kind);

    auto* circleRow = new QHBoxLayout;
    m_circleGroup = new QButtonGroup(this);
    for (int c = 0; c < 2; ++c) {
        auto* button = new QRadioButton(this);
        button->setObjectName(QStringLiteral("circle%1").arg(c + 1));
        m_circleGroup->addButton(button, c);
        circleRow->addWidget(button);
        m_circleButtons[static_cast<std::size_t>(c)] = button;
    }
    connect(m_circleGroup, &QButtonGroup::idClicked, this, &FlangeWindow::chooseCircle);
    left->addLayout(circleRow);

    // Both circles' fields lie on top of each other; the chosen circle's set is shown.
    m_circleBox = new QGroupBox(this);
    auto* circleLayout = new QVBoxLayout(m_circleBox);
    m_circlePages = new QStackedWidget(m_circleBox);
    m_circlePages->addWidget(buildCirclePage(0));
    m_circlePages->addWidget(buildCirclePage(1));
    circleLayout->addWidget(m_circlePages);
    left->addWidget(m_circleBox);

    m_flangeBox = new QGroupBox(this);
    auto* flangeGrid = new QGridLayout(m_flangeBox);
    flangeGrid->setColumnStretch(0, 1);
    for (int f = 0; f < kFlangeFieldCount; ++f) {
        const int input = flangeInput(static_cast<FlangeField>(f));
        m_inputs[static_cast<std::size_t>(input)] = addCaptionedField(flangeGrid, f, FieldRole::Input);
    }
    left->addWidget(m_flangeBox);

    m_zeroBox = new QGroupBox(this);
    auto* zeroGrid = new QGridLayout(m_zeroBox);
    m_zeroGroup = new QButtonGroup(this);
    for (int z = 0; z < kZeroChoiceCount; ++z) {
        auto* button = new QRadioButton(this);
        button->setObjectName(QStringLiteral("zero%1").arg(z));
        m_zeroGroup->addButton(button, z);
        const ZeroPlace& place = kZeroPlaces[static_cast<std::size_t>(z)];
        zeroGrid->addWidget(button, place.row, place.column, Qt::AlignCenter);
        m_zeroButtons[static_cast<std::size_t>(z)] = button;
    }
    connect(m_zeroGroup, &QButtonGroup::idClicked, this, [this](int id) { chooseZero(static_cast<ZeroChoice>(id)); });
    left->addWidget(m_zeroBox);
    left->addStretch(1);

    for (int i = 0; i < kFlangeInputCount; ++i) {
        QLineEdit* edit = m_inputs[static_cast<std::size_t>(i)].edit;
        edit->setObjectName(QStringLiteral("input%1").arg(i));
        const FieldDescription& description = FlangeForm::description(i);
        setTooltip(edit, description.tooltipId, description.tooltipBuiltin);
        auto* binding = bindField(edit, description);
        connect(binding, &FieldBinding::valueChanged, this, [this, i, edit] {
            std::string value = edit->text().toStdString();
            m_form.setInputText(i, value);
        });
    }

    // The preview area, shown by "*Vorschau" beside the inputs.
    m_previewArea = new QWidget(this);
    auto* previewLayout = new QVBoxLayout(m_previewArea);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    m_preview = new FlangePreview(m_previewArea);
    m_preview->setObjectName(QStringLiteral("preview"));
    previewLayout->addWidget(m_preview, 1);
    auto* zoomRow = new QHBoxLayout;
    for (int step = -1; step <= 1; ++step) {
        auto* button = new QPushButton(m_previewArea);
        button->setObjectName(QStringLiteral("zoom%1").arg(step + 1));
        connect(button, &QPushButton::clicked, this, [this, step] { zoom(step); });
        zoomRow->addWidget(button);
        m_zoomButtons[static_cast<std::size_t>(step + 1)] = button;
    }
    previewLayout->addLayout(zoomRow);
    m_previewArea->setFixedWidth(kPreviewWidth - columns->spacing());
    m_previewArea->hide();
    columns->addWidget(m_previewArea);

    m_previewButton = new QPushButton(this);
    m_previewButton->setObjectName(QStringLiteral("previewButton"));
    connect(m_previewButton, &QPushButton::clicked, this, &FlangeWindow::togglePreview);
    addBottomButton(m_previewButton);
    m_dxfButton = new QPushButton(this);
    m_dxfButton->setObjectName(QStringLiteral("dxfButton"));
    connect(m_dxfButton, &QPushButton::clicked, this, &FlangeWindow::exportDxf);
    addBottomButton(m_dxfButton);
    addCalculationButtons();
}

void FlangeWindow::retranslate()
{
    const TextLookup& texts = this->texts();
    for (int i = 0; i < kFlangeInputCount; ++i)
        setFieldCaption(m_inputs[static_cast<std::size_t>(i)], toQt(m_form.inputCaption(i, texts)));
    for (int i = 0; i < kFlangeKindCount; ++i)
        m_kind->setItemText(i, toQt(FlangeForm::kindName(i, texts)));
    m_kind->setAccessibleName(text(72619, "*Flanschform"));
    setCaption(m_circleButtons[0], text(72630, "*Lochkreis innen"));
    setCaption(m_circleButtons[1], text(72631, "*Lochkreis außen"));
    setCaption(m_circleBox, text(72632, "*Eingabe LK"));
    setCaption(m_flangeBox, text(72633, "*Eingabe Flansch"));
    setCaption(m_zeroBox, text(72641, "*Nullpunkt"));
    for (int c = 0; c < 2; ++c) {
        const auto i = static_cast<std::size_t>(c);
        setCaption(m_diameterButtons[i], text(72634, "*Erm."));
        setCaption(m_pitchButtons[i], text(72634, "*Erm."));
        setCaption(m_autoBoxes[i], text(72635, "*Auto"));
        // The "*Erm." buttons share their caption; the field each one fills tells them apart.
        m_diameterButtons[i]->setAccessibleDescription(inputLabel(circleInput(c, CircleField::Diameter))->text());
        m_pitchButtons[i]->setAccessibleDescription(inputLabel(circleInput(c, CircleField::Pitch))->text());
        m_autoBoxes[i]->setAccessibleDescription(inputLabel(circleInput(c, CircleField::OffsetAngle))->text());
    }
    for (int z = 0; z < kZeroChoiceCount; ++z) {
        setCaption(m_zeroButtons[static_cast<std::size_t>(z)],
            toQt(FlangeForm::zeroChoiceName(static_cast<ZeroChoice>(z), texts)));
    }
    setCaption(m_zoomButtons[0], text(72638, "*Zoom-"));
    setCaption(m_zoomButtons[1], text(72639, "*Reset"));
    setCaption(m_zoomButtons[2], text(72640, "*Zoom+"));
    setCaption(m_previewButton, text(72636, "*Vorschau"));
    setCaption(m_dxfButton, text(72637, "*DXF erstellen"));
    m_preview->setAccessibleName(text(72636, "*Vorschau"));
}

void FlangeWindow::showInputs()
{
    for (int i = 0; i < kFlangeInputCount; ++i) {
        const CaptionedField& field = m_inputs[static_cast<std::size_t>(i)];
        const QString text = toQt(m_form.inputText(i));
        if (field.edit->text() != text)
            field.edit->setText(text);
        field.edit->setEnabled(m_form.inputEnabled(i));
        field.caption->setEnabled(m_form.inputEnabled(i));
    }
}

void FlangeWindow::showForm()
{
    showInputs();
    m_kind->setCurrentIndex(m_form.comboIndex());
    const bool second = hasSecondCircle(m_form.kindCode());
    m_circleButtons[1]->setEnabled(second);
    m_circleButtons[static_cast<std::size_t>(m_form.selectedCircle())]->setChecked(true);
    m_circlePages->setCurrentIndex(m_form.selectedCircle());
    for (int c = 0; c < 2; ++c) {
        const QSignalBlocker blocker(m_autoBoxes[static_cast<std::size_t>(c)]);
        m_autoBoxes[static_cast<std::size_t>(c)]->setChecked(m_form.autoOffset(c));
    }
    for (int z = 0; z < kZeroChoiceCount; ++z)
        m_zeroButtons[static_cast<std::size_t>(z)]->setEnabled(m_form.zeroChoiceEnabled(static_cast<ZeroChoice>(z)));
    m_zeroButtons[static_cast<std::size_t>(m_form.zeroChoice())]->setChecked(true);
    m_preview->setPattern(m_form.calculated() ? &m_form.data() : nullptr, m_form.zoom());
}

void FlangeWindow::chooseKind(int index)
{
    m_form.setComboIndex(index);
    showForm();
}

void FlangeWindow::chooseCircle(int circle)
{
    m_form.selectCircle(circle);
    showForm();
}

void FlangeWindow::chooseZero(ZeroChoice choice)
{
    m_form.setZeroChoice(choice);
    showForm();
}

void FlangeWindow::zoom(int step)
{
    if (step < 0)
        m_form.zoomOut();
    else if (step > 0)
        m_form.zoomIn();
    else
        m_form.zoomReset();
    m_preview->setPattern(m_form.calculated() ? &m_form.data() : nullptr, m_form.zoom());
}

void FlangeWindow::togglePreview()
{
    m_previewShown = !m_previewShown;
    const int width = this->width();
    m_previewArea->setVisible(m_previewShown);
    layout()->activate();
    resize(m_previewShown ? width + kPreviewWidth : width - kPreviewWidth, height());
}

bool FlangeWindow::calculateAndShow()
{
    const OpenDialogData* state = controller().state();
    const auto message = m_form.calculate(texts(), state && state->languageLoaded);
    showForm();
    if (message)
        boxes().show(*message);
    return !message;
}

void FlangeWindow::calculate()
{
    if (calculateAndShow())
        reportCalculation();
}

void FlangeWindow::determineDiameter()
{
    if (const auto message = m_form.determineDiameter(texts()))
        boxes().show(*message);
    showInputs();
}

void FlangeWindow::determinePitch()
{
    storeInputs();
    OpenRequest request;
    request.senderPage = page::Flanges;
    request.senderWindow = this;
    m_form.fillPitchRequest(request);
    controller().send(AppMessage::OpenCalculations, request);
}

void FlangeWindow::exportDxf()
{
    // The drawing is made from a fresh calculation, so that it never shows what the
    // fields said before they were last changed.
    if (!calculateAndShow())
        return;
    const QString start = QString::fromStdU16String(m_form.lastDxfPath());
    const DxfSaveChoice choice = m_saveDialog(start, m_form.unitSystem());
    if (choice.path.empty() || !choice.unit)
        return; // cancelled, or "All Files": no drawing
    if (const auto message = m_form.exportDxf(choice.path, *choice.unit, texts()))
        boxes().show(*message);
    storeInputs();
}

std::string FlangeWindow::composeReport(const LocalDateTime& time, int languageCode) const
{
    return m_form.reportText(texts(), languageCode, time);
}

void FlangeWindow::openReportCommand()
{
    // "*Bericht" and "*Report öffnen" report what the fields say now.
    if (calculateAndShow())
        FunctionWindow::openReportCommand();
}

void FlangeWindow::clearCorrespondingFields(QLineEdit* field)
{
    for (int i = 0; i < kFlangeInputCount; ++i) {
        if (m_inputs[static_cast<std::size_t>(i)].edit == field) {
            m_form.clearCorresponding(i);
            showInputs();
            return;
        }
    }
}

void FlangeWindow::storeInputs()
{
    storeBlock(m_form.store(reportsOpenAutomatically()));
}

void FlangeWindow::refresh()
{
    FunctionWindow::refresh();
    retranslate();
    showForm();
}

QPushButton* FlangeWindow::zoomButton(int step) const
{
    return m_zoomButtons[static_cast<std::size_t>(std::clamp(step, -1, 1) + 1)];
}

} // namespace kvt
