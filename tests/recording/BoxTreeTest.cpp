#include "recording/BoxTree.h"

#include <gtest/gtest.h>

#include <ostream>
#include <unistd.h>

#include "TestFiles.h"
#include "recording/BoxTypeRegistry.h"

namespace recording {
namespace {

using testfiles::Box;
using testfiles::BoxWithSize;
using testfiles::Bytes;
using testfiles::Concat;
using testfiles::Text;
using testfiles::Zeros;

TEST(BoxTypeRegistryTest, HoldsTheFixedListAndNothingElse) {
  EXPECT_EQ(BoxTypeRegistry::ListSize(), 168u);
  const auto& registry = BoxTypeRegistry::Instance();
  for (std::size_t i = 0; i < BoxTypeRegistry::ListSize(); ++i) EXPECT_TRUE(registry.Contains(BoxTypeRegistry::ListEntry(i)));
  for (const char* type : {"udat", "ICAT", "jP  ", "url ", "xml ", "res ", "moov", "mdat", "stts"}) {
    EXPECT_TRUE(registry.Contains(type)) << type;
  }
  for (const char* type : {"avc1", "sowt", "MOOV", "mdaT", "    ", "\0\0\0\1", "url", "udatx"}) {
    EXPECT_FALSE(registry.Contains(type)) << type;
  }
}

class BoxTreeFiles : public ::testing::Test {
 protected:
  std::filesystem::path Write(const Bytes& bytes, const char* name = "f.MOV") {
    const auto path = dir_ / name;
    testfiles::WriteFile(path, bytes);
    return path;
  }
  testfiles::TempDir dir_;
};

TEST_F(BoxTreeFiles, UnknownFirstBoxIsWalkedPastAndNeverCopied) {
  const Bytes file = Concat({Box("abcd", Zeros(20)), testfiles::MiniRecording(600, 1200, 60, 10)});
  const auto path = Write(file);
  for (bool load_root : {false, true}) {
    auto tree = BoxTree::Open(path, load_root);
    ASSERT_TRUE(tree) << tree.error();
    const BoxNode& root = (*tree)->root();
    EXPECT_EQ(root.has_raw_payload, 0);
    EXPECT_TRUE(root.payload.empty()) << "the whole file is never copied";
    ASSERT_EQ(root.children.size(), 5u);
    EXPECT_TRUE(root.children[0].IsType("abcd"));
    EXPECT_EQ(root.children[0].loaded_size, 0u);
    EXPECT_EQ((*tree)->GetFrameCount(), 60);
  }
}

TEST_F(BoxTreeFiles, LeavesAreLoadedAndContainersWalked) {
  const Bytes stsd = Box("stsd", Concat({Zeros(4), testfiles::BE32(1), Box("avc1", Zeros(78))}));
  const Bytes udta = Box("udta", Box("XYZW", Text("recorder notes")));
  const Bytes file = Concat({Box("ftyp", Concat({Text("qt  "), Zeros(4), Text("qt  ")})), Box("mdat", Bytes(100, 7)),
                             Box("moov", Concat({Box("trak", Box("mdia", Box("minf", Box("stbl", stsd)))), udta}))});
  auto tree = BoxTree::Open(Write(file), false);
  ASSERT_TRUE(tree) << tree.error();
  const BoxNode& root = (*tree)->root();
  ASSERT_EQ(root.children.size(), 3u);
  const BoxNode& mdat = root.children[1];
  EXPECT_TRUE(mdat.IsType("mdat"));
  EXPECT_TRUE(mdat.payload.empty()) << "media data is never loaded";
  EXPECT_EQ(mdat.payload_size, 100u);
  EXPECT_EQ(mdat.payload_offset, 20u + 8u);

  const BoxNode& moov = root.children[2];
  ASSERT_EQ(moov.children.size(), 2u);
  const BoxNode& udta_node = moov.children[1];
  EXPECT_EQ(udta_node.has_raw_payload, 1);
  EXPECT_TRUE(udta_node.children.empty());
  EXPECT_EQ(udta_node.payload_size, udta.size() - 8) << "a udta with an unknown first child is one leaf";
  EXPECT_TRUE(udta_node.payload.empty()) << "kept as a range of the file";

  ASSERT_EQ((*tree)->List(BoxList::kStsd).size(), 1u);
  const BoxNode* stsd_node = (*tree)->List(BoxList::kStsd)[0];
  EXPECT_EQ(stsd_node->has_raw_payload, 1);
  EXPECT_EQ(stsd_node->depth, 6);
  EXPECT_EQ(stsd_node->payload.size(), stsd.size() - 8);
  EXPECT_EQ((*tree)->List(BoxList::kMdat).size(), 1u);
}

TEST_F(BoxTreeFiles, GeneratedRecordingListsEveryBoxInPreOrder) {
  const auto& rec = testfiles::SharedCard().front();
  auto tree = BoxTree::Open(rec.main_path, false);
  ASSERT_TRUE(tree) << tree.error();
  const std::pair<BoxList, std::size_t> counts[] = {
      {BoxList::kMdat, 1}, {BoxList::kStsz, 2}, {BoxList::kStco, 2}, {BoxList::kMdhd, 2}, {BoxList::kStss, 1},
      {BoxList::kStts, 2}, {BoxList::kMvhd, 1}, {BoxList::kTkhd, 2}, {BoxList::kElst, 2}, {BoxList::kStsd, 2}};
  for (auto [list, count] : counts) EXPECT_EQ((*tree)->List(list).size(), count) << BoxListType(list);
  // Pre-order: the video track's boxes come before the sound track's.
  EXPECT_LT((*tree)->List(BoxList::kStts)[0]->payload_offset, (*tree)->List(BoxList::kStts)[1]->payload_offset);
  EXPECT_EQ((*tree)->GetFrameSize().width, 320);
  EXPECT_EQ((*tree)->GetFrameSize().height, 180);
  EXPECT_EQ((*tree)->GetFrameCount(), rec.main_frames);
  EXPECT_FLOAT_EQ((*tree)->GetFrameRate(), 30.0f);
}

TEST_F(BoxTreeFiles, PropertiesWithoutTheirBoxes) {
  auto tree = BoxTree::Open(Write(Concat({Box("ftyp", Zeros(12)), Box("free", Zeros(300))})), false);
  ASSERT_TRUE(tree) << tree.error();
  EXPECT_EQ((*tree)->GetFrameSize().width, -1);
  EXPECT_EQ((*tree)->GetFrameCount(), -1);
  EXPECT_EQ((*tree)->GetFrameRate(), -1.0f);
}

TEST_F(BoxTreeFiles, ZeroSampleDeltaGivesNoFrameRateAndNoCount) {
  auto tree = BoxTree::Open(Write(testfiles::MiniRecording(30000, 60000, 60, 0)), false);
  ASSERT_TRUE(tree) << tree.error();
  EXPECT_EQ((*tree)->GetFrameRate(), -1.0f);
  EXPECT_EQ((*tree)->GetFrameCount(), -1);
}

// A recording with boxes the registry does not know, where other writers
// put them: "wide" before mdat, a box of their own inside moov and inside
// the video track.
Bytes ForeignShaped(const Bytes& top_level_extra) {
  testfiles::MiniTrack video;
  video.timescale = 15360;
  video.stts = {{30, 512}};
  video.inside_trak = Box("XYZW", Zeros(16));
  const Bytes movie = testfiles::MiniMovie(1000, 1000, {Box("ABCD", Zeros(4)), testfiles::MiniTrak(video)});
  // After ftyp (20 bytes): the extra boxes, then mdat, moov and padding.
  return Concat({Bytes(movie.begin(), movie.begin() + 20), top_level_extra, Bytes(movie.begin() + 20, movie.end())});
}

TEST_F(BoxTreeFiles, ContainersWalkPastUnknownBoxes) {
  auto tree = BoxTree::Open(Write(ForeignShaped(Box("wide", {}))), false);
  ASSERT_TRUE(tree) << tree.error();
  const BoxNode& root = (*tree)->root();
  ASSERT_EQ(root.children.size(), 5u);
  EXPECT_TRUE(root.children[1].IsType("wide"));
  const BoxNode& moov = root.children[3];
  ASSERT_TRUE(moov.IsType("moov"));
  EXPECT_EQ(moov.has_raw_payload, 0);
  ASSERT_EQ(moov.children.size(), 3u);
  EXPECT_TRUE(moov.children[1].IsType("ABCD"));
  EXPECT_EQ(moov.children[1].has_raw_payload, 1);
  EXPECT_EQ((*tree)->List(BoxList::kStts).size(), 1u) << "the sample table behind the unknown box is found";
  EXPECT_EQ((*tree)->GetFrameCount(), 30);
  EXPECT_FLOAT_EQ((*tree)->GetFrameRate(), 30.0f);
}

TEST_F(BoxTreeFiles, BigUnknownAndFreeBoxesStayInTheFile) {
  const std::size_t big = 8 << 20;
  const Bytes extra = Concat({Box("wide", {}), Box("free", Bytes(big, 1)), Box("XYZW", Bytes(big, 2))});
  const auto path = Write(ForeignShaped(extra));
  const auto unknown_first = Write(Concat({Box("XYZW", Bytes(big, 3)), ForeignShaped({})}), "u.MOV");
  for (const auto& file : {path, unknown_first}) {
    for (bool load_root : {false, true}) {
      auto tree = BoxTree::Open(file, load_root);
      ASSERT_TRUE(tree) << tree.error();
      const BoxNode& root = (*tree)->root();
      EXPECT_TRUE(root.payload.empty());
      EXPECT_EQ(root.loaded_size, 0u);
      std::uint64_t copied = 0;
      for (const BoxNode& c : root.children) {
        if (c.payload_size >= big) {
          EXPECT_TRUE(c.payload.empty()) << c.Type() << " holds a copy";
          EXPECT_EQ(c.loaded_size, 0u);
          EXPECT_EQ(c.has_raw_payload, 1);
        }
        copied += c.payload.size();
      }
      EXPECT_EQ(copied, 0u);
      EXPECT_EQ((*tree)->GetFrameCount(), 30) << file;
    }
  }
}

struct LenientCase {
  const char* name;
  Bytes bytes;
  std::size_t moov_children;  // what the walk of moov keeps
  friend void PrintTo(const LenientCase& c, std::ostream* os) { *os << c.name; }
};

class AfterAnUnknownBox : public BoxTreeFiles, public ::testing::WithParamInterface<LenientCase> {};

// Bytes behind an unknown box were never examined before such boxes were
// walked past: whatever does not fit there ends the walk and the file still
// opens, as it did.
TEST_P(AfterAnUnknownBox, WhatDoesNotFitEndsTheWalk) {
  for (bool load_root : {false, true}) {
    auto tree = BoxTree::Open(Write(GetParam().bytes), load_root);
    ASSERT_TRUE(tree) << tree.error();
    const BoxNode& moov = (*tree)->root().children[1];
    ASSERT_TRUE(moov.IsType("moov"));
    EXPECT_EQ(moov.has_raw_payload, 1) << "held as a range of the file";
    EXPECT_EQ(moov.children.size(), GetParam().moov_children);
  }
}

// ftyp, then moov holding an mvhd and the given boxes.
Bytes MovieOf(std::initializer_list<Bytes> boxes) {
  Bytes moov = Box("mvhd", Zeros(100));
  for (const Bytes& b : boxes) moov = Concat({moov, b});
  return Concat({Box("ftyp", Zeros(12)), Box("moov", moov)});
}

const Bytes kUnknown = Box("XYZW", Zeros(8));

INSTANTIATE_TEST_SUITE_P(
    BoxTree, AfterAnUnknownBox,
    ::testing::Values(LenientCase{"unknown_box_past_its_parent", MovieOf({BoxWithSize(400, "XYZW", Zeros(8))}), 1},
                      LenientCase{"size_zero_after_unknown", MovieOf({kUnknown, BoxWithSize(0, "free", Zeros(8))}), 2},
                      LenientCase{"known_box_past_parent_after_unknown",
                                  MovieOf({kUnknown, BoxWithSize(400, "trak", Zeros(8))}), 2},
                      LenientCase{"trailing_bytes_after_unknown", MovieOf({kUnknown, Zeros(5)}), 2}),
    [](const auto& info) { return std::string(info.param.name); });

struct CorruptCase {
  const char* name;
  Bytes bytes;
  const char* reason;  // part of the error text
  friend void PrintTo(const CorruptCase& c, std::ostream* os) { *os << c.name; }
};

class CorruptBoxes : public BoxTreeFiles, public ::testing::WithParamInterface<CorruptCase> {};

TEST_P(CorruptBoxes, FailWithAReason) {
  const auto path = Write(GetParam().bytes);
  for (bool load_root : {false, true}) {
    auto tree = BoxTree::Open(path, load_root);
    ASSERT_FALSE(tree);
    EXPECT_NE(tree.error().find(GetParam().reason), std::string::npos) << tree.error();
    EXPECT_NE(tree.error().find(path.string()), std::string::npos) << "the reason names the file";
  }
}

Bytes Nested(int depth) {
  Bytes inner = Box("free", Zeros(8));
  for (int i = 0; i < depth; ++i) inner = Box("moov", inner);
  return inner;
}

const Bytes kFtyp = Box("ftyp", Zeros(12));

INSTANTIATE_TEST_SUITE_P(
    BoxTree, CorruptBoxes,
    ::testing::Values(
        CorruptCase{"size_zero", Concat({kFtyp, BoxWithSize(0, "moov", Zeros(16))}), "size 0"},
        CorruptCase{"size_one_64_bit", Concat({kFtyp, BoxWithSize(1, "mdat", Zeros(24))}), "64-bit"},
        CorruptCase{"size_two", Concat({kFtyp, BoxWithSize(2, "moov", Zeros(16))}), "smaller than its own header"},
        CorruptCase{"size_seven", Concat({kFtyp, BoxWithSize(7, "free", Zeros(16))}), "smaller than its own header"},
        CorruptCase{"size_past_end_of_file", Concat({kFtyp, BoxWithSize(4000, "mdat", Zeros(16))}), "past the end of the file"},
        CorruptCase{"child_past_parent", Concat({kFtyp, Box("moov", BoxWithSize(400, "mvhd", Zeros(16)))}), "past the end of its parent"},
        CorruptCase{"nested_too_deep", Nested(200), "nested"},
        CorruptCase{"empty_file", Bytes{}, "empty"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoxTreeFiles, MissingFileAndFolderFail) {
  auto missing = BoxTree::Open(dir_ / "nothing.MOV", false);
  EXPECT_FALSE(missing);
  EXPECT_NE(missing.error().find("No such file"), std::string::npos) << missing.error();
  auto folder = BoxTree::Open(dir_.path(), false);
  EXPECT_FALSE(folder);
  EXPECT_NE(folder.error().find("folder"), std::string::npos) << folder.error();
}

TEST_F(BoxTreeFiles, TinyPayloadsStayInsideTheirBox) {
  // Payloads too short to hold a box header are leaves: a 6-byte hdlr-like
  // box followed by a real box must not be read as a container.
  const Bytes file = Concat({kFtyp, Box("moov", Concat({Box("free", Text("ab")), Box("skip", Text("xyzuvw")),
                                                         Box("mvhd", Zeros(100))}))});
  auto tree = BoxTree::Open(Write(file), false);
  ASSERT_TRUE(tree) << tree.error();
  const BoxNode& moov = (*tree)->root().children[1];
  ASSERT_EQ(moov.children.size(), 3u);
  EXPECT_EQ(moov.children[0].payload_size, 2u);
  EXPECT_EQ(moov.children[1].payload_size, 6u);
  EXPECT_EQ(moov.children[1].has_raw_payload, 1);
  EXPECT_EQ((*tree)->List(BoxList::kMvhd).size(), 1u);
}

TEST_F(BoxTreeFiles, TruncatedRecordingNeverCrashes) {
  const Bytes whole = testfiles::ReadFile(testfiles::SharedCard().front().main_path);
  const auto path = dir_ / "cut.MOV";
  int opened = 0;
  for (std::size_t cut = 0; cut < whole.size(); cut += whole.size() / 97 + 1) {
    testfiles::WriteFile(path, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    auto tree = BoxTree::Open(path, true);
    if (tree) {
      ++opened;
    } else {
      EXPECT_FALSE(tree.error().empty());
    }
  }
  EXPECT_LT(opened, 5) << "only cuts inside ftyp or right at a box boundary can open";
}

}  // namespace
}  // namespace recording
