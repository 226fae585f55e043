// springview-import as a user runs it: exported shapes come out as models that the viewer draws
// exactly as the same meshes cut into triangles by hand, and bad input leaves the output untouched.
#include "PngFile.h"
#include "support/WorkingDirectory.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

namespace sv::test {
namespace {

// The exit code, and standard output and error together.
std::pair<int, std::string> run(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  std::string output;
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) output += static_cast<char>(c);
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// Frame 3 of the scene with the model, as the viewer draws it.
PngFile picture(const std::string& model) {
  const auto [code, output] =
      run(std::string(SV_SNAPSHOT) + " --frames 3 --seed 7 --size 160x160 --model " + model + " " + model + ".png");
  EXPECT_EQ(code, 0) << output;
  EXPECT_EQ(output.find("springview-import"), std::string::npos) << "a hint to convert: " << output;
  return PngFile::read(model + ".png");
}

TEST(ImportTest, ExportedShapesAreDrawnAsTheSameMeshesCutByHand) {
  WorkingDirectory directory;
  for (const std::string name : {"cube", "tetrahedron", "two-objects"}) {
    const auto [code, output] = run(std::string(SV_IMPORT) + " " SV_SHAPES_DIR "/" + name + ".obj imported.obj");
    ASSERT_EQ(code, 0) << output;
    EXPECT_NE(output.find("imported.obj: "), std::string::npos) << output;
    const PngFile imported = picture("imported.obj");
    const PngFile byHand = picture(SV_SHAPES_DIR "/" + name + "-triangles.obj");
    int differing = 0, mesh = 0;
    for (std::size_t p = 0; p < imported.rgba.size(); p += 4) {
      differing += !std::equal(&imported.rgba[p], &imported.rgba[p] + 4, &byHand.rgba[p]);
      const int red = imported.rgba[p], green = imported.rgba[p + 1], blue = imported.rgba[p + 2];
      mesh += green > 30 && 2 * red < green && 2 * blue < green;
    }
    EXPECT_GT(mesh, 200) << name << ": the green mesh is in the picture";
    EXPECT_LE(differing, 16) << name;
  }
}

TEST(ImportTest, BadInputExitsWithOneAndLeavesTheOutputAsItWas) {
  WorkingDirectory directory;
  std::ofstream("out.obj") << "old";
  std::ofstream("binary.obj", std::ios::binary) << std::string("v 1 2 3\0", 8);
  const std::string program = SV_IMPORT;
  for (const char* bad : {"binary.obj out.obj", "missing.obj out.obj", "binary.obj no-such-directory/out.obj"}) {
    const auto [code, output] = run(program + " " + bad);
    EXPECT_EQ(code, 1) << bad;
    EXPECT_EQ(output.rfind("springview-import: ", 0), 0u) << output;
  }
  std::ostringstream old;
  old << std::ifstream("out.obj").rdbuf();
  EXPECT_EQ(old.str(), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2) << "nothing written beside it";
  for (const char* usage : {"", "a.obj", "-x a.obj b.obj", "a.obj b.obj c.obj"})
    EXPECT_EQ(run(program + " " + usage).first, 2) << usage;
  EXPECT_EQ(run(program + " --help").first, 0);
}

}  // namespace
}  // namespace sv::test
