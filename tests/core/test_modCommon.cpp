#include "core/Globals.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/Registry.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "support/TestEnv.h"

#include <QDir>
#include <cmath>
#include <QFile>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

QString errorLogPath() { return platform::JoinPath(testenv::programDir(), "Error.log"); }

QString crlf(const QStringList &lines) { return lines.join("\r\n"); }

// Checks a text function on each input.
void expectEach(QString (*function)(const QString &), const QList<QPair<QString, QString>> &cases) {
    for (const auto &c : cases)
        EXPECT_EQ(function(c.first).toStdString(), c.second.toStdString()) << '"' << c.first.toStdString() << '"';
}

}  // namespace


TEST(WriteErrorLog, AppendsAnsiTextAndCrLfAfterExistingBytes) {
    ResetErrorLogForTests();
    testenv::writeFile(errorLogPath(), QByteArray("old\r\n"));
    WriteErrorLog("first " + PoundSign() + "1.05");
    WriteErrorLog("");
    WriteErrorLog("line1\r\nline2");
    EXPECT_EQ(testenv::errorLog(), QByteArray("old\r\nfirst \xA3" "1.05\r\n\r\nline1\r\nline2\r\n"));
}

TEST(WriteErrorLog, KeepsTheFileItOpenedFirstAndAFailedFirstOpenSilencesTheRun) {
    ResetErrorLogForTests();
    WriteErrorLog("one");
    ASSERT_EQ(testenv::errorLog(), QByteArray("one\r\n"));
    // The handle stays open: a log removed behind its back is not recreated.
    ASSERT_TRUE(QFile::remove(errorLogPath()));
    WriteErrorLog("two");
    EXPECT_FALSE(QFile::exists(errorLogPath()));

    ResetErrorLogForTests();
    ASSERT_TRUE(QDir().mkpath(errorLogPath()));  // a folder where the log should be
    WriteErrorLog("lost");
    ASSERT_TRUE(QDir(errorLogPath()).removeRecursively());
    WriteErrorLog("also lost");
    EXPECT_FALSE(QFile::exists(errorLogPath()));
    // A reset (a new process) opens it again.
    ResetErrorLogForTests();
    WriteErrorLog("back");
    EXPECT_EQ(testenv::errorLog(), QByteArray("back\r\n"));
}


// The reader's rules (case, trimming, the 559-character cut) are the profile reader's.
TEST(IniString, ReadsAndWritesThroughTheProfile) {
    const QString file = platform::JoinPath(testenv::tempDir(), "a.ini");
    EXPECT_EQ(ReadIniString(file, "S", "k"), "");  // no file
    EXPECT_EQ(WriteIniString(file, "S", "k", "value   "), "1");
    EXPECT_EQ(ReadIniString(file, "s", "K"), "value");
    EXPECT_EQ(WriteIniString(file, "S", "long", QString(600, 'x')), "1");
    EXPECT_EQ(ReadIniString(file, "S", "long"), QString(559, 'x'));
    // A null value writes an empty one instead of deleting the key.
    EXPECT_EQ(WriteIniString(file, "S", "k", QString()), "1");
    EXPECT_TRUE(testenv::readFile(file).contains("k="));
    EXPECT_EQ(ReadIniString(file, "S", "k"), "");

    // A value cut at a NUL reads as what writing it back gives.
    const QString nul = platform::JoinPath(testenv::tempDir(), "nul.ini");
    testenv::writeFile(nul, QByteArray("[S]\r\nk=name \t\0\0tail\r\n", 21));
    EXPECT_EQ(ReadIniString(nul, "S", "k"), "name");
    EXPECT_EQ(ReadIniString(platform::ProfileReader(nul), "S", "k"), "name");

    const QString noFolder = platform::JoinPath(testenv::tempDir(), "missing", "b.ini");
    EXPECT_EQ(WriteIniString(noFolder, "S", "k", "v"), "0");
    EXPECT_FALSE(QFile::exists(noFolder));
    EXPECT_EQ(GetWindowsDir(), testenv::windowsDir() + "/");  // one trailing slash
}

TEST(ShellOpen, OpensOnlyAllowedTargetsAndRestoresThePointer) {
    EXPECT_TRUE(ShellOpen("https://example.com/help", 3));
    EXPECT_TRUE(ShellOpen("mailto:someone@example.com"));
    EXPECT_FALSE(ShellOpen("file:///etc/passwd"));
    EXPECT_FALSE(ShellOpen("/bin/sh"));
    EXPECT_EQ(testenv::shellOpened(),
              QStringList({"https://example.com/help", "mailto:someone@example.com"}));
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
}

TEST(CenterForm, PlacesTheFormByTheScreenFormula) {
    QWidget form;
    form.resize(301, 151);
    CenterForm(&form);
    const QRect area = form.screen()->availableGeometry();
    // Odd sizes: the rounded difference is halved dropping the remainder.
    const int expectedLeft = (area.width() - 301) / 2;
    const int expectedTop = int(std::nearbyint(0.9 * area.height() - 151)) / 2;
    EXPECT_EQ(form.pos(), area.topLeft() + QPoint(expectedLeft, expectedTop));
    CenterForm(nullptr);  // harmless
}


