#pragma once
// The tool types the editor's category menu offers. Each menu entry is a group of
// category texts; the chosen text (the language module's, or the built-in one) is
// written into the tool's category field as it stands, so a table keeps the language it
// was filled in.

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace kvt {

class TextLookup;

struct ToolCategory {
    int id;
    std::string_view builtin;
};

struct ToolCategoryGroup {
    int menuId;
    std::string_view menuText; // the entry of the category menu
    std::span<const ToolCategory> categories; // a group of one is offered as a plain entry
};

// In menu order: end mills, drills, side and disc cutters, face mills, countersinks,
// reamer, others.
inline constexpr std::size_t kToolCategoryGroupCount = 7;
const std::array<ToolCategoryGroup, kToolCategoryGroupCount>& toolCategoryGroups();

// The text a category writes into the tool.
std::string toolCategoryText(const TextLookup& texts, const ToolCategory& category);

} // namespace kvt
