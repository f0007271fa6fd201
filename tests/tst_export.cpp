// Writing the pattern files: names, folders, PNG at 1x and 4x with their text chunks, SVG that an
// ordinary renderer draws like the PNG, the full code read back from both, the clipboard entry,
// and failures that leave no file.
#include "FakePicture.h"
#include "FileSizeLimit.h"

#include "app/canvas/SaveDialog.h"
#include "app/canvas/SaveFolder.h"
#include "app/messages/OutputMessages.h"
#include "app/output/PatternClipboard.h"
#include "draw/output/ExportNames.h"
#include "draw/output/OutputJob.h"
#include "draw/output/PngRowWriter.h"
#include "draw/pattern/PatternFileReader.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString programName = QStringLiteral("澄岚数学图案自动设计器");

QImage asRgb32(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// A zlib stream without the length prefix that qUncompress wants.
QByteArray inflate(const QByteArray& stream)
{
    QByteArray prefixed(4, '\0');
    qToBigEndian<quint32>(1u << 16, prefixed.data());
    return qUncompress(prefixed + stream);
}

// Text chunks read straight from the PNG bytes (tEXt and iTXt), without Qt's reader.
QMap<QString, QString> pngTextChunks(const QByteArray& png)
{
    QMap<QString, QString> texts;
    qsizetype at = 8; // after the signature
    while (at + 12 <= png.size()) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        const QByteArray type = png.mid(at + 4, 4);
        const QByteArray data = png.mid(at + 8, length);
        const qsizetype nul = data.indexOf('\0');
        if (type == "tEXt" && nul > 0) {
            texts.insert(QString::fromLatin1(data.left(nul)), QString::fromLatin1(data.mid(nul + 1)));
        } else if (type == "iTXt" && nul > 0) {
            // keyword NUL flag method language NUL translated-keyword NUL text (zlib when flagged)
            const bool compressed = data.at(nul + 1) != 0;
            const qsizetype languageEnd = data.indexOf('\0', nul + 3);
            const qsizetype translatedEnd = data.indexOf('\0', languageEnd + 1);
            const QByteArray text = data.mid(translatedEnd + 1);
            texts.insert(QString::fromLatin1(data.left(nul)), QString::fromUtf8(compressed ? inflate(text) : text));
        }
        at += 12 + length;
    }
    return texts;
}

// Full codes of the lengths a slide gives, either side of the length where Qt compresses a text.
QString fullCodeOf(int length)
{
    return QStringLiteral("TN1") + QString(length - 3, u'7');
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Fraction of pixels whose channels all lie within tolerance, and the mean channel difference.
struct Likeness
{
    double matching = 0;
    double meanDifference = 0;
};

Likeness compare(const QImage& a, const QImage& b, int tolerance)
{
    const QImage left = asRgb32(a);
    const QImage right = asRgb32(b);
    qint64 matching = 0;
    qint64 total = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            const int dr = qAbs(qRed(p) - qRed(q));
            const int dg = qAbs(qGreen(p) - qGreen(q));
            const int db = qAbs(qBlue(p) - qBlue(q));
            total += dr + dg + db;
            matching += (qMax(dr, qMax(dg, db)) <= tolerance) ? 1 : 0;
        }
    }
    const double count = double(left.width()) * left.height();
    return Likeness{matching / count, total / (3 * count)};
}

PatternPicture patternOf(const FakePicture& picture, const QString& code, const QString& fullCode = {})
{
    return PatternPicture{std::make_shared<FakePicture>(picture), code, fullCode};
}

// What the canvas menu's saves do: the picture as shown, at scale times its size.
OutputResult save(const FakePicture& picture, qreal scale, ExportFormat format, const QString& code,
                  const QString& path, const QString& fullCode = {})
{
    return runOutputJob(asShownJob(patternOf(picture, code, fullCode), scale, format, path));
}

OutputResult savePng(const FakePicture& picture, qreal scale, const QString& code, const QString& path,
                     const QString& fullCode = {})
{
    return save(picture, scale, ExportFormat::Png, code, path, fullCode);
}

