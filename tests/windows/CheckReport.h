#pragma once

// A tally of named checks, printed as they run and summed up at the end.

#include <cstdio>
#include <string>

namespace host
{
class CheckReport
{
public:
    explicit CheckReport (std::string platformName)
        : platform (std::move (platformName))
    {
    }

    bool check (bool ok, const std::string& name, const std::string& detail = {})
    {
        (ok ? passed : failed)++;
        std::printf ("[%s] %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
        std::fflush (stdout);
        return ok;
    }

    void note (const std::string& text)
    {
        std::printf ("       %s\n", text.c_str());
        std::fflush (stdout);
    }

    // The closing line, then the exit code: non-zero when any check failed.
    int finish() const
    {
        std::printf ("%s: %d passed, %d failed\n", platform.c_str(), passed, failed);
        std::fflush (stdout);
        return failed == 0 ? 0 : 1;
    }

    int failures() const { return failed; }

private:
    std::string platform;
    int passed = 0, failed = 0;
};
} // namespace host
