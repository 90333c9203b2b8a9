#include "app/win/Unit1.h"

#include <windows.h>
#include <commctrl.h>

#include <span>
#include <utility>

#include "app/WindowFit.h"
#include "app/WindowPlacement.h"
#include "app/win/CommandIds.h"
#include "app/win/PrivateProfileStore.h"
#include "app/win/Unit2.h"
#include "core/BmpCodec.h"
#include "core/Error.h"
#include "core/PathRules.h"
#include "plugins/BuiltInFormats.h"
#include "win/Clipboard.h"
#include "win/Dpi.h"
#include "win/ErrorBoundary.h"
#include "win/Files.h"
#include "win/Messages.h"
#include "win/Text.h"
#include "win/WindowObject.h"
#include "win/controls/Image.h"
#include "win/controls/ScrollBox.h"

namespace app {
namespace {

constexpr const wchar_t* kFormClass = L"TForm1";
constexpr const wchar_t* kApplicationClass = L"TApplication";
constexpr const wchar_t* kCaption = L"Capslate!!";
constexpr const wchar_t* kWorkFileName = L"tmp$$$.bmp";
constexpr int kDesignWidth = 555;
constexpr int kDesignHeight = 510;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

bool IsMinimizedStart(int showCommand) {
  return showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE ||
         showCommand == SW_SHOWMINNOACTIVE;
}

ScreenRect ToScreenRect(const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; }

// The work areas of the monitors, collected by EnumDisplayMonitors.
struct WorkAreas {
  std::vector<ScreenRect> areas;
  win::CallbackError error;
};

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) noexcept {
  auto& collected = *reinterpret_cast<WorkAreas*>(data);
  return collected.error.Catch(FALSE, [&] {
    MONITORINFO info{sizeof info};
    if (GetMonitorInfoW(monitor, &info)) collected.areas.push_back(ToScreenRect(info.rcWork));
    return TRUE;
  });
}

}  // namespace

TForm1::TForm1(FormOptions options) : options_(std::move(options)), prompts_(*options_.prompts) {
  if (options_.executablePath.empty()) options_.executablePath = win::ExecutablePath();
  plugins::RegisterBuiltInFormats(formats_);
  RegisterWindowClasses();
  application_.reset(CreateWindowExW(
      0, kApplicationClass, win::kApplicationTitle,
      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, GetSystemMetrics(SM_CXSCREEN) / 2,
      GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, Instance(), this));
  if (!application_) {
    throw core::Error("アプリケーションウィンドウを作成できません。\n" +
                      win::Narrow(win::SystemErrorText(GetLastError())));
  }
  // The window procedure takes ownership of the handle at WM_NCCREATE. It opens on the primary
  // screen, at the system's resolution, until it is placed.
  const int systemDpi = win::SystemDpi();
  CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  CW_USEDEFAULT, CW_USEDEFAULT, core::ScaleToDpi(kDesignWidth, systemDpi),
                  core::ScaleToDpi(kDesignHeight, systemDpi), application_.get(), nullptr,
                  Instance(), this);
  if (!window_) throw core::Error("メインウィンドウを作成できません。");
  dpi_ = win::WindowDpi(window_.get());
  CreateWindowFont();
  CreateControls();
  LoadStartPicture();
  CreateEditSupport();
  // The watcher joins the clipboard chain while the window is built, before FormCreate.
  NkClipDetector1.SetOnClipChange(
      [this](acquire::TNkClipDetector&) { Run([this] { NkClipDetector1ClipChange(); }); });
  // So does the plug-in manager, once it has its properties: it searches its default places.
  SPIs1.ApplicationFolder = core::FolderOf(options_.executablePath);
  SPIs1.OnSearch = [this](plugins::TSPIs& sender, plugins::TSPI& spi, bool& accept) {
    SPIs1Search(sender, spi, accept);
  };
  SPIs1.OnPictureRegister = [this](plugins::TSPIs& sender, plugins::TInSPI& spi,
                                   const std::wstring& extension, const std::wstring& description,
                                   const plugins::TGraphicClass*& graphicClass) {
    SPIs1PictureRegister(sender, spi, extension, description, graphicClass);
  };
  FormCreate();
}

