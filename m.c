/*
 * WebKit style: four spaces, a function's brace on its own line, other
 * braces on the opening line, namespaces not indented.
 */

#include "config.h"
#include "TextRun.h"

#include <wtf/Vector.h>

namespace WebCore {

static const unsigned maximumLength = 1024;

class TextRun {
public:
    TextRun(const String& text, float width)
        : m_text(text)
              , m_width(width)
    {
    }

    unsigned length() const { return m_text.length(); }
    float width() const;

private:
    String m_text;
    float m_width { 0 };
};

float TextRun::width() const
{
    if (m_text.isEmpty())
        return 0;

    float total = 0;
    for (unsigned i = 0; i < length(); ++i) {
        UChar character = m_text[i];
        switch (character) {
        case '\t':
            total += 8 * m_width;
            break;
        case ' ':
        case 0xA0:
            total += m_width;
            break;
        default:
            total += characterWidth(character,
                m_width);
        }
    }
    return total;
}

static bool isBreakable(UChar character)
{
    return character == ' '
        || character == '\n'
        || character == '\t';
}

Vector<unsigned> breakOpportunities(const TextRun& run)
{
    Vector<unsigned> result;
    auto add = [&result](unsigned offset) {
        if (result.size() < maximumLength)
            result.append(offset);
    };
    for (unsigned i = 0; i < run.length(); ++i) {
        if (!isBreakable(run.text()[i]))
            continue;
        add(i);
    }
    if (result.isEmpty()) {
        // Nothing breaks: the whole run is one piece.
        add(run.length());
    } else
        result.shrinkToFit();
    WTFLogAlways("%u break opportunities in a run of %u",
        result.size(), run.length());
    return result;
}

} // namespace WebCore
