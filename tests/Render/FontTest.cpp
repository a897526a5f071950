// Bitmap fonts on a recording back end: the checks made while loading a font file,
// measuring, and where line breaking, alignment and kerning put every glyph.
#include "Core/Render/BMFont.h"
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Math/BoundingBox.h"
#include "Core/Render/Shader.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Vertex.h"
#include "Core/Resource/ResourceManager.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Support/LogCapture.h"
#include "tests/Render/ImageTestSupport.h"
#include "tests/Render/MemoryTexture.h"
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

// Every glyph 10 units apart, 8 wide and 10 high with offsets (1, 2); space 5; 'W'
// advances 30; 'x' lives on page 1; the pair "AV" kerns by -4.
std::string FontXml()
{
    std::ostringstream chars;
    auto glyph = [&chars](int id, int advance, int width, int page) {
        chars << "<char id=\"" << id << "\" x=\"0\" y=\"0\" width=\"" << width
              << "\" height=\"10\" xoffset=\"1\" "
              << "yoffset=\"2\" xadvance=\"" << advance << "\" page=\"" << page << "\" chnl=\"15\"/>\n";
    };
    glyph(32, 5, 0, 0);
    for (int c = 'A'; c <= 'Z'; ++c)
        glyph(c, c == 'W' ? 30 : 10, c == 'W' ? 28 : 8, 0);
    glyph('x', 10, 8, 1);
    return "<?xml version=\"1.0\"?>\n<font>\n"
           "<info face=\"Test\" size=\"16\" bold=\"0\" italic=\"0\" charset=\"\" unicode=\"1\" "
           "stretchH=\"100\" "
           "smooth=\"1\" aa=\"1\" padding=\"0,0,0,0\" spacing=\"1,1\" outline=\"0\"/>\n"
           "<common lineHeight=\"18\" base=\"12\" scaleW=\"64\" scaleH=\"64\" pages=\"2\" packed=\"0\" "
           "alphaChnl=\"0\" redChnl=\"4\" greenChnl=\"4\" blueChnl=\"4\"/>\n"
           "<pages>\n<page id=\"0\" file=\"page0.dds\"/>\n<page id=\"1\" file=\"page1.dds\"/>\n</pages>\n"
           "<chars count=\"28\">\n" +
           chars.str() +
           "</chars>\n"
           "<kernings count=\"1\">\n<kerning first=\"65\" second=\"86\" amount=\"-4\"/>\n</kernings>\n"
           "</font>\n";
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

struct Quad {
    float left, top, right, bottom;
};

class FontTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(test::StartBuiltinGraphics(render, geom, mult, tint, graphics));
        const std::string page = imgtest::Bytes(imgtest::MakeDds(
            64, 64, 1, 0x41, nullptr, 32, imgtest::BgraBytes(std::vector<u32>(64 * 64, 0xFFFFFFFFu))));
        Put("fonts/page0.dds", page);
        Put("fonts/page1.dds", page);
        Put("fonts/test.fnt", FontXml());
        font = Load(L"fonts/test");
        ASSERT_TRUE(font && font->IsLoaded());
        ASSERT_EQ(render.BeginScene(), GE_OK);
    }
    void TearDown() override
    {
        font.Reset();
        graphics.reset();
        TempFolderTest::TearDown();
    }

    resource::ResourceHandle<render::BMFont> Load(const std::wstring& name)
    {
        auto handle = resource::ResourceManager::Get<render::BMFont>(name);
        handle->renderer = &render;
        handle->Load();
        return handle;
    }

    // Draws `text` and returns every glyph quad in drawing order (before the
    // half-pixel snap), and the number of indexed draws.
    std::vector<Quad> Draw(const std::wstring& text, const render::TextLayout& layout, int* draws = nullptr)
    {
        EXPECT_EQ(graphics->SetFont(font), GE_OK);
        {
            auto request = graphics->DrawText(text);
            request.params.layout = layout;
        }
        EXPECT_EQ(render.EndScene(), GE_OK);
        render.log.clear();
        EXPECT_EQ(render.ExecuteCommands(), GE_OK);
        std::vector<Quad> quads;
        auto* cache = render::GetVertexCache<render::SVertex2D>(render);
        auto* device = static_cast<test::MemoryVertexBuffer*>(cache->GetMainBuffer()->GetDevice());
        int calls = 0;
        for (const std::string& line : render.log) {
            std::istringstream in(line);
            std::string word;
            u32 type = 0, size = 0, start = 0, count = 0, minVertex = 0, span = 0;
            in >> word;
            if (word != "drawindexed")
                continue;
            ++calls;
            in >> type >> size >> start >> count >> minVertex >> span;
            for (u32 q = 0; q < span / 4; ++q) {
                render::SVertex2D v[4];
                std::memcpy(v, device->storage.data() + size_t(minVertex + q * 4) * sizeof(render::SVertex2D),
                            sizeof v);
                quads.push_back(Quad{v[0].x + 0.5f, v[0].y + 0.5f, v[2].x + 0.5f, v[2].y + 0.5f});
            }
        }
        if (draws)
            *draws = calls;
        EXPECT_EQ(render.BeginScene(), GE_OK);
        return quads;
    }

    static void ExpectLefts(const std::vector<Quad>& quads, const std::vector<std::pair<float, float>>& at)
    {
        ASSERT_EQ(quads.size(), at.size());
        for (size_t i = 0; i < at.size(); ++i) {
            EXPECT_FLOAT_EQ(quads[i].left, at[i].first) << "glyph " << i;
            EXPECT_FLOAT_EQ(quads[i].top, at[i].second) << "glyph " << i;
        }
    }

    test::TextureRender render;
    std::unique_ptr<render::Shader> geom;
    std::unique_ptr<render::ShaderTextured> mult, tint;
    std::unique_ptr<render::Graphics> graphics;
    resource::ResourceHandle<render::BMFont> font;
};

