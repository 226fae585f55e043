// The model reader: the line rules of the format, the reader's calling sequence, and the sound
// behaviour for files that break the rules (bad indices, unopenable files, odd line endings).
#include "ReaderHarness.h"
#include "io/ModelFileError.h"
#include "io/OBJ3D.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

using testing::countLines;
using testing::expectSoundMesh;
using testing::loadFile;
using testing::loadText;
using testing::writeModelFile;

// A mesh that records the calls the reader makes on it.
struct SpyMesh : Object3D {
  std::vector<std::array<FaceIndices, 3>> faceCalls;
  int builds = 0;
  void addFace(FaceIndices v, FaceIndices t, FaceIndices n) override {
    faceCalls.push_back({v, t, n});
    Object3D::addFace(v, t, n);
  }
  int build() override {
    ++builds;
    return Object3D::build();
  }
};

struct SpyReader : OBJ3D {
  int onObject(const std::string& keyword, const std::string& line) override {
    OBJ3D::onObject(keyword, line);
    objects[currentIndex] = std::make_unique<SpyMesh>();
    return 0;
  }
  SpyMesh& spy() { return static_cast<SpyMesh&>(*objects[0]); }
};

const std::string kTriangle = "o t\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 0 1 0\nvn 1 0 0\n";

void expectVertex(const Object3D& m, int i, double x, double y, double z) {
  EXPECT_EQ(m.vertices[i].x, x);
  EXPECT_EQ(m.vertices[i].y, y);
  EXPECT_EQ(m.vertices[i].z, z);
}

// ---- The line rules of the format, one row at a time.

TEST(OBJ3DFormatTest, VertexWithExponentAndMixedForms) {
  const auto r = loadText("o a\nv 0.5 -1.25e+2 3\n");
  ASSERT_EQ(r.mesh().vertexCount, 1);
  expectVertex(r.mesh(), 0, 2.5, -625.0, 15.0);  // stored times 5
  EXPECT_EQ(r.out, countLines(1, 0, 0, 0));
  EXPECT_EQ(r.err, "");
}

TEST(OBJ3DFormatTest, PlusSignLeadingDotAndBareExponentAreSkippedSilently) {
  const auto r = loadText("o a\nv +1 2 3\nv .5 1 2\nv 1e5 2 3\nv 1 2\nv 1. 2 3\n");
  EXPECT_EQ(r.mesh().vertexCount, 0);
  EXPECT_EQ(r.out, countLines(0, 0, 0, 0));
  EXPECT_EQ(r.err, "");
}

TEST(OBJ3DFormatTest, LastNumberTakesItsLongestForm) {
  const auto r = loadText("o a\nv 1 2 3.5\nv 1 2 1.5e1\nv 1 2 3.5e\nv 1 2 3abc\nv 1 2 3 4\n");
  ASSERT_EQ(r.mesh().vertexCount, 5);
  expectVertex(r.mesh(), 0, 5, 10, 17.5);
  expectVertex(r.mesh(), 1, 5, 10, 75);
  expectVertex(r.mesh(), 2, 5, 10, 17.5);  // "3.5e": the exponent form needs digits, so 3.5
  expectVertex(r.mesh(), 3, 5, 10, 15);
  expectVertex(r.mesh(), 4, 5, 10, 15);
}

TEST(OBJ3DFormatTest, ManyMinusSignsConvertAsStrtodDoes) {
  const auto r = loadText("o a\nv --1 -2 ---3.5\n");
  ASSERT_EQ(r.mesh().vertexCount, 1);
  expectVertex(r.mesh(), 0, 0, -10, 0);
}

TEST(OBJ3DFormatTest, NormalsAreNegatedAsStored) {
  const auto r = loadText("o a\nvn 0 1 0\n");
  ASSERT_EQ(r.mesh().normalCount, 1);
  EXPECT_TRUE(std::signbit(r.mesh().normals[0].x));
  EXPECT_EQ(r.mesh().normals[0].y, -1.0);
}

