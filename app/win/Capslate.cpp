// The program entry: builds the main window and runs the message loop until it closes.
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "app/win/Unit1.h"
#include "win/ErrorBoundary.h"
#include "win/Prompts.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  win::SystemPrompts prompts;
  app::FormOptions options;
  options.showCommand = showCommand;
  options.prompts = &prompts;
  int count = 0;
  if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) options.arguments.emplace_back(argv[i]);
    LocalFree(argv);
  }
  int exitCode = 0;
  const bool started = win::Guarded(nullptr, prompts, [&] {
    app::TForm1 form(std::move(options));
    form.Show();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    exitCode = static_cast<int>(message.wParam);
  });
  return started ? exitCode : 1;
}
