#pragma once
// Combo boxes announced by their caption. Qt's own accessible combo box on Linux and
// other Unix desktops answers its current entry as the name (it expects a screen reader
// to take the caption from the label relation), so a combo box would be found and read
// by the entry it shows rather than by the caption the program gives it. The interface
// here keeps everything else of Qt's (role, children, actions, states) and answers the
// caption as the name and the entry as the value, on every platform alike.

class QAccessibleInterface;
class QObject;
class QString;

namespace kvt {

// The factory for QAccessible::installFactory: an interface for every QComboBox,
// nothing for other objects.
QAccessibleInterface* accessibleComboBoxFactory(const QString& className, QObject* object);

// Installs the factory where Qt's own combo box names the entry instead of the caption
// (Linux and other Unix desktops); elsewhere Qt's own interface already does it and is
// kept. Call after the QApplication exists and before the first window: Qt asks the
// factories installed last first, and remembers an object's interface once made.
// Returns whether the factory was installed.
bool installAccessibleComboBoxes();

} // namespace kvt
