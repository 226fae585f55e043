// The snapshot tool as a user runs it: a PNG of the requested size and frame from the model in the
// working directory, the same picture for the same seed, and clear errors (with nothing written) for a
// missing model, an unwritable path and bad options.
#include "PngFile.h"
#include "support/WorkingDirectory.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

struct ToolRun {
  int exitCode;
  std::string output;  // standard output and error together
};

ToolRun snapshot(const std::string& arguments) {
  const std::string command = std::string(SV_SNAPSHOT) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, "popen failed"};
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class SnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::copy_file(SV_SHIPPED_MODEL, "sphere_k.obj"); }
  WorkingDirectory directory;
};

TEST_F(SnapshotTest, WritesAnOpaquePictureOfTheRequestedSizeShowingTheScene) {
  const ToolRun run = snapshot("--frames 3 --seed 5 --size 320x240 out.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const PngFile picture = PngFile::read("out.png");
  ASSERT_EQ(picture.width, 320);
  ASSERT_EQ(picture.height, 240);
  auto pixel = [&](int x, int y) {
    const auto at = picture.rgba.begin() + (static_cast<std::ptrdiff_t>(y) * 320 + x) * 4;
    return std::vector<int>(at, at + 4);
  };
  EXPECT_EQ(pixel(1, 1), (std::vector<int>{0, 0, 255, 255})) << "blue background, fully opaque";
  EXPECT_EQ(pixel(318, 238), (std::vector<int>{0, 0, 255, 255}));
  const auto middle = pixel(160, 120);
  EXPECT_TRUE(middle[1] > 100 && middle[0] < 40 && middle[2] < 40) << "the lit green sphere fills the middle";
}

TEST_F(SnapshotTest, SameSeedAndFrameGiveTheSamePictureAndLaterFramesDiffer) {
  ASSERT_EQ(snapshot("--frames 4 --seed 9 --size 128x128 a.png").exitCode, 0);
  ASSERT_EQ(snapshot("--seed 9 --size 128x128 --frames 4 b.png").exitCode, 0);
  ASSERT_EQ(snapshot("--frames 12 --seed 9 --size 128x128 c.png").exitCode, 0);
  EXPECT_EQ(PngFile::read("a.png").rgba, PngFile::read("b.png").rgba);
  EXPECT_NE(PngFile::read("a.png").rgba, PngFile::read("c.png").rgba);
}

TEST_F(SnapshotTest, MissingModelIsAClearErrorAndWritesNothing) {
  std::filesystem::remove("sphere_k.obj");
  const ToolRun run = snapshot("--size 64x64 out.png");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.output, "snapshot: ")) << run.output;
  EXPECT_TRUE(contains(run.output, "sphere_k.obj")) << run.output;
  EXPECT_FALSE(std::filesystem::exists("out.png"));
}

// A missing directory, or a directory where the file should go.
TEST_F(SnapshotTest, UnwritablePathIsAClearErrorBeforeAnyRendering) {
  std::filesystem::create_directory("taken.png");
  for (const std::string path : {"no-such-directory/out.png", "taken.png"}) {
    const ToolRun run = snapshot("--size 64x64 " + path);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.output, "cannot write \"" + path + "\"")) << run.output;
    EXPECT_FALSE(contains(run.output, "vtx")) << "the model is not even read";
  }
}

TEST_F(SnapshotTest, BadOptionsPrintUsageAndExitWithTwo) {
  for (const char* arguments :
       {"", "--frames", "--frames -1 out.png", "--frames 2x out.png", "--size 0x10 out.png", "--size 640 out.png",
        "--seed 99999999999 out.png", "--colour red out.png", "a.png b.png"}) {
    const ToolRun run = snapshot(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_TRUE(contains(run.output, "usage: snapshot [--frames N] [--seed S] [--size WxH] OUT.png")) << arguments;
  }
  EXPECT_FALSE(std::filesystem::exists("out.png"));
}

}  // namespace
}  // namespace sv::test
