// What Qt programs and tools expect of the widget: typed change signals, size
// hints that fit the caption, named option values, an accessible progress bar,
// and any value a property editor may send.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QFontMetricsF>
#include <QMetaProperty>
#include <QSignalSpy>
#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "progressbar/widget/progress_bar_accessible.h"
#include "progressbar/widget/progress_bar_widget.h"

namespace quorvel::progressbar {
namespace {

// Every change signal of the widget, in the order it came: "name" for
// propertyChanged(name), "name!" for the typed signal of the property name.
class SignalLog : public QObject {
  Q_OBJECT

 public:
  explicit SignalLog(ProgressBarWidget& widget) {
    connect(&widget, &ProgressBarWidget::propertyChanged, this,
            [this](const QString& name) { entries.push_back(name.toStdString()); });
    const QMetaObject& meta = ProgressBarWidget::staticMetaObject;
    const int slot = metaObject()->indexOfSlot("Typed()");
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
      const QMetaProperty property = meta.property(i);
      EXPECT_TRUE(property.hasNotifySignal()) << property.name();
      QMetaObject::connect(&widget, property.notifySignalIndex(), this, slot);
    }
  }
  std::vector<std::string> entries;

 public Q_SLOTS:
  void Typed() {
    const QMetaObject& meta = ProgressBarWidget::staticMetaObject;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
      if (meta.property(i).notifySignalIndex() == senderSignalIndex()) {
        entries.push_back(std::string(meta.property(i).name()) + "!");
      }
    }
  }
};

TEST(ProgressBarWidgetQt, TypedSignalsFollowEachNoticeInTheBarsOrder) {
  ProgressBarWidget widget;
  ASSERT_TRUE(widget.InitProperties().ok());
  SignalLog log(widget);
  widget.SetMax(40);  // moves Value from 50 to 40 first
  widget.SetTextStyle(TextStyle::kPercentage);
  widget.SetTheme(Theme::kCustom);
  widget.SetOrientations(Orientation::kVertical);
  widget.SetTextAlignment(TextAlignment::kBottomRight);
  widget.SetTextEffect(TextEffect::kOutline);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"Value", "Value!", "Max", "Max!", "TextStyle",
                                                   "TextStyle!", "Theme", "Theme!", "Orientations",
                                                   "Orientations!", "TextAlignment",
                                                   "TextAlignment!", "TextEffect", "TextEffect!"}));
  EXPECT_EQ(widget.TextStyle(), 2);
  EXPECT_EQ(widget.Theme(), 10);
  EXPECT_EQ(widget.TextAlignment(), 9);
}

TEST(ProgressBarWidgetQt, SizeHintsFitTheCaptionInItsFont) {
  ProgressBarWidget widget;
  widget.SetTextFontValue(QFont("DejaVu Sans", 20));
  widget.SetText("A caption much longer than the default width of a bar");
  const QFontMetricsF metrics(widget.TextFontValue());
  const QSize least = widget.minimumSizeHint();
  EXPECT_GE(least.width(), metrics.horizontalAdvance(widget.Text()) + 4);
  EXPECT_GE(least.height(), metrics.height() + 1);
  EXPECT_GT(widget.sizeHint().width(), least.width());
  EXPECT_GE(widget.sizeHint().height(), least.height());
  widget.SetTextStyle(0);
  EXPECT_LT(widget.minimumSizeHint().width(), least.width());
}

// Accessibility events seen by the update handler.
std::vector<QAccessible::Event>* g_events = nullptr;
int g_last_value = -1;
void RecordEvent(QAccessibleEvent* event) {
  if (g_events == nullptr) return;
  g_events->push_back(event->type());
  if (event->type() == QAccessible::ValueChanged) {
    g_last_value = static_cast<QAccessibleValueChangeEvent*>(event)->value().toInt();
  }
}

TEST(ProgressBarWidgetQt, ScreenReadersSeeAProgressBarWithItsCaptionAndRange) {
  ProgressBarWidget widget;
  widget.setObjectName("Download");
  ASSERT_TRUE(widget.InitProperties().ok());
  widget.SetMax(200);
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&widget);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::ProgressBar);
  EXPECT_EQ(accessible->text(QAccessible::Name), "Vorn ProgressBar");
  QAccessibleValueInterface* value = accessible->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->currentValue().toInt(), 50);
  EXPECT_EQ(value->minimumValue().toInt(), 0);
  EXPECT_EQ(value->maximumValue().toInt(), 200);
  widget.SetTextStyle(0);
  EXPECT_EQ(accessible->text(QAccessible::Name), "Download");

  std::vector<QAccessible::Event> events;
  g_events = &events;
  const AccessibilityUpdate before = ReplaceAccessibilityUpdate(&RecordEvent);
  widget.SetValue(120);
  ReplaceAccessibilityUpdate(before);
  g_events = nullptr;
  EXPECT_NE(std::find(events.begin(), events.end(), QAccessible::ValueChanged), events.end());
  EXPECT_EQ(g_last_value, 120);
}

// Whatever a property editor sends: ints at both ends of their range, the
// largest colours, an empty and a huge caption, and text where a font belongs.
TEST(ProgressBarWidgetQt, EveryPropertyTakesExtremeValuesThroughSetProperty) {
  ProgressBarWidget widget;
  widget.resize(160, 24);
  const QMetaObject& meta = ProgressBarWidget::staticMetaObject;
  for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
    const QMetaProperty property = meta.property(i);
    const std::string name = property.name();
    std::vector<QVariant> values;
    switch (property.typeId()) {
      case QMetaType::Int:
        values = {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX};
        break;
      case QMetaType::UInt:
        values = {0u, 0x00FFFFFFu, 0x80000000u, 0xFFFFFFFFu};
        break;
      case QMetaType::Bool:
        values = {false, true};
        break;
      case QMetaType::QString:
        values = {QString(), QString(100000, QChar(0x5B57)), QStringLiteral("\t\n\u0000")};
        break;
      default:  // the font
        values = {QFont("No Such Family", 1), QFont("DejaVu Sans", 400),
                  QStringLiteral("DejaVu Sans,12,-1,5,700,0,0,0,0,0"), QStringLiteral("junk"),
                  QFont()};
        break;
    }
    for (const QVariant& value : values) {
      widget.setProperty(name.c_str(), value);
      ASSERT_FALSE(widget.BackBuffer().isNull()) << name;
      if (name == "Max" || name == "Min" || name == "Value") {
        EXPECT_GE(widget.Max(), 1) << name << " " << value.toLongLong();
        EXPECT_GE(widget.Min(), 0) << name << " " << value.toLongLong();
        EXPECT_LT(widget.Min(), widget.Max()) << name << " " << value.toLongLong();
        EXPECT_GE(widget.Value(), widget.Min()) << name << " " << value.toLongLong();
        EXPECT_LE(widget.Value(), widget.Max()) << name << " " << value.toLongLong();
      } else if (property.typeId() != QMetaType::QFont) {
        EXPECT_EQ(widget.property(name.c_str()), value) << name;
      }
    }
  }
  EXPECT_EQ(widget.TextFontValue(), QFont());
}

}  // namespace
}  // namespace quorvel::progressbar

#include "progress_bar_widget_qt_test.moc"
