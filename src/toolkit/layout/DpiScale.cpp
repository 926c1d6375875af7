#include "toolkit/layout/DpiScale.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace kavrix {

int ScaleToDpi(int value, int toDpi, int fromDpi) noexcept {
  if (toDpi <= 0 || fromDpi <= 0 || toDpi == fromDpi) return value;
  const int64_t product = static_cast<int64_t>(value) * toDpi;
  const int64_t half = fromDpi / 2;
  const int64_t rounded = (std::llabs(product) + half) / fromDpi;
  return static_cast<int>(product < 0 ? -rounded : rounded);
}

ScaledBounds ScaleBoundsToDpi(int left, int top, int width, int height, int toDpi, int fromDpi) noexcept {
  const int scaledLeft = ScaleToDpi(left, toDpi, fromDpi);
  const int scaledTop = ScaleToDpi(top, toDpi, fromDpi);
  return {scaledLeft, scaledTop, ScaleToDpi(left + width, toDpi, fromDpi) - scaledLeft,
          ScaleToDpi(top + height, toDpi, fromDpi) - scaledTop};
}

std::array<ArtworkDensity, 3> ArtworkDensitiesFor(int dpi) noexcept {
  // Largest first, then moved forward only past a farther one: ties keep the larger.
  std::array<ArtworkDensity, 3> densities = {{{kDesignDpi * 2, "_192"}, {kDesignDpi * 3 / 2, "_144"}, {kDesignDpi, ""}}};
  for (size_t i = 1; i < densities.size(); ++i) {
    for (size_t j = i; j > 0 && std::abs(densities[j].dpi - dpi) < std::abs(densities[j - 1].dpi - dpi); --j) {
      std::swap(densities[j], densities[j - 1]);
    }
  }
  return densities;
}

}  // namespace kavrix
