#include "view/RemoteCommand.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "platform/NumberFormat.h"

namespace
{

std::uint32_t ReadWord(std::span<const std::byte> bytes, std::size_t index)
{
    const std::byte* p = bytes.data() + index * 4;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void WriteWord(std::byte* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::byte>(value >> (8 * i));
}

RemoteMessage Refuse(std::string reason)
{
    RemoteMessage message;
    message.reason = std::move(reason);
    return message;
}

}  // namespace

float RemoteCommand::FloatArg(int n) const
{
    return std::bit_cast<float>(args[static_cast<std::size_t>(n - 1)]);
}

void RemoteCommand::SetFloatArg(int n, float value)
{
    args[static_cast<std::size_t>(n - 1)] = std::bit_cast<std::uint32_t>(value);
}

RemoteMessage DecodeRemoteMessage(std::span<const std::byte> bytes, int stride)
{
    if (bytes.size() >= 4 && static_cast<std::int32_t>(ReadWord(bytes, 0)) == kRemoteSampleTag)
    {
        if (bytes.size() < kRemoteSampleHeaderBytes)
            return Refuse(
                platform::FormatC("sample block of %zu bytes, shorter than its header", bytes.size()));
        const std::uint32_t offset = ReadWord(bytes, 1);
        const std::int32_t frames = static_cast<std::int32_t>(ReadWord(bytes, 7));
        if (offset < kRemoteSampleHeaderBytes || offset > bytes.size())
            return Refuse(platform::FormatC("sample offset %u outside the block", offset));
        if (frames < 0 || frames > kRemoteMaxFrames)
            return Refuse(platform::FormatC("sample block of %d frames", frames));
        if (stride < 1)
            return Refuse("no float intake");
        const std::uint64_t end = std::uint64_t{offset} + std::uint64_t(frames) * std::uint64_t(stride) * 4u;
        if (end > bytes.size())
            return Refuse(platform::FormatC("%d frames from offset %u reach beyond the block of %zu bytes",
                                            frames, offset, bytes.size()));
        RemoteMessage message;
        message.kind = RemoteMessage::Kind::Samples;
        message.offset = offset;
        message.frames = frames;
        return message;
    }
    if (bytes.size() < kRemoteCommandBytes)
        return Refuse(platform::FormatC("command of %zu bytes, shorter than a record", bytes.size()));
    RemoteMessage message;
    message.kind = RemoteMessage::Kind::Command;
    message.command.code = static_cast<std::int32_t>(ReadWord(bytes, 0));
    for (std::size_t i = 0; i < message.command.args.size(); ++i)
        message.command.args[i] = ReadWord(bytes, i + 1);
    return message;
}

std::array<std::byte, kRemoteCommandBytes> EncodeRemoteCommand(const RemoteCommand& command)
{
    std::array<std::byte, kRemoteCommandBytes> bytes{};
    WriteWord(bytes.data(), static_cast<std::uint32_t>(command.code));
    for (std::size_t i = 0; i < command.args.size(); ++i)
        WriteWord(bytes.data() + 4 * (i + 1), command.args[i]);
    return bytes;
}

bool RemoteFloatToInt(float value, int& result)
{
    // 2^31 itself is a float but no int; -2^31 is both.
    if (!std::isfinite(value) || value >= 2147483648.0f || value < -2147483648.0f)
        return false;
    result = static_cast<int>(value);
    return true;
}
