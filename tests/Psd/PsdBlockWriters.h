#pragma once
// Well-formed bodies of the adjustment, fill, effects, type and pattern blocks, for
// tests and seed documents.
#include "tests/Psd/PsdWriter.h"

namespace psdtest {

std::vector<u8> LevelsBlock(bool withExtra);
std::vector<u8> CurvesBlock(u32 mask, u16 points, bool withCopy);
std::vector<u8> BrightnessBlock();
std::vector<u8> ColorBalanceBlock();
std::vector<u8> HueSaturationBlock(u16 version = 2);
std::vector<u8> SelectiveColorBlock(u16 version = 1);
std::vector<u8> ThresholdBlock();
std::vector<u8> PosterizeBlock();
std::vector<u8> ChannelMixerBlock(u16 version = 1);
std::vector<u8> PhotoFilterBlock(u16 version = 3);
std::vector<u8> GradientMapBlock(u16 version = 1);
std::vector<u8> SolidColorBlock(u32 version = 16);
std::vector<u8> GradientFillBlock(u32 version = 16);
std::vector<u8> PatternFillBlock(u32 version = 16);
std::vector<u8> TypeToolBlock();
// "lrFX" with every record kind (common state, shadows, glows, bevel, solid fill).
std::vector<u8> LrfxBlock(u16 version = 0);
// "lfx2" with every effect kind; extra items are written inside the top descriptor.
std::vector<u8> Lfx2Block(const std::vector<u8>& extraItems = {}, u32 extraCount = 0);
// One pattern record (its length included) of the given mode, w x h, raw channels.
std::vector<u8> PatternRecord(u32 mode, u16 w, u16 h, const std::vector<std::vector<u8>>& channels,
                              u32 version = 1);

} // namespace psdtest
