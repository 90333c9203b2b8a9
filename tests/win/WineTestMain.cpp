// Entry point of every Windows test program. `test.exe --child NAME args...` runs the helper
// routine NAME registered by a test file (tests start their own program as a second process for
// cross-process checks); anything else runs the tests.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string_view>
#include <vector>

#include "tests/win/WineTestSupport.h"

int wmain(int argc, wchar_t** argv) {
  // A crash must end the process with an exit code, never wait in an error box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

  if (argc >= 2 && std::wstring_view(argv[1]) == L"--child") {
    return winetest::RunChildMode(argc - 2, argv + 2);
  }
  // Started by the program under test as some other program (an external editor), which passes
  // only its own arguments: the test names the routine in the environment it hands down.
  wchar_t mode[64] = {};
  if (GetEnvironmentVariableW(winetest::kChildModeVariable, mode, 64) > 0) {
    std::vector<wchar_t*> routineArgs{mode};
    for (int i = 1; i < argc; ++i) routineArgs.push_back(argv[i]);
    return winetest::RunChildMode(static_cast<int>(routineArgs.size()), routineArgs.data());
  }

  testing::InitGoogleTest(&argc, argv);
  // A dialog left open by a test (or by a program it started) fails that test instead of
  // hanging it until the CTest timeout.
  winetest::DialogWatchdog watchdog(std::chrono::seconds(20), [](const std::wstring& texts) {
    ADD_FAILURE() << "a dialog stayed open with nobody to answer it: " << winetest::Utf8(texts);
  });
  return RUN_ALL_TESTS();
}
