// The Rigaku binary scan: a text header of 31 lines beginning "numbr", then pairs of 32-bit
// integers (angle in 1/10000 degree, count) at the byte offset the header names. The byte
// order is found from the data.
#include "RigakuBinary.h"

#include <climits>
#include <cstdint>
#include <string>

#include "GraphData.h"
#include "ReaderText.h"

using namespace balimor::readers;

namespace {

constexpr int kHeaderLines = 31;
constexpr int kOffsetLine = 2;   // "offst %ld": byte offset of the data
constexpr int kLabelLine = 15;   // text from the 7th character: the label
constexpr int kCountLine = 31;   // "datan %d": number of points
constexpr std::size_t kPairBytes = 8;

// One header line: bytes up to LF (a CR just before the LF belongs to the line end), bytes
// below 32 read as ".". False at end of file before any byte.
bool HeaderLine(FileText& f, std::string& line) {
  line.clear();
  int c = f.GetByte();
  if (c < 0) return false;
  bool cr = false;
  for (; c >= 0 && c != '\n'; c = f.GetByte()) {
    cr = c == '\r';
    line.push_back(c < 32 ? '.' : static_cast<char>(c));
  }
  if (c == '\n' && cr) line.pop_back();
  return true;
}

// The value of a "key %ld" line; 0 when the key or the number is missing.
long long KeyValue(const std::string& line, const char* key) {
  long long v = 0;
  if (!StartsWith(line.c_str(), key)) return 0;
  const char* p = line.c_str() + std::char_traits<char>::length(key);
  return ParseLong(p, v) ? v : 0;
}

std::int32_t Decode(const unsigned char* b, bool bigEndian) {
  const std::uint32_t u =
      bigEndian ? (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                      (std::uint32_t{b[2]} << 8) | b[3]
                : (std::uint32_t{b[3]} << 24) | (std::uint32_t{b[2]} << 16) |
                      (std::uint32_t{b[1]} << 8) | b[0];
  return static_cast<std::int32_t>(u);
}

bool Plausible(std::int32_t angle, std::int32_t count) {
  return angle > -900000 && angle < 1800000 && count >= 0 && count <= 100000000;
}

}  // namespace

int ReadRigakuBinary(CGraphData& data, const std::string& path, bool bigEndianFirst) {
  data.fileName = path;
  // The magic is checked before the whole file is read: any unknown file comes here.
  FileText f;
  const char magic[] = "numbr";
  if (!f.Open(path, FileText::Mode::kBytes, 5)) return -1;
  for (int i = 0; i < 5; ++i)
    if (f.GetByte() != static_cast<unsigned char>(magic[i])) return -1;
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;

  long long offset = 0;
  long long count = 0;
  std::string line, title;
  for (int k = 1; k <= kHeaderLines; ++k) {
    if (!HeaderLine(f, line)) return -1;  // the header ends before its count line
    if (k == kOffsetLine) offset = KeyValue(line, "offst");
    if (k == kLabelLine) title = line.size() > 6 ? line.substr(6) : std::string();
    if (k == kCountLine) count = KeyValue(line, "datan");
  }
  data.label = title;

  // Bytes are skipped up to the data offset (none when the header already reaches past it).
  if (offset > static_cast<long long>(f.Position()))
    f.Seek(offset > static_cast<long long>(f.Size()) ? f.Size() : static_cast<std::size_t>(offset));
  const int n = count < 0 ? 0 : count > INT_MAX ? INT_MAX : static_cast<int>(count);

  Points pts;
  pts.ReserveFor(n, f.Remaining(), kPairBytes);
  bool bigEndian = bigEndianFirst;
  bool switched = false;
  unsigned char b[kPairBytes];
  while (pts.Count() < n && f.Remaining() >= kPairBytes) {
    for (unsigned char& byte : b) byte = static_cast<unsigned char>(f.GetByte());
    std::int32_t angle = Decode(b, bigEndian);
    std::int32_t counts = Decode(b + 4, bigEndian);
    if (!switched && !Plausible(angle, counts)) {
      // The first implausible pair switches the byte order for the rest of the scan.
      switched = true;
      bigEndian = !bigEndian;
      angle = Decode(b, bigEndian);
      counts = Decode(b + 4, bigEndian);
    }
    pts.Add(angle * 0.0001, counts);
  }
  return StorePoints(data, pts) ? 1 : -1;
}
