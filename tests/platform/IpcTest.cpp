#include "platform/Ipc.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Places.h"
#include "tests/support/StaleSocket.h"
#include "tests/support/TempHome.h"

namespace
{

using platform::CopyDataListener;
using platform::FindWindowSocket;
using platform::WindowSocket;

class IpcTest : public testsupport::TempHomeTest
{
protected:
    static std::span<const std::byte> Bytes(const std::string& text)
    {
        return std::as_bytes(std::span(text));
    }
};

TEST_F(IpcTest, SocketNamesEncodeTheTitleExactly)
{
    const std::filesystem::path folder = platform::RuntimeFolder();
    struct Case
    {
        std::string title;
        std::string name;
    };
    const Case cases[] = {
        {"Pulvera", "window-Pulvera"},
        {"pulvera", "window-pulvera"},
        {"Pulvera ", "window-Pulvera%20"},
        {"a.b_c-9", "window-a.b_c-9"},
        {"x/y%z", "window-x%2Fy%25z"},
        {"é", "window-%C3%A9"},
        {"", "window-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::WindowSocketPath(c.title), folder / c.name) << c.title;

    // Too long for a socket address: a hash, different for titles that differ in their last byte.
    const std::string longTitle(300, 'T');
    const std::filesystem::path hashed = platform::WindowSocketPath(longTitle);
    EXPECT_EQ(hashed.parent_path(), folder);
    EXPECT_EQ(hashed.filename().string().rfind("window~", 0), 0u);
    EXPECT_EQ(hashed.filename().string().size(), 7u + 16u);
    EXPECT_NE(hashed, platform::WindowSocketPath(longTitle.substr(0, 299) + "U"));
    EXPECT_LT(hashed.native().size(), sizeof(sockaddr_un{}.sun_path));
}

TEST_F(IpcTest, AListenerIsFoundUntilItIsDestroyed)
{
    EXPECT_TRUE(FindWindowSocket("Pulvera").IsEmpty());
    auto listener = CopyDataListener::Listen("Pulvera");
    ASSERT_TRUE(listener);
    const std::filesystem::path path = listener->SocketPath();

    struct stat info
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u) << "only the user may connect";

    const WindowSocket found = FindWindowSocket("Pulvera");
    EXPECT_FALSE(found.IsEmpty());
    EXPECT_EQ(found.Path(), path);
    // Finding twice more: a finder's probe must not disturb the listener.
    EXPECT_TRUE(FindWindowSocket("Pulvera"));
    EXPECT_TRUE(FindWindowSocket("Pulvera"));

    listener.reset();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(FindWindowSocket("Pulvera").IsEmpty());
}

TEST_F(IpcTest, APrefixFindsTheLiveTitleWithAChangingTail)
{
    EXPECT_TRUE(platform::FindWindowSocketByPrefix("Measurement V:1 ").IsEmpty());
    // A stale socket that matches is passed over; another view's and a shorter title are not taken.
    ASSERT_TRUE(testsupport::LeaveStaleSocket(platform::WindowSocketPath("Measurement V:1 Old curve")));
    auto other = CopyDataListener::Listen("Measurement V:12 Curve:1");
    auto listener = CopyDataListener::Listen("Measurement V:1 Left ch; 100% \\ \"x\"");
    ASSERT_TRUE(other && listener);
    std::string title;
    const WindowSocket found = platform::FindWindowSocketByPrefix("Measurement V:1 ", &title);
    EXPECT_EQ(found.Path(), listener->SocketPath());
    EXPECT_EQ(title, "Measurement V:1 Left ch; 100% \\ \"x\"");
    EXPECT_EQ(platform::FindWindowSocketByPrefix("Measurement V:12 ").Path(), other->SocketPath());
    EXPECT_TRUE(
        platform::FindWindowSocketByPrefix("Measurement V:1 Left ch; 100% \\ \"x\" and more").IsEmpty());
    listener.reset();
    EXPECT_TRUE(platform::FindWindowSocketByPrefix("Measurement V:1 ").IsEmpty());
}

TEST_F(IpcTest, AStaleSocketIsNotFoundAndIsReplaced)
{
    const std::filesystem::path path = platform::WindowSocketPath("Pulvera");
    ASSERT_TRUE(testsupport::LeaveStaleSocket(path));
    EXPECT_TRUE(FindWindowSocket("Pulvera").IsEmpty());

    auto listener = CopyDataListener::Listen("Pulvera");
    ASSERT_TRUE(listener);
    EXPECT_TRUE(FindWindowSocket("Pulvera"));
}

TEST_F(IpcTest, ALiveTitleCannotBeTakenTwice)
{
    auto first = CopyDataListener::Listen("Pulvera");
    ASSERT_TRUE(first);
    EXPECT_FALSE(CopyDataListener::Listen("Pulvera"));
    EXPECT_TRUE(FindWindowSocket("Pulvera")) << "the refused listener must not remove the live socket";
}

TEST_F(IpcTest, ANonSocketFileIsNeverRemoved)
{
    const std::filesystem::path path = platform::WindowSocketPath("Pulvera");
    std::filesystem::create_directories(path.parent_path());
    {
        std::ofstream(path) << "not a socket";
    }
    EXPECT_FALSE(CopyDataListener::Listen("Pulvera"));
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

TEST_F(IpcTest, DestroyingAListenerLeavesAnotherListenersSocketAlone)
{
    auto old = CopyDataListener::Listen("Pulvera");
    ASSERT_TRUE(old);
    // Someone removed the socket file and a new listener took the title.
    std::filesystem::remove(old->SocketPath());
    auto replacement = CopyDataListener::Listen("Pulvera");
    ASSERT_TRUE(replacement);
    old.reset();
    EXPECT_TRUE(FindWindowSocket("Pulvera"));
}

TEST_F(IpcTest, MessagesArriveWholeAndTheReplyComesBack)
{
    struct Received
    {
        std::uint64_t dataWord;
        std::string bytes;
    };
    std::mutex mutex;
    std::vector<Received> received;
    auto listener = CopyDataListener::Listen(
        "Pulvera",
        [&](std::uint64_t dataWord, std::span<const std::byte> bytes)
        {
            std::lock_guard lock(mutex);
            received.push_back(
                {dataWord, std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size())});
            return static_cast<std::int32_t>(bytes.size()) - 100;
        });
    ASSERT_TRUE(listener);
    const WindowSocket window = FindWindowSocket("Pulvera");
    ASSERT_TRUE(window);

    std::string record(20920, '\0');
    for (std::size_t i = 0; i < record.size(); ++i)
        record[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    const struct
    {
        std::uint64_t dataWord;
        std::string bytes;
        std::int32_t reply;
    } cases[] = {
        {0, record, 20920 - 100},
        {0xFEDCBA9876543210ull, "", -100},
        {1, std::string("\0\xff", 2), -98},
    };
    for (const auto& c : cases)
    {
        std::int32_t reply = 12345;
        ASSERT_TRUE(platform::SendCopyData(window, c.dataWord, Bytes(c.bytes), reply));
        EXPECT_EQ(reply, c.reply);
    }
    std::lock_guard lock(mutex);
    ASSERT_EQ(received.size(), std::size(cases));
    for (std::size_t i = 0; i < received.size(); ++i)
    {
        EXPECT_EQ(received[i].dataWord, cases[i].dataWord);
        EXPECT_EQ(received[i].bytes, cases[i].bytes);
    }
}

TEST_F(IpcTest, WithoutAHandlerMessagesAreAnsweredWithZero)
{
    auto listener = CopyDataListener::Listen("Pulvera");
    ASSERT_TRUE(listener);
    std::int32_t reply = 77;
    EXPECT_TRUE(platform::SendCopyData(FindWindowSocket("Pulvera"), 5, Bytes("abc"), reply));
    EXPECT_EQ(reply, 0);
}

TEST_F(IpcTest, AMessageOverTheLimitIsRefusedUnread)
{
    std::atomic<int> calls = 0;
    auto listener = CopyDataListener::Listen(
        "Pulvera", [&](std::uint64_t, std::span<const std::byte>) { return ++calls; }, 16);
    ASSERT_TRUE(listener);
    const WindowSocket window = FindWindowSocket("Pulvera");

    std::int32_t reply = -1;
    EXPECT_FALSE(platform::SendCopyData(window, 0, Bytes(std::string(17, 'x')), reply));
    EXPECT_EQ(reply, -1) << "a failed send leaves the reply alone";
    EXPECT_EQ(calls.load(), 0);
    // The listener goes on serving after a refusal.
    EXPECT_TRUE(platform::SendCopyData(window, 0, Bytes(std::string(16, 'x')), reply));
    EXPECT_EQ(reply, 1);
}

TEST_F(IpcTest, SendingToNoWindowFails)
{
    std::int32_t reply = 3;
    EXPECT_FALSE(platform::SendCopyData(WindowSocket(), 0, Bytes("x"), reply));
    const std::filesystem::path path = platform::WindowSocketPath("Gone");
    ASSERT_TRUE(testsupport::LeaveStaleSocket(path));
    EXPECT_FALSE(platform::SendCopyData(WindowSocket(path), 0, Bytes("x"), reply));
    EXPECT_EQ(reply, 3);
}

TEST_F(IpcTest, AStalledSenderDoesNotKeepTheListenerFromClosing)
{
    auto listener = CopyDataListener::Listen("Pulvera");
    ASSERT_TRUE(listener);
    // Half a header, then nothing: the listener waits inside the message when it is destroyed.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, listener->SocketPath().c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::write(fd, "abcd", 4), 4);
    listener.reset();
    ::close(fd);
    EXPECT_TRUE(FindWindowSocket("Pulvera").IsEmpty());
}

// A live program that takes the connection and never answers must not hold the sender: the send
// gives up after its time-out and reports failure.
TEST_F(IpcTest, APeerThatNeverAnswersDoesNotHoldTheSender)
{
    testsupport::SilentPeer peer(platform::WindowSocketPath("Pulvera"));
    ASSERT_TRUE(peer.IsListening());
    const WindowSocket window = FindWindowSocket("Pulvera");
    ASSERT_FALSE(window.IsEmpty());
    for (const std::size_t size : {std::size_t{16}, std::size_t{8} << 20})  // answered never; not even read
    {
        auto send = std::async(std::launch::async,
                               [&]
                               {
                                   std::int32_t reply = 7;
                                   const bool sent = platform::SendCopyData(
                                       window, 0, Bytes(std::string(size, 'x')), reply);
                                   return sent || reply != 7;
                               });
        ASSERT_EQ(send.wait_for(std::chrono::seconds(20)), std::future_status::ready) << size;
        EXPECT_FALSE(send.get()) << size;
    }
}

// Sockets and lock files live only in a folder of this user that no one else may enter.
TEST_F(IpcTest, ARuntimeFolderOthersMayEnterIsNotUsed)
{
    const std::filesystem::path open = m_home.Root() / "open-run";
    std::filesystem::create_directories(open);
    ::chmod(open.c_str(), 0755);
    ::setenv("XDG_RUNTIME_DIR", open.c_str(), 1);
    const std::filesystem::path folder = platform::RuntimeFolder();
    EXPECT_NE(folder, open);
    struct stat info
    {
    };
    ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_uid, ::getuid());
    EXPECT_EQ(info.st_mode & 077, 0u);
    ::chmod(open.c_str(), 0700);
    EXPECT_EQ(platform::RuntimeFolder(), open);
}

}  // namespace
