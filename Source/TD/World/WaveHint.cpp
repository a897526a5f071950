#include "Source/TD/World/WaveHint.h"

#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"

WaveHint::WaveHint()
{
    image = TDResources::Instance()->getFrame(L"td/ui", "", L"ui/wave_hint");
}

WaveHint::~WaveHint()
{
    clear();
}

TDFrameEntry* WaveHint::add()
{
    auto* entry = image ? new TDFrameEntry(*image) : new TDFrameEntry;
    entry->mX = kX - entry->mWidth * 0.5f;
    entry->mY = kY - entry->mHeight * 0.5f;
    entry->mVisible = true;
    entries.push_back(entry);
    return entry;
}

bool WaveHint::hitTest(int x, int y) const
{
    const float px = static_cast<float>(x);
    const float py = static_cast<float>(y);
    for (const TDFrameEntry* entry : entries) {
        const float halfW = entry->mWidth * 0.5f;
        const float halfH = entry->mHeight * 0.5f;
        const float cx = entry->mX + halfW;
        const float cy = entry->mY + halfH;
        if (px > cx - halfW && px < cx + halfW && py > cy - halfH && py < cy + halfH)
            return true;
    }
    return false;
}

void WaveHint::clear()
{
    for (TDFrameEntry* entry : entries)
        delete entry;
    entries.clear();
}
