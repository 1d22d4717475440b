// Archives written back: every member but the document the same bytes, the
// document's member its own but for the data; documents inflated no further
// than the limit; damaged archives and archives that cannot be copied as
// they are refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "formats/mqoz_archive.h"
#include "tests/tool/scratch_folder_test.h"

namespace {

// A member as the test writes it.
struct Member {
    std::string name;
    std::string data;  // before compression
    uint16_t method = 8;
    uint16_t flags = 0;
    bool descriptor = false;  // sizes after the data, in a descriptor with its signature
    std::string localExtra, centralExtra, comment;
    uint16_t time = 0x6C21, date = 0x5A2F;
    uint16_t madeBy = 0x031E;  // Unix, 3.0
    uint32_t external = 0x81A40000;
    int64_t claimedSize = -1;  // a size the headers give instead of the real one
};

Member Make(std::string name, std::string data, uint16_t method = 8, uint16_t flags = 0) {
    Member m;
    m.name = std::move(name);
    m.data = std::move(data);
    m.method = method;
    m.flags = flags;
    return m;
}

void Put16(std::string& out, uint32_t v) {
    out.push_back(char(v));
    out.push_back(char(v >> 8));
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::string Deflated(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// The archive of `members`, in order, with the archive comment `comment`,
// after the bytes `prefix`; its directory lists them in `order` when given.
std::string Archive(const std::vector<Member>& members, const std::string& comment = "",
                    const std::string& prefix = "", const std::vector<size_t>& order = {}) {
    std::string out = prefix;
    std::vector<std::string> entries;
    for (const Member& m : members) {
        std::string& central = entries.emplace_back();
        const std::string data = m.method == 8 ? Deflated(m.data) : m.data;
        const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), uInt(m.data.size()));
        const uint32_t size = m.claimedSize >= 0 ? uint32_t(m.claimedSize) : uint32_t(m.data.size());
        const uint16_t flags = m.flags | (m.descriptor ? 8 : 0);
        auto fields = [&](std::string& to, bool local) {
            Put16(to, 20);
            Put16(to, flags);
            Put16(to, m.method);
            Put16(to, m.time);
            Put16(to, m.date);
            const bool zero = local && m.descriptor;
            Put32(to, zero ? 0 : crc);
            Put32(to, zero ? 0 : uint32_t(data.size()));
            Put32(to, zero ? 0 : size);
            Put16(to, uint32_t(m.name.size()));
            Put16(to, uint32_t((local ? m.localExtra : m.centralExtra).size()));
        };
        Put32(central, 0x02014b50);
        Put16(central, m.madeBy);
        fields(central, false);
        Put16(central, uint32_t(m.comment.size()));
        Put32(central, 0);  // disk, internal attributes
        Put32(central, m.external);
        Put32(central, uint32_t(out.size()));
        central += m.name + m.centralExtra + m.comment;
        Put32(out, 0x04034b50);
        fields(out, true);
        out += m.name + m.localExtra + data;
        if (m.descriptor) {
            Put32(out, 0x08074b50);
            Put32(out, crc);
            Put32(out, uint32_t(data.size()));
            Put32(out, size);
        }
    }
    std::string central;
    for (size_t i = 0; i < entries.size(); ++i) central += entries[order.empty() ? i : order[i]];
    const size_t centralOffset = out.size();
    out += central;
    Put32(out, 0x06054b50);
    Put32(out, 0);
    Put16(out, uint32_t(members.size()));
    Put16(out, uint32_t(members.size()));
    Put32(out, uint32_t(central.size()));
    Put32(out, uint32_t(centralOffset));
    Put16(out, uint32_t(comment.size()));
    return out + comment;
}

const std::string kSjisDocument = "\x8B\xC8\x96\xCA.mqo";  // 曲面.mqo, no UTF-8 flag
const std::string kTimeField("\x55\x54\x05\x00\x01\x2A\x5B\x3C\x4D", 9);  // UT: a modification time

std::vector<Member> ModellerMembers(const std::string& text, uint16_t documentMethod) {
    Member thumbnail = Make("thumb.jpg", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10), 0);
    thumbnail.localExtra = thumbnail.centralExtra = kTimeField;
    thumbnail.comment = "the thumbnail";
    Member document = Make(kSjisDocument, text, documentMethod);
    document.descriptor = documentMethod == 8;
    document.localExtra = kTimeField + std::string("\x34\x12\x02\x00\xAB\xCD", 6);
    document.centralExtra = kTimeField;
    document.comment = "the document";
    document.madeBy = 0x0014;
    document.external = 0x20;
    Member settings = Make("settings.mqx", "<?xml version=\"1.0\"?>\r\n<plugins/>\r\n");
    return {thumbnail, document, settings};
}

