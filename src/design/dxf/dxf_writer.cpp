#include "design/dxf/dxf_writer.h"

#include "common/atomic_file_writer.h"
#include "common/code_page.h"
#include "common/number_format.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace kvt {

namespace {

constexpr std::array<std::string_view, 10> kVersionNames
    = {"AC1009", "AC1012", "AC1014", "AC1015", "AC1018", "AC1021", "AC1024", "AC1027", "AC1032", "AC1033"};

std::string systemError()
{
    const int code = errno;
    return code != 0 ? std::string(std::strerror(code)) : std::string();
}

} // namespace

std::string_view dxfVersionName(int versionCode)
{
    if (versionCode < 1 || versionCode > static_cast<int>(kVersionNames.size()))
        return {};
    return kVersionNames[static_cast<std::size_t>(versionCode - 1)];
}

int dxfInsUnits(int unitFlag)
{
    switch (unitFlag) {
    case 0:
        return 4;
    case 1:
        return 1;
    default:
        return 0;
    }
}

void DxfWriter::pair(std::string_view code, std::string_view value)
{
    m_text += code;
    m_text += '\n';
    m_text += value;
    m_text += '\n';
}

void DxfWriter::pair(std::string_view code, double value)
{
    pair(code, formatNumber("%.3f", value));
}

void DxfWriter::begin(int versionCode, int unitFlag)
{
    m_text.clear();
    pair("0", "SECTION");
    pair("2", "HEADER");
    pair("9", "$ACADVER");
    pair("1", dxfVersionName(versionCode));
    pair("9", "$INSUNITS");
    pair("70", cformat("%i", dxfInsUnits(unitFlag)));
    pair("0", "ENDSEC");
    pair("0", "SECTION");
    pair("2", "ENTITIES");
}

void DxfWriter::circle(double x, double y, double radius)
{
    pair("0", "CIRCLE");
    pair("8", kDxfCircleLayer);
    pair("10", x);
    pair("20", y);
    pair("40", radius);
}

void DxfWriter::line(double x1, double y1, double x2, double y2)
{
    pair("0", "LINE");
    pair("8", kDxfLineLayer);
    pair("10", x1);
    pair("20", y1);
    pair("30", 0.0);
    pair("11", x2);
    pair("21", y2);
    pair("31", 0.0);
}

void DxfWriter::end()
{
    pair("0", "ENDSEC");
    pair("0", "EOF");
}

DxfSaveResult SaveDxfFile(const std::filesystem::path& path, std::string_view utf8Text)
{
    DxfSaveResult result;
    if (path.empty())
        return result;
    const std::string bytes = utf8ToAnsi(utf8Text);
    AtomicFileWriter writer(path);
    errno = 0;
    if (!writer.open() || !writer.write(bytes.data(), bytes.size()) || !writer.commit()) {
        result.error = systemError();
        return result;
    }
    result.written = true;
    return result;
}

} // namespace kvt
