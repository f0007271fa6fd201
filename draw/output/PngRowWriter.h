#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

// A PNG text chunk: Latin-1 texts are written as tEXt (zTXt from 40 characters, as Qt does), any
// other as UTF-8 iTXt.
struct PngText
{
    QByteArray keyword;
    QString text;
};

// How the rows are compressed. The default is fast: zlib level 2 and one fixed filter, which on a
// slide's few colours or a dithered gradient gives files about as small as the slow adaptive way.
struct PngCompression
{
    int level = 2;
    int strategy = 0; // zlib's Z_DEFAULT_STRATEGY
    int filters = 0;  // libspng's filter choice; 0 means "a fixed filter suited to the colours"
};

// Writes a PNG to a device row by row as the rows come, so that a picture of any size (up to 65535
// pixels a side) passes through a few rows of memory. Rows are 32-bit RGB pixels; with a palette
// they are written as 8-bit indices, otherwise as 24-bit RGB.
class PngRowWriter
{
public:
    enum class Status { Ok, ColourOutsidePalette, WriteFailed, Failed };

    explicit PngRowWriter(QIODevice& device);
    ~PngRowWriter();
    PngRowWriter(const PngRowWriter&) = delete;
    PngRowWriter& operator=(const PngRowWriter&) = delete;

    // The header and chunks before the pixels. A palette of at most 256 colours makes an indexed
    // PNG; a dpi above 0 writes the pHYs chunk.
    Status start(QSize size, const std::vector<QRgb>& palette, double dpi, const QList<PngText>& texts,
                 PngCompression compression = {});
    // The next row: size.width() pixels. A colour missing from the palette stops the picture.
    Status writeRow(const QRgb* pixels);
    // After the last row: ends the stream.
    Status finish();

    int rowsWritten() const { return m_row; }

    // The encoder and where it writes (inside the .cpp).
    struct Context;

private:
    bool indexRow(const QRgb* pixels);

    QIODevice& m_device;
    std::unique_ptr<Context> m_context;
    QSize m_size;
    int m_row = 0;
    bool m_indexed = false;
    std::vector<std::uint8_t> m_converted;
    // Palette lookup: open addressing on the colour, 512 slots for at most 256 colours.
    std::array<QRgb, 512> m_keys{};
    std::array<std::int16_t, 512> m_indices{};
};

// The distinct colours of a picture if there are at most 256, in first-seen order; none otherwise.
std::optional<std::vector<QRgb>> fewColoursOf(const QRgb* pixels, std::size_t count,
                                              std::vector<QRgb> seen = {});
