#include "acquire/PictureImport.h"

#include <windows.h>

#include <string>

#include "win/Clipboard.h"
#include "win/Files.h"
#include "win/Messages.h"

namespace acquire {

void PictureImport::Capture() {
  {
    win::ClipboardSession session(host_.Owner());
    EmptyClipboard();  // reported by the watcher too, and ignored: no capture is pending yet
  }
  host_.SetVisible(false);
  win::ProcessPendingMessages();
  host_.SetPictureState(1);
  host_.SetStatusText(L"取込中です。");
}

void PictureImport::ClipboardChanged() {
  if (host_.PictureState() != 1) return;  // our own clipboard writes, and changes nobody waits for
  std::optional<win::Picture> captured = win::ReadClipboardPicture(host_.Owner());
  if (!captured) return;  // not a picture: the capture stays pending
  host_.SetVisible(true);
  host_.InstallPicture(std::move(*captured));
  host_.Prompts().Beep(MB_ICONASTERISK);
  const win::Picture& shown = host_.Picture();
  host_.SetStatusText(L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=" + std::to_wstring(shown.Width()) + L" Y=" +
                      std::to_wstring(shown.Height()));
  host_.SetPictureState(2);
}

void PictureImport::LoadClipboard() {
  std::optional<win::Picture> pasted = win::ReadClipboardPicture(host_.Owner());
  if (!pasted) {
    host_.Refuse();
    return;
  }
  host_.InstallPicture(std::move(*pasted));
  host_.SetStatusText(L"クリップボード読込が完了しました。");
}

void PictureImport::LoadWorkFile() {
  const std::wstring path = host_.WorkFileName();
  if (!win::FileExists(path)) {
    host_.Refuse();
    return;
  }
  host_.InstallPicture(win::Picture::FromDib(host_.PictureFormats().Load(path)));
  host_.SetStatusText(L"作業ファイル読込が完了しました。");
}

}  // namespace acquire