OutputResult saveSvg(const FakePicture& picture, const QString& code, const QString& path, const QString& fullCode = {})
{
    return save(picture, 1.0, ExportFormat::Svg, code, path, fullCode);
}

// The file's bytes as the pipeline writes them, without a file.
QByteArray encode(const FakePicture& picture, qreal scale, ExportFormat format, const QString& code,
                  const QString& fullCode = {})
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeOutput(asShownJob(patternOf(picture, code, fullCode), scale, format, QString()), buffer).ok())
        return QByteArray();
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(ExportFormat)

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void fileNameFromCode_data();
    void fileNameFromCode();
    void offeredNameAndFilter_data();
    void offeredNameAndFilter();
    void saveFolderIsPicturesOrHome();

    void pngHoldsThePictureAtItsScale_data();
    void pngHoldsThePictureAtItsScale();
    void pngCarriesCodeAndProgramName();
    void fewColoursGetAColourTable_data();
    void fewColoursGetAColourTable();
    void pngReplacesAnOlderFile();
    void otherPictureExtensions_data();
    void otherPictureExtensions();

    void svgCarriesCodeAndProgramName();
    void pngGivesBackTheFullCode_data();
    void pngGivesBackTheFullCode();
    void svgGivesBackTheFullCode_data();
    void svgGivesBackTheFullCode();
    void svgDrawsLikeThePng_data();
    void svgDrawsLikeThePng();

    void failedSaveLeavesNoFile_data();
    void failedSaveLeavesNoFile();
    void fullDiskKeepsTheOlderFileWhole_data();
    void fullDiskKeepsTheOlderFileWhole();
    void failuresAreNamedForWhatTheyAre_data();
    void failuresAreNamedForWhatTheyAre();
    void pathsInMessagesStayOneLine_data();
    void pathsInMessagesStayOneLine();

    void clipboardHoldsImageAndCode_data();
    void clipboardHoldsImageAndCode();

private:
    QTemporaryDir m_home;
};

void TestExport::initTestCase()
{
    QVERIFY(m_home.isValid());
    // The save folder comes from the home folder; keep the user's own out of the tests.
    qputenv("HOME", m_home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_home.path() + QStringLiteral("/config")).toUtf8());
}

void TestExport::fileNameFromCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits and letters stay") << "QRV9051111" << "QRV9051111";
    QTest::newRow("decimal points stay") << "QRV0.59123.4567" << "QRV0.59123.4567";
    QTest::newRow("folder separators become underscores") << "QRV9/5\\1" << "QRV9_5_1";
    QTest::newRow("shell and reserved characters") << "a:b*c?d\"e<f>g|h" << "a_b_c_d_e_f_g_h";
    QTest::newRow("spaces and control characters") << QString("QRV 9\t\n5") << "QRV_9__5";
    QTest::newRow("leading dots cannot climb or hide") << "../QRV" << "_QRV";
    QTest::newRow("only dots") << ".." << "图案";
    QTest::newRow("empty code") << "" << "图案";
    QTest::newRow("chinese letters stay") << "您永远也看不完的宇宙生命图案" << "您永远也看不完的宇宙生命图案";
    QTest::newRow("very long code is cut") << QString(500, 'x') << QString(120, 'x');
}

void TestExport::fileNameFromCode()
{
    QFETCH(QString, code);
    QFETCH(QString, expected);
    QCOMPARE(sanitizedBaseName(code), expected);
}

void TestExport::offeredNameAndFilter_data()
{
    QTest::addColumn<ExportKind>("kind");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("png") << ExportKind::Png << "QRV9_51111.png" << "png";
    QTest::newRow("png at four times") << ExportKind::Png4x << "QRV9_51111-4x.png" << "png";
    QTest::newRow("svg") << ExportKind::Svg << "QRV9_51111.svg" << "svg";
}

void TestExport::offeredNameAndFilter()
{
    QFETCH(ExportKind, kind);
    QFETCH(QString, fileName);
    QFETCH(QString, suffix);
    const SaveRequest request = saveRequestFor(kind, QStringLiteral("QRV9/51111"));
    QCOMPARE(request.title, QStringLiteral("保存图案"));
    QCOMPARE(request.fileName, fileName);
    QCOMPARE(request.suffix, suffix);
    QVERIFY2(request.nameFilter.contains("*." + suffix), qPrintable(request.nameFilter));
}

