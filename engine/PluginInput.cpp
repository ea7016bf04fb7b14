#include "engine/PluginInput.h"

#include "engine/SoundIn.h"

namespace
{

void FillBlock(InputDllConfig& block, const InputDeviceConfig& config, int blockLength)
{
    block.inputChannels = config.channels;
    block.blockLength = blockLength;
    block.sampleRate = static_cast<float>(config.sampleRate);
    block.dataCallback = &CSoundIn::OnPluginInputBlock;
    block.enable = 1;
    block.unused = 0;
}

}  // namespace

bool CAsioPluginInput::QueryFormat(int& channels, int& sampleRate)
{
    m_error.clear();
    channels = 0;
    sampleRate = 0;
    InputDllConfig& block = m_engine.m_inputDllConfig;
    block.sampleRate = static_cast<float>(m_engine.m_nSampleRate);
    if (m_engine.BindAsioPlugin() <= 0)
    {
        // The binding has told the user already.
        m_error = m_engine.GetPluginFailure();
        return true;
    }
    CInputPluginLibrary& plugin = m_engine.m_asioPlugin;
    if (plugin.getConfig)
        plugin.getConfig(&block);
    channels = block.inputChannels;
    sampleRate = static_cast<int>(block.sampleRate);
    m_engine.m_nPluginOutputChannels = block.outputChannels;
    m_engine.m_generatorMatrix.SetSampleRate(sampleRate);
    for (int i = 0; i < InputDllConfig::kMatrixSize; ++i)
    {
        block.inputMatrix[i] = m_engine.m_nSourceChannel[static_cast<std::size_t>(i)];
        block.outputMatrix[i] = i;
    }
    if (plugin.setConfig)
        plugin.setConfig(&block);
    m_engine.CloseAsioPlugin();
    return true;
}

int CAsioPluginInput::Open(const InputDeviceConfig& config, CInputBlockSink& /*sink*/)
{
    m_error.clear();
    FillBlock(m_engine.m_inputDllConfig, config, m_engine.m_nBlockLength.load());
    // Binding again re-applies the generators at the rate the engine now runs at.
    if (m_engine.BindAsioPlugin() <= 0)
    {
        m_error = m_engine.GetPluginFailure();
        return -1;
    }
    m_bOpen = true;
    return 0;
}

void CAsioPluginInput::Pause()
{
    if (m_bOpen)
        m_engine.StopAsioPlugin();
}

void CAsioPluginInput::Resume()
{
    if (m_bOpen)
        m_engine.StartAsioPlugin();
}

void CAsioPluginInput::Close()
{
    if (m_bOpen)
        m_engine.CloseAsioPlugin();
    m_bOpen = false;
}

bool CLibraryInput::QueryFormat(int& channels, int& sampleRate)
{
    (void)channels;
    (void)sampleRate;
    m_error.clear();
    if (m_engine.BindInputDll() < 0)
        return false;
    InputDllConfig& block = m_engine.m_inputDllConfig;
    CInputPluginLibrary& library = m_engine.m_inputLibrary;
    block.sampleRate = static_cast<float>(m_engine.m_nSampleRate);
    if (library.setConfig)
        library.setConfig(&block);
    if (library.getConfig)
        library.getConfig(&block);
    const int rate = static_cast<int>(block.sampleRate);
    if (rate >= CSoundIn::kMinSampleRate && rate <= CSoundIn::kMaxSampleRate)
        m_engine.m_nSampleRate = rate;
    return false;
}

int CLibraryInput::Open(const InputDeviceConfig& config, CInputBlockSink& /*sink*/)
{
    m_error.clear();
    if (m_engine.BindInputDll() < 0)
    {
        m_error = "Failed to load driver DLL " + m_engine.m_strInputLibrary;
        return -1;
    }
    FillBlock(m_engine.m_inputDllConfig, config, m_engine.m_nBlockLength.load());
    if (m_engine.StartInputDll() != 1)
        return -1;
    m_bOpen = true;
    return 0;
}

void CLibraryInput::Pause()
{
    if (m_bOpen)
        m_engine.PauseInputDll();
}

void CLibraryInput::Resume()
{
    if (m_bOpen)
        m_engine.ResumeInputDll();
}

void CLibraryInput::Close()
{
    if (m_bOpen)
        m_engine.CloseInputDll();
    m_bOpen = false;
}
