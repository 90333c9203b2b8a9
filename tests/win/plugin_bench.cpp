// The cost of opening a large picture through a plug-in, against the bound it chases: the
// plug-in's own GetPicture on the same bytes plus one BMP read of the same picture (in memory),
// measured in the same run, in turn, the fastest of seven runs counting. The figures are printed;
// `scripts/test --preset win64 -R PluginSpeed -V` shows them.
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
#include "susie/SusieAbi.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

// Something to time: the work, and what lets go of its result afterwards, untimed.
struct Timed {
  std::function<void()> run;
  std::function<void()> release;
  double best = 1e9;  // seconds, the fastest run
};

// Runs each of `timed` seven times in turn, so a busy moment of the machine falls on all of them
// alike, and keeps each one's fastest run.
void TimeInTurn(std::vector<Timed*> timed) {
  for (int round = 0; round < 7; ++round) {
    for (Timed* t : timed) {
      const auto start = std::chrono::steady_clock::now();
      t->run();
      const auto end = std::chrono::steady_clock::now();
      t->release();
      t->best = std::min(t->best, std::chrono::duration<double>(end - start).count());
    }
  }
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
  const auto getPicture = reinterpret_cast<susie::GetPictureProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "GetPicture")));
  HLOCAL info = nullptr, bits = nullptr;
  Timed pluginAlone{[&] {
                      getPicture(reinterpret_cast<LPSTR>(ppm.data()),
                                 static_cast<LONG_PTR>(ppm.size()), 1, &info, &bits, nullptr, 0);
                    },
                    [&] {
                      LocalFree(info);
                      LocalFree(bits);
                    }};
  core::Dib read;
  Timed bmpRead{[&] { read = core::ReadBmp(bmp); }, [&] { read = {}; }};
  win::Picture loaded;
  Timed ours{[&] { loaded = plugins::LoadPictureFile(form->PictureFormats(), PathIn(L"big.ppm")); },
             [&] { loaded = {}; }};
  TimeInTurn({&ours, &pluginAlone, &bmpRead});

  loaded = plugins::LoadPictureFile(form->PictureFormats(), PathIn(L"big.ppm"));
  ASSERT_EQ(loaded.Width(), kWidth);
  EXPECT_EQ(winetest::PixelAt(loaded.Pixels(), 1234, 567), winetest::PixelAt(picture, 1234, 567));
  const double bound = pluginAlone.best + bmpRead.best;
  const double ratio = ours.best / bound;
  std::printf(
      "LoadPictureFile %.1f ms; bound %.1f ms (GetPicture %.1f + BMP read %.1f); "
      "ratio %.2f (at most 1.5)\n",
      ours.best * 1e3, bound * 1e3, pluginAlone.best * 1e3, bmpRead.best * 1e3, ratio);
  EXPECT_LE(ratio, 1.5);
}

}  // namespace