TEST(OBJ3DFormatTest, FaceWithEmptyTextureRunsHasTextureIndicesZero) {
  const auto r = loadText<SpyReader>(kTriangle + "f 1//1 2//2 3//3\n");
  auto& spy = static_cast<SpyReader&>(*r.reader).spy();
  ASSERT_EQ(spy.faceCalls.size(), 1u);
  const auto& [v, t, n] = spy.faceCalls[0];
  EXPECT_EQ((std::array{v.a, v.b, v.c}), (std::array{1, 2, 3}));
  EXPECT_EQ((std::array{t.a, t.b, t.c}), (std::array{0, 0, 0}));
  EXPECT_EQ((std::array{n.a, n.b, n.c}), (std::array{1, 2, 3}));
  EXPECT_EQ(spy.faces[0].c, 2);
  EXPECT_EQ(spy.faceNormalIndices[0].b, 1);
}

TEST(OBJ3DFormatTest, FourthCornerIsIgnoredAndCornersAreRegrouped) {
  const auto r = loadText<SpyReader>(kTriangle + "v 1 1 1\nf 1/7/3 2/8/2 3/9/1 4/4/4\n");
  auto& spy = static_cast<SpyReader&>(*r.reader).spy();
  ASSERT_EQ(spy.faceCalls.size(), 1u);
  const auto& [v, t, n] = spy.faceCalls[0];
  EXPECT_EQ((std::array{v.a, v.b, v.c}), (std::array{1, 2, 3}));
  EXPECT_EQ((std::array{t.a, t.b, t.c}), (std::array{7, 8, 9}));
  EXPECT_EQ((std::array{n.a, n.b, n.c}), (std::array{3, 2, 1}));
}

TEST(OBJ3DFormatTest, FacesWithoutTwoSlashesPerCornerAreSkippedSilently) {
  const auto r = loadText(kTriangle + "f 1 2 3\nf 1/2 3/4 5/6\nf -1//1 2//1 3//1\n");
  EXPECT_EQ(r.mesh().faceCount, 0);
  EXPECT_EQ(r.err, "");
}

TEST(OBJ3DFormatTest, SpringNamesVerticesOfTheCurrentMeshOneBased) {
  std::string text = "o a\n";
  for (int i = 0; i < 17; ++i) text += "v " + std::to_string(i) + " 0 0\n";
  const auto r = loadText(text + "k 3 17\nk 2.7 1\n");
  ASSERT_EQ(r.mesh().springCount, 2);
  EXPECT_EQ(r.mesh().springs[0].first, 2);
  EXPECT_EQ(r.mesh().springs[0].second, 16);
  EXPECT_EQ(r.mesh().springs[0].restLength, 70.0);
  EXPECT_EQ(r.mesh().springs[1].first, 1);  // 2.7 converts as atoi does: 2
}

TEST(OBJ3DFormatTest, CommentsBlankLedLinesAndKnownKeywordsWithoutHandlerAreSilent) {
  const auto r = loadText(
      "o a\n#\n# text\n#text\n#v 1 2 3\n\n v 1 2 3\n\tv 1 2 3\ng group1\nusemtl red\n"
      "mtllib x.mtl\ng\n");
  EXPECT_EQ(r.mesh().vertexCount, 0);
  EXPECT_EQ(r.out, countLines(0, 0, 0, 0));
  EXPECT_EQ(r.err, "");
}

TEST(OBJ3DFormatTest, UnknownKeywordsAreNamedOnStandardOutput) {
  const auto r = loadText("o a\nvt 0.5 0.5\ns 1\nl 1 2\nV 1 2 3\nv1 1 2 3\nv 1 2 3\n");
  EXPECT_EQ(r.out,
            "keyword vt not found\nkeyword s not found\nkeyword l not found\nkeyword V not found\n"
            "keyword v1 not found\n" +
                countLines(1, 0, 0, 0));
  EXPECT_EQ(r.err, "");
}

TEST(OBJ3DFormatTest, WhiteSpaceRunsOfAnyKindSeparateTokens) {
  const auto r = loadText("o a\nv\t1 \v\f 2\t\t3\nk 1\t 1\n");
  ASSERT_EQ(r.mesh().vertexCount, 1);
  expectVertex(r.mesh(), 0, 5, 10, 15);
  EXPECT_EQ(r.mesh().springCount, 1);
}

// ---- The reader's calling sequence.

TEST(OBJ3DSequenceTest, BallFileGivesOneBuiltMesh) {
  const auto r = loadText<SpyReader>("o ball\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\nk 1 2\n\n");
  auto& spy = static_cast<SpyReader&>(*r.reader).spy();
  EXPECT_EQ(spy.builds, 1);
  EXPECT_EQ(spy.vertexCount, 3);
  EXPECT_EQ(spy.normalCount, 1);
  EXPECT_EQ(spy.faceCount, 1);
  EXPECT_EQ(spy.springCount, 1);
  EXPECT_EQ(spy.springs[0].restLength, 5.0);
  EXPECT_EQ(spy.particles.length(), 3u);
  EXPECT_EQ(r.out, countLines(3, 1, 1, 1));
  expectSoundMesh(*r.reader);
}

