#include "core/AccountWindowGuard.h"
#include "core/KeywordRefusals.h"
#include "core/KeywordText.h"
#include "core/clsKeywords.h"
#include "core/KeywordListModel.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {
QStringList L(std::initializer_list<const char *> items) {
    QStringList out;
    for (const char *s : items)
        out << QString::fromUtf8(s);
    return out;
}
}  // namespace

TEST(KeywordText, TypedKeywordsSplitAtEveryKindOfLineEnd) {
    struct Case { const char *text; QStringList expected; } cases[] = {
        {"red shoes\r\nblue shoes", L({"red shoes", "blue shoes"})},
        {"a\nb\rc\r\n", L({"a", "b", "c"})},                        // LF, CR and CR LF alike
        {"  a  \r\n\r\n\n   \r\n b\n", L({"a", "b"})},              // trimmed, blank lines skipped
        {"Shoes\nshoes\nSHOES\nboots", L({"Shoes", "boots"})},      // repeats in any case once
        {"", {}},
        {"a,b\nc", L({"a,b", "c"})},                                // no other separator
        {"\ttab\t", L({"\ttab\t"})},                                // only blanks are trimmed
    };
    for (const Case &c : cases)
        EXPECT_EQ(KeywordText::SplitLines(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(KeywordText, ImportSplitsAtTheSeparatorAfterJoiningLines) {
    struct Case { const char *text; const char *separator; QStringList expected; } cases[] = {
        // A comma list spread over lines: the lines join with a blank first.
        {"red, blue\r\ngreen,\nyellow", ",", L({"red", "blue green", "yellow"})},
        {"a\tb|c\r|d", "|", L({"a b", "c", "d"})},
        {"a\r\n\r\nb", ",", L({"a  b"})},                            // CR LF is one blank
        {"cats and dogs and cats", " and ", L({"cats", "dogs"})},    // several characters, exact
        {"aXbxc", "x", L({"aXb", "c"})},                             // case-sensitive
        {",,a,,A,", ",", L({"a"})},
        {"one\ntwo\r\nthree", "One keyword per line", L({"one", "two", "three"})},
        {"one\ntwo", "", L({"one", "two"})},                         // empty separator: one per line
        {"one\ntwo", "one keyword per line", L({"one two"})},       // only the exact choice means lines
    };
    for (const Case &c : cases)
        EXPECT_EQ(KeywordText::SplitImport(QString::fromUtf8(c.text), QString::fromUtf8(c.separator)), c.expected)
            << c.text << " / " << c.separator;
}

TEST(KeywordText, ImportFilesAreUtf8WhenValidElseWindows1252) {
    struct Case { QByteArray bytes; QString expected; } cases[] = {
        {"plain\r\n", "plain\r\n"},
        {"\xEF\xBB\xBF" "caf\xC3\xA9", QString::fromUtf8("café")},       // BOM dropped
        {"caf\xC3\xA9 \xE2\x82\xAC", QString::fromUtf8("café €")},
        {"caf\xE9 \x80", QString::fromUtf8("café €")},                   // not UTF-8: the code page
        {"\xEF\xBB\xBF" "caf\xE9", QString::fromUtf8("ï»¿café")},        // a BOM on a 1252 file is text
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(KeywordText::DecodeImport(c.bytes), c.expected) << c.bytes.toHex().constData();
}

TEST(KeywordText, KeywordsDatRefusesWhatItCannotHold) {
    using R = clsKeywords::Refusal;
    struct Case { const char *keyword; R reason; } cases[] = {
        {"plain", R::None},
        {"café €uro Ÿ ™", R::None},  // all in the code page
        {"a;b", R::SeparatorOrLineBreak},
        {"a\nb", R::SeparatorOrLineBreak},
        {"a\rb", R::SeparatorOrLineBreak},
        {"日本", R::Unstorable},
        {"smile 😀", R::Unstorable},
        {"\xC2\x81", R::None},  // the code page's unassigned bytes still round-trip
    };
    clsKeywords list;
    list.setEngine("E");
    list.setAccountName("A");
    int stored = 0;
    for (const Case &c : cases) {
        const QString k = QString::fromUtf8(c.keyword);
        EXPECT_EQ(clsKeywords::RefusalReason(k), c.reason) << c.keyword;
        list.Add("Key" + k, k);
        stored += c.reason == R::None;
    }
    EXPECT_EQ(list.Keywords()->Count(), stored);
    EXPECT_EQ(testenv::errorLog().count("clsKeywords_Add: keyword refused"), int(std::size(cases)) - stored);
    // One line per refusal: the keyword's line breaks are not copied.
    EXPECT_EQ(testenv::errorLog().count("\r\n"), int(std::size(cases)) - stored);
}

TEST(KeywordText, RefusalMessageCountsByReason) {
    struct Case { QStringList keywords; const char *message; } cases[] = {
        {L({"ok", "fine"}), ""},
        {L({"a;b"}), "1 keyword was not added.\r\n\r\n1 contains \";\" or a line break, which a keyword cannot hold."},
        {L({"a;b", "c;d", "日本", "ok"}),
         "3 keywords were not added.\r\n\r\n2 contain \";\" or a line break, which a keyword cannot hold.\r\n"
         "1 contains characters the keyword file cannot store."},
        {L({"日", "本"}), "2 keywords were not added.\r\n\r\n2 contain characters the keyword file cannot store."},
        {QStringList{QString(1001, 'x'), "a\nb", QString(1000, 'y')},
         "2 keywords were not added.\r\n\r\n1 contains \";\" or a line break, which a keyword cannot hold.\r\n"
         "1 is longer than 1000 characters."},
    };
    for (const Case &c : cases) {
        KeywordRefusals refused;
        for (const QString &k : c.keywords)
            refused.Check(k);
        EXPECT_EQ(refused.Message(), QString::fromUtf8(c.message));
        // Reported once, titled "Keywords", only when something was refused.
        testenv::clearShownMsgBoxes();
        if (refused.Total() > 0)
            testenv::answerMsgBox(seam::vbOK);
        refused.Report();
        ASSERT_EQ(testenv::shownMsgBoxes().size(), refused.Total() > 0 ? 1 : 0);
        if (refused.Total() > 0) {
            EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "Keywords");
            EXPECT_EQ(testenv::shownMsgBoxes()[0].style, seam::vbExclamation);
        }
    }
}

TEST(AccountWindowGuard, OpenWhileAnyWindowOfTheAccountLives) {
    EXPECT_FALSE(AccountWindowGuard::IsOpen("Google", "acme"));
    {
        AccountWindowGuard outer("Google", "acme");
        {
            AccountWindowGuard inner("google", "ACME");  // names compare without case
            EXPECT_TRUE(AccountWindowGuard::IsOpen("Google", "acme"));
        }
        EXPECT_TRUE(AccountWindowGuard::IsOpen("Google", "Acme"));
        EXPECT_FALSE(AccountWindowGuard::IsOpen("Google", "acme2"));
        EXPECT_FALSE(AccountWindowGuard::IsOpen("Overture", "acme"));
    }
    EXPECT_FALSE(AccountWindowGuard::IsOpen("Google", "acme"));
}

TEST(KeywordText, ListFillPutsEachKeywordAtItsPositionAroundRowsAlreadyThere) {
    clsKeywords list;
    for (const char *k : {"a", "X", "c", "d"})
        list.Add(QString("Key") + k, k);
    KeywordListModel view;
    view.appendRow({"x"}, "Keyx");  // taken: "X" is skipped, its place stays counted
    view.appendRow({"e"}, "Keye");
    list.PopulateKeywords(&view, true);
    QStringList rows;
    for (int i = 0; i < view.count(); ++i)
        rows << view.text(i, 0);
    EXPECT_EQ(rows, QStringList({"a", "x", "c", "d", "e"}));
}
