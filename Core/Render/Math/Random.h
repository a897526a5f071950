#pragma once
// The engine's only source of randomness: a global counter, never seeded, hashed
// to a float. The same calls give the same numbers on every run.
#include "Core/Base/Types.h"

// The 32-bit hash of one counter value.
u32 RandomHash(u32 counter);
// r x 2^-32 rounded to float, kept strictly below 1 so that floor(u x n) stays
// inside [0, n).
float RandomUnitFromHash(u32 r);
// Advances the counter and returns a float in [0, 1).
float RandomFloat();
// Sets the counter (0 = as at program start); for deterministic replays.
void ResetRandomCounter(u32 value = 0);
