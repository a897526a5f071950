#pragma once
// One step of the scripted tutorial: the event that activates it, the event that
// completes it, where it may run, the commands it runs at each end and the overlay
// (a folder of the tutorial's layered image plus texts for its placeholders).
#include "Core/Base/Types.h"

#include <map>
#include <string>
#include <vector>

namespace file {
class ImageContainer;
}
namespace tinyxml2 {
class XMLElement;
}
class PlayerProgress;

// One `cmd`: a command name and its value (0 when absent).
struct TDTutorialCommand {
    std::wstring name;
    i32 value = 0;
};

class TDTutorialStep {
public:
    enum State { Waiting = 0, Active = 1, Done = 2 };

    // The step of a `step` element, its state read from `progress` (state 0 without
    // one). A step without its `condition` or its `show` child cannot be run: null,
    // with one log line.
    static TDTutorialStep* read(const tinyxml2::XMLElement* element, file::ImageContainer* images,
                                PlayerProgress* progress);

    // Whether the step may react in the given level (zero-based episode and level).
    bool conditionHolds(int currentEpisode, int currentLevel) const;

    file::ImageContainer* images = nullptr; // the tutorial's, not owned
    i32 id = 0;
    i32 state = Waiting;
    std::wstring activate;
    std::wstring complete;
    i32 level = 0;
    i32 episode = 0;
    i32 shop = 0; // -1 ties the step to its level and episode
    std::vector<TDTutorialCommand> commands;
    std::vector<TDTutorialCommand> completion;
    std::wstring folder;
    std::map<std::wstring, std::wstring> texts; // placeholder's full name -> text
};
