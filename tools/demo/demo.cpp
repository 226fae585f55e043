// svdemo [--model FILE] [FRAMES]
// Runs the simulation without a window: loads the model (by default sphere_k.obj in the working
// directory), advances mesh and cloth frame by frame and prints a few positions.
#include "cloth/Cloth.h"
#include "core/Random.h"
#include "io/CommandLine.h"
#include "io/OBJ3D.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string modelPath, error;
  if (!sv::CommandLine::takeModelOption(args, modelPath, error) || args.size() > 1) {
    std::fprintf(stderr, "svdemo: %s\nusage: svdemo [--model FILE] [FRAMES]\n",
                 error.empty() ? "too many arguments" : error.c_str());
    return 2;
  }
  const int frames = args.empty() ? 20 : std::atoi(args[0].c_str());
  sv::seedRandom(1);
  sv::OBJ3D model;
  try {
    model.open(modelPath);
    model.load();
    model.close();
    model.summariseEmptyMesh();
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
