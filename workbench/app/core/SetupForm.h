// CSetupForm: the values and operations of the fit setup form, the left pane of the
// workbench, without any widget. The Qt form binds its widgets to these values and forwards
// its clicks; balimor-cli and the tests drive it directly. The form keeps the document's fit
// record up to date, writes the PFC job, has the fit run (FitRun.h) and shows what came back:
// the refined job in the form and the model curves, the report in the report text, the
// peak-area part of the report in the document's peak area text. It follows the document's
// announcements (a new document, the file names of a direct load, a coming paint). The peak
// table side of the form (Add/Delete, the spin couplings, Cal, Default) is in
// SetupFormPeaks.cpp.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FitOutcome.h"
#include "FormNumbers.h"
#include "PeakSearch.h"
#include "readers/ColumnReader.h"

class CBalimorDoc;
class CIniFile;
class CPeakSearchDialog;
struct CFitRunPlan;

// What the form's widgets do for the form: take the values typed into them, show the values
// held here, and show the wait cursor. The console and the tests have no widgets.
class ISetupFormView {
 public:
  virtual ~ISetupFormView() = default;
  virtual void TakeValues() {}
  virtual void ShowValues() {}
  virtual void SetWaitCursor(bool) {}
};

// The values of the "Setup LSQ" dialog.
struct CSetupLsqValues {
  std::string xrdProgram;
  std::string ramanProgram;
  int maxIteration = form::kMaxIteration;
  double eps = form::kEps;
  double dampingFactor = form::kDampingFactor;
  int iPrt = form::kIPrt;
  int iPrtIntvl = form::kIPrtIntvl;
  std::string method = ini::kMethod.def;
};

// The methods the "Setup LSQ" dialog offers for the diffraction fitter.
inline const char* const kFitMethods[] = {"Marq", "MarqAdaptive"};

class CSetupForm {
 public:
  // The fields with a spin button or a typing coupling.
  enum Field {
    kB0, kB1, kB2, kB3, kB4,
    kPosition, kCTotal, kGaussFraction, kFWHMGLRatio, kCGauss, kCLorentz, kFWHMGauss,
    kFWHMLorentz, kAniso, kLKa1, kLKa2, kQRange
  };
  // The three files of the form ("Ed" and "Path" buttons), and the two ranges.
  enum File { kInputFile, kPfcFile, kOutputFile };
  enum Range { kOptimizeRange, kOutputRange };

  // Subscribes to the document's announcements, runs LoadSetup and then empties the three
  // paths, as the form does when it is created.
  explicit CSetupForm(CBalimorDoc& doc);
  ~CSetupForm();
  CSetupForm(const CSetupForm&) = delete;
  CSetupForm& operator=(const CSetupForm&) = delete;

  void SetView(ISetupFormView* v) { view = v; }

  // [LSQ] into the form; the form's values back into [LSQ] (the keys the form saves).
  void LoadSetup();
  void SaveSetup();
  // The form's values into the fit record (before every run, after every change).
  void ApplySetup();
  // Takes the values typed into the form's widgets (before every paint, through the
  // document's announcement).
  void TakeValues() { Take(); }
  // The peak list anew, entry k selected and shown when it exists.
  void FillPeakList(int k);
  // Loads a data file: names of the job and report beside it, both ranges from the data, an
  // existing job of that name read. 1, or -1 when there is no frame or curve to take the
  // ranges from; the loader's result is kept in lastLoadResult.
  int OpenInputFile(const std::string& path);
  // The same with the file imported as column text (CBalimorDoc::ImportColumns); the job and
  // the report are "#0" beside it.
  int OpenColumnFile(const std::string& path, const CColumnChoice& choice, std::optional<DataKind> kind);
  // Reads the job at path with its points (they replace the loaded data) and shows it.
  // 1, or -1 when it cannot be read or the frame cannot be made.
  int ReloadPfc(const std::string& path);
  // Takes the settings, background and peaks of the job at path, without its points, as
  // OpenInputFile takes an existing job of the data file's name: 1, or -1 when it cannot be
  // read. The loaded data stay; the peak list shows the job's first peak.
  int TakeJob(const std::string& path);

