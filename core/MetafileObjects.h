#pragma once
// The GDI objects a metafile creates, as the validator follows them: the player's handle table,
// slot by slot, and what of each object decides the work of drawing with it.

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <vector>

namespace core::metafile {

enum class ObjectKind : uint8_t { Empty, Pen, Brush, Font, Palette, Region };

// A hash of a font's face name (FNV-1a), to tell fonts GDI realizes apart.
inline uint64_t FaceHash(std::span<const uint8_t> name) {
  uint64_t hash = 14695981039346656037u;
  for (uint8_t c : name) hash = (hash ^ c) * 1099511628211u;
  return hash;
}

struct GdiObject {
  ObjectKind kind = ObjectKind::Empty;
  // A pen's width and a font's size, in logical units; 0 for a one-pixel pen or a default font.
  double size = 0;
  bool geometric = false;  // a pen whose width scales with the mapping
  uint64_t face = 0;       // a font's face name, hashed
  bool nullPen = false;
  double rects = 0;  // a region's rectangles
};

// The player's handle table of `size` slots.
class ObjectTable {
 public:
  explicit ObjectTable(size_t size) : slots_(size) {
    for (size_t i = 0; i < size; ++i) free_.insert(free_.end(), i);
  }
  size_t Size() const { return slots_.size(); }
  bool Contains(uint64_t index) const { return index < slots_.size(); }
  const GdiObject& At(uint64_t index) const { return slots_[static_cast<size_t>(index)]; }
  void Put(uint64_t index, const GdiObject& object) {
    slots_[static_cast<size_t>(index)] = object;
    if (object.kind == ObjectKind::Empty) {
      free_.insert(static_cast<size_t>(index));
    } else {
      free_.erase(static_cast<size_t>(index));
    }
  }
  // The first empty slot, which a Windows metafile's player fills with the next object it creates.
  std::optional<size_t> FirstFree() const {
    if (free_.empty()) return std::nullopt;
    return *free_.begin();
  }

 private:
  std::vector<GdiObject> slots_;
  std::set<size_t> free_;
};

}  // namespace core::metafile
