// The picture of a shell, drawn in memory: a box of known faces seen from
// known sides, checked pixel by pixel.
#include <gtest/gtest.h>

#include <optional>

#include "preview/png_file.h"
#include "preview/preview.h"
#include "preview/rasteriser.h"

namespace {

struct V {
    float x, y, z;
};

// Appends the quad centred on c spanned by ±u and ±v, facing u × v, its
// corners running clockwise seen from that side as the host's do.
void AddQuad(SceneObject& object, V c, V u, V v) {
    const int32_t first = static_cast<int32_t>(object.vertices.size());
    const float su[4] = {-1, 1, 1, -1}, sv[4] = {-1, -1, 1, 1};
    for (int k = 3; k >= 0; --k)
        object.vertices.push_back({c.x + su[k] * u.x + sv[k] * v.x, c.y + su[k] * u.y + sv[k] * v.y,
                                   c.z + su[k] * u.z + sv[k] * v.z});
    const int32_t points[4] = {first, first + 1, first + 2, first + 3};
    object.AddFace(points, nullptr, 4, -1);
}

// The box [-1, 1]³ with its faces outward: top (the front surface), bottom
// (the back surface), then the side walls, the +z wall made of two quads
// side by side (x < 0 first). `turnedAway` reverses the x < 0 half of +z.
SceneObject Box(bool turnedAway = false) {
    SceneObject box;
    const V x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1}, hx{0.5f, 0, 0};
    AddQuad(box, {0, 1, 0}, z, x);
    AddQuad(box, {0, -1, 0}, x, z);
    AddQuad(box, {-0.5f, 0, 1}, turnedAway ? V{-0.5f, 0, 0} : hx, y);
    AddQuad(box, {0.5f, 0, 1}, hx, y);
    AddQuad(box, {0, 0, -1}, y, x);
    AddQuad(box, {1, 0, 0}, y, z);
    AddQuad(box, {-1, 0, 0}, z, y);
    return box;
}
const FaceGroups kBoxGroups{1, 2};

std::optional<FaceGroup> GroupOfColour(Rgb p) {
    if (p.r > p.g && p.g > p.b) return FaceGroup::Front;  // orange
    if (p.b > p.g && p.g > p.r) return FaceGroup::Back;   // blue
    if (p.g > p.r && p.g > p.b) return FaceGroup::Side;   // green
    return std::nullopt;
}

int Brightness(Rgb p) { return p.r + p.g + p.b; }

// 200 x 100 pictures: the box fills the height, so from the front it
// covers about x 56..144 and y 6..94, its two +z quads meeting at x = 100.
RgbImage Render(const SceneObject& object, PreviewView view) {
    return RenderPreview(object, kBoxGroups, view, 200, 100);
}

TEST(Preview, ABoxShowsEachGroupInsideItsSilhouetteOnAPlainBackground) {
    const RgbImage front = Render(Box(), PreviewView::Front);
    ASSERT_EQ(front.pixels.size(), 200u * 100u * 3u);
    for (auto [x, y] : {std::pair{2, 2}, {40, 50}, {160, 50}, {122, 2}, {122, 97}, {199, 99}})
        EXPECT_EQ(front.At(x, y), kPreviewBackground) << x << "," << y;
    // Inside, up to the top of the fitted picture; (78, 50) lies on the
    // diagonal that splits the left quad into triangles, which gets no line.
    for (auto [x, y] : {std::pair{78, 50}, {122, 50}, {122, 9}, {60, 90}})
        EXPECT_EQ(GroupOfColour(front.At(x, y)), FaceGroup::Side) << x << "," << y;
    // The line between the two quads, at x = 100, shared by the pixels on
    // either side.
    EXPECT_LT(Brightness(front.At(100, 50)), Brightness(front.At(122, 50)) * 7 / 10);
    EXPECT_LT(Brightness(front.At(99, 50)), Brightness(front.At(122, 50)) * 7 / 10);

    EXPECT_EQ(GroupOfColour(Render(Box(), PreviewView::Top).At(100, 50)), FaceGroup::Front);
    EXPECT_EQ(GroupOfColour(Render(Box(), PreviewView::Bottom).At(100, 50)), FaceGroup::Back);
    EXPECT_EQ(GroupOfColour(Render(Box(), PreviewView::Left).At(100, 50)), FaceGroup::Side);

    // From three-quarters above, in front and to the right: the top above
    // the centre, the +z wall below and left of it, the +x wall right of it.
    const RgbImage iso = Render(Box(), PreviewView::Iso);
    EXPECT_EQ(GroupOfColour(iso.At(100, 20)), FaceGroup::Front);
    EXPECT_EQ(GroupOfColour(iso.At(85, 70)), FaceGroup::Side);
    EXPECT_EQ(GroupOfColour(iso.At(125, 70)), FaceGroup::Side);
    EXPECT_EQ(iso.At(2, 50), kPreviewBackground);
}

TEST(Preview, AFaceTurnedAwayIsDrawnDarkerInItsGroupsColour) {
    const Rgb seenFromFront = Render(Box(), PreviewView::Front).At(78, 50);
    const Rgb seenFromBehind = Render(Box(true), PreviewView::Front).At(78, 50);
    EXPECT_EQ(GroupOfColour(seenFromBehind), FaceGroup::Side);
    EXPECT_LT(Brightness(seenFromBehind), Brightness(seenFromFront) * 6 / 10);
    // The other half keeps its colour.
    EXPECT_EQ(Render(Box(true), PreviewView::Front).At(122, 50),
              Render(Box(), PreviewView::Front).At(122, 50));
}

TEST(Preview, RendersAreRepeatableAndBandsDoNotShowInThePicture) {
    const RgbImage once = Render(Box(), PreviewView::Iso);
    const RgbImage again = Render(Box(), PreviewView::Iso);
    EXPECT_EQ(once.pixels, again.pixels);
    EXPECT_EQ(EncodePng(once), EncodePng(again));
    EXPECT_EQ(EncodePng(once).substr(1, 3), "PNG");

    // One band of all rows, and bands of one row each.
    auto draw = [](size_t budget) {
        RgbImage image;
        image.width = 64;
        image.height = 48;
        Rasteriser r(image, 3, kPreviewBackground, budget);
        for (int band = 0; band < r.BandCount(); ++band) {
            r.BeginBand(band);
            r.DrawTriangle({3, 2, 1}, {60, 20, 1}, {10, 45, 1}, Rgb{200, 0, 0}, Rgb{0, 0, 0},
                           kEdgeAB | kEdgeBC | kEdgeCA, 0.6f);
            r.DrawTriangle({40, 5, 0}, {50, 40, 2}, {20, 30, 0}, Rgb{0, 200, 0}, Rgb{0, 0, 0},
                           kEdgeBC, 0.6f);
            r.EndBand();
        }
        EXPECT_EQ(r.BandCount(), budget == 1 ? 48 : 1);
        return image.pixels;
    };
    EXPECT_EQ(draw(1), draw(size_t(1) << 24));
}

TEST(Preview, AnObjectWithoutFacesIsPlainBackground) {
    SceneObject lines;
    lines.vertices = {{0, 0, 0}, {1, 1, 1}};
    const int32_t points[2] = {0, 1};
    lines.AddFace(points, nullptr, 2, -1);
    const RgbImage image = RenderPreview(lines, FaceGroups{}, PreviewView::Iso, 7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(image.At(x, y), kPreviewBackground);
}

}  // namespace
