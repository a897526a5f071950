#pragma once
// Small lookups over lists of sprite frames.
#include <cstddef>
#include <vector>

// The element at index, the last one past the end, null for an empty list.
template <class T> T* ClampedListElement(const std::vector<T*>& list, std::size_t index)
{
    if (list.empty())
        return nullptr;
    return index < list.size() ? list[index] : list.back();
}
