#include "Platform/D3DX9/XBuffer.h"

#include <string>

namespace d3dx9 {

XBuffer* XBuffer::FromText(const std::string& text)
{
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return new XBuffer(std::move(bytes));
}

ULONG XBuffer::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

} // namespace d3dx9
