// The plug-in wrapper and the plug-in manager with real plug-in DLLs: which class a plug-in gets,
// what it must export, where a search looks and in which order, and which plug-ins try a file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "PluginTestSupport.h"
#include "WineTestSupport.h"
#include "core/PathRules.h"
#include "core/PictureFormats.h"
#include "plugins/SPI.h"
#include "plugins/SPIs.h"

namespace {

using winetest::CopyPlugin;
using winetest::Utf8;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

// The Susie viewer's registry value "Path" for the life of the object.
class SusieRegistryPath {
 public:
  SusieRegistryPath(const std::wstring& value, DWORD type) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, plugins::kSusieKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                    &key, nullptr);
    const DWORD number = 42;
    if (type == REG_DWORD) {
      RegSetValueExW(key, L"Path", 0, type, reinterpret_cast<const BYTE*>(&number), sizeof number);
    } else {
      RegSetValueExW(key, L"Path", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
  }
  ~SusieRegistryPath() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morvalen"); }
};

TEST(SPI, TheVersionChoosesTheClassAndTheClassTheFunctionsItNeeds) {
  winetest::TempDir dir;
  struct Case {
    const wchar_t* kind;
    const std::type_info& type;
    bool isLoader;
    const wchar_t* version;
  };
  const Case cases[] = {{L"netpbm", typeid(plugins::TInSPI), true, L"00IN"},
                        {L"archive", typeid(plugins::TAmSPI), true, L"00AM"},
                        {L"xn", typeid(plugins::TXnSPI), false, L"00XN"},
                        {L"lower_version", typeid(plugins::TSPI), false, L"00in"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.kind));
    const std::wstring path = CopyPlugin(c.kind, dir.Path());
    const std::unique_ptr<plugins::TSPI> spi = plugins::CreateSPI(path);
    ASSERT_NE(spi, nullptr);
    EXPECT_EQ(typeid(*spi), c.type);
    EXPECT_EQ(spi->IsLoader(), c.isLoader);
    EXPECT_EQ(spi->APIVersion(), c.version);
    EXPECT_EQ(core::LowerAscii(spi->FileName()), core::LowerAscii(path));
  }
  // Patterns and descriptions arrive from the plug-in's ANSI code page as the text it meant.
  const std::unique_ptr<plugins::TSPI> netpbm =
      plugins::CreateSPI(CopyPlugin(L"netpbm", dir.Path()));
  EXPECT_EQ(netpbm->PluginName(), L"Capslate test plug-in");
  EXPECT_EQ(netpbm->Extensions(), (std::vector<std::wstring>{L"*.PPM;*.PGM", L"*.pnm"}));
  EXPECT_EQ(netpbm->Descriptions(), (std::vector<std::wstring>{L"Netpbm 画像", L"Netpbm (PNM)"}));

  // An import plug-in without GetPicture is refused by name and unloaded again.
  const std::wstring lacking = CopyPlugin(L"no_get_picture", dir.Path());
  EXPECT_EQ(ErrorOf([&] { plugins::CreateSPI(lacking); }),
            "GetPictureは[" + Utf8(lacking) + "]では使えないSusie Plugin APIです");
  EXPECT_EQ(GetModuleHandleW(lacking.c_str()), nullptr);

  // A plug-in that answers every item number still gets loaded, with a list that ends.
  const std::unique_ptr<plugins::TSPI> endless =
      plugins::CreateSPI(CopyPlugin(L"endless", dir.Path()));
  ASSERT_NE(endless, nullptr);
  EXPECT_EQ(endless->Extensions().size(), 1000u);

  // A file that is not a DLL, or none at all: nothing, and no error.
  winetest::WriteFileBytes(dir / L"text.spi", {'n', 'o', 't', ' ', 'a', ' ', 'D', 'L', 'L'});
  EXPECT_EQ(plugins::CreateSPI((dir / L"text.spi").wstring()), nullptr);
  EXPECT_EQ(plugins::CreateSPI((dir / L"missing.spi").wstring()), nullptr);
}

TEST(SPIs, OnlyOneManagerExistsAtATime) {
  core::PictureFormats formats;
  auto first = std::make_unique<plugins::TSPIs>(formats);
  EXPECT_EQ(ErrorOf([&] { plugins::TSPIs second(formats); }), "TSPIs は複数生成できません");
  first.reset();
  EXPECT_EQ(ErrorOf([&] { plugins::TSPIs again(formats); }), "(no error)");
}

TEST(SPIs, PluginsNamingTheExtensionTryAFileFirst) {
  winetest::TempDir dir;
  core::PictureFormats formats;
  plugins::TSPIs spis(formats);
  // One at a time, so the list order is known: a mask naming one file finds just that file.
  for (const wchar_t* kind : {L"pic_a", L"mag_b", L"pic_c"})
    spis.Search(CopyPlugin(kind, dir.Path()));
  ASSERT_EQ(spis.Count(), 3);
  std::vector<std::wstring> order;
  for (plugins::TInSPI* spi : spis.FindSPIs(L"C:\\写真\\photo.PIC")) {
    order.push_back(std::filesystem::path(spi->FileName()).stem().wstring());
  }
  EXPECT_EQ(order, (std::vector<std::wstring>{L"pic_c", L"pic_a", L"mag_b"}));
}

