// The settings of the workbench's window and report view that live in the INI file: the
// normal window rectangle and the pane sizes of [Window], and the font record of the report
// view ([EditorView], height in device units). The graph view's font belongs to the renderer.
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
