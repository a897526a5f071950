#pragma once
// UTF-8 <-> wide conversions for the platform layer's own boundaries (argv, paths,
// environment, stderr). Private to Platform/; the engine has its own in Core/Base.
#include <string>

// Invalid bytes decode as the Windows-1252 character of the byte, so nothing the
// system hands us is ever lost or rejected.
std::wstring Win32_Utf8ToWide(const std::string& text);
// Code points outside Unicode (or surrogates) are written as U+FFFD.
std::string Win32_WideToUtf8(const std::wstring& text);
std::string Win32_WideToUtf8(const wchar_t* text);
