// The full pattern code: what it holds, what it refuses, where it is found, and that a code draws
// the same pixels as the show did and as it did when the code was first made.

#include "CurveFixture.h"
#include "PatternCodeFixtures.h"

#include "app/messages/PatternMessages.h"
#include "draw/base/Numbers.h"
#include "draw/base/Random.h"
#include "draw/curves/SlideShow.h"
#include "draw/pattern/CodeSymbols.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/stars/GeometricSlide.h"
#include "draw/surface/Surface.h"

#include <QFile>
#include <QTest>

#include <bit>
#include <limits>

using PatternCode::Problem;

namespace {

const QString alphabet = QStringLiteral("0123456789ABCDEFGHJKMNPQRSTVWXYZ");

SlideRecipe curveRecipe(std::uint32_t state, int width, std::optional<double> divisor, Colour back)
{
    SlideRecipe recipe;
    recipe.randomState = state;
    recipe.width = width;
    recipe.divisor = divisor;
    recipe.backColour = back;
    return recipe;
}

SlideRecipe withGradient(SlideRecipe recipe, Colour c1, Colour c2, float angle, QSize area)
{
    recipe.gradient = GradientRecipe{c1, c2, angle, area};
    return recipe;
}

SlideRecipe geometricRecipe(std::uint32_t state, int width)
{
    SlideRecipe recipe;
    recipe.window = PatternWindow::Geometric;
    recipe.randomState = state;
    recipe.width = width;
    return recipe;
}

// A code whose version symbol is `version`, with a check that holds: what a later program might
// write.
QString codeOfVersion(const QString& code, int version)
{
    std::vector<int> body;
    for (const QChar c : QStringView(code).sliced(2, code.size() - 2 - CodeSymbols::checksumLength))
        body.push_back(*CodeSymbols::symbolValue(c));
    body[0] = version;
    const std::vector<int> check = CodeSymbols::checksum(body);
    QString result = QStringLiteral("TN");
    for (const int symbol : body)
        result += CodeSymbols::symbolChar(symbol);
    for (const int symbol : check)
        result += CodeSymbols::symbolChar(symbol);
    return result;
}

// A version 1 code written field by field, as the layout gives them, with its check: codes that
// no encoder writes can be made too.
using Fields = QList<QPair<quint64, int>>;

QString codeFromFields(const Fields& fields)
{
    SymbolWriter writer;
    writer.put(1, 5);
    for (const auto& [value, bits] : fields)
        writer.put(value, bits);
    std::vector<int> symbols = writer.symbols();
    const std::vector<int> check = CodeSymbols::checksum(symbols);
    symbols.insert(symbols.end(), check.begin(), check.end());
    QString code = QStringLiteral("TN");
    for (const int symbol : symbols)
        code += CodeSymbols::symbolChar(symbol);
    return code;
}

// A curves slide without gradient: window, gradient, state, width - 1, category, colour kind, colour.
Fields curveFields(quint64 state, quint64 widthLess1, quint64 category)
{
    return {{0, 1}, {0, 1}, {state, 32}, {widthLess1, 15}, {category, 5}, {0, 1}, {0xC0FFC0, 24}};
}

// A geometric slide on a gradient: the gradient's fields follow the window's.
Fields gradientFields(quint64 angleKind, quint64 angle, int angleBits, quint64 width, quint64 height)
{
    return {{1, 1}, {1, 1}, {7, 32}, {8, 15}, {0, 1}, {0x102030, 24}, {0x405060, 24},
            {angleKind, 1}, {angle, angleBits}, {width, 15}, {height, 15}};
}

} // namespace

Q_DECLARE_METATYPE(SlideRecipe)

class TestPatternCode : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void lengthStaysWithinLimits();
    void everySingleCharacterChangeIsRejected();
    void insertionsAndDeletionsAreRejected();
    void caseAndLookalikesAreForgiven();
    void unnameableRecipesGiveNoCode();
    void textsThatAreNoCode_data();
    void textsThatAreNoCode();
    void eachFieldAtItsEdges_data();
    void eachFieldAtItsEdges();
    void findsCodeInPastedText_data();
    void findsCodeInPastedText();
    void categoryTextsReadBackExactly();
    void replayDrawsWhatTheShowDrew();
    void replayLeavesTheShowsSequenceAlone();
    void goldenCodesDrawTheirPictures();
};

