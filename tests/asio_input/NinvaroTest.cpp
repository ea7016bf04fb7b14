// The built plug-in "Ninvaro.so" through dlopen, as a host sees it: its version and texts, open
// without a JACK server (refused, with the reason in the block), open, close and open again on a
// real JACK server, the registry defaults, and the settings dialog's Cancel and OK.
#include "engine/InputDllConfig.h"
#include "platform/Places.h"
#include "platform/Registry.h"
#include "platform/SharedLibrary.h"
#include "tests/support/JackServer.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>

namespace
{

std::atomic<int> g_blocks{0};
std::atomic<int> g_frames{0};
void CountBlocks(const float* /*samples*/, int frames)
{
    g_frames.store(frames);
    ++g_blocks;
}

class Ninvaro
{
public:
    Ninvaro()
    {
        const std::string path = (platform::ProgramFolder() / "Ninvaro.so").string();
        if (!m_library.Open(path))
            return;
        open = reinterpret_cast<DllInputFunction>(m_library.GetSymbol("DLL_input_open"));
        start = reinterpret_cast<DllInputFunction>(m_library.GetSymbol("DLL_input_start"));
        stop = reinterpret_cast<DllInputFunction>(m_library.GetSymbol("DLL_input_stop"));
        close = reinterpret_cast<DllInputFunction>(m_library.GetSymbol("DLL_input_close"));
        configDlg = reinterpret_cast<DllInputFunction>(m_library.GetSymbol("DLL_input_configDLG"));
        getConfig = reinterpret_cast<DllInputGetConfigFunction>(m_library.GetSymbol("DLL_input_getConfig"));
        setConfig = reinterpret_cast<DllInputSetConfigFunction>(m_library.GetSymbol("DLL_input_setConfig"));
        major = reinterpret_cast<DllInputVersionFunction>(m_library.GetSymbol("DLL_input_getVersion_Maj"));
        minor = reinterpret_cast<DllInputVersionFunction>(m_library.GetSymbol("DLL_input_getVersion_Min"));
    }
    ~Ninvaro()
    {
        if (close)
            close();
    }
    bool Loaded() const
    {
        return open && start && stop && close && configDlg && getConfig && setConfig && major && minor;
    }
    std::string Error() const { return m_library.GetError(); }

    DllInputFunction open = nullptr, start = nullptr, stop = nullptr, close = nullptr, configDlg = nullptr;
    DllInputGetConfigFunction getConfig = nullptr;
    DllInputSetConfigFunction setConfig = nullptr;
    DllInputVersionFunction major = nullptr, minor = nullptr;

private:
    platform::SharedLibrary m_library;
};

InputDllConfig HostBlock(InputDataCallback data)
{
    InputDllConfig block;
    block.sampleRate = 44100.0f;
    block.blockLength = 1024;
    block.inputChannels = 2;
    block.dataCallback = data;
    block.enable = 1;
    for (int i = 0; i < InputDllConfig::kMatrixSize; ++i)
        block.inputMatrix[i] = block.outputMatrix[i] = i;
    return block;
}

std::int32_t RegistryDword(const std::string& name)
{
    const platform::RegistryKey key = platform::RegistryKey::Open("Software\\Halvek\\Ninvaro", false);
    if (!key)
        return -12345;
    const auto value = key.ReadValue(name);
    if (!value || value->data.size() != 4)
        return -12345;
    std::int32_t v = 0;
    std::memcpy(&v, value->data.data(), 4);
    return v;
}

class NinvaroTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_plugin.Loaded()) << m_plugin.Error();
        g_blocks.store(0);
    }
    Ninvaro m_plugin;
};

TEST_F(NinvaroTest, ReportsItsVersionAndTexts)
{
    int major = 0, minor = 0;
    EXPECT_EQ(m_plugin.major(&major), 1);
    EXPECT_EQ(m_plugin.minor(&minor), 1);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 28);
    InputDllConfig block;
    EXPECT_EQ(m_plugin.getConfig(&block), 1);
    EXPECT_STREQ(block.description, "Tessarin ASIO driver V1.28");
    EXPECT_STREQ(block.capabilities, "24 bit 192kHz ASIO support");
    // Before an open there is no device to report channels of.
    EXPECT_EQ(block.inputChannels, 0);
    EXPECT_EQ(block.outputChannels, 0);
}

TEST_F(NinvaroTest, WithoutAServerOpenFailsAndSaysWhy)
{
    setenv("JACK_DEFAULT_SERVER", "tessarin_no_such_server", 1);
    const InputDllConfig host = HostBlock(&CountBlocks);
    EXPECT_EQ(m_plugin.setConfig(&host), 1);
    EXPECT_EQ(m_plugin.open(), 0);
    InputDllConfig block;
    m_plugin.getConfig(&block);
    EXPECT_STREQ(block.openFailure, "no JACK server is running");
    EXPECT_EQ(block.inputChannels, 0);
    EXPECT_EQ(m_plugin.start(), 1);
    EXPECT_EQ(m_plugin.stop(), 1);
    EXPECT_EQ(g_blocks.load(), 0);
    EXPECT_EQ(m_plugin.close(), 1);
    unsetenv("JACK_DEFAULT_SERVER");
}

