#include "output/ExternalEditor.h"

#include <windows.h>

#include <string>

#include "core/BmpCodec.h"
#include "core/Error.h"
#include "core/PathRules.h"
#include "win/Files.h"
#include "win/Text.h"

namespace output {

void ExternalEditor::Open() {
  if (!picture_.RequirePicture()) return;
  GdiFlush();
  const std::wstring workFile = window_.WorkFileName();
  win::WriteFileReplacing(workFile, core::WriteBmp(picture_.Picture().Pixels()));
  const std::wstring& editor = window_.Settings().editPath;
  // The work file's path is quoted: a folder with blanks would otherwise reach the editor as
  // several arguments.
  const DWORD error =
      window_.Prompts().StartProgram(window_.Owner(), editor, core::QuoteArgument(workFile),
                                     core::FolderOf(editor), SW_SHOWNOACTIVATE);
  if (error != 0) {
    throw core::Error("外部ｴﾃﾞｨﾀを起動できません: " + win::Narrow(editor) + "\n" +
                      win::Narrow(win::SystemErrorText(error)));
  }
  window_.SetStatusText(L"外部エディタ実行完了。上書保存後作業ﾌｧｲﾙを読めば結果が反映されます。");
}

}  // namespace output
