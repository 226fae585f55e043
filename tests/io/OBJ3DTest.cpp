// The model reader: the line rules of the format, the reader's calling sequence, and the sound
// behaviour for files that break the rules (bad indices, unopenable files, odd line endings).
#include "ReaderHarness.h"
#include "io/ModelFileError.h"
#include "io/OBJ3D.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

using testing::countLines;
using testing::expectSoundMesh;
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

// One line after "o a": the vertex it stores (times 5), if any, and what it prints before the count
// lines. Nothing goes to standard error.
void expectLine(const std::string& line, std::optional<std::array<double, 3>> vertex, const std::string& said = "") {
  SCOPED_TRACE("line \"" + line + "\"");
  const auto r = loadText("o a\n" + line + "\n");
  const int stored = vertex ? 1 : 0;
  ASSERT_EQ(r.mesh().vertexCount, stored);
  if (vertex) expectVertex(r.mesh(), 0, (*vertex)[0], (*vertex)[1], (*vertex)[2]);
  EXPECT_EQ(r.out, said + countLines(stored, 0, 0, 0));
  EXPECT_EQ(r.err, "");
}

TEST(OBJ3DFormatTest, VertexLinesStoreTheLongestFormOfEachNumberTimesFive) {
  using V = std::array<double, 3>;
  const std::pair<std::string, V> rows[] = {{"v 0.5 -1.25e+2 3", {2.5, -625, 15}}, {"v 1 2 3.5", {5, 10, 17.5}},
                                            {"v 1 2 1.5e1", {5, 10, 75}},          {"v 1 2 3.5e", {5, 10, 17.5}},
                                            {"v 1 2 3abc", {5, 10, 15}},           {"v 1 2 3 4", {5, 10, 15}},
                                            {"v --1 -2 ---3.5", {0, -10, 0}},      {"v\t1 \v\f 2\t\t3", {5, 10, 15}}};
  for (const auto& [line, vertex] : rows) expectLine(line, vertex);
}

TEST(OBJ3DFormatTest, RejectedCommentBlankLedAndKnownKeywordLinesAreSilent) {
  for (const char* line : {"v +1 2 3", "v .5 1 2", "v 1e5 2 3", "v 1 2", "v 1. 2 3", "#", "# text", "#v 1 2 3", "",
                           " v 1 2 3", "\tv 1 2 3", "g group1", "g", "usemtl red", "mtllib x.mtl"}) {
    expectLine(line, std::nullopt);
  }
}

TEST(OBJ3DFormatTest, UnknownKeywordsAreNamedWithTheFileTextEscaped) {
  const std::pair<std::string, std::string> rows[] = {{"vt 0.5 0.5", "vt"},    {"s 1", "s"},
                                                      {"l 1 2", "l"},          {"V 1 2 3", "V"},
                                                      {"v1 1 2 3", "v1"},      {"\x1b[2Jv 1", "\\x1b[2Jv"},
                                                      {"v\x01t 1", "v\\x01t"}, {"\xff\xfe 1", "\\xff\\xfe"},
                                                      {"v\\x 1", "v\\\\x"},    {std::string("v\0w 1", 5), "v\\x00w"}};
  for (const auto& [line, shown] : rows) expectLine(line, std::nullopt, "keyword " + shown + " not found\n");
}

TEST(OBJ3DFormatTest, NormalsAreNegatedAsStored) {
  const auto r = loadText("o a\nvn 0 1 0\n");
  ASSERT_EQ(r.mesh().normalCount, 1);
  EXPECT_TRUE(std::signbit(r.mesh().normals[0].x));
  EXPECT_EQ(r.mesh().normals[0].y, -1.0);
}

// The corners as handed to addFace: vertex, texture and normal indices regrouped per kind.
TEST(OBJ3DFormatTest, FaceCornersAsRows) {
  using Corners = std::array<int, 9>;  // vertices, textures, normals
  const std::pair<std::string, std::optional<Corners>> rows[] = {
      {"f 1//1 2//2 3//3", Corners{1, 2, 3, 0, 0, 0, 1, 2, 3}},
      {"f 1/7/3 2/8/2 3/9/1 4/4/4", Corners{1, 2, 3, 7, 8, 9, 3, 2, 1}},  // a fourth corner is ignored
      {"f 1 2 3", {}},
      {"f 1/2 3/4 5/6", {}},
      {"f -1//1 2//1 3//1", {}}};
  for (const auto& [line, corners] : rows) {
    SCOPED_TRACE(line);
    const auto r = loadText<SpyReader>(kTriangle + "v 1 1 1\n" + line + "\n");
    auto& spy = static_cast<SpyReader&>(*r.reader).spy();
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(spy.faceCalls.size(), corners ? 1u : 0u);
    if (!corners) continue;
    const auto& [v, t, n] = spy.faceCalls[0];
    EXPECT_EQ((Corners{v.a, v.b, v.c, t.a, t.b, t.c, n.a, n.b, n.c}), *corners);
    EXPECT_EQ(spy.faces[0].c, v.c - 1) << "stored zero-based";
    EXPECT_EQ(spy.faceNormalIndices[0].a, n.a - 1);
  }
}

