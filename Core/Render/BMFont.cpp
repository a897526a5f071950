#include "Core/Render/BMFont.h"
#include "Core/App/Application.h"
#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Render.h"
#include "Core/Render/RenderTarget.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Vertex.h"
#include "Core/Resource/ResourceManager.h"
#include "Core/Resource/ResourceTexture.h"
#include <tinyxml2.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace render {

namespace {

// A list that keeps its first N entries inside the call and spills to the heap only
// for longer texts.
template <class T, size_t N> class InlineList {
public:
    void push_back(const T& value)
    {
        if (count < N)
            fixed[count] = value;
        else
            spill.push_back(value);
        ++count;
    }
    T& operator[](size_t i) { return i < N ? fixed[i] : spill[i - N]; }
    const T& operator[](size_t i) const { return i < N ? fixed[i] : spill[i - N]; }
    size_t size() const { return count; }
    bool empty() const { return count == 0; }

private:
    std::array<T, N> fixed;
    std::vector<T> spill;
    size_t count = 0;
};

struct LineRecord {
    float width = 0.0f;
    u32 first = 0;
    u32 count = 0;
    u32 spaces = 0;
    float xOffset = 0.0f;
    u8 wrapped = 0;
};

// Consecutive drawable glyphs on the same page.
struct PageRun {
    u32 glyphs = 0;
    u32 page = 0;
};

bool IsSpace(u32 c)
{
    return c == 32 || c == 9;
}

float TextScale()
{
    const float scale = GetApplication()->textScale;
    return std::isfinite(scale) ? scale : 1.0f;
}

bool ReadU32(const tinyxml2::XMLElement* element, const char* name, u32& out)
{
    const char* text = element->Attribute(name);
    unsigned value = 0;
    if (!text || std::sscanf(text, "%u", &value) != 1)
        return false;
    out = value;
    return true;
}

bool ReadFloat(const tinyxml2::XMLElement* element, const char* name, float& out)
{
    const char* text = element->Attribute(name);
    float value = 0.0f;
    if (!text || std::sscanf(text, "%f", &value) != 1 || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

bool ReadBool(const tinyxml2::XMLElement* element, const char* name, u8& out)
{
    const char* text = element->Attribute(name);
    if (!text)
        return false;
    if (std::strcmp(text, "true") == 0 || std::strcmp(text, "false") == 0) {
        out = text[0] == 't';
        return true;
    }
    unsigned value = 0;
    if (std::sscanf(text, "%u", &value) != 1)
        return false;
    out = value != 0;
    return true;
}

// "a,b,c": exactly `count` comma-separated fields.
template <class T> bool ReadList(const tinyxml2::XMLElement* element, const char* name, T* out, u32 count)
{
    const char* text = element->Attribute(name);
    if (!text)
        return false;
    CsvLineTokenizer tokens(text, ',');
    std::string token;
    u32 read = 0;
    while (tokens.NextToken(&token)) {
        if (read == count)
            return false;
        char* end = nullptr;
        const double value = std::strtod(token.c_str(), &end);
        if (token.empty() || *end != '\0' || !std::isfinite(value))
            return false;
        if (value < double(std::numeric_limits<T>::lowest()) || value > double(std::numeric_limits<T>::max()))
            return false;
        out[read++] = static_cast<T>(value);
    }
    return read == count;
}


} // namespace

BMFont::BMFont() = default;

BMFont::~BMFont() = default;

u32 BMFont::Release()
{
    return resource::ResourceManager::Free<BMFont>(this);
}

void BMFont::ReleasePages()
{
    pages.clear();
}

GEResultEnum BMFont::DoLoad()
{
    const std::wstring path = name + L".fnt";
    std::unique_ptr<file::FileInfo> info(file::FileManager::Instance()->GetFileInfo(path));
    if (!info || !info->container) {
        GE_LOG(L"Font '%s' not found.\n") << path;
        return GE_FAIL;
    }
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    if (!stream) {
        GE_LOG(L"Font '%s' could not be opened.\n") << path;
        return GE_FAIL;
    }
    const u32 length = stream->GetSize();
    std::vector<char> data(size_t(length) + 1, '\0');
    if (stream->Read(data.data(), length) != length) {
        GE_LOG(L"Font '%s': the file could not be read whole.\n") << path;
        return GE_FAIL;
    }
    const size_t slash = path.find_last_of(L"/\\");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    return Parse(data.data(), length, folder);
}

GEResultEnum BMFont::DoUnLoad()
{
    ReleasePages();
    return GE_OK;
}

const BMFont::Glyph* BMFont::FindGlyph(u32 c) const
{
    const auto found = glyphs.find(c);
    return found == glyphs.end() ? nullptr : &found->second;
}

bool BMFont::HasGlyph(wchar_t c) const
{
    return FindGlyph(static_cast<u32>(c)) != nullptr;
}

GEResultEnum BMFont::Parse(const char* data, size_t length, const std::wstring& folder)
{
    auto fail = [this](const wchar_t* why) {
        GE_LOG(L"Font '%s': %s.\n") << name << why;
        ReleasePages();
        return GE_FAIL;
    };
    tinyxml2::XMLDocument document;
    if (document.Parse(data, length) != tinyxml2::XML_SUCCESS)
        return fail(L"not a valid XML document");
    const tinyxml2::XMLElement* root = document.FirstChildElement("font");
    if (!root)
        return fail(L"no \"font\" element");

    const float textScale = TextScale();
    const float imageScale = file::FileManager::Instance()->fontImageScale;
    textureScale = std::isfinite(imageScale) && imageScale > 0.0f ? imageScale : 1.0f;

    const tinyxml2::XMLElement* info = root->FirstChildElement("info");
    if (!info)
        return fail(L"no \"info\" element");
    const char* faceText = info->Attribute("face");
    if (!faceText || !ReadFloat(info, "size", size) || !ReadBool(info, "bold", bold) ||
        !ReadBool(info, "italic", italic))
        return fail(L"\"info\" lacks face, size, bold or italic");
    face = faceText;
    size *= textScale;
    // Some writers spell the attribute "chasrset".
    const char* charsetText = info->Attribute("charset");
    if (!charsetText)
        charsetText = info->Attribute("chasrset");
    if (!charsetText)
        return fail(L"\"info\" has no charset");
    charset = charsetText;
    u8 unicode = 0;
    if (!ReadBool(info, "unicode", unicode))
        return fail(L"\"info\" has no unicode flag");
    if (!unicode)
        return fail(L"only unicode fonts are supported");
    if (!ReadFloat(info, "stretchH", stretchH) || !ReadBool(info, "smooth", smooth) ||
        !ReadU32(info, "aa", aa) || !ReadList(info, "padding", padding, 4) ||
        !ReadList(info, "spacing", spacing, 2) || !ReadU32(info, "outline", outline))
        return fail(L"\"info\" lacks stretchH, smooth, aa, padding, spacing or outline");

    const tinyxml2::XMLElement* common = root->FirstChildElement("common");
    if (!common)
        return fail(L"no \"common\" element");
    u32 pageCount = 0, packed = 0, alpha = 0, red = 0, green = 0, blue = 0;
    if (!ReadFloat(common, "lineHeight", lineHeight) || !ReadFloat(common, "base", base) ||
        !ReadFloat(common, "scaleW", scaleW) || !ReadFloat(common, "scaleH", scaleH) ||
        !ReadU32(common, "pages", pageCount) || !ReadU32(common, "packed", packed) ||
        !ReadU32(common, "alphaChnl", alpha) || !ReadU32(common, "redChnl", red) ||
        !ReadU32(common, "greenChnl", green) || !ReadU32(common, "blueChnl", blue))
        return fail(L"\"common\" lacks an attribute");
    lineHeight *= textScale;
    base *= textScale;
    if (packed != 0 || alpha != 0 || red != 4 || green != 4 || blue != 4)
        return fail(L"unsupported channel layout (packed 0, alphaChnl 0, red/green/blueChnl 4 expected)");
    if (!(scaleW > 0.0f && scaleW <= 16384.0f && scaleH > 0.0f && scaleH <= 16384.0f))
        return fail(L"its page size (scaleW, scaleH) is not one a texture can have");

    // Each page entry is an image: a count far beyond any real font is a broken file.
    constexpr u32 kMaxPages = 1024;
    if (pageCount > kMaxPages)
        return fail(L"too many pages");
    ReleasePages();
    pages.resize(pageCount);
    const tinyxml2::XMLElement* pageList = root->FirstChildElement("pages");
    if (!pageList)
        return fail(L"no \"pages\" element");
    for (const tinyxml2::XMLElement* page = pageList->FirstChildElement("page"); page;
         page = page->NextSiblingElement("page")) {
        u32 id = 0;
        const char* file = page->Attribute("file");
        if (!ReadU32(page, "id", id) || !file)
            return fail(L"a page lacks id or file");
        if (id >= pageCount)
            return fail(L"a page id is not below the page count");
        std::wstring fileName;
        if (!TryConvertToWide(file, fileName, L"font page name"))
            return fail(L"a page file name is not UTF-8");
        Image* image = nullptr;
        if (!renderer || renderer->LoadTexture(folder + fileName, nullptr, &image) != GE_OK)
            return fail(L"a page texture could not be loaded");
        pages[id].reset(image);
    }

    const tinyxml2::XMLElement* chars = root->FirstChildElement("chars");
    if (!chars)
        return fail(L"no \"chars\" element");
    for (const tinyxml2::XMLElement* c = chars->FirstChildElement("char"); c;
         c = c->NextSiblingElement("char")) {
        u32 id = 0;
        Glyph read;
        if (!ReadU32(c, "id", id) || !ReadFloat(c, "x", read.x) || !ReadFloat(c, "y", read.y) ||
            !ReadFloat(c, "width", read.width) || !ReadFloat(c, "height", read.height) ||
            !ReadFloat(c, "xoffset", read.xoffset) || !ReadFloat(c, "yoffset", read.yoffset) ||
            !ReadFloat(c, "xadvance", read.xadvance) || !ReadU32(c, "page", read.page) ||
            !ReadU32(c, "chnl", read.chnl))
            return fail(L"a char lacks an attribute");
        // A glyph outside its page, on a page the font lacks, or moved further than any
        // picture is wide would draw nothing (or garbage) where its text should be.
        constexpr float kFar = 16384.0f;
        const bool onPage = read.x >= 0.0f && read.y >= 0.0f && read.width >= 0.0f && read.height >= 0.0f &&
                            read.x + read.width <= scaleW && read.y + read.height <= scaleH;
        if (!onPage || read.page >= pageCount || std::fabs(read.xoffset) > kFar || std::fabs(read.yoffset) > kFar ||
            std::fabs(read.xadvance) > kFar)
            return fail(L"a char lies outside its page or is moved beyond any picture");
        Glyph& glyph = glyphs[id];
        glyph.texX = read.x * textureScale;
        glyph.texY = read.y * textureScale;
        glyph.texWidth = read.width * textureScale;
        glyph.texHeight = read.height * textureScale;
        glyph.x = glyph.texX * textScale;
        glyph.y = glyph.texY * textScale;
        glyph.width = glyph.texWidth * textScale;
        glyph.height = glyph.texHeight * textScale;
        glyph.xoffset = read.xoffset * textScale;
        glyph.yoffset = read.yoffset * textScale;
        glyph.xadvance = read.xadvance * textScale;
        glyph.page = read.page;
        glyph.chnl = read.chnl;
    }

    if (const tinyxml2::XMLElement* kernings = root->FirstChildElement("kernings")) {
        for (const tinyxml2::XMLElement* k = kernings->FirstChildElement("kerning"); k;
             k = k->NextSiblingElement("kerning")) {
            u32 first = 0, second = 0;
            float amount = 0.0f;
            if (!ReadU32(k, "first", first) || !ReadU32(k, "second", second) ||
                !ReadFloat(k, "amount", amount))
                return fail(L"a kerning pair lacks an attribute");
            if (std::fabs(amount) > 16384.0f)
                return fail(L"a kerning pair moves a character beyond any picture");
            const auto glyph = glyphs.find(second);
            if (glyph == glyphs.end())
                return fail(L"a kerning pair names a character without a glyph");
            glyph->second.kerning[first] = amount * textScale;
        }
    }
    return GE_OK;
}

GEResultEnum BMFont::RenderText(Graphics* graphics, DrawTextParam* param, const std::wstring& text,
                                const TextLayout& textLayout, float* outSize)
{
    textParam = param;
    layout = &textLayout;
    const float letterSpacing = textLayout.letterSpacing;
    const float maxWidth = textLayout.maxWidth;
    const u32 lineBreak = textLayout.lineBreak;
    const Glyph* defaultGlyph = textLayout.defaultChar ? FindGlyph(textLayout.defaultChar) : nullptr;
    auto glyphOf = [&](u32 c) {
        const Glyph* glyph = FindGlyph(c);
        return glyph ? glyph : defaultGlyph;
    };
    auto kerning = [](const Glyph* glyph, u32 previous) {
        if (!previous)
            return 0.0f;
        const auto found = glyph->kerning.find(previous);
        return found == glyph->kerning.end() ? 0.0f : found->second;
    };
    const u32 length = static_cast<u32>(text.size());

    // Page runs in text order: the order in which the lines below meet the glyphs.
    InlineList<PageRun, 256> runs;
    for (u32 i = 0; i < length; ++i) {
        const u32 c = static_cast<u32>(text[i]);
        if (c == lineBreak || IsSpace(c))
            continue;
        const Glyph* glyph = glyphOf(c);
        if (!glyph)
            continue;
        if (!runs.empty() && runs[runs.size() - 1].page == glyph->page)
            ++runs[runs.size() - 1].glyphs;
        else
            runs.push_back(PageRun{1, glyph->page});
    }

    // Line breaking. A line's width is the sum of its steps (advance + letter spacing
    // + kerning against the character before it on the same line); trailing spaces
    // are not counted.
    InlineList<LineRecord, 1024> lines;
    const float indent = textLayout.indent;
    u32 lineStart = 0, runStart = 0, wordStart = 0, spaceCount = 0, spacesBeforeRun = 0, lineGlyphs = 0;
    u32 wordGlyphs = 0, previous = 0;
    float committed = indent, pending = 0.0f, word = 0.0f, wordFirstKerning = 0.0f;
    bool inSpaces = false, inWord = false, hadRun = false, firstLine = true;
    auto startLine = [&](u32 at, bool paragraph) {
        lineStart = at;
        wordStart = at;
        committed = paragraph ? indent : 0.0f;
        pending = 0.0f;
        word = 0.0f;
        spaceCount = 0;
        spacesBeforeRun = 0;
        lineGlyphs = 0;
        wordGlyphs = 0;
        inSpaces = false;
        inWord = false;
        hadRun = false;
        firstLine = paragraph;
        previous = 0;
    };
    for (u32 i = 0; i < length; ++i) {
        const u32 c = static_cast<u32>(text[i]);
        if (c == lineBreak) {
            LineRecord line;
            line.first = lineStart;
            line.count = (inSpaces ? runStart : i) - lineStart;
            line.width = committed + (inSpaces ? 0.0f : pending + word);
            line.xOffset = firstLine ? indent : 0.0f;
            lines.push_back(line);
            startLine(i + 1, true);
            continue;
        }
        const Glyph* glyph = glyphOf(c);
        if (!glyph)
            continue;
        if (IsSpace(c)) {
            if (!inSpaces) {
                committed += pending + word;
                pending = 0.0f;
                word = 0.0f;
                runStart = i;
                spacesBeforeRun = spaceCount;
                hadRun = hadRun || lineGlyphs > 0;
                inSpaces = true;
            }
            inWord = false;
            ++spaceCount;
            pending += glyph->xadvance + letterSpacing;
            previous = c;
            continue;
        }
        inSpaces = false;
        const float kern = kerning(glyph, previous);
        const float step = glyph->xadvance + letterSpacing + kern;
        if (!inWord) {
            inWord = true;
            wordStart = i;
            wordFirstKerning = kern;
            wordGlyphs = 0;
        }
        word += step;
        if (maxWidth > 0.0f && committed + pending + word > maxWidth) {
            if (hadRun) {
                // Break before the last space run; the word goes on to the next line
                // (without its kerning against the space).
                LineRecord line;
                line.first = lineStart;
                line.count = runStart - lineStart;
                line.width = committed;
                line.spaces = spacesBeforeRun;
                line.xOffset = firstLine ? indent : 0.0f;
                line.wrapped = 1;
                lines.push_back(line);
                const float carried = word - wordFirstKerning;
                const u32 carriedGlyphs = wordGlyphs;
                startLine(wordStart, false);
                inWord = true;
                word = carried;
                lineGlyphs = carriedGlyphs;
                wordGlyphs = carriedGlyphs;
            } else if (lineGlyphs > 0) {
                // No space to break at: break before this character.
                LineRecord line;
                line.first = lineStart;
                line.count = i - lineStart;
                line.width = committed + pending + word - step;
                line.spaces = spaceCount;
                line.xOffset = firstLine ? indent : 0.0f;
                line.wrapped = 1;
                lines.push_back(line);
                startLine(i, false);
                inWord = true;
                word = step - kern;
            }
            // A character alone wider than the width keeps its line: it cannot be broken.
        }
        ++lineGlyphs;
        ++wordGlyphs;
        previous = c;
    }
    {
        LineRecord line;
        line.first = lineStart;
        line.count = (inSpaces ? runStart : length) - lineStart;
        line.width = committed + (inSpaces ? 0.0f : pending + word);
        line.xOffset = firstLine ? indent : 0.0f;
        // A last line that only holds zero-width glyphs still has glyphs to draw.
        if (line.width > 0.0f || lineGlyphs > 0)
            lines.push_back(line);
    }

    float width = 0.0f;
    for (size_t i = 0; i < lines.size(); ++i)
        width = std::max(width, lines[i].width);
    if (!textLayout.keepWidestLine && maxWidth > 0.0f)
        width = maxWidth;
    const float lineAdvance = GetLineAdvance() + textLayout.lineSpacing;
    const float height = lines.size() <= 1 ? size : lineAdvance * float(lines.size() - 1) + size;
    if (outSize) {
        outSize[0] = width;
        outSize[1] = height;
    }
    // The glyphs below are placed through the request, whose alignment needs the box.
    if (param) {
        param->width = width;
        param->height = height;
    }
    if (!graphics || lines.empty() || runs.empty())
        return GE_OK;

    // Drawing: every page run is leased, filled, transformed and drawn in one
    // indexed draw (a run longer than one lease allows is drawn in pieces).
    Render* render = graphics->render;
    ShaderTextured* shader = graphics->texturedShader;
    if (!render || !shader || !shader->GetProgram())
        return GE_FAIL;
    BufferDoubleCache<VertexBuffer<SVertex2D>>* cache = GetVertexCache<SVertex2D>(*render);
    BufferDoubleCache<IndexBuffer<u16>>* indexCache = render->GetIndexCache16();
    if (!cache || !indexCache)
        return GE_FAIL;
    const u32 leaseQuads = std::min(cache->GetLeaseLimit() / 4, indexCache->GetLeaseLimit() / 6);
    if (leaseQuads == 0)
        return GE_FAIL;
    shader->SetMatrix(graphics->target ? &graphics->target->projection : &render->GetProjection());
    const u32 diffuse = graphics->GetPackedColor();
    const u32 specular = graphics->GetPackedTint();
    const VertexFormat& format = SVertex2D::Format();

    size_t runIndex = 0;
    u32 runLeft = runs[0].glyphs;
    Image* page = nullptr;
    SVertex2D* vertices = nullptr;
    u16* indices = nullptr;
    BufferLease<VertexBuffer<SVertex2D>> vertexLease;
    BufferLease<IndexBuffer<u16>> indexLease;
    u32 leased = 0, filled = 0;
    auto pageImage = [this](u32 id) -> Image* {
        return id < pages.size() && pages[id] && pages[id]->GetTexture() ? pages[id].get() : nullptr;
    };
    auto flush = [&]() -> GEResultEnum {
        if (filled == 0)
            return GE_OK;
        GEResultEnum result = param ? param->ApplyTransform(vertices, format, filled * 4) : GE_OK;
        if (result != GE_OK)
            return result;
        Graphics::SnapVertices(vertices, format, filled * 4);
        graphics->state.vertexBuffer = vertexLease.buffer->GetDevice();
        graphics->state.indexBuffer = indexLease.buffer->GetDevice();
        graphics->state.shader = shader->GetProgram();
        graphics->dirty = 1;
        shader->SetTexture(page->GetTexture());
        result = graphics->HandOverState();
        if (result != GE_OK)
            return result;
        const u32 quads = filled;
        filled = 0;
        return render->DrawIndexed(Render::TriangleList, indexLease.start, quads * 2, vertexLease.start,
                                   quads * 4);
    };
    // Called once per drawable glyph in text order. A glyph whose page has no
    // texture is stepped over.
    bool chunkOpen = false;
    auto emit = [&](const Glyph& glyph, float left, float top) -> GEResultEnum {
        while (runLeft == 0) {
            if (++runIndex >= runs.size())
                return GE_FAIL; // the runs and the lines disagree: draw no further
            runLeft = runs[runIndex].glyphs;
            chunkOpen = false;
        }
        if (!chunkOpen) {
            page = pageImage(runs[runIndex].page);
            if (page) {
                leased = std::min(runLeft, leaseQuads);
                GEResultEnum result = cache->Lease(leased * 4, &vertices, &vertexLease);
                if (result != GE_OK)
                    return result;
                result = indexCache->Lease(leased * 6, &indices, &indexLease);
                if (result != GE_OK)
                    return result;
            }
            chunkOpen = true;
        }
        --runLeft;
        if (!page) {
            chunkOpen = runLeft != 0;
            return GE_OK;
        }
        const float right = left + glyph.width / textureScale, bottom = top + glyph.height / textureScale;
        const float texW = float(page->GetWidth()) * page->GetScaleX();
        const float texH = float(page->GetHeight()) * page->GetScaleY();
        float u0 = texW != 0.0f ? glyph.texX / texW : 0.0f;
        float u1 = texW != 0.0f ? (glyph.texX + glyph.texWidth) / texW : 0.0f;
        float v0 = texH != 0.0f ? glyph.texY / texH : 0.0f;
        float v1 = texH != 0.0f ? (glyph.texY + glyph.texHeight) / texH : 0.0f;
        if (const resource::ResourceTexture* texture = page->GetResource(); texture && texture->inAtlas) {
            u0 = u0 * texture->du + texture->u;
            u1 = u1 * texture->du + texture->u;
            v0 = v0 * texture->dv + texture->v;
            v1 = v1 * texture->dv + texture->v;
        }
        SVertex2D* v = vertices + filled * 4;
        v[0] = SVertex2D{left, top, 0.0f, 1.0f, diffuse, specular, u0, v0};
        v[1] = SVertex2D{right, top, 0.0f, 1.0f, diffuse, specular, u1, v0};
        v[2] = SVertex2D{right, bottom, 0.0f, 1.0f, diffuse, specular, u1, v1};
        v[3] = SVertex2D{left, bottom, 0.0f, 1.0f, diffuse, specular, u0, v1};
        WriteQuadIndices(indices + filled * 6, static_cast<u16>(vertexLease.start + filled * 4));
        if (++filled < leased)
            return GE_OK;
        chunkOpen = false;
        return flush();
    };

    float lineY = 0.0f;
    for (size_t l = 0; l < lines.size(); ++l) {
        const LineRecord& line = lines[l];
        float x = line.xOffset;
        float extraSpace = 0.0f, extraLetter = 0.0f;
        if (textLayout.alignment == 1) {
            x = std::floor((width - line.width) * 0.5f) + line.xOffset;
        } else if (textLayout.alignment == 2) {
            x = width - line.width;
        } else if (textLayout.alignment == 3 && line.wrapped) {
            u32 letters = 0;
            for (u32 i = line.first; i < line.first + line.count; ++i) {
                const u32 c = static_cast<u32>(text[i]);
                if (!IsSpace(c) && c != lineBreak && glyphOf(c))
                    ++letters;
            }
            if (line.spaces > 0)
                extraSpace = (width - line.width) / float(line.spaces);
            else if (textLayout.justifyLetters && letters > 1)
                extraLetter = (width - line.width) / float(letters - 1);
        }
        float pen = x;
        u32 prev = 0;
        for (u32 i = line.first; i < line.first + line.count; ++i) {
            const u32 c = static_cast<u32>(text[i]);
            if (c == lineBreak)
                continue;
            const Glyph* glyph = glyphOf(c);
            if (!glyph)
                continue;
            if (IsSpace(c)) {
                pen += glyph->xadvance + letterSpacing + extraSpace;
                prev = c;
                continue;
            }
            // The same kerning that measured the line places its glyphs.
            pen += kerning(glyph, prev);
            const GEResultEnum result = emit(*glyph, pen + glyph->xoffset, lineY + glyph->yoffset);
            if (result != GE_OK)
                return result;
            pen += glyph->xadvance + letterSpacing + extraLetter;
            prev = c;
        }
        lineY += lineAdvance;
    }
    return flush();
}

} // namespace render