TForm1::~TForm1() {
  NkClipDetector1.SetOnClipChange(nullptr);
  // The menu bar belongs to the window while attached; detach it so it is destroyed once.
  if (window_ && GetMenu(window_.get()) == mainMenu_.get()) SetMenu(window_.get(), nullptr);
  // Destroyed while the handle is still held, so the messages of its destruction reach a window
  // object that knows its handle; WM_NCDESTROY lets go of it.
  if (window_) DestroyWindow(window_.get());
  application_.reset();
}

void TForm1::RegisterWindowClasses() {
  INITCOMMONCONTROLSEX common{sizeof common, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                                 ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&common);
  struct ClassDef {
    const wchar_t* name;
    WNDPROC proc;
  };
  for (const ClassDef& def :
       {ClassDef{kFormClass, WindowProc}, ClassDef{kApplicationClass, ApplicationProc}}) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = def.proc;
    wc.hInstance = Instance();
    wc.hIcon = LoadIconW(Instance(), L"MAINICON");
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = def.name;
    win::RegisterClassOnce(wc);
  }
}

void TForm1::Show() {
  const int command = options_.showCommand;
  if (IsMinimizedStart(command)) {
    // Only the taskbar button shows. The window takes no activation and waits minimized and
    // hidden behind the button until the button restores it.
    ShowWindow(window_.get(), SW_SHOWMINNOACTIVE);
    ShowWindow(application_.get(), command);
    ShowWindow(window_.get(), SW_HIDE);
  } else {
    ShowWindow(application_.get(), SW_SHOWNOACTIVATE);
    ShowWindow(window_.get(), command == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(window_.get());
  }
  CreateToolTips();
  // The plug-ins, unless a file from the command line needed them already: loading their modules
  // need not delay the window's appearance either.
  LoadStartPlugins();
  // The pages behind the first tab are made once the window is up: a third of its controls, which
  // nobody sees before a tab is clicked, need not delay the window's appearance.
  CreateHiddenPages();
  // What went wrong while the window was built, now that it (or its taskbar button) is up.
  for (const std::string& error : std::exchange(startErrors_, {})) {
    win::ReportError(window_.get(), prompts_, error);
  }
}

void TForm1::Minimize() {
  // The window itself is minimized, so its placement says so, and hidden, since the taskbar
  // button that stands for it is the owner's. Not every system hides an owned window when its
  // owner is minimized, so it is hidden here.
  ShowWindow(window_.get(), SW_SHOWMINNOACTIVE);
  ShowWindow(application_.get(), SW_MINIMIZE);
  ShowWindow(window_.get(), SW_HIDE);
}

std::wstring TForm1::SettingsFileName() const {
  return core::ReplaceExtension(options_.executablePath, L".INI");
}

std::wstring TForm1::WorkFileName() const {
  return core::FolderOf(options_.executablePath) + kWorkFileName;
}

void TForm1::SetStatusText(const std::wstring& text) {
  pendingStatus_.reset();
  SendMessageW(controls_.StatusBar1, SB_SETTEXTW, SB_SIMPLEID,
               reinterpret_cast<LPARAM>(text.c_str()));
  UpdateWindow(controls_.StatusBar1);
}

void TForm1::ShowProgress(int percent) {
  // A decode over within a blink shows no bar; after that the bar steps a few times a second at
  // most, since painting costs more than a fast plug-in's step.
  const ULONGLONG now = GetTickCount64();
  if (progressSince_ == 0) progressSince_ = now;
  const bool shown = IsWindowVisible(controls_.ProgressBar1);
  if (now - (shown ? lastProgressStep_ : progressSince_) < kProgressPace) return;
  lastProgressStep_ = now;
  if (!shown) ShowWindow(controls_.ProgressBar1, SW_SHOWNA);
  SendMessageW(controls_.ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  win::DispatchPaintMessages();
}

void TForm1::EndProgress() {
  ShowWindow(controls_.ProgressBar1, SW_HIDE);
  progressSince_ = 0;
}

std::wstring TForm1::StatusText() const {
  if (pendingStatus_) return *pendingStatus_;
  // The simple-mode text is part 255; some status bar versions answer for it only as part 0.
  for (WPARAM part : {WPARAM{SB_SIMPLEID}, WPARAM{0}}) {
    const LRESULT length = SendMessageW(controls_.StatusBar1, SB_GETTEXTLENGTHW, part, 0);
    if (LOWORD(length) == 0) continue;
    std::wstring text(static_cast<size_t>(LOWORD(length)) + 1, L'\0');
    SendMessageW(controls_.StatusBar1, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
  }
  return {};
}

void TForm1::Refuse() { win::Refuse(prompts_); }

bool TForm1::RequirePicture() {
  if (state_.PictureState == host::PictureState::Present) return true;
  Refuse();
  return false;
}

void TForm1::SetCurrentFileName(std::wstring fileName) {
  state_.CurrentFileName = std::move(fileName);
}

POINT TForm1::ScrollOrigin() const {
  return win::controls::ScrollBoxPosition(controls_.ScrollBox1);
}

void TForm1::SetVisible(bool visible) {
  ShowWindow(application_.get(), visible ? SW_SHOW : SW_HIDE);  // the taskbar button
  ShowWindow(window_.get(), visible ? SW_SHOW : SW_HIDE);
}

void TForm1::RepaintPicture() { win::controls::UpdateImage(controls_.Image1); }

void TForm1::ReplacePicture(win::Picture picture) {
  picture_ = std::move(picture);
  win::controls::UpdateImage(controls_.Image1);
}

void TForm1::InstallPicture(win::Picture picture) {
  // A crop under way ends first: its backup must not come back over the new picture, and the
  // undo step is the picture without the band.
  cropping_.CancelDrag();
  GdiFlush();
  history_.RecordPicture(picture_.Pixels());
  ReplacePicture(std::move(picture));
  AfterPictureLoad();
}

void TForm1::LoadStartPicture() {
  HRSRC found = FindResourceW(Instance(), L"STARTPICTURE", MAKEINTRESOURCEW(2) /*RT_BITMAP*/);
  HGLOBAL loaded = found ? LoadResource(Instance(), found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw core::Error("開始画像のリソースがありません。");
  const auto* bytes = static_cast<const uint8_t*>(data);
  picture_ = win::Picture::FromDib(
      core::ReadPackedDib(std::span<const uint8_t>(bytes, SizeofResource(Instance(), found))));
  win::controls::UpdateImage(controls_.Image1);
}

// --- Creation and closing ---

void TForm1::FormCreate() {
  // What DragAcceptFiles(TRUE) does, without loading the shell at start-up.
  SetWindowLongPtrW(window_.get(), GWL_EXSTYLE,
                    GetWindowLongPtrW(window_.get(), GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
  state_.PictureState = host::PictureState::Start;
  state_.CropState = host::CropState::Idle;
  {
    PrivateProfileStore store(SettingsFileName());
    settings_ = LoadSettings(store);
  }
  history_.SetLimit(static_cast<uint64_t>(settings_.undoLimit) << 20);
  // A hotkey another program took since the last run stays chosen, and is said so once the window
  // is up.
  if (settings_.captureHotkey != 0) {
    RunAtStart([this] {
      if (!RegisterCaptureHotkey(settings_.captureHotkey)) {
        throw core::Error(win::Narrow(
            L"ホットキー " + win::HotkeyName(static_cast<WORD>(settings_.captureHotkey)) +
            L" は他のプログラムが使っています。範囲指定取込には使えません。"));
      }
    });
  }
  if (settings_.windowMode != 0) {
    SetMenu(window_.get(), nullptr);
    state_.FrameExtraHeight = kFrameExtraHeightWithoutMenu;
  } else {
    SetMenu(window_.get(), controls_.MainMenu1);
    state_.FrameExtraHeight = kFrameExtraHeightWithMenu;
  }
  PlaceAtSavedPosition();
  tags_.ShowIconPage(tags_.UpDown2Position());
  SetStatusText(L"ﾒﾆｭｰ又はﾎﾞﾀﾝを操作してください。（未取込）");
  // A file from the command line may need a plug-in.
  if (!options_.arguments.empty()) LoadStartPlugins();
  // A command-line file that can't be loaded is reported in the error box once the window is up,
  // as the box's owner; the steps after it still run, so the program starts in its usual state
  // with the start picture.
  RunAtStart([this] { opening_.OpenCommandLineFile(options_.arguments); });
  mnuAdjSzClick();
  // Every tag on its track box at the picture area's corner, the first icon (which shows the icon
  // tag while a picture is present), no tag shown. The first shape is chosen with its page.
  tags_.PlaceOnTrackBoxes();
  Image11Click();
  Button14Click();
}

void TForm1::PlaceAtSavedPosition() {
  WorkAreas workAreas;
  EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&workAreas));
  workAreas.error.Rethrow();
  const POINT saved{settings_.posLeft, settings_.posTop};
  MONITORINFO nearest{sizeof nearest};
  GetMonitorInfoW(MonitorFromPoint(saved, MONITOR_DEFAULTTONEAREST), &nearest);
  const ScreenPoint at = RestoredPosition(ScreenPoint{saved.x, saved.y}, workAreas.areas,
                                          ToScreenRect(nearest.rcWork), dpi_);
  SetWindowPos(window_.get(), nullptr, at.x, at.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::FormClose() {
  DeleteFileW(WorkFileName().c_str());
  WINDOWPLACEMENT placement{sizeof placement};
  RECT rect{};
  GetWindowRect(window_.get(), &rect);
  if ((IsIconic(window_.get()) || IsZoomed(window_.get())) &&
      GetWindowPlacement(window_.get(), &placement)) {
    // Where the window goes back to, not the icon's or the maximized place. The placement is in
    // workspace coordinates, which a taskbar at the top or left shifts from the screen's.
    const RECT& normal = placement.rcNormalPosition;
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromRect(&normal, MONITOR_DEFAULTTONEAREST), &monitor);
    const ScreenPoint screen =
        WorkspaceToScreen(ScreenPoint{normal.left, normal.top}, ToScreenRect(monitor.rcMonitor),
                          ToScreenRect(monitor.rcWork));
    rect.left = screen.x;
    rect.top = screen.y;
  }
  settings_.posTop = rect.top;
  settings_.posLeft = rect.left;
  {
    PrivateProfileStore store(SettingsFileName());
    SaveSettings(store, settings_);
  }
  if (!helpFileName_.empty()) prompts_.WinHelp(window_.get(), helpFileName_, HELP_QUIT, 0);
  SetStatusText(L"お疲れさまでした。");
}

// --- The routines every picture source uses ---

void TForm1::FitWindowToPicture() {
  RECT rect;
  GetWindowRect(window_.get(), &rect);
  const WindowSize size = FitWindowSize(
      FitInput{picture_.Width(), picture_.Height(), state_.FrameExtraHeight, rect.left, rect.top,
               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), dpi_});
  SetWindowPos(window_.get(), nullptr, 0, 0, size.width, size.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::AfterPictureLoad() {
  // Before the clipboard changes, so the watcher ignores our own copy.
  state_.PictureState = host::PictureState::Present;
  FitWindowToPicture();
  GdiFlush();
  win::PutPictureOnClipboard(window_.get(), picture_.Pixels());
  if (picture_.Palette()) {
    win::WindowDc dc(controls_.ScrollBox1);
    win::PaletteSelection select(dc.get(), picture_.Palette(), FALSE);
    RealizePalette(dc.get());
  }
  picture_.ConvertTo24();
  win::controls::UpdateImage(controls_.Image1);
}

// --- Commands of this window ---

void TForm1::mnuExitClick() { PostMessageW(window_.get(), WM_CLOSE, 0, 0); }

bool TForm1::PrinterListReadable() {
  if (!printerListReadable_) {
    try {
      prompts_.PrinterNames();
      printerListReadable_ = true;
    } catch (const core::Error&) {
      printerListReadable_ = false;
    }
  }
  return *printerListReadable_;
}

void TForm1::mnuSettingClick() {
  RECT rect;
  GetWindowRect(window_.get(), &rect);
  if (!TForm2::Execute(window_.get(), prompts_, settings_, POINT{rect.left + Scaled(100), rect.top},
                       [this](int32_t hotkey) { return RegisterCaptureHotkey(hotkey); })) {
    return;
  }
  printerListReadable_ = true;  // the printer choice is the user's own now
  if (!settings_.susiePath.empty()) SearchConfiguredPlugins();
}

bool TForm1::RegisterCaptureHotkey(int32_t hotkey) {
  if (hotkey == 0) {
    captureHotkey_.Reset();
    return true;
  }
  const WORD held = captureHotkey_.Hotkey();
  if (captureHotkey_.Register(window_.get(), ids::hotkeyCaptureRegion, static_cast<WORD>(hotkey))) {
    return true;
  }
  if (held != 0) captureHotkey_.Register(window_.get(), ids::hotkeyCaptureRegion, held);
  return false;
}

void TForm1::CaptureHotkeyPressed() {
  // Not under a modal dialog (which disables the window) or while another capture runs or waits.
  if (!IsWindowEnabled(window_.get()) || screenCapture_.Busy() ||
      state_.PictureState == host::PictureState::CapturePending) {
    return;
  }
  mnuCaptureRegionClick();
}

void TForm1::LoadStartPlugins() {
  if (startPluginsLoaded_) return;
  startPluginsLoaded_ = true;
  RunAtStart([this] { SPIs1.Loaded(); });
  if (!settings_.susiePath.empty()) RunAtStart([this] { SearchConfiguredPlugins(); });
}

void TForm1::SearchConfiguredPlugins() {
  // The folder is kept as the user typed it; the search mask needs its final backslash.
  SPIs1.SearchPlugins(core::WithTrailingBackslash(settings_.susiePath));
}

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
      if (LOWORD(wParam) != WA_INACTIVE && main && IsWindowVisible(main) && !IsIconic(main)) {
        SetActiveWindow(main);
      }
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_RESTORE && main && IsIconic(window)) {
        // The taskbar button brings back the window that waited minimized behind it.
        const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        if (IsIconic(main) || !IsWindowVisible(main)) ShowWindow(main, SW_RESTORE);
        SetActiveWindow(main);
        return result;
      }
      break;
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
  if (form->destroying_) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return form->HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    // Commands report their own errors inside the boundary (Run); what reaches here came from
    // painting or layout, where an error box would only ask for the next paint.
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT TForm1::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      DispatchCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_HSCROLL:
      // The icon page's arrows have stepped to a new position.
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(controls_.TabSheet1, ids::UpDown2) &&
          LOWORD(wParam) == SB_THUMBPOSITION) {
        Run([this] { UpDown2Click(); });
      }
      return 0;
    case WM_VSCROLL:
      // The arrows of the shape page's width or the mosaic page's block size have stepped.
      if (LOWORD(wParam) == SB_THUMBPOSITION) {
        const auto arrows = reinterpret_cast<HWND>(lParam);
        if (arrows == GetDlgItem(controls_.TabSheet4, ids::UpDown4))
          Run([this] { UpDown4Click(); });
        if (arrows == GetDlgItem(controls_.TabSheet5, ids::UpDown3))
          Run([this] { UpDown3Click(); });
      }
      return 0;
    case WM_SIZE:
      LayoutChildren();
      return 0;
    case WM_DPICHANGED: {
      // Moved to a screen of another resolution: laid out for it, at the place the system
      // suggests, which keeps the window's size in proportion.
      ApplyDpi(HIWORD(wParam));
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == controls_.PageControl1 && header->code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(controls_.PageControl1, TCM_GETCURSEL, 0, 0)));
      }
      return 0;
    }
    case WM_INITMENUPOPUP:
      EnableHistoryItems(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == controls_.Image1) {
        if (!image1PopupMenu_) return 0;
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (at.x == -1 && at.y == -1) GetCursorPos(&at);
        TrackPopupMenu(image1PopupMenu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window,
                       nullptr);
        return 0;
      }
      break;
    case WM_DROPFILES:
      Run([&] { WMDropFiles(reinterpret_cast<HDROP>(wParam)); });
      return 0;
    case WM_HOTKEY:
      if (wParam == ids::hotkeyCaptureRegion) Run([this] { CaptureHotkeyPressed(); });
      return 0;
    case WM_CANCELMODE:
      // The system ends its modes (a dialog or message box opens): a part of the window that
      // holds the mouse for a drag (the crop, a track box) loses it and ends that drag.
      if (HWND holder = GetCapture(); holder && IsChild(window, holder)) ReleaseCapture();
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        Minimize();
        return 0;
      }
      break;
    case WM_CLOSE:
      Run([&] { FormClose(); });
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      destroying_ = true;
      if (options_.quitOnClose) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace app
