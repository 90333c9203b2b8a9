// The Susie plug-ins the tests load: one source, built once per kind (PLUGIN_KIND) and for each
// build, 32-bit with undecorated stdcall exports as real plug-ins have them. The exports are
// defined against the interface's one declaration (susie/SusieAbi.h), whose layout is fixed there
// by static assertions. Every plug-in records the calls it receives and the memory it hands out
// (TestPluginJournal.h).
//
// Kinds: a Netpbm (PPM/PGM) decoder, the same with the version "00in", one lacking GetPicture, a
// hostile one whose test files say what it does wrong, an archive plug-in, a "00XN" one, one with
// several pattern entries, three decoders that differ only in their patterns, and one that claims
// JPEG and BMP and answers a JPEG with a plain picture of its size.

#include <windows.h>

#include <cstring>
#include <initializer_list>

#include "TestPluginJournal.h"
#include "susie/SusieAbi.h"

#define KIND_NETPBM 1
#define KIND_LOWER_VERSION 2
#define KIND_NO_GET_PICTURE 3
#define KIND_HOSTILE 4
#define KIND_ARCHIVE 5
#define KIND_XN 6
#define KIND_PATTERNS 7
#define KIND_PIC_A 8
#define KIND_MAG_B 9
#define KIND_PIC_C 10
#define KIND_JPEG_MARK 11
#define KIND_ENDLESS 12

#ifndef PLUGIN_KIND
#error "PLUGIN_KIND names the kind of plug-in to build"
#endif

#define EXPORT extern "C" __declspec(dllexport)

namespace {

using Length = LONG_PTR;
using susie::ProgressCallback;

// --- What the plug-in says about itself ---

struct Item {
  const char* pattern;
  const wchar_t* description;  // handed out in the ANSI code page
};

#if PLUGIN_KIND == KIND_NETPBM
const char* const kVersion = "00IN";
const Item kItems[] = {{"*.PPM;*.PGM", L"Netpbm 画像"}, {"*.pnm", L"Netpbm (PNM)"}};
#elif PLUGIN_KIND == KIND_LOWER_VERSION
const char* const kVersion = "00in";
const Item kItems[] = {{"*.lin", L"小文字の版"}};
#elif PLUGIN_KIND == KIND_NO_GET_PICTURE
const char* const kVersion = "00IN";
const Item kItems[] = {{"*.npc", L"GetPicture なし"}};
#elif PLUGIN_KIND == KIND_HOSTILE
const char* const kVersion = "00IN";
const Item kItems[] = {{"*.bad", L"壊れた画像"}};
#elif PLUGIN_KIND == KIND_ARCHIVE
const char* const kVersion = "00AM";
const Item kItems[] = {{"*.lzh", L"LHA 書庫"}};
#elif PLUGIN_KIND == KIND_XN
const char* const kVersion = "00XN";
const Item kItems[] = {{"*.xnx", L"XN"}};
#elif PLUGIN_KIND == KIND_PATTERNS
const char* const kVersion = "00IN";
const Item kItems[] = {
    {"*.abc;*.def", L"ABC/DEF 画像"}, {"*.*", L"すべてのファイル"}, {"*.xyz;*.*", L"XYZ 画像"}};
#elif PLUGIN_KIND == KIND_PIC_A
const char* const kVersion = "00IN";
const Item kItems[] = {{"*.pi;*.pic", L"PI/PIC 画像"}};
#elif PLUGIN_KIND == KIND_MAG_B
const char* const kVersion = "00IN";
const Item kItems[] = {{"*.mag", L"MAG 画像"}};
#elif PLUGIN_KIND == KIND_PIC_C
const char* const kVersion = "00IN";
const Item kItems[] = {{"*.pic", L"PIC 画像"}};
#elif PLUGIN_KIND == KIND_JPEG_MARK
const char* const kVersion = "00IN";
const Item kItems[] = {{"*.jpg", L"JPEG (試験)"}, {"*.bmp", L"BMP (試験)"}};
#elif PLUGIN_KIND == KIND_ENDLESS  // answers every item number with one more pattern
const char* const kVersion = "00IN";
const Item kItems[] = {{"*.end", L"終わりのない一覧"}};
#else
#error "unknown PLUGIN_KIND"
#endif

// The colour of every pixel of the JPEG-marking plug-in's answer, as 0xRRGGBB.
constexpr DWORD kMarkColour = 0x123456;

testplugin::Journal journal;

[[maybe_unused]] void Record(const char* function, const char* fileName, Length length,
                             const void* data) {
  if (journal.callCount >= 16) return;
  testplugin::Call& call = journal.calls[journal.callCount++];
  lstrcpynA(call.function, function, sizeof call.function);
  lstrcpynA(call.fileName, fileName ? fileName : "", sizeof call.fileName);
  call.length = length;
  std::memcpy(call.head, data, sizeof call.head);  // every caller must offer 2048 bytes
}

[[maybe_unused]] HLOCAL Allocate(SIZE_T bytes) {
  return LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, bytes);
}

