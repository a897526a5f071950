#pragma once
// IDirect3DTexture9: a GL texture with a CPU copy of each locked level, uploaded on
// unlock. DXT levels are uploaded as S3TC or decoded on the CPU. A managed level lets
// its copy go once uploaded (GL keeps it, across resets too) and reads it back from GL
// when it is locked again; only DXT blocks decoded on the CPU are kept, since GL holds
// them decoded.
#include "Platform/D3D9/DeviceChild.h"
#include "Platform/D3D9/Surface9.h"

#include <memory>
#include <vector>

namespace d3d9 {

class Texture9 final : public DeviceChild<IDirect3DTexture9> {
public:
    static HRESULT Create(Device9* device, UINT width, UINT height, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, Texture9** out);

    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    GLuint Name() const { return name_; }
    // Bytes of CPU copies held, for tests.
    size_t CpuBytes() const;
    bool IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }

private:
    struct Level {
        UINT width = 0, height = 0;
        std::vector<unsigned char> bytes; // CPU copy, made on first lock
        bool uploaded = false;            // GL holds the level's texels
        bool locked = false;
        bool readOnly = false;
        std::unique_ptr<Surface9> surface;
    };

    Texture9(Device9* device, UINT width, UINT height, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~Texture9() override;

    bool Compressed() const;
    size_t BlockBytes() const;
    UINT Pitch(const Level& level) const;
    UINT Rows(const Level& level) const;
    void Allocate(UINT levels);
    void Upload(UINT level);
    // Reads the level's texels back from GL into its CPU copy.
    void Download(UINT level);
    // A managed level whose texels GL can give back does without its copy.
    bool KeepsCopy() const { return pool_ != D3DPOOL_MANAGED || (Compressed() && device_->CpuDxt()); }

    UINT width_, height_;
    DWORD usage_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    GLuint name_ = 0;
    std::vector<Level> levels_;
};

} // namespace d3d9