class MqozArchiveTest : public ScratchFolderTest {
protected:
    MqozArchiveTest() : ScratchFolderTest("mqthicken-mqoz") {}

    // Whether Info-ZIP's unzip tests the archive `bytes` as sound.
    bool UnzipAccepts(const std::string& bytes) {
        const std::string file = Write("test.zip", bytes);
        return std::system(("unzip -tqq '" + file + "' >/dev/null 2>&1").c_str()) == 0;
    }
};

TEST_F(MqozArchiveTest, WritingBackChangesOnlyTheDocumentsData) {
    const std::string before = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nEof\r\n";
    const std::string after = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nObject \"x\" {\r\n}\r\nEof\r\n";
    for (uint16_t method : {0, 8}) {
        SCOPED_TRACE(method == 0 ? "stored document" : "deflated document with a descriptor");
        const std::string comment = "archive comment";
        const std::string input = Archive(ModellerMembers(before, method), comment);
        std::string document, member, error, output;
        ASSERT_TRUE(ReadMqozArchive(input, "in.mqoz", document, member, error)) << error;
        EXPECT_EQ(document, before);
        EXPECT_EQ(member, kSjisDocument);

        ASSERT_TRUE(WriteMqozArchive(input, member, after, "out.mqoz", output, error)) << error;
        // Every other record byte for byte, the directory's offsets moved,
        // the document's fields its own, the data and sizes new.
        EXPECT_EQ(output, Archive(ModellerMembers(after, method), comment));
        ASSERT_TRUE(ReadMqozArchive(output, "out.mqoz", document, member, error)) << error;
        EXPECT_EQ(document, after);
        EXPECT_TRUE(UnzipAccepts(output));
    }

    // A document that came without an archive: a deflated member of its own
    // name, without owner or a time taken from the clock.
    std::string output, error;
    ASSERT_TRUE(WriteMqozArchive("", "曲面.mqo", after, "new.mqoz", output, error)) << error;
    Member alone = Make("曲面.mqo", after, 8, 0x0800);
    alone.time = 0;
    alone.date = 0x21;
    alone.madeBy = 20;
    alone.external = 0;
    EXPECT_EQ(output, Archive({alone}));
    EXPECT_TRUE(UnzipAccepts(output));
}

// Other zip programs list members in any order; the writer moves the
// offsets of the members stored after the document, wherever they are
// listed. Two members of one name are refused, and the message names them.
TEST_F(MqozArchiveTest, ADirectoryInAnotherOrderIsReadAndTwoMembersOfOneNameAreNamed) {
    const std::string before = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nEof\r\n";
    const std::string after = before + std::string(5000, ' ');
    const std::vector<size_t> reversed = {2, 1, 0};
    const std::string input = Archive(ModellerMembers(before, 8), "", "", reversed);
    std::string document, member, error, output;
    ASSERT_TRUE(ReadMqozArchive(input, "in.mqoz", document, member, error)) << error;
    EXPECT_EQ(document, before);
    ASSERT_TRUE(WriteMqozArchive(input, member, after, "out.mqoz", output, error)) << error;
    EXPECT_EQ(output, Archive(ModellerMembers(after, 8), "", "", reversed));
    EXPECT_TRUE(UnzipAccepts(output));

    std::vector<Member> twice = ModellerMembers(before, 8);
    twice.push_back(twice[0]);
    error.clear();
    EXPECT_FALSE(ReadMqozArchive(Archive(twice), "in.mqoz", document, member, error));
    EXPECT_EQ(error, "in.mqoz: the archive holds more than one member named \"thumb.jpg\" "
                     "(which one is meant is unclear)");
}

