#pragma once
// A dark colour scheme as a desktop gives it to Qt: light text on dark grey, for the tests of
// the window's colours and for its photograph.
#include <QColor>
#include <QPalette>

namespace angoka::testing {

QPalette DarkPalette();

// The contrast ratio of two colours as the web's accessibility guidelines define it: 1 (none)
// to 21 (black on white); 4.5 is the least for normal text.
double ContrastRatio(const QColor& a, const QColor& b);

}  // namespace angoka::testing
