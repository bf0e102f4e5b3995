// Runs the shell's tests inside one QApplication, off any screen unless the
// environment names a platform.

#include <QApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

#include "qt_printers.h"
#ifdef QUORVEL_WITH_WEB_ENGINE
#include "client/shell/qt/components/web_engine_environment.h"
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef QUORVEL_WITH_WEB_ENGINE
  quorvel::shell::PrepareWebEngineEnvironment();
#endif
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
