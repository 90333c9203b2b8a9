// The PNG plug-in loaded and called exactly as a Susie host calls it: LoadLibrary, the exports by
// name, the memory image with at least 2 KiB readable, the information block, GetPicture's two
// local memory blocks and the progress callback, through the interface's one declaration. Built
// and run for both Windows builds: the 32-bit one runs in Wine's WoW64 mode.
//
// Where things are (Unix paths): the plug-in file, libpng's source folder and ImageMagick's reading
// of its test images, as the build knows them; the environment variables CAPSLATE_IFPNG,
// CAPSLATE_LIBPNG_SOURCE and CAPSLATE_PNG_REFERENCES override them.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "susie/SusieAbi.h"

namespace {

namespace fs = std::filesystem;

using Length = LONG_PTR;
using susie::GetPictureInfoProc;
using susie::GetPictureProc;
using susie::GetPluginInfoProc;
using susie::IsSupportedProc;
using susie::PictureInfo;

// A Unix path from the environment, or else the build's, as Windows sees it under Wine (drive Z:
// is the root).
fs::path FromEnvironment(const char* name, const char* built) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') value = built;
  return value[0] == '/' ? fs::path(std::string("Z:") + value) : fs::path(value);
}
fs::path PluginFile() { return FromEnvironment("CAPSLATE_IFPNG", CAPSLATE_IFPNG); }
fs::path LibpngSource() {
  return FromEnvironment("CAPSLATE_LIBPNG_SOURCE", CAPSLATE_LIBPNG_SOURCE);
}
fs::path References() {
  return FromEnvironment("CAPSLATE_PNG_REFERENCES", CAPSLATE_PNG_REFERENCES);
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path.string();
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes the CRC of the chunk that starts at `at` (its length field) after its data, as a writer
// would, so that a changed header is refused for what it says, not for a broken checksum.
void SetChunkCrc(std::vector<uint8_t>& file, size_t at) {
  const size_t length = size_t{file[at]} << 24 | size_t{file[at + 1]} << 16 |
                        size_t{file[at + 2]} << 8 | file[at + 3];
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = at + 4; i < at + 8 + length; ++i) {
    crc ^= file[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc = ~crc;
  for (int i = 0; i < 4; ++i) file[at + 8 + length + size_t(i)] = uint8_t(crc >> (24 - 8 * i));
}

// The plug-in, loaded for the whole program as a host keeps it.
struct Plugin {
  HMODULE module = nullptr;
  GetPluginInfoProc getPluginInfo = nullptr;
  IsSupportedProc isSupported = nullptr;
  GetPictureInfoProc getPictureInfo = nullptr;
  GetPictureProc getPicture = nullptr;
  GetPictureProc getPreview = nullptr;

  static Plugin& Get() {
    static Plugin plugin = Load();
    return plugin;
  }
  static Plugin Load() {
    Plugin p;
    const fs::path file = PluginFile();
    p.module = LoadLibraryW(file.c_str());
    if (p.module == nullptr) return p;
    const auto proc = [&](const char* name) {
      return reinterpret_cast<void*>(GetProcAddress(p.module, name));
    };
    p.getPluginInfo = reinterpret_cast<GetPluginInfoProc>(proc("GetPluginInfo"));
    p.isSupported = reinterpret_cast<IsSupportedProc>(proc("IsSupported"));
    p.getPictureInfo = reinterpret_cast<GetPictureInfoProc>(proc("GetPictureInfo"));
    p.getPicture = reinterpret_cast<GetPictureProc>(proc("GetPicture"));
    p.getPreview = reinterpret_cast<GetPictureProc>(proc("GetPreview"));
    return p;
  }
};

// What a host does with one file image: IsSupported on at least 2 KiB, GetPictureInfo, then
// GetPicture, reading and freeing both blocks.
struct Decoded {
  int supported = 0;
  int infoResult = 0;
  PictureInfo info{};
  int result = 0;
  BITMAPINFOHEADER header{};
  std::vector<uint8_t> bits;
  std::vector<std::pair<int, int>> progress;
};

struct ProgressLog {
  std::vector<std::pair<int, int>>* calls;
  int stopAfter;  // answer 1 from this call on; 0: never
};

int WINAPI RecordProgress(int done, int total, Length data) {
  auto* log = reinterpret_cast<ProgressLog*>(data);
  log->calls->emplace_back(done, total);
  return log->stopAfter != 0 && static_cast<int>(log->calls->size()) >= log->stopAfter ? 1 : 0;
}

Decoded Decode(const std::vector<uint8_t>& file, int stopAfter = 0) {
  Plugin& plugin = Plugin::Get();
  std::vector<uint8_t> image = file;
  image.resize(std::max<size_t>(file.size(), 2048), 0);  // zero-filled, as hosts pass short files
  auto* data = reinterpret_cast<LPSTR>(image.data());
  const Length length = static_cast<Length>(file.size());
  Decoded d;
  char name[] = "C:\\picture.png";
  d.supported = plugin.isSupported(name, image.data());
  d.infoResult = plugin.getPictureInfo(data, length, 1, &d.info);
  if (d.infoResult == 0 && d.info.hInfo != nullptr) LocalFree(d.info.hInfo);
  HLOCAL info = reinterpret_cast<HLOCAL>(0x1234), bits = reinterpret_cast<HLOCAL>(0x5678);
  ProgressLog log{&d.progress, stopAfter};
  d.result = plugin.getPicture(data, length, 1, &info, &bits, RecordProgress,
                               reinterpret_cast<Length>(&log));
  if (d.result != 0) {
    EXPECT_EQ(info, reinterpret_cast<HLOCAL>(0x1234)) << "no handle is handed out on failure";
    EXPECT_EQ(bits, reinterpret_cast<HLOCAL>(0x5678));
    return d;
  }
  const auto* header = static_cast<const BITMAPINFOHEADER*>(LocalLock(info));
  d.header = *header;
  LocalUnlock(info);
  const auto* pixels = static_cast<const uint8_t*>(LocalLock(bits));
  d.bits.assign(pixels, pixels + LocalSize(bits));
  LocalUnlock(bits);
  EXPECT_EQ(LocalFree(info), nullptr);
  EXPECT_EQ(LocalFree(bits), nullptr);
  return d;
}

// Top-down rows of red, green, blue bytes from the plug-in's bottom-up BGR DIB, or from a PPM.
std::vector<uint8_t> RgbRows(const Decoded& d) {
  const int width = d.header.biWidth, height = d.header.biHeight;
  const size_t stride = ((size_t(width) * 24 + 31) / 32) * 4;
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = d.bits.data() + stride * size_t(height - 1 - y);
    for (int x = 0; x < width; ++x)
      rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
  }
  return rgb;
}

std::vector<uint8_t> PpmRows(const fs::path& path, int& width, int& height) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  std::istringstream fields(
      std::string(bytes.begin(), bytes.begin() + std::min<long>(64, long(bytes.size()))));
  std::string magic;
  int maxValue = 0;
  fields >> magic >> width >> height >> maxValue;
  const size_t start = static_cast<size_t>(fields.tellg()) + 1;
  return {bytes.begin() + long(start), bytes.end()};
}

