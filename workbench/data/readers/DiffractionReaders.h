// Readers of the text diffraction scans: Rigaku XRF csv, RAS, MRD, ScanData csv, the ".txt"
// forms, XDT and the sectioned scan with its section choice. Each fills the curve it is given:
// it sets fileName, sizes the arrays for the points the file really holds, fills X and Y, and
// updates the range. Results: 1 success, 0 not this kind (where noted), negative when the file
// cannot be opened or lacks a required marker.
#pragma once

#include <string>

class CGraphData;
class IPlatform;

int ReadRigakuXrfCsv(CGraphData& data, const std::string& path);          // ".csv"
int ReadRas(CGraphData& data, const std::string& path);                   // ".ras"
int ReadMrd(CGraphData& data, const std::string& path);                   // ".mrd"
int ReadScanDataCsv(CGraphData& data, const std::string& path);           // ".X12" and the like
int ReadGeneralText(CGraphData& data, const std::string& path);           // ".txt" chain, 1st: 0 when not "GENERAL"
int ReadCountFirstText(CGraphData& data, const std::string& path);        // ".txt" chain, 2nd: 0 when line 1 not digits
int ReadCountOnThirdLineText(CGraphData& data, const std::string& path);  // fallback of the next two
int ReadSampleHeaderScan(CGraphData& data, const std::string& path);      // ".txt" chain, 4th
int ReadXdt(CGraphData& data, const std::string& path);                   // ".xdt"
int ReadSectionedScan(CGraphData& data, const std::string& path, int section);  // ".xrd", "*TYPE" ".asc"

// The section of a sectioned scan to read, chosen through the platform's datum choice from the
// "%ld: %g - %g" lines of its sections (the choice is skipped for a file of one section);
// 0 when the choice is cancelled, -1 (with the "Can't read" message) when the file cannot be
// opened.
int ChooseSection(const std::string& path, IPlatform& platform);
