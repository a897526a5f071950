// Feeds arbitrary bytes as "td/tutorial.xml" and offers every step's events to the
// steps that could be read, outside a game (no level, no profile, no pictures).
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Tutorial/TDTutorialStep.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    TDTutorial* tutorial = TDTutorial::Instance();
    tutorial->readScript(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::wstring> events;
    for (const TDTutorialStep* step : tutorial->steps) {
        events.push_back(step->activate);
        events.push_back(step->complete);
    }
    for (const std::wstring& event : events)
        tutorial->fireEvent(event);
    tutorial->resetSteps();
    tutorial->clearOverlay();
    return 0;
}