void TestExport::saveFolderIsPicturesOrHome()
{
    const QString pictures = m_home.filePath(QStringLiteral("Pictures"));
    QDir(pictures).removeRecursively();
    QCOMPARE(QDir(defaultSaveFolder()), QDir(m_home.path()));
    QVERIFY(QDir().mkpath(pictures));
    QCOMPARE(QDir(defaultSaveFolder()), QDir(pictures));
    QDir(pictures).removeRecursively();
}

void TestExport::pngHoldsThePictureAtItsScale_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QSize>("expectedSize");
    QTest::newRow("main canvas") << QSize(800, 800) << 1.0 << QSize(800, 800);
    QTest::newRow("main canvas at four times") << QSize(800, 800) << 4.0 << QSize(3200, 3200);
    QTest::newRow("geometric box") << QSize(609, 609) << 1.0 << QSize(609, 609);
    QTest::newRow("geometric box at four times") << QSize(609, 609) << 4.0 << QSize(2436, 2436);
}

void TestExport::pngHoldsThePictureAtItsScale()
{
    QFETCH(QSize, size);
    QFETCH(qreal, scale);
    QFETCH(QSize, expectedSize);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pattern.png"));
    const FakePicture picture(size);

    const OutputResult result = savePng(picture, scale, QStringLiteral("QRV9051111"), path);
    QVERIFY2(result.ok(), qPrintable(outputErrorText(result.error)));
    const QImage saved(path, "png");
    QCOMPARE(saved.size(), expectedSize);

    // Drawn afresh at the scale, so edges stay sharp: the same pixels as the picture's own
    // rendering and not those of a smaller image stretched.
    QCOMPARE(asRgb32(saved), asRgb32(picture.render(scale)));
    if (scale != 1.0) {
        const QImage stretched = picture.render(1.0).scaled(expectedSize);
        QVERIFY(asRgb32(saved) != asRgb32(stretched));
    }
    for (int index = 0; index < 4; ++index) {
        const QPointF centre = FakePicture::dotCentre(index);
        const QPoint at(int(centre.x() * expectedSize.width()), int(centre.y() * expectedSize.height()));
        QCOMPARE(saved.pixelColor(at), FakePicture::dotColour(index));
    }
}

void TestExport::fewColoursGetAColourTable_data()
{
    QTest::addColumn<int>("colours");
    QTest::addColumn<bool>("indexed");
    QTest::newRow("one colour") << 1 << true;
    QTest::newRow("a slide's handful") << 6 << true;
    QTest::newRow("a full table") << 256 << true;
    QTest::newRow("one too many") << 257 << false;
    QTest::newRow("a gradient") << 5000 << false;
}

void TestExport::fewColoursGetAColourTable()
{
    QFETCH(int, colours);
    QFETCH(bool, indexed);
    // Runs of each colour, the last colour appearing only in the last pixel.
    QImage image(100, 60, QImage::Format_RGB32);
    const int pixels = image.width() * image.height();
    for (int i = 0; i < pixels; ++i) {
        const int colour = i == pixels - 1 ? colours - 1 : (i / 3) % std::max(1, colours - 1);
        image.setPixel(i % image.width(), i / image.width(), qRgb(colour % 256, colour / 256, 77));
    }

    const auto* bits = reinterpret_cast<const QRgb*>(image.constBits());
    const auto found = fewColoursOf(bits, std::size_t(pixels));
    QCOMPARE(found.has_value(), indexed);
    if (found)
        QCOMPARE(int(found->size()), colours);
}

void TestExport::pngCarriesCodeAndProgramName()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pattern.png"));
    const QString code = QStringLiteral("QRV0.00015123.45670.5");
    QVERIFY(savePng(FakePicture(), 1.0, code, path).ok());

    const QMap<QString, QString> chunks = pngTextChunks(readAll(path));
    QCOMPARE(chunks.value(QStringLiteral("Title")), code);
    QCOMPARE(chunks.value(QStringLiteral("Software")), programName);
    QVERIFY(chunks.value(QStringLiteral("Description")).contains(code));
    QVERIFY(chunks.value(QStringLiteral("Description")).contains(programName));

    QImageReader reader(path);
    QCOMPARE(reader.text(QStringLiteral("Title")), code);
    QCOMPARE(reader.text(QStringLiteral("Software")), programName);
}

