// The settings dialog as the user meets it: where it opens, what OK writes, stored values beyond
// the arrows' ranges, the editor and folder choices (the shell's folder browser among them), a box
// that holds no number, the printer list, and the About page's links.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "FormFixture.h"
#include "PluginTestSupport.h"
#include "app/win/CommandIds.h"
#include "app/win/PrivateProfileStore.h"

namespace {

using winetest::FormFixture;
using winetest::ScriptedPrompts;
using winetest::Utf8;
namespace ids = app::ids;

// The dialog's controls.
constexpr int kCheckBox1 = 102;
constexpr int kPanel1 = 104;
constexpr int kButton1 = 105;
constexpr int kEdit5 = 107;
constexpr int kButton2 = 108;
constexpr int kComboBox1 = 110;
constexpr int kCheckBox2 = 111;
constexpr int kEdit1 = 113;
constexpr int kEdit2 = 116;
constexpr int kEdit3 = 119;
constexpr int kLabel8 = 124;
constexpr int kLabel4 = 125;
constexpr int kEdit4 = 127;

std::wstring Text(HWND dialog, int id) {
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, id, text, 512);
  return text;
}

void Press(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The shell's folder browser that opens next: `choose` picks an item of its folder tree, which is
// selected before OK is pressed.
thread_local std::function<HTREEITEM(HWND tree)> browserChoice;

BOOL CALLBACK FindFolderTree(HWND window, LPARAM found) {
  HWND tree = FindWindowExW(window, nullptr, WC_TREEVIEWW, nullptr);
  if (!IsWindowVisible(window) || !tree) return TRUE;
  *reinterpret_cast<HWND*>(found) = tree;
  return FALSE;
}

void CALLBACK AnswerFolderBrowser(HWND, UINT, UINT_PTR id, DWORD) {
  HWND tree = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindFolderTree, reinterpret_cast<LPARAM>(&tree));
  if (!tree || !browserChoice) return;
  KillTimer(nullptr, id);
  const HTREEITEM item = std::exchange(browserChoice, nullptr)(tree);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  PostMessageW(GetParent(tree), WM_COMMAND, IDOK, 0);
}

void WhenFolderBrowserAppears(std::function<HTREEITEM(HWND tree)> choose) {
  browserChoice = std::move(choose);
  SetTimer(nullptr, 0, 30, AnswerFolderBrowser);
}

HTREEITEM TreeItem(HWND tree, WPARAM relation, HTREEITEM from = nullptr) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

class SettingsDialog : public FormFixture {
 protected:
  // Opens the dialog from the tool bar and lets `action` work in it.
  void InDialog(std::function<void(HWND)> action) {
    winetest::WhenDialogAppears(std::move(action));
    Command(ids::SpeedButton7);
  }
};

TEST_F(SettingsDialog, OpensBesideTheWindowAndOkWritesEveryBox) {
  WriteIni(L"[Pos]\r\nTop=120\r\nLeft=150\r\n");
  Start();
  RECT placed{};
  InDialog([&](HWND dialog) {
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(Text(dialog, kEdit1), L"100");
    EXPECT_EQ(Text(dialog, kEdit4), L"60");
    CheckDlgButton(dialog, kCheckBox1, BST_CHECKED);
    CheckDlgButton(dialog, kCheckBox2, BST_CHECKED);
    SetDlgItemTextW(dialog, kEdit1, L"1000");  // beyond the up-down's range, and still stored
    SetDlgItemTextW(dialog, kEdit2, L"-5");
    SetDlgItemTextW(dialog, kEdit3, L"7");
    SetDlgItemTextW(dialog, kEdit4, L"85");
    SetDlgItemTextW(dialog, kEdit5, L"C:\\Susie");  // stored as typed
    Press(dialog, IDOK);
  });
  EXPECT_EQ(placed.left, 250);
  EXPECT_EQ(placed.top, 120);
  const app::Settings& s = form->Settings();
  EXPECT_EQ(s.windowMode, 1);
  EXPECT_EQ(s.printManual, 1);
  EXPECT_EQ(s.printMulti, 1000);
  EXPECT_EQ(s.printLeft, -5);
  EXPECT_EQ(s.printTop, 7);
  EXPECT_EQ(s.comp, 85);
  EXPECT_EQ(s.susiePath, L"C:\\Susie");
  EXPECT_EQ(GetMenu(form->Handle()), form->Controls().MainMenu1) << "the menu goes next time";
  Close();
  Start();
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
}

