// The document's menu commands and the window and font settings, driven through the recording
// platform.
#include <algorithm>

#include "DocTestSupport.h"
#include "IniKeys.h"
#include "Profile.h"
#include "SetupForm.h"
#include "ViewSettings.h"

using doctest::DocTest;

namespace {

class DocCommandsTest : public DocTest {
 protected:
  // A small diffraction scan with two peaks on the record and their model curves made.
  std::string LoadScanWithModel(CBalimorDoc& doc, CSetupForm& form) {
    const std::string path = Write("scan.txt", "5\n10 1\n11 5\n12 9\n13 4\n14 2\n");
    form.OpenInputFile(path);
    CPeakSearch& r = doc.GetPeakSearch();
    r.AddPeak(11.5, 8, 0.5, 1, 0.3);
    r.AddPeak(13, 3, 0.5, 1, 0.3);
    r.b[0] = 1;
    EXPECT_EQ(r.MakeModelCurves(doc.GetOriginalData()->datan), 1);
    return path;
  }
};

}  // namespace

TEST_F(DocCommandsTest, DatumChoiceListsDataModelAndPeaksAndActsOnTheChosenCurve) {
  CBalimorDoc doc(platform, ini);
  CSetupForm form(doc);
  LoadScanWithModel(doc, form);
  const COLORREF totalColour = doc.GetPeakSearch().totalCurve.lineColor;

  // Copy of the total curve (Dat2).
  platform.lineAnswers = {2};
  doc.OnEditCopy();
  ASSERT_EQ(platform.choices.size(), 1u);
  EXPECT_EQ(platform.choices[0].caption, "Datum in Frame");
  ASSERT_EQ(platform.choices[0].lines.size(), 5u);
  EXPECT_EQ(platform.choices[0].lines[0].rfind("Dat0: ", 0), 0u);
  EXPECT_EQ(platform.choices[0].lines[4].rfind("Dat4: ", 0), 0u);
  EXPECT_FALSE(platform.clipboard.empty());
  EXPECT_EQ(doc.GetPeakSearch().totalCurve.lineColor, totalColour);  // the list leaves colours alone

  // Cancel, and an answer past the list: no clipboard change, no file dialog.
  platform.clipboard = "kept";
  platform.lineAnswers = {-1, 9};
  doc.OnEditCopy();
  doc.OnFileSaveDataAs();
  EXPECT_EQ(platform.clipboard, "kept");
  EXPECT_TRUE(platform.fileDialogs.empty());

  // Save Data As of the measured data: the WorkDir folder, the text filter, "%d" then pairs.
  profile::WriteString("Preferences", "WorkDir", dir.string(), ini);
  const std::string text = (dir / "out.txt").string();
  const std::string rietan = (dir / "out").string();
  platform.lineAnswers = {0, 0};
  platform.fileAnswers = {text, rietan};
  doc.OnFileSaveDataAs();
  doc.OnFileSaveAsRietan();
  ASSERT_EQ(platform.fileDialogs.size(), 2u);
  EXPECT_TRUE(platform.fileDialogs[0].save);
  EXPECT_EQ(platform.fileDialogs[0].filter, "Text File (*.txt)|*.txt|All Files (*.*)|*.*||");
  EXPECT_EQ(platform.fileDialogs[0].directory, dir.string());
  EXPECT_EQ(platform.fileDialogs[1].filter, "Rietan int File (*.int)|*.int|All Files (*.*)|*.*||");
  EXPECT_EQ(Slurp(text), "5\n10\t1\n11\t5\n12\t9\n13\t4\n14\t2\n");
  EXPECT_EQ(Slurp(rietan + ".int"), "5  10  1\n      1      5      9      4      2\n");
  EXPECT_TRUE(platform.messages.empty());

  // A file that cannot be written: a message, nothing else.
  platform.lineAnswers = {1};
  platform.fileAnswers = {(dir / "no/such/folder/x.txt").string()};
  doc.OnFileSaveDataAs();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, "Error in CBalimorDoc::OnFileSavedata");
}

