#pragma once
// The player-profile document "profiles.xml" in the per-user folder: every profile
// with its progress and settings. Loaded once at start-up, edited in memory (mostly
// through PlayerProgress) and written whole whenever it changed, and once more at exit.
//
// Saving never truncates the only copy: the document goes to "profiles.xml.tmp",
// which is flushed, closed and renamed over "profiles.xml"; the file it replaces is
// kept as "profiles.xml.bak" when it was read or written whole by this run. A file
// that cannot be read as profiles is moved aside (as "profiles.xml.damaged",
// "profiles.xml.damaged-2", ...) before anything is written over it, and the progress
// is then read from the backup; only when that fails too does the default profile
// stand in, and it never takes the backup's place.
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
    // Saves first (unless the application's no-save flag is set and no save waits).
    ~Profiles() override;
    std::vector<base::SingletoneBase*> GetDependencies() override;

    // (Re)reads "profiles.xml" from the per-user folder (or its backup, see above).
    void load();
    // The same from the text of a file (for tests and fuzzing); nothing is moved aside.
    void loadText(const std::string& text);
    // Writes the document when it differs from the file; false (logged once until a
    // save succeeds again) when it could not be written whole, in which case the file
    // on disk is unchanged. While saves are held it only notes that one is due.
    bool save();
    // Held saves wait for flush(), so that the changes of one frame are written once.
    void holdSaves(bool hold) { savesHeld = hold; }
    // Writes a save that waits; true when none waits or it was written.
    bool flush();

    void selectProfile(const std::wstring& name);
    void renameCurrent(const std::wstring& name);
    tinyxml2::XMLElement* findProfile(const std::wstring& name) const;
    std::vector<std::wstring> getProfileNames() const;
    void removeProfile(const std::wstring& name);
    std::wstring currentName() const;

    // The name with only the characters a profile file can keep: no control
    // characters, no unpaired surrogates, no non-characters.
    static std::wstring CleanName(const std::wstring& name);

    // The document as it would be saved.
    std::string printDocument() const;

    std::unique_ptr<tinyxml2::XMLDocument> document;
    tinyxml2::XMLElement* root = nullptr;
    tinyxml2::XMLElement* current = nullptr;

    // Set when the default profile stands in for a file that could not be read (its
    // backup neither); the screens read and clear it.
    static inline bool loadError = false;
    // Where the damaged file was moved (empty when none was, or moving it failed).
    std::wstring damagedCopy;

private:
    void startEmpty();
    // False when the text holds no usable profiles.
    bool parse(const char* text, size_t length);
    // Moves an unreadable file aside; false when it stays where it is.
    bool moveAside(const std::wstring& path, std::wstring& aside);
    bool moveDamagedAside(const std::wstring& reason);
    // Reads the backup in place of a lost "profiles.xml"; false when it cannot be.
    bool recoverFromBackup(const std::wstring& lost);
    bool write();
    // Makes the names of the document ones it can keep, with one line when it must.
    void cleanNames();

    bool damagedInPlace = false; // a damaged file still waits to be moved aside
    // The text of "profiles.xml" as this run last read or wrote it whole.
    std::string fileText;
    bool fileKnown = false;
    // The default profile stands in for progress that was lost: the backup stays.
    bool standIn = false;
    bool savesHeld = false;
    bool saveDue = false;
    bool failureTold = false;
};

} // namespace file
