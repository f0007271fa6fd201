// Reading the pattern code back from a file: the code from every kind of text chunk and from SVG
// metadata, a named problem for every file that holds none, and never more than the read limit.
#include "app/messages/PatternMessages.h"
#include "draw/pattern/PatternFileReader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <zlib.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Hand-made PNG pieces: the reader must cope with files our writer never makes.
QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray pngChunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    const auto crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size())));
    return bigEndian(quint32(data.size())) + typed + bigEndian(crc);
}

QByteArray deflated(const QByteArray& data)
{
    QByteArray out(qsizetype(compressBound(uLong(data.size()))), '\0');
    uLongf length = uLongf(out.size());
    compress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(data.constData()),
             uLong(data.size()));
    out.resize(qsizetype(length));
    return out;
}

QByteArray ihdr(quint32 width, quint32 height)
{
    // 8-bit RGB, no interlacing.
    return pngChunk("IHDR", bigEndian(width) + bigEndian(height) + QByteArray("\x08\x02\x00\x00\x00", 5));
}

QByteArray idat()
{
    return pngChunk("IDAT", deflated(QByteArray("\x00\x10\x20\x30", 4)));
}

QByteArray iend()
{
    return pngChunk("IEND", QByteArray());
}

QByteArray textChunk(const QByteArray& keyword, const QByteArray& text)
{
    return pngChunk("tEXt", keyword + '\0' + text);
}

QByteArray zTxtChunk(const QByteArray& keyword, const QByteArray& text)
{
    return pngChunk("zTXt", keyword + QByteArray(2, '\0') + deflated(text));
}

QByteArray iTxtChunk(const QByteArray& keyword, const QString& text, bool compressed)
{
    const QByteArray utf8 = text.toUtf8();
    // keyword NUL, compression flag, method, language "zh" NUL, empty translated keyword NUL, text
    QByteArray data = keyword + '\0';
    data += char(compressed ? 1 : 0);
    data += '\0';
    data += QByteArray("zh") + '\0' + '\0';
    return pngChunk("iTXt", data + (compressed ? deflated(utf8) : utf8));
}

QByteArray png(const QList<QByteArray>& chunks)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunks.join();
}

QByteArray pngWithCode(const QByteArray& codeChunk)
{
    return png({ihdr(1, 1), textChunk("Title", "QRV9051111"), codeChunk, idat(), iend()});
}

const QByteArray code = "TN1ABCDEFGH";
const QByteArray codePng = pngWithCode(textChunk(patternCodeKeyword, code));

QByteArray svg(const QByteArray& inside)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg width=\"8\" height=\"8\" xmlns=\"http://www.w3.org/2000/svg\">\n"
           + inside + "\n<rect width=\"8\" height=\"8\" fill=\"red\"/>\n</svg>\n";
}

QByteArray codeElement(const QByteArray& text)
{
    return "<pd:patternCode xmlns:pd=\"urn:x-pattern-designer:1\">" + text + "</pd:patternCode>";
}

QByteArray svgWithCode(const QByteArray& text)
{
    return svg("<metadata>" + codeElement(text) + "</metadata>");
}

QByteArray entityBomb()
{
    QByteArray doctype = "<?xml version=\"1.0\"?>\n<!DOCTYPE svg [\n<!ENTITY a0 \"laughlaughlaugh\">\n";
    for (int level = 1; level < 10; ++level)
        doctype += QStringLiteral("<!ENTITY a%1 \"%2\">\n")
                       .arg(level)
                       .arg(QStringLiteral("&a%1;").arg(level - 1).repeated(10))
                       .toLatin1();
    return doctype + "]>\n<svg xmlns=\"http://www.w3.org/2000/svg\"><metadata>"
           + codeElement("&a9;") + "</metadata></svg>";
}

// A valid PNG with many small text chunks before the code: a reader that keeps every chunk runs
// out of room long before it reaches the code.
QByteArray manyTextChunksThenCode(int count)
{
    const QByteArray small = textChunk("Comment", "x");
    QByteArray chunks;
    chunks.reserve(small.size() * count);
    for (int i = 0; i < count; ++i)
        chunks += small;
    return png({ihdr(1, 1), chunks, textChunk(patternCodeKeyword, code), idat(), iend()});
}

