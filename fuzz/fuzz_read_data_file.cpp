// ReadDataFile over every reader. The first byte of the input picks the extension of the file,
// so that every row of the extension dispatch is reached (and the two direct load commands and
// the column import, with the columns it finds and with chosen ones);
// the second byte is the answer of the section choice; the rest is the file.
#include <cstdint>
#include <optional>
#include <string>

#include "BalimorDoc.h"
#include "FuzzSupport.h"
#include "RecordingPlatform.h"

using fuzzsupport::WriteScratch;

namespace {

// What a load does with the file: its name in the scratch folder and how it is loaded.
enum class Load { kReadDataFile, kTextCommand, kRietanCommand, kColumnImport };
struct Row {
  const char* name;
  Load load;
};

// One file name per dispatch row, with a few spellings that the tests of a row compare.
const Row kRows[] = {
    {"data.csv", Load::kReadDataFile},   {"data.ras", Load::kReadDataFile},
    {"data.ir", Load::kReadDataFile},    {"data.asc", Load::kReadDataFile},
    {"data.mrd", Load::kReadDataFile},   {"data.X12", Load::kReadDataFile},
    {"data.x07", Load::kReadDataFile},   {"data.od", Load::kReadDataFile},
    {"data.qe", Load::kReadDataFile},    {"data.qe2", Load::kReadDataFile},
    {"data.txt", Load::kReadDataFile},   {"DATA.TXT", Load::kReadDataFile},
    {"data.dat", Load::kReadDataFile},   {"data.ram", Load::kReadDataFile},
    {"data.rmn", Load::kReadDataFile},   {"data.1", Load::kReadDataFile},
    {"data.123", Load::kReadDataFile},   {"data.", Load::kReadDataFile},
    {"data.xdt", Load::kReadDataFile},   {"data.xrd", Load::kReadDataFile},
    {"data.int", Load::kReadDataFile},   {"data.pat", Load::kReadDataFile},
    {"data.raw", Load::kReadDataFile},   {"data.xy12", Load::kReadDataFile},
    {"data", Load::kReadDataFile},       {"text.txt", Load::kTextCommand},
    {"text", Load::kTextCommand},        {"rietan.int", Load::kRietanCommand},
    {"rietan.PAT", Load::kRietanCommand},
    {"data.xy", Load::kReadDataFile},    {"data.xye", Load::kReadDataFile},
    {"data.tsv", Load::kReadDataFile},   {"data.prn", Load::kReadDataFile},
    {"cols.txt", Load::kColumnImport},
};
constexpr std::size_t kRowCount = sizeof kRows / sizeof kRows[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Row& row = kRows[data[0] % kRowCount];
  const std::string path = WriteScratch(row.name, data + 2, size - 2);
  const std::string ini = fuzzsupport::ScratchDir() + "/fuzz.INI";

  RecordingPlatform platform;
  platform.defaultLine = static_cast<int>(data[1] % 8) - 1;  // -1: the choice is cancelled
  CBalimorDoc doc(platform, ini);
  switch (row.load) {
    case Load::kReadDataFile: {
      const int result = doc.ReadDataFile(path);
      FUZZ_CHECK(result >= -1);
      FUZZ_CHECK(doc.GetPathName().rfind(path + " (", 0) == 0 || result == -1);
      break;
    }
    case Load::kTextCommand:
      platform.fileAnswers.push_back(path);
      doc.OnReadTextFiles();
      break;
    case Load::kRietanCommand:
      platform.fileAnswers.push_back(path);
      doc.OnReadRietanFiles();
      break;
    case Load::kColumnImport: {
      // The second byte also chooses the columns: 0 finds them, else X and Y from 1 to 4.
      CColumnChoice choice;
      if (data[1] & 0x10) {
        choice.xColumn = 1 + (data[1] >> 5) % 4;
        choice.yColumn = 1 + (data[1] >> 3) % 4;
      }
      const int result = doc.ImportColumns(path, choice, std::nullopt);
      FUZZ_CHECK(result == 0 || result == -1);
      FUZZ_CHECK(result == -1 || doc.GetOriginalData()->datan > 0);
      FUZZ_CHECK(doc.OnFileUpdate() == result);
      break;
    }
  }

  // What the workbench does next with a curve: the clipboard text and the Rietan INT text.
  const CVariousData& curve = *doc.GetOriginalData();
  FUZZ_CHECK(curve.datan >= 0 && static_cast<std::size_t>(curve.datan) <= curve.X.size());
  FUZZ_CHECK(curve.X.size() == curve.Y.size());
  curve.PutOnClipboard(platform);
  WriteRietanInt(curve, fuzzsupport::ScratchDir() + "/out.int", "w");
  return 0;
}
