// The remote command record that drives a measurement window, the block of float samples that
// another program may feed into the engine through the same channel, and the checks that every
// message passes before anything of it is used: a message from another program is not trusted.
//
// Threads: the decoder keeps no state and may be called from any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Six 32-bit little-endian words: the code, then five arguments. Each code says whether it reads
// its arguments as signed integers or as single-precision floats.
struct RemoteCommand
{
    std::int32_t code = 0;
    std::array<std::uint32_t, 5> args{};

    // Argument n (1..5) as a signed integer, or as the float whose bits it holds.
    std::int32_t IntArg(int n) const
    {
        return static_cast<std::int32_t>(args[static_cast<std::size_t>(n - 1)]);
    }
    float FloatArg(int n) const;
    void SetIntArg(int n, std::int32_t value)
    {
        args[static_cast<std::size_t>(n - 1)] = static_cast<std::uint32_t>(value);
    }
    void SetFloatArg(int n, float value);
};

inline constexpr std::size_t kRemoteCommandBytes = 24;
// The code that marks the mailbox as free.
inline constexpr std::int32_t kRemoteMailboxFree = 9999;
// The first word of a sample block.
inline constexpr std::int32_t kRemoteSampleTag = 2334534;
// A sample block's header: 14 words, of which the tag, the sample offset (word 1) and the frame
// count (word 7) are read.
inline constexpr std::size_t kRemoteSampleHeaderBytes = 56;
inline constexpr std::int64_t kRemoteMaxFrames = 262144;

// What a received message is, after its checks.
struct RemoteMessage
{
    enum class Kind
    {
        Refused,  // nothing of it may be used; `reason` says why
        Command,  // `command` holds the record
        Samples,  // `offset` and `frames` lie inside the message
    };
    Kind kind = Kind::Refused;
    RemoteCommand command;
    std::size_t offset = 0;
    int frames = 0;
    std::string reason;
};

// Reads a message of the link. A sample block needs its whole header, an offset inside the
// message past the header (any byte: the samples are copied out), at most kRemoteMaxFrames frames and
// offset + frames x stride x 4 bytes within the message; stride is the number of floats per frame
// the engine's float intake takes now. A command needs its 24 bytes.
RemoteMessage DecodeRemoteMessage(std::span<const std::byte> bytes, int stride);

// The record as the bytes of a message.
std::array<std::byte, kRemoteCommandBytes> EncodeRemoteCommand(const RemoteCommand& command);

// A float argument as an integer, truncated toward zero. False (value unchanged) for a value that
// is not finite or does not fit a signed 32-bit integer.
bool RemoteFloatToInt(float value, int& result);

// The window's mailbox: how many sent or posted records still wait for the dispatcher. It is
// free at zero; each record is a copy of its own, so a sender that waits too long never replaces
// another's record, and only the dispatch of a record releases its place.
//
// Threads: any; the count is an atomic.
class CRemoteMailbox
{
public:
    bool IsFree() const;
    int Waiting() const { return m_nWaiting.load(); }
    void Take();
    void Release();

private:
    std::atomic<int> m_nWaiting{0};
};