void TestPatternCode::roundTrip_data()
{
    QTest::addColumn<SlideRecipe>("recipe");
    QTest::newRow("curves, start category, plain colour") << curveRecipe(0x2545F491u, 4, 90.0, RGB(255, 192, 255));
    QTest::newRow("curves, last list category") << curveRecipe(12345, 12, 0.191919, RGB(0, 0, 0));
    QTest::newRow("curves, typed divisor") << curveRecipe(0xFFFFFFFFu, 32767, 123.456789012345, RGB(1, 2, 3));
    QTest::newRow("curves, divisor zero") << curveRecipe(7, 1, 0.0, RGB(9, 9, 9));
    QTest::newRow("curves, divisor minus zero") << curveRecipe(7, 1, -0.0, RGB(9, 9, 9));
    QTest::newRow("curves, divisor no number") << curveRecipe(7, 5, std::nullopt, RGB(9, 9, 9));
    QTest::newRow("curves, tiny divisor") << curveRecipe(7, 5, std::numeric_limits<double>::denorm_min(), RGB(9, 9, 9));
    QTest::newRow("curves, system colour reference")
        << curveRecipe(99, 3, 30.0, Colour::system(15));
    QTest::newRow("curves on gradient, whole angle")
        << withGradient(curveRecipe(5, 6, 2.5, RGB(255, 192, 255)), RGB(255, 255, 128), RGB(255, 128, 0), 315, QSize(800, 793));
    QTest::newRow("curves on gradient, fractional angle")
        << withGradient(curveRecipe(5, 6, 2.5, RGB(255, 192, 255)), RGB(1, 2, 3), RGB(4, 5, 6), 359.99997f, QSize(2, 2));
    QTest::newRow("geometric, plain") << geometricRecipe(0x80000000u, 9);
    QTest::newRow("geometric on gradient, held colours")
        << withGradient(geometricRecipe(3, 60), Colour(0x7FFFFFFFu), Colour(0x01000000u), 0, QSize(32767, 1));
}

void TestPatternCode::roundTrip()
{
    QFETCH(SlideRecipe, recipe);
    const QString code = PatternCode::encode(recipe);
    QVERIFY(code.startsWith(QStringLiteral("TN1")));
    const PatternCode::Reading reading = PatternCode::decode(code);
    QCOMPARE(reading.problem, Problem::None);
    QVERIFY(reading.recipe.has_value());
    QVERIFY(*reading.recipe == recipe);
    // Bit for bit, minus zero included.
    if (recipe.divisor)
        QCOMPARE(std::bit_cast<std::uint64_t>(*reading.recipe->divisor), std::bit_cast<std::uint64_t>(*recipe.divisor));
    QCOMPARE(PatternCode::encode(*reading.recipe), code);
    for (const QChar c : QStringView(code).sliced(2))
        QVERIFY2(alphabet.contains(c), qPrintable(code));
}

void TestPatternCode::lengthStaysWithinLimits()
{
    // The longest of each kind: a typed divisor, held colours, a fractional angle.
    const SlideRecipe plain = curveRecipe(0xFFFFFFFFu, 32767, 1.0 / 3.0, Colour(0x7FFFFFFFu));
    const SlideRecipe gradient = withGradient(plain, Colour(0x7FFFFFFFu), Colour(0x7FFFFFFFu), 0.5f, QSize(32767, 32767));
    QVERIFY2(PatternCode::encode(plain).size() <= 40, qPrintable(PatternCode::encode(plain)));
    QVERIFY2(PatternCode::encode(gradient).size() <= 64, qPrintable(PatternCode::encode(gradient)));
    for (const SlideRecipe& recipe : sampleRecipes(300)) {
        const QString code = PatternCode::encode(recipe);
        QVERIFY(code.size() <= (recipe.gradient ? 64 : 40));
    }
}

