#pragma once
// The player-profile document "profiles.xml" in the per-user folder: every profile
// with its progress and settings. Loaded once at start-up, edited in memory (mostly
// through PlayerProgress) and written whole at every change and once more at exit.
//
// Saving never truncates the only copy: the document goes to "profiles.xml.tmp",
// which is flushed, closed and renamed over "profiles.xml"; the file it replaces is
// kept as "profiles.xml.bak". A file that cannot be read as profiles is moved aside
// (as "profiles.xml.damaged", "profiles.xml.damaged-2", ...) before anything is
// written over it.
#include "Core/Base/Singletone.h"
#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

namespace file {

class Profiles : public base::Singletone<Profiles> {
public:
    static constexpr const wchar_t* kFileName = L"profiles.xml";
    static constexpr const wchar_t* kDefaultName = L"Player01234567890123456789";

    Profiles();
    // Saves first (unless the application's no-save flag is set).
    ~Profiles() override;
    std::vector<base::SingletoneBase*> GetDependencies() override;

    // (Re)reads "profiles.xml" from the per-user folder.
    void load();
    // The same from the text of a file (for tests and fuzzing); nothing is moved aside.
    void loadText(const std::string& text);
    // Writes the document; false (logged once) when it could not be written whole,
    // in which case the file on disk is unchanged.
    bool save();

    void selectProfile(const std::wstring& name);
    void renameCurrent(const std::wstring& name);
    tinyxml2::XMLElement* findProfile(const std::wstring& name) const;
    std::vector<std::wstring> getProfileNames() const;
    void removeProfile(const std::wstring& name);
    std::wstring currentName() const;

    // The document as it would be saved.
    std::string printDocument() const;

    std::unique_ptr<tinyxml2::XMLDocument> document;
    tinyxml2::XMLElement* root = nullptr;
    tinyxml2::XMLElement* current = nullptr;

    // Set when "profiles.xml" existed but could not be read; the screens read and clear it.
    static inline bool loadError = false;
    // Where the damaged file was moved (empty when none was, or moving it failed).
    std::wstring damagedCopy;

private:
    void startEmpty();
    // False when the text holds no usable profiles.
    bool parse(const char* text, size_t length);
    // Moves the damaged file aside; false when it stays where it is.
    bool moveDamagedAside();
    bool damagedInPlace = false; // a damaged file still waits to be moved aside
};

} // namespace file