TEST(OBJ3DSequenceTest, SecondObjectLineStartsAfreshAndOnlyItIsBuilt) {
  const auto r = loadText<SpyReader>(kTriangle + "f 1//1 2//2 3//3\nk 1 2\no second\nv 4 5 6\n");
  auto& spy = static_cast<SpyReader&>(*r.reader).spy();
  EXPECT_EQ(spy.builds, 1);
  ASSERT_EQ(spy.vertexCount, 1);
  expectVertex(spy, 0, 20, 25, 30);
  EXPECT_EQ(spy.faceCount, 0);
  EXPECT_EQ(spy.springCount, 0);
  EXPECT_EQ(r.out, countLines(1, 0, 0, 0));
  EXPECT_EQ(r.err, "");  // the discarded face and spring are not checked against the new mesh
}

TEST(OBJ3DSequenceTest, FiveUnknownLinesPrintFiveMessagesAndChangeNothing) {
  std::string text = kTriangle;
  for (int i = 0; i < 5; ++i) text += "vt 0.5 0.5\n";
  const auto r = loadText(text + "f 1//1 2//2 3//3\n");
  std::string expected;
  for (int i = 0; i < 5; ++i) expected += "keyword vt not found\n";
  EXPECT_EQ(r.out, expected + countLines(3, 3, 1, 0));
}

TEST(OBJ3DSequenceTest, CloseTwiceOrBeforeOpenDoesNothing) {
  OBJ3D reader;
  EXPECT_EQ(reader.close(), 0);
  EXPECT_EQ(reader.input, nullptr);
  reader.open(writeModelFile("o a\n"));
  EXPECT_NE(reader.input, nullptr);
  reader.close();
  reader.close();
  EXPECT_EQ(reader.input, nullptr);
}

TEST(OBJ3DSequenceTest, ConstructorFillsBothTables) {
  const OBJ3D reader;
  std::vector<std::string> keys;
  for (const auto& entry : reader.patterns) keys.push_back(entry.first);
  EXPECT_EQ(keys, (std::vector<std::string>{"#", "f", "g", "k", "mtllib", "o", "usemtl", "v", "vn"}));
  EXPECT_EQ(reader.handlers.size(), 6u);
  EXPECT_EQ(reader.handlers.at("k"), &OBJ3D::onSpring);
  EXPECT_EQ(reader.handlers.count("g"), 0u);
  EXPECT_EQ(reader.currentIndex, 0);
  for (const auto& slot : reader.objects) EXPECT_EQ(slot, nullptr);
}

// ---- Files that break the rules.

TEST(OBJ3DSoundBehaviourTest, LastLineWithoutTerminatorIsRead) {
  const auto r = loadText("o a\nv 1 2 3\nv 4 5 6");
  EXPECT_EQ(r.mesh().vertexCount, 2);
}

TEST(OBJ3DSoundBehaviourTest, EveryLineEndingReadsTheSame) {
  const std::string lf = "o a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\nk 1 3\n";
  for (const std::string ending : {"\r\n", "\r"}) {
    std::string text = lf;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + ending.size())) {
      text.replace(at, 1, ending);
    }
    const auto r = loadText(text);
    EXPECT_EQ(r.out, countLines(3, 1, 1, 1)) << "ending of " << ending.size() << " characters";
    EXPECT_EQ(r.mesh().springs[0].second, 2);
  }
}

TEST(OBJ3DSoundBehaviourTest, ElementLinesBeforeAnyObjectLineGoToAMeshMadeOnDemand) {
  const auto r = loadText("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n");
  EXPECT_EQ(r.out, countLines(3, 1, 1, 0));
  expectSoundMesh(*r.reader);
}

TEST(OBJ3DSoundBehaviourTest, FileWithoutElementsBuildsAnEmptyMesh) {
  for (const std::string text : {"", "\n", "# nothing\n", "o empty\n"}) {
    const auto r = loadText(text);
    EXPECT_EQ(r.out, countLines(0, 0, 0, 0));
    expectSoundMesh(*r.reader);
  }
}

