#include "common/ChannelRingBuffer.h"

#include <algorithm>
#include <climits>
#include <cstring>

CChannelRingBuffer::CChannelRingBuffer()
{
    Reset();
}

void CChannelRingBuffer::Reset()
{
    CRingBuffer::Reset();
    m_written.store(0);
    m_readTotal.store(0);
    m_consumed.store(0);
    m_readerBusy.store(false);
    m_request.store(kNoRequest);
    m_minPosted.store(kNoLimit, std::memory_order_relaxed);
    m_droppedFrames.store(0);
    m_skippedFrames.store(0);
}

bool CChannelRingBuffer::Init(void* storage, int capacityFrames, int elementSize, int channels,
                              int sourceStride, int destinationStride)
{
    m_nChannels = 0;
    m_pPlaneBase = nullptr;
    m_nCapacityFrames = 0;
    m_nPlaneSize = 0;
    CRingBuffer::SetBuffer(nullptr, 0);
    Reset();
    const long long planeSize = static_cast<long long>(capacityFrames) * elementSize;
    const bool valid = storage && capacityFrames > 0 && elementSize > 0 && channels >= 1 &&
                       channels <= kMaxChannels && sourceStride >= 0 && destinationStride >= 0 &&
                       planeSize <= INT_MAX &&
                       static_cast<long long>(sourceStride) * elementSize <= INT_MAX &&
                       static_cast<long long>(destinationStride) * elementSize <= INT_MAX;
    if (!valid)
        return false;
    m_nChannels = channels;
    m_pPlaneBase = static_cast<std::uint8_t*>(storage);
    m_nCapacityFrames = capacityFrames;
    m_nElementSize = elementSize;
    m_nSourceStride = sourceStride * elementSize;
    m_nDestinationStride = destinationStride * elementSize;
    m_nPlaneSize = static_cast<int>(planeSize);
    // The first plane gives the base its capacity in bytes for the wrap arithmetic of the reads.
    CRingBuffer::SetBuffer(storage, m_nPlaneSize);
    return true;
}

std::int64_t CChannelRingBuffer::ProtectedFrom(bool update) const
{
    // Sequentially consistent loads against the reader's busy store and request take-up: if the
    // reader was idle here, its next read sees every request posted before this point.
    const bool busy = m_readerBusy.load();
    const std::int64_t request = m_request.load();
    const std::int64_t read = m_readTotal.load();
    if (!busy)
    {
        if (update)
            m_minPosted.store(request != kNoRequest ? request : kNoLimit, std::memory_order_relaxed);
        return request != kNoRequest ? request : read;
    }
    std::int64_t from = std::min(read, m_minPosted.load(std::memory_order_relaxed));
    if (request != kNoRequest)
        from = std::min(from, request);
    return from;
}

void CChannelRingBuffer::PostRequest(std::int64_t total)
{
    m_request.store(total);
    m_minPosted.store(std::min(m_minPosted.load(std::memory_order_relaxed), total),
                      std::memory_order_relaxed);
}

int CChannelRingBuffer::GetFree() const
{
    if (m_nCapacityFrames <= 0)
        return 0;
    const std::int64_t used = m_written.load() - ProtectedFrom(false);
    return static_cast<int>(std::clamp<std::int64_t>(m_nCapacityFrames - used, 0, m_nCapacityFrames));
}

