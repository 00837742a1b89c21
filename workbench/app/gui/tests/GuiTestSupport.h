// Helpers of the window tests: a scratch folder with its own INI file (through BALIMOR_INI) and
// profile folder, the workbench made as the program makes it, and a watcher that answers the
// modal dialogs the workbench opens (message boxes, questions, the run dialog) and records them.
#pragma once

#include <QDir>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

class CBalimorApp;
class QWidget;

namespace guitest {

// A scratch folder for one test: BALIMOR_INI names "test.INI" in it and XDG_CONFIG_HOME a
// folder in it, so that nothing of the person's own settings is read or written.
class Scratch {
 public:
  Scratch();
  QString Path(const QString& name) const { return dir.filePath(name); }
  QString Ini() const { return Path(QStringLiteral("test.INI")); }
  // Writes a file (made executable when asked); its path.
  QString Write(const QString& name, const QByteArray& text, bool executable = false) const;
  static QByteArray Read(const QString& path);

 private:
  QTemporaryDir temp;
  QDir dir;
};

// The workbench as the program builds it, with the fitters of the build folder beside it.
std::unique_ptr<CBalimorApp> MakeApp();

// Answers every modal dialog that opens while it lives: a message box or question is recorded
// as "caption: text" and answered (Yes for questions); the run dialog is recorded with its
// output and, when onRun is set, handed to it (return true to press its Cancel).
class ModalWatcher : public QObject {
 public:
  ModalWatcher();
  QStringList messages;   // "caption: text" of every box answered
  QStringList runOutputs; // the output shown by every run dialog when it closed
  // Called every 20 ms while a run dialog is up with the output it shows; true cancels.
  std::function<bool(const QString& output, int elapsedMs)> onRun;
  bool yes = true;
  int runsSeen = 0;

 private:
  void Poll();
  QTimer timer;
  QWidget* lastRun = nullptr;
  int runStart = 0;
  int ticks = 0;
};

// The path of a real data file, or empty (with the test skipped by the caller) when the folder
// of real files is absent.
QString RealData(const QString& name);
QString ExampleFile(const QString& name);

}  // namespace guitest
