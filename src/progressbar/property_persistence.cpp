#include "progressbar/property_persistence.h"

#include <functional>
#include <optional>

#include "progressbar/property_descriptions.h"
#include "progressbar/stored_value.h"

namespace quorvel::progressbar {

namespace {

namespace key = property_name;

constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kDefaultEffectColour = Rgb(200, 200, 200);
constexpr char kNewCaption[] = "Vorn ProgressBar";

QVariant IntValue(std::int32_t value) { return QVariant(static_cast<int>(value)); }
QVariant ColourValue(Colour colour) { return QVariant(static_cast<uint>(colour)); }
QVariant FontValue(const FontRef& font) { return QVariant::fromValue(font); }

// One key of a restore: the value under `key` (its default when absent or
// unreadable as T) goes to `set`.
template <typename T>
void Restore(PropertyStore& store, std::string_view name, const QVariant& read_default,
             std::optional<T> (*convert)(const QVariant&),
             const std::function<Status(const T&)>& set) {
  std::optional<T> value = convert(store.ReadProperty(name, read_default));
  if (!value) value = convert(read_default);
  if (value) static_cast<void>(set(*value));
}

}  // namespace

Status InitProperties(ProgressBar& bar, const ProgressBarHost& host) {
  const std::function<Status()> steps[] = {
      [&] { return bar.SetMax(100); },
      [&] { return bar.SetMin(0); },
      [&] { return bar.SetValue(50); },
      [&] { return bar.SetRoundedValue(5); },
      [&] { return bar.SetEnabled(true); },
      [&] { return bar.SetTheme(1); },
      [&] { return bar.SetTextForeColor(0); },
      [&] { return bar.SetText(QString::fromLatin1(kNewCaption)); },
      [&] { return bar.SetTextAlignment(5); },
      [&] { return bar.SetTextEffect(5); },
      [&] { return bar.SetTextEffectColor(kWhite); },
      [&] { return bar.SetTextStyle(3); },
      [&] { return bar.SetOrientations(1); },
      [&] { return bar.SetTextFont(host.Font()); },
  };
  for (const std::function<Status()>& step : steps) {
    if (Status done = step(); !done.ok()) return done;
  }
  return Status::Ok();
}

void ReadProperties(ProgressBar& bar, const ProgressBarHost& host, PropertyStore& store) {
  using IntSetter = std::function<Status(const std::int32_t&)>;
  using ColourSetter = std::function<Status(const Colour&)>;
  auto integer = [&](std::string_view name, std::int32_t read_default, IntSetter set) {
    Restore<std::int32_t>(store, name, IntValue(read_default), &StoredInt32, set);
  };
  auto colour = [&](std::string_view name, Colour read_default, ColourSetter set) {
    Restore<Colour>(store, name, ColourValue(read_default), &StoredColour, set);
  };

  integer(key::kMax, 100, [&](std::int32_t v) { return bar.SetMax(v); });
  integer(key::kMin, 0, [&](std::int32_t v) { return bar.SetMin(v); });
  integer(key::kValue, 50, [&](std::int32_t v) { return bar.SetValue(v); });
  integer(key::kRoundedValue, 5, [&](std::int32_t v) { return bar.SetRoundedValue(v); });
  Restore<bool>(store, key::kEnabled, QVariant(true), &StoredBoolean,
                [&](bool v) { return bar.SetEnabled(v); });
  integer(key::kTheme, 1, [&](std::int32_t v) { return bar.SetTheme(v); });
  integer(key::kTextStyle, 1, [&](std::int32_t v) { return bar.SetTextStyle(v); });
  integer(key::kOrientations, 1, [&](std::int32_t v) { return bar.SetOrientations(v); });
  Restore<QString>(store, key::kText, QVariant(host.DisplayName()), &StoredText,
                   [&](const QString& v) { return bar.SetText(v); });
  colour(key::kTextEffectColor, kDefaultEffectColour,
         [&](Colour v) { return bar.SetTextEffectColor(v); });
  integer(key::kTextEffect, 1, [&](std::int32_t v) { return bar.SetTextEffect(v); });
  integer(key::kTextAlignment, 5, [&](std::int32_t v) { return bar.SetTextAlignment(v); });
  Restore<FontRef>(store, key::kTextFont, FontValue(host.Font()), &StoredFont,
                   [&](const FontRef& v) { return bar.SetTextFont(v); });
  colour(key::kTextForeColor, 0, [&](Colour v) { return bar.SetTextForeColor(v); });
  colour(key::kPBSCustomeColor2, 0, [&](Colour v) { return bar.SetPBSCustomeColor2(v); });
  colour(key::kPBSCustomeColor1, 0, [&](Colour v) { return bar.SetPBSCustomeColor1(v); });
}

Status WriteProperties(const ProgressBar& bar, const ProgressBarHost& host, PropertyStore& store) {
  struct Entry {
    std::string_view name;
    std::function<QVariant()> value;
    std::function<QVariant()> write_default;
  };
  const Entry entries[] = {
      {key::kOrientations, [&] { return IntValue(bar.Orientations()); },
       [] { return IntValue(1); }},
      {key::kMax, [&] { return IntValue(bar.Max()); }, [] { return IntValue(100); }},
      {key::kMin, [&] { return IntValue(bar.Min()); }, [] { return IntValue(0); }},
      {key::kValue, [&] { return IntValue(bar.Value()); }, [] { return IntValue(50); }},
      {key::kRoundedValue, [&] { return IntValue(bar.RoundedValue()); },
       [] { return IntValue(5); }},
      {key::kEnabled, [&] { return QVariant(bar.Enabled()); }, [] { return QVariant(true); }},
      {key::kTheme, [&] { return IntValue(bar.Theme()); }, [] { return IntValue(1); }},
      {key::kTextStyle, [&] { return IntValue(bar.TextStyle()); }, [] { return IntValue(1); }},
      {key::kTextFont, [&] { return FontValue(bar.TextFont()); },
       [&] { return FontValue(host.Font()); }},
      {key::kTextForeColor, [&] { return ColourValue(bar.TextForeColor()); },
       [] { return ColourValue(0); }},
      {key::kTextAlignment, [&] { return IntValue(bar.TextAlignment()); },
       [] { return IntValue(5); }},
      {key::kText, [&] { return QVariant(bar.Text()); }, [] { return QVariant(QString()); }},
      {key::kTextEffectColor, [&] { return ColourValue(bar.TextEffectColor()); },
       [] { return ColourValue(kDefaultEffectColour); }},
      {key::kTextEffect, [&] { return IntValue(bar.TextEffect()); }, [] { return IntValue(1); }},
      {key::kPBSCustomeColor2, [&] { return ColourValue(bar.PBSCustomeColor2()); },
       [] { return ColourValue(0); }},
      {key::kPBSCustomeColor1, [&] { return ColourValue(bar.PBSCustomeColor1()); },
       [] { return ColourValue(0); }},
  };
  for (const Entry& entry : entries) {
    const QVariant write_default = entry.write_default();
    if (Status written = store.WriteProperty(entry.name, entry.value(), write_default);
        !written.ok()) {
      return written;
    }
  }
  return Status::Ok();
}

}  // namespace quorvel::progressbar
