#include "app/win/Unit1.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <span>

#include "app/WindowFit.h"
#include "app/win/CommandIds.h"
#include "app/win/Controls.h"
#include "app/win/PrivateProfileStore.h"
#include "core/BmpCodec.h"
#include "core/Error.h"
#include "core/JpegCodec.h"
#include "core/PathRules.h"
#include "win/Clipboard.h"
#include "win/ErrorBoundary.h"
#include "win/Files.h"
#include "win/WindowObject.h"

namespace app {
namespace {

constexpr const wchar_t* kFormClass = L"TForm1";
constexpr const wchar_t* kApplicationClass = L"TApplication";
constexpr const wchar_t* kCaption = L"Capslate!!";
constexpr const wchar_t* kWorkFileName = L"tmp$$$.bmp";
constexpr const wchar_t* kBuiltInPatterns = L"*.bmp;*.dib;*.jpg;*.jpeg";
constexpr int kDesignWidth = 555;
constexpr int kDesignHeight = 510;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

}  // namespace

TForm1::TForm1(FormOptions options)
    : options_(std::move(options)), prompts_(*options_.prompts) {
  if (options_.executablePath.empty()) options_.executablePath = win::ExecutablePath();
  RegisterWindowClasses();
  application_.reset(CreateWindowExW(0, kApplicationClass, win::kApplicationTitle,
                                     WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                     GetSystemMetrics(SM_CXSCREEN) / 2,
                                     GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr,
                                     Instance(), this));
  if (!application_) throw core::Error("アプリケーションウィンドウを作成できません。");
  // The window procedure takes ownership of the handle at WM_NCCREATE.
  CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  CW_USEDEFAULT, CW_USEDEFAULT, kDesignWidth, kDesignHeight, application_.get(),
                  nullptr, Instance(), this);
  if (!window_) throw core::Error("メインウィンドウを作成できません。");
  font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック"));
  CreateControls();
  LoadStartPicture();
  // The watcher joins the clipboard chain while the window is built, before FormCreate.
  NkClipDetector1.SetOnClipChange(
      [this](acquire::TNkClipDetector&) { Run([this] { NkClipDetector1ClipChange(); }); });
  FormCreate();
}

TForm1::~TForm1() {
  NkClipDetector1.SetOnClipChange(nullptr);
  // The menu bar belongs to the window while attached; detach it so it is destroyed once.
  if (window_ && GetMenu(window_.get()) == mainMenu_.get()) SetMenu(window_.get(), nullptr);
  window_.reset();
  application_.reset();
}

