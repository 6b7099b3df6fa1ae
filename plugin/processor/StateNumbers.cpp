#include "processor/StateNumbers.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

// Follows CharacterFunctions::readDoubleValue of JUCE 7 (its branch for
// platforms other than MinGW) step for step: the same digits go into the same
// short buffer, which is then converted with std::from_chars instead of the C
// library's strtod_l. from_chars is correctly rounded as glibc's strtod is, and
// depends on no locale. Only the exponent arithmetic differs: it saturates
// instead of overflowing.

namespace StateNumbers
{
namespace
{
constexpr int maxSignificantDigits = 17 + 1; // one more for the rounding

// Beyond any exponent a text can make with the digits it has room for, so
// that saturating here never changes which way a range check goes.
constexpr juce::int64 exponentCeiling = (juce::int64) 1 << 40;

bool isAsciiWhiteSpace (char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit (char c) noexcept { return c >= '0' && c <= '9'; }
bool isLetter (char c, char lowerCase) noexcept { return c == lowerCase || c == lowerCase - ('a' - 'A'); }

// The exponent's three digits, as the framework writes them.
char* writeExponent (juce::int64 exponent, char* destination) noexcept
{
    if (exponent < 0)
    {
        *destination++ = '-';
        exponent = -exponent;
    }

    for (juce::int64 divisor = 100; divisor > 0; divisor /= 10)
    {
        *destination++ = (char) ('0' + exponent / divisor);
        exponent %= divisor;
    }

    return destination;
}
} // namespace

double readLeadingNumber (const juce::String& text) noexcept
{
    constexpr auto infinity = std::numeric_limits<double>::infinity();

    // A sign, the digits, a decimal point, 'e', the exponent's sign and three digits.
    char buffer[maxSignificantDigits + 7] {};
    char* write = buffer;

    const char* p = text.toRawUTF8();

    while (isAsciiWhiteSpace (*p))
        ++p;

    bool negative = false;

    if (*p == '-')
    {
        negative = true;
        *write++ = '-';
        ++p;
    }
    else if (*p == '+')
    {
        ++p;
    }

    if (isLetter (*p, 'n'))
        return isLetter (p[1], 'a') && isLetter (p[2], 'n') ? std::numeric_limits<double>::quiet_NaN() : 0.0;

    if (isLetter (*p, 'i'))
        return isLetter (p[1], 'n') && isLetter (p[2], 'f') ? (negative ? -infinity : infinity) : 0.0;

    int numSignificantDigits = 0;
    juce::int64 exponent = 0; // integer digits beyond the significant ones count here
    bool decimalPointFound = false, leadingZeros = false;

    for (;; ++p)
    {
        if (isDigit (*p))
        {
            if (numSignificantDigits >= maxSignificantDigits)
            {
                if (! decimalPointFound)
                    exponent = std::min (exponent + 1, exponentCeiling);

                continue;
            }

            if (! decimalPointFound && numSignificantDigits == 0 && *p == '0')
            {
                leadingZeros = true;
                continue;
            }

            *write++ = *p;
            ++numSignificantDigits;
        }
        else if (! decimalPointFound && *p == '.')
        {
            *write++ = '.';
            decimalPointFound = true;
        }
        else
        {
            break;
        }
    }

    if (! leadingZeros && numSignificantDigits == 0)
        return 0.0;

    const bool hasExponent = *p == 'e' || *p == 'E';

    if (hasExponent)
    {
        ++p;
        bool exponentIsNegative = false;

        if (*p == '-' || *p == '+')
            exponentIsNegative = *p++ == '-';

        juce::int64 written = 0;

        for (; isDigit (*p); ++p)
            written = std::min (written * 10 + (*p - '0'), exponentCeiling);

        exponent += exponentIsNegative ? -written : written;
    }

    // The framework's range checks. It makes them for a written exponent only;
    // without one (up to 999 extra integer digits) its strtod gives the same
    // infinity, and beyond that it misreads the number.
    if (exponent < std::numeric_limits<double>::min_exponent10 - 1)
        return negative ? -0.0 : 0.0;

    if (exponent > std::numeric_limits<double>::max_exponent10 + 1)
        return negative ? -infinity : infinity;

    if (exponent != 0)
    {
        *write++ = 'e';
        write = writeExponent (exponent, write);
    }

    double value = 0.0;
    const auto result = std::from_chars (buffer, write, value, std::chars_format::general);

    if (result.ec == std::errc::result_out_of_range)
        return exponent > 0 ? (negative ? -infinity : infinity) : (negative ? -0.0 : 0.0);

    // Nothing to convert ("-", or a point without digits): strtod's 0.0.
    if (result.ec != std::errc())
        return 0.0;

    return value;
}
} // namespace StateNumbers
