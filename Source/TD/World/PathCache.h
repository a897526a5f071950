#pragma once
// The path cache file: a level's sampled curves as little-endian 32-bit words, so a
// level can skip the route search and sampling. Layout: group count; per group the
// link index, the marks (count, then key/value pairs) and the curves (count, then per
// curve its track key, node count and nodes of five words: mark, nx, ny, x, y).
#include "Core/Base/Types.h"

#include <string>
#include <vector>

class TDLink;
class TDPathSet;

// The file of an episode and level, both counted from 0.
std::wstring PathCacheFileName(int episode, int level);

// Fills `paths` from the bytes. Every count and link index is checked against the
// level's links and the bytes there are, and the data must end with the last curve:
// on any mismatch `paths` is left empty, `error` says why and false is returned.
bool ReadPathCache(const u8* data, size_t size, const std::vector<TDLink*>& links, TDPathSet& paths,
                   std::wstring* error);

// The cache of the start-to-end curves of `paths` (reverse curves are not stored).
std::vector<u8> WritePathCache(const TDPathSet& paths, const std::vector<TDLink*>& links);
