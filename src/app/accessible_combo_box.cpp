#include "app/accessible_combo_box.h"

#include <QtWidgets/qtwidgetsglobal.h>

#if QT_CONFIG(accessibility)

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>

namespace kvt {

namespace {

// A read-only combo box also offers its entry as text: over AT-SPI the value of a
// combo box has no other way out once the name is the caption. An editable one has its
// line edit as a child for that.
class AccessibleComboBox final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleComboBox(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return combo()->isEditable() ? nullptr : static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        switch (kind) {
        case QAccessible::Name: {
            // The caption (accessible name or buddy label); a combo box without one
            // keeps answering its entry, as Qt's own does, rather than nothing.
            const QString caption = QAccessibleWidget::text(kind);
            return caption.isEmpty() ? entry() : caption;
        }
        case QAccessible::Value:
            return entry();
        case QAccessible::Accelerator:
            // The key that opens the list, as Qt's own interface reports it.
            return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
        default:
            return QAccessibleWidget::text(kind);
        }
    }

    // The list folds out; the typing of an editable one belongs to its line edit.
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = combo()->view()->isVisible();
        return state;
    }

    // The popup list, then the line edit of an editable combo box.
    int childCount() const override { return combo()->isEditable() ? 2 : 1; }

    QAccessibleInterface* child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->isEditable())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        if (child->object() == combo()->view())
            return 0;
        if (combo()->isEditable() && child->object() == combo()->lineEdit())
            return 1;
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        QLineEdit* edit = combo()->isEditable() ? combo()->lineEdit() : nullptr;
        if (edit && edit->isVisible() && QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(x, y))
            return child(1);
        return nullptr;
    }

    // The line edit never has the focus itself (the combo box is its focus proxy), but
    // it is where typing goes.
    QAccessibleInterface* focusChild() const override { return combo()->isEditable() ? child(1) : nullptr; }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    QString localizedActionDescription(const QString& action) const override
    {
        if (action == showMenuAction() || action == pressAction())
            return QComboBox::tr("Open the combo box selection popup");
        return QString();
    }

    void doAction(const QString& action) override
    {
        if (action != showMenuAction() && action != pressAction())
            return;
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // Text: the entry, read-only, without a caret or selections.
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QString text(int startOffset, int endOffset) const override
    {
        const QString all = entry();
        const int start = qBound(0, startOffset, int(all.size()));
        const int end = endOffset < 0 ? int(all.size()) : qBound(start, endOffset, int(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return int(entry().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }

    QString entry() const { return combo()->isEditable() ? combo()->lineEdit()->text() : combo()->currentText(); }
};

} // namespace

QAccessibleInterface* accessibleComboBoxFactory(const QString&, QObject* object)
{
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return new AccessibleComboBox(combo);
    return nullptr;
}

bool installAccessibleComboBoxes()
{
#if defined(Q_OS_UNIX)
    QAccessible::installFactory(&accessibleComboBoxFactory);
    return true;
#else
    return false;
#endif
}

} // namespace kvt

#else // no accessibility in this Qt: nothing to name

namespace kvt {

QAccessibleInterface* accessibleComboBoxFactory(const QString&, QObject*)
{
    return nullptr;
}

bool installAccessibleComboBoxes()
{
    return false;
}

} // namespace kvt

#endif
