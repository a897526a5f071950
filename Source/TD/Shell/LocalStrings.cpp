#include "Source/TD/Shell/LocalStrings.h"
#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileManager.h"
#include "Core/File/FileUtils.h"
#include "Platform/Win32/Windows.h"

#include <functional>

namespace {

// Calls `take` with the key and text of every line of the table text.
void ForEachLine(const std::string& text, const std::function<void(std::wstring&, std::wstring&)>& take)
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
        take(wideKey, wideValue);
    }
}

// Closes the handle it holds when it goes.
struct Handle {
    HANDLE handle;
    explicit Handle(HANDLE h) : handle(h) {}
    ~Handle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Open() const { return handle != INVALID_HANDLE_VALUE; }
};

// The whole of a plain file, straight from the file system; what keeps it from being
// read whole, or empty.
std::wstring ReadLooseFile(const std::wstring& path, std::string& text)
{
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Open())
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                   ? L"there is no such file"
                   : L"it cannot be opened";
    if (GetFileType(file.handle) != FILE_TYPE_DISK)
        return L"it is not a plain file";
    const DWORD size = GetFileSize(file.handle, nullptr);
    if (size == INVALID_FILE_SIZE)
        return L"its size cannot be had";
    text.assign(size, '\0');
    DWORD done = 0;
    while (done < size) {
        DWORD read = 0;
        if (!ReadFile(file.handle, text.data() + done, size - done, &read, nullptr) || read == 0)
            return L"it cannot be read whole";
        done += read;
    }
    if (text.find('\0') != std::string::npos)
        return L"it holds a NUL byte";
    return std::wstring();
}

} // namespace

LocalStrings::LocalStrings()
{
    load(kPath);
}

void LocalStrings::load(const std::wstring& path)
{
    std::string text;
    const bool whole = file::ReadWholeUtf8TextFile(path, text);
    parse(text);
    tableWhole = whole;
}

void LocalStrings::parse(const std::string& text)
{
    ForEachLine(text, [this](std::wstring& key, std::wstring& value) { table[key] = std::move(value); });
    tableWhole = true;
}

const std::wstring& LocalStrings::readLooseKeys()
{
    if (looseKeysPath != appendPath) {
        looseKeysPath = appendPath;
        looseKeys.clear();
        std::string text;
        looseProblem = ReadLooseFile(file::FileManager::Instance()->OnDisk(appendPath), text);
        if (looseProblem.empty())
            ForEachLine(text, [this](std::wstring& key, std::wstring&) { looseKeys.insert(key); });
    }
    return looseProblem;
}

void LocalStrings::appendMissing(const std::wstring& key)
{
    const auto notAdded = [&](const std::wstring& why) {
        GE_LOG(L"Text '%s' is missing from %s and is not added there (%s); the key is shown in its place\n")
            << key << appendPath << why;
    };
    if (!tableWhole)
        return notAdded(L"the texts were not read from it whole");
    // A key that would break the line format is not written.
    if (key.find_first_of(L";\r\n") != std::wstring::npos)
        return notAdded(L"the key cannot stand in a line of it");
    if (const std::wstring& problem = readLooseKeys(); !problem.empty())
        return notAdded(problem);
    if (looseKeys.count(key)) {
        GE_LOG(L"Text '%s' stands in %s but was not read from it; the key is shown in its place\n")
            << key << appendPath;
        return;
    }
    // The loose file is the content folder's, as the table read through the file manager.
    const std::wstring onDisk = file::FileManager::Instance()->OnDisk(appendPath);
    Handle file(CreateFileW(onDisk.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Open())
        return notAdded(L"it cannot be written");
    std::string line = ConvertToNarrow(key) + ";???\r\n";
    // A last line without its line break would swallow the new key.
    const DWORD size = GetFileSize(file.handle, nullptr);
    if (size != INVALID_FILE_SIZE && size > 0 &&
        SetFilePointer(file.handle, -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) {
        char last = 0;
        DWORD read = 0;
        if (ReadFile(file.handle, &last, 1, &read, nullptr) && read == 1 && last != '\n')
            line = "\r\n" + line;
    }
    DWORD written = 0;
    if (SetFilePointer(file.handle, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER ||
        !WriteFile(file.handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size())
        return notAdded(L"writing it failed");
    looseKeys.insert(key);
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