TEST_F(DocCommandsTest, SwitchesKindUpdateAndScaleCommands) {
  profile::WriteString("GraphView", "ViewCurves", "0", ini);
  {
    CBalimorDoc doc(platform, ini);
    CSetupForm form(doc);
    int redraws = 0;
    doc.onRedrawAll = [&] { ++redraws; };
    EXPECT_FALSE(doc.viewCurves);
    doc.ToggleSwitch(CBalimorDoc::kViewCurves);
    doc.ToggleSwitch(CBalimorDoc::kViewBackground);
    EXPECT_TRUE(doc.viewCurves);
    EXPECT_FALSE(doc.viewBackground);
    doc.SetDataKind(DataKind::Spectroscopic);
    EXPECT_EQ(doc.GetDataKind(), DataKind::Spectroscopic);
    EXPECT_EQ(redraws, 3);

    // Update Current File with nothing loaded does nothing; with a file it reads the file again.
    EXPECT_EQ(doc.OnFileUpdate(), -1);
    const std::string path = LoadScanWithModel(doc, form);
    Write("scan.txt", "3\n1 1\n2 7\n3 1\n");
    EXPECT_EQ(doc.OnFileUpdate(), 0);
    EXPECT_EQ(doc.GetOriginalData()->datan, 3);
    EXPECT_EQ(doc.GetPathName(), path + " (XRD Data)");

    // Setup Scale: the frame's limits and reversal; Restore View Scale autoscales again.
    CBalimorDoc::ScaleSetup s;
    ASSERT_TRUE(doc.GetScaleSetup(s));
    s = {1.5, 2.5, 0, 20, true, false};
    doc.StoreScaleSetup(s);
    const CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
    // A reversed X axis keeps its minimum above its maximum.
    EXPECT_EQ(frame->XMin, 2.5);
    EXPECT_EQ(frame->XMax, 1.5);
    EXPECT_EQ(frame->YMax, 20);
    EXPECT_TRUE(frame->xReversed);
    doc.OnViewRestoreScale();
    EXPECT_LT(std::min(frame->XMin, frame->XMax), 1.0);
    EXPECT_GT(std::max(frame->XMin, frame->XMax), 3.0);
  }
  // The switches went back to the INI file at the document's end.
  EXPECT_EQ(profile::GetString("GraphView", "ViewCurves", "", ini), "1");
  EXPECT_EQ(profile::GetString("GraphView", "ViewBackground", "", ini), "0");
  EXPECT_EQ(profile::GetString("GraphView", "ViewCalc", "", ini), "1");
}

TEST_F(DocCommandsTest, GraphFrameSetupOpensWithDialogDefaultAndStoresPositionAndClip) {
  CBalimorDoc doc(platform, ini);
  CBalimorDoc::GraphFrameSetup v = doc.GetGraphFrameSetup();
  EXPECT_EQ(v.x0, 20);
  EXPECT_EQ(v.y0, 70);
  EXPECT_EQ(v.x1, 80);
  EXPECT_EQ(v.y1, 10);
  EXPECT_FALSE(v.clip);  // the dialog shows the absent key off
  v = {25, 90.5, 150, 12, true};
  doc.StoreGraphFrameSetup(v);
  EXPECT_EQ(profile::GetString("Setup", "GraphPosition", "", ini), "25 90.5 150 12");
  EXPECT_EQ(profile::GetString("Setup", "ClipGraphFrame", "", ini), "1");
  EXPECT_EQ(doc.GetFrameArray()->GetFrame(0)->position[1], 90.5);
  // A new frame array takes the stored position.
  doc.CreateGraphFrame(1);
  EXPECT_EQ(doc.GetFrameArray()->GetFrame(0)->position[2], 150);
}

TEST_F(DocCommandsTest, EditorCommandsQuoteTheirCommandLinesInTheirMessages) {
  profile::WriteString("Preferences", "Editor", "/opt/my editor/ed", ini);
  profile::WriteString("Preferences", "EditorDir", "/opt", ini);
  CBalimorDoc doc(platform, ini);
  EXPECT_TRUE(doc.OnViewEditIniFile());
  EXPECT_TRUE(doc.OnOptionLaunchEditor());
  ASSERT_EQ(platform.starts.size(), 2u);
  EXPECT_EQ(platform.starts[0], (std::vector<std::string>{"/opt/my editor/ed", ini}));
  EXPECT_EQ(platform.starts[1], (std::vector<std::string>{"/opt/my editor/ed"}));

  platform.startWorks = false;
  EXPECT_FALSE(doc.OnViewEditIniFile());
  EXPECT_FALSE(doc.OnOptionLaunchEditor());
  EXPECT_EQ(platform.MessageLines(),
            (std::vector<std::string>{
                "Error in CBalimorDoc::OnViewEditinifile: Can't execute [\"/opt/my editor/ed\" \"" + ini + "\"]",
                "Error in CBalimorDoc::OnOptionLauncheditor: Can't exec [\"/opt/my editor/ed\"]"}));

  // Setup Option: the Path button starts in EditorDir and keeps the chosen folder.
  std::string editor = doc.EditorSetting();
  platform.fileAnswers = {"/usr/local/bin/kate"};
  ASSERT_TRUE(doc.ChooseEditorProgram(editor));
  EXPECT_EQ(editor, "/usr/local/bin/kate");
  EXPECT_EQ(platform.fileDialogs.back().filter, "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*||");
  EXPECT_EQ(platform.fileDialogs.back().directory, "/opt");
  EXPECT_EQ(profile::GetString("Preferences", "EditorDir", "", ini), "/usr/local/bin");
  doc.StoreEditorSetting(editor);
  EXPECT_EQ(doc.EditorSetting(), "/usr/local/bin/kate");
}

