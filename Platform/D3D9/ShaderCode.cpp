#include "Platform/D3D9/ShaderCode.h"

#include <cstring>

namespace d3d9 {

namespace {

constexpr DWORD kMagic = MakeFourCC('G', 'E', 'S', '9');
constexpr DWORD kHeaderWords = 4;                // magic, total words, stage, constant count
constexpr DWORD kMaxWords = 16u * 1024u * 1024u; // sanity bound on a block's claimed size
constexpr DWORD kConstantFields = 9;

void PutString(std::vector<DWORD>& out, const std::string& s)
{
    out.push_back(static_cast<DWORD>(s.size()));
    const size_t first = out.size();
    out.resize(first + (s.size() + 3) / 4, 0);
    if (!s.empty())
        std::memcpy(out.data() + first, s.data(), s.size());
}

class Reader {
public:
    Reader(const DWORD* words, DWORD count) : words_(words), count_(count) {}

    bool Word(DWORD& out)
    {
        if (pos_ >= count_)
            return false;
        out = words_[pos_++];
        return true;
    }

    bool String(std::string& out)
    {
        DWORD bytes = 0;
        if (!Word(bytes))
            return false;
        const DWORD words = static_cast<DWORD>((static_cast<uint64_t>(bytes) + 3) / 4);
        if (words > count_ - pos_)
            return false;
        out.assign(reinterpret_cast<const char*>(words_ + pos_), bytes);
        pos_ += words;
        return true;
    }

    bool AtEnd() const { return pos_ == count_; }

private:
    const DWORD* words_;
    DWORD count_;
    DWORD pos_ = 0;
};

} // namespace

std::vector<DWORD> EncodeShaderCode(const ShaderCode& code)
{
    std::vector<DWORD> out{kMagic, 0, static_cast<DWORD>(code.stage),
                           static_cast<DWORD>(code.constants.size())};
    for (const ShaderConstant& c : code.constants) {
        for (DWORD v : {c.registerSet, c.registerIndex, c.registerCount, c.rows, c.columns, c.elements,
                        c.parameterClass, c.parameterType})
            out.push_back(v);
        PutString(out, c.name);
        PutString(out, c.glslName);
    }
    PutString(out, code.glsl);
    out[1] = static_cast<DWORD>(out.size());
    return out;
}

std::optional<ShaderCode> DecodeShaderCode(const DWORD* words)
{
    if (!words || words[0] != kMagic)
        return std::nullopt;
    const DWORD total = words[1];
    if (total < kHeaderWords || total > kMaxWords)
        return std::nullopt;
    Reader r(words + 2, total - 2);
    ShaderCode code;
    DWORD stage = 0, count = 0;
    if (!r.Word(stage) || !r.Word(count) || stage > 1 || count > total / kConstantFields)
        return std::nullopt;
    code.stage = static_cast<ShaderStage>(stage);
    code.constants.resize(count);
    for (ShaderConstant& c : code.constants) {
        for (DWORD* field : {&c.registerSet, &c.registerIndex, &c.registerCount, &c.rows, &c.columns,
                             &c.elements, &c.parameterClass, &c.parameterType})
            if (!r.Word(*field))
                return std::nullopt;
        if (!r.String(c.name) || !r.String(c.glslName))
            return std::nullopt;
        // A matrix has 2 to 4 rows and columns; a vector or scalar one row.
        if (c.registerSet > kRegisterSetSampler || c.rows == 0 || c.rows > 4 || c.columns == 0 ||
            c.columns > 4 || (c.rows > 1 && c.columns < 2) || c.elements == 0)
            return std::nullopt;
    }
    if (!r.String(code.glsl) || !r.AtEnd())
        return std::nullopt;
    return code;
}

int AttributeLocation(std::string_view semantic, unsigned index)
{
    struct Entry {
        std::string_view name;
        int first;
        unsigned count;
    };
    static constexpr Entry kTable[] = {
        {"POSITION", 0, 1}, {"BLENDWEIGHT", 1, 1}, {"BLENDINDICES", 2, 1}, {"NORMAL", 3, 1},
        {"PSIZE", 4, 1},    {"COLOR", 5, 2},       {"TANGENT", 7, 1},      {"TEXCOORD", 8, 8},
    };
    for (const Entry& e : kTable)
        if (e.name == semantic)
            return index < e.count ? e.first + static_cast<int>(index) : -1;
    return -1;
}

} // namespace d3d9
