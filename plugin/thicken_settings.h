// The parameters of one run of the command, as the dialog last confirmed them.
#pragma once

#include <cstddef>
#include <cstdint>

// Where the thickness is laid relative to the selected surface.
enum class ThicknessDirection : std::int32_t {
    Front = 0,   // the whole thickness towards the front (along the normals)
    Center = 1,  // half towards the front, half towards the back
    Back = 2,    // the whole thickness towards the back
};

struct ThickenSettingsRecord {
    double thickness;  // in the host's length units; 0 and negative are kept as given
    bool makeFront;    // generate the front surface
    bool makeSide;     // generate the side faces joining front and back
    bool makeBack;     // generate the back surface
    ThicknessDirection direction;
    bool evenThickness;  // place the copies at the offset from every face around a vertex
};

static_assert(offsetof(ThickenSettingsRecord, thickness) == 0, "thickness comes first");
static_assert(offsetof(ThickenSettingsRecord, makeFront) == 8, "one-byte flags follow it");
static_assert(offsetof(ThickenSettingsRecord, makeSide) == 9, "one-byte flags follow it");
static_assert(offsetof(ThickenSettingsRecord, makeBack) == 10, "one-byte flags follow it");
static_assert(offsetof(ThickenSettingsRecord, direction) == 12, "a 32-bit direction ends it");
static_assert(offsetof(ThickenSettingsRecord, evenThickness) == 16, "the even choice follows it");
static_assert(sizeof(ThicknessDirection) == 4, "the direction is a 32-bit integer");

// The module-wide settings: all zero at load (thickness 0.0, no group,
// direction Front, thickness as the normals lay it); written, all fields at once, only when the dialog is
// confirmed; read by the thickening driver.
extern ThickenSettingsRecord ThickenSettings;