TEST_F(DocCommandsTest, WindowStateAndEditorFontRoundTripThroughTheIniFile) {
  CIniFile file(ini);
  CWindowState fresh;
  fresh.Load(file);
  EXPECT_FALSE(fresh.hasPosition);
  EXPECT_EQ(fresh.columnWidth[0], 350);
  EXPECT_EQ(fresh.columnWidth[1], 200);
  EXPECT_EQ(fresh.rowHeight[0], 100);
  EXPECT_FALSE(fresh.hasRowHeight);

  // Only four integers give a placement.
  for (const char* bad : {"1 2 3", "1 2 x 4", "10 20 0 300", "1 2 3 4 5"}) {
    file.WriteString(ini::kWindowPosition, bad);
    CWindowState s;
    s.Load(file);
    EXPECT_FALSE(s.hasPosition) << bad;
  }

  CWindowState s;
  s.hasPosition = true;
  s.left = -5;
  s.top = 40;
  s.width = 1200;
  s.height = 800;
  s.columnWidth[0] = 410;
  s.columnWidth[1] = 780;
  s.rowHeight[0] = 520;
  s.rowHeight[1] = 230;
  s.Save(file);
  EXPECT_EQ(profile::GetString("Window", "Position", "", ini), "-5 40 1200 800");
  EXPECT_EQ(profile::GetString("Window", "RowHeight1", "", ini), "230");
  CWindowState back;
  back.Load(file);
  EXPECT_TRUE(back.hasPosition);
  EXPECT_EQ(back.left, -5);
  EXPECT_EQ(back.height, 800);
  EXPECT_EQ(back.columnWidth[1], 780);
  EXPECT_EQ(back.rowHeight[0], 520);
  EXPECT_TRUE(back.hasRowHeight);

  EXPECT_EQ(LoadEditorFont(file).face, "");
  SaveEditorFont(file, {"Monospace", -16});
  EXPECT_EQ(profile::GetString("EditorView", "EditorFontFaceName", "", ini), "Monospace");
  EXPECT_EQ(LoadEditorFont(file).height, -16);
}

// The captions' language: BALIMOR_LANG (when it names a language) over [Preferences] Language
// over Japanese; a choice is stored as "ja" or "en".
TEST_F(DocCommandsTest, CaptionLanguageFromEnvironmentIniAndDefault) {
  CIniFile file(ini);
  const CaptionLanguage ja = CaptionLanguage::kJapanese, en = CaptionLanguage::kEnglish;
  EXPECT_EQ(RunLanguage(file, ""), ja);  // nothing set: the captions as they are written
  struct Case {
    const char* stored;  // "": none stored
    const char* environment;
    CaptionLanguage run;
  } cases[] = {
      {"", "en", en},        {"en", "", en},      {"EN", "", en},      {"ja", "en", en},
      {"en", "ja", ja},      {"en", "fr", en},    {"fr", "", ja},      {"ja", "en_GB.UTF-8", en},
      {" en ", "", en},      {"english", "", ja}, {"", "C", ja},
  };
  for (const Case& c : cases) {
    file.WriteString(ini::kLanguage, c.stored);
    EXPECT_EQ(RunLanguage(file, c.environment), c.run) << "[" << c.stored << "] / [" << c.environment << "]";
  }
  StoreLanguage(file, en);
  EXPECT_EQ(profile::GetString("Preferences", "Language", "", ini), "en");
  EXPECT_EQ(StoredLanguage(file), en);
  StoreLanguage(file, ja);
  EXPECT_EQ(profile::GetString("Preferences", "Language", "", ini), "ja");
}