TEST_F(FontTest, LoadingChecksEveryPartOfTheFile)
{
    const std::string good = FontXml();
    struct Case {
        const char* what;
        std::string xml;
        bool loads;
    };
    const Case cases[] = {
        {"the file as written", good, true},
        {"the misspelt charset attribute", Replace(good, "charset=\"\"", "chasrset=\"\""), true},
        {"no kernings", Replace(good, "<kerning first=\"65\" second=\"86\" amount=\"-4\"/>", ""), true},
        {"no kernings element", good.substr(0, good.find("<kernings")) + "</font>", true},
        {"no charset at all", Replace(good, "charset=\"\" ", ""), false},
        {"unicode 0", Replace(good, "unicode=\"1\"", "unicode=\"0\""), false},
        {"packed 1", Replace(good, "packed=\"0\"", "packed=\"1\""), false},
        {"alphaChnl 1", Replace(good, "alphaChnl=\"0\"", "alphaChnl=\"1\""), false},
        {"redChnl 0", Replace(good, "redChnl=\"4\"", "redChnl=\"0\""), false},
        {"greenChnl 3", Replace(good, "greenChnl=\"4\"", "greenChnl=\"3\""), false},
        {"blueChnl 1", Replace(good, "blueChnl=\"4\"", "blueChnl=\"1\""), false},
        {"a page id equal to the page count", Replace(good, "<page id=\"1\"", "<page id=\"2\""), false},
        {"a page count no file could mean", Replace(good, "pages=\"2\"", "pages=\"4000000000\""), false},
        {"a page image that is missing", Replace(good, "page1.dds", "nothing.dds"), false},
        {"kerning to a character without a glyph", Replace(good, "second=\"86\"", "second=\"97\""), false},
        {"no chars", good.substr(0, good.find("<chars")) + "</font>", false},
        {"a char without xadvance", Replace(good, "xadvance=\"5\"", ""), false},
        {"a size that is no number", Replace(good, "size=\"16\"", "size=\"big\""), false},
        {"padding of three values", Replace(good, "padding=\"0,0,0,0\"", "padding=\"0,0,0\""), false},
        {"no common element", Replace(good, "<common ", "<uncommon "), false},
        {"another root element", Replace(Replace(good, "<font>", "<fnt>"), "</font>", "</fnt>"), false},
        {"a glyph width of -2^31", Replace(good, "width=\"8\"", "width=\"-2147483648\""), false},
        {"a glyph offset of -2^31", Replace(good, "xoffset=\"1\"", "xoffset=\"-2147483648\""), false},
        {"a glyph beyond its page", Replace(good, "x=\"0\" y=\"0\" width=\"8\"", "x=\"60\" y=\"0\" width=\"8\""),
         false},
        {"a glyph on a page the font lacks", Replace(good, "page=\"1\"", "page=\"7\""), false},
        {"a kerning of 1e30", Replace(good, "amount=\"-4\"", "amount=\"1e30\""), false},
        {"a page size of 0", Replace(good, "scaleW=\"64\"", "scaleW=\"0\""), false},
        {"a truncated file", good.substr(0, good.size() / 2), false},
        {"not XML at all", "info face=Test size=16", false},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string name = "fonts/case" + std::to_string(index++);
        Put(name + ".fnt", c.xml);
        LogCapture log;
        auto handle = Load(std::wstring(name.begin(), name.end()));
        EXPECT_EQ(handle->IsLoaded(), c.loads) << c.what;
        if (!c.loads) {
            EXPECT_EQ(log.Count(L"Font '"), 1)
                << c.what << ": " << std::string(log.text.begin(), log.text.end());
            EXPECT_TRUE(handle->pages.empty()) << c.what;
        }
    }
    LogCapture log;
    EXPECT_FALSE(Load(L"fonts/absent")->IsLoaded());
    EXPECT_EQ(log.Count(L"Font 'fonts/absent.fnt' not found"), 1);
}

