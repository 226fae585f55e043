// Reading the strings a context answers through glGetString: the version's leading "major.minor" and
// the extension list, so the real binding can tell which buffer-object entry points a context has.
#pragma once

namespace sv::gl {

// Whether a version string ("4.5 (Compatibility Profile) Mesa 23.2.1", "1.4"; null for none) names at
// least major.minor.
bool versionAtLeast(const char* version, int major, int minor);
// Whether the space-separated extension list (null for none) names `name` exactly, not as a prefix.
bool listsExtension(const char* list, const char* name);

}  // namespace sv::gl
