// CMainFrame: the main window of the workbench. The setup form on the left, the graph view
// above the report view on the right, at the pane sizes of [Window]; the menus, the toolbar
// and the status bar; the window's placement and pane sizes written back on close, the recent
// files and the toolbar state kept in the "Tavenhall" profile. The commands, and the menus and
// tool bar built from them, are in MainCommands.cpp.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <span>

#include "ViewSettings.h"

class CBalimorDoc;
class CBalimorEditView;
class CGraphView;
class CSetupBalimorView;
class QLabel;
class QPrinter;
class QSettings;
class QSplitter;
class QToolBar;
class QtPlatform;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // The commands of the menus and the toolbar; each has its row in MainCommands.cpp.
  enum Command {
    kNew, kOpen, kSaveData, kReadText, kReadRietan, kUpdate, kSaveRietan, kPrint, kPrintPreview,
    kPrintSetup, kExportGraph, kImportColumns, kExit,
    kUndo, kCut, kCopy, kPaste, kPasteSpecial, kSelectAll, kFind, kFindNext, kReplace,
    kToolBar, kStatusBar, kRedraw, kScale, kRestoreScale, kViewBackground, kViewCalc, kViewCurves,
    kViewCurrentCurve, kKindXrd, kKindRaman, kSetupFrame, kGraphFont, kEditorFont, kEditIni,
    kFitFrame,
    kSetupOption, kLaunchEditor, kPeakSearch, kCurveFit, kFitSeries,
    kHelpTopics, kAbout, kContextHelp,
    kLanguageJapanese, kLanguageEnglish,
    kCommandCount
  };
  // One command: its place in the menus and the tool bar, caption, keys, icon, handler and state.
  struct CommandRow;

  // profile: the "Tavenhall" settings of the recent files and the toolbar state.
  CMainFrame(CBalimorDoc& doc, QtPlatform& platform, QSettings& profile);
  ~CMainFrame() override;

  CSetupBalimorView* SetupView() const { return setupView; }
  CGraphView* GraphView() const { return graphView; }
  CBalimorEditView* ReportView() const { return reportView; }
  QSplitter* Columns() const { return columns; }
  QSplitter* Rows() const { return rows; }
  QAction* Action(Command c) const { return actions.at(c); }
  const QStringList& RecentFiles() const { return recentFiles; }

  // Opens a file as the document: the reset of a new document, the setup form's
  // OpenInputFile, the file's text in the report view; the file goes to the recent list.
  void OpenDocumentFile(const QString& path);
  // Check marks, the data kind in the status bar and the window title from the document.
  void UpdateCommandUI();
  // Redraws every view.
  void RedrawAll();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  static std::span<const CommandRow> Commands();
  QAction* Make(const CommandRow& row);
  // A small picture of letters on a square of `colour`, for a command without an icon of its own.
  static QIcon LetterIcon(const QString& letters, QColor colour);
  void MakeActions();
  void MakeMenus();
  void MakeToolBar();
  void MakeStatusBar();
  void RestoreWindowState();
  void SaveWindowState();
  void UpdateRecentMenu();
  void AddRecentFile(const QString& path);
  // The pane that printing serves: the report view while it was the last one in use.
  bool ReportViewActive() const;
  void OnPrint(bool preview);
  void OnFind(bool again);
  void OnReplace();
  void OnAbout();
  // "Import Columns...": the file dialog, the column dialog, then the file opened as the setup
  // form's input through the column import, the fit's peaks and background cleared.
  void OnImportColumns();
  // Help topics: the suite's README in the desktop's viewer.
  void OnHelpTopics();
  // Option > Language: stores the choice for the next start and says so.
  void OnChooseLanguage(CaptionLanguage language);
  void PrintActiveView(QPrinter* printer);

  CBalimorDoc& doc;
  QtPlatform& platform;
  QSettings& profile;
  CSetupBalimorView* setupView = nullptr;
  CGraphView* graphView = nullptr;
  CBalimorEditView* reportView = nullptr;
  QSplitter* columns = nullptr;
  QSplitter* rows = nullptr;
  QToolBar* toolBar = nullptr;
  QLabel* kindIndicator = nullptr;  // "XRD" or "Raman/IR" in the status bar
  QMenu* fileMenu = nullptr;
  QAction* recentAnchor = nullptr;  // the recent files stand between the gap before it and it
  std::array<QAction*, kCommandCount> actions{};
  QStringList recentFiles;
  QPointer<QWidget> lastView;
  QPrinter* printer = nullptr;
  QString findText;
  bool paneSizesApplied = false;
  // [Preferences] Language as stored: the language of the next start, checked in the menu.
  CaptionLanguage storedLanguage = CaptionLanguage::kJapanese;
  // The note of a partial load: shown in a message box the first time in a run.
  int partialLoadToken = 0;
  bool partialLoadShown = false;
};
