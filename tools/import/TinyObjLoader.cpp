// tinyobjloader's implementation, compiled in where its shared library cannot be linked: the Windows
// build, and the fuzzing build, whose coverage must reach into the parser.
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>
