#include "Core/Base/CsvLineTokenizer.h"

#include <cstdlib>

namespace {

constexpr u32 kNoPosition = 0xFFFFFFFFu;
constexpr u32 kNoSeparator = 0xFFFFFFFEu;

template <class String> void TrimBlanks(String& text)
{
    const typename String::value_type blanks[] = {' ', '\t', 0};
    const auto first = text.find_first_not_of(blanks);
    if (first == String::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(blanks) + 1);
    text.erase(0, first);
}

} // namespace

void Trim(std::string& text)
{
    TrimBlanks(text);
}

void Trim(std::wstring& text)
{
    TrimBlanks(text);
}

template <class String>
BasicLineTokenizer<String>::BasicLineTokenizer(const String& line, Char separator, bool skipEmpty)
    : line(line), separator(separator), skipEmpty(skipEmpty ? 1 : 0)
{
    TrimBlanks(this->line);
}

template <class String> bool BasicLineTokenizer<String>::NextToken(String* token)
{
    const Char blanks[] = {' ', '\t', 0};
    while (position != kNoPosition) {
        const auto found = line.find(separator, position);
        const u32 end = found == String::npos ? kNoSeparator : static_cast<u32>(found);
        const auto length = end == kNoSeparator ? String::npos : static_cast<std::size_t>(end - position);
        bool blank = false;
        if (token) {
            *token = line.substr(position, length);
            TrimBlanks(*token);
            blank = token->empty();
        } else {
            const auto nonBlank = line.find_first_not_of(blanks, position);
            blank = nonBlank == String::npos || (end != kNoSeparator && nonBlank >= end);
        }
        position = end + 1;
        if (!(skipEmpty && blank))
            return true;
    }
    return false;
}

template class BasicLineTokenizer<std::string>;
template class BasicLineTokenizer<std::wstring>;

CsvLineTokenizer& CsvLineTokenizer::NextInt(int* value)
{
    std::string token;
    if (NextToken(&token))
        *value = std::atoi(token.c_str());
    return *this;
}

CsvLineTokenizer& CsvLineTokenizer::NextFloat(float* value)
{
    std::string token;
    if (NextToken(&token))
        *value = static_cast<float>(std::atof(token.c_str()));
    return *this;
}
