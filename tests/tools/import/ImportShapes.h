// Shapes as modellers export them, for the importer's tests: each should become a closed mesh.
#pragma once

#include <string>

namespace sv::test {

// A cube of six quads with texture coordinates, smoothing, a material and relative indices.
inline const std::string kExportedCube =
    "mtllib cube.mtl\no Cube\nv 1 1 -1\nv 1 -1 -1\nv 1 1 1\nv 1 -1 1\nv -1 1 -1\nv -1 -1 -1\nv -1 1 1\nv -1 -1 1\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 1 0\nvn 0 0 1\nvn -1 0 0\nvn 0 -1 0\nvn 1 0 0\nvn 0 0 -1\n"
    "usemtl Material\ns off\nf -8/-4/-6 -4/-3/-6 -2/-2/-6 -6/-1/-6\nf -5/-4/-5 -6/-3/-5 -2/-2/-5 -1/-1/-5\n"
    "f -1/-4/-4 -2/-3/-4 -4/-2/-4 -3/-1/-4\nf -3/-4/-3 -7/-3/-3 -5/-2/-3 -1/-1/-3\n"
    "f -7/-4/-2 -8/-3/-2 -6/-2/-2 -5/-1/-2\nf -3/-4/-1 -4/-3/-1 -8/-2/-1 -7/-1/-1\n";
// A tetrahedron without a single normal, its faces written both ways a file may leave them out.
inline const std::string kTetrahedronWithoutNormals =
    "v 0 0 0\nv 2 0 0\nv 0 2 0\nv 0 0 2\nvt 0 0\nf 1 3 2\nf 1/1 2/1 4/1\nf 1 4 3\nf 2/1 3/1 4/1\n";
// Two tetrahedra, one object each, mirror images through the origin.
inline const std::string kTwoObjects =
    "o A\nv -1 -1 -1\nv 1 -1 -1\nv -1 1 -1\nv -1 -1 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n"
    "o B\nv 1 1 1\nv -1 1 1\nv 1 -1 1\nv 1 1 -1\nf 5 6 7\nf 5 8 6\nf 5 7 8\nf 6 8 7\n";

}  // namespace sv::test
