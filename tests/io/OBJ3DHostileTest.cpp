// Files that fight back: lines of megabytes, binary noise, NUL bytes, and a process locale that
// writes numbers with a decimal comma. None may crash the reader or leave an invalid index behind.
#include "ReaderHarness.h"
#include "io/ModelLine.h"
#include "io/OBJ3D.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace sv {
namespace {

using testing::countLines;
using testing::expectSoundMesh;
using testing::loadText;

const std::string kMegabytes(4 << 20, ' ');

std::string filled(char c) { return std::string(kMegabytes.size(), c); }

TEST(OBJ3DLongLineTest, LongBlankRunsAndLongTailsReadExactly) {
  const auto r = loadText("o " + filled('n') + "\nv" + kMegabytes + "1" + kMegabytes + "2\t3\nv 4 5 6" + " " +
                          std::string(1 << 20, '7') + "\nk 1 2" + kMegabytes + filled('9') + "\n#" + filled('#') +
                          "\n" + kMegabytes + filled('v') + "\n");
  ASSERT_EQ(r.mesh().vertexCount, 2);
  EXPECT_EQ(r.mesh().vertices[0].z, 15.0);
  EXPECT_EQ(r.mesh().vertices[1].z, 30.0);  // a fifth token is ignored, however long
  EXPECT_EQ(r.mesh().springCount, 1);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, countLines(2, 0, 0, 1));
}

TEST(OBJ3DLongLineTest, OverlongValuesAndKeywordsAreRefusedWithFileAndLine) {
  const auto r =
      loadText("o a\nv 1 2 " + filled('3') + "\n" + filled('x') + " 1\nf 1//1 2//1 " + filled('3') + "//1\nv 1 2 3\n");
  ASSERT_EQ(r.mesh().vertexCount, 1);
  const std::string file = ::testing::TempDir() + "model.obj";
  const std::string limit = std::to_string(ModelLine::kMaxTokenLength);
  EXPECT_EQ(r.err, file + ":2: 'v' line with a value longer than " + limit + " characters; line skipped\n" + file +
                       ":3: keyword longer than " + limit + " characters; line skipped\n" + file +
                       ":4: 'f' line with a value longer than " + limit + " characters; line skipped\n");
  EXPECT_EQ(r.out, countLines(1, 0, 0, 0));
}

TEST(OBJ3DLongLineTest, FileOfOneHugeLineWithoutTerminator) {
  const auto r = loadText("v 1 2 " + filled('-'));
  EXPECT_EQ(r.mesh().vertexCount, 0);
  EXPECT_NE(r.err.find(":1: 'v' line with a value longer than"), std::string::npos);
  expectSoundMesh(*r.reader);
}

TEST(OBJ3DHostileBytesTest, NulBytesInsideLines) {
  const auto r = loadText(std::string("o a\nv 1 2 3\0junk\n\0\0\nvn 0 0 1\0\nk 1\0 1\n", 36));
  ASSERT_EQ(r.mesh().vertexCount, 1);
  EXPECT_EQ(r.mesh().vertices[0].z, 15.0);
  EXPECT_EQ(r.mesh().normalCount, 1);
  EXPECT_EQ(r.mesh().springCount, 0);  // "1\0" is not followed by a blank
  EXPECT_EQ(r.out, "keyword \\x00\\x00 not found\n" + countLines(1, 1, 0, 0));
}

// Deterministic noise: lines of random bytes (terminators included), mixed with well-formed lines
// that use random indices, so that valid and invalid references both occur.
TEST(OBJ3DHostileBytesTest, BinaryNoiseLeavesASoundMesh) {
  std::uint64_t state = 0x9e3779b97f4a7c15u;
  auto next = [&] {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return state;
  };
  std::string text = "o noise\n";
  for (int i = 0; i < 20000; ++i) {
    switch (next() % 6) {
      case 0:
        for (int b = next() % 80; b > 0; --b) text.push_back(static_cast<char>(next()));
        text.push_back('\n');
        break;
      case 1:
        text += "v " + std::to_string(next() % 100) + ".5 -" + std::to_string(next() % 9) + " 1.0e" +
                std::to_string(static_cast<int>(next() % 700) - 350) + "\n";
        break;
      case 2:
        text += "vn 0 1 0\r\n";
        break;
      case 3:
        text += "f " + std::to_string(next() % 50) + "//" + std::to_string(next() % 30) + " 1//1 2/" +
                std::to_string(next() % 9) + "/1\r";
        break;
      default:
        text += "k " + std::to_string(static_cast<std::int64_t>(next() % 4000) - 20) + " " +
                std::to_string(next() % 3000) + "\n";
    }
  }
  const auto r = loadText(text);
  expectSoundMesh(*r.reader);
  EXPECT_GT(r.mesh().vertexCount, 1000);
  EXPECT_GT(r.mesh().faceCount, 0);
  EXPECT_GT(r.mesh().springCount, 0);
  EXPECT_GT(r.reader->problemCount(), 0u);
}

// Numbers are read as in the "C" locale whatever the process uses. A comma-decimal locale is
// compiled for the test; where the system cannot compile one, the test is skipped.
class OBJ3DLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string dir = ::testing::TempDir() + "locales";
    const std::string command =
        "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef could not make de_DE.UTF-8";
    setenv("LOCPATH", dir.c_str(), 1);
    // The C library keeps a copy of the LOCPATH list it parsed for good; that is not ours to free.
#if defined(__SANITIZE_ADDRESS__)
    const __lsan::ScopedDisabler keptByTheCLibrary;
#endif
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 cannot be selected";
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
  }
};

TEST_F(OBJ3DLocaleTest, DecimalCommaLocaleChangesNothing) {
  ASSERT_EQ(std::strtod("0.5", nullptr), 0.0) << "the locale in force does not use a decimal comma";
  const auto r = loadText("o a\nv 0.5 -1.25e+2 3.75\nvn 0.125 1 -0.5\nk 1 1\n");
  ASSERT_EQ(r.mesh().vertexCount, 1);
  EXPECT_TRUE(r.mesh().vertices[0].equals({2.5, -625.0, 18.75, 0}));
  EXPECT_EQ(r.mesh().normals[0].x, -0.125);
  EXPECT_EQ(r.mesh().springCount, 1);
}

}  // namespace
}  // namespace sv
