#include "calclib/calculations_dialog.h"

#include "common/units.h"

#include "app/language_module.h"
#include "app/pages.h"
#include "app/window_menu.h"
#include "calclib/gauge_set_editor.h"
#include "common/clock.h"
#include "common/report_writer.h"
#include "common/stamps.h"
#include "options/options_record.h"
#include "options/window_blocks.h"
#include "state/app_message.h"
#include "state/open_dialog_data.h"
#include "state/page_ids.h"
#include "state/state_blocks.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>

namespace kvt {

static_assert(kFitsWindowBlock<CalculationsBlock>);

namespace {

std::int32_t floatBits(float value)
{
    std::int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float bitsFloat(std::int32_t bits)
{
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QString qs(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

std::filesystem::path statePath(const char16_t (&text)[kStatePathLength])
{
    std::size_t length = 0;
    while (length < kStatePathLength && text[length])
        ++length;
    return std::filesystem::path(std::u16string(text, length));
}

class QtBoxes final : public MessageBoxes {
public:
    QtBoxes(QWidget* parent, OpenDialogData& state)
        : m_parent(parent)
        , m_state(state)
    {
    }
    MessageAnswer show(const MessageBoxRequest& request) override
    {
        m_state.messageBoxPending = 1;
        const auto icon = request.icon == MessageIcon::Error ? QMessageBox::Critical
            : request.icon == MessageIcon::Warning           ? QMessageBox::Warning
                                                             : QMessageBox::Information;
        QMessageBox box(icon, qs(request.caption), qs(request.text), QMessageBox::Ok, m_parent);
        box.exec();
        return MessageAnswer::Ok;
    }

private:
    QWidget* m_parent;
    OpenDialogData& m_state;
};

} // namespace

// The four pictures: what the numbers of the angle, fraction and dwell calculators mean.
class CalculationPicture final : public QWidget {
public:
    explicit CalculationPicture(QWidget* parent)
        : QWidget(parent)
    {
        setMinimumSize(300, 130);
    }
    void setPicture(int picture)
    {
        m_picture = picture;
        setVisible(picture != 0);
        update();
    }
    int picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(10, 10, -10, -10);
        switch (m_picture) {
        case 910:
        case 911: {
            // An angle opened from a base line, its arc split into degrees, minutes, seconds.
            const QPointF o(r.left() + 20, r.bottom() - 10);
            const double len = std::min(r.width() * 0.45, r.height() - 10);
            p.drawLine(o, o + QPointF(len, 0));
            const double a = 35.0 * std::numbers::pi / 180.0;
            p.drawLine(o, o + QPointF(len * std::cos(a), -len * std::sin(a)));
            p.drawArc(QRectF(o.x() - len * 0.6, o.y() - len * 0.6, len * 1.2, len * 1.2), 0, 35 * 16);
            const QString text = m_picture == 910 ? QStringLiteral("12.51°  →  12° 30' 36\"")
                                                  : QStringLiteral("12° 30' 36\"  →  12.51°");
            p.drawText(QRectF(r.left() + len + 40, r.top(), r.width() - len - 40, r.height()),
                Qt::AlignVCenter | Qt::AlignLeft, text);
            break;
        }
        case 908: {
            // An inch rule with its halves, quarters and eighths.
            const double y = r.center().y();
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            for (int i = 0; i <= 16; ++i) {
                const double x = r.left() + r.width() * i / 16.0;
                const double h = i % 16 == 0 ? 30 : i % 8 == 0 ? 22 : i % 4 == 0 ? 16 : i % 2 == 0 ? 11 : 7;
                p.drawLine(QPointF(x, y), QPointF(x, y - h));
            }
            p.drawText(QPointF(r.left(), y + 20), QStringLiteral("0"));
            p.drawText(QPointF(r.center().x() - 8, y + 20), QStringLiteral("1/2"));
            p.drawText(QPointF(r.right() - 8, y + 20), QStringLiteral("1\""));
            p.drawText(QPointF(r.left(), r.bottom()), QStringLiteral("w + n/d = 1 + 3/8 = 1.375\""));
            break;
        }
        case 909: {
            // The spindle turning the wanted revolutions during the dwell.
            const double d = std::min(r.height(), r.width() / 2) - 10;
            const QRectF circle(r.left() + 10, r.top() + 5, d, d);
            p.drawEllipse(circle);
            p.drawArc(circle.adjusted(-8, -8, 8, 8), 90 * 16, -300 * 16);
            p.drawText(QRectF(circle.right() + 20, r.top(), r.width() - d - 30, r.height()),
                Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("t = 60000 / n × u  [ms]"));
            break;
        }
        default:
            break;
        }
    }

private:
    int m_picture = 0;
};

CalculationsDialog::CalculationsDialog(MainWindowPort& port, OpenDialogData& state)
    : QDialog(nullptr)
    , m_port(port)
    , m_state(state)
    , m_language(std::make_unique<LanguageModule>())
    , m_form(*m_language)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("calculationsDialog"));
    if (m_state.languageLoaded)
        m_language->load(statePath(m_state.programDirectory), m_state.languageCode);

