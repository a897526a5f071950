#pragma once
// The platform half of the application: process-level start-up (executable folder,
// debugger log, per-user folder), the log files, and the main loop's host.
#include "Core/App/Thread.h"
#include <string>
#include <vector>

class HtmlLogWrapper;

namespace app {

class ApplicationWin32 : public Thread {
public:
    ApplicationWin32();
    ~ApplicationWin32() override;

    // Handles at most one queued window message.
    GEResultEnum Tick(float dt) override;
    // The game stage of start-up, then the loop on this thread.
    virtual void Main();
    // The platform stage of start-up; non-zero when the executable's folder or the
    // per-user folder cannot be found (logged).
    virtual GEResultEnum Init();
    virtual GEResultEnum OnStartup();

    // Adds "log.html" in `folder` (which ends in '/') as one more HTML log output,
    // unless that file already is one (the set-up is logged either way); while
    // start-up holds the log, the held log moves to `folder` instead.
    GEResultEnum InitLogFile(const std::wstring& folder);
    // Start-up: "log.html" in `folder` is opened (and truncated) only once the program
    // knows it is the only copy; until then its lines are held in memory.
    void HoldLogFile(const std::wstring& folder);
    // Writes the held lines to the log file and goes on there (`open`), or drops them.
    void ReleaseHeldLog(bool open);

    std::wstring userDataFolder; // ends in '/'
    std::wstring exeFolder;      // ends in '/'
    std::wstring logFolder;
    std::vector<std::wstring> args; // without the program name
    u8 secondInstance = 0;
    u8 directXFailed = 0;

protected:
    // Takes one message for any window off the queue and hands it to its window
    // procedure.
    static void DispatchOneMessage();

private:
    void AttachDebugLog();
    bool debugLogAttached = false;
    HtmlLogWrapper* heldLog = nullptr; // listed in the main log while lines are held
    // Paths of the files that are log outputs: one file never gets a second output.
    std::vector<std::wstring> logFiles;
    bool IsLogFile(const std::wstring& path) const;
};

} // namespace app
