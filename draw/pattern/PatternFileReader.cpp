#include "draw/pattern/PatternFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <memory>
#include <spng.h>
#include <vector>

namespace {

// A code is a few dozen characters; anything much longer was not written by us.
constexpr qsizetype longestCode = 256;
// libspng keeps ancillary chunks in memory: bound one chunk (inflated texts included) and all.
constexpr size_t pngChunkLimit = 1024 * 1024;
constexpr size_t pngCacheLimit = 4 * 1024 * 1024;
// Our files use no entities; a file that expands one to more than this is hostile.
constexpr int svgEntityLimit = 256;
constexpr qint64 readBlock = 64 * 1024;

const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);

PatternFileCode problem(PatternFileProblem kind)
{
    return PatternFileCode{QString(), kind};
}

PatternFileCode codeFrom(const QString& text)
{
    const QString code = text.trimmed();
    if (code.isEmpty())
        return problem(PatternFileProblem::NoCode);
    if (code.size() > longestCode)
        return problem(PatternFileProblem::Damaged);
    return PatternFileCode{code, PatternFileProblem::None};
}

// Four bytes of the signature are enough to call it a PNG that was cut short.
bool looksLikePng(QByteArrayView bytes)
{
    const qsizetype compared = qMin<qsizetype>(bytes.size(), pngSignature.size());
    return compared >= 4 && bytes.first(compared) == QByteArrayView(pngSignature).first(compared);
}

bool looksLikeSvg(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    qsizetype at = 0;
    while (at < bytes.size() && QByteArrayView(" \t\r\n").contains(bytes.at(at)))
        ++at;
    const QByteArrayView start = bytes.sliced(at);
    return start.startsWith("<?xml") || start.startsWith("<svg") || start.startsWith("<!--");
}

struct SpngContextFree
{
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using SpngContext = std::unique_ptr<spng_ctx, SpngContextFree>;

QString textOf(const spng_text& entry)
{
    // No longer than the chunk limit. tEXt and zTXt hold Latin-1, iTXt UTF-8.
    const auto length = qsizetype(entry.length);
    return entry.type == SPNG_ITXT ? QString::fromUtf8(entry.text, length) : QString::fromLatin1(entry.text, length);
}

// The text chunks before the image data, read by libspng without decoding a pixel: the size in
// the header is never acted on.
PatternFileCode readPngCode(QByteArrayView bytes, bool cut)
{
    SpngContext context(spng_ctx_new(0));
    if (!context)
        return problem(PatternFileProblem::Damaged);
    // A text chunk with a wrong checksum is damage, not something to skip quietly.
    spng_set_crc_action(context.get(), SPNG_CRC_ERROR, SPNG_CRC_ERROR);
    spng_set_chunk_limits(context.get(), pngChunkLimit, pngCacheLimit);
    spng_set_png_buffer(context.get(), bytes.data(), size_t(bytes.size()));

    uint32_t count = 0;
    int error = spng_get_text(context.get(), nullptr, &count);
    if (error == SPNG_OK && count > 0) {
        std::vector<spng_text> texts(count);
        error = spng_get_text(context.get(), texts.data(), &count);
        for (uint32_t i = 0; error == SPNG_OK && i < count; ++i) {
            if (qstrcmp(texts[i].keyword, patternCodeKeyword) == 0)
                return codeFrom(textOf(texts[i]));
        }
    }
    if (error == SPNG_OK || error == SPNG_ECHUNKAVAIL)
        return problem(PatternFileProblem::NoCode);
    // Running out of bytes only because we stopped reading says nothing about the file.
    if (cut && (error == SPNG_IO_EOF || error == SPNG_EOF))
        return problem(PatternFileProblem::NoCode);
    return problem(PatternFileProblem::Damaged);
}

bool isCodeElement(const QXmlStreamReader& xml)
{
    return xml.name() == QLatin1String(patternCodeElement)
           && xml.namespaceUri() == QLatin1String(patternCodeNamespace);
}

// The first patternCode element inside a <metadata>; the rest of the file is not looked at.
PatternFileCode readSvgCode(QByteArrayView bytes, bool cut)
{
    QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), bytes.size()));
    xml.setEntityExpansionLimit(svgEntityLimit);
    bool rootSeen = false;
    int openMetadata = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (!rootSeen && xml.name() != QLatin1String("svg"))
                return problem(PatternFileProblem::NotPatternFile);
            rootSeen = true;
            if (xml.name() == QLatin1String("metadata")) {
                ++openMetadata;
            } else if (openMetadata > 0 && isCodeElement(xml)) {
                const QString text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                return xml.hasError() ? problem(PatternFileProblem::Damaged) : codeFrom(text);
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("metadata")) {
            --openMetadata;
        }
    }
    if (!xml.hasError())
        return problem(rootSeen ? PatternFileProblem::NoCode : PatternFileProblem::NotPatternFile);
    if (cut && rootSeen && xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        return problem(PatternFileProblem::NoCode);
    return problem(PatternFileProblem::Damaged);
}

// cut: the bytes are the first part of something longer.
PatternFileCode readCode(QByteArrayView bytes, bool cut)
{
    if (bytes.isEmpty())
        return problem(PatternFileProblem::Empty);
    if (looksLikePng(bytes))
        return readPngCode(bytes, cut);
    if (looksLikeSvg(bytes))
        return readSvgCode(bytes, cut);
    return problem(PatternFileProblem::NotPatternFile);
}

} // namespace

PatternFileCode readPatternCodeFromBytes(QByteArrayView bytes)
{
    const bool cut = bytes.size() > patternFileReadLimit;
    return readCode(cut ? bytes.first(patternFileReadLimit) : bytes, cut);
}

PatternFileCode readPatternCodeFromDevice(QIODevice& device)
{
    if (!device.isReadable())
        return problem(PatternFileProblem::Unreadable);
    QByteArray bytes;
    if (!device.isSequential())
        bytes.reserve(qBound<qint64>(0, device.size() - device.pos(), patternFileReadLimit));
    // Blocks of at least the device's buffer size go straight to the reader, so no read-ahead
    // passes the limit.
    while (bytes.size() < patternFileReadLimit) {
        const qsizetype before = bytes.size();
        const qint64 wanted = qMin<qint64>(readBlock, patternFileReadLimit - before);
        bytes.resize(before + wanted);
        const qint64 got = device.read(bytes.data() + before, wanted);
        if (got < 0)
            return problem(PatternFileProblem::Unreadable);
        bytes.resize(before + got);
        if (got == 0)
            break;
    }
    const bool cut = bytes.size() == patternFileReadLimit && !device.atEnd();
    return readCode(bytes, cut);
}

PatternFileCode readPatternFileCode(const QString& path)
{
    // Folders, devices and pipes are refused before opening: a pipe would block the open.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return problem(PatternFileProblem::Unreadable);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return problem(PatternFileProblem::Unreadable);
    return readPatternCodeFromDevice(file);
}
