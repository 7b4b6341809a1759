// The services file: the line grammar, the 300-byte pieces, the table's order and lookups.
#include "toolkit/ServicesParser.h"
#include "toolkit/core/ServicesGrammar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string name;
    unsigned port;
    unsigned protocol;
    bool operator==(const Row& o) const { return name == o.name && port == o.port && protocol == o.protocol; }
};

void PrintTo(const Row& r, std::ostream* os)
{
    *os << r.name << ' ' << r.port << '/' << r.protocol;
}

// A services file in the working folder, removed again when the test ends.
class ServicesFile : public ::testing::Test {
protected:
    const char* path = "unit_services_test.txt";
    void TearDown() override { std::remove(path); }

    void Write(const std::string& bytes)
    {
        std::FILE* file = std::fopen(path, "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    std::vector<Row> Read(const std::string& bytes)
    {
        Write(bytes);
        CServicesParser parser(path);
        std::vector<Row> rows;
        for (const CServicesParser::Entry* e = parser.Entries(); e; e = e->next)
            rows.push_back({e->name, e->port, e->protocol});
        return rows;
    }
};

TEST_F(ServicesFile, NewestEntryFirstAndPortZeroSkipped)
{
    EXPECT_EQ(Read("ftp 21/tcp\ndomain 53/udp\nping 0/icmp\n"),
              (std::vector<Row>{{"domain", 53, 17}, {"ftp", 21, 6}}));
}

TEST_F(ServicesFile, FieldRules)
{
    // Protocol in any case, the name's case kept; aliases and comments after the protocol ignored.
    EXPECT_EQ(Read("FTP 21/TCP\nDns  53/Udp alias # comment\nPing 7/iCmP\n"),
              (std::vector<Row>{{"Ping", 7, 1}, {"Dns", 53, 17}, {"FTP", 21, 6}}));
    // A tab is no separator: it belongs to the name, and it does not end the protocol.
    EXPECT_EQ(Read("ftp\t21/tcp\nname\twith\ttab 22/tcp\nssh 22/tcp\talias\n"),
              (std::vector<Row>{{"name\twith\ttab", 22, 6}}));
    // The port range, and other protocols.
    EXPECT_EQ(Read("a 70000/tcp\nb 65535/udp\nc 65536/tcp\nd 1/icmp\ne 9/sctp\nf 9/tcpx\ng 9/\n"),
              (std::vector<Row>{{"d", 1, 1}, {"b", 65535, 17}}));
    // Text between the number and the '/' is ignored; no '/' at all skips the line.
    EXPECT_EQ(Read("a 80abc/tcp\nb 81 x y/udp\nc 82 tcp\nd /83/tcp\n  e   84/tcp\n"),
              (std::vector<Row>{{"e", 84, 6}, {"b", 81, 17}, {"a", 80, 6}}));
    // Only a '#', CR or LF in the first column makes a comment; an indented '#' starts a name.
    EXPECT_EQ(Read("#x 1/tcp\n\r2/tcp\n\nx\n  #y 2/udp\n"), (std::vector<Row>{{"#y", 2, 17}}));
}

TEST_F(ServicesFile, LastLineWithOrWithoutLineBreak)
{
    EXPECT_EQ(Read("a 1/tcp\nlast 9/udp"), (std::vector<Row>{{"last", 9, 17}, {"a", 1, 6}}));
    EXPECT_EQ(Read("a 1/tcp\nlast 9/udp\n"), (std::vector<Row>{{"last", 9, 17}, {"a", 1, 6}}));
    EXPECT_EQ(Read("a 1/tcp\r\nlast 9/udp\r\n"), (std::vector<Row>{{"last", 9, 17}, {"a", 1, 6}}));
}

TEST_F(ServicesFile, LongLinesAreReadInPiecesOf299Bytes)
{
    // 299 bytes fill one piece; the rest of the line is a piece of its own.
    const std::string filler(299, 'x');
    EXPECT_EQ(Read(filler + "ssh 22/tcp\n"), (std::vector<Row>{{"ssh", 22, 6}}));
    const std::string exact = "full 23/tcp" + std::string(299 - 11, ' ');
    EXPECT_EQ(Read(exact + "\nnext 24/tcp\n"), (std::vector<Row>{{"next", 24, 6}, {"full", 23, 6}}));
    // A line of 1 MB, and a name as long as a piece allows.
    const std::string longName(290, 'n');
    EXPECT_EQ(Read(std::string(1 << 20, 'a') + "\n" + longName + " 25/udp\n"),
              (std::vector<Row>{{longName, 25, 17}}));
}

TEST_F(ServicesFile, NulBytesAndGarbageNeverStopOrBreakTheReading)
{
    EXPECT_EQ(Read(std::string("tel\0net 23/tcp\ndns 53/udp\0 54/tcp\nafter 1/tcp\n", 46)),
              (std::vector<Row>{{"after", 1, 6}, {"dns", 53, 17}}));
    // Random bytes (without Ctrl-Z, which ends a file read in text mode on Windows).
    std::mt19937 random(8);
    std::string garbage(1 << 16, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random() % 256);
        c = c == 0x1A ? '\0' : c;
    }
    const std::vector<Row> rows = Read(garbage + "\nend 7/tcp\n");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), (Row{"end", 7, 6}));
    for (const Row& row : rows) {
        EXPECT_NE(row.port, 0u);
        EXPECT_TRUE(row.protocol == 1 || row.protocol == 6 || row.protocol == 17);
        EXPECT_EQ(row.name.find(' '), std::string::npos);
    }
}

