// Printing for real: the job goes through CUPS to a cups-pdf printer of this test run, and the
// PDF it writes is rendered back (pdftoppm) to find where the picture landed on the page.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"
#include "win/Printers.h"

namespace {

using winetest::FormFixture;
using winetest::Utf8;
namespace ids = app::ids;
namespace fs = std::filesystem;

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  GetEnvironmentVariableW(name, value, 1024);
  return value;
}

// The printers scripts/test made for this run: A4 paper first, then A3.
std::vector<std::wstring> TestPrinters() {
  std::vector<std::wstring> names;
  const std::wstring list = Environment(L"CAPSLATE_TEST_PRINTERS");
  for (size_t at = 0; at < list.size();) {
    const size_t end = std::min(list.find(L';', at), list.size());
    names.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

// A path of the Linux side as the Windows side sees it.
fs::path WindowsPath(const std::wstring& unixPath) {
  std::wstring path = L"Z:" + unixPath;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

// The folder into which the printer writes its jobs as PDF files.
std::wstring PdfFolder(const std::wstring& printer) {
  return Environment(L"CAPSLATE_TEST_PDF_DIR") + L"/" + printer;
}

// The one complete PDF that the printer has written, waiting for it up to 30 s.
std::wstring WaitForPdf(const std::wstring& printer) {
  const std::wstring folder = PdfFolder(printer);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < end) {
    for (const auto& entry : fs::directory_iterator(WindowsPath(folder))) {
      if (entry.path().extension() != L".pdf") continue;
      const std::vector<uint8_t> bytes = winetest::ReadFileBytes(entry.path());
      const std::string tail(bytes.end() - std::min<size_t>(bytes.size(), 16), bytes.end());
      if (tail.find("%%EOF") != std::string::npos) {
        return folder + L"/" + entry.path().filename().wstring();
      }
    }
    winetest::PumpMessages(100);
  }
  return {};
}

struct Raster {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// Renders a region of the PDF's first page (in pixels at `dpi`) with pdftoppm, a Linux program
// that Wine starts like any other, and reads the PPM it writes.
Raster Render(const std::wstring& pdf, int dpi, int width, int height) {
  const std::wstring out = Environment(L"CAPSLATE_TEST_PDF_DIR") + L"/render";
  fs::remove(WindowsPath(out + L".ppm"));
  std::wstring command = L"Z:\\usr\\bin\\pdftoppm -r " + std::to_wstring(dpi) + L" -x 0 -y 0 -W " +
                         std::to_wstring(width) + L" -H " + std::to_wstring(height) +
                         L" -singlefile " + pdf + L" " + out;
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "pdftoppm did not start: " << GetLastError();
    return {};
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Wine does not wait for a Linux process's end: wait for its whole picture instead.
  const fs::path ppmFile = WindowsPath(out + L".ppm");
  const uintmax_t pixelBytes = static_cast<uintmax_t>(width) * height * 3;
  const bool written = winetest::WaitFor(
      [&] { return fs::exists(ppmFile) && fs::file_size(ppmFile) > pixelBytes; }, 20000);
  if (!written) {
    ADD_FAILURE() << "pdftoppm made no picture: " << Utf8(command);
    return {};
  }
  const std::vector<uint8_t> ppm = winetest::ReadFileBytes(WindowsPath(out + L".ppm"));
  // "P6\n<w> <h>\n255\n" then the pixels.
  Raster raster;
  size_t at = 2;
  auto number = [&] {
    while (at < ppm.size() && isspace(ppm[at])) ++at;
    int value = 0;
    while (at < ppm.size() && isdigit(ppm[at])) value = value * 10 + (ppm[at++] - '0');
    return value;
  };
  raster.width = number();
  raster.height = number();
  number();
  raster.rgb.assign(ppm.begin() + static_cast<std::ptrdiff_t>(at + 1), ppm.end());
  return raster;
}

// The smallest rectangle holding every pixel that is not paper white (right, bottom exclusive).
RECT InkBounds(const Raster& r) {
  RECT ink{r.width, r.height, 0, 0};
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) {
      const uint8_t* p = &r.rgb[(static_cast<size_t>(y) * r.width + x) * 3];
      if (std::min({p[0], p[1], p[2]}) < 160) {
        ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                   std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
      }
    }
  }
  return ink;
}

core::Dib SolidPicture(int width, int height) {
  core::Dib dib(width, height, 24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = dib.Row(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = 160;  // a dark blue
      row[x * 3 + 1] = 40;
      row[x * 3 + 2] = 30;
    }
  }
  return dib;
}

class Printing : public FormFixture {
 protected:
  void SetUp() override {
    printers = TestPrinters();
    ASSERT_EQ(printers.size(), 2u) << "scripts/test makes the test printers";
    const std::vector<std::wstring> names = win::PrinterNames();
    for (const std::wstring& printer : printers) {
      const auto found = std::find(names.begin(), names.end(), printer);
      ASSERT_NE(found, names.end()) << Utf8(printer) << " is not among the system's printers";
      numbers.push_back(static_cast<int>(found - names.begin()));
      // Each test finds only the PDFs of its own jobs.
      for (const auto& entry : fs::directory_iterator(WindowsPath(PdfFolder(printer)))) {
        fs::remove(entry.path());
      }
    }
  }
  void StartWith(const core::Dib& picture, const std::wstring& printSettings) {
    winetest::WriteBmpFile(PathIn(L"shot.bmp"), picture);
    WriteIni(L"[Print]\r\n" + printSettings);
    Start({PathIn(L"shot.bmp")});
  }
  std::vector<std::wstring> printers;  // A4, A3
  std::vector<int> numbers;            // their places in the system's list
};

TEST_F(Printing, FixedMagnificationPutsTheScaledPictureAtTheOffsets) {
  const core::Dib picture = SolidPicture(101, 33);
  StartWith(picture, L"Num=" + std::to_wstring(numbers[0]) +
                         L"\r\nManual=1\r\nMulti=150\r\nLeft=10\r\nTop=20\r\n");
  prompts.printAnswers.push_back(true);
  Command(ids::SpeedButton8);
  ASSERT_TRUE(prompts.errors.empty()) << Utf8(prompts.errors[0]);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"印刷が完了しました。"));
  EXPECT_EQ(prompts.printDialogs, 1);
  // The work file holds the printed picture.
  const core::Dib work = core::ReadBmp(winetest::ReadFileBytes(PathIn(L"tmp$$$.bmp")));
  EXPECT_EQ(work.Width(), 101);
  EXPECT_EQ(winetest::PixelAt(work, 100, 32), winetest::PixelAt(picture, 100, 32));

  const std::wstring pdf = WaitForPdf(printers[0]);
  ASSERT_FALSE(pdf.empty()) << "no PDF from " << Utf8(printers[0]);
  const RECT ink = InkBounds(Render(pdf, 300, 400, 200));  // printer pixels: 300 dpi
  // (10, 20) to (162, 70): 151.5 rounds to 152 and 49.5 to 50; one pixel of play for the raster.
  EXPECT_NEAR(ink.left, 10, 1);
  EXPECT_NEAR(ink.top, 20, 1);
  EXPECT_NEAR(ink.right, 162, 1);
  EXPECT_NEAR(ink.bottom, 70, 1);
}