// Records a block that becomes the program's to free.
[[maybe_unused]] void HandOut(HLOCAL h) {
  if (journal.handleCount < 32) journal.handles[journal.handleCount++] = h;
}

int Progress(ProgressCallback progress, int done, int total, Length data, bool slow = false) {
  if (slow) Sleep(120);
  const int answer = progress ? progress(done, total, data) : 0;
  if (journal.progressCount < 64) journal.progressAnswers[journal.progressCount++] = answer;
  return answer;
}

// --- Netpbm: binary PPM (P6) and PGM (P5), up to 255 levels ---

struct Netpbm {
  bool colour = false;
  bool slow = false;  // the header's comment says "# slow": each progress step waits 120 ms
  // "# scribble": GetPicture writes over the whole buffer it was handed once it has decoded it, as
  // plug-ins that decode in place do.
  bool scribble = false;
  long width = 0;
  long height = 0;
  long maxValue = 0;
  size_t dataStart = 0;
};

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads one decimal header field, skipping blanks and comments first.
bool ReadField(const unsigned char* p, size_t size, size_t& at, long& value) {
  for (;;) {
    while (at < size && IsBlank(p[at])) ++at;
    if (at < size && p[at] == '#') {
      while (at < size && p[at] != '\n') ++at;
      continue;
    }
    break;
  }
  if (at >= size || p[at] < '0' || p[at] > '9') return false;
  value = 0;
  while (at < size && p[at] >= '0' && p[at] <= '9') {
    value = value * 10 + (p[at++] - '0');
    if (value > 100000) return false;
  }
  return true;
}

bool ParseNetpbm(const unsigned char* p, size_t size, Netpbm& out) {
  if (size < 3 || p[0] != 'P' || (p[1] != '5' && p[1] != '6') || !IsBlank(p[2])) return false;
  out.colour = p[1] == '6';
  size_t at = 2;
  if (!ReadField(p, size, at, out.width) || !ReadField(p, size, at, out.height) ||
      !ReadField(p, size, at, out.maxValue)) {
    return false;
  }
  if (at >= size || !IsBlank(p[at]) || out.width <= 0 || out.height <= 0 || out.maxValue <= 0 ||
      out.maxValue > 255) {
    return false;
  }
  out.dataStart = at + 1;
  for (size_t i = 0; i < out.dataStart; ++i) {
    out.slow = out.slow || (i + 6 <= out.dataStart && std::memcmp(p + i, "# slow", 6) == 0);
    out.scribble =
        out.scribble || (i + 10 <= out.dataStart && std::memcmp(p + i, "# scribble", 10) == 0);
  }
  return true;
}

// Writes over the whole buffer a plug-in was handed: its length, and at least the 2048 bytes every
// host offers.
[[maybe_unused]] void ScribbleOver(LPSTR buffer, Length length) {
  std::memset(buffer, 0xCC, static_cast<size_t>(length < 2048 ? 2048 : length));
}

size_t RowBytes(long width, int bitCount) {
  return static_cast<size_t>(((width * bitCount + 31) / 32) * 4);
}

BITMAPINFOHEADER Header(long width, long height, int bitCount, DWORD colours) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitCount);
  h.biCompression = BI_RGB;
  h.biClrUsed = colours;
  return h;
}

