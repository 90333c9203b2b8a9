#include "win/Printers.h"

#include <winspool.h>

#include "core/Error.h"
#include "win/Files.h"
#include "win/Text.h"

namespace win {

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

UniqueDc OpenPrinterDc(const std::wstring& name) {
  UniqueDc dc(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr));
  if (!dc) {
    throw core::Error("プリンタ「" + Narrow(name) + "」を使えません。\n" +
                      Narrow(SystemErrorText(GetLastError())));
  }
  return dc;
}

}  // namespace win
