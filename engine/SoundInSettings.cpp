// The engine block of a workspace: its header, the settings fields in their stored order and the
// generator tail. Loading reads everything into a snapshot first and applies it only when the whole
// block was read, so a damaged or foreign block leaves the running settings as they were.
#include "engine/SoundIn.h"

#include "common/settings/WindowSettings.h"

#include "engine/HistogramSettings.h"

#include "common/IniFile.h"
#include "engine/AudioInWave.h"
#include "platform/Archive.h"
#include "platform/Places.h"
#include "platform/Registry.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace
{

constexpr const char* kVersionMessage =
    "This Tessarin setting file (*.wst) is not supported. Please delete all old *.wst files";
constexpr std::string_view kVersionKey = "SOFTWARE\\Halvek\\Tessarin\\Fileversion";
constexpr std::string_view kPluginKey = "Software\\Halvek\\Ninvaro";
constexpr std::string_view kPluginValue = "device";
constexpr std::int32_t kHeaderWord = 64;
// Two doubles and four int32 words.
constexpr std::size_t kGeneratorMatrixBytes = 32;

// The engine members that the block carries, as one copyable value.
struct Snapshot
{
    std::array<CHistogramSettings, 2> histograms{};
    std::array<CCalibrationCurve, CSoundIn::kMaxChannels> calibrationCurves{};
    float calibrationOffset = 0.0f;
    std::int32_t calibration = 0;
    std::int32_t weighting = 0;
    std::int32_t sampleRate = 0;
    std::int32_t blockLength = 0;
    std::int32_t deviceBufferCount = 0;
    std::int32_t averageCount = 0;
    std::int32_t fftSize = 0;
    std::int32_t mlsLength = 0;
    std::int32_t mlsMode = 0;
    std::int32_t chirp = 0;
    std::int32_t scopeMode = 0;
    std::int32_t fftSubmode = 0;
    std::int32_t windowType = 0;
    std::int32_t captureDevice = 0;
    std::int32_t priority = 0;
    std::int32_t resampler = 0;
    double resampleRatio = 1.0;
    std::int32_t channelMode = 0;
    std::int32_t minDeviceBuffer = 0;
    std::int32_t timeOperation = 0;
    std::int32_t spectrumOperation = 0;
    std::int32_t integration = 0;
    std::int32_t swap = 0;
    double gainRight = 1.0;
    double gainLeft = 1.0;
    std::int32_t gainStage = 0;
    double triggerLevel = 0.0;
    std::int32_t triggerRepeat = 0;
    std::int32_t triggerSlope = 0;
    std::int32_t triggerScopeOnly = 0;
    std::int32_t triggerChannel = 0;
    std::int32_t triggerMode = 0;
    std::int32_t dcBlock = 0;
    double impulseLead = 0.0;
    std::int32_t fft64 = 0;
    std::int32_t inputMode = 0;
    std::int32_t smoothing = 0;
    std::int32_t smoothingOctaves = 0;
    std::int32_t peakInterpolate = 0;
    std::int32_t recorder = 0;
    std::string recorderFile;
    CSoundIn::StoredEngineWords stored;
};

Snapshot Capture(const CSoundIn& e)
{
    Snapshot s;
    s.calibrationOffset = e.m_fCalibrationOffset;
    s.calibration = e.m_bCalibration;
    s.weighting = e.m_nWeightingType;
    s.sampleRate = e.m_nSampleRate;
    s.blockLength = e.m_nBlockLength.load();
    s.deviceBufferCount = e.m_nDeviceBufferCount;
    s.averageCount = e.m_nAverageCount;
    s.fftSize = e.m_nFftSize;
    s.mlsLength = e.m_nMlsLength;
    s.mlsMode = e.m_bMlsMode;
    s.chirp = e.m_bChirpExcitation;
    s.scopeMode = e.m_bScopeMode;
    s.fftSubmode = e.m_nFftSubmode;
    s.windowType = e.m_nWindowType;
    s.captureDevice = e.m_nCaptureDevice;
    s.priority = e.m_nAnalysisPriority;
    s.resampler = e.m_bResampler;
    s.resampleRatio = e.m_dResampleRatio;
    s.channelMode = e.m_nChannelMode;
    s.minDeviceBuffer = e.m_nMinDeviceBuffer;
    s.timeOperation = e.m_nTimeOperation;
    s.spectrumOperation = e.m_nSpectrumOperation;
    s.integration = e.m_nIntegrationMode;
    s.swap = e.m_bSwapChannels;
    s.gainRight = e.m_dTimeGain1;
    s.gainLeft = e.m_dTimeGain0;
    s.gainStage = e.m_bTimeGainStage;
    s.triggerLevel = e.m_dTriggerLevel;
    s.triggerRepeat = e.m_nTriggerRepeat;
    s.triggerSlope = e.m_nTriggerSlope;
    s.triggerScopeOnly = e.m_bTriggerScopeOnly;
    s.triggerChannel = e.m_nTriggerChannel;
    s.triggerMode = e.m_nTriggerMode;
    s.dcBlock = e.m_bDcBlock;
    s.impulseLead = e.m_dImpulseLead;
    s.fft64 = e.m_bFft64Bit;
    // A stand-in for a missing capture device is not the user's choice.
    s.inputMode = e.IsInputFallback() ? CSoundIn::kInputWave : e.m_nInputMode;
    s.smoothing = e.m_bSmoothing;
    s.smoothingOctaves = e.m_nSmoothingOctaves;
    s.peakInterpolate = e.m_bPeakInterpolate;
    s.recorder = e.m_bRecorder;
    s.recorderFile = e.m_strRecorderFile;
    s.stored = e.m_stored;
    for (std::size_t i = 0; i < s.histograms.size(); ++i)
        s.histograms[i] = e.m_histograms[i].m_settings;
    return s;
}

void Apply(CSoundIn& e, Snapshot&& s)
{
    e.m_fCalibrationOffset = s.calibrationOffset;
    e.m_bCalibration = s.calibration;
    e.m_nWeightingType = s.weighting;
    e.m_nSampleRate = s.sampleRate;
    e.m_nBlockLength.store(s.blockLength);
    e.m_nDeviceBufferCount = s.deviceBufferCount;
    e.m_nAverageCount = s.averageCount;
    e.m_nFftSize = s.fftSize;
    e.m_nMlsLength = s.mlsLength;
    e.m_bMlsMode = s.mlsMode;
    e.m_bChirpExcitation = s.chirp;
    e.m_bScopeMode = s.scopeMode;
    e.m_nFftSubmode = s.fftSubmode;
    e.m_nWindowType = s.windowType;
    e.m_nCaptureDevice = s.captureDevice;
    e.m_nAnalysisPriority = s.priority;
    e.m_bResampler = s.resampler;
    e.m_dResampleRatio = s.resampleRatio;
    e.m_nChannelMode = s.channelMode;
    e.m_nMinDeviceBuffer = s.minDeviceBuffer;
    e.m_nTimeOperation = s.timeOperation;
    e.m_nSpectrumOperation = s.spectrumOperation;
    e.m_nIntegrationMode = s.integration;
    e.m_bSwapChannels = s.swap;
    e.m_dTimeGain1 = s.gainRight;
    e.m_dTimeGain0 = s.gainLeft;
    e.m_bTimeGainStage = s.gainStage;
    e.m_dTriggerLevel = s.triggerLevel;
    e.m_nTriggerRepeat = s.triggerRepeat;
    e.m_nTriggerSlope = s.triggerSlope;
    e.m_bTriggerScopeOnly = s.triggerScopeOnly;
    e.m_nTriggerChannel = s.triggerChannel;
    e.m_nTriggerMode = s.triggerMode;
    e.m_bDcBlock = s.dcBlock;
    e.m_dImpulseLead = s.impulseLead;
    e.m_bFft64Bit = s.fft64;
    e.m_nInputMode = s.inputMode;
    e.m_bSmoothing = s.smoothing;
    e.m_nSmoothingOctaves = s.smoothingOctaves;
    e.m_bPeakInterpolate = s.peakInterpolate;
    e.m_bRecorder = s.recorder;
    e.m_strRecorderFile = std::move(s.recorderFile);
    e.m_stored = std::move(s.stored);
    for (std::size_t i = 0; i < s.histograms.size(); ++i)
        e.m_histograms[i].m_settings = s.histograms[i];
    // Each stored calibration curve comes back from its own file.
    for (std::size_t c = 0; c < s.calibrationCurves.size(); ++c)
    {
        CCalibrationCurve& curve = s.calibrationCurves[c];
        if (!curve.m_strPath.empty())
            curve.LoadFromFile(curve.m_strPath);
        e.m_calibrationCurves[c] = std::move(curve);
    }
}

// A channel's calibration curve is stored when it names a file or holds points.
bool HasCalibrationCurve(const CCalibrationCurve& curve)
{
    return !curve.m_strPath.empty() || curve.m_nPoints > 0;
}

// One field in either direction.
template <class T>
void Field(CArchive& ar, T& value)
{
    if (ar.IsStoring())
        ar << value;
    else
        ar >> value;
}

void Refuse(const char* what)
{
    throw platform::ArchiveError(platform::ArchiveCause::Malformed, what);
}

void SerializeFilters(CArchive& ar, std::vector<CDesignedFilterSettings>& filters)
{
    std::int32_t count = CSoundIn::kStoredFilterCount;
    Field(ar, count);  // read and ignored: the layout is fixed
    filters.resize(CSoundIn::kStoredFilterCount * CSoundIn::kMaxChannels);
    for (CDesignedFilterSettings& filter : filters)
    {
        if (ar.IsStoring())
        {
            const auto bytes = filter.ToBytes();
            ar.Write(bytes);
        }
        else
        {
            std::array<std::uint8_t, CDesignedFilterSettings::kBytes> bytes{};
            ar.Read(bytes);
            filter = CDesignedFilterSettings::FromBytes(bytes);
        }
    }
}

// Settings fields 1 ... 88 in their stored order.
void SerializeFields(CArchive& ar, Snapshot& s)
{
    CSoundIn::StoredEngineWords& w = s.stored;
    Field(ar, w.viewUpdate1);
    Field(ar, w.viewUpdate2);
    Field(ar, w.displayOption);
    Field(ar, w.inputScale);
    Field(ar, s.calibrationOffset);
    Field(ar, s.calibration);
    Field(ar, w.acquisition);
    Field(ar, s.weighting);
    Field(ar, s.sampleRate);
    Field(ar, s.blockLength);
    Field(ar, s.deviceBufferCount);
    Field(ar, s.averageCount);
    Field(ar, s.fftSize);
    Field(ar, s.mlsLength);
    Field(ar, w.referenceCurveOption);
    Field(ar, w.referenceCurveFile);
    std::int32_t flags = (s.mlsMode != 0 ? 1 : 0) | (s.chirp != 0 ? 2 : 0);
    Field(ar, flags);
    s.mlsMode = flags & 1;
    s.chirp = (flags & 2) != 0 ? 1 : 0;
    Field(ar, s.scopeMode);
    Field(ar, w.analyzerOption);
    Field(ar, s.fftSubmode);
    Field(ar, w.analyzerModeFlags[0]);
    Field(ar, w.analyzerModeFlags[1]);
    Field(ar, s.windowType);
    std::int32_t device = (s.captureDevice & 0xFF) | ((w.pluginDevice & 0xFF) << 8);
    Field(ar, device);
    s.captureDevice = device & 0xFF;
    w.pluginDevice = (device >> 8) & 0xFF;
    Field(ar, s.priority);
    Field(ar, s.resampler);
    Field(ar, s.resampleRatio);
    Field(ar, s.channelMode);
    Field(ar, s.minDeviceBuffer);
    Field(ar, w.dualPlot[0]);
    Field(ar, w.dualPlot[1]);
    Field(ar, s.timeOperation);
    Field(ar, s.spectrumOperation);
    Field(ar, s.integration);
    Field(ar, s.swap);
    Field(ar, w.reservedEngine);
    Field(ar, s.gainRight);
    Field(ar, s.gainLeft);
    Field(ar, s.gainStage);
    Field(ar, s.triggerLevel);
    Field(ar, s.triggerRepeat);
    Field(ar, s.triggerSlope);
    Field(ar, s.triggerScopeOnly);
    Field(ar, s.triggerChannel);
    Field(ar, s.triggerMode);
    Field(ar, w.impedanceReference);
    Field(ar, w.displayWord);
    std::int32_t reserved = 0;
    Field(ar, reserved);
    Field(ar, s.dcBlock);
    Field(ar, w.conditioning);
    Field(ar, w.equalizer[0]);
    Field(ar, w.equalizer[1]);
    SerializeFilters(ar, w.filters);
    Field(ar, w.sweepInts[0]);
    Field(ar, w.sweepInts[1]);
    for (double& value : w.sweepDoubles)
        Field(ar, value);
    Field(ar, s.impulseLead);
    Field(ar, w.analyzerModeWord);
    Field(ar, s.fft64);
    Field(ar, w.valueListInUse);
    Field(ar, w.valueListCount);
    if (w.valueListCount < 0 || w.valueListCount > CSoundIn::kValueListSize)
        Refuse("value-list count out of range");
    for (double& value : w.valueList)
        Field(ar, value);
    Field(ar, s.inputMode);
    // A workspace saved while reading a wave file reopens on the live input: the file is not part
    // of the workspace.
    if (s.inputMode == CSoundIn::kInputFile)
        s.inputMode = CSoundIn::kInputWave;
    Field(ar, w.dataLogger[0]);
    Field(ar, w.dataLogger[1]);
    Field(ar, s.smoothing);
    Field(ar, s.smoothingOctaves);
    Field(ar, s.peakInterpolate);
    for (std::int32_t& value : w.conditioningOptions)
        Field(ar, value);
    Field(ar, s.recorder);
    Field(ar, s.recorderFile);
    for (std::int32_t& value : w.reportWords)
        Field(ar, value);
    Field(ar, w.analyzerModeFlag);
    Field(ar, w.waveResolution);

    // Values that index the engine's tables are checked here, before anything is applied.
    if (s.inputMode < 0 || s.inputMode >= CSoundIn::kInputModeCount)
        Refuse("input mode out of range");
    if (s.triggerChannel < 0 || s.triggerChannel >= CSoundIn::kMaxChannels)
        Refuse("trigger channel out of range");
}

void SerializeGenerators(CArchive& ar, CSoundIn::StoredEngineWords& w)
{
    std::int32_t count = CSoundIn::kStoredGenerators;
    Field(ar, count);
    if (count < 0 || count > CSoundIn::kStoredGenerators)
        Refuse("generator count out of range");
    for (int i = 0; i < count; ++i)
    {
        CSigGen_settings& generator = w.generators[static_cast<std::size_t>(i)];
        if (ar.IsStoring())
        {
            generator.Serialize(ar);
            continue;
        }
        // A record with a foreign tag or version stops after its first words, and the rest of the
        // block would be read out of step: such a block is refused.
        CSigGen_settings loaded = generator;
        loaded.Serialize(ar);
        if (loaded.m_version != kSigGenVersion)
            Refuse("generator settings record of another version");
        generator = loaded;
    }
}

}  // namespace

