// Printing for real: the job goes through CUPS to a cups-pdf printer of this test run, and the
// PDF it writes is rendered back (pdftoppm) to find where the picture landed on the page.
#include <windows.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"
#include "win/Printers.h"
#include "win/Prompts.h"

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

// Runs a Linux command line through the shell, which Wine starts like any other program, and
// returns what it printed. Wine does not wait for a Linux process's end, so the output goes to a
// file that is renamed into place when the command has ended.
std::string RunLinuxCommand(const std::wstring& commandLine) {
  const std::wstring out = Environment(L"CAPSLATE_TEST_PDF_DIR") + L"/command.out";
  fs::remove(WindowsPath(out));
  std::wstring command = L"Z:\\bin\\sh -c \"" + commandLine + L" >" + out + L".tmp 2>&1; mv " +
                         out + L".tmp " + out + L"\"";
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "the shell did not start: " << GetLastError();
    return {};
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!winetest::WaitFor([&] { return fs::exists(WindowsPath(out)); }, 20000)) {
    ADD_FAILURE() << "no end of " << Utf8(commandLine);
    return {};
  }
  const std::vector<uint8_t> bytes = winetest::ReadFileBytes(WindowsPath(out));
  return std::string(bytes.begin(), bytes.end());
}

// Renders a region of the PDF's first page (in pixels at `dpi`) with pdftoppm.
Raster Render(const std::wstring& pdf, int dpi, int width, int height) {
  const std::wstring out = Environment(L"CAPSLATE_TEST_PDF_DIR") + L"/render";
  const std::string messages = RunLinuxCommand(
      L"pdftoppm -r " + std::to_wstring(dpi) + L" -x 0 -y 0 -W " + std::to_wstring(width) +
      L" -H " + std::to_wstring(height) + L" -singlefile " + pdf + L" " + out);
  if (!fs::exists(WindowsPath(out + L".ppm"))) {
    ADD_FAILURE() << "pdftoppm made no picture: " << messages;
    return {};
  }
  const std::vector<uint8_t> ppm = winetest::ReadFileBytes(WindowsPath(out + L".ppm"));
  fs::remove(WindowsPath(out + L".ppm"));
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

// The size of each page of the PDF in points as it is shown, turned as the page says.
struct PageSize {
  double width = 0;
  double height = 0;
};
std::vector<PageSize> PdfPages(const std::wstring& pdf) {
  // "Page    1 size: 595.276 x 841.89 pts (A4)" and "Page    1 rot:   90" for every page.
  std::istringstream info(RunLinuxCommand(L"pdfinfo -f 1 -l 99 " + pdf));
  std::vector<PageSize> pages;
  for (std::string line; std::getline(info, line);) {
    if (line.rfind("Page ", 0) != 0) continue;
    if (const size_t at = line.find(" size: "); at != std::string::npos) {
      PageSize page;
      char times = 0;
      std::istringstream(line.substr(at + 7)) >> page.width >> times >> page.height;
      pages.push_back(page);
    } else if (const size_t rot = line.find(" rot: "); rot != std::string::npos && !pages.empty()) {
      if (std::stoi(line.substr(rot + 6)) % 180 != 0) {
        std::swap(pages.back().width, pages.back().height);
      }
    }
  }
  return pages;
}

// The copies the print job asks the printer for (cups-pdf writes one), from CUPS's record of the
// job whose number cups-pdf put into the PDF's name ("...-job_17.pdf").
int JobCopies(const std::wstring& pdf) {
  const size_t at = pdf.rfind(L"job_");
  if (at == std::wstring::npos) return 0;
  const std::string attributes =
      RunLinuxCommand(L"ipptool -tv ipp://localhost/jobs/" + std::to_wstring(_wtoi(&pdf[at + 4])) +
                      L" get-job-attributes.test");
  const size_t copies = attributes.find("copies (integer) = ");
  return copies == std::string::npos ? 1 : std::atoi(&attributes[copies + 19]);
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

// What the user chooses in the print dialog, opened on the configured printer, is what comes out
// of it: the paper, its orientation and the copies (as copies of the job, or as pages). A printer
// chosen in the dialog does not print, since the settings choose the printer, but its paper and
// orientation are taken over. In fit mode the picture fills the width of the paper it is on.
TEST_F(Printing, PaperOrientationAndCopiesChosenInTheDialogComeOutOfTheConfiguredPrinter) {
  constexpr PageSize kA4{595, 842}, kA3{842, 1191}, kA4Across{842, 595}, kA3Across{1191, 842};
  struct Case {
    const char* what;
    winetest::PrintAnswer answer;
    PageSize page;
    int copies;
  };
  const Case cases[] = {
      {"A3 paper", {L"", DMPAPER_A3}, kA3, 1},
      {"landscape", {L"", 0, DMORIENT_LANDSCAPE}, kA4Across, 1},
      {"two copies", {L"", 0, 0, 2}, kA4, 2},
      {"the A3 printer, across", {printers[1], 0, DMORIENT_LANDSCAPE}, kA3Across, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Half as high as wide, so that it fits across the paper too.
    StartWith(SolidPicture(64, 32), L"Num=" + std::to_wstring(numbers[0]) + L"\r\n");
    prompts.printAnswers.push_back(c.answer);
    Command(ids::mnuPrint);
    ASSERT_TRUE(prompts.errors.empty()) << Utf8(prompts.errors[0]);
    EXPECT_EQ(prompts.printDialogPrinters, std::vector<std::wstring>{printers[0]});
    const std::wstring pdf = WaitForPdf(printers[0]);
    ASSERT_FALSE(pdf.empty()) << "no PDF from " << Utf8(printers[0]);
    const std::vector<PageSize> pages = PdfPages(pdf);
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(static_cast<int>(pages.size()) * JobCopies(pdf), c.copies);
    for (const PageSize& page : pages) {
      EXPECT_NEAR(page.width, c.page.width, 1);
      EXPECT_NEAR(page.height, c.page.height, 1);
    }
    // At 18 dpi a point is a quarter pixel.
    const int width = static_cast<int>(c.page.width / 4);
    const RECT ink = InkBounds(Render(pdf, 18, width, static_cast<int>(c.page.height / 4)));
    EXPECT_NEAR(ink.left, 0, 1);
    EXPECT_NEAR(ink.right, width, 1) << "fitted to other paper";
    EXPECT_NEAR(ink.bottom - ink.top, width / 2, 2);
    fs::remove(WindowsPath(pdf));
    Close();
    prompts.printDialogPrinters.clear();
  }
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

// The system's print dialog opens on the printer asked for and returns the choices made in it
// for that printer, the copies among its settings, where its driver makes them.
TEST_F(Printing, TheSystemDialogOpensOnThePrinterAskedForAndReturnsItsSettings) {
  std::wstring shown;
  winetest::WhenDialogAppears([&](HWND dialog) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, cmb4, text, 256);
    shown = text;
    SetDlgItemInt(dialog, edt3, 3, FALSE);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  const std::optional<win::PrintSetup> setup =
      win::SystemPrompts().PrintDialog(nullptr, printers[1]);
  ASSERT_TRUE(setup.has_value());
  EXPECT_EQ(Utf8(shown), Utf8(printers[1]));
  EXPECT_EQ(Utf8(setup->printer), Utf8(printers[1]));
  ASSERT_GE(setup->devMode.size(), sizeof(DEVMODEW));
  const auto& mode = *reinterpret_cast<const DEVMODEW*>(setup->devMode.data());
  EXPECT_EQ(mode.dmCopies, 3);
  EXPECT_EQ(mode.dmPaperSize, DMPAPER_A3) << "the printer's own paper";
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
