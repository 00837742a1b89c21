// The document's menu commands: the datum choice and what is done with the chosen curve, the
// update of the current file, the display switches and the data kind, the frame, scale and
// option settings, and the text editor.
#include <cstdio>
#include <filesystem>

#include "BalimorDoc.h"
#include "DatumSelectDialog.h"
#include "IniKeys.h"
#include "PathText.h"
#include "Platform.h"
#include "VariousData.h"

namespace {

const char* const kTextFilter = "Text File (*.txt)|*.txt|All Files (*.*)|*.*||";
const char* const kRietanFilter = "Rietan int File (*.int)|*.int|All Files (*.*)|*.*||";
const char* const kProgramFilter = "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*||";

// The datum and the file of Save Data As and Save As Rietan: the choice, then the save dialog
// started in [Preferences] WorkDir. Null when either was cancelled.
CGraphData* ChooseDatumAndFile(CBalimorDoc& doc, const char* filter, std::string& path) {
  CGraphData* curve = doc.SelectDatum();
  if (!curve) return nullptr;
  const std::string dir = doc.Ini().GetString(ini::kWorkDir);
  if (!dir.empty()) doc.Platform().SetCurrentDirectory(dir);
  return doc.Platform().ChooseSaveFile(filter, dir, path) ? curve : nullptr;
}

}  // namespace

CGraphData* CBalimorDoc::SelectDatum() {
  // The list of a frame holding, in this order, the loaded data, the background, the total
  // and every peak curve. The lines are made here rather than by attaching the curves to a
  // scratch frame, which would hand them the scratch frame's palette colours.
  std::vector<CGraphData*> curves = {originalData.get(), &peakSearch.backgroundCurve,
                                     &peakSearch.totalCurve};
  for (int i = 0; i < peakSearch.PeakCurveCount(); ++i) curves.push_back(peakSearch.PeakCurve(i));
  CDatumSelectDialog dialog("Datum in Frame", {});
  std::vector<CGraphData*> listed;
  for (CGraphData* c : curves) {
    char head[32];
    std::snprintf(head, sizeof head, "Dat%d: ", static_cast<int>(listed.size()));
    if (!dialog.AddLine(head + CDatumSelectDialog::CurveName(*c))) break;
    listed.push_back(c);
  }
  const int chosen = dialog.DoModal(platform);
  if (chosen < 0 || chosen >= static_cast<int>(listed.size())) return nullptr;
  return listed[static_cast<std::size_t>(chosen)];
}

void CBalimorDoc::OnEditCopy() {
  if (CGraphData* curve = SelectDatum()) curve->PutOnClipboard(platform);
}

void CBalimorDoc::OnFileSaveDataAs() {
  std::string path;
  CGraphData* curve = ChooseDatumAndFile(*this, kTextFilter, path);
  if (!curve) return;
  if (curve->WriteText(path, "w") < 0)
    platform.ShowMessage("Can't write [" + path + "]", "Error in CBalimorDoc::OnFileSavedata");
}

void CBalimorDoc::OnFileSaveAsRietan() {
  std::string path;
  CGraphData* curve = ChooseDatumAndFile(*this, kRietanFilter, path);
  if (!curve) return;
  if (pathtext::ExtensionOf(path).empty()) path += ".int";
  // The Rietan writer takes the raw values of any curve.
  if (WriteRietanInt(*curve, path, "w") < 0)
    platform.ShowMessage("Can't write [" + path + "]", "Error in CBalimorDoc::OnFileSaverietan");
}

int CBalimorDoc::OnFileUpdate() {
  if (dataFileName.empty()) return -1;
  const std::string path = dataFileName;
  const int result = columnImport ? ImportColumns(path, columnImport->choice, columnImport->kind) : ReadDataFile(path);
  UpdateAllViews();
  return result;
}

void CBalimorDoc::OnViewRestoreScale() {
  if (CGraphFrame* frame = frameArray.GetFrame(0)) frame->AutoScale(CGraphFrame::kScaleMargin);
  UpdateAllViews();
}

