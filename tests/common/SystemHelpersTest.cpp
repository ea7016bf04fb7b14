#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "common/ObjectCheck.h"
#include "common/WindowSearch.h"
#include "tests/support/StaleSocket.h"
#include "tests/support/TempHome.h"

namespace
{

class WindowSearchTest : public testsupport::TempHomeTest
{
};

TEST_F(WindowSearchTest, MatchesTheExactTitleOnly)
{
    auto listener = platform::CopyDataListener::Listen("Pulvera");
    ASSERT_TRUE(listener);
    const struct
    {
        const char* title;
        bool found;
    } cases[] = {
        {"Pulvera", true},   {"pulvera", false}, {"PULVERA", false},  {"Pulvera ", false},
        {" Pulvera", false}, {"Pulver", false},  {"Pulvera2", false}, {"", false},
    };
    for (const auto& c : cases)
    {
        const WindowHandle window = FindTopWindowByTitle(c.title);
        EXPECT_EQ(static_cast<bool>(window), c.found) << '"' << c.title << '"';
        if (c.found)
        {
            EXPECT_EQ(window.Path(), listener->SocketPath());
        }
    }
}

TEST_F(WindowSearchTest, NoListenerGivesZero)
{
    EXPECT_FALSE(FindTopWindowByTitle("Pulvera"));
    EXPECT_EQ(FindTopWindowByTitle("Pulvera"), WindowHandle());
}

TEST_F(WindowSearchTest, ASocketLeftByADeadProgramGivesZero)
{
    const std::filesystem::path path = platform::WindowSocketPath("Pulvera");
    ASSERT_TRUE(testsupport::LeaveStaleSocket(path));
    EXPECT_FALSE(FindTopWindowByTitle("Pulvera"));
}

// ----- IsValidObject -----

struct Plain
{
    int a = 1;
    double b = 2;
};

class Polymorphic
{
public:
    virtual ~Polymorphic() = default;
    virtual int Value() const { return m_value; }

private:
    int m_value = 3;
};

// Pages with chosen protections, unmapped again at the end of the test.
class Pages
{
public:
    explicit Pages(std::size_t count) : m_size(count * PageSize())
    {
        m_base = static_cast<char*>(
            ::mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    }
    ~Pages() { ::munmap(m_base, m_size); }
    static std::size_t PageSize() { return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)); }
    char* Page(std::size_t index) const { return m_base + index * PageSize(); }
    void Protect(std::size_t index, int protection) const { ::mprotect(Page(index), PageSize(), protection); }

private:
    std::size_t m_size;
    char* m_base;
};

TEST(ObjectCheckTest, NullIsNotAnObject)
{
    EXPECT_EQ(IsValidObject<Polymorphic>(nullptr), 0);
    EXPECT_EQ(IsValidObject<Plain>(nullptr), 0);
}

TEST(ObjectCheckTest, LiveObjectsAreValid)
{
    Polymorphic onStack;
    const auto onHeap = std::make_unique<Polymorphic>();
    Plain plain;
    static Polymorphic inData;
    EXPECT_EQ(IsValidObject(&onStack), 1);
    EXPECT_EQ(IsValidObject(onHeap.get()), 1);
    EXPECT_EQ(IsValidObject(&plain), 1);
    EXPECT_EQ(IsValidObject(&inData), 1);
}

TEST(ObjectCheckTest, MemoryThatIsNotReadableAndWritableIsRejected)
{
    Pages pages(3);
    pages.Protect(1, PROT_READ);
    pages.Protect(2, PROT_NONE);
    const struct
    {
        const char* label;
        const char* at;
        int expected;
    } cases[] = {
        {"writable page", pages.Page(0), 1},
        {"read-only page", pages.Page(1), 0},
        {"inaccessible page", pages.Page(2), 0},
        {"straddles into read-only", pages.Page(1) - sizeof(Plain) / 2, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidObject(reinterpret_cast<const Plain*>(c.at)), c.expected) << c.label;

    // Read-only data of the program (a string literal) is no object either.
    EXPECT_EQ(IsValidObject(reinterpret_cast<const Plain*>("a literal that is long enough")), 0);
    // An address after which nothing is mapped.
    Pages gone(1);
    char* const unmapped = gone.Page(0);
    ::munmap(unmapped, Pages::PageSize());
    EXPECT_EQ(IsValidObject(reinterpret_cast<const Plain*>(unmapped)), 0);
    ::mmap(unmapped, Pages::PageSize(), PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
}

TEST(ObjectCheckTest, APolymorphicObjectNeedsAReadableTableOfOperations)
{
    Pages pages(2);
    pages.Protect(1, PROT_NONE);
    alignas(Polymorphic) unsigned char storage[sizeof(Polymorphic)] = {};
    const Polymorphic real;
    const struct
    {
        const char* label;
        std::uintptr_t firstWord;
        int expected;
    } cases[] = {
        {"copied from a live object", 0, 1},
        {"null table", 0, 0},
        {"table in an inaccessible page", reinterpret_cast<std::uintptr_t>(pages.Page(1)), 0},
        {"table at a wild address", 0x10, 0},
        {"table in readable memory", reinterpret_cast<std::uintptr_t>(pages.Page(0)), 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
    {
        std::uintptr_t word = cases[i].firstWord;
        if (i == 0)
            std::memcpy(&word, &real, sizeof word);
        std::memcpy(storage, &word, sizeof word);
        EXPECT_EQ(IsValidObject(reinterpret_cast<const Polymorphic*>(storage)), cases[i].expected)
            << cases[i].label;
    }
    // The same bytes seen as a plain type: no table is looked at.
    std::uintptr_t wild = 0x10;
    std::memcpy(storage, &wild, sizeof wild);
    EXPECT_EQ(IsValidObjectMemory(storage, sizeof storage, false), 1);
}

}  // namespace
