#include "processor/XmlParseGuard.h"

// The walk below follows juce_XmlDocument.cpp (JUCE 7) step for step: the same
// character pointer moves, the same white-space, comment and entity rules, the
// same error paths (which carry on parsing). Only the element recursion is
// turned into a counter, so the walk itself runs in constant stack. If JUCE's
// parser changes, this walk has to follow it.

namespace XmlParseGuard
{
namespace
{
using juce::CharacterFunctions;
using juce::CharPointer_ASCII;
using juce::juce_wchar;
using TextPointer = juce::String::CharPointerType;

bool isIdentifierChar (juce_wchar c) noexcept
{
    static const juce::uint32 legalChars[] = { 0, 0x7ff6000, 0x87fffffe, 0x7fffffe, 0 };

    if (c >= 0 && (int) c < (int) juce::numElementsInArray (legalChars) * 32)
        return (legalChars[c >> 5] & (1u << (c & 31))) != 0;

    return CharacterFunctions::isLetterOrDigit (c) || c == '_' || c == '-' || c == ':' || c == '.';
}

TextPointer findEndOfToken (TextPointer p) noexcept
{
    while (isIdentifierChar (*p))
        ++p;

    return p;
}

class ParserWalk
{
public:
    explicit ParserWalk (int stopAbove)
        : stopAboveNesting (stopAbove)
    {
    }

    Survey walkDocument (TextPointer text)
    {
        input = text;

        if (text.isEmpty() || ! parseHeader())
            return result;

        if (CharacterFunctions::compareUpTo (input, CharPointer_ASCII ("<!DOCTYPE"), 9) == 0)
        {
            result.hasDocumentType = true;
            return result;
        }

        if (readElementHead() == Head::opened)
            readChildren();

        return result;
    }

private:
    enum class Head
    {
        none,   // the parser returns no element
        closed, // an element without children ("/>", or an error that ends its tag)
        opened  // ">": the parser goes on to read the element's children
    };

    enum class Step
    {
        carryOn,
        leave,  // the children of the current element end
        descend // a child element opened
    };

    bool mustStop() const noexcept
    {
        return result.readsPastEnd || result.neverEnds || result.deepestNesting > stopAboveNesting;
    }

    void enterElement() noexcept { ++nesting; }

    juce_wchar readNextChar() noexcept
    {
        auto c = input.getAndAdvance();

        if (c == 0)
        {
            outOfData = true;
            --input;
        }

        return c;
    }

    bool parseHeader()
    {
        skipNextWhiteSpace();

        if (CharacterFunctions::compareUpTo (input, CharPointer_ASCII ("<?xml"), 5) == 0)
        {
            auto headerEnd = CharacterFunctions::find (input, CharPointer_ASCII ("?>"));

            if (headerEnd.isEmpty())
                return false;

            input = headerEnd + 2;
            skipNextWhiteSpace();
        }

        return true;
    }

    void skipNextWhiteSpace()
    {
        for (;;)
        {
            input.incrementToEndOfWhitespace();

            if (input.isEmpty())
            {
                outOfData = true;
                break;
            }

            if (*input == '<')
            {
                if (input[1] == '!' && input[2] == '-' && input[3] == '-')
                {
                    input += 4;
                    auto closeComment = input.indexOf (CharPointer_ASCII ("-->"));

                    if (closeComment < 0)
                    {
                        outOfData = true;
                        break;
                    }

                    input += closeComment + 3;
                    continue;
                }

                if (input[1] == '?')
                {
                    input += 2;
                    auto closeBracket = input.indexOf (CharPointer_ASCII ("?>"));

                    if (closeBracket < 0)
                    {
                        outOfData = true;
                        break;
                    }

                    input += closeBracket + 2;
                    continue;
                }
            }

            break;
        }
    }

    void readQuotedString()
    {
        auto quote = readNextChar();

        while (! outOfData)
        {
            auto c = readNextChar();

            if (c == quote)
                break;

            --input;

            if (c == '&')
            {
                readEntity();

                if (mustStop())
                    return;
            }
            else
            {
                for (;;)
                {
                    auto character = *input;

                    if (character == quote)
                    {
                        ++input;
                        return;
                    }

                    if (character == '&')
                        break;

                    if (character == 0)
                    {
                        outOfData = true;
                        break;
                    }

                    ++input;
                }
            }
        }
    }

