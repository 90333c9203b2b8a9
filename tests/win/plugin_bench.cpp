// The cost of opening a large picture through a plug-in, against the bound it chases: the
// plug-in's own GetPicture on the same bytes plus one BMP read of the same picture, both measured
// in the same run. Each side is timed five times and the fastest run counts.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "PluginTestSupport.h"
#include "core/BmpCodec.h"
#include "plugins/PictureOpening.h"
#include "plugins/SPIAbi.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

// The fastest of five runs of `run`; `release`, untimed, lets go of what a run made.
double FastestSeconds(const std::function<void()>& run, const std::function<void()>& release) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const auto end = std::chrono::steady_clock::now();
    release();
    best = std::min(best, std::chrono::duration<double>(end - start).count());
  }
  return best;
}

using PluginSpeed = winetest::FormFixture;

TEST_F(PluginSpeed, LoadingThroughThePluginCostsAtMostHalfAgainItsBound) {
  const std::wstring plugin = winetest::CopyPlugin(L"netpbm", dir.Path());
  Start();
  const core::Dib picture = winetest::PatternDib(kWidth, kHeight);
  std::vector<uint8_t> ppm;
  {
    const std::string header =
        "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
    ppm.assign(header.begin(), header.end());
    ppm.reserve(ppm.size() + picture.ImageSize());
    for (int y = 0; y < kHeight; ++y) {
      const uint8_t* row = picture.Row(y);
      for (int x = 0; x < kWidth; ++x)
        ppm.insert(ppm.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
  }
  winetest::WriteFileBytes(PathIn(L"big.ppm"), ppm);
  const std::vector<uint8_t> bmp = core::WriteBmp(picture);

  HMODULE module = GetModuleHandleW(plugin.c_str());
  ASSERT_NE(module, nullptr);
  const auto getPicture = reinterpret_cast<plugins::abi::GetPictureProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "GetPicture")));
  HLOCAL info = nullptr, bits = nullptr;
  const double pluginAlone = FastestSeconds(
      [&] {
        getPicture(reinterpret_cast<LPCSTR>(ppm.data()), static_cast<LONG_PTR>(ppm.size()), 1,
                   &info, &bits, nullptr, 0);
      },
      [&] {
        LocalFree(info);
        LocalFree(bits);
      });
  core::Dib read;
  const double bmpRead = FastestSeconds([&] { read = core::ReadBmp(bmp); }, [&] { read = {}; });
  win::Picture loaded;
  const double ours = FastestSeconds(
      [&] { loaded = plugins::LoadPictureFile(form->PictureFormats(), PathIn(L"big.ppm")); },
      [&] { loaded = {}; });

  loaded = plugins::LoadPictureFile(form->PictureFormats(), PathIn(L"big.ppm"));
  ASSERT_EQ(loaded.Width(), kWidth);
  EXPECT_EQ(winetest::PixelAt(loaded.Pixels(), 1234, 567), winetest::PixelAt(picture, 1234, 567));
  const double bound = pluginAlone + bmpRead;
  std::printf(
      "LoadPictureFile %.1f ms; bound %.1f ms (GetPicture %.1f + BMP read %.1f); "
      "ratio %.2f (at most 1.5)\n",
      ours * 1e3, bound * 1e3, pluginAlone * 1e3, bmpRead * 1e3, ours / bound);
  EXPECT_LE(ours / bound, 1.5);
}

}  // namespace
