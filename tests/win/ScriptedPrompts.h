#pragma once
// A Prompts implementation for the GUI tests: records every beep, error box, help call and file
// dialog, and answers the dialogs from a queue the test prepares.

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "win/Prompts.h"

namespace winetest {

struct FileDialogCall {
  std::wstring initialFileName;  // what the dialog would have shown in its name box
  DWORD initialFilterIndex = 0;
  std::wstring filter;           // the filter with its NULs turned into '|'
  DWORD flags = 0;
  std::wstring defaultExtension;
};

struct HelpCall {
  std::wstring file;
  UINT command = 0;
};

class ScriptedPrompts : public win::Prompts {
 public:
  // An answer fills the request (as the user's choice would) and returns true, or returns false
  // for Cancel. With no answer queued, a dialog counts as cancelled.
  using FileAnswer = std::function<bool(OPENFILENAMEW&)>;

  std::vector<UINT> beeps;
  std::vector<std::wstring> errors;
  std::vector<bool> errorOwnerVisible;  // whether the owner window was up when each was shown
  std::vector<HelpCall> helpCalls;
  std::vector<FileDialogCall> saveDialogs;
  std::vector<FileDialogCall> openDialogs;
  std::deque<FileAnswer> saveAnswers;
  std::deque<FileAnswer> openAnswers;

  void Beep(UINT type) override { beeps.push_back(type); }
  void ShowError(HWND owner, const std::wstring& text) override {
    errors.push_back(text);
    errorOwnerVisible.push_back(owner && IsWindowVisible(owner));
  }
  bool GetSaveFileName(OPENFILENAMEW& request) override {
    return Answer(request, saveDialogs, saveAnswers);
  }
  bool GetOpenFileName(OPENFILENAMEW& request) override {
    return Answer(request, openDialogs, openAnswers);
  }
  bool WinHelp(HWND, const std::wstring& file, UINT command, ULONG_PTR) override {
    helpCalls.push_back({file, command});
    return true;
  }

  // Queues the user's choice of `path` with the filter entry `filterIndex` (1-based).
  static FileAnswer Choose(std::wstring path, DWORD filterIndex) {
    return [path, filterIndex](OPENFILENAMEW& request) {
      if (path.size() + 1 > request.nMaxFile) return false;
      wcscpy(request.lpstrFile, path.c_str());
      request.nFilterIndex = filterIndex;
      return true;
    };
  }

 private:
  static bool Answer(OPENFILENAMEW& request, std::vector<FileDialogCall>& calls,
                     std::deque<FileAnswer>& answers) {
    FileDialogCall call;
    call.initialFileName = request.lpstrFile ? request.lpstrFile : L"";
    call.initialFilterIndex = request.nFilterIndex;
    call.flags = request.Flags;
    call.defaultExtension = request.lpstrDefExt ? request.lpstrDefExt : L"";
    for (const wchar_t* p = request.lpstrFilter; p && *p; p += wcslen(p) + 1) {
      if (!call.filter.empty()) call.filter += L'|';
      call.filter += p;
    }
    calls.push_back(call);
    if (answers.empty()) return false;
    FileAnswer answer = std::move(answers.front());
    answers.pop_front();
    return answer(request);
  }
};

}  // namespace winetest
