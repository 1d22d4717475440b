#include "bench/triangle_scene.h"

#include <algorithm>
#include <cmath>

Scene MakeTriangleScene(size_t triangles) {
    const size_t side = std::max<size_t>(1, static_cast<size_t>(std::sqrt(triangles / 2.0)));
    const size_t rows = std::max<size_t>(1, triangles / 2 / side);
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    SceneObject& object = scene.objects.emplace_back();
    object.name = "grid";
    const size_t columns = side + 1;
    object.vertices.reserve(columns * (rows + 1));
    for (size_t y = 0; y <= rows; ++y)
        for (size_t x = 0; x < columns; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            object.vertices.push_back({fx * 0.25f, std::sin(fx * 0.37f) * std::cos(fy * 0.29f), fy * 0.25f});
        }
    const auto uvOf = [&](int32_t v) {
        const size_t x = static_cast<size_t>(v) % columns, y = static_cast<size_t>(v) / columns;
        return SceneUv{static_cast<float>(x) / static_cast<float>(side),
                       static_cast<float>(y) / static_cast<float>(rows)};
    };
    for (size_t y = 0; y < rows; ++y)
        for (size_t x = 0; x < side; ++x) {
            const auto a = static_cast<int32_t>(y * columns + x);
            const auto c = static_cast<int32_t>(a + static_cast<int32_t>(columns));
            const int32_t halves[2][3] = {{a, c, a + 1}, {a + 1, c, c + 1}};
            for (const auto& half : halves) {
                const SceneUv uvs[3] = {uvOf(half[0]), uvOf(half[1]), uvOf(half[2])};
                object.AddFace(half, uvs, 3, -1);
            }
        }
    return scene;
}
