#pragma once
// One record of a metafile as the validator reads it: little-endian fields at byte offsets, each
// read checked against the record's length, so a field GDI would read past the record's end
// refuses the metafile instead of being read.

#include <cstdint>
#include <cstring>
#include <span>

#include "core/MetafileValidator.h"

namespace core::metafile {

[[noreturn]] inline void Refuse(MetafileFault fault, size_t record) {
  throw MetafileError(fault, record);
}

class Record {
 public:
  Record(std::span<const uint8_t> bytes, size_t index) : bytes_(bytes), index_(index) {}

  size_t Size() const { return bytes_.size(); }
  size_t Index() const { return index_; }
  [[noreturn]] void Fail(MetafileFault fault) const { Refuse(fault, index_); }
  void Require(bool condition, MetafileFault fault) const {
    if (!condition) Fail(fault);
  }
  // Refuses the metafile unless the record holds `count` bytes from `at`.
  void Need(uint64_t at, uint64_t count) const {
    if (at > bytes_.size() || count > bytes_.size() - at) Fail(MetafileFault::RecordSize);
  }

  uint16_t U16(uint64_t at) const {
    Need(at, 2);
    const size_t i = static_cast<size_t>(at);  // within the record, so within size_t
    return static_cast<uint16_t>(bytes_[i] | (bytes_[i + 1] << 8));
  }
  int16_t S16(uint64_t at) const { return static_cast<int16_t>(U16(at)); }
  uint32_t U32(uint64_t at) const {
    Need(at, 4);
    const size_t i = static_cast<size_t>(at);
    return uint32_t{bytes_[i]} | (uint32_t{bytes_[i + 1]} << 8) | (uint32_t{bytes_[i + 2]} << 16) |
           (uint32_t{bytes_[i + 3]} << 24);
  }
  int32_t S32(uint64_t at) const { return static_cast<int32_t>(U32(at)); }
  // A float GDI computes with: refused when it is not a finite number of sane size.
  double Float(uint64_t at) const {
    const uint32_t raw = U32(at);
    float value = 0;
    std::memcpy(&value, &raw, sizeof value);
    Require(value == value && value > -1e9f && value < 1e9f, MetafileFault::Value);
    return value;
  }
  // `count` bytes from `at`.
  std::span<const uint8_t> Bytes(uint64_t at, uint64_t count) const {
    Need(at, count);
    return bytes_.subspan(static_cast<size_t>(at), static_cast<size_t>(count));
  }
  // Everything from `at` to the end of the record.
  std::span<const uint8_t> Rest(uint64_t at) const {
    Need(at, 0);
    return bytes_.subspan(static_cast<size_t>(at));
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t index_;
};

}  // namespace core::metafile
