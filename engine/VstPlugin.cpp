#include "engine/VstPlugin.h"

#include "platform/Debug.h"
#include "platform/Text.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <string_view>
#include <thread>

// The audio side reads the sample rate and block size while the user-interface side may set them.
static_assert(std::atomic<double>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

bool CVstLibrary::Load(const std::string& path)
{
    if (m_library.Open(path))
        return true;
    platform::DebugOutput("VST plug-in %s does not load: %s", path.c_str(), m_library.GetError().c_str());
    return false;
}

VstEntryPointProc CVstLibrary::GetEntryPoint() const
{
    void* symbol = m_library.GetSymbol(kVstEntryPointName);
    if (symbol == nullptr)
        symbol = m_library.GetSymbol(kVstLegacyEntryPointName);
    return reinterpret_cast<VstEntryPointProc>(symbol);
}

void CVstLibrary::Free()
{
    m_library.Close();
}

std::intptr_t VstHostCallback(AEffect* /*effect*/, std::int32_t opcode, std::int32_t /*index*/,
                              std::intptr_t /*value*/, void* /*ptr*/, float /*opt*/)
{
    return opcode == audioMasterVersion ? kVstHostVersion : 0;
}

CVstPlugin::~CVstPlugin()
{
    Unload();
}

void CVstPlugin::SetFile(std::string folder, std::string file)
{
    m_strFolder = std::move(folder);
    m_strFile = std::move(file);
}

void CVstPlugin::SetFormat(double sampleRate, int blockSize)
{
    m_dSampleRate.store(sampleRate);
    m_nBlockSize.store(blockSize);
}

int CVstPlugin::Load()
{
    m_bReady.store(0);
    if (m_strFile.empty())
        return kLoadOk;

    const std::string path = m_strFolder + m_strFile;
    m_strLoadedPath.clear();
    if (m_pEffect != nullptr)
        Unload();

    if (!m_library.Load(path))
        return kLoadLibraryFailed;
    m_pEntryPoint = m_library.GetEntryPoint();
    if (m_pEntryPoint == nullptr)
    {
        m_library.Free();
        return kLoadNoEntryPoint;
    }
    AEffect* effect = m_pEntryPoint(&VstHostCallback);
    if (effect == nullptr)
    {
        // Nothing of the library can be used any more: keep no handle an empty slot would hold on to.
        m_pEntryPoint = nullptr;
        m_library.Free();
        return kLoadNoEffect;
    }
    m_pEffect = effect;
    Dispatch(effOpen);
    m_strLoadedPath = path;
    return kLoadOk;
}

void CVstPlugin::Prepare()
{
    if (m_strLoadedPath.empty() || m_pEffect == nullptr)
        return;

    m_bPreparing.store(1);
    m_bReady.store(0);
    WaitIdle();

    const double sampleRate = m_dSampleRate.load();
    const int blockSize = std::max(0, m_nBlockSize.load());
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    Dispatch(effSetBlockSize, 0, blockSize);
    ReadNames();

    // The counts come from the plug-in: a negative one means no channels of that direction.
    m_nInputs = std::max(0, m_pEffect->numInputs);
    m_nOutputs = std::max(0, m_pEffect->numOutputs);
    if (m_nInputs > m_nAllocatedInputs || m_nOutputs > m_nAllocatedOutputs ||
        blockSize > m_nAllocatedBlockSize)
    {
        try
        {
            AllocateBuffers(blockSize);
        }
        catch (const std::bad_alloc&)
        {
            // The slot stays loaded but not ready, so it never processes into missing buffers.
            FreeBuffers();
            platform::DebugOutput("VST plug-in %s: no memory for %d inputs and %d outputs of %d frames",
                                  m_strLoadedPath.c_str(), m_nInputs, m_nOutputs, blockSize);
            m_bPreparing.store(0);
            return;
        }
    }

    Dispatch(effMainsChanged, 0, 1);
    m_bPreparing.store(0);
    m_bReady.store(1);
}

void CVstPlugin::Process(const float* source, float* destination, std::size_t stride, int frames)
{
    // Processing is announced before the flags are looked at: a user-interface side that clears
    // ready after this point finds processing set and waits for this call to end.
    m_bProcessing.store(1);
    if (m_bUnloading.load() != 0 || m_bPreparing.load() != 0 || m_bReady.load() == 0 ||
        m_bEnabled.load() == 0)
    {
        m_bProcessing.store(0);
        return;
    }

    const int channels = m_nChannels;
    if (m_dSampleRate.load() > 0.0 && channels > 0)
    {
        if (frames > 0 && source != nullptr && destination != nullptr)
        {
            if (!BuffersHold(frames))
            {
                // Only a caller that passes more frames than it prepared for gets here.
                try
                {
                    AllocateBuffers(std::max(m_nBlockSize.load(), frames));
                }
                catch (const std::bad_alloc&)
                {
                    FreeBuffers();
                }
            }
            if (BuffersHold(frames) && m_pEffect->processReplacing != nullptr)
            {
                const int inputs = std::min(channels, m_nInputs);
                for (int k = 0; k < inputs; ++k)
                    std::copy_n(source + static_cast<std::size_t>(k) * stride, frames,
                                m_inputBuffers[static_cast<std::size_t>(k)]);
                if (m_bReady.load() != 0)
                {
                    m_pEffect->processReplacing(m_pEffect, m_inputBuffers.data(), m_outputBuffers.data(),
                                                frames);
                    if (m_bReady.load() != 0)
                    {
                        const int outputs = std::min(channels, m_nOutputs);
                        for (int k = 0; k < outputs; ++k)
                            std::copy_n(m_outputBuffers[static_cast<std::size_t>(k)], frames,
                                        destination + static_cast<std::size_t>(k) * stride);
                    }
                }
            }
        }
    }
    else
    {
        m_bEnabled.store(0);
    }
    m_bProcessing.store(0);
}

void CVstPlugin::Unload()
{
    m_strLoadedPath.clear();
    m_bUnloading.store(1);
    m_bReady.store(0);
    WaitIdle();

    if (m_pEffect != nullptr)
    {
        FreeBuffers();
        Dispatch(effMainsChanged, 0, 0);
        Dispatch(effClose);
    }
    m_pEffect = nullptr;
    m_pEntryPoint = nullptr;
    m_library.Free();
    m_nInputs = 0;
    m_nOutputs = 0;
    m_effectName.fill('\0');
    m_vendorName.fill('\0');
    m_productName.fill('\0');
    FreeBuffers();
    m_bUnloading.store(0);
    m_bPreparing.store(0);
}

std::intptr_t CVstPlugin::Dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                                   float opt)
{
    if (m_pEffect == nullptr || m_pEffect->dispatcher == nullptr)
        return 0;
    return m_pEffect->dispatcher(m_pEffect, opcode, index, value, ptr, opt);
}

