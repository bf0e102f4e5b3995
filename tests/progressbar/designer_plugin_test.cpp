// The Qt Designer plugin as Designer loads it: its interface, the widget it
// makes, its description of the widget, and a form saved and loaded back.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDomDocument>
#include <QFileInfo>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QtDesigner/QFormBuilder>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <memory>

#include "progressbar/property_table.h"
#include "progressbar/widget/progress_bar_widget.h"

namespace quorvel::progressbar {
namespace {

QDesignerCustomWidgetInterface* LoadPlugin() {
  static QPluginLoader loader(QStringLiteral(QUORVEL_DESIGNER_PLUGIN));
  EXPECT_TRUE(loader.load()) << loader.errorString().toStdString();
  return qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
}

TEST(DesignerPlugin, DescribesAndMakesTheWidget) {
  QDesignerCustomWidgetInterface* plugin = LoadPlugin();
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->name(), "quorvel::progressbar::ProgressBarWidget");
  EXPECT_EQ(plugin->group(), "Quorvel");
  EXPECT_FALSE(plugin->toolTip().isEmpty());
  EXPECT_FALSE(plugin->icon().isNull());
  EXPECT_EQ(plugin->includeFile(), "quorvel/progressbar/progress_bar_widget.h");
  EXPECT_FALSE(plugin->isContainer());

  QWidget parent;
  auto* bar = qobject_cast<ProgressBarWidget*>(plugin->createWidget(&parent));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->parentWidget(), &parent);
  EXPECT_EQ(bar->Text(), "Vorn ProgressBar");  // a new instance

  const QString xml = plugin->domXml();
  EXPECT_TRUE(xml.contains("<widget class=\"quorvel::progressbar::ProgressBarWidget\""));
  EXPECT_TRUE(
      xml.contains("<header location=\"global\">quorvel/progressbar/progress_bar_widget.h"));
  for (const Property& property : PropertyDescriptions()) {
    if (property.description.empty()) continue;
    const QString tooltip =
        QStringLiteral("<tooltip name=\"%1\">%2</tooltip>")
            .arg(QLatin1String(property.name.data(), property.name.size()),
                 QLatin1String(property.description.data(), property.description.size()));
    EXPECT_TRUE(xml.contains(tooltip)) << tooltip.toStdString();
  }
}

TEST(DesignerPlugin, AFormSavedAndLoadedBackKeepsEveryProperty) {
  ASSERT_NE(LoadPlugin(), nullptr);
  QFormBuilder builder;
  builder.setPluginPath({QFileInfo(QStringLiteral(QUORVEL_DESIGNER_PLUGIN)).absolutePath()});
  ASSERT_EQ(builder.customWidgets().size(), 1);

  QWidget form;
  form.setObjectName("Form");
  auto* bar = new ProgressBarWidget(&form);
  bar->setObjectName("bar");
  ASSERT_TRUE(bar->InitProperties().ok());
  bar->SetMax(500);
  bar->SetMin(20);
  bar->SetValue(321);
  bar->SetRoundedValue(0);
  bar->SetEnabled(false);
  bar->SetTheme(11);
  bar->SetTextStyle(2);
  bar->SetOrientations(2);
  bar->SetTextAlignment(9);
  bar->SetText("Saved");
  bar->SetTextEffectColor(0x00102030);
  bar->SetTextEffect(4);
  bar->SetTextForeColor(0x00405060);
  bar->SetTextFontValue(QFont("DejaVu Serif", 13));
  bar->SetPBSCustomeColor1(0x00708090);
  bar->SetPBSCustomeColor2(0x00A0B0C0);
  QBuffer written;
  ASSERT_TRUE(written.open(QIODevice::ReadWrite));
  builder.save(&written, &form);
  // Designer writes a widget's properties in declaration order (QFormBuilder
  // in any order), and the range rules make Max, Min, Value an order that
  // matters: put them as Designer does.
  QDomDocument document;
  ASSERT_TRUE(document.setContent(written.data()));
  QDomElement widget = document.documentElement().firstChildElement("widget");
  widget = widget.firstChildElement("widget");
  ASSERT_EQ(widget.attribute("class"), "quorvel::progressbar::ProgressBarWidget");
  const QMetaObject& meta = ProgressBarWidget::staticMetaObject;
  for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
    for (QDomElement p = widget.firstChildElement("property"); !p.isNull();
         p = p.nextSiblingElement("property")) {
      if (p.attribute("name") == meta.property(i).name()) {
        widget.appendChild(widget.removeChild(p));
        break;
      }
    }
  }
  QBuffer saved;
  saved.setData(document.toByteArray());
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));

  std::unique_ptr<QWidget> loaded(builder.load(&saved));
  ASSERT_NE(loaded, nullptr) << builder.errorString().toStdString();
  auto* back = loaded->findChild<ProgressBarWidget*>("bar");
  ASSERT_NE(back, nullptr);
  for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
    const char* name = meta.property(i).name();
    EXPECT_EQ(back->property(name), bar->property(name)) << name;
  }
}

}  // namespace
}  // namespace quorvel::progressbar
