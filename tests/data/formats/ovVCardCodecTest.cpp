#include "data/formats/ovVCardCodec.h"

#include "data/pim/ovPimContact.h"
#include "system/ovUtf.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const ovPimContact& contactAt(const ovDecoded& d, size_t i) {
    return *ovPimItemCast<ovPimContact>(d.items.at(i).get());
}

// Every physical line of the text, without its line ending.
std::vector<std::string> physicalLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(line);
    }
    return out;
}

} // namespace

TEST(ovVCardCodecTest, ReadsTheThreeVersionsTheirTypesFoldingEscapesAndPreference) {
    const std::string text = "BEGIN:VCARD\r\n"
                             "VERSION:3.0\r\n"
                             "UID:anna-1\r\n"
                             "N:Berg\\, von;Anna;;;\r\n"
                             "FN:Anna von Berg\r\n"
                             "TEL;TYPE=HOME,VOICE:+49 30 1\r\n"
                             "TEL;TYPE=work;TYPE=voice:+49 30 2\r\n"
                             "TEL;TYPE=WORK,FAX:+49 30 3\r\n"
                             "item1.TEL;TYPE=CELL:+49 170\r\n"
                             "  0001\r\n"
                             "EMAIL;TYPE=INTERNET:old@example.org\r\n"
                             "EMAIL;TYPE=INTERNET,PREF:anna@example.org\r\n"
                             "NOTE:line one\\nline two\r\n"
                             "END:VCARD\r\n"
                             // 4.0, LF endings, a quoted type list, no N, a tel: URI.
                             "BEGIN:VCARD\n"
                             "VERSION:4.0\n"
                             "FN:Jürgen Öztürk\n"
                             "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+49-171-2\n"
                             "EMAIL;PREF=1:j@example.org\n"
                             "EMAIL:other@example.org\n"
                             "END:VCARD\n"
                             // 2.1 with bare types and a quoted-printable name over two lines.
                             "BEGIN:VCARD\r\n"
                             "VERSION:2.1\r\n"
                             "N;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:M=C3=BCller;Kl=\r\n"
                             "=C3=A4re\r\n"
                             "TEL;CELL:0172 3\r\n"
                             "TEL;HOME;VOICE:030 4\r\n"
                             "END:VCARD\r\n";
    const ovDecoded d = ovDecodeVCards(text);
    ASSERT_TRUE(d.problems.empty()) << d.problems[0].problem;
    ASSERT_EQ(d.items.size(), 3u);
    const ovPimContact& anna = contactAt(d, 0);
    EXPECT_EQ(anna.uid(), "anna-1");
    EXPECT_EQ(anna.fileAs(), u"Berg, von");
    EXPECT_EQ(anna.firstName(), u"Anna");
    EXPECT_EQ(anna.homeTelephoneNumber(), u"+49 30 1");
    EXPECT_EQ(anna.businessTelephoneNumber(), u"+49 30 2");
    EXPECT_EQ(anna.businessFaxNumber(), u"+49 30 3");
    EXPECT_EQ(anna.mobileTelephoneNumber(), u"+49 170 0001");
    EXPECT_EQ(anna.email1Address(), u"anna@example.org");

    const ovPimContact& j = contactAt(d, 1);
    EXPECT_EQ(j.fileAs(), u"Jürgen Öztürk");
    EXPECT_EQ(j.firstName(), u"");
    EXPECT_EQ(j.mobileTelephoneNumber(), u"+49-171-2");
    EXPECT_EQ(j.email1Address(), u"j@example.org");
    EXPECT_FALSE(j.uid().empty()); // a card without a UID is given one

    const ovPimContact& k = contactAt(d, 2);
    EXPECT_EQ(k.fileAs(), u"Müller");
    EXPECT_EQ(k.firstName(), u"Kläre");
    EXPECT_EQ(k.mobileTelephoneNumber(), u"0172 3");
    EXPECT_EQ(k.homeTelephoneNumber(), u"030 4");
}

