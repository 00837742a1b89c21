// The peak fitter's job reader: a fuzzed PFC file through rdfile and, when it reads, the
// selection of the data of the calculation range.
#include <cstdint>
#include <memory>

#include "FuzzSupport.h"
#include "zentrab/input.h"
#include "zentrab/state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzzsupport::WriteScratch("job.pfc", data, size);
  // The state is some twenty megabytes of tables: made once and reused. The reader fills
  // every field it reads before it reads it, so what an earlier input left does not matter.
  static const std::unique_ptr<zentrab::State> state = std::make_unique<zentrab::State>();
  zentrab::State* st = state.get();
  st->nPeak = st->nOData = st->nData = -1;
  std::ostream& sink = fuzzsupport::NullStream();
  const zentrab::Out out{&sink, &sink, &sink};
  zentrab::Status s = zentrab::input::rdfile(*st, out, path);
  if (s == zentrab::Status::ok) {
    FUZZ_CHECK(st->nPeak >= 0 && st->nPeak <= zentrab::kMaxPeaks);
    FUZZ_CHECK(st->nOData >= 0 && st->nOData <= zentrab::kMaxOData);
    s = zentrab::input::selectData(*st, out);
    if (s == zentrab::Status::ok) FUZZ_CHECK(st->nData >= 0 && st->nData <= st->nOData);
  }
  return 0;
}
