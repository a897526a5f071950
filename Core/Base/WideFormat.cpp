#include "Core/Base/WideFormat.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// ---------------------------------------------------------------------------
// Directive table

struct DirectiveState {
    u32 width = 0;
    u32 precision = 0;
    bool digitSeen = false;
    bool inPrecision = false;
    u8 alternate = 0;
};

// Phases: 0 breaks the directive, 1 flag, 2 width or precision, 4 length modifier,
// 5 conversion (ends the directive). A phase lower than the previous one breaks it.
using DirectiveAction = u32 (*)(wchar_t c, DirectiveState& state, FormatSpec& spec);

// A width written with more digits than any real field stops growing here, so a
// stray pattern cannot ask for gigabytes of padding.
constexpr u32 kMaxField = 0xFFFF;

u32 ActionDigit(wchar_t c, DirectiveState& state, FormatSpec&)
{
    u32& field = state.inPrecision ? state.precision : state.width;
    field = field * 10 + static_cast<u32>(c - L'0');
    if (field > kMaxField)
        field = kMaxField;
    state.digitSeen = true;
    return 2;
}

u32 ActionZero(wchar_t c, DirectiveState& state, FormatSpec& spec)
{
    if (!state.digitSeen && !state.inPrecision) {
        spec.zeroPad = 1;
        return 1;
    }
    return ActionDigit(c, state, spec);
}

u32 ActionBreak(wchar_t, DirectiveState&, FormatSpec&)
{
    return 0;
}

const std::array<DirectiveAction, 128>& DirectiveTable()
{
    static const std::array<DirectiveAction, 128> table = [] {
        std::array<DirectiveAction, 128> t;
        t.fill(&ActionBreak);
        t['0'] = &ActionZero;
        for (char c = '1'; c <= '9'; ++c)
            t[static_cast<std::size_t>(c)] = &ActionDigit;
        t['-'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.alignment = FormatSpec::AlignLeft;
            return 1;
        };
        t['='] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.alignment = FormatSpec::AlignCentre;
            return 1;
        };
        t['+'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.plusSign = 1;
            return 1;
        };
        t[' '] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.spaceSign = 1;
            return 1;
        };
        t['#'] = [](wchar_t, DirectiveState& d, FormatSpec&) -> u32 {
            d.alternate = 1;
            return 1;
        };
        t['.'] = [](wchar_t, DirectiveState& d, FormatSpec&) -> u32 {
            if (d.inPrecision)
                return 0;
            d.inPrecision = true;
            return 2;
        };
        for (char c : {'h', 'l', 'L'})
            t[static_cast<std::size_t>(c)] = [](wchar_t, DirectiveState&, FormatSpec&) -> u32 { return 4; };
        for (char c : {'c', 'd', 'i', 's', 'u', 'p', 'n'})
            t[static_cast<std::size_t>(c)] = [](wchar_t, DirectiveState&, FormatSpec&) -> u32 { return 5; };
        t['e'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.floatStyle = FormatSpec::FloatExponent;
            return 5;
        };
        t['E'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.floatStyle = FormatSpec::FloatExponent;
            s.upperCase = 1;
            return 5;
        };
        t['f'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.floatStyle = FormatSpec::FloatFixed;
            return 5;
        };
        t['g'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.floatStyle = FormatSpec::FloatGeneral;
            return 5;
        };
        t['G'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.floatStyle = FormatSpec::FloatGeneral;
            s.upperCase = 1;
            return 5;
        };
        t['x'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.integerBase = FormatSpec::BaseHex;
            return 5;
        };
        t['X'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.integerBase = FormatSpec::BaseHex;
            s.upperCase = 1;
            return 5;
        };
        t['o'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.integerBase = FormatSpec::BaseOctal;
            return 5;
        };
        t['b'] = [](wchar_t, DirectiveState&, FormatSpec& s) -> u32 {
            s.integerBase = FormatSpec::BaseBinary;
            return 5;
        };
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------
// Writers shared by the wide and the narrow formatter. Numbers are built as ASCII
// and widened on append.

template <class C> void AppendAscii(std::basic_string<C>& out, const std::string& ascii)
{
    for (char c : ascii)
        out.push_back(static_cast<C>(c));
}

template <class C>
void AppendPaddedTo(const FormatSpec& spec, std::basic_string<C>& out, const C* text, u32 count)
{
    if (count >= spec.width) {
        if (count)
            out.append(text, count);
        return;
    }
    const u32 pad = spec.width - count;
    u32 before = pad;
    if (spec.alignment == FormatSpec::AlignLeft)
        before = 0;
    else if (spec.alignment == FormatSpec::AlignCentre)
        before = pad / 2;
    out.append(before, static_cast<C>(' '));
    if (count)
        out.append(text, count);
    out.append(pad - before, static_cast<C>(' '));
}

