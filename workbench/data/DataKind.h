// The kind of data the workbench fits. It chooses the PFC form, the curve model, the spin steps
// and the fitter; the file loader sets it per kind of file. Files, the command line and the
// messages give it as a number (0 none, 1 diffraction, 2 spectroscopic), converted here and
// nowhere else.
#pragma once

enum class DataKind { None, Diffraction, Spectroscopic };

// The number of a kind, and the kind of a number (any number but 1 and 2 is None).
constexpr int DataKindNumber(DataKind kind) {
  return kind == DataKind::Diffraction ? 1 : kind == DataKind::Spectroscopic ? 2 : 0;
}
constexpr DataKind DataKindOfNumber(int n) {
  return n == 1 ? DataKind::Diffraction : n == 2 ? DataKind::Spectroscopic : DataKind::None;
}
