#include "Framework/Widget/WidgetContainer.h"
#include "Framework/Widget/Widget.h"
#include <algorithm>

namespace widget {

GEResultEnum WidgetContainer::Add(Widget* child)
{
    children.push_back(child);
    return GE_OK;
}

GEResultEnum WidgetContainer::Remove(Widget* child, bool)
{
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end())
        return GE_FAIL;
    children.erase(it);
    return GE_OK;
}

GEResultEnum WidgetContainer::Clear(bool deleteChildren, bool recurse, bool flag)
{
    // Take the list first: a deleted child leaves its parent's list on its own.
    std::vector<Widget*> list;
    list.swap(children);
    if (!deleteChildren && !recurse)
        return GE_OK;
    for (Widget* child : list) {
        if (recurse)
            child->Clear(deleteChildren, recurse, flag);
        if (deleteChildren)
            delete child;
    }
    return GE_OK;
}

} // namespace widget
