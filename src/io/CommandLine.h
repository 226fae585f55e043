// What the viewer's command line asks for: springview [--seed S] [MODEL]. The tools that show the scene
// take the same model through --model FILE. A model is always named by its absolute path, so that a file
// that cannot be opened says which folder was looked in.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sv {

class CommandLine {
 public:
  enum class Action { run, help, version, usageError };

  // The model read when none is named: the shipped sphere, in the working directory.
  static constexpr const char* kDefaultModel = "sphere_k.obj";
  static constexpr const char* kUsage = "usage: springview [--seed S] [MODEL]\n";

  // The arguments after the program's name. A word after "--" is a path even when it starts with '-'.
  static CommandLine parse(std::span<const std::string> arguments);
  static CommandLine parse(int argc, char** argv);
  // Takes "--model FILE" out of a tool's arguments into `model` (absolute). False, with `error` set,
  // when the option lacks its file or comes twice.
  static bool takeModelOption(std::vector<std::string>& arguments, std::string& model, std::string& error);
  // `given` made absolute against the working directory; the text as it is when that cannot be done.
  static std::string absolutePath(const std::string& given);
  // The usage and the mouse controls, as --help prints them.
  static std::string helpText();

  Action action = Action::run;
  std::string modelPath;  // absolute; the default model's when none is named
  std::string error;      // what is wrong, for usageError
  // The random generator's seed, for a run that can be repeated (and pictured by snapshot --seed);
  // without it the time of day seeds it, so that runs differ.
  std::optional<std::uint32_t> seed;
};

}  // namespace sv
