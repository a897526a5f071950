#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Base/WideFormat.h"
#include "Platform/Win32/Windows.h"

namespace {

const wchar_t kHtmlHeader[] =
    L"<html><head><meta http-equiv=Content-Type content=\"text/html; charset=utf-8\">"
    L"<meta http-equiv=Content-Language content=ru><style>\n"
    L"body {font-family:verdana;}\n"
    L"hr { size:1px;color:000000 }\n"
    L"div.error { border-width:0 0 0 0px;border-style:solid;border-color:FF0000;color:AA0000;"
    L"background:#CCCCCC;font-weight:bold;padding-bottom:0px; }\n"
    L"span.info { color:000000; }\n"
    L"div.block { border-width:1px;border-style:solid;border-color:000000;padding:3px;margin-bottom:5px; }\n"
    L"div.blockhead { border-width:0px;padding:3px; font-weight:bold ;color:000000;background:#DDDDDD;}\n"
    L"</style></head>\n"
    L"<body>\n";

const wchar_t kHtmlFooter[] = L"</body></html>";

// UTF-8 of wide text that may hold values no encoder accepts (a lone surrogate, a
// value above U+10FFFF): those become U+FFFD, so logging never throws. With
// `crlf` every line feed is stored as CR LF, as a text-mode file does on Windows.
std::string ToUtf8(const std::wstring& text, bool crlf)
{
    std::string bytes = EncodeUtf8(text);
    if (!crlf || bytes.find('\n') == std::string::npos)
        return bytes;
    // A line feed byte is never part of a longer UTF-8 sequence.
    std::string lines;
    lines.reserve(bytes.size() + bytes.size() / 16);
    for (char c : bytes) {
        if (c == '\n')
            lines.push_back('\r');
        lines.push_back(c);
    }
    return lines;
}

void AppendEscaped(std::wstring& line, const std::wstring& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
        case L'<':
            line += L"&lt;";
            break;
        case L'>':
            line += L"&gt;";
            break;
        case L'&':
            line += L"&amp;";
            break;
        default:
            line.push_back(text[i]);
        }
    }
}

std::string Bounded(const char* text, std::size_t limit)
{
    if (!text)
        return std::string();
    std::string copy(text);
    if (copy.size() >= limit)
        copy.resize(limit - 1);
    return copy;
}

} // namespace

// One output's share of a statement: the pattern formatted for that output.
class LineFormatter : public WideFormat {
public:
    LineFormatter(const wchar_t* pattern, base::LogOutput* target, bool html, const char* file,
                  const char* timeStamp, const char* function, int line)
        : WideFormat(pattern), target(target), html(html), file(Bounded(file, 256)),
          timeStamp(Bounded(timeStamp, 256)), function(Bounded(function, 2048)), line(line)
    {
    }

    // The next argument has been written: go on to the next directive.
    void Advance() { finished = ParseNextDirective() ? 1 : 0; }

    // The message as formatted (the rest of the pattern appended).
    const std::wstring& Complete()
    {
        if (!completed)
            Finish();
        completed = true;
        return output;
    }

    void WriteLine()
    {
        Complete();
        if (!target)
            return;
        if (!html) {
            target->Write(prefix + output + suffix);
            return;
        }
        std::wstring lineText = prefix;
        lineText.reserve(prefix.size() + output.size() + suffix.size() + 16);
        AppendEscaped(lineText, output);
        lineText += suffix;
        target->Write(lineText);
    }

    base::LogOutput* target;
    bool html;
    bool completed = false;
    std::wstring prefix;
    std::wstring suffix;
    // Kept for a debugger; no output line shows them.
    std::string file;
    std::string timeStamp;
    std::string function;
    int line;
};

namespace base {

void LogDebugOutput::Write(const std::wstring& text)
{
    OutputDebugStringW(text.c_str());
}

LogUtf8File::LogUtf8File(const std::wstring& path)
{
    // Other readers and writers may share the file; an open failure leaves the stream
    // failed and every write does nothing.
    stream.open(ToUtf8(path, false), std::ios::out | std::ios::trunc | std::ios::binary);
}

void LogUtf8File::Write(const std::wstring& text)
{
    if (!stream.is_open() || !stream.good())
        return;
    const std::string bytes = ToUtf8(text, true);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.flush();
}

bool MainLog::TakeRepeat(const std::wstring& message)
{
    if (message == lastMessage) {
        ++repeats;
        return repeats >= kRepeatsShown;
    }
    WriteRepeatCount();
    lastMessage = message;
    repeats = 0;
    return false;
}

void MainLog::WriteRepeatCount()
{
    if (repeats < kRepeatsShown) {
        repeats = 0;
        return;
    }
    const std::wstring text =
        L"... the line above repeated " + std::to_wstring(repeats - kRepeatsShown + 1) + L" more times\n";
    repeats = 0;
    for (HtmlLogWrapper* wrapper : htmlOutputs)
        if (wrapper && wrapper->output) {
            std::wstring line = L"<div class=\"\">";
            AppendEscaped(line, text);
            wrapper->output->Write(line + L"</div>");
        }
    for (TextLogWrapper* wrapper : plainOutputs)
        if (wrapper && wrapper->output)
            wrapper->output->Write(text);
}

MainLog::~MainLog()
{
    WriteRepeatCount();
    for (HtmlLogWrapper* wrapper : htmlOutputs)
        delete wrapper;
    for (TextLogWrapper* wrapper : plainOutputs)
        delete wrapper;
    htmlOutputs.clear();
    plainOutputs.clear();
}

} // namespace base

