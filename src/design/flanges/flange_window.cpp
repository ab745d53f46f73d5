#include "design/flanges/flange_window.h"

#include "app/app_controller.h"
#include "app/qt_platform.h"
#include "common/clock.h"
#include "common/code_page.h"
#include "common/field_binding.h"
#include "common/file_dialogs.h"
#include "common/report_launcher.h"
#include "common/report_writer.h"
#include "design/flanges/flange_preview.h"
#include "options/options_record.h"
#include "state/app_message.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"
#include "state/state_blocks.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cstring>

namespace kvt {

namespace {

constexpr int kFlaReportKind = 3;

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

void caption(QWidget* control, const QString& text)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(control))
        box->setTitle(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    control->setAccessibleName(text);
}

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

FlangeWindow::FlangeWindow(AppController& controller, FlangeServices services)
    : FunctionWindow(controller, page::Flanges)
    , m_services(std::move(services))
    , m_form(controller.options() ? controller.options()->settings.unitSystem : 0)
{
    if (!m_services.boxes) {
        m_ownBoxes = std::make_unique<QtMessageBoxes>();
        m_services.boxes = m_ownBoxes.get();
    }
    if (!m_services.viewer) {
        m_ownViewer = std::make_unique<DesktopTextViewer>();
        m_services.viewer = m_ownViewer.get();
    }
    if (!m_services.clock) {
        m_ownClock = std::make_unique<SystemClock>();
        m_services.clock = m_ownClock.get();
    }
    if (!m_services.saveDialog) {
        m_services.saveDialog = [this](const QString& start, int unitSystem) {
            return runDxfDialog(this, text(72652, "*DXF Datei speichern"), start, unitSystem);
        };
    }
    setObjectName(QStringLiteral("flangeWindow"));
    enableBackgroundMenu();
    buildControls();
    retranslate();

    bool recalculate = false;
    if (const OptionsRecord* options = controller.options()) {
        FlangeBlock block {};
        std::memcpy(&block, options->windows.flanges.bytes, sizeof block);
        recalculate = m_form.fill(block);
    }
    // The way back from the calculations dialog's hole-pitch calculator.
    if (const OpenDialogData* state = controller.state(); state && state->handOverSenderPage == page::Calculations)
        m_form.takeOverPitch(state->handOver[0], state->handOver[2]);
    // Results that were valid when the window closed are shown again, without a report.
    if (recalculate)
        m_form.calculate(controller.texts(), controller.state() && controller.state()->languageLoaded);
    showForm();
    m_opened = true;
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
        auto* label = new QLabel(page);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("input%1").arg(input));
        edit->setMinimumWidth(100);
        edit->setMaximumWidth(130);
        edit->setAlignment(Qt::AlignRight);
        label->setBuddy(edit);
        grid->addWidget(label, f, 0);
        grid->addWidget(edit, f, 1);
        m_labels[static_cast<std::size_t>(input)] = label;
        m_inputs[static_cast<std::size_t>(input)] = edit;
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
        auto* label = new QLabel(this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("input%1").arg(input));
        edit->setMinimumWidth(100);
        edit->setMaximumWidth(130);
        edit->setAlignment(Qt::AlignRight);
        label->setBuddy(edit);
        flangeGrid->addWidget(label, f, 0);
        flangeGrid->addWidget(edit, f, 1);
        m_labels[static_cast<std::size_t>(input)] = label;
        m_inputs[static_cast<std::size_t>(input)] = edit;
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
        QLineEdit* edit = m_inputs[static_cast<std::size_t>(i)];
        auto* binding = new FieldBinding(edit, FlangeForm::inputClass(i), FlangeForm::inputKind(i));
        connect(binding, &FieldBinding::valueChanged, this, [this, i, edit] {
            std::string value = edit->text().toStdString();
            m_form.setInputText(i, value);
        });
        installFieldMenu(edit, FlangeForm::isCorresponding(i));
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
    m_calculateButton = new QPushButton(this);
    m_calculateButton->setObjectName(QStringLiteral("calculateButton"));
    m_calculateButton->setDefault(true);
    connect(m_calculateButton, &QPushButton::clicked, this, &FlangeWindow::calculate);
    addBottomButton(m_calculateButton);
    m_reportButton = new QPushButton(this);
    m_reportButton->setObjectName(QStringLiteral("reportButton"));
    connect(m_reportButton, &QPushButton::clicked, this, &FlangeWindow::openReportCommand);
    addBottomButton(m_reportButton);
    m_autoOpen = new QCheckBox(this);
    m_autoOpen->setObjectName(QStringLiteral("autoOpenBox"));
    connect(m_autoOpen, &QCheckBox::toggled, this, [this](bool on) { setReportsOpenAutomatically(on); });
    addBottomWidget(m_autoOpen);
}

