// The exports of the input plug-in "Ninvaro.so": the plug-in's copy of the configuration block, its
// one device object, and the nine functions a host calls (all on the host's thread).
#include "asio_input/AsioDevice.h"
#include "asio_input/AsioSettingsDlg.h"
#include "engine/InputDllConfig.h"
#include "platform/Debug.h"
#include "platform/asio/AsioDriverList.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include <wx/app.h>

#define NINVARO_EXPORT extern "C" __attribute__((visibility("default")))

namespace
{

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 28;

// Until a host sets its own, the matrices are the identity.
InputDllConfig MakeInitialConfig()
{
    InputDllConfig config;
    for (int i = 0; i < InputDllConfig::kMatrixSize; ++i)
        config.inputMatrix[i] = config.outputMatrix[i] = i;
    return config;
}

InputDllConfig g_config = MakeInitialConfig();
std::unique_ptr<CAsioDevice> g_device;

void CopyText(char* target, std::size_t size, const std::string& text)
{
    std::snprintf(target, size, "%s", text.c_str());
}

void CopyMatrices(CAsioDevice& device)
{
    for (int i = 0; i < InputDllConfig::kMatrixSize; ++i)
    {
        device.m_inputMatrix[static_cast<std::size_t>(i)] = g_config.inputMatrix[i];
        device.m_outputMatrix[static_cast<std::size_t>(i)] = g_config.outputMatrix[i];
    }
}

}  // namespace

NINVARO_EXPORT int DLL_input_getVersion_Maj(int* out)
{
    if (out)
        *out = kVersionMajor;
    return 1;
}

NINVARO_EXPORT int DLL_input_getVersion_Min(int* out)
{
    if (out)
        *out = kVersionMinor;
    return 1;
}

NINVARO_EXPORT int DLL_input_getConfig(InputDllConfig* out)
{
    std::snprintf(g_config.description, sizeof g_config.description, "Tessarin ASIO driver V%i.%i",
                  kVersionMajor, kVersionMinor);
    CopyText(g_config.capabilities, sizeof g_config.capabilities, "24 bit 192kHz ASIO support");
    // Before a successful open there is no device to report channels of.
    if (g_device && g_device->m_bOpened)
    {
        g_config.inputChannels = g_device->m_bMultichannel ? g_device->GetInputBuffers() : 2;
        g_config.outputChannels = g_device->GetOutputBuffers();
        g_config.sampleRate = static_cast<float>(g_device->m_nSampleRate);
    }
    else
    {
        g_config.inputChannels = 0;
        g_config.outputChannels = 0;
    }
    if (out)
        *out = g_config;
    return 1;
}

NINVARO_EXPORT int DLL_input_setConfig(const InputDllConfig* in)
{
    if (!in)
        return 1;
    // The open failure is the plug-in's to report; the host's copy of it is stale.
    char failure[InputDllConfig::kReasonSize];
    std::memcpy(failure, g_config.openFailure, sizeof failure);
    g_config = *in;
    std::memcpy(g_config.openFailure, failure, sizeof failure);
    if (g_device)
    {
        CopyMatrices(*g_device);
        g_device->SaveSettings();
    }
    return 1;
}

NINVARO_EXPORT int DLL_input_open()
{
    if (g_device)
        return g_device->m_bOpened ? 1 : 0;
    g_device = std::make_unique<CAsioDevice>();
    g_device->LoadSettings();
    g_device->m_nSampleRate = static_cast<std::int32_t>(g_config.sampleRate);
    CopyMatrices(*g_device);
    const int result = g_device->Open(g_config.dataCallback, g_config.outputCallback, g_config.outputContext);
    if (result < 0)
    {
        platform::DebugOutput("ASIO open failed %i\n", result);
        g_device->m_bOpened = 0;
        CopyText(g_config.openFailure, sizeof g_config.openFailure, g_device->GetError());
        return 0;
    }
    platform::DebugOutput("ASIO open OK\n");
    g_device->m_bOpened = 1;
    std::memset(g_config.openFailure, 0, sizeof g_config.openFailure);
    return 1;
}

NINVARO_EXPORT int DLL_input_start()
{
    if (g_device && g_device->m_bOpened && !g_device->m_bRunning)
        g_device->Start();
    return 1;
}

NINVARO_EXPORT int DLL_input_stop()
{
    if (g_device && g_device->m_bRunning)
        g_device->Stop();
    return 1;
}

NINVARO_EXPORT int DLL_input_close()
{
    if (g_device)
    {
        g_device->Stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (g_device->m_bOpened)
            g_device->Close();
        g_device->SaveSettings();
        g_device.reset();
    }
    DeleteAsioDriverLoader();
    return 1;
}

NINVARO_EXPORT int DLL_input_configDLG()
{
    // The dialog lives in the host's running window toolkit; without one there is nothing to show.
    if (!wxTheApp)
        return 0;
    CAsioDevice settings;
    CAsioDevice* device = g_device.get();
    if (!device)
    {
        settings.LoadSettings();
        device = &settings;
    }
    CAsioSettingsDlg dialog(wxTheApp->GetTopWindow());
    const CAsioDriverList list;
    for (int i = 0; i < list.GetCount() && i < CAsioSettingsDlg::kMaxNames; ++i)
        dialog.m_names.push_back(GetAsioDriverNameByIndex(i));
    dialog.m_nDevice = device->m_nDevice;
    dialog.m_nChannelA = device->m_nCh1;
    dialog.m_nChannelB = device->m_nCh2;
    dialog.m_bForceStereo = device->m_bForceStereo;
    dialog.m_bMultichannel = device->m_bMultichannel;
    dialog.m_nInputs = device->GetInputBuffers();
    dialog.m_nOutputs = device->GetOutputBuffers();
    dialog.m_nSampleType = device->GetFirstChannelType();
    DLL_input_getVersion_Maj(&dialog.m_nVersionMajor);
    DLL_input_getVersion_Min(&dialog.m_nVersionMinor);
    // The JACK driver has no control panel of its own.
    dialog.m_bHasControlPanel = false;
    if (dialog.ShowModal() == wxID_OK)
    {
        device->m_nDevice = dialog.m_nDevice;
        device->m_nCh1 = dialog.m_nChannelA;
        device->m_nCh2 = dialog.m_nChannelB;
        device->m_bForceStereo = dialog.m_bForceStereo;
        device->m_bMultichannel = dialog.m_bMultichannel;
        device->SaveSettings();
    }
    return 0;
}
