#include "editor/VaskelColours.h"

namespace VaskelColours
{
const juce::Colour background { 0xFF06070D };
const juce::Colour panel { 0xFF0D0F18 };
const juce::Colour text { 0xFFC9D2E0 };
const juce::Colour textDim { 0xFF7A87A3 };
const juce::Colour hot { 0xFFFF5A36 };
const juce::Colour track { 0xFF11131A };

// Replaced by the first look that is constructed, before anything is drawn.
juce::Colour accent { 0xFF3D7BFF };
juce::Colour accentSoft { 0xFF7FA8FF };
juce::Colour accentGlow { 0xFFA6F0FF };
} // namespace VaskelColours
