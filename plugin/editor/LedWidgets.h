#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// An on/off switch drawn as one round lamp; every completed click flips it.
class VaskelLedButton : public juce::Button
{
public:
    VaskelLedButton();
    ~VaskelLedButton() override = default;

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VaskelLedButton)
};

// A column of rows, each a small lamp and a text, with one row lit. A mouse
// release picks the row under the pointer and reports it through onChange
// (on every release, also when the row did not change).
class VaskelLedStackSelector : public juce::Component
{
public:
    VaskelLedStackSelector() = default;
    ~VaskelLedStackSelector() override = default;

    std::function<void (int)> onChange;

    void setChoices (const juce::StringArray& newChoices);
    // Any index is accepted; one outside the rows lights none. Never calls onChange.
    void setSelectedIndex (int index);

    const juce::StringArray& getChoices() const noexcept { return choices; }
    int getSelectedIndex() const noexcept { return selectedIndex; }

    void mouseUp (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;

private:
    juce::StringArray choices;
    int selectedIndex = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VaskelLedStackSelector)
};

// Row geometry shared by the selector's painting and hit testing.
namespace LedStackGeometry
{
// Height of each row: the component height divided by the row count,
// truncated; 0 when there are no rows.
int rowHeight (int componentHeight, int numRows);
// The row a release at y picks, clamped to the rows; -1 when there are none.
int rowAt (int y, int componentHeight, int numRows);
// The lamp of row i: its cell (as wide as the row is high, at most the
// component's width) reduced by 0.3 of the row height on every side.
juce::Rectangle<float> dotBounds (int row, int componentWidth, int rowH);
juce::Rectangle<int> textBounds (int row, int componentWidth, int rowH);
} // namespace LedStackGeometry
