// The distances at which the host welds the vertices of a shell, as the
// module hands them over (32-bit floats).
#pragma once

// The per-face copies of the selected faces join again closer than this.
inline constexpr float kHarvestWeldDistance = 0.0001f;
// The side walls, and then the finished shell, closer than this: the looser
// distance joins the walls to both surfaces.
inline constexpr float kShellWeldDistance = 0.001f;
