#include "draw/output/PngRowWriter.h"

#include "draw/output/ExportFrame.h"

#include <QIODevice>

#include <spng.h>

#include <algorithm>
#include <cmath>

struct PngRowWriter::Context
{
    spng_ctx* spng = nullptr;
    QIODevice* device = nullptr;
    bool writeFailed = false;
    ~Context()
    {
        if (spng)
            spng_ctx_free(spng);
    }
};

namespace {

int writeToDevice(spng_ctx*, void* user, void* data, size_t length)
{
    auto* context = static_cast<PngRowWriter::Context*>(user);
    const qint64 written = context->device->write(static_cast<const char*>(data), qint64(length));
    if (written != qint64(length)) {
        context->writeFailed = true;
        return SPNG_IO_ERROR;
    }
    return 0;
}

std::size_t slotOf(QRgb colour)
{
    std::uint32_t h = (colour & 0xFFFFFFu) * 0x9E3779B1u;
    return h >> 23; // 9 bits: 512 slots
}

} // namespace

PngRowWriter::PngRowWriter(QIODevice& device) : m_device(device) {}

PngRowWriter::~PngRowWriter() = default;

PngRowWriter::Status PngRowWriter::start(QSize size, const std::vector<QRgb>& palette, double dpi,
                                         const QList<PngText>& texts, PngCompression compression)
{
    if (size.isEmpty() || palette.size() > 256)
        return Status::Failed;
    m_size = size;
    m_row = 0;
    m_indexed = !palette.empty();
    m_context = std::make_unique<Context>();
    m_context->device = &m_device;
    m_context->spng = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_ctx* ctx = m_context->spng;
    if (!ctx || spng_set_png_stream(ctx, writeToDevice, m_context.get()) != 0)
        return Status::Failed;

    spng_ihdr header{};
    header.width = std::uint32_t(size.width());
    header.height = std::uint32_t(size.height());
    header.bit_depth = 8;
    header.color_type = m_indexed ? SPNG_COLOR_TYPE_INDEXED : SPNG_COLOR_TYPE_TRUECOLOR;
    if (spng_set_ihdr(ctx, &header) != 0)
        return Status::Failed;

    if (m_indexed) {
        spng_plte table{};
        table.n_entries = std::uint32_t(palette.size());
        m_keys.fill(0);
        m_indices.fill(-1);
        for (std::size_t i = 0; i < palette.size(); ++i) {
            table.entries[i].red = std::uint8_t(qRed(palette[i]));
            table.entries[i].green = std::uint8_t(qGreen(palette[i]));
            table.entries[i].blue = std::uint8_t(qBlue(palette[i]));
            const QRgb key = palette[i] & 0xFFFFFFu;
            std::size_t slot = slotOf(key);
            while (m_indices[slot] >= 0 && m_keys[slot] != key)
                slot = (slot + 1) & 511;
            m_keys[slot] = key;
            m_indices[slot] = std::int16_t(i);
        }
        if (spng_set_plte(ctx, &table) != 0)
            return Status::Failed;
    }

    if (dpi > 0) {
        spng_phys phys{};
        const std::uint32_t perMetre = pixelsPerMetre(dpi);
        phys.ppu_x = perMetre;
        phys.ppu_y = perMetre;
        phys.unit_specifier = 1;
        if (spng_set_phys(ctx, &phys) != 0)
            return Status::Failed;
    }

    // The texts must outlive the encoder's use of them: kept here until the header is written.
    std::vector<QByteArray> bodies;
    std::vector<spng_text> chunks;
    bodies.reserve(std::size_t(texts.size()));
    for (const PngText& text : texts) {
        spng_text chunk{};
        const QByteArray keyword = text.keyword.left(79);
        std::copy(keyword.begin(), keyword.end(), chunk.keyword);
        const bool latin1 = std::all_of(text.text.begin(), text.text.end(), [](QChar c) { return c.unicode() < 256; });
        bodies.push_back(latin1 ? text.text.toLatin1() : text.text.toUtf8());
        chunk.type = !latin1 ? SPNG_ITXT : text.text.size() >= 40 ? SPNG_ZTXT : SPNG_TEXT;
        chunk.length = std::size_t(bodies.back().size());
        chunk.text = bodies.back().data();
        static char empty[] = "";
        chunk.language_tag = empty;
        chunk.translated_keyword = empty;
        chunks.push_back(chunk);
    }
    if (!chunks.empty() && spng_set_text(ctx, chunks.data(), std::uint32_t(chunks.size())) != 0)
        return Status::Failed;

    // Few colours compress best unfiltered; full colour (a gradient) best with the row above.
    const int filters = compression.filters != 0 ? compression.filters
                        : m_indexed           ? int(SPNG_FILTER_CHOICE_NONE)
                                              : int(SPNG_FILTER_CHOICE_UP);
    if (spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, compression.level) != 0
        || spng_set_option(ctx, SPNG_IMG_COMPRESSION_STRATEGY, compression.strategy) != 0
        || spng_set_option(ctx, SPNG_FILTER_CHOICE, filters) != 0)
        return Status::Failed;

    const int started = spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    if (started != 0)
        return m_context->writeFailed ? Status::WriteFailed : Status::Failed;
    m_converted.resize(std::size_t(size.width()) * (m_indexed ? 1 : 3));
    return Status::Ok;
}

