#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "editor/VaskelColours.h"

// The editor's look: the embedded fonts, the palette's colour ids and the
// rack-style drawing of text buttons, toggles, combo boxes, faders and knobs.
// The drawing routines never save or restore the graphics state: the colour a
// routine sets last stays current for the caller.
class VaskelLookAndFeel : public juce::LookAndFeel_V4
{
public:
    // Writes the process-wide accent triple, loads the three embedded
    // typefaces and sets the palette's colour ids.
    explicit VaskelLookAndFeel (AccentColours accentColours);
    ~VaskelLookAndFeel() override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool shouldDrawButtonAsHighlighted,
                           bool shouldDrawButtonAsDown) override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown, int buttonX, int buttonY, int buttonW,
                       int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;

    juce::Font getLabelFont (juce::Label&) override;

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;

    // VT323 at the given font height (ascent plus descent).
    juce::Font getDisplayFont (float height) const;

    // A new font of the given height in the typeface, or in the default face
    // when the typeface is null.
    static juce::Font makeFont (const juce::Typeface::Ptr& typeface, float height);

    // The clock an unlit toggle's lamp pulses with, in milliseconds; tests
    // replace it to draw the lamp at a chosen moment.
    using MillisecondClock = double (*)();
    void setLampClock (MillisecondClock clock) noexcept { lampClock = clock; }
    double lampTimeMs() const { return lampClock(); }

    // The colour a toggle's lamp is drawn in now: dim when on, pulsing when off.
    juce::Colour toggleLampColour (bool on) const;

private:
    MillisecondClock lampClock = &juce::Time::getMillisecondCounterHiRes;

    juce::Typeface::Ptr chakraPetchRegular;
    juce::Typeface::Ptr chakraPetchBold; // held with the others; no font uses it
    juce::Typeface::Ptr vt323Regular;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VaskelLookAndFeel)
};