    // Moves over an entity as the parser does. Returns what the parser would
    // re-parse as elements when the entity appears in text: without a
    // document type, an unknown entity expands to its own name.
    juce::String readEntity()
    {
        ++input;

        if (input.compareIgnoreCaseUpTo (CharPointer_ASCII ("amp;"), 4) == 0)
        {
            input += 4;
            return {};
        }
        if (input.compareIgnoreCaseUpTo (CharPointer_ASCII ("quot;"), 5) == 0)
        {
            input += 5;
            return {};
        }
        if (input.compareIgnoreCaseUpTo (CharPointer_ASCII ("apos;"), 5) == 0)
        {
            input += 5;
            return {};
        }
        if (input.compareIgnoreCaseUpTo (CharPointer_ASCII ("lt;"), 3) == 0)
        {
            input += 3;
            return {};
        }
        if (input.compareIgnoreCaseUpTo (CharPointer_ASCII ("gt;"), 3) == 0)
        {
            input += 3;
            return {};
        }

        if (*input == '#')
        {
            ++input;

            if (*input == 'x' || *input == 'X')
            {
                ++input;
                int numChars = 0;

                while (input[0] != ';')
                {
                    // The parser's loop stops on the zero and then steps over it.
                    if (input[0] == 0)
                    {
                        result.readsPastEnd = true;
                        return {};
                    }

                    if (CharacterFunctions::getHexDigitValue (input[0]) < 0 || ++numChars > 8)
                        break;

                    ++input;
                }

                ++input;
            }
            else if (input[0] >= '0' && input[0] <= '9')
            {
                int numChars = 0;

                for (;;)
                {
                    const auto firstChar = input[0];

                    if (firstChar == 0)
                        return {};

                    if (firstChar == ';' || ++numChars > 12)
                        break;

                    ++input;
                }

                ++input;
            }

            // A character reference gives a single character at most.
            return {};
        }

        auto entityNameStart = input;
        auto closingSemiColon = input.indexOf ((juce_wchar) ';');

        if (closingSemiColon < 0)
        {
            outOfData = true;
            return {};
        }

        input += closingSemiColon + 1;
        return juce::String (entityNameStart, (size_t) closingSemiColon);
    }

    Head readElementHead()
    {
        skipNextWhiteSpace();

        if (outOfData || *input != '<')
            return Head::none;

        ++input;
        auto endOfToken = findEndOfToken (input);

        if (endOfToken == input)
        {
            skipNextWhiteSpace();
            endOfToken = findEndOfToken (input);

            if (endOfToken == input)
                return Head::none;
        }

        // The parser has made the element here, one level below the current one.
        result.deepestNesting = juce::jmax (result.deepestNesting, nesting + 1);
        input = endOfToken;

        for (;;)
        {
            skipNextWhiteSpace();
            auto c = *input;

            if (c == '/' && input[1] == '>')
            {
                input += 2;
                return Head::closed;
            }

            if (c == '>')
            {
                ++input;
                return Head::opened;
            }

            if (! isIdentifierChar (c))
                return Head::closed;

            input = findEndOfToken (input);
            skipNextWhiteSpace();

            if (readNextChar() != '=')
                return Head::closed;

            skipNextWhiteSpace();
            auto nextChar = *input;

            // Anything but a quoted value ends the tag.
            if (nextChar != '"' && nextChar != '\'')
                return Head::closed;

            readQuotedString();

            if (mustStop())
                return Head::closed;
        }
    }

    // From an element whose tag has just opened until the parser is back at
    // that element's own level, without recursing per level.
    void readChildren()
    {
        const auto outerNesting = nesting;
        enterElement();

        while (nesting > outerNesting && ! mustStop())
        {
            const auto stepStart = input;

            switch (readChildStep())
            {
                case Step::leave: --nesting; break;
                case Step::descend: enterElement(); break;
                case Step::carryOn:
                    // Within a step the input only moves forward while there is
                    // data left, so a step that ends where it began repeats
                    // itself for ever.
                    if (input == stepStart && ! outOfData)
                        result.neverEnds = true;
                    break;
            }
        }
    }

