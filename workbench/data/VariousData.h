// CVariousData: the document's measured data, a CGraphData whose operations are the readers
// of every instrument format. Each reader sets fileName, sizes the arrays from the count the
// file gives (bounded by what the file can hold), fills X and Y, trims datan to the points
// actually read and updates the range.
// Results: 1 success (some readers 2 or 3 for another kind, as noted), 0 not this kind (where
// noted), negative when the file cannot be opened or lacks a required marker.
#pragma once

#include <string>

#include "GraphData.h"

class IPlatform;

class CVariousData : public CGraphData {
 public:
  // Diffraction scans.
  int ReadRigakuXrfCsv(const std::string& path);          // ".csv"
  int ReadRas(const std::string& path);                   // ".ras"
  int ReadMrd(const std::string& path);                   // ".mrd"
  int ReadScanDataCsv(const std::string& path);           // ".X12" and the like
  int ReadGeneralText(const std::string& path);           // ".txt" chain, 1st: 0 when not "GENERAL"
  int ReadCountFirstText(const std::string& path);        // ".txt" chain, 2nd: 0 when line 1 not digits
  int ReadCountOnThirdLineText(const std::string& path);  // fallback of the next two
  int ReadSampleHeaderScan(const std::string& path);      // ".txt" chain, 4th
  int ReadXdt(const std::string& path);                   // ".xdt"
  int ReadSectionedScan(const std::string& path, int section);  // ".xrd", "*TYPE" ".asc"
  // Rigaku text-header binary scan; bigEndianFirst true for a digit extension, false for the
  // second form (any unknown extension).
  int ReadRigakuBinary(const std::string& path, bool bigEndianFirst);
  int ReadRietanInt(const std::string& path);             // ".int"
  // Rietan INT writer: "%d  %lg  %lg\n" header, then " %6d" eleven per line. -1 / 0.
  int WriteRietanInt(const std::string& path, const char* mode) const;

  // Spectroscopy.
  int ReadTabularIr(const std::string& path);             // ".ir"
  int ReadPeIr(const std::string& path);                  // ".asc" beginning "PE IR"
  // ".asc" with ", " pairs; 3 on success, -1 / -2 with the "Can't open [%s]" message.
  int ReadCommaPairs(const std::string& path, IPlatform& platform);
  int ReadOpticalDensity(const std::string& path);        // ".od"
  int ReadQuantumEfficiency(const std::string& path);     // ".qe*"
  int ReadRamanPairs(const std::string& path);            // ".ram", Raman branch of ".dat"
  int ReadSmoothedRaman(const std::string& path);         // ".rmn"
  int ReadF4500(const std::string& path);                 // ".txt" chain, 3rd: 0 when not F-4500
  // ".dat": 1 Raman pairs, 2 degradation log, -1 otherwise.
  int ReadRamanOrDegradation(const std::string& path);

  // Degradation log and the labelled text data file.
  int ReadDegradationLog(const std::string& path);
  int ReadTextData(const std::string& path);
};

// Rietan PAT, column 0, 1 or 2, into any curve (the measured data, the fit record's total and
// background curves). 1 success, 0 when the column does not exist in that form, -1 otherwise.
int ReadRietanPat(CGraphData& curve, const std::string& path, int column);

// True when the file looks binary (the binary-file test of the text readers).
bool IsBinaryFile(const std::string& path);
