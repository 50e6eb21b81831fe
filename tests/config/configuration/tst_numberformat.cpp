// Number texts and register text forms.
#include "NumberFormat.h"
#include "RegisterCodec.h"
#include "RegisterDigits.h"

#include <QTest>
#include <limits>

class NumberFormatTest : public QObject {
    Q_OBJECT
private:
    QLocale comma() const
    {
        QLocale l(QLocale::Danish, QLocale::Denmark);
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l;
    }
    QLocale point() const
    {
        QLocale l(QLocale::English, QLocale::UnitedStates);
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l;
    }

private slots:
    void sevenDigits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("12.5") << 12.5 << "12.50000";
        QTest::newRow("below one") << 0.25 << "0.2500000";
        QTest::newRow("one") << 1.0 << "1.000000";
        QTest::newRow("hundred") << 123.25 << "123.2500";
        QTest::newRow("thousands") << 4321.5 << "4321.500";
        QTest::newRow("ten thousands") << 54321.5 << "54321.50";
        QTest::newRow("hundred thousands") << 654321.5 << "654321.5";
        QTest::newRow("two million") << 2000000.0 << "2000000";
        QTest::newRow("negative") << -12.5 << "-12.50000";
        QTest::newRow("single precision first") << 0.1 << "0.1000000";
        QTest::newRow("ten million") << 1e7 << "10000000";
        QTest::newRow("needs nine digits") << 123456792.0 << "123456790";
        QTest::newRow("huge") << 3.4028234663852886e38 << "3.4028235E+38";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "NAN";
    }
    void sevenDigits()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(numfmt::FormatSevenDigits(value, point()), text);
    }

    void sevenDigitsUsesTheDecimalComma()
    {
        QCOMPARE(numfmt::FormatSevenDigits(12.5, comma()), QStringLiteral("12,50000"));
        QCOMPARE(numfmt::FormatSevenDigits(2e6, comma()), QStringLiteral("2000000"));
        QCOMPARE(numfmt::FormatSevenDigits(1.5e20, comma()), QStringLiteral("1,500000E+20"));
    }

    // Whatever is shown must be written back as the same single-precision value.
    void sevenDigitsRoundTripsLargeValues()
    {
        const float samples[] = {1e7f, 16777217.0f, 98765432.0f, 123456789.0f, 4.2e9f, 9.99e14f, 1.5e15f,
                                 3.3e20f, -7.7e12f, std::numeric_limits<float>::max()};
        for (const QLocale &locale : {point(), comma()}) {
            for (float f : samples) {
                const QString text = numfmt::FormatSevenDigits(f, locale);
                double back = 0;
                QVERIFY2(numfmt::parseReal(text, back, locale), qPrintable(text));
                QCOMPARE(static_cast<float>(back), f);
            }
        }
    }

    void generalText()
    {
        QCOMPARE(numfmt::generalText(12.5 * 100 / 60, point()), QStringLiteral("20.8333333333333"));
        QCOMPARE(numfmt::generalText(12, point()), QStringLiteral("12"));
        QCOMPARE(numfmt::generalText(1.02, comma()), QStringLiteral("1,02"));
        QCOMPARE(numfmt::generalText(2000, point()), QStringLiteral("2000"));
        QCOMPARE(numfmt::generalText(1e15, point()), QStringLiteral("1E15"));
    }

    void fixedText()
    {
        QCOMPARE(numfmt::fixedText(50.0, 7, 2, comma()), QStringLiteral("50,00"));
        QCOMPARE(numfmt::fixedText(0.123456789, 7, 7, point()), QStringLiteral("0.1234568"));
        QCOMPARE(numfmt::fixedText(12.3456789, 7, 7, point()), QStringLiteral("12.3456800"));
    }

    void parseReal()
    {
        double v = 0;
        QVERIFY(numfmt::parseReal(QStringLiteral(" 12,5 "), v, comma()));
        QCOMPARE(v, 12.5);
        QVERIFY(!numfmt::parseReal(QStringLiteral("12.5"), v, comma()));
        QVERIFY(!numfmt::parseReal(QStringLiteral("1.250"), v, comma())); // no digit grouping
        QVERIFY(!numfmt::parseReal(QStringLiteral("1,250"), v, point()));
        QVERIFY(!numfmt::parseReal(QString(), v, point()));
        QVERIFY(!numfmt::parseReal(QStringLiteral("1e999"), v, point()));
        QVERIFY(!numfmt::parseReal(QStringLiteral("abc"), v, point()));
    }

    void hexForms()
    {
        QCOMPARE(regcodec::sixDigitHex(0x12AB3456), QStringLiteral("12AB34"));
        QCOMPARE(regcodec::sixDigitHex(-1), QStringLiteral("FFFFFF"));
        QCOMPARE(regcodec::sixDigitHex(0x1F), QStringLiteral("000000"));
        QCOMPARE(regcodec::serialText(static_cast<qint32>(0xABCDEF00)), QStringLiteral("ABCDEF"));
        QCOMPARE(regcodec::serialText(0x1F), QStringLiteral("1F"));
        QCOMPARE(regcodec::serialText(5), QStringLiteral("05"));
    }

    void codeWriteValue()
    {
        QCOMPARE(regcodec::codeWriteValue(QStringLiteral("001230")).value(), 1191936);
        QCOMPARE(regcodec::codeWriteValue(QStringLiteral("ffffff")).value(), static_cast<qint32>(0xFFFFFF00));
        QVERIFY(!regcodec::codeWriteValue(QString()).has_value());
        QVERIFY(!regcodec::codeWriteValue(QStringLiteral("00123G")).has_value());
        QVERIFY(!regcodec::codeWriteValue(QStringLiteral("0012300")).has_value());
        QVERIFY(!regcodec::codeWriteValue(QStringLiteral("1230")).has_value());
        QVERIFY(!regcodec::codeWriteValue(QStringLiteral("$01230")).has_value());
    }

    void digits()
    {
        QCOMPARE(regcodec::digit(QStringLiteral("12100A"), 6).value(), 10);
        QCOMPARE(regcodec::digit(QStringLiteral("12100a"), 6).value(), 10);
        QVERIFY(!regcodec::digit(QStringLiteral("12G00A"), 3).has_value());
        QVERIFY(!regcodec::digit(QStringLiteral("1210"), 5).has_value());
        QCOMPARE(regcodec::withDigit(QStringLiteral("322415"), 3, 3), QStringLiteral("323415"));
        QCOMPARE(regcodec::withDigit(QStringLiteral("3224"), 1, 12), QStringLiteral("C00000"));
    }

    void typedDigitRules()
    {
        // E7: output 3 function 0, 1, 2, 4; mode 0 or 8; batch/limit data 0 to 6 and 8.
        QVERIFY(regdigits::typedDigitLegal(7, 1, 4));
        QVERIFY(!regdigits::typedDigitLegal(7, 1, 3));
        QVERIFY(regdigits::typedDigitLegal(7, 5, 8));
        QVERIFY(!regdigits::typedDigitLegal(7, 5, 1));
        QVERIFY(regdigits::typedDigitLegal(7, 6, 8));
        QVERIFY(!regdigits::typedDigitLegal(7, 6, 7));
        // E8: direction and suppression only as 0, 2, 4, 6 when typed; node digits free.
        QVERIFY(!regdigits::typedDigitLegal(8, 2, 5));
        QVERIFY(!regdigits::typedDigitChecked(8, 5));
        QVERIFY(regdigits::typedDigitLegal(8, 6, 15));
        // E3: only digits 5 and 6 carry settings.
        QVERIFY(!regdigits::typedDigitChecked(3, 1));
        QVERIFY(regdigits::typedDigitLegal(3, 6, 2));
        QVERIFY(!regdigits::typedDigitLegal(3, 6, 3));
        QVERIFY(!regdigits::isCheckedRegister(5));
        QCOMPARE(regdigits::e7List(3), QStringLiteral("cmbOut2FuncOut"));
        QCOMPARE(regdigits::registerOfList(QStringLiteral("cmbOut2Vol1Res")), 6);
        QCOMPARE(regdigits::registerOfList(QStringLiteral("cmbInpUnitChoice")), 0);
    }
};

QTEST_APPLESS_MAIN(NumberFormatTest)
#include "tst_numberformat.moc"
