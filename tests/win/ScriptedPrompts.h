#pragma once
// A Prompts implementation for the GUI tests: records every beep, error box, help call and file,
// font and colour dialog, and answers the dialogs from queues the test prepares.

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Error.h"
#include "win/FolderBrowser.h"
#include "win/Printers.h"
#include "win/Prompts.h"

namespace winetest {

struct FileDialogCall {
  std::wstring initialFileName;  // what the dialog would have shown in its name box
  DWORD initialFilterIndex = 0;
  std::wstring filter;  // the filter with its NULs turned into '|'
  DWORD flags = 0;
  std::wstring defaultExtension;
};

struct ShellCall {
  std::wstring file;
  std::wstring parameters;
  std::wstring directory;
  int showCommand = 0;
};

struct FontDialogCall {
  LOGFONTW initialFont{};  // what the dialog would have opened with
  COLORREF initialColour = 0;
};

struct ColourDialogCall {
  COLORREF initialColour = 0;
  DWORD flags = 0;
};

struct HelpCall {
  std::wstring file;
  UINT command = 0;
};

// The user's answer to the print dialog: Cancel, or OK after choosing a printer (none: the one
// the dialog opened on) and its paper (DMPAPER_*), orientation (DMORIENT_*) and copies (0 keeps
// the printer's own).
struct PrintAnswer {
  // true: OK with what the dialog shows; false: Cancel.
  PrintAnswer(bool confirm) : confirmed(confirm) {}
  PrintAnswer(std::wstring chosenPrinter, short chosenPaper, short chosenOrientation = 0,
              short chosenCopies = 0)
      : printer(std::move(chosenPrinter)),
        paper(chosenPaper),
        orientation(chosenOrientation),
        copies(chosenCopies) {}
  bool confirmed = true;
  std::wstring printer;
  short paper = 0;
  short orientation = 0;
  short copies = 0;
};

class ScriptedPrompts : public win::Prompts {
 public:
  // An answer fills the request (as the user's choice would) and returns true, or returns false
  // for Cancel. With no answer queued, a dialog counts as cancelled.
  using FileAnswer = std::function<bool(OPENFILENAMEW&)>;
  using FontAnswer = std::function<bool(CHOOSEFONTW&)>;
  using ColourAnswer = std::function<bool(CHOOSECOLORW&)>;

  std::vector<UINT> beeps;
  std::vector<std::wstring> errors;
  std::vector<HWND> errorOwners;        // the window each error box was shown over
  std::vector<bool> errorOwnerVisible;  // whether the owner window was up when each was shown
  std::vector<HelpCall> helpCalls;
  std::vector<ShellCall> startedPrograms;  // programs started
  bool startProgramsForReal = true;        // false: only record them
  int printDialogs = 0;
  std::vector<std::wstring> printDialogPrinters;  // the printer each print dialog opened on
  bool printerListFails = false;                  // PrinterNames throws as an unreadable list would
  std::deque<std::wstring> folderAnswers;         // the folders the user chooses; none: Cancel
  bool realFolderBrowser = false;  // true: the shell's browser, which the test drives
  std::vector<std::wstring> folderPreselections;  // what each folder browser started from
  std::deque<PrintAnswer> printAnswers;           // with none queued, Cancel
  std::vector<FileDialogCall> saveDialogs;
  std::vector<FileDialogCall> openDialogs;
  std::deque<FileAnswer> saveAnswers;
  std::deque<FileAnswer> openAnswers;
  std::vector<FontDialogCall> fontDialogs;
  std::vector<ColourDialogCall> colourDialogs;
  std::deque<FontAnswer> fontAnswers;
  std::deque<ColourAnswer> colourAnswers;

  void Beep(UINT type) override { beeps.push_back(type); }
  void ShowError(HWND owner, const std::wstring& text) override {
    errors.push_back(text);
    errorOwners.push_back(owner);
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
  // Answers as the dialog would: the chosen printer's settings as its driver makes them from the
  // choices.
  std::optional<win::PrintSetup> PrintDialog(HWND, const std::wstring& printer) override {
    ++printDialogs;
    printDialogPrinters.push_back(printer);
    if (printAnswers.empty()) return std::nullopt;
    const PrintAnswer answer = printAnswers.front();
    printAnswers.pop_front();
    if (!answer.confirmed) return std::nullopt;
    win::PrintSetup setup{answer.printer.empty() ? printer : answer.printer, {}};
    if (setup.printer.empty()) return setup;  // no printer to open on: nothing to choose
    DEVMODEW changes{};
    changes.dmSize = sizeof changes;
    auto choose = [&](short value, DWORD field, short& member) {
      if (value == 0) return;
      changes.dmFields |= field;
      member = value;
    };
    choose(answer.paper, DM_PAPERSIZE, changes.dmPaperSize);
    choose(answer.orientation, DM_ORIENTATION, changes.dmOrientation);
    choose(answer.copies, DM_COPIES, changes.dmCopies);
    setup.devMode = win::PrinterSettings(setup.printer, &changes);
    return setup;
  }
  std::vector<std::wstring> PrinterNames() override {
    if (printerListFails) throw core::Error("プリンタの一覧を読めません。");
    return win::SystemPrompts().PrinterNames();
  }
  bool ChooseFolder(HWND owner, const std::wstring& title, std::wstring& folder) override {
    folderPreselections.push_back(folder);
    if (realFolderBrowser) return win::BrowseForFolder(owner, title, folder);
    if (folderAnswers.empty()) return false;
    folder = folderAnswers.front();
    folderAnswers.pop_front();
    return true;
  }
  DWORD StartProgram(HWND owner, const std::wstring& file, const std::wstring& parameters,
                     const std::wstring& directory, int showCommand) override {
    startedPrograms.push_back({file, parameters, directory, showCommand});
    if (!startProgramsForReal) return 0;
    return win::SystemStartProgram(owner, file, parameters, directory, showCommand);
  }

  bool ChooseFont(CHOOSEFONTW& request) override {
    fontDialogs.push_back({request.lpLogFont ? *request.lpLogFont : LOGFONTW{}, request.rgbColors});
    return Next(fontAnswers, request);
  }
  bool ChooseColor(CHOOSECOLORW& request) override {
    colourDialogs.push_back({request.rgbResult, request.Flags});
    return Next(colourAnswers, request);
  }

  // The user's choice in the font dialog: a face, a size in points, a style and a colour.
  static FontAnswer ChooseFontAs(std::wstring face, int points, LONG weight, bool italic,
                                 COLORREF colour) {
    return [=](CHOOSEFONTW& request) {
      LOGFONTW& font = *request.lpLogFont;
      wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
      font.lfHeight = -MulDiv(points, 96, 72);
      font.lfWeight = weight;
      font.lfItalic = italic ? TRUE : FALSE;
      request.iPointSize = points * 10;
      request.rgbColors = colour;
      return true;
    };
  }
  static ColourAnswer ChooseColourAs(COLORREF colour) {
    return [colour](CHOOSECOLORW& request) {
      request.rgbResult = colour;
      return true;
    };
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
  template <typename Request>
  static bool Next(std::deque<std::function<bool(Request&)>>& answers, Request& request) {
    if (answers.empty()) return false;
    auto answer = std::move(answers.front());
    answers.pop_front();
    return answer(request);
  }

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