[[maybe_unused]] int DecodeNetpbm(const unsigned char* p, size_t size, HLOCAL* infoOut,
                                  HLOCAL* bitsOut, ProgressCallback progress, Length data) {
  Netpbm pbm;
  if (!ParseNetpbm(p, size, pbm)) return 2;
  const int channels = pbm.colour ? 3 : 1;
  const size_t sourceRow = static_cast<size_t>(pbm.width) * channels;
  if ((size - pbm.dataStart) / sourceRow < static_cast<size_t>(pbm.height)) return 3;
  const int bitCount = pbm.colour ? 24 : 8;
  const DWORD colours = pbm.colour ? 0 : 256;
  const size_t stride = RowBytes(pbm.width, bitCount);
  HLOCAL info = Allocate(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD));
  HLOCAL bits = Allocate(stride * static_cast<size_t>(pbm.height));
  if (!info || !bits) {
    LocalFree(info);
    LocalFree(bits);
    return 4;
  }
  auto* header = static_cast<BITMAPINFOHEADER*>(LocalLock(info));
  *header = Header(pbm.width, pbm.height, bitCount, colours);
  auto* table = reinterpret_cast<RGBQUAD*>(header + 1);
  for (DWORD i = 0; i < colours; ++i) {
    table[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
  }
  LocalUnlock(info);
  auto* pixels = static_cast<unsigned char*>(LocalLock(bits));
  const unsigned char* source = p + pbm.dataStart;
  int answer = Progress(progress, 0, pbm.height, data, pbm.slow);
  for (long y = 0; y < pbm.height && answer == 0; ++y) {
    const unsigned char* from = source + sourceRow * static_cast<size_t>(y);
    unsigned char* to = pixels + stride * static_cast<size_t>(pbm.height - 1 - y);
    for (long x = 0; x < pbm.width; ++x) {
      for (int c = 0; c < channels; ++c) {
        const long level = from[x * channels + c];
        const unsigned char value =
            static_cast<unsigned char>(pbm.maxValue == 255 ? level : level * 255 / pbm.maxValue);
        to[x * channels + (channels - 1 - c)] = value;  // RGB becomes BGR
      }
    }
    if ((y + 1) % 256 == 0) answer = Progress(progress, y + 1, pbm.height, data, pbm.slow);
  }
  LocalUnlock(bits);
  if (answer == 0) answer = Progress(progress, pbm.height, pbm.height, data, pbm.slow);
  if (answer != 0) {
    LocalFree(info);
    LocalFree(bits);
    return 1;
  }
  *infoOut = info;
  *bitsOut = bits;
  HandOut(info);
  HandOut(bits);
  return 0;
}

// --- JPEG marking: the size from the frame header, every pixel kMarkColour ---

bool JpegSize(const unsigned char* p, size_t size, long& width, long& height) {
  if (size < 4 || p[0] != 0xFF || p[1] != 0xD8 || p[2] != 0xFF) return false;
  for (size_t at = 2; at + 9 < size;) {
    if (p[at] != 0xFF) return false;
    const unsigned char marker = p[at + 1];
    const size_t length = (static_cast<size_t>(p[at + 2]) << 8) | p[at + 3];
    if (marker >= 0xC0 && marker <= 0xC2) {
      height = (p[at + 5] << 8) | p[at + 6];
      width = (p[at + 7] << 8) | p[at + 8];
      return width > 0 && height > 0;
    }
    at += 2 + length;
  }
  return false;
}

[[maybe_unused]] int DecodeJpegMark(const unsigned char* p, size_t size, HLOCAL* infoOut,
                                    HLOCAL* bitsOut) {
  long width = 0, height = 0;
  if (!JpegSize(p, size, width, height)) return 2;
  const size_t stride = RowBytes(width, 24);
  HLOCAL info = Allocate(sizeof(BITMAPINFOHEADER));
  HLOCAL bits = Allocate(stride * static_cast<size_t>(height));
  auto* header = static_cast<BITMAPINFOHEADER*>(LocalLock(info));
  *header = Header(width, height, 24, 0);
  LocalUnlock(info);
  auto* pixels = static_cast<unsigned char*>(LocalLock(bits));
  for (long y = 0; y < height; ++y) {
    for (long x = 0; x < width; ++x) {
      unsigned char* px = pixels + stride * static_cast<size_t>(y) + x * 3;
      px[0] = kMarkColour & 0xFF;
      px[1] = (kMarkColour >> 8) & 0xFF;
      px[2] = (kMarkColour >> 16) & 0xFF;
    }
  }
  LocalUnlock(bits);
  *infoOut = info;
  *bitsOut = bits;
  HandOut(info);
  HandOut(bits);
  return 0;
}

// --- Hostile: "HOSTILE <case>" says what is wrong with the answer ---

// Where the case's name starts: after "HOSTILE " at the start of the file, or in a PPM's first
// comment ("P6\n# HOSTILE "), a file another plug-in decodes; 0 when there is none.
size_t CaseStart(const unsigned char* p, size_t size) {
  for (const char* prefix : {"HOSTILE ", "P6\n# HOSTILE "}) {
    const size_t n = std::strlen(prefix);
    if (size >= n && std::memcmp(p, prefix, n) == 0) return n;
  }
  return 0;
}

bool IsCase(const unsigned char* p, size_t size, const char* name) {
  const size_t at = CaseStart(p, size);
  const size_t n = std::strlen(name);
  return at > 0 && size >= at + n && std::memcmp(p + at, name, n) == 0 &&
         (size == at + n || IsBlank(p[at + n]));
}

