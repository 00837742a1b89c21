// The workbench's readers of a PFC file, built twice: FUZZ_PFC_FORM 1 for the diffraction
// form (CPeakSearch::ReadZentrabPFCFile), 2 for the Raman/IR form (ReadRamanPFCFile). The first
// byte of the input tells whether the points of the file replace the loaded data; the rest is
// the file. A job that reads is drawn as model curves and written back, as the workbench does
// next.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "GraphData.h"
#include "PeakSearch.h"
#include "RecordingPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool readData = data[0] & 1;
  const std::string path = fuzzsupport::WriteScratch("job.pfc", data + 1, size - 1);
  RecordingPlatform platform;
  CGraphData measured;
  measured.SetSize(3);
  for (int i = 0; i < 3; ++i) {
    measured.SetX(i, 20 + i);
    measured.SetY(i, 100);
  }
  measured.UpdateRange();
  CPeakSearch record;
  record.platform = &platform;
  record.dataSet = &measured;
  record.dataKind = DataKindOfNumber(FUZZ_PFC_FORM);
#if FUZZ_PFC_FORM == 1
  std::string program;
  FUZZ_CHECK(record.ReadZentrabPFCFile(path, program, readData) == 1);
#else
  FUZZ_CHECK(record.ReadRamanPFCFile(path, readData) == 1);
#endif
  FUZZ_CHECK(record.peakCount >= 0 && record.peakCount <= record.capacity);
  record.MakeModelCurves(measured.datan);
  record.SavePFCFile(fuzzsupport::ScratchDir() + "/saved.pfc");
  return 0;
}
