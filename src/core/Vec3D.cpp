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

namespace {
int signOf(double d) { return d < 0.0 ? -1 : 1; }
}  // namespace

bool Vec3D::insideTriangle(const Vec3D& p, const Vec3D& a, const Vec3D& b, const Vec3D& c) const {
  Vec3D ea = a, eb = b, ec = c;
  ea.sub(p), eb.sub(p), ec.sub(p);
  Vec3D nab = ea, nbc = eb, nca = ec;
  nab.cross(eb), nbc.cross(ec), nca.cross(ea);
  const int s1 = signOf(nab.dot(nbc)), s2 = signOf(nbc.dot(nca)), s3 = signOf(nca.dot(nab));
  return s1 == s2 && s2 == s3;
}

}  // namespace sv