// Compressed code chunks whose compressed stream is broken: the chunk itself is sound (its
// checksum is right), its contents are not.
QByteArray brokenDeflate()
{
    QByteArray stream = deflated(code);
    stream[2] = char(0xFF); // a reserved block type
    return stream;
}

QByteArray brokenZTxt()
{
    return pngChunk("zTXt", QByteArray(patternCodeKeyword) + QByteArray(2, '\0') + brokenDeflate());
}

QByteArray brokenITxt()
{
    QByteArray data = QByteArray(patternCodeKeyword) + '\0';
    data += char(1);
    data += '\0';
    data += QByteArray("zh") + '\0' + '\0';
    return pngChunk("iTXt", data + brokenDeflate());
}

QByteArray randomBytes()
{
    QRandomGenerator generator(20261210);
    QByteArray bytes(4096, '\0');
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    bytes[0] = 'r'; // neither a PNG nor markup by chance
    return bytes;
}

// A 6 MiB file whose code lies past the read limit, or at its start as in a large picture we saved.
QByteArray pastTheLimit(bool svgFile, bool codeFirst)
{
    const QByteArray filler(6 * 1024 * 1024, 'x');
    if (svgFile) {
        const QByteArray comment = "<!--" + filler + "-->";
        const QByteArray metadata = "<metadata>" + codeElement(code) + "</metadata>";
        return svg(codeFirst ? metadata + comment : comment + metadata);
    }
    const QByteArray codeChunk = textChunk(patternCodeKeyword, code);
    if (codeFirst)
        return png({ihdr(4000, 4000), codeChunk, pngChunk("IDAT", filler), iend()});
    return png({ihdr(1, 1), pngChunk("prVt", filler), codeChunk, idat(), iend()});
}

// Counts what the reader takes from the device.
// Counts the bytes taken from it. With a bound per read it hands out at most that many bytes a
// call, as a pipe or a slow device does: reads that come back short.
class CountingBuffer : public QBuffer
{
public:
    explicit CountingBuffer(QByteArray* bytes, qint64 perRead = 0) : QBuffer(bytes), m_perRead(perRead) {}
    qint64 taken() const { return m_taken; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 got = QBuffer::readData(data, m_perRead > 0 ? qMin(maxSize, m_perRead) : maxSize);
        m_taken += qMax<qint64>(got, 0);
        return got;
    }

private:
    qint64 m_perRead = 0;
    qint64 m_taken = 0;
};

} // namespace

class TestPatternFile : public QObject
{
    Q_OBJECT

private slots:
    void findsTheCode_data();
    void findsTheCode();
    void namesTheProblem_data();
    void namesTheProblem();
    void fileThatCannotBeRead_data();
    void fileThatCannotBeRead();
    void readsNoFurtherThanTheLimit_data();
    void readsNoFurtherThanTheLimit();
    void problemTextNamesTheFile_data();
    void problemTextNamesTheFile();
    void nameThatIsNotUtf8IsOpened();
    void problemTextStaysOneLine();

private:
    // Reads the bytes from a file and from memory; both ways must agree.
    PatternFileCode readBoth(const QByteArray& bytes);
    QTemporaryDir m_dir;
};

