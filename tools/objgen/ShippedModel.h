// The parameters of the shipped model, assets/sphere_k.obj: a sphere of radius 0.2 in file units
// (1 on screen after the reader's scaling by 5), round enough to look smooth when lit.
#pragma once

namespace sv {

inline constexpr int kShippedSphereFrequency = 10;  // 1002 vertices, 2000 faces, 3000 springs
inline constexpr double kShippedSphereRadius = 0.2;
inline constexpr const char* kShippedSphereName = "sphere";

}  // namespace sv
