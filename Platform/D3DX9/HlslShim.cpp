#include "Platform/D3DX9/HlslShim.h"

#include <cctype>
#include <string_view>

namespace d3dx9 {

namespace {

struct Token {
    size_t begin;
    size_t end;
    bool identifier;
};

bool IsIdentStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Splits the text into identifiers and single punctuation characters, skipping
// white space, comments and string literals.
std::vector<Token> Tokenize(const std::string& s)
{
    std::vector<Token> tokens;
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const char c = s[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            while (i < n && s[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            const size_t close = s.find("*/", i + 2);
            i = close == std::string::npos ? n : close + 2;
        } else if (c == '"') {
            ++i;
            while (i < n && s[i] != '"' && s[i] != '\n')
                i += (s[i] == '\\' && i + 1 < n) ? 2 : 1;
            if (i < n)
                ++i;
        } else if (IsIdentStart(c)) {
            const size_t b = i;
            while (i < n && IsIdentChar(s[i]))
                ++i;
            tokens.push_back({b, i, true});
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            const size_t b = i;
            while (i < n && (IsIdentChar(s[i]) || s[i] == '.'))
                ++i;
            tokens.push_back({b, i, false});
        } else {
            tokens.push_back({i, i + 1, false});
            ++i;
        }
    }
    return tokens;
}

bool IsSamplerType(std::string_view word)
{
    return word == "sampler" || word == "sampler1D" || word == "sampler2D" || word == "sampler3D" ||
           word == "samplerCUBE";
}

// Blanks [begin, end) but keeps line breaks, so later lines keep their numbers.
void Blank(std::string& s, size_t begin, size_t end)
{
    for (size_t i = begin; i < end; ++i)
        if (s[i] != '\n' && s[i] != '\r')
            s[i] = ' ';
}

} // namespace

HlslShim::HlslShim(std::string source) : text_(std::move(source))
{
    Run();
}

void HlslShim::Run()
{
    const std::string original = text_;
    const std::vector<Token> tokens = Tokenize(original);
    auto word = [&](size_t t) {
        return std::string_view(original).substr(tokens[t].begin, tokens[t].end - tokens[t].begin);
    };
    auto is = [&](size_t t, std::string_view w) { return t < tokens.size() && word(t) == w; };

    struct Edit {
        size_t begin, end;
    };
    std::vector<Edit> edits;

    for (size_t t = 0; t < tokens.size(); ++t) {
        if (!tokens[t].identifier)
            continue;
        const std::string_view w = word(t);
        if ((w == "texture" || w == "Texture") && t + 2 < tokens.size() && tokens[t + 1].identifier &&
            is(t + 2, ";")) {
            const bool statementStart = t == 0 || is(t - 1, ";") || is(t - 1, "}");
            if (statementStart) {
                edits.push_back({tokens[t].begin, tokens[t + 2].end});
                t += 2;
            }
            continue;
        }
        if (!IsSamplerType(w) || t + 1 >= tokens.size() || !tokens[t + 1].identifier)
            continue;
        // sampler NAME [: register(sN)] = sampler_state { ... }
        size_t eq = t + 2;
        if (is(eq, ":")) {
            while (eq < tokens.size() && !is(eq, "=") && !is(eq, ";"))
                ++eq;
        }
        if (!is(eq, "=") || !is(eq + 1, "sampler_state") || !is(eq + 2, "{"))
            continue;
        size_t close = eq + 3;
        while (close < tokens.size() && !is(close, "}"))
            ++close;
        if (close >= tokens.size())
            continue; // unterminated: leave it to the compiler to report

        SamplerStateBlock block;
        block.sampler = std::string(word(t + 1));
        for (size_t s = eq + 3; s < close;) {
            size_t e = s;
            while (e < close && !is(e, ";"))
                ++e;
            if (e > s + 2 && tokens[s].identifier && is(s + 1, "=")) {
                std::string value;
                for (size_t v = s + 2; v < e; ++v) {
                    const std::string_view part = word(v);
                    if (part != "<" && part != ">" && part != "(" && part != ")")
                        value += part;
                }
                block.states.emplace_back(std::string(word(s)), value);
            }
            s = e + 1;
        }
        samplers_.push_back(std::move(block));
        edits.push_back({tokens[eq].begin, tokens[close].end});
        t = close;
    }

    // Blanking keeps every offset, so the edits can be applied in any order.
    for (const Edit& e : edits)
        Blank(text_, e.begin, e.end);
}

} // namespace d3dx9