template <class C>
void AppendPaddedAscii(const FormatSpec& spec, std::basic_string<C>& out, const std::string& ascii)
{
    std::basic_string<C> wide;
    AppendAscii(wide, ascii);
    AppendPaddedTo(spec, out, wide.data(), static_cast<u32>(wide.size()));
}

// Digits of `value` in `base` (2, 8, 10 or 16), most significant first.
std::string Digits(u32 value, u32 base, bool upper)
{
    const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char buffer[40];
    int n = 0;
    do {
        buffer[sizeof(buffer) - 1 - n++] = alphabet[value % base];
        value /= base;
    } while (value);
    return std::string(buffer + sizeof(buffer) - n, static_cast<std::size_t>(n));
}

// The text of an integer before padding. `isSigned` selects the signed rules: a sign
// character in decimal.
std::string IntegerText(const FormatSpec& spec, u32 bits, bool isSigned)
{
    const bool negative = isSigned && static_cast<i32>(bits) < 0;
    switch (spec.integerBase) {
    case FormatSpec::BaseHex: {
        std::string digits = Digits(bits, 16, spec.upperCase);
        return spec.alternate ? (spec.upperCase ? "0X" : "0x") + digits : digits;
    }
    case FormatSpec::BaseOctal: {
        std::string digits = Digits(bits, 8, false);
        return spec.alternate ? "0" + digits : digits;
    }
    case FormatSpec::BaseBinary:
        // A negative value writes its 32-bit pattern, as the hexadecimal and octal
        // conversions do.
        return Digits(bits, 2, false);
    default:
        break;
    }
    // Decimal: the magnitude is taken unsigned, so the most negative int works.
    std::string digits = Digits(negative ? 0u - bits : bits, 10, false);
    if (!isSigned)
        return digits;
    if (negative)
        return "-" + digits;
    if (spec.plusSign)
        return "+" + digits;
    if (spec.spaceSign)
        return " " + digits;
    return digits;
}

template <class C>
void WriteIntegerTo(const FormatSpec& spec, std::basic_string<C>& out, u32 bits, bool isSigned)
{
    const std::string text = IntegerText(spec, bits, isSigned);
    if (text.size() >= spec.width) {
        AppendAscii(out, text);
        return;
    }
    if (!spec.zeroPad) {
        AppendPaddedAscii(spec, out, text);
        return;
    }
    // Zero padding ignores the alignment; zeros go after a sign or a hex prefix.
    const std::string zeros(spec.width - text.size(), '0');
    std::size_t head = 0;
    if (text[0] == '+' || text[0] == '-')
        head = 1;
    else if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        head = 2;
    AppendAscii(out, text.substr(0, head) + zeros + text.substr(head));
}

// ----- float styles -----

// a * 0.1^n, split in two steps where 0.1^n alone would leave the double range.
double Scale01(double a, int n)
{
    if (n > 300 || n < -300)
        return a * std::pow(0.1, n / 2) * std::pow(0.1, n - n / 2);
    return std::pow(0.1, n) * a;
}

// a * 10^n, likewise.
double Scale10(double a, int n)
{
    if (n > 300 || n < -300)
        return a * std::pow(10.0, n / 2) * std::pow(10.0, n - n / 2);
    return std::pow(10.0, n) * a;
}

// The decimal exponent of a > 0: floor(log10(a)). An exact negative power of ten
// keeps its own exponent (0.001 is 1e-3, not 10e-4).
int ExponentOf(double a)
{
    const double l = std::log10(a);
    int e = static_cast<int>(std::trunc(l));
    if (a < 1 && l != static_cast<double>(e))
        e -= 1;
    return e;
}

// p digits of the fraction of x, truncated (callers round beforehand).
void FractionDigits(std::string& s, double x, int p)
{
    double f = x - std::floor(x);
    for (int i = 0; i < p; ++i) {
        f *= 10;
        int d = static_cast<int>(std::trunc(f));
        if (d > 9)
            d = 9;
        s.push_back(static_cast<char>('0' + d));
        f -= d;
    }
}

void ExponentText(std::string& s, int e, bool upper)
{
    s.push_back(upper ? 'E' : 'e');
    s.push_back(e < 0 ? '-' : '+');
    const int m = e < 0 ? -e : e;
    s.push_back(static_cast<char>('0' + (m / 100) % 10));
    s.push_back(static_cast<char>('0' + (m / 10) % 10));
    s.push_back(static_cast<char>('0' + m % 10));
}

