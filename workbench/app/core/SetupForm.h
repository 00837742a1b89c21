// CSetupForm: the values and operations of the fit setup form, the left pane of the
// workbench, without any widget. The Qt form binds its widgets to these values and forwards
// its clicks; balimor-cli and the tests drive it directly. The form keeps the document's fit
// record up to date, writes the PFC job, runs the fitter chosen for the data kind and reads
// the results back: the refined job into the form and the model curves, the report into the
// report text, the peak-area part of the report into the document's peak area text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PeakSearch.h"
#include "Platform.h"

class CBalimorDoc;
class CGraphData;
class CIniFile;
class CPeakSearchDialog;

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
  int maxIteration = 30;
  double eps = 0.01;
  double dampingFactor = 0.3;
  int iPrt = 1;
  int iPrtIntvl = 10;
  std::string method = "Marq";
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

  // Runs LoadSetup and then empties the three paths, as the form does when it is created.
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
  // Takes the values typed into the form's widgets (the graph view does before it paints).
  void TakeValues() { Take(); }
  // The peak list anew, entry k selected and shown when it exists.
  void FillPeakList(int k);
  // Loads a data file: names of the job and report beside it, both ranges from the data, an
  // existing job of that name read. 1, or -1 when there is no frame or curve to take the
  // ranges from; the loader's result is kept in lastLoadResult.
  int OpenInputFile(const std::string& path);
  // Reads the job at path with its points (they replace the loaded data) and shows it.
  // 1, or -1 when it cannot be read or the frame cannot be made.
  int ReloadPfc(const std::string& path);

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

  // "Curve Fit": writes the job, runs the fitter of the data kind and reads the results back.
  void OnExecdastelbutton();
  int RunZentrab(const std::string& program);
  int RunSimplex();

  // The form's values.
  std::string inputPath, pfcPath, outputPath;
  double optLow = 5.0, optHigh = 70.0;    // "Optimize Region:"
  double calcLow = 5.0, calcHigh = 70.0;  // "Output Region:"
  int peakIndex = 0;                      // the read-only box beside "Position"
  double value[CPeakSearch::kColumns] = {};
  bool optimize[CPeakSearch::kColumns] = {};
  double b[CPeakSearch::kBackgroundTerms] = {};
  bool optimizeB[CPeakSearch::kBackgroundTerms] = {};
  double ramda1 = 1.54056, ramda2 = 1.54439, iRatio = 0.5, qRange = 5.0;
  double deltaMagnification = 1.0;  // "Delta Mag.", 0.001 to 1000
  bool autoRedraw = true;
  std::vector<std::string> peakList;
  int selected = -1;  // the selected entry of the peak list, -1 for none
  std::string logCaption = "Log";

  // What the last operations gave: the loader's result of OpenInputFile, and whether the last
  // fit replaced the PFC file with the refined job.
  int lastLoadResult = -1;
  bool lastFitRefined = false;

 private:
  CPeakSearch& Record();
  CIniFile& Ini();
  void Take();
  void Show();
  void Redraw();
  void RedrawIfAuto();
  // The current values of the peak shown on the form, from the form's value array.
  double& V(CPeakSearch::Column c) { return value[c]; }
  // Steps 6 to 8 of a fit run: report copied, refined job checked and copied over the PFC
  // file (or the previous one restored), the job reloaded and the report shown.
  void FinishRun(const std::string& workDir, const ProgramRun& run, const std::string& commandLine);
  // The refined job "new.pfc" is whole: it reads back completely in the form of this fit.
  bool RefinedJobIsWhole(const std::string& newPfc);

  CBalimorDoc& doc;
  ISetupFormView* view = nullptr;
};

// Copies src over dst the way the workbench copies its job files: the whole file is written
// beside dst and renamed into place, so a failed copy never leaves half a file at dst (and a
// symbolic link at dst is followed). true when dst holds the copy; a file copied onto itself
// counts as copied. Only a regular file is copied: a device or a pipe gives false.
bool CopyJobFile(const std::string& src, const std::string& dst);
