// Reading the viewer's command line (see CommandLine.h).
#include "io/CommandLine.h"

#include <charconv>
#include <filesystem>
#include <system_error>

namespace sv {

namespace {

bool isOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

// Digits only, as the whole word: no sign, no space, nothing after.
std::optional<std::uint32_t> seedValue(const std::string& word) {
  std::uint32_t value = 0;
  const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (failure != std::errc() || end != word.data() + word.size() || word.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::string CommandLine::absolutePath(const std::string& given) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(given, ec);
  return ec || given.empty() ? given : absolute.string();
}

CommandLine CommandLine::parse(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  return parse(arguments);
}

CommandLine CommandLine::parse(std::span<const std::string> arguments) {
  CommandLine line;
  std::string model;
  bool pathsOnly = false;
  for (auto word = arguments.begin(); word != arguments.end(); ++word) {
    if (!pathsOnly && *word == "--") {
      pathsOnly = true;
    } else if (!pathsOnly && (*word == "--help" || *word == "-h")) {
      line.action = Action::help;
      return line;
    } else if (!pathsOnly && *word == "--version") {
      line.action = Action::version;
      return line;
    } else if (!pathsOnly && *word == "--seed") {
      const bool again = line.seed.has_value();
      line.seed = again || word + 1 == arguments.end() ? std::nullopt : seedValue(*++word);
      if (!line.seed) {
        line.action = Action::usageError;
        line.error = again ? "--seed given twice" : "--seed needs a whole number from 0 to 4294967295";
        return line;
      }
    } else if ((!pathsOnly && isOption(*word)) || !model.empty() || word->empty()) {
      line.action = Action::usageError;
      line.error = !model.empty()  ? "more than one model given: " + *word
                   : word->empty() ? std::string("an empty model path")
                                   : "unknown option " + *word;
      return line;
    } else {
      model = *word;
    }
  }
  line.modelPath = absolutePath(model.empty() ? kDefaultModel : model);
  return line;
}

bool CommandLine::takeModelOption(std::vector<std::string>& arguments, std::string& model, std::string& error) {
  std::string given;
  for (auto word = arguments.begin(); word != arguments.end();) {
    if (*word != "--model") {
      ++word;
      continue;
    }
    if (word + 1 == arguments.end() || (word + 1)->empty()) error = "--model needs a file";
    if (!given.empty()) error = "--model given twice";
    if (!error.empty()) return false;
    given = *(word + 1);
    word = arguments.erase(word, word + 2);
  }
  model = absolutePath(given.empty() ? kDefaultModel : given);
  return true;
}

std::string CommandLine::helpText() {
  return std::string(kUsage) +
         "Shows a spring mesh read from MODEL (default: sphere_k.obj in the working directory),\n"
         "a cloth and a floor grid, simulated while the mouse moves over the window or while it plays.\n"
         "Convert any Wavefront OBJ file with springview-import first.\n"
         "\n"
         "  Alt + drag           turn the view\n"
         "  Alt + Ctrl + drag    zoom\n"
         "  Alt + Shift + drag   pan\n"
         "  (the Super key works as Alt)\n"
         "  mouse wheel          zoom\n"
         "  Space                play and pause\n"
         "  . or Right           one frame\n"
         "  R or Home            the camera back to its start\n"
         "  F5                   read the model file again and start over\n"
         "  Ctrl + Q             close the window\n"
         "\n"
         "  --seed S   start the random generator from S (0 to 4294967295), so that a run repeats\n"
         "  --help     show this text\n"
         "  --version  show the version\n";
}

}  // namespace sv
