#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>

// A layer of drawing that only changes with its size: rendered once into a
// picture at the physical pixel scale it is shown at, then copied into every
// later paint. The picture is drawn again when the size, the pixel scale or the
// process-wide accents (which drawing reads at every call) change.
//
// The copy gives the same bytes as drawing the layer directly, provided that
// - the layer is drawn at its component's origin, at the same device position
//   as the picture was (the editor's own origin is the window's), since path
//   edges are rounded in device coordinates;
// - what lies under it is transparent or opaque black, as under the editor in
//   a snapshot and in the plug-in's window: the picture is the layer drawn onto
//   transparent pixels, and premultiplied pixels copied over those backgrounds
//   take nothing from them;
// - the clip stays inside the layer's size.
// At a pixel scale that is not a whole number the layer is drawn directly every
// time, because the component's device position need not fall on a pixel.
class LayerCache
{
public:
    using PaintLayer = std::function<void (juce::Graphics&)>;

    // Draws the layer of the given logical size at the context's origin.
    void draw (juce::Graphics& g, juce::Point<int> size, const PaintLayer& paintLayer);

    void invalidate() noexcept { image = {}; }

private:
    struct Key
    {
        juce::Point<int> size;
        int scale = 0;
        juce::uint32 accents[3] {};

        bool operator== (const Key& other) const noexcept;
    };

    static Key keyFor (juce::Point<int> size, int scale);

    juce::Image image;
    Key key;
};