bool HasChunk(const std::vector<uint8_t>& png, const char* type) {
  return std::search(png.begin(), png.end(), type, type + 4) != png.end();
}

std::vector<fs::path> PngsIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".png") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class PngPlugin : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Plugin::Get().module, nullptr) << "the plug-in does not load";
    ASSERT_NE(Plugin::Get().getPicture, nullptr);
  }
  static fs::path Suite(const char* name) { return LibpngSource() / "contrib/pngsuite" / name; }
};

TEST_F(PngPlugin, ExportsTheImportInterfaceUndecoratedAndDescribesItself) {
  const Plugin& p = Plugin::Get();
  for (const void* function : {reinterpret_cast<const void*>(p.getPluginInfo),
                               reinterpret_cast<const void*>(p.isSupported),
                               reinterpret_cast<const void*>(p.getPictureInfo),
                               reinterpret_cast<const void*>(p.getPreview)}) {
    EXPECT_NE(function, nullptr);
  }
  char buffer[256];
  std::vector<std::string> items;
  for (int n = 0; n < 6; ++n) {
    std::memset(buffer, 'x', sizeof buffer);
    const int length = p.getPluginInfo(n, buffer, 255);
    if (length <= 0) break;
    EXPECT_EQ(static_cast<size_t>(length), std::strlen(buffer));
    items.push_back(buffer);
  }
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0], "00IN");
  EXPECT_NE(items[1].find("PNG"), std::string::npos);
  EXPECT_EQ(items[2], "*.png");
  EXPECT_EQ(items[3], "PNG");
  EXPECT_EQ(p.getPluginInfo(0, buffer, 3), 2) << "cut to the buffer, with its NUL";
  EXPECT_STREQ(buffer, "00");
}

