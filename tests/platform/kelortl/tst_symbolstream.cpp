// The design streams: primitives, blocks, property lists, object records and
// the component-filer encoding; truncated, corrupt and hostile data, and damage
// that stays inside the block it is in.

#include "Krfiler.h"
#include "Symbolstream.h"

#include <QtTest>
#include <limits>

using namespace krstream;

class TestSymbolStream : public QObject {
    Q_OBJECT

    template <class F>
    static QString FailureOf(const QByteArray &data, F &&read)
    {
        TKeloStream s(data);
        try {
            read(s);
        } catch (const EKrStreamError &e) {
            return e.Text();
        }
        return QString();
    }

private slots:
    void primitivesRoundTripLittleEndian()
    {
        TKeloStream w;
        w.WriteByte(0xAB);
        w.WriteBool(true);
        w.WriteInt16(-2);
        w.WriteUInt16(0xBEEF);
        w.WriteInt32(-123456789);
        w.WriteUInt32(0xDEADBEEF);
        w.WriteInt64(std::numeric_limits<qint64>::min());
        w.WriteDouble(-0.125);
        w.WriteString(QStringLiteral("Flo\u00df \U0001F600"));
        w.WriteBytes(QByteArray("\0\1\2", 3));
        w.WriteStringList({QStringLiteral("a"), QString(), QStringLiteral("c")});
        QCOMPARE(w.Data().mid(2, 2), QByteArray("\xFE\xFF", 2));
        QCOMPARE(w.Data().mid(10, 4), QByteArray("\xEF\xBE\xAD\xDE", 4));

        TKeloStream r(w.Data());
        QCOMPARE(r.ReadByte(), quint8(0xAB));
        QCOMPARE(r.ReadBool(), true);
        QCOMPARE(r.ReadInt16(), qint16(-2));
        QCOMPARE(r.ReadUInt16(), quint16(0xBEEF));
        QCOMPARE(r.ReadInt32(), -123456789);
        QCOMPARE(r.ReadUInt32(), 0xDEADBEEFu);
        QCOMPARE(r.ReadInt64(), std::numeric_limits<qint64>::min());
        QCOMPARE(r.ReadDouble(), -0.125);
        QCOMPARE(r.ReadString(), QStringLiteral("Flo\u00df \U0001F600"));
        QCOMPARE(r.ReadBytes(), QByteArray("\0\1\2", 3));
        QCOMPARE(r.ReadStringList(), (QStringList{QStringLiteral("a"), QString(), QStringLiteral("c")}));
        QVERIFY(r.AtEnd());
        QVERIFY(!FailureOf(QByteArray(), [](TKeloStream &s) { s.ReadByte(); }).isEmpty());
    }

    void truncationAndHostileLengthsRaise()
    {
        TKeloStream w;
        w.WriteString(QStringLiteral("hello"));
        const QByteArray good = w.Data();
        for (int n = 0; n < good.size(); ++n)
            QVERIFY2(FailureOf(good.left(n), [](TKeloStream &s) { s.ReadString(); }).contains(QStringLiteral("truncated"))
                         || FailureOf(good.left(n), [](TKeloStream &s) { s.ReadString(); }).contains(QStringLiteral("corrupt")),
                     qPrintable(QString::number(n)));
        // A length far beyond the data is refused before anything is allocated.
        QByteArray huge("\xFF\xFF\xFF\x7F", 4);
        QVERIFY(FailureOf(huge, [](TKeloStream &s) { s.ReadString(); }).contains(QStringLiteral("limit")));
        QVERIFY(FailureOf(huge + "abc", [](TKeloStream &s) { s.ReadBytes(); }).contains(QStringLiteral("corrupt length")));
        QVERIFY(FailureOf(huge, [](TKeloStream &s) { s.ReadStringList(); }).contains(QStringLiteral("corrupt count")));
        // A boolean is 0 or 1.
        QVERIFY(FailureOf(QByteArray("\x02"), [](TKeloStream &s) { s.ReadBool(); }).contains(QStringLiteral("boolean")));
    }

