// Readers of the spectroscopy files: tabular IR text, the ".asc" IR forms, optical density,
// quantum efficiency, F-4500 photoluminescence, Raman pairs and smoothed Raman columns. Each
// fills the curve as the diffraction readers do. Results: 1 success (some readers another
// number for another kind, as noted), 0 not this kind (where noted), negative otherwise.
#pragma once

#include <string>

class CGraphData;
class IPlatform;

int ReadTabularIr(CGraphData& data, const std::string& path);          // ".ir"
int ReadPeIr(CGraphData& data, const std::string& path);               // ".asc" beginning "PE IR"
// ".asc" with ", " pairs; 3 on success, -1 / -2 with the "Can't open [%s]" message.
int ReadCommaPairs(CGraphData& data, const std::string& path, IPlatform& platform);
int ReadOpticalDensity(CGraphData& data, const std::string& path);     // ".od"
int ReadQuantumEfficiency(CGraphData& data, const std::string& path);  // ".qe*"
int ReadRamanPairs(CGraphData& data, const std::string& path);         // ".ram", Raman branch of ".dat"
int ReadSmoothedRaman(CGraphData& data, const std::string& path);      // ".rmn"
int ReadF4500(CGraphData& data, const std::string& path);              // ".txt" chain, 3rd: 0 when not F-4500
// ".dat": 1 Raman pairs, 2 degradation log, -1 otherwise.
int ReadRamanOrDegradation(CGraphData& data, const std::string& path);

// True when the file looks binary (the binary-file test of the text readers).
bool IsBinaryFile(const std::string& path);
