#include "editor/LayerCache.h"

#include "editor/VaskelColours.h"

#include <algorithm>
#include <cmath>

bool LayerCache::Key::operator== (const Key& other) const noexcept
{
    return size == other.size && scale == other.scale &&
           std::equal (std::begin (accents), std::end (accents), other.accents);
}

LayerCache::Key LayerCache::keyFor (juce::Point<int> size, int scale)
{
    return { size,
             scale,
             { VaskelColours::accent.getARGB(), VaskelColours::accentSoft.getARGB(),
               VaskelColours::accentGlow.getARGB() } };
}

void LayerCache::draw (juce::Graphics& g, juce::Point<int> size, const PaintLayer& paintLayer)
{
    const auto physicalScale = g.getInternalContext().getPhysicalPixelScaleFactor();
    const auto scale = (int) std::lround (physicalScale);

    if (size.x <= 0 || size.y <= 0 || scale < 1 || (float) scale != physicalScale)
    {
        paintLayer (g);
        return;
    }

    const auto wanted = keyFor (size, scale);

    if (image.isNull() || ! (key == wanted))
    {
        image = juce::Image (juce::Image::ARGB, size.x * scale, size.y * scale, true);
        key = wanted;

        juce::Graphics layer (image);
        layer.addTransform (juce::AffineTransform::scale ((float) scale));
        paintLayer (layer);
    }

    const auto area = g.getClipBounds().getIntersection ({ 0, 0, size.x, size.y });

    if (area.isEmpty())
        return;

    // Only the part under the clip, one picture pixel per device pixel: the
    // renderer first builds a coverage table as large as the image it is given.
    const auto deviceArea = area * scale;
    g.setOpacity (1.0f);
    g.drawImageTransformed (image.getClippedImage (deviceArea),
                            juce::AffineTransform::translation ((float) deviceArea.getX(), (float) deviceArea.getY())
                                .scaled (1.0f / (float) scale));
}
