// A fixed-size byte block laid out field by field: the parameter block at the head of the phonetogram
// and directivity sweep files. Values are raw little-endian (4-byte int, 8-byte IEEE double) with no
// tags; the file form is an int32 size followed by the whole block.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

class CBlob
{
public:
    CBlob();
    ~CBlob();
    CBlob(const CBlob&) = delete;
    CBlob& operator=(const CBlob&) = delete;

    // Discards the old block and allocates `size` zeroed bytes (none for a negative size);
    // both positions go back to 0.
    void Reserve(int size);

    // A push or pop that would pass the end of the block is refused: it returns false, moves
    // nothing, and a refused pop yields 0.
    bool PushInt(int value);
    bool PushDouble(double value);
    bool PopInt(int& value);
    bool PopDouble(double& value);

    // Writes the int32 size and the whole block; false when the file refuses the bytes.
    bool WriteToFile(std::FILE* file) const;
    // Reads an int32 size and that many bytes. A size that is negative or above the reserved size
    // (1024 when nothing is reserved) or a short read is refused: the blob keeps its old contents
    // and the result is false.
    bool ReadFromFile(std::FILE* file);

    int GetWritePos() const { return m_nWritePos; }
    int GetReadPos() const { return m_nReadPos; }
    int GetSize() const { return m_nSize; }

private:
    bool Fits(int position, int bytes) const;

    int m_nWritePos = 0;
    int m_nReadPos = 0;
    int m_nSize = 0;
    std::unique_ptr<std::uint8_t[]> m_pBuffer;
};
