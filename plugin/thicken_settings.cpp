#include "plugin/thicken_settings.h"

// Zero-initialised before any code of the module runs.
ThickenSettingsRecord ThickenSettings{};
