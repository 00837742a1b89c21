// simplexfit's job reader. A job that reads is written back as the refined job "new.pfc" (with
// model tables of zeros), its spectrum file and peak-area table are made, and the refined job
// must read again with the same counts: the workbench and a further run read it.
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "Job.h"
#include "jobfiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  // A few megabytes of tables, made once: the job is reset for every input, the model tables
  // stay zero.
  static const std::unique_ptr<simplex::Fit> fit = std::make_unique<simplex::Fit>();
  static const std::unique_ptr<const simplex::Job> blank = std::make_unique<simplex::Job>();
  static const std::unique_ptr<simplex::Job> again = std::make_unique<simplex::Job>();
  fit->job = *blank;
  simplex::Channels out(fuzzsupport::NullStream(), nullptr);
  std::string error;
  if (!simplex::readJob(in, "fit.pfc", fit->job, out, error)) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  const simplex::Job& job = fit->job;
  FUZZ_CHECK(job.NB >= 0 && job.NB <= simplex::kMaxOrder);
  FUZZ_CHECK(job.NP >= 0 && job.NP <= simplex::kMaxPeaks);
  FUZZ_CHECK(job.ND >= 0 && job.ND <= simplex::kMaxPoints);

  simplex::spectrumFile(job, fit->tables);
  simplex::peakAreaTable(job, fit->tables);
  std::istringstream refined(simplex::refinedJobFile(job, fit->tables));
  *again = *blank;
  std::string againError;
  const bool reread = simplex::readJob(refined, "new.pfc", *again, out, againError);
  if (!reread) std::fprintf(stderr, "%s\n", againError.c_str());
  FUZZ_CHECK(reread);
  FUZZ_CHECK(again->NB == job.NB && again->NP == job.NP && again->ND == job.ND);
  return 0;
}
