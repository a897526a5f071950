#include "Source/TD/Shell/Profiles.h"
#include "Core/App/Application.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/UserDataFileContainer.h"
#include "Platform/Win32/Windows.h"

#include <cstdint>
#include <cstring>
#include <tinyxml2.h>

namespace file {

namespace {

const char* Text(const std::wstring& text, std::string& storage)
{
    storage = ConvertToNarrow(text);
    return storage.c_str();
}

std::wstring Wide(const char* text)
{
    return text ? ConvertToWide(text, StringEncoding::Ansi) : std::wstring();
}

// Closes the handle it holds when it goes.
struct FileHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    bool Close()
    {
        const HANDLE h = handle;
        handle = INVALID_HANDLE_VALUE;
        return CloseHandle(h) != FALSE;
    }
};

// A profile file beyond this is no profile file; reading it would only cost memory.
constexpr DWORD kMaxFileSize = 64u << 20;

enum class Found { Missing, Refused, Read };

// Reads a per-user file whole without ever waiting on it: a FIFO, a device or a
// socket in its place is refused, as is what cannot be read whole (`why` says why).
Found ReadUserFile(const std::wstring& path, std::string& text, std::wstring& why)
{
    text.clear();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Found::Missing; // a dangling link too
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        why = L"it is a folder";
        return Found::Refused;
    }
    FileHandle file;
    file.handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.handle == INVALID_HANDLE_VALUE) {
        why = L"it cannot be opened (error " + std::to_wstring(GetLastError()) + L")";
        return Found::Refused;
    }
    switch (GetFileType(file.handle)) {
    case FILE_TYPE_DISK: break;
    case FILE_TYPE_CHAR: why = L"it is a device, not a plain file"; return Found::Refused;
    case FILE_TYPE_PIPE: why = L"it is a FIFO or a socket, not a plain file"; return Found::Refused;
    default: why = L"it is not a plain file"; return Found::Refused;
    }
    const DWORD size = GetFileSize(file.handle, nullptr);
    if (size == INVALID_FILE_SIZE || size > kMaxFileSize) {
        why = L"it is larger than 64 MB";
        return Found::Refused;
    }
    text.assign(size, '\0');
    for (DWORD done = 0; done < size;) {
        DWORD read = 0;
        if (!ReadFile(file.handle, text.data() + done, size - done, &read, nullptr) || read == 0) {
            why = L"it cannot be read whole";
            return Found::Refused;
        }
        done += read;
    }
    return Found::Read;
}

bool XmlCanKeep(wchar_t c)
{
    const auto u = static_cast<std::uint32_t>(c);
    return u >= 0x20 && !(u >= 0x7F && u <= 0x9F) && !(u >= 0xD800 && u <= 0xDFFF) && u != 0xFFFE && u != 0xFFFF &&
           u <= 0x10FFFF;
}

} // namespace

Profiles::Profiles() = default;

Profiles::~Profiles()
{
    if (document && (saveDue || !(app::Application::Exists() && GetApplication()->noSave))) {
        savesHeld = false;
        write();
    }
}

std::vector<base::SingletoneBase*> Profiles::GetDependencies()
{
    std::vector<base::SingletoneBase*> list{UserDataFileContainer::Instance(), base::MainLog::Instance()};
    // The exit save asks the application for its no-save flag.
    if (app::Application::Exists())
        list.push_back(GetApplication());
    return list;
}

std::wstring Profiles::CleanName(const std::wstring& name)
{
    std::wstring clean;
    for (wchar_t c : name)
        if (XmlCanKeep(c))
            clean += c;
    return clean;
}

void Profiles::startEmpty()
{
    document = std::make_unique<tinyxml2::XMLDocument>();
    root = document->NewElement("Profiles");
    document->InsertEndChild(root);
    current = nullptr;
    selectProfile(kDefaultName);
}

void Profiles::cleanNames()
{
    const auto clean = [](tinyxml2::XMLElement* e, const char* attribute) {
        const std::wstring name = Wide(e->Attribute(attribute));
        const std::wstring kept = CleanName(name);
        if (kept == name)
            return false;
        std::string storage;
        e->SetAttribute(attribute, Text(kept, storage));
        return true;
    };
    int mended = clean(root, "currentProfile") ? 1 : 0;
    for (tinyxml2::XMLElement* e = root->FirstChildElement("Profile"); e; e = e->NextSiblingElement("Profile"))
        mended += clean(e, "name") ? 1 : 0;
    if (mended)
        GE_LOG(L"%d profile names held control characters or others that a profile file cannot keep; they were "
               L"left out\n")
            << mended;
}

