#pragma once
// The main window, Form1 of class TForm1: one picture at a time and every command of the program.
// It is a façade: it owns the window, its controls, the state the window declares and one object
// per subsystem. Each command handler is a short delegation to the subsystem that does the work;
// the subsystems reach the window only through the host roles it implements (host/Roles.h).

#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acquire/NkClipDetector.h"
#include "acquire/PictureImport.h"
#include "acquire/ScreenCapture.h"
#include "app/PictureHistory.h"
#include "app/Rw_ini.h"
#include "core/DpiScale.h"
#include "core/PictureFormats.h"
#include "edit/Cropping.h"
#include "edit/Resizing.h"
#include "host/CropFrame.h"
#include "host/Roles.h"
#include "host/States.h"
#include "output/ExternalEditor.h"
#include "output/PictureSaver.h"
#include "output/Printing.h"
#include "plugins/PictureOpening.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIs.h"
#include "tags/TagSet.h"
#include "win/ErrorBoundary.h"
#include "win/Handles.h"
#include "win/Hotkey.h"
#include "win/Picture.h"
#include "win/Prompts.h"
#include "win/controls/ControlSupport.h"
#include "win/controls/GraphicControl.h"

namespace app {

struct FormOptions {
  std::wstring executablePath;          // decides the settings, help and work file names
  std::vector<std::wstring> arguments;  // the command line after the program name
  int showCommand = SW_SHOWNORMAL;      // how the program was started
  win::Prompts* prompts = nullptr;      // dialogs, beeps and boxes; never null
  bool quitOnClose = true;              // post WM_QUIT when the window is destroyed
  // The seeds of the mosaic's noise; the system's random source when empty. Tests give fixed ones.
  tags::SeedSource mosaicSeeds;
};

// The state the main window declares.
struct FormState {
  host::PictureState PictureState = host::PictureState::Start;
  host::CropState CropState = host::CropState::Idle;
  int FrameExtraHeight = 50;
  std::wstring CurrentFileName;
  host::ActiveTag ActiveTag = host::ActiveTag::None;
  // The crop rectangle and the band shown in the picture.
  host::CropFrame Crop;
};

// A control's place, left, top, width and height in pixels: in the layout's tables those of a
// 96-DPI screen, scaled to the window's resolution where the control is made.
struct LayoutRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The window's menus and controls, by the names of the window's layout.
struct FormControls {
  HMENU MainMenu1 = nullptr;
  HMENU PopupMenu1 = nullptr;
  HMENU PopupMenu2 = nullptr;
  HWND Panel1 = nullptr;
  HWND Panel2 = nullptr;
  HWND PageControl1 = nullptr;
  HWND TabSheet1 = nullptr;
  HWND TabSheet2 = nullptr;
  HWND TabSheet3 = nullptr;
  HWND TabSheet4 = nullptr;
  HWND TabSheet5 = nullptr;
  HWND Button1 = nullptr;
  HWND ScrollBox1 = nullptr;
  HWND Image1 = nullptr;
  HWND StatusBar1 = nullptr;
  HWND ProgressBar1 = nullptr;
  HWND ToolTips = nullptr;
};

class TForm1 final : public host::PictureHost,
                     public host::WindowServices,
                     public host::TagFrame,
                     public host::CropView {
 public:
  // Builds the window, hidden, and runs FormCreate.
  explicit TForm1(FormOptions options);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Shows the window in the state that the show command asks for.
  void Show();
  HWND Handle() const { return window_.get(); }
  // The hidden owner that carries the taskbar button with the application title.
  HWND ApplicationHandle() const { return application_.get(); }
  const FormControls& Controls() const { return controls_; }
  const FormState& State() const { return state_; }
  const tags::TagSet& Tags() const { return tags_; }
  std::wstring StatusText() const;
  const plugins::TSPIs& Plugins() const { return SPIs1; }
  std::wstring SettingsFileName() const;

  // --- host::PictureHost ---
  win::Picture& Picture() override { return picture_; }
  void RepaintPicture() override;
  void InvalidatePicture(std::span<const RECT> areas) override;
  void ReplacePicture(win::Picture picture) override;
  void InstallPicture(win::Picture picture) override;
  void RecordPictureArea(const RECT& area) override;
  host::PictureState PictureState() const override { return state_.PictureState; }
  void SetPictureState(host::PictureState state) override { state_.PictureState = state; }
  bool RequirePicture() override;
  void SetCurrentFileName(std::wstring fileName) override;
  core::PictureFormats& PictureFormats() override { return formats_; }

  // --- host::WindowServices ---
  HWND Owner() const override { return window_.get(); }
  int Dpi() const override { return dpi_; }
  POINT ScrollOrigin() const override;
  void SetVisible(bool visible) override;
  void SetStatusText(const std::wstring& text) override;
  void SetStatusTextLater(const std::wstring& text) override;
  void ShowProgress(int percent) override;
  void EndProgress() override;
  void Refuse() override;
  win::Prompts& Prompts() override { return prompts_; }
  void SetHint(HWND control, const std::wstring& hint) override;
  host::Settings& Settings() override { return settings_; }
  bool PrinterListReadable() override;
  std::wstring WorkFileName() const override;

  // --- host::TagFrame and host::CropView (Unit1Edit.cpp) ---
  host::ActiveTag ActiveTag() const override { return state_.ActiveTag; }
  void SetActiveTag(host::ActiveTag tag) override;
  bool TextFrameChosen() const override;
  host::CropState CropState() const override { return state_.CropState; }
  void SetCropState(host::CropState state) override { state_.CropState = state; }
  host::CropFrame& Crop() override { return state_.Crop; }
  void SetPictureCropMode(bool cropping) override;
  SIZE PictureAreaSize() const override;
  void ScrollPictureBy(int dx, int dy) override;

  // --- Routines every picture source uses ---
  void AfterPictureLoad();
  void FitWindowToPicture();

  // The program's message loop offers every message here before it is translated and dispatched:
  // true when it was a keyboard shortcut of this window, which is then carried out
  // (Unit1History.cpp).
  bool TranslateShortcut(const MSG& message);
  const PictureHistory& History() const { return history_; }
  const acquire::ScreenCapture& ScreenCapture() const { return screenCapture_; }

 private:
  // --- Creation and closing ---
  void FormCreate();
  void FormClose();
  void PlaceAtSavedPosition();
  // Loads the plug-ins of the default places and of the configured folder, once: before the
  // window shows when a file from the command line waits to be opened, otherwise as soon as it
  // is up, so that loading their modules does not delay its appearance.
  void LoadStartPlugins();
  // Loads the plug-ins of the configured plug-in folder.
  void SearchConfiguredPlugins();
  // Minimizes the window behind its taskbar button.
  void Minimize();

  // --- Command and event handlers ---
  void mnuCaputureClick() { import_.Capture(); }
  void NkClipDetector1ClipChange() { import_.ClipboardChanged(); }
  void mnuClipReadClick() { import_.LoadClipboard(); }
  void mnuTmpReadClick() { import_.LoadWorkFile(); }
  // Capturing the screen ourselves, and the region capture's system-wide hotkey, which does
  // nothing while a capture is under way or pending.
  void mnuCaptureScreenClick() { screenCapture_.Start(acquire::CaptureKind::Screen); }
  void mnuCaptureWindowClick() { screenCapture_.Start(acquire::CaptureKind::Window); }
  void mnuCaptureRegionClick() { screenCapture_.Start(acquire::CaptureKind::Region); }
  void CaptureHotkeyPressed();
  // Holds `hotkey` (a hotkey control's value, 0 for none) as the region capture's hotkey in place
  // of the one held; false, with the old one kept, when another program holds it.
  bool RegisterCaptureHotkey(int32_t hotkey);
  void mnuReadClick() { opening_.Open(); }
  void WMDropFiles(HDROP drop) { opening_.DropFiles(drop); }
  void mnuWriteClick() { saver_.Save(); }
  void mnuPrintClick() { printing_.Print(); }
  void mnuExtEditClick() { externalEditor_.Open(); }
  void mnuCutClick() { cropping_.Cut(); }
  void SpeedButton12Click() { resizing_.Resize(); }
  void Image1MouseDown(win::controls::MouseButton button, POINT at) {
    cropping_.MouseDown(button, at.x, at.y);
  }
  void Image1MouseMove(POINT at) { cropping_.MouseMove(at.x, at.y); }
  void Image1MouseUp(win::controls::MouseButton button, POINT at) {
    cropping_.MouseUp(button, at.x, at.y);
  }
  void Image1CaptureLost() { cropping_.CancelDrag(); }
  void Button13Click() { tags_.Show(tags::TagKind::Icon); }
  void Button9Click() { tags_.Show(tags::TagKind::Memo); }
  void Button17Click() { tags_.Show(tags::TagKind::Image); }
  void Button6Click() { tags_.Show(tags::TagKind::Shape); }
  void Button14Click() { tags_.Hide(tags::TagKind::Icon); }
  void Button10Click() { tags_.Hide(tags::TagKind::Memo); }
  void Button18Click() { tags_.Hide(tags::TagKind::Image); }
  void Button7Click() { tags_.Hide(tags::TagKind::Shape); }
  void Button15Click() { tags_.Embed(tags::TagKind::Icon); }
  void Button11Click() { tags_.Embed(tags::TagKind::Memo); }
  void Button19Click() { tags_.Embed(tags::TagKind::Image); }
  void Button2Click() { tags_.Embed(tags::TagKind::Shape); }
  void Button16Click() { tags_.MoveToOrigin(tags::TagKind::Icon); }
  void Button4Click() { tags_.MoveToOrigin(tags::TagKind::Memo); }
  void Button20Click() { tags_.MoveToOrigin(tags::TagKind::Image); }
  void Button12Click() { tags_.MoveToOrigin(tags::TagKind::Shape); }
  void Button1Click() { tags_.Button1Click(); }
  void Button5Click() { tags_.Button5Click(); }
  void Button8Click() { tags_.Button8Click(); }
  void Button3Click() { tags_.Button3Click(); }
  void ComboBox1Change() { tags_.ComboBox1Change(); }
  void UpDown2Click() { tags_.UpDown2Click(); }
  void Image11Click() { tags_.SelectIconSlot(0); }
  void Image12Click() { tags_.SelectIconSlot(1); }
  void Image13Click() { tags_.SelectIconSlot(2); }
  void Image14Click() { tags_.SelectIconSlot(3); }
  // The double-click of every icon slot; the sender is the slot.
  void Image11DblClick(HWND sender) { tags_.Image11DblClick(sender); }
  void Button21Click() { tags_.Button21Click(); }
  // The mosaic page: "表示", "隠す", "埋込", "原点移動", the way, the block size and the colour.
  void Button22Click() { tags_.Show(tags::TagKind::Mosaic); }
  void Button23Click() { tags_.Hide(tags::TagKind::Mosaic); }
  void Button24Click() { tags_.Embed(tags::TagKind::Mosaic); }
  void Button25Click() { tags_.MoveToOrigin(tags::TagKind::Mosaic); }
  void ComboBox2Change() { tags_.ComboBox2Change(); }
  void UpDown3Click() { tags_.UpDown3Click(); }
  void Button26Click() { tags_.Button26Click(); }
  // The shape page's pen: "太さ" and "向き".
  void UpDown4Click() { tags_.UpDown4Click(); }
  void ComboBox3Change() { tags_.ComboBox3Change(); }
  void mnuExitClick();
  void mnuAdjSzClick() { FitWindowToPicture(); }
  void mnuSettingClick();
  void SpeedButton11Click();
  void smnuHideClick() { tags_.smnuHideClick(); }
  void smnuDrawClick() { tags_.smnuDrawClick(); }
  void smnuMoveClick() { tags_.smnuMoveClick(); }
  // The picture's history (Unit1History.cpp): "元に戻す" and "やり直し", refused while a crop or a
  // capture is under way and when there is no step.
  void mnuUndoClick();
  void mnuRedoClick();
  // Puts a picture from the history in place as every new picture is, and says so.
  void RestoreFromHistory(std::optional<core::Dib> picture, const wchar_t* message);
  // Greys the history's items of a menu about to open when there is nothing to undo or redo.
  void EnableHistoryItems(HMENU menu);
  // Only picture import plug-ins stay loaded.
  void SPIs1Search(plugins::TSPIs&, plugins::TSPI& ASPI, bool& Accept) {
    Accept = dynamic_cast<plugins::TInSPI*>(&ASPI) != nullptr;
  }
  // A plug-in that claims every file ("*.*") is not registered under the extension "*".
  void SPIs1PictureRegister(plugins::TSPIs&, plugins::TInSPI&, const std::wstring& AExtension,
                            const std::wstring&, const plugins::TGraphicClass*& AGraphicClass) {
    if (AExtension == L"*") AGraphicClass = nullptr;
  }

  // --- Messages ---
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK ApplicationProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // A command from a menu item or control: its ID, the control's notification code (0 for menus,
  // buttons and clicks) and the control.
  void DispatchCommand(int id, int code, HWND sender);
  // Runs a command handler inside the error boundary.
  template <typename F>
  void Run(F&& handler) {
    win::Guarded(window_.get(), prompts_, std::forward<F>(handler));
  }
  // Runs a step of the window's start (a plug-in search, the command-line file); its error is kept
  // and shown once the window is up, and the start goes on.
  template <typename F>
  void RunAtStart(F&& step) {
    try {
      step();
    } catch (...) {
      startErrors_.emplace_back(win::CurrentErrorText());
    }
  }

  // --- Building the window (Unit1Layout.cpp) ---
  // The one rule by which the layout's 96-DPI lengths become the window's: scaled to its
  // resolution and rounded once.
  int Scaled(int designPixels) const { return core::ScaleToDpi(designPixels, dpi_); }
  LayoutRect Scaled(const LayoutRect& design) const;
  void RegisterWindowClasses();
  void CreateWindowFont();
  void CreateControls();
  void CreateMenus();
  void CreateToolBar();
  void CreateLeftPanel();
  // The hints' tooltip control is made once the window is up (nobody points at a control before):
  // what is asked of it before then waits, in order, and is done when it is made.
  void WithToolTips(std::function<void(HWND)> work);
  void CreateToolTips();
  void AddHint(HWND control, const wchar_t* hint);
  // A page of the page control, hidden unless its tab is the one chosen.
  HWND CreatePagePanel(int page);
  void AddAreaHint(HWND page, HWND area, const wchar_t* hint);
  void LayoutChildren();
  // The tabs of the pages, in as few rows as the pages' controls leave room for.
  void InsertPageTabs();
  void CreatePageControls(int page);
  // The area of the tab control that its pages fill.
  LayoutRect PageDisplayArea() const;
  // The window has moved to a screen of another resolution: its fonts, glyphs and every control
  // take the sizes of that resolution.
  void ApplyDpi(int dpi);
  void CreateHiddenPages();
  void ShowPage(int index);
  void LoadStartPicture();
  // The surface over the picture with the tags on it, the picture's mouse, and the status line's
  // late texts (Unit1Edit.cpp).
  void CreateEditSupport();
  static LRESULT CALLBACK StatusLineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self) noexcept;

