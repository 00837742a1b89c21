#include "FitSeriesDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <thread>

#include "BalimorDoc.h"
#include "QtText.h"
#include "SeriesTrend.h"
#include "SeriesTrendDialog.h"
#include "SetupForm.h"

CFitSeriesDialog::CFitSeriesDialog(CBalimorDoc& doc_, CSetupForm& form_, QWidget* parent)
    : QDialog(parent), doc(doc_), form(form_) {
  setWindowTitle(tr("Fit Series"));
  auto* layout = new QVBoxLayout(this);
  auto* fields = new QFormLayout;
  fileList = new QListWidget(this);
  chooseFiles = new QPushButton(tr("&Files..."), this);
  auto* filesBox = new QVBoxLayout;
  filesBox->addWidget(fileList);
  filesBox->addWidget(chooseFiles, 0, Qt::AlignLeft);
  fields->addRow(tr("Scans:"), filesBox);
  chain = new QRadioButton(tr("&Chain: each scan from the last converged fit"), this);
  fromJob = new QRadioButton(tr("&Every scan from the current job"), this);
  chain->setChecked(true);
  auto* modes = new QVBoxLayout;
  modes->addWidget(chain);
  modes->addWidget(fromJob);
  fields->addRow(tr("Start:"), modes);
  csvPath = new QLineEdit(this);
  chooseCsv = new QPushButton(tr("&Path"), this);
  auto* csvRow = new QHBoxLayout;
  csvRow->addWidget(csvPath, 1);
  csvRow->addWidget(chooseCsv);
  fields->addRow(tr("Summary (CSV):"), csvRow);
  layout->addLayout(fields);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  buttons->addButton(tr("F&it"), QDialogButtonBox::AcceptRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  const QString folder = QFileInfo(QString::fromStdString(form.inputPath)).absolutePath();
  connect(chooseFiles, &QPushButton::clicked, this, [this, folder] {
    const QStringList chosen = QFileDialog::getOpenFileNames(this, tr("Scans of the series"), folder);
    if (!chosen.isEmpty()) SetFiles(chosen);
  });
  connect(chooseCsv, &QPushButton::clicked, this, [this, folder] {
    const QString chosen = QFileDialog::getSaveFileName(this, tr("Summary of the series"), folder,
                                                        tr("CSV Files (*.csv);;All Files (*)"));
    if (!chosen.isEmpty()) csvPath->setText(chosen);
  });
}

CFitSeriesDialog::~CFitSeriesDialog() = default;

void CFitSeriesDialog::SetFiles(const QStringList& files) {
  std::vector<std::string> names;
  for (const QString& f : files) names.push_back(f.toStdString());
  std::stable_sort(names.begin(), names.end(), NaturalLess);
  fileList->clear();
  for (const std::string& n : names) fileList->addItem(QString::fromStdString(n));
}

void CFitSeriesDialog::accept() { Run(); }

bool CFitSeriesDialog::Run() {
  const QString csv = csvPath->text();
  if (fileList->count() == 0 || csv.isEmpty()) {
    QMessageBox::warning(this, tr("Fit Series"), tr("Choose the scans and the summary file."));
    return false;
  }
  // The current document's job, as the form holds it now, is where the series starts.
  QTemporaryDir scratch;
  form.ApplySetup();
  const std::string start = QDir(scratch.path()).filePath(QStringLiteral("start.pfc")).toStdString();
  if (!scratch.isValid() || doc.GetPeakSearch().SavePFCFile(start) != 1) {
    QMessageBox::warning(this, tr("Fit Series"), tr("The current job could not be written."));
    return false;
  }
  CSeriesSettings settings;
  for (int i = 0; i < fileList->count(); ++i) settings.files.push_back(fileList->item(i)->text().toStdString());
  settings.chain = chain->isChecked();
  settings.startJob = start;
  settings.jobs = settings.chain ? 1 : std::clamp(QThread::idealThreadCount(), 1, 2);
  settings.iniPath = doc.IniPath();
  settings.programDir = doc.ProgramDir();
  settings.workRoot = QDir(scratch.path()).filePath(QStringLiteral("fitters")).toStdString();
  settings.prepare = [](CBalimorDoc& d, CSetupForm& f, const std::string& file, const std::string& job) -> std::string {
    d.Ini().SetReadOnly(true);  // the window's settings stay as they are
    f.OpenInputFile(file);
    if (f.lastLoadResult < 0) return file + ": the file could not be loaded";
    if (!job.empty() && f.TakeJob(job) != 1) return "can't read the job [" + job + "]";
    f.ApplySetup();
    return {};
  };
  std::atomic<bool> cancel{false};
  settings.cancelRequested = [&cancel] { return cancel.load(); };

  CSummaryFile summary;
  std::string error;
  if (!summary.Replace(csv.toStdString(), std::string(kSeriesHeader) + "\n", error) ||
      !summary.OpenToAppend(csv.toStdString(), error)) {
    QMessageBox::warning(this, tr("Fit Series"), QString::fromStdString(error));
    return false;
  }
  std::vector<int> todo;
  for (int i = 0; i < static_cast<int>(settings.files.size()); ++i) todo.push_back(i);
  QProgressDialog progress(tr("Fitting the series..."), tr("Cancel"), 0, static_cast<int>(todo.size()), this);
  progress.setWindowTitle(tr("Fit Series"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setValue(0);
  std::atomic<int> done{0}, notConverged{0};
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    lastResult = RunSeriesIntoSummary(settings, todo, -1, summary, [&](const CSeriesScan& scan) {
      if (!SeriesScanConverged(scan)) ++notConverged;
      ++done;
    });
    finished = true;
  });
  // The window goes on with its events while the fits run.
  while (!finished) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
    if (progress.wasCanceled()) cancel = true;
    progress.setValue(done);
    progress.setLabelText(tr("Scan %1 of %2, %3 not converged").arg(done.load()).arg(todo.size()).arg(notConverged.load()));
    QThread::msleep(10);
  }
  worker.join();
  progress.setValue(static_cast<int>(todo.size()));
  lastCancelled = cancel;
  lastScans = done;
  if (!lastResult.written) QMessageBox::warning(this, tr("Fit Series"), QString::fromStdString(lastResult.error));

  const QString picture = QDir(scratch.path()).filePath(QStringLiteral("trend.png"));
  std::string why;
  const bool drawn = ExportSeriesTrend(csv.toStdString(), picture.toStdString(), doc.Platform(), doc.IniPath(),
                                       CFontSpec{"DejaVu Sans Mono", -12}, why);
  delete trend;
  trend = new CSeriesTrendDialog(csv, drawn ? picture : QString(), QString::fromStdString(why), this);
  trend->show();
  return true;
}
