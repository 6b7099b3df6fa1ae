#include "editor/VaskelLookAndFeel.h"

#include "editor/ControlGeometry.h"

#include <BinaryData.h>

#include <algorithm>
#include <cmath>

namespace
{
juce::Typeface::Ptr loadTypeface (const char* data, int size)
{
    // From the compiled-in bytes; no font file is read from disk. Stays null
    // when the data cannot be read, and the fonts fall back to the default face.
    return juce::Typeface::createSystemTypefaceFor (data, (size_t) size);
}
} // namespace

VaskelLookAndFeel::VaskelLookAndFeel (AccentColours accentColours)
{
    // Written before the colour ids so that the pop-up highlight takes the new accent.
    VaskelColours::accentGlow = accentColours.glow;
    VaskelColours::accent = accentColours.accent;
    VaskelColours::accentSoft = accentColours.soft;

    chakraPetchRegular = loadTypeface (BinaryData::ChakraPetchRegular_ttf, BinaryData::ChakraPetchRegular_ttfSize);
    chakraPetchBold = loadTypeface (BinaryData::ChakraPetchBold_ttf, BinaryData::ChakraPetchBold_ttfSize);
    vt323Regular = loadTypeface (BinaryData::VT323Regular_ttf, BinaryData::VT323Regular_ttfSize);

    using namespace VaskelColours;
    setColour (juce::ResizableWindow::backgroundColourId, background);
    setColour (juce::Label::textColourId, text);
    setColour (juce::ComboBox::backgroundColourId, panel);
    setColour (juce::ComboBox::textColourId, text);
    setColour (juce::ComboBox::outlineColourId, textDim);
    setColour (juce::PopupMenu::backgroundColourId, panel);
    setColour (juce::PopupMenu::textColourId, text);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, accent);
    setColour (juce::Slider::textBoxTextColourId, text);
    setColour (juce::Slider::textBoxBackgroundColourId, panel);
    setColour (juce::Slider::textBoxOutlineColourId, textDim);
    setColour (juce::TextButton::textColourOffId, text);
    setColour (juce::TextButton::textColourOnId, background);
}

VaskelLookAndFeel::~VaskelLookAndFeel()
{
    vt323Regular = nullptr;
    chakraPetchBold = nullptr;
    chakraPetchRegular = nullptr;
}

juce::Font VaskelLookAndFeel::makeFont (const juce::Typeface::Ptr& typeface, float height)
{
    if (typeface == nullptr)
        return juce::Font (height);

    return juce::Font (typeface).withHeight (height);
}

juce::Font VaskelLookAndFeel::getDisplayFont (float height) const { return makeFont (vt323Regular, height); }

juce::Font VaskelLookAndFeel::getLabelFont (juce::Label&)
{
    // Every label under this look, whatever font it was given, and its text editor.
    return makeFont (chakraPetchRegular, 15.0f);
}

juce::Font VaskelLookAndFeel::getComboBoxFont (juce::ComboBox&) { return makeFont (vt323Regular, 20.0f); }

juce::Font VaskelLookAndFeel::getTextButtonFont (juce::TextButton&, int) { return makeFont (vt323Regular, 18.0f); }

void VaskelLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    using namespace VaskelColours;
    const auto r = button.getLocalBounds().toFloat();

    g.setColour (shouldDrawButtonAsDown ? accent : (shouldDrawButtonAsHighlighted ? panel.brighter (0.2f) : panel));
    g.fillRect (r);

    g.setColour (textDim);
    g.drawRect (r, 1.0f);
}

juce::Colour VaskelLookAndFeel::toggleLampColour (bool on) const
{
    using namespace VaskelColours;
    return on ? textDim.withAlpha (1.0f) : hot.withAlpha (ControlGeometry::toggleLampAlpha (on, lampTimeMs()));
}

void VaskelLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool, bool)
{
    using namespace VaskelColours;
    const auto on = button.getToggleState();
    const auto geometry = ControlGeometry::computeToggleGeometry (button.getLocalBounds().toFloat());

    g.setColour (toggleLampColour (on));
    g.fillEllipse (geometry.lamp);

    // A toggle with a text of its own (the host-sync switch) shows that text;
    // one without (the bypass switch) names its state.
    auto label = button.getButtonText();

    if (label.isEmpty())
        label = on ? "BYPASS" : "REC";

    g.setColour (on ? textDim : text);
    g.setFont (makeFont (vt323Regular, 18.0f));
    g.drawText (label, geometry.textBox, juce::Justification::centredLeft, true);
}

void VaskelLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool, int, int, int, int,
                                      juce::ComboBox& box)
{
    using namespace VaskelColours;
    const juce::Rectangle<float> r { 0.0f, 0.0f, (float) width, (float) height };

    g.setColour (panel);
    g.fillRect (r);

    g.setColour (box.isMouseOver() ? accentSoft : textDim);
    g.drawRect (r, 1.0f);

    const auto arrow = ControlGeometry::computeComboArrow ((float) width, (float) height);
    juce::Path triangle;
    triangle.addTriangle (arrow.triangle[0], arrow.triangle[1], arrow.triangle[2]);
    g.setColour (accentGlow);
    g.fillPath (triangle);
}

void VaskelLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                          float, float, juce::Slider::SliderStyle, juce::Slider& slider)
{
    using namespace VaskelColours;

    // Every linear slider is drawn as a vertical fader.
    const auto bottom = (float) slider.getPositionOfValue (slider.getMinimum());
    const auto top = (float) slider.getPositionOfValue (slider.getMaximum());
    const juce::Rectangle<float> area { (float) x, (float) y, (float) width, (float) height };
    const auto fader = ControlGeometry::computeFaderGeometry (area, sliderPos, bottom, top);
    const auto& trackBounds = fader.track;

    g.setColour (track);
    g.fillRect (trackBounds);
    g.setColour (textDim.withAlpha (0.5f));
    g.drawRect (trackBounds, 1.0f);

    // The colour belongs to the place on the travel, not to the value.
    g.setGradientFill (
        juce::ColourGradient (accent, trackBounds.getX(), bottom, accentGlow, trackBounds.getX(), top, false));
    g.fillRect (fader.fill);

    if (slider.getMinimum() < 0.0 && slider.getMaximum() > 0.0)
    {
        const auto zeroY =
            ControlGeometry::faderZeroLineY ((float) slider.valueToProportionOfLength (0.0), bottom, top);
        g.setColour (textDim.withAlpha (0.8f));
        g.drawLine (area.getX(), zeroY, area.getRight(), zeroY, 1.0f);
    }

    const auto& capBounds = fader.cap;
    juce::Path cap;
    cap.addRoundedRectangle (capBounds, 2.0f);

    juce::DropShadow (juce::Colours::black.withAlpha (0.55f), 5, { 0, 2 }).drawForPath (g, cap);

    const auto base = slider.isMouseOverOrDragging() ? accentSoft : juce::Colour (0xFF5A6280);
    juce::ColourGradient body (juce::Colours::white, area.getX(), capBounds.getY(), base, area.getX(),
                               capBounds.getBottom(), false);
    body.addColour (0.18, juce::Colour (0xFFD7DCE6));
    body.addColour (0.46, juce::Colour (0xFF98A3BA));
    body.addColour (0.58, juce::Colour (0xFFB7C0D4));
    g.setGradientFill (body);
    g.fillPath (cap);

    g.setColour (juce::Colours::black.withAlpha (0.7f));
    g.strokePath (cap, juce::PathStrokeType (1.0f));

    g.setColour (background.withAlpha (0.6f));
    g.drawLine (fader.groove, 1.5f);
}

void VaskelLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                          float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                                          juce::Slider&)
{
    using namespace VaskelColours;
    using ControlGeometry::pointOnCircle;

    const auto k = ControlGeometry::computeKnobGeometry ({ (float) x, (float) y, (float) width, (float) height });
    const auto r = k.radius;
    const auto centre = k.centre;
    const auto valueAngle = rotaryStartAngle + sliderPosProportional * (rotaryEndAngle - rotaryStartAngle);

    for (int i = 0; i < ControlGeometry::knobTicks; ++i)
    {
        const auto t = rotaryStartAngle + ((float) i / 20.0f) * (rotaryEndAngle - rotaryStartAngle);
        const auto inner = pointOnCircle (centre, k.tickInnerRadius, t);
        const auto outer = pointOnCircle (centre, k.tickOuterRadius, t);
        g.setColour (textDim.withAlpha (0.5f));
        g.drawLine (inner.x, inner.y, outer.x, outer.y, 1.0f);
    }

    juce::Path arc;
    arc.addCentredArc (centre.x, centre.y, k.arcRadius, k.arcRadius, 0.0f, rotaryStartAngle, valueAngle, true);
    g.setGradientFill (
        juce::ColourGradient (accent, centre.x - r, centre.y, accentGlow, centre.x + r, centre.y, false));
    g.strokePath (arc, juce::PathStrokeType (3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    const auto& knob = k.knob;
    juce::Path knobShape;
    knobShape.addEllipse (knob);
    juce::DropShadow (juce::Colours::black.withAlpha (0.6f), 8, { 0, 3 }).drawForPath (g, knobShape);

    // Light at the top left.
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xFF454B60), knob.getX(), knob.getY(),
                                             juce::Colour (0xFF1A1C26), knob.getRight(), knob.getBottom(), false));
    g.fillEllipse (knob);

    const auto spotX = knob.getX() + 0.32f * knob.getWidth();
    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.35f), spotX,
                                             knob.getY() + 0.26f * knob.getHeight(), juce::Colours::transparentWhite,
                                             spotX, knob.getY() + 0.75f * knob.getHeight(), true));
    g.fillEllipse (knob);

    g.setColour (juce::Colours::black.withAlpha (0.8f));
    g.drawEllipse (knob, 1.0f);

    const auto tip = pointOnCircle (centre, k.pointerLength, valueAngle);
    g.setColour (accentGlow.withAlpha (0.4f));
    g.drawLine (centre.x, centre.y, tip.x, tip.y, 4.0f);
    g.setGradientFill (juce::ColourGradient (accentGlow, centre.x, centre.y, accentSoft, tip.x, tip.y, false));
    g.drawLine (centre.x, centre.y, tip.x, tip.y, 2.0f);
}
