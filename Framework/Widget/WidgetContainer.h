#pragma once
// The ordered child list of a widget; it owns the children only when cleared with
// deletion.
#include "Core/Base/Types.h"
#include <vector>

namespace widget {

class Widget;

class WidgetContainer {
public:
    WidgetContainer() = default;
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;
    virtual ~WidgetContainer() = default;

    virtual GEResultEnum Add(Widget* child);
    // Removes the first occurrence; 1 when absent.
    virtual GEResultEnum Remove(Widget* child, bool flag);
    // With both switches off only empties the list; otherwise each child is first
    // cleared the same way (recurse) and then deleted (deleteChildren).
    virtual GEResultEnum Clear(bool deleteChildren, bool recurse, bool flag);

    std::vector<Widget*> children;
};

} // namespace widget
