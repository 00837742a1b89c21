// The batch run of balimor-cli: the workbench's document, setup form and fit record without
// windows, set up from the command line the way a person sets them up on the form. Messages
// the workbench shows in a box go to the error stream as "caption: text".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "BalimorDoc.h"
#include "ConsolePlatform.h"
#include "PeakSearchDialog.h"
#include "SetupForm.h"

// The options shared by the batch commands.
struct BatchOptions {
  int section = -1;               // --section N: the section of a file with several
  std::optional<DataKind> kind;   // --kind 1|2: the data kind
  std::string pfc;                // --pfc JOB: the job read with its points
  std::optional<double> low, high;  // --range LOW HIGH: both ranges
  std::string program;            // --program PATH: the fitter of the data kind
  std::string method;             // --method Marq|MarqAdaptive: the diffraction fitter's method
  bool clear = false;             // --clear: the peaks and the background cleared first
  bool search = false;            // --search: the peak search, its peaks added
  std::optional<PeakSearchMethod> searchMethod;  // --search-method slope|prominence
  std::optional<int> smooth;      // --smooth N
  std::optional<double> threshold;  // --threshold T
  std::optional<CColumnChoice> columns;  // --columns [X,Y]: FILE read as column text
};

class CBatchSession {
 public:
  // Reads the settings (the INI file is never written), the document and the form.
  CBatchSession(const BatchOptions& options, bool answerYes);

  // Opens FILE as the form's input path does and applies the options in order (kind, job,
  // range, program, clear, search), then the form's values to the fit record. The program takes
  // effect at once, as after "Setup LSQ", so the peaks of the search get its flags and changes. With searchOnly the
  // search is run (whether or not --search was given) but its peaks are not added. false,
  // after a message on the error stream, when the file cannot be loaded or an option cannot
  // be carried out.
  bool Prepare(const std::string& file, bool searchOnly = false);

  ConsolePlatform platform;
  CIniLocation location;
  CBalimorDoc doc;
  CSetupForm form;
  // The peak search dialog of --search (or of the search command), with its list lines.
  std::unique_ptr<CPeakSearchDialog> searchDialog;

 private:
  BatchOptions options;
};

// Where a scan of a series starts: the folder of its job and report files (empty: beside the
// data), and the job whose settings, background and peaks it starts from (empty: its own).
struct ScanStart {
  std::string jobsDir;
  std::string job;
};

// Prepare's steps on any document and form: opens FILE as the form's input path does, moves
// its job and report into start.jobsDir, takes start.job, and applies the options in order
// (kind, job, range, program, search), then the form's values to the fit record. Empty when
// all went well, else what failed. The search dialog is kept in *searchDialog when given.
std::string PrepareFile(CBalimorDoc& doc, CSetupForm& form, const BatchOptions& options, const std::string& file,
                        bool searchOnly = false, std::unique_ptr<CPeakSearchDialog>* searchDialog = nullptr,
                        const ScanStart& start = {});

// The peak-area text with "\n" line ends, as the fit command prints it.
std::string WithNewlines(const std::string& text);
