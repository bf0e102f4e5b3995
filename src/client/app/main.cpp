// The client: its main window opens, runs the start-up sequence and is shown
// once page 1 of the catalogue is listed.  Nothing is read from the command
// line or a settings file, and of the environment only the machine's network
// settings the transfer honours (proxies, a CA file) and which display servers
// are at hand; the hosts are fixed at build time.

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "client/shell/addresses.h"
#include "client/shell/qt/app_icon.h"
#include "client/shell/qt/main_window.h"
#include "client/shell/qt/platform_choice.h"
#include "client/shell/qt/components/qt_main_components.h"

#ifdef QUORVEL_WITHOUT_WEB_PAGES
#include "client/shell/web_browser.h"
#else
#include "client/shell/qt/components/qt_web_browser.h"
#include "client/shell/qt/components/web_engine_environment.h"
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

// Qt ends the process from inside the QApplication constructor when no
// display server answers; started from a menu, the user needs the reason in
// plain words and an exit status, not a core dump.
QtMessageHandler previous_message_handler = nullptr;

void ReportFatalStartUpMessage(QtMsgType type, const QMessageLogContext& context,
                               const QString& message) {
  if (type != QtFatalMsg) {
    if (previous_message_handler != nullptr) {
      previous_message_handler(type, context, message);
    } else {
      std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, message)));
    }
    return;
  }
  std::fprintf(stderr,
               "%s\nquorvel: cannot open a window: no display server is reachable "
               "(DISPLAY or WAYLAND_DISPLAY names none that answers)\n",
               qUtf8Printable(message));
  std::fflush(stderr);
  std::_Exit(EXIT_FAILURE);
}

// The program runs on without its skin or music, as it always has; saying so
// tells an installer what is incomplete.
void ReportMissingAssets(const QString& program_folder) {
  for (const char* asset : {"/Skin/Skin.she", "/mp3/mp3.mp3"}) {
    const QString path = program_folder + QLatin1String(asset);
    if (!QFileInfo(path).isFile()) {
      std::fprintf(stderr, "quorvel: %s is missing; going on without it\n", qUtf8Printable(path));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
#ifndef QUORVEL_WITHOUT_WEB_PAGES
  quorvel::shell::PrepareWebEngineEnvironment();
#endif
  // Before Qt picks a platform: on a Wayland session with XWayland the
  // windows run on X, where the notice window can place itself.
  if (const std::string platform =
          quorvel::shell::PlatformToAskFor(quorvel::shell::CurrentDisplayEnvironment());
      !platform.empty()) {
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
  }
  previous_message_handler = qInstallMessageHandler(&ReportFatalStartUpMessage);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous_message_handler);
  if (const std::string warning =
          quorvel::shell::PlacementWarning(QGuiApplication::platformName().toStdString());
      !warning.empty()) {
    std::fprintf(stderr, "%s\n", warning.c_str());
  }
  QApplication::setApplicationName(QStringLiteral("Quorvel"));
  // Lets the desktop match the window to the installed menu entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvel.Quorvel"));
  ReportMissingAssets(QCoreApplication::applicationDirPath());
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
