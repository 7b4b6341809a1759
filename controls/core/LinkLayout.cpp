#include "controls/core/LinkLayout.h"

#include <algorithm>

#include "framework/DpiScale.h"

namespace link_layout {

using dpi::Scale;

State VisualState(bool disabled, bool hover, bool pressed)
{
    if (disabled)
        return State::Disabled;
    if (hover)
        return pressed ? State::Pressed : State::Hover;
    return State::Normal;
}

unsigned StateIconFlags(unsigned iconFlags, State state)
{
    return (iconFlags >> (4 * static_cast<unsigned>(state))) & 0xFu;
}

TextLayout LayOut(const std::vector<Range>& lines, std::size_t textLength, const Options& options,
                  const Measure& measure)
{
    TextLayout layout;
    const Extent whole = measure(0, textLength);
    layout.lineHeight = whole.cy;
    layout.textWidth = whole.cx;
    if (lines.size() > 1) {
        // Each line measured alone; the widest sets the text's width.
        layout.textWidth = 0;
        for (const Range& range : lines) {
            const int width = measure(range.start, range.length).cx;
            layout.lines.push_back(Line{range, width});
            layout.textWidth = std::max(layout.textWidth, width);
        }
    } else if (lines.size() == 1) {
        // One line is as wide as the whole text, its trailing breaks included.
        layout.lines.push_back(Line{lines[0], whole.cx});
    }

    // Margins written for 96 DPI; icons keep their own size.
    const unsigned dpi = options.dpi;
    const int border = Scale(options.borderWidth, dpi);
    const Extent slot = options.reserveIconSpace ? options.largestIcon : options.stateIcon;
    const int n = static_cast<int>(layout.lines.size());
    const int textHeight = n > 0 ? n * (whole.cy + Scale(3, dpi)) : whole.cy + Scale(2, dpi);
    layout.window.cy = std::max(textHeight, slot.cy + Scale(2, dpi)) + 2 * border;
    layout.window.cx = layout.textWidth + Scale(3, dpi) + 2 * border;
    // Only the placement bits count here: whether the icon is shown, or exists, does not.
    if (options.reserveIconSpace || (options.stateFlags & kIconLeft))
        layout.window.cx += slot.cx + Scale(3, dpi);
    if (options.reserveIconSpace || (options.stateFlags & kIconRight))
        layout.window.cx += slot.cx + Scale(3, dpi);
    return layout;
}

Placement Place(const TextLayout& layout, const Options& options, Extent client)
{
    Placement place;
    const unsigned dpi = options.dpi;
    const int border = Scale(options.borderWidth, dpi);
    const Extent icon = options.stateIcon;
    const Extent slot = options.reserveIconSpace ? options.largestIcon : icon;

    if (border > 0) {
        // The pen is centred on the rectangle's edges: inset by half its width, it lies inside.
        // Rectangle leaves out the right and bottom edges, which an even width gives back.
        const int inset = (border - border % 2) / 2;
        place.border = true;
        place.borderPen = border;
        place.borderRect = Rect{inset, inset, client.cx - inset, client.cy - inset};
        if (border % 2 == 0) {
            ++place.borderRect.right;
            ++place.borderRect.bottom;
        }
    }

    place.icon = icon;
    place.iconTop = (client.cy - icon.cy) / 2;
    // A smaller icon is centred in the slot of the widest.
    const int centring = options.reserveIconSpace ? (slot.cx - icon.cx) / 2 : 0;
    const int afterLeftSlot = slot.cx + border + Scale(4, dpi);
    int x = border + Scale(1, dpi) + centring;
    const bool shown = options.stateIconPresent && (options.stateFlags & kIconShown);
    place.leftIcon = shown && (options.stateFlags & kIconLeft);
    place.rightIcon = shown && (options.stateFlags & kIconRight);
    if (place.leftIcon) {
        place.leftIconX = x;
        x = afterLeftSlot + centring;
    } else if (options.reserveIconSpace) {
        x = afterLeftSlot + centring;
    }
    place.rightIconX = x + layout.textWidth + Scale(3, dpi);
    place.textX = options.reserveIconSpace ? afterLeftSlot : x;

    const int cy = layout.lineHeight;
    const int n = static_cast<int>(layout.lines.size());
    const int rowPitch = cy + Scale(2, dpi);
    const int top = std::max(0, client.cy - (n * rowPitch + Scale(1, dpi))) / 2;
    for (int i = 0; i < n; ++i)
        place.rowTops.push_back(top + i * rowPitch);
    // One pixel at 96 DPI, one more row for each further 96 DPI: square ends, clear of the text.
    place.underlineThickness = std::max(1, Scale(1, dpi));
    return place;
}

Colours StateColours(const Palette& palette, State state)
{
    switch (state) {
    case State::Hover:
        return Colours{palette.hover, palette.hover};
    case State::Pressed:
        return Colours{palette.pressed, palette.pressed};
    case State::Disabled:
        // Greyed like the text, and shown only where a normal link shows its underline.
        return Colours{palette.disabled, palette.underlineAlways ? palette.disabled : palette.background};
    default:
        return Colours{palette.normal, palette.underlineAlways ? palette.normal : palette.background};
    }
}

} // namespace link_layout
