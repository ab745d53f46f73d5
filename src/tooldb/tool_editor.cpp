#include "tooldb/tool_editor.h"

#include "common/field_binding.h"
#include "common/message_boxes.h"
#include "tooldb/tool_categories.h"
#include "tooldb/tool_management_window.h"
#include "tooldb/tool_pictures.h"
#include "tooldb/tool_table.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTransform>
#include <QVBoxLayout>

#include <cstdio>

namespace kvt {

namespace {

QString qt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

PictureView::PictureView(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(160, 160);
    setAutoFillBackground(false);
}

bool PictureView::load(const QString& path)
{
    QImage image(path);
    if (image.isNull()) {
        std::fputs("Failed to load image.\n", stderr);
        m_image = QImage();
        update();
        return false;
    }
    m_image = image;
    m_note.clear();
    update();
    return true;
}

void PictureView::clear(const QString& note)
{
    m_image = QImage();
    m_note = note;
    update();
}

void PictureView::setRotation(int quarterTurns)
{
    m_rotation = quarterTurns >= 0 && quarterTurns <= 3 ? quarterTurns : 0;
    update();
}

void PictureView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::gray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_image.isNull()) {
        painter.drawText(rect().adjusted(6, 6, -6, -6), Qt::AlignCenter | Qt::TextWordWrap, m_note);
        return;
    }
    const QImage turned = m_image.transformed(QTransform().rotate(90.0 * m_rotation));
    const QSize fitted = turned.size().scaled(size() - QSize(8, 8), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, turned);
}

