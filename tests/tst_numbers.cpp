#include "draw/base/Numbers.h"
#include "draw/base/Random.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <set>

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// An empty QVariant stands for a failed conversion in the tables.
template <typename T>
QVariant asVariant(const std::optional<T>& value)
{
    return value ? QVariant::fromValue(*value) : QVariant();
}

QVariant failed() { return QVariant(); }

int significantDigits(const QString& text)
{
    QString mantissa = text.section(u'E', 0, 0);
    mantissa.remove(u'-').remove(u'.');
    while (mantissa.startsWith(u'0'))
        mantissa.remove(0, 1);
    while (mantissa.endsWith(u'0'))
        mantissa.chop(1);
    return int(mantissa.size());
}

} // namespace

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void nearestInteger_data();
    void nearestInteger();
    void textToNumber_data();
    void textToNumber();
    void negativeZeroKeepsItsSign();
    void textToInteger_data();
    void textToInteger();
    void numberToText_data();
    void numberToText();
    void numberTextReadsBackClose();
    void shortDecimalsRoundTripExactly();
    void randomSourceStaysInUnitInterval();
    void randomSourceReplaysAfterReset();
};

void TestNumbers::nearestInteger_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QVariant>("int16");
    QTest::addColumn<QVariant>("int32");

    QTest::newRow("2.5 ties down to even") << 2.5 << QVariant(2) << QVariant(2);
    QTest::newRow("3.5 ties up to even") << 3.5 << QVariant(4) << QVariant(4);
    QTest::newRow("-2.5 ties to even") << -2.5 << QVariant(-2) << QVariant(-2);
    QTest::newRow("-3.5 ties to even") << -3.5 << QVariant(-4) << QVariant(-4);
    QTest::newRow("0.5 goes to zero") << 0.5 << QVariant(0) << QVariant(0);
    QTest::newRow("7.5 gives 8") << 7.5 << QVariant(8) << QVariant(8);
    QTest::newRow("6.5 gives 6") << 6.5 << QVariant(6) << QVariant(6);
    QTest::newRow("just above a tie") << 2.5000001 << QVariant(3) << QVariant(3);
    QTest::newRow("16-bit top") << 32767.4 << QVariant(32767) << QVariant(32767);
    QTest::newRow("32767.5 overflows 16 bits") << 32767.5 << failed() << QVariant(32768);
    QTest::newRow("-32768.5 ties to the even bottom") << -32768.5 << QVariant(-32768) << QVariant(-32768);
    QTest::newRow("-32768.6 overflows 16 bits") << -32768.6 << failed() << QVariant(-32769);
    QTest::newRow("32-bit top") << 2147483646.5 << QVariant() << QVariant(2147483646);
    QTest::newRow("2147483647.5 overflows 32 bits") << 2147483647.5 << failed() << failed();
    QTest::newRow("-2147483648.5 ties to the even bottom") << -2147483648.5 << failed() << QVariant(-2147483647 - 1);
    QTest::newRow("-2147483649 overflows") << -2147483649.0 << failed() << failed();
    QTest::newRow("NaN") << notANumber << failed() << failed();
    QTest::newRow("infinity") << infinity << failed() << failed();
    QTest::newRow("minus infinity") << -infinity << failed() << failed();
}

void TestNumbers::nearestInteger()
{
    QFETCH(double, x);
    QFETCH(QVariant, int16);
    QFETCH(QVariant, int32);

    const auto n16 = nearestInt16(x);
    QCOMPARE(n16.has_value(), int16.isValid());
    if (n16)
        QCOMPARE(int(*n16), int16.toInt());
    QCOMPARE(asVariant(nearestInt32(x)), int32);
}

