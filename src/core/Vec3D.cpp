// The two Vec3D operations too long to live in the header: line-plane intersection and the
// point-in-triangle test.
#include "core/Vec3D.h"

namespace sv {

bool Vec3D::intersectLinePlane(const Vec3D& linePoint, const Vec3D& lineDir, const Vec3D& planePoint,
                               const Vec3D& planeNormal) {
  const double d = lineDir.dot(planeNormal);
  if (d == 0.0) return false;
  Vec3D toPlane = planePoint;
  toPlane.sub(linePoint);
  const double r = toPlane.dot(planeNormal) / d;
  x = linePoint.x + r * lineDir.x;
  y = linePoint.y + r * lineDir.y;
  z = linePoint.z + r * lineDir.z;
  return true;
}

bool Vec3D::insideTriangle(const Vec3D& p, const Vec3D& a, const Vec3D& b, const Vec3D& c) const {
  Vec3D ea = a, eb = b, ec = c;
  ea.sub(p), eb.sub(p), ec.sub(p);
  Vec3D nab = ea, nbc = eb, nca = ec;
  nab.cross(eb), nbc.cross(ec), nca.cross(ea);
  // Inside when the three products agree in sign; zero and NaN count as positive (not below zero).
  const bool n1 = nab.dot(nbc) < 0.0, n2 = nbc.dot(nca) < 0.0, n3 = nca.dot(nab) < 0.0;
  return n1 == n2 && n2 == n3;
}

}  // namespace sv
