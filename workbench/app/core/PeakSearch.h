// CPeakSearch: the workbench's fit record. It holds the run settings of a fit, the background,
// the peak table, the model curves drawn from them, and it writes and reads both forms of the
// PFC job file: the diffraction form read by xZentrab and Zentrab, and the Raman/IR form read
// by simplexfit. Arrays are 0-based (peak 0 is the first peak, b[0] the constant term).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DataKind.h"
#include "FormNumbers.h"
#include "GraphData.h"

class CIniFile;
class IPlatform;

// One column of the peak table: per peak a value, a free flag (1 free, anything else fixed)
// and the third number of a PFC parameter record (the fitter's change, or simplexfit's step).
struct CPeakColumn {
  std::vector<double> value;
  std::vector<int> flag;
  std::vector<double> change;
};

class CPeakSearch {
 public:
  static constexpr int kBackgroundTerms = 5;
  static constexpr int kPeakCapacity = 100;

  // The nine columns of the peak table, in their order.
  enum Column {
    kPosition,       // 2θ or wave number of the peak centre
    kCTotal,         // intensity: the peak height, C(Gauss) + C(Lorentz)
    kGaussFraction,  // C(Gauss) / intensity
    kCGauss,         // height of the Gaussian part
    kFWHMGauss,      // Gaussian fwhm
    kCLorentz,       // height of the Lorentzian part
    kFWHMLorentz,    // Lorentzian fwhm
    kFWHMGLRatio,    // rfwhm: Gaussian fwhm / Lorentzian fwhm
    kAniso,          // anisotropy, the asymmetry of the diffraction profile
    kColumns
  };

  CPeakSearch();
  ~CPeakSearch();
  CPeakSearch(const CPeakSearch&) = delete;
  CPeakSearch& operator=(const CPeakSearch&) = delete;

  // The settings read when the record is built: [SetupLSQ] iPrt, iPrtIntvl, XRDLSQProgram,
  // RamanLSQProgram, MaxIteration, ConvergenceCriteria, DumpingFactor; [LSQ] QRange, IRatio,
  // LKa1, LKa2. programDir is where the fitters installed with the workbench lie.
  void LoadSettings(const CIniFile& ini, const std::string& programDir);
  // The program of a [SetupLSQ] setting: the setting as it stands, or, when it is empty, the
  // fitter `name` beside the running program.
  static std::string ProgramOf(const std::string& setting, const std::string& programDir,
                               const char* name);

  // Clearing (Clear Peaks, and the first step of both PFC readers): every background value 0,
  // slots 0 and 1 free and the others fixed, no peaks.
  void Clear();
  // The reset of the direct load commands: every background coefficient 0 and free, no peaks.
  void ResetForNewData();

  // Appends a peak; Gaussian fwhm := rfwhm × Lorentzian fwhm, C(Gauss) := intensity × Gauss
  // fraction, C(Lorentz) := the rest, anisotropy 0, flags and changes as the chosen fitter
  // wants them. Nothing is added once the table holds capacity − 1 peaks. The new count.
  int AddPeak(double position, double intensity, double gaussFraction, double rfwhm,
              double lorentzFwhm);
  // Removes peak i and closes the gap; an index outside the table changes nothing. The count.
  int DeletePeak(int i);

  // True when the file name (after the last "/") holds "ZENTRAB" in any case.
  static bool IsZentrabProgram(const std::string& path);
  // True when the fourth line of the file begins with "marq" in any case (the diffraction
  // form); false when the file cannot be read or is shorter.
  static bool IsMarqPFCFile(const std::string& path);
  // True when a job of this record goes to simplexfit: spectroscopic data and a Raman/IR
  // program that is not a Zentrab build.
  bool UsesSimplex() const { return dataKind != DataKind::Diffraction && !IsZentrabProgram(ramanProgram); }

  // Writes the job in the form its fitter reads: 1 written, -1 failure, 0 nothing to do
  // (no data kind).
  int SavePFCFile(const std::string& path);
  int SaveZentrabPFCFile(const std::string& path, const std::string& program);
  int SaveRamanPFCFile(const std::string& path);

  // Reads a job or a refined "new.pfc" into the record (clearing it first); with readData the
  // points stored in the file replace the loaded data. 1, or -1 when the file cannot be opened.
  // A file that ends early still gives 1; lastReadComplete tells whether it held everything.
  int ReadPFCFile(const std::string& path, bool readData);
  int ReadZentrabPFCFile(const std::string& path, std::string& program, bool readData);
  int ReadRamanPFCFile(const std::string& path, bool readData);

