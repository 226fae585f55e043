// objgen: writes a geodesic sphere as a model file. With no arguments it writes the shipped model
// (the one in assets/sphere_k.obj) to standard output; benchmarks and tests ask for larger spheres.
#include "GeodesicSphere.h"
#include "ShippedModel.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: objgen [--frequency N] [--radius R] [--output FILE]\n"
               "  writes a geodesic sphere of 10 N^2 + 2 vertices (default: the shipped sphere_k.obj,\n"
               "  N = %d, R = %g) to FILE or standard output\n",
               sv::kShippedSphereFrequency, sv::kShippedSphereRadius);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int frequency = sv::kShippedSphereFrequency;
  double radius = sv::kShippedSphereRadius;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return usage();
    if (arg == "--frequency") {
      frequency = std::atoi(argv[++i]);
    } else if (arg == "--radius") {
      radius = std::strtod(argv[++i], nullptr);
    } else if (arg == "--output") {
      output = argv[++i];
    } else {
      return usage();
    }
  }
  try {
    const sv::GeodesicSphere sphere(frequency, radius);
    if (output.empty()) {
      sphere.writeModel(std::cout, sv::kShippedSphereName);
      std::cout.flush();
      return std::cout ? 0 : 1;
    }
    std::ofstream file(output, std::ios::binary);
    sphere.writeModel(file, sv::kShippedSphereName);
    file.close();
    if (!file) {
      std::fprintf(stderr, "objgen: cannot write %s\n", output.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "objgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
