#pragma once
// A strict reader of the small DXF files the program writes, for the tests: it checks
// the line form (bare line feeds, group codes and values alternating), the header, the
// sections and the trailer, and hands back every entity with its group values as text,
// so that a test compares exactly what a drawing program would read.

#include <map>
#include <string>
#include <vector>

namespace kvt::test {

struct DxfEntity {
    std::string type; // CIRCLE or LINE
    std::vector<std::pair<int, std::string>> groups; // in file order, without the 0 group
    std::string value(int code) const;
    // "CIRCLE CircleLayer 0.000 50.000 5.000" / "LINE 0 x1 y1 0.000 x2 y2 0.000": the
    // values of every group in file order.
    std::string summary() const;
};

struct DxfDocument {
    std::string version; // $ACADVER
    std::string insUnits; // $INSUNITS
    std::vector<DxfEntity> entities;
};

// Empty error on success.
DxfDocument readDxf(const std::string& text, std::string& error);

} // namespace kvt::test