ToolEditor::ToolEditor(ToolManagementWindow& window, std::size_t machine, int row, const ToolRecord& record)
    : QDialog(&window, Qt::Window)
    , m_window(window)
    , m_machine(machine)
    , m_row(row)
    , m_form(window.texts(), window.unitSystem(), window.languageCode())
{
    setObjectName(QStringLiteral("toolEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_form.load(record);
    buildControls();
    showFields();
}

QLineEdit* ToolEditor::field(ToolField which) const
{
    return m_fields[static_cast<std::size_t>(which)];
}

QPushButton* ToolEditor::addButton(const QString& name, int id, const char* builtin)
{
    auto* button = new QPushButton(this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    const QString caption = qt(m_window.texts().text(id, builtin));
    button->setText(caption);
    button->setAccessibleName(caption);
    return button;
}

void ToolEditor::buildControls()
{
    const TextLookup& texts = m_window.texts();
    setWindowTitle(qt(texts.text(76301, "*Werkzeugdaten")) + QStringLiteral(" ") + qt(toolNumberText(m_row)));

    auto* columns = new QHBoxLayout(this);
    auto* grid = new QGridLayout;
    columns->addLayout(grid, 1);
    int gridRow = 0;
    auto addRow = [&](QLineEdit* edit, const QString& caption, QWidget* extra = nullptr) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(edit);
        edit->setAccessibleName(caption);
        grid->addWidget(label, gridRow, 0);
        grid->addWidget(edit, gridRow, 1);
        if (extra)
            grid->addWidget(extra, gridRow, 2);
        ++gridRow;
    };

    for (ToolField which : kEditorFields) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("field%1").arg(static_cast<int>(which)));
        m_fields[static_cast<std::size_t>(which)] = edit;
        const ToolFieldInfo& info = toolFieldInfo(which);
        if (info.textLength > 0)
            edit->setMaxLength(static_cast<int>(info.textLength) - 1);
        QWidget* extra = nullptr;
        if (ToolEditorForm::isDate(which)) {
            edit->setReadOnly(true);
            if (which == ToolField::ReplacementDate) {
                QPushButton* change = addButton(QStringLiteral("replacementButton"), 76302, "*Wechsel");
                connect(change, &QPushButton::clicked, this, &ToolEditor::setReplacementDate);
                extra = change;
            }
        } else if (ToolEditorForm::isNumeric(which)) {
            const FieldDescription& description = ToolEditorForm::description(which);
            new FieldBinding(edit, static_cast<int>(description.inputClass), description.valueKind);
            if (which == ToolField::Radius) {
                // The diameter stands above the radius it is computed from.
                m_diameter = new QLineEdit(this);
                m_diameter->setObjectName(QStringLiteral("diameterField"));
                m_diameter->setReadOnly(true);
                addRow(m_diameter, qt(m_form.diameterCaption()));
                connect(edit, &QLineEdit::textEdited, this, [this, edit] {
                    if (!m_form.setFieldText(ToolField::Radius, edit->text().toStdString()))
                        m_diameter->setText(qt(m_form.diameterText()));
                });
            }
        } else if (which == ToolField::Category) {
            QPushButton* choose = addButton(QStringLiteral("categoryButton"), 76303, "*Ausw.");
            connect(choose, &QPushButton::clicked, this, [this, choose] {
                QMenu* menu = buildCategoryMenu(this);
                menu->setAttribute(Qt::WA_DeleteOnClose);
                menu->popup(choose->mapToGlobal(QPoint(0, choose->height())));
            });
            extra = choose;
        }
        addRow(edit, qt(m_form.caption(which)), extra);
    }
    m_picturePath = new QLineEdit(this);
    m_picturePath->setObjectName(QStringLiteral("picturePath"));
    m_picturePath->setReadOnly(true);
    QPushButton* choosePicture = addButton(QStringLiteral("choosePictureButton"), 76304, "*Auswählen");
    connect(choosePicture, &QPushButton::clicked, this, &ToolEditor::choosePicture);
    addRow(m_picturePath, qt(texts.text(76017, "*Bild")) + QStringLiteral(":"), choosePicture);

    auto* right = new QVBoxLayout;
    columns->addLayout(right);
    m_picture = new PictureView(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setAccessibleName(qt(texts.text(76017, "*Bild")));
    right->addWidget(m_picture, 1);
    auto* pictureButtons = new QHBoxLayout;
    QPushButton* show = addButton(QStringLiteral("showPictureButton"), 76017, "*Bild");
    connect(show, &QPushButton::clicked, this, &ToolEditor::showPicture);
    QPushButton* turn = addButton(QStringLiteral("rotateButton"), 76018, "*Drehen");
    connect(turn, &QPushButton::clicked, this, &ToolEditor::rotate);
    pictureButtons->addWidget(show);
    pictureButtons->addWidget(turn);
    right->addLayout(pictureButtons);

    auto* commands = new QGridLayout;
    right->addLayout(commands);
    QPushButton* determineButton = addButton(QStringLiteral("determineButton"), 76305, "*Erm");
    connect(determineButton, &QPushButton::clicked, this, &ToolEditor::determine);
    QPushButton* reportButton = addButton(QStringLiteral("reportButton"), 76306, "*Bericht");
    connect(reportButton, &QPushButton::clicked, this, &ToolEditor::report);
    QPushButton* clearButton = addButton(QStringLiteral("clearButton"), 76307, "*Clear");
    connect(clearButton, &QPushButton::clicked, this, &ToolEditor::clearFields);
    QPushButton* cancelButton = addButton(QStringLiteral("cancelButton"), 76308, "*Abbrechen");
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton* saveButton = addButton(QStringLiteral("saveButton"), 76309, "*Speichern");
    connect(saveButton, &QPushButton::clicked, this, [this] {
        if (save())
            accept();
    });
    commands->addWidget(determineButton, 0, 0);
    commands->addWidget(reportButton, 0, 1);
    commands->addWidget(clearButton, 1, 0);
    commands->addWidget(cancelButton, 1, 1);
    commands->addWidget(saveButton, 2, 0, 1, 2);
}

QMenu* ToolEditor::buildCategoryMenu(QWidget* parent)
{
    const TextLookup& texts = m_window.texts();
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("categoryMenu"));
    for (const ToolCategoryGroup& group : toolCategoryGroups()) {
        auto choose = [this, &texts](QMenu* into, const ToolCategory& category) {
            const std::string name = toolCategoryText(texts, category);
            connect(into->addAction(qt(name)), &QAction::triggered, this, [this, name] {
                m_form.setCategory(name);
                field(ToolField::Category)->setText(qt(m_form.fieldText(ToolField::Category)));
            });
        };
        if (group.categories.size() == 1) {
            choose(menu, group.categories.front());
            continue;
        }
        QMenu* sub = menu->addMenu(qt(texts.text(group.menuId, group.menuText)));
        for (const ToolCategory& category : group.categories)
            choose(sub, category);
    }
    return menu;
}