bool& CBalimorDoc::SwitchOf(Switch s) {
  switch (s) {
    case kViewBackground: return viewBackground;
    case kViewCalc: return viewCalc;
    case kViewCurves: return viewCurves;
    case kViewCurrentCurve: break;
  }
  return viewCurrentCurve;
}

void CBalimorDoc::ToggleSwitch(Switch s) {
  bool& on = SwitchOf(s);
  on = !on;
  UpdateAllViews();
}

void CBalimorDoc::SetDataKind(DataKind kind) {
  peakSearch.dataKind = kind;
  UpdateAllViews();
}

bool CBalimorDoc::OnViewEditIniFile() {
  const std::string editor = EditorSetting();
  const std::string commandLine = "\"" + editor + "\" \"" + ini.Path() + "\"";
  if (platform.StartProgram({editor, ini.Path()})) return true;
  platform.ShowMessage("Can't execute [" + commandLine + "]", "Error in CBalimorDoc::OnViewEditinifile");
  return false;
}

bool CBalimorDoc::OnOptionLaunchEditor() {
  const std::string editor = EditorSetting();
  if (platform.StartProgram({editor})) return true;
  platform.ShowMessage("Can't exec [\"" + editor + "\"]", "Error in CBalimorDoc::OnOptionLauncheditor");
  return false;
}

CBalimorDoc::GraphFrameSetup CBalimorDoc::GetGraphFrameSetup() {
  GraphFrameSetup v;
  if (const CGraphFrame* frame = frameArray.GetFrame(0)) {
    v.x0 = frame->position[0];
    v.y0 = frame->position[1];
    v.x1 = frame->position[2];
    v.y1 = frame->position[3];
  }
  v.clip = ini.GetInt(ini::kClipGraphFrameDialog) != 0;
  return v;
}

void CBalimorDoc::StoreGraphFrameSetup(const GraphFrameSetup& v) {
  if (CGraphFrame* frame = frameArray.GetFrame(0)) {
    frame->position[0] = v.x0;
    frame->position[1] = v.y0;
    frame->position[2] = v.x1;
    frame->position[3] = v.y1;
    frame->PassLimitsToAxes();
  }
  char text[160];
  std::snprintf(text, sizeof text, "%g %g %g %g", v.x0, v.y0, v.x1, v.y1);
  ini.WriteString(ini::kGraphPosition, text);
  ini.WriteBool(ini::kClipGraphFrameDialog, v.clip);
  UpdateAllViews();
}

bool CBalimorDoc::GetScaleSetup(ScaleSetup& v) {
  const CGraphFrame* frame = frameArray.GetFrame(0);
  if (!frame) return false;
  v.xFrom = frame->XMin;
  v.xTo = frame->XMax;
  v.yFrom = frame->YMin;
  v.yTo = frame->YMax;
  v.xReverse = frame->xReversed;
  v.yReverse = frame->yReversed;
  return true;
}

void CBalimorDoc::StoreScaleSetup(const ScaleSetup& v) {
  CGraphFrame* frame = frameArray.GetFrame(0);
  if (!frame) return;
  frame->SetXMin(v.xFrom);
  frame->SetXMax(v.xTo);
  frame->SetYMin(v.yFrom);
  frame->SetYMax(v.yTo);
  frame->SetXReversed(v.xReverse);
  frame->SetYReversed(v.yReverse);
  UpdateAllViews();
}

std::string CBalimorDoc::EditorSetting() const { return ini.GetString(ini::kEditor); }

bool CBalimorDoc::ChooseEditorProgram(std::string& path) {
  const std::string dir = ini.GetString(ini::kEditorDir);
  if (!dir.empty()) platform.SetCurrentDirectory(dir);
  std::string chosen;
  if (!platform.ChooseOpenFile(kProgramFilter, dir, chosen)) return false;
  ini.WriteString(ini::kEditorDir, pathtext::FolderOf(chosen));
  path = chosen;
  return true;
}

void CBalimorDoc::StoreEditorSetting(const std::string& editor) { ini.WriteString(ini::kEditor, editor); }
