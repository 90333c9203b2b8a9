// metafile_corpus FOLDER: writes the metafiles of the generator into FOLDER, named after their
// case, ".wmf" for Windows metafiles (placeable ones, and bare ones) and ".emf" for enhanced ones.
// The fuzz target's seed corpus, tests/corpora/metafiles, is made with it. Files over 32 KiB are
// left out: a fuzzer works best from small seeds, and the native test replays the generator's
// larger files from the generator itself.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/metafiles/MetafileForge.h"

namespace {

bool Write(const std::filesystem::path& folder, const std::string& name, core::MetafileKind kind,
           const forge::Bytes& bytes) {
  if (bytes.size() > 32 * 1024) return true;
  const char* extension = kind == core::MetafileKind::Enhanced ? ".emf" : ".wmf";
  std::ofstream out(folder / (name + extension), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: metafile_corpus FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  bool ok = true;
  for (const forge::Hostile& c : forge::HostileMetafiles())
    ok &= Write(folder, c.name, c.kind, c.bytes);
  for (const forge::Sound& s : forge::SoundMetafiles())
    ok &= Write(folder, s.name, s.kind, s.bytes);
  return ok ? 0 : 1;
}
