#include "progress_bar_designer_plugin.h"

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QXmlStreamWriter>

#include "progressbar/property_table.h"
#include "progressbar/widget/progress_bar_widget.h"

namespace quorvel::progressbar {

namespace {

constexpr char kClassName[] = "quorvel::progressbar::ProgressBarWidget";

}  // namespace

ProgressBarDesignerPlugin::ProgressBarDesignerPlugin(QObject* parent) : QObject(parent) {}

QString ProgressBarDesignerPlugin::name() const { return QString::fromLatin1(kClassName); }

QString ProgressBarDesignerPlugin::group() const { return QStringLiteral("Quorvel"); }

QString ProgressBarDesignerPlugin::toolTip() const {
  return QStringLiteral("Self-drawn progress bar with ten themes and a captioned fill");
}

QString ProgressBarDesignerPlugin::whatsThis() const {
  return QStringLiteral(
      "A progress bar that draws itself: an integer range and position, ten colour themes, "
      "rounded corners, horizontal or vertical fill and a caption with nine placements and "
      "five text effects.");
}

QString ProgressBarDesignerPlugin::includeFile() const {
  return QStringLiteral("quorvel/progressbar/progress_bar_widget.h");
}

QIcon ProgressBarDesignerPlugin::icon() const {
  // The control draws its own icon: a gold bar at 60 % without a caption.
  ProgressBarWidget bar;
  bar.resize(22, 10);
  bar.SetValue(60);
  bar.SetRoundedValue(4);
  bar.SetTextStyle(TextStyle::kNone);
  QPixmap pixmap(22, 22);
  pixmap.fill(Qt::transparent);
  bar.render(&pixmap, QPoint(0, 6));
  return QIcon(pixmap);
}

QWidget* ProgressBarDesignerPlugin::createWidget(QWidget* parent) {
  auto* bar = new ProgressBarWidget(parent);
  static_cast<void>(bar->InitProperties());
  return bar;
}

void ProgressBarDesignerPlugin::initialize(QDesignerFormEditorInterface*) { initialized_ = true; }

QString ProgressBarDesignerPlugin::domXml() const {
  QString xml;
  QXmlStreamWriter out(&xml);
  out.setAutoFormatting(true);
  out.writeStartElement(QStringLiteral("ui"));
  out.writeAttribute(QStringLiteral("language"), QStringLiteral("c++"));
  out.writeStartElement(QStringLiteral("widget"));
  out.writeAttribute(QStringLiteral("class"), name());
  out.writeAttribute(QStringLiteral("name"), QStringLiteral("progressBar"));
  out.writeStartElement(QStringLiteral("property"));
  out.writeAttribute(QStringLiteral("name"), QStringLiteral("geometry"));
  out.writeStartElement(QStringLiteral("rect"));
  out.writeTextElement(QStringLiteral("x"), QStringLiteral("0"));
  out.writeTextElement(QStringLiteral("y"), QStringLiteral("0"));
  out.writeTextElement(QStringLiteral("width"), QStringLiteral("200"));
  out.writeTextElement(QStringLiteral("height"), QStringLiteral("24"));
  out.writeEndElement();  // rect
  out.writeEndElement();  // property
  out.writeEndElement();  // widget
  out.writeStartElement(QStringLiteral("customwidgets"));
  out.writeStartElement(QStringLiteral("customwidget"));
  out.writeTextElement(QStringLiteral("class"), name());
  out.writeTextElement(QStringLiteral("extends"), QStringLiteral("QWidget"));
  out.writeStartElement(QStringLiteral("header"));
  out.writeAttribute(QStringLiteral("location"), QStringLiteral("global"));
  out.writeCharacters(includeFile());
  out.writeEndElement();  // header
  // The property editor shows each description as its property's tooltip.
  out.writeStartElement(QStringLiteral("propertyspecifications"));
  for (const Property& property : PropertyDescriptions()) {
    if (property.description.empty()) continue;
    out.writeStartElement(QStringLiteral("tooltip"));
    out.writeAttribute(QStringLiteral("name"),
                       QString::fromUtf8(property.name.data(), property.name.size()));
    out.writeCharacters(
        QString::fromUtf8(property.description.data(), property.description.size()));
    out.writeEndElement();
  }
  out.writeEndElement();  // propertyspecifications
  out.writeEndElement();  // customwidget
  out.writeEndElement();  // customwidgets
  out.writeEndElement();  // ui
  return xml;
}

}  // namespace quorvel::progressbar