    // One pass of the parser's loop over an element's children.
    Step readChildStep()
    {
        auto preWhitespaceInput = input;
        skipNextWhiteSpace();

        if (outOfData)
            return Step::leave;

        if (*input == '<')
        {
            auto c1 = input[1];

            if (c1 == '/')
            {
                auto closeTag = input.indexOf ((juce_wchar) '>');

                if (closeTag >= 0)
                    input += closeTag + 1;

                return Step::leave;
            }

            if (c1 == '!' && CharacterFunctions::compareUpTo (input + 2, CharPointer_ASCII ("[CDATA["), 7) == 0)
            {
                input += 9;

                for (;;)
                {
                    auto c0 = *input;

                    if (c0 == 0)
                    {
                        outOfData = true;
                        break;
                    }

                    if (c0 == ']' && input[1] == ']' && input[2] == '>')
                    {
                        input += 3;
                        break;
                    }

                    ++input;
                }

                return Step::carryOn;
            }

            switch (readElementHead())
            {
                case Head::none: return Step::leave;
                case Head::opened: return Step::descend;
                case Head::closed: return Step::carryOn;
            }
        }

        input = preWhitespaceInput;

        for (;;)
        {
            auto c = *input;

            if (c == '<')
            {
                if (input[1] == '!' && input[2] == '-' && input[3] == '-')
                {
                    input += 4;
                    auto closeComment = input.indexOf (CharPointer_ASCII ("-->"));

                    if (closeComment < 0)
                    {
                        outOfData = true;
                        return Step::leave;
                    }

                    input += closeComment + 3;
                    continue;
                }

                break;
            }

            if (c == 0)
            {
                outOfData = true;
                return Step::leave;
            }

            if (c == '&')
            {
                auto entity = readEntity();

                if (! mustStop() && entity.startsWithChar ('<') && entity[1] != 0)
                    readElementsFromEntity (entity);

                if (mustStop())
                    return Step::leave;
            }
            else
            {
                for (;; ++input)
                {
                    auto nextChar = *input;

                    if (nextChar == '\r' && input[1] == '\n')
                        continue;

                    if (nextChar == '<' || nextChar == '&')
                        break;

                    if (nextChar == 0)
                    {
                        outOfData = true;
                        return Step::leave;
                    }
                }
            }
        }

        return Step::carryOn;
    }

    // The parser reads an entity that expands to "<..." as elements in place,
    // nested inside the current element.
    void readElementsFromEntity (const juce::String& entity)
    {
        // An entity name holds no ';', so no entity inside it can expand again;
        // this only keeps the walk's own recursion bounded whatever happens.
        if (++entityLevel > maxEntityLevels)
        {
            result.deepestNesting = stopAboveNesting + 1;
            return;
        }

        auto oldInput = input;
        auto oldOutOfData = outOfData;

        input = entity.getCharPointer();
        outOfData = false;

        for (;;)
        {
            const auto head = readElementHead();

            if (head == Head::none || mustStop())
                break;

            if (head == Head::opened)
                readChildren();

            if (mustStop())
                break;
        }

        input = oldInput;
        outOfData = oldOutOfData;
        --entityLevel;
    }

    static constexpr int maxEntityLevels = 4;

    const int stopAboveNesting;
    TextPointer input { nullptr };
    bool outOfData = false;
    int nesting = 0;
    int entityLevel = 0;
    Survey result;
};
} // namespace

bool isWellFormedUtf8 (const char* bytes, size_t numBytes) noexcept
{
    size_t i = 0;

    while (i < numBytes)
    {
        const auto lead = (juce::uint8) bytes[i];

        if (lead == 0)
            return true;

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        size_t extraBytes = 0;
        juce::uint32 codePoint = 0;

        if (lead >= 0xc2 && lead <= 0xdf)
        {
            extraBytes = 1;
            codePoint = lead & 0x1fu;
        }
        else if (lead >= 0xe0 && lead <= 0xef)
        {
            extraBytes = 2;
            codePoint = lead & 0x0fu;
        }
        else if (lead >= 0xf0 && lead <= 0xf4)
        {
            extraBytes = 3;
            codePoint = lead & 0x07u;
        }
        else
            return false;

        if (numBytes - i - 1 < extraBytes)
            return false;

        for (size_t k = 1; k <= extraBytes; ++k)
        {
            const auto next = (juce::uint8) bytes[i + k];

            if ((next & 0xc0) != 0x80)
                return false;

            codePoint = (codePoint << 6) | (next & 0x3fu);
        }

        const auto overlong = (extraBytes == 2 && codePoint < 0x800) || (extraBytes == 3 && codePoint < 0x10000);

        if (overlong || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint <= 0xdfff))
            return false;

        i += extraBytes + 1;
    }

    return true;
}

Survey survey (const juce::String& text, int stopAboveNesting)
{
    return ParserWalk (stopAboveNesting).walkDocument (text.getCharPointer());
}

bool isSafeToParse (const juce::String& text, int maxNesting)
{
    const auto found = survey (text, maxNesting);
    return ! found.readsPastEnd && ! found.neverEnds && ! found.hasDocumentType && found.deepestNesting <= maxNesting;
}
} // namespace XmlParseGuard