TEST(SPIs, TheRegistryFolderIsSearchedFirstUnexpandedThenTheProgramsFolder) {
  winetest::TempDir dir;
  // A folder whose name would change if the value were expanded.
  const std::filesystem::path susie = dir / L"Susie %TEMP% plug-ins";
  const std::filesystem::path program = dir / L"program";
  std::filesystem::create_directories(susie);
  std::filesystem::create_directories(program);
  CopyPlugin(L"mag_b", susie);
  CopyPlugin(L"pic_c", program);
  struct Case {
    DWORD type;
    std::vector<std::wstring> loaded;
  };
  for (const Case& c : {Case{REG_SZ, {L"mag_b", L"pic_c"}},
                        Case{REG_EXPAND_SZ, {L"mag_b", L"pic_c"}}, Case{REG_DWORD, {L"pic_c"}}}) {
    SCOPED_TRACE(c.type);
    SusieRegistryPath registry(susie.wstring(), c.type);
    core::PictureFormats formats;
    plugins::TSPIs spis(formats);
    spis.ApplicationFolder = program.wstring() + L"\\";
    spis.Loaded();
    std::vector<std::wstring> loaded;
    for (int i = 0; i < spis.Count(); ++i) {
      loaded.push_back(std::filesystem::path(spis.Items(i).FileName()).stem().wstring());
    }
    EXPECT_EQ(loaded, c.loaded);
  }
}

TEST(SPIs, AFolderReachedTwiceLoadsItsPluginsOnceAndHiddenFilesNotAtAll) {
  winetest::TempDir dir;
  const std::wstring folder = dir.Path().wstring();
  CopyPlugin(L"netpbm", dir.Path());
  SetFileAttributesW(CopyPlugin(L"pic_c", dir.Path()).c_str(), FILE_ATTRIBUTE_HIDDEN);
  std::filesystem::create_directories(dir / (std::wstring(L"folder") + winetest::kPluginExtension));
  // The registry spells the folder in capitals and without its final backslash.
  std::wstring capitals = folder;
  for (wchar_t& c : capitals) c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c;
  SusieRegistryPath registry(capitals, REG_SZ);
  core::PictureFormats formats;
  plugins::TSPIs spis(formats);
  spis.ApplicationFolder = folder + L"\\";
  spis.Loaded();
  spis.SearchPlugins(folder + L"\\");
  ASSERT_EQ(spis.Count(), 1);
  EXPECT_EQ(std::filesystem::path(spis.Items(0).FileName()).stem(), L"netpbm");
}

// The settings' plug-in folder is searched at every OK of the settings dialog, as the user typed
// it.
TEST(SPIs, AFolderSpelledInOtherWaysLoadsItsPluginsOnce) {
  winetest::TempDir dir;
  const std::filesystem::path folder = dir / L"Susie plug-ins";
  std::filesystem::create_directories(folder);
  CopyPlugin(L"netpbm", folder);
  const std::wstring path = folder.wstring();
  std::wstring slashes = path;
  std::replace(slashes.begin(), slashes.end(), L'\\', L'/');
  std::wstring doubled = path;
  doubled.insert(doubled.rfind(L'\\'), L"\\");
  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(path.c_str(), shortPath, MAX_PATH), 0u);
  ASSERT_NE(std::wstring(shortPath), path);
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(dir.Path().c_str());

  core::PictureFormats formats;
  plugins::TSPIs spis(formats);
  for (const std::wstring& spelling :
       {path, slashes + L"/", path + L"\\..\\Susie plug-ins", doubled,
        std::wstring(L"Susie plug-ins"), std::wstring(shortPath)}) {
    SCOPED_TRACE(Utf8(spelling));
    spis.SearchPlugins(core::WithTrailingBackslash(spelling));
    EXPECT_EQ(spis.Count(), 1);
  }
  SetCurrentDirectoryW(current);
}

// The program never writes the Susie viewer's key, so it asks only to read it: a key that allows
// no more is searched all the same.
TEST(SPIs, ARegistryKeyThatMayOnlyBeReadIsSearched) {
  winetest::TempDir dir;
  CopyPlugin(L"mag_b", dir.Path());
  {
    SusieRegistryPath registry(dir.Path().wstring(), REG_SZ);
    // Everyone may read the key, and delete it afterwards; nothing else.
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    alignas(DWORD) BYTE aclBuffer[256];
    auto* acl = reinterpret_cast<ACL*>(aclBuffer);
    InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | DELETE, everyone);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, plugins::kSusieKey, 0, WRITE_DAC, &key);
    ASSERT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
    RegCloseKey(key);
    FreeSid(everyone);

    core::PictureFormats formats;
    plugins::TSPIs spis(formats);
    spis.SearchOptions = {plugins::spsSusieDir};
    spis.Loaded();
    EXPECT_EQ(spis.Count(), 1);
  }
  HKEY gone = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Morvalen", 0, KEY_READ, &gone),
            ERROR_FILE_NOT_FOUND)
      << "the key is left for the next test";
}

TEST(SPIs, AMaskWithAFolderSearchesOnlyThatFolder) {
  winetest::TempDir dir;
  std::filesystem::create_directories(dir / L"other");
  CopyPlugin(L"netpbm", dir.Path());
  CopyPlugin(L"pic_c", dir / L"other");
  core::PictureFormats formats;
  plugins::TSPIs spis(formats);
  spis.ApplicationFolder = dir.Path().wstring() + L"\\";
  spis.Search((dir / L"other").wstring() + L"\\*" + winetest::kPluginExtension);
  ASSERT_EQ(spis.Count(), 1);
  EXPECT_EQ(std::filesystem::path(spis.Items(0).FileName()).stem(), L"pic_c");
}

}  // namespace
