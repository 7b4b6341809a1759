// The hyperlink's layout, measured with a font whose characters are 7 by 16 pixels. The default
// link at each scale is checked on the screen (win32_dialogs, win32_dpi); these are the rest.
#include <gtest/gtest.h>

#include <string>

#include "controls/core/LinkLayout.h"
#include "framework/DpiScale.h"

namespace {

using namespace link_layout;

struct Laid {
    TextLayout layout;
    Placement place;
};

Laid Lay(const std::string& text, Options options, Extent client = {})
{
    Laid laid;
    laid.layout = LayOut(SplitLines(text.c_str(), text.size(), options.multiLine), text.size(), options,
                         [](std::size_t, std::size_t length) { return Extent{static_cast<int>(length) * 7, 16}; });
    laid.place = Place(laid.layout, options, client.cx ? client : laid.layout.window);
    return laid;
}

Options At(unsigned dpi, unsigned stateFlags = kIconShown | kIconLeft)
{
    Options options;
    options.stateFlags = stateFlags;
    options.dpi = dpi;
    return options;
}

TEST(LinkLayout, LinesDropTrailingBreaksAndSplitOnlyWhenMultiLine)
{
    Options options = At(96);
    options.multiLine = true;
    // "ab", "" and "abcdef": each line measured alone, the rows centred in a taller window.
    Laid laid = Lay("ab\n\nabcdef\n\n", options, Extent{100, 70});
    ASSERT_EQ(laid.layout.lines.size(), 3u);
    EXPECT_EQ(laid.layout.lines[1].range.length, 0u);
    EXPECT_EQ(laid.layout.lines[2].width, 42);
    EXPECT_EQ(laid.layout.textWidth, 42);
    EXPECT_EQ(laid.layout.window.cy, 3 * (16 + 3));
    const int top = (70 - (3 * 18 + 1)) / 2;
    EXPECT_EQ(laid.place.rowTops, (std::vector<int>{top, top + 18, top + 36}));
    // One line, as wide as the whole text with its trailing break; an empty text has none.
    options.multiLine = false;
    laid = Lay("ab\ncd\n", options);
    ASSERT_EQ(laid.layout.lines.size(), 1u);
    EXPECT_EQ(laid.layout.lines[0].range.length, 5u);
    EXPECT_EQ(laid.layout.lines[0].width, 42);
    laid = Lay("\n", options);
    EXPECT_TRUE(laid.place.rowTops.empty());
    EXPECT_EQ(laid.layout.window.cy, 16 + 2);
}

TEST(LinkLayout, IconsTakeTheirSlotsAndAReservedSlotCentresANarrowerIcon)
{
    Options options = At(96, kIconShown | kIconLeft | kIconRight);
    options.stateIconPresent = true;
    options.stateIcon = Extent{16, 20};
    Laid laid = Lay("abcd", options);
    EXPECT_EQ(laid.layout.window.cx, 28 + 3 + 2 * (16 + 3));
    EXPECT_EQ(laid.layout.window.cy, 20 + 2);
    EXPECT_TRUE(laid.place.leftIcon && laid.place.rightIcon);
    EXPECT_EQ(laid.place.leftIconX, 1);
    EXPECT_EQ(laid.place.textX, 16 + 4);
    EXPECT_EQ(laid.place.rightIconX, 16 + 4 + 28 + 3);
    options.stateIconPresent = false; // a missing icon keeps its slots and draws nothing
    EXPECT_FALSE(Lay("abcd", options).place.leftIcon);

    options = At(96, kIconShown | kIconLeft);
    options.stateIconPresent = true;
    options.stateIcon = Extent{16, 16};
    options.reserveIconSpace = true;
    options.largestIcon = Extent{32, 32};
    laid = Lay("abcd", options);
    EXPECT_EQ(laid.layout.window.cx, 28 + 3 + 2 * (32 + 3));
    EXPECT_EQ(laid.place.leftIconX, 1 + 8);
    EXPECT_EQ(laid.place.textX, 32 + 4);
}

TEST(LinkLayout, BorderInsetByHalfItsWidthEvenWidthsOneWider)
{
    Options options = At(96);
    options.borderWidth = 3;
    Laid laid = Lay("ab", options);
    EXPECT_EQ(laid.layout.window.cx, 14 + 6 + 2 * 3);
    EXPECT_EQ(laid.place.borderRect.left, 1);
    EXPECT_EQ(laid.place.borderRect.right, laid.layout.window.cx - 1);
    options.borderWidth = 2;
    EXPECT_EQ(Lay("ab", options).place.borderRect.right, Lay("ab", options).layout.window.cx);
    // At 150 % a margin of 3 rounds as MulDiv does, 4.5 up to 5; at 200 % the underline is two rows.
    EXPECT_EQ(Lay("ab", At(144)).layout.window.cx, 14 + 2 * 5);
    EXPECT_EQ(Lay("ab", At(192)).place.underlineThickness, 2);
    EXPECT_EQ(dpi::Scale(-1, 144), -2);
}

} // namespace