TEST_F(SettingsDialog, ValuesBeyondTheArrowsRangesShowAsStoredAndOkKeepsThem) {
  WriteIni(L"[Mode]\r\nComp=150\r\n[Print]\r\nMulti=1000\r\nLeft=-150\r\nTop=-150\r\n");
  Start();
  std::wstring shown, stepped;
  InDialog([&](HWND dialog) {
    shown = Text(dialog, kEdit1) + L" " + Text(dialog, kEdit2) + L" " + Text(dialog, kEdit3) +
            L" " + Text(dialog, kEdit4);
    // An arrow steps from the stored value held to the range.
    HWND top = GetDlgItem(dialog, kEdit3);
    SendMessageW(top, WM_KEYDOWN, VK_UP, 0);
    SendMessageW(top, WM_KEYUP, VK_UP, 0);
    stepped = Text(dialog, kEdit3);
    Press(dialog, IDOK);
  });
  EXPECT_EQ(Utf8(shown), "1000 -150 -150 150");
  EXPECT_EQ(Utf8(stepped), "-99");
  Close();
  const std::wstring ini = ReadIni();
  for (const wchar_t* line : {L"Multi=1000", L"Left=-150", L"Top=-99", L"Comp=150"}) {
    EXPECT_NE(ini.find(line), std::wstring::npos) << Utf8(line) << " in\n" << Utf8(ini);
  }
}

TEST_F(SettingsDialog, FolderBrowserItemWithoutAPathKeepsTheFolderBox) {
  WriteIni(L"[Susie]\r\nPath=C:\\Susie\\\r\n");
  Start();
  prompts.realFolderBrowser = true;
  std::wstring kept, drive;
  InDialog([&](HWND dialog) {
    WhenFolderBrowserAppears([](HWND tree) { return TreeItem(tree, TVGN_ROOT); });  // the drives
    Press(dialog, kButton2);
    kept = Text(dialog, kEdit5);
    Press(dialog, IDOK);
  });
  EXPECT_EQ(Utf8(kept), "C:\\Susie\\");
  EXPECT_EQ(Utf8(form->Settings().susiePath), "C:\\Susie\\");
  // A drive of the list is a folder: its root goes into the box.
  InDialog([&](HWND dialog) {
    WhenFolderBrowserAppears(
        [](HWND tree) { return TreeItem(tree, TVGN_CHILD, TreeItem(tree, TVGN_ROOT)); });
    Press(dialog, kButton2);
    drive = Text(dialog, kEdit5);
    Press(dialog, IDCANCEL);
  });
  EXPECT_EQ(drive.size(), 3u) << Utf8(drive);
  EXPECT_EQ(drive.substr(1), L":\\") << Utf8(drive);
}

TEST_F(SettingsDialog, EditorChoiceStaysOnCancelAndFoldersGetTheirBackslash) {
  Start();
  prompts.openAnswers.push_back(ScriptedPrompts::Choose(L"C:\\Tools\\Paint\\paint.exe", 1));
  prompts.folderAnswers = {L"C:\\", L"C:\\Susie"};
  std::wstring shown, rootFolder, susieFolder;
  InDialog([&](HWND dialog) {
    Press(dialog, kButton1);
    shown = Text(dialog, kPanel1);
    Press(dialog, kButton2);
    rootFolder = Text(dialog, kEdit5);
    Press(dialog, kButton2);
    susieFolder = Text(dialog, kEdit5);
    Press(dialog, IDCANCEL);
  });
  EXPECT_EQ(shown, L"paint.exe");
  ASSERT_EQ(prompts.openDialogs.size(), 1u);
  EXPECT_EQ(Utf8(prompts.openDialogs[0].filter), Utf8(L"実行ﾌｧｲﾙ(*.exe)|*.exe"));
  EXPECT_EQ(form->Settings().editPath, L"C:\\Tools\\Paint\\paint.exe");
  EXPECT_EQ(rootFolder, L"C:\\");
  EXPECT_EQ(susieFolder, L"C:\\Susie\\");
  // Within one opening the chooser starts from the folder chosen before.
  EXPECT_EQ(prompts.folderPreselections, (std::vector<std::wstring>{L"", L"C:\\"}));
  EXPECT_EQ(form->Settings().susiePath, L"") << "the folder is stored only on OK";
}

TEST_F(SettingsDialog, ABoxWithoutANumberKeepsTheDialogOpenAndChangesNothing) {
  Start();
  bool stillOpen = false;
  HWND focused = nullptr;
  HWND box = nullptr;
  InDialog([&](HWND dialog) {
    CheckDlgButton(dialog, kCheckBox1, BST_CHECKED);
    SetDlgItemTextW(dialog, kEdit2, L"12x");
    SetDlgItemTextW(dialog, kEdit4, L"90");
    Press(dialog, IDOK);
    stillOpen = IsWindowVisible(dialog) != FALSE;
    focused = GetFocus();
    box = GetDlgItem(dialog, kEdit2);
    Press(dialog, IDCANCEL);
  });
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(Utf8(prompts.errors[0]), Utf8(L"'12x' は整数ではありません"));
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(focused, box);
  EXPECT_EQ(form->Settings().windowMode, 0);
  EXPECT_EQ(form->Settings().comp, 60);
}

