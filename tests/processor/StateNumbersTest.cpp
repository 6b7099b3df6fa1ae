#include "processor/StateNumbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace
{
// The same double, bit for bit (so the sign of a zero counts), or both not a number.
::testing::AssertionResult sameDouble (double ours, double framework)
{
    if ((std::isnan (ours) && std::isnan (framework)) || std::memcmp (&ours, &framework, sizeof (double)) == 0)
        return ::testing::AssertionSuccess();

    return ::testing::AssertionFailure() << "read " << ours << ", the framework reads " << framework;
}
} // namespace

// Every form the framework's reader accepts, and the ways it reads the rest:
// compared with String::getDoubleValue itself, which is well defined for all
// of these (none has an exponent long enough to overflow it).
TEST (StateNumbers, ReadsEveryShortTextAsTheFrameworkDoes)
{
    const std::vector<const char*> texts {
        // plain numbers and the forms around them
        "120.0", "90", "-5", "+7.25", "0", "-0", "-0.0", "+0", "00012.5000", ".5", "-.5", "5.", "-5.", ".", "-.", "",
        " ", "-", "+", "--1", "+-1", "-+1", "+ 1", "1.5.5", "1,5", "12abc", "abc", "0x10", "0X1p3",
        // white space: the six ASCII characters only
        " \t\n\v\f\r98.25",
        "\xc2\xa0"
        "5",
        // exponents
        "1e5", "1E5", "1e+5", "1e-5", "1e", "1e+", "1e-", "5.e3", ".5e1", "-0e5", "-0e-400", "0e5", "1e308", "1e309",
        "1e310", "-1e310", "1.7976931348623157e308", "1.7976931348623158e308", "1.8e308", "1e-307", "1e-308", "1e-309",
        "100e-309", "0.001e310", "4.9e-324", "2.5e-324", "0.000000000000000001e-305", "0.0000000000000000001e-300",
        "1e00000000000000000000000000005", "1e-0000000000000000000000000000",
        // more significant digits than the framework keeps
        "3.14159265358979323846264338327950288", "12345678901234567890123", "123456789012345678.5",
        "0.1000000000000000055511151231257827", "9007199254740993", "-99999999999999999999e-3",
        "000000000000000000000000000000000001.5",
        // the words
        "nan", "NaN", "NAN", "-nan", "nanx", "na", "nab", "inf", "-Inf", "INF", "infinity", "-infinity", "in", "inx",
        " -inf", "+inf",
        // other scripts' digits are not digits
        "\xd9\xa1\xd9\xa2", "\xef\xbc\x91\xef\xbc\x92"
    };

    for (const auto* text : texts)
    {
        const auto string = juce::String::fromUTF8 (text);
        EXPECT_TRUE (sameDouble (StateNumbers::readLeadingNumber (string), string.getDoubleValue()))
            << "'" << text << "'";
    }
}

// The numbers the framework writes for the state (every float a parameter or
// the tempo holds, widened to double) come back as the same double, and
// narrowed again as the same float.
TEST (StateNumbers, ReadsEveryNumberTheFrameworkWritesAsTheFrameworkDoes)
{
    std::vector<float> values { 0.0f,
                                -0.0f,
                                1.0f,
                                120.0f,
                                125.5f,
                                0.8f,
                                0.35f,
                                2.34f,
                                1234.0f,
                                -24.0f,
                                1.0e-5f,
                                9.9e-6f,
                                1.0e6f,
                                999999.9f,
                                std::numeric_limits<float>::min(),
                                std::numeric_limits<float>::denorm_min(),
                                std::numeric_limits<float>::max(),
                                -std::numeric_limits<float>::max() };

    // Every parameter's steps (0.1 and 0.01 apart) across the widest range.
    for (int i = -6000; i <= 6000; ++i)
    {
        values.push_back ((float) i * 0.1f);
        values.push_back ((float) i * 0.01f);
    }

    // And floats of every size, from their bits.
    juce::Random random (20240611);
    for (int i = 0; i < 20000; ++i)
    {
        const auto bits = (std::uint32_t) random.nextInt() & 0xff7fffffu; // no infinities or NaNs
        float value;
        std::memcpy (&value, &bits, sizeof (value));
        values.push_back (value);
    }

    juce::XmlElement element ("PARAM");

    for (const auto value : values)
    {
        element.setAttribute ("value", (double) value);
        const auto& text = element.getStringAttribute ("value");
        const auto read = StateNumbers::readLeadingNumber (text);

        EXPECT_TRUE (sameDouble (read, text.getDoubleValue())) << text;
        EXPECT_EQ ((float) read, value) << text;
    }
}

// Where the framework's own reader overflows a signed int (undefined
// behaviour), the size of the number decides.
TEST (StateNumbers, ALongExponentGivesAnInfinityOrAZero)
{
    constexpr auto infinity = std::numeric_limits<double>::infinity();
    const auto manyDigits = juce::String::repeatedString ("9", 100000);

    const std::vector<std::pair<juce::String, double>> cases {
        { "1e99999999999999999999", infinity },
        { "-1e99999999999999999999", -infinity },
        { "1e-99999999999999999999", 0.0 },
        { "-1e-99999999999999999999", -0.0 },
        { "1e2147483648", infinity },
        { "1e-2147483649", 0.0 },
        { "0.0000001e" + manyDigits, infinity },
        { "1" + juce::String::repeatedString ("0", 5000) + "e-4990", 1.0e10 },
        { "1" + manyDigits, infinity },
        { "-0.5e-99999999999", -0.0 },
    };

    for (const auto& [text, expected] : cases)
        EXPECT_TRUE (sameDouble (StateNumbers::readLeadingNumber (text), expected)) << text.substring (0, 40);
}
