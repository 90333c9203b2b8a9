#pragma once
// The system's printers: the list by which the settings choose one, their settings for a job
// (paper, orientation, copies: a DEVMODE), and a device context to print on the chosen one.

#include <windows.h>

#include <string>
#include <vector>

#include "win/Handles.h"

namespace win {

// What the print dialog settles for a job: the printer chosen there and its settings, as the
// DEVMODEW (with the driver's own data after it) the dialog returns.
struct PrintSetup {
  std::wstring printer;
  std::vector<uint8_t> devMode;  // empty: the printer's own settings
};

// The names of the local and connected printers in the system's order; throws core::Error when
// the list cannot be read.
std::vector<std::wstring> PrinterNames();

// The printer's settings for a new job as its driver gives them, with the paper, orientation,
// copies and collation that `changes` names in its dmFields taken over. Throws core::Error naming
// the printer.
std::vector<uint8_t> PrinterSettings(const std::wstring& printer,
                                     const DEVMODEW* changes = nullptr);

// The settings `printer` prints a job with after the print dialog settled `setup`: the dialog's
// own when they are for that printer; for another printer, its own settings with the dialog's
// paper, orientation and copies merged in, since the rest of another driver's data means nothing
// to it.
std::vector<uint8_t> JobSettings(const std::wstring& printer, const PrintSetup& setup);

// A device context for printing on the named printer with the settings `devMode` (a DEVMODEW with
// its driver data; empty: the printer's own); throws core::Error naming it.
UniqueDc OpenPrinterDc(const std::wstring& name, const std::vector<uint8_t>& devMode = {});

}  // namespace win