    m_senderPage = m_state.handOverSenderPage;
    m_returnWanted = m_state.calcReturnWanted == 1;
    m_returnCircle = m_state.calcHandOver3;
    // The flange window hands over and takes back millimetres; the calculator works in the
    // unit the user reads in the flange window.
    const int unitSystem = m_state.options ? m_state.options->settings.unitSystem : kUnitSystemMetric;
    m_unitSystem = unitSystem == kUnitSystemInch ? kUnitSystemInch : kUnitSystemMetric;
    if (m_returnWanted && m_state.calcHandOver1 == kPitchCalculator)
        m_form.preselectPitch(toDisplay(m_unitSystem, ConversionKind::Length, bitsFloat(m_state.calcHandOver2)));
    buildControls();
    // The user's sets before the kept choice, so that a choice beyond the defaults stays.
    if (!dataDirectory().empty()) {
        if (const auto message = m_form.loadGaugeSets(dataDirectory()))
            showMessage(*message);
    }
    if (!(m_returnWanted && m_state.calcHandOver1 == kPitchCalculator) && m_state.options)
        m_form.restore(readWindowBlock<CalculationsBlock>(m_state.options->windows.calculations));

    fillCombo();
    showForm();
}

CalculationsDialog::~CalculationsDialog() = default;

const TextLookup& CalculationsDialog::texts() const
{
    return *m_language;
}

QString CalculationsDialog::text(int id, std::string_view builtin) const
{
    return qs(texts().text(id, builtin));
}

void CalculationsDialog::buildControls()
{
    setWindowTitle(text(67600, "*Berechnungen"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);

    auto caption = [this](int id, std::string_view builtin) {
        auto* label = new QLabel(text(id, builtin), this);
        label->setAccessibleName(label->text());
        return label;
    };
    int row = 0;
    grid->addWidget(caption(67601, "*Suchen:"), row, 0);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setAccessibleName(text(67601, "*Suchen:"));
    m_search->setToolTip(text(67690, "*Nur die Berechnungen anzeigen, deren Name den Text enthält"));
    grid->addWidget(m_search, row++, 1);
    grid->addWidget(caption(67602, "*Berechnung:"), row, 0);
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("calculator"));
    m_combo->setAccessibleName(text(67602, "*Berechnung:"));
    grid->addWidget(m_combo, row++, 1);
    for (int i = 0; i < kCalcRows; ++i) {
        m_inputLabels[i] = new QLabel(this);
        m_inputs[i] = new QLineEdit(this);
        m_inputs[i]->setObjectName(QStringLiteral("input%1").arg(i));
        grid->addWidget(m_inputLabels[i], row, 0);
        grid->addWidget(m_inputs[i], row++, 1);
    }
    for (int i = 0; i < kCalcRows; ++i) {
        m_resultLabels[i] = new QLabel(this);
        m_results[i] = new QLineEdit(this);
        m_results[i]->setReadOnly(true);
        m_results[i]->setObjectName(QStringLiteral("result%1").arg(i));
        grid->addWidget(m_resultLabels[i], row, 0);
        grid->addWidget(m_results[i], row++, 1);
    }
    m_gaugeSetLabel = new QLabel(text(67740, "*Endmaßsatz:"), this);
    m_gaugeSetLabel->setAccessibleName(m_gaugeSetLabel->text());
    m_gaugeSetCombo = new QComboBox(this);
    m_gaugeSetCombo->setObjectName(QStringLiteral("gaugeSet"));
    m_gaugeSetCombo->setAccessibleName(m_gaugeSetLabel->text());
    m_gaugeEditButton = new QPushButton(text(67741, "*Sätze bearbeiten…"), this);
    m_gaugeEditButton->setObjectName(QStringLiteral("gaugeEdit"));
    m_gaugeEditButton->setAccessibleName(m_gaugeEditButton->text());
    m_gaugeEditButton->setToolTip(text(67742, "*Die Endmaßsätze an den eigenen Satz anpassen"));
    m_gaugeEditButton->setAutoDefault(false);
    auto* gaugeRow = new QHBoxLayout;
    gaugeRow->addWidget(m_gaugeSetCombo, 1);
    gaugeRow->addWidget(m_gaugeEditButton);
    grid->addWidget(m_gaugeSetLabel, row, 0);
    grid->addLayout(gaugeRow, row++, 1);
    connect(m_gaugeSetCombo, &QComboBox::activated, this, [this](int item) {
        m_form.setGaugeSet(item);
        storeInputs();
    });
    connect(m_gaugeEditButton, &QPushButton::clicked, this, &CalculationsDialog::editGaugeSets);

    m_picture = new CalculationPicture(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    layout->addWidget(m_picture);

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    auto button = [this, buttons](const char* name, int id, std::string_view builtin, int tipId, std::string_view tip) {
        auto* b = new QPushButton(text(id, builtin), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(b->text());
        b->setToolTip(text(tipId, tip));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    m_menuButton = button("menuButton", 67609, "*Menü", 67695, "*Die anderen Funktionen, der Report und die Optionen");
    m_calculateButton = button("calculateButton", 67605, "*Berechnen", 67691, "*Die Eingaben berechnen");
    m_calculateButton->setDefault(true);
    m_copyButton
        = button("copyButton", 67606, "*Ergebnis kop.", 67692, "*Die Ergebnisse in die Zwischenablage kopieren");
    m_backButton = button("backButton", 67607, "*Zurück", 67693, "*Zum vorigen Fenster zurückkehren");
    buttons->addStretch();
    m_quitButton = button("quitButton", 67608, "*Beenden", 67694, "*Kalvora Tools beenden");

    connect(m_search, &QLineEdit::textChanged, this, [this] { fillCombo(); });
    connect(m_combo, &QComboBox::activated, this, [this](int item) {
        readInputs();
        chooseCalculator(m_combo->itemData(item).toInt());
    });
    connect(m_calculateButton, &QPushButton::clicked, this, &CalculationsDialog::calculate);
    connect(m_copyButton, &QPushButton::clicked, this, &CalculationsDialog::copyResult);
    // Queued: both close this dialog, which must not happen inside its own handler.
    connect(m_backButton, &QPushButton::clicked, this, &CalculationsDialog::goBack, Qt::QueuedConnection);
    connect(m_quitButton, &QPushButton::clicked, this, &CalculationsDialog::requestQuit, Qt::QueuedConnection);
    connect(m_menuButton, &QPushButton::clicked, this, &CalculationsDialog::showMenu);
}

void CalculationsDialog::fillCombo()
{
    const std::string search = m_search->text().toStdString();
    const std::vector<int> shown
        = m_state.calcList ? fillCalcList(*m_state.calcList, search, texts()) : filterCalculators(search, texts());
    m_combo->clear();
    for (int index : shown)
        m_combo->addItem(qs(calculatorDescriptions()[static_cast<std::size_t>(index)].name.text(texts())), index);
    const int current = m_combo->findData(m_form.calculator());
    if (current >= 0) {
        m_combo->setCurrentIndex(current);
    } else if (!shown.empty()) {
        readInputs();
        chooseCalculator(shown.front());
    }
}

void CalculationsDialog::chooseCalculator(int calculator)
{
    m_form.selectCalculator(calculator);
    m_combo->setCurrentIndex(m_combo->findData(m_form.calculator()));
    showForm();
}

void CalculationsDialog::showForm()
{
    const CalculatorDescription& d = m_form.description();
    for (int i = 0; i < kCalcRows; ++i) {
        const bool input = i < d.inputCount;
        m_inputLabels[i]->setVisible(input);
        m_inputs[i]->setVisible(input);
        m_inputLabels[i]->setText(qs(m_form.inputLabel(i)));
        m_inputs[i]->setAccessibleName(m_inputLabels[i]->text());
        m_inputs[i]->setText(qs(m_form.inputText(i)));
        const bool result = i < d.resultCount;
        m_resultLabels[i]->setVisible(result);
        m_results[i]->setVisible(result);
        m_resultLabels[i]->setText(qs(m_form.resultLabel(i)));
        m_results[i]->setAccessibleName(m_resultLabels[i]->text());
        m_results[i]->setText(qs(m_form.resultText(i)));
        m_results[i]->setToolTip(qs(m_form.resultTip(i)));
    }
    m_picture->setPicture(d.picture);
    const bool gauge = m_form.calculator() == kGaugeStackCalculator;
    m_gaugeSetLabel->setVisible(gauge);
    m_gaugeSetCombo->setVisible(gauge);
    m_gaugeEditButton->setVisible(gauge);
    fillGaugeSets();
}

std::filesystem::path CalculationsDialog::dataDirectory() const
{
    return statePath(m_state.dataDirectory);
}

void CalculationsDialog::fillGaugeSets()
{
    m_gaugeSetCombo->clear();
    for (const calc::GaugeBlockSet& set : m_form.gaugeSets())
        m_gaugeSetCombo->addItem(qs(set.name));
    m_gaugeSetCombo->setCurrentIndex(m_form.gaugeSet());
}

void CalculationsDialog::editGaugeSets()
{
    GaugeSetEditor editor(
        m_form.gaugeSets(), texts(),
        [this](const std::string& message) {
            showMessage({message, texts().text(67722, "*Endmaßsätze"), MessageIcon::Warning, MessageButtons::Ok});
        },
        this);
    if (editor.exec() != QDialog::Accepted)
        return;
    if (dataDirectory().empty()) {
        m_form.setGaugeSets(editor.sets());
    } else if (const auto message = m_form.saveGaugeSets(dataDirectory(), editor.sets())) {
        showMessage(*message);
        return;
    }
    fillGaugeSets();
    storeInputs();
}

void CalculationsDialog::readInputs()
{
    for (int i = 0; i < kCalcRows; ++i)
        m_form.setInputText(i, m_inputs[i]->text().toStdString());
}

void CalculationsDialog::storeInputs()
{
    readInputs();
    if (m_state.options)
        writeWindowBlock(m_state.options->windows.calculations, m_form.block());
}

void CalculationsDialog::showMessage(const MessageBoxRequest& request)
{
    QtBoxes(this, m_state).show(request);
}

void CalculationsDialog::calculate()
{
    readInputs();
    const auto message = m_form.calculate();
    showForm();
    storeInputs();
    if (message)
        showMessage(*message);
}

void CalculationsDialog::copyResult()
{
    readInputs();
    const bool withUnits = m_state.options && m_state.options->settings.copyUnitsToClipboard == 1;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(qs(m_form.clipboardText(withUnits)));
}

void CalculationsDialog::sendOpen(int page, const OpenRequest& request)
{
    const PageInfo* info = pageInfo(page);
    if (!info || m_left)
        return;
    OpenRequest copy = request;
    m_left = true;
    m_port.send(m_port.context, static_cast<std::uint32_t>(info->openMessage), reinterpret_cast<std::intptr_t>(&copy));
}

void CalculationsDialog::goBack()
{
    storeInputs();
    OpenRequest request;
    request.senderPage = page::Calculations;
    request.senderWindow = static_cast<QWidget*>(this);
    // The flange window asked for a pitch: it gets the last one calculated, in the unit
    // of the diameter it sent, for the circle it named.
    if (m_senderPage == page::Flanges && m_returnWanted && m_form.lastPitch()) {
        request.originPage = page::Calculations;
        request.value1
            = floatBits(toMetric(m_unitSystem, ConversionKind::Length, static_cast<float>(*m_form.lastPitch())));
        request.value3 = m_returnCircle;
    }
    const PageInfo* sender = pageInfo(m_senderPage);
    sendOpen(sender && sender->page != page::Calculations ? sender->page : page::CuttingData, request);
}

void CalculationsDialog::requestQuit()
{
    storeInputs();
    m_port.send(m_port.context, static_cast<std::uint32_t>(AppMessage::QuitRequest),
        reinterpret_cast<std::intptr_t>(static_cast<QWidget*>(this)));
}

void CalculationsDialog::closeEvent(QCloseEvent* event)
{
    // Closed from the title bar: the way back, so that the program never stays without
    // a window. The program closes the dialog itself when it opens the other window.
    event->ignore();
    if (!m_left)
        QMetaObject::invokeMethod(this, &CalculationsDialog::goBack, Qt::QueuedConnection);
}

void CalculationsDialog::writeAndOpenReport()
{
    readInputs();
    if (!m_state.ncTextBuffer || !m_form.hasReport())
        return;
    SystemClock clock;
    QtBoxes boxes(this, m_state);
    const ReportWriter writer(clock, texts(), boxes);
    const std::string report = m_form.reportText(m_state.languageCode, dateTimeStamp(m_state.languageCode, clock));
    const ReportWriteResult result = writer.write(m_state, *m_state.ncTextBuffer, ReportKindId::Mic, report);
    if (result.written)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdU16String(result.path.u16string())));
}

void CalculationsDialog::showMenu()
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* report = menu->addAction(text(67610, "*Report schreiben und öffnen"));
    report->setEnabled(m_form.hasReport());
    connect(report, &QAction::triggered, this, &CalculationsDialog::writeAndOpenReport, Qt::QueuedConnection);
    menu->addSeparator();
    const std::function<void(QMenu*, const std::vector<MenuItem>&)> add
        = [&](QMenu* target, const std::vector<MenuItem>& items) {
              for (const MenuItem& item : items) {
                  if (item.kind == MenuItemKind::Separator) {
                      target->addSeparator();
                  } else if (item.kind == MenuItemKind::Popup) {
                      add(target->addMenu(qs(item.text)), item.children);
                  } else {
                      QAction* action = target->addAction(qs(item.text));
                      action->setCheckable(item.checked);
                      action->setChecked(item.checked);
                      const MenuCommand command = item.command;
                      const int targetValue = item.target;
                      connect(
                          action, &QAction::triggered, this,
                          [this, command, targetValue] {
                              storeInputs();
                              if (command == MenuCommand::OpenPage) {
                                  OpenRequest request;
                                  request.senderPage = page::Calculations;
                                  request.senderWindow = static_cast<QWidget*>(this);
                                  sendOpen(targetValue, request);
                              } else if (command == MenuCommand::ChooseMachine && m_state.options && targetValue >= 0
                                  && targetValue < static_cast<int>(kMachineCount)) {
                                  m_state.options->settings.currentMachine = static_cast<std::uint8_t>(targetValue);
                                  m_state.options->settings.changed = 1;
                              } else if (command == MenuCommand::Options) {
                                  // Sent as from the main window: the program refreshes the
                                  // sender afterwards, and this dialog is none of its windows.
                                  m_state.optionsCallerPage = page::Calculations;
                                  m_port.send(m_port.context, static_cast<std::uint32_t>(AppMessage::OpenOptions),
                                      reinterpret_cast<std::intptr_t>(m_state.mainWindow));
                              }
                          },
                          Qt::QueuedConnection);
                  }
              }
          };
    add(menu, buildWindowMenu(page::Calculations, m_state.options, texts()));
    menu->popup(m_menuButton->mapToGlobal(QPoint(0, 0)) - QPoint(0, menu->sizeHint().height()));
}

} // namespace kvt
