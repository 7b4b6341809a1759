#pragma once
// Where the hyperlink puts each thing: its window size from its text, font, icon flags and DPI,
// then, inside the window it got, the icons, the text rows and their underlines. Plain numbers:
// the caller measures the text in its font and draws what this decides.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace link_layout {

// Visual states, in the order of their nibbles in the icon flags.
enum class State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

// Disabled wins; a press shows only while the pointer is over the link.
State VisualState(bool disabled, bool hover, bool pressed);

// One nibble of icon flags per state (bits 0-3 normal, 4-7 hover, 8-11 pressed, 12-15 disabled).
enum IconFlag : unsigned {
    kIconShown = 0x1, // the state draws its icon
    kIconLeft = 0x2,  // left of the text
    kIconRight = 0x4, // right of the text
};
// Every state shows its icon on the left.
constexpr unsigned kDefaultIconFlags = 0x3333;
unsigned StateIconFlags(unsigned iconFlags, State state);

struct Extent {
    int cx = 0;
    int cy = 0;
};

// A piece of the text: [start, start + length) in its characters.
struct Range {
    std::size_t start = 0;
    std::size_t length = 0;
};

// The lines to draw. Trailing line breaks are never drawn. With multiLine and an inner break,
// each piece between breaks is a line (an empty piece an empty line); otherwise the text up to
// its trailing breaks is one line, and an empty text has none.
template <class Char>
std::vector<Range> SplitLines(const Char* text, std::size_t length, bool multiLine)
{
    std::size_t end = length;
    while (end > 0 && text[end - 1] == Char('\n'))
        --end;
    std::vector<Range> lines;
    if (end == 0)
        return lines;
    std::size_t start = 0;
    for (std::size_t i = 0; multiLine && i < end; ++i) {
        if (text[i] == Char('\n')) {
            lines.push_back(Range{start, i - start});
            start = i + 1;
        }
    }
    lines.push_back(Range{start, end - start});
    return lines;
}

// What the layout needs besides the text.
struct Options {
    bool multiLine = false;
    bool reserveIconSpace = false; // room for the widest icon whatever the state shows
    unsigned stateFlags = 0;       // the current state's nibble of the icon flags
    bool stateIconPresent = false; // the current state has an icon
    Extent stateIcon;              // its size; (0, 0) when it is neither left nor right
    Extent largestIcon;            // the widest of the four icons
    int borderWidth = 0;           // at 96 DPI; 0 or less: no border
    unsigned dpi = 96;
};

struct Line {
    Range range;
    int width = 0;
};

// The text in rows and the window that holds it.
struct TextLayout {
    std::vector<Line> lines;
    int lineHeight = 0; // the height of the whole text in the font
    int textWidth = 0;  // the widest line (the whole text on one line)
    Extent window;
};

// Measures [start, start + length) of the text in the link's font.
using Measure = std::function<Extent(std::size_t start, std::size_t length)>;

TextLayout LayOut(const std::vector<Range>& lines, std::size_t textLength, const Options& options,
                  const Measure& measure);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Where each thing goes in a client area of the given size.
struct Placement {
    bool border = false;
    Rect borderRect; // drawn with Rectangle: right and bottom excluded
    int borderPen = 0;
    bool leftIcon = false;
    bool rightIcon = false;
    int leftIconX = 0;
    int rightIconX = 0;
    int iconTop = 0;
    Extent icon; // the size the icon is drawn at
    int textX = 0;
    std::vector<int> rowTops;
    int underlineThickness = 1; // rows below each text row, from its bottom
};

Placement Place(const TextLayout& layout, const Options& options, Extent client);

// The colours of one look, as 0x00BBGGRR values.
struct Palette {
    std::uint32_t normal = 0, hover = 0, pressed = 0, disabled = 0, background = 0;
    std::uint32_t border = 0, disabledBorder = 0;
    bool underlineAlways = false;
};
struct Colours {
    std::uint32_t text = 0;
    std::uint32_t underline = 0;
};
// The normal look's underline shows only with underlineAlways; hover and pressed always show it.
Colours StateColours(const Palette& palette, State state);

} // namespace link_layout
