// Every setting of the workbench INI file, each with its section and built-in default.
// Booleans and integers are stored with "%d" ("1"/"0"), reals with "%lg".
#pragma once

#include "Profile.h"

namespace ini {

// [GraphView]: the display switches (read at document creation, written at its end) and the
// graph font (face and height in tenths of a point).
inline constexpr IniKey kViewBackground{"GraphView", "ViewBackground", "1"};
inline constexpr IniKey kViewCalc{"GraphView", "ViewCalc", "1"};
inline constexpr IniKey kViewCurves{"GraphView", "ViewCurves", "1"};
inline constexpr IniKey kViewCurrentCurve{"GraphView", "ViewCurrentCurve", "1"};
inline constexpr IniKey kViewFontFaceName{"GraphView", "ViewFontFaceName", ""};
inline constexpr IniKey kViewFontHeight{"GraphView", "ViewFontHeight", "0"};
// "Fit Frame to Window": the window sizes frame 0 to its pane (written when switched).
inline constexpr IniKey kFitFrameToWindow{"GraphView", "FitFrameToWindow", "0"};

// [EditorView]: the report font (height in device units).
inline constexpr IniKey kEditorFontFaceName{"EditorView", "EditorFontFaceName", ""};
inline constexpr IniKey kEditorFontHeight{"EditorView", "EditorFontHeight", "0"};

// [Setup]: the page position of the frames, and whether curves are clipped to their frames.
// The clip key has two defaults: the "Setup GraphFrame" dialog shows it off when absent, while
// drawing clips when it is absent.
inline constexpr IniKey kGraphPosition{"Setup", "GraphPosition", "20 70 80 10"};
inline constexpr IniKey kClipGraphFrameDialog{"Setup", "ClipGraphFrame", "0"};
inline constexpr IniKey kClipGraphFrameDraw{"Setup", "ClipGraphFrame", "1"};

// [Window]: the normal window rectangle "left top width height" (empty: the system's
// placement) and the pane sizes; ColumnWidth%d and RowHeight%d are formed from these names.
inline constexpr IniKey kWindowPosition{"Window", "Position", ""};
inline constexpr IniKey kColumnWidth0{"Window", "ColumnWidth0", "350"};
inline constexpr IniKey kColumnWidth1{"Window", "ColumnWidth1", "200"};
inline constexpr IniKey kRowHeight0{"Window", "RowHeight0", "100"};
inline constexpr IniKey kRowHeight1{"Window", "RowHeight1", "100"};

// [Preferences]: the text editor and the start folders of the file dialogs. The editor's
// default is the desktop's opener, which hands a file to the person's own text editor.
inline constexpr IniKey kEditor{"Preferences", "Editor", "xdg-open"};
inline constexpr IniKey kEditorDir{"Preferences", "EditorDir", ""};
inline constexpr IniKey kWorkDir{"Preferences", "WorkDir", ""};
inline constexpr IniKey kInputDir{"Preferences", "InputDir", ""};
inline constexpr IniKey kInputMask{
    "Preferences", "InputMask",
    "Spectrum Files |*.;*.xrd;*.dat;*.rmn;*.ram;*.ras;*.txt;*.asc;*.ir;*.xdt;*.int;*.pat;*.csv;"
    "*.0*;*.1*;*.2*;*.3;*.4*;*.5*;*.6*;*.7*;*.8*;*.9*"};
inline constexpr IniKey kPFCDir{"Preferences", "PFCDir", ""};
inline constexpr IniKey kRietanDataDir{"Preferences", "RietanDataDir", ""};
inline constexpr IniKey kTextDataDir{"Preferences", "TextDataDir", ""};
// The folder in which the file dialog of "Import Columns..." opens.
inline constexpr IniKey kColumnDataDir{"Preferences", "ColumnDataDir", ""};
// The data kind that RAS scans and ".asc" files open as: 1 diffraction, 2 spectroscopic (the
// kind their readers give); any other number leaves the readers' kind.
inline constexpr IniKey kRasDataKind{"Preferences", "RasDataKind", "2"};
inline constexpr IniKey kAscDataKind{"Preferences", "AscDataKind", "2"};
// The language of the window's captions: "ja", the captions as they are written, or "en", their
// English translation; read at start-up, so a change takes effect at the next start.
inline constexpr IniKey kLanguage{"Preferences", "Language", "ja"};

// [SetupLSQ]: the fitting programs and their run settings. An empty program means the fitter
// installed beside the running program.
inline constexpr IniKey kIPrt{"SetupLSQ", "iPrt", "1"};
inline constexpr IniKey kIPrtIntvl{"SetupLSQ", "iPrtIntvl", "10"};
inline constexpr IniKey kXRDLSQProgram{"SetupLSQ", "XRDLSQProgram", ""};
inline constexpr IniKey kRamanLSQProgram{"SetupLSQ", "RamanLSQProgram", ""};
inline constexpr IniKey kMaxIteration{"SetupLSQ", "MaxIteration", "30"};
inline constexpr IniKey kConvergenceCriteria{"SetupLSQ", "ConvergenceCriteria", "0.01"};
inline constexpr IniKey kDumpingFactor{"SetupLSQ", "DumpingFactor", "0.3"};
// The diffraction fitter's method: "Marq", its fixed-damping cycle, or "MarqAdaptive", the
// damping adapted to every step, with standard errors.
inline constexpr IniKey kMethod{"SetupLSQ", "Method", "Marq"};

// [LSQ]: the setup form's fields and the X-ray constants.
inline constexpr IniKey kInputPath{"LSQ", "InputPath", ""};
inline constexpr IniKey kPFCPath{"LSQ", "PFCPath", ""};
inline constexpr IniKey kOutputPath{"LSQ", "OutputPath", ""};
inline constexpr IniKey kOptRegionX0{"LSQ", "OptRegionX0", "5.0"};
inline constexpr IniKey kOptRegionX1{"LSQ", "OptRegionX1", "70.0"};
inline constexpr IniKey kOutputRegionX0{"LSQ", "OutputRegionX0", "5.0"};
inline constexpr IniKey kOutputRegionX1{"LSQ", "OutputRegionX1", "70.0"};
inline constexpr IniKey kPosition{"LSQ", "Position", "28.6"};
inline constexpr IniKey kOptimizePosition{"LSQ", "OptimizePosition", "1"};
inline constexpr IniKey kCTotal{"LSQ", "CTotal", "200.0"};
inline constexpr IniKey kOptimizeCTotal{"LSQ", "OptimizeCTotal", "1"};
inline constexpr IniKey kGaussFraction{"LSQ", "GaussFraction", "0.5"};
inline constexpr IniKey kOptimizeGaussFraction{"LSQ", "OptimizeGaussFraction", "1"};
inline constexpr IniKey kFWHMGLRatio{"LSQ", "FWHMGLRatio", "1.0"};
inline constexpr IniKey kOptimizeFWHMGLRatio{"LSQ", "OptimizeFWHMGLRatio", "1"};
inline constexpr IniKey kCGauss{"LSQ", "CGauss", "100.0"};
inline constexpr IniKey kOptimizeCGauss{"LSQ", "OptimizeCGauss", "0"};
inline constexpr IniKey kFWHMGauss{"LSQ", "FWHMGauss", "0.2"};
inline constexpr IniKey kOptimizeFWHMGauss{"LSQ", "OptimizeFWHMGauss", "0"};
inline constexpr IniKey kCLorentz{"LSQ", "CLorentz", "100.0"};
inline constexpr IniKey kOptimizeCLorentz{"LSQ", "OptimizeCLorentz", "1"};
inline constexpr IniKey kFWHMLorentz{"LSQ", "FWHMLorentz", "0.2"};
inline constexpr IniKey kOptimizeFWHMLorentz{"LSQ", "OptimizeFWHMLorentz", "1"};
inline constexpr IniKey kAniso{"LSQ", "Aniso", "0.0"};
inline constexpr IniKey kOptimizeAniso{"LSQ", "OptimizeAniso", "0"};
inline constexpr IniKey kB[5] = {{"LSQ", "b0", "0.0"},
                                 {"LSQ", "b1", "0.0"},
                                 {"LSQ", "b2", "0.0"},
                                 {"LSQ", "b3", "0.0"},
                                 {"LSQ", "b4", "0.0"}};
inline constexpr IniKey kOptimizeB[5] = {{"LSQ", "Optimizeb0", "1"},
                                         {"LSQ", "Optimizeb1", "1"},
                                         {"LSQ", "Optimizeb2", "0"},
                                         {"LSQ", "Optimizeb3", "0"},
                                         {"LSQ", "Optimizeb4", "0"}};
inline constexpr IniKey kLKa1{"LSQ", "LKa1", "1.54056"};
inline constexpr IniKey kLKa2{"LSQ", "LKa2", "1.54439"};
inline constexpr IniKey kIRatio{"LSQ", "IRatio", "0.5"};
inline constexpr IniKey kQRange{"LSQ", "QRange", "5.0"};
inline constexpr IniKey kDeltaMagnification{"LSQ", "DeltaMagnification", "1.0"};
inline constexpr IniKey kAutoRedraw{"LSQ", "AutoRedraw", "1"};

// [PeakSearch]: the half-width of the slope window and the least peak height; the method
// ("Slope" or "Prominence"), the noise factor k of the prominence search, and whether OK puts
// the peaks found in place of the table's peaks ("Replace current peaks").
inline constexpr IniKey kNSmooth{"PeakSearch", "nSmooth", "5"};
inline constexpr IniKey kThreshold{"PeakSearch", "Threshold", "100.0"};
inline constexpr IniKey kSearchMethod{"PeakSearch", "Method", "Slope"};
inline constexpr IniKey kNoiseFactor{"PeakSearch", "NoiseFactor", "5"};
inline constexpr IniKey kReplacePeaks{"PeakSearch", "ReplacePeaks", "0"};

}  // namespace ini
