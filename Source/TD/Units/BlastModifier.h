#pragma once
// The burst of a shot that arrives without its target: the units around the shot take
// the firing tier's strength at once and the ammunition's hit effect plays. Lives one
// tick in the level's area list.
#include "Source/TD/Units/TDModifier.h"

class TDBullet;

class BlastModifier : public TDModifier {
public:
    // The tier is the tower's current one; a shot whose tower was sold meanwhile
    // bursts with the tier it was fired with.
    BlastModifier(const EffectWorld& world, const TDBullet* bullet);
};