TEST(OBJ3DSoundBehaviourTest, LoadWithoutOpenBuildsAnEmptyMesh) {
  OBJ3D reader;
  ::testing::internal::CaptureStdout();
  reader.load();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), countLines(0, 0, 0, 0));
  expectSoundMesh(reader);
}

TEST(OBJ3DSoundBehaviourTest, FaceIndicesOutsideTheFinalCountsAreDroppedWithFileAndLine) {
  const auto r = loadText(kTriangle +
                          "f 0//1 2//1 3//1\n"    // line 8: vertex 0
                          "f 1//1 2//1 4//1\n"    // line 9: vertex 4 of 3
                          "f 1/1/ 2/2/ 3/3/\n"    // line 10: empty normal runs
                          "f 1//1 2//4 3//1\n"    // line 11: normal 4 of 3
                          "f 1//3 2//2 3//1\n");  // line 12: fine
  EXPECT_EQ(r.out, countLines(3, 3, 1, 0));
  const std::string file = ::testing::TempDir() + "model.obj";
  EXPECT_EQ(r.err, file + ":8: face corner 1 names vertex 0, but valid vertices are 1 to 3; face skipped\n" + file +
                       ":9: face corner 3 names vertex 4, but valid vertices are 1 to 3; face skipped\n" + file +
                       ":10: face corner 1 names normal 0, but valid normals are 1 to 3; face skipped\n" + file +
                       ":11: face corner 2 names normal 4, but valid normals are 1 to 3; face skipped\n");
  EXPECT_EQ(r.reader->problemCount(), 4u);
  expectSoundMesh(*r.reader);
}

TEST(OBJ3DSoundBehaviourTest, IndicesMayReferToLinesThatComeLater) {
  const auto r = loadText("o a\nk 1 3\nf 1//1 2//1 3//1\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nk 3 4\nv 2 2 2\n");
  EXPECT_EQ(r.out, countLines(4, 1, 1, 2));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.mesh().springs[1].second, 3);
}

TEST(OBJ3DSoundBehaviourTest, MessagesUseTheFinalCounts) {
  const auto r = loadText("o a\nv 0 0 0\nk 1 5\nv 0 0 0\nv 0 0 0\nv 0 0 0\nk 0 1\nk -2 1\n");
  const std::string file = ::testing::TempDir() + "model.obj";
  EXPECT_EQ(r.err, file + ":3: spring names vertex 5, but valid vertices are 1 to 4; spring skipped\n" + file +
                       ":7: spring names vertex 0, but valid vertices are 1 to 4; spring skipped\n" + file +
                       ":8: spring names vertex -2, but valid vertices are 1 to 4; spring skipped\n");
  EXPECT_EQ(r.mesh().springCount, 0);
}

TEST(OBJ3DSoundBehaviourTest, ElementsAgainstAMeshWithoutVerticesSaySo) {
  const auto r = loadText("o a\nk 1 2\n");
  EXPECT_NE(r.err.find(":2: spring names vertex 1, but the object has no vertices; spring skipped\n"),
            std::string::npos);
}

TEST(OBJ3DSoundBehaviourTest, HugeIndicesSaturateAndAreDropped) {
  const auto r = loadText(kTriangle +
                          "f 99999999999999999999//1 2//1 3//1\nk 1 -99999999999999999999\n"
                          "k 4294967297 1\nf 4294967297//1 2//1 3//1\n");
  EXPECT_EQ(r.mesh().faceCount, 0);
  EXPECT_EQ(r.mesh().springCount, 0);
  EXPECT_NE(r.err.find("vertex 2147483647, but"), std::string::npos);
  EXPECT_NE(r.err.find("vertex -2147483648, but"), std::string::npos);
  EXPECT_EQ(r.reader->problemCount(), 4u);  // 2^32 + 1 is not taken as 1
}

