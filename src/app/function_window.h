#pragma once
// The behaviour every function window shares: its window menu behind the "*Menü"
// button, the context menu of its edit fields, the shared position, a white
// background, and closing through the quit question. Escape never closes it.

#include <QDialog>

#include <string_view>

class QHBoxLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace kvt {

class AppController;
struct MenuItem;

class FunctionWindow : public QDialog {
    Q_OBJECT
public:
    FunctionWindow(AppController& controller, int page);

    int page() const { return m_page; }

    // Store the inputs into the window's block of the options record. Called before
    // the window is switched away from or the program quits.
    virtual void storeInputs() { }
    // Reload texts and units after the options dialog.
    virtual void refresh();
    // The current machine changed through the window menu.
    virtual void machineChanged() { }
    // The calculate command of the window (also the fields' "*Berechnen").
    virtual void calculate() { }
    // Empty the fields that are calculated from the given one.
    virtual void clearCorrespondingFields(QLineEdit* field);

    // Opens another function window in place of this one.
    void switchToPage(int page);
    // The background menu of a calculation window ("*Mehr..." and a right click on the
    // window): "*Report öffnen", "*Autom.öffnen" with its check mark, "*Berechnungen",
    // then what the window adds. Public so that tests can run its entries.
    QMenu* buildBackgroundMenu(QWidget* parent);
    void requestQuit();
    void openOptions();
    // Builds the window menu; public so that tests can run its entries.
    QMenu* buildMenu(QWidget* parent);

protected:
    AppController& controller() const { return m_controller; }
    // The area the window's own controls go into.
    QVBoxLayout* contentLayout() const { return m_content; }
    QString text(int id, std::string_view builtin) const;
    // Gives a line edit the window's field context menu; corresponding fields get the
    // variant that clears the fields calculated from them.
    void installFieldMenu(QLineEdit* field, bool corresponding = false);
    void addBottomButton(QPushButton* button);
    void addBottomWidget(QWidget* widget);

    // Calculation windows: a "*Mehr..." button beside the window's own buttons and the
    // same menu on a right click into the window.
    void enableBackgroundMenu();
    // "*Report öffnen": build the report, write it and open it.
    virtual void openReportCommand() { }
    // More entries at the end of the background menu.
    virtual void extendBackgroundMenu(QMenu*) { }
    // The program-wide "open reports automatically" option; setting it marks the options
    // changed and calls reportOpeningChanged().
    bool reportsOpenAutomatically() const;
    void setReportsOpenAutomatically(bool on);
    virtual void reportOpeningChanged() { }

    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void showWindowMenu();
    void addMenuItems(QMenu* menu, const std::vector<MenuItem>& items);
    void showFieldMenu(QLineEdit* field, bool corresponding, const QPoint& position);
    void retranslateFrame();
    int bottomInsertIndex() const;

    AppController& m_controller;
    int m_page;
    QVBoxLayout* m_content = nullptr;
    QPushButton* m_menuButton = nullptr;
    QPushButton* m_quitButton = nullptr;
    QPushButton* m_moreButton = nullptr;
    QHBoxLayout* m_bottom = nullptr;
};

} // namespace kvt