TEST(TextHelpers, EachGivesItsTextForEachInput) {
    expectEach(StripNulls,
               {{QString("abc") + QChar(0) + "def" + QChar(0), "abc"}, {"abc", "abc"}, {QString(QChar(0)), ""}});
    expectEach(RemoveLineBreaks, {{"a\r\nb\rc\nd\te", "a b c d e"}, {"\n\r", "  "} /* LF CR is two breaks */,
                                  {"plain", "plain"}});
    expectEach(TrimComma, {{",a,b,", "a,b"}, {",,a", ",a"}, {",", ""}, {"a,,", "a,"}, {"", ""}, {"a", "a"}});
    expectEach(GetHostFromURL, {{"http://host:8080/x/y", "host:8080"}, {"https://www.example.com", "www.example.com"},
                                {"www.example.com/a/b", "www.example.com"}, {"plainhost", "plainhost"},
                                {"//host/a", "host"}});
    expectEach(GetURLPath, {{"http://host/dir/page.asp?x=1", "host/dir"}, {"http://host/dir/sub", "host/dir/sub"},
                            {"http://host/dir/", "host/dir"}, {"http://host/dir/page.html", "host/dir"},
                            {"http://host/dir?x=1", "host"},  // the segment before a query is a file
                            {"https://host", "host"}, {"host/a/b", "host/a/b"}, {"page.asp", "page.asp"}});
}

TEST(TextHelpers, ParseString) {
    struct Case { QString text, delimiter; int field; QString expected; };
    const QList<Case> cases = {
        {"FONT SIZE=2", " ", 1, "FONT"}, {"FONT SIZE=2", " ", 2, "SIZE=2"}, {"a b", " ", 3, ""}, {"a b", " ", 2, "b"},
        {"a;;c", ";", 2, ""},            {"a;;c", ";", 3, "c"},           {"", ";", 1, ""},
        {"oneXtwoxthree", "x", 2, "two"}, {"oneXtwoxthree", "x", 3, "three"},  // delimiter case ignored
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseString(c.text, c.delimiter, c.field), c.expected)
            << c.text.toStdString() << " field " << c.field;
}

TEST(Base64Encode, MatchesRfc4648) {
    expectEach(Base64Encode, {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
                              {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"user:pass", "dXNlcjpwYXNz"},
                              {PoundSign(), "ow=="}});  // the text's ANSI bytes, not UTF-8

    // Longer than one 54-byte chunk: still one line, padded only at the end.
    const QString encoded = Base64Encode(QString(100, 'a'));
    EXPECT_EQ(encoded.size(), 136);
    EXPECT_FALSE(encoded.contains('\n'));
    EXPECT_EQ(encoded.indexOf('='), 134);
    EXPECT_EQ(QByteArray::fromBase64(encoded.toLatin1()), QByteArray(100, 'a'));
}


TEST(StripHTML, TagsBecomeLineBreaksOnlyClosedTextIsCopiedAndLinesAreNormalised) {
    const QString rule(50, '-');
    expectEach(StripHTML, {
        {"Price<BR>$0.25</TD>", crlf({"Price", "$0.25"})},
        {"abc", ""},
        {"a<br>b<x", crlf({"a", "b"})},  // unclosed "<": text before it stays
        {"a<p class=\"x\">b</p>", crlf({"a", "", "b"})},
        {"<h1>T</h1>x</H5>y<dl>z</b>", crlf({"T", "", "x", "", "y", "", "z"})},
        {"a<HR>b</x>", crlf({"a", rule, "b"})},
        {"<BR/>a<br clear=all>b</x>", crlf({"a", "b"})},  // "BR/" is not "BR"
        {"<TD>&amp; &nbsp;</TD>", "&amp; &nbsp;"},
        {"<h1>a</h6>b<h2>c</x>", "abc"},  // only closing headings 1-5 break
        {"", ""},
        // First line keeps its blanks; later lines lose leading ones, the end is trimmed.
        {"  lead  <BR>  mid  <BR>  last  </x>", crlf({"  lead  ", "mid  ", "last"})},
        // Source line breaks of any kind end up as CR LF; lone CRs vanish.
        {"a\r\n  b\n c\rd</x>", crlf({"a", "b", "cd"})},
        {"  only  </x>", "  only  "},
        {"a<br>   <br>b</x>", crlf({"a", "", "b"})},
        {"a<br>  </x>", crlf({"a", ""})},
    });
}

TEST(StripHTML, HandlesLargePagesWithManyTags) {
    QString page;
    for (int i = 0; i < 20000; ++i)
        page += "<TD class=x>cell<BR>";
    page += "</TABLE>";
    const QString text = StripHTML(page);
    EXPECT_EQ(text.count("cell\r\n"), 20000);
}


