#include "tests/native/jpeg_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include <jpeglib.h>

namespace jpegtest {

std::string TestImage(const std::string& name) {
  return std::string(CAPSLATE_JPEG_TESTIMAGES) + "/" + name;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

core::Dib ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxval = 0;
  in >> magic >> width >> height >> maxval;
  in.get();  // the single whitespace byte before the samples
  if (!in || magic != "P6" || maxval != 255) throw std::runtime_error("not a P6/255 PPM: " + path);
  core::Dib dib(width, height, 24);
  std::vector<char> rgb(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    if (!in.read(rgb.data(), static_cast<std::streamsize>(rgb.size())))
      throw std::runtime_error("short PPM");
    uint8_t* row = dib.Row(y);
    for (size_t x = 0; x < rgb.size(); x += 3) {
      row[x] = static_cast<uint8_t>(rgb[x + 2]);
      row[x + 1] = static_cast<uint8_t>(rgb[x + 1]);
      row[x + 2] = static_cast<uint8_t>(rgb[x]);
    }
  }
  return dib;
}

std::vector<uint8_t> EncodeWithLibjpeg(const RawImage& image, int jpegSpace, bool progressive) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);  // inputs are ours and valid: libjpeg's exit on error is fine
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = image.components;
  cinfo.in_color_space = image.components == 1   ? JCS_GRAYSCALE
                         : image.components == 3 ? JCS_RGB
                                                 : JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, static_cast<J_COLOR_SPACE>(jpegSpace));
  jpeg_set_quality(&cinfo, 90, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = static_cast<size_t>(image.width) * static_cast<size_t>(image.components);
  while (cinfo.next_scanline < cinfo.image_height) {
    auto* row = const_cast<uint8_t*>(image.samples.data() + stride * cinfo.next_scanline);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

size_t FindMarker(const std::vector<uint8_t>& jpeg, uint8_t code, size_t from) {
  for (size_t i = from; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
  }
  return std::string::npos;
}

}  // namespace jpegtest
