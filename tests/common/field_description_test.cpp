// Captions, report labels and tooltips built from a field description, in both unit
// systems; and the named kinds keep the numbers stored data was written with.

#include "common/field_description.h"
#include "common/report_writer.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

constexpr FieldDescription kDiameter {71001, "*Durchmesser D", ConversionKind::Length, UnitText::Millimetre,
    ValueKind::Float, InputClass::Unsigned, 71101, "*Durchmesser des Werkzeugs"};
constexpr FieldDescription kSpeed {
    71002, "*Schnittgeschwindigkeit Vc", ConversionKind::MetresFeet, UnitText::CuttingSpeed};
constexpr FieldDescription kTeeth {71005, "*Zähne Anzahl n", ConversionKind::Plain, UnitText::None, ValueKind::Integer};
constexpr FieldDescription kBlankUnit {1, "*Faktor", ConversionKind::Plain, UnitText::WithoutText};

TEST(FieldDescription, CaptionsAndLabelsFollowTheUnitSystem)
{
    const BuiltinTexts texts;
    const struct {
        const FieldDescription* field;
        int unitSystem;
        const char* caption;
    } cases[] = {
        {&kDiameter, kUnitSystemMetric, "*Durchmesser D [mm]:"},
        {&kDiameter, kUnitSystemInch, "*Durchmesser D [inch]:"},
        {&kSpeed, kUnitSystemMetric, "*Schnittgeschwindigkeit Vc [m/min]:"},
        {&kSpeed, kUnitSystemInch, "*Schnittgeschwindigkeit Vc [ft/min]:"},
        {&kTeeth, kUnitSystemMetric, "*Zähne Anzahl n:"},
        {&kTeeth, kUnitSystemInch, "*Zähne Anzahl n:"},
        {&kBlankUnit, kUnitSystemMetric, "*Faktor:"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fieldCaption(*c.field, texts, c.unitSystem), c.caption);
        std::string label = c.caption;
        label.pop_back();
        EXPECT_EQ(fieldLabel(*c.field, texts, c.unitSystem), label);
    }
    EXPECT_EQ(fieldTooltip(kDiameter, texts), "*Durchmesser des Werkzeugs");
    EXPECT_EQ(fieldTooltip(kTeeth, texts), "");
}

TEST(FieldDescription, TheDescriptionParsesAndConvertsLikeTheBareNumbers)
{
    std::string text = "1,5";
    ParseResult parsed;
    ASSERT_TRUE(validateField(text, kDiameter.inputClass, kDiameter.valueKind, parsed));
    EXPECT_EQ(parsed.floatValue, 1.5f);
    text = "-2";
    EXPECT_FALSE(validateField(text, kDiameter.inputClass, kDiameter.valueKind, parsed));
    EXPECT_EQ(text, "");
    EXPECT_EQ(toMetric(kUnitSystemInch, kDiameter.conversion, 1.0f), toMetric(kUnitSystemInch, 1, 1.0f));
    EXPECT_EQ(toDisplay(kUnitSystemInch, kSpeed.conversion, 100.0), toDisplay(kUnitSystemInch, 6, 100.0));
    EXPECT_EQ(toMetric(kUnitSystemInch, ConversionKind::Plain, 3.0f), 3.0f);
}

TEST(NamedKinds, KeepTheirStoredNumbers)
{
    EXPECT_EQ(static_cast<int>(ConversionKind::Length), 1);
    EXPECT_EQ(static_cast<int>(ConversionKind::Feed), 5);
    EXPECT_EQ(static_cast<int>(ConversionKind::MetresFeet), 6);
    EXPECT_EQ(static_cast<int>(ConversionKind::Plain), 7);
    EXPECT_EQ(static_cast<int>(InputClass::Unsigned), 1);
    EXPECT_EQ(static_cast<int>(InputClass::NegativeByNature), 2);
    EXPECT_EQ(static_cast<int>(InputClass::Text), 6);
    EXPECT_EQ(static_cast<int>(InputClass::SignedFraction), 10);
    for (const ReportKind& kind : kReportKinds)
        EXPECT_EQ(reportKind(kind.kind)->folder, kind.folder);
    EXPECT_EQ(reportKind(static_cast<int>(ReportKindId::CuttingData))->prefix, "SDR Report_");
    EXPECT_EQ(reportKind(static_cast<int>(ReportKindId::Coolant))->prefix, "KSS Report_");
    EXPECT_EQ(reportKind(static_cast<int>(ReportKindId::Rs232))->folder, "RS232");
}

} // namespace
} // namespace kvt
