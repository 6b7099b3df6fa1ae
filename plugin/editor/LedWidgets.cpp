#include "editor/LedWidgets.h"

#include "editor/PanelDrawing.h"
#include "editor/VaskelColours.h"

#include <algorithm>

VaskelLedButton::VaskelLedButton()
    : juce::Button ({})
{
    setClickingTogglesState (true);
}

void VaskelLedButton::paintButton (juce::Graphics& g, bool shouldDrawButtonAsHighlighted, bool)
{
    using namespace VaskelColours;

    // Pressed looks like hovered: only the state and the hover decide the colour.
    const auto colour =
        getToggleState() ? accentGlow : textDim.withAlpha (shouldDrawButtonAsHighlighted ? 0.6f : 0.35f);

    // The lamp fills the bounds, so the halo ring shows only near the corners.
    PanelDrawing::drawLed (g, getLocalBounds().toFloat(), colour);
}

namespace LedStackGeometry
{
int rowHeight (int componentHeight, int numRows) { return numRows > 0 ? componentHeight / numRows : 0; }

int rowAt (int y, int componentHeight, int numRows)
{
    if (numRows <= 0)
        return -1;

    const auto divisor = std::max (rowHeight (componentHeight, numRows), 1);
    return juce::jlimit (0, numRows - 1, y / divisor);
}

juce::Rectangle<float> dotBounds (int row, int componentWidth, int rowH)
{
    const auto cell = (float) std::min (componentWidth, rowH);
    const auto d = 0.3f * (float) rowH;
    const auto rowY = (float) (row * rowH);

    return { d, rowY + d, std::max (cell - 2.0f * d, 0.0f), std::max ((float) rowH - 2.0f * d, 0.0f) };
}

juce::Rectangle<int> textBounds (int row, int componentWidth, int rowH)
{
    const auto cell = std::min (componentWidth, rowH);
    return { cell + 2, row * rowH, std::max (componentWidth - cell - 4, 0), std::max (rowH, 0) };
}
} // namespace LedStackGeometry

void VaskelLedStackSelector::setChoices (const juce::StringArray& newChoices)
{
    choices = newChoices;
    repaint();
}

void VaskelLedStackSelector::setSelectedIndex (int index)
{
    if (index == selectedIndex)
        return;

    selectedIndex = index;
    repaint();
}

void VaskelLedStackSelector::mouseUp (const juce::MouseEvent& e)
{
    const auto numRows = choices.size();

    if (numRows == 0)
        return;

    // Any mouse button, wherever the pointer is by the release; x is not looked at.
    const auto index = LedStackGeometry::rowAt (e.y, getHeight(), numRows);

    if (index != selectedIndex)
    {
        selectedIndex = index;
        repaint();
    }

    if (onChange)
        onChange (index);
}

void VaskelLedStackSelector::paint (juce::Graphics& g)
{
    using namespace VaskelColours;
    const auto numRows = choices.size();

    if (numRows == 0)
        return;

    const auto rowH = LedStackGeometry::rowHeight (getHeight(), numRows);

    // No background: the panel behind the selector shows through.
    for (int i = 0; i < numRows; ++i)
    {
        const auto lit = (i == selectedIndex);

        g.setColour (lit ? accentGlow : textDim.withAlpha (0.4f));
        g.fillEllipse (LedStackGeometry::dotBounds (i, getWidth(), rowH));

        g.setColour (lit ? text : textDim);
        g.setFont (juce::Font (12.5f));
        g.drawText (choices[i], LedStackGeometry::textBounds (i, getWidth(), rowH), juce::Justification::centredLeft,
                    true);
    }
}
