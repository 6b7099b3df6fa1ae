#pragma once

#include <juce_core/juce_core.h>

// Numbers in the saved state's text. The framework's own text-to-number
// conversion (String::getDoubleValue) overflows a signed int on a long
// exponent, which is undefined behaviour, skips white space by the host
// process's locale, and under MinGW uses a parser of its own that can be off
// in the last digit. This one is well defined for any text and the same on
// every platform.
namespace StateNumbers
{
// The number at the start of the text, read as the framework reads it on
// Linux: ASCII white space skipped, one sign, then digits with at most one
// decimal point and an optional exponent, the first 18 significant digits
// taken (correctly rounded); 0.0 when the text does not start with a number.
// "nan" and "inf" (any case, read by their first three letters) give a quiet
// NaN and an infinity with the sign, as there. Where the framework's result is
// defined this gives the same double; a long exponent gives an infinity or a
// zero by the number's size.
double readLeadingNumber (const juce::String& text) noexcept;
} // namespace StateNumbers
