#include "GuiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "BalimorApp.h"
#include "RunDialog.h"

namespace guitest {

Scratch::Scratch() : dir(temp.path()) {
  qputenv("BALIMOR_INI", Ini().toLocal8Bit());
  dir.mkpath(QStringLiteral("config"));
  qputenv("XDG_CONFIG_HOME", Path(QStringLiteral("config")).toLocal8Bit());
}

QString Scratch::Write(const QString& name, const QByteArray& text, bool executable) const {
  const QString path = Path(name);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(text);
  f.close();
  if (executable) f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
  return path;
}

QByteArray Scratch::Read(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

std::unique_ptr<CBalimorApp> MakeApp() {
  return std::make_unique<CBalimorApp>(BALIMOR_BIN_DIR "/Balimor");
}

ModalWatcher::ModalWatcher() {
  connect(&timer, &QTimer::timeout, this, &ModalWatcher::Poll);
  timer.start(20);
}

void ModalWatcher::Poll() {
  ++ticks;
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal) return;
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    QString text = box->text();
    messages << box->windowTitle() + QStringLiteral(": ") + text;
    if (QAbstractButton* b = box->button(yes ? QMessageBox::Yes : QMessageBox::No))
      b->click();
    else if (QAbstractButton* ok = box->button(QMessageBox::Ok))
      ok->click();
    else
      box->reject();
    return;
  }
  if (auto* run = qobject_cast<CRunDialog*>(modal)) {
    if (run != lastRun) {
      lastRun = run;
      runStart = ticks;
      ++runsSeen;
      connect(run, &QObject::destroyed, this, [this, run] {
        if (lastRun == run) lastRun = nullptr;
      });
      runOutputs << QString();
    }
    runOutputs.last() = run->Output();
    if (onRun && onRun(run->Output(), (ticks - runStart) * 20)) {
      onRun = nullptr;
      if (auto* cancel = run->findChild<QPushButton*>(QStringLiteral("cancelButton"))) cancel->click();
    }
    return;
  }
  // Any other dialog (a file dialog) is cancelled.
  if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
}

QString RealData(const QString& name) {
  const QString path = QStringLiteral(BALIMOR_REALDATA_DIR "/") + name;
  return QFileInfo::exists(path) ? QFileInfo(path).absoluteFilePath() : QString();
}

QString ExampleFile(const QString& name) { return QStringLiteral(BALIMOR_EXAMPLES_DIR "/") + name; }

}  // namespace guitest
