// The hyperlink's layout: its lines, the window that fits them, and where icons, rows and
// underlines go, measured with a font of fixed-width characters.
#include <gtest/gtest.h>

#include <string>

#include "controls/core/LinkLayout.h"

namespace {

using namespace link_layout;

constexpr int kCharWidth = 7;
constexpr int kHeight = 16;

struct Laid {
    TextLayout layout;
    Placement place;
};

Laid Lay(const std::string& text, Options options, Extent client = {})
{
    const auto lines = SplitLines(text.c_str(), text.size(), options.multiLine);
    Laid laid;
    laid.layout = LayOut(lines, text.size(), options, [](std::size_t, std::size_t length) {
        return Extent{static_cast<int>(length) * kCharWidth, kHeight};
    });
    if (client.cx == 0)
        client = laid.layout.window;
    laid.place = Place(laid.layout, options, client);
    return laid;
}

Options Default(unsigned dpi = 96)
{
    Options options;
    options.stateFlags = StateIconFlags(kDefaultIconFlags, State::Normal);
    options.dpi = dpi;
    return options;
}

TEST(LinkLayout, LinesDropTrailingBreaksAndSplitOnlyWhenMultiLine)
{
    const std::string text = "ab\n\ncd\n\n";
    const auto multi = SplitLines(text.c_str(), text.size(), true);
    ASSERT_EQ(multi.size(), 3u); // "ab", "", "cd"
    EXPECT_EQ(multi[1].length, 0u);
    EXPECT_EQ(multi[2].start, 4u);
    EXPECT_EQ(multi[2].length, 2u);
    const auto single = SplitLines(text.c_str(), text.size(), false);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].length, 6u);
    EXPECT_TRUE(SplitLines("\n\n", 2, true).empty());
}

TEST(LinkLayout, DefaultLinkFitsItsTextWithAnEmptyLeftSlotAtEveryScale)
{
    // One line as wide as the whole text, its trailing break included.
    Laid laid = Lay("Download\n", Default());
    EXPECT_EQ(laid.layout.window.cx, 9 * kCharWidth + 6);
    EXPECT_EQ(laid.layout.window.cy, kHeight + 3);
    EXPECT_EQ(laid.place.textX, 1);
    ASSERT_EQ(laid.place.rowTops.size(), 1u);
    EXPECT_EQ(laid.place.rowTops[0], 0);
    EXPECT_EQ(laid.place.underlineThickness, 1);
    EXPECT_FALSE(laid.place.leftIcon);

    // At 150 % the margins round as MulDiv does (1.5 up to 2, 4.5 up to 5); at 200 % the underline
    // is two rows.
    laid = Lay("Download", Default(144));
    EXPECT_EQ(laid.layout.window.cx, 8 * kCharWidth + 2 * 5);
    EXPECT_EQ(laid.layout.window.cy, kHeight + 5);
    EXPECT_EQ(laid.place.textX, 2);
    EXPECT_EQ(Lay("Download", Default(192)).place.underlineThickness, 2);
    EXPECT_EQ(Scale(-1, 144), -2);
}

TEST(LinkLayout, MultiLineRowsAreCentredInATallerWindow)
{
    Options options = Default();
    options.multiLine = true;
    Laid laid = Lay("abc\nabcdef", options);
    EXPECT_EQ(laid.layout.textWidth, 6 * kCharWidth);
    EXPECT_EQ(laid.layout.lines[0].width, 3 * kCharWidth);
    EXPECT_EQ(laid.layout.window.cy, 2 * (kHeight + 3));
    laid = Lay("abc\nabcdef", options, Extent{100, 60});
    const int top = (60 - (2 * (kHeight + 2) + 1)) / 2;
    EXPECT_EQ(laid.place.rowTops, (std::vector<int>{top, top + kHeight + 2}));
    // A window lower than the rows starts them at the top.
    EXPECT_EQ(Lay("abc\nabcdef", options, Extent{100, 10}).place.rowTops[0], 0);
}