void CSoundIn::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        platform::RegistryKey::Open(kVersionKey, true)
            .WriteValue({}, platform::RegistryType::Dword, std::string("\x49\xDC\x01\x00", 4));
        Snapshot s = Capture(*this);
        s.stored.pluginDevice = 0;
        if (const platform::RegistryKey key = platform::RegistryKey::Open(kPluginKey, false))
        {
            const auto value = key.ReadValue(kPluginValue);
            if (value && value->type == platform::RegistryType::Dword && value->data.size() == 4)
                s.stored.pluginDevice = static_cast<std::uint8_t>(value->data[0]);
        }
        ar << kEngineBlockVersion << kHeaderWord;
        if (m_serializeOwnedObjects)
            m_serializeOwnedObjects(ar);
        for (CHistogram& histogram : m_histograms)
            histogram.SerializeSettings(ar);
        SerializeFields(ar, s);
        // The generators' live records; the generator program is sent the first one.
        for (int i = 0; i < kStoredGenerators; ++i)
        {
            const CGenerator& generator = *GetGenerator(i);
            CSigGen_settings& record = s.stored.generators[static_cast<std::size_t>(i)];
            record = generator.m_settings;
            // The record says whether the free filter plays as the generator has it, so that a
            // load switches it on or off again.
            record.m_filter.m_bEnabled = generator.m_freeFilter.m_full.m_bEnabled;
        }
        m_stored.generators = s.stored.generators;
        SerializeGenerators(ar, s.stored);
        // The generator program saves its own settings next to the workspace.
        s.stored.generatorProgramRunning = RequestGeneratorProgram(kGenCommandSaveFile, false) ? 1 : 0;
        m_stored.generatorProgramRunning = s.stored.generatorProgramRunning;
        ar << s.stored.generatorProgramRunning;
        ar << kHeaderWord;
        for (CCalibrationCurve& curve : m_calibrationCurves)
        {
            const std::int32_t present = HasCalibrationCurve(curve) ? 1 : 0;
            ar << present;
            if (present)
                curve.Serialize(ar);
        }
        m_generatorMatrix.Serialize(ar);
        return;
    }

    std::int32_t version = 0;
    ar >> version;
    if (version != kEngineBlockVersion)
    {
        m_pNotifications->ShowMessage(kVersionMessage);
        throw platform::ArchiveError(platform::ArchiveCause::BadIndex, kVersionMessage);
    }
    std::int32_t ignored = 0;
    ar >> ignored;
    if (m_serializeOwnedObjects)
        m_serializeOwnedObjects(ar);
    Snapshot s = Capture(*this);
    for (CHistogramSettings& histogram : s.histograms)
        histogram.Serialize(ar);
    SerializeFields(ar, s);
    SerializeGenerators(ar, s.stored);
    ar >> s.stored.generatorProgramRunning;
    std::int32_t channels = 0;
    ar >> channels;
    if (channels != kMaxChannels)
        Refuse("calibration channel count is not 64");
    for (CCalibrationCurve& curve : s.calibrationCurves)
    {
        std::int32_t present = 0;
        ar >> present;
        if (present != 0 && present != 1)
            Refuse("calibration curve marker out of range");
        if (present)
            curve.Serialize(ar);
    }
    // The matrix is the block's last record: its bytes are taken whole before anything is applied.
    std::array<std::uint8_t, kGeneratorMatrixBytes> matrix{};
    ar.Read(matrix);

    const int pluginDevice = s.stored.pluginDevice;
    Apply(*this, std::move(s));
    // The records kept above the engine take what was read only now that the whole block is read.
    if (m_commitOwnedObjects)
        m_commitOwnedObjects();
    CArchive matrixArchive{std::span<const std::uint8_t>(matrix)};
    m_generatorMatrix.Serialize(matrixArchive);
    if (const platform::RegistryKey key = platform::RegistryKey::Open(kPluginKey, false))
    {
        const auto bits = static_cast<std::uint32_t>(pluginDevice);
        const char data[4] = {static_cast<char>(bits & 0xFF), 0, 0, 0};
        key.WriteValue(kPluginValue, platform::RegistryType::Dword, std::string(data, 4));
    }
}

