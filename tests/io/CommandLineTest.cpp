// The viewer's command line: what each kind of argument list asks for, and the model always named by
// its absolute path; the tools' --model option.
#include "io/CommandLine.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(CommandLineTest, EachArgumentListAsksForOneThing) {
  using Action = CommandLine::Action;
  const std::filesystem::path here = std::filesystem::current_path();
  auto in = [&](const char* name) { return (here / name).string(); };
  const struct {
    std::vector<std::string> arguments;
    Action action;
    std::string modelOrError;
  } cases[] = {
      {{}, Action::run, in("sphere_k.obj")},
      {{"my model.obj"}, Action::run, in("my model.obj")},
      {{in("m.obj")}, Action::run, in("m.obj")},
      {{"--", "-odd.obj"}, Action::run, in("-odd.obj")},
      {{"m.obj", "--help"}, Action::help, ""},
      {{"--version", "-x"}, Action::version, ""},
      {{"-x"}, Action::usageError, "unknown option -x"},
      {{"a.obj", "b.obj"}, Action::usageError, "more than one model given: b.obj"},
      {{""}, Action::usageError, "an empty model path"},
  };
  for (const auto& c : cases) {
    const CommandLine line = CommandLine::parse(c.arguments);
    EXPECT_EQ(line.action, c.action) << c.modelOrError;
    EXPECT_EQ(c.action == Action::run ? line.modelPath : line.error, c.modelOrError);
  }
}

TEST(CommandLineTest, ToolsTakeTheModelOptionOutOfTheirArguments) {
  std::vector<std::string> arguments{"--frames", "3", "--model", "/m.obj", "out.png"};
  std::string model, error;
  ASSERT_TRUE(CommandLine::takeModelOption(arguments, model, error));
  EXPECT_EQ(model, "/m.obj");
  EXPECT_EQ(arguments, (std::vector<std::string>{"--frames", "3", "out.png"}));
  for (std::vector<std::string> bad : {std::vector<std::string>{"--model"}, {"--model", "a", "--model", "b"}})
    EXPECT_FALSE(CommandLine::takeModelOption(bad, model, error)) << bad.size();
}

}  // namespace
}  // namespace sv