HtmlLogWrapper::HtmlLogWrapper(base::LogOutput* output) : output(output)
{
    if (output)
        output->Write(kHtmlHeader);
}

HtmlLogWrapper::~HtmlLogWrapper()
{
    if (output)
        output->Write(kHtmlFooter);
    delete output;
}

TextLogWrapper::TextLogWrapper(base::LogOutput* output) : output(output)
{
    if (output)
        output->Write(L"log initialized\n");
}

TextLogWrapper::~TextLogWrapper()
{
    if (output)
        output->Write(L"log terminated\n");
    delete output;
}

const LogStyle& MakePlainLogDecoration()
{
    static const LogStyle style{L"<div class=\"\">", L"</div>"};
    return style;
}

const LogStyle& MakeBlockLogStyle()
{
    static const LogStyle style{L"<div class=\"block\">", L"</div>"};
    return style;
}

LogRecord::LogRecord(base::MainLog& log, const wchar_t* pattern, const char* file, const char* timeStamp,
                     const char* function, int line)
    : log(&log)
{
    html.reserve(log.htmlOutputs.size());
    for (HtmlLogWrapper* wrapper : log.htmlOutputs)
        if (wrapper)
            html.push_back(
                new LineFormatter(pattern, wrapper->output, true, file, timeStamp, function, line));
    plain.reserve(log.plainOutputs.size());
    for (TextLogWrapper* wrapper : log.plainOutputs)
        if (wrapper)
            plain.push_back(
                new LineFormatter(pattern, wrapper->output, false, file, timeStamp, function, line));
}

LogRecord::~LogRecord()
{
    // A line written again and again (the same miss, every frame) is written a few
    // times, then counted.
    const LineFormatter* first = !html.empty() ? html.front() : !plain.empty() ? plain.front() : nullptr;
    if (first && log->TakeRepeat(const_cast<LineFormatter*>(first)->Complete())) {
        for (LineFormatter* formatter : html)
            delete formatter;
        for (LineFormatter* formatter : plain)
            delete formatter;
        return;
    }
    for (LineFormatter* formatter : html) {
        formatter->WriteLine();
        delete formatter;
    }
    for (LineFormatter* formatter : plain) {
        formatter->WriteLine();
        delete formatter;
    }
}

LogRecord& LogRecord::ApplyStyle(const LogStyle& style)
{
    for (LineFormatter* formatter : html) {
        formatter->prefix = style.prefix;
        formatter->suffix = style.suffix + formatter->suffix;
    }
    return *this;
}

namespace {

// Writes one argument under the pending directive of every formatter that still has
// one, HTML formatters first.
template <class Write>
void Feed(std::vector<LineFormatter*>& html, std::vector<LineFormatter*>& plain, Write write)
{
    for (auto* list : {&html, &plain}) {
        for (LineFormatter* formatter : *list) {
            if (formatter->IsFinished())
                continue;
            write(*formatter);
            formatter->Advance();
        }
    }
}

} // namespace

LogRecord& LogRecord::operator<<(const std::wstring& text)
{
    Feed(html, plain, [&](LineFormatter& f) { f.AppendPadded(text.data(), static_cast<u32>(text.size())); });
    return *this;
}

LogRecord& LogRecord::operator<<(const wchar_t* text)
{
    const std::size_t length = text ? std::char_traits<wchar_t>::length(text) : 0;
    Feed(html, plain, [&](LineFormatter& f) { f.AppendPadded(text, static_cast<u32>(length)); });
    return *this;
}

LogRecord& LogRecord::operator<<(unsigned int value)
{
    Feed(html, plain, [&](LineFormatter& f) { f.WriteUnsigned(value); });
    return *this;
}

LogRecord& LogRecord::operator<<(int value)
{
    Feed(html, plain, [&](LineFormatter& f) { f.WriteInteger(value); });
    return *this;
}

LogRecord& LogRecord::operator<<(double value)
{
    Feed(html, plain, [&](LineFormatter& f) { f.WriteDouble(value); });
    return *this;
}

