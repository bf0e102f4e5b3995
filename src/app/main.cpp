// The client: its main window opens, runs the start-up sequence and is shown
// once page 1 of the catalogue is listed.  Nothing is read from the command
// line, the environment or a settings file; the hosts are fixed at build time.

#include <QApplication>

#include <cstdio>

#include "shell/addresses.h"
#include "shell/app_icon.h"
#include "shell/main_window.h"
#include "shell/qt/qt_main_components.h"

#ifdef QUORVEL_WITHOUT_WEB_PAGES
#include "shell/web_browser.h"
#else
#include "shell/qt/qt_web_browser.h"
#include "shell/qt/web_engine_environment.h"
#endif

namespace {

std::unique_ptr<quorvel::shell::WebBrowser> MakeWebBrowser(QWidget* host) {
#ifdef QUORVEL_WITHOUT_WEB_PAGES
  (void)host;
  return std::make_unique<quorvel::shell::NullWebBrowser>();
#else
  return quorvel::shell::MakeQtWebBrowser(host);
#endif
}

}  // namespace

int main(int argc, char** argv) {
#ifndef QUORVEL_WITHOUT_WEB_PAGES
  quorvel::shell::PrepareWebEngineEnvironment();
#endif
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvel"));
  QApplication::setWindowIcon(quorvel::shell::AppIcon());
  // The notice window and the main window live side by side; the program
  // ends when both are closed.
  QApplication::setQuitOnLastWindowClosed(true);

  quorvel::shell::QtMainComponents components(&MakeWebBrowser);
  quorvel::shell::Main main_window(components, quorvel::shell::BuiltInAddresses(),
                                   QCoreApplication::applicationDirPath());
  main_window.StartUp();
  // Lets a script that started the program know the first page is in.
  std::printf("listed: %d rows\n", main_window.ListedRows());
  std::fflush(stdout);
  return app.exec();
}