TEST_F(NinvaroTest, AFreshRegistryGivesTheDefaultsAndCloseKeepsThem)
{
    setenv("JACK_DEFAULT_SERVER", "tessarin_no_such_server", 1);
    m_plugin.open();
    m_plugin.close();
    unsetenv("JACK_DEFAULT_SERVER");
    EXPECT_EQ(RegistryDword("device"), 0);
    EXPECT_EQ(RegistryDword("force stereo"), 1);
    EXPECT_EQ(RegistryDword("ch1"), 0);
    EXPECT_EQ(RegistryDword("ch2"), 1);
    EXPECT_EQ(RegistryDword("multichannel"), 0);
    for (int i = 1; i <= 64; ++i)
    {
        EXPECT_EQ(RegistryDword("inputMatrix ch" + std::to_string(i)), i - 1);
        EXPECT_EQ(RegistryDword("outputMatrix ch" + std::to_string(i)), i - 1);
    }
}

TEST_F(NinvaroTest, OpenCloseOpenOnAJackServerStreamsAtTheServersRate)
{
    JackServer server;
    if (!server.Start(48000, 256))
        GTEST_SKIP() << server.Error();
    InputDllConfig host = HostBlock(&CountBlocks);
    m_plugin.setConfig(&host);
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE(round);
        ASSERT_EQ(m_plugin.open(), 1);
        // A second open without a close changes nothing.
        EXPECT_EQ(m_plugin.open(), 1);
        InputDllConfig block;
        m_plugin.getConfig(&block);
        EXPECT_EQ(block.inputChannels, 2);
        EXPECT_EQ(block.outputChannels, 2);
        EXPECT_EQ(block.sampleRate, 48000.0f);
        EXPECT_EQ(block.openFailure[0], '\0');
        g_blocks.store(0);
        m_plugin.start();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (g_blocks.load() < 10 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        m_plugin.stop();
        EXPECT_GE(g_blocks.load(), 10);
        EXPECT_EQ(g_frames.load(), 256);
        m_plugin.close();
        const int after = g_blocks.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(g_blocks.load(), after) << "no callback after close";
    }
}

// The dialog shown by the plug-in, in this process's toolkit.
wxDialog* ShownSettingsDialog()
{
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = dynamic_cast<wxDialog*>(window);
            dialog && dialog->IsModal() && dialog->GetTitle() == "ASIO Settings")
            return dialog;
    return nullptr;
}

void SaveDialogPicture(wxDialog& dialog, const std::filesystem::path& path)
{
    dialog.Update();
    wxYield();
    const wxSize size = dialog.GetSize();
    wxBitmap bitmap(size);
    wxMemoryDC memory(bitmap);
    wxScreenDC screen;
    memory.Blit(0, 0, size.x, size.y, &screen, dialog.GetScreenPosition().x, dialog.GetScreenPosition().y);
    memory.SelectObject(wxNullBitmap);
    bitmap.ConvertToImage().SaveFile(path.string(), wxBITMAP_TYPE_PNG);
}

TEST_F(NinvaroTest, SettingsDialogCancelChangesNothingAndOkStores)
{
    ASSERT_NE(wxTheApp, nullptr);
    const std::filesystem::path picture = std::filesystem::path(::testing::TempDir()) / "asio_settings.png";
    auto step = [](bool ok, const std::filesystem::path* save)
    {
        return testsupport::ModalStep(
            [ok, save]
            {
                wxDialog* dialog = ShownSettingsDialog();
                ASSERT_NE(dialog, nullptr);
                auto* choice = dynamic_cast<wxChoice*>(dialog->FindWindow(1004));
                ASSERT_NE(choice, nullptr);
                EXPECT_EQ(choice->GetCount(), 32u);
                auto* devices = dynamic_cast<wxChoice*>(dialog->FindWindow(1032));
                ASSERT_NE(devices, nullptr);
                EXPECT_EQ(devices->GetString(0), "JACK");
                EXPECT_FALSE(dialog->FindWindow(1002)->IsEnabled()) << "JACK has no control panel";
                if (save)
                    SaveDialogPicture(*dialog, *save);
                choice->SetSelection(5);
                dynamic_cast<wxCheckBox*>(dialog->FindWindow(1007))->SetValue(true);
                wxCommandEvent click(wxEVT_BUTTON, ok ? wxID_OK : wxID_CANCEL);
                click.SetEventObject(dialog->FindWindow(ok ? wxID_OK : wxID_CANCEL));
                dialog->FindWindow(ok ? wxID_OK : wxID_CANCEL)->GetEventHandler()->ProcessEvent(click);
            },
            [] { return ShownSettingsDialog() != nullptr; });
    };
    std::size_t ran =
        testsupport::RunWithSteps([&] { EXPECT_EQ(m_plugin.configDlg(), 0); }, {step(false, &picture)});
    EXPECT_EQ(ran, 1u);
    EXPECT_EQ(RegistryDword("ch1"), -12345) << "Cancel writes nothing";
    EXPECT_EQ(RegistryDword("multichannel"), -12345);
    std::printf("settings dialog picture: %s\n", picture.c_str());

    ran = testsupport::RunWithSteps([&] { m_plugin.configDlg(); }, {step(true, nullptr)});
    EXPECT_EQ(ran, 1u);
    EXPECT_EQ(RegistryDword("ch1"), 5);
    EXPECT_EQ(RegistryDword("multichannel"), 1);
    EXPECT_EQ(RegistryDword("ch2"), 1);
}

}  // namespace