TEST(OBJ3DFormatTest, SpringNamesVerticesOfTheCurrentMeshOneBased) {
  std::string text = "o a\n";
  for (int i = 0; i < 17; ++i) text += "v " + std::to_string(i) + " 0 0\n";
  const auto r = loadText(text + "k 3 17\nk 2.7 1\nk 1\t 1\n");
  ASSERT_EQ(r.mesh().springCount, 3);
  EXPECT_EQ(r.mesh().springs[0].first, 2);
  EXPECT_EQ(r.mesh().springs[0].second, 16);
  EXPECT_EQ(r.mesh().springs[0].restLength, 70.0);
  EXPECT_EQ(r.mesh().springs[1].first, 1);  // 2.7 converts as atoi does: 2
}

// ---- The reader's calling sequence.

// Element lines before any object line go to a mesh made on demand; a file without elements, or no
// file at all, builds an empty mesh.
TEST(OBJ3DSequenceTest, EveryFileGivesOneSoundMesh) {
  const std::pair<std::string, std::string> rows[] = {
      {"o ball\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\nk 1 2\n\n", countLines(3, 1, 1, 1)},
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n", countLines(3, 1, 1, 0)},
      {"", countLines(0, 0, 0, 0)},
      {"\n", countLines(0, 0, 0, 0)},
      {"# nothing\n", countLines(0, 0, 0, 0)},
      {"o empty\n", countLines(0, 0, 0, 0)}};
  for (const auto& [text, counts] : rows) {
    SCOPED_TRACE(text);
    const auto r = loadText(text);
    EXPECT_EQ(r.out, counts);
    expectSoundMesh(*r.reader);
  }
  OBJ3D unopened;
  ::testing::internal::CaptureStdout();
  unopened.load();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), countLines(0, 0, 0, 0));
  expectSoundMesh(unopened);
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

// ---- Files that break the rules.

// Each terminator, and none after the last line.
TEST(OBJ3DSoundBehaviourTest, EveryLineEndingReadsTheSame) {
  const std::string lf = "o a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\nk 1 3";
  for (const std::string ending : {"\n", "\r\n", "\r"}) {
    std::string text = lf;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + ending.size())) {
      text.replace(at, 1, ending);
    }
    const auto r = loadText(text);
    EXPECT_EQ(r.out, countLines(3, 1, 1, 1)) << "ending of " << ending.size() << " characters";
    EXPECT_EQ(r.mesh().springs[0].second, 2);
  }
}

// Indices are checked against the final counts, since any line may refer to one that comes later;
// each bad element is dropped with one message naming the file and line.
TEST(OBJ3DSoundBehaviourTest, BadIndicesAreDroppedWithFileAndLine) {
  const struct {
    std::string text, counts;
    std::vector<std::string> said;
  } rows[] = {{kTriangle + "f 0//1 2//1 3//1\nf 1//1 2//1 4//1\nf 1/1/ 2/2/ 3/3/\nf 1//1 2//4 3//1\nf 1//3 2//2 3//1\n",
               countLines(3, 3, 1, 0),
               {"8: face corner 1 names vertex 0, but valid vertices are 1 to 3; face skipped",
                "9: face corner 3 names vertex 4, but valid vertices are 1 to 3; face skipped",
                "10: face corner 1 names normal 0, but valid normals are 1 to 3; face skipped",
                "11: face corner 2 names normal 4, but valid normals are 1 to 3; face skipped"}},
              {"o a\nv 0 0 0\nk 1 5\nv 0 0 0\nv 0 0 0\nv 0 0 0\nk 0 1\nk -2 1\n",
               countLines(4, 0, 0, 0),
               {"3: spring names vertex 5, but valid vertices are 1 to 4; spring skipped",
                "7: spring names vertex 0, but valid vertices are 1 to 4; spring skipped",
                "8: spring names vertex -2, but valid vertices are 1 to 4; spring skipped"}},
              {"o a\nk 1 2\n",
               countLines(0, 0, 0, 0),
               {"2: spring names vertex 1, but the object has no vertices; spring skipped"}},
              {"o a\nk 1 3\nf 1//1 2//1 3//1\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nk 3 4\nv 2 2 2\n",
               countLines(4, 1, 1, 2),
               {}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    const auto r = loadText(row.text);
    std::string said;
    for (const std::string& line : row.said) said += ::testing::TempDir() + "model.obj:" + line + "\n";
    EXPECT_EQ(r.out, row.counts);
    EXPECT_EQ(r.err, said);
    EXPECT_EQ(r.reader->problemCount(), row.said.size());
    expectSoundMesh(*r.reader);
  }
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

TEST_F(OBJ3DOpenTest, EachUnopenablePathNamesFileAndReason) {
  const std::string dir = ::testing::TempDir() + "a-directory.obj";
  std::filesystem::create_directories(dir);
  const std::string unreadable = writeModelFile("o a\n", "unreadable.obj");
  std::filesystem::permissions(unreadable, std::filesystem::perms::none);
  // A link to itself cannot be read even with the rights to read any file.
  const std::string loop = ::testing::TempDir() + "loop.obj";
  std::filesystem::remove(loop);
  std::filesystem::create_symlink(loop, loop);
  std::vector<std::pair<std::string, std::string>> rows = {
      {::testing::TempDir() + "no-such-model.obj", "No such file or directory"},
      {dir, "it is a directory"},
      {writeModelFile("o a\n") + "/inner.obj", "Not a directory"},
      {loop, "Too many levels of symbolic links"},
  };
  // Some runs have the rights to read any file.
  if (!std::ifstream(unreadable).is_open()) rows.emplace_back(unreadable, "Permission denied");
  for (const auto& [path, reason] : rows) {
    EXPECT_EQ(failingOpen(path), path + ": cannot open the model file: " + reason);
  }
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
