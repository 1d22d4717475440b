// Pictures as PNG files.
#pragma once

#include <string>

#include "preview/rgb_image.h"

// The PNG encoding of `image`: the same bytes for the same picture.
std::string EncodePng(const RgbImage& image);

// Writes `image` to `path` as PNG, crash-safe as every file the tool writes.
// On failure returns false and sets `error` to one message naming the file.
bool WritePngFile(const std::string& path, const RgbImage& image, std::string& error);
