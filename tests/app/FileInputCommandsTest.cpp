// File > Analyze wave file and Stop wave file analyzer through their commands: the file dialog, the
// calibration question for a file that carries a calibration, input mode 1 on the file's format,
// and the way back to the sound card.
#include "app/AnalyzerApp.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "engine/AudioFileReader.h"
#include "engine/FileInputSource.h"
#include "engine/SoundIn.h"
#include "engine/WaveRecorder.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"

#include <gtest/gtest.h>
#include <wx/filedlg.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace
{

class FileInputCommandsTest : public testsupport::EngineFrameFixture
{
protected:
    void SetUp() override
    {
        testsupport::EngineFrameFixture::SetUp();
        if (IsSkipped())
            return;
        m_engine.SetInputDevice(CSoundIn::kInputFile, std::make_unique<CFileInputSource>());
    }
    // A second of a 1 kHz tone, mono, 22050 Hz, written by the recorder with an overall
    // calibration factor.
    std::string WriteCalibratedTone(double factor)
    {
        std::filesystem::create_directories(m_home.File(""));
        const std::string path = m_home.File("calibrated tone.wav").string();
        CWaveRecorder recorder;
        recorder.m_nFileChannels = 1;
        recorder.m_nSampleRate = 22050;
        recorder.m_nBits = 16;
        recorder.m_dOverallFactor = factor;
        recorder.m_dChannelFactor[0] = 1.0;
        EXPECT_EQ(recorder.Open(path), 1);
        std::vector<std::int16_t> samples(22050);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] =
                static_cast<std::int16_t>(16000 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 22050.0));
        recorder.WritePcm16Block(samples.data(), static_cast<int>(samples.size()));
        recorder.Close();
        std::array<double, 257> factors{};
        EXPECT_EQ(ReadWaveFileCalibration(path, factors), 1);
        EXPECT_DOUBLE_EQ(factors[256], factor);
        return path;
    }
    void ChooseFile(const std::string& path, int& shown)
    {
        testsupport::FillAndConfirm answer(
            [&](wxDialog& dialog, int)
            {
                auto* files = dynamic_cast<wxFileDialog*>(&dialog);
                if (!files)
                    return false;
                files->SetPath(wxString::FromUTF8(path));
                return true;
            });
        RunCommand(command_id::kAnalyzeWaveFile);
        shown = answer.m_shown;
    }
};

TEST_F(FileInputCommandsTest, AnalyzeWaveFileTakesTheFileAndStopGoesBackToTheSoundCard)
{
    const std::string path = WriteCalibratedTone(2.0);
    std::vector<std::string> questions;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            questions.push_back(request.text);
            return (request.style & wxYES_NO) != 0 ? wxID_YES : wxID_OK;
        });
    int shown = 0;
    ChooseFile(path, shown);
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "Die Datei enthält Kalibrierinformationen.\nMöchten Sie diese  übernehmen?");
    EXPECT_EQ(m_engine.m_bCalibration, 1);
    EXPECT_NEAR(m_engine.m_fCalibrationOffset, 20.0 * std::log10(2.0), 1e-5);
    EXPECT_EQ(m_engine.m_nInputMode, CSoundIn::kInputFile);
    EXPECT_EQ(m_engine.m_nSampleRate, 22050);
    EXPECT_EQ(m_engine.m_nChannelMode, 0);
    EXPECT_TRUE(m_engine.IsRunning());
    auto* source = dynamic_cast<CFileInputSource*>(m_engine.GetInputDevice(CSoundIn::kInputFile));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->GetPath(), path);

    // The menu: Analyze is checked and disabled, Stop enabled.
    wxUpdateUIEvent analyze(command_id::WxCommandId(command_id::kAnalyzeWaveFile));
    commands::UpdateAnalyzeWaveFile(*m_frame, command_id::kAnalyzeWaveFile, analyze);
    EXPECT_TRUE(analyze.GetChecked());
    EXPECT_FALSE(analyze.GetEnabled());
    wxUpdateUIEvent stop(command_id::WxCommandId(command_id::kStopWaveFileAnalyzer));
    commands::UpdateStopWaveFileAnalyzer(*m_frame, command_id::kStopWaveFileAnalyzer, stop);
    EXPECT_TRUE(stop.GetEnabled());

    RunCommand(command_id::kStopWaveFileAnalyzer);
    EXPECT_EQ(m_engine.m_nInputMode, CSoundIn::kInputWave);
    EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 1);
    wxUpdateUIEvent after(command_id::WxCommandId(command_id::kStopWaveFileAnalyzer));
    commands::UpdateStopWaveFileAnalyzer(*m_frame, command_id::kStopWaveFileAnalyzer, after);
    EXPECT_FALSE(after.GetEnabled());
}

TEST_F(FileInputCommandsTest, AnsweringNoKeepsTheCalibrationAndCancelChangesNothing)
{
    const std::string path = WriteCalibratedTone(4.0);
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        { return (request.style & wxYES_NO) != 0 ? wxID_NO : wxID_OK; });
    m_engine.m_bCalibration = 0;
    m_engine.m_fCalibrationOffset = 1.5f;
    int shown = 0;
    ChooseFile(path, shown);
    EXPECT_EQ(m_engine.m_bCalibration, 0);
    EXPECT_FLOAT_EQ(m_engine.m_fCalibrationOffset, 1.5f);
    EXPECT_EQ(m_engine.m_nInputMode, CSoundIn::kInputFile);
    m_engine.StopInput();
    m_engine.m_nInputMode = CSoundIn::kInputNone;
    {
        testsupport::FillAndConfirm cancel([](wxDialog&, int) { return false; });
        RunCommand(command_id::kAnalyzeWaveFile);
        EXPECT_EQ(cancel.m_shown, 1);
    }
    EXPECT_EQ(m_engine.m_nInputMode, CSoundIn::kInputNone);
}

}  // namespace
