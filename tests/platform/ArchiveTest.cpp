#include "platform/Archive.h"

#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using platform::ArchiveCause;
using platform::ArchiveError;
using testsupport::AsString;
using testsupport::FromHex;
using testsupport::Hex;

namespace
{

std::string HexOf(const std::vector<std::uint8_t>& bytes)
{
    return Hex(AsString(bytes));
}

// Runs the action and returns the cause it raised; fails the test when it raised nothing.
ArchiveCause CauseOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const ArchiveError& error)
    {
        return error.Cause();
    }
    ADD_FAILURE() << "no ArchiveError";
    return ArchiveCause::Malformed;
}

// Where a loading archive reads from: its size is known (memory, regular file) or not (a pipe).
enum class SourceKind
{
    Memory,
    RegularFile,
    Pipe
};

std::string SourceName(const testing::TestParamInfo<SourceKind>& info)
{
    switch (info.param)
    {
        case SourceKind::Memory:
            return "Memory";
        case SourceKind::RegularFile:
            return "RegularFile";
        case SourceKind::Pipe:
            return "Pipe";
    }
    return "Unknown";
}

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A loading archive over the given bytes, held in the chosen kind of source.
class LoadSource
{
public:
    LoadSource(SourceKind kind, const std::vector<std::uint8_t>& bytes)
    {
        if (kind == SourceKind::Memory)
        {
            m_archive = std::make_unique<CArchive>(bytes);
            return;
        }
        if (kind == SourceKind::RegularFile)
        {
            m_file.reset(std::tmpfile());
            if (!bytes.empty())
                std::fwrite(bytes.data(), 1, bytes.size(), m_file.get());
            std::rewind(m_file.get());
        }
        else
        {
            // Small records fit in the pipe's buffer, so no writer thread is needed.
            int fds[2];
            EXPECT_EQ(pipe(fds), 0);
            EXPECT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
            close(fds[1]);
            m_file.reset(fdopen(fds[0], "rb"));
        }
        m_archive = std::make_unique<CArchive>(m_file.get(), CArchive::Mode::Load);
    }

