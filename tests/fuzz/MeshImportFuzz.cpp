// libFuzzer target for the importer. Any input is either refused with an ImportError or becomes a
// model that the reader loads whole: no line dropped, no message, every face and spring kept.
#include "MeshImport.h"
#include "io/OBJ3D.h"
#include "io/ReaderHarness.h"

#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  static sv::OBJ3D reader;  // one for the run, as compiling its patterns for every input would dominate
  for (const bool flags : {false, true}) {
    try {
      const sv::MeshImport mesh(input, {flags, flags});
      for (auto& slot : reader.objects) slot.reset();
      std::istringstream in(mesh.toText("fuzz"));
      reader.loadFrom(in, "fuzz.obj");
      const sv::OBJ3D::PassedOver& passed = reader.passedOver();
      const sv::Object3D& loaded = *reader.objects[0];
      if (!sv::test::isSoundMesh(reader) || reader.problemCount() != 0 || passed.longFaces != 0 ||
          passed.unreadFaces != 0 || passed.unknownKeywords != 0 ||
          static_cast<std::size_t>(loaded.faceCount) != mesh.faces.size() ||
          loaded.springs.length() != mesh.springs.size()) {
        std::abort();
      }
    } catch (const sv::ImportError&) {
    }
  }
  return 0;
}
