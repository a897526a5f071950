#pragma once
// ID3DXBuffer over a byte vector.
#include "Platform/D3DX9/D3DX9.h"

#include <atomic>
#include <string>
#include <vector>

namespace d3dx9 {

class XBuffer final : public ID3DXBuffer {
public:
    explicit XBuffer(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    // A text buffer holds the characters and a terminating zero.
    static XBuffer* FromText(const std::string& text);

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    void* GetBufferPointer() override { return bytes_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

private:
    ~XBuffer() override = default;

    std::atomic<ULONG> refs_{1};
    std::vector<unsigned char> bytes_;
};

} // namespace d3dx9
