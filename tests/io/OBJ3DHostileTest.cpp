// Files that fight back: lines of megabytes, many megabytes of long lines, NUL bytes, and a process
// locale that writes numbers with a decimal comma. None may crash the reader, take more than time
// in proportion to the file, or leave an invalid index behind.
#include "ReaderHarness.h"

#include <clocale>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace sv {
namespace {

using testing::describe;
using testing::loadText;

std::string mb(std::size_t megabytes, char c) { return std::string(megabytes << 20, c); }

TEST(OBJ3DHostileTest, LinesOfMegabytesReadExactly) {
  const auto r = loadText("o " + mb(4, 'n') + "\nv" + mb(4, ' ') + "1" + mb(4, '\t') + "2 3\nv 4 5 6 " + mb(1, '7') +
                          "\nk 1 2" + mb(4, ' ') + mb(4, '9') + "\n#" + mb(4, '#') + "\n" + mb(4, ' ') + "v\n" +
                          "v 1 2 " + mb(4, '1') + "\n" + mb(4, 'x') + " 1\nv 1 2 3." + mb(4, '5') + "e-1\n");
  EXPECT_EQ(describe(r->mesh()), "v5,10,15 v20,25,30 v5,10,1.77778 k0,1 ");
  EXPECT_EQ(r->err, r->path + ":7: vertex coordinate out of range; line skipped\n");
  EXPECT_EQ(r->out.substr(0, r->out.find("vtx")),
            "keyword " + std::string(64, 'x') + "[... 4194240 more bytes] not found\n");
}

// 48 MB in lines of 1 to 4 MB of every kind; the test's time limit catches a load that is not linear.
TEST(OBJ3DHostileTest, ManyMegabytesOfLongLinesLoad) {
  std::string text = "o a\nv 1 2 3\nvn 0 0 1\n";
  for (std::size_t i = 0; text.size() < (48u << 20); ++i) {
    const std::string run = mb(1 + i % 4, "9 -#x/"[i % 6]);
    text +=
        "v 1 " + run + " 2\nf 1/" + run + "/1 1//1 1//1\nk 1 " + run + "\n" + run + "\n#" + run + "\nvn" + run + "\n";
  }
  const auto r = loadText(text);
  EXPECT_TRUE(testing::isSoundMesh(*r->reader));
  EXPECT_EQ(r->mesh().vertexCount, 1);
  EXPECT_GT(r->reader->problemCount(), 0u);
}

TEST(OBJ3DHostileTest, NulBytesStayInsideTheirLine) {
  const auto r = loadText(std::string("o a\nv 1 2 3\0junk\n\0\0\nvn 0 0 1\0\nk 1\0 1\nv\0 1 2 3\n", 46));
  EXPECT_EQ(describe(r->mesh()), "v5,10,15 n-0,-0,-1 ");
  EXPECT_EQ(r->out.substr(0, r->out.find("vtx")), "keyword \\x00\\x00 not found\nkeyword v\\x00 not found\n");
}

// Numbers are read as in the "C" locale whatever the process uses. A comma-decimal locale is
// compiled into a fresh directory; where the system cannot compile one, the test is skipped.
TEST(OBJ3DHostileTest, DecimalCommaLocaleChangesNothing) {
  const testing::ScratchDir dir;
  const std::string command = "localedef -i de_DE -f UTF-8 '" + dir.path + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef could not make de_DE.UTF-8";
  setenv("LOCPATH", dir.path.c_str(), 1);
  {
    // The C library keeps a copy of the LOCPATH list it parsed for good; that is not ours to free.
#if defined(__SANITIZE_ADDRESS__)
    const __lsan::ScopedDisabler keptByTheCLibrary;
#endif
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 cannot be selected";
  }
  ASSERT_EQ(std::strtod("0.5", nullptr), 0.0) << "the locale in force does not use a decimal comma";
  const auto r = loadText("o a\nv 0.5 -1.25e+2 3.75\nvn 0.125 1 -0.5\nk 1 1\n");
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
  EXPECT_EQ(describe(r->mesh()), "v2.5,-625,18.75 n-0.125,-1,0.5 k0,0 ");
}

}  // namespace
}  // namespace sv
