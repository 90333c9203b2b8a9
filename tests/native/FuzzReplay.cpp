// The native test of one fuzz target (tests/native/FuzzTargets.cmake): feeds its entry point every
// seed and every committed finding under the native build's sanitizers, so that a crash once found
// by fuzzing stays fixed. The build names the target's suite, seed folders, file extensions and
// findings folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tests/native/FuzzSupport.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitBars(std::string_view text) {
  std::vector<std::string> parts;
  while (!text.empty()) {
    const size_t bar = text.find('|');
    parts.emplace_back(text.substr(0, bar));
    text = bar == std::string_view::npos ? std::string_view() : text.substr(bar + 1);
  }
  return parts;
}

// The files in `folder` and below, sorted; those ending in one of `extensions` when there are any.
std::vector<fs::path> FilesIn(const fs::path& folder, const std::vector<std::string>& extensions) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
    const std::string ext = entry.path().extension().string();
    if (extensions.empty() ||
        std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void Replay(const fs::path& file) {
  // Printed before the run: when a sanitizer ends the process, the last line names the input.
  std::cout << "replaying " << file.string() << std::endl;
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
  fuzz::RunOnExactCopy(bytes);
}

TEST(CAPSLATE_FUZZ_SUITE, SeedsAndFindingsReplayWithoutFault) {
  const std::vector<std::string> extensions = SplitBars(CAPSLATE_FUZZ_EXTENSIONS);
  const std::vector<std::string> folders = SplitBars(CAPSLATE_FUZZ_SEEDS);
  ASSERT_FALSE(folders.empty()) << "the build found no seed folder";
  for (const std::string& folder : folders) {
    ASSERT_TRUE(fs::is_directory(folder)) << "seed folder missing: " << folder;
    const std::vector<fs::path> seeds = FilesIn(folder, extensions);
    EXPECT_FALSE(seeds.empty()) << "no seeds in " << folder;
    for (const fs::path& seed : seeds) Replay(seed);
  }
  if (fs::is_directory(CAPSLATE_FUZZ_FINDINGS)) {
    for (const fs::path& finding : FilesIn(CAPSLATE_FUZZ_FINDINGS, {})) Replay(finding);
  }
}

}  // namespace
