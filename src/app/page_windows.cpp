#include "app/page_windows.h"

#include "app/app_controller.h"
#include "app/function_window.h"
#include "app/pages.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kvt {

namespace {

// A function whose calculations are not built yet: it shows its title and offers
// the window menu, so every menu entry leads somewhere.
class TitleOnlyWindow final : public FunctionWindow {
public:
    TitleOnlyWindow(AppController& controller, int page)
        : FunctionWindow(controller, page)
    {
        auto* title = new QLabel(windowTitle(), this);
        title->setObjectName(QStringLiteral("pageTitle"));
        QFont font = title->font();
        font.setPointSizeF(font.pointSizeF() * 1.4);
        font.setBold(true);
        title->setFont(font);
        title->setAlignment(Qt::AlignCenter);
        contentLayout()->addWidget(title);
        resize(560, 300);
    }
};

} // namespace

FunctionWindow* createPageWindow(int page, AppController& controller)
{
    const PageInfo* info = pageInfo(page);
    if (!info || page == page::Calculations)
        return nullptr;
    return new TitleOnlyWindow(controller, page);
}

void runOptions(AppController&, QWidget*)
{
}

} // namespace kvt
