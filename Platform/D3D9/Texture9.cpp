#include "Platform/D3D9/Texture9.h"
#include "Platform/D3D9/Dxt.h"

#include <algorithm>
#include <cstring>

namespace d3d9 {

namespace {

bool IsDxt(D3DFORMAT f)
{
    return f == D3DFMT_DXT1 || f == D3DFMT_DXT2 || f == D3DFMT_DXT3 || f == D3DFMT_DXT4 || f == D3DFMT_DXT5;
}

DxtKind KindOf(D3DFORMAT f)
{
    return f == D3DFMT_DXT1                         ? DxtKind::Dxt1
           : (f == D3DFMT_DXT2 || f == D3DFMT_DXT3) ? DxtKind::Dxt3
                                                    : DxtKind::Dxt5;
}

GLenum S3tcFormat(D3DFORMAT f)
{
    switch (KindOf(f)) {
    case DxtKind::Dxt1:
        return GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
    case DxtKind::Dxt3:
        return GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
    default:
        return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
    }
}

UINT FullChain(UINT w, UINT h)
{
    UINT levels = 1;
    while (w > 1 || h > 1) {
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
        ++levels;
    }
    return levels;
}

} // namespace

HRESULT Texture9::Create(Device9* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool, Texture9** out)
{
    const bool colour = format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
    if (!out || width == 0 || height == 0 || width > device->MaxTextureSize() ||
        height > device->MaxTextureSize() || (!colour && !IsDxt(format)))
        return D3DERR_INVALIDCALL;
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED)
        return D3DERR_INVALIDCALL;
    // As in Direct3D 9: render targets and dynamic textures live in the default pool.
    if ((usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) && pool != D3DPOOL_DEFAULT)
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) && !colour)
        return D3DERR_INVALIDCALL;
    const UINT chain = FullChain(width, height);
    if (levels == 0 || levels > chain)
        levels = chain;
    if (usage & D3DUSAGE_RENDERTARGET)
        levels = 1;
    auto* texture = new Texture9(device, width, height, usage, format, pool);
    device->BeginGlWork();
    texture->Allocate(levels);
    if (const HRESULT hr = device->GlWorkResult("CreateTexture"); FAILED(hr)) {
        texture->Release();
        return hr;
    }
    *out = texture;
    return D3D_OK;
}

Texture9::Texture9(Device9* device, UINT width, UINT height, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : DeviceChild(device), width_(width), height_(height), usage_(usage), format_(format), pool_(pool)
{
    if (pool_ == D3DPOOL_DEFAULT)
        device_->CountDefaultPool(1);
}

Texture9::~Texture9()
{
    device_->MakeCurrent();
    device_->Forget(this);
    levels_.clear(); // surfaces delete their framebuffers first
    device_->Gl().DeleteTextures(1, &name_);
    if (pool_ == D3DPOOL_DEFAULT)
        device_->CountDefaultPool(-1);
}

bool Texture9::Compressed() const
{
    return IsDxt(format_);
}

size_t Texture9::BlockBytes() const
{
    return Compressed() ? DxtBlockBytes(KindOf(format_)) : 4;
}

UINT Texture9::Pitch(const Level& level) const
{
    return Compressed() ? static_cast<UINT>((level.width + 3) / 4 * BlockBytes()) : level.width * 4;
}

UINT Texture9::Rows(const Level& level) const
{
    return Compressed() ? (level.height + 3) / 4 : level.height;
}

void Texture9::Allocate(UINT levels)
{
    const GlApi& gl = device_->Gl();
    device_->MakeCurrent();
    gl.GenTextures(1, &name_);
    device_->UseTextureUnit(kUploadUnit);
    gl.BindTexture(GL_TEXTURE_2D, name_);
    // Without the limit, mip filtering would find the texture incomplete and sample black.
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    if (format_ == D3DFMT_X8R8G8B8)
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    levels_.resize(levels);
    UINT w = width_, h = height_;
    for (UINT i = 0; i < levels; ++i) {
        levels_[i].width = w;
        levels_[i].height = h;
        if (Compressed() && !device_->CpuDxt()) {
            // Every level gets storage so the texture is complete; contents start at zero.
            std::vector<unsigned char> zero(static_cast<size_t>(Pitch(levels_[i])) * Rows(levels_[i]), 0);
            gl.CompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), S3tcFormat(format_),
                                    static_cast<GLsizei>(w), static_cast<GLsizei>(h), 0,
                                    static_cast<GLsizei>(zero.size()), zero.data());
        } else {
            gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), GL_RGBA8, static_cast<GLsizei>(w),
                          static_cast<GLsizei>(h), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        }
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
}

