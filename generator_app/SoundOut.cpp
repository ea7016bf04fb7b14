#include "generator_app/SoundOut.h"

#include "platform/asio/AsioDriverList.h"

CSoundOut::~CSoundOut()
{
    Close();
}

int CSoundOut::Open(CAudioOut_DXStream::FillFunction fill, void* context)
{
    m_strError.clear();
    if (m_nMode == kModeAsio)
    {
        // The driver keeps its buffers over a Stop: a new open loads it again.
        if (m_asio.Open(m_nSampleRate, m_nDevice, m_nChannels, fill, context) != 0)
        {
            m_strError = m_asio.GetLastError();
            return -1;
        }
        return 0;
    }
    if (!m_pDevice)
        m_pDevice = std::make_unique<CAudioOut_DX>();
    m_pDevice->m_nDevice = m_nDevice;
    if (m_pDevice->Create() != 1)
    {
        m_strError = "The chosen output device is not in the list of playback devices.";
        m_pDevice.reset();
        return -1;
    }
    if (!m_pStream)
    {
        m_pStream = std::make_unique<CAudioOut_DXStream>();
        m_pStream->m_format = m_format;
        m_pStream->m_nRunLimitMs = CAudioOut_DXStream::kDefaultRunLimitMs;
        m_pStream->m_bMoreThan16Bits = m_nContainerBits > 16 ? 1 : 0;
        m_pStream->m_nSampleBits = m_nSampleBits;
        if (m_pStream->Open(fill, m_pDevice.get(), context) != 1)
        {
            m_strError = m_pStream->GetLastError();
            m_pStream.reset();
            return -1;
        }
    }
    return 0;
}

int CSoundOut::Start()
{
    m_strError.clear();
    if (m_nMode == kModeAsio)
    {
        if (!m_asio.IsOpen() || m_asio.Start() != 0)
        {
            m_strError = "The ASIO driver does not start.";
            return -1;
        }
        m_bRunning = 1;
        return 0;
    }
    if (!m_pStream || !m_pStream->IsOpen())
    {
        m_strError = "The output is not open.";
        return -1;
    }
    if (m_pStream->Start() != 1)
    {
        m_strError = m_pStream->GetLastError();
        return -1;
    }
    m_bRunning = 1;
    return 0;
}

int CSoundOut::Stop()
{
    int result = 0;
    if (m_asio.IsOpen())
    {
        result = m_asio.Stop();
        m_bRunning = 0;
        return result;
    }
    if (m_pStream)
    {
        result = m_pStream->Stop();
        m_nLastUnderruns = m_pStream->GetUnderruns();
        m_pStream->Close();
        m_pStream.reset();
    }
    if (m_pDevice)
    {
        m_pDevice->Release();
        m_pDevice.reset();
    }
    m_bRunning = 0;
    return result;
}

void CSoundOut::Close()
{
    Stop();
    m_asio.Close();
}

int CSoundOut::GetDeviceCount(int mode) const
{
    return mode == kModeAsio ? CAsioDriverList().GetCount() : 0;
}

std::string CSoundOut::GetDeviceName(int mode, int index) const
{
    return mode == kModeAsio ? GetAsioDriverNameByIndex(index) : std::string();
}

std::int64_t CSoundOut::GetUnderruns() const
{
    return m_pStream ? m_pStream->GetUnderruns() : m_nLastUnderruns;
}
