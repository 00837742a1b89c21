#include "SeriesFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

namespace {

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool Fail(const std::string& path, std::string& error) {
  error = "can't write [" + path + "]: " + std::strerror(errno);
  return false;
}

}  // namespace

CSummaryFile::~CSummaryFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool CSummaryFile::Replace(const std::string& path, const std::string& text, std::string& error) {
  const std::string scratch = path + ".writing";
  const int fd = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(scratch, error);
  const bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
  const int saved = errno;
  ::close(fd);
  if (!ok || ::rename(scratch.c_str(), path.c_str()) != 0) {
    if (!ok) errno = saved;
    Fail(path, error);
    ::unlink(scratch.c_str());
    return false;
  }
  if (fd_ >= 0) {  // the file appended to so far was replaced: append to the new one
    ::close(fd_);
    fd_ = -1;
    return OpenToAppend(path, error);
  }
  return true;
}

bool CSummaryFile::OpenToAppend(const std::string& path, std::string& error) {
  path_ = path;
  fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  return fd_ >= 0 || Fail(path, error);
}

bool CSummaryFile::Append(const std::string& rows, std::string& error) {
  struct stat st = {};
  const off_t before = ::fstat(fd_, &st) == 0 ? st.st_size : -1;
  if (WriteAll(fd_, rows) && ::fsync(fd_) == 0) return true;
  Fail(path_, error);
  if (before >= 0 && ::ftruncate(fd_, before) == 0) ::fsync(fd_);  // no half a scan left behind
  return false;
}

CSeriesWriteResult RunSeriesIntoSummary(const CSeriesSettings& settings, const std::vector<int>& todo, int chainFrom,
                                        CSummaryFile& summary, const std::function<void(const CSeriesScan&)>& onScan) {
  CSeriesWriteResult result;
  std::map<int, std::string> waiting;  // rows of scans that ended before an earlier one, by scan
  std::size_t next = 0;                // the place in todo of the next scan to be written
  auto flush = [&](bool all) {
    while (result.written && !waiting.empty() &&
           (all || (next < todo.size() && waiting.begin()->first == todo[next] + 1))) {
      if (!summary.Append(waiting.begin()->second, result.error)) result.written = false;
      waiting.erase(waiting.begin());
      ++next;
    }
    return result.written;
  };
  RunSeries(settings, todo, chainFrom, [&](const CSeriesScan& scan) {
    result.allConverged = result.allConverged && SeriesScanConverged(scan);
    waiting.emplace(scan.scan, FormatScanRows(scan));
    if (onScan) onScan(scan);
    return flush(false);
  });
  flush(true);
  return result;
}
