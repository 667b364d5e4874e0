#include "report/SmtpReplyReader.h"

#include <gtest/gtest.h>

namespace {

struct Got { int code; QByteArray text; };

QList<Got> feedAll(SmtpReplyReader &reader, const QList<QByteArray> &packets) {
    QList<Got> out;
    for (const QByteArray &p : packets)
        for (const auto &r : reader.Feed(p))
            out.append({r.code, r.text});
    return out;
}

struct Case { const char *name; QList<QByteArray> packets; QList<Got> expected; };

}  // namespace

TEST(SmtpReplyReader, ActsOncePerCompleteReply) {
    const QList<Case> cases = {
        {"one line", {"220 ready\r\n"}, {{220, "220 ready\r\n"}}},
        {"bare code", {"250\r\n"}, {{250, "250\r\n"}}},
        {"multi-line in one packet",
         {"250-fake\r\n250-SIZE 1000\r\n250 HELP\r\n"},
         {{250, "250-fake\r\n250-SIZE 1000\r\n250 HELP\r\n"}}},
        {"multi-line over packets", {"250-fake\r\n", "250-SIZE\r\n", "250 HELP\r\n"}, {{250, "250-fake\r\n250-SIZE\r\n250 HELP\r\n"}}},
        {"cut mid-line", {"25", "0 o", "k\r", "\n"}, {{250, "250 ok\r\n"}}},
        {"two replies in one packet", {"250 ok\r\n354 go\r\n"}, {{250, "250 ok\r\n"}, {354, "354 go\r\n"}}},
        {"bare LF line ends", {"221 bye\n"}, {{221, "221 bye\r\n"}}},
        {"lines without a code are ignored",
         {"hello\r\n2500 x\r\n25 x\r\nabc 250\r\n\r\n099 low\r\n550 no\r\n"},
         {{550, "550 no\r\n"}}},
        {"a stray line inside a multi-line reply", {"250-a\r\nnoise\r\n250 b\r\n"}, {{250, "250-a\r\n250 b\r\n"}}},
        {"the last line's code counts", {"250-a\r\n251 b\r\n"}, {{251, "250-a\r\n251 b\r\n"}}},
        {"an unfinished line is kept", {"250 o"}, {}},
    };
    for (const Case &c : cases) {
        SmtpReplyReader reader;
        const QList<Got> got = feedAll(reader, c.packets);
        ASSERT_EQ(got.size(), c.expected.size()) << c.name;
        for (int i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].code, c.expected[i].code) << c.name;
            EXPECT_EQ(got[i].text, c.expected[i].text) << c.name;
        }
    }
}

TEST(SmtpReplyReader, EverySplitOfATranscriptGivesTheSameReplies) {
    const QByteArray transcript = "220 hi\r\n250-a\r\n250 b\r\nnoise\r\n354 go\r\n250\r\n221 bye\r\n";
    SmtpReplyReader whole;
    const QList<Got> expected = feedAll(whole, {transcript});
    ASSERT_EQ(expected.size(), 5);
    for (int a = 0; a <= transcript.size(); ++a)
        for (int b = a; b <= transcript.size(); ++b) {
            SmtpReplyReader reader;
            const QList<Got> got = feedAll(reader, {transcript.left(a), transcript.mid(a, b - a), transcript.mid(b)});
            ASSERT_EQ(got.size(), expected.size()) << a << "," << b;
            for (int i = 0; i < got.size(); ++i)
                EXPECT_EQ(got[i].text, expected[i].text);
        }
}

TEST(SmtpReplyReader, AnOverlongLineIsDroppedAndReadingGoesOn) {
    const QByteArray longLine = "250 " + QByteArray(SmtpReplyReader::kMaxLine, 'x') + "\r\n";
    for (int split : {0, 100, SmtpReplyReader::kMaxLine + 2}) {
        SmtpReplyReader reader;
        const QByteArray all = longLine + "354 go\r\n";
        const QList<Got> got = feedAll(reader, {all.left(split), all.mid(split)});
        ASSERT_EQ(got.size(), 1) << split;
        EXPECT_EQ(got[0].code, 354);
        EXPECT_FALSE(reader.HasPartial());
    }
}