TEST_F(MqozArchiveTest, DocumentsAreInflatedNoFurtherThanTheLimit) {
    const uint64_t limit = 1000;
    std::string document, member, error;
    EXPECT_TRUE(ReadMqozArchive(Archive({Make("a.mqo", std::string(1000, 'x'))}), "at.mqoz", document,
                                member, error, limit))
        << error;
    EXPECT_EQ(document.size(), 1000u);

    EXPECT_FALSE(ReadMqozArchive(Archive({Make("a.mqo", std::string(1001, 'x'))}), "over.mqoz",
                                 document, member, error, limit));
    EXPECT_EQ(error, "over.mqoz: the document in the archive is too large (more than 1000 bytes)");

    // Headers that claim a few bytes do not let the inflation run on.
    Member liar = Make("a.mqo", std::string(100000, 'x'));
    liar.claimedSize = 10;
    error.clear();
    EXPECT_FALSE(ReadMqozArchive(Archive({liar}), "bomb.mqoz", document, member, error, limit));
    EXPECT_EQ(error, "bomb.mqoz: the document in the archive is too large (more than 1000 bytes)");
}

TEST_F(MqozArchiveTest, DamagedArchivesAndArchivesThatCannotBeCopiedAreRefused) {
    const std::string good = Archive(ModellerMembers("Metasequoia Document\r\nEof\r\n", 8));
    std::string damaged = good;
    damaged[good.find("settings.mqx") + 14] ^= 0x55;  // in its deflated data
    std::vector<Member> zip64 = ModellerMembers("x", 8);
    zip64[2].centralExtra = std::string("\x01\x00\x00\x00", 4);
    std::vector<Member> encrypted = ModellerMembers("x", 8);
    encrypted[1].flags = 1;
    std::vector<Member> two = ModellerMembers("x", 8);
    two[2].name = "other.MQO";
    const struct {
        std::string bytes, message;
    } cases[] = {
        {damaged, "in.mqoz: the member \"settings.mqx\" is damaged"},
        {good.substr(0, good.size() - 30), "in.mqoz: not a readable zip archive"},
        {good + "trailing", "in.mqoz: not a readable zip archive"},
        {Archive(ModellerMembers("x", 8), "", "stub"),
         "in.mqoz: the archive holds bytes outside its members' records"},
        {Archive(zip64), "in.mqoz: the archive uses zip64 extensions"},
        {Archive(encrypted), "in.mqoz: the member \"" + kSjisDocument + "\" is encrypted"},
        {Archive(two), "in.mqoz: the archive holds 2 .mqo documents"},
        {Archive({Make("a.txt", "x")}), "in.mqoz: the archive holds no .mqo document"},
    };
    for (const auto& c : cases) {
        std::string document, member, error;
        EXPECT_FALSE(ReadMqozArchive(c.bytes, "in.mqoz", document, member, error));
        EXPECT_EQ(error.substr(0, c.message.size()), c.message) << error;
    }

    // The writer checks the archive it is given for itself.
    std::string output, error;
    EXPECT_FALSE(WriteMqozArchive(good, "a.mqo", "x", "out.mqoz", output, error));
    EXPECT_EQ(error, "cannot write out.mqoz: the archive's document is not the member \"a.mqo\"");
    EXPECT_FALSE(WriteMqozArchive(Archive(zip64), kSjisDocument, "x", "out.mqoz", output, error));
    EXPECT_EQ(error.substr(0, 49), "cannot write out.mqoz: the archive uses zip64 ext");
}

}  // namespace
