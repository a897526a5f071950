#pragma once
// Splits one line of a data sheet at a single separator. There is no quoting: a
// separator always ends a field. Fields are trimmed of spaces and tabs.
#include "Core/Base/Types.h"
#include <string>

// Removes spaces and tabs from both ends in place.
void Trim(std::string& text);
void Trim(std::wstring& text);

template <class String> class BasicLineTokenizer {
public:
    using Char = typename String::value_type;

    BasicLineTokenizer(const String& line, Char separator, bool skipEmpty);

    // The next field, trimmed; false when the line is used up. A null token steps
    // over one field.
    bool NextToken(String* token);

    String line;
    Char separator;
    u32 position = 0; // 0xFFFFFFFF once the line is used up
    u8 skipEmpty;
};

class CsvLineTokenizer : public BasicLineTokenizer<std::string> {
public:
    CsvLineTokenizer(const std::string& line, char separator = ';', bool skipEmpty = false)
        : BasicLineTokenizer(line, separator, skipEmpty)
    {
    }

    // The next field through atoi / atof; without a further field the value is kept.
    CsvLineTokenizer& NextInt(int* value);
    CsvLineTokenizer& NextFloat(float* value);
};

class WideTokenizer : public BasicLineTokenizer<std::wstring> {
public:
    WideTokenizer(const std::wstring& line, wchar_t separator, bool skipEmpty)
        : BasicLineTokenizer(line, separator, skipEmpty)
    {
    }
};

extern template class BasicLineTokenizer<std::string>;
extern template class BasicLineTokenizer<std::wstring>;
