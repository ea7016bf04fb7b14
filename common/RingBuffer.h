// The engine's byte ring: a FIFO over storage that it owns (Allocate) or borrows (SetBuffer). It
// carries the per-channel delay lines of the input path today and is the base of the engine's
// sample and block rings. No lock and no check against unread data: the owner keeps writes and
// reads balanced (GetFree before a write, GetCount before a read).
//
// Threads: one object is used by one thread at a time. Write and Read copy at most two pieces and
// never allocate; only Allocate and Free touch the heap.
#pragma once

#include <cstdint>
#include <memory>

class CRingBuffer
{
public:
    CRingBuffer();
    ~CRingBuffer();
    CRingBuffer(const CRingBuffer&) = delete;
    CRingBuffer& operator=(const CRingBuffer&) = delete;

    // Read and write positions, fill and count back to 0.
    void Reset();
    // Drops storage the ring allocated before, allocates `bytes` zeroed bytes (none for a negative
    // size) and resets.
    void Allocate(int bytes);
    // Frees storage that the ring allocated itself; borrowed storage is only forgotten.
    void Free();
    // Borrows `bytes` bytes of the caller's storage, which must outlive the ring's use of it, and resets.
    void SetBuffer(void* storage, int bytes);

    // Copies `bytes` bytes in at the write position, wrapping at the end of the storage. Writing
    // more than GetFree() overwrites the oldest data; writing more than the capacity keeps the last
    // capacity bytes. The count grows by `bytes`, the fill by the same but never past the capacity.
    // Always 0.
    int Write(const void* data, int bytes);
    // Copies `bytes` bytes out from the read position, wrapping; the count shrinks by `bytes`
    // without comparing with it. Always 0.
    int Read(void* out, int bytes);

    // Copies the `bytes` bytes of `plane` (an external plane laid out like this ring's storage, of
    // its capacity) that end just before byte position `end`, in pieces around the wrap. A range
    // longer than the capacity copies nothing.
    void CopyEndingAt(const void* plane, void* out, int bytes, long long end) const;
    // The same range read as floats and added element by element into `out` (bytes / 4 floats).
    void AddEndingAt(const void* plane, float* out, int bytes, long long end) const;

    // Elements stored (count / element size) and room left before unread data is overwritten.
    int GetCount() const { return m_nCount / m_nElementSize; }
    int GetFree() const { return m_nCapacity - GetCount(); }
    // A position reduced into 0 .. capacity-1; a negative one counts back from the end.
    int Wrap(long long position) const;

    int GetCapacity() const { return m_nCapacity; }
    int GetFill() const { return m_nFill; }
    int GetCountBytes() const { return m_nCount; }
    int GetWritePos() const { return m_nWritePos; }
    int GetReadPos() const { return m_nReadPos; }
    const std::uint8_t* GetBuffer() const { return m_pBuffer; }

protected:
    int m_nFill = 0;         // bytes written since the last reset, capped at the capacity
    int m_nCount = 0;        // bytes stored: raised by Write, lowered by Read, not capped
    int m_nElementSize = 1;  // 1 for this byte ring; sample rings use 4
    int m_nWritePos = 0;
    int m_nReadPos = 0;
    std::uint8_t* m_pBuffer = nullptr;
    int m_nCapacity = 0;
    int m_nOwnedSize = -1;  // size of storage the ring allocated; -1 while borrowed or absent

private:
    std::unique_ptr<std::uint8_t[]> m_owned;
};
