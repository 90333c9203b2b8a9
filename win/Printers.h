#pragma once
// The system's printers: the list by which the settings choose one, and a device context to print
// on the chosen one.

#include <windows.h>

#include <string>
#include <vector>

#include "win/Handles.h"

namespace win {

// The names of the local and connected printers in the system's order; throws core::Error when
// the list cannot be read.
std::vector<std::wstring> PrinterNames();

// A device context for printing on the named printer; throws core::Error naming it.
UniqueDc OpenPrinterDc(const std::wstring& name);

}  // namespace win