  // "Open": the reset of a new document, then the input file's "Path" button.
  void OnFileOpen();
  // Buttons.
  void OnPathButton(File which);
  void OnEditButton(File which);
  void OnViewRange(Range which);    // "ViewRng": the range := frame 0's displayed X limits
  void OnSetViewRange(Range which); // "v": frame 0's X limits := the range
  void OnAddPeak();
  void OnDeletePeak();
  void OnClearPeaks();
  // The selection of the peak list changed to entry k.
  void OnSelectPeak(int k);
  // "Peak Search": the dialog, made after the form's values are applied and its output range
  // copied into the record; null when frame 0 holds no curve. After the dialog has closed,
  // AfterPeakSearch refills the list and redraws.
  std::unique_ptr<CPeakSearchDialog> MakePeakSearchDialog();
  void AfterPeakSearch();
  void OnSavePfc();
  void OnLog();
  void OnCal();
  void OnDefault();
  void OnRedraw();
  // A click of a spin button; d is the step the control reports (−1 for the up arrow).
  void OnSpin(Field f, int d);
  // A value typed into a field (its value already taken).
  void OnEdited(Field f);

  // "Setup LSQ": the dialog's values from the record; OK stores them in the record and
  // writes them to [SetupLSQ].
  CSetupLsqValues SetupLsqValues() const;
  void StoreSetupLsq(const CSetupLsqValues& v);
  // The dialog's "Path" buttons: a program chosen through the file dialog.
  bool ChooseProgram(std::string& path);

  // "Curve Fit": refuses a job beyond its fitter's limits (CheckFitLimits; nothing written or
  // run), else writes the job, runs the fitter of the data kind (FitRunFor, RunFit) and shows
  // what came back: a fit that stopped at its cycle or iteration limit, and warnings on its
  // peaks, are noted in the status bar and at the report's end.
  void OnExecdastelbutton();

  // The form's values.
  std::string inputPath, pfcPath, outputPath;
  double optLow = form::kOptLow, optHigh = form::kOptHigh;      // "Optimize Region:"
  double calcLow = form::kCalcLow, calcHigh = form::kCalcHigh;  // "Output Region:"
  int peakIndex = 0;                      // the read-only box beside "Position"
  double value[CPeakSearch::kColumns] = {};
  bool optimize[CPeakSearch::kColumns] = {};
  double b[CPeakSearch::kBackgroundTerms] = {};
  bool optimizeB[CPeakSearch::kBackgroundTerms] = {};
  double ramda1 = form::kCuKa1, ramda2 = form::kCuKa2, iRatio = form::kIRatio, qRange = form::kQRange;
  double deltaMagnification = form::kDeltaMagnification;  // "Delta Mag.", 0.001 to 1000
  bool autoRedraw = true;
  std::vector<std::string> peakList;
  int selected = -1;  // the selected entry of the peak list, -1 for none
  std::string logCaption = "Log";
  // The folder the fitter runs in and leaves its files in; empty: the job's folder. A series
  // gives every running fitter a folder of its own.
  std::string fitWorkDir;

  // What the last operations gave: the loader's result of OpenInputFile, whether the last
  // fit replaced the PFC file with the refined job, and how that fit ended (End::kUnknown when
  // it was refused, not run, or its refined job was not taken).
  int lastLoadResult = -1;
  bool lastFitRefined = false;
  CFitOutcome lastFitOutcome;

 private:
  CPeakSearch& Record();
  CIniFile& Ini();
  // Takes the typed values, and hands the document what the drawing shows of the form.
  void Take();
  void Show();
  void Redraw();
  void RedrawIfAuto();
  // The current values of the peak shown on the form, from the form's value array.
  double& V(CPeakSearch::Column c) { return value[c]; }
  // The couplings of the peak's values after field f changed: the intensity with its Gauss
  // fraction and heights, the widths with their ratio (a spin step and a typed value alike).
  void Couple(Field f);
  // A fit run and what the form shows of it: the job reloaded, the report and its peak-area
  // text.
  void RunAndShow(const CFitRunPlan& plan);
  // OpenInputFile and OpenColumnFile: load gives the loader's result and the number of the job
  // and report names.
  int OpenInput(const std::string& path, const std::function<std::pair<int, int>()>& load);
  // The background, the ranges and, with profileValues, the Kα ratio, wavelengths and Q range
  // of a job just read into the record.
  void TakeJobValues(const CPeakSearch& r, bool profileValues);
  // The file names of the text data command, announced by the document.
  void TakeFileNames(const std::string& data, const std::string& pfc, const std::string& out);

  CBalimorDoc& doc;
  ISetupFormView* view = nullptr;
  int newDocumentToken = 0, fileNamesToken = 0, drawingToken = 0;
};