void TestNumbers::textToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("number");

    QTest::newRow("integer") << "42" << QVariant(42.0);
    QTest::newRow("blanks around") << "  42 \t" << QVariant(42.0);
    QTest::newRow("fraction") << "234.5678" << QVariant(234.5678);
    QTest::newRow("leading point") << ".5" << QVariant(0.5);
    QTest::newRow("trailing point") << "5." << QVariant(5.0);
    QTest::newRow("plus sign") << "+3" << QVariant(3.0);
    QTest::newRow("minus sign") << "-17.25" << QVariant(-17.25);
    QTest::newRow("exponent") << "1e5" << QVariant(100000.0);
    QTest::newRow("signed exponent") << "2.5E-3" << QVariant(0.0025);
    QTest::newRow("300 digits") << ("1" + QString(300, u'0')) << QVariant(1e300);
    QTest::newRow("underflow reads as zero") << "1e-400" << QVariant(0.0);
    QTest::newRow("empty") << "" << failed();
    QTest::newRow("only blanks") << "   " << failed();
    QTest::newRow("trailing letter") << "12a" << failed();
    QTest::newRow("inner blank") << "1 2" << failed();
    QTest::newRow("beyond double") << "1e400" << failed();
    QTest::newRow("400 digits") << ("1" + QString(400, u'0')) << failed();
    QTest::newRow("NaN") << "NaN" << failed();
    QTest::newRow("Infinity") << "Infinity" << failed();
    QTest::newRow("inf") << "inf" << failed();
    QTest::newRow("lone point") << "." << failed();
    QTest::newRow("lone sign") << "-" << failed();
    QTest::newRow("double sign") << "--1" << failed();
    QTest::newRow("two points") << "1.2.3" << failed();
    QTest::newRow("exponent without digits") << "1e" << failed();
    QTest::newRow("exponent without mantissa") << "e5" << failed();
    QTest::newRow("decimal comma") << "1,5" << failed();
    QTest::newRow("hexadecimal") << "0x10" << failed();
    QTest::newRow("Chinese numeral") << QStringLiteral("五") << failed();
    QTest::newRow("Chinese text") << QStringLiteral("大圆半径") << failed();
    QTest::newRow("full-width digits") << QStringLiteral("１２") << failed();
    QTest::newRow("digit then full-width digit") << QStringLiteral("1２") << failed();
}

void TestNumbers::textToNumber()
{
    QFETCH(QString, text);
    QFETCH(QVariant, number);

    QCOMPARE(asVariant(::textToNumber(text)), number);
}

void TestNumbers::negativeZeroKeepsItsSign()
{
    const auto value = ::textToNumber(u"-0");
    QVERIFY(value);
    QCOMPARE(*value, 0.0);
    QVERIFY(std::signbit(*value));
    QCOMPARE(asVariant(textToInt32(u"-0")), QVariant(0));
}

void TestNumbers::textToInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("int16");
    QTest::addColumn<QVariant>("int32");

    QTest::newRow("plain") << "90" << QVariant(90) << QVariant(90);
    QTest::newRow("2.5 counts as 2") << "2.5" << QVariant(2) << QVariant(2);
    QTest::newRow("3.5 counts as 4") << "3.5" << QVariant(4) << QVariant(4);
    QTest::newRow("7.5 gives 8") << "7.5" << QVariant(8) << QVariant(8);
    QTest::newRow("6.5 gives 6") << "6.5" << QVariant(6) << QVariant(6);
    QTest::newRow("exponent") << "1e5" << failed() << QVariant(100000);
    QTest::newRow("16-bit top") << "32767" << QVariant(32767) << QVariant(32767);
    QTest::newRow("just past 16 bits") << "32768" << failed() << QVariant(32768);
    QTest::newRow("16-bit bottom") << "-32768" << QVariant(-32768) << QVariant(-32768);
    QTest::newRow("just below 16 bits") << "-32769" << failed() << QVariant(-32769);
    QTest::newRow("32-bit top") << "2147483647" << failed() << QVariant(2147483647);
    QTest::newRow("just past 32 bits") << "2147483648" << failed() << failed();
    QTest::newRow("32-bit bottom") << "-2147483648" << failed() << QVariant(-2147483647 - 1);
    QTest::newRow("just below 32 bits") << "-2147483649" << failed() << failed();
    QTest::newRow("huge digit string") << "99999999999999999999999" << failed() << failed();
    QTest::newRow("empty") << "" << failed() << failed();
    QTest::newRow("letters") << "abc" << failed() << failed();
    QTest::newRow("Chinese") << QStringLiteral("十二") << failed() << failed();
}

void TestNumbers::textToInteger()
{
    QFETCH(QString, text);
    QFETCH(QVariant, int16);
    QFETCH(QVariant, int32);

    const auto n16 = textToInt16(text);
    QCOMPARE(n16.has_value(), int16.isValid());
    if (n16)
        QCOMPARE(int(*n16), int16.toInt());
    QCOMPARE(asVariant(textToInt32(text)), int32);
}

