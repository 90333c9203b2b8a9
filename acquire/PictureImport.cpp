#include "acquire/PictureImport.h"

#include <windows.h>

#include <string>

#include "acquire/CaptureGeometry.h"
#include "win/Clipboard.h"
#include "win/Files.h"
#include "win/Messages.h"

namespace acquire {

void PictureImport::Capture() {
  {
    win::ClipboardSession session(window_.Owner());
    EmptyClipboard();  // reported by the watcher too, and ignored: no capture is pending yet
  }
  window_.SetVisible(false);
  // Only what hiding leaves queued: input or a close request handled here would run inside this
  // command, with the window half hidden and the capture not yet pending.
  win::DispatchWindowUpdates();
  picture_.SetPictureState(host::PictureState::CapturePending);
  window_.SetStatusText(L"取込中です。");
}

void PictureImport::ClipboardChanged() {
  // Our own clipboard writes, and changes nobody waits for, are ignored.
  if (picture_.PictureState() != host::PictureState::CapturePending) return;
  std::optional<win::Picture> captured = win::ReadClipboardPicture(window_.Owner());
  if (!captured) return;  // not a picture: the capture stays pending
  window_.SetVisible(true);
  picture_.InstallPicture(std::move(*captured));
  window_.Prompts().Beep(MB_ICONASTERISK);
  const win::Picture& shown = picture_.Picture();
  window_.SetStatusText(CapturedText(shown.Width(), shown.Height()));
  picture_.SetPictureState(host::PictureState::Present);
}

void PictureImport::LoadClipboard() {
  std::optional<win::Picture> pasted = win::ReadClipboardPicture(window_.Owner());
  if (!pasted) {
    window_.Refuse();
    return;
  }
  picture_.InstallPicture(std::move(*pasted));
  window_.SetStatusText(L"クリップボード読込が完了しました。");
}

void PictureImport::LoadWorkFile() {
  const std::wstring path = window_.WorkFileName();
  if (!win::FileExists(path)) {
    window_.Refuse();
    return;
  }
  picture_.InstallPicture(win::Picture::FromDib(picture_.PictureFormats().Load(path)));
  window_.SetStatusText(L"作業ファイル読込が完了しました。");
}

}  // namespace acquire
