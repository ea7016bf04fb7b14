#include "common/Blob.h"

#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

using testsupport::Hex;

namespace
{

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// An anonymous temporary file holding exactly these bytes, positioned at its start.
FilePtr FileWith(const std::string& bytes)
{
    FilePtr file(std::tmpfile());
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
    return file;
}

std::string Contents(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string bytes;
    for (int c; (c = std::fgetc(file)) != EOF;)
        bytes += static_cast<char>(c);
    return bytes;
}

// The file form of a blob: int32 size little-endian, then the block.
std::string BlobFile(std::int32_t size, const std::string& block)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>(static_cast<std::uint32_t>(size) >> (8 * i));
    return bytes + block;
}

}  // namespace

TEST(Blob, ReservedBlockWithAnIntAndADoubleWritesSizeThenTheWholeBlock)
{
    CBlob blob;
    blob.Reserve(1024);
    EXPECT_TRUE(blob.PushInt(1));
    EXPECT_TRUE(blob.PushDouble(2.5));
    FilePtr file(std::tmpfile());
    ASSERT_TRUE(blob.WriteToFile(file.get()));

    const std::string bytes = Contents(file.get());
    ASSERT_EQ(bytes.size(), 4u + 1024u);
    EXPECT_EQ(Hex(bytes.substr(0, 16)), "00 04 00 00 01 00 00 00 00 00 00 00 00 00 04 40");
    // Reserve zero-fills: the unused rest of the block reaches the file as zeros.
    EXPECT_EQ(bytes.substr(16), std::string(1024 - 12, '\0'));

    std::rewind(file.get());
    CBlob loaded;
    ASSERT_TRUE(loaded.ReadFromFile(file.get()));
    EXPECT_EQ(loaded.GetSize(), 1024);
    int i = 0;
    double d = 0;
    EXPECT_TRUE(loaded.PopInt(i));
    EXPECT_TRUE(loaded.PopDouble(d));
    EXPECT_EQ(i, 1);
    EXPECT_EQ(d, 2.5);
}

TEST(Blob, ValuesAreLittleEndianWithoutAlignment)
{
    CBlob blob;
    blob.Reserve(12);
    EXPECT_TRUE(blob.PushInt(-2));
    EXPECT_TRUE(blob.PushDouble(-1.0 / 3.0));
    EXPECT_EQ(blob.GetWritePos(), 12);
    FilePtr file(std::tmpfile());
    ASSERT_TRUE(blob.WriteToFile(file.get()));
    EXPECT_EQ(Hex(Contents(file.get())), "0c 00 00 00 fe ff ff ff 55 55 55 55 55 55 d5 bf");
}

TEST(Blob, SecondReserveResetsBothPositionsAndClearsTheBlock)
{
    CBlob blob;
    blob.Reserve(16);
    blob.PushInt(7);
    blob.PushInt(8);
    int value = 0;
    blob.PopInt(value);
    EXPECT_EQ(blob.GetWritePos(), 8);
    EXPECT_EQ(blob.GetReadPos(), 4);

    blob.Reserve(16);
    EXPECT_EQ(blob.GetWritePos(), 0);
    EXPECT_EQ(blob.GetReadPos(), 0);
    EXPECT_TRUE(blob.PopInt(value));
    EXPECT_EQ(value, 0) << "old contents survived Reserve";
}

TEST(Blob, PushesAndPopsBeyondTheBlockAreRefused)
{
    CBlob empty;
    int i = 5;
    double d = 5.0;
    EXPECT_FALSE(empty.PushInt(1));
    EXPECT_FALSE(empty.PopInt(i));
    EXPECT_EQ(i, 0);

    CBlob blob;
    blob.Reserve(12);
    EXPECT_TRUE(blob.PushDouble(1.5));
    EXPECT_FALSE(blob.PushDouble(2.5)) << "8 bytes do not fit in the last 4";
    EXPECT_EQ(blob.GetWritePos(), 8);
    EXPECT_TRUE(blob.PushInt(3));
    EXPECT_FALSE(blob.PushInt(4));
    EXPECT_EQ(blob.GetWritePos(), 12);

    EXPECT_TRUE(blob.PopDouble(d));
    EXPECT_EQ(d, 1.5);
    d = 9.0;
    EXPECT_FALSE(blob.PopDouble(d));
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(blob.GetReadPos(), 8);
    EXPECT_TRUE(blob.PopInt(i));
    EXPECT_EQ(i, 3);
    EXPECT_FALSE(blob.PopInt(i));
    EXPECT_EQ(i, 0);
}

