// The engine's multi-channel block ring: the block intake appends conditioned frames, the analysis
// thread takes whole analysis blocks, also from a point before the newest frame (pre-trigger). The
// storage is the caller's: one plane of `capacity` frames per channel.
//
// Threads: one writer (the intake, under the engine's input lock) and one reader (the analysis
// thread) at a time, without a lock between them. The writer moves the reader only by request
// (SetReadBack, or the skip of an overrun), which the reader takes up at its next read; the writer
// never writes into frames the reader is copying or may still copy. Positions are 64-bit frame
// totals published through atomics; plane positions are the totals reduced into the capacity.
// Init and Reset run only while neither side runs. Nothing here allocates.
#pragma once

#include "common/RingBuffer.h"

#include <atomic>
#include <cstdint>
#include <limits>

class CChannelRingBuffer : public CRingBuffer
{
public:
    static constexpr int kMaxChannels = 64;

    CChannelRingBuffer();

    // Neither side running: counters and positions to 0, pending requests dropped.
    void Reset();
    // Neither side running: borrows `storage` (channels x capacity frames of element size bytes,
    // channel c at c x capacity frames) and resets. Strides are in elements: between the first
    // samples of two channels of a block given to WriteBlock, and of a block filled by ReadBlock or
    // AddBlock. Refused (the ring stays empty, false) for channels outside 1..64 or sizes that do
    // not fit.
    bool Init(void* storage, int capacityFrames, int elementSize, int channels, int sourceStride,
              int destinationStride);

    // --- writer side (the intake) ---
    // Appends `frames` frames of every channel. Frames that would land on frames the reader has not
    // taken yet first push the reader on (the oldest unread frames are skipped); while the reader
    // is copying, the frames that do not fit are dropped instead (counted apart). Returns the frames
    // written.
    int WriteBlock(const void* source, int frames);
    // The next read starts `frames` frames before the newest frame and `frames` frames become
    // available (at most the capacity).
    void SetReadBack(int frames);
    // Frames the writer can append before it has to skip unread frames (any thread may ask).
    int GetFree() const;
    // Unread frames skipped by overruns, and new frames dropped because the reader held the room.
    std::int64_t GetSkippedFrames() const { return m_skippedFrames.load(std::memory_order_relaxed); }
    std::int64_t GetDroppedFrames() const { return m_droppedFrames.load(std::memory_order_relaxed); }

    // --- reader side (the analysis thread) ---
    // Copies `frames` frames of every channel from the read frame to destination + c x destination
    // stride and moves the read frame on. Returns `frames`, or 0 (nothing copied) when those frames
    // have not all been written yet or exceed the capacity.
    int ReadBlock(void* destination, int frames);
    // As ReadBlock, but adds the frames (floats) into the destination and leaves the read frame
    // where it is; the available count still drops by `frames`.
    int AddBlock(float* destination, int frames);

    // --- either side ---
    // Frames written and not yet taken (after a pending read-back, the frames it makes readable).
    int GetAvailable() const;
    int GetWriteFrame() const;
    int GetReadFrame() const;
    int GetChannels() const { return m_nChannels; }
    int GetCapacityFrames() const { return m_nCapacityFrames; }
    std::int64_t GetWrittenFrames() const { return m_written.load(); }

private:
    static constexpr std::int64_t kNoRequest = std::numeric_limits<std::int64_t>::min();
    static constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();

    int Take(void* destination, int frames, bool add);
    // Oldest frame total the reader may still copy; `update` lets the writer forget requests that
    // an idle reader can no longer be using.
    std::int64_t ProtectedFrom(bool update) const;
    void PostRequest(std::int64_t total);
    void TakeUpRequest();
    int FramePosition(std::int64_t total) const;

    // geometry (fixed by Init)
    int m_nChannels = 0;
    std::uint8_t* m_pPlaneBase = nullptr;
    int m_nCapacityFrames = 0;
    int m_nSourceStride = 0;       // bytes
    int m_nDestinationStride = 0;  // bytes
    int m_nPlaneSize = 0;          // bytes

    // writer side
    std::atomic<std::int64_t> m_written{0};  // frames ever written, published after the copy
    // Lowest request a busy reader may have taken up (atomic only so that GetFree may be asked
    // from any thread).
    mutable std::atomic<std::int64_t> m_minPosted{kNoLimit};
    std::atomic<std::int64_t> m_skippedFrames{0};
    std::atomic<std::int64_t> m_droppedFrames{0};

    // reader side
    std::atomic<std::int64_t> m_readTotal{0};  // frame the next read starts at
    std::atomic<std::int64_t> m_consumed{0};   // frames taken (ReadBlock and AddBlock)
    std::atomic<bool> m_readerBusy{false};     // true from before a request is taken up to the copy's end

    // writer to reader
    std::atomic<std::int64_t> m_request{kNoRequest};
};
