// The engine's generators: their creation and resets, the records a workspace stores for them, the
// generator program that follows the first one, and the ASIO menu that shows their panels.
#include "engine/SoundIn.h"

#include "platform/NumberFormat.h"
#include "platform/Places.h"

void CSoundIn::CreateGenerators()
{
    for (int i = 0; i < kGeneratorCount; ++i)
    {
        auto generator = std::make_unique<CGenerator>();
        generator->SetNotifications(m_pNotifications);
        m_generators[static_cast<std::size_t>(i)] = std::move(generator);
        m_generatorLink.m_generators[static_cast<std::size_t>(i)] =
            m_generators[static_cast<std::size_t>(i)].get();
        if (i < kPanelGenerators)
            m_generatorMatrix.m_generators[static_cast<std::size_t>(i)] =
                m_generators[static_cast<std::size_t>(i)].get();
    }
    m_generatorMatrix.m_generator_count = 10;
}

// Every generator back to its defaults: 44100 Hz, 32-bit output words with 24 significant bits (what
// the plug-in output plays), output off.
void CSoundIn::ReinitGenerators()
{
    for (int i = 0; i < kGeneratorCount; ++i)
    {
        CGenerator& generator = *m_generators[static_cast<std::size_t>(i)];
        generator.m_settings.m_sample_rate = kGeneratorRate;
        generator.Init();
        generator.m_32bitOutput = 1;
        generator.m_significantBits = kGeneratorSignificantBits;
        generator.m_settings.m_output_on = 0;
        generator.ApplySettings();
        if (i < kPanelGenerators && m_generatorLink.m_refreshPanel)
            m_generatorLink.m_refreshPanel(i);
    }
}

CGenerator* CSoundIn::GetGenerator(int index) const
{
    if (index < 0 || index >= kGeneratorCount)
        return nullptr;
    return m_generators[static_cast<std::size_t>(index)].get();
}

void CSoundIn::PrepareGeneratorLink()
{
    m_generatorLink.m_notifications = m_pNotifications;
    m_generatorLink.m_inputMode = m_nInputMode;
    m_generatorLink.m_sampleRate = m_nSampleRate;
    if (m_generatorLink.m_programFolder.empty())
        m_generatorLink.m_programFolder = platform::ProgramFolder();
}

void CSoundIn::ResetGenerators(std::uint64_t mainWindow)
{
    PrepareGeneratorLink();
    m_generatorLink.ResetGenerators(m_generatorSettings, m_nMlsLength, mainWindow);
    // The reset re-initialises the panels' generators; they keep the engine's output format.
    for (int i = 0; i < kPanelGenerators; ++i)
    {
        CGenerator& generator = *m_generators[static_cast<std::size_t>(i)];
        generator.m_32bitOutput = 1;
        generator.m_significantBits = kGeneratorSignificantBits;
    }
}

bool CSoundIn::FindOrStartGeneratorProgram(bool start)
{
    PrepareGeneratorLink();
    return m_generatorLink.FindOrStartGeneratorProgram(start);
}

void CSoundIn::SendGeneratorSettings(CSigGen_settings& record, std::uint64_t wParam)
{
    if (m_nInputMode == kInputAsio)
        return;
    PrepareGeneratorLink();
    // Without the program (it could not be started) the engine's own generators still take it.
    if (!m_generatorLink.FindOrStartGeneratorProgram(true))
        m_generatorLink.m_window = {};
    m_generatorLink.SendGeneratorSettings(record, wParam);
}

bool CSoundIn::SendExcitationToGeneratorProgram()
{
    if (!m_bMlsMode)
        return false;
    constexpr std::int32_t kCommandMls = 3;
    constexpr std::int32_t kCommandChirp = 8;
    CSigGen_settings record = m_generatorSettings;
    if (m_bChirpExcitation)
    {
        record.m_flags = kCommandChirp | kGenCommandRefresh;
        record.m_mode = kGenModeSweep;
        record.m_chirp_length = m_nMlsLength + 1;
        record.m_sweep_start = m_dChirpStart;
        record.m_sweep_stop = m_dChirpStop;
        record.m_chirp_type = 0;
        record.m_chirp_on = 1;
    }
    else
    {
        record.m_flags = kCommandMls | kGenCommandRefresh;
        record.m_mode = kGenModeMls;
        record.m_mls_length = m_nMlsLength;
    }
    PrepareGeneratorLink();
    // Looked for, not started: without the program only the engine's generators take it.
    if (!m_generatorLink.FindOrStartGeneratorProgram(false))
        m_generatorLink.m_window = {};
    m_generatorLink.SendGeneratorSettings(record, 0);
    return true;
}

void CSoundIn::ApplyStoredGenerators()
{
    for (int i = 0; i < kStoredGenerators; ++i)
    {
        CGenerator& generator = *m_generators[static_cast<std::size_t>(i)];
        const CSigGen_settings& stored = m_stored.generators[static_cast<std::size_t>(i)];
        // The whole record, not only the fields the dialogs exchange; the output format stays the
        // engine's.
        const int bits32 = generator.m_32bitOutput;
        const int bits = generator.m_significantBits;
        generator.m_settings = stored;
        generator.SetSettings(stored);
        generator.m_32bitOutput = bits32;
        generator.m_significantBits = bits;
        generator.ApplySettings();
        if (m_generatorLink.m_refreshPanel)
            m_generatorLink.m_refreshPanel(i);
    }
}

std::string CSoundIn::GeneratorPanelTitle(int index)
{
    if (index == kTestSignalPanel)
        return "Test signal";
    return platform::FormatC("ASIO Generator #%i", index + 1);
}

void CSoundIn::OnShowAsioGenerator(int index)
{
    if (index < 0 || index >= kPanelGenerators)
        return;
    // The panels get their windows when the input opens.
    if (!m_pNotifications->HasGeneratorPanel(0))
        OpenInput();
    if (!m_pNotifications->HasGeneratorPanel(index))
        return;
    m_pNotifications->ShowGeneratorPanel(index, GeneratorPanelTitle(index));
}
