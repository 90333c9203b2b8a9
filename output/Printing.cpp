#include "output/Printing.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/BmpCodec.h"
#include "core/Error.h"
#include "output/PrintLayout.h"
#include "win/Files.h"
#include "win/Printers.h"
#include "win/Text.h"

namespace output {
namespace {

// One print job on a printer's device context: ended by End, aborted when it goes unfinished.
class PrintJob {
 public:
  PrintJob(HDC dc, const std::wstring& printer) : dc_(dc), printer_(printer) {
    DOCINFOW document{};
    document.cbSize = sizeof document;
    document.lpszDocName = L"";  // the job has no title
    if (StartDocW(dc_, &document) <= 0) Fail();
    if (StartPage(dc_) <= 0) {
      AbortDoc(dc_);
      Fail();
    }
    started_ = true;
  }
  ~PrintJob() {
    if (started_) AbortDoc(dc_);
  }
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  void End() {
    if (EndPage(dc_) <= 0 || EndDoc(dc_) <= 0) Fail();
    started_ = false;
  }
  [[noreturn]] void Fail() const {
    throw core::Error("プリンタ「" + win::Narrow(printer_) + "」で印刷できません。\n" +
                      win::Narrow(win::SystemErrorText(GetLastError())));
  }

 private:
  HDC dc_;
  const std::wstring& printer_;
  bool started_ = false;
};

// The printer the settings choose by its place in the system's list, if the list has that place.
std::optional<std::wstring> ConfiguredPrinter(win::Prompts& prompts, int32_t number) {
  const std::vector<std::wstring> names = prompts.PrinterNames();
  if (number < 0 || static_cast<size_t>(number) >= names.size()) return std::nullopt;
  return names[static_cast<size_t>(number)];
}

}  // namespace

void Printing::Print() {
  if (!picture_.RequirePicture()) return;
  const host::Settings& settings = window_.Settings();
  if (settings.printNum == -1 || !window_.PrinterListReadable()) {
    window_.Refuse();
    return;
  }
  // The dialog opens on the printer that prints, so the paper, orientation and copies chosen
  // there are that printer's.
  const std::optional<std::wstring> printer =
      ConfiguredPrinter(window_.Prompts(), settings.printNum);
  const std::optional<win::PrintSetup> setup =
      window_.Prompts().PrintDialog(window_.Owner(), printer.value_or(L""));
  if (!setup) return;

  GdiFlush();
  const std::wstring workFile = window_.WorkFileName();
  win::WriteFileReplacing(workFile, core::WriteBmp(picture_.Picture().Pixels()));
  picture_.ReplacePicture(win::Picture::FromDib(core::ReadBmp(win::ReadWholeFile(workFile))));

  if (!printer) {
    throw core::Error("設定されたプリンタ (" + std::to_string(settings.printNum + 1) +
                      " 番目) がありません。設定ﾀﾞｲｱﾛｸﾞでプリンタを選び直してください。");
  }
  // The page is measured on the printer that prints it, with the dialog's paper, so a fitted
  // picture fits the paper it is printed on.
  win::UniqueDc dc = win::OpenPrinterDc(*printer, win::JobSettings(*printer, *setup));
  const core::Dib& pixels = picture_.Picture().Pixels();
  // Checked before the job starts: a rectangle no printer can take prints nothing.
  const PrintRect rect = ComputePrintRect(pixels.Width(), pixels.Height(),
                                          PrintOptions{settings.printManual, settings.printMulti,
                                                       settings.printLeft, settings.printTop},
                                          GetDeviceCaps(dc.get(), HORZRES));
  const std::vector<uint8_t> info = win::MakeBitmapInfo(pixels);
  PrintJob job(dc.get(), *printer);
  // ComputePrintRect keeps every edge and side within 32 bits.
  if (StretchDIBits(dc.get(), static_cast<int>(rect.left), static_cast<int>(rect.top),
                    static_cast<int>(rect.right - rect.left),
                    static_cast<int>(rect.bottom - rect.top), 0, 0, pixels.Width(), pixels.Height(),
                    pixels.Bits(), reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                    SRCCOPY) == 0) {
    job.Fail();
  }
  job.End();
  window_.SetStatusText(L"印刷が完了しました。");
}

}  // namespace output
