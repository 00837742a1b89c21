#include "QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "Process.h"
#include "QtText.h"
#include "RunDialog.h"
#include "Translations.h"

namespace {

// Ends a run: the child's process group (it was made the leader of a group of its own, so that
// whatever it started goes too) is asked to end, and killed when it has not after the grace
// time. The event loop goes on meanwhile, so the wait is a timer rather than the platform
// layer's own wait.
void EndChild(QProcess& proc) {
  const qint64 pid = proc.processId();
  if (pid > 0) {
    process::AskGroupToEnd(pid);
    QTimer::singleShot(process::kEndGrace, &proc, [&proc, pid] {
      if (proc.state() != QProcess::NotRunning) process::KillGroup(pid);
    });
    return;
  }
  proc.terminate();
  QTimer::singleShot(process::kEndGrace, &proc, [&proc] {
    if (proc.state() != QProcess::NotRunning) proc.kill();
  });
}

// The arguments after the program's name, as QProcess takes them.
QStringList Arguments(const std::vector<std::string>& argv) {
  QStringList args;
  for (std::size_t i = 1; i < argv.size(); ++i) args << Q(argv[i]);
  return args;
}

}  // namespace

QString MessageText(const std::string& text) {
  QString t = CoreText(text);
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return t;
}

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = Q(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = CoreText(parts[i].trimmed());
    if (desc.isEmpty()) break;
    // The description usually repeats the patterns in parentheses; Qt takes the patterns from
    // there, so the pair's own patterns replace them.
    if (desc.endsWith(QLatin1Char(')'))) {
      const int open = desc.lastIndexOf(QLatin1Char('('));
      if (open >= 0) desc = desc.left(open).trimmed();
    }
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString pattern = p.trimmed();
      if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
        patterns << QStringLiteral("*");
        continue;
      }
      patterns << pattern;
      if (pattern.toUpper() != pattern) patterns << pattern.toUpper();
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    entries << desc + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return entries.join(QLatin1String(";;"));
}

void QtPlatform::ShowMessage(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::NoIcon, CoreText(caption), MessageText(text), QMessageBox::Ok, parent_);
  if (caption.find("rror") != std::string::npos) box.setIcon(QMessageBox::Warning);
  box.exec();
}

namespace {

// The status bar's label that keeps the last note once a menu's or a tool button's tip has
// replaced the bar's message; made on first use.
QLabel* StatusNote(QStatusBar* bar, bool make) {
  auto* note = bar->findChild<QLabel*>(QStringLiteral("StatusNote"), Qt::FindDirectChildrenOnly);
  if (!note && make) {
    note = new QLabel(bar);
    note->setObjectName(QStringLiteral("StatusNote"));
    // Added while no message shows, so that the bar shows it whenever a message goes.
    bar->clearMessage();
    bar->addWidget(note, 1);
  }
  return note;
}

}  // namespace

void QtPlatform::ShowStatus(const std::string& text) {
  // A note of several lines is shown on the bar's one line, its lines side by side; the label
  // under the message holds it after the message has gone.
  auto* window = qobject_cast<QMainWindow*>(parent_.data());
  if (!window) return;
  const QString line = CoreText(text).replace(QLatin1Char('\n'), QStringLiteral("   "));
  StatusNote(window->statusBar(), true)->setText(line);
  window->statusBar()->showMessage(line);
}

bool QtPlatform::AskYesNo(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Question, CoreText(caption), MessageText(text), QMessageBox::Yes | QMessageBox::No,
                  parent_);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

