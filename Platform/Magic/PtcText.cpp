#include "Platform/Magic/PtcText.h"

#include <charconv>
#include <vector>

namespace magic {
namespace {

// Splits one line into tokens; false on an unterminated quote.
bool Tokenize(std::string_view line, std::vector<std::string>& tokens)
{
    tokens.clear();
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string token;
            ++i;
            for (;;) {
                if (i >= line.size())
                    return false;
                if (line[i] == '"') {
                    ++i;
                    break;
                }
                if (line[i] == '\\' && i + 1 < line.size())
                    ++i;
                token += line[i++];
            }
            tokens.push_back(std::move(token));
        } else {
            const size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#')
                ++i;
            tokens.emplace_back(line.substr(start, i - start));
        }
    }
    return true;
}

bool ParseU32(const std::string& text, uint32_t& value, int base = 10)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        begin += 2;
    const auto result = std::from_chars(begin, end, value, base);
    return begin != end && result.ec == std::errc() && result.ptr == end;
}

bool ParseFloat(const std::string& text, float& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto result = std::from_chars(begin, end, value);
    return begin != end && result.ec == std::errc() && result.ptr == end;
}

class Parser {
public:
    Parser(PtcDocument& document, std::string& error) : mDocument(document), mError(error)
    {
        mStack.push_back({Kind::Folder, &document.root, nullptr, nullptr});
    }

    bool Line(int number, const std::vector<std::string>& tokens)
    {
        mLine = number;
        mTokens = &tokens;
        const std::string& key = tokens[0];
        Context& top = mStack.back();
        if (key == "end") {
            if (mStack.size() == 1)
                return Fail("'end' without an open block");
            mStack.pop_back();
            return Args(0);
        }
        switch (top.kind) {
        case Kind::Folder:
            return FolderLine(key, *top.folder);
        case Kind::Emitter:
            return EmitterLine(key, *top.emitter);
        case Kind::Particles:
            return ParticlesLine(key, *top.type);
        }
        return false;
    }

    bool Finish()
    {
        if (mStack.size() > 1) {
            mLine = 0;
            mError = "the description ends inside an open block";
            return false;
        }
        return true;
    }

private:
    enum class Kind { Folder, Emitter, Particles };
    struct Context {
        Kind kind;
        PtcFolder* folder;
        PtcEmitter* emitter;
        PtcParticleType* type;
    };

    bool Fail(const std::string& what)
    {
        mError = "line " + std::to_string(mLine) + ": " + what;
        return false;
    }

    bool Args(size_t count)
    {
        if (mTokens->size() != count + 1)
            return Fail("'" + (*mTokens)[0] + "' takes " + std::to_string(count) + " values");
        return true;
    }

    bool U32(size_t index, uint32_t& value, int base = 10)
    {
        return ParseU32((*mTokens)[index], value, base) ||
               Fail("'" + (*mTokens)[index] + "' is not a whole number");
    }

    bool U8Flag(size_t index, uint8_t& value, uint32_t highest)
    {
        uint32_t number;
        if (!U32(index, number))
            return false;
        if (number > highest)
            return Fail("'" + (*mTokens)[index] + "' is out of range");
        value = static_cast<uint8_t>(number);
        return true;
    }

    bool Float(size_t index, float& value)
    {
        return ParseFloat((*mTokens)[index], value) || Fail("'" + (*mTokens)[index] + "' is not a number");
    }

    bool Floats(float& a, float& b) { return Args(2) && Float(1, a) && Float(2, b); }