TEST_F(FontTest, MetricsComeFromTheFile)
{
    EXPECT_FLOAT_EQ(font->GetSize(), 16.0f);
    EXPECT_FLOAT_EQ(font->GetBase(), 12.0f);
    EXPECT_FLOAT_EQ(font->GetSizeMinusBase(), 4.0f);
    EXPECT_FLOAT_EQ(font->GetLineAdvance(), 16.0f);
    EXPECT_FLOAT_EQ(font->GetLeading(), 0.0f);
    EXPECT_FLOAT_EQ(font->lineHeight, 18.0f);
    EXPECT_EQ(font->face, "Test");
    EXPECT_EQ(font->padding[0], 0);
    EXPECT_FLOAT_EQ(font->spacing[1], 1.0f);
    EXPECT_TRUE(font->HasGlyph(L'A'));
    EXPECT_FALSE(font->HasGlyph(L'a'));
    EXPECT_EQ(font->pages.size(), 2u);
    // Unloading lets the pages go; the glyphs stay.
    ASSERT_EQ(font->UnLoad(), GE_OK);
    EXPECT_TRUE(font->pages.empty());
    EXPECT_TRUE(font->HasGlyph(L'A'));
}

TEST_F(FontTest, MeasuredHeights)
{
    struct Case {
        const wchar_t* text;
        float lineSpacing;
        float width, height;
    };
    const Case cases[] = {
        {L"", 0.0f, 0.0f, 16.0f},
        {L"AB", 0.0f, 20.0f, 16.0f},
        {L"A\nB\nC", 3.0f, 10.0f, 2 * (16.0f + 3.0f) + 16.0f},
        {L"AB\n", 0.0f, 20.0f, 16.0f},    // the empty end of the text is no line
        {L"AB\n\nC", 0.0f, 20.0f, 48.0f}, // an empty line between is
        {L"AB   ", 0.0f, 20.0f, 16.0f},   // trailing spaces do not count
        {L"A V", 0.0f, 25.0f, 16.0f},     // the pair is kerned only when adjacent
        {L"AV", 0.0f, 16.0f, 16.0f},
    };
    for (const Case& c : cases) {
        float w = -1.0f, h = -1.0f;
        const std::wstring text = c.text;
        {
            auto request = font->MeasureText(text);
            request->layout.lineSpacing = c.lineSpacing;
            request->outWidth = &w;
            request->outHeight = &h;
        }
        EXPECT_FLOAT_EQ(w, c.width) << std::string(text.begin(), text.end());
        EXPECT_FLOAT_EQ(h, c.height) << std::string(text.begin(), text.end());
    }
}

TEST_F(FontTest, MeasuredWidthIsTheMaximumWhenAsked)
{
    float w = 0.0f;
    const std::wstring text = L"AB";
    {
        auto request = font->MeasureText(text);
        request->layout.maxWidth = 100.0f;
        request->layout.keepWidestLine = 0;
        request->outWidth = &w;
    }
    EXPECT_FLOAT_EQ(w, 100.0f);
}