void TestExport::otherPictureExtensions_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QByteArray>("magic");
    const QByteArray png("\x89PNG", 4);
    QTest::newRow("png") << "a.png" << "a.png" << QByteArray("png") << png;
    QTest::newRow("PNG in capitals") << "a.PNG" << "a.PNG" << QByteArray("png") << png;
    QTest::newRow("jpg") << "a.jpg" << "a.jpg" << QByteArray("jpeg") << QByteArray("\xFF\xD8\xFF", 3);
    QTest::newRow("JPEG in capitals") << "a.JPEG" << "a.JPEG" << QByteArray("jpeg") << QByteArray("\xFF\xD8\xFF", 3);
    QTest::newRow("bmp") << "a.bmp" << "a.bmp" << QByteArray("bmp") << QByteArray("BM");
    QTest::newRow("unknown extension") << "a.xyz" << "a.xyz.png" << QByteArray("png") << png;
    QTest::newRow("dots in the name") << "my.pattern" << "my.pattern.png" << QByteArray("png") << png;
    // WebP only where Qt's plugin for it is installed; a .png is added otherwise.
    if (QImageWriter::supportedImageFormats().contains("webp"))
        QTest::newRow("webp") << "a.webp" << "a.webp" << QByteArray("webp") << QByteArray("RIFF");
    else
        QTest::newRow("webp without its plugin") << "a.webp" << "a.webp.png" << QByteArray("png") << png;
}

// A name typed with another picture extension gets that format where Qt can write it (before,
// a .jpg held PNG data); any other extension gets ".png" added.
void TestExport::otherPictureExtensions()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QByteArray, format);
    QFETCH(QByteArray, magic);
    QTemporaryDir folder;
    const PictureTarget target = pictureTargetFor(folder.filePath(typed));
    QCOMPARE(target.path, folder.filePath(written));
    QCOMPARE(qtImageFormat(target.format), format);
    QVERIFY(save(FakePicture(QSize(120, 80)), 2.0, target.format, QStringLiteral("QRV9051111"), target.path).ok());
    QFile file(target.path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(magic.size()) == magic);
    QCOMPARE(QImage(target.path).size(), QSize(240, 160));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{written});
}

void TestExport::pngReplacesAnOlderFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pattern.png"));
    QVERIFY(savePng(FakePicture(QSize(800, 800), Qt::white), 1.0, QStringLiteral("A"), path).ok());
    QVERIFY(savePng(FakePicture(QSize(800, 800), Qt::black), 1.0, QStringLiteral("B"), path).ok());
    QCOMPARE(QImage(path).pixelColor(2, 790), QColor(Qt::black));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("pattern.png")});
}

void TestExport::svgCarriesCodeAndProgramName()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pattern.svg"));
    // The combo boxes take any typed text, so the code may hold XML's own characters.
    const QString code = QStringLiteral("QRV<9>&\"5'1111");
    const OutputResult result = saveSvg(FakePicture(), code, path);
    QVERIFY2(result.ok(), qPrintable(outputErrorText(result.error)));

    QXmlStreamReader xml(readAll(path));
    QString title;
    QString description;
    QString viewBox;
    QString size;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("svg") && viewBox.isEmpty()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            viewBox = attributes.value(QLatin1String("viewBox")).toString();
            size = attributes.value(QLatin1String("width")).toString() + u' '
                   + attributes.value(QLatin1String("height")).toString();
        } else if (xml.name() == QLatin1String("title") && title.isEmpty())
            title = xml.readElementText();
        else if (xml.name() == QLatin1String("desc") && description.isEmpty())
            description = xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(title, code);
    QVERIFY(description.contains(code));
    QVERIFY(description.contains(programName));
    QCOMPARE(viewBox.simplified(), QStringLiteral("0 0 800 800"));
    QCOMPARE(size, QStringLiteral("800 800")); // in pixels, not rounded millimetres
}

