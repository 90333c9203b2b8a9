// The program entry: builds the main window and runs the message loop until it closes.
#include <windows.h>
#include <stdlib.h>

#include <vector>

#include "app/win/Unit1.h"
#include "win/ErrorBoundary.h"
#include "win/Prompts.h"

namespace {

// The command line's arguments after the program's own name, as the C runtime split them (by the
// same rules as CommandLineToArgvW, without loading the shell at start-up).
std::vector<std::wstring> CommandLineArguments() {
  std::vector<std::wstring> arguments;
  for (int i = 1; __wargv && i < __argc; ++i) arguments.emplace_back(__wargv[i]);
  return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  win::SystemPrompts prompts;
  int exitCode = 0;
  const bool started = win::Guarded(nullptr, prompts, [&] {
    app::FormOptions options;
    options.showCommand = showCommand;
    options.prompts = &prompts;
    options.arguments = CommandLineArguments();
    app::TForm1 form(std::move(options));
    form.Show();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (form.TranslateShortcut(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    exitCode = static_cast<int>(message.wParam);
  });
  return started ? exitCode : 1;
}