TEST_F(FontTest, CentredBoxIsShiftedByWholeUnits)
{
    math::BoundingBox box;
    const std::wstring text = L"ABC D"; // 45 wide
    {
        auto request = font->MeasureText(text);
        request->hAlign = 2;
        request->vAlign = 3;
        request->outBox = &box;
    }
    EXPECT_FLOAT_EQ(box.min.x, -23.0f); // floor(-22.5)
    EXPECT_FLOAT_EQ(box.max.x, 22.0f);
    EXPECT_FLOAT_EQ(box.min.y, -12.0f); // by the base
    EXPECT_FLOAT_EQ(box.max.y, 4.0f);
}

TEST_F(FontTest, WrappingPlacesEveryGlyphOnItsLine)
{
    struct Case {
        const char* what;
        std::wstring text;
        float maxWidth;
        float indent;
        std::vector<std::pair<float, float>> glyphs; // left, top of each drawn glyph
    };
    const Case cases[] = {
        {"at spaces", L"AB CD EF", 40.0f, 0.0f, {{1, 2}, {11, 2}, {1, 18}, {11, 18}, {1, 34}, {11, 34}}},
        {"between characters without spaces",
         L"ABCDE",
         25.0f,
         0.0f,
         {{1, 2}, {11, 2}, {1, 18}, {11, 18}, {1, 34}}},
        {"a glyph wider than the width alone", L"W", 25.0f, 0.0f, {{1, 2}}},
        {"the text ending right after a wrapped glyph", L"AW", 25.0f, 0.0f, {{1, 2}, {1, 18}}},
        {"a wide glyph between others", L"AWB", 25.0f, 0.0f, {{1, 2}, {1, 18}, {1, 34}}},
        {"indent on the first line of each paragraph only",
         L"AB CD\nEF",
         40.0f,
         7.0f,
         {{8, 2}, {18, 2}, {1, 18}, {11, 18}, {8, 34}, {18, 34}}},
        {"no width: explicit breaks only",
         L"AB CD EF\nA",
         0.0f,
         0.0f,
         {{1, 2}, {11, 2}, {26, 2}, {36, 2}, {51, 2}, {61, 2}, {1, 18}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        render::TextLayout layout;
        layout.maxWidth = c.maxWidth;
        layout.indent = c.indent;
        ExpectLefts(Draw(c.text, layout), c.glyphs);
    }
}

TEST_F(FontTest, AlignmentUsesTheKerningThatMeasuredTheLine)
{
    // "AV" measures 10 + 10 - 4 = 16 against the 40 of "AAAA".
    struct Case {
        u32 alignment;
        float lineX;
    };
    for (const Case& c : {Case{0, 0.0f}, Case{1, 12.0f}, Case{2, 24.0f}}) {
        SCOPED_TRACE(c.alignment);
        render::TextLayout layout;
        layout.alignment = c.alignment;
        const auto quads = Draw(L"AV\nAAAA", layout);
        ASSERT_EQ(quads.size(), 6u);
        EXPECT_FLOAT_EQ(quads[0].left, c.lineX + 1);
        EXPECT_FLOAT_EQ(quads[1].left, c.lineX + 10 - 4 + 1);
        EXPECT_FLOAT_EQ(quads[2].left, 1.0f);
    }
}

TEST_F(FontTest, JustifiedLinesFillTheWidth)
{
    render::TextLayout layout;
    layout.alignment = 3;
    layout.maxWidth = 50.0f;
    layout.keepWidestLine = 0;
    // "AB CD" (45) wraps before "EF": its one space takes the 5 left over; the last
    // line is not stretched.
    ExpectLefts(Draw(L"AB CD EF", layout), {{1, 2}, {11, 2}, {31, 2}, {41, 2}, {1, 18}, {11, 18}});
    // Without spaces the letters spread: (25 - 20) / (2 - 1) each.
    layout.maxWidth = 25.0f;
    ExpectLefts(Draw(L"ABCDE", layout), {{1, 2}, {16, 2}, {1, 18}, {16, 18}, {1, 34}});
    layout.justifyLetters = 0;
    ExpectLefts(Draw(L"ABCDE", layout), {{1, 2}, {11, 2}, {1, 18}, {11, 18}, {1, 34}});
}

TEST_F(FontTest, MissingGlyphsAndCharactersBeyondSixteenBits)
{
    render::TextLayout layout;
    // U+10041 would be 'A' cut to 16 bits: it has no glyph and is skipped.
    EXPECT_FALSE(font->HasGlyph(static_cast<wchar_t>(0x10041)));
    ExpectLefts(Draw(std::wstring(1, static_cast<wchar_t>(0x10041)) + L"B", layout), {{1, 2}});
    ExpectLefts(Draw(L"a?B", layout), {{1, 2}});
    layout.defaultChar = L'A';
    ExpectLefts(Draw(L"a?B", layout), {{1, 2}, {11, 2}, {21, 2}});
}

TEST_F(FontTest, OneIndexedDrawPerPageRun)
{
    int draws = 0;
    const auto quads = Draw(L"AAxxA B", render::TextLayout{}, &draws);
    EXPECT_EQ(quads.size(), 6u);
    EXPECT_EQ(draws, 3); // "AA", "xx", "A B"
}

TEST_F(FontTest, TranslatedTextMovesEveryGlyph)
{
    EXPECT_EQ(graphics->SetFont(font), GE_OK);
    const std::wstring text = L"AB";
    graphics->DrawText(text).Translate(100.0f, 50.0f);
    ASSERT_EQ(render.EndScene(), GE_OK);
    render.log.clear();
    ASSERT_EQ(render.ExecuteCommands(), GE_OK);
    auto* cache = render::GetVertexCache<render::SVertex2D>(render);
    auto* device = static_cast<test::MemoryVertexBuffer*>(cache->GetMainBuffer()->GetDevice());
    render::SVertex2D v[8];
    std::memcpy(v, device->storage.data(), sizeof v);
    EXPECT_FLOAT_EQ(v[0].x, 100.5f);
    EXPECT_FLOAT_EQ(v[0].y, 51.5f);
    EXPECT_FLOAT_EQ(v[4].x, 110.5f);
    EXPECT_FLOAT_EQ(v[0].u, 0.0f);
    EXPECT_FLOAT_EQ(v[2].u, 8.0f / 64.0f);
    EXPECT_FLOAT_EQ(v[2].v, 10.0f / 64.0f);
    ASSERT_EQ(render.BeginScene(), GE_OK);
}

TEST_F(FontTest, CentredTextIsDrawnAboutItsPoint)
{
    EXPECT_EQ(graphics->SetFont(font), GE_OK);
    const std::wstring text = L"ABC D"; // 45 wide
    graphics->DrawText(text).SetAlign(2, 0).Translate(100.0f, 50.0f);
    ASSERT_EQ(render.EndScene(), GE_OK);
    render.log.clear();
    ASSERT_EQ(render.ExecuteCommands(), GE_OK);
    auto* cache = render::GetVertexCache<render::SVertex2D>(render);
    auto* device = static_cast<test::MemoryVertexBuffer*>(cache->GetMainBuffer()->GetDevice());
    render::SVertex2D v[4];
    std::memcpy(v, device->storage.data(), sizeof v);
    EXPECT_FLOAT_EQ(v[0].x, 100.0f - 23.0f + 0.5f); // floor(-22.5), as the measured box
    EXPECT_FLOAT_EQ(v[0].y, 51.5f);
    ASSERT_EQ(render.BeginScene(), GE_OK);
}

TEST_F(FontTest, SetFontWithAnEmptyHandleKeepsTheFont)
{
    EXPECT_EQ(graphics->SetFont(font), GE_OK);
    EXPECT_EQ(graphics->SetFont(resource::ResourceHandle<render::BMFont>()), GE_FAIL);
    EXPECT_EQ(graphics->font, font.Get());
}

} // namespace

namespace {

TEST_F(FontTest, EveryGeneratedGameFontLoads)
{
    const std::string content = GE_BINARY_DIR "/content/";
    for (const char* name : {"main_32_1", "main_32_2", "main_42_2", "main_80", "main_42_3"}) {
        const std::string path = content + "td/data/fonts/" + name;
        auto handle = Load(std::wstring(path.begin(), path.end()));
        EXPECT_TRUE(handle->IsLoaded()) << name;
        EXPECT_TRUE(handle->HasGlyph(L'W')) << name;
        EXPECT_FALSE(handle->pages.empty()) << name;
    }
}

} // namespace