namespace
{
// Weighting codes 0 (none) to 7.
constexpr int kWeightingCodes = 8;
constexpr double kMaxCalibrationOffsetDb = 200.0;
}  // namespace

bool CSoundIn::RequestGeneratorProgram(std::int32_t command, bool start)
{
    if (m_workspacePath.empty())
        return false;
    PrepareGeneratorLink();
    if (!m_generatorLink.FindOrStartGeneratorProgram(start) || !m_generatorLink.m_window)
        return false;
    CSigGen_settings record = m_stored.generators[0];
    record.m_flags = command;
    record.SetSgsPath(m_workspacePath.string() + ".sgs");
    m_generatorLink.SendGeneratorSettings(record, 0);
    return true;
}

int FindStringNoCase(const std::vector<std::string>& strings, const std::string& text)
{
    const auto upper = [](std::string value)
    {
        for (char& c : value)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return value;
    };
    const std::string wanted = upper(text);
    for (std::size_t i = 0; i < strings.size(); ++i)
        if (upper(strings[i]).find(wanted) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

int CSoundIn::LoadSettings(const std::string& path)
{
    CIniFile ini;
    if (!ini.SetFileName(path))
        return 0;
    // A value from the file is taken only inside the range its setting allows.
    const auto readInt = [&](const char* section, const char* key, int& member, int minimum, int maximum)
    {
        const int value = ini.ReadInt(section, key, member);
        if (value >= minimum && value <= maximum)
            member = value;
    };
    constexpr const char* kSettings = "Settings";
    readInt(kSettings, "Channel mode", m_nChannelMode, 0, 3);
    readInt(kSettings, "Sample rate", m_nSampleRate, kMinSampleRate, kMaxSampleRate);
    readInt(kSettings, "Capture Device", m_nCaptureDevice, 0, 255);
    const int captureDeviceKey = ini.ReadInt(kSettings, "Capture Device", -1);
    readInt(kSettings, "Capture Mode", m_nInputMode, 0, kInputModeCount - 1);
    readInt(kSettings, "Bits per sample", m_nBitsPerSample, 8, 32);
    // Without a device number the device is looked for by (a part of) its name.
    EnumWaveInDevices(m_waveInDeviceNames);
    if (captureDeviceKey == -1)
        for (const char* key : {"Capture Device Name", "Capture Device Name1", "Capture Device Name2"})
        {
            const std::string name = ini.ReadString(kSettings, key, "");
            if (name.empty())
                continue;
            if (const int found = FindStringNoCase(m_waveInDeviceNames, name); found >= 0)
            {
                m_nCaptureDevice = found;
                m_strCaptureDeviceName = name;
                break;
            }
        }
    int fftSize = m_nFftSize;
    readInt(kSettings, "FFT size", fftSize, 2, kMaxFftSize);
    if (fftSize != m_nFftSize && !SetFftSize(fftSize))
        fftSize = m_nFftSize;
    readInt(kSettings, "Average", m_nAverageCount, 1, 1 << 20);
    readInt(kSettings, "Smoothing", m_bSmoothing, 0, 1);
    readInt(kSettings, "Smoothing Octaves", m_nSmoothingOctaves, 1, 1024);
    readInt(kSettings, "Smooth Sweep Results", m_bSmoothSweepResults, 0, 1);
    readInt("Average Settings", "Number of blocks", m_nAverageCount, 1, 1 << 20);
    readInt("Average Settings", "Recursive", m_bRecursiveAverage, 0, 1);
    int mode = GetAnalyzerMode();
    readInt(kSettings, "Mode", mode, 0, 257);
    if (mode != GetAnalyzerMode())
        SetAnalyzerMode(mode);
    readInt(kSettings, "Peak interpolate", m_bPeakInterpolate, 0, 1);
    readInt(kSettings, "Window type", m_nWindowType, 0, kFftWindowLastType);
    readInt(kSettings, "Weight type", m_nWeightingType, 0, kWeightingCodes - 1);
    readInt(kSettings, "Calibration", m_bCalibration, 0, 1);
    const double offset = ini.ReadDouble(kSettings, "Calibration offset", m_fCalibrationOffset);
    if (std::isfinite(offset) && std::fabs(offset) <= kMaxCalibrationOffsetDb)
        m_fCalibrationOffset = static_cast<float>(offset);
    readInt(kSettings, "FFT submode", m_nFftSubmode, 0, 1);
    readInt(kSettings, "FFT 64Bit", m_bFft64Bit, 0, 1);
    readInt(kSettings, "FilterEQ enable", m_bEqualizerFilters, 0, 1);
    readInt("Filter Settings", "DC block", m_bDcBlock, 0, 1);
    int left = 0, top = 0, right = 0, bottom = 0;
    if (m_pNotifications->GetMainWindowRect(left, top, right, bottom))
    {
        left = ini.ReadInt("Mainframe", "left", left);
        top = ini.ReadInt("Mainframe", "top", top);
        bottom = ini.ReadInt("Mainframe", "bottom", bottom);
        right = ini.ReadInt("Mainframe", "right", right);
        if (IsUsableWindowRect(left, top, right, bottom))
            m_pNotifications->MoveMainWindow(left, top, right - left, bottom - top);
    }
    return 0;
}
