// The real Capslate.exe as the system starts it, watched from this process: the libraries it
// loads at start-up and the ones it loads only when they are first needed.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "WineTestSupport.h"
#include "app/win/CommandIds.h"

namespace {

using winetest::UniqueHandle;

// The built program as a Windows path (Wine shows the Unix root as drive Z:).
std::wstring BuiltProgram() {
  const std::string unixPath = CAPSLATE_EXE;
  std::wstring path(unixPath.size(), L'\0');
  path.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, unixPath.data(),
                                                      static_cast<int>(unixPath.size()),
                                                      path.data(), static_cast<int>(path.size()))));
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return L"Z:" + path;
}

bool HasModule(HANDLE process, const wchar_t* wanted) {
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!K32EnumProcessModules(process, modules, sizeof modules, &bytes)) return false;
  for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
    wchar_t name[MAX_PATH] = {};
    K32GetModuleBaseNameW(process, modules[i], name, MAX_PATH);
    if (_wcsicmp(name, wanted) == 0) return true;
  }
  return false;
}

struct DialogSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindDialogOfProcess(HWND window, LPARAM lParam) {
  auto* s = reinterpret_cast<DialogSearch*>(lParam);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != s->processId || wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) {
    return TRUE;
  }
  s->found = window;
  return FALSE;
}

// A visible dialog box of the given process.
HWND DialogOf(DWORD processId) {
  DialogSearch search{processId, nullptr};
  EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The common dialogs bring the print spooler with them, which is slow to load; they are loaded
// when the first dialog opens, and the dialog still opens.
TEST(Program, CommonDialogsLoadOnlyWhenTheFirstOneOpens) {
  winetest::TempDir dir;
  const std::wstring exe = (dir / L"Capslate.exe").wstring();
  ASSERT_TRUE(CopyFileW(BuiltProgram().c_str(), exe.c_str(), FALSE));
  const std::wstring picture = (dir / L"shot.bmp").wstring();
  winetest::WriteBmpFile(picture, winetest::PatternDib(40, 30));  // a picture, so Save may run
  std::wstring command = winetest::QuoteArgument(exe) + L" " + winetest::QuoteArgument(picture);
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             dir.Path().wstring().c_str(), &startup, &info));
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  HWND form = nullptr;
  ASSERT_TRUE(winetest::WaitFor(
      [&] {
        form = FindWindowW(L"TForm1", L"Capslate!!");
        return form && IsWindowVisible(form);
      },
      20000));
  winetest::PumpMessages(200);  // the start is over
  EXPECT_FALSE(HasModule(process.Get(), L"comdlg32.dll"));
  EXPECT_FALSE(HasModule(process.Get(), L"winspool.drv"));

  PostMessageW(form, WM_COMMAND, MAKEWPARAM(app::ids::mnuWrite, 0), 0);
  HWND dialog = nullptr;
  EXPECT_TRUE(
      winetest::WaitFor([&] { return (dialog = DialogOf(info.dwProcessId)) != nullptr; }, 20000));
  EXPECT_TRUE(HasModule(process.Get(), L"comdlg32.dll"));
  if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  winetest::WaitFor([&] { return DialogOf(info.dwProcessId) == nullptr; });
  PostMessageW(form, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.Get(), 20000) != WAIT_OBJECT_0) {
    TerminateProcess(process.Get(), 1);
    ADD_FAILURE() << "Capslate did not end after WM_CLOSE";
  }
}

}  // namespace