    bool FolderLine(const std::string& key, PtcFolder& folder)
    {
        const auto& t = *mTokens;
        if (key == "atlas") {
            PtcAtlas atlas;
            if (!Args(3) || !U32(2, atlas.width) || !U32(3, atlas.height))
                return false;
            atlas.file = t[1];
            mDocument.atlases.push_back(std::move(atlas));
            return true;
        }
        if (key == "frame") {
            if (mDocument.atlases.empty())
                return Fail("'frame' before any 'atlas'");
            PtcFrame frame;
            if (!Args(4) || !U32(1, frame.x) || !U32(2, frame.y) || !U32(3, frame.width) ||
                !U32(4, frame.height))
                return false;
            mDocument.atlases.back().frames.push_back(frame);
            return true;
        }
        if (key == "folder") {
            if (!Args(1))
                return false;
            if (mStack.size() > kMaxFolderDepth)
                return Fail("folders nested too deeply");
            folder.folders.emplace_back().name = t[1];
            mStack.push_back({Kind::Folder, &folder.folders.back(), nullptr, nullptr});
            return true;
        }
        if (key == "emitter") {
            if (!Args(1))
                return false;
            folder.emitters.emplace_back().name = t[1];
            mStack.push_back({Kind::Emitter, nullptr, &folder.emitters.back(), nullptr});
            return true;
        }
        return Fail("unknown statement '" + key + "' in a folder");
    }

    bool EmitterLine(const std::string& key, PtcEmitter& emitter)
    {
        if (key == "texture_file") {
            if (!Args(1))
                return false;
            emitter.textureFile = (*mTokens)[1];
            return true;
        }
        if (key == "seed")
            return Args(1) && U32(1, emitter.seed);
        if (key == "update_time")
            return Args(1) && Float(1, emitter.updateTime);
        if (key == "duration")
            return Args(1) && Float(1, emitter.duration);
        if (key == "interval1")
            return Args(1) && Float(1, emitter.interval1);
        if (key == "interpolation")
            return Args(1) && U8Flag(1, emitter.interpolation, 1);
        if (key == "loop")
            return Args(1) && U8Flag(1, emitter.loopMode, 2);
        if (key == "spawn_box")
            return Floats(emitter.spawnWidth, emitter.spawnHeight);
        if (key == "particles") {
            if (!Args(0))
                return false;
            mStack.push_back({Kind::Particles, nullptr, nullptr, &emitter.types.emplace_back()});
            return true;
        }
        return Fail("unknown statement '" + key + "' in an emitter");
    }

    bool ParticlesLine(const std::string& key, PtcParticleType& type)
    {
        if (key == "atlas") {
            if (!Args(1))
                return false;
            if ((*mTokens)[1] == "none") {
                type.atlas = kNoAtlas;
                return true;
            }
            return U32(1, type.atlas);
        }
        if (key == "frame")
            return Args(1) && U32(1, type.frame);
        if (key == "intense")
            return Args(1) && U8Flag(1, type.intense, 1);
        if (key == "rate")
            return Args(1) && Float(1, type.rate);
        if (key == "max")
            return Args(1) && U32(1, type.maxParticles);
        if (key == "life")
            return Floats(type.lifeMin, type.lifeMax);
        if (key == "speed")
            return Floats(type.speedMin, type.speedMax);
        if (key == "angle")
            return Floats(type.angle, type.spread);
        if (key == "gravity")
            return Floats(type.gravityX, type.gravityY);
        if (key == "size")
            return Floats(type.sizeStart, type.sizeEnd);
        if (key == "spin")
            return Floats(type.spinMin, type.spinMax);
        if (key == "color")
            return Args(2) && U32(1, type.colorStart, 16) && U32(2, type.colorEnd, 16);
        return Fail("unknown statement '" + key + "' in particles");
    }

    PtcDocument& mDocument;
    std::string& mError;
    std::vector<Context> mStack;
    const std::vector<std::string>* mTokens = nullptr;
    int mLine = 0;
};

} // namespace

bool ParsePtcText(std::string_view text, PtcDocument& document, std::string& error)
{
    document = PtcDocument();
    error.clear();
    Parser parser(document, error);
    std::vector<std::string> tokens;
    int number = 0;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        ++number;
        if (!Tokenize(line, tokens)) {
            error = "line " + std::to_string(number) + ": unterminated quote";
            return false;
        }
        if (!tokens.empty() && !parser.Line(number, tokens))
            return false;
    }
    if (!parser.Finish())
        return false;
    return ValidatePtcDocument(document, error);
}

} // namespace magic
