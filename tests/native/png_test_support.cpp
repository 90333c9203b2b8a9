#include "tests/native/png_test_support.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace pngtest {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

const fs::path kSource = CAPSLATE_LIBPNG_SOURCE;

std::vector<fs::path> PngsIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".png") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

std::vector<fs::path> LibpngTestImages() {
  std::vector<fs::path> files;
  for (const char* folder : {"pngsuite", "pngsuite/interlaced", "testpngs"}) {
    const auto found = PngsIn(kSource / "contrib" / folder);
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

std::vector<fs::path> LibpngCrashers() { return PngsIn(kSource / "contrib/testpngs/crashers"); }

fs::path ReferenceFor(const fs::path& png) {
  const fs::path relative = fs::relative(png, kSource / "contrib");
  return fs::path(CAPSLATE_PNG_REFERENCES) / relative.parent_path() /
         (relative.stem().string() + ".ppm");
}

Rgb8 ReadPpm(const fs::path& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  std::string header(bytes.begin(),
                     bytes.begin() + static_cast<long>(std::min<size_t>(64, bytes.size())));
  std::istringstream fields(header);
  std::string magic;
  int maxValue = 0;
  Rgb8 picture;
  fields >> magic >> picture.width >> picture.height >> maxValue;
  if (magic != "P6" || maxValue != 255)
    throw std::runtime_error("not an 8-bit P6: " + path.string());
  const size_t start = static_cast<size_t>(fields.tellg()) + 1;  // one whitespace byte
  const size_t size = size_t(picture.width) * picture.height * 3;
  if (bytes.size() < start + size) throw std::runtime_error("short PPM: " + path.string());
  picture.samples.assign(bytes.begin() + static_cast<long>(start),
                         bytes.begin() + static_cast<long>(start + size));
  return picture;
}

Rgb8 FromDib(const core::Dib& dib24) {
  Rgb8 picture{dib24.Width(), dib24.Height(), {}};
  picture.samples.reserve(size_t(picture.width) * picture.height * 3);
  for (int y = 0; y < picture.height; ++y) {
    const uint8_t* bgr = dib24.Row(y);
    for (int x = 0; x < picture.width; ++x, bgr += 3) {
      picture.samples.insert(picture.samples.end(), {bgr[2], bgr[1], bgr[0]});
    }
  }
  return picture;
}

int LargestDifference(const Rgb8& a, const Rgb8& b) {
  if (a.width != b.width || a.height != b.height || a.samples.size() != b.samples.size()) return -1;
  int largest = 0;
  for (size_t i = 0; i < a.samples.size(); ++i) {
    largest = std::max(largest, std::abs(int(a.samples[i]) - int(b.samples[i])));
  }
  return largest;
}

std::vector<Chunk> SplitChunks(const std::vector<uint8_t>& png) {
  std::vector<Chunk> chunks;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = (uint32_t{png[at]} << 24) | (uint32_t{png[at + 1]} << 16) |
                            (uint32_t{png[at + 2]} << 8) | png[at + 3];
    if (length > png.size() - at - 12) break;
    Chunk chunk{std::string(png.begin() + static_cast<long>(at + 4),
                            png.begin() + static_cast<long>(at + 8)),
                {}};
    chunk.data.assign(png.begin() + static_cast<long>(at + 8),
                      png.begin() + static_cast<long>(at + 8 + length));
    chunks.push_back(std::move(chunk));
    at += 12 + length;
  }
  return chunks;
}

std::vector<uint8_t> JoinChunks(const std::vector<Chunk>& chunks) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const Chunk& chunk : chunks) {
    PutBigEndian(png, static_cast<uint32_t>(chunk.data.size()));
    const size_t typeAt = png.size();
    png.insert(png.end(), chunk.type.begin(), chunk.type.end());
    png.insert(png.end(), chunk.data.begin(), chunk.data.end());
    PutBigEndian(png, static_cast<uint32_t>(
                          crc32(0, png.data() + typeAt, static_cast<uInt>(4 + chunk.data.size()))));
  }
  return png;
}

}  // namespace pngtest