void TestExport::pngGivesBackTheFullCode_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QString>("fullCode");
    QTest::addColumn<QByteArray>("chunkType");
    for (qreal scale : {1.0, 4.0}) {
        for (int length : {10, 40, 64}) {
            QTest::addRow("%d characters at %gx", length, scale)
                << scale << fullCodeOf(length) << QByteArray(length < 40 ? "tEXt" : "zTXt");
        }
    }
    QTest::newRow("no full code") << 1.0 << QString() << QByteArray();
}

void TestExport::pngGivesBackTheFullCode()
{
    QFETCH(qreal, scale);
    QFETCH(QString, fullCode);
    QFETCH(QByteArray, chunkType);
    const QString shortCode = QStringLiteral("QRV9051111");
    const QByteArray png = encode(FakePicture(), scale, ExportFormat::Png, shortCode, fullCode);
    const PatternFileCode read = readPatternCodeFromBytes(png);
    QCOMPARE(read.code, fullCode);
    QCOMPARE(read.problem, fullCode.isEmpty() ? PatternFileProblem::NoCode : PatternFileProblem::None);
    if (fullCode.isEmpty())
        return;
    // The reader never decodes the picture, so the code must come before the image data.
    const qsizetype chunk = png.indexOf(chunkType + patternCodeKeyword);
    QVERIFY(chunk > 0);
    QVERIFY(chunk < png.indexOf("IDAT"));
    QCOMPARE(pngTextChunks(png).value(QStringLiteral("Title")), shortCode);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pattern.png"));
    QVERIFY(savePng(FakePicture(), scale, shortCode, path, fullCode).ok());
    QCOMPARE(readPatternFileCode(path).code, fullCode);
    QCOMPARE(QImageReader(path).text(QLatin1String(patternCodeKeyword)), fullCode);
}

void TestExport::svgGivesBackTheFullCode_data()
{
    QTest::addColumn<QString>("fullCode");
    for (int length : {10, 40, 64})
        QTest::addRow("%d characters", length) << fullCodeOf(length);
    QTest::newRow("xml's own characters") << QStringLiteral("TN1<9>&\"5'1");
    QTest::newRow("no full code") << QString();
}

void TestExport::svgGivesBackTheFullCode()
{
    QFETCH(QString, fullCode);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pattern.svg"));
    QVERIFY(saveSvg(FakePicture(), QStringLiteral("QRV9051111"), path, fullCode).ok());
    const PatternFileCode read = readPatternFileCode(path);
    QCOMPARE(read.code, fullCode);
    QCOMPARE(read.problem, fullCode.isEmpty() ? PatternFileProblem::NoCode : PatternFileProblem::None);

    // Still one well-formed document with the short code as its title.
    QXmlStreamReader xml(readAll(path));
    QString title;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("title"))
            title = xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(title, QStringLiteral("QRV9051111"));
}

void TestExport::svgDrawsLikeThePng_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("main canvas") << QSize(800, 800);
    QTest::newRow("geometric box") << QSize(609, 609);
}

void TestExport::svgDrawsLikeThePng()
{
    QFETCH(QSize, size);
    const QString converter = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
    if (converter.isEmpty())
        QSKIP("rsvg-convert (Debian package librsvg2-bin) is not installed; the SVG is not checked in another renderer");
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("pattern.svg"));
    const QString png = dir.filePath(QStringLiteral("pattern.png"));
    const QString converted = dir.filePath(QStringLiteral("converted.png"));
    const FakePicture picture(size);
    // With the full code in its metadata, which a renderer must pass over.
    QVERIFY(saveSvg(picture, QStringLiteral("QRV9051111"), svg, fullCodeOf(64)).ok());
    QVERIFY(savePng(picture, 1.0, QStringLiteral("QRV9051111"), png).ok());

    // No size is given: the file's own must open at the picture's pixel size.
    QProcess process;
    process.start(converter, {QStringLiteral("-o"), converted, svg});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());

    const QImage other(converted);
    QCOMPARE(other.size(), size);
    const Likeness likeness = compare(other, QImage(png), 24);
    QVERIFY2(likeness.matching > 0.995, qPrintable(QString::number(likeness.matching)));
    QVERIFY2(likeness.meanDifference < 0.5, qPrintable(QString::number(likeness.meanDifference)));
}

