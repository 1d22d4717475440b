#include "plugin/plugin_identity.h"

#define THICKEN_MENU_LABEL "厚みをつけます。"

const char MenuLabel[] = THICKEN_MENU_LABEL;
const char PluginName[] = THICKEN_MENU_LABEL "     Copyright (C) ZUM";

static_assert(sizeof MenuLabel == 17, "the label is 16 bytes in code page 932");