TEST(ovVCardCodecTest, ABrokenCardIsNamedByItsLineAndTheOthersAreStillRead) {
    const std::string text = "BEGIN:VCARD\nVERSION:3.0\nN:One;;;;\nEND:VCARD\n"
                             "BEGIN:VCARD\nVERSION:3.0\nN:Two;;;;\nthis line has no colon\nEND:VCARD\n"
                             "BEGIN:VCARD\nVERSION:5.0\nN:Three;;;;\nEND:VCARD\n"
                             "BEGIN:VCARD\nVERSION:3.0\nN:Four;;;;\nEND:VCARD\n"
                             "BEGIN:VCARD\nVERSION:3.0\nN:Five\xC3;;;;\nEND:VCARD\n"
                             "BEGIN:VCARD\nVERSION:3.0\nN:Six;;;;\n";
    const ovDecoded d = ovDecodeVCards(text);
    ASSERT_EQ(d.items.size(), 2u);
    EXPECT_EQ(contactAt(d, 0).fileAs(), u"One");
    EXPECT_EQ(contactAt(d, 1).fileAs(), u"Four");
    ASSERT_EQ(d.problems.size(), 4u);
    EXPECT_EQ(d.problems[0].line, 8);
    EXPECT_NE(d.problems[0].problem.find("NAME:VALUE"), std::string::npos);
    EXPECT_EQ(d.problems[1].line, 11);
    EXPECT_NE(d.problems[1].problem.find("5.0"), std::string::npos);
    EXPECT_EQ(d.problems[2].line, 18);
    EXPECT_NE(d.problems[2].problem.find("UTF-8"), std::string::npos);
    EXPECT_EQ(d.problems[3].line, 22);
    EXPECT_NE(d.problems[3].problem.find("END:VCARD"), std::string::npos);
}

TEST(ovVCardCodecTest, ANulByteHiddenInQuotedPrintableIsRefusedLikeAPlainOne) {
    const std::string text =
        "BEGIN:VCARD\nVERSION:2.1\nN;ENCODING=QUOTED-PRINTABLE:Le=00e;;;;\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:2.1\nN:Kim;;;;\nTEL;CELL;ENCODING=QUOTED-PRINTABLE:0170=00\n"
        "END:VCARD\n"
        "BEGIN:VCARD\nVERSION:2.1\nN:Ray;;;;\nEMAIL;QUOTED-PRINTABLE:a=00@b.org\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:2.1\nN;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;;;;\nEND:VCARD\n";
    const ovDecoded d = ovDecodeVCards(text);
    ASSERT_EQ(d.items.size(), 1u);
    EXPECT_EQ(contactAt(d, 0).fileAs(), u"M\u00fcller");
    ASSERT_EQ(d.problems.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(d.problems[i].line, static_cast<int>(1 + 4 * i + (i == 2 ? 1 : 0)));
        EXPECT_NE(d.problems[i].problem.find("NUL"), std::string::npos) << d.problems[i].problem;
    }
}

TEST(ovVCardCodecTest, WritingBackChangesOnlyWhatTheStoreHoldsAndKeepsTheRest) {
    const std::string text = "BEGIN:VCARD\r\n"
                             "VERSION:4.0\r\n"
                             "UID:urn:uuid:0a1b\r\n"
                             "FN:Anna Berg\r\n"
                             "N:Berg;Anna;Maria;Dr.;\r\n"
                             "CATEGORIES:friends,climbing\r\n"
                             "X-FOO;X-PARAM=\"a:b\":kept as it was\r\n"
                             "TEL;TYPE=cell:+49 170 1\r\n"
                             "TEL;TYPE=home:+49 30 1\r\n"
                             "EMAIL:anna@example.org\r\n"
                             "END:VCARD\r\n";
    ovDecoded d = ovDecodeVCards(text);
    ASSERT_EQ(d.items.size(), 1u);
    auto* c = ovPimItemCast<ovPimContact>(d.items[0].get());
    // Unchanged, the card is written back as it was read.
    EXPECT_EQ(ovEncodeContact(*c), text);

    c->setFirstName(u"Anne");
    c->setMobileTelephoneNumber(u"+49 170 2");
    c->setHomeTelephoneNumber(u"");
    c->setBusinessFaxNumber(u"+49 30 9");
    const std::string written = ovEncodeContact(*c);
    const std::vector<std::string> lines = physicalLines(written);
    const auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("VERSION:4.0"));
    EXPECT_TRUE(has("N:Berg;Anne;Maria;Dr.;"));
    EXPECT_TRUE(has("FN:Anne Berg"));
    EXPECT_TRUE(has("CATEGORIES:friends,climbing"));
    EXPECT_TRUE(has("X-FOO;X-PARAM=\"a:b\":kept as it was"));
    EXPECT_TRUE(has("TEL;TYPE=cell:+49 170 2"));
    EXPECT_FALSE(has("TEL;TYPE=home:+49 30 1"));
    EXPECT_EQ(lines.back(), "END:VCARD");

    const ovDecoded again = ovDecodeVCards(written);
    ASSERT_EQ(again.items.size(), 1u);
    const ovPimContact& back = contactAt(again, 0);
    EXPECT_EQ(back.uid(), "urn:uuid:0a1b");
    EXPECT_EQ(back.fileAs(), u"Berg");
    EXPECT_EQ(back.firstName(), u"Anne");
    EXPECT_EQ(back.mobileTelephoneNumber(), u"+49 170 2");
    EXPECT_EQ(back.homeTelephoneNumber(), u"");
    EXPECT_EQ(back.businessFaxNumber(), u"+49 30 9");
    EXPECT_EQ(back.email1Address(), u"anna@example.org");
}