    CArchive& Archive() { return *m_archive; }

private:
    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::unique_ptr<CArchive> m_archive;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Byte forms of the primitives

struct PrimitiveCase
{
    const char* name;
    std::function<void(CArchive&)> store;
    std::function<bool(CArchive&)> loadsBack;  // loads one value and compares it with the stored one
    const char* hex;
};

template <class T>
PrimitiveCase Primitive(const char* name, T value, const char* hex)
{
    return {name, [value](CArchive& ar) { ar << value; },
            [value](CArchive& ar)
            {
                T loaded{};
                ar >> loaded;
                return std::memcmp(&loaded, &value, sizeof(T)) == 0;
            },
            hex};
}

TEST(ArchivePrimitives, StoreTheLittleEndianGoldenBytesAndLoadThemBack)
{
    const PrimitiveCase cases[] = {
        Primitive<std::int8_t>("int8 -2", -2, "fe"),
        Primitive<std::int8_t>("int8 min", -128, "80"),
        Primitive<std::uint8_t>("uint8", 0xAB, "ab"),
        Primitive<std::int16_t>("int16 -2", -2, "fe ff"),
        Primitive<std::int16_t>("int16 0x1234", 0x1234, "34 12"),
        Primitive<std::uint16_t>("uint16", 0xBEEF, "ef be"),
        Primitive<std::int32_t>("int32 -123456789", -123456789, "eb 32 a4 f8"),
        Primitive<std::int32_t>("int32 121929", 121929, "49 dc 01 00"),
        Primitive<std::uint32_t>("uint32", 0xDEADBEEFu, "ef be ad de"),
        Primitive<float>("float 1.5", 1.5f, "00 00 c0 3f"),
        Primitive<float>("float -0.1", -0.1f, "cd cc cc bd"),
        Primitive<double>("double 2.5", 2.5, "00 00 00 00 00 00 04 40"),
        Primitive<double>("double -1/3", -1.0 / 3.0, "55 55 55 55 55 55 d5 bf"),
        Primitive<double>("double -0", -0.0, "00 00 00 00 00 00 00 80"),
        Primitive<double>("double inf", std::numeric_limits<double>::infinity(), "00 00 00 00 00 00 f0 7f"),
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CArchive out;
        EXPECT_TRUE(out.IsStoring());
        c.store(out);
        EXPECT_EQ(HexOf(out.Buffer()), c.hex);

        CArchive in(FromHex(c.hex));
        EXPECT_TRUE(in.IsLoading());
        EXPECT_TRUE(c.loadsBack(in));
        EXPECT_EQ(CauseOf([&] { c.loadsBack(in); }), ArchiveCause::EndOfFile);
    }
}

// ---------------------------------------------------------------------------------------------
// The string form

struct StringLengthCase
{
    std::size_t length;
    const char* prefix;
};

TEST(ArchiveStrings, LengthPrefixFollowsTheStoredForm)
{
    const StringLengthCase cases[] = {
        {0, "00"},
        {1, "01"},
        {254, "fe"},
        {255, "ff ff 00"},
        {256, "ff 00 01"},
        {65533, "ff fd ff"},
        {65534, "ff ff ff fe ff 00 00"},
        {65535, "ff ff ff ff ff 00 00"},
        {70000, "ff ff ff 70 11 01 00"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.length);
        std::string text(c.length, 'x');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char>('a' + i % 26);
        CArchive out;
        out << text;
        const std::vector<std::uint8_t> prefix = FromHex(c.prefix);
        ASSERT_EQ(out.Buffer().size(), prefix.size() + c.length);
        EXPECT_EQ(Hex(AsString(out.Buffer()).substr(0, prefix.size())), c.prefix);
        EXPECT_EQ(AsString(out.Buffer()).substr(prefix.size()), text);  // no terminator

        CArchive in(out.Buffer());
        std::string loaded = "old";
        in >> loaded;
        EXPECT_EQ(loaded, text);
        EXPECT_EQ(CauseOf([&] { in >> loaded; }), ArchiveCause::EndOfFile);
    }
}

TEST(ArchiveStrings, Utf8IsStoredAsItsBytes)
{
    CArchive out;
    out << std::string("H\xC3\xA9") << "";
    EXPECT_EQ(HexOf(out.Buffer()), "03 48 c3 a9 00");
}

struct LoadStringCase
{
    const char* name;
    const char* hex;
    std::string expected;
};

TEST(ArchiveStrings, WideAndWindows1252FormsLoadAsUtf8)
{
    std::string wide256Hex = "ff fe ff ff 00 01";
    for (int i = 0; i < 256; ++i)
        wide256Hex += " 78 00";
    const LoadStringCase cases[] = {
        {"narrow UTF-8 kept", "02 c3 a9", "\xC3\xA9"},
        {"Windows-1252 euro, e acute, Y diaeresis", "03 80 e9 9f", "\xE2\x82\xAC\xC3\xA9\xC5\xB8"},
        {"Windows-1252 after ASCII", "04 4d e4 72 7a", "M\xC3\xA4rz"},
        {"wide empty", "ff fe ff 00", ""},
        {"wide BMP", "ff fe ff 02 48 00 e9 00", "H\xC3\xA9"},
        {"wide euro", "ff fe ff 01 ac 20", "\xE2\x82\xAC"},
        {"wide surrogate pair", "ff fe ff 02 3d d8 00 de", "\xF0\x9F\x98\x80"},
        {"wide lone high at end", "ff fe ff 01 3d d8", "\xEF\xBF\xBD"},
        {"wide high before a letter", "ff fe ff 02 3d d8 41 00",
         "\xEF\xBF\xBD"
         "A"},
        {"wide lone low", "ff fe ff 02 00 de 41 00",
         "\xEF\xBF\xBD"
         "A"},
        {"wide 16-bit length", wide256Hex.c_str(), std::string(256, 'x')},
        {"wide 32-bit length", "ff fe ff ff ff ff 01 00 00 00 5a 00", "Z"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CArchive in(FromHex(c.hex));
        std::string loaded = "old";
        in >> loaded;
        EXPECT_EQ(loaded, c.expected);
        std::uint8_t extra;
        EXPECT_EQ(CauseOf([&] { in >> extra; }), ArchiveCause::EndOfFile) << "string consumed too few bytes";
    }
}

struct BadStringCase
{
    const char* name;
    const char* hex;
    ArchiveCause cause;
};

TEST(ArchiveStrings, MalformedOrShortFormsRaiseTheArchiveError)
{
    const BadStringCase cases[] = {
        {"empty stream", "", ArchiveCause::EndOfFile},
        {"short body", "03 41 42", ArchiveCause::EndOfFile},
        {"short 16-bit length", "ff 05", ArchiveCause::EndOfFile},
        {"short 32-bit length", "ff ff ff 00 00 01", ArchiveCause::EndOfFile},
        {"repeated wide marker", "ff fe ff ff fe ff 00", ArchiveCause::Malformed},
        {"64-bit length marker", "ff ff ff ff ff ff ff 00 00 00 00 00 00 00 00", ArchiveCause::Malformed},
        {"wide odd byte short", "ff fe ff 02 48 00 e9", ArchiveCause::EndOfFile},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CArchive in(FromHex(c.hex));
        std::string loaded = "old";
        EXPECT_EQ(CauseOf([&] { in >> loaded; }), c.cause);
        EXPECT_EQ(loaded, "old");
    }
}

// ---------------------------------------------------------------------------------------------
// Untrusted lengths and counts, over every kind of source

class ArchiveSource : public testing::TestWithParam<SourceKind>
{
};

INSTANTIATE_TEST_SUITE_P(Kinds, ArchiveSource,
                         testing::Values(SourceKind::Memory, SourceKind::RegularFile, SourceKind::Pipe),
                         SourceName);

namespace
{

// A small record as a settings class would store it.
void StoreRecord(CArchive& ar)
{
    ar << std::int32_t{121929} << std::string("ab") << 2.5 << std::uint16_t{7};
    const std::int16_t values[] = {-1, 300};
    ar.WriteArray<std::int16_t>(values);
    ar << std::string(300, 'z') << 1.25f << std::int8_t{-3};
}

void LoadRecord(CArchive& ar)
{
    std::int32_t signature = 0;
    std::string name, longText;
    double value = 0;
    std::uint16_t small = 0;
    float f = 0;
    std::int8_t tiny = 0;
    ar >> signature >> name >> value >> small;
    const std::vector<std::int16_t> values = ar.ReadArray<std::int16_t>(10);
    ar >> longText >> f >> tiny;
    EXPECT_EQ(signature, 121929);
    EXPECT_EQ(name, "ab");
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(small, 7);
    EXPECT_EQ(values, (std::vector<std::int16_t>{-1, 300}));
    EXPECT_EQ(longText, std::string(300, 'z'));
    EXPECT_EQ(f, 1.25f);
    EXPECT_EQ(tiny, -3);
}

}  // namespace

TEST_P(ArchiveSource, EveryTruncationOfARecordRaisesEndOfFile)
{
    CArchive out;
    StoreRecord(out);
    const std::vector<std::uint8_t> full = out.Buffer();
    {
        LoadSource whole(GetParam(), full);
        LoadRecord(whole.Archive());
    }
    for (std::size_t size = 0; size < full.size(); ++size)
    {
        SCOPED_TRACE(size);
        LoadSource cut(GetParam(), std::vector<std::uint8_t>(full.begin(), full.begin() + size));
        EXPECT_EQ(CauseOf([&] { LoadRecord(cut.Archive()); }), ArchiveCause::EndOfFile);
    }
}

TEST_P(ArchiveSource, LyingStringLengthsAllocateNothingAndFail)
{
    struct Case
    {
        const char* name;
        const char* hex;
        ArchiveCause cause;
    };
    const Case cases[] = {
        {"32-bit length 0x7fffffff", "ff ff ff ff ff ff 7f 41 42", ArchiveCause::EndOfFile},
        {"32-bit length 0xfffffffe", "ff ff ff fe ff ff ff 41", ArchiveCause::EndOfFile},
        {"wide 32-bit length 0xfffffffe", "ff fe ff ff ff ff fe ff ff ff 41 00", ArchiveCause::EndOfFile},
        {"16-bit length 0xfffd", "ff fd ff 41", ArchiveCause::EndOfFile},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        LoadSource source(GetParam(), FromHex(c.hex));
        std::string loaded;
        EXPECT_EQ(CauseOf([&] { source.Archive() >> loaded; }), c.cause);
    }
}

TEST_P(ArchiveSource, CountsAreCheckedAgainstTheLimitBeforeAllocating)
{
    struct Case
    {
        const char* name;
        const char* hex;
        std::size_t limit;
        ArchiveCause cause;
    };
    const Case cases[] = {
        {"above the limit", "0b 00 00 00", 10, ArchiveCause::Malformed},
        {"negative", "ff ff ff ff", 10, ArchiveCause::Malformed},
        {"int32 min", "00 00 00 80", std::numeric_limits<std::size_t>::max(), ArchiveCause::Malformed},
        {"huge within a huge limit", "ff ff ff 7f 00 00 00 00", std::numeric_limits<std::size_t>::max(),
         ArchiveCause::EndOfFile},
        {"short count", "05 00", 10, ArchiveCause::EndOfFile},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        LoadSource doubles(GetParam(), FromHex(c.hex));
        EXPECT_EQ(CauseOf([&] { doubles.Archive().ReadArray<double>(c.limit); }), c.cause);
        LoadSource strings(GetParam(), FromHex(c.hex));
        EXPECT_EQ(CauseOf([&] { strings.Archive().ReadArray<std::string>(c.limit); }), c.cause);
    }
}

TEST_P(ArchiveSource, CountAtTheLimitIsAccepted)
{
    CArchive out;
    const double values[] = {1.0, -2.0, 0.5};
    out.WriteArray<double>(values);
    EXPECT_EQ(HexOf(out.Buffer()).substr(0, 11), "03 00 00 00");
    LoadSource source(GetParam(), out.Buffer());
    EXPECT_EQ(source.Archive().ReadArray<double>(3), (std::vector<double>{1.0, -2.0, 0.5}));
}

TEST_P(ArchiveSource, RawReadOfMoreThanRemainsThrows)
{
    LoadSource source(GetParam(), FromHex("01 02 03"));
    std::uint8_t two[2] = {};
    source.Archive().Read(two);
    EXPECT_EQ(two[0], 1);
    EXPECT_EQ(two[1], 2);
    EXPECT_EQ(CauseOf([&] { source.Archive().Read(two); }), ArchiveCause::EndOfFile);
}

// ---------------------------------------------------------------------------------------------
// Files

class ArchiveFile : public testsupport::TempHomeTest
{
};

TEST_F(ArchiveFile, StoredFileHoldsTheMemoryBytesAndLoadsBack)
{
    CArchive memory;
    StoreRecord(memory);

    const auto path = m_home.File("record.bin");
    std::filesystem::create_directories(path.parent_path());
    {
        CArchive out(path, CArchive::Mode::Store);
        EXPECT_TRUE(out.IsStoring());
        StoreRecord(out);
        out.Close();
    }
    EXPECT_EQ(testsupport::ReadBytes(path), AsString(memory.Buffer()));

    CArchive in(path, CArchive::Mode::Load);
    LoadRecord(in);
    std::uint8_t extra;
    EXPECT_EQ(CauseOf([&] { in >> extra; }), ArchiveCause::EndOfFile);
}

TEST_F(ArchiveFile, BorrowedFileStoresAtItsPositionAndStaysOpen)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::tmpfile());
    std::fputs("HDR", file.get());
    {
        CArchive out(file.get(), CArchive::Mode::Store);
        out << std::int32_t{1} << std::string("x");
        out.Close();
    }
    std::rewind(file.get());
    char header[3];
    ASSERT_EQ(std::fread(header, 1, 3, file.get()), 3u);
    CArchive in(file.get(), CArchive::Mode::Load);
    std::int32_t one = 0;
    std::string x;
    in >> one >> x;
    EXPECT_EQ(one, 1);
    EXPECT_EQ(x, "x");
}

TEST_F(ArchiveFile, MissingFileRaisesOpenFailed)
{
    EXPECT_EQ(CauseOf([&] { CArchive in(m_home.File("absent.bin"), CArchive::Mode::Load); }),
              ArchiveCause::OpenFailed);
}

TEST_F(ArchiveFile, FullDiskIsReportedNotSwallowed)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    // A few bytes sit in the buffer until Close; a large block fails while it is written.
    for (const std::size_t size : {std::size_t{10}, std::size_t{1} << 20})
    {
        SCOPED_TRACE(size);
        EXPECT_EQ(CauseOf(
                      [&]
                      {
                          CArchive out(std::filesystem::path("/dev/full"), CArchive::Mode::Store);
                          out.Write(std::vector<std::uint8_t>(size, 0x55));
                          out.Close();
                      }),
                  ArchiveCause::WriteFailed);
    }
}

TEST(ArchiveModes, StoringIntoALoadingArchiveIsAProgrammingError)
{
    CArchive in(FromHex("00"));
    EXPECT_THROW(in << std::int32_t{1}, std::logic_error);
    CArchive out;
    std::int32_t value;
    EXPECT_THROW(out >> value, std::logic_error);
}