int QtPlatform::ChooseLine(const std::string& caption, const std::vector<std::string>& lines) {
  QDialog dialog(parent_);
  dialog.setObjectName(QStringLiteral("SelectDataDialog"));
  dialog.setWindowTitle(QCoreApplication::translate("QtPlatform", "Select Data"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(CoreText(caption), &dialog));
  auto* list = new QListWidget(&dialog);
  for (const std::string& line : lines) list->addItem(Q(line));
  if (!lines.empty()) list->setCurrentRow(0);
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return list->currentRow();
}

bool QtPlatform::ChooseOpenFile(const std::string& filter, const std::string& directory, std::string& path) {
  const QString dir = Q(directory.empty() ? CurrentDirectory() : directory);
  const QString chosen = QFileDialog::getOpenFileName(parent_, QCoreApplication::translate("QtPlatform", "Open"), dir, QtFileFilter(filter));
  if (chosen.isEmpty()) return false;
  path = S(chosen);
  return true;
}

bool QtPlatform::ChooseSaveFile(const std::string& filter, const std::string& directory, std::string& path) {
  QString start = Q(directory.empty() ? CurrentDirectory() : directory);
  // A name offered by the caller ("*.pfc" is a pattern, not a name) starts the dialog.
  if (!path.empty() && path.find('*') == std::string::npos) start = QDir(start).filePath(Q(path));
  const QString chosen = QFileDialog::getSaveFileName(parent_, QCoreApplication::translate("QtPlatform", "Save As"), start, QtFileFilter(filter));
  if (chosen.isEmpty()) return false;
  path = S(chosen);
  return true;
}

bool QtPlatform::SetClipboardText(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;
  clipboard->setText(Q(text));
  return true;
}

std::string QtPlatform::CurrentDirectory() { return S(QDir::currentPath()); }

bool QtPlatform::SetCurrentDirectory(const std::string& dir) { return QDir::setCurrent(Q(dir)); }

ProgramRun QtPlatform::RunProgram(const std::vector<std::string>& argv, const std::string& workingDir,
                                  const std::string& commandLine, const ProgramOutputSink& sink) {
  ProgramRun result;
  if (argv.empty() || argv[0].empty()) {
    result.error = "no program named";
    return result;
  }
  // A note of an earlier run does not stay beside the result of this one.
  if (auto* window = qobject_cast<QMainWindow*>(parent_.data()))
    if (QLabel* note = StatusNote(window->statusBar(), false)) note->clear();
  QProcess proc;
  proc.setProgram(Q(argv[0]));
  proc.setArguments(Arguments(argv));
  if (!workingDir.empty()) proc.setWorkingDirectory(Q(workingDir));
  proc.setProcessChannelMode(QProcess::MergedChannels);
  proc.setStandardInputFile(QProcess::nullDevice());
  proc.setChildProcessModifier([] { process::LeadOwnGroup(); });

  proc.start();
  if (!proc.waitForStarted(-1)) {
    result.error = S(proc.errorString());
    return result;
  }

  running_ = true;
  CRunDialog dialog(Q(commandLine), parent_);
  dialog.setObjectName(QStringLiteral("RunDialog"));
  dialog.setWindowModality(Qt::ApplicationModal);
  bool cancelled = false;
  QEventLoop loop;
  auto cancel = [&] {
    if (cancelled) return;
    cancelled = true;
    dialog.ShowCancelling();
    EndChild(proc);
  };
  auto takeOutput = [&] {
    const QByteArray chunk = proc.readAll();
    if (chunk.isEmpty()) return;
    dialog.AppendOutput(chunk);
    if (sink && !sink(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())))) cancel();
  };
  QObject::connect(&proc, &QProcess::readyRead, &dialog, takeOutput);
  QObject::connect(&proc, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&dialog, &CRunDialog::cancelRequested, &dialog, cancel);
  dialog.show();
  if (proc.state() != QProcess::NotRunning) loop.exec();
  takeOutput();
  running_ = false;

  if (cancelled) {
    result.status = ProgramRun::kCancelled;
  } else if (proc.exitStatus() == QProcess::CrashExit) {
    result.status = ProgramRun::kSignalled;
    result.signal = proc.exitCode();
  } else {
    result.status = ProgramRun::kExited;
    result.exitCode = proc.exitCode();
  }
  return result;
}

bool QtPlatform::StartProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  return QProcess::startDetached(Q(argv[0]), Arguments(argv));
}