void TestPatternCode::everySingleCharacterChangeIsRejected()
{
    int codes = 0;
    for (const SlideRecipe& recipe : sampleRecipes(1000)) {
        const QString code = PatternCode::encode(recipe);
        QVERIFY(!code.isEmpty());
        ++codes;
        for (qsizetype at = 0; at < code.size(); ++at) {
            for (const QChar replacement : alphabet + QStringLiteral("U*")) {
                if (replacement == code[at])
                    continue;
                QString changed = code;
                changed[at] = replacement;
                const PatternCode::Reading reading = PatternCode::decode(changed);
                if (reading.recipe)
                    QFAIL(qPrintable(QStringLiteral("%1 accepted as %2").arg(changed, code)));
            }
        }
    }
    QCOMPARE(codes, 1000);
}

void TestPatternCode::insertionsAndDeletionsAreRejected()
{
    for (const SlideRecipe& recipe : sampleRecipes(200)) {
        const QString code = PatternCode::encode(recipe);
        for (qsizetype at = 0; at < code.size(); ++at) {
            QString shorter = code;
            shorter.remove(at, 1);
            QVERIFY2(!PatternCode::decode(shorter).recipe, qPrintable(shorter));
            for (const QChar extra : {u'0', u'7', u'Z'}) {
                QString longer = code;
                longer.insert(at, extra);
                QVERIFY2(!PatternCode::decode(longer).recipe, qPrintable(longer));
            }
        }
    }
}

void TestPatternCode::caseAndLookalikesAreForgiven()
{
    const SlideRecipe recipe = sampleRecipes(5)[3];
    const QString code = PatternCode::encode(recipe);
    QVERIFY(PatternCode::decode(code.toLower()).recipe == recipe);
    QString handCopied = code;
    for (qsizetype at = 2; at < handCopied.size(); ++at) {
        if (handCopied[at] == u'0')
            handCopied[at] = u'O';
        else if (handCopied[at] == u'1')
            handCopied[at] = at % 2 ? u'l' : u'I';
    }
    QVERIFY(PatternCode::decode(handCopied).recipe == recipe);
}

void TestPatternCode::unnameableRecipesGiveNoCode()
{
    QVERIFY(PatternCode::encode(curveRecipe(0, 4, 90.0, RGB(0, 0, 0))).isEmpty());
    QVERIFY(PatternCode::encode(curveRecipe(1, 0, 90.0, RGB(0, 0, 0))).isEmpty());
    QVERIFY(PatternCode::encode(curveRecipe(1, 32768, 90.0, RGB(0, 0, 0))).isEmpty());
    QVERIFY(PatternCode::encode(curveRecipe(1, 4, std::numeric_limits<double>::infinity(), RGB(0, 0, 0))).isEmpty());
    QVERIFY(PatternCode::encode(withGradient(geometricRecipe(1, 4), RGB(0, 0, 0), RGB(0, 0, 0), 0, QSize(32768, 5)))
                .isEmpty());
}

void TestPatternCode::textsThatAreNoCode_data()
{
    const QString code = PatternCode::encode(curveRecipe(0x2545F491u, 4, 90.0, RGB(255, 192, 255)));
    QString lastChanged = code;
    lastChanged.back() = lastChanged.back() == u'A' ? u'B' : u'A';

    QTest::addColumn<QString>("text");
    QTest::addColumn<Problem>("problem");
    QTest::newRow("empty") << QString() << Problem::NotACode;
    QTest::newRow("the short pattern code") << QStringLiteral("QRV9051111") << Problem::NotACode;
    QTest::newRow("prose") << QStringLiteral("今天的图案很好看，TNT 也不是代码") << Problem::NotACode;
    QTest::newRow("last character changed") << lastChanged << Problem::Damaged;
    QTest::newRow("cut short") << code.left(code.size() - 3) << Problem::Damaged;
    QTest::newRow("version 0") << codeOfVersion(code, 0) << Problem::Damaged;
    QTest::newRow("version 2") << codeOfVersion(code, 2) << Problem::NewerVersion;
    QTest::newRow("version 31 in prose") << QStringLiteral("新代码：%1。").arg(codeOfVersion(code, 31))
                                        << Problem::NewerVersion;
    QTest::newRow("a megabyte of TN") << QString(QStringLiteral("TN")).repeated(500000) << Problem::Damaged;
    QTest::newRow("TN and 131,000 zeros") << QStringLiteral("TN") + QString(131000, u'0') << Problem::Damaged;
}

