#include "tool/thicken_tool.h"

int main(int argc, char** argv) { return RunThickenTool(argc - 1, argv + 1); }
