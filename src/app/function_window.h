#pragma once
// The behaviour every function window shares: its window menu behind the "*Menü"
// button, the context menu of its edit fields, the shared position, a white
// background, and closing through the quit question. Escape never closes it.
//
// Besides that the chrome every calculation window needs, so that a window's own file
// holds only what is about its function: the services (message boxes, report viewer,
// clock, texts) with real defaults that tests replace, the window's block in the
// options record (read on opening, stored on hide), the report step, the current
// machine, edit fields with their captions, and tooltips.

#include "common/report_writer.h"
#include "options/options_record.h"
#include "options/window_blocks.h"

#include "common/report_sheet.h"

#include <QDialog>

#include <QPointer>
#include <filesystem>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QFontMetrics;
class QGridLayout;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace kvt {

class AppController;
class Clock;
class FieldBinding;
class MessageBoxes;
class TextLookup;
class TextViewerLauncher;
struct FieldDescription;
struct MenuItem;

// What a window needs from outside besides the controller. A member left nullptr gets
// the real one (message boxes, the desktop's text viewer, the system clock, the
// controller's language module); tests pass their own.
struct WindowServices {
    MessageBoxes* boxes = nullptr;
    TextViewerLauncher* viewer = nullptr;
    const Clock* clock = nullptr;
    const TextLookup* texts = nullptr;
};

// An edit field beside its caption, and its unit when it has a label of its own.
struct CaptionedField {
    QLabel* caption = nullptr;
    QLineEdit* edit = nullptr;
    QLabel* unit = nullptr;
};

enum class FieldRole {
    Input,
    CorrespondingInput, // its context menu also clears the fields calculated from it
    Result, // read-only
};

// Tooltips wrap at this width.
inline constexpr int kTooltipWidth = 400;

// The text broken into lines no wider than maxWidth pixels (at blanks; a single word
// that is wider keeps its own line).
QString wrapTooltip(const QString& text, const QFontMetrics& metrics, int maxWidth = kTooltipWidth);

inline QString toQt(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

class FunctionWindow : public QDialog {
    Q_OBJECT
public:
    FunctionWindow(AppController& controller, int page, WindowServices services = {});
    ~FunctionWindow() override;

    int page() const { return m_page; }
    // The unit system of the options (metric without options).
    int unitSystem() const;

    // The services in use; for tests that check what a window was given.
    MessageBoxes& boxes() const { return *m_services.boxes; }
    TextViewerLauncher& viewer() const { return *m_services.viewer; }
    const Clock& clock() const { return *m_services.clock; }
    const TextLookup& texts() const;

    // Store the inputs into the window's block of the options record. Called before
    // the window is switched away from or the program quits.
    virtual void storeInputs() { }
    // Reload texts and units after the options dialog.
    virtual void refresh();
    // The current machine changed through the window menu.
    virtual void machineChanged() { }
    // The calculate command of the window (also the fields' "*Berechnen").
    virtual void calculate() { }
    // Asked before the window asks to end the program or gives way to another window;
    // false keeps it as it is (a window with unsaved work asks its user here).
    virtual bool mayClose() { return true; }
    // Empty the fields that are calculated from the given one.
    virtual void clearCorrespondingFields(QLineEdit* field);

    // Opens another function window in place of this one.
    void switchToPage(int page);
    // The background menu of a calculation window ("*Mehr..." and a right click on the
    // window): "*Report öffnen", "*Autom.öffnen" with its check mark, "*Berechnungen",
    // then what the window adds. Public so that tests can run its entries.
    QMenu* buildBackgroundMenu(QWidget* parent);
    // The window's report laid out for paper: program, window title, machine and stamp
    // above the report lines. Empty lines for a window without a report.
    ReportSheet reportSheet() const;

    // The bottom row of a calculation window, once addCalculationButtons() made it;
    // nullptr before.
    QPushButton* calculateButton() const { return m_calculateButton; }
    QPushButton* reportButton() const { return m_reportButton; }
    QCheckBox* autoOpenBox() const { return m_autoOpen; }
    // "*Als PDF speichern…" without its file dialog: writes the sheet as a PDF; a
    // failure is told with the path and the reason.
    bool saveReportPdf(const std::filesystem::path& path);
    void requestQuit();
    void openOptions();
    // Builds the window menu; public so that tests can run its entries.
    QMenu* buildMenu(QWidget* parent);

protected:
    AppController& controller() const { return m_controller; }

    // The window's block of the options record (the page's block unless the window
    // names another): nullopt without options. Reading it allows storeBlock(), so
    // that a window never overwrites the stored block with what it had before reading.
    template<class Block> std::optional<Block> loadBlock()
    {
        static_assert(kFitsWindowBlock<Block>, "the window block must be a plain record that fits its part");
        const WindowBlock* stored = windowBlock();
        m_blockLoaded = true;
        if (!stored)
            return std::nullopt;
        return readWindowBlock<Block>(*stored);
    }
    // Stores the block and marks the options changed; nothing before loadBlock().
    template<class Block> void storeBlock(const Block& block)
    {
        static_assert(kFitsWindowBlock<Block>, "the window block must be a plain record that fits its part");
        WindowBlock* stored = windowBlock();
        if (!m_blockLoaded || !stored)
            return;
        writeWindowBlock(*stored, block);
        markOptionsChanged();
    }
    // A window whose block is not the one of its page (the tool editor) names it here.
    void setWindowBlock(WindowBlock WindowBlocks::*block) { m_blockMember = block; }

    // The current machine of the options (an index out of range counts as the first
    // machine); nullptr without options.
    std::size_t currentMachineIndex() const;
    const MachineRecord* currentMachine() const;

    // Reports: a window with a report names its kind and composes its text on demand.
    void setReportKind(ReportKindId kind) { m_reportKind = kind; }
    virtual std::string composeReport(const LocalDateTime& time, int languageCode) const;
    // Writes the report through the report writer; false when there is nothing to
    // write to or it could not be written (the writer told the user why).
    bool writeReport();
    // Opens the report written last in the text viewer.
    bool openLastReport();
    // After a successful calculation: the report is written, and opened when reports
    // open automatically.
    void reportCalculation();

    // An edit field with its caption label in `row` of `grid` (caption in column 0,
    // field in column 1, unit label in column 2 when asked for); the field gets the
    // window's field context menu. Captions are set with setFieldCaption().
    CaptionedField addCaptionedField(QGridLayout* grid, int row, FieldRole role, bool withUnit = false);
    // The caption (and unit) texts; the field's accessible name is the caption.
    static void setFieldCaption(const CaptionedField& field, const QString& caption, const QString& unit = {});
    // Checks every edit of the field against the description's input class and value
    // kind; the binding belongs to the field.
    static FieldBinding* bindField(QLineEdit* edit, const FieldDescription& description);
    // A caption on a label, button or group box, and the same accessible name.
    static void setCaption(QWidget* control, const QString& caption);

    // A tooltip from the language module, wrapped at kTooltipWidth pixels; set again
    // after the options dialog. It ends with the control.
    void setTooltip(QWidget* control, int textId, std::string_view builtin);

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
    // "*Berechnen" (the default button, runs calculate()), "*Bericht" (runs
    // openReportCommand()) and "*Autom.öffnen" beside them. The check box shows the
    // program-wide option and the frame keeps it in step when the option changes.
    void addCalculationButtons();
    // "*Report öffnen": build the report, write it and open it (nothing for a window
    // without a report kind).
    virtual void openReportCommand();
    // "*Drucken…" (print preview and printer) and "*Als PDF speichern…" with its dialog.
    void printReportCommand();
    void saveReportPdfCommand();
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
    // The controller may close a window without asking it first (another window of
    // the same page replaces it); what was typed must not be lost then.
    void hideEvent(QHideEvent* event) override;

private:
    struct Tooltip {
        QPointer<QWidget> control;
        int textId;
        std::string builtin;
    };

    WindowBlock* windowBlock() const;
    void markOptionsChanged();
    void applyTooltips();
    void showWindowMenu();
    void addMenuItems(QMenu* menu, const std::vector<MenuItem>& items);
    void showFieldMenu(QLineEdit* field, bool corresponding, const QPoint& position);
    void retranslateFrame();
    int bottomInsertIndex() const;

    AppController& m_controller;
    int m_page;
    WindowServices m_services;
    std::unique_ptr<MessageBoxes> m_ownBoxes;
    std::unique_ptr<TextViewerLauncher> m_ownViewer;
    std::unique_ptr<Clock> m_ownClock;
    WindowBlock WindowBlocks::*m_blockMember = nullptr;
    bool m_blockLoaded = false;
    std::optional<ReportKindId> m_reportKind;
    std::vector<Tooltip> m_tooltips;
    QVBoxLayout* m_content = nullptr;
    QPushButton* m_menuButton = nullptr;
    QPushButton* m_quitButton = nullptr;
    QPushButton* m_moreButton = nullptr;
    QPushButton* m_calculateButton = nullptr;
    QPushButton* m_reportButton = nullptr;
    QCheckBox* m_autoOpen = nullptr;
    QHBoxLayout* m_bottom = nullptr;
};

// The factory of a window class for the program's window table and the widget tests:
// every window takes the controller and the services.
template<class Window> FunctionWindow* makeWindow(AppController& controller, const WindowServices& services)
{
    return new Window(controller, services);
}

} // namespace kvt