void TestExport::failedSaveLeavesNoFile_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<OutputError>("error");
    QTest::newRow("folder that does not exist") << "missing/pattern.png" << OutputError::FolderMissing;
    QTest::newRow("name that is a folder") << "folder" << OutputError::TargetIsFolder;
    QTest::newRow("folder that cannot be written") << "locked/pattern.png" << OutputError::FolderNotWritable;
    QTest::newRow("device that is full") << "/dev/full" << OutputError::TargetNotRegularFile;
}

void TestExport::failedSaveLeavesNoFile()
{
    QFETCH(QString, where);
    QFETCH(OutputError, error);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner);
    QString path = where.startsWith('/') ? where : dir.filePath(where);
    if (where.startsWith(QLatin1String("locked"))) {
        QFile probe(dir.filePath(QStringLiteral("locked/probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            // A privileged user writes anywhere he owns; sysfs takes no new files from anyone.
            probe.remove();
            path = QStringLiteral("/sys/pattern.png");
            if (QFile::exists(path) || QFileInfo(QStringLiteral("/sys")).isFile())
                QSKIP("no folder here refuses new files");
        }
    }
    const bool wasDevice = QFileInfo(path).exists() && !QFileInfo(path).isFile();

    for (bool svg : {false, true}) {
        const OutputResult result = svg ? saveSvg(FakePicture(), QStringLiteral("QRV"), path)
                                        : savePng(FakePicture(), 4.0, QStringLiteral("QRV"), path);
        QCOMPARE(result.error, error);
    }
    // Nothing was left behind: no file of that name, no temporary file beside it, and a device
    // stays the device it was.
    if (wasDevice)
        QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
    else
        QVERIFY(!QFileInfo(path).isFile());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(QDir(dir.filePath(QStringLiteral("folder"))).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("pattern.png*")}, QDir::Files | QDir::Hidden),
             QStringList());
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestExport::fullDiskKeepsTheOlderFileWhole_data()
{
    QTest::addColumn<bool>("svg");
    QTest::newRow("png") << false;
    QTest::newRow("svg") << true;
}

void TestExport::fullDiskKeepsTheOlderFileWhole()
{
    QFETCH(bool, svg);
    QTemporaryDir dir;
    const QString path = dir.filePath(svg ? QStringLiteral("pattern.svg") : QStringLiteral("pattern.png"));
    const QByteArray older("an older pattern");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(older);
    }
    const FakePicture picture;
    const qsizetype room = 2048;
    QVERIFY(encode(picture, 1.0, ExportFormat::Png, QStringLiteral("QRV")).size() > room);
    QVERIFY(encode(picture, 1.0, ExportFormat::Svg, QStringLiteral("QRV")).size() > room);

    OutputResult result;
    {
        const FileSizeLimit limit(room);
        result = svg ? saveSvg(picture, QStringLiteral("QRV"), path) : savePng(picture, 1.0, QStringLiteral("QRV"), path);
    }
    QCOMPARE(result.error, OutputError::WriteFailed);
    QCOMPARE(readAll(path), older);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(path).fileName()});
}

