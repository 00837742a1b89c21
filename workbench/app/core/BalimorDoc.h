// CBalimorDoc: the workbench document without windows. It owns the measured data, the frame
// array and the fit record, recognises instrument files (ReadDataFile) and carries the commands
// that load Rietan and text data files directly. Everything that needs a person goes through the
// platform interface; settings come from the INI file named at construction.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GraphFrameArray.h"
#include "PeakSearch.h"
#include "Profile.h"
#include "VariousData.h"

class CSetupForm;
class IPlatform;

class CBalimorDoc {
 public:
  // iniPath: the workbench INI file; programDir: where the fitters installed with the
  // workbench lie (empty: beside the running program). Builds the fit record from the INI
  // file, reads the display switches and makes frame 0.
  CBalimorDoc(IPlatform& platform, std::string iniPath, std::string programDir = std::string());
  // Writes the display switches back.
  ~CBalimorDoc();
  CBalimorDoc(const CBalimorDoc&) = delete;
  CBalimorDoc& operator=(const CBalimorDoc&) = delete;

  // Loads any supported instrument file into the measured data, chosen by the extension and,
  // for ".txt", ".dat" and ".asc", by the first lines. Rebuilds frame 0, sets its labels, the
  // data kind and the document path ("<path> (<kind> Data)"). Returns 0 on success (for a
  // sectioned scan the section read), -1 on failure ("<path> (Invalid Data)").
  int ReadDataFile(const std::string& path);

  // Rebuilds the frame array with n frames at [Setup] GraphPosition, frame 0 with its Y minimum
  // fixed at 0 and the measured data attached. 1, or -1 with a message.
  int CreateGraphFrame(int n);

  // "Read Rietan Files...": an INT or PAT file through the file dialog.
  void OnReadRietanFiles();
  // "Read Text Files...": a labelled text data file through the file dialog; hands the data,
  // PFC and report file names to the set-up form.
  void OnReadTextFiles();

  // The set-up form's three file names (data, PFC, report) after the text data command.
  std::function<void(const std::string& dataPath, const std::string& pfcPath,
                     const std::string& outputPath)>
      onSetupFileNames;
  // Asks every view to redraw.
  std::function<void()> onRedrawAll;

  // New document: the setup form reloads its settings, the loaded data and the model curves
  // are emptied, the frames and the peak area text removed, and frame 0 made anew.
  void OnNewDocument();
  // Asks every view to redraw.
  void UpdateAllViews() {
    if (onRedrawAll) onRedrawAll();
  }

  // The report view's text: emptied, or a text file appended to it (lines of at most 255
  // characters; -1, with the text unchanged, when the file cannot be opened).
  void ClearReport();
  int AppendReportFile(const std::string& path);
  const std::string& ReportText() const { return reportText; }
  std::function<void()> onReportChanged;

  // Document path; with addToRecent it also goes to the top of the recent-file list.
  void SetPathName(const std::string& path, bool addToRecent = true);
  const std::string& GetPathName() const { return pathName; }
  // The title shown: the last component of the document path.
  std::string GetTitle() const;

  CVariousData* GetOriginalData() { return originalData.get(); }
  CGraphFrameArray* GetFrameArray() { return &frameArray; }
  CPeakSearch& GetPeakSearch() { return peakSearch; }
  int GetDataKind() const { return peakSearch.dataKind; }
  const std::string& GetDataFileName() const { return dataFileName; }
  const std::vector<std::string>& GetRecentFiles() const { return recentFiles; }
  IPlatform& Platform() { return platform; }
  const std::string& IniPath() const { return ini.Path(); }
  CIniFile& Ini() { return ini; }
  const std::string& ProgramDir() const { return programDir; }
  // The setup form of this document, when one is made (it registers itself).
  CSetupForm* GetSetupForm() const { return setupForm; }
  void SetSetupForm(CSetupForm* form) { setupForm = form; }

  // The display switches of the model curves.
  bool viewBackground = true;
  bool viewCalc = true;
  bool viewCurves = true;
  bool viewCurrentCurve = true;
  // 1 while frame 0 shows the logarithm of the intensity.
  int logFlag = 0;
  // The peak-area part of the last fitting report and its "Sigma" line, drawn on the graph.
  std::string peakAreaText;