TEST_F(ServicesFile, LookupsAnswerOnlyWhileSwitchedOn)
{
    Write("ftp 21/tcp\nold 53/udp\nnew 53/udp\n");
    CServicesParser parser(path);
    EXPECT_EQ(parser.FindService(21, 6), nullptr); // off until switched on
    EXPECT_EQ(parser.EnableLookup(1), 0);
    EXPECT_STREQ(parser.FindService(21, 6), "ftp");
    EXPECT_STREQ(parser.FindService(53, 17), "new"); // the later line wins
    EXPECT_STREQ(parser.FindService(21 + 0x10000, 6 + 0x100), "ftp"); // low 16 and 8 bits
    EXPECT_EQ(parser.FindService(21, 17), nullptr);
    EXPECT_EQ(parser.EnableLookup(0), 1);
    EXPECT_EQ(parser.FindService(21, 6), nullptr);
}

TEST(ServicesParser, MissingFileOrOverlongPathGivesAnEmptyTable)
{
    CServicesParser missing("no such services file");
    EXPECT_EQ(missing.Entries(), nullptr);
    const std::string tooLong(CServicesParser::kPathSize, 'p');
    CServicesParser overlong(tooLong.c_str());
    EXPECT_STREQ(overlong.ServicesPath(), "");
    EXPECT_EQ(overlong.Entries(), nullptr);
}

TEST(ServicesGrammar, PortIsReadAsA32BitStrtoul)
{
    const char* end = nullptr;
    const char* text = " \t+21/tcp";
    EXPECT_EQ(services_grammar::ToUnsigned32(text, &end), 21u);
    EXPECT_EQ(end, text + 5);
    text = "x1";
    EXPECT_EQ(services_grammar::ToUnsigned32(text, &end), 0u);
    EXPECT_EQ(end, text);
    EXPECT_EQ(services_grammar::ToUnsigned32("4294967295", nullptr), 4294967295u);
    EXPECT_EQ(services_grammar::ToUnsigned32("99999999999", nullptr), 4294967295u);
    EXPECT_EQ(services_grammar::ToUnsigned32("-1", nullptr), 4294967295u);
    // On the 32-bit target a negated 4294967295 is 1, a valid port.
    services_grammar::ServiceLine line;
    ASSERT_TRUE(services_grammar::ParseLine("odd -4294967295/tcp", line));
    EXPECT_EQ(line.port, 1);
    EXPECT_FALSE(services_grammar::ParseLine("odd -5/tcp", line));
}

} // namespace