// A block holding `header`, then `after` (`afterSize` bytes) and then zeros, `extra` bytes after
// the header in all.
HLOCAL InfoBlock(const BITMAPINFOHEADER& header, size_t extra, const void* after = nullptr,
                 size_t afterSize = 0) {
  HLOCAL h = Allocate(sizeof header + extra);
  auto* block = static_cast<unsigned char*>(LocalLock(h));
  std::memcpy(block, &header, sizeof header);
  if (after) std::memcpy(block + sizeof header, after, afterSize);
  LocalUnlock(h);
  return h;
}

// The picture of the case "bitfields-565": 2 x 2 pixels of 16 bits, red and green over blue and
// white, with the masks of 5-6-5 after the header.
constexpr DWORD kMasks565[3] = {0xF800, 0x07E0, 0x001F};
constexpr WORD kPixels565[4] = {0x001F, 0xFFFF, 0xF800, 0x07E0};  // bottom row first

[[maybe_unused]] int DecodeHostile(const unsigned char* p, size_t size, HLOCAL* info, HLOCAL* bits,
                                   ProgressCallback progress, Length data) {
  if (IsCase(p, size, "fail")) return 2;
  if (IsCase(p, size, "null-handles")) return 0;
  if (IsCase(p, size, "bitfields-565")) {
    BITMAPINFOHEADER h = Header(2, 2, 16, 0);
    h.biCompression = BI_BITFIELDS;
    *info = InfoBlock(h, sizeof kMasks565, kMasks565, sizeof kMasks565);
    *bits = Allocate(sizeof kPixels565);
    std::memcpy(LocalLock(*bits), kPixels565, sizeof kPixels565);
    LocalUnlock(*bits);
    HandOut(*info);
    HandOut(*bits);
    return 0;
  }
  if (IsCase(p, size, "abort")) {
    HLOCAL a = Allocate(64), b = Allocate(64);
    Progress(progress, 1, 2, data);
    LocalFree(a);
    LocalFree(b);
    return 1;
  }
  if (IsCase(p, size, "same-handle")) {
    *info = *bits = InfoBlock(Header(2, 2, 24, 0), 64);
    HandOut(*info);  // one block, to be freed once
    return 0;
  }
  BITMAPINFOHEADER h = Header(4, 4, 24, 0);
  size_t extra = 0;
  size_t bitsBytes = RowBytes(4, 24) * 4;
  if (IsCase(p, size, "header-size")) {
    h.biSize = 12;
  } else if (IsCase(p, size, "compressed")) {
    h = Header(4, 4, 8, 0);
    h.biCompression = BI_RLE8;
    extra = 1024;
    bitsBytes = 8;
  } else if (IsCase(p, size, "bitfields-zero-masks")) {
    h = Header(4, 4, 32, 0);
    h.biCompression = BI_BITFIELDS;
    extra = 12;
    bitsBytes = 64;
  } else if (IsCase(p, size, "bitfields-no-masks")) {
    h = Header(4, 4, 16, 0);
    h.biCompression = BI_BITFIELDS;
    bitsBytes = 32;
  } else if (IsCase(p, size, "bit-count")) {
    h.biBitCount = 7;
  } else if (IsCase(p, size, "colors")) {
    h = Header(4, 4, 8, 300);
    extra = 1200;
    bitsBytes = 16;
  } else if (IsCase(p, size, "huge")) {
    h = Header(100000, 100000, 24, 0);
    bitsBytes = 16;
  } else if (IsCase(p, size, "zero-width")) {
    h.biWidth = 0;
  } else if (IsCase(p, size, "short-bits")) {
    bitsBytes = 10;
  } else if (IsCase(p, size, "short-info")) {
    h = Header(4, 4, 8, 0);  // 256 colours expected after the header, none there
    bitsBytes = 16;
  } else {
    return 2;
  }
  *info = InfoBlock(h, extra);
  *bits = Allocate(bitsBytes);
  HandOut(*info);
  HandOut(*bits);
  return 0;
}

}  // namespace

// --- The exports ---

