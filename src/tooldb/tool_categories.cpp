#include "tooldb/tool_categories.h"

#include "common/text_lookup.h"

namespace kvt {

namespace {

constexpr std::array<ToolCategory, 7> kEndMills = {{
    {76050, "*Schaftfräser, Schlicht"},
    {76051, "*Schaftfräser, Schrupp"},
    {76052, "*Schaftfräser, Radius, konkav"},
    {76053, "*Schaftfräser, Kugel"},
    {76054, "*Schaftfräser, Gewinde"},
    {76055, "*Schaftfräser, Fase"},
    {76056, "*Schaftfräser, Form"},
}};

constexpr std::array<ToolCategory, 5> kDrills = {{
    {76057, "*Bohrer, Spiralbohrer"},
    {76058, "*Bohrer, Stufen"},
    {76059, "*Bohrer, Anbohrer"},
    {76060, "*Bohrer, Tiefloch"},
    {76061, "*Bohrer, Gewinde"},
}};

constexpr std::array<ToolCategory, 6> kDiscCutters = {{
    {76062, "*Scheibenfräser"},
    {76063, "*Scheibenfräser, Winkel"},
    {76064, "*Scheibenfräser, Modul"},
    {76065, "*Scheibenfräser,Radiusfräser, konvex"},
    {76066, "*Scheibenfräser,Radiusfräser, konkav"},
    {76067, "*Scheibenfräser, Walzenstirn"},
}};

constexpr std::array<ToolCategory, 2> kFaceMills = {{
    {76068, "*Messerkopf, Plan"},
    {76069, "*Messerkopf, Eck"},
}};

constexpr std::array<ToolCategory, 3> kCountersinks = {{
    {76070, "*Senker, Flach"},
    {76071, "*Senker, Kegel"},
    {76072, "*Senker, Form"},
}};

constexpr std::array<ToolCategory, 1> kReamers = {{
    {76073, "*Reibahle"},
}};

constexpr std::array<ToolCategory, 1> kOthers = {{
    {76074, "*Prüfdorn"},
}};

const std::array<ToolCategoryGroup, kToolCategoryGroupCount> kGroups = {{
    {76040, "*Schaftfräser", kEndMills},
    {76041, "*Bohrer", kDrills},
    {76042, "*Scheibenfräser", kDiscCutters},
    {76043, "*Messerkopf", kFaceMills},
    {76044, "*Senker", kCountersinks},
    {76045, "*Reibahle", kReamers},
    {76046, "*Diverse", kOthers},
}};

} // namespace

const std::array<ToolCategoryGroup, kToolCategoryGroupCount>& toolCategoryGroups()
{
    return kGroups;
}

std::string toolCategoryText(const TextLookup& texts, const ToolCategory& category)
{
    return texts.text(category.id, category.builtin);
}

} // namespace kvt