void TestNumbers::numberToText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("fraction") << 234.5678f << "234.5678";
    QTest::newRow("quarter") << 17.25f << "17.25";
    QTest::newRow("whole") << 3.0f << "3";
    QTest::newRow("half") << 0.5f << "0.5";
    QTest::newRow("negative") << -17.25f << "-17.25";
    QTest::newRow("negative half") << -0.5f << "-0.5";
    QTest::newRow("zero") << 0.0f << "0";
    QTest::newRow("negative zero") << -0.0f << "0";
    QTest::newRow("tenth") << 0.1f << "0.1";
    QTest::newRow("third needs seven digits") << 1.0f / 3.0f << "0.3333333";
    QTest::newRow("two thirds rounds up") << 2.0f / 3.0f << "0.6666667";
    QTest::newRow("seven-digit fraction") << 123456.7f << "123456.7";
    QTest::newRow("seven-digit integer") << 1234567.0f << "1234567";
    QTest::newRow("largest fixed") << 9999999.0f << "9999999";
    QTest::newRow("ten million") << 1e7f << "1E+07";
    QTest::newRow("eight digits round") << 12345678.0f << "1.234568E+07";
    QTest::newRow("three billion") << 3e9f << "3E+09";
    QTest::newRow("largest float") << std::numeric_limits<float>::max() << "3.402823E+38";
    QTest::newRow("small fixed") << 0.00001f << "0.00001";
    QTest::newRow("tiny") << 1.5e-7f << "1.5E-07";
    QTest::newRow("a millionth is the first in scientific form") << 1e-6f << "1E-06";
    QTest::newRow("seven digits ending in zeros lose them") << 1.0000001f << "1";
    QTest::newRow("eight digits round to seven") << 1.2345678f << "1.234568";
    QTest::newRow("tiny negative") << -2.5e-12f << "-2.5E-12";
}

void TestNumbers::numberToText()
{
    QFETCH(float, value);
    QFETCH(QString, text);

    QCOMPARE(::numberToText(value), text);
}

void TestNumbers::numberTextReadsBackClose()
{
    // Any finite float: at most seven significant digits, read back within the rounding of the
    // seventh digit (a float may need nine digits, so not every one comes back exactly).
    std::mt19937 bits(20260101u);
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t pattern = bits();
        float value;
        std::memcpy(&value, &pattern, sizeof value);
        if (!std::isfinite(value))
            continue;
        const QString text = ::numberToText(value);
        QVERIFY2(significantDigits(text) <= 7, qPrintable(text));
        const auto back = ::textToNumber(text);
        QVERIFY2(back, qPrintable(text));
        const float single = toSingle(*back);
        QVERIFY2(std::fabs(single - value) <= 6e-7 * std::fabs(value) + std::numeric_limits<float>::denorm_min(),
                 qPrintable(text));
    }
}

void TestNumbers::shortDecimalsRoundTripExactly()
{
    // A float that some decimal of at most seven digits reads as is printed so that it reads back
    // as itself.
    std::mt19937 draw(7u);
    std::uniform_int_distribution<int> mantissa(1, 9999999);
    std::uniform_int_distribution<int> exponent(-20, 20);
    for (int i = 0; i < 20000; ++i) {
        const QString written = QString::number(mantissa(draw)) + u'e' + QString::number(exponent(draw));
        if (!::textToNumber(written))
            QFAIL(qPrintable(written));
        const float value = toSingle(*::textToNumber(written));
        const QString text = ::numberToText(value);
        const auto back = ::textToNumber(text);
        QVERIFY2(back, qPrintable(text));
        QCOMPARE(toSingle(*back), value);
    }
}

void TestNumbers::randomSourceStaysInUnitInterval()
{
    RandomSource::reset();
    std::set<float> distinct;
    double sum = 0;
    const int count = 10000;
    for (int i = 0; i < count; ++i) {
        const float value = RandomSource::next();
        QVERIFY(value >= 0.0f);
        QVERIFY(value < 1.0f);
        distinct.insert(value);
        sum += value;
    }
    QVERIFY(distinct.size() > count * 9 / 10);
    QVERIFY(std::fabs(sum / count - 0.5) < 0.02);
}

void TestNumbers::randomSourceReplaysAfterReset()
{
    RandomSource::reset();
    std::vector<float> first;
    for (int i = 0; i < 100; ++i)
        first.push_back(RandomSource::next());
    RandomSource::reset();
    for (int i = 0; i < 100; ++i)
        QCOMPARE(RandomSource::next(), first[size_t(i)]);
}

QTEST_APPLESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
