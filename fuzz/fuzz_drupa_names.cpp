// Drupa's name handling: the arguments, the split of a name for numbering and the choice of
// a free numbered name against a fuzzed set of names that exist. No file is touched.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Drupa.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider fdp(data, size);
  std::vector<std::string> args;
  const int argc = fdp.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < argc; ++i) args.push_back(fdp.ConsumeRandomLengthString(300));
  const std::optional<drupa::Options> options = drupa::ParseArguments(args);
  if (options) {
    FUZZ_CHECK(!(options->force && options->append));
    FUZZ_CHECK(!args.empty());
  }

  const std::string name = options ? options->name : fdp.ConsumeRandomLengthString(300);
  const drupa::NameParts parts = drupa::SplitName(name);
  FUZZ_CHECK(parts.base.find('/') == std::string::npos);
  FUZZ_CHECK(parts.extension.find('/') == std::string::npos);
  FUZZ_CHECK(parts.extension.find('.') == std::string::npos);
  const std::string rest = name.substr(parts.prefix.size());
  FUZZ_CHECK(name.rfind(parts.prefix, 0) == 0);
  FUZZ_CHECK(rest == parts.base || rest == parts.base + "." + parts.extension);

  // Names that exist: the name itself (or not) and the numbered variants below `firstFree`,
  // mostly a few, sometimes nearly all or all 999.
  const bool nameExists = fdp.ConsumeBool();
  const std::uint8_t mode = fdp.ConsumeIntegral<std::uint8_t>();
  const int firstFree = mode < 250 ? mode % 16 : mode < 255 ? drupa::kMaxNumber - (254 - mode)
                                                            : drupa::kMaxNumber + 1;
  // The candidates are asked for in order: the name, then number 1, 2, ...
  int asked = 0;
  const auto exists = [&](const std::string& candidate) {
    const int number = asked++;
    if (number == 0) return nameExists;
    FUZZ_CHECK(candidate == drupa::NumberedName(parts, number));
    return number < firstFree;
  };
  const std::optional<std::string> chosen = drupa::ChooseFreeName(name, exists);
  if (!nameExists) {
    FUZZ_CHECK(chosen && *chosen == name);
  } else if (firstFree > drupa::kMaxNumber) {
    FUZZ_CHECK(!chosen);
  } else {
    FUZZ_CHECK(chosen && *chosen == drupa::NumberedName(parts, firstFree < 1 ? 1 : firstFree));
    FUZZ_CHECK(chosen->rfind(parts.prefix + parts.base + "_", 0) == 0);
  }
  return 0;
}
