// The settings of the workbench's window and report view that live in the INI file: the
// normal window rectangle and the pane sizes of [Window], the font record of the report
// view ([EditorView], height in device units) and the language of the captions
// ([Preferences] Language). The graph view's font belongs to the renderer.
#pragma once

#include <string>

class CIniFile;

struct CWindowState {
  // [Window] Position "left top width height"; hasPosition is false when the key is empty or
  // does not hold four integers (the system then places the window).
  bool hasPosition = false;
  int left = 0, top = 0, width = 0, height = 0;
  int columnWidth[2] = {350, 200};  // ColumnWidth0, ColumnWidth1
  int rowHeight[2] = {100, 100};    // RowHeight0, RowHeight1
  // Whether RowHeight0 was stored. Without it (the first start) the window gives the graph
  // most of its column instead of a 100-pixel strip above the report.
  bool hasRowHeight = false;

  void Load(const CIniFile& ini);
  // Position, ColumnWidth0, ColumnWidth1, RowHeight0, RowHeight1 in this order.
  void Save(CIniFile& ini) const;
};

// A font choice: the face (empty: none chosen) and its height in the unit of its key.
struct CFontRecord {
  std::string face;
  int height = 0;
};

CFontRecord LoadEditorFont(const CIniFile& ini);
void SaveEditorFont(CIniFile& ini, const CFontRecord& font);

// The language the window shows its captions in: Japanese, the captions as they are written
// (the default), or English, their translation.
enum class CaptionLanguage { kJapanese, kEnglish };

// "ja" or "en".
const char* LanguageCode(CaptionLanguage language);
// A language named "ja" or "en", in any letter case and with a territory or encoding after it
// ("en_GB.UTF-8"); false for any other name, which leaves `language` as it is.
bool ParseLanguage(const std::string& name, CaptionLanguage& language);
// [Preferences] Language; a missing or unknown value gives Japanese.
CaptionLanguage StoredLanguage(const CIniFile& ini);
void StoreLanguage(CIniFile& ini, CaptionLanguage language);
// The language of this run: the environment's BALIMOR_LANG (its value given here) when it
// names a language, else the stored one.
CaptionLanguage RunLanguage(const CIniFile& ini, const std::string& environmentValue);
