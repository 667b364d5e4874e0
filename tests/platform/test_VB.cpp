#include "platform/KeyedCollection.h"
#include "platform/VB.h"

#include <gtest/gtest.h>
#include <limits>

using namespace vb;

TEST(VBText, InStrMidTrimAreOneBasedAndBlankOnly) {
    EXPECT_EQ(InStr(QStringLiteral("abcabc"), QStringLiteral("c")), 3);
    EXPECT_EQ(InStr(4, QStringLiteral("abcabc"), QStringLiteral("c")), 6);
    EXPECT_EQ(InStr(QStringLiteral("abc"), QStringLiteral("X")), 0);
    EXPECT_EQ(InStr(QStringLiteral("aBc"), QStringLiteral("b"), true), 2);
    EXPECT_EQ(InStr(QStringLiteral("aBc"), QStringLiteral("b")), 0);
    EXPECT_EQ(InStr(10, QStringLiteral("abc"), QStringLiteral("a")), 0);
    EXPECT_EQ(InStrRev(QStringLiteral("a/b/c"), QStringLiteral("/")), 4);
    EXPECT_EQ(Mid(QStringLiteral("abcdef"), 2, 3), QStringLiteral("bcd"));
    EXPECT_EQ(Mid(QStringLiteral("abcdef"), 4), QStringLiteral("def"));
    EXPECT_EQ(Mid(QStringLiteral("abc"), 9), QString());
    EXPECT_THROW(Mid(QStringLiteral("abc"), 0), VBError);
    EXPECT_EQ(Trim(QStringLiteral("  a b \t")), QStringLiteral("a b \t"));
    EXPECT_EQ(RTrim(QStringLiteral(" x  ")), QStringLiteral(" x"));
    EXPECT_EQ(Chr(163), QChar(0x00A3));
    EXPECT_EQ(Chr(128), QChar(0x20AC));
    EXPECT_EQ(Asc(QChar(0x20AC)), 128);
}

TEST(VBNumbers, ValReadsTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("1.13")), 1.13);
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("2.0.0")), 2.0);
    EXPECT_DOUBLE_EQ(Val(QStringLiteral(" 12 34abc")), 1234);
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("abc")), 0);
    EXPECT_DOUBLE_EQ(Val(QString()), 0);
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("-3.5x")), -3.5);
}

TEST(VBNumbers, ConversionsFollowTheRuntime) {
    EXPECT_TRUE(CBool(QStringLiteral("True")));
    EXPECT_TRUE(CBool(QStringLiteral("true")));
    EXPECT_FALSE(CBool(QStringLiteral("False")));
    EXPECT_TRUE(CBool(QStringLiteral("-1")));
    EXPECT_FALSE(CBool(QStringLiteral("0")));
    try {
        CBool(QStringLiteral("yes"));
        FAIL();
    } catch (const VBError &e) {
        EXPECT_EQ(e.Number(), 13);
        EXPECT_EQ(e.Description(), QStringLiteral("Type mismatch"));
    }
    // Banker's rounding, 16 bits.
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(QStringLiteral("32767")), 32767);
    EXPECT_THROW(CInt(32768.0), VBError);
    EXPECT_THROW(CInt(QStringLiteral("x")), VBError);
    EXPECT_TRUE(IsNumeric(QStringLiteral(" 1,000.5 ")));
    EXPECT_FALSE(IsNumeric(QString()));
    EXPECT_FALSE(IsNumeric(QStringLiteral("1a")));
}