TEST_F(PngPlugin, DecodesEveryLibpngTestImageToImageMagicksPixels) {
  const fs::path source = LibpngSource();
  const fs::path references = References();
  int count = 0;
  for (const char* folder : {"pngsuite", "pngsuite/interlaced", "testpngs"}) {
    for (const fs::path& file : PngsIn(source / "contrib" / folder)) {
      SCOPED_TRACE(file.string());
      ++count;
      const std::vector<uint8_t> png = ReadBytes(file);
      const Decoded d = Decode(png);
      EXPECT_NE(d.supported, 0);
      ASSERT_EQ(d.infoResult, 0);
      ASSERT_EQ(d.result, 0);
      EXPECT_EQ(d.header.biSize, sizeof(BITMAPINFOHEADER));
      EXPECT_EQ(d.header.biBitCount, 24);
      EXPECT_EQ(d.header.biCompression, static_cast<DWORD>(BI_RGB));
      EXPECT_EQ(d.info.width, d.header.biWidth);
      EXPECT_EQ(d.info.height, d.header.biHeight);
      EXPECT_EQ(d.info.hInfo, nullptr);
      int width = 0, height = 0;
      const std::vector<uint8_t> expected =
          PpmRows(references / folder / (file.stem().string() + ".ppm"), width, height);
      ASSERT_EQ(d.header.biWidth, width);
      ASSERT_EQ(d.header.biHeight, height);
      const std::vector<uint8_t> actual = RgbRows(d);
      ASSERT_EQ(actual.size(), expected.size());
      int largest = 0;
      for (size_t i = 0; i < actual.size(); ++i)
        largest = std::max(largest, std::abs(actual[i] - expected[i]));
      const int depth = png[24], colourType = png[25];  // from IHDR
      const bool approximate = depth == 16 || (colourType & 4) || HasChunk(png, "tRNS");
      EXPECT_LE(largest, approximate ? 1 : 0);
    }
  }
  EXPECT_GT(count, 150);
}

// libpng's crashers as ImageMagick reads them: only empty_ancillary_chunks.png holds a picture, one
// purple pixel; the others are refused with a Susie error code. badcrc.png differs on purpose: its
// only fault is the CRC after its last row's data, which the plug-in does not read; its data is
// one black pixel.
TEST_F(PngPlugin, CrashersAreReadAsImageMagickReadsThem) {
  const std::map<std::string, std::vector<uint8_t>> pictures = {
      {"empty_ancillary_chunks.png", {128, 0, 128}}, {"badcrc.png", {0, 0, 0}}};
  const fs::path folder = LibpngSource() / "contrib/testpngs/crashers";
  for (const fs::path& file : PngsIn(folder)) {
    SCOPED_TRACE(file.string());
    const Decoded d = Decode(ReadBytes(file));
    const auto picture = pictures.find(file.filename().string());
    if (picture == pictures.end()) {
      EXPECT_TRUE(d.result == 2 || d.result == 3 || d.result == 4) << d.result;
      continue;
    }
    ASSERT_EQ(d.result, 0);
    EXPECT_EQ(RgbRows(d), picture->second);
  }
}

TEST_F(PngPlugin, HostileFilesGetTheirResultCodesAndNoHandles) {
  std::vector<uint8_t> good = ReadBytes(Suite("basn2c08.png"));
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    int result;
    bool headerRefused;  // GetPictureInfo, which reads only the header, refuses it too
  };
  std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() / 2));
  std::vector<uint8_t> badCrc = good;
  badCrc[8 + 8 + 13] ^= 1;  // IHDR's CRC
  std::vector<uint8_t> huge = good;
  huge[16] = 0x00, huge[17] = 0x01, huge[18] = 0x00, huge[19] = 0x00;  // 65536 wide
  SetChunkCrc(huge, 8);  // a well-formed header: only the declared size is wrong
  for (const Case& c :
       {Case{"BMP", {'B', 'M', 0, 0}, 2, true}, Case{"truncated", truncated, 3, false},
        Case{"CRC", badCrc, 3, true}, Case{"beyond the size limits", huge, 4, true}}) {
    SCOPED_TRACE(c.name);
    const Decoded d = Decode(c.file);
    EXPECT_EQ(d.result, c.result);
    EXPECT_EQ(d.infoResult != 0, c.headerRefused) << d.infoResult;
  }
  EXPECT_EQ(Decode({'B', 'M', 0, 0}).supported, 0);
}