bool Profiles::parse(const char* text, size_t length)
{
    document = std::make_unique<tinyxml2::XMLDocument>();
    root = nullptr;
    current = nullptr;
    if (document->Parse(text, length) != tinyxml2::XML_SUCCESS)
        return false;
    tinyxml2::XMLElement* found = document->FirstChildElement("Profiles");
    if (!found || !found->Attribute("currentProfile"))
        return false;
    // Every profile must carry its name: nothing else tells them apart.
    for (tinyxml2::XMLElement* e = found->FirstChildElement("Profile"); e; e = e->NextSiblingElement("Profile"))
        if (!e->Attribute("name"))
            return false;
    root = found;
    cleanNames();
    selectProfile(Wide(root->Attribute("currentProfile")));
    return true;
}

void Profiles::loadText(const std::string& text)
{
    damagedInPlace = false;
    fileKnown = false;
    standIn = false;
    if (!parse(text.c_str(), text.size())) {
        startEmpty();
        loadError = true;
    }
}

void Profiles::load()
{
    damagedInPlace = false;
    damagedCopy.clear();
    fileKnown = false;
    standIn = false;
    saveDue = false;
    const std::wstring path = UserDataFileContainer::Instance()->GetRootPath() + kFileName;
    std::string text;
    std::wstring why;
    const Found found = ReadUserFile(path, text, why);
    if (found == Found::Read) {
        // The text up to a NUL is all a reader sees.
        if (parse(text.c_str(), std::strlen(text.c_str()))) {
            fileText = text;
            fileKnown = true;
            return;
        }
        why.clear();
    }
    if (found != Found::Missing) {
        damagedInPlace = true;
        if (!moveDamagedAside(why)) {
            GE_LOG(L"%s could not be read as profiles and cannot be moved aside; it is not saved over\n") << path;
            standIn = true;
            startEmpty();
            loadError = true;
            return;
        }
    }
    if (recoverFromBackup(found == Found::Missing ? L"is missing" : L"could not be read"))
        return;
    // The default profile stands in; when something was lost it never becomes the backup.
    startEmpty();
    if (found != Found::Missing || standIn) {
        standIn = true;
        loadError = true;
    }
}