int CChannelRingBuffer::WriteBlock(const void* source, int frames)
{
    if (frames <= 0 || m_nCapacityFrames <= 0 || !source)
        return 0;
    const std::int64_t written = m_written.load();
    std::int64_t from = ProtectedFrom(true);
    if (written + frames - from > m_nCapacityFrames)
    {
        // Overrun: let the reader skip the oldest unread frames, unless it is copying them now.
        const std::int64_t skipTo = written + std::min(frames, m_nCapacityFrames) - m_nCapacityFrames;
        if (skipTo > from)
        {
            m_skippedFrames.fetch_add(skipTo - from, std::memory_order_relaxed);
            PostRequest(skipTo);
            from = ProtectedFrom(true);
        }
    }
    const std::int64_t room =
        std::clamp<std::int64_t>(from + m_nCapacityFrames - written, 0, m_nCapacityFrames);
    const int count = static_cast<int>(std::min<std::int64_t>(frames, room));
    if (frames > count)
        m_droppedFrames.fetch_add(frames - count, std::memory_order_relaxed);

    const auto* input = static_cast<const std::uint8_t*>(source);
    const int position = FramePosition(written);
    const int firstFrames = std::min(count, m_nCapacityFrames - position);
    for (int c = 0; c < m_nChannels; ++c)
    {
        std::uint8_t* plane = m_pPlaneBase + static_cast<std::size_t>(c) * m_nPlaneSize;
        const std::uint8_t* row = input + static_cast<std::size_t>(c) * m_nSourceStride;
        std::memcpy(plane + static_cast<std::size_t>(position) * m_nElementSize, row,
                    static_cast<std::size_t>(firstFrames) * m_nElementSize);
        std::memcpy(plane, row + static_cast<std::size_t>(firstFrames) * m_nElementSize,
                    static_cast<std::size_t>(count - firstFrames) * m_nElementSize);
    }
    m_written.store(written + count);
    return count;
}

void CChannelRingBuffer::SetReadBack(int frames)
{
    if (m_nCapacityFrames <= 0)
        return;
    frames = std::clamp(frames, 0, m_nCapacityFrames);
    PostRequest(m_written.load() - frames);
}

void CChannelRingBuffer::TakeUpRequest()
{
    std::int64_t request = m_request.load();
    while (request != kNoRequest)
    {
        // Publish the new start before the request disappears, so the writer always sees one of them.
        m_readTotal.store(request);
        m_consumed.store(request);
        if (m_request.compare_exchange_strong(request, kNoRequest))
            break;
    }
}

int CChannelRingBuffer::Take(void* destination, int frames, bool add)
{
    if (frames <= 0 || frames > m_nCapacityFrames || !destination)
        return 0;
    m_readerBusy.store(true);
    TakeUpRequest();
    const std::int64_t read = m_readTotal.load(std::memory_order_relaxed);
    if (read + frames > m_written.load())
    {
        m_readerBusy.store(false);
        return 0;
    }
    const int bytes = frames * m_nElementSize;
    const long long end = (read + frames) * m_nElementSize;
    auto* output = static_cast<std::uint8_t*>(destination);
    for (int c = 0; c < m_nChannels; ++c)
    {
        const std::uint8_t* plane = m_pPlaneBase + static_cast<std::size_t>(c) * m_nPlaneSize;
        std::uint8_t* row = output + static_cast<std::size_t>(c) * m_nDestinationStride;
        if (add)
            AddEndingAt(plane, reinterpret_cast<float*>(row), bytes, end);
        else
            CopyEndingAt(plane, row, bytes, end);
    }
    m_consumed.store(m_consumed.load(std::memory_order_relaxed) + frames);
    if (!add)
        m_readTotal.store(read + frames);
    m_readerBusy.store(false);
    return frames;
}

int CChannelRingBuffer::ReadBlock(void* destination, int frames)
{
    return Take(destination, frames, false);
}

int CChannelRingBuffer::AddBlock(float* destination, int frames)
{
    if (m_nElementSize != static_cast<int>(sizeof(float)))
        return 0;
    return Take(destination, frames, true);
}

int CChannelRingBuffer::GetAvailable() const
{
    const std::int64_t request = m_request.load();
    const std::int64_t from = request != kNoRequest ? request : m_consumed.load();
    return static_cast<int>(std::clamp<std::int64_t>(m_written.load() - from, 0, m_nCapacityFrames));
}

int CChannelRingBuffer::GetWriteFrame() const
{
    return FramePosition(m_written.load());
}

int CChannelRingBuffer::GetReadFrame() const
{
    const std::int64_t request = m_request.load();
    return FramePosition(request != kNoRequest ? request : m_readTotal.load());
}

int CChannelRingBuffer::FramePosition(std::int64_t total) const
{
    if (m_nCapacityFrames <= 0)
        return 0;
    std::int64_t position = total % m_nCapacityFrames;
    if (position < 0)
        position += m_nCapacityFrames;
    return static_cast<int>(position);
}
