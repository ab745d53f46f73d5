#pragma once
// The tool editor ("*Werkzeugdaten"): every field of one tool, the category menu, the
// picture with its rotation, the replacement date, the hand-over to the cutting data
// window, the report, and saving into the table. It belongs to the tool management
// window, which stores what it saves.

#include "tooldb/tool_editor_form.h"

#include <QDialog>
#include <QImage>
#include <QWidget>

#include <array>
#include <cstddef>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace kvt {

class ToolManagementWindow;

// Draws a picture turned by quarter turns clockwise and scaled to fit, or a note when
// there is none.
class PictureView final : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);
    // False when the file could not be read; the view then shows no picture.
    bool load(const QString& path);
    void clear(const QString& note = {});
    void setRotation(int quarterTurns);
    int rotation() const { return m_rotation; }
    bool hasPicture() const { return !m_image.isNull(); }
    QSize sizeHint() const override { return {240, 240}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    QString m_note;
    int m_rotation = 0;
};

class ToolEditor final : public QDialog {
    Q_OBJECT
public:
    // The editor belongs to the machine it was opened for, even when the window shows
    // another machine's table meanwhile.
    ToolEditor(ToolManagementWindow& window, std::size_t machine, int row, const ToolRecord& record);

    std::size_t machine() const { return m_machine; }
    int row() const { return m_row; }
    const ToolEditorForm& form() const { return m_form; }
    QLineEdit* field(ToolField field) const;
    QLineEdit* diameterField() const { return m_diameter; }
    QLineEdit* pictureField() const { return m_picturePath; }
    PictureView* picture() const { return m_picture; }
    QMenu* buildCategoryMenu(QWidget* parent);

    // The values the cutting data window handed back, shown at once.
    void takeReturn(const ToolHandOver& returned);

    // The commands of the buttons, for the buttons and for tests.
    bool save();
    void setReplacementDate();
    void determine();
    void report();
    void clearFields();
    void rotate();
    void choosePicture();
    bool showPicture();

private:
    void buildControls();
    // Takes the texts of all fields into the form; false (the user told) when one
    // cannot be stored.
    bool commitFields();
    void showFields();
    QPushButton* addButton(const QString& name, int id, const char* builtin);

    ToolManagementWindow& m_window;
    std::size_t m_machine;
    int m_row;
    ToolEditorForm m_form;
    std::array<QLineEdit*, kToolFieldCount> m_fields {};
    QLineEdit* m_diameter = nullptr;
    QLineEdit* m_picturePath = nullptr;
    PictureView* m_picture = nullptr;
};

} // namespace kvt
