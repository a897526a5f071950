#include "Source/TD/Tutorial/TDTutorialStep.h"

#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"

#include <tinyxml2.h>

namespace {

std::wstring WideAttribute(const tinyxml2::XMLElement* element, const char* name)
{
    const char* text = element->Attribute(name);
    std::wstring wide;
    if (text && !TryConvertToWide(text, wide, L"tutorial attribute"))
        wide.clear();
    return wide;
}

void ReadCommands(const tinyxml2::XMLElement* list, std::vector<TDTutorialCommand>& out)
{
    if (!list)
        return;
    for (const tinyxml2::XMLElement* cmd = list->FirstChildElement("cmd"); cmd;
         cmd = cmd->NextSiblingElement("cmd")) {
        TDTutorialCommand command;
        command.name = WideAttribute(cmd, "param");
        command.value = cmd->IntAttribute("value", 0);
        out.push_back(std::move(command));
    }
}

} // namespace

TDTutorialStep* TDTutorialStep::read(const tinyxml2::XMLElement* element, file::ImageContainer* images,
                                     PlayerProgress* progress)
{
    const tinyxml2::XMLElement* condition = element->FirstChildElement("condition");
    const tinyxml2::XMLElement* show = element->FirstChildElement("show");
    const int id = element->IntAttribute("id", 0);
    // Ids name the records of the profile and the steps the game asks for: none is
    // negative or beyond four digits.
    if (id < 0 || id > 9999) {
        GE_LOG(L"Tutorial script 'td/tutorial.xml': step id %d lies outside 0 to 9999: the step is skipped.\n") << id;
        return nullptr;
    }
    if (!condition || !show) {
        GE_LOG(L"Tutorial step %d has no '%s' element: the step is skipped.\n")
            << id << (condition ? L"show" : L"condition");
        return nullptr;
    }

    auto* step = new TDTutorialStep;
    step->images = images;
    step->id = id;
    step->state = progress ? progress->getTutorialStepState(id) : Waiting;
    step->shop = condition->IntAttribute("shop", 0);
    step->level = condition->IntAttribute("level", 0);
    step->episode = condition->IntAttribute("episode", 0);
    step->activate = WideAttribute(element, "activate");
    step->complete = WideAttribute(element, "complete");
    step->folder = WideAttribute(show, "folder");
    ReadCommands(element->FirstChildElement("cmds"), step->commands);
    ReadCommands(element->FirstChildElement("onComplete"), step->completion);
    for (const tinyxml2::XMLElement* text = show->FirstChildElement("text"); text;
         text = text->NextSiblingElement("text")) {
        const std::wstring place = WideAttribute(text, "place");
        const std::wstring key = WideAttribute(text, "string");
        step->texts[place] = key.empty() ? std::wstring() : LocalStrings::Instance()->get(key);
    }
    return step;
}

bool TDTutorialStep::conditionHolds(int currentEpisode, int currentLevel) const
{
    return shop != -1 || (currentEpisode == episode && currentLevel == level);
}