TEST(isValidTime, ChecksFirstAndLastParts) {
    const QList<QPair<QString, bool>> cases = {
        {"9:05", true},   {"0:0", true},    {"23:59", true},  {"10:99:30", true},
        {"24:00", false}, {"12:60", false}, {"12:", false},   {":30", false},
        {"1230", false},  {"", false},      {"ab:10", false}, {"-1:10", false},
        {"10:-1", false}, {"12:30:x", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isValidTime(c.first), c.second) << c.first.toStdString();
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
}


TEST(MoneyText, ConvertsAmountsWithPoundOrDollarSigns) {
    const QString pound = PoundSign();
    EXPECT_EQ(pound, QString(QChar(0xA3)));
    const QList<QPair<QString, qint64>> cases = {
        {pound + "1.05", 10500},   {"$1.05", 10500},       {"1.05", 10500},
        {"1,000.00", 10000000},    {"$1,000.00", 10000000}, {" $12.50 ", 125000},
        {pound + "0.25" + pound, 2500}, {"0", 0},           {"$0.07", 700},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(StrToCurrency(c.first).scaled, c.second) << c.first.toStdString();
        EXPECT_FLOAT_EQ(StrToSingle(c.first), float(c.second / 10000.0)) << c.first.toStdString();
        EXPECT_TRUE(IsNumericAmount(c.first)) << c.first.toStdString();
    }
}

TEST(MoneyText, TextThatIsNotAnAmountRaisesTypeMismatch) {
    const QStringList bad = {"", PoundSign(), "abc", "$", "1.0.5", "12 50"};
    for (const QString &text : bad) {
        EXPECT_FALSE(IsNumericAmount(text)) << text.toStdString();
        try {
            StrToCurrency(text);
            ADD_FAILURE() << "no error for " << text.toStdString();
        } catch (const vb::VBError &e) {
            EXPECT_EQ(e.Number(), 13);
        }
        EXPECT_THROW(StrToSingle(text), vb::VBError) << text.toStdString();
    }
    EXPECT_TRUE(testenv::errorLog().isEmpty());  // the caller logs, not these
}


TEST(GetEngineSetting, ReadsTheEngineFlagMissingMeaningEnabled) {
    const QString saved = g_sEngineKey;
    g_sEngineKey = "Software\\Test\\Engine";
    auto &reg = platform::Registry::instance();

    EXPECT_TRUE(GetEngineSetting("Overture"));  // no key at all
    reg.createKey(g_sEngineKey);
    EXPECT_TRUE(GetEngineSetting("Overture"));  // no value

    const QList<QPair<QString, bool>> cases = {
        {"1", true}, {"0", false}, {"True", true}, {"False", false}, {"-1", true},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(reg.setValue(g_sEngineKey, "FindWhat", c.first));
        EXPECT_EQ(GetEngineSetting("findwhat"), c.second) << c.first.toStdString();
    }
    ASSERT_TRUE(reg.setValue(g_sEngineKey, "FindWhat", "yes"));
    try {
        GetEngineSetting("FindWhat");
        ADD_FAILURE() << "no error for \"yes\"";
    } catch (const vb::VBError &e) {
        EXPECT_EQ(e.Number(), 13);
    }
    g_sEngineKey = saved;
}


TEST(GetKeywordsCount, CountsNonEmptyLinesOfTheAccountsKeywordFile) {
    auto keywordFile = [](const QString &engine, const QString &account) {
        using platform::SafePathComponent;
        return platform::JoinPath(testenv::programDir(), "Accounts", SafePathComponent(engine),
                                  SafePathComponent(account) + "/Keywords.dat");
    };
    EXPECT_EQ(GetKeywordsCount("Overture", "Shop"), 0);  // no file

    testenv::writeFile(keywordFile("Overture", "Shop"),
                       "shoes;1;;;;;;;;;\r\n\r\nboots;2;;;;;;;;;\r\n\r\nhats;3;;;;;;;;;\r\n\r\n");
    EXPECT_EQ(GetKeywordsCount("Overture", "Shop"), 3);
    testenv::writeFile(keywordFile("Overture", "Unix"), "a\n\nb\rc\r\n\n\rlast, no end");
    EXPECT_EQ(GetKeywordsCount("Overture", "Unix"), 4);

    // Unsafe names map to their own folder instead of escaping the Accounts folder.
    testenv::writeFile(keywordFile("Over/ture", "../Shop"), "a\r\n\r\n");
    EXPECT_EQ(GetKeywordsCount("Over/ture", "../Shop"), 1);
    EXPECT_EQ(GetKeywordsCount("Overture", "Shop"), 3);
    EXPECT_TRUE(testenv::errorLog().isEmpty());

    // An unreadable keyword file is logged and counts what was reached.
    ASSERT_TRUE(QDir().mkpath(keywordFile("FindWhat", "Broken")));
    EXPECT_EQ(GetKeywordsCount("FindWhat", "Broken"), 0);
    EXPECT_TRUE(testenv::errorLog().startsWith("modCommon_GetKeywordsCount error: "));
}
