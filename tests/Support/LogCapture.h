#pragma once
// Collects what the main log writes while it lives.
#include "Core/Base/Log.h"

#include <algorithm>
#include <string>

class LogCapture {
public:
    LogCapture()
    {
        wrapper = new TextLogWrapper(new Output(&text));
        text.clear(); // drop the wrapper's greeting
        base::MainLog* log = base::MainLog::Instance();
        log->plainOutputs.push_back(wrapper);
        // A capture sees its own lines: a repeat of the last line before it is no repeat.
        log->lastMessage.clear();
        log->repeats = 0;
    }
    ~LogCapture()
    {
        auto& outputs = base::MainLog::Instance()->plainOutputs;
        outputs.erase(std::remove(outputs.begin(), outputs.end(), wrapper), outputs.end());
        delete wrapper;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    int Count(const std::wstring& needle) const
    {
        int found = 0;
        for (auto at = text.find(needle); at != std::wstring::npos; at = text.find(needle, at + 1))
            ++found;
        return found;
    }
    int Lines() const { return static_cast<int>(std::count(text.begin(), text.end(), L'\n')); }
    void Clear() { text.clear(); }

    std::wstring text;

private:
    class Output : public base::LogOutput {
    public:
        explicit Output(std::wstring* sink) : sink(sink) {}
        void Write(const std::wstring& line) override { *sink += line; }
        std::wstring* sink;
    };
    TextLogWrapper* wrapper;
};
