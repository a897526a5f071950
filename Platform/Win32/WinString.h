#pragma once
// Code-page conversions. The system code page (CP_ACP) and the OEM page are UTF-8 on
// this platform: a byte that is not valid UTF-8 decodes as its Windows-1252
// character, and encoding is plain UTF-8, so no character is lost.
//
// WCHAR is 32 bits here: a wide character is one code point, and every wide count
// below counts code points.
#include "Platform/Win32/WinTypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_UTF8 = 65001;

// MultiByteToWideChar: fail on bytes that are not valid UTF-8 instead of replacing them.
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
// WideCharToMultiByte: fail on surrogates and values above U+10FFFF.
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

// Decodes `sourceLength` bytes (-1: up to and including the terminating NUL) into
// `target`. With a target size of 0 returns the number of wide characters needed.
// Invalid bytes become their Windows-1252 character (CP_ACP, CP_OEMCP) or U+FFFD
// (CP_UTF8). Returns 0 and sets the last error on failure: ERROR_INVALID_PARAMETER,
// ERROR_INSUFFICIENT_BUFFER, ERROR_NO_UNICODE_TRANSLATION (MB_ERR_INVALID_CHARS).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength, LPWSTR target,
                        int targetSize);

// Encodes `sourceLength` wide characters (-1: up to and including the NUL) as UTF-8.
// With a target size of 0 returns the number of bytes needed. A surrogate or a value
// above U+10FFFF is written as U+FFFD and sets *usedDefault when that is given; the
// default character is not used, since every real character is representable.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength, LPSTR target,
                        int targetSize, LPCSTR defaultChar, BOOL* usedDefault);
