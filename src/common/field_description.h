#pragma once
// One description per edit field: its caption text, how its value converts between the
// unit systems, the unit its caption shows, and how its text is checked and read. A
// window's form and its Qt dialog both build from the same table, so that caption,
// parsing and conversion of a field can never disagree.

#include "common/field_validation.h"
#include "common/text_lookup.h"
#include "common/units.h"

#include <string>

namespace kvt {

struct FieldDescription {
    int textId = 0;
    const char* builtin = ""; // the German built-in text, starting with '*'
    ConversionKind conversion = ConversionKind::Plain;
    UnitText unit = UnitText::None;
    ValueKind valueKind = ValueKind::Float;
    InputClass inputClass = InputClass::Unsigned;
    // The field's tooltip; 0 for none.
    int tooltipId = 0;
    const char* tooltipBuiltin = "";
};

// "*Durchmesser D [mm]" in the current language and unit system.
std::string fieldLabel(const FieldDescription& field, const TextLookup& texts, int unitSystem);
// The label with its trailing colon, as a caption beside the field shows it.
std::string fieldCaption(const FieldDescription& field, const TextLookup& texts, int unitSystem);
// The tooltip text; empty when the field has none.
std::string fieldTooltip(const FieldDescription& field, const TextLookup& texts);

} // namespace kvt