void TestPatternCode::textsThatAreNoCode()
{
    QFETCH(QString, text);
    QFETCH(Problem, problem);
    const PatternCode::Reading reading = PatternCode::find(text);
    QVERIFY(!reading.recipe);
    QCOMPARE(reading.problem, problem);
    QVERIFY(!patternCodeProblemText(problem).isEmpty());
}

void TestPatternCode::eachFieldAtItsEdges_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("read");
    QTest::newRow("random state 1") << codeFromFields(curveFields(1, 0, 0)) << true;
    QTest::newRow("random state 0") << codeFromFields(curveFields(0, 0, 0)) << false;
    QTest::newRow("width 32767") << codeFromFields(curveFields(5, 32766, 0)) << true;
    QTest::newRow("width 32768") << codeFromFields(curveFields(5, 32767, 0)) << false;
    QTest::newRow("last category of the list") << codeFromFields(curveFields(5, 3, 23)) << true;
    QTest::newRow("first category past the list") << codeFromFields(curveFields(5, 3, 24)) << false;
    QTest::newRow("last unused category") << codeFromFields(curveFields(5, 3, 29)) << false;
    QTest::newRow("no number") << codeFromFields(curveFields(5, 3, 30)) << true;
    const auto bits = [](float angle) { return quint64(std::bit_cast<std::uint32_t>(angle)); };
    QTest::newRow("angle 359") << codeFromFields(gradientFields(0, 359, 9, 10, 10)) << true;
    QTest::newRow("angle 360") << codeFromFields(gradientFields(0, 360, 9, 10, 10)) << false;
    QTest::newRow("angle 511") << codeFromFields(gradientFields(0, 511, 9, 10, 10)) << false;
    QTest::newRow("angle 0.5 as a float") << codeFromFields(gradientFields(1, bits(0.5f), 32, 10, 10)) << true;
    QTest::newRow("angle 90 as a float") << codeFromFields(gradientFields(1, bits(90.0f), 32, 10, 10)) << false;
    QTest::newRow("angle infinite") << codeFromFields(gradientFields(1, bits(std::numeric_limits<float>::infinity()), 32, 10, 10))
                                    << false;
    QTest::newRow("area 1 x 32767") << codeFromFields(gradientFields(0, 45, 9, 1, 32767)) << true;
    QTest::newRow("area 0 wide") << codeFromFields(gradientFields(0, 45, 9, 0, 10)) << false;
    QTest::newRow("area 0 high") << codeFromFields(gradientFields(0, 45, 9, 10, 0)) << false;
    Fields padded = curveFields(5, 3, 0);
    padded.append({1, 1}); // a set bit after the last field
    QTest::newRow("padding not zero") << codeFromFields(padded) << false;
    Fields longer = curveFields(5, 3, 0);
    longer.append({0, 10}); // a whole symbol more than the fields need
    QTest::newRow("a symbol too many") << codeFromFields(longer) << false;
}

// Every field read at its last valid and its first invalid value: a decoder that took a value no
// encoder writes would give one slide two codes.
void TestPatternCode::eachFieldAtItsEdges()
{
    QFETCH(QString, code);
    QFETCH(bool, read);
    const PatternCode::Reading reading = PatternCode::decode(code);
    QCOMPARE(reading.recipe.has_value(), read);
    QCOMPARE(reading.problem, read ? Problem::None : Problem::Damaged);
    if (read)
        QCOMPARE(PatternCode::encode(*reading.recipe), code);
}