bool Profiles::moveAside(const std::wstring& path, std::wstring& aside)
{
    for (int n = 1; n <= 1000; ++n) {
        aside = path + L".damaged" + (n == 1 ? std::wstring() : L"-" + std::to_wstring(n));
        if (GetFileAttributesW(aside.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue; // an earlier damaged file is kept as it is
        return MoveFileExW(path.c_str(), aside.c_str(), 0) != FALSE;
    }
    return false;
}

bool Profiles::moveDamagedAside(const std::wstring& reason)
{
    const std::wstring path = UserDataFileContainer::Instance()->GetRootPath() + kFileName;
    std::wstring aside;
    if (!moveAside(path, aside))
        return false;
    damagedInPlace = false;
    damagedCopy = aside;
    GE_LOG(L"%s could not be read as profiles; it was kept as %s and %s%s\n")
        << path << aside
        << (GetFileAttributesW((path + L".bak").c_str()) != INVALID_FILE_ATTRIBUTES
                ? L"its backup is read in its place"
                : L"the default profile is used")
        << (reason.empty() ? std::wstring() : L" (" + reason + L")");
    return true;
}

bool Profiles::recoverFromBackup(const std::wstring& lost)
{
    const std::wstring path = UserDataFileContainer::Instance()->GetRootPath() + kFileName;
    const std::wstring backup = path + L".bak";
    std::string text;
    std::wstring why;
    const Found found = ReadUserFile(backup, text, why);
    if (found == Found::Missing)
        return false;
    if (found == Found::Read && parse(text.c_str(), std::strlen(text.c_str()))) {
        GE_LOG(L"%s %s; the progress was read from its backup %s\n") << path << lost << backup;
        return true;
    }
    // Moved aside too, so that no later backup takes its place.
    std::wstring aside;
    const bool moved = moveAside(backup, aside);
    GE_LOG(L"The backup %s could not be read as profiles either; %s, and the default profile is used%s\n")
        << backup << (moved ? L"it was kept as " + aside : std::wstring(L"it stays where it is"))
        << (why.empty() ? std::wstring() : L" (" + why + L")");
    standIn = true;
    return false;
}

std::string Profiles::printDocument() const
{
    if (!document)
        return std::string();
    tinyxml2::XMLPrinter printer(nullptr, false);
    document->Print(&printer);
    return std::string(printer.CStr(), printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0);
}

bool Profiles::save()
{
    if (!document)
        return false;
    if (savesHeld) {
        saveDue = true;
        return true;
    }
    return write();
}

bool Profiles::flush()
{
    if (!saveDue)
        return true;
    return write();
}

bool Profiles::write()
{
    saveDue = false;
    if (!document)
        return false;
    const std::string text = printDocument();
    if (fileKnown && text == fileText)
        return true; // nothing changed
    const std::wstring path = UserDataFileContainer::Instance()->GetRootPath() + kFileName;
    if (damagedInPlace && !moveDamagedAside(std::wstring())) {
        if (!failureTold)
            GE_LOG(L"Cannot save %s: the damaged file there could not be moved aside; progress will not be kept\n")
                << path;
        failureTold = true;
        return false;
    }
    const std::wstring temporary = path + L".tmp";
    const std::wstring backup = path + L".bak";

    const auto fail = [&](const wchar_t* step) {
        const unsigned error = static_cast<unsigned>(GetLastError());
        DeleteFileW(temporary.c_str());
        // Told once: a folder that cannot be written fails every save alike.
        if (!failureTold)
            GE_LOG(L"Cannot save %s: %s failed (error %u); the previous file is kept and progress will not be kept "
                   L"while saves fail\n")
                << path << step << error;
        failureTold = true;
        return false;
    };
    FileHandle file;
    file.handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file.handle == INVALID_HANDLE_VALUE)
        return fail(L"creating the temporary file");
    DWORD written = 0;
    if (!WriteFile(file.handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        if (GetLastError() == 0)
            SetLastError(ERROR_WRITE_FAULT);
        return fail(L"writing");
    }
    if (!FlushFileBuffers(file.handle))
        return fail(L"flushing");
    if (!file.Close())
        return fail(L"closing");

    // The file about to be replaced stays as the backup (a second name, so that
    // "profiles.xml" itself is never missing), but only a file this run read or wrote
    // whole, and never the default profile standing in for lost progress.
    if (fileKnown && !standIn && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        DeleteFileW(backup.c_str());
        if (!CreateHardLinkW(backup.c_str(), path.c_str(), nullptr)) {
            static bool told = false;
            if (!told)
                GE_LOG(L"No backup of %s is kept (error %u)\n") << path << static_cast<unsigned>(GetLastError());
            told = true;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return fail(L"replacing the file");
    fileText = text;
    fileKnown = true;
    if (failureTold)
        GE_LOG(L"%s is saved again\n") << path;
    failureTold = false;
    return true;
}

void Profiles::selectProfile(const std::wstring& name)
{
    if (!document)
        load();
    current = findProfile(name);
    if (!current) {
        std::string storage;
        current = document->NewElement("Profile");
        current->SetAttribute("name", Text(CleanName(name), storage));
        root->InsertEndChild(current);
    }
    root->SetAttribute("currentProfile", current->Attribute("name"));
}

void Profiles::renameCurrent(const std::wstring& name)
{
    if (!current)
        return;
    std::string storage;
    current->SetAttribute("name", Text(CleanName(name), storage));
    root->SetAttribute("currentProfile", storage.c_str());
}

tinyxml2::XMLElement* Profiles::findProfile(const std::wstring& name) const
{
    if (!root)
        return nullptr;
    // Names are stored as they can be kept.
    const std::wstring wanted = CleanName(name);
    for (tinyxml2::XMLElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Name(), "Profile") == 0 && Wide(e->Attribute("name")) == wanted)
            return e;
    }
    return nullptr;
}

std::vector<std::wstring> Profiles::getProfileNames() const
{
    std::vector<std::wstring> names;
    if (!root)
        return names;
    for (const tinyxml2::XMLElement* e = root->FirstChildElement("Profile"); e; e = e->NextSiblingElement("Profile"))
        names.push_back(Wide(e->Attribute("name")));
    return names;
}

void Profiles::removeProfile(const std::wstring& name)
{
    tinyxml2::XMLElement* found = findProfile(name);
    if (!found)
        return;
    const bool wasCurrent = found == current;
    document->DeleteNode(found);
    if (!wasCurrent)
        return;
    current = nullptr;
    const tinyxml2::XMLElement* first = root->FirstChildElement("Profile");
    selectProfile(first ? Wide(first->Attribute("name")) : std::wstring(kDefaultName));
}

std::wstring Profiles::currentName() const
{
    return current ? Wide(current->Attribute("name")) : std::wstring();
}

} // namespace file
