// The cost of opening pictures through plug-ins, against the bounds they chase, measured in the
// same run, in turn, the fastest of seven runs counting: a large picture against the plug-in's own
// GetPicture on the same bytes plus one BMP read of the same picture (in memory), and a PNG whose
// compressed stream holds 200 MB of zeros after its last row against the same PNG without them.
// The figures are printed; `scripts/test --preset win64 -R PluginSpeed -V` shows them.
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
#include "tests/png/PngWithZeros.h"

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

// A careless writer's or an attacker's file: 200 KB that inflate to 200 MB after the picture.
TEST_F(PluginSpeed, APngWithZerosAfterItsRowsOpensAtMost100MsSlowerThanWithout) {
  winetest::CopyPlugin(L"ifpng", dir.Path());
  Start();
  const core::Dib picture = winetest::PatternDib(64, 64);
  const std::vector<uint8_t> zeros = pngtest::PngWithZerosAfterTheRows(picture, size_t{200} << 20);
  winetest::WriteFileBytes(PathIn(L"plain.png"), pngtest::PngWithZerosAfterTheRows(picture, 0));
  winetest::WriteFileBytes(PathIn(L"zeros.png"), zeros);
  win::Picture loaded;
  const auto opening = [&](const wchar_t* name) {
    return Timed{
        [&, name] { loaded = plugins::LoadPictureFile(form->PictureFormats(), PathIn(name)); },
        [&] { loaded = {}; }};
  };
  Timed plain = opening(L"plain.png");
  Timed withZeros = opening(L"zeros.png");
  TimeInTurn({&plain, &withZeros});

  loaded = plugins::LoadPictureFile(form->PictureFormats(), PathIn(L"zeros.png"));
  ASSERT_EQ(loaded.Width(), 64);
  EXPECT_EQ(winetest::PixelAt(loaded.Pixels(), 50, 40), winetest::PixelAt(picture, 50, 40));
  std::printf(
      "%zu KB PNG with 200 MB of zeros after its rows %.1f ms; without them %.1f ms; ratio %.2f "
      "(at most 100 ms more)\n",
      zeros.size() >> 10, withZeros.best * 1e3, plain.best * 1e3, withZeros.best / plain.best);
  EXPECT_LT(withZeros.best - plain.best, 0.1);
}

}  // namespace
