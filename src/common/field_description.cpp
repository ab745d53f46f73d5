#include "common/field_description.h"

namespace kvt {

std::string fieldLabel(const FieldDescription& field, const TextLookup& texts, int unitSystem)
{
    return unitLabel(texts, field.textId, field.builtin, unitSystem, field.unit);
}

std::string fieldCaption(const FieldDescription& field, const TextLookup& texts, int unitSystem)
{
    return fieldLabel(field, texts, unitSystem) + ":";
}

std::string fieldTooltip(const FieldDescription& field, const TextLookup& texts)
{
    if (field.tooltipId == 0)
        return {};
    return texts.text(field.tooltipId, field.tooltipBuiltin);
}

} // namespace kvt