TEST_F(SettingsDialog, OkLoadsThePluginsOfTheFolderAndAnEmptyFolderLoadsNothing) {
  Start();
  const std::filesystem::path folder = dir / L"Susie plug-ins";
  std::filesystem::create_directories(folder);
  winetest::CopyPlugin(L"netpbm", folder);
  auto openFilter = [&] {
    Command(ids::mnuRead);  // no answer queued: the dialog is cancelled
    return prompts.openDialogs.back().filter;
  };
  const std::wstring builtIn = openFilter();
  // An emptied box searches nowhere, not even the default places: a plug-in put into the program's
  // folder after start-up stays unloaded.
  winetest::CopyPlugin(L"netpbm", programFolder);
  InDialog([](HWND dialog) {
    SetDlgItemTextW(dialog, kEdit5, L"");
    Press(dialog, IDOK);
  });
  EXPECT_EQ(openFilter(), builtIn);
  // Typed without its final backslash: stored so, searched in that folder all the same.
  InDialog([&](HWND dialog) {
    SetDlgItemTextW(dialog, kEdit5, folder.wstring().c_str());
    Press(dialog, IDOK);
  });
  EXPECT_EQ(form->Settings().susiePath, folder.wstring());
  EXPECT_NE(openFilter().find(L";*.ppm"), std::wstring::npos)
      << Utf8(prompts.openDialogs.back().filter);

  // The same folder typed otherwise at each later OK adds nothing to the list.
  std::wstring slashes = folder.wstring();
  std::replace(slashes.begin(), slashes.end(), L'\\', L'/');
  const std::wstring doubled = dir.Path().wstring() + L"\\\\Susie plug-ins\\";
  wchar_t shortPath[MAX_PATH] = {};
  GetShortPathNameW(folder.c_str(), shortPath, MAX_PATH);
  for (const std::wstring& spelling :
       {slashes, folder.wstring() + L"\\..\\Susie plug-ins\\", doubled, std::wstring(shortPath)}) {
    InDialog([&](HWND dialog) {
      SetDlgItemTextW(dialog, kEdit5, spelling.c_str());
      Press(dialog, IDOK);
    });
  }
  const std::wstring filter = openFilter();
  const std::wstring patterns = filter.substr(filter.find(L'|'));
  EXPECT_EQ(patterns.find(L";*.ppm"), patterns.rfind(L";*.ppm")) << Utf8(filter);
}

TEST_F(SettingsDialog, APrinterPastTheListIsNotSelectedAndOkStoresNone) {
  WriteIni(L"[Print]\r\nNum=500\r\n");
  Start();
  LRESULT selected = 0;
  InDialog([&](HWND dialog) {
    selected = SendDlgItemMessageW(dialog, kComboBox1, CB_GETCURSEL, 0, 0);
    Press(dialog, IDOK);
  });
  EXPECT_EQ(selected, CB_ERR);
  EXPECT_EQ(form->Settings().printNum, -1);
}

TEST_F(SettingsDialog, AnUnreadablePrinterListRefusesPrintingButKeepsTheStoredPrinter) {
  prompts.printerListFails = true;
  WriteIni(L"[Print]\r\nNum=1\r\n");
  winetest::WriteBmpFile(PathIn(L"shot.bmp"), winetest::PatternDib(10, 10));
  Start({PathIn(L"shot.bmp")});
  Command(ids::mnuPrint);
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});
  EXPECT_EQ(prompts.printDialogs, 0);
  Close();
  EXPECT_NE(ReadIni().find(L"Num=1"), std::wstring::npos) << Utf8(ReadIni());
}

TEST_F(SettingsDialog, AboutPageLinksOpenTheWebAndMailAddresses) {
  Start();
  prompts.startProgramsForReal = false;
  std::wstring webShown, mailShown;
  InDialog([&](HWND dialog) {
    webShown = winetest::WindowText(GetDlgItem(dialog, kLabel8));
    mailShown = winetest::WindowText(GetDlgItem(dialog, kLabel4));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kLabel8, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, kLabel8)));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kLabel4, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, kLabel4)));
    Press(dialog, IDCANCEL);
  });
  // Each link opens what it shows: the web address as it is, a mail to the mail address.
  EXPECT_EQ(webShown.rfind(L"https://", 0), 0u) << Utf8(webShown);
  EXPECT_NE(mailShown.find(L'@'), std::wstring::npos) << Utf8(mailShown);
  ASSERT_EQ(prompts.startedPrograms.size(), 2u);
  EXPECT_EQ(prompts.startedPrograms[0].file, webShown);
  EXPECT_EQ(prompts.startedPrograms[1].file, L"mailto:" + mailShown);
  EXPECT_EQ(prompts.startedPrograms[1].showCommand, SW_SHOW);
}

// A settings file that is not there reads as no keys without the system being asked for each; once
// the store has written one, it reads what it wrote, and an existing file is read as always.
TEST(PrivateProfileStore, AMissingFileHasNoKeysUntilTheStoreWritesOne) {
  winetest::TempDir dir;
  const std::wstring file = (dir / L"Capslate.INI").wstring();
  app::PrivateProfileStore store(file);
  EXPECT_EQ(store.Read(L"Pos", L"Left"), std::nullopt);
  store.Write(L"Pos", L"Left", L"-150");
  EXPECT_EQ(store.Read(L"Pos", L"Left"), L"-150");
  EXPECT_EQ(app::PrivateProfileStore(file).Read(L"Pos", L"Left"), L"-150");
}

}  // namespace
