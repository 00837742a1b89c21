#include "QuietQtStart.h"

#include <QString>
#include <QtGlobal>

namespace {

QtMessageHandler previousHandler = nullptr;

// Qt falls back to a folder of its own when XDG_RUNTIME_DIR is unset (a console login, a
// service, a container); the drawing does not use that folder, so the remark says nothing to
// the person who asked for a picture.
void FilterStartRemarks(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
    return;
  previousHandler(type, context, message);
}

}  // namespace

void QuietQtStart() { previousHandler = qInstallMessageHandler(FilterStartRemarks); }

std::unique_ptr<QGuiApplication> StartDrawingApplication() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt keeps the arguments for the application's life.
  static int argc = 1;
  static char name[] = "balimor-cli";
  static char* argv[] = {name, nullptr};
  QuietQtStart();
  return std::make_unique<QGuiApplication>(argc, argv);
}
