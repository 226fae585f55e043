// A fresh temporary directory that is the working directory for the life of the object, so a test can
// place (or leave out) "sphere_k.obj" where the scene reads it. The previous directory comes back and
// the temporary one is removed afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace sv::test {

class WorkingDirectory {
 public:
  WorkingDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "springview-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
    path_ = pattern;
    std::filesystem::current_path(path_);
  }
  ~WorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace sv::test
