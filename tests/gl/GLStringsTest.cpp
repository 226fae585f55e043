// Version and extension strings as drivers write them, and ones that only look alike.
#include "gl/GLStrings.h"

#include <gtest/gtest.h>

using namespace sv::gl;

TEST(GLStringsTest, BufferObjectsComeWithVersion1Point5OrTheExactExtensionName) {
  for (const char* version : {"4.5 (Compatibility Profile) Mesa 23.2.1", "1.5.0 NVIDIA 1.0", "2.0"})
    EXPECT_TRUE(versionAtLeast(version, 1, 5)) << version;
  for (const char* version : {"1.4 Mesa", "0.9", "", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(versionAtLeast(version, 1, 5)) << version;
  const char* name = "GL_ARB_vertex_buffer_object";
  for (const char* list : {name, "GL_ARB_vertex_buffer_objects GL_ARB_vertex_buffer_object GL_EXT_x"})
    EXPECT_TRUE(listsExtension(list, name)) << list;
  for (const char* list :
       {"XGL_ARB_vertex_buffer_object GL_ARB_vertex_buffer_object_2", "", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(listsExtension(list, name)) << list;
}
