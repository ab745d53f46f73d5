#pragma once
// Opens a report in the desktop's text viewer: Notepad on Windows, the viewer the
// desktop associates with text files elsewhere.

#include "common/report_writer.h"

namespace kvt {

class DesktopTextViewer final : public TextViewerLauncher {
public:
    bool open(const std::filesystem::path& file) override;
};

} // namespace kvt
