// The window's icon: the drawings the desktop shows, compiled in, in every size.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include "Form1.h"

namespace angoka::testing {
namespace {

TEST(Form1Icon, HoldsEveryDrawnSize) {
    QList<QSize> sizes = Form1Icon().availableSizes();
    std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
    const QList<QSize> drawn = {{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    EXPECT_EQ(sizes, drawn);
}

// Each size shows its own drawing; at 200 % a 16-point title-bar icon takes the 32 px
// drawing, not the 16 px one blown up.
TEST(Form1Icon, ShowsTheDrawingMadeForTheDevicePixels) {
    // Compared premultiplied, as a pixmap holds them: the soft edges of the larger drawings.
    const QIcon icon = Form1Icon();
    const auto shown = [&](int size, qreal ratio) {
        return icon.pixmap(QSize(size, size), ratio)
            .toImage()
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const auto drawing = [](int size) {
        return QImage(QStringLiteral(":/icons/%1.png").arg(size))
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    for (int size : {16, 32, 48, 64, 128, 256}) EXPECT_EQ(shown(size, 1.0), drawing(size)) << size;
    EXPECT_EQ(shown(16, 2.0), drawing(32));
}

}  // namespace
}  // namespace angoka::testing