    void invalidUtf8IsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("lone continuation") << QByteArray("\x80");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF");
        QTest::newRow("overlong three") << QByteArray("\xE0\x80\xAF");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80");
        QTest::newRow("beyond unicode") << QByteArray("\xF4\x90\x80\x80");
        QTest::newRow("truncated sequence") << QByteArray("ab\xE2\x82");
        QTest::newRow("invalid lead") << QByteArray("\xFF");
    }

    void invalidUtf8IsRefused()
    {
        QFETCH(QByteArray, bytes);
        TKeloStream w;
        w.WriteBytes(bytes);
        QVERIFY(FailureOf(w.Data(), [](TKeloStream &s) { s.ReadString(); }).contains(QStringLiteral("UTF-8")));
        QString out;
        QVERIFY(TKeloStream::DecodeUtf8(QByteArray("\xE2\x82\xAC\xF0\x9F\x98\x80"), &out));
        QCOMPARE(out, QStringLiteral("\u20AC\U0001F600"));
    }

    void blocksSkipUnknownDataAndLimitReads()
    {
        TKeloStream w;
        {
            TKeloBlockWriter b(w, 'A');
            w.WriteInt32(7);
            w.WriteString(QStringLiteral("newer field"));
        }
        w.WriteInt32(99);
        TKeloStream r(w.Data());
        const TKeloStream::Block b = r.EnterBlock();
        QCOMPARE(b.tag, quint8('A'));
        QCOMPARE(r.ReadInt32(), 7);
        r.LeaveBlock(b); // the newer field is skipped
        QCOMPARE(r.ReadInt32(), 99);

        // Reads stop at the end of the block: missing data is seen as missing.
        TKeloStream w2;
        {
            TKeloBlockWriter blk(w2, 'B');
            w2.WriteInt16(1);
        }
        w2.WriteInt32(0x01020304);
        TKeloStream r2(w2.Data());
        const TKeloStream::Block b2 = r2.EnterBlock();
        r2.ReadInt16();
        QVERIFY(r2.AtEnd());
        QVERIFY(FailureOf(w2.Data(), [](TKeloStream &s) {
                    s.EnterBlock();
                    s.ReadInt16();
                    s.ReadInt32();
                }).contains(QStringLiteral("truncated")));
        r2.LeaveBlock(b2);
        QCOMPARE(r2.ReadInt32(), 0x01020304);

        // A block longer than the data, and nesting without end, are refused.
        QVERIFY(FailureOf(QByteArray("A\x10\0\0\0xy", 7), [](TKeloStream &s) { s.EnterBlock(); }).contains(QStringLiteral("block length")));
        QByteArray deep;
        for (int i = 0; i < 100; ++i)
            deep += QByteArray("A\xFF\xFF\xFF\x00", 5);
        QByteArray nested;
        {
            // Nested blocks with consistent lengths.
            TKeloStream n;
            QList<qint64> marks;
            for (int i = 0; i < 100; ++i)
                marks << n.BeginBlock('A');
            for (int i = 99; i >= 0; --i)
                n.EndBlock(marks[i]);
            nested = n.Data();
        }
        QVERIFY(FailureOf(nested, [](TKeloStream &s) {
                    for (;;)
                        s.EnterBlock();
                }).contains(QStringLiteral("nested")));
    }

    // Blocks nested exactly as deep as the limit read and leave in order; one level more
    // is refused with its cause, at the block that goes beyond the limit.
    void nestingLimit_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("failure");
        QTest::newRow("one level") << 1 << QString();
        QTest::newRow("one below the limit") << TKeloStream::kMaxDepth - 1 << QString();
        QTest::newRow("exactly the limit") << TKeloStream::kMaxDepth << QString();
        QTest::newRow("one beyond the limit") << TKeloStream::kMaxDepth + 1
                                              << QStringLiteral("blocks nested deeper than %1").arg(TKeloStream::kMaxDepth);
    }

    void nestingLimit()
    {
        QFETCH(int, depth);
        QFETCH(QString, failure);
        // depth blocks, one inside the other, the innermost holding a marker.
        TKeloStream w;
        QList<qint64> marks;
        for (int i = 0; i < depth; ++i)
            marks << w.BeginBlock(quint8('a' + i % 26));
        w.WriteInt32(0x715);
        for (int i = depth - 1; i >= 0; --i)
            w.EndBlock(marks[i]);
        w.WriteInt32(99);

        TKeloStream r(w.Data());
        QList<TKeloStream::Block> blocks;
        QString raised;
        qint64 raisedAt = -1;
        try {
            for (int i = 0; i < depth; ++i) {
                blocks << r.EnterBlock();
                QCOMPARE(blocks.last().tag, quint8('a' + i % 26));
                QCOMPARE(r.Depth(), i + 1);
            }
        } catch (const EKrStreamError &e) {
            raised = e.Text();
            raisedAt = e.Offset();
        }
        QCOMPARE(raised, failure);
        if (!failure.isEmpty()) {
            // Refused before the block beyond the limit is read: every level up to the
            // limit was entered, and the error points at the tag of the next one.
            QCOMPARE(blocks.size(), TKeloStream::kMaxDepth);
            QCOMPARE(r.Depth(), TKeloStream::kMaxDepth);
            QCOMPARE(raisedAt, qint64(5) * TKeloStream::kMaxDepth);
            return;
        }
        QCOMPARE(r.ReadInt32(), 0x715);
        QVERIFY(r.AtEnd());
        for (int i = depth - 1; i >= 0; --i)
            r.LeaveBlock(blocks[i]);
        QCOMPARE(r.Depth(), 0);
        QCOMPARE(r.ReadInt32(), 99);
        QVERIFY(r.AtEnd());
    }

    void propertiesKeepTypesAndSkipUnknownOnes()
    {
        const QList<Property> props{{QStringLiteral("b"), true},
                                    {QStringLiteral("i"), -5},
                                    {QStringLiteral("l"), qint64(1) << 40},
                                    {QStringLiteral("d"), 2.5},
                                    {QStringLiteral("s"), QStringLiteral("x")},
                                    {QStringLiteral("y"), QByteArray("\0\xFF", 2)},
                                    {QStringLiteral("sl"), QStringList{QStringLiteral("p"), QStringLiteral("q")}},
                                    {QStringLiteral("u"), uint(0x8000000F)}};
        TKeloStream w;
        WriteProperties(w, props);
        TKeloStream r(w.Data());
        const QList<Property> back = ReadProperties(r);
        QCOMPARE(back, props);
        for (int i = 0; i < props.size(); ++i)
            QCOMPARE(back[i].value.typeId(), props[i].value.typeId());

        // A value of a type this version does not know is skipped, the rest read.
        TKeloStream w2;
        w2.WriteUInt32(2);
        w2.WriteString(QStringLiteral("future"));
        w2.WriteByte(77);
        {
            TKeloBlockWriter b(w2, kValueTag);
            w2.WriteDouble(1);
            w2.WriteDouble(2);
        }
        w2.WriteString(QStringLiteral("known"));
        WriteValue(w2, 3);
        TKeloStream r2(w2.Data());
        const QList<Property> mixed = ReadProperties(r2);
        QCOMPARE(mixed.size(), 2);
        QVERIFY(!mixed[0].value.isValid());
        QCOMPARE(mixed[1].value, QVariant(3));

        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, WriteValue(w2, QVariant(QPoint(1, 2))));
        // A huge count with no data behind it.
        TKeloStream w3;
        w3.WriteUInt32(0xFFFFFFFF);
        QVERIFY(FailureOf(w3.Data(), [](TKeloStream &s) { ReadProperties(s); }).contains(QStringLiteral("corrupt count")));
    }

    void damageInsideAValueBlockCostsOnlyThatValue()
    {
        // Each damaged value sits in a sound block; the good ones around it read.
        auto property = [](TKeloStream &w, const QString &name, quint8 type, const QByteArray &contents) {
            w.WriteString(name);
            w.WriteByte(type);
            TKeloBlockWriter b(w, kValueTag);
            w.WriteRaw(contents);
        };
        TKeloStream w;
        w.WriteUInt32(9);
        property(w, QStringLiteral("bool"), vtBool, QByteArray(1, '\x07'));
        property(w, QStringLiteral("text"), vtString, QByteArray("\x02\x00\x00\x00\xED\xA0", 6)); // a surrogate
        property(w, QStringLiteral("short"), vtInt32, QByteArray("\x01\x02", 2));
        property(w, QStringLiteral("long text"), vtString, QByteArray("\xFF\x00\x00\x00" "ab", 6));
        property(w, QStringLiteral("list"), vtStringList, QByteArray("\xFF\xFF\xFF\xFF", 4));
        property(w, QStringLiteral("bytes"), vtBytes, QByteArray("\x09\x00\x00\x00", 4));
        // A name that is not UTF-8: the property is passed over.
        w.WriteBytes(QByteArray("\xFF\xFE", 2));
        WriteValue(w, 11);
        property(w, QStringLiteral("good"), vtInt32, QByteArray("\x2A\x00\x00\x00", 4));
        // Extra bytes after a value (a later version's) are passed over too.
        property(w, QStringLiteral("longer"), vtBool, QByteArray("\x01\x99\x99", 3));
        TKeloStream r(w.Data());
        const QList<Property> props = ReadProperties(r);
        QVERIFY(r.AtEnd());
        QStringList names;
        for (const Property &p : props)
            names << p.name;
        QCOMPARE(names, (QStringList{QStringLiteral("bool"), QStringLiteral("text"), QStringLiteral("short"), QStringLiteral("long text"),
                                     QStringLiteral("list"), QStringLiteral("bytes"), QStringLiteral("good"), QStringLiteral("longer")}));
        for (int i = 0; i < 6; ++i)
            QVERIFY2(!props[i].value.isValid(), qPrintable(props[i].name));
        QCOMPARE(props[6].value, QVariant(42));
        QCOMPARE(props[7].value, QVariant(true));

        // Framing errors still raise: a value block that overruns its data, a
        // block of another tag where a value belongs.
        TKeloStream overrun;
        overrun.WriteUInt32(1);
        overrun.WriteString(QStringLiteral("x"));
        overrun.WriteByte(vtInt32);
        overrun.WriteByte(kValueTag);
        overrun.WriteUInt32(400);
        overrun.WriteInt32(1);
        QVERIFY(FailureOf(overrun.Data(), [](TKeloStream &s) { ReadProperties(s); }).contains(QStringLiteral("block length")));
        TKeloStream wrongTag;
        wrongTag.WriteUInt32(1);
        wrongTag.WriteString(QStringLiteral("x"));
        wrongTag.WriteByte(vtInt32);
        {
            TKeloBlockWriter b(wrongTag, 'W');
            wrongTag.WriteInt32(1);
        }
        QVERIFY(FailureOf(wrongTag.Data(), [](TKeloStream &s) { ReadProperties(s); }).contains(QStringLiteral("value tag")));

        // TryReadString passes over text that is not UTF-8 but not a bad length.
        TKeloStream t;
        t.WriteBytes(QByteArray("\xC3\x28", 2));
        t.WriteString(QStringLiteral("next"));
        TKeloStream tr(t.Data());
        QString text = QStringLiteral("old");
        QVERIFY(!tr.TryReadString(&text));
        QVERIFY(text.isEmpty());
        QVERIFY(tr.TryReadString(&text));
        QCOMPARE(text, QStringLiteral("next"));
        QVERIFY(FailureOf(QByteArray("\x09\x00\x00\x00", 4), [](TKeloStream &s) { s.TryReadString(nullptr); }).contains(QStringLiteral("length")));
    }

    void objectRecordsReadWhatTheyKnow()
    {
        ObjectRecord rec;
        rec.properties = {{QStringLiteral("Level"), 1.5}};
        TKeloStream element;
        WriteObject(element, ObjectRecord{});
        rec.elements = {{QStringLiteral("Frame"), QStringLiteral("TKRFrame"), element.Data()}};
        TKeloStream w;
        WriteObject(w, rec);
        w.WriteByte(0x42); // whatever follows the object is not read
        TKeloStream r(w.Data());
        const ObjectRecord back = ReadObject(r);
        QCOMPARE(back.properties, rec.properties);
        QCOMPARE(back.elements, rec.elements);
        QCOMPARE(r.ReadByte(), quint8(0x42));

        // Missing blocks leave defaults; a wrong tag or version 0 is corrupt.
        TKeloStream empty;
        {
            TKeloBlockWriter b(empty, kObjectTag);
            empty.WriteUInt16(3);
        }
        TKeloStream re(empty.Data());
        const ObjectRecord none = ReadObject(re);
        QCOMPARE(none.version, quint16(3));
        QVERIFY(!none.hasProperties && !none.hasElements);
        QVERIFY(FailureOf(QByteArray("X\0\0\0\0", 5), [](TKeloStream &s) { ReadObject(s); }).contains(QStringLiteral("expected object")));
        QVERIFY(FailureOf(QByteArray("K\x02\0\0\0\0\0", 7), [](TKeloStream &s) { ReadObject(s); }).contains(QStringLiteral("version 0")));
        // Element data that is no object is still a sound block: the record is
        // kept as it is (the element refuses it when it is applied) and the
        // elements after it are read.
        ObjectRecord bad;
        TKeloStream notObject;
        {
            TKeloBlockWriter b(notObject, 'Q');
        }
        bad.elements = {{QStringLiteral("x"), QStringLiteral("y"), notObject.Data()}, rec.elements.first()};
        TKeloStream wb;
        WriteObject(wb, bad);
        TKeloStream rb(wb.Data());
        const ObjectRecord kept = ReadObject(rb);
        QCOMPARE(kept.elements, bad.elements);
        QVERIFY(rb.AtEnd());
        // Every cut of a good record raises; none reads past the data.
        for (int n = 0; n < w.Data().size() - 1; ++n)
            QVERIFY(!FailureOf(w.Data().left(n), [](TKeloStream &s) { ReadObject(s); }).isEmpty());
    }

    void filerWritesTheComponentEncoding()
    {
        TKeloStream s;
        TKrFilerWriter w(s);
        w.WriteStringList({QStringLiteral("Open1"), QString(256, QLatin1Char('a'))});
        w.WriteInteger(-1);
        w.WriteInteger(300);
        w.WriteInteger(70000);
        w.WriteInteger(qint64(1) << 40);
        w.WriteBoolean(true);
        QByteArray expected;
        expected += '\x01';
        expected += QByteArray("\x06\x05Open1", 7);
        expected += QByteArray("\x0C\x00\x01\x00\x00", 5) + QByteArray(256, 'a');
        expected += '\x00';
        expected += QByteArray("\x02\xFF", 2);
        expected += QByteArray("\x03\x2C\x01", 3);
        expected += QByteArray("\x04\x70\x11\x01\x00", 5);
        expected += QByteArray("\x13\x00\x00\x00\x00\x00\x01\x00\x00", 9);
        expected += '\x09';
        QCOMPARE(s.Data(), expected);

        TKeloStream in(s.Data());
        TKrFilerReader r(in);
        QCOMPARE(r.ReadStringList(), (QStringList{QStringLiteral("Open1"), QString(256, QLatin1Char('a'))}));
        QVERIFY(r.NextIsInteger());
        QCOMPARE(r.ReadInteger(), -1);
        QCOMPARE(r.ReadInteger(), 300);
        QCOMPARE(r.ReadInteger(), 70000);
        QVERIFY_THROWS_EXCEPTION(EKrStreamError, r.ReadInteger()); // does not fit 32 bits
        QCOMPARE(r.ReadInt64(), qint64(1) << 40);
        QCOMPARE(r.ReadBoolean(), true);
        QCOMPARE(r.NextValue(), -1);
        QVERIFY(!r.NextIsInteger());
    }

    void filerReadsOtherTextFormsAndRefusesCorruptOnes()
    {
        // UTF-16 text (18) and UTF-8 text (20).
        QByteArray data("\x12\x02\x00\x00\x00\x41\x00\xAC\x20", 9);
        data += QByteArray("\x14\x03\x00\x00\x00\xE2\x82\xAC", 8);
        TKeloStream s(data);
        TKrFilerReader r(s);
        QCOMPARE(r.ReadString(), QStringLiteral("A\u20AC"));
        QCOMPARE(r.ReadString(), QStringLiteral("\u20AC"));

        auto fails = [](const QByteArray &bytes, auto read) {
            TKeloStream st(bytes);
            TKrFilerReader rd(st);
            try {
                read(rd);
            } catch (const EKrStreamError &) {
                return true;
            }
            return false;
        };
        QVERIFY(fails(QByteArray("\x06\x09" "abc", 5), [](TKrFilerReader &rd) { rd.ReadString(); }));
        QVERIFY(fails(QByteArray("\x0C\xFF\xFF\xFF\xFF", 5), [](TKrFilerReader &rd) { rd.ReadString(); }));
        QVERIFY(fails(QByteArray("\x12\xFF\xFF\xFF\x7F", 5), [](TKrFilerReader &rd) { rd.ReadString(); }));
        QVERIFY(fails(QByteArray("\x12\x01\x00\x00\x00\x00\xD8", 7), [](TKrFilerReader &rd) { rd.ReadString(); }));
        QVERIFY(fails(QByteArray("\x06\x01\xFF", 3), [](TKrFilerReader &rd) { rd.ReadString(); }));
        QVERIFY(fails(QByteArray("\x01\x06\x01x", 4), [](TKrFilerReader &rd) { rd.ReadStringList(); }));
        QVERIFY(fails(QByteArray("\x07", 1), [](TKrFilerReader &rd) { rd.ReadInteger(); }));
        QVERIFY(fails(QByteArray("\x63", 1), [](TKrFilerReader &rd) { rd.SkipValue(); }));
        QByteArray deepList(200, '\x01');
        QVERIFY(fails(deepList, [](TKrFilerReader &rd) { rd.SkipValue(); }));
        // Skipping walks every known value.
        const char mixedBytes[] = {1, 2, 5, 8, 9, 10, 2, 0, 0, 0, 'x', 'y', 7, 3, 'a', 'b', 'c', 0};
        QByteArray mixed(mixedBytes, sizeof(mixedBytes));
        TKeloStream ms(mixed);
        TKrFilerReader mr(ms);
        mr.SkipValue();
        QVERIFY(ms.AtEnd());
    }
};

QTEST_MAIN(TestSymbolStream)
#include "tst_symbolstream.moc"
