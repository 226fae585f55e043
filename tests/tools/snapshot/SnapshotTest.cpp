// The snapshot tool as a user runs it: a PNG of the requested size and frame from the model in the
// working directory, the same for the same seed, and clear errors with nothing written.
#include "PngFile.h"
#include "support/WorkingDirectory.h"

#include <cstdio>
#include <cstdlib>
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
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) output += static_cast<char>(c);
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

struct SnapshotTest : ::testing::Test {
  WorkingDirectory directory;
  void SetUp() override { std::filesystem::copy_file(SV_SHIPPED_MODEL, "sphere_k.obj"); }
};

TEST_F(SnapshotTest, WritesTheRequestedPictureAndTheSameOneForTheSameSeed) {
  for (const char* arguments : {"--frames 3 --seed 5 --size 320x240 a.png", "--seed 5 --size 320x240 --frames 3 b.png",
                                "--frames 12 --seed 5 --size 320x240 c.png"})
    ASSERT_EQ(snapshot(arguments).first, 0) << arguments;
  const PngFile picture = PngFile::read("a.png");
  ASSERT_EQ(picture.width * 1000 + picture.height, 320240);
  const std::uint8_t *corner = &picture.rgba[(239 * 320 + 319) * 4], *middle = &picture.rgba[(120 * 320 + 160) * 4];
  EXPECT_EQ(std::vector<int>(corner, corner + 4), (std::vector<int>{0, 0, 255, 255})) << "blue background, opaque";
  EXPECT_TRUE(middle[1] > 100 && middle[0] < 40 && middle[2] < 40) << "the lit green sphere fills the middle";
  EXPECT_EQ(picture.rgba, PngFile::read("b.png").rgba);
  EXPECT_NE(picture.rgba, PngFile::read("c.png").rgba);
}

// Bad options: the usage and 2; an unwritable path or missing model: named, and 1, before any picture.
TEST_F(SnapshotTest, ErrorsAreClearAndWriteNothing) {
  auto expectError = [](const std::string& arguments, int exitCode, const std::string& says) {
    const auto [code, output] = snapshot(arguments);
    EXPECT_EQ(code, exitCode) << arguments;
    EXPECT_NE(output.find(says), std::string::npos) << arguments << ": " << output;
    EXPECT_EQ(output.find("vtx"), std::string::npos) << arguments << ": the model is not even read";
  };
  for (const char* bad :
       {"", "--frames", "--frames -1 out.png", "--frames 2x out.png", "--size 0x10 out.png", "--size 640 out.png",
        "--seed 99999999999 out.png", "--colour red out.png", "a.png b.png", "out.png --model"})
    expectError(bad, 2, "usage: snapshot [--frames N] [--seed S] [--size WxH] [--model FILE] OUT.png");
  std::filesystem::create_directory("taken.png");
  for (const std::string path : {"no-such-directory/out.png", "taken.png"})
    expectError(path, 1, "snapshot: cannot write \"" + path + "\"");
  std::filesystem::remove("sphere_k.obj");
  expectError("out.png", 1, "sphere_k.obj");
  expectError("--model elsewhere/m.obj out.png", 1, (std::filesystem::current_path() / "elsewhere/m.obj").string());
  EXPECT_FALSE(std::filesystem::exists("out.png"));
}

// SV_THREADS that is not a whole number from 1 to 256 is named, with the count used instead.
TEST_F(SnapshotTest, AThreadCountThatIsNotOneIsNamed) {
  for (const std::string value : {"0", "257", "2x", ""}) {
    setenv("SV_THREADS", value.c_str(), 1);
    const auto [code, output] = snapshot("--size 64x64 out.png");
    EXPECT_EQ(code, 0) << output;
    const std::string named = "SV_THREADS=\"" + value + "\" is not a whole number from 1 to 256: using ";
    EXPECT_NE(output.find(named), std::string::npos) << output;
  }
  unsetenv("SV_THREADS");
}

}  // namespace
}  // namespace sv::test
