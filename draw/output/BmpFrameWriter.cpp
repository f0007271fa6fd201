// BMP, 24 bits a pixel as Qt's image writer makes it, streamed a strip at a time. Its rows are
// stored bottom row first, so the strips are drawn from the bottom up and written in turn: the
// file goes out in order, and memory holds one strip whatever the size.

#include "draw/output/FrameWriter.h"

#include <QIODevice>
#include <QtEndian>

#include <cstdint>
#include <limits>

namespace {

constexpr int fileHeaderSize = 14;
constexpr int infoHeaderSize = 40;

void put16(QByteArray& bytes, int at, quint16 value) { qToLittleEndian(value, bytes.data() + at); }
void put32(QByteArray& bytes, int at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }

QByteArray bmpHeader(QSize size, quint32 rowBytes, quint32 perMetre)
{
    QByteArray header(fileHeaderSize + infoHeaderSize, '\0');
    const quint32 pixelBytes = rowBytes * quint32(size.height());
    header[0] = 'B';
    header[1] = 'M';
    put32(header, 2, quint32(header.size()) + pixelBytes);
    put32(header, 10, quint32(header.size()));
    put32(header, 14, infoHeaderSize);
    put32(header, 18, quint32(size.width()));
    put32(header, 22, quint32(size.height())); // positive: bottom row first
    put16(header, 26, 1);                      // planes
    put16(header, 28, 24);                     // bits a pixel
    put32(header, 30, 0);                      // no compression
    put32(header, 34, pixelBytes);
    put32(header, 38, perMetre);
    put32(header, 42, perMetre);
    return header;
}

class BmpFrameWriter final : public FrameWriter
{
public:
    OutputResult write(const FrameRenderer& frame, const OutputJob& job, QIODevice& device,
                       OutputProgress* progress) const override
    {
        const QSize size = frame.frameSize();
        // Rows are padded to four bytes; the file's size is counted in 32 bits.
        const std::uint64_t rowBytes = (std::uint64_t(size.width()) * 3 + 3) & ~std::uint64_t(3);
        if (rowBytes * std::uint64_t(size.height()) + fileHeaderSize + infoHeaderSize
            > std::numeric_limits<quint32>::max())
            return {OutputError::TooLargeForFormat};
        const QByteArray header = bmpHeader(size, quint32(rowBytes), pixelsPerMetre(job.frame.dpi));
        if (device.write(header) != header.size())
            return {OutputError::WriteFailed};
        QByteArray rows;
        bool writeFailed = false;
        const StripsEnd end = drawInStrips(frame, progress, StripOrder::BottomUp, [&](const PixelBuffer& strip, int) {
            rows.fill('\0', qsizetype(rowBytes) * strip.height);
            auto* out = reinterpret_cast<std::uint8_t*>(rows.data());
            for (int y = strip.height - 1; y >= 0; --y, out += rowBytes) {
                const QRgb* pixel = strip.row(y);
                for (int x = 0; x < strip.width; ++x) {
                    out[3 * x] = std::uint8_t(qBlue(pixel[x]));
                    out[3 * x + 1] = std::uint8_t(qGreen(pixel[x]));
                    out[3 * x + 2] = std::uint8_t(qRed(pixel[x]));
                }
            }
            writeFailed = device.write(rows) != rows.size();
            return !writeFailed;
        });
        if (end == StripsEnd::Cancelled)
            return {OutputError::Cancelled};
        return {writeFailed ? OutputError::WriteFailed : OutputError::None};
    }
};

} // namespace

const FrameWriter& bmpFrameWriter()
{
    static const BmpFrameWriter writer;
    return writer;
}
