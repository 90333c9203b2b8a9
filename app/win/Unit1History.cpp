// The main window's undo and redo: the picture's earlier states (app/PictureHistory), the
// commands that step through them, their menu items and keyboard shortcuts.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "app/win/CommandIds.h"
#include "app/win/Unit1.h"
#include "win/controls/Image.h"

namespace app {
namespace {

std::wstring SizeText(const wchar_t* message, const win::Picture& picture) {
  return std::wstring(message) + L"ｻｲｽﾞ X=" + std::to_wstring(picture.Width()) + L" Y=" +
         std::to_wstring(picture.Height());
}

bool IsEditControl(HWND window) {
  wchar_t name[16] = {};
  return window && GetClassNameW(window, name, 16) > 0 && _wcsicmp(name, L"Edit") == 0;
}

}  // namespace

void TForm1::RecordPictureArea(const RECT& area) {
  GdiFlush();
  history_.RecordArea(picture_.Pixels(), PixelArea{area.left, area.top, area.right, area.bottom});
}

void TForm1::mnuUndoClick() {
  if (state_.CropState != host::CropState::Idle ||
      state_.PictureState == host::PictureState::CapturePending || !history_.CanUndo()) {
    Refuse();
    return;
  }
  GdiFlush();
  RestoreFromHistory(history_.UndoInto(picture_.Pixels()), L"元に戻しました。");
}

void TForm1::mnuRedoClick() {
  if (state_.CropState != host::CropState::Idle ||
      state_.PictureState == host::PictureState::CapturePending || !history_.CanRedo()) {
    Refuse();
    return;
  }
  GdiFlush();
  RestoreFromHistory(history_.RedoInto(picture_.Pixels()), L"やり直しました。");
}

void TForm1::RestoreFromHistory(std::optional<core::Dib> picture, const wchar_t* message) {
  if (picture) {
    ReplacePicture(win::Picture::FromDib(*picture));
    picture.reset();  // one copy at a time: the history's is no longer needed
  } else {
    win::controls::UpdateImage(controls_.Image1);  // the step was written into the picture
  }
  AfterPictureLoad();
  SetStatusText(SizeText(message, picture_));
}

void TForm1::EnableHistoryItems(HMENU menu) {
  const auto enable = [&](int id, bool enabled) {
    EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  };
  enable(ids::mnuUndo, history_.CanUndo());
  enable(ids::smnuUndo, history_.CanUndo());
  enable(ids::mnuRedo, history_.CanRedo());
  enable(ids::smnuRedo, history_.CanRedo());
}

bool TForm1::TranslateShortcut(const MSG& message) {
  if (message.message != WM_KEYDOWN || !window_ || destroying_) return false;
  if (GetAncestor(message.hwnd, GA_ROOT) != window_.get()) return false;  // a dialog's, say
  if ((GetKeyState(VK_CONTROL) & 0x8000) == 0 || (GetKeyState(VK_MENU) & 0x8000) != 0) {
    return false;
  }
  // The text tag keeps its own Ctrl+Z and Ctrl+Y for the text being typed.
  if (IsEditControl(GetFocus())) return false;
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  int command = 0;
  if (message.wParam == 'Z') command = shift ? ids::mnuRedo : ids::mnuUndo;
  if (message.wParam == 'Y' && !shift) command = ids::mnuRedo;
  if (command == 0) return false;
  DispatchCommand(command, 0, nullptr);
  return true;
}

}  // namespace app
