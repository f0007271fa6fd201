#include "draw/raster/LineWalk.h"

#include <QtTest>

#include <random>
#include <vector>

// Lines that cross a small buffer at a slant must cover exactly the pixels they cover in a larger
// buffer around it: clipping may skip work but never change a pixel.
class TestLineWalkClip : public QObject
{
    Q_OBJECT

private slots:
    void clippedLinesMatchUnclipped_data();
    void clippedLinesMatchUnclipped();
};

void TestLineWalkClip::clippedLinesMatchUnclipped_data()
{
    QTest::addColumn<int>("spread");
    QTest::newRow("ends near the buffer") << 40;
    QTest::newRow("ends far outside") << 400;
}

void TestLineWalkClip::clippedLinesMatchUnclipped()
{
    QFETCH(int, spread);
    constexpr int W = 23, H = 17, margin = 1000;
    constexpr int bigW = W + 2 * margin, bigH = H + 2 * margin;
    std::vector<QRgb> small(W * H), big(size_t(bigW) * bigH);
    const PixelBuffer smallBuffer{small.data(), W, H, W};
    const PixelBuffer bigBuffer{big.data(), bigW, bigH, bigW};
    std::mt19937 random(spread);
    std::uniform_int_distribution<int> coordinate(-spread, spread);
    for (int line = 0; line < 3000; ++line) {
        const int x0 = coordinate(random), y0 = coordinate(random);
        const int x1 = coordinate(random), y1 = coordinate(random);
        const EndPixel end = line % 2 ? EndPixel::Included : EndPixel::Excluded;
        std::fill(small.begin(), small.end(), 0);
        // Only the part over the small buffer is compared, so only that part is cleared.
        for (int y = 0; y < H; ++y)
            std::fill_n(big.begin() + ptrdiff_t(y + margin) * bigW + margin, W, 0);
        walkLine(smallBuffer, x0, y0, x1, y1, 1, end);
        walkLine(bigBuffer, x0 + margin, y0 + margin, x1 + margin, y1 + margin, 1, end);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (small[size_t(y * W + x)] != big[size_t(y + margin) * bigW + x + margin])
                    QFAIL(qPrintable(QStringLiteral("line (%1, %2)-(%3, %4) differs at (%5, %6)")
                                         .arg(x0).arg(y0).arg(x1).arg(y1).arg(x).arg(y)));
    }
}

QTEST_APPLESS_MAIN(TestLineWalkClip)
#include "tst_linewalk_clip.moc"
