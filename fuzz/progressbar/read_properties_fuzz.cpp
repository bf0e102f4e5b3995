// Restores a progress bar from a property store filled from the fuzz input
// with arbitrary numbers, text, Booleans, bytes and fonts, painting every step
// into a small back buffer, then saves it and restores a second bar from the
// save. Whatever the store holds, the range must come out whole:
// 1 <= Max, 0 <= Min < Max, Min <= Value <= Max.
//
// Input: two bytes for the bar's width and height, then for each key in
// restore order a kind byte and its payload (see NextValue()); a key whose
// kind is "absent" or that the input does not reach stays out of the store.
#include <QFont>
#include <QGuiApplication>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "image_host.h"
#include "progressbar/memory_property_store.h"
#include "progressbar/progress_bar.h"
#include "progressbar/property_persistence.h"
#include "progressbar/property_table.h"

namespace {

namespace pb = quorvel::progressbar;

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return size_ == 0; }
  std::uint8_t Byte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  template <typename T>
  T Number() {
    T value{};
    std::uint8_t bytes[sizeof(T)] = {};
    for (std::uint8_t& b : bytes) b = Byte();
    std::memcpy(&value, bytes, sizeof(T));
    return value;
  }
  QByteArray Bytes() {
    const std::size_t length = std::min<std::size_t>(Byte(), size_);
    QByteArray bytes(reinterpret_cast<const char*>(data_), static_cast<qsizetype>(length));
    data_ += length;
    size_ -= length;
    return bytes;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

QFont FontFrom(Input& in, double largest_size) {
  QFont font(QString::fromUtf8(in.Bytes()));
  const double size = in.Number<std::int16_t>() / 4.0;
  if (size > 0) font.setPointSizeF(std::min(size, largest_size));
  const std::uint8_t flags = in.Byte();
  font.setBold(flags & 1);
  font.setItalic(flags & 2);
  font.setUnderline(flags & 4);
  font.setStrikeOut(flags & 8);
  return font;
}

// The value of one key, or an invalid QVariant to leave the key out.
QVariant NextValue(Input& in) {
  switch (in.Byte() % 10) {
    case 1:
      return QVariant(in.Number<std::int32_t>());
    case 2:
      return QVariant(in.Number<double>());
    case 3:
      return QVariant(QString::fromUtf8(in.Bytes()));
    case 4:
      return QVariant(static_cast<bool>(in.Byte() & 1));
    case 5:
      return QVariant(in.Number<std::uint32_t>());
    case 6:
      // A font object a host holds: any size it could sensibly have.
      return QVariant::fromValue(std::make_shared<QFont>(FontFrom(in, 72)));
    case 7:
      // A font value as a store might hand it back; its size is checked.
      return QVariant(FontFrom(in, 1e6));
    case 8:
      return QVariant(in.Bytes());
    case 9:
      return QVariant(in.Number<qlonglong>());
    default:
      return QVariant();
  }
}

void CheckRange(const pb::ProgressBar& bar) {
  if (!(bar.Max() >= 1 && bar.Min() >= 0 && bar.Min() < bar.Max() && bar.Min() <= bar.Value() &&
        bar.Value() <= bar.Max())) {
    std::abort();
  }
}

void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

void StartQt() {
  static const bool started = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(Quiet);
    static int argc = 1;
    static char name[] = "fuzz_read_properties";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    return true;
  }();
  static_cast<void>(started);
}

}  // namespace

// fontconfig, under Qt's font database, drops some of its own allocations
// when it matches a family; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  StartQt();
  Input in(data, size);
  const int width = 1 + in.Byte() % 160;
  const int height = 1 + in.Byte() % 48;
  pb::MemoryPropertyStore store;
  for (const pb::Property& property : pb::kProperties) {
    if (in.Empty()) break;
    if (const QVariant value = NextValue(in); value.isValid()) store.Set(property.name, value);
  }

  pb::testing::ImageHost host(QSize(width, height));
  pb::ProgressBar bar(host);
  pb::ReadProperties(bar, host, store);
  CheckRange(bar);

  pb::MemoryPropertyStore saved;
  static_cast<void>(pb::WriteProperties(bar, host, saved));
  pb::ProgressBar again(host);
  pb::ReadProperties(again, host, saved);
  CheckRange(again);
  return 0;
}