  // Background, total and one curve per peak on the X′ grid of the loaded data. 1, or -1
  // (no data kind, or a curve that could not be made). In ModelCurves.cpp.
  int MakeModelCurves(int n);
  // Empties the background, the total and the peak curves.
  void ClearModelCurves();
  int PeakCurveCount() const { return static_cast<int>(peakCurves.size()); }
  CGraphData* PeakCurve(int i) const;
  // Where peak curve i holds the values of its last computation: points first .. end-1; every
  // other point is 0, and xAscending tells that the curve's X never decrease. The graph view
  // skips the flat parts of a long curve with it. A curve resized since gives its whole range.
  struct CCurveExtent {
    int first = 0, end = 0;
    bool xAscending = false;
  };
  CCurveExtent PeakCurveExtent(int i) const;

  // Value, flag and change of peak i in one column.
  double& Value(Column c, int i) { return column[c].value[i]; }
  int& Flag(Column c, int i) { return column[c].flag[i]; }
  double& Change(Column c, int i) { return column[c].change[i]; }
  double Value(Column c, int i) const { return column[c].value[i]; }
  int Flag(Column c, int i) const { return column[c].flag[i]; }

  // Where messages go (its own, and those of its model curves) and which data set the record
  // fits; all borrowed.
  IPlatform* platform = nullptr;
  CDataMessages* curveMessages = nullptr;
  CGraphData* dataSet = nullptr;

  double R = 0, S = 0;  // statistics of a Raman/IR file: S then R on its statistics record
  int iPrt = form::kIPrt;
  int iPrtIntvl = form::kIPrtIntvl;
  int backgroundOrder = 4;  // order of the Raman/IR background
  DataKind dataKind = DataKind::Diffraction;
  int currentPeak = 0;
  CGraphData backgroundCurve;
  CGraphData totalCurve;
  int maxIteration = form::kMaxIteration;
  std::string method = ini::kMethod.def;
  std::string inputPath;
  std::string xrdProgram;
  std::string ramanProgram;
  std::string title;
  double dampingFactor = form::kDampingFactor;
  double qRange = form::kQRange;
  double eps = form::kEps;
  double ramda1 = form::kCuKa1, ramda2 = form::kCuKa2;
  double iRatio = form::kIRatio;
  double optLow = form::kOptLow, optHigh = form::kOptHigh;
  double calcLow = form::kCalcLow, calcHigh = form::kCalcHigh;
  int capacity = kPeakCapacity;
  double b[kBackgroundTerms] = {0, 0, 0, 0, 0};       // background coefficients b0..b4
  int optimizeB[kBackgroundTerms] = {1, 1, 1, 1, 1};  // 1 free, 0 fixed
  double bChange[kBackgroundTerms] = {0, 0, 0, 0, 0};
  int peakCount = 0;
  CPeakColumn column[kColumns];
  // Whether the last PFC file read held every record it announced.
  bool lastReadComplete = false;

 private:
  // A model curve and what it holds from its last computation: the grid its X′ values were
  // taken from, and the run of points [w0, w1) that may be non-zero.
  struct CurveSlot {
    std::unique_ptr<CGraphData> curve = std::make_unique<CGraphData>();
    long stamp = -1;
    int w0 = 0, w1 = 0;
  };
  // The X′ grid of the data, kept to tell whether it changed since the last computation.
  bool UpdateGrid(int n);
  // The curve sized to n points on the grid with every value 0; false when it cannot be made.
  bool PrepareCurve(CGraphData& curve, int n, long& stamp, int& w0, int& w1);
  // The window [i0, i1) of peak j on the grid and its values; false for a peak that is not drawn.
  void MakeDiffractionPeak(int j, CurveSlot& slot, int n);
  void MakeSingleLinePeak(int j, CurveSlot& slot, int n);
  // The range of a peak curve: X from the grid, Y over its window and its zeros.
  void UpdatePeakRange(CurveSlot& slot, int n);

  std::vector<CurveSlot> peakCurves;
  std::vector<double> grid;
  std::vector<double> scratch;  // the window's scaled abscissa and sums of one peak
  long gridStamp = 0;
  bool gridAscending = false;   // the grid's X′ never decrease (a not-a-number counts as a fall)
  bool gridDescending = false;  // the grid's X′ never increase (a not-a-number counts as a rise)
  long totalStamp = -1, backgroundStamp = -1;
};
