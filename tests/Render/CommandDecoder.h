#pragma once
// Splits the bytes recorded in a command buffer into commands, with the operand
// sizes of the stream format written out independently of the renderer.
#include "Core/Render/CommandBuffer.h"
#include "Core/Render/Math/Point4.h"
#include "Core/Render/ShaderImpl.h"
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace test {

struct DecodedCommand {
    u32 code = 0;
    std::vector<u8> operands;

    template <class T> T At(size_t offset) const
    {
        T value{};
        EXPECT_LE(offset + sizeof(T), operands.size());
        if (offset + sizeof(T) <= operands.size())
            std::memcpy(&value, operands.data() + offset, sizeof(T));
        return value;
    }
    u32 U32(size_t offset) const { return At<u32>(offset); }
    u64 Address(size_t offset) const { return At<u64>(offset); }
};

inline size_t FixedOperandSize(u32 code)
{
    switch (code) {
    case 0:
        return 4 + 16 + 4 + 4;
    case 4:
    case 6:
    case 9:
    case 10:
        return 8;
    case 8:
    case 11:
        return 4;
    case 12:
        return 1;
    case 13:
        return 16;
    case 16:
        return 12;
    case 17:
        return 24;
    default:
        return 0;
    }
}

// Decodes [0, end) of the buffer; `end` defaults to the current position.
inline std::vector<DecodedCommand> Decode(const render::CommandBuffer& buffer, u32 end = 0xFFFFFFFF)
{
    if (end == 0xFFFFFFFF)
        end = buffer.Position();
    const u8* bytes = buffer.Data();
    std::vector<DecodedCommand> out;
    size_t at = 0;
    auto take = [&](DecodedCommand& c, size_t n) {
        if (at + n > end) {
            ADD_FAILURE() << "command " << c.code << " is cut short";
            at = end;
            return false;
        }
        c.operands.insert(c.operands.end(), bytes + at, bytes + at + n);
        at += n;
        return true;
    };
    while (at < end) {
        DecodedCommand c;
        if (at + 4 > end) {
            ADD_FAILURE() << "stray bytes at the end";
            break;
        }
        std::memcpy(&c.code, bytes + at, 4);
        at += 4;
        if (c.code == 14) {
            if (take(c, 1) && c.operands[0] != 0)
                take(c, 1);
        } else if (c.code == 7) {
            if (!take(c, 9))
                break;
            u64 address = 0;
            std::memcpy(&address, c.operands.data(), 8);
            auto* shader = reinterpret_cast<render::ShaderImpl*>(static_cast<std::uintptr_t>(address));
            const u8 n = c.operands[8];
            for (u8 i = 0; i < n && at < end; ++i) {
                if (!take(c, 1))
                    break;
                const u8 index = c.operands.back();
                auto* variable = shader->GetVariables().at(index).get();
                const bool vector =
                    dynamic_cast<render::ShaderScalarVariable<math::Point4, 1>*>(variable) != nullptr;
                take(c, vector ? 16 : 8);
            }
        } else {
            take(c, FixedOperandSize(c.code));
        }
        out.push_back(std::move(c));
    }
    return out;
}

inline std::vector<u32> Codes(const std::vector<DecodedCommand>& commands)
{
    std::vector<u32> codes;
    for (const auto& c : commands)
        codes.push_back(c.code);
    return codes;
}

} // namespace test
