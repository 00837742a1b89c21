#include "Batch.h"

#include <cstdio>

#include "IniKeys.h"

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
  if (options.columns)
    form.OpenColumnFile(file, *options.columns, options.kind);
  else
    form.OpenInputFile(file);
  if (form.lastLoadResult < 0) {
    std::fprintf(stderr, "balimor-cli: %s: the file could not be loaded\n", doc.GetPathName().c_str());
    return false;
  }
  CPeakSearch& record = doc.GetPeakSearch();
  if (options.kind) record.dataKind = *options.kind;
  if (!options.pfc.empty()) {
    form.pfcPath = options.pfc;
    if (form.ReloadPfc(options.pfc) != 1) {
      std::fprintf(stderr, "balimor-cli: can't read the job [%s]\n", options.pfc.c_str());
      return false;
    }
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
    searchDialog = form.MakePeakSearchDialog();
    if (!searchDialog) {
      std::fputs("balimor-cli: no data to search\n", stderr);
      return false;
    }
    if (options.smooth) searchDialog->nSmooth = *options.smooth;
    if (options.threshold) searchDialog->threshold = *options.threshold;
    if (options.searchMethod) searchDialog->method = *options.searchMethod;
    searchDialog->OnSearch();
    if (!searchOnly) {
      searchDialog->OnOK();
      form.FillPeakList(0);
    }
  }
  form.ApplySetup();
  return true;
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