// The integer part of x >= 0 in decimal.
void IntegerPart(std::string& s, double x)
{
    if (x < 9223372036854775808.0) {
        s += std::to_string(static_cast<long long>(std::trunc(x)));
        return;
    }
    // Beyond a signed 64-bit integer: the exact decimal value of the double.
    char buffer[400];
    std::snprintf(buffer, sizeof(buffer), "%.0f", std::floor(x));
    s += buffer;
}

void FixedStyle(std::string& s, double value, int p, const FormatSpec&)
{
    if (value == 0) {
        s += "0.";
        s.append(static_cast<std::size_t>(p), '0');
        return;
    }
    const double x = std::fabs(value) + 0.5 * std::pow(0.1, p);
    IntegerPart(s, x);
    s.push_back('.');
    FractionDigits(s, x, p);
}

void ExponentStyle(std::string& s, double value, int p, const FormatSpec& spec)
{
    if (value == 0) {
        s += "0.";
        s.append(static_cast<std::size_t>(p), '0');
        ExponentText(s, 0, spec.upperCase);
        return;
    }
    const double a = std::fabs(value);
    int e = ExponentOf(a);
    double m = Scale01(a, e) + 0.5 * std::pow(0.1, p);
    // Rounding can carry into a new leading digit (9.9999999 with p = 5): the
    // mantissa stays below 10 by moving to the next exponent.
    if (m >= 10) {
        ++e;
        m = Scale01(a, e) + 0.5 * std::pow(0.1, p);
    }
    s += std::to_string(static_cast<long long>(std::trunc(m)));
    s.push_back('.');
    FractionDigits(s, m, p);
    ExponentText(s, e, spec.upperCase);
}

void GeneralStyle(std::string& s, double value, int p, const FormatSpec& spec)
{
    if (value == 0) {
        s += "0";
        return;
    }
    const double a = std::fabs(value);
    int e = ExponentOf(a);
    // N holds the p significant digits, rounded. When rounding carries into a new
    // digit (999999.5 with p = 6) the exponent moves up by one, so the value is
    // written as itself rather than one power of ten too small.
    const long long high = static_cast<long long>(std::pow(10.0, p));
    long long n = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const double a2 = a + Scale01(5.0, p - e);
        n = static_cast<long long>(std::trunc(Scale10(a2, p - e - 1)));
        if (n >= high)
            ++e;
        else if (n < high / 10)
            --e;
        else
            break;
    }
    std::string digits = std::to_string(n);
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    const int c = static_cast<int>(digits.size());

    if (e >= p || e < -4) {
        s.push_back(digits.empty() ? '0' : digits[0]);
        if (c > 1) {
            s.push_back('.');
            s.append(digits, 1);
        }
        ExponentText(s, e, spec.upperCase);
    } else if (e < 0) {
        s.push_back('0');
        if (c > 0) {
            s.push_back('.');
            s.append(static_cast<std::size_t>(-e - 1), '0');
            s += digits;
        }
    } else {
        int next = 0;
        for (int i = 0; i <= e; ++i)
            s.push_back(next < c ? digits[static_cast<std::size_t>(next++)] : '0');
        if (next < c) {
            s.push_back('.');
            s.append(digits, static_cast<std::size_t>(next));
        }
    }
}

std::string FloatText(const FormatSpec& spec, double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "+INF";
    int p = static_cast<int>(spec.precision > 7 ? 7 : spec.precision);
    if (p == 0)
        p = 6;
    std::string s;
    if (value != 0) {
        if (value < 0)
            s.push_back('-');
        else if (spec.plusSign)
            s.push_back('+');
        else if (spec.spaceSign)
            s.push_back(' ');
    }
    switch (spec.floatStyle) {
    case FormatSpec::FloatExponent:
        ExponentStyle(s, value, p, spec);
        break;
    case FormatSpec::FloatFixed:
        FixedStyle(s, value, p, spec);
        break;
    default: // general, and any value set by hand outside the three styles
        GeneralStyle(s, value, p, spec);
        break;
    }
    return s;
}

} // namespace

// ---------------------------------------------------------------------------
// WideFormatBase

WideFormatBase::WideFormatBase(const WideFormatBase& other) : FormatSpec(other), out(&text), text(other.text)
{
}

WideFormatBase& WideFormatBase::operator=(const WideFormatBase& other)
{
    if (this != &other) {
        FormatSpec::operator=(other);
        text = other.text;
    }
    return *this;
}

void WideFormatBase::WriteInteger(int value)
{
    WriteIntegerTo(*this, *out, static_cast<u32>(value), true);
}