PatternFileCode TestPatternFile::readBoth(const QByteArray& bytes)
{
    const QString path = m_dir.filePath(QStringLiteral("pattern"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return PatternFileCode{QStringLiteral("fixture not written"), PatternFileProblem::None};
    file.close();
    const PatternFileCode fromFile = readPatternFileCode(path);
    const PatternFileCode fromBytes = readPatternCodeFromBytes(bytes);
    if (fromFile.code != fromBytes.code || fromFile.problem != fromBytes.problem)
        return PatternFileCode{QStringLiteral("file and memory disagree"), PatternFileProblem::None};
    return fromFile;
}

void TestPatternFile::findsTheCode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("png text chunk") << codePng << QString::fromLatin1(code);
    QTest::newRow("png header claiming 100000 x 100000 pixels")
        << png({ihdr(100000, 100000), textChunk(patternCodeKeyword, code), idat(), iend()}) << QString::fromLatin1(code);
    QTest::newRow("png compressed text chunk") << pngWithCode(zTxtChunk(patternCodeKeyword, code)) << QString::fromLatin1(code);
    QTest::newRow("png international text chunk")
        << pngWithCode(iTxtChunk(patternCodeKeyword, QString::fromLatin1(code), false)) << QString::fromLatin1(code);
    QTest::newRow("png compressed international text chunk")
        << pngWithCode(iTxtChunk(patternCodeKeyword, QString::fromLatin1(code), true)) << QString::fromLatin1(code);
    QTest::newRow("png keeps a non-latin code for the caller to judge")
        << pngWithCode(iTxtChunk(patternCodeKeyword, QStringLiteral("图案TN1"), true)) << QStringLiteral("图案TN1");
    QTest::newRow("png code trimmed") << pngWithCode(textChunk(patternCodeKeyword, " \n" + code + "\t "))
                                      << QString::fromLatin1(code);
    QTest::newRow("png code of the longest length")
        << pngWithCode(textChunk(patternCodeKeyword, QByteArray(256, 'A'))) << QString(256, u'A');
    QTest::newRow("svg metadata") << svgWithCode(code) << QString::fromLatin1(code);
    QTest::newRow("svg code escaped and trimmed") << svgWithCode("\n  TN1&lt;A&amp;B  \n") << QStringLiteral("TN1<A&B");
    QTest::newRow("svg with byte order mark and leading blanks")
        << "\xEF\xBB\xBF \n" + svgWithCode(code).sliced(svgWithCode(code).indexOf("<svg")) << QString::fromLatin1(code);
    QTest::newRow("svg opening with a comment")
        << "<!-- drawn -->\n" + svgWithCode(code).sliced(svgWithCode(code).indexOf("<svg")) << QString::fromLatin1(code);
    QTest::newRow("svg broken after the code") << svgWithCode(code) + "<g></svg>" << QString::fromLatin1(code);
    QTest::newRow("png with 100000 small text chunks before the code") << manyTextChunksThenCode(100000)
                                                                       << QString::fromLatin1(code);
    QTest::newRow("png with a large compressed comment before the code")
        << png({ihdr(1, 1), zTxtChunk("Comment", QByteArray(16 * 1024 * 1024, 'z')), textChunk(patternCodeKeyword, code),
                idat(), iend()})
        << QString::fromLatin1(code);
}

void TestPatternFile::findsTheCode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const PatternFileCode read = readBoth(bytes);
    QCOMPARE(read.code, expected);
    QCOMPARE(read.problem, PatternFileProblem::None);
}

