#pragma once
// The engine's log: one base::MainLog sends each statement to every HTML output
// ("log.html") and every plain output (the debugger channel).
//
//     GE_LOG(L"Max texture Width: %d\n") << width;
//     GE_LOG_BLOCK(L"Trying to Load already loaded resource '%s'.\n") << name;
//
// The statement is written when the expression ends. In HTML outputs the message
// text is escaped ('<', '&', '>'); only the style around it is markup.
#include "Core/Base/Singletone.h"
#include "Core/Base/Types.h"
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace base {

class LogOutput {
public:
    virtual ~LogOutput() = default;
    virtual void Write(const std::wstring& text) = 0;
};

// The debugger channel (stderr here).
class LogDebugOutput : public LogOutput {
public:
    void Write(const std::wstring& text) override;
};

// A UTF-8 file, truncated when opened and flushed after every write.
class LogUtf8File : public LogOutput {
public:
    explicit LogUtf8File(const std::wstring& path);
    void Write(const std::wstring& text) override;
    bool IsOpen() const { return stream.is_open(); }

private:
    std::ofstream stream;
};

// Keeps what is written, for lines that wait for their file.
class LogMemoryOutput : public LogOutput {
public:
    void Write(const std::wstring& text) override { held += text; }
    std::wstring held;
};

} // namespace base

// Writes the HTML header on construction and the footer on destruction.
class HtmlLogWrapper {
public:
    explicit HtmlLogWrapper(base::LogOutput* output);
    ~HtmlLogWrapper();
    HtmlLogWrapper(const HtmlLogWrapper&) = delete;
    HtmlLogWrapper& operator=(const HtmlLogWrapper&) = delete;
    base::LogOutput* output;
};

// Writes "log initialized" on construction and "log terminated" on destruction.
class TextLogWrapper {
public:
    explicit TextLogWrapper(base::LogOutput* output);
    ~TextLogWrapper();
    TextLogWrapper(const TextLogWrapper&) = delete;
    TextLogWrapper& operator=(const TextLogWrapper&) = delete;
    base::LogOutput* output;
};

namespace base {

class Log {};

class MainLog : public Singletone<MainLog>, public Log {
public:
    // A message written this many times in a row is then only counted, until another
    // one comes (or the log ends) and "... the line above repeated N more times" says
    // how often. A level's load writes a line per link and point: a small one keeps them.
    static constexpr int kRepeatsShown = 10;

    ~MainLog() override;
    // Notes a statement's message; true when it is a repeat that is only counted.
    bool TakeRepeat(const std::wstring& message);
    // Writes the count of repeats not written, if any.
    void WriteRepeatCount();

    std::vector<HtmlLogWrapper*> htmlOutputs;
    std::vector<TextLogWrapper*> plainOutputs;
    std::wstring lastMessage;
    int repeats = 0; // of lastMessage, after its first writing
};

} // namespace base

// Put around a line in HTML outputs only.
struct LogStyle {
    std::wstring prefix;
    std::wstring suffix;
};

const LogStyle& MakePlainLogDecoration();
const LogStyle& MakeBlockLogStyle();

class LineFormatter;

// One log statement: formats its pattern once per output and writes the lines
// when it is destroyed.
class LogRecord {
public:
    LogRecord(base::MainLog& log, const wchar_t* pattern, const char* file, const char* timeStamp,
              const char* function, int line);
    ~LogRecord();
    LogRecord(const LogRecord&) = delete;
    LogRecord& operator=(const LogRecord&) = delete;

    LogRecord& ApplyStyle(const LogStyle& style);
    LogRecord& operator<<(const std::wstring& text);
    LogRecord& operator<<(const wchar_t* text);
    LogRecord& operator<<(unsigned int value);
    // Numbers of other types are written under the pending directive with the
    // formatter's own writers (integer conversions, or the float styles).
    LogRecord& operator<<(int value);
    LogRecord& operator<<(double value);

private:
    base::MainLog* log;
    std::vector<LineFormatter*> html;
    std::vector<LineFormatter*> plain;
};

#define GE_LOG_STYLED(pattern, style)                                                                        \
    LogRecord(*base::MainLog::Instance(), pattern, __FILE__, __DATE__ " " __TIME__, __PRETTY_FUNCTION__,     \
              __LINE__)                                                                                      \
        .ApplyStyle(style)
#define GE_LOG(pattern) GE_LOG_STYLED(pattern, MakePlainLogDecoration())
#define GE_LOG_BLOCK(pattern) GE_LOG_STYLED(pattern, MakeBlockLogStyle())