TEST(ovVCardCodecTest, ANewContactIsAValidFoldedCardThatReadsBackTheSame) {
    ovPimContact c;
    c.setUid("new-1");
    // Long enough to fold several times, with multi-byte letters likely to meet a fold.
    std::u16string name;
    for (int i = 0; i < 12; ++i)
        name += u"Çağrı, Ωμέγα; ";
    c.setFileAs(name);
    c.setFirstName(u"Zoë\\n");
    c.setHomeTelephoneNumber(u"+1 555 0100");
    c.setBusinessTelephoneNumber(u"+1 555 0101");
    c.setEmail1Address(u"zoe@example.org");
    const std::string written = ovEncodeContact(c);
    for (const std::string& line : physicalLines(written)) {
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_TRUE(ovIsValidUtf8(line)) << "a fold split a UTF-8 sequence: " << line;
    }
    EXPECT_EQ(written.rfind("BEGIN:VCARD\r\nVERSION:3.0\r\n", 0), 0u);
    EXPECT_NE(written.find("\r\nUID:new-1\r\n"), std::string::npos);

    const ovDecoded d = ovDecodeVCards(written);
    ASSERT_EQ(d.items.size(), 1u);
    const ovPimContact& back = contactAt(d, 0);
    EXPECT_EQ(back.uid(), "new-1");
    EXPECT_EQ(back.fileAs(), name);
    EXPECT_EQ(back.firstName(), u"Zoë\\n");
    EXPECT_EQ(back.homeTelephoneNumber(), u"+1 555 0100");
    EXPECT_EQ(back.businessTelephoneNumber(), u"+1 555 0101");
    EXPECT_EQ(back.mobileTelephoneNumber(), u"");
    EXPECT_EQ(back.email1Address(), u"zoe@example.org");
}

// A comma is a separator in vCard text values (khard and vobject split lists at it), so
// every comma of a name written out is escaped, also where our own reader would not care.
TEST(ovVCardCodecTest, CommasInNamesAreWrittenEscaped) {
    ovPimContact c;
    c.setUid("comma-1");
    c.setFileAs(u"Jones, Bob");
    c.setFirstName(u"Bob, Jr.");
    c.setEmail1Address(u"bob@example.org");
    std::string unfolded = ovEncodeContact(c);
    for (size_t at; (at = unfolded.find("\r\n ")) != std::string::npos;)
        unfolded.erase(at, 3);
    int checked = 0;
    for (const std::string& line : physicalLines(unfolded)) {
        if (line.rfind("N:", 0) != 0 && line.rfind("FN:", 0) != 0)
            continue;
        ++checked;
        for (size_t i = line.find(','); i != std::string::npos; i = line.find(',', i + 1))
            EXPECT_TRUE(i > 0 && line[i - 1] == '\\') << "a bare comma in " << line;
    }
    EXPECT_EQ(checked, 2);
    EXPECT_NE(unfolded.find("\r\nN:Jones\\, Bob;Bob\\, Jr.;"), std::string::npos) << unfolded;
}
