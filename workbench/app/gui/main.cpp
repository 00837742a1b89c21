// Balimor: the peak fitting workbench. Started with a data file named on its command line it
// opens that file as the document.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <clocale>
#include <cstdio>

#include "BalimorApp.h"
#include "BalimorVersion.h"
#include "GraphView.h"
#include "QtText.h"

int main(int argc, char** argv) {
  // Before the application object: no display is needed and no window opens.
  if (balimor::PrintVersionIfAsked(argc, argv, "Balimor")) return 0;
  QApplication app(argc, argv);
  // Qt set the C locale from the environment; the core reads and writes numbers with the C
  // library and wants "." as the decimal point.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Balimor"));
  QApplication::setApplicationVersion(QString::fromLatin1(balimor::kVersion));
  QApplication::setDesktopFileName(QStringLiteral("balimor"));

  CBalimorApp balimor;

  // BALIMOR_EXIT_AFTER_FIRST_PAINT: the start-up benchmark's probe; the program ends once the
  // graph view has painted for the first time.
  if (qEnvironmentVariableIsSet("BALIMOR_EXIT_AFTER_FIRST_PAINT"))
    QObject::connect(balimor.Frame().GraphView(), &CGraphView::firstPainted, &app,
                     [] { QTimer::singleShot(0, qApp, &QApplication::quit); });

  QStringList files = QApplication::arguments();
  files.removeFirst();
  ShowSplash(&balimor.Frame());
  balimor.Start(files);
  return app.exec();
}
