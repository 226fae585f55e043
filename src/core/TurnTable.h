// The mesh's wind and the cloth's push are turned by an angle made from the low 16 bits of a random
// draw, so only 65536 angles ever occur. This table holds the sine and cosine of each, as
// Vec3D::rotate takes them, computed once with the same calls: a step looks them up instead of paying
// for sin and cos per particle, and gets the same bits.
#pragma once

#include "core/Object.h"

#include <array>
#include <cstdint>

namespace sv {

class TurnTable : public Object {
 public:
  struct SinCos {
    double sin;  // sin(6.283185308 - angle)
    double cos;  // cos(6.283185308 - angle)
  };

  // The angle of a draw: its low 16 bits times 4.0 / 65536, in single precision, so 0 <= angle < 4.
  static double angleOf(std::uint32_t draw) { return static_cast<float>(draw & 0xFFFFu) * kAngleScale * kAngleDivisor; }

  // Built on first use, in static storage: no step ever allocates for it.
  static const TurnTable& instance();

  const SinCos& forDraw(std::uint32_t draw) const { return entries_[draw & 0xFFFFu]; }

 private:
  static constexpr float kAngleScale = 4.0f;
  static constexpr float kAngleDivisor = 1.52587890625e-05f;  // 1 / 65536

  TurnTable();

  std::array<SinCos, 65536> entries_;
};

}  // namespace sv
