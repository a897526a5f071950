#include "Source/TD/World/ParamSet.h"

#include "Core/Base/StringEncoding.h"
#include "Core/Base/WideFormat.h"

#include <cstdio>
#include <tinyxml2.h>

float ReadFloatAttribute(const tinyxml2::XMLElement* element, const char* name)
{
    const char* text = element ? element->Attribute(name) : nullptr;
    float value = 0.0f;
    if (!text || std::sscanf(text, "%f", &value) != 1)
        return 0.0f;
    return value;
}

int ReadIntAttribute(const tinyxml2::XMLElement* element, const char* name)
{
    const char* text = element ? element->Attribute(name) : nullptr;
    int value = 0;
    if (!text || std::sscanf(text, "%d", &value) != 1)
        return 0;
    return value;
}

ParamSet::ParamSet(const tinyxml2::XMLElement* element)
{
    if (!element)
        return;
    for (const tinyxml2::XMLElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        const char* nameText = child->Attribute("name");
        const std::string name = nameText ? nameText : "";
        const float value = ReadFloatAttribute(child, "value");
        numbers[name] = value;
        NumberFormat format;
        format.WriteFloat(value);
        texts[name] = format.Output();
    }
}

float& ParamSet::number(const std::string& name)
{
    texts.try_emplace(name);
    return numbers.try_emplace(name, 0.0f).first->second;
}

std::string& ParamSet::text(const std::string& name)
{
    numbers.try_emplace(name, 0.0f);
    return texts.try_emplace(name).first->second;
}

std::wstring XmlErrorText(const tinyxml2::XMLDocument& document)
{
    std::wstring text;
    if (!TryConvertToWide(document.ErrorStr() ? document.ErrorStr() : "", text, L"XML parse error"))
        text = L"not readable";
    return text;
}