  FormOptions options_;
  win::Prompts& prompts_;
  FormState state_;
  host::Settings settings_;
  win::Picture picture_;    // the picture of Image1
  PictureHistory history_;  // its earlier states, for undo and redo
  core::PictureFormats formats_;
  FormControls controls_;

  win::UniqueWindow application_;
  win::UniqueWindow window_;
  bool destroying_ = false;     // from WM_DESTROY on, messages only reach the default handling
  int dpi_ = core::kDesignDpi;  // the window's resolution
  win::UniqueFont font_;
  win::UniqueBitmap toolGlyphs_;
  win::UniqueMenu mainMenu_;
  win::UniqueMenu popupMenu1_;
  win::UniqueMenu popupMenu2_;
  std::vector<HWND> pages_;
  std::wstring helpFileName_;                // set once help has been opened
  std::optional<bool> printerListReadable_;  // known once the printer list has been read
  std::vector<std::string> startErrors_;     // shown when the window is shown
  bool startPluginsLoaded_ = false;
  std::vector<std::function<void(HWND)>> pendingToolTipWork_;
  // The progress of a decode (GetTickCount64 values): since when it runs, 0 when none does, and
  // when the bar last stepped; the bar waits and steps at this pace, in milliseconds.
  ULONGLONG progressSince_ = 0;
  ULONGLONG lastProgressStep_ = 0;
  static constexpr ULONGLONG kProgressPace = 100;

  // The picture's context menu (none once a crop has ended), and the surface over the picture
  // that carries the tags; it outlives them.
  HMENU image1PopupMenu_ = nullptr;
  std::unique_ptr<win::controls::GraphicSurface> pictureSurface_;
  std::optional<std::wstring> pendingStatus_;  // written when the status line next paints

  // The subsystems.
  acquire::TNkClipDetector NkClipDetector1;
  plugins::TSPIs SPIs1{formats_};
  plugins::SPIBitmapUnit spiBitmap_{SPIs1, *this, *this};  // before the first plug-in is inserted
  acquire::PictureImport import_{*this, *this};
  acquire::ScreenCapture screenCapture_{*this, *this};
  win::HotkeyRegistration captureHotkey_;
  plugins::PictureOpening opening_{*this, *this, SPIs1};
  output::PictureSaver saver_{*this, *this};
  output::Printing printing_{*this, *this};
  output::ExternalEditor externalEditor_{*this, *this};
  edit::Cropping cropping_{*this, *this, *this, *this};
  edit::Resizing resizing_{*this, *this};
  tags::TagSet tags_{*this, *this, *this, options_.mosaicSeeds};
};

}  // namespace app
