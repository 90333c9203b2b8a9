// Capture, clipboard load and work-file load: the picture sources of the acquire subsystem.
#include <string>

#include "app/win/Controls.h"
#include "app/win/Unit1.h"
#include "win/Clipboard.h"
#include "win/Files.h"

namespace app {

void TForm1::mnuCaputureClick() {
  {
    win::ClipboardSession session(Handle());
    EmptyClipboard();  // reported by the watcher too, and ignored: no capture is pending yet
  }
  ShowWindow(ApplicationHandle(), SW_HIDE);  // the taskbar button goes away
  ShowWindow(Handle(), SW_HIDE);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  PictureState = 1;
  SetStatusText(L"取込中です。");
}

void TForm1::NkClipDetector1ClipChange() {
  if (PictureState != 1) return;  // our own clipboard writes and changes while no capture waits
  std::optional<win::Picture> captured = win::ReadClipboardPicture(Handle());
  if (!captured) return;  // not a picture: the capture stays pending
  picture = std::move(*captured);
  controls::UpdateImage(Image1);
  ShowWindow(ApplicationHandle(), SW_SHOW);
  ShowWindow(Handle(), SW_SHOW);
  AfterPictureLoad();
  prompts_.Beep(MB_ICONASTERISK);
  SetStatusText(L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=" + std::to_wstring(picture.Width()) + L" Y=" +
                std::to_wstring(picture.Height()));
  PictureState = 2;
}

void TForm1::mnuClipReadClick() {
  std::optional<win::Picture> pasted = win::ReadClipboardPicture(Handle());
  if (!pasted) {
    win::Refuse(prompts_);
    return;
  }
  picture = std::move(*pasted);
  controls::UpdateImage(Image1);
  AfterPictureLoad();
  SetStatusText(L"クリップボード読込が完了しました。");
}

void TForm1::mnuTmpReadClick() {
  const std::wstring path = WorkFileName();
  if (!win::FileExists(path)) {
    win::Refuse(prompts_);
    return;
  }
  LoadPictureFile(path);
  AfterPictureLoad();
  SetStatusText(L"作業ファイル読込が完了しました。");
}

}  // namespace app