TEST_F(Printing, FitModeFillsTheWidthOfThePaperOfThePrinterThatPrints) {
  StartWith(SolidPicture(640, 480), L"Num=" + std::to_wstring(numbers[1]) + L"\r\n");
  prompts.printAnswers.push_back(true);
  Command(ids::mnuPrint);
  ASSERT_TRUE(prompts.errors.empty()) << Utf8(prompts.errors[0]);
  const std::wstring pdf = WaitForPdf(printers[1]);
  ASSERT_FALSE(pdf.empty()) << "no PDF from " << Utf8(printers[1]);
  // A3 paper is 297 mm wide: 351 pixels at 30 dpi; the picture keeps its 4:3 proportions.
  const Raster page = Render(pdf, 30, 351, 496);
  const RECT ink = InkBounds(page);
  EXPECT_NEAR(ink.left, 0, 1);
  EXPECT_NEAR(ink.right, page.width, 1) << "scaled for other paper";
  EXPECT_NEAR(ink.bottom - ink.top, page.width * 3 / 4, 2);
}

// A magnification that leaves no rectangle to print in, or one past the printer's coordinates,
// ends the command with an error saying so before anything is printed: no job reaches the
// printer, and the one printed after them is the first it makes.
TEST_F(Printing, MagnificationsWithoutAPrintableRectangleAreRefusedWithAnError) {
  for (const wchar_t* multi : {L"0", L"-50", L"2147483647"}) {
    SCOPED_TRACE(Utf8(multi));
    StartWith(SolidPicture(101, 33),
              L"Num=" + std::to_wstring(numbers[0]) + L"\r\nManual=1\r\nMulti=" + multi + L"\r\n");
    const std::wstring status = form->StatusText();
    prompts.printAnswers.push_back(true);
    Command(ids::mnuPrint);
    ASSERT_EQ(prompts.errors.size(), 1u);
    const std::string error = Utf8(prompts.errors[0]);
    EXPECT_TRUE(error.find(Utf8(L"ﾌﾟﾘﾝﾀ倍率")) != std::string::npos) << error;
    EXPECT_TRUE(error.find(Utf8(L"設定ﾀﾞｲｱﾛｸﾞ")) != std::string::npos) << error;
    EXPECT_EQ(form->StatusText(), status);
    Close();
    prompts.errors.clear();
  }
  StartWith(SolidPicture(101, 33),
            L"Num=" + std::to_wstring(numbers[0]) + L"\r\nManual=1\r\nMulti=100\r\n");
  prompts.printAnswers.push_back(true);
  Command(ids::mnuPrint);
  ASSERT_TRUE(prompts.errors.empty()) << Utf8(prompts.errors[0]);
  const std::wstring pdf = WaitForPdf(printers[0]);
  ASSERT_FALSE(pdf.empty());
  int pdfs = 0;
  for (const auto& entry : fs::directory_iterator(WindowsPath(pdf).parent_path())) {
    pdfs += entry.path().extension() == L".pdf";
  }
  EXPECT_EQ(pdfs, 1);
  const RECT ink = InkBounds(Render(pdf, 300, 200, 100));
  EXPECT_NEAR(ink.right - ink.left, 101, 1);
}

TEST_F(Printing, RefusalsCancelAndAMissingPrinterPrintNothing) {
  StartWith(SolidPicture(20, 10), L"Num=-1\r\n");
  Command(ids::mnuPrint);
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});
  EXPECT_EQ(prompts.printDialogs, 0);
  Close();

  StartWith(SolidPicture(20, 10), L"Num=0\r\n");
  const std::wstring status = form->StatusText();
  Command(ids::smnuPrint);  // no answer queued: the user cancels
  EXPECT_EQ(prompts.printDialogs, 1);
  EXPECT_FALSE(fs::exists(PathIn(L"tmp$$$.bmp"))) << "a cancelled print writes no work file";
  EXPECT_EQ(form->StatusText(), status);
  Close();

  // A printer removed since it was chosen: an error box, and no success.
  StartWith(SolidPicture(20, 10), L"Num=500\r\n");
  prompts.printAnswers.push_back(true);
  Command(ids::mnuPrint);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_NE(Utf8(prompts.errors[0]).find("501"), std::string::npos) << Utf8(prompts.errors[0]);
  EXPECT_EQ(form->StatusText(), status);
}

}  // namespace
