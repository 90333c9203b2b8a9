// The External editor command: the work file written with the picture of that moment, and the
// editor started with the work file as its one argument, in its own folder, without the focus.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"

namespace {

using winetest::FormFixture;
using winetest::Utf8;
namespace ids = app::ids;

constexpr const wchar_t* kDone =
    L"外部エディタ実行完了。上書保存後作業ﾌｧｲﾙを読めば結果が反映されます。";

// The editor: writes its arguments, its working folder and the show command it was given beside
// its own executable, one per line, in UTF-8.
winetest::ChildModeRegistrar editorProbe(L"editor-probe", [](int argc, wchar_t** argv) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::filesystem::path folder = std::filesystem::path(exe).parent_path();
  STARTUPINFOW startup{sizeof startup};
  GetStartupInfoW(&startup);
  std::wstring report = std::to_wstring(argc - 1) + L"\n";
  for (int i = 1; i < argc; ++i) report += std::wstring(argv[i]) + L"\n";
  report += std::filesystem::current_path().wstring() + L"\n";
  report += std::to_wstring(startup.wShowWindow) + L"\n";
  const std::string utf8 = winetest::Utf8(report);
  winetest::WriteFileBytes(folder / L"probe.part", std::vector<uint8_t>(utf8.begin(), utf8.end()));
  MoveFileW((folder / L"probe.part").c_str(), (folder / L"probe.txt").c_str());
  return 0;
});

class ExternalEditor : public FormFixture {
 protected:
  // The editor lives in a folder with blanks and a Japanese name.
  std::filesystem::path EditorFolder() const { return dir / L"Paint Tools 絵"; }

  void InstallEditor() {
    std::filesystem::create_directories(EditorFolder());
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::filesystem::copy_file(self, EditorFolder() / L"paint.exe");
    SetEnvironmentVariableW(winetest::kChildModeVariable, L"editor-probe");
  }
  void TearDown() override {
    SetEnvironmentVariableW(winetest::kChildModeVariable, nullptr);
    FormFixture::TearDown();
  }
  std::vector<std::wstring> ProbeReport() const {
    const std::vector<uint8_t> bytes = winetest::ReadFileBytes(EditorFolder() / L"probe.txt");
    const int n = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes.data()),
                                      static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes.data()),
                        static_cast<int>(bytes.size()), text.data(), n);
    std::vector<std::wstring> lines;
    for (size_t at = 0, end; (end = text.find(L'\n', at)) != std::wstring::npos; at = end + 1) {
      lines.push_back(text.substr(at, end - at));
    }
    return lines;
  }
};

TEST_F(ExternalEditor, StartsTheEditorWithTheWorkFileAsOneArgumentWithoutTheFocus) {
  // The program itself runs from a folder with blanks too, so the work file's path has them.
  programFolder = dir / L"My Programs";
  std::filesystem::create_directories(programFolder);
  const core::Dib source = winetest::PatternDib(64, 40);
  winetest::WriteBmpFile(PathIn(L"shot.bmp"), source);
  InstallEditor();
  WriteIni(L"[Edit]\r\nEditPath=" + (EditorFolder() / L"paint.exe").wstring() + L"\r\n");
  Start({PathIn(L"shot.bmp")});
  Command(ids::SpeedButton3);
  EXPECT_TRUE(prompts.errors.empty()) << Utf8(prompts.errors.empty() ? L"" : prompts.errors[0]);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(kDone));
  ASSERT_TRUE(winetest::WaitFor(
      [&] { return std::filesystem::exists(EditorFolder() / L"probe.txt"); }, 10000));
  const std::vector<std::wstring> report = ProbeReport();
  ASSERT_EQ(report.size(), 4u);
  EXPECT_EQ(report[0], L"1") << "the work file's path arrives as one argument";
  EXPECT_EQ(Utf8(report[1]), Utf8(PathIn(L"tmp$$$.bmp")));
  EXPECT_EQ(Utf8(report[2]), Utf8(EditorFolder().wstring())) << "started in its own folder";
  EXPECT_EQ(report[3], std::to_wstring(SW_SHOWNOACTIVATE));
  // The work file holds the picture of that moment.
  const core::Dib written = core::ReadBmp(winetest::ReadFileBytes(PathIn(L"tmp$$$.bmp")));
  ASSERT_EQ(written.Width(), 64);
  EXPECT_EQ(winetest::PixelAt(written, 63, 39), winetest::PixelAt(source, 63, 39));
  ASSERT_EQ(prompts.startedPrograms.size(), 1u);
  EXPECT_EQ(Utf8(prompts.startedPrograms[0].directory), Utf8(EditorFolder().wstring() + L"\\"));
}

TEST_F(ExternalEditor, AnEditorThatCannotStartIsReportedAndNothingClaimsSuccess) {
  winetest::WriteBmpFile(PathIn(L"shot.bmp"), winetest::PatternDib(10, 10));
  WriteIni(L"[Edit]\r\nEditPath=C:\\no such folder\\paint.exe\r\n");
  Start({PathIn(L"shot.bmp")});
  const std::wstring before = form->StatusText();
  Command(ids::mnuExtEdit);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_NE(prompts.errors[0].find(L"C:\\no such folder\\paint.exe"), std::wstring::npos)
      << Utf8(prompts.errors[0]);
  EXPECT_EQ(form->StatusText(), before);
  // Without a picture the command only beeps and starts nothing.
  Close();
  Start();
  Command(ids::smnuExtEdit);
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});
  EXPECT_EQ(prompts.startedPrograms.size(), 1u);
}

}  // namespace
