#include "progressbar/property_persistence.h"

#include <optional>

#include "progressbar/property_table.h"
#include "progressbar/stored_value.h"

namespace quorvel::progressbar {

namespace {

// `value` as the type of its property; nullopt when it cannot be read as one.
std::optional<QVariant> AsType(PropertyType type, const QVariant& value) {
  const auto wrap = [](const auto& converted) -> std::optional<QVariant> {
    if (!converted) return std::nullopt;
    return QVariant::fromValue(*converted);
  };
  switch (type) {
    case PropertyType::kInt32:
      return wrap(StoredInt32(value));
    case PropertyType::kBoolean:
      return wrap(StoredBoolean(value));
    case PropertyType::kColour:
      return wrap(StoredColour(value));
    case PropertyType::kText:
      return wrap(StoredText(value));
    case PropertyType::kFont:
      return wrap(StoredFont(value));
  }
  return std::nullopt;
}

// What `preset` stands for as a value of `property`; the host's display name
// and font are fetched now.
QVariant PresetValue(const Property& property, const Preset& preset, const ProgressBarHost& host) {
  switch (preset.source) {
    case Preset::Source::kNumber:
      if (property.access.type == PropertyType::kBoolean) return QVariant(preset.number != 0);
      if (property.access.type == PropertyType::kColour) {
        return QVariant(static_cast<uint>(preset.number));
      }
      return QVariant(static_cast<int>(preset.number));
    case Preset::Source::kText:
      return QVariant(
          QString::fromUtf8(preset.text.data(), static_cast<qsizetype>(preset.text.size())));
    case Preset::Source::kDisplayName:
      return QVariant(host.DisplayName());
    case Preset::Source::kAmbientFont:
      return QVariant::fromValue(host.Font());
    case Preset::Source::kNone:
      break;
  }
  return QVariant();
}

}  // namespace

Status InitProperties(ProgressBar& bar, const ProgressBarHost& host) {
  for (const Property& property : kCreationOrder) {
    const QVariant value = PresetValue(property, property.presets.create, host);
    if (Status done = property.access.set(bar, value); !done.ok()) return done;
  }
  return Status::Ok();
}

void ReadProperties(ProgressBar& bar, const ProgressBarHost& host, PropertyStore& store) {
  for (const Property& property : kProperties) {
    const QVariant read_default = PresetValue(property, property.presets.restore, host);
    std::optional<QVariant> value =
        AsType(property.access.type, store.ReadProperty(property.name, read_default));
    if (!value) value = AsType(property.access.type, read_default);
    if (value) static_cast<void>(property.access.set(bar, *value));
  }
}

Status WriteProperties(const ProgressBar& bar, const ProgressBarHost& host, PropertyStore& store) {
  for (const Property& property : kSaveOrder) {
    const QVariant write_default = PresetValue(property, property.presets.save, host);
    if (Status written =
            store.WriteProperty(property.name, property.access.get(bar), write_default);
        !written.ok()) {
      return written;
    }
  }
  return Status::Ok();
}

}  // namespace quorvel::progressbar
