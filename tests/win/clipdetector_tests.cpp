// The clipboard watcher on the real viewer chain: when it reports a change, how it passes chain
// messages on, and that it leaves the chain exactly once.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ClipboardChildren.h"
#include "acquire/NkClipDetector.h"
#include "core/Error.h"

namespace {

using acquire::TNkClipDetector;
using winetest::RunChild;
using winetest::WaitFor;

// A window of the test process that records the chain messages it gets and answers
// WM_CHANGECBCHAIN with a recognisable result.
class RecorderWindow {
 public:
  static constexpr LRESULT kChainResult = 4321;
  int drawClipboard = 0;
  int changeChain = 0;
  WPARAM lastRemoved = 0;
  LPARAM lastNext = 0;

  RecorderWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ChainRecorder";
    RegisterClassW(&wc);
    window_ = CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~RecorderWindow() {
    if (inChain_) ChangeClipboardChain(window_, next_);
    DestroyWindow(window_);
  }
  HWND Handle() const { return window_; }
  void Join() {
    inChain_ = true;
    next_ = SetClipboardViewer(window_);
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecorderWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_DRAWCLIPBOARD) {
      ++self->drawClipboard;
      if (self->next_) SendMessageW(self->next_, message, wParam, lParam);
      return 0;
    }
    if (self && message == WM_CHANGECBCHAIN) {
      ++self->changeChain;
      self->lastRemoved = wParam;
      self->lastNext = lParam;
      if (reinterpret_cast<HWND>(wParam) == self->next_)
        self->next_ = reinterpret_cast<HWND>(lParam);
      return kChainResult;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
  HWND next_ = nullptr;
  bool inChain_ = false;
};

void PutTextHere(const wchar_t* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  memcpy(GlobalLock(memory), text, bytes);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

TEST(ClipDetector, JoiningReportsTheCurrentContentsOnlyWithoutIgnoreFirst) {
  PutTextHere(L"already here");
  for (bool ignoreFirst : {true, false}) {
    SCOPED_TRACE(ignoreFirst ? "IgnoreFirst" : "report first");
    TNkClipDetector detector;
    EXPECT_TRUE(detector.IgnoreFirst) << "the default";
    detector.IgnoreFirst = ignoreFirst;
    int events = 0;
    detector.SetOnClipChange([&](TNkClipDetector& sender) {
      EXPECT_EQ(&sender, &detector);
      ++events;
    });
    EXPECT_NE(detector.ViewerWindow(), nullptr);
    EXPECT_EQ(GetClipboardViewer(), detector.ViewerWindow());
    winetest::PumpMessages(20);
    EXPECT_EQ(events, ignoreFirst ? 0 : 1);
    // Every later change is reported, also one made by another program.
    ASSERT_EQ(RunChild(L"put-text", {L"from another process"}), 0);
    EXPECT_TRUE(WaitFor([&] { return events == (ignoreFirst ? 1 : 2); }));
  }
}

TEST(ClipDetector, ASecondHandlerReplacesTheFirstWithoutRejoining) {
  TNkClipDetector detector;
  int first = 0, second = 0;
  detector.SetOnClipChange([&](TNkClipDetector&) { ++first; });
  const HWND viewer = detector.ViewerWindow();
  RecorderWindow later;
  later.Join();  // now the head of the chain, with our viewer as its successor
  detector.SetOnClipChange([&](TNkClipDetector&) { ++second; });
  EXPECT_EQ(detector.ViewerWindow(), viewer);
  EXPECT_EQ(later.changeChain, 0) << "replacing the handler must not leave the chain";
  PutTextHere(L"change");
  EXPECT_TRUE(WaitFor([&] { return second == 1; }));
  EXPECT_EQ(first, 0);
}

TEST(ClipDetector, RemovingTheHandlerOrDestroyingLeavesTheChainExactlyOnce) {
  {
    auto detector = std::make_unique<TNkClipDetector>();
    int events = 0;
    detector->SetOnClipChange([&](TNkClipDetector&) { ++events; });
    const HWND viewer = detector->ViewerWindow();
    RecorderWindow head;
    head.Join();
    detector->SetOnClipChange(nullptr);
    EXPECT_EQ(detector->ViewerWindow(), nullptr);
    EXPECT_FALSE(IsWindow(viewer));
    EXPECT_EQ(head.changeChain, 1);
    EXPECT_EQ(head.lastRemoved, reinterpret_cast<WPARAM>(viewer));
    detector->SetOnClipChange(nullptr);  // outside the chain: nothing happens
    detector.reset();
    EXPECT_EQ(head.changeChain, 1);
    PutTextHere(L"after leaving");
    winetest::PumpMessages(50);
    EXPECT_EQ(events, 0);
  }
  {
    auto detector = std::make_unique<TNkClipDetector>();
    detector->SetOnClipChange([](TNkClipDetector&) {});
    RecorderWindow head;
    head.Join();
    detector.reset();
    EXPECT_EQ(head.changeChain, 1);
  }
  {
    RecorderWindow head;
    head.Join();
    auto idle = std::make_unique<TNkClipDetector>();  // never joined
    idle.reset();
    EXPECT_EQ(head.changeChain, 0);
  }
}

TEST(ClipDetector, ChainNoticesAreTakenOrPassedOnAsTheChainRequires) {
  RecorderWindow next;
  next.Join();
  TNkClipDetector detector;
  detector.SetOnClipChange([](TNkClipDetector&) {});
  ASSERT_EQ(detector.NextViewer(), next.Handle());
  HWND viewer = detector.ViewerWindow();

  // Some other window further down leaves: passed on unchanged, with the successor's result.
  HWND farAway = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
  HWND itsNext = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x5678));
  EXPECT_EQ(SendMessageW(viewer, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(farAway),
                         reinterpret_cast<LPARAM>(itsNext)),
            RecorderWindow::kChainResult);
  EXPECT_EQ(next.lastRemoved, reinterpret_cast<WPARAM>(farAway));
  EXPECT_EQ(next.lastNext, reinterpret_cast<LPARAM>(itsNext));
  EXPECT_EQ(detector.NextViewer(), next.Handle());