void TForm1::RegisterWindowClasses() {
  controls::RegisterClasses(Instance());
  INITCOMMONCONTROLSEX common{sizeof common, ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                                 ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  struct ClassDef {
    const wchar_t* name;
    WNDPROC proc;
  };
  for (const ClassDef& def : {ClassDef{kFormClass, WindowProc},
                              ClassDef{kApplicationClass, ApplicationProc}}) {
    WNDCLASSEXW existing{sizeof existing};
    if (GetClassInfoExW(Instance(), def.name, &existing)) continue;
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = def.proc;
    wc.hInstance = Instance();
    wc.hIcon = LoadIconW(Instance(), L"MAINICON");
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = def.name;
    RegisterClassExW(&wc);
  }
}

void TForm1::Show() {
  const int command = options_.showCommand;
  ShowWindow(application_.get(), SW_SHOWNOACTIVATE);
  if (command == SW_SHOWMAXIMIZED) {
    ShowWindow(window_.get(), SW_SHOWMAXIMIZED);
  } else {
    ShowWindow(window_.get(), SW_SHOWNORMAL);
    if (command == SW_SHOWMINIMIZED || command == SW_MINIMIZE || command == SW_SHOWMINNOACTIVE) {
      ShowWindow(application_.get(), SW_MINIMIZE);
    }
  }
  UpdateWindow(window_.get());
}

std::wstring TForm1::SettingsFileName() const {
  return core::ReplaceExtension(options_.executablePath, L".INI");
}

std::wstring TForm1::WorkFileName() const {
  return core::FolderOf(options_.executablePath) + kWorkFileName;
}

void TForm1::SetStatusText(const std::wstring& text) {
  SendMessageW(StatusBar1, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
  UpdateWindow(StatusBar1);
}

std::wstring TForm1::StatusText() const {
  // The simple-mode text is part 255; some status bar versions answer for it only as part 0.
  for (WPARAM part : {WPARAM{SB_SIMPLEID}, WPARAM{0}}) {
    const LRESULT length = SendMessageW(StatusBar1, SB_GETTEXTLENGTHW, part, 0);
    if (LOWORD(length) == 0) continue;
    std::wstring text(static_cast<size_t>(LOWORD(length)) + 1, L'\0');
    SendMessageW(StatusBar1, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
  }
  return {};
}

void TForm1::LoadStartPicture() {
  HRSRC found = FindResourceW(Instance(), L"STARTPICTURE", MAKEINTRESOURCEW(2) /*RT_BITMAP*/);
  HGLOBAL loaded = found ? LoadResource(Instance(), found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw core::Error("開始画像のリソースがありません。");
  const auto* bytes = static_cast<const uint8_t*>(data);
  picture = win::Picture::FromDib(
      core::ReadPackedDib(std::span<const uint8_t>(bytes, SizeofResource(Instance(), found))));
  controls::UpdateImage(Image1);
}

// --- Creation and closing ---

void TForm1::FormCreate() {
  DragAcceptFiles(window_.get(), TRUE);
  PictureState = 0;
  CropState = 0;
  {
    PrivateProfileStore store(SettingsFileName());
    settings = LoadSettings(store);
  }
  if (settings.windowMode != 0) {
    SetMenu(window_.get(), nullptr);
    FrameExtraHeight = kFrameExtraHeightWithoutMenu;
  } else {
    SetMenu(window_.get(), MainMenu1);
    FrameExtraHeight = kFrameExtraHeightWithMenu;
  }
  SetWindowPos(window_.get(), nullptr, settings.posLeft, settings.posTop, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetStatusText(L"ﾒﾆｭｰ又はﾎﾞﾀﾝを操作してください。（未取込）");

  // A command-line file that can't be loaded is reported here, during creation, and the steps
  // after the load are skipped.
  if (!win::Guarded(window_.get(), prompts_, [&] { OpenCommandLineFile(); })) return;
  mnuAdjSzClick();
}

void TForm1::OpenCommandLineFile() {
  if (options_.arguments.empty()) return;
  const std::wstring& argument = options_.arguments.front();
  if (!core::PatternListMentions(kBuiltInPatterns, core::ExtensionOf(argument))) return;
  CurrentFileName = argument;
  LoadPictureFile(CurrentFileName);
  AfterPictureLoad();
  SetStatusText(L"ファイル読込が完了しました。");
}

void TForm1::LoadPictureFile(const std::wstring& fileName) {
  std::wstring extension = core::ExtensionOf(fileName);
  if (!extension.empty()) extension.erase(0, 1);
  for (wchar_t& c : extension) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  }
  if (extension == L"bmp") {
    picture = win::Picture::FromDib(core::ReadBmp(win::ReadWholeFile(fileName)));
  } else if (extension == L"jpg" || extension == L"jpeg") {
    picture = win::Picture::FromDib(core::DecodeJpeg(win::ReadWholeFile(fileName)));
  } else {
    throw core::Error("拡張子 ." + win::Narrow(extension) + " の画像形式は処理できません");
  }
  controls::UpdateImage(Image1);
}

void TForm1::FormClose() {
  DeleteFileW(WorkFileName().c_str());
  WINDOWPLACEMENT placement{sizeof placement};
  RECT rect{};
  if ((IsIconic(window_.get()) || IsZoomed(window_.get())) &&
      GetWindowPlacement(window_.get(), &placement)) {
    rect = placement.rcNormalPosition;  // where the window goes back to, not the icon's place
  } else {
    GetWindowRect(window_.get(), &rect);
  }
  settings.posTop = rect.top;
  settings.posLeft = rect.left;
  {
    PrivateProfileStore store(SettingsFileName());
    SaveSettings(store, settings);
  }
  if (!helpFileName_.empty()) prompts_.WinHelp(window_.get(), helpFileName_, HELP_QUIT, 0);
  SetStatusText(L"お疲れさまでした。");
}

// --- The routines every picture source uses ---

void TForm1::FitWindowToPicture() {
  RECT rect;
  GetWindowRect(window_.get(), &rect);
  const WindowSize size = FitWindowSize(FitInput{
      picture.Width(), picture.Height(), FrameExtraHeight, rect.left, rect.top,
      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  SetWindowPos(window_.get(), nullptr, 0, 0, size.width, size.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::AfterPictureLoad() {
  PictureState = 2;  // before the clipboard changes, so the watcher ignores our own copy
  FitWindowToPicture();
  GdiFlush();
  win::PutPictureOnClipboard(window_.get(), picture.Pixels());
  if (picture.Palette()) {
    win::WindowDc dc(ScrollBox1);
    win::PaletteSelection select(dc.get(), picture.Palette(), FALSE);
    RealizePalette(dc.get());
  }
  picture.ConvertTo24();
  controls::UpdateImage(Image1);
}

// --- Commands of this window ---

void TForm1::mnuExitClick() { PostMessageW(window_.get(), WM_CLOSE, 0, 0); }

void TForm1::mnuAdjSzClick() { FitWindowToPicture(); }

void TForm1::SpeedButton11Click() {
  helpFileName_ = core::ReplaceExtension(options_.executablePath, L".HLP");
  prompts_.WinHelp(window_.get(), helpFileName_, HELP_CONTENTS, 0);
}

// --- Messages ---

LRESULT CALLBACK TForm1::ApplicationProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
  TForm1* form = win::WindowObject<TForm1>(window, message, lParam);
  HWND main = form && message != WM_NCDESTROY ? form->window_.get() : nullptr;
  switch (message) {
    case WM_ACTIVATE:
      // The taskbar button activates this window; the user means the main window.
      if (LOWORD(wParam) != WA_INACTIVE && main && IsWindowVisible(main)) SetActiveWindow(main);
      return 0;
    case WM_CLOSE:
      if (main) PostMessageW(main, WM_CLOSE, 0, 0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
  TForm1* form = win::WindowObject<TForm1>(window, message, lParam);
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCCREATE) form->window_.reset(window);
  if (message == WM_NCDESTROY) {
    form->window_.release();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  bool handled = false;
  win::Guarded(window, form->prompts_, [&] {
    result = form->HandleMessage(message, wParam, lParam);
    handled = true;
  });
  return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_.get();
  switch (message) {
    case WM_COMMAND:
      DispatchCommand(LOWORD(wParam));
      return 0;
    case WM_SIZE:
      LayoutChildren();
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == PageControl1 && header->code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(PageControl1, TCM_GETCURSEL, 0, 0)));
      }
      return 0;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == Image1) {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (at.x == -1 && at.y == -1) GetCursorPos(&at);
        TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window,
                       nullptr);
        return 0;
      }
      break;
    case WM_DROPFILES:
      DragFinish(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        // Minimizing goes through the taskbar owner, which hides this window with it.
        ShowWindow(application_.get(), SW_MINIMIZE);
        return 0;
      }
      break;
    case WM_CLOSE:
      Run([&] { FormClose(); });
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (options_.quitOnClose) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace app
