#include "editor/VaskelQuorlinEditor.h"

#include "editor/PanelDrawing.h"
#include "editor/VaskelColours.h"

// Everything that is not a child control, copied from a picture drawn once
// per size: the widgets' repaints (the meters, the lamp) would otherwise
// rasterise the whole chassis again under them on every tick.
void VaskelQuorlinEditor::paint (juce::Graphics& g)
{
    background.draw (g, { getWidth(), getHeight() }, [this] (juce::Graphics& layer) { paintBackground (layer); });
}

// Nothing is filled first: outside the chassis' rounded corners the window
// stays untouched.
void VaskelQuorlinEditor::paintBackground (juce::Graphics& g) const
{
    const auto bounds = getLocalBounds().toFloat();

    PanelDrawing::drawChassis (g, bounds, 14.0f);
    PanelDrawing::drawSideRails (g, bounds);
    PanelDrawing::drawScrews (g, bounds, 12.0f);

    PanelDrawing::drawPanel (g, headerArea.toFloat(), false, 8.0f);
    PanelDrawing::drawPanel (g, inputColumn.toFloat(), true, 8.0f);
    PanelDrawing::drawPanel (g, moduleArea.toFloat(), false, 8.0f);
    PanelDrawing::drawPanel (g, toneColumn.toFloat(), true, 8.0f);
    PanelDrawing::drawPanel (g, modColumn.toFloat(), true, 8.0f);
    PanelDrawing::drawPanel (g, spaceColumn.toFloat(), true, 8.0f);
    PanelDrawing::drawPanel (g, echoColumn.toFloat(), true, 8.0f);
    PanelDrawing::drawPanel (g, tempoColumn.toFloat(), false, 8.0f);
    PanelDrawing::drawPanel (g, outputColumn.toFloat(), true, 8.0f);

    // No colour is set for the images: they take the opacity of the colour the
    // last panel left current (its faint highlight), so they show as
    // watermarks on the header.
    auto title = titleArea;

    if (emblemImage.isValid())
    {
        const auto emblemBox = title.removeFromLeft (title.getHeight());
        g.drawImage (emblemImage, emblemBox.toFloat(), juce::RectanglePlacement::centred);
        title.removeFromLeft (8);
    }

    if (wordmarkImage.isValid())
    {
        const auto wordmarkBox =
            title.withSizeKeepingCentre (juce::jmin (title.getWidth(), 200), title.getHeight() - 14);
        g.drawImage (wordmarkImage, wordmarkBox.toFloat(),
                     juce::RectanglePlacement::xLeft | juce::RectanglePlacement::yMid);
    }

    g.setColour (VaskelColours::textDim);
    g.setFont (look.getDisplayFont (13.0f));

    const auto footer = getLocalBounds().removeFromBottom (22).reduced (16, 3).toFloat();
    g.drawText (juce::String (JucePlugin_Name) + " " + JucePlugin_VersionString, footer,
                juce::Justification::centredLeft, true);
    g.drawText (juce::URL (JucePlugin_ManufacturerWebsite).getDomain(), footer, juce::Justification::centredRight,
                true);
}
