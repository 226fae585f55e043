// springview-import [--bend] [--keep-scale] IN.obj OUT.obj
// Converts any Wavefront OBJ file into a model the viewer shows whole (see MeshImport.h). The output
// is written beside its final name and renamed into place, so it is never left half-written.
#include "MeshImport.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: springview-import [--bend] [--keep-scale] IN.obj OUT.obj\n";
constexpr const char* kHelp =
    "Converts a Wavefront OBJ file into a model springview shows: polygons become triangles, all\n"
    "objects one mesh, with the file's normals or computed ones and a spring along every edge.\n"
    "The model is centred and scaled to the size of the shipped sphere.\n"
    "\n"
    "  --bend        also a spring across every two triangles that share an edge (stiffer)\n"
    "  --keep-scale  keep the file's coordinates\n"
    "  --help        show this text\n"
    "  --version     show the version\n";

struct Arguments {
  sv::MeshImport::Options options;
  std::vector<std::string> paths;
};

// 0 to go on; otherwise the exit status, after printing what was asked for or what is wrong.
int parse(int argc, char** argv, Arguments& arguments) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--help" || word == "-h") {
      std::printf("%s%s", kUsage, kHelp);
      return -1;
    }
    if (word == "--version") {
      std::printf("springview-import %s\n", SV_VERSION);
      return -1;
    }
    if (word == "--bend") {
      arguments.options.bend = true;
    } else if (word == "--keep-scale") {
      arguments.options.keepScale = true;
    } else if (word.size() > 1 && word[0] == '-') {
      std::fprintf(stderr, "springview-import: unknown option %s\n%s", word.c_str(), kUsage);
      return 2;
    } else {
      arguments.paths.push_back(word);
    }
  }
  if (arguments.paths.size() != 2) {
    std::fprintf(stderr, "springview-import: give one input and one output file\n%s", kUsage);
    return 2;
  }
  return 0;
}

std::string readFile(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw sv::ImportError("it is a directory");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw sv::ImportError(errno != 0 ? std::strerror(errno) : "it cannot be read");
  std::string text;
  char block[1 << 16];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    text.append(block, static_cast<std::size_t>(in.gcount()));
    if (text.size() > sv::MeshImport::kMaxBytes) throw sv::ImportError("the file is larger than 1 GiB");
  }
  if (in.bad()) throw sv::ImportError("it cannot be read");
  return text;
}

// The object's name: the output file's name without its extension, in characters a name may hold.
std::string objectName(const std::string& output) {
  std::string name = std::filesystem::path(output).stem().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') c = '_';
  }
  return name.empty() ? "model" : name;
}

// Written to a file beside the output and renamed over it, so a failure leaves the old file or none.
void writeFile(const std::string& path, const std::string& text) {
  const std::string partial = path + ".partial";
  std::ofstream out(partial, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  std::error_code ec;
  if (!out) {
    const std::string reason = std::strerror(errno);
    std::filesystem::remove(partial, ec);
    throw sv::ImportError("cannot write " + path + ": " + reason);
  }
  std::filesystem::rename(partial, path, ec);
  if (ec) {
    std::filesystem::remove(partial, ec);
    throw sv::ImportError("cannot write " + path + ": " + ec.message());
  }
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (const int status = parse(argc, argv, arguments); status != 0) return status < 0 ? 0 : status;
  const std::string& input = arguments.paths[0];
  const std::string& output = arguments.paths[1];
  try {
    std::string text;
    try {
      text = readFile(input);
    } catch (const sv::ImportError& e) {
      throw sv::ImportError("cannot open " + input + ": " + e.what());
    }
    const sv::MeshImport mesh = [&] {
      try {
        return sv::MeshImport(text, arguments.options);
      } catch (const sv::ImportError& e) {
        throw sv::ImportError(input + ": " + e.what());
      }
    }();
    writeFile(output, mesh.toText(objectName(output)));
    if (mesh.droppedFaces > 0) {
      std::fprintf(stderr, "springview-import: %s: %zu triangles that name one vertex twice left out\n", input.c_str(),
                   mesh.droppedFaces);
    }
    std::printf("%s: %zu vertices, %zu normals, %zu faces, %zu springs\n", output.c_str(), mesh.vertices.size(),
                mesh.normals.size(), mesh.faces.size(), mesh.springs.size());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "springview-import: %s\n", e.what());
    return 1;
  }
  return 0;
}
