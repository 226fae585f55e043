// Files that fight back: lines of megabytes, many megabytes of long lines, NUL bytes, a pipe, a
// decimal-comma locale. None may crash the reader, take time out of proportion to the file, shift a bit
// of a number, or leave an invalid index behind.
#include "ReaderHarness.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>

namespace sv {
namespace {

using test::describe;
using test::loadText;

std::string third(char c) { return std::string(OBJ3D::kMaxLineLength / 3, c); }

// Lines of two runs of a third of the limit, blank runs and tails, and NUL bytes, kept inside a line.
TEST(OBJ3DHostileTest, LinesUpToTheLimitAndNulBytesReadExactly) {
  const auto r = loadText("o " + third('n') + "\nv" + third(' ') + "1" + third('\t') + "2 3\nv 4 5 6 " + third('7') +
                          "\nk 1 2" + third(' ') + third('9') + "\n#" + third('#') + "\n" + third(' ') + "v\n" +
                          "v 1 2 " + third('1') + "\n" + third('x') + " 1\nv 1 2 3." + third('5') + "e-1\n" +
                          std::string("v 1 2 3\0junk\n\0\0\nvn 0 0 1\0\nk 1\0 1\nv\0 1 2 3\n", 42));
  EXPECT_EQ(describe(r->mesh()), "v5,10,15 v20,25,30 v5,10,1.77778 v5,10,15 n-0,-0,-1 k0,1 ");
  EXPECT_EQ(r->err, r->path + ":7: vertex coordinate out of range; line skipped\n" + r->path +
                        ": 3 lines of unknown keywords skipped; convert the file with springview-import\n");
  EXPECT_EQ(r->out.substr(0, r->out.find("vtx")),
            "keyword " + std::string(64, 'x') + "[... " + std::to_string(third('x').size() - 64) +
                " more bytes] not found\n" + "keyword \\x00\\x00 not found\nkeyword v\\x00 not found\n");
}

// The file is read in blocks: wherever a block ends (inside a line, between the CR and the LF of a
// line end, just after one), every line arrives whole and keeps its number.
TEST(OBJ3DHostileTest, LinesCutByTheReadBlockArriveWholeWithTheirNumbers) {
  for (std::size_t before = 0; before < 20; ++before) {  // bytes of the v lines in the first block
    const std::string start = "o a\r\n#" + std::string(OBJ3D::kReadBlock - before - 8, 'c') + "\r\n";
    const auto r = loadText(start + "v 1 2 3\r\nv 4 5 6\r\nv\r\nv 7 8 9");
    EXPECT_EQ(describe(r->mesh()), "v5,10,15 v20,25,30 v35,40,45 ") << before;
    EXPECT_EQ(r->err, r->path + ":5: 'v' line does not read as three numbers; line skipped\n") << before;
  }
}

// 48 MB in lines of a quarter of the limit to all of it, of every kind, after 60 bad springs; the
// test's time limit catches a load that is not linear. Only the first 50 problems are printed.
TEST(OBJ3DHostileTest, ManyMegabytesOfLongLinesLoad) {
  std::string text = "o a\nv 1 2 3\nvn 0 0 1\n";
  for (int i = 0; i < 60; ++i) text += "k 1 9\n";
  for (std::size_t i = 0; text.size() < (48u << 20); ++i) {
    const std::string run((1 + i % 4) * (OBJ3D::kMaxLineLength / 4) - 16, "9 -#x/"[i % 6]);
    text +=
        "v 1 " + run + " 2\nf 1/" + run + "/1 1//1 1//1\nk 1 " + run + "\n" + run + "\n#" + run + "\nvn" + run + "\n";
  }
  const auto r = loadText(text);
  EXPECT_TRUE(test::isSoundMesh(r->reader));
  EXPECT_EQ(r->mesh().vertexCount, 1);
  // The problems shown, the count of the rest, and the summaries of skipped faces and unknown keywords.
  EXPECT_EQ(std::count(r->err.begin(), r->err.end(), '\n'), OBJ3D::kMaxReportedProblems + 3);
  EXPECT_NE(r->err.find(r->path + ":4: spring names vertex 9, "), std::string::npos);
  EXPECT_NE(r->err.find(": " + std::to_string(r->reader.problemCount() - 50) + " more skipped lines not shown\n"),
            std::string::npos);
  EXPECT_EQ(r->reader.close(), 0);  // a second close, as the first in loadText
  EXPECT_EQ(r->reader.input, nullptr);
}

#ifndef _WIN32
// A pipe is read as a stream to its end, in more than one read; opening it waits for its writer.
TEST(OBJ3DHostileTest, PipeIsReadToItsEnd) {
  const test::ScratchDir dir;
  const std::string path = dir.path + "/sphere_k.obj";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  std::thread writer(
      [&] { std::ofstream(path, std::ios::binary) << "o a" << std::string(3 << 20, '\n') << "v 4 5 6\r\nk 1 1"; });
  OBJ3D reader;
  ::testing::internal::CaptureStdout();
  reader.open(path);  // were it to throw, the joinable writer would end the test program rather than hang it
  reader.load();
  reader.close();  // before the join: a writer left with more to write ends on a broken pipe, not a hang
  writer.join();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "vtx   =1\nnml   =0\nface  =0\nspring=1\n");
  EXPECT_EQ(describe(*reader.objects[0]), "v20,25,30 k0,0 ");
}
#endif

// Numbers are read as in the "C" locale whatever the process uses; where the system has no
// decimal-comma locale, the test is skipped.
TEST(OBJ3DHostileTest, DecimalCommaLocaleChangesNothing) {
  const test::ScratchDir dir;
  if (const std::string why = test::useDecimalCommaLocale(dir); !why.empty()) GTEST_SKIP() << why;
  ASSERT_EQ(std::strtod("0.5", nullptr), 0.0) << "the locale in force does not use a decimal comma";
  const auto r = loadText("o a\nv 0.5 -1.25e+2 3.75\nvn 0.125 1 -0.5\nk 1 1\n");
  test::useClassicLocale();
  EXPECT_EQ(describe(r->mesh()), "v2.5,-625,18.75 n-0.125,-1,0.5 k0,0 ");
}

}  // namespace
}  // namespace sv
