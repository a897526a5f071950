#pragma once
// The scripted tutorial: steps that react to named game events. Until its steps are
// read it records the events it is given.
#include "Core/Base/Singletone.h"

#include <string>
#include <vector>

class TDTutorial : public base::Singletone<TDTutorial> {
public:
    void fireEvent(const std::wstring& name) { events.push_back(name); }
    void onMouseMove(int, int) {}
    void loadProgress() {}
    void clearOverlay() { overlay = 0; }
    void resetSteps() {}
    void updateSkipButton(float) {}
    void hideLayers() {}
    void showLayers() {}

    int visible = 0;
    int previousVisible = 0;
    int active = 0;
    int overlay = 0;
    int skipButtonShown = 0;
    std::vector<std::wstring> events; // every event fired, in order
};

// Every step back to its start (level start and restart).
inline void ResetTutorialSteps()
{
    TDTutorial::Instance()->resetSteps();
}
