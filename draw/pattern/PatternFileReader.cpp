#include "draw/pattern/PatternFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

// A code is a few dozen characters; anything much longer was not written by us.
constexpr qsizetype longestCode = 256;
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

quint32 bigEndianAt(QByteArrayView bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.data() + at);
}

bool isChunkType(QByteArrayView type)
{
    return std::all_of(type.begin(), type.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

// A compressed code inflated, never past maxBytes: a code is short, so a longer text is not ours.
enum class Inflated { Ok, TooLong, Broken };
Inflated inflateBounded(QByteArrayView compressed, QByteArray& out, qsizetype maxBytes)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return Inflated::Broken;
    out.resize(maxBytes + 1);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = uInt(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const qsizetype produced = qsizetype(stream.total_out);
    inflateEnd(&stream);
    out.resize(produced);
    if (result == Z_STREAM_END)
        return produced > maxBytes ? Inflated::TooLong : Inflated::Ok;
    // Out of room with the stream still going: longer than any code.
    if (result == Z_BUF_ERROR && stream.avail_out == 0)
        return Inflated::TooLong;
    return Inflated::Broken;
}

// The code from the body of a tEXt, zTXt or iTXt chunk whose keyword is ours (after its NUL).
PatternFileCode codeFromTextChunk(QByteArrayView type, QByteArrayView body)
{
    // Generous for blanks around a code; a longer text is no code of ours.
    constexpr qsizetype longestText = 64 * 1024;
    bool compressed = false;
    bool utf8 = false;
    if (type == "zTXt") {
        if (body.isEmpty() || body.at(0) != 0)
            return problem(PatternFileProblem::DamagedCode);
        body = body.sliced(1);
        compressed = true;
    } else if (type == "iTXt") {
        // Compression flag and method, then the language tag and translated keyword, each ending in NUL.
        if (body.size() < 2 || quint8(body.at(0)) > 1 || body.at(1) != 0)
            return problem(PatternFileProblem::DamagedCode);
        compressed = body.at(0) == 1;
        body = body.sliced(2);
        for (int field = 0; field < 2; ++field) {
            const qsizetype end = body.indexOf('\0');
            if (end < 0)
                return problem(PatternFileProblem::DamagedCode);
            body = body.sliced(end + 1);
        }
        utf8 = true;
    }
    QByteArray inflated;
    if (compressed) {
        const Inflated result = inflateBounded(body, inflated, longestText);
        if (result == Inflated::TooLong)
            return problem(PatternFileProblem::Damaged);
        if (result == Inflated::Broken)
            return problem(PatternFileProblem::DamagedCode);
        body = inflated;
    } else if (body.size() > longestText) {
        return problem(PatternFileProblem::Damaged);
    }
    if (!utf8)
        return codeFrom(QString::fromLatin1(body.data(), body.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(body);
    return decoder.hasError() ? problem(PatternFileProblem::DamagedCode) : codeFrom(text);
}

// Walks the chunks, checking each one's checksum, up to the first text chunk holding our code.
// Nothing but that chunk is kept or inflated, so any number of other chunks costs no memory, and the
// size in the header is never acted on.
PatternFileCode readPngCode(QByteArrayView bytes, bool cut)
{
    // Running out of bytes only because we stopped reading says nothing about the file.
    const PatternFileCode endedEarly = problem(cut ? PatternFileProblem::NoCode : PatternFileProblem::Damaged);
    qsizetype at = pngSignature.size();
    if (bytes.size() < at)
        return endedEarly;
    for (bool first = true;; first = false) {
        if (bytes.size() - at < 8)
            return endedEarly;
        const quint32 length = bigEndianAt(bytes, at);
        const QByteArrayView type = bytes.sliced(at + 4, 4);
        if (length > 0x7FFFFFFFu || !isChunkType(type) || first != (type == "IHDR"))
            return problem(PatternFileProblem::Damaged);
        if (bytes.size() - at - 12 < qsizetype(length))
            return endedEarly;
        const QByteArrayView typed = bytes.sliced(at + 4, 4 + qsizetype(length));
        const auto crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size())));
        if (crc != bigEndianAt(bytes, at + 8 + qsizetype(length)))
            return problem(PatternFileProblem::Damaged);
        if (type == "IEND")
            return problem(PatternFileProblem::NoCode);
        if (type == "tEXt" || type == "zTXt" || type == "iTXt") {
            const QByteArrayView data = typed.sliced(4);
            const qsizetype keywordEnd = data.indexOf('\0');
            if (keywordEnd >= 0 && data.first(keywordEnd) == QByteArrayView(patternCodeKeyword))
                return codeFromTextChunk(type, data.sliced(keywordEnd + 1));
        }
        at += 12 + qsizetype(length);
    }
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
    if (path.isEmpty())
        return problem(PatternFileProblem::Unreadable);
    return readPatternFileCodeByLocalName(QFile::encodeName(path));
}

PatternFileCode readPatternFileCodeByLocalName(const QByteArray& localName)
{
    if (localName.isEmpty())
        return problem(PatternFileProblem::Unreadable);
    // Opened by its bytes, whatever their encoding. Without waiting: a pipe would block the open;
    // folders, devices and pipes are refused once open.
    const int descriptor = ::open(localName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return problem(PatternFileProblem::Unreadable);
    struct stat status{};
    QFile file;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)
        || !file.open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return problem(PatternFileProblem::Unreadable);
    }
    return readPatternCodeFromDevice(file);
}