void WideFormatBase::WriteUnsigned(unsigned int value)
{
    WriteIntegerTo(*this, *out, value, false);
}

void WideFormatBase::WriteFloat(float value)
{
    WriteDouble(static_cast<double>(value));
}

void WideFormatBase::WriteDouble(double value)
{
    AppendPaddedAscii(*this, *out, FloatText(*this, value));
}

void WideFormatBase::AppendPadded(const wchar_t* text, u32 count)
{
    AppendPaddedTo<wchar_t>(*this, *out, text, text ? count : 0);
}

// ---------------------------------------------------------------------------
// WideFormat

WideFormat::WideFormat(const wchar_t* pattern) : WideFormatBase(&output)
{
    if (pattern)
        text = pattern;
    finished = ParseNextDirective() ? 1 : 0;
}

WideFormat::WideFormat(const std::wstring& pattern) : WideFormatBase(&output)
{
    text = pattern;
    finished = ParseNextDirective() ? 1 : 0;
}

WideFormat::WideFormat(const WideFormat& other)
    : WideFormatBase(other), position(other.position), finished(other.finished), output(other.output)
{
    out = &output;
}

WideFormat& WideFormat::operator=(const WideFormat& other)
{
    if (this != &other) {
        WideFormatBase::operator=(other);
        position = other.position;
        finished = other.finished;
        output = other.output;
    }
    return *this;
}

bool WideFormat::ParseNextDirective()
{
    ResetSpec();
    const auto& table = DirectiveTable();
    const std::size_t length = text.size();
    while (position < length) {
        wchar_t c = text[position];
        if (c != L'%') {
            output.push_back(c);
            ++position;
            continue;
        }
        ++position;
        DirectiveState state;
        u32 lastPhase = 0;
        if (position == length) {
            output.push_back(L'%');
            continue;
        }
        while (position < length) {
            c = text[position];
            const bool inTable = c >= 1 && c <= 127;
            const u32 phase = inTable ? table[static_cast<std::size_t>(c)](c, state, *this) : 0;
            if (phase == 5) {
                ++position;
                width = state.width;
                precision = state.precision;
                alternate = state.alternate;
                return false;
            }
            if (phase == 0 || phase < lastPhase) {
                // A broken directive: this character is written, the ones before it
                // are dropped, flags they set stay for the next directive.
                output.push_back(c);
                ++position;
                break;
            }
            lastPhase = phase;
            ++position;
            if (position == length)
                output.push_back(c);
        }
    }
    return true;
}

void WideFormat::Finish()
{
    if (position < text.size())
        output.append(text, position, std::wstring::npos);
    position = static_cast<u32>(text.size());
    finished = 1;
}

WideFormat& WideFormat::operator%(int value)
{
    if (!finished) {
        WriteInteger(value);
        finished = ParseNextDirective() ? 1 : 0;
    }
    return *this;
}

WideFormat& WideFormat::operator%(const wchar_t* value)
{
    if (!finished) {
        const std::size_t n = value ? std::char_traits<wchar_t>::length(value) : 0;
        AppendPadded(value, static_cast<u32>(n));
        finished = ParseNextDirective() ? 1 : 0;
    }
    return *this;
}

WideFormat& WideFormat::operator%(const std::wstring& value)
{
    if (!finished) {
        AppendPadded(value.data(), static_cast<u32>(value.size()));
        finished = ParseNextDirective() ? 1 : 0;
    }
    return *this;
}

WideFormat& WideFormat::operator%(unsigned int value)
{
    if (!finished) {
        WriteUnsigned(value);
        finished = ParseNextDirective() ? 1 : 0;
    }
    return *this;
}

WideFormat& WideFormat::operator%(double value)
{
    if (!finished) {
        WriteDouble(value);
        finished = ParseNextDirective() ? 1 : 0;
    }
    return *this;
}

// ---------------------------------------------------------------------------
// NumberFormat

void NumberFormat::WriteInteger(int value)
{
    WriteIntegerTo(*this, output, static_cast<u32>(value), true);
}

void NumberFormat::WriteUnsigned(unsigned int value)
{
    WriteIntegerTo(*this, output, value, false);
}

void NumberFormat::WriteFloat(float value)
{
    WriteDouble(static_cast<double>(value));
}

void NumberFormat::WriteDouble(double value)
{
    AppendPaddedAscii(*this, output, FloatText(*this, value));
}

void NumberFormat::AppendPadded(const char* text, u32 count)
{
    AppendPaddedTo<char>(*this, output, text, text ? count : 0);
}
