// JPEG through libjpeg, row by row as the strips are drawn: memory stays flat whatever the size.

#include "draw/output/FrameWriter.h"
#include "draw/output/PatternMetadata.h"

#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

// The largest side libjpeg writes.
constexpr int largestJpegSide = 65500;
// As Qt's image writer does by default, so a picture looks the same whichever way it was saved.
constexpr int jpegQuality = 75;
constexpr std::size_t outputBlock = 64 * 1024;

struct Compressor
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_destination_mgr destination{};
    std::jmp_buf failed{};
    QIODevice* device = nullptr;
    std::vector<JOCTET> buffer;
    bool writeFailed = false;

    // Also when a strip's memory cannot be had and the exception passes through; destroying a
    // destroyed or never-created compressor does nothing.
    ~Compressor() { jpeg_destroy_compress(&info); }
};

Compressor& compressorOf(j_compress_ptr info) { return *static_cast<Compressor*>(info->client_data); }

// A full disk is noted, and the rest of the picture thrown away until the caller stops.
void writeOut(Compressor& compressor, std::size_t length)
{
    if (!compressor.writeFailed && length > 0
        && compressor.device->write(reinterpret_cast<const char*>(compressor.buffer.data()), qint64(length))
               != qint64(length))
        compressor.writeFailed = true;
    compressor.destination.next_output_byte = compressor.buffer.data();
    compressor.destination.free_in_buffer = compressor.buffer.size();
}

extern "C" {
void startDestination(j_compress_ptr info) { writeOut(compressorOf(info), 0); }
boolean emptyDestination(j_compress_ptr info)
{
    Compressor& compressor = compressorOf(info);
    writeOut(compressor, compressor.buffer.size());
    return TRUE;
}
void finishDestination(j_compress_ptr info)
{
    Compressor& compressor = compressorOf(info);
    writeOut(compressor, compressor.buffer.size() - compressor.destination.free_in_buffer);
}
[[noreturn]] void failCompression(j_common_ptr info) { std::longjmp(static_cast<Compressor*>(info->client_data)->failed, 1); }
void keepQuiet(j_common_ptr, int) {}
}

// libjpeg leaves by a jump when it fails: each call goes through one of these, which hold nothing
// with a destructor, so the jump skips none. False when it failed.
bool setUp(Compressor& compressor, QSize size)
{
    jpeg_compress_struct& info = compressor.info;
    info.err = jpeg_std_error(&compressor.errors);
    compressor.errors.error_exit = failCompression;
    compressor.errors.emit_message = keepQuiet;
    info.client_data = &compressor;
    if (setjmp(compressor.failed) != 0)
        return false;
    jpeg_create_compress(&info);
    info.client_data = &compressor;
    compressor.destination.init_destination = startDestination;
    compressor.destination.empty_output_buffer = emptyDestination;
    compressor.destination.term_destination = finishDestination;
    info.dest = &compressor.destination;
    info.image_width = JDIMENSION(size.width());
    info.image_height = JDIMENSION(size.height());
    // 32-bit pixels as they lie in memory on this machine: blue, green, red, unused.
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, jpegQuality, TRUE);
    return true;
}

bool startWriting(Compressor& compressor, const QList<QByteArray>& comments)
{
    if (setjmp(compressor.failed) != 0)
        return false;
    jpeg_start_compress(&compressor.info, TRUE);
    for (const QByteArray& comment : comments)
        jpeg_write_marker(&compressor.info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.constData()),
                          unsigned(comment.size()));
    return true;
}

bool writeRows(Compressor& compressor, JSAMPARRAY rows, int count)
{
    if (setjmp(compressor.failed) != 0)
        return false;
    jpeg_write_scanlines(&compressor.info, rows, JDIMENSION(count));
    return true;
}

bool finishWriting(Compressor& compressor)
{
    if (setjmp(compressor.failed) != 0)
        return false;
    jpeg_finish_compress(&compressor.info);
    return true;
}

OutputError compress(Compressor& compressor, const FrameRenderer& frame, const OutputJob& job, OutputProgress* progress)
{
    // The resolution in the JFIF header, the texts as comments.
    jpeg_compress_struct& info = compressor.info;
    info.density_unit = 1; // dots per inch
    const auto dpi = UINT16(std::clamp<long>(std::lround(pixelsPerMetre(job.frame.dpi) * 0.0254), 1, 65535));
    info.X_density = dpi;
    info.Y_density = dpi;
    const auto failure = [&] { return compressor.writeFailed ? OutputError::WriteFailed : OutputError::EncodingFailed; };
    if (!startWriting(compressor, patternJpegComments(job.pattern.code, job.pattern.fullCode)))
        return failure();
    std::vector<JSAMPROW> rows;
    bool failed = false;
    const StripsEnd end = drawInStrips(frame, progress, StripOrder::TopDown, [&](const PixelBuffer& strip, int) {
        rows.resize(std::size_t(strip.height));
        for (int y = 0; y < strip.height; ++y)
            rows[std::size_t(y)] = reinterpret_cast<JSAMPROW>(strip.row(y));
        failed = !writeRows(compressor, rows.data(), strip.height);
        return !failed && !compressor.writeFailed;
    });
    if (end == StripsEnd::Cancelled)
        return OutputError::Cancelled;
    if (failed || (end == StripsEnd::Done && !finishWriting(compressor)))
        return failure();
    return compressor.writeFailed ? OutputError::WriteFailed : OutputError::None;
}

class JpegFrameWriter final : public FrameWriter
{
public:
    OutputResult write(const FrameRenderer& frame, const OutputJob& job, QIODevice& device,
                       OutputProgress* progress) const override
    {
        const QSize size = frame.frameSize();
        if (size.width() > largestJpegSide || size.height() > largestJpegSide)
            return {OutputError::TooLargeForFormat};
        Compressor compressor;
        compressor.device = &device;
        compressor.buffer.resize(outputBlock);
        if (!setUp(compressor, size))
            return {OutputError::EncodingFailed};
        return {compress(compressor, frame, job, progress)};
    }
};

} // namespace

const FrameWriter& jpegFrameWriter()
{
    static const JpegFrameWriter writer;
    return writer;
}