  // Our successor leaves: its successor becomes ours, and the result is 0.
  const int seen = next.changeChain;
  EXPECT_EQ(SendMessageW(viewer, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(next.Handle()),
                         reinterpret_cast<LPARAM>(itsNext)),
            0);
  EXPECT_EQ(detector.NextViewer(), itsNext);
  EXPECT_EQ(next.changeChain, seen);
}

TEST(ClipDetector, ChangesReachTheRestOfTheChainAfterTheHandlerAndAcrossProcesses) {
  winetest::TempDir dir;
  winetest::ViewerProcess last(dir.Path().wstring());    // joined first: end of the chain
  winetest::ViewerProcess middle(dir.Path().wstring());  // joined second
  ASSERT_NE(middle.Window(), nullptr);
  TNkClipDetector detector;
  int events = 0;
  int lastCountDuringHandler = -2;
  detector.SetOnClipChange([&](TNkClipDetector&) {
    ++events;
    lastCountDuringHandler = last.DrawClipboardCount();
  });
  EXPECT_EQ(detector.NextViewer(), middle.Window());

  // The viewer after ours leaves: its successor becomes our next viewer.
  middle.Leave();
  EXPECT_TRUE(WaitFor([&] { return detector.NextViewer() == last.Window(); }))
      << "next viewer is " << detector.NextViewer();

  const int before = last.DrawClipboardCount();
  PutTextHere(L"for the whole chain");
  EXPECT_TRUE(WaitFor([&] { return events == 1 && last.DrawClipboardCount() == before + 1; }))
      << "events " << events << ", count " << last.DrawClipboardCount() << " from " << before;
  EXPECT_EQ(lastCountDuringHandler, before) << "our handler runs before the chain hears of it";
}

}  // namespace
