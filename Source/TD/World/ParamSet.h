#pragma once
// The free-form name/value children of an XML element (path points, build spots,
// upgrade steps), answered by name as a number or as text.
#include <map>
#include <string>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}

class ParamSet {
public:
    ParamSet() = default;
    // Every child element, whatever its name, is one parameter; a later one of the
    // same name wins. A null element gives an empty set.
    explicit ParamSet(const tinyxml2::XMLElement* element);

    // Lookup-or-insert: a missing name is added with 0.0 (or empty text) and returned.
    float& number(const std::string& name);
    std::string& text(const std::string& name);
    float numberOf(std::string name) { return number(name); }
    std::string textOf(std::string name) { return text(name); }

    std::map<std::string, float> numbers;
    // The number written back as text, not the attribute's own text.
    std::map<std::string, std::string> texts;
};

// A float attribute read like "%f": 0.0 when absent or when it does not start with a
// number. Shared by the level file's readers.
float ReadFloatAttribute(const tinyxml2::XMLElement* element, const char* name);
// An integer attribute read like "%d": 0 when absent or not a number.
int ReadIntAttribute(const tinyxml2::XMLElement* element, const char* name);
// The parser's message of a document that failed to parse, for a log line. It quotes
// the damaged text, which need not be UTF-8: then it reads "not readable".
std::wstring XmlErrorText(const tinyxml2::XMLDocument& document);