  static constexpr int kMaxRecentFiles = 10;

  // Menu commands of the document (DocCommands.cpp).
  // "Select Data": the loaded data, the background, the total and every peak curve, listed as
  // "Dat%d: %s" under "Datum in Frame"; null when the choice was cancelled or out of range.
  CGraphData* SelectDatum();
  void OnEditCopy();          // the chosen curve on the clipboard
  void OnFileSaveDataAs();    // the chosen curve as a text file
  void OnFileSaveAsRietan();  // the chosen curve as a Rietan INT file
  // "Open": the reset of a new document, then the setup form's input-file dialog.
  void OnFileOpen();
  // "Update Current File": the data file read again, the views redrawn. -1 when none is loaded.
  int OnFileUpdate();
  // "Restore View Scale": frame 0 autoscaled with margin 0.1, redrawn.
  void OnViewRestoreScale();
  // The display switches and the data kind of the "View" menu; each redraws.
  enum Switch { kViewBackground, kViewCalc, kViewCurves, kViewCurrentCurve };
  bool& SwitchOf(Switch s);
  void ToggleSwitch(Switch s);
  void SetDataKind(int kind);
  // "Edit IniFile" and "Launch Editor": the editor of [Preferences] Editor, with the INI file
  // or alone; false (after the message) when it could not be started.
  bool OnViewEditIniFile();
  bool OnOptionLaunchEditor();

  // "Setup GraphFrame": frame 0's position (X0 Y0 X1 Y1) and the clip setting.
  struct GraphFrameSetup {
    double x0 = 20, y0 = 70, x1 = 80, y1 = 10;
    bool clip = false;
  };
  GraphFrameSetup GetGraphFrameSetup();
  void StoreGraphFrameSetup(const GraphFrameSetup& v);
  // "Setup Scale": frame 0's limits and reversal flags.
  struct ScaleSetup {
    double xFrom = 0, xTo = 1, yFrom = 0, yTo = 1;
    bool xReverse = false, yReverse = false;
  };
  bool GetScaleSetup(ScaleSetup& v);
  void StoreScaleSetup(const ScaleSetup& v);
  // "Setup Option": the editor setting, its "Path" button (a program chosen through the file
  // dialog, its folder kept in [Preferences] EditorDir) and OK.
  std::string EditorSetting() const;
  bool ChooseEditorProgram(std::string& path);
  void StoreEditorSetting(const std::string& editor);

 private:
  // Section of an ".xrd" or "*TYPE" file chosen through the datum choice; -1 (with the
  // "Can't read" message) when the file cannot be opened.
  int ChooseSection(const std::string& path);
  // The ".asc" family: first line decides between PE IR, sectioned and comma-pair text.
  int ReadAscFile(const std::string& path, CGraphFrame& frame, std::string& title, int& section);
  // The ".txt" chain; 1 when a reader took the file.
  int ReadTxtChain(const std::string& path, CGraphFrame& frame, std::string& title);
  // Column 0 into the measured data, 1 into the total curve (red), 2 into the background
  // curve (green, attached only when present). The column-0 result.
  int ReadPatColumns(const std::string& path, CGraphFrame& frame);
  // The common start of the direct load commands: makes the folder kept under [Preferences]
  // dirKey current, shows the open dialog, resets the fit, writes the chosen folder back and
  // rebuilds frame 0. Null when the dialog was cancelled or the frame could not be made (after
  // its message).
  CGraphFrame* StartLoadCommand(const IniKey& dirKey, const char* filter, std::string& path);

  IPlatform& platform;
  CIniFile ini;
  std::string programDir;
  CSetupForm* setupForm = nullptr;
  std::string reportText;
  std::string dataFileName;  // file name last given to ReadDataFile
  std::string pathName;      // document path (title text)
  std::vector<std::string> recentFiles;
  std::unique_ptr<CVariousData> originalData;
  CPeakSearch peakSearch;
  CGraphFrameArray frameArray;  // declared last: cleared before the curves it borrows go
};

// Data, PFC and report file names for a data file: the extension (from the last "." of the file
// name) replaced by "#<n>.pfc" and "#<n>.out"; a name without extension gets the suffix.
std::string FitJobFileName(const std::string& dataPath, int n, const char* suffixFormat);