TEST(Blob, StoredSizeIsCheckedAgainstTheReservedSizeAndRefusalKeepsTheOldBlock)
{
    struct Case
    {
        const char* name;
        int reserved;  // 0: nothing reserved, the limit is 1024
        std::string file;
        bool accepted;
    };
    const std::string kilo(1024, '\x11');
    const Case cases[] = {
        {"1024 into a fresh blob", 0, BlobFile(1024, kilo), true},
        {"1025 into a fresh blob", 0, BlobFile(1025, kilo + "x"), false},
        {"negative", 0, BlobFile(-1, kilo), false},
        {"int32 max", 0, BlobFile(0x7fffffff, kilo), false},
        {"zero", 0, BlobFile(0, ""), true},
        {"short block", 0, BlobFile(100, std::string(99, '\x33')), false},
        {"short size", 0, std::string("\x10\x00", 2), false},
        {"empty file", 0, std::string(), false},
        {"16 into a 16 block", 16, BlobFile(16, std::string(16, '\x22')), true},
        {"12 into a 16 block", 16, BlobFile(12, std::string(12, '\x22')), true},
        {"17 into a 16 block", 16, BlobFile(17, std::string(17, '\x22')), false},
        {"1024 into an 8 block", 8, BlobFile(1024, kilo), false},
        {"negative into a 16 block", 16, BlobFile(-16, std::string(16, '\x22')), false},
        {"short block into a 16 block", 16, BlobFile(16, std::string(10, '\x22')), false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CBlob blob;
        if (c.reserved > 0)
        {
            blob.Reserve(c.reserved);
            blob.PushInt(42);
        }
        FilePtr file = FileWith(c.file);
        ASSERT_EQ(blob.ReadFromFile(file.get()), c.accepted);
        int value = -1;
        if (c.accepted)
        {
            EXPECT_EQ(blob.GetSize(), static_cast<int>(c.file.size()) - 4);
        }
        else if (c.reserved > 0)
        {
            EXPECT_EQ(blob.GetSize(), c.reserved);
            EXPECT_TRUE(blob.PopInt(value));
            EXPECT_EQ(value, 42) << "a refused read lost the old contents";
        }
        else
        {
            EXPECT_EQ(blob.GetSize(), 0);
            EXPECT_FALSE(blob.PopInt(value));
        }
    }
}

TEST(Blob, ReadReplacesTheBlockAndResetsPositions)
{
    CBlob blob;
    blob.Reserve(32);
    blob.PushInt(1);
    int skipped = 0;
    blob.PopInt(skipped);
    FilePtr file = FileWith(BlobFile(8, std::string("\x05\x00\x00\x00\x06\x00\x00\x00", 8)));
    ASSERT_TRUE(blob.ReadFromFile(file.get()));
    EXPECT_EQ(blob.GetSize(), 8);
    EXPECT_EQ(blob.GetReadPos(), 0);
    EXPECT_EQ(blob.GetWritePos(), 0);
    int a = 0, b = 0;
    EXPECT_TRUE(blob.PopInt(a));
    EXPECT_TRUE(blob.PopInt(b));
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 6);
}

TEST(Blob, WriteToAFullDiskReportsFailure)
{
    FilePtr full(std::fopen("/dev/full", "wb"));
    if (!full)
        GTEST_SKIP() << "no /dev/full";
    std::setvbuf(full.get(), nullptr, _IONBF, 0);
    CBlob blob;
    blob.Reserve(1024);
    EXPECT_FALSE(blob.WriteToFile(full.get()));
}
