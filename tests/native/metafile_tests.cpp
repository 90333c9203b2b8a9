// The metafile validator: every hostile metafile of the generator refused for its own fault, or
// accepted when it is sound to play; sound metafiles of every kind accepted with the bytes GDI is
// to be given; the work estimate following the rectangle the metafile is drawn into.
#include <gtest/gtest.h>

#include <string>

#include "core/MetafileValidator.h"
#include "tests/metafiles/MetafileForge.h"

namespace {

using core::MetafileFault;
using core::MetafileKind;

const char* FaultName(MetafileFault fault) {
  static const char* const kNames[] = {"Header",      "RecordSize", "UnknownRecord", "ObjectIndex",
                                       "ObjectTable", "Count",      "Bitmap",        "Value",
                                       "Nesting",     "TooMuchWork"};
  return kNames[static_cast<int>(fault)];
}

// "accepted", or the fault the validator refused the bytes for.
std::string Verdict(const forge::Bytes& bytes, MetafileKind kind,
                    const core::MetafileLimits& limits = {}) {
  try {
    core::ValidateMetafile(bytes, kind, limits);
    return "accepted";
  } catch (const core::MetafileError& e) {
    return FaultName(e.Fault());
  }
}

TEST(MetafileValidator, EveryHostileMetafileIsRefusedForItsOwnFaultOrIsSoundToPlay) {
  const std::vector<forge::Hostile> cases = forge::HostileMetafiles();
  ASSERT_GE(cases.size(), 60u);
  for (const forge::Hostile& c : cases) {
    EXPECT_EQ(Verdict(c.bytes, c.kind), c.refused ? FaultName(c.fault) : "accepted") << c.name;
  }
}

TEST(MetafileValidator, SoundMetafilesPassWithTheBytesGdiIsGiven) {
  for (const forge::Sound& file : forge::SoundMetafiles()) {
    SCOPED_TRACE(file.name);
    const core::MetafileReport report = core::ValidateMetafile(file.bytes, file.kind);
    // Placeable files pass the standard metafile after their 22-byte header.
    const size_t offset = file.kind == MetafileKind::Placeable ? 22 : 0;
    EXPECT_EQ(report.offset, offset);
    EXPECT_EQ(report.length, file.bytes.size() - offset);
    EXPECT_GT(report.records, 5u);
    EXPECT_GT(report.work, 0);
    EXPECT_LT(report.work, core::kMetafileWorkBudget / 10) << "a simple drawing is cheap";
  }
}

TEST(MetafileValidator, GdiIsGivenTheSizeTheHeaderDeclares) {
  // Bytes after the declared end (a file's padding) are left out; bytes between META_EOF and the
  // declared end are passed on, as the players stop at META_EOF.
  const forge::Sound wmf = forge::SoundMetafiles()[0];
  forge::Bytes padded = wmf.bytes;
  padded.resize(padded.size() + 100, 0xEE);
  EXPECT_EQ(core::ValidateMetafile(padded, wmf.kind).length, wmf.bytes.size() - 22);
  forge::Wmf inner;
  inner.Rectangle(0, 0, 9, 9).sizeDelta = 3;
  forge::Bytes bytes = inner.Build();
  bytes.resize(bytes.size() + 6);
  EXPECT_EQ(core::ValidateMetafile(bytes, MetafileKind::Windows).length, bytes.size());
}

TEST(MetafileValidator, TheEstimateFollowsTheRectangleAndTheMapping) {
  // A circle of 1000 x 1000 units: cheap at the size of a tag, far too much at 100000 pixels.
  forge::Wmf wmf;
  wmf.Ellipse(0, 0, 1000, 1000);
  const forge::Bytes bytes = wmf.Placeable(0, 0, 1000, 1000);
  EXPECT_EQ(Verdict(bytes, MetafileKind::Placeable, {200, 200}), "accepted");
  EXPECT_EQ(Verdict(bytes, MetafileKind::Placeable, {100000, 100000}), "TooMuchWork");
  const double small = core::ValidateMetafile(bytes, MetafileKind::Placeable, {40, 40}).work;
  const double large = core::ValidateMetafile(bytes, MetafileKind::Placeable, {400, 400}).work;
  EXPECT_GT(large, 2 * small);

  // Without a placeable header the player maps one unit onto the whole rectangle until the
  // metafile sets its window, unless it plays one unit to a pixel.
  forge::Wmf bare;
  bare.Ellipse(-30000, -30000, 30000, 30000);
  const forge::Bytes bareBytes = bare.Build();
  core::MetafileLimits pixels;
  pixels.unitsArePixels = true;
  EXPECT_EQ(Verdict(bareBytes, MetafileKind::Windows, pixels), "accepted");
  EXPECT_EQ(Verdict(bareBytes, MetafileKind::Windows), "TooMuchWork");
}

TEST(MetafileValidator, AMetafileTooCostlyForItsRectangleIsFittedSmaller) {
  // A polygon of random points: cheap when small, too costly at 400 x 200.
  forge::Wmf wmf;
  wmf.Polygon(forge::RandomPoints(700, 1000, 5));
  const forge::Bytes bytes = wmf.Placeable(0, 0, 1000, 1000);
  EXPECT_EQ(core::FitMetafileToBudget(bytes, MetafileKind::Placeable, 40, 20),
            (core::MetafileSize{40, 20}));
  const core::MetafileSize fitted =
      core::FitMetafileToBudget(bytes, MetafileKind::Placeable, 400, 200);
  EXPECT_LT(fitted.width, 400);
  EXPECT_GT(fitted.width, 40);
  EXPECT_NEAR(fitted.width, 2 * fitted.height, 1) << "the proportions stay";
  EXPECT_EQ(Verdict(bytes, MetafileKind::Placeable, {fitted.width, fitted.height}), "accepted");
  EXPECT_EQ(Verdict(bytes, MetafileKind::Placeable, {fitted.width + 8, fitted.height + 4}),
            "TooMuchWork");
}

TEST(MetafileValidator, SavedStatesBringTheMappingBack) {
  // The same wide ellipse after the window shrank inside a saved state, and after it was restored.
  auto with = [](bool restored) {
    forge::Wmf wmf;
    wmf.Pen(0, 500, 0).Select(0).Add(0x001E, {}).WindowExt(20, 20);
    if (restored) wmf.Add(0x0127, {0xFFFF});
    wmf.Ellipse(0, 0, 20, 20);
    return Verdict(wmf.Placeable(0, 0, 1000, 1000), MetafileKind::Placeable);
  };
  EXPECT_EQ(with(true), "accepted");
  EXPECT_EQ(with(false), "TooMuchWork");
}

TEST(MetafileValidator, TheErrorTellsTheUserWhatAndWhere) {
  forge::Wmf wmf;
  wmf.Rectangle(0, 0, 9, 9).Select(9);
  try {
    core::ValidateMetafile(wmf.Build(), MetafileKind::Windows);
    FAIL() << "accepted";
  } catch (const core::MetafileError& e) {
    EXPECT_EQ(e.Record(), 2u);
    EXPECT_STREQ(e.what(), "メタファイルが存在しないオブジェクトを参照しています (レコード 2)。");
  }
}

}  // namespace
