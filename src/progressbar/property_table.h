#pragma once

// The sixteen properties of the progress bar, in one table that everything
// else reads: the name (which the setter announces and under which the value
// is stored), the description that property browsers show, the getter and
// setter, the defaults of a restore and of a save, the value of a new
// instance, and the place of each property in the orders the control keeps.

#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "progressbar/progress_bar.h"
#include "progressbar/property_store.h"

namespace quorvel::progressbar {

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

// The type of a property's value, which decides how a stored value is read.
enum class PropertyType { kInt32, kBoolean, kColour, kText, kFont };

// A property's getter and setter, the value passed as a QVariant of the
// property's own type: int, bool, uint (a colour), QString or FontRef.
struct PropertyAccess {
  PropertyType type = PropertyType::kInt32;
  QVariant (*get)(const ProgressBar&) = nullptr;
  Status (*set)(ProgressBar&, const QVariant&) = nullptr;
};

// The PropertyType of a value of type T.
template <typename T>
constexpr PropertyType TypeOf() {
  if constexpr (std::is_same_v<T, bool>) return PropertyType::kBoolean;
  if constexpr (std::is_same_v<T, Colour>) return PropertyType::kColour;
  if constexpr (std::is_same_v<T, QString>) return PropertyType::kText;
  if constexpr (std::is_same_v<T, FontRef>) return PropertyType::kFont;
  static_assert(std::is_same_v<T, std::int32_t> || std::is_same_v<T, bool> ||
                std::is_same_v<T, Colour> || std::is_same_v<T, QString> ||
                std::is_same_v<T, FontRef>);
  return PropertyType::kInt32;
}

// The accessors of one property, from the control's getter and setter of it.
template <auto kGet, auto kSet>
constexpr PropertyAccess Bind() {
  using T = std::remove_cvref_t<std::invoke_result_t<decltype(kGet), const ProgressBar&>>;
  return {TypeOf<T>(), [](const ProgressBar& bar) { return QVariant::fromValue((bar.*kGet)()); },
          [](ProgressBar& bar, const QVariant& value) { return (bar.*kSet)(value.value<T>()); }};
}

// A value that the control chooses itself: a number (an integer, a colour,
// or a Boolean as 1 or 0), a text, the host's display name or font, or none.
struct Preset {
  enum class Source { kNone, kNumber, kText, kDisplayName, kAmbientFont };
  Source source = Source::kNone;
  std::int64_t number = 0;
  std::string_view text;
};
constexpr Preset Number(std::int64_t number) { return {Preset::Source::kNumber, number, {}}; }
constexpr Preset String(std::string_view text) { return {Preset::Source::kText, 0, text}; }
inline constexpr Preset kTrue = Number(1);
inline constexpr Preset kDisplayName{Preset::Source::kDisplayName, 0, {}};
inline constexpr Preset kAmbientFont{Preset::Source::kAmbientFont, 0, {}};
inline constexpr Preset kNotSet{};

// Where a property stands, counted from 1, in the interface's slot order, in a
// save and in the creation of a new instance (0: a new instance leaves it).
struct Places {
  int slot = 0;
  int save = 0;
  int create = 0;
};

// The default a restore passes for an absent key, the default a save passes
// (a value equal to it is left out of the store), and a new instance's value.
struct Presets {
  Preset restore;
  Preset save;
  Preset create;
};

struct Property {
  std::string_view name;
  // Empty for a property that has none.
  std::string_view description;
  Places places;
  Presets presets;
  PropertyAccess access;
};

inline constexpr std::size_t kPropertyCount = 16;

// In the order of a restore, which sets the range first (Max, Min, Value) so
// that each bound is clamped against the ones restored before it. A new
// instance differs from a restore of an empty store in TextStyle, Text,
// TextEffectColor and TextEffect, so a save of one writes those four keys.
inline constexpr std::array<Property, kPropertyCount> kProperties{{
    {property_name::kMax,
     "Progressbar Max Value.",
     {2, 2, 1},
     {Number(100), Number(100), Number(100)},
     Bind<&ProgressBar::Max, &ProgressBar::SetMax>()},
    {property_name::kMin,
     "Progressbar Min Value.",
     {3, 3, 2},
     {Number(0), Number(0), Number(0)},
     Bind<&ProgressBar::Min, &ProgressBar::SetMin>()},
    {property_name::kValue,
     "Progressbar Value.",
     {1, 4, 3},
     {Number(50), Number(50), Number(50)},
     Bind<&ProgressBar::Value, &ProgressBar::SetValue>()},
    {property_name::kRoundedValue,
     "Progressbar Rounded Corner Value.",
     {4, 5, 4},
     {Number(5), Number(5), Number(5)},
     Bind<&ProgressBar::RoundedValue, &ProgressBar::SetRoundedValue>()},
    {property_name::kEnabled,
     "Progressbar Enabled/Disabled.",
     {5, 6, 5},
     {kTrue, kTrue, kTrue},
     Bind<&ProgressBar::Enabled, &ProgressBar::SetEnabled>()},
    {property_name::kTheme,
     "Progressbar Styles.",
     {6, 7, 6},
     {Number(1), Number(1), Number(1)},
     Bind<&ProgressBar::Theme, &ProgressBar::SetTheme>()},
    {property_name::kTextStyle,
     "Progressbar Text Style.",
     {7, 8, 12},
     {Number(1), Number(1), Number(3)},
     Bind<&ProgressBar::TextStyle, &ProgressBar::SetTextStyle>()},
    {property_name::kOrientations,
     "",
     {8, 1, 13},
     {Number(1), Number(1), Number(1)},
     Bind<&ProgressBar::Orientations, &ProgressBar::SetOrientations>()},
    {property_name::kText,
     "Progressbar Text.",
     {10, 12, 8},
     {kDisplayName, String(""), String("Vorn ProgressBar")},
     Bind<&ProgressBar::Text, &ProgressBar::SetText>()},
    {property_name::kTextEffectColor,
     "Progressbar Text Effect Color.",
     {11, 13, 11},
     {Number(Rgb(200, 200, 200)), Number(Rgb(200, 200, 200)), Number(Rgb(255, 255, 255))},
     Bind<&ProgressBar::TextEffectColor, &ProgressBar::SetTextEffectColor>()},
    {property_name::kTextEffect,
     "Progressbar Text Effect.",
     {12, 14, 10},
     {Number(1), Number(1), Number(5)},
     Bind<&ProgressBar::TextEffect, &ProgressBar::SetTextEffect>()},
    {property_name::kTextAlignment,
     "Progressbar Text Alignment.",
     {9, 11, 9},
     {Number(5), Number(5), Number(5)},
     Bind<&ProgressBar::TextAlignment, &ProgressBar::SetTextAlignment>()},
    {property_name::kTextFont,
     "Progressbar Text Font.",
     {14, 9, 14},
     {kAmbientFont, kAmbientFont, kAmbientFont},
     Bind<&ProgressBar::TextFont, &ProgressBar::SetTextFont>()},
    {property_name::kTextForeColor,
     "Progressbar Text Color.",
     {13, 10, 7},
     {Number(0), Number(0), Number(0)},
     Bind<&ProgressBar::TextForeColor, &ProgressBar::SetTextForeColor>()},
    {property_name::kPBSCustomeColor2,
     "Progressbar Style Custome Color 2.",
     {16, 15, 0},
     {Number(0), Number(0), kNotSet},
     Bind<&ProgressBar::PBSCustomeColor2, &ProgressBar::SetPBSCustomeColor2>()},
    {property_name::kPBSCustomeColor1,
     "Progressbar Style Custome Color 1.",
     {15, 16, 0},
     {Number(0), Number(0), kNotSet},
     Bind<&ProgressBar::PBSCustomeColor1, &ProgressBar::SetPBSCustomeColor1>()},
}};

// How many properties have a place in the order `place`.
constexpr std::size_t CountPlaced(int Places::*place) {
  std::size_t count = 0;
  for (const Property& property : kProperties) count += property.places.*place != 0;
  return count;
}

// Whether the places of `place` number the properties that have one 1, 2, ...
// without a gap or a place taken twice, and whether exactly the properties a
// new instance sets have a creation value.
constexpr bool WellPlaced(int Places::*place) {
  for (int at = 1; at <= static_cast<int>(CountPlaced(place)); ++at) {
    int taken = 0;
    for (const Property& property : kProperties) taken += property.places.*place == at;
    if (taken != 1) return false;
  }
  for (const Property& property : kProperties) {
    if ((property.places.create == 0) !=
        (property.presets.create.source == Preset::Source::kNone)) {
      return false;
    }
  }
  return true;
}
static_assert(WellPlaced(&Places::slot) && CountPlaced(&Places::slot) == kPropertyCount);
static_assert(WellPlaced(&Places::save) && CountPlaced(&Places::save) == kPropertyCount);
static_assert(WellPlaced(&Places::create));

// The properties that have a place in `kPlace`, in that order.
template <int Places::*kPlace>
constexpr std::array<Property, CountPlaced(kPlace)> InOrder() {
  std::array<Property, CountPlaced(kPlace)> ordered{};
  for (const Property& property : kProperties) {
    if (const int at = property.places.*kPlace; at != 0) ordered[at - 1] = property;
  }
  return ordered;
}

// The interface's order, in which property browsers list the properties.
inline constexpr auto kSlotOrder = InOrder<&Places::slot>();
// The order in which a save writes the keys.
inline constexpr auto kSaveOrder = InOrder<&Places::save>();
// A new instance sets fourteen properties; the custom colours stay 0.
inline constexpr auto kCreationOrder = InOrder<&Places::create>();

constexpr const std::array<Property, kPropertyCount>& PropertyDescriptions() { return kSlotOrder; }

// The description of the property `name`; empty for an unknown name or a
// property without one.
constexpr std::string_view DescriptionOf(std::string_view name) {
  for (const Property& property : kProperties) {
    if (property.name == name) return property.description;
  }
  return {};
}

}  // namespace quorvel::progressbar