void CVstPlugin::ReadNames()
{
    const auto readName = [this](std::int32_t opcode, NameBuffer& name)
    {
        name.fill('\0');
        Dispatch(opcode, 0, 0, name.data());
        name.back() = '\0';
    };
    readName(effGetEffectName, m_effectName);
    readName(effGetVendorString, m_vendorName);
    readName(effGetProductString, m_productName);

    // Only the three names are kept; the rest is asked because plug-ins expect a host to ask it.
    NameBuffer text{};
    const int programs = m_pEffect->numPrograms;
    for (int i = 0; i < programs; ++i)
    {
        text.fill('\0');
        if (Dispatch(effGetProgramNameIndexed, i, 0, text.data()) == 0)
        {
            Dispatch(effSetProgram, 0, i);
            Dispatch(effGetProgramName, 0, 0, text.data());
        }
    }
    const int parameters = m_pEffect->numParams;
    for (int i = 0; i < parameters; ++i)
    {
        text.fill('\0');
        Dispatch(effGetParamName, i, 0, text.data());
        text.fill('\0');
        Dispatch(effGetParamLabel, i, 0, text.data());
        text.fill('\0');
        Dispatch(effGetParamDisplay, i, 0, text.data());
        if (m_pEffect->getParameter != nullptr)
            m_pEffect->getParameter(m_pEffect, i);
    }
    // The questions go in a buffer of ours: a plug-in may not write into them, but a careless one
    // must not be able to write into our constants.
    for (const std::string_view question : {"receiveVstEvents", "receiveVstMidiEvent", "midiProgramNames"})
    {
        text.fill('\0');
        std::copy(question.begin(), question.end(), text.begin());
        Dispatch(effCanDo, 0, 0, text.data());
    }
}

void CVstPlugin::AllocateBuffers(int blockSize)
{
    FreeBuffers();
    const auto frames = static_cast<std::size_t>(std::max(0, blockSize));
    m_inputStorage.assign(static_cast<std::size_t>(m_nInputs) * frames, 0.0f);
    m_outputStorage.assign(static_cast<std::size_t>(m_nOutputs) * frames, 0.0f);
    m_inputBuffers.resize(static_cast<std::size_t>(m_nInputs));
    m_outputBuffers.resize(static_cast<std::size_t>(m_nOutputs));
    for (std::size_t k = 0; k < m_inputBuffers.size(); ++k)
        m_inputBuffers[k] = m_inputStorage.data() + k * frames;
    for (std::size_t k = 0; k < m_outputBuffers.size(); ++k)
        m_outputBuffers[k] = m_outputStorage.data() + k * frames;
    m_nAllocatedInputs = m_nInputs;
    m_nAllocatedOutputs = m_nOutputs;
    m_nAllocatedBlockSize = static_cast<int>(frames);
}

void CVstPlugin::FreeBuffers()
{
    std::vector<float>().swap(m_inputStorage);
    std::vector<float>().swap(m_outputStorage);
    std::vector<float*>().swap(m_inputBuffers);
    std::vector<float*>().swap(m_outputBuffers);
    m_nAllocatedInputs = 0;
    m_nAllocatedOutputs = 0;
    m_nAllocatedBlockSize = 0;
}

bool CVstPlugin::BuffersHold(int frames) const
{
    return frames <= m_nAllocatedBlockSize && m_nInputs <= m_nAllocatedInputs &&
           m_nOutputs <= m_nAllocatedOutputs;
}

void CVstPlugin::WaitIdle() const
{
    while (m_bProcessing.load() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(kWaitIdleSleepMs));
}

std::string CVstPlugin::NameFromBuffer(const NameBuffer& buffer)
{
    const auto end = std::find(buffer.begin(), buffer.end(), '\0');
    return platform::TextFromFile(
        std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.begin())));
}
