// Writer of PLY files.
#include "formats/ply_format.h"
