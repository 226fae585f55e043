// Reading the viewer's command line (see CommandLine.h).
#include "io/CommandLine.h"

#include <filesystem>
#include <system_error>

namespace sv {

namespace {

bool isOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

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
  for (const std::string& word : arguments) {
    if (!pathsOnly && word == "--") {
      pathsOnly = true;
    } else if (!pathsOnly && (word == "--help" || word == "-h")) {
      line.action = Action::help;
      return line;
    } else if (!pathsOnly && word == "--version") {
      line.action = Action::version;
      return line;
    } else if ((!pathsOnly && isOption(word)) || !model.empty() || word.empty()) {
      line.action = Action::usageError;
      line.error = !model.empty() ? "more than one model given: " + word
                   : word.empty() ? std::string("an empty model path")
                                  : "unknown option " + word;
      return line;
    } else {
      model = word;
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
         "  --help     show this text\n"
         "  --version  show the version\n";
}

}  // namespace sv
