#pragma once
// The ring menu of a tower or a free build spot.
class TDContextMenu {
public:
    virtual ~TDContextMenu() = default;
    virtual void update(float) {}
    virtual void close() {}
};
