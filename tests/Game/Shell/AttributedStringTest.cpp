// Rich text: the cut into text and image runs, and where each run is placed at any
// scale or rotation (the runs touch and the line stays centred).
#include "Core/Render/Image.h"
#include "Source/TD/Shell/AttributedString.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// An image of a given width without a texture behind it.
class SizedImage : public render::Image {
public:
    explicit SizedImage(int w) { width = w; }
};

struct Piece {
    bool image;
    std::wstring text;
};

std::vector<Piece> Pieces(const AttributedString& s)
{
    std::vector<Piece> runs;
    for (AttributedChunk* chunk : s.chunks) {
        if (auto* text = dynamic_cast<AttributedStringChunk*>(chunk))
            runs.push_back({false, text->text});
        else
            runs.push_back({true, L""});
    }
    return runs;
}

TEST(AttributedString, CutsTextAndImageRuns)
{
    SizedImage coin(12), gem(20);
    const struct {
        const wchar_t* text;
        bool withMap;
        std::vector<Piece> runs;
    } cases[] = {
        {L"$", true, {{true, L""}, {false, L""}}},                          // one image, then an empty text run
        {L"$#", true, {{true, L""}, {true, L""}, {false, L""}}},            // images side by side
        {L"Cost $ 25", true, {{false, L"Cost "}, {true, L""}, {false, L" 25"}}},
        {L"25#", true, {{false, L"25"}, {true, L""}, {false, L""}}},
        {L"plain $", false, {{false, L"plain $"}}},                          // no map: one text run
        {L"", true, {{false, L""}}},
    };
    for (const auto& c : cases) {
        AttributedString s;
        s.text = c.text;
        if (c.withMap)
            s.images = {{L'$', &coin}, {L'#', &gem}};
        s.build();
        const std::vector<Piece> runs = Pieces(s);
        ASSERT_EQ(runs.size(), c.runs.size()) << c.text;
        for (size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].image, c.runs[i].image) << c.text << " run " << i;
            EXPECT_EQ(runs[i].text, c.runs[i].text) << c.text << " run " << i;
        }
        s.build(); // again: the old runs go first
        EXPECT_EQ(s.chunks.size(), c.runs.size());
    }
    AttributedString s;
    s.text = L"$#$";
    s.images = {{L'$', &coin}, {L'#', &gem}};
    s.build();
    EXPECT_FLOAT_EQ(s.totalWidth(), 44.0f);
    s.clear();
    EXPECT_TRUE(s.chunks.empty());
    EXPECT_TRUE(s.images.empty());
    EXPECT_TRUE(s.text.empty());
}

// Each run's origin lands where the line's transform puts the pen: runs keep their
// scaled widths apart and the whole line is centred on the transform's origin.
TEST(AttributedString, RunsArePlacedThroughTheLinesScale)
{
    const float widths[] = {12.0f, 30.0f, 20.0f};
    const float total = 62.0f;
    const struct {
        const char* name;
        float scale;
        float degrees; // rotation before the scale (a matrix transform)
    } cases[] = {{"scale 1", 1.0f, 0.0f}, {"scale 0.5", 0.5f, 0.0f}, {"scale 2", 2.0f, 0.0f},
                 {"rotated", 1.0f, 90.0f}, {"rotated and scaled", 2.0f, 30.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        math::Transform2D t;
        if (c.degrees != 0.0f)
            t.Rotate(c.degrees);
        if (c.scale != 1.0f)
            t.Scale(c.scale, c.scale);
        t.Translate(300.0f, 200.0f);
        float pen = -total * 0.5f;
        float lastX = 0.0f, lastY = 0.0f;
        for (int i = 0; i < 3; ++i) {
            math::Transform2D placed = AttributedString::placeRun(t, pen);
            float x = 0.0f, y = 0.0f;
            placed.TransformPoint(&x, &y);
            math::Transform2D line = t;
            float ex = pen, ey = 0.0f;
            line.TransformPoint(&ex, &ey);
            EXPECT_NEAR(x, ex, 1e-3f) << "run " << i;
            EXPECT_NEAR(y, ey, 1e-3f) << "run " << i;
            if (i > 0) { // consecutive runs are one scaled width apart
                EXPECT_NEAR(std::hypot(x - lastX, y - lastY), widths[i - 1] * c.scale, 1e-3f) << "run " << i;
            }
            lastX = x;
            lastY = y;
            pen += widths[i];
        }
        // Without rotation the line runs from 300 - W*s/2 to 300 + W*s/2.
        if (c.degrees == 0.0f) {
            math::Transform2D first = AttributedString::placeRun(t, -total * 0.5f);
            float x = 0.0f, y = 0.0f;
            first.TransformPoint(&x, &y);
            EXPECT_NEAR(x, 300.0f - total * c.scale * 0.5f, 1e-3f);
            EXPECT_NEAR(lastX + widths[2] * c.scale, 300.0f + total * c.scale * 0.5f, 1e-3f);
        }
    }
}

} // namespace
