// Runs the simulation without a window: loads sphere_k.obj if present (else a small built-in
// mesh), advances mesh and cloth frame by frame and prints a few positions.
#include "cloth/Cloth.h"
#include "core/Random.h"
#include "io/OBJ3D.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 20;
  sv::seedRandom(1);
  sv::OBJ3D model;
  try {
    model.open("sphere_k.obj");
    model.load();
    model.close();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "svdemo: %s\n", e.what());
    return 1;
  }
  sv::Object3D& mesh = *model.objects[0];
  sv::Cloth cloth;
  for (int frame = 1; frame <= frames; ++frame) {
    mesh.advance(10, 0.1);
    for (int i = 0; i < 5; ++i) cloth.step(0.2);
    const sv::Vec3D& corner = cloth.particles[99].position;
    std::printf("frame %3d  time %5.1f  cloth[99] (%+.5f, %+.5f, %+.5f)", frame, mesh.time, corner.x, corner.y,
                corner.z);
    if (mesh.vertices.length() > 0) {
      const sv::Vec3D& v = mesh.vertices[0];
      std::printf("  vertex[0] (%+.5f, %+.5f, %+.5f)", v.x, v.y, v.z);
    }
    std::printf("\n");
  }
  return 0;
}
