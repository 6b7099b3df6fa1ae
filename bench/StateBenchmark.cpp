// The saved state's cost against the size of the document: restoring a chunk
// whose elements carry many attributes, and the save that follows, each set
// against JUCE's own parse of the same text. A restore that does work in
// proportion to the document keeps a constant ratio to the parse as the
// document grows; one that does not has a ratio that doubles with it.
//
//   bench/QuorlinStateBenchmark [maximum attributes, default 40000]

#include "processor/VaskelQuorlinProcessor.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace
{
// The framework's wrapper around a document: "VC2!", the text's length, the
// text, a zero byte.
juce::MemoryBlock chunkFromText (const juce::String& text)
{
    const auto utf8 = text.toStdString();
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((juce::int32) utf8.size());
    out.write (utf8.data(), utf8.size());
    out.writeByte (0);
    return out.getMemoryBlock();
}

struct Shape
{
    const char* name;
    std::function<juce::String (int)> document;
};

juce::String attributes (int count, bool repeated)
{
    juce::MemoryOutputStream text;

    for (int i = 0; i < count; ++i)
        text << " a" << (repeated ? i / 2 : i) << "=\"" << i << "\"";

    return text.toString();
}

const std::vector<Shape>& shapes()
{
    static const std::vector<Shape> list {
        { "root, distinct attributes",
          [] (int n) { return "<PARAMETERS manualBpm=\"99\"" + attributes (n, false) + "/>"; } },
        { "root, each attribute twice",
          [] (int n) { return "<PARAMETERS manualBpm=\"99\"" + attributes (n, true) + "/>"; } },
        { "one child, distinct attributes", [] (int n)
          { return "<PARAMETERS><PARAM id=\"blend\" value=\"20\"" + attributes (n, false) + "/></PARAMETERS>"; } },
        { "children, one attribute each",
          [] (int n)
          {
              juce::MemoryOutputStream text;
              text << "<PARAMETERS>";
              for (int i = 0; i < n; ++i)
                  text << "<X a=\"" << i << "\"/>";
              text << "</PARAMETERS>";
              return text.toString();
          } },
    };
    return list;
}

// Median wall-clock seconds of `runs` calls.
double medianSeconds (int runs, const std::function<void()>& work)
{
    std::vector<double> seconds;

    for (int i = 0; i < runs; ++i)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        seconds.push_back (std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count());
    }

    std::sort (seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    const int largest = argc > 1 ? std::max (2500, std::atoi (argv[1])) : 40000;
    constexpr int runs = 5;

    std::printf ("times in ms, medians of %d runs; ratios to JUCE's parse of the same text\n", runs);
    std::printf ("%-32s %8s %9s %9s %9s %9s %9s\n", "document", "n", "parse", "restore", "x parse", "save", "x parse");

    for (const auto& shape : shapes())
    {
        for (int n = largest / 4; n <= largest; n *= 2)
        {
            const auto text = shape.document (n);
            const auto chunk = chunkFromText (text);

            const auto parse = medianSeconds (runs, [&] { juce::parseXML (text); });

            VaskelQuorlinProcessor processor;
            const auto restore =
                medianSeconds (runs, [&] { processor.setStateInformation (chunk.getData(), (int) chunk.getSize()); });

            juce::MemoryBlock saved;
            const auto save = medianSeconds (runs, [&] { processor.getStateInformation (saved); });

            std::printf ("%-32s %8d %9.2f %9.2f %9.1f %9.2f %9.1f\n", shape.name, n, parse * 1.0e3, restore * 1.0e3,
                         restore / parse, save * 1.0e3, save / parse);
        }
    }

    return 0;
}