void FlangeWindow::retranslate()
{
    const TextLookup& texts = controller().texts();
    for (int i = 0; i < kFlangeInputCount; ++i) {
        const QString text = qt(m_form.inputCaption(i, texts));
        m_labels[static_cast<std::size_t>(i)]->setText(text);
        m_inputs[static_cast<std::size_t>(i)]->setAccessibleName(text);
    }
    for (int i = 0; i < kFlangeKindCount; ++i)
        m_kind->setItemText(i, qt(FlangeForm::kindName(i, texts)));
    m_kind->setAccessibleName(text(72619, "*Flanschform"));
    caption(m_circleButtons[0], text(72630, "*Lochkreis innen"));
    caption(m_circleButtons[1], text(72631, "*Lochkreis außen"));
    caption(m_circleBox, text(72632, "*Eingabe LK"));
    caption(m_flangeBox, text(72633, "*Eingabe Flansch"));
    caption(m_zeroBox, text(72641, "*Nullpunkt"));
    for (int c = 0; c < 2; ++c) {
        const auto i = static_cast<std::size_t>(c);
        caption(m_diameterButtons[i], text(72634, "*Erm."));
        caption(m_pitchButtons[i], text(72634, "*Erm."));
        caption(m_autoBoxes[i], text(72635, "*Auto"));
        // The two "*Erm." buttons of a circle share their caption; the field they fill
        // tells them apart.
        m_diameterButtons[i]->setAccessibleDescription(
            m_labels[static_cast<std::size_t>(circleInput(c, CircleField::Diameter))]->text());
        m_pitchButtons[i]->setAccessibleDescription(
            m_labels[static_cast<std::size_t>(circleInput(c, CircleField::Pitch))]->text());
    }
    for (int z = 0; z < kZeroChoiceCount; ++z)
        caption(m_zeroButtons[static_cast<std::size_t>(z)],
            qt(FlangeForm::zeroChoiceName(static_cast<ZeroChoice>(z), texts)));
    caption(m_zoomButtons[0], text(72638, "*Zoom-"));
    caption(m_zoomButtons[1], text(72639, "*Reset"));
    caption(m_zoomButtons[2], text(72640, "*Zoom+"));
    caption(m_previewButton, text(72636, "*Vorschau"));
    caption(m_dxfButton, text(72637, "*DXF erstellen"));
    caption(m_calculateButton, text(71050, "*Berechnen"));
    caption(m_reportButton, text(71051, "*Bericht"));
    caption(m_autoOpen, text(71052, "*Autom.öffnen"));
    m_preview->setAccessibleName(text(72636, "*Vorschau"));
}