TEST(LinkLayout, EmptyTextKeepsALineHeightAndDrawsNoRow)
{
    const Laid laid = Lay("", Default());
    EXPECT_TRUE(laid.place.rowTops.empty());
    EXPECT_EQ(laid.layout.window.cy, kHeight + 2);
    EXPECT_EQ(laid.layout.window.cx, 6);
}

TEST(LinkLayout, IconsTakeTheirSlotsLeftAndRight)
{
    Options options = Default();
    options.stateFlags = kIconShown | kIconLeft | kIconRight;
    options.stateIconPresent = true;
    options.stateIcon = Extent{16, 20};
    Laid laid = Lay("abcd", options);
    EXPECT_EQ(laid.layout.window.cx, 4 * kCharWidth + 3 + 2 * (16 + 3));
    EXPECT_EQ(laid.layout.window.cy, 20 + 2);
    EXPECT_TRUE(laid.place.leftIcon && laid.place.rightIcon);
    EXPECT_EQ(laid.place.leftIconX, 1);
    EXPECT_EQ(laid.place.textX, 16 + 4);
    EXPECT_EQ(laid.place.rightIconX, 16 + 4 + 4 * kCharWidth + 3);

    // Placed but not shown, or missing: the slots stay, no icon is drawn.
    options.stateIconPresent = false;
    laid = Lay("abcd", options);
    EXPECT_FALSE(laid.place.leftIcon || laid.place.rightIcon);
    EXPECT_EQ(laid.layout.window.cx, 4 * kCharWidth + 3 + 2 * (16 + 3));

    // Room kept for the widest icon: a narrower one is centred in its slot, the text is not.
    options.reserveIconSpace = true;
    options.stateFlags = kIconShown | kIconLeft;
    options.stateIconPresent = true;
    options.largestIcon = Extent{32, 32};
    laid = Lay("abcd", options);
    EXPECT_EQ(laid.layout.window.cx, 4 * kCharWidth + 3 + 2 * (32 + 3));
    EXPECT_EQ(laid.place.leftIconX, 1 + 8);
    EXPECT_EQ(laid.place.textX, 32 + 4);
}

TEST(LinkLayout, BorderInsetByHalfItsWidthEvenWidthsOneWider)
{
    Options options = Default();
    options.borderWidth = 3;
    Laid laid = Lay("ab", options);
    EXPECT_EQ(laid.layout.window.cx, 2 * kCharWidth + 6 + 6);
    EXPECT_EQ(laid.place.borderRect.left, 1);
    EXPECT_EQ(laid.place.borderRect.right, laid.layout.window.cx - 1);
    EXPECT_EQ(laid.place.textX, 3 + 1);
    options.borderWidth = 2;
    laid = Lay("ab", options);
    EXPECT_EQ(laid.place.borderRect.left, 1);
    EXPECT_EQ(laid.place.borderRect.right, laid.layout.window.cx);
    options.borderWidth = -2;
    EXPECT_FALSE(Lay("ab", options).place.border);
}

TEST(LinkLayout, StatesAndTheirColours)
{
    EXPECT_EQ(VisualState(false, false, true), State::Normal); // a press off the link
    EXPECT_EQ(VisualState(false, true, true), State::Pressed);
    EXPECT_EQ(VisualState(true, true, false), State::Disabled);
    EXPECT_EQ(StateIconFlags(0x4321, State::Pressed), 3u);

    Palette palette{1, 2, 3, 4, 9};
    EXPECT_EQ(StateColours(palette, State::Normal).underline, 9u); // hidden in the background
    EXPECT_EQ(StateColours(palette, State::Hover).underline, 2u);
    EXPECT_EQ(StateColours(palette, State::Disabled).text, 4u);
    palette.underlineAlways = true;
    EXPECT_EQ(StateColours(palette, State::Normal).underline, 1u);
    EXPECT_EQ(StateColours(palette, State::Disabled).underline, 4u);
}

} // namespace
