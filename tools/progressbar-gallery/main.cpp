// progressbar-gallery: the progress bar in all its looks, for a developer who
// is about to embed it. Its bars are kept in the user's settings between runs.
//
//   progressbar-gallery [--fresh] [--screenshot FILE.png]
//
// --fresh starts from the gallery's own bars, ignoring (and on exit replacing)
// what was saved; --screenshot saves a picture of the window and quits.
#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QSettings>
#include <QTimer>
#include <cstdio>

#include "gallery_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quorvel"));
  QApplication::setApplicationName(QStringLiteral("progressbar-gallery"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("The progress bar in every look it has."));
  parser.addHelpOption();
  const QCommandLineOption fresh(QStringLiteral("fresh"),
                                 QStringLiteral("Ignore the bars saved by an earlier run."));
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Save a picture of the window and quit."),
                                      QStringLiteral("file"));
  parser.addOption(fresh);
  parser.addOption(screenshot);
  parser.process(application);

  QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quorvel"),
                     QStringLiteral("progressbar-gallery"));
  quorvel::gallery::GalleryWindow window(settings, !parser.isSet(fresh));
  window.show();

  if (parser.isSet(screenshot)) {
    const QString path = parser.value(screenshot);
    QTimer::singleShot(300, &window, [&window, path] {
      const bool saved = window.grab().save(path);
      std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "cannot save",
                   qPrintable(path));
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return application.exec();
}
