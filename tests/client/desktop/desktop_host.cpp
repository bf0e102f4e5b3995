// The client's windows for a screen reader to read over the accessibility
// bus: a page listed and its first row chosen.  Lines on standard input
// drive it: "down" moves to the next row of the catalogue with the arrow
// key, "next" lists another page with another count, "quit" ends it.  Each
// is answered with "done" once handled.

#include <QApplication>
#include <QSocketNotifier>
#include <QTest>
#include <QTreeView>

#include <cstdio>
#include <iostream>
#include <string>

#include "desktop_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorvel-desktop-host"));
  quorvel::shell::testing::DesktopWindow desktop(/*skinned=*/false);
  desktop.StartAndChooseFirstRow();
  auto* list = desktop.window().findChild<QTreeView*>();

  QSocketNotifier input(0, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    std::string line;
    if (!std::getline(std::cin, line) || line == "quit") {
      QApplication::quit();
      return;
    }
    if (line == "down") {
      desktop.window().activateWindow();
      list->setFocus(Qt::TabFocusReason);
      QTest::keyClick(list, Qt::Key_Down);
    } else if (line == "next") {
      desktop.components().scripted.QueueReply(quorvel::shell::testing::OrdinaryPage("57"));
      QTest::mouseClick(desktop.window().findChild<QWidget*>(QStringLiteral("Hou")),
                        Qt::LeftButton);
    }
    std::printf("done\n");
    std::fflush(stdout);
  });
  std::printf("ready\n");
  std::fflush(stdout);
  return app.exec();
}