TEST(VBNumbers, AmountsParseExactlyAndFormatWithTwoDecimals) {
    Currency c;
    struct Case { const char *text; std::int64_t scaled; } good[] = {
        {"$0.25", 2500}, {"12.50", 125000}, {"$1,000.00", 10000000}, {" 7 ", 70000}, {"0.00005", 1},
        {"-$1.5", -15000},
    };
    for (const auto &g : good) {
        ASSERT_TRUE(ParseAmount(QString::fromLatin1(g.text), &c)) << g.text;
        EXPECT_EQ(c.scaled, g.scaled) << g.text;
    }
    for (const char *bad : {"", "$", "abc", "1.2.3", "1$"})
        EXPECT_FALSE(ParseAmount(QString::fromLatin1(bad), &c)) << bad;
    EXPECT_EQ(Format00(0.1), QStringLiteral("0.10"));
    EXPECT_EQ(Format00(double(float(0.29))), QStringLiteral("0.29"));
    EXPECT_EQ(Format00(12.345), QStringLiteral("12.35"));
    EXPECT_EQ(Format00(Currency::fromScaled(2500)), QStringLiteral("0.25"));
    EXPECT_EQ(Format2Digits(5), QStringLiteral("05"));
}

TEST(VBDates, GeneralFormAndBoundaryCounting) {
    const QDateTime dt(QDate(2026, 3, 4), QTime(15, 7, 9));
    EXPECT_EQ(FormatGeneralDate(dt), QStringLiteral("3/4/2026 3:07:09 PM"));
    EXPECT_EQ(FormatGeneralDate(QDateTime(QDate(2026, 3, 4), QTime(0, 0))), QStringLiteral("3/4/2026"));
    QDateTime back;
    ASSERT_TRUE(ParseDate(QStringLiteral("3/4/2026 3:07:09 PM"), &back));
    EXPECT_EQ(back, dt);
    EXPECT_FALSE(IsDate(QStringLiteral("not a date")));
    // Boundaries crossed, not elapsed time.
    const QDateTime a(QDate(2026, 1, 1), QTime(10, 59, 59));
    const QDateTime b(QDate(2026, 1, 1), QTime(11, 0, 0));
    EXPECT_EQ(DateDiff(QStringLiteral("h"), a, b), 1);
    EXPECT_EQ(DateDiff(QStringLiteral("n"), a, b), 1);
    EXPECT_EQ(DateDiff(QStringLiteral("d"), QDateTime(QDate(2026, 1, 1), QTime(23, 59)),
                       QDateTime(QDate(2026, 1, 2), QTime(0, 1))), 1);
    EXPECT_EQ(DateDiff(QStringLiteral("h"), b, a), -1);
}

TEST(KeyedCollection, KeysIgnoreCaseAndIndexesAreOneBased) {
    Collection<QString> col;
    col.Add(QStringLiteral("a"), QStringLiteral("KeyApple"));
    col.Add(QStringLiteral("b"), QStringLiteral("KeyPear"));
    col.Add(QStringLiteral("c"));
    EXPECT_EQ(col.Count(), 3);
    EXPECT_EQ(col.Item(1), QStringLiteral("a"));
    EXPECT_EQ(col.Item(QStringLiteral("keyPEAR")), QStringLiteral("b"));
    EXPECT_TRUE(col.Exists(QStringLiteral("KEYAPPLE")));
    try {
        col.Add(QStringLiteral("x"), QStringLiteral("keyapple"));
        FAIL();
    } catch (const VBError &e) {
        EXPECT_EQ(e.Number(), 457);
    }
    EXPECT_EQ(col.Count(), 3);
    EXPECT_THROW(col.Item(0), VBError);
    EXPECT_THROW(col.Item(QStringLiteral("missing")), VBError);
    col.Add(QStringLiteral("first"), QStringLiteral("k0"), 1);
    EXPECT_EQ(col.Item(1), QStringLiteral("first"));
    EXPECT_EQ(col.Item(QStringLiteral("KeyPear")), QStringLiteral("b"));
    col.Remove(QStringLiteral("KeyApple"));
    EXPECT_EQ(col.IndexOf(QStringLiteral("keypear")), 2);
    QStringList seen;
    for (const QString &s : col)
        seen << s;
    EXPECT_EQ(seen, (QStringList{QStringLiteral("first"), QStringLiteral("b"), QStringLiteral("c")}));
}