bool PngRowWriter::indexRow(const QRgb* pixels)
{
    QRgb last = ~pixels[0];
    std::uint8_t lastIndex = 0;
    for (int x = 0; x < m_size.width(); ++x) {
        const QRgb colour = pixels[x] & 0xFFFFFFu;
        if (colour != last) {
            std::size_t slot = slotOf(colour);
            while (m_indices[slot] >= 0 && m_keys[slot] != colour)
                slot = (slot + 1) & 511;
            if (m_indices[slot] < 0)
                return false;
            last = colour;
            lastIndex = std::uint8_t(m_indices[slot]);
        }
        m_converted[std::size_t(x)] = lastIndex;
    }
    return true;
}

PngRowWriter::Status PngRowWriter::writeRow(const QRgb* pixels)
{
    if (!m_context || m_row >= m_size.height())
        return Status::Failed;
    if (m_indexed) {
        if (!indexRow(pixels))
            return Status::ColourOutsidePalette;
    } else {
        std::uint8_t* out = m_converted.data();
        for (int x = 0; x < m_size.width(); ++x, out += 3) {
            const QRgb colour = pixels[x];
            out[0] = std::uint8_t(colour >> 16);
            out[1] = std::uint8_t(colour >> 8);
            out[2] = std::uint8_t(colour);
        }
    }
    ++m_row;
    const int result = spng_encode_row(m_context->spng, m_converted.data(), m_converted.size());
    // The last row finishes the image and, asked for, the stream.
    if (result == 0 || (result == SPNG_EOI && m_row == m_size.height()))
        return Status::Ok;
    return m_context->writeFailed ? Status::WriteFailed : Status::Failed;
}

PngRowWriter::Status PngRowWriter::finish()
{
    if (!m_context || m_row != m_size.height())
        return Status::Failed;
    return m_context->writeFailed ? Status::WriteFailed : Status::Ok;
}

std::optional<std::vector<QRgb>> fewColoursOf(const QRgb* pixels, std::size_t count, std::vector<QRgb> seen)
{
    QRgb last = 0;
    bool any = !seen.empty();
    if (any)
        last = seen.back();
    for (std::size_t i = 0; i < count; ++i) {
        const QRgb colour = pixels[i] | 0xFF000000u;
        if (any && colour == last)
            continue;
        if (std::find(seen.begin(), seen.end(), colour) == seen.end()) {
            if (seen.size() == 256)
                return std::nullopt;
            seen.push_back(colour);
        }
        last = colour;
        any = true;
    }
    return seen;
}
