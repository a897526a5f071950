#pragma once
// UTF-8 <-> wide conversions for the platform layer's own boundaries (argv, paths,
// environment, stderr) and the one UTF-8 decoder and encoder that the code-page calls
// share. Private to Platform/: the engine reaches the same encoder through
// WideCharToMultiByte (Core/Base's EncodeUtf8).
#include <cstddef>
#include <string>

// Invalid bytes decode as the Windows-1252 character of the byte, so nothing the
// system hands us is ever lost or rejected.
std::wstring Win32_Utf8ToWide(const std::string& text);
// The one wide-to-UTF-8 encoder: appends `size` wide characters to `out`, each value
// that is no Unicode scalar (a surrogate, above U+10FFFF) as U+FFFD, and returns how
// many were replaced.
std::size_t Win32_AppendWideAsUtf8(const wchar_t* text, std::size_t size, std::string& out);
// Code points outside Unicode (or surrogates) are written as U+FFFD.
std::string Win32_WideToUtf8(const std::wstring& text);
std::string Win32_WideToUtf8(const wchar_t* text);

// Decodes the UTF-8 sequence that starts `bytes` (of which `size` > 0 are there) into
// `codePoint` and returns its length; 0 when the sequence is invalid (a stray or unknown
// lead byte, a bad or missing continuation, an overlong form, a surrogate or a value
// above U+10FFFF), in which case `codePoint` is left as it was.
std::size_t Win32_DecodeUtf8(const unsigned char* bytes, std::size_t size, char32_t& codePoint);
// The Windows-1252 character of a single byte: what an invalid byte stands for.
char32_t Win32_Cp1252ToCodePoint(unsigned char byte);
// Whether `codePoint` is a Unicode scalar value (not a surrogate, not above U+10FFFF).
bool Win32_IsScalarValue(char32_t codePoint);
// Appends `codePoint` as UTF-8; the caller passes scalar values only.
void Win32_AppendUtf8(char32_t codePoint, std::string& out);
