// Store and load helpers for tests of stored records: a record's stored bytes, loading from
// bytes, and hand-written hex.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Archive.h"

namespace testsupport
{

inline std::vector<std::uint8_t> FromHex(std::string_view hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size();)
    {
        if (hex[i] == ' ' || hex[i] == '\n')
        {
            ++i;
            continue;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

template <class Record>
std::vector<std::uint8_t> StoreBytes(Record& record)
{
    CArchive ar;
    record.Serialize(ar);
    return ar.Buffer();
}

template <class Record>
void LoadBytes(Record& record, std::span<const std::uint8_t> bytes)
{
    CArchive ar(bytes);
    record.Serialize(ar);
}

inline std::string AsString(const std::vector<std::uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace testsupport
