// CBalimorApp: the workbench as one object. In this order it holds the Qt platform, the INI
// location, the "Tavenhall" profile of the recent files and the toolbar, the translation of the
// captions, the document and the main window, so that on the way out the window (and the setup
// form, which writes [LSQ]) goes before the document (which writes its display switches).
#pragma once

#include <QSettings>
#include <QStringList>
#include <QTranslator>
#include <memory>

#include "BalimorDoc.h"
#include "MainFrame.h"
#include "Profile.h"
#include "QtPlatform.h"
#include "ViewSettings.h"

class CBalimorApp {
 public:
  // programPath: the running executable (its INI file and the fitters beside it); empty: the
  // program as the system reports it.
  explicit CBalimorApp(const std::string& programPath = std::string());
  ~CBalimorApp();

  // The command line after the program name: a file named there is opened as the document,
  // else the document starts as a new one. Shows the main window.
  void Start(const QStringList& files);

  const CIniLocation& Location() const { return location; }
  // The captions' language of this run (BALIMOR_LANG, else [Preferences] Language) and the
  // translation file loaded for it (empty for the captions as they are written, or when the
  // file was not found).
  CaptionLanguage Language() const { return language; }
  const QString& TranslationFile() const { return translationFile; }
  QtPlatform& Platform() { return platform; }
  CBalimorDoc& Doc() { return *doc; }
  CMainFrame& Frame() { return *frame; }

 private:
  QtPlatform platform;
  CIniLocation location;
  QSettings profile;
  CaptionLanguage language = CaptionLanguage::kJapanese;
  QTranslator translator;
  QString translationFile;
  std::unique_ptr<CBalimorDoc> doc;
  std::unique_ptr<CMainFrame> frame;
};

// The splash window: shown once over the main window, closed by its 750 ms timer or by the first
// key or mouse press, which it swallows.
void ShowSplash(QWidget* over);