TEST_F(PngPlugin, ProgressReachesTheHostsCallbackAndAStopIsObeyed) {
  const std::vector<uint8_t> png = ReadBytes(Suite("basn6a16.png"));
  const Decoded whole = Decode(png);
  ASSERT_EQ(whole.result, 0);
  ASSERT_GE(whole.progress.size(), 2u);
  EXPECT_EQ(whole.progress.front().first, 0);
  EXPECT_EQ(whole.progress.back().first, whole.progress.back().second);

  const Decoded stopped = Decode(png, 2);
  EXPECT_EQ(stopped.result, 1) << "stopped by the callback";
  EXPECT_EQ(stopped.progress.size(), 2u);
}

TEST_F(PngPlugin, ReadsAFileByNameFromAnOffsetAndChecksAnOpenFile) {
  const std::vector<uint8_t> png = ReadBytes(Suite("basn3p08.png"));
  const fs::path file = fs::temp_directory_path() / "capslate-ifpng-offset.bin";
  {
    std::ofstream out(file, std::ios::binary);
    const std::string junk(128, '#');
    out.write(junk.data(), 128);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  }
  std::string name = file.string();
  Plugin& plugin = Plugin::Get();
  PictureInfo info{};
  EXPECT_EQ(plugin.getPictureInfo(name.data(), 128, 0, &info), 0);
  EXPECT_EQ(info.width, 32);
  EXPECT_EQ(info.colorDepth, 8);
  HLOCAL header = nullptr, bits = nullptr;
  ASSERT_EQ(plugin.getPicture(name.data(), 128, 0, &header, &bits, nullptr, 0), 0);
  EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(LocalLock(header))->biHeight, 32);
  LocalUnlock(header);
  LocalFree(header);
  LocalFree(bits);
  char missing[] = "C:\\no such folder\\x.png";
  EXPECT_EQ(plugin.getPictureInfo(missing, 0, 0, &info), 6) << "read error";

  // A host may hand IsSupported an open file instead of its first bytes.
  HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(plugin.isSupported(name.data(), handle), 0) << "junk first";
  SetFilePointer(handle, 128, nullptr, FILE_BEGIN);
  EXPECT_EQ(plugin.isSupported(name.data(), handle), 1);
  EXPECT_EQ(SetFilePointer(handle, 0, nullptr, FILE_CURRENT), 128u) << "position kept";
  CloseHandle(handle);
  fs::remove(file);
}

// A file named to the plug-in is read only as far as the call needs: its start for the
// information, up to the last row for the picture. This one is 3 GB long, nearly all of it after
// the picture, which the plug-in could not even hold in memory.
TEST_F(PngPlugin, AFileByNameIsReadOnlyAsFarAsTheCallNeeds) {
  const std::vector<uint8_t> png = ReadBytes(Suite("basn2c08.png"));
  const fs::path file = fs::temp_directory_path() / "capslate-ifpng-long.png";
  {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(handle, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = int64_t{3} << 30;
    SetFilePointerEx(handle, end, nullptr, FILE_BEGIN);
    EXPECT_TRUE(SetEndOfFile(handle));  // sparse: nothing is written
    CloseHandle(handle);
  }
  std::string name = file.string();
  Plugin& plugin = Plugin::Get();
  PictureInfo info{};
  EXPECT_EQ(plugin.getPictureInfo(name.data(), 0, 0, &info), 0);
  EXPECT_EQ(info.width, 32);
  HLOCAL header = nullptr, bits = nullptr;
  ASSERT_EQ(plugin.getPicture(name.data(), 0, 0, &header, &bits, nullptr, 0), 0);
  EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(LocalLock(header))->biHeight, 32);
  LocalUnlock(header);
  LocalFree(header);
  LocalFree(bits);
  fs::remove(file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
