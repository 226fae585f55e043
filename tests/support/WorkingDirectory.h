// A fresh temporary directory that is the working directory for the life of the object, so a test can
// place (or leave out) "sphere_k.obj" where the program reads it; the previous one comes back after.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace sv::test {

class WorkingDirectory {
 public:
  WorkingDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "springview-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
    std::filesystem::current_path(path_ = pattern);
  }
  ~WorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::filesystem::path previous_ = std::filesystem::current_path(), path_;
};

}  // namespace sv::test
