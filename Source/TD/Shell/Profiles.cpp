#include "Source/TD/Shell/Profiles.h"
#include "Core/App/Application.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/UserDataFileContainer.h"
#include "Platform/Win32/Windows.h"

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

} // namespace

Profiles::Profiles() = default;

Profiles::~Profiles()
{
    if (document && !(app::Application::Exists() && GetApplication()->noSave))
        save();
}

std::vector<base::SingletoneBase*> Profiles::GetDependencies()
{
    std::vector<base::SingletoneBase*> list{UserDataFileContainer::Instance(), base::MainLog::Instance()};
    // The exit save asks the application for its no-save flag.
    if (app::Application::Exists())
        list.push_back(GetApplication());
    return list;
}

void Profiles::startEmpty()
{
    document = std::make_unique<tinyxml2::XMLDocument>();
    root = document->NewElement("Profiles");
    document->InsertEndChild(root);
    current = nullptr;
    selectProfile(kDefaultName);
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
    selectProfile(Wide(root->Attribute("currentProfile")));
    return true;
}

void Profiles::loadText(const std::string& text)
{
    damagedInPlace = false;
    if (!parse(text.c_str(), text.size())) {
        startEmpty();
        loadError = true;
    }
}

void Profiles::load()
{
    damagedInPlace = false;
    damagedCopy.clear();
    UserDataFileContainer* folder = UserDataFileContainer::Instance();
    if (!folder->Exists(kFileName)) {
        startEmpty();
        return;
    }
    std::unique_ptr<base::Stream> stream(folder->OpenRead(kFileName));
    bool parsed = false;
    if (stream) {
        const u32 size = stream->GetSize();
        std::unique_ptr<char[]> text(new (std::nothrow) char[size_t(size) + 1]);
        if (text && stream->Read(text.get(), size) == size) {
            text[size] = '\0';
            parsed = parse(text.get(), std::strlen(text.get()));
        }
    }
    stream.reset();
    if (parsed)
        return;
    startEmpty();
    loadError = true;
    damagedInPlace = true;
    if (!moveDamagedAside())
        GE_LOG(L"%s could not be read as profiles and cannot be moved aside; it is not saved over\n")
            << folder->GetRootPath() + kFileName;
}

bool Profiles::moveDamagedAside()
{
    const std::wstring path = UserDataFileContainer::Instance()->GetRootPath() + kFileName;
    for (int n = 1; n <= 1000; ++n) {
        const std::wstring aside = path + L".damaged" + (n == 1 ? std::wstring() : L"-" + std::to_wstring(n));
        if (GetFileAttributesW(aside.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue; // an earlier damaged file is kept as it is
        if (!MoveFileExW(path.c_str(), aside.c_str(), 0))
            return false;
        damagedInPlace = false;
        damagedCopy = aside;
        GE_LOG(L"%s could not be read as profiles; it was kept as %s and the default profile is used\n")
            << path << aside;
        return true;
    }
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
    const std::wstring path = UserDataFileContainer::Instance()->GetRootPath() + kFileName;
    if (damagedInPlace && !moveDamagedAside()) {
        GE_LOG(L"Cannot save %s: the damaged file there could not be moved aside\n") << path;
        return false;
    }
    const std::wstring temporary = path + L".tmp";
    const std::wstring backup = path + L".bak";
    const std::string text = printDocument();

    const auto fail = [&](const wchar_t* step) {
        const unsigned error = static_cast<unsigned>(GetLastError());
        DeleteFileW(temporary.c_str());
        GE_LOG(L"Cannot save %s: %s failed (error %u); the previous file is kept\n") << path << step << error;
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
    // "profiles.xml" itself is never missing).
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
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
        current->SetAttribute("name", Text(name, storage));
        root->InsertEndChild(current);
    }
    root->SetAttribute("currentProfile", current->Attribute("name"));
}

void Profiles::renameCurrent(const std::wstring& name)
{
    if (!current)
        return;
    std::string storage;
    current->SetAttribute("name", Text(name, storage));
    root->SetAttribute("currentProfile", storage.c_str());
}

tinyxml2::XMLElement* Profiles::findProfile(const std::wstring& name) const
{
    if (!root)
        return nullptr;
    for (tinyxml2::XMLElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Name(), "Profile") == 0 && Wide(e->Attribute("name")) == name)
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
