// The photocurrent degradation log (time-stamped values) and the labelled text data file.
#include "LogReaders.h"

#include <climits>
#include <cstring>
#include <ctime>
#include <string>

#include "GraphData.h"
#include "ReaderText.h"

using namespace balimor::readers;

namespace {

constexpr char kDateTimeChars[] = "0123456789 \t\r\nEe+-.Dd/:";

// Up to `max` blank-separated words of a line ("%s %s ..."); returns how many there are,
// counting one beyond `max` at most.
int Words(const char* s, std::string* out, int max) {
  int count = 0;
  const char* blanks = " \t\r\n\v\f";
  for (s += std::strspn(s, blanks); *s && count <= max; s += std::strspn(s, blanks)) {
    const std::size_t len = std::strcspn(s, blanks);
    if (count < max) out[count].assign(s, len);
    ++count;
    s += len;
  }
  return count;
}

// Three integers separated by `sep` ("%d/%d/%d", "%d:%d:%d"); missing parts count as 0.
void Triple(const char* s, char sep, int v[3]) {
  v[0] = v[1] = v[2] = 0;
  for (int k = 0; k < 3; ++k) {
    if (!ParseInt(s, v[k])) return;
    if (k < 2) {
      if (*s != sep) return;
      ++s;
    }
  }
}

// A date-time line "Y/M/D h:m:s value": only number, "/" and ":" characters; a "/", a second
// "/", then a ":" and a second ":"; only number characters after the second ":"; exactly three
// words. Fills the local calendar time in seconds and the value.
bool DateTimeLine(const char* line, std::time_t& t, double& value) {
  if (!AllIn(line, kDateTimeChars)) return false;
  const char* s1 = std::strchr(line, '/');
  const char* s2 = s1 ? std::strchr(s1 + 1, '/') : nullptr;
  const char* c1 = s2 ? std::strchr(s2 + 1, ':') : nullptr;
  const char* c2 = c1 ? std::strchr(c1 + 1, ':') : nullptr;
  if (!c2 || !AllIn(c2 + 1, kNumberChars)) return false;
  std::string w[3];
  if (Words(line, w, 3) != 3) return false;

  int date[3], time[3];
  Triple(w[0].c_str(), '/', date);
  Triple(w[1].c_str(), ':', time);
  std::tm tm{};
  // A year from 1901 on is taken as written, a smaller one as counted from 1900.
  tm.tm_year = date[0] >= 1901 ? date[0] - 1900 : date[0];
  tm.tm_mon = date[1] > INT_MIN ? date[1] - 1 : INT_MIN;  // no overflow on an absurd month
  tm.tm_mday = date[2];
  tm.tm_hour = time[0];
  tm.tm_min = time[1];
  tm.tm_sec = time[2];
  tm.tm_isdst = -1;  // daylight saving as the local rules say
  t = std::mktime(&tm);
  value = LeadingNumber(w[2].c_str());
  return true;
}

}  // namespace

int ReadDegradationLog(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;
  const char* line = f.ReadLine();
  data.label = WithoutLineEnd(line ? line : "");

  // X = seconds since the first data line's time stamp, Y = the value. One line that is not a
  // date-time line fails the whole log.
  Points pts;
  pts.ReserveFor(INT_MAX, f.Remaining(), 24);
  std::time_t t0 = 0;
  while ((line = f.ReadLine())) {
    std::time_t t = 0;
    double value = 0;
    if (!DateTimeLine(line, t, value) || pts.Count() == INT_MAX) {
      StorePoints(data, Points{});
      return -1;
    }
    if (pts.Count() == 0) t0 = t;
    pts.Add(std::difftime(t, t0), value);
  }
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadTextData(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;
  const char* line = f.ReadLine();
  data.label = WithoutTrailingBlanks(line ? line : "");
  line = f.ReadLine();
  const int n = line ? LeadingInt(line) : 0;
  Points pts;
  ReadPairLines(f, n, pts);
  return StorePoints(data, pts) ? 1 : -1;
}
