#include "draw/output/PatternMetadata.h"

#include "draw/base/ProgramTitle.h"
#include "draw/pattern/PatternFileReader.h"

#include <QRegularExpression>

#include <algorithm>

QString patternDescription(const QString& code)
{
    return QStringLiteral("图案代码 %1，%2 作品").arg(code, applicationTitle());
}

QList<PngText> patternPngTexts(const QString& code, const QString& fullCode)
{
    QList<PngText> texts = {{"Title", code}, {"Description", patternDescription(code)}, {"Software", applicationTitle()}};
    if (!fullCode.isEmpty())
        texts.append({patternCodeKeyword, fullCode});
    return texts;
}

QList<QByteArray> patternJpegComments(const QString& code, const QString& fullCode)
{
    QList<PngText> texts = patternPngTexts(code, fullCode);
    std::sort(texts.begin(), texts.end(), [](const PngText& a, const PngText& b) { return a.keyword < b.keyword; });
    QList<QByteArray> comments;
    // A marker holds at most 65533 bytes.
    for (const PngText& text : texts)
        comments.append((text.keyword + ": " + text.text.toUtf8()).left(65533));
    return comments;
}

// In metadata of our own namespace, which renderers leave alone; after the title and description,
// which viewers expect first.
void insertSvgCodeMetadata(QByteArray& svg, const QString& fullCode)
{
    const qsizetype root = svg.indexOf("<svg");
    const qsizetype rootEnd = root < 0 ? -1 : svg.indexOf('>', root);
    if (rootEnd < 0)
        return;
    const qsizetype description = svg.indexOf("</desc>", rootEnd);
    const qsizetype at = description < 0 ? rootEnd + 1 : description + qsizetype(sizeof("</desc>") - 1);
    const QString metadata = QStringLiteral("\n<metadata><pd:%1 xmlns:pd=\"%2\">%3</pd:%1></metadata>")
                                 .arg(QLatin1String(patternCodeElement), QLatin1String(patternCodeNamespace),
                                      fullCode.toHtmlEscaped());
    svg.insert(at, metadata.toUtf8());
}

void setSvgSize(QByteArray& svg, const QString& width, const QString& height)
{
    // The generator gives the size in millimetres, rounded (211.667mm for 800 px), which some
    // viewers open a pixel larger.
    static const QRegularExpression millimetres(QStringLiteral(R"(^<svg width="[0-9.]+mm" height="[0-9.]+mm")"),
                                                QRegularExpression::MultilineOption);
    const QString exact = QStringLiteral(R"(<svg width="%1" height="%2")").arg(width, height);
    const QRegularExpressionMatch match = millimetres.match(QString::fromLatin1(svg.left(4096)));
    if (match.hasMatch())
        svg.replace(match.capturedStart(), match.capturedLength(), exact.toLatin1());
}

QByteArray patternXmp(const QString& code, const QString& fullCode)
{
    const QString xmp = QStringLiteral(
        "<?xpacket begin=\"\uFEFF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmlns:pd=\"%1\">\n"
        "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%2</rdf:li></rdf:Alt></dc:title>\n"
        "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">%3</rdf:li></rdf:Alt></dc:description>\n"
        "<xmp:CreatorTool>%4</xmp:CreatorTool>\n"
        "<pd:%5>%6</pd:%5>\n"
        "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>");
    return xmp.arg(QLatin1String(patternCodeNamespace), code.toHtmlEscaped(), patternDescription(code).toHtmlEscaped(),
                   applicationTitle().toHtmlEscaped(), QLatin1String(patternCodeElement), fullCode.toHtmlEscaped())
        .toUtf8();
}
