#include "preview/png_file.h"

#include "formats/file_io.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
}

}  // namespace

std::string EncodePng(const RgbImage& image) {
    std::string png;
    stbi_write_png_to_func(Append, &png, image.width, image.height, 3, image.pixels.data(),
                           image.width * 3);
    return png;
}

bool WritePngFile(const std::string& path, const RgbImage& image, std::string& error) {
    const std::string png = EncodePng(image);
    if (png.empty()) {
        error = "cannot encode the picture for " + path;
        return false;
    }
    return WriteFileAtomically(path, png, error);
}
