// Runs the Qt Quick tests of the QML module Quorvel.ProgressBar (tst_*.qml
// beside this file) in a QApplication, so that they can hold the item against
// a ProgressBarWidget, and gives them WidgetComparison for that.
#include <QtQuickTest/quicktest.h>
#include <quorvel/progressbar/progress_bar_widget.h>
#include <quorvel/progressbar/window_region.h>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QImage>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QVariantMap>
#include <cstdlib>
#include <utility>

namespace {

// The item's properties and the widget's of the same meaning, Max, Min and
// Value first, as a restore sets them.
constexpr std::pair<const char*, const char*> kProperties[] = {
    {"max", "Max"},
    {"min", "Min"},
    {"value", "Value"},
    {"roundedValue", "RoundedValue"},
    {"enabled", "Enabled"},
    {"theme", "Theme"},
    {"textStyle", "TextStyle"},
    {"orientations", "Orientations"},
    {"textAlignment", "TextAlignment"},
    {"text", "Text"},
    {"textEffectColor", "TextEffectColor"},
    {"textEffect", "TextEffect"},
    {"textForeColor", "TextForeColor"},
    {"textFont", "TextFont"},
    {"pbsCustomeColor1", "PBSCustomeColor1"},
    {"pbsCustomeColor2", "PBSCustomeColor2"},
};

class WidgetComparison : public QObject {
  Q_OBJECT

 public:
  // What differs between `item` as its window shows it and a
  // ProgressBarWidget of the same size with the item's sixteen values, pixel
  // for pixel at the screen's pixel ratio: inside the bar's window region
  // both must have the same bytes; outside it, where the widget is masked,
  // the item must let `background` through. Empty when nothing differs.
  Q_INVOKABLE QString differences(QQuickItem* item, const QColor& background) const {
    quorvel::progressbar::ProgressBarWidget widget;
    const QSize size = QSizeF(item->width(), item->height()).toSize();
    widget.resize(size);
    for (const auto& [item_name, widget_name] : kProperties) {
      widget.setProperty(widget_name, item->property(item_name));
    }
    widget.Bar().Resize();
    const QImage expected = widget.BackBuffer();
    const QImage scene = item->window()->grabWindow().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = item->window()->effectiveDevicePixelRatio();
    if (expected.size() != size * ratio) {
      return QStringLiteral("the widget painted %1 x %2 device pixels, not %3 x %4")
          .arg(expected.width())
          .arg(expected.height())
          .arg(size.width() * ratio)
          .arg(size.height() * ratio);
    }
    const QPoint origin = (item->mapToScene(QPointF(0, 0)) * ratio).toPoint();
    const QRegion region = quorvel::progressbar::ToQRegion(
        {0, 0, size.width(), size.height(), widget.RoundedValue(), widget.RoundedValue()});
    int count = 0;
    QString first;
    for (int y = 0; y < expected.height(); ++y) {
      for (int x = 0; x < expected.width(); ++x) {
        // The logical pixel that holds device pixel (x, y).
        const bool inside =
            region.contains(QPoint(static_cast<int>(x / ratio), static_cast<int>(y / ratio)));
        const QRgb want = inside ? expected.pixel(x, y) : background.rgb();
        const QRgb seen = scene.pixel(origin + QPoint(x, y));
        if (seen == want) continue;
        if (count++ == 0) {
          first = QStringLiteral("(%1, %2) %3: %4, the widget %5")
                      .arg(x)
                      .arg(y)
                      .arg(inside ? QStringLiteral("inside") : QStringLiteral("outside"))
                      .arg(seen & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                      .arg(want & 0xFFFFFF, 6, 16, QLatin1Char('0'));
        }
      }
    }
    return count == 0 ? QString()
                      : QStringLiteral("%1 pixels differ, first %2").arg(count).arg(first);
  }

  // What screen readers are told of `item`: role, name and, when it has one,
  // its value within its range.
  Q_INVOKABLE QVariantMap accessible(QQuickItem* item) const {
    QVariantMap seen;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(item);
    if (accessible == nullptr) return seen;
    seen.insert(QStringLiteral("role"), static_cast<int>(accessible->role()));
    seen.insert(QStringLiteral("name"), accessible->text(QAccessible::Name));
    if (QAccessibleValueInterface* value = accessible->valueInterface()) {
      seen.insert(QStringLiteral("value"), value->currentValue());
      seen.insert(QStringLiteral("minimum"), value->minimumValue());
      seen.insert(QStringLiteral("maximum"), value->maximumValue());
    }
    return seen;
  }
};

class Setup : public QObject {
  Q_OBJECT

 public Q_SLOTS:
  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->addImportPath(QStringLiteral(QUORVEL_QML_IMPORT_PATH));
    qmlRegisterSingletonInstance("Quorvel.Testing", 1, 0, "WidgetComparison", &comparison_);
  }

 private:
  WidgetComparison comparison_;
};

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The scene graph's software renderer: the same pixels on every machine.
  if (std::getenv("QT_QUICK_BACKEND") == nullptr) setenv("QT_QUICK_BACKEND", "software", 1);
  QApplication application(argc, argv);
  Setup setup;
  return quick_test_main_with_setup(argc, argv, "progressbar_quick", QUICK_TEST_SOURCE_DIR, &setup);
}

#include "quick_test_main.moc"
