#include "Batch.h"

#include <cstdio>
#include <filesystem>

#include "IniKeys.h"

namespace fs = std::filesystem;

CBatchSession::CBatchSession(const BatchOptions& options_, bool answerYes)
    : location(CIniLocation::ForProgram(platform, platform.RunningProgramPath())),
      doc(platform, location.iniPath, location.programDir),
      form(doc),
      options(options_) {
  doc.Ini().SetReadOnly(true);
  platform.yesNoAnswer = answerYes;
  platform.lineAnswer = options.section;
}

bool CBatchSession::Prepare(const std::string& file, bool searchOnly) {
  const std::string why = PrepareFile(doc, form, options, file, searchOnly, &searchDialog);
  if (why.empty()) return true;
  std::fprintf(stderr, "balimor-cli: %s\n", why.c_str());
  return false;
}

std::string PrepareFile(CBalimorDoc& doc, CSetupForm& form, const BatchOptions& options, const std::string& file,
                        bool searchOnly, std::unique_ptr<CPeakSearchDialog>* searchDialog, const ScanStart& start) {
  if (options.columns)
    form.OpenColumnFile(file, *options.columns, options.kind);
  else
    form.OpenInputFile(file);
  if (form.lastLoadResult < 0) return doc.GetPathName() + ": the file could not be loaded";
  CPeakSearch& record = doc.GetPeakSearch();
  if (options.kind) record.dataKind = *options.kind;
  if (!start.jobsDir.empty()) {
    // The scan's job and report in the folder of jobs, its own job there taken when it has one.
    const std::string folder = start.jobsDir + "/";
    form.pfcPath = folder + fs::path(form.pfcPath).filename().string();
    form.outputPath = folder + fs::path(form.outputPath).filename().string();
    std::error_code ec;
    if (start.job.empty() && fs::is_regular_file(form.pfcPath, ec)) form.TakeJob(form.pfcPath);
  }
  if (!start.job.empty() && form.TakeJob(start.job) != 1) return "can't read the job [" + start.job + "]";
  if (!options.pfc.empty()) {
    form.pfcPath = options.pfc;
    if (form.ReloadPfc(options.pfc) != 1) return "can't read the job [" + options.pfc + "]";
  }
  if (options.low && options.high) {
    form.optLow = form.calcLow = *options.low;
    form.optHigh = form.calcHigh = *options.high;
  }
  if (!options.program.empty()) {
    const bool diffraction = record.dataKind == DataKind::Diffraction;
    const IniKey& key = diffraction ? ini::kXRDLSQProgram : ini::kRamanLSQProgram;
    doc.Ini().Override(key.section, key.key, options.program);
    (diffraction ? record.xrdProgram : record.ramanProgram) = options.program;
  }
  if (!options.method.empty()) doc.Ini().Override(ini::kMethod.section, ini::kMethod.key, options.method);
  if (options.clear) {
    // "Clear Peaks", with the form's background cleared as well, so that the run starts as on
    // a file without a job and a repeated run gives the same job.
    form.OnClearPeaks();
    for (int k = 0; k < CPeakSearch::kBackgroundTerms; ++k) {
      form.b[k] = record.b[k];
      form.optimizeB[k] = record.optimizeB[k] == 1;
    }
  }
  if (options.search || searchOnly) {
    std::unique_ptr<CPeakSearchDialog> dialog = form.MakePeakSearchDialog();
    if (!dialog) return "no data to search";
    if (options.smooth) dialog->nSmooth = *options.smooth;
    if (options.threshold) dialog->threshold = *options.threshold;
    if (options.searchMethod) dialog->method = *options.searchMethod;
    dialog->OnSearch();
    if (!searchOnly) {
      dialog->OnOK();
      form.FillPeakList(0);
    }
    if (searchDialog) *searchDialog = std::move(dialog);
  }
  form.ApplySetup();
  return {};
}

std::string WithNewlines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out;
}