void TestPatternFile::namesTheProblem_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PatternFileProblem>("problem");
    using P = PatternFileProblem;
    const qsizetype codeChunkAt = codePng.indexOf("PatternCode") - 8; // its length field
    QTest::newRow("empty file") << QByteArray() << P::Empty;
    QTest::newRow("png cut inside the signature") << codePng.first(5) << P::Damaged;
    QTest::newRow("png cut inside the header") << codePng.first(8 + 12) << P::Damaged;
    QTest::newRow("png cut inside the code chunk") << codePng.first(codeChunkAt + 14) << P::Damaged;
    QByteArray badCrc = codePng;
    badCrc[codeChunkAt + 8 + 11 + 1 + code.size() + 2] ^= 0x40;
    QTest::newRow("png code chunk with a bad checksum") << badCrc << P::Damaged;
    QTest::newRow("png without a code") << png({ihdr(1, 1), textChunk("Title", code), idat(), iend()}) << P::NoCode;
    QTest::newRow("png without any text") << png({ihdr(1, 1), idat(), iend()}) << P::NoCode;
    QTest::newRow("png code of blanks") << pngWithCode(textChunk(patternCodeKeyword, " \t ")) << P::NoCode;
    QTest::newRow("png code one past the longest")
        << pngWithCode(textChunk(patternCodeKeyword, QByteArray(257, 'A'))) << P::Damaged;
    // A comment of any size is valid: nothing but the code's chunk is inflated.
    QTest::newRow("png compressed comment inflating to 16 MiB")
        << png({ihdr(1, 1), zTxtChunk("Comment", QByteArray(16 * 1024 * 1024, 'z')), idat(), iend()}) << P::NoCode;
    QTest::newRow("png compressed code inflating to 16 MiB")
        << pngWithCode(zTxtChunk(patternCodeKeyword, QByteArray(16 * 1024 * 1024, 'z'))) << P::Damaged;
    QTest::newRow("png compressed code chunk with broken compression") << pngWithCode(brokenZTxt()) << P::DamagedCode;
    QTest::newRow("png compressed international code chunk with broken compression") << pngWithCode(brokenITxt())
                                                                                     << P::DamagedCode;
    QTest::newRow("png code chunk cut inside its compressed stream")
        << pngWithCode(pngChunk("zTXt", QByteArray(patternCodeKeyword) + QByteArray(2, '\0') + deflated(code).chopped(6)))
        << P::DamagedCode;
    QTest::newRow("png international code that is not utf-8")
        << pngWithCode(pngChunk("iTXt", QByteArray(patternCodeKeyword) + QByteArray(5, '\0') + "TN1\xff\xfe"))
        << P::DamagedCode;
    // The code lies past what is read: the part read holds none, and nothing in it is damaged.
    QTest::newRow("png with a 6 MiB text chunk before the code")
        << png({ihdr(1, 1), textChunk("Comment", QByteArray(6 * 1024 * 1024, 'c')), textChunk(patternCodeKeyword, code),
                idat(), iend()})
        << P::NoCode;
    QTest::newRow("jpeg") << QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000ffd9") << P::NotPatternFile;
    QTest::newRow("plain text") << QByteArray("TN1ABCDEFGH\n这是一个图案代码\n") << P::NotPatternFile;
    QTest::newRow("random bytes") << randomBytes() << P::NotPatternFile;
    QTest::newRow("xml that is not svg") << QByteArray("<?xml version=\"1.0\"?><html><metadata/></html>") << P::NotPatternFile;
    QTest::newRow("svg without metadata") << svg(QByteArray()) << P::NoCode;
    QTest::newRow("svg metadata without a code") << svg("<metadata><other/></metadata>") << P::NoCode;
    QTest::newRow("svg code outside metadata") << svg(codeElement(code)) << P::NoCode;
    QTest::newRow("svg code in another namespace")
        << svg("<metadata><pd:patternCode xmlns:pd=\"urn:other\">TN1</pd:patternCode></metadata>") << P::NoCode;
    QTest::newRow("svg malformed before the code") << svg("<g></h><metadata>" + codeElement(code) + "</metadata></g>")
                                                   << P::Damaged;
    QTest::newRow("svg cut before the code") << svgWithCode(code).first(svgWithCode(code).indexOf("<metadata>") + 4)
                                             << P::Damaged;
    QTest::newRow("svg code holding markup") << svgWithCode("TN1<b>A</b>") << P::Damaged;
    QTest::newRow("svg code one past the longest") << svgWithCode(QByteArray(257, 'A')) << P::Damaged;
    QTest::newRow("svg with an entity bomb") << entityBomb() << P::Damaged;
}

void TestPatternFile::namesTheProblem()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PatternFileProblem, problem);
    const PatternFileCode read = readBoth(bytes);
    QCOMPARE(read.problem, problem);
    QCOMPARE(read.code, QString());
}

void TestPatternFile::fileThatCannotBeRead_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("missing file") << "missing.png";
    QTest::newRow("file in a missing folder") << "missing/pattern.png";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("no name at all") << "";
    QTest::newRow("a device") << "/dev/zero";
}

void TestPatternFile::fileThatCannotBeRead()
{
    QFETCH(QString, where);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString path = where.isEmpty() || where.startsWith(u'/') ? where : dir.filePath(where);
    const PatternFileCode read = readPatternFileCode(path);
    QCOMPARE(read.problem, PatternFileProblem::Unreadable);
    QCOMPARE(read.code, QString());
}

