#include "engine/VstChain.h"

#include "platform/Text.h"

#include <algorithm>
#include <filesystem>

CVstChain::CVstChain()
{
    m_slotNames.fill(kNoPluginLoaded);
}

void CVstChain::SetFormat(double sampleRate, int blockSize)
{
    m_dSampleRate = sampleRate;
    m_nBlockSize = blockSize;
}

void CVstChain::PrepareAll()
{
    for (CVstPlugin& slot : m_slots)
    {
        slot.SetFormat(m_dSampleRate, m_nBlockSize);
        slot.Prepare();
    }
}

void CVstChain::OnDisableAll()
{
    for (CVstPlugin& slot : m_slots)
        slot.SetEnabled(false);
}

void CVstChain::SetEnabled(int slot, bool enabled)
{
    CVstPlugin& plugin = GetSlot(slot);
    plugin.SetEnabled(enabled);
    plugin.SetFormat(m_dSampleRate, m_nBlockSize);
    plugin.Prepare();
}

int CVstChain::LoadSlot(int slot, const std::string& path)
{
    CVstPlugin& plugin = GetSlot(slot);
    std::string& name = m_slotNames.at(static_cast<std::size_t>(slot));
    if (path.empty())
        return CVstPlugin::kLoadOk;

    plugin.SetFile(std::string(), path);
    const int result = plugin.Load();
    if (result < 0)
    {
        name = kNoPluginLoaded;
        return result;
    }
    plugin.SetFormat(m_dSampleRate, m_nBlockSize);
    plugin.Prepare();
    name = ShownName(plugin.GetEffectName(), path);
    return result;
}

const std::string& CVstChain::GetSlotName(int slot) const
{
    return m_slotNames.at(static_cast<std::size_t>(slot));
}

CVstPlugin& CVstChain::GetSlot(int slot)
{
    return m_slots.at(static_cast<std::size_t>(slot));
}

const CVstPlugin& CVstChain::GetSlot(int slot) const
{
    return m_slots.at(static_cast<std::size_t>(slot));
}

bool CVstChain::IsAnyEnabled() const
{
    return std::any_of(m_slots.begin(), m_slots.end(),
                       [](const CVstPlugin& slot) { return slot.IsEnabled(); });
}

void CVstChain::ProcessChain(const float* source, float* destination, std::size_t stride, int frames,
                             int channels)
{
    if (source == nullptr || destination == nullptr)
        return;
    // Every slot reads and writes the destination rows, so that the slots act in series and an idle
    // slot still leaves the source samples in the destination.
    if (source != destination && frames > 0)
    {
        for (int k = 0; k < channels; ++k)
        {
            const std::size_t offset = static_cast<std::size_t>(k) * stride;
            std::copy_n(source + offset, frames, destination + offset);
        }
    }
    for (CVstPlugin& slot : m_slots)
    {
        slot.SetChannels(channels);
        slot.Process(destination, destination, stride, frames);
    }
}

std::string CVstChain::ShownName(const std::string& effectName, const std::string& path)
{
    if (effectName.empty() || platform::CountCharacters(effectName) > kMaxShownNameCharacters)
        return std::filesystem::path(path).filename().string();
    return effectName;
}