void ToolEditor::showFields()
{
    for (ToolField which : kEditorFields)
        field(which)->setText(qt(m_form.fieldText(which)));
    m_diameter->setText(qt(m_form.diameterText()));
    m_picturePath->setText(qt(m_form.fieldText(ToolField::PicturePath)));
    m_picture->setRotation(m_form.pictureRotation());
}

bool ToolEditor::commitFields()
{
    for (ToolField which : kEditorFields) {
        if (ToolEditorForm::isDate(which))
            continue;
        QLineEdit* edit = field(which);
        const auto problem = m_form.setFieldText(which, edit->text().toStdString());
        if (problem && !problem->empty()) {
            m_window.boxes().show({*problem, m_window.toolManagementTitle(), MessageIcon::Warning, MessageButtons::Ok});
            edit->setFocus();
            edit->selectAll();
            return false;
        }
    }
    return true;
}

bool ToolEditor::save()
{
    if (!commitFields())
        return false;
    m_window.saveTool(m_machine, m_row, m_form.save(m_window.clock().localTime()));
    showFields();
    return true;
}

void ToolEditor::setReplacementDate()
{
    m_form.setReplacementDate(m_window.clock().localTime());
    field(ToolField::ReplacementDate)->setText(qt(m_form.fieldText(ToolField::ReplacementDate)));
}

void ToolEditor::determine()
{
    if (!commitFields())
        return;
    m_window.determineCuttingData(m_machine, m_row, m_form.record());
}

void ToolEditor::report()
{
    if (!commitFields())
        return;
    m_window.reportTool();
}

void ToolEditor::clearFields()
{
    m_form.clear();
    showFields();
    m_picture->clear();
}

void ToolEditor::rotate()
{
    m_form.rotatePicture();
    m_picture->setRotation(m_form.pictureRotation());
}

void ToolEditor::takeReturn(const ToolHandOver& returned)
{
    m_form.takeReturn(returned);
    showFields();
}

void ToolEditor::choosePicture()
{
    const TextLookup& texts = m_window.texts();
    const FileDialogChoice choice
        = m_window.chooseFile(FileDialogMode::Open, qt(texts.text(76304, "*Auswählen")), pictureFileDialogSetup());
    if (!choice.accepted)
        return;
    std::u16string stored = choice.path.toStdU16String();
    const MessageAnswer copy = m_window.boxes().show(
        {texts.text(76310, "Soll das Bild in das Datenbankverzeichnis kopiert werden (empfohlen) ?"),
            questionCaption(texts), MessageIcon::Question, MessageButtons::YesNo});
    if (copy == MessageAnswer::Yes) {
        std::string reason;
        if (auto copied = copyPictureIntoDatabase(
                std::filesystem::path(stored), m_window.dataDirectory(), static_cast<int>(m_machine), &reason)) {
            stored = *copied;
        } else {
            m_window.boxes().show({texts.text(76311, "*Das Bild konnte nicht kopiert werden:") + "\n" + reason,
                m_window.toolManagementTitle(), MessageIcon::Warning, MessageButtons::Ok});
        }
    }
    if (stored.size() >= kToolPicturePathLength) {
        m_window.boxes().show({texts.text(76312, "*Der Pfad des Bildes ist zu lang für die Werkzeugdaten."),
            m_window.toolManagementTitle(), MessageIcon::Warning, MessageButtons::Ok});
        return;
    }
    m_form.setPicturePath(stored);
    m_picturePath->setText(qt(m_form.fieldText(ToolField::PicturePath)));
    showPicture();
}

bool ToolEditor::showPicture()
{
    const std::u16string_view stored = toolText(m_form.record(), ToolField::PicturePath);
    const auto found = resolvePicturePath(stored, m_window.dataDirectory(), static_cast<int>(m_machine));
    const QString failed = qt(m_window.texts().text(76313, "*Das Bild kann nicht geladen werden."));
    if (!found) {
        if (!stored.empty())
            std::fputs("Failed to load image.\n", stderr);
        m_picture->clear(stored.empty() ? QString() : failed);
        return false;
    }
    if (!m_picture->load(QString::fromStdU16String(found->u16string()))) {
        m_picture->clear(failed);
        return false;
    }
    m_picture->setRotation(m_form.pictureRotation());
    return true;
}

} // namespace kvt
