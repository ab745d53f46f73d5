#pragma once
// What the about dialog and the support mail composer reach outside themselves, so that
// tests replace the desktop (links, text viewer, file manager, save dialog, beep).

#include "common/message_boxes.h"
#include "common/text_lookup.h"
#include "support/support_network.h"
#include "support/update_check.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

class QUrl;
class QWidget;

namespace kvt {

class AppController;

struct SupportServices {
    const TextLookup& texts;
    MessageBoxes& boxes;
    VendorConfig vendor {};
    std::int32_t languageCode = 0;
    std::filesystem::path dataDirectory {};
    int networkTimeoutMs = kNetworkTimeoutMs;
    // Opens a web page or a mailto link with the desktop's handler.
    std::function<bool(const QUrl& url)> openUrl {};
    // Opens a text file in the text viewer (Notepad on Windows).
    std::function<bool(const std::filesystem::path& file)> openTextFile {};
    // Asks where the installer goes, starting with the suggested path; nothing on cancel.
    std::function<std::optional<std::filesystem::path>(QWidget* parent, const std::filesystem::path& suggested)>
        chooseInstallerPath {};
    // Shows the file's folder in the file manager, the file selected where it can be.
    std::function<bool(const std::filesystem::path& file)> showInFileManager {};
    std::function<void()> beep {};
};

// The desktop's own services, the controller's texts and state, and the vendor from the
// start-up settings.
SupportServices desktopSupportServices(AppController& controller, SettingsStore& settings, MessageBoxes& boxes);

} // namespace kvt