TEST(KeyedCollection, RemoveMarkedKeepsTheRestInOrderWithTheirKeys) {
    struct Case {
        const char *name;
        std::vector<bool> marked;
        QStringList left;
    } cases[] = {
        {"none", {}, {"a", "b", "c", "d", "e", "unkeyed"}},
        {"every second", {false, true, false, true, false}, {"a", "c", "e", "unkeyed"}},
        {"first and last", {true, false, false, false, false, true}, {"b", "c", "d", "e"}},
        {"all", {true, true, true, true, true, true}, {}},
        {"marks past the end ignored", {false, false, false, false, true, false, true, true}, {"a", "b", "c", "d", "unkeyed"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Collection<QString> col;
        for (const char *item : {"a", "b", "c", "d", "e"})
            col.Add(QString::fromLatin1(item), QStringLiteral("Key") + QString::fromLatin1(item).toUpper());
        col.Add(QStringLiteral("unkeyed"));
        col.RemoveMarked(c.marked);
        QStringList seen;
        for (const QString &s : col)
            seen << s;
        EXPECT_EQ(seen, c.left);
        for (const char *item : {"a", "b", "c", "d", "e"}) {
            const QString key = QStringLiteral("key") + QString::fromLatin1(item);
            const int at = int(c.left.indexOf(QString::fromLatin1(item))) + 1;
            EXPECT_EQ(col.IndexOf(key), at) << item;
            if (at > 0)
                EXPECT_EQ(col.KeyAt(at), QStringLiteral("Key") + QString::fromLatin1(item).toUpper());
            else
                col.Add(QStringLiteral("again"), key);  // a removed key is free again
        }
    }
}

TEST(KeyedCollection, EveryKeyStaysFoundAsTheIndexGrowsAndShrinks) {
    Collection<int> col;
    auto key = [](int i) { return QStringLiteral("Key phrase %1").arg(i); };
    auto expectAllAt = [&](const std::vector<int> &order) {
        ASSERT_EQ(col.Count(), int(order.size()));
        for (size_t at = 0; at < order.size(); ++at) {
            const int i = order[at];
            if (i < 0)
                continue;
            EXPECT_EQ(col.IndexOf(key(i).toUpper()), int(at) + 1) << i;
            EXPECT_EQ(col.Item(key(i)), i);
        }
    };
    col.Reserve(4);  // far too small: the index has to grow many times
    std::vector<int> order;
    for (int i = 0; i < 3000; ++i) {
        col.Add(i, key(i));
        order.push_back(i);
    }
    col.Add(-1);  // unkeyed
    order.push_back(-1);
    expectAllAt(order);
    EXPECT_EQ(col.IndexOf(key(3000)), 0);
    EXPECT_FALSE(col.Exists(QStringLiteral("Key phrase")));

    col.Add(5000, key(5000), 1);  // before the first: every position moves
    order.insert(order.begin(), 5000);
    expectAllAt(order);

    std::vector<bool> marked(order.size());
    std::vector<int> left;
    for (size_t at = 0; at < order.size(); ++at) {
        marked[at] = at % 3 != 1;
        if (!marked[at])
            left.push_back(order[at]);
    }
    col.RemoveMarked(marked);
    expectAllAt(left);
    for (size_t at = 0; at < order.size(); ++at) {
        if (marked[at] && order[at] >= 0) {
            EXPECT_FALSE(col.Exists(key(order[at]))) << order[at];
        }
    }

    // Letters outside ASCII fold too; an empty key is a key.
    col.Add(7, QString::fromUtf8("Key\xc3\x84pfel"));
    col.Add(8, QStringLiteral(""));
    EXPECT_EQ(col.Item(QString::fromUtf8("KEY\xc3\xa4PFEL")), 7);
    EXPECT_EQ(col.Item(QStringLiteral("")), 8);
    EXPECT_THROW(col.Add(9, QString::fromUtf8("kEy\xc3\xa4pFEL")), VBError);

    col.Clear();
    EXPECT_FALSE(col.Exists(key(1)));
    col.Add(1, key(1));
    EXPECT_EQ(col.IndexOf(key(1)), 1);
}

TEST(KeyedCollection, AppendLeavesOutRepeatsAsAddWouldRefuseThem) {
    Collection<QString> col;
    col.Add(QStringLiteral("old"), QStringLiteral("KeyOld"));
    std::vector<Collection<QString>::Entry> batch;
    for (const char *key : {"KeyA", "keyold", "KeyB", "KEYA", "", "KeyC"}) {
        if (*key)
            batch.push_back(Collection<QString>::Keyed(QString::fromLatin1(key), QString::fromLatin1(key)));
        else
            batch.push_back(Collection<QString>::Entry{QStringLiteral("unkeyed"), QString(), 0});
    }
    EXPECT_EQ(col.Append(std::move(batch)), (std::vector<size_t>{1, 3}));
    QStringList seen;
    for (const QString &s : col)
        seen << s;
    EXPECT_EQ(seen, (QStringList{"old", "KeyA", "KeyB", "unkeyed", "KeyC"}));
    EXPECT_EQ(col.IndexOf(QStringLiteral("KEYOLD")), 1);
    EXPECT_EQ(col.IndexOf(QStringLiteral("keya")), 2);
    EXPECT_EQ(col.IndexOf(QStringLiteral("keyc")), 5);
    EXPECT_THROW(col.Add(QStringLiteral("x"), QStringLiteral("keyb")), VBError);
}

TEST(VBNumbers, AmountsOutsideTheCurrencyRangeAreNotAmounts) {
    // The currency holds -922337203685477.5808 to 922337203685477.5807.
    Currency c;
    struct Case { const char *text; bool ok; std::int64_t scaled; } cases[] = {
        {"922337203685477.5807", true, std::numeric_limits<std::int64_t>::max()},
        {"-922337203685477.5808", true, std::numeric_limits<std::int64_t>::min()},
        {"922337203685477.5808", false, 0},
        {"922337203685477.58075", false, 0},  // rounds up past the end
        {"-922337203685477.5809", false, 0},
        {"999999999999999", false, 0},
        {"$9,999,999,999,999,999,999", false, 0},
        {"99999999999999999999999999999", false, 0},
    };
    for (const auto &k : cases) {
        c.scaled = 42;
        EXPECT_EQ(ParseAmount(QString::fromLatin1(k.text), &c), k.ok) << k.text;
        if (k.ok) {
            EXPECT_EQ(c.scaled, k.scaled) << k.text;
        }
    }
    const Currency top = Currency::fromScaled(std::numeric_limits<std::int64_t>::max());
    const Currency bottom = Currency::fromScaled(std::numeric_limits<std::int64_t>::min());
    EXPECT_THROW(top + Currency::fromScaled(1), VBError);
    EXPECT_THROW(bottom - Currency::fromScaled(1), VBError);
    EXPECT_EQ(Format00(top), QStringLiteral("922337203685477.58"));
    EXPECT_EQ(Format00(bottom), QStringLiteral("-922337203685477.58"));
}

TEST(VBNumbers, Format00OfHugeOrInfiniteValues) {
    EXPECT_EQ(Format00(1e20), QStringLiteral("100000000000000000000.00"));
    EXPECT_EQ(Format00(-1e17), QStringLiteral("-100000000000000000.00"));
    EXPECT_EQ(Format00(double(std::numeric_limits<float>::max())).left(10), QStringLiteral("3402823466"));
    for (double bad : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN()}) {
        try {
            Format00(bad);
            ADD_FAILURE() << bad;
        } catch (const VBError &e) {
            EXPECT_EQ(e.Number(), errOverflow);
        }
    }
}
