// Files that fight back: megabyte lines, many megabytes, NUL bytes, a pipe, a decimal-comma locale. None may
// crash the reader, take time out of proportion, shift a bit of a number or leave an invalid index behind.
#include "ReaderHarness.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <gtest/gtest.h>

namespace sv::test {
namespace {

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

// Wherever a read block ends (in a line, between CR and LF, after them), each line arrives whole and numbered.
TEST(OBJ3DHostileTest, LinesCutByTheReadBlockArriveWholeWithTheirNumbers) {
  for (std::size_t before = 0; before < 20; ++before) {  // bytes of the v lines in the first block
    const std::string start = "o a\r\n#" + std::string(OBJ3D::kReadBlock - before - 8, 'c') + "\r\n";
    const auto r = loadText(start + "v 1 2 3\r\nv 4 5 6\r\nv\r\nv 7 8 9");
    EXPECT_EQ(describe(r->mesh()), "v5,10,15 v20,25,30 v35,40,45 ") << before;
    EXPECT_EQ(r->err, r->path + ":5: 'v' line does not read as three numbers; line skipped\n") << before;
  }
}

// 48 MB of lines of every kind, a quarter of the limit to all of it, after 60 bad springs, load in linear time.
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
  // The first 50 problems, the count of the rest, and the summaries of skipped faces and unknown keywords.
  EXPECT_EQ(std::count(r->err.begin(), r->err.end(), '\n'), OBJ3D::kMaxReportedProblems + 3);
  EXPECT_NE(r->err.find(r->path + ":4: spring names vertex 9, "), std::string::npos);
  EXPECT_NE(r->err.find(": " + std::to_string(r->reader.problemCount() - 50) + " more skipped lines not shown\n"),
            std::string::npos);
  EXPECT_TRUE(r->reader.close() == 0 && r->reader.input == nullptr) << "a second close, after loadText's";
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

// Numbers read as in the "C" locale whatever the process's; skipped where no decimal-comma locale can be had.
TEST(OBJ3DHostileTest, DecimalCommaLocaleChangesNothing) {
  const test::ScratchDir dir;
#ifdef _WIN32
  const bool comma = std::setlocale(LC_ALL, "de-DE") || std::setlocale(LC_ALL, "German_Germany.1252");
#else
  const std::string make = "localedef -i de_DE -f UTF-8 '" + dir.path + "/de_DE.UTF-8' >/dev/null 2>&1";
  const bool comma = std::system(make.c_str()) == 0 && [&] {
    setenv("LOCPATH", dir.path.c_str(), 1);
#if defined(__SANITIZE_ADDRESS__)
    const __lsan::ScopedDisabler keptByTheCLibrary;  // the C library keeps the LOCPATH list it parsed for good
#endif
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }();
#endif
  const double half = std::strtod("0.5", nullptr);
  const auto r = comma ? loadText("o a\nv 0.5 -1.25e+2 3.75\nvn 0.125 1 -0.5\nk 1 1\n") : nullptr;
  std::setlocale(LC_ALL, "C");
#ifndef _WIN32
  unsetenv("LOCPATH");
#endif
  if (!comma) GTEST_SKIP() << "no decimal-comma locale can be made and selected";
  EXPECT_EQ(half, 0.0) << "the locale in force does not use a decimal comma";
  EXPECT_EQ(describe(r->mesh()), "v2.5,-625,18.75 n-0.125,-1,0.5 k0,0 ");
}

}  // namespace
}  // namespace sv::test