EXPORT int WINAPI GetPluginInfo(int infoNo, LPSTR buffer, int bufferLength) {
  char text[256] = {};
  if (infoNo == 0) {
    lstrcpynA(text, kVersion, sizeof text);
  } else if (infoNo == 1) {
    lstrcpynA(text, "Capslate test plug-in", sizeof text);
  } else {
    int entry = (infoNo - 2) / 2;
#if PLUGIN_KIND == KIND_ENDLESS
    entry = 0;
#endif
    if (entry >= static_cast<int>(sizeof kItems / sizeof kItems[0])) return 0;
    if (infoNo % 2 == 0) {
      lstrcpynA(text, kItems[entry].pattern, sizeof text);
    } else {
      WideCharToMultiByte(CP_ACP, 0, kItems[entry].description, -1, text, sizeof text, nullptr,
                          nullptr);
    }
  }
  if (bufferLength <= 0) return 0;
  lstrcpynA(buffer, text, bufferLength);
  return lstrlenA(buffer);
}

EXPORT const testplugin::Journal* WINAPI TestJournal() { return &journal; }
EXPORT void WINAPI TestReset() { std::memset(&journal, 0, sizeof journal); }

#if PLUGIN_KIND != KIND_XN
EXPORT int WINAPI IsSupported(LPSTR fileName, void* dw) {
  const auto* p = static_cast<const unsigned char*>(dw);
  Record("IsSupported", fileName, -1, p);
#if PLUGIN_KIND == KIND_HOSTILE
  return CaseStart(p, 2048) > 0;
#elif PLUGIN_KIND == KIND_JPEG_MARK
  return p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF;
#else
  return p[0] == 'P' && (p[1] == '5' || p[1] == '6') && IsBlank(p[2]);
#endif
}
#endif

#if PLUGIN_KIND == KIND_ARCHIVE
EXPORT int WINAPI GetArchiveInfo(LPSTR, Length, unsigned, HLOCAL*) { return -1; }
EXPORT int WINAPI GetFileInfo(LPSTR, Length, LPSTR, unsigned, void*) { return -1; }
EXPORT int WINAPI GetFile(LPSTR, Length, LPSTR, unsigned, ProgressCallback, Length) { return -1; }
#elif PLUGIN_KIND != KIND_XN
EXPORT int WINAPI GetPictureInfo(LPSTR buffer, Length length, unsigned flag,
                                 susie::PictureInfo* info) {
  const auto* p = reinterpret_cast<const unsigned char*>(buffer);
  Record("GetPictureInfo", nullptr, length, p);
  if ((flag & 7) != 1) return -1;  // only memory images are expected
  long width = 0, height = 0;
  short depth = 24;
#if PLUGIN_KIND == KIND_HOSTILE
  return -1;
#elif PLUGIN_KIND == KIND_JPEG_MARK
  if (!JpegSize(p, static_cast<size_t>(length), width, height)) return 2;
#else
  Netpbm pbm;
  if (!ParseNetpbm(p, static_cast<size_t>(length), pbm)) return 2;
  width = pbm.width;
  height = pbm.height;
  depth = pbm.colour ? 24 : 8;
#endif
  *info = susie::PictureInfo{};
  info->width = width;
  info->height = height;
  info->xDensity = 72;
  info->yDensity = 72;
  info->colorDepth = depth;
  const char text[] = "test picture";
  info->hInfo = Allocate(sizeof text);
  std::memcpy(LocalLock(info->hInfo), text, sizeof text);
  LocalUnlock(info->hInfo);
  HandOut(info->hInfo);
  return 0;
}

#if PLUGIN_KIND != KIND_NO_GET_PICTURE
EXPORT int WINAPI GetPicture(LPSTR buffer, Length length, unsigned flag, HLOCAL* info, HLOCAL* bits,
                             ProgressCallback progress, Length data) {
  const auto* p = reinterpret_cast<const unsigned char*>(buffer);
  Record("GetPicture", nullptr, length, p);
  if ((flag & 7) != 1) return -1;
#if PLUGIN_KIND == KIND_HOSTILE
  if (IsCase(p, static_cast<size_t>(length), "scribble-fail")) {
    ScribbleOver(buffer, length);
    return 2;
  }
  return DecodeHostile(p, static_cast<size_t>(length), info, bits, progress, data);
#elif PLUGIN_KIND == KIND_JPEG_MARK
  (void)progress;
  (void)data;
  return DecodeJpegMark(p, static_cast<size_t>(length), info, bits);
#else
  Netpbm pbm;
  const bool scribble = ParseNetpbm(p, static_cast<size_t>(length), pbm) && pbm.scribble;
  const int result = DecodeNetpbm(p, static_cast<size_t>(length), info, bits, progress, data);
  if (scribble) ScribbleOver(buffer, length);
  return result;
#endif
}
#endif

EXPORT int WINAPI GetPreview(LPSTR, Length, unsigned, HLOCAL*, HLOCAL*, ProgressCallback, Length) {
  return -1;
}
#endif

EXPORT int WINAPI ConfigurationDlg(HWND, int) { return -1; }
