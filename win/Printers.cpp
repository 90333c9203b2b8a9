#include "win/Printers.h"

#include <winspool.h>

#include <cstddef>

#include "core/Error.h"
#include "win/Files.h"
#include "win/Text.h"

namespace win {
namespace {

void ClosePrinterHandle(HANDLE printer) { ClosePrinter(printer); }
using UniquePrinter = Unique<NullIsEmpty<HANDLE, ClosePrinterHandle>>;

// The members of a DEVMODE that mean the same to every driver and that the print dialog offers.
constexpr DWORD kPortableFields =
    DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_COLLATE;

[[noreturn]] void Unusable(const std::wstring& printer) {
  throw core::Error("プリンタ「" + Narrow(printer) + "」を使えません。\n" +
                    Narrow(SystemErrorText(GetLastError())));
}

// The DEVMODEW at the start of `devMode`, when the bytes hold all of it; nullptr otherwise.
const DEVMODEW* AsDevMode(const std::vector<uint8_t>& devMode) {
  if (devMode.size() < offsetof(DEVMODEW, dmCollate) + sizeof(short)) return nullptr;
  const auto* mode = reinterpret_cast<const DEVMODEW*>(devMode.data());
  if (mode->dmSize < offsetof(DEVMODEW, dmCollate) + sizeof(short) ||
      size_t{mode->dmSize} + mode->dmDriverExtra > devMode.size()) {
    return nullptr;
  }
  return mode;
}

bool SamePrinter(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::vector<std::wstring> PrinterNames() {
  constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersW(kFlags, nullptr, 4, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersW(kFlags, nullptr, 4, buffer.data(), needed, &needed, &count)) {
    if (needed == 0) return {};  // no printer at all
    throw core::Error("プリンタの一覧を読めません。\n" + Narrow(SystemErrorText(GetLastError())));
  }
  const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  std::vector<std::wstring> names;
  for (DWORD i = 0; i < count; ++i) names.emplace_back(printers[i].pPrinterName);
  return names;
}

std::vector<uint8_t> PrinterSettings(const std::wstring& printer, const DEVMODEW* changes) {
  std::wstring name = printer;
  HANDLE opened = nullptr;
  if (!OpenPrinterW(name.data(), &opened, nullptr)) Unusable(printer);
  UniquePrinter handle(opened);
  const LONG size = DocumentPropertiesW(nullptr, handle.get(), name.data(), nullptr, nullptr, 0);
  if (size <= 0) Unusable(printer);
  std::vector<uint8_t> settings(static_cast<size_t>(size));
  auto* mode = reinterpret_cast<DEVMODEW*>(settings.data());
  if (DocumentPropertiesW(nullptr, handle.get(), name.data(), mode, nullptr, DM_OUT_BUFFER) !=
          IDOK ||
      !AsDevMode(settings)) {
    Unusable(printer);
  }
  if (changes) {
    // Set in the public part, which the driver reads before its own data when it makes the device
    // context. (Merging through DocumentProperties would be the driver's way, but Wine's driver
    // then keeps the changes as the printer's defaults for the rest of the process.)
    const DWORD fields = changes->dmFields & kPortableFields;
    if (fields & DM_ORIENTATION) mode->dmOrientation = changes->dmOrientation;
    if (fields & DM_PAPERSIZE) mode->dmPaperSize = changes->dmPaperSize;
    if (fields & DM_PAPERLENGTH) mode->dmPaperLength = changes->dmPaperLength;
    if (fields & DM_PAPERWIDTH) mode->dmPaperWidth = changes->dmPaperWidth;
    if (fields & DM_COPIES) mode->dmCopies = changes->dmCopies;
    if (fields & DM_COLLATE) mode->dmCollate = changes->dmCollate;
    mode->dmFields |= fields;
  }
  return settings;
}

std::vector<uint8_t> JobSettings(const std::wstring& printer, const PrintSetup& setup) {
  const DEVMODEW* chosen = AsDevMode(setup.devMode);
  if (!chosen) return {};
  if (SamePrinter(setup.printer, printer)) return setup.devMode;
  return PrinterSettings(printer, chosen);
}

UniqueDc OpenPrinterDc(const std::wstring& name, const std::vector<uint8_t>& devMode) {
  const DEVMODEW* settings = AsDevMode(devMode);
  UniqueDc dc(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, settings));
  if (!dc) Unusable(name);
  return dc;
}

}  // namespace win