void TestPatternCode::findsCodeInPastedText_data()
{
    const SlideRecipe recipe = withGradient(curveRecipe(424242, 7, 0.5, RGB(10, 20, 30)), RGB(255, 255, 128),
                                            RGB(255, 128, 0), 45, QSize(804, 796));
    const QString code = PatternCode::encode(recipe);
    QString fullWidth;
    for (const QChar c : code)
        fullWidth += QChar(c.unicode() + 0xFEE0); // Ａ..Ｚ, ０..９

    QTest::addColumn<QString>("text");
    QTest::addColumn<SlideRecipe>("recipe");
    QTest::newRow("alone") << code << recipe;
    QTest::newRow("blanks and line breaks") << QStringLiteral("\n\t  %1  \r\n").arg(code) << recipe;
    QTest::newRow("in an English sentence") << QStringLiteral("Try this one: %1 - lovely!").arg(code) << recipe;
    QTest::newRow("between Chinese punctuation") << QStringLiteral("图案代码：%1，很漂亮。").arg(code) << recipe;
    QTest::newRow("between full-width dashes") << QStringLiteral("－%1－").arg(code) << recipe;
    QTest::newRow("full-width letters") << QStringLiteral("代码「%1」").arg(fullWidth) << recipe;
    QTest::newRow("lower case in quotes") << QStringLiteral("\"%1\"").arg(code.toLower()) << recipe;
    QTest::newRow("run into a word") << QStringLiteral("%1thanks").arg(code) << recipe;
    QTest::newRow("after a damaged one") << QStringLiteral("%1 %2").arg(code.left(30), code) << recipe;
    // Long hostile texts: the search must stay linear in their length (a search that tried every
    // end of every run would not finish here).
    QTest::newRow("after a megabyte of TN") << QString(QStringLiteral("TN")).repeated(500000) + u' ' + code << recipe;
    QTest::newRow("after TN and 131,000 zeros") << QStringLiteral("TN") + QString(131000, u'0') + u' ' + code << recipe;
    QTest::newRow("run into 200,000 symbols") << code + QString(200000, u'7') << recipe;
    QTest::newRow("at the end of a long run of TN") << QString(QStringLiteral("TN")).repeated(100000) + code << recipe;
}

void TestPatternCode::findsCodeInPastedText()
{
    QFETCH(QString, text);
    QFETCH(SlideRecipe, recipe);
    const PatternCode::Reading reading = PatternCode::find(text);
    QCOMPARE(reading.problem, Problem::None);
    QVERIFY(reading.recipe == recipe);
    QCOMPARE(reading.code, PatternCode::encode(recipe));
}

void TestPatternCode::categoryTextsReadBackExactly()
{
    QCOMPARE(categoryText(90.0), QStringLiteral("90"));
    QCOMPARE(categoryText(0.1010101), QStringLiteral("0.1010101"));
    QCOMPARE(categoryText(std::nullopt), QString());
    RandomStream random(77);
    for (int i = 0; i < 2000; ++i) {
        random.next();
        const std::uint64_t high = random.state();
        random.next();
        const double value = std::bit_cast<double>(high << 32 | random.state());
        if (!std::isfinite(value))
            continue;
        const auto back = textToNumber(categoryText(value));
        QVERIFY(back.has_value());
        QCOMPARE(std::bit_cast<std::uint64_t>(*back), std::bit_cast<std::uint64_t>(value));
    }
}

