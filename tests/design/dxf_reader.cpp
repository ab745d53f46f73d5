#include "design/dxf_reader.h"

#include <cstdlib>

namespace kvt::test {

std::string DxfEntity::value(int code) const
{
    for (const auto& [c, v] : groups) {
        if (c == code)
            return v;
    }
    return {};
}

std::string DxfEntity::summary() const
{
    std::string s = type;
    for (const auto& group : groups)
        s += " " + group.second;
    return s;
}

namespace {

std::vector<std::string> splitLines(const std::string& text, std::string& error)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        if (end == std::string::npos) {
            error = "last line without a line feed";
            return {};
        }
        std::string line = text.substr(start, end - start);
        if (line.find('\r') != std::string::npos) {
            error = "carriage return in line " + std::to_string(lines.size() + 1);
            return {};
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

} // namespace

DxfDocument readDxf(const std::string& text, std::string& error)
{
    DxfDocument doc;
    error.clear();
    const std::vector<std::string> lines = splitLines(text, error);
    if (!error.empty())
        return doc;
    if (lines.size() % 2 != 0) {
        error = "odd number of lines";
        return doc;
    }
    std::vector<std::pair<int, std::string>> pairs;
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        char* end = nullptr;
        const long code = std::strtol(lines[i].c_str(), &end, 10);
        if (lines[i].empty() || *end != '\0') {
            error = "bad group code '" + lines[i] + "'";
            return doc;
        }
        pairs.emplace_back(static_cast<int>(code), lines[i + 1]);
    }
    const std::vector<std::pair<int, std::string>> header = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}};
    std::size_t i = 0;
    for (; i < header.size(); ++i) {
        if (i >= pairs.size() || pairs[i] != header[i]) {
            error = "header does not start as expected";
            return doc;
        }
    }
    auto expect = [&](int code, const std::string& value) {
        if (i >= pairs.size() || pairs[i].first != code || (!value.empty() && pairs[i].second != value)) {
            error = "expected " + std::to_string(code) + " " + value + " at pair " + std::to_string(i);
            return false;
        }
        ++i;
        return true;
    };
    if (!expect(1, ""))
        return doc;
    doc.version = pairs[i - 1].second;
    if (!expect(9, "$INSUNITS") || !expect(70, ""))
        return doc;
    doc.insUnits = pairs[i - 1].second;
    if (!expect(0, "ENDSEC") || !expect(0, "SECTION") || !expect(2, "ENTITIES"))
        return doc;
    while (i < pairs.size() && !(pairs[i].first == 0 && pairs[i].second == "ENDSEC")) {
        if (pairs[i].first != 0) {
            error = "entity without a type at pair " + std::to_string(i);
            return doc;
        }
        DxfEntity entity;
        entity.type = pairs[i].second;
        ++i;
        while (i < pairs.size() && pairs[i].first != 0)
            entity.groups.push_back(pairs[i++]);
        doc.entities.push_back(std::move(entity));
    }
    if (!expect(0, "ENDSEC") || !expect(0, "EOF"))
        return doc;
    if (i != pairs.size())
        error = "data after EOF";
    return doc;
}

} // namespace kvt::test
