#pragma once
// A printf-style formatter fed one argument at a time:
//
//     WideFormat f(L"%s has %05d points\n");
//     f % name.c_str() % points;
//     f.Finish();                    // f.Output() is the line
//
// The writers also serve alone: set the conversion fields of a WideFormatBase (or of its
// narrow twin NumberFormat) by hand and call WriteInteger / WriteFloat.
#include "Core/Base/Types.h"
#include <string>

// The conversion of one directive. All zero means: decimal, right-aligned, no width,
// general float style with six significant digits.
struct FormatSpec {
    enum FloatStyle : u32 { FloatGeneral = 0, FloatExponent = 1, FloatFixed = 2 };
    enum Alignment : u32 { AlignRight = 0, AlignLeft = 1, AlignCentre = 2 };
    enum IntegerBase : u32 { BaseDecimal = 0, BaseHex = 1, BaseOctal = 2, BaseBinary = 3 };

    u32 width = 0;     // minimum field width in characters
    u32 precision = 0; // fraction digits (fixed, exponent) or significant digits (general)
    u8 zeroPad = 0;
    u8 plusSign = 0;
    u8 spaceSign = 0;
    u8 upperCase = 0;
    u8 alternate = 0; // "0x" before hex digits, a leading "0" before octal ones
    u32 floatStyle = FloatGeneral;
    u32 alignment = AlignRight;
    u32 integerBase = BaseDecimal;

    void ResetSpec() { *this = FormatSpec(); }
};

// The writers over a wide output string. Constructed alone, the output is the
// object's own string.
class WideFormatBase : public FormatSpec {
public:
    WideFormatBase() : out(&text) {}
    WideFormatBase(const WideFormatBase& other);
    WideFormatBase& operator=(const WideFormatBase& other);

    void WriteInteger(int value);
    void WriteUnsigned(unsigned int value);
    void WriteFloat(float value);
    // The float styles work in double; this skips the narrowing to float.
    void WriteDouble(double value);
    // `count` characters of `text` (null only with a count of 0), space-padded to the
    // width with the alignment.
    void AppendPadded(const wchar_t* text, u32 count);

    const std::wstring& Output() const { return *out; }
    void ClearOutput() { out->clear(); }

protected:
    explicit WideFormatBase(std::wstring* output) : out(output) {}

    std::wstring* out;
    // The output when constructed alone; a WideFormat keeps its pattern here.
    std::wstring text;
};

// A pattern with directives, copied to the output up to each directive in turn.
class WideFormat : public WideFormatBase {
public:
    explicit WideFormat(const wchar_t* pattern);
    explicit WideFormat(const std::wstring& pattern);
    WideFormat(const WideFormat& other);
    WideFormat& operator=(const WideFormat& other);

    WideFormat& operator%(int value);
    WideFormat& operator%(const wchar_t* value);
    WideFormat& operator%(const std::wstring& value);
    WideFormat& operator%(unsigned int value);
    WideFormat& operator%(double value);

    void PutInteger(int value) { WriteInteger(value); }
    // Appends the rest of the pattern verbatim, directives included; later
    // arguments are ignored.
    void Finish();
    // Copies the pattern up to the next directive; true when none is left.
    bool ParseNextDirective();

    bool IsFinished() const { return finished != 0; }
    const std::wstring& Pattern() const { return text; }

protected:
    u32 position = 0; // next pattern character
    u8 finished = 0;
    std::wstring output;
};

// The narrow twin of WideFormatBase: the same writers, character for character.
class NumberFormat : public FormatSpec {
public:
    void WriteInteger(int value);
    void WriteUnsigned(unsigned int value);
    void WriteFloat(float value);
    void WriteDouble(double value);
    void AppendPadded(const char* text, u32 count);

    const std::string& Output() const { return output; }
    void ClearOutput() { output.clear(); }

private:
    std::string output;
};
