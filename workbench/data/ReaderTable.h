// The recognition of instrument files: one row per format, tried in order on the file's
// extension (and, for some extensions, its first lines). A row names the extension it takes
// (or a test where no single extension says it), the reader, and the axis labels, title and
// data kind the file gets. A new format is one row here and one reader in readers/.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "DataKind.h"

class CGraphData;
class CGraphFrame;
class IPlatform;

// Axis labels, title and data kind of one kind of file.
struct CFileKind {
  const char* xLabel;
  const char* yLabel;
  const char* suffix;                // the title: "<path> <suffix>"
  std::optional<DataKind> dataKind;  // none: the data kind stays as it is
};

// The title of a file no reader could read.
inline constexpr const char* kInvalidSuffix = "(Invalid Data)";
// The kind of the labelled text data file of "Read Text Files...".
extern const CFileKind kTextDataKind;
// The kind of generic column text ("Import Columns...", and the column extensions): its labels
// and data kind come from the file.
extern const CFileKind kColumnDataKind;

// "<path> <suffix>".
std::string TitleOf(const std::string& path, const char* suffix);
// Gives the frame the labels of a kind and sets the data kind (when the kind names one);
// returns the title.
std::string ApplyFileKind(CGraphFrame& frame, DataKind& dataKind, const CFileKind& kind,
                          const std::string& path);

// What a reader is handed: the file, the measured data to fill, the frame that shows it, the
// fit record's total and background curves (the second and third columns of a PAT file) and
// the platform (the section choice, messages). A reader that chooses a section says which.
struct CReadRequest {
  const std::string& path;
  CGraphData& data;
  CGraphFrame& frame;
  CGraphData& total;
  CGraphData& background;
  IPlatform& platform;
  int section = 0;
};

// What a reader made of a file. Abandoned: a message was shown and the load ends there, with
// the document's title left as it was. kind: the kind the file turned out to be, for a row
// that leaves it to its reader.
struct CReadOutcome {
  enum Result { kRead, kNotRead, kAbandoned };
  Result result = kNotRead;
  const CFileKind* kind = nullptr;
  // What the file tells of itself (column data: the header's names, the kind its X values
  // say): replaces the labels and the data kind of the kind where set.
  std::string xLabel, yLabel;
  std::optional<DataKind> dataKind;
  // The reader took every line of numbers the file holds, so no line was left unread.
  bool everyLine = false;
};

struct CReaderRow {
  const char* extension;                        // the extension the row takes, in any case ...
  bool (*takes)(const std::string& extension);  // ... or, when set, the test that says it
  CReadOutcome (*read)(CReadRequest& request);
  const CFileKind* kind;  // null where the reader tells the kind
  bool labelsFirst;       // labels, title and kind set before the reader runs (kept on failure)
  bool chooseSection;     // the section is chosen first; a file that cannot be opened abandons
};

// Gives the frame the labels that the file told of itself and sets the data kind it told.
void ApplyOwnLabels(CGraphFrame& frame, DataKind& dataKind, const CReadOutcome& outcome);

// The rows in the order they are tried; the last takes every extension.
std::span<const CReaderRow> ReaderTable();
// The first row that takes the extension.
const CReaderRow& ReaderFor(const std::string& extension);
// The extension as the loader sees it: from the last "." of the whole path to its end (a dot
// in a folder name counts). Empty when the path holds no ".".
std::string LoaderExtension(const std::string& path);