void TestPatternFile::readsNoFurtherThanTheLimit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PatternFileProblem>("problem");
    QTest::addColumn<int>("perRead"); // bytes a read gives at most (0: as many as asked, a file)
    for (const int perRead : {0, 300}) {
        const char* reads = perRead ? ", short reads" : "";
        QTest::addRow("png with the code past the limit%s", reads) << pastTheLimit(false, false)
                                                                   << PatternFileProblem::NoCode << perRead;
        QTest::addRow("svg with the code past the limit%s", reads) << pastTheLimit(true, false)
                                                                   << PatternFileProblem::NoCode << perRead;
        QTest::addRow("large png with the code first%s", reads) << pastTheLimit(false, true) << PatternFileProblem::None
                                                                << perRead;
        QTest::addRow("large svg with the code first%s", reads) << pastTheLimit(true, true) << PatternFileProblem::None
                                                                << perRead;
    }
}

void TestPatternFile::readsNoFurtherThanTheLimit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PatternFileProblem, problem);
    QFETCH(int, perRead);
    QVERIFY(bytes.size() > patternFileReadLimit + 1024 * 1024);
    const QString expected = problem == PatternFileProblem::None ? QString::fromLatin1(code) : QString();

    QByteArray copy = bytes;
    CountingBuffer device(&copy, perRead);
    QVERIFY(device.open(QIODevice::ReadOnly));
    const PatternFileCode fromDevice = readPatternCodeFromDevice(device);
    QCOMPARE(fromDevice.problem, problem);
    QCOMPARE(fromDevice.code, expected);
    QVERIFY2(device.taken() <= patternFileReadLimit, qPrintable(QString::number(device.taken())));

    const PatternFileCode fromFile = readBoth(bytes);
    QCOMPARE(fromFile.problem, problem);
    QCOMPARE(fromFile.code, expected);
}

void TestPatternFile::problemTextNamesTheFile_data()
{
    QTest::addColumn<PatternFileProblem>("problem");
    QTest::addColumn<QString>("says");
    QTest::newRow("unreadable") << PatternFileProblem::Unreadable << "无法读取";
    QTest::newRow("empty") << PatternFileProblem::Empty << "空";
    QTest::newRow("not a pattern file") << PatternFileProblem::NotPatternFile << "不是图案文件";
    QTest::newRow("damaged") << PatternFileProblem::Damaged << "损坏";
    QTest::newRow("no code") << PatternFileProblem::NoCode << "没有图案代码";
    QTest::newRow("damaged code") << PatternFileProblem::DamagedCode << "图案代码已损坏";
}

void TestPatternFile::problemTextNamesTheFile()
{
    QFETCH(PatternFileProblem, problem);
    QFETCH(QString, says);
    const QString path = QStringLiteral("/tmp/图案 %1/QRV9.png");
    const QString text = patternFileProblemText(problem, path);
    QVERIFY2(text.contains(says), qPrintable(text));
    QVERIFY2(text.contains(path), qPrintable(text));
    QVERIFY2(text.size() < path.size() + 40, qPrintable(text));
    QCOMPARE(patternFileProblemText(PatternFileProblem::None, path), QString());
}

// A name in another encoding (Latin-1 bytes here) holds no UTF-8: opened by its bytes, not
// through a QString that cannot hold them.
void TestPatternFile::nameThatIsNotUtf8IsOpened()
{
    const QByteArray name = QFile::encodeName(m_dir.path()) + "/motif-\xe9t\xe9.png";
    const int descriptor = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(descriptor >= 0);
    QCOMPARE(::write(descriptor, codePng.constData(), size_t(codePng.size())), ssize_t(codePng.size()));
    ::close(descriptor);
    const PatternFileCode read = readPatternFileCodeByLocalName(name);
    QCOMPARE(read.problem, PatternFileProblem::None);
    QCOMPARE(read.code, QString::fromLatin1(code));
    // A folder, a device and a missing file by their bytes are still unreadable.
    for (const QByteArray& other : {QFile::encodeName(m_dir.path()), QByteArray("/dev/zero"), name + "-missing", QByteArray()})
        QCOMPARE(readPatternFileCodeByLocalName(other).problem, PatternFileProblem::Unreadable);
}

void TestPatternFile::problemTextStaysOneLine()
{
    const QString path = QStringLiteral("/tmp/a\nb\x1b.png");
    const QString text = patternFileProblemText(PatternFileProblem::Damaged, path);
    QVERIFY2(!text.contains(u'\n') && !text.contains(QChar(0x1b)), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("/tmp/a\\nb\\u001b.png")), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestPatternFile)
#include "tst_patternfile.moc"
