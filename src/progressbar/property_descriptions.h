#pragma once

#include <array>
#include <string_view>

namespace quorvel::progressbar {

// The property names.
namespace property_name {
inline constexpr std::string_view kValue = "Value";
inline constexpr std::string_view kMax = "Max";
inline constexpr std::string_view kMin = "Min";
inline constexpr std::string_view kRoundedValue = "RoundedValue";
inline constexpr std::string_view kEnabled = "Enabled";
inline constexpr std::string_view kTheme = "Theme";
inline constexpr std::string_view kTextStyle = "TextStyle";
inline constexpr std::string_view kOrientations = "Orientations";
inline constexpr std::string_view kTextAlignment = "TextAlignment";
inline constexpr std::string_view kText = "Text";
inline constexpr std::string_view kTextEffectColor = "TextEffectColor";
inline constexpr std::string_view kTextEffect = "TextEffect";
inline constexpr std::string_view kTextForeColor = "TextForeColor";
inline constexpr std::string_view kTextFont = "TextFont";
inline constexpr std::string_view kPBSCustomeColor1 = "PBSCustomeColor1";
inline constexpr std::string_view kPBSCustomeColor2 = "PBSCustomeColor2";
}  // namespace property_name

// A property of the control as a property browser lists it. The name is also
// the one given to ProgressBarHost::PropertyChanged() and the key under which
// the property is saved.
struct PropertyDescription {
  std::string_view name;
  // Empty for a property that has no description.
  std::string_view description;
};

inline constexpr std::size_t kPropertyCount = 16;

// The sixteen properties in slot order.
inline constexpr std::array<PropertyDescription, kPropertyCount> kPropertyDescriptions{{
    {property_name::kValue, "Progressbar Value."},
    {property_name::kMax, "Progressbar Max Value."},
    {property_name::kMin, "Progressbar Min Value."},
    {property_name::kRoundedValue, "Progressbar Rounded Corner Value."},
    {property_name::kEnabled, "Progressbar Enabled/Disabled."},
    {property_name::kTheme, "Progressbar Styles."},
    {property_name::kTextStyle, "Progressbar Text Style."},
    {property_name::kOrientations, ""},
    {property_name::kTextAlignment, "Progressbar Text Alignment."},
    {property_name::kText, "Progressbar Text."},
    {property_name::kTextEffectColor, "Progressbar Text Effect Color."},
    {property_name::kTextEffect, "Progressbar Text Effect."},
    {property_name::kTextForeColor, "Progressbar Text Color."},
    {property_name::kTextFont, "Progressbar Text Font."},
    {property_name::kPBSCustomeColor1, "Progressbar Style Custome Color 1."},
    {property_name::kPBSCustomeColor2, "Progressbar Style Custome Color 2."},
}};

// The properties in slot order.
inline constexpr const std::array<PropertyDescription, kPropertyCount>& PropertyDescriptions() {
  return kPropertyDescriptions;
}

// The description of the property `name`; empty for an unknown name or a
// property without one.
constexpr std::string_view DescriptionOf(std::string_view name) {
  for (const PropertyDescription& property : kPropertyDescriptions) {
    if (property.name == name) return property.description;
  }
  return {};
}

}  // namespace quorvel::progressbar
