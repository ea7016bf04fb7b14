// The microphone calibration and reference commands of the Options menu as a user runs them: a
// calibration file loaded into a slot and bound to a channel, a reference loaded, reloaded when the
// dialog opens again, refused whole when damaged, reset, and the current spectrum saved and read
// back. Pictures of both dialogs are saved.
#include "app/MainFrame.h"
#include "engine/SoundIn.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "view/ReferenceFile.h"
#include "view/ui/MicCalibrationDlg.h"
#include "view/ui/ReferenceMeasurementDlg.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

using testsupport::FillAndConfirm;
using testsupport::SavePicture;
namespace fs = std::filesystem;

void SetText(wxWindow& dialog, int id, const std::string& text)
{
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->ChangeValue(wxString::FromUTF8(text));
}

void Tick(wxWindow& dialog, int id, bool value)
{
    auto* check = dynamic_cast<wxCheckBox*>(dialog.FindWindow(id));
    ASSERT_NE(check, nullptr) << id;
    check->SetValue(value);
}

std::string LabelOf(wxWindow& dialog, int id)
{
    auto* label = dynamic_cast<wxStaticText*>(dialog.FindWindow(id));
    return label ? label->GetLabel().utf8_string() : "(none)";
}

void Click(wxWindow& dialog, int id)
{
    wxWindow* button = dialog.FindWindow(id);
    ASSERT_NE(button, nullptr) << id;
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

class CalibrationFilesTest : public testsupport::EngineFrameFixture
{
protected:
    void SetUp() override
    {
        EngineFrameFixture::SetUp();
        m_dir = fs::temp_directory_path() / ("tessarin-calfiles-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        fs::remove_all(m_dir);
        EngineFrameFixture::TearDown();
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path) << text;
        return path.string();
    }
    std::vector<std::string> m_messages;
    platform::ui::ScopedMessageBoxResponder m_responder{[this](const platform::ui::MessageBoxRequest& request)
                                                        {
                                                            m_messages.push_back(request.text);
                                                            return wxID_OK;
                                                        }};
    fs::path m_dir;
};

TEST_F(CalibrationFilesTest, MicCalibrationLoadsAFileIntoItsSlotAndBindsIt)
{
    EXPECT_NE(m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(command_id::kMicCalibration)), nullptr);
    const std::string cal = Write("mic.cal", "1457934344\ndB 20 -1.5 1000 6 20000 2.5\n");
    std::string nextFile = cal;
    platform::ui::ScopedFileDialogResponder files([&](const platform::ui::FileDialogRequest&)
                                                  { return nextFile; });
    FillAndConfirm answer(
        [&](wxDialog& dialog)
        {
            EXPECT_EQ(LabelOf(dialog, CMicCalibrationDlg::kIdStatus), "No file loaded");
            SetText(dialog, CMicCalibrationDlg::kIdSlot, "5");
            SetText(dialog, CMicCalibrationDlg::kIdChannel, "3");
            Tick(dialog, CMicCalibrationDlg::kIdEnable, true);
            Click(dialog, CMicCalibrationDlg::kIdBrowse);
            EXPECT_EQ(LabelOf(dialog, CMicCalibrationDlg::kIdStatus), cal + " loaded size: 3");
            SavePicture(&dialog, "mic-calibration.png");
            Tick(dialog, CMicCalibrationDlg::kIdAllChannels, true);
        });
    RunCommand(command_id::kMicCalibration);
    EXPECT_EQ(answer.m_shown, 1);
    const CCalibrationCurve& curve = m_engine.m_calibrationCurves[4];
    EXPECT_EQ(curve.m_nPoints, 3);
    EXPECT_EQ(curve.m_bDecibel, 1);
    EXPECT_EQ(curve.m_nChannel, 2);
    EXPECT_EQ(curve.m_bEnabled, 1);
    EXPECT_EQ(curve.m_bAllChannels, 1) << "OK stores the switches";
    EXPECT_EQ(m_engine.m_calibrationCurves[0].m_nPoints, 0);

    // "Update" shows what a slot holds; a file that is no calibration file leaves the slot.
    nextFile = Write("bad.cal", "12345\n");
    FillAndConfirm again(
        [&](wxDialog& dialog)
        {
            SetText(dialog, CMicCalibrationDlg::kIdSlot, "5");
            Click(dialog, CMicCalibrationDlg::kIdUpdate);
            EXPECT_EQ(
                dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CMicCalibrationDlg::kIdChannel))->GetValue(),
                "3");
            Click(dialog, CMicCalibrationDlg::kIdBrowse);
            SetText(dialog, CMicCalibrationDlg::kIdChannel, "65");  // refused: the dialog stays open
        });
    RunCommand(command_id::kMicCalibration);
    EXPECT_EQ(again.m_refused, 1);
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_NE(m_messages[0].find("bad.cal"), std::string::npos);
    EXPECT_EQ(m_engine.m_calibrationCurves[4].m_nPoints, 3);
    EXPECT_EQ(m_engine.m_calibrationCurves[4].m_nChannel, 2);
}

