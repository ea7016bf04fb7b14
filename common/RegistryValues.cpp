#include "common/RegistryValues.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/NumberFormat.h"

namespace
{

// The size of the text buffer through which doubles are read.
constexpr std::size_t kDoubleTextBytes = 255;

// Copies text and a terminator into the buffer, cutting (before a whole character) when it would
// not fit: a default longer than the caller's buffer must not overrun it.
void CopyTerminated(std::string_view text, std::span<char> buffer)
{
    if (buffer.empty())
        return;
    std::size_t length = text.size();
    if (length + 1 > buffer.size())
    {
        length = buffer.size() - 1;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(buffer.data(), text.data(), length);
    buffer[length] = '\0';
}

}  // namespace

int ReadRegString(const platform::RegistryKey& key, std::string_view valueName, std::span<char> buffer,
                  std::string_view defaultText)
{
    const auto value = key.ReadValue(valueName);
    if (value && value->type == platform::RegistryType::String && value->data.size() + 1 <= buffer.size())
        CopyTerminated(value->data, buffer);
    else
        CopyTerminated(defaultText, buffer);
    return 0;
}

int WriteRegString(const platform::RegistryKey& key, std::string_view valueName, std::string_view text)
{
    return key.WriteValue(valueName, platform::RegistryType::String, text) ? 0 : E_FAIL;
}

int ReadRegDword(const platform::RegistryKey& key, std::string_view valueName, int* value, int defaultValue)
{
    if (!value)
        return 0;
    const auto stored = key.ReadValue(valueName);
    if (!stored || stored->type != platform::RegistryType::Dword || stored->data.size() != 4)
    {
        *value = defaultValue;
        return 0;
    }
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(stored->data[i]);
    *value = static_cast<int>(bits);
    return 0;
}

int WriteRegDword(const platform::RegistryKey& key, std::string_view valueName, int value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return key.WriteValue(valueName, platform::RegistryType::Dword, bytes) ? 0 : E_FAIL;
}

int ReadRegDouble(const platform::RegistryKey& key, std::string_view valueName, double* value,
                  double defaultValue)
{
    if (!value)
        return 0;
    const std::string defaultText = platform::FormatC("%e", defaultValue);
    char text[kDoubleTextBytes];
    ReadRegString(key, valueName, text, defaultText);
    *value = platform::ParseDouble(text);
    return 0;
}

int WriteRegDouble(const platform::RegistryKey& key, std::string_view valueName, double value)
{
    return WriteRegString(key, valueName, platform::FormatC("%e", value));
}