void TestPatternCode::replayDrawsWhatTheShowDrew()
{
    // The show on a canvas of its own, with a category, pen width and background that change
    // between slides; every slide's code drawn again must give the canvas's pixels.
    RandomSource::reset();
    FakeCurveControls show;
    const QStringList divisors{QStringLiteral("90"), QStringLiteral("0.6666"), QStringLiteral(" 12.75 "),
                               QStringLiteral("abc"), QStringLiteral("0")};
    const QStringList widths{QStringLiteral("5"), QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("7.5")};
    for (int tick = 0; tick < 12; ++tick) {
        show.divisor = divisors[tick % divisors.size()];
        show.penWidth = widths[tick % widths.size()];
        if (tick == 4)
            show.canvas.setBackColor(RGB(0, 64, 0));
        if (tick == 6) {
            auto gradient = std::make_shared<GradientPicture>(GradientRecipe{RGB(255, 255, 128), RGB(0, 0, 255), 200, QSize(640, 700)});
            show.canvas.setPicture(gradient->render(1.0), gradient);
        }
        const CurveSlide slide = slideShowTick(show);
        const auto recipe = recipeOf(slide);
        QVERIFY(recipe.has_value());
        const PatternCode::Reading reading = PatternCode::decode(PatternCode::encode(*recipe));
        QVERIFY(reading.recipe.has_value());
        QString shortCode;
        const auto picture = slidePicture(*reading.recipe, &shortCode);
        QCOMPARE(picture->render(1.0), show.canvas.Image());
        // The short code names the category and dot size the slide was drawn with.
        const QString params = show.params[0] + show.params[1] + show.params[2] + show.params[3];
        QVERIFY(show.patternCodeShown.endsWith(params));
        QCOMPARE(shortCode, QStringLiteral("QRV") + categoryText(recipe->divisor) + QString::number(recipe->width) + params);
    }

    Surface geometric;
    setUpPatternCanvas(PatternWindow::Geometric, geometric);
    for (int tick = 0; tick < 6; ++tick) {
        if (tick == 3) {
            auto gradient = std::make_shared<GradientPicture>(GradientRecipe{RGB(1, 2, 3), RGB(250, 0, 0), 90.5f, QSize(300, 900)});
            geometric.setPicture(gradient->render(1.0), gradient);
        }
        const GeometricSlide slide = drawNextGeometricSlide(geometric, tick % 2 ? QStringLiteral("30") : QStringLiteral("x"));
        const auto recipe = recipeOf(slide);
        QVERIFY(recipe.has_value());
        QString shortCode;
        const auto picture = slidePicture(*PatternCode::decode(PatternCode::encode(*recipe)).recipe, &shortCode);
        QCOMPARE(picture->render(1.0), geometric.Image());
        QCOMPARE(shortCode.right(8), slide.code.right(8));
    }

    // A picture without a recipe cannot be named.
    show.canvas.setPicture(QImage(QSize(10, 10), QImage::Format_RGB32));
    QVERIFY(!recipeOf(slideShowTick(show)).has_value());
}

void TestPatternCode::replayLeavesTheShowsSequenceAlone()
{
    RandomSource::reset();
    const float first = RandomSource::next();
    RandomSource::reset();
    slidePicture(sampleRecipes(1)[0]);
    slidePicture(geometricRecipe(5, 3));
    QCOMPARE(RandomSource::next(), first);
}

void TestPatternCode::goldenCodesDrawTheirPictures()
{
    // Codes once written must draw the same pixels in every later build, with every compiler.
    // DESIGNER_WRITE_GOLDEN=path writes the table afresh, once, when a new version is added.
    if (const QString path = qEnvironmentVariable("DESIGNER_WRITE_GOLDEN"); !path.isEmpty()) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Text));
        out.write("# code\tSHA-256 of the picture at its own size, 0xAARRGGBB words row by row\n");
        for (const SlideRecipe& recipe : sampleRecipes(120))
            out.write(PatternCode::encode(recipe).toLatin1() + '\t' + pictureDigest(*slidePicture(recipe)) + '\n');
        QSKIP("golden table written");
    }
    QFile file(QFINDTESTDATA("data/golden_codes.tsv"));
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), "tests/data/golden_codes.tsv is missing");
    int checked = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        QCOMPARE(fields.size(), 2);
        const PatternCode::Reading reading = PatternCode::decode(QString::fromLatin1(fields[0]));
        QVERIFY2(reading.recipe.has_value(), fields[0].constData());
        const auto picture = slidePicture(*reading.recipe);
        QCOMPARE(picture->size(), patternCanvasSize(reading.recipe->window));
        QCOMPARE(pictureDigest(*picture), fields[1]);
        ++checked;
    }
    QVERIFY(checked >= 100);
}

QTEST_APPLESS_MAIN(TestPatternCode)
#include "tst_patterncode.moc"