TEST_F(CalibrationFilesTest, ReferenceLoadsReloadsRefusesDamageResetsAndSaves)
{
    const std::string ref = Write("room.ref", "1457934343\n4\n48000\n1e0\n2e0\n3e0\n4e0\n");
    std::string nextFile = ref;
    platform::ui::ScopedFileDialogResponder files([&](const platform::ui::FileDialogRequest&)
                                                  { return nextFile; });
    FillAndConfirm load(
        [&](wxDialog& dialog)
        {
            EXPECT_EQ(LabelOf(dialog, CReferenceMeasurementDlg::kIdStatus), "No file loaded");
            Click(dialog, CReferenceMeasurementDlg::kIdLoad);
            EXPECT_EQ(LabelOf(dialog, CReferenceMeasurementDlg::kIdStatus),
                      ref + " loaded size: 4 @48000Hz.");
            // Showing the dialog fills its controls again: the picture first.
            SavePicture(&dialog, "reference-measurement.png");
            Tick(dialog, CReferenceMeasurementDlg::kIdApply, true);
        });
    RunCommand(command_id::kLoadSaveReference);
    EXPECT_EQ(m_engine.m_referenceCurve, (std::vector<float>{1.0f, 2.0f, 3.0f, 4.0f}));
    EXPECT_EQ(m_engine.m_nReferenceSpan, 48000);
    EXPECT_EQ(m_engine.m_bRelativeDisplay, 1);

    // Opening again reads the stored file again; a damaged file then changes nothing.
    Write("room.ref", "1457934343\n2\n44100\n5e0\n6e0\n");
    {
        FillAndConfirm reopen(
            [&](wxDialog& dialog)
            {
                EXPECT_EQ(LabelOf(dialog, CReferenceMeasurementDlg::kIdStatus),
                          ref + " loaded size: 2 @44100Hz.");
                return false;
            });
        RunCommand(command_id::kLoadSaveReference);
    }
    EXPECT_EQ(m_engine.m_referenceCurve, (std::vector<float>{5.0f, 6.0f}));
    EXPECT_EQ(m_engine.m_bRelativeDisplay, 1) << "Cancel keeps the switch";
    Write("room.ref", "1457934343\n3\n44100\n5e0\n6e0\n");
    {
        FillAndConfirm reopen([&](wxDialog&) { return false; });
        RunCommand(command_id::kLoadSaveReference);
    }
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_NE(m_messages[0].find("fewer values"), std::string::npos) << m_messages[0];
    EXPECT_EQ(m_engine.m_referenceCurve, (std::vector<float>{5.0f, 6.0f}));

    // Save writes the first channel's spectrum: half the FFT size of values, read back the same.
    m_engine.m_nFftSize = 8;
    m_engine.m_nSampleRate = 44100;
    m_engine.m_spectrumDisplay = {0.5f, 0.25f, 0.125f, 1e-7f, 9.0f, 9.0f, 9.0f, 9.0f};
    const std::string saved = (m_dir / "saved").string();
    FillAndConfirm save(
        [&](wxDialog& dialog)
        {
            nextFile = saved;
            Click(dialog, CReferenceMeasurementDlg::kIdSave);
            EXPECT_EQ(LabelOf(dialog, CReferenceMeasurementDlg::kIdStatus), saved + ".ref saved.");
            // Reset forgets the file and the reference.
            Click(dialog, CReferenceMeasurementDlg::kIdReset);
            EXPECT_EQ(LabelOf(dialog, CReferenceMeasurementDlg::kIdStatus), "No file loaded");
            Click(dialog, CReferenceMeasurementDlg::kIdReset);  // again: nothing to do
        });
    Write("room.ref", "1457934343\n2\n44100\n5e0\n6e0\n");
    RunCommand(command_id::kLoadSaveReference);
    EXPECT_TRUE(m_engine.m_referenceCurve.empty());
    CReferenceSpectrum back;
    ASSERT_EQ(reference_file::Read(saved + ".ref", back), reference_file::Result::Loaded);
    EXPECT_EQ(back.m_nSampleRate, 44100);
    EXPECT_EQ(back.m_values, (std::vector<float>{0.5f, 0.25f, 0.125f, 1e-7f}));
}

}  // namespace
