#include "Source/TD/Shell/LocalStrings.h"
#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileUtils.h"
#include "Platform/Win32/Windows.h"

LocalStrings::LocalStrings()
{
    load(kPath);
}

void LocalStrings::load(const std::wstring& path)
{
    parse(file::ReadUtf8TextFile(path));
}

void LocalStrings::parse(const std::string& text)
{
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        CsvLineTokenizer fields(line, ';', false);
        std::string key, value;
        fields.NextToken(&key);
        fields.NextToken(&value);
        std::wstring wideKey, wideValue;
        if (!TryConvertToWide(key, wideKey, L"text key") || !TryConvertToWide(value, wideValue, L"text"))
            continue;
        table[wideKey] = wideValue;
    }
}

void LocalStrings::appendMissing(const std::wstring& key)
{
    // A key that would break the line format is not written.
    if (key.find_first_of(L";\r\n") != std::wstring::npos)
        return;
    HANDLE file = CreateFileW(appendPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string line = ConvertToNarrow(key) + ";???\r\n";
    // A last line without its line break would swallow the new key.
    const DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE && size > 0 && SetFilePointer(file, -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) {
        char last = 0;
        DWORD read = 0;
        if (ReadFile(file, &last, 1, &read, nullptr) && read == 1 && last != '\n')
            line = "\r\n" + line;
    }
    if (SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) {
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    CloseHandle(file);
}

std::wstring LocalStrings::get(const std::wstring& key)
{
    auto it = table.find(key);
    if (it == table.end()) {
        appendMissing(key);
        it = table.emplace(key, key).first;
    }
    const std::wstring& text = it->second;
    if (text.size() <= 1 || text.find(L'\\') == std::wstring::npos)
        return text;
    std::wstring result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
            result += L'\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}
