// The workbench INI module over fuzzed file contents: GetString and GetInt of a fuzzed section
// and key, then WriteString of a value. A plain section, key and value (printable, no "=",
// brackets or ";", no blanks at the ends) must read back as written, and every other line of
// the file must still give what it gave before.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "Profile.h"

namespace {

bool Plain(const std::string& s, bool allowBrackets) {
  if (s.empty() || s.front() == ' ' || s.back() == ' ') return false;
  for (unsigned char c : s) {
    if (c < 0x20 || c >= 0x7f || c == '=' || c == ';') return false;
    if (!allowBrackets && (c == '[' || c == ']')) return false;
  }
  return true;
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider fdp(data, size);
  const std::string section = fdp.ConsumeRandomLengthString(24);
  const std::string key = fdp.ConsumeRandomLengthString(24);
  const std::string value = fdp.ConsumeRandomLengthString(300);
  const std::string other = fdp.ConsumeRandomLengthString(24);
  const std::string contents = fdp.ConsumeRemainingBytesAsString();
  const std::string ini = fuzzsupport::WriteScratch(
      "fuzz.INI", reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size());

  const std::string before = profile::GetString(section, key, "default", ini);
  FUZZ_CHECK(before.size() <= 255);
  profile::GetInt(section, key, -7, ini);
  // A key of another name in the same section, and the same key in another section.
  const std::string otherBefore = profile::GetString(section, other, "none", ini);
  const std::string elsewhereBefore = profile::GetString(other, key, "none", ini);

  FUZZ_CHECK(profile::WriteString(section, key, value, ini));
  if (Plain(section, false) && Plain(key, false) && Plain(value, true) &&
      Plain(other, false) && value.size() <= 255) {
    FUZZ_CHECK(profile::GetString(section, key, "default", ini) == value);
    // Names compare without regard to letter case: "other" may name the same key or section.
    if (!SameName(other, key))
      FUZZ_CHECK(profile::GetString(section, other, "none", ini) == otherBefore);
    if (!SameName(other, section))
      FUZZ_CHECK(profile::GetString(other, key, "none", ini) == elsewhereBefore);
  }
  return 0;
}
