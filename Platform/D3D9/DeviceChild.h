#pragma once
// Reference counting shared by the device's resources. A resource keeps its device
// alive, as in Direct3D 9, so its GL objects are deleted while the context exists.
#include "Platform/D3D9/Device9.h"

namespace d3d9 {

template <class Interface> class DeviceChild : public Interface {
public:
    explicit DeviceChild(Device9* device) : device_(device) { device_->AddRef(); }

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT GetDevice(IDirect3DDevice9** device) override
    {
        if (!device)
            return D3DERR_INVALIDCALL;
        device_->AddRef();
        *device = device_;
        return D3D_OK;
    }
    Device9* Device() const { return device_; }

protected:
    ~DeviceChild() override { device_->Release(); }

    Device9* device_;

private:
    ULONG refs_ = 1;
};

} // namespace d3d9
