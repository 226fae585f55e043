// Version and extension strings of a context (see GLStrings.h).
#include "gl/GLStrings.h"

#include <cstring>

namespace sv::gl {

// "major.minor" leads every version string of a desktop context, whatever follows it.
bool versionAtLeast(const char* version, int major, int minor) {
  if (version == nullptr) return false;
  int found[2] = {0, 0};
  for (int part = 0; part < 2; ++part, version += *version == '.') {
    for (; *version >= '0' && *version <= '9'; ++version) found[part] = found[part] * 10 + (*version - '0');
  }
  return found[0] > major || (found[0] == major && found[1] >= minor);
}

bool listsExtension(const char* list, const char* name) {
  const std::size_t length = std::strlen(name);
  for (const char* at = list; at != nullptr && (at = std::strstr(at, name)) != nullptr; at += length) {
    const bool starts = at == list || at[-1] == ' ', ends = at[length] == ' ' || at[length] == '\0';
    if (starts && ends) return true;
  }
  return false;
}

}  // namespace sv::gl
