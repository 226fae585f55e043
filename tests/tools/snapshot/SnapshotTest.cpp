// The snapshot tool as a user runs it: a PNG of the requested size and frame from the model in the
// working directory, the same picture for the same seed, and clear errors (with nothing written) for
// bad options, an unwritable path and a missing model.
#include "PngFile.h"
#include "support/WorkingDirectory.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

// The exit code, and standard output and error together.
std::pair<int, std::string> snapshot(const std::string& arguments) {
  FILE* pipe = popen((std::string(SV_SNAPSHOT) + " " + arguments + " 2>&1").c_str(), "r");
  std::string output;
  char buffer[256];
  while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

class SnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::copy_file(SV_SHIPPED_MODEL, "sphere_k.obj"); }
  WorkingDirectory directory;
};

TEST_F(SnapshotTest, WritesTheRequestedPictureAndTheSameOneForTheSameSeed) {
  for (const char* arguments : {"--frames 3 --seed 5 --size 320x240 a.png", "--seed 5 --size 320x240 --frames 3 b.png",
                                "--frames 12 --seed 5 --size 320x240 c.png"})
    ASSERT_EQ(snapshot(arguments).first, 0) << arguments;
  const PngFile picture = PngFile::read("a.png");
  ASSERT_EQ(picture.width * 1000 + picture.height, 320240);
  auto pixel = [&](int x, int y) {
    return std::vector<int>(&picture.rgba[(y * 320 + x) * 4], &picture.rgba[(y * 320 + x) * 4 + 4]);
  };
  EXPECT_EQ(pixel(318, 238), (std::vector<int>{0, 0, 255, 255})) << "blue background, fully opaque";
  EXPECT_TRUE(pixel(160, 120)[1] > 100 && pixel(160, 120)[0] < 40) << "the lit green sphere fills the middle";
  EXPECT_EQ(picture.rgba, PngFile::read("b.png").rgba);
  EXPECT_NE(picture.rgba, PngFile::read("c.png").rgba);
}

// Bad options print the usage and exit with 2; an unwritable path (a missing directory, or a directory
// where the file should go) or a missing model is named and exits with 1, before any picture is made.
TEST_F(SnapshotTest, ErrorsAreClearAndWriteNothing) {
  const std::string usage = "usage: snapshot [--frames N] [--seed S] [--size WxH] OUT.png";
  std::filesystem::create_directory("taken.png");
  const struct {
    const char* arguments;
    int exitCode;
    std::string says;
  } cases[] = {{"", 2, usage},
               {"--frames", 2, usage},
               {"--frames -1 out.png", 2, usage},
               {"--frames 2x out.png", 2, usage},
               {"--size 0x10 out.png", 2, usage},
               {"--size 640 out.png", 2, usage},
               {"--seed 99999999999 out.png", 2, usage},
               {"--colour red out.png", 2, usage},
               {"a.png b.png", 2, usage},
               {"no-such-directory/out.png", 1, "snapshot: cannot write \"no-such-directory/out.png\""},
               {"taken.png", 1, "snapshot: cannot write \"taken.png\""},
               {"out.png", 1, "sphere_k.obj"}};
  for (const auto& c : cases) {
    if (c.arguments == std::string("out.png")) std::filesystem::remove("sphere_k.obj");  // the last case
    const auto [exitCode, output] = snapshot(c.arguments);
    EXPECT_EQ(exitCode, c.exitCode) << c.arguments;
    EXPECT_NE(output.find(c.says), std::string::npos) << c.arguments << ": " << output;
    EXPECT_EQ(output.find("vtx"), std::string::npos) << c.arguments << ": the model is not even read";
  }
  EXPECT_FALSE(std::filesystem::exists("out.png"));
}

}  // namespace
}  // namespace sv::test