// Each failure as the library names it, and the program's words for it: a full disk only when the
// disk is full.
void TestExport::failuresAreNamedForWhatTheyAre_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("room");       // bytes the disk takes (0: no limit)
    QTest::addColumn<QString>("fullCode");
    QTest::addColumn<OutputError>("error");
    QTest::addColumn<QString>("says");
    const QString name300 = QString(296, u'长') + QStringLiteral(".png");
    QTest::newRow("300-character file name") << ExportFormat::Png << name300 << qint64(0) << QString()
                                             << OutputError::NameTooLong << QStringLiteral("文件名太长");
    QTest::newRow("300 latin characters") << ExportFormat::Png << QString(296, u'n') + QStringLiteral(".png") << qint64(0)
                                          << QString() << OutputError::NameTooLong << QStringLiteral("文件名太长");
    QTest::newRow("255 bytes is still a name") << ExportFormat::Png << QString(251, u'n') + QStringLiteral(".png")
                                               << qint64(0) << QString() << OutputError::None << QString();
    QTest::newRow("bmp on a full disk") << ExportFormat::Bmp << QStringLiteral("p.bmp") << qint64(2048) << QString()
                                        << OutputError::WriteFailed << QStringLiteral("磁盘已满");
    QTest::newRow("jpeg on a full disk") << ExportFormat::Jpeg << QStringLiteral("p.jpg") << qint64(2048) << QString()
                                         << OutputError::WriteFailed << QStringLiteral("磁盘已满");
    QTest::newRow("png header on a full disk") << ExportFormat::Png << QStringLiteral("p.png") << qint64(16) << QString()
                                               << OutputError::WriteFailed << QStringLiteral("磁盘已满");
}

void TestExport::failuresAreNamedForWhatTheyAre()
{
    QFETCH(ExportFormat, format);
    QFETCH(QString, name);
    QFETCH(qint64, room);
    QFETCH(QString, fullCode);
    QFETCH(OutputError, error);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const FakePicture picture;
    OutputResult result;
    {
        const FileSizeLimit limit(room > 0 ? rlim_t(room) : RLIM_INFINITY);
        result = save(picture, 1.0, format, QStringLiteral("QRV"), path, fullCode);
    }
    QCOMPARE(result.error, error);
    const QString message = saveFailureMessage(path, result.error);
    if (!says.isEmpty())
        QVERIFY2(message.contains(says), qPrintable(message));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), error == OutputError::None ? 1 : 0);
}

// A newline or another control character in a file's name is shown escaped: the reason stays on
// its line.
void TestExport::pathsInMessagesStayOneLine_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    QTest::newRow("newline") << QStringLiteral("/tmp/a\nb.png") << QStringLiteral("/tmp/a\\nb.png");
    QTest::newRow("carriage return and tab") << QStringLiteral("/tmp/a\r\tb.png") << QStringLiteral("/tmp/a\\r\\tb.png");
    QTest::newRow("escape") << QStringLiteral("/tmp/\x1b[2Jb.png") << QStringLiteral("/tmp/\\u001b[2Jb.png");
    QTest::newRow("line separator") << QStringLiteral("/tmp/a\u2028b.png") << QStringLiteral("/tmp/a\\u2028b.png");
    QTest::newRow("chinese stays") << QStringLiteral("/tmp/图案 1.png") << QStringLiteral("/tmp/图案 1.png");
}

void TestExport::pathsInMessagesStayOneLine()
{
    QFETCH(QString, path);
    QFETCH(QString, shown);
    const QString line = exportFailureLine(path, OutputError::FolderMissing);
    QVERIFY2(line.contains(shown), qPrintable(line));
    QVERIFY2(!line.contains(u'\n') && !line.contains(u'\r') && !line.contains(QChar(0x2028)), qPrintable(line));
    const QString message = saveFailureMessage(path, OutputError::FolderMissing);
    QVERIFY2(message.contains(shown), qPrintable(message));
    QCOMPARE(message.count(u'\n'), 2); // the three lines of the box, no more
}

void TestExport::clipboardHoldsImageAndCode_data()
{
    QTest::addColumn<QString>("fullCode");
    QTest::addColumn<QString>("text");
    QTest::newRow("pattern code alone") << QString() << "QRV960012.5";
    QTest::newRow("full code given") << fullCodeOf(64) << fullCodeOf(64);
}

void TestExport::clipboardHoldsImageAndCode()
{
    QFETCH(QString, fullCode);
    QFETCH(QString, text);
    const FakePicture picture(QSize(609, 609));
    copyPattern(patternOf(picture, QStringLiteral("QRV960012.5"), fullCode));
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime);
    QVERIFY(mime->hasImage());
    QVERIFY(mime->hasText());
    QCOMPARE(mime->text(), text);
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    QCOMPARE(asRgb32(image), asRgb32(picture.render(1.0)));
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
