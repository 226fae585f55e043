// The viewer's command line: what each kind of argument list asks for, the model always named by its
// absolute path, a seed only when given in full. The tools' --model option is tried through snapshot.
#include "io/CommandLine.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(CommandLineTest, EachArgumentListAsksForOneThing) {
  using Action = CommandLine::Action;
  auto in = [here = std::filesystem::current_path()](const char* name) { return (here / name).string(); };
  const struct {
    std::vector<std::string> arguments;
    Action action;
    std::string modelOrError;
    std::optional<std::uint32_t> seed = std::nullopt;
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
      {{"m.obj", "--seed", "4294967295"}, Action::run, in("m.obj"), 4294967295u},
      {{"--seed", "4294967296"}, Action::usageError, "--seed needs a whole number from 0 to 4294967295"},
      {{"--seed", "7x"}, Action::usageError, "--seed needs a whole number from 0 to 4294967295"},
      {{"--seed"}, Action::usageError, "--seed needs a whole number from 0 to 4294967295"},
      {{"--seed", "1", "--seed", "1"}, Action::usageError, "--seed given twice"},
  };
  for (const auto& c : cases) {
    const CommandLine line = CommandLine::parse(c.arguments);
    EXPECT_EQ(line.action, c.action) << c.modelOrError;
    EXPECT_EQ(c.action == Action::run ? line.modelPath : line.error, c.modelOrError);
    EXPECT_EQ(line.seed, c.seed) << c.modelOrError;
  }
}

}  // namespace
}  // namespace sv