TEST(OBJ3DSoundBehaviourTest, CoordinatesThatWouldBeInfiniteAreRejected) {
  const auto r = loadText(
      "o a\nv 1.0e999 0 0\nv 0 -1.0e151 0\nvn 0 0 1.0e999\nv 1.0e150 1.0e-400 -1.0e150\n"
      "vn 1.0e300 0 0\nv -1.0e150 0 0\nk 1 2\n");
  ASSERT_EQ(r.mesh().vertexCount, 2);
  EXPECT_EQ(r.mesh().vertices[0].x, 5 * 1e150);
  EXPECT_EQ(r.mesh().vertices[0].y, 0.0);  // underflow converts to zero, as strtod gives it
  EXPECT_GT(r.mesh().springs[0].restLength, 1e151);
  EXPECT_TRUE(std::isfinite(r.mesh().springs[0].restLength));
  ASSERT_EQ(r.mesh().normalCount, 1);
  EXPECT_EQ(r.mesh().normals[0].x, -1e300);
  const std::string file = ::testing::TempDir() + "model.obj";
  EXPECT_EQ(r.err, file + ":2: vertex coordinate out of range; line skipped\n" + file +
                       ":3: vertex coordinate out of range; line skipped\n" + file +
                       ":4: normal coordinate out of range; line skipped\n");
}

TEST(OBJ3DSoundBehaviourTest, KeywordsAreEscapedBeforeTheyArePrinted) {
  const auto r = loadText(std::string("o a\n\x1b[2Jv 1\nv\x01t 1\n\xff\xfe 1\nv\\x 1\n") + std::string("v\0w 1\n", 6));
  EXPECT_EQ(r.out,
            "keyword \\x1b[2Jv not found\nkeyword v\\x01t not found\nkeyword \\xff\\xfe not found\n"
            "keyword v\\\\x not found\nkeyword v\\x00w not found\n" +
                countLines(0, 0, 0, 0));
}

TEST(OBJ3DSoundBehaviourTest, ProblemsBeyondTheLimitAreCountedNotPrinted) {
  std::string text = "o a\nv 0 0 0\n";
  for (int i = 0; i < 60; ++i) text += "k 1 9\n";
  const auto r = loadText(text);
  std::size_t lines = 0;
  for (char c : r.err) lines += c == '\n';
  EXPECT_EQ(lines, OBJ3D::kMaxReportedProblems + 1);
  EXPECT_NE(r.err.find("model.obj: 10 more skipped lines not shown\n"), std::string::npos);
  EXPECT_EQ(r.reader->problemCount(), 60u);
}

// ---- Files that cannot be opened.

class OBJ3DOpenTest : public ::testing::Test {
 protected:
  // Opens `path` expecting failure; returns the message and checks nothing was left behind.
  std::string failingOpen(const std::string& path) {
    OBJ3D reader;
    std::string message;
    try {
      reader.open(path);
      ADD_FAILURE() << "open succeeded on " << path;
    } catch (const ModelFileError& e) {
      message = e.what();
    }
    EXPECT_EQ(reader.input, nullptr);
    for (const auto& slot : reader.objects) EXPECT_EQ(slot, nullptr);
    return message;
  }
};

TEST_F(OBJ3DOpenTest, MissingFileNamesFileAndReason) {
  const std::string path = ::testing::TempDir() + "no-such-model.obj";
  EXPECT_EQ(failingOpen(path), path + ": cannot open the model file: No such file or directory");
}

TEST_F(OBJ3DOpenTest, DirectoryIsRefused) {
  const std::string dir = ::testing::TempDir() + "a-directory.obj";
  std::filesystem::create_directories(dir);
  EXPECT_EQ(failingOpen(dir), dir + ": cannot open the model file: it is a directory");
}

TEST_F(OBJ3DOpenTest, PathThroughAFileIsRefused) {
  const std::string path = writeModelFile("o a\n") + "/inner.obj";
  EXPECT_EQ(failingOpen(path), path + ": cannot open the model file: Not a directory");
}

TEST_F(OBJ3DOpenTest, UnreadableFileIsRefused) {
  const std::string path = writeModelFile("o a\n", "unreadable.obj");
  std::filesystem::permissions(path, std::filesystem::perms::none);
  if (std::ifstream(path).is_open()) GTEST_SKIP() << "running with rights that read any file";
  EXPECT_EQ(failingOpen(path), path + ": cannot open the model file: Permission denied");
}

TEST_F(OBJ3DOpenTest, FailedOpenKeepsTheEarlierStream) {
  OBJ3D reader;
  reader.open(writeModelFile("o a\nv 1 2 3\n"));
  EXPECT_THROW(reader.open(::testing::TempDir() + "missing.obj"), ModelFileError);
  ::testing::internal::CaptureStdout();
  reader.load();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), countLines(1, 0, 0, 0));
}

}  // namespace
}  // namespace sv