void FlangeWindow::showInputs()
{
    for (int i = 0; i < kFlangeInputCount; ++i) {
        QLineEdit* edit = m_inputs[static_cast<std::size_t>(i)];
        const QString text = qt(m_form.inputText(i));
        if (edit->text() != text) {
            const QSignalBlocker blocker(edit);
            edit->setText(text);
        }
        edit->setEnabled(m_form.inputEnabled(i));
        m_labels[static_cast<std::size_t>(i)]->setEnabled(m_form.inputEnabled(i));
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
    const QSignalBlocker blocker(m_autoOpen);
    m_autoOpen->setChecked(reportsOpenAutomatically());
    m_preview->setPattern(m_form.calculated() ? &m_form.data() : nullptr, m_form.zoom());
}

void FlangeWindow::showMessage(const MessageBoxRequest& request)
{
    if (OpenDialogData* state = controller().state())
        state->messageBoxPending = 1;
    m_services.boxes->show(request);
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

void FlangeWindow::calculate()
{
    const OpenDialogData* state = controller().state();
    const auto message = m_form.calculate(controller().texts(), state && state->languageLoaded);
    showForm();
    if (message) {
        showMessage(*message);
        return;
    }
    if (writeReport() && reportsOpenAutomatically() && state)
        openReport(*state, *m_services.viewer);
}

void FlangeWindow::determineDiameter()
{
    if (const auto message = m_form.determineDiameter(controller().texts()))
        showMessage(*message);
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
    // The drawing is made from a fresh calculation, so that it can never show what the
    // fields said before they were changed.
    const OpenDialogData* state = controller().state();
    const auto failed = m_form.calculate(controller().texts(), state && state->languageLoaded);
    showForm();
    if (failed) {
        showMessage(*failed);
        return;
    }
    const QString start = QString::fromStdU16String(m_form.lastDxfPath());
    const DxfSaveChoice choice = m_services.saveDialog(start, m_form.unitSystem());
    if (choice.path.empty() || !choice.unit)
        return; // cancelled, or "All Files": no drawing
    if (const auto message = m_form.exportDxf(choice.path, *choice.unit, controller().texts()))
        showMessage(*message);
    storeInputs();
}

bool FlangeWindow::writeReport()
{
    OpenDialogData* state = controller().state();
    if (!state || !state->ncTextBuffer || !m_form.calculated())
        return false;
    const std::string report
        = m_form.reportText(controller().texts(), state->languageCode, m_services.clock->localTime());
    const ReportWriter writer(*m_services.clock, controller().texts(), *m_services.boxes);
    return writer.write(*state, *state->ncTextBuffer, kFlaReportKind, report).written;
}

void FlangeWindow::openReportCommand()
{
    const OpenDialogData* state = controller().state();
    const auto message = m_form.calculate(controller().texts(), state && state->languageLoaded);
    showForm();
    if (message) {
        showMessage(*message);
        return;
    }
    // A report that could not be written was already reported.
    if (writeReport() && state)
        openReport(*state, *m_services.viewer);
}

void FlangeWindow::reportOpeningChanged()
{
    const QSignalBlocker blocker(m_autoOpen);
    m_autoOpen->setChecked(reportsOpenAutomatically());
}

void FlangeWindow::clearCorrespondingFields(QLineEdit* field)
{
    for (int i = 0; i < kFlangeInputCount; ++i) {
        if (m_inputs[static_cast<std::size_t>(i)] == field) {
            m_form.clearCorresponding(i);
            showInputs();
            return;
        }
    }
}

void FlangeWindow::storeInputs()
{
    if (!m_opened)
        return;
    OptionsRecord* options = controller().options();
    if (!options)
        return;
    const FlangeBlock block = m_form.store(reportsOpenAutomatically());
    std::memcpy(options->windows.flanges.bytes, &block, sizeof block);
    options->settings.changed = 1;
}

void FlangeWindow::refresh()
{
    FunctionWindow::refresh();
    retranslate();
    showForm();
}

void FlangeWindow::hideEvent(QHideEvent* event)
{
    storeInputs();
    FunctionWindow::hideEvent(event);
}

QPushButton* FlangeWindow::zoomButton(int step) const
{
    return m_zoomButtons[static_cast<std::size_t>(std::clamp(step, -1, 1) + 1)];
}

} // namespace kvt
