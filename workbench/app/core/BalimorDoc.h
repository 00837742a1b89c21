// CBalimorDoc: the workbench document without windows. It owns the measured data, the frame
// array and the fit record, recognises instrument files (ReadDataFile, a walk over the reader
// table) and carries the commands that load Rietan and text data files directly. Everything that
// needs a person goes through the platform interface; settings come from the INI file named at
// construction. The document knows no view and no form: it announces what changes, and the
// views and the setup form follow it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Announcement.h"
#include "DataKind.h"
#include "GraphFrameArray.h"
#include "PeakSearch.h"
#include "Profile.h"
#include "VariousData.h"

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

  // Loads any supported instrument file into the measured data, the reader chosen by the reader
  // table from the extension and, for ".txt", ".dat" and ".asc", the first lines. Rebuilds
  // frame 0, sets its labels, the data kind and the document path ("<path> (<kind> Data)").
  // Returns 0 on success (for a sectioned scan the section read), -1 on failure ("<path>
  // (Invalid Data)").
  int ReadDataFile(const std::string& path);

  // Rebuilds the frame array with n frames at [Setup] GraphPosition, frame 0 with its Y minimum
  // fixed at 0 and the measured data attached. 1, or -1 with a message.
  int CreateGraphFrame(int n);

  // Loads a file as generic column text whatever its extension: the columns and the format
  // chosen (what the choice leaves open found from the data), the labels from the header, the data
  // kind given or else told by the X values, the title "<path> (Column Data)". A note of what
  // was read goes to the status line. 0 on success, -1 on failure ("<path> (Invalid Data)").
  // "Update Current File" reads the file again the same way.
  int ImportColumns(const std::string& path, const CColumnChoice& choice, std::optional<DataKind> kind);
  // "Import Columns...": the file dialog in the folder of [Preferences] ColumnDataDir, which
  // the chosen folder replaces. false when cancelled.
  bool ChooseColumnFile(std::string& path);

  // "Read Rietan Files...": an INT or PAT file through the file dialog.
  void OnReadRietanFiles();
  // "Read Text Files...": a labelled text data file through the file dialog; announces the
  // data, PFC and report file names (setupFileNames).
  void OnReadTextFiles();

  // What the document announces to the units that follow it (the setup form subscribes):
  // a new document, before anything of it is reset; the three file names (data, PFC, report)
  // of the text data command; a coming paint (PrepareDrawing).
  CAnnouncement<> newDocument;
  CAnnouncement<std::string, std::string, std::string> setupFileNames;
  CAnnouncement<> beforeDrawing;
  // A load through the extension dispatch that read fewer than half of the file's lines of
  // numbers, with the note shown in the status line (the window shows it once in a box too).
  CAnnouncement<std::string> partialLoad;
  // Asks every view to redraw.
  std::function<void()> onRedrawAll;

  // New document: announced (the setup form reloads its settings), then the loaded data and
  // the model curves are emptied, the frames and the peak area text removed, and frame 0 made
  // anew.
  void OnNewDocument();
  // Asks every view to redraw.
  void UpdateAllViews() {
    if (onRedrawAll) onRedrawAll();
  }
  // Readies the document for a paint, which only reads it (the graph view calls it before
  // every paint, the export and the printout before theirs). beforeDrawing is announced (the
  // setup form takes what was typed and hands over shownPfcPath and modelFollowsRecord); with
  // frame 0 and its curve, the curves take the log display, the model curves are rebuilt when
  // modelFollowsRecord and the record has a peak or a constant background, and frames and
  // curves take the clip setting [Setup] ClipGraphFrame, read once: any value but 0 clips the
  // frames and their curves, a positive one the model curves.
  void PrepareDrawing();

  // The report view's text: emptied, or a text file appended to it (lines of at most 255
  // characters; -1, with the text unchanged, when the file cannot be opened).
  void ClearReport();
  int AppendReportFile(const std::string& path);
  // Text added at the report's end (the notes on how a fit ended).
  void AppendReportText(const std::string& text);
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
  DataKind GetDataKind() const { return peakSearch.dataKind; }
  const std::string& GetDataFileName() const { return dataFileName; }
  const std::vector<std::string>& GetRecentFiles() const { return recentFiles; }
  IPlatform& Platform() { return platform; }
  const std::string& IniPath() const { return ini.Path(); }
  CIniFile& Ini() { return ini; }
  const std::string& ProgramDir() const { return programDir; }

  // The display switches of the model curves.
  bool viewBackground = true;
  bool viewCalc = true;
  bool viewCurves = true;
  bool viewCurrentCurve = true;
  // 1 while frame 0 shows the logarithm of the intensity.
  int logFlag = 0;
  // The peak-area part of the last fitting report and its "Sigma" line, drawn on the graph.
  std::string peakAreaText;
  // What the setup form hands over for the drawing: the PFC path written at the top of the
  // graph (none without a form), and whether the model curves follow the record (its "Auto
  // redraw").
  std::optional<std::string> shownPfcPath;
  bool modelFollowsRecord = false;

  static constexpr int kMaxRecentFiles = 10;

  // Menu commands of the document (DocCommands.cpp).
  // "Select Data": the loaded data, the background, the total and every peak curve, listed as
  // "Dat%d: %s" under "Datum in Frame"; null when the choice was cancelled or out of range.
  CGraphData* SelectDatum();
  void OnEditCopy();          // the chosen curve on the clipboard
  void OnFileSaveDataAs();    // the chosen curve as a text file
  void OnFileSaveAsRietan();  // the chosen curve as a Rietan INT file
  // "Update Current File": the data file read again, the views redrawn. -1 when none is loaded.
  int OnFileUpdate();
  // "Restore View Scale": frame 0 autoscaled with margin 0.1, redrawn.
  void OnViewRestoreScale();
  // The display switches and the data kind of the "View" menu; each redraws.
  enum Switch { kViewBackground, kViewCalc, kViewCurves, kViewCurrentCurve };
  bool& SwitchOf(Switch s);
  void ToggleSwitch(Switch s);
  void SetDataKind(DataKind kind);
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
  // The common start of the direct load commands: makes the folder kept under [Preferences]
  // dirKey current, shows the open dialog, resets the fit, writes the chosen folder back and
  // rebuilds frame 0. Null when the dialog was cancelled or the frame could not be made (after
  // its message).
  CGraphFrame* StartLoadCommand(const IniKey& dirKey, const char* filter, std::string& path);
  // The note of a dispatch load that left most lines of numbers of the file unread.
  void NotePartialLoad(const std::string& path);

  IPlatform& platform;
  CDataMessages curveMessages;  // the messages of every curve of the document
  CIniFile ini;
  std::string programDir;
  std::string reportText;
  std::string dataFileName;  // file name last given to ReadDataFile or ImportColumns
  // How the data file was imported as columns (none: through ReadDataFile).
  struct ColumnImport {
    CColumnChoice choice;
    std::optional<DataKind> kind;
  };
  std::optional<ColumnImport> columnImport;
  std::string pathName;      // document path (title text)
  std::vector<std::string> recentFiles;
  std::unique_ptr<CVariousData> originalData;
  CPeakSearch peakSearch;
  CGraphFrameArray frameArray;  // declared last: cleared before the curves it borrows go
};

// Data, PFC and report file names for a data file: the extension (from the last "." of the file
// name) replaced by "#<n>.pfc" and "#<n>.out"; a name without extension gets the suffix.
std::string FitJobFileName(const std::string& dataPath, int n, const char* suffixFormat);