HRESULT Texture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (level >= levels_.size() || !desc)
        return D3DERR_INVALIDCALL;
    *desc = {};
    desc->Format = format_;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Width = levels_[level].width;
    desc->Height = levels_[level].height;
    return D3D_OK;
}

HRESULT Texture9::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (HRESULT hr = device_->TakeFailure(D3D9TestCall::GetSurfaceLevel); FAILED(hr))
        return hr;
    if (level >= levels_.size())
        return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    if (!l.surface)
        l.surface = std::make_unique<Surface9>(device_, this, level, l.width, l.height, format_);
    l.surface->AddRef();
    *surface = l.surface.get();
    return D3D_OK;
}

HRESULT Texture9::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (HRESULT hr = device_->TakeFailure(D3D9TestCall::LockRect); FAILED(hr))
        return hr;
    // Render targets and static default-pool textures have no CPU side in Direct3D 9.
    if (!locked || level >= levels_.size() || IsRenderTarget() ||
        (pool_ == D3DPOOL_DEFAULT && !(usage_ & D3DUSAGE_DYNAMIC)))
        return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    if (l.locked)
        return D3DERR_INVALIDCALL;
    const UINT pitch = Pitch(l);
    size_t offset = 0;
    if (rect) {
        const UINT block = Compressed() ? 4 : 1;
        if (rect->left < 0 || rect->top < 0 || rect->right <= rect->left || rect->bottom <= rect->top ||
            static_cast<UINT>(rect->right) > l.width || static_cast<UINT>(rect->bottom) > l.height ||
            rect->left % block != 0 || rect->top % block != 0)
            return D3DERR_INVALIDCALL;
        offset = static_cast<size_t>(rect->top / block) * pitch +
                 static_cast<size_t>(rect->left / block) * BlockBytes();
    }
    if (l.bytes.empty()) {
        l.bytes.assign(static_cast<size_t>(pitch) * Rows(l), 0);
        // A part locked is written back whole: the rest must be what GL holds.
        if (l.uploaded)
            Download(level);
    }
    l.locked = true;
    l.readOnly = (flags & D3DLOCK_READONLY) != 0;
    locked->Pitch = static_cast<INT>(pitch);
    locked->pBits = l.bytes.data() + offset;
    return D3D_OK;
}

HRESULT Texture9::UnlockRect(UINT level)
{
    if (HRESULT hr = device_->TakeFailure(D3D9TestCall::UnlockRect); FAILED(hr))
        return hr;
    if (level >= levels_.size() || !levels_[level].locked)
        return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    l.locked = false;
    if (l.readOnly) {
        if (!KeepsCopy())
            std::vector<unsigned char>().swap(l.bytes);
        return D3D_OK;
    }
    device_->BeginGlWork();
    Upload(level);
    const HRESULT hr = device_->GlWorkResult("UnlockRect");
    if (SUCCEEDED(hr)) {
        l.uploaded = true;
        if (!KeepsCopy())
            std::vector<unsigned char>().swap(l.bytes);
    }
    return hr;
}

void Texture9::Download(UINT level)
{
    Level& l = levels_[level];
    const GlApi& gl = device_->Gl();
    device_->MakeCurrent();
    device_->UseTextureUnit(kUploadUnit);
    gl.BindTexture(GL_TEXTURE_2D, name_);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_PACK_ROW_LENGTH, 0);
    if (Compressed())
        gl.GetCompressedTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), l.bytes.data());
    else
        gl.GetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), GL_BGRA, GL_UNSIGNED_BYTE, l.bytes.data());
}

size_t Texture9::CpuBytes() const
{
    size_t bytes = 0;
    for (const Level& l : levels_)
        bytes += l.bytes.size();
    return bytes;
}

void Texture9::Upload(UINT level)
{
    const Level& l = levels_[level];
    const GlApi& gl = device_->Gl();
    device_->MakeCurrent();
    device_->UseTextureUnit(kUploadUnit);
    gl.BindTexture(GL_TEXTURE_2D, name_);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    const auto w = static_cast<GLsizei>(l.width), h = static_cast<GLsizei>(l.height);
    if (!Compressed()) {
        gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                      l.bytes.data());
    } else if (!device_->CpuDxt()) {
        gl.CompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), S3tcFormat(format_), w, h, 0,
                                static_cast<GLsizei>(l.bytes.size()), l.bytes.data());
    } else {
        std::vector<uint32_t> texels(static_cast<size_t>(l.width) * l.height);
        DecodeDxt(KindOf(format_), l.bytes.data(), l.width, l.height, texels.data());
        gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                      texels.data());
    }
}

} // namespace d3d9
