// The one geometric value type: points, directions, velocities, forces, angles, in double precision.
// Operations change the receiver in place; callers copy first when they need the old value. No
// operation reads or writes w. Unset components are NaN, so forgetting to set a vector shows at once.
#pragma once

#include <cmath>
#include <limits>

namespace sv {

struct Vec3D {
  static constexpr double kUnset = std::numeric_limits<double>::quiet_NaN();

  double x = kUnset;
  double y = kUnset;
  double z = kUnset;
  double w = kUnset;

  void fill(double s) { x = y = z = s; }
  void set(const Vec3D& v) { x = v.x, y = v.y, z = v.z; }
  void add(const Vec3D& v) { x += v.x, y += v.y, z += v.z; }
  void addScalar(double s) { x += s, y += s, z += s; }
  void sub(const Vec3D& v) { x -= v.x, y -= v.y, z -= v.z; }
  void subScalar(double s) { x -= s, y -= s, z -= s; }
  void negate() { x = -x, y = -y, z = -z; }
  void scale(double s) { x *= s, y *= s, z *= s; }

  // Exact comparison: a NaN component makes it false, so an unset vector is not equal to itself.
  bool equals(const Vec3D& v) const { return x == v.x && y == v.y && z == v.z; }

  double distance(const Vec3D& v) const {
    const double dx = x - v.x, dy = y - v.y, dz = z - v.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  double length() const { return std::sqrt(x * x + y * y + z * z); }
  double dot(const Vec3D& v) const { return x * v.x + y * v.y + z * v.z; }

  // Returns the length before normalising. A zero vector becomes (+0, +0, +0); a NaN length spreads.
  double normalize() {
    const double len = length();
    if (len == 0.0) {
      x = y = z = 0.0;
      return 0.0;
    }
    x /= len, y /= len, z /= len;
    return len;
  }

  void cross(const Vec3D& v) {
    const double cx = y * v.z - z * v.y;
    const double cy = z * v.x - x * v.z;
    const double cz = x * v.y - y * v.x;
    x = cx, y = cy, z = cz;
  }

  // Turns the receiver by -angle (radians) about the axis through the origin. The angle is taken from
  // the decimal constant 6.283185308, not from the exact 2*pi, and the axis is used as given: a
  // non-unit axis scales as well as turns.
  void rotate(double angle, const Vec3D& axis) {
    const double theta = 6.283185308 - angle;
    rotateBySinCos(std::sin(theta), std::cos(theta), axis);
  }

  // rotate with the sine and cosine of 6.283185308 - angle already taken, for callers that turn by one
  // of a few known angles over and over; the same bits as rotate.
  void rotateBySinCos(double s, double c, const Vec3D& axis) {
    const double t = 1 - c;
    const double ax = axis.x, ay = axis.y, az = axis.z;
    const double rx = (c + ax * ax * t) * x + (ax * ay * t - az * s) * y + (ax * az * t + ay * s) * z;
    const double ry = (ax * ay * t + az * s) * x + (c + ay * ay * t) * y + (ay * az * t - ax * s) * z;
    const double rz = (ax * az * t - ay * s) * x + (ay * az * t + ax * s) * y + (c + az * az * t) * z;
    x = rx, y = ry, z = rz;
  }

  // On success the receiver becomes the point where the line meets the plane; a line parallel to
  // the plane returns false and leaves the receiver alone.
  bool intersectLinePlane(const Vec3D& linePoint, const Vec3D& lineDir, const Vec3D& planePoint,
                          const Vec3D& planeNormal);

  // Whether p, taken to lie in the plane of a, b, c, is inside the triangle. Zero and NaN products
  // count as positive, so a point on an edge is inside. The receiver's value is not used.
  bool insideTriangle(const Vec3D& p, const Vec3D& a, const Vec3D& b, const Vec3D& c) const;
};

}  // namespace sv
