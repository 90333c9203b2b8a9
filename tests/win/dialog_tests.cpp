// The modal dialog base: a dialog class with a typed entry point, its pixel-sized client area, its
// result on OK and nothing on Cancel, Escape or the close box, and its error boundary.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ScriptedPrompts.h"
#include "WineTestSupport.h"
#include "core/Error.h"
#include "win/ModalDialog.h"

namespace {

using winetest::Utf8;

constexpr int kNumberEdit = 100;
constexpr int kBrokenButton = 101;

// A small dialog of the kind the program's own are: a number in, the edited number out.
class NumberDialog : public win::ModalDialog {
 public:
  static std::optional<int> Execute(HWND owner, win::Prompts& prompts, int initial) {
    NumberDialog dialog(prompts, initial);
    if (dialog.ShowModal(owner, L"数値", 240, 90) != IDOK) return std::nullopt;
    return dialog.value_;
  }

 private:
  NumberDialog(win::Prompts& prompts, int initial) : ModalDialog(prompts), value_(initial) {}

  void OnCreate() override {
    AddControl(L"EDIT", std::to_wstring(value_).c_str(), WS_BORDER | WS_TABSTOP, kNumberEdit, 10,
               10, 100, 22);
    AddControl(L"BUTTON", L"壊れた", BS_PUSHBUTTON, kBrokenButton, 120, 10, 100, 22);
    AddControl(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 10, 50, 100, 24);
  }

  bool OnCommand(int id, int notification, HWND control) override {
    if (id == kBrokenButton) throw core::Error("この部品は壊れています。");
    if (id == IDOK) {
      BOOL ok = FALSE;
      value_ = static_cast<int>(GetDlgItemInt(Handle(), kNumberEdit, &ok, TRUE));
      if (!ok) throw core::Error("整数ではありません。");
    }
    return ModalDialog::OnCommand(id, notification, control);
  }

  bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) override {
    // A paint handler that fails must not open an error box (which would paint again).
    if (message == WM_PAINT) throw core::Error("描画の失敗");
    return false;
  }

  int value_;
};

struct DialogRun {
  winetest::ScriptedPrompts prompts;
  RECT client{};
  bool stillOpenAfterError = false;
};

TEST(Dialog, OkReturnsTheEditedValueAndEveryWayOutReturnsNothing) {
  DialogRun run;
  winetest::WhenDialogAppears([&](HWND dialog) {
    GetClientRect(dialog, &run.client);
    SetDlgItemTextW(dialog, kNumberEdit, L"1234");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(NumberDialog::Execute(nullptr, run.prompts, 7), 1234);
  EXPECT_EQ(run.client.right, 240);
  EXPECT_EQ(run.client.bottom, 90);

  for (UINT way : {UINT{WM_CLOSE}, UINT{WM_KEYDOWN}}) {
    SCOPED_TRACE(way == WM_CLOSE ? "close box" : "Escape");
    winetest::WhenDialogAppears([way](HWND dialog) {
      SetDlgItemTextW(dialog, kNumberEdit, L"99");
      if (way == WM_CLOSE) {
        PostMessageW(dialog, WM_CLOSE, 0, 0);
      } else {
        PostMessageW(GetDlgItem(dialog, kNumberEdit), WM_KEYDOWN, VK_ESCAPE, 0);
      }
    });
    EXPECT_EQ(NumberDialog::Execute(nullptr, run.prompts, 7), std::nullopt);
  }
  EXPECT_TRUE(run.prompts.errors.empty());
}

TEST(Dialog, AnErrorInAHandlerIsShownAndTheDialogStaysOpen) {
  DialogRun run;
  winetest::WhenDialogAppears([&](HWND dialog) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kBrokenButton, BN_CLICKED), 0);
    SetDlgItemTextW(dialog, kNumberEdit, L"abc");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // refused: not a number
    run.stillOpenAfterError = IsWindowVisible(dialog) != FALSE;
    SetDlgItemTextW(dialog, kNumberEdit, L"-5");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(NumberDialog::Execute(nullptr, run.prompts, 0), -5);
  EXPECT_TRUE(run.stillOpenAfterError);
  ASSERT_EQ(run.prompts.errors.size(), 2u) << "the failing paint handler shows no box";
  EXPECT_EQ(Utf8(run.prompts.errors[0]), Utf8(L"この部品は壊れています。"));
  EXPECT_EQ(Utf8(run.prompts.errors[1]), Utf8(L"整数ではありません。"));
}

}  // namespace
