#pragma once
// The smallest ASCII DXF drawing that drawing programs read: a HEADER section with the
// version and the drawing unit, and an ENTITIES section of circles and lines, without
// tables or blocks. Lines end in a bare line feed; every number is written "%.3f" in the
// C locale, whatever the desktop's locale says.

#include <filesystem>
#include <string>
#include <string_view>

namespace kvt {

// versionCode 1..10 -> "AC1009" ... "AC1033"; any other code gives an empty version.
std::string_view dxfVersionName(int versionCode);
// unitFlag 0 millimetres -> 4, 1 inches -> 1, anything else 0 (unitless).
int dxfInsUnits(int unitFlag);

inline constexpr std::string_view kDxfCircleLayer = "CircleLayer";
inline constexpr std::string_view kDxfLineLayer = "0";

class DxfWriter {
public:
    // Starts the text anew with the header and opens the entity section.
    void begin(int versionCode, int unitFlag);
    void circle(double x, double y, double radius);
    void line(double x1, double y1, double x2, double y2);
    // Closes the entity section and the file.
    void end();

    const std::string& text() const { return m_text; }

private:
    void pair(std::string_view code, std::string_view value);
    void pair(std::string_view code, double value);

    std::string m_text;
};

struct DxfSaveResult {
    bool written = false;
    std::string error; // why not, for the message that names the path
};

// Writes the drawing to `path` in the 8-bit code page, through a temporary file that
// replaces the target only once it is complete. An empty path writes nothing and is no
// error.
DxfSaveResult SaveDxfFile(const std::filesystem::path& path, std::string_view utf8Text);

} // namespace kvt
