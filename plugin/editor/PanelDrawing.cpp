#include "editor/PanelDrawing.h"

#include "editor/VaskelColours.h"

#include <algorithm>

namespace
{
// (x + d, y + d, w - 2d, h - 2d) with the size floored at zero.
juce::Rectangle<float> reducedBy (juce::Rectangle<float> r, float d)
{
    return { r.getX() + d, r.getY() + d, std::max (r.getWidth() - 2.0f * d, 0.0f),
             std::max (r.getHeight() - 2.0f * d, 0.0f) };
}

const juce::Colour borderColour { 0xFF2A2E3D };
juce::Colour highlightColour() { return juce::Colours::white.withAlpha (0.06f); }
} // namespace

namespace PanelDrawing
{
std::array<juce::Rectangle<float>, 2> railBounds (juce::Rectangle<float> bounds)
{
    const auto x = bounds.getX();
    const auto y = bounds.getY();
    const auto w = bounds.getWidth();
    const auto h = bounds.getHeight();

    // No floor on the height: a very low window gives rails of negative height.
    return { juce::Rectangle<float> { x - 8.0f, y + 10.0f, 16.0f, h - 20.0f },
             juce::Rectangle<float> { x + w - 8.0f, y + 10.0f, 16.0f, h - 20.0f } };
}

std::vector<juce::Rectangle<float>> railSlots (juce::Rectangle<float> rail)
{
    std::vector<juce::Rectangle<float>> slots;
    const auto bottom = rail.getY() + rail.getHeight();

    for (auto top = rail.getY() + 3.0f; top < bottom; top += 6.0f)
        slots.push_back ({ rail.getX() + 1.0f, top, rail.getWidth() - 2.0f, 3.0f });

    return slots;
}

std::array<juce::Rectangle<float>, 4> screwBoxes (juce::Rectangle<float> bounds, float inset)
{
    const auto x = bounds.getX();
    const auto y = bounds.getY();
    const auto w = bounds.getWidth();
    const auto h = bounds.getHeight();
    const auto s = screwSize;

    return { juce::Rectangle<float> { x + inset, y + inset, s, s },
             juce::Rectangle<float> { x + w - inset - s, y + inset, s, s },
             juce::Rectangle<float> { x + inset, y + h - inset - s, s, s },
             juce::Rectangle<float> { x + w - inset - s, y + h - inset - s, s, s } };
}

juce::Rectangle<float> ledHaloBounds (juce::Rectangle<float> lamp)
{
    return { lamp.getX() - 1.5f, lamp.getY() - 1.5f, std::max (lamp.getWidth() + 3.0f, 0.0f),
             std::max (lamp.getHeight() + 3.0f, 0.0f) };
}

void drawChassis (juce::Graphics& g, juce::Rectangle<float> bounds, float cornerRadius)
{
    const auto x = bounds.getX();
    const auto y = bounds.getY();
    const auto w = bounds.getWidth();
    const auto h = bounds.getHeight();

    // Body: the colour settles at 60 % of the height and stays flat below.
    juce::ColourGradient body (juce::Colour (0xFF1C1F2B), x, y, juce::Colour (0xFF14161F), x, y + h, false);
    body.addColour (0.6, juce::Colour (0xFF14161F));
    g.setGradientFill (body);
    g.fillRoundedRectangle (bounds, cornerRadius);

    // A faint diagonal sheen across the middle.
    const juce::Colour clear (0x00FFFFFF);
    juce::ColourGradient sheen (clear, x, y, clear, x + w, y + h, false);
    sheen.addColour (0.42, clear);
    sheen.addColour (0.5, juce::Colours::white.withAlpha (0.05f));
    sheen.addColour (0.58, clear);
    g.setGradientFill (sheen);
    g.fillRoundedRectangle (bounds, cornerRadius);

    g.setColour (borderColour);
    g.drawRoundedRectangle (reducedBy (bounds, 0.5f), cornerRadius, 1.0f);

    g.setColour (highlightColour());
    g.drawLine (x + cornerRadius, y + 1.0f, x + w - cornerRadius, y + 1.0f, 1.0f);
}

void drawRail (juce::Graphics& g, juce::Rectangle<float> rail)
{
    g.setColour (juce::Colour (0xFF0A0B10));
    g.fillRoundedRectangle (rail, 5.0f);

    // The slots are not clipped to the rounded corners, and the last one may
    // run a little below the rail.
    for (const auto& slot : railSlots (rail))
    {
        g.setColour (juce::Colour (0xFF1C1F2B));
        g.fillRect (slot);
    }

    g.setColour (juce::Colour (0xFF000000));
    g.drawRoundedRectangle (rail, 5.0f, 1.0f);
}

void drawSideRails (juce::Graphics& g, juce::Rectangle<float> bounds)
{
    for (const auto& rail : railBounds (bounds))
        drawRail (g, rail);
}

void drawScrews (juce::Graphics& g, juce::Rectangle<float> bounds, float inset)
{
    for (const auto& box : screwBoxes (bounds, inset))
    {
        const auto sx = box.getX();
        const auto sy = box.getY();

        // The off-centre light spot makes the head look domed.
        juce::ColourGradient head (juce::Colour (0xFF6A7186), sx + 4.16f, sy + 3.64f, juce::Colour (0xFF0E0F14),
                                   sx + 13.0f, sy + 13.0f, true);
        head.addColour (0.55, juce::Colour (0xFF363B4A));
        g.setGradientFill (head);
        g.fillEllipse (box);

        g.setColour (juce::Colour (0xFF000000).withAlpha (0.7f));
        g.drawEllipse (box, 1.0f);

        const auto cx = sx + 6.5f;
        const auto cy = sy + 6.5f;
        g.setColour (juce::Colour (0xFF000000).withAlpha (0.8f));
        g.drawLine (cx - 4.16f, cy - 4.16f, cx + 4.16f, cy + 4.16f, 1.0f);
        g.drawLine (cx - 4.16f, cy + 4.16f, cx + 4.16f, cy - 4.16f, 1.0f);
    }
}

void drawPanel (juce::Graphics& g, juce::Rectangle<float> area, bool accented, float cornerRadius)
{
    g.setColour (accented ? VaskelColours::accent.withAlpha (0.1f) : juce::Colours::white.withAlpha (0.015f));
    g.fillRoundedRectangle (area, cornerRadius);

    g.setColour (juce::Colour (0xFF000000).withAlpha (0.35f));
    g.drawRoundedRectangle (reducedBy (area, 0.5f).translated (0.0f, 1.0f), cornerRadius, 2.0f);

    g.setColour (accented ? VaskelColours::accent.withAlpha (0.3f) : borderColour);
    g.drawRoundedRectangle (reducedBy (area, 0.5f), cornerRadius, 1.0f);

    // Left current on purpose: the editor draws its images with this colour's opacity.
    g.setColour (highlightColour());
    g.drawLine (area.getX() + cornerRadius, area.getY() + 1.0f, area.getX() + area.getWidth() - cornerRadius,
                area.getY() + 1.0f, 1.0f);
}

void drawLed (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour)
{
    // A white spot up and to the left of the centre.
    juce::ColourGradient lamp (juce::Colour (0xFFFFFFFF), area.getX() + 0.35f * area.getWidth(),
                               area.getY() + 0.3f * area.getHeight(), colour.darker (0.4f),
                               area.getX() + area.getWidth(), area.getY() + area.getHeight(), true);
    lamp.addColour (0.45, colour);
    g.setGradientFill (lamp);
    g.fillEllipse (area);

    g.setColour (colour);
    g.drawEllipse (ledHaloBounds (area), 1.0f);
}
} // namespace PanelDrawing
