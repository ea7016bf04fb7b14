#include "engine/FileAnalysis.h"

#include "common/AppTimer.h"
#include "common/TextDataFiles.h"
#include "dsp/BandAnalyzer.h"
#include "dsp/DistortionFigures.h"
#include "dsp/Fft.h"
#include "engine/AudioFileReader.h"
#include "platform/Places.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

CFileAnalysis::CFileAnalysis() : m_pReader(std::make_unique<CAudioFileReader>())
{
    m_strThdNLog = platform::ConfigFolder() / kThdNLogName;
}

CFileAnalysis::~CFileAnalysis() = default;

CBandAnalyzer* CFileAnalysis::GetBandAnalyzer(int channel) const
{
    if (channel < 0 || channel >= static_cast<int>(m_bandAnalyzers.size()))
        return nullptr;
    return m_bandAnalyzers[static_cast<std::size_t>(channel)].get();
}

int CFileAnalysis::Prepare()
{
    m_nFramesProcessed = 0;
    m_nBlocksProcessed = 0;
    m_nChannels = 0;
    m_pReader->Open(m_strFileName);
    if (m_pReader->m_nChannels <= 0 || !m_pReader->IsOpen())
        return 0;
    m_nChannels = std::min(m_pReader->m_nChannels, CAudioFileReader::kMaxChannels);
    m_dSampleRate = m_pReader->m_nSampleRate;
    m_dTotalFrames = m_pReader->m_dLength;
    m_dDuration = m_dSampleRate > 0.0 ? m_dTotalFrames / m_dSampleRate : 0.0;
    const std::size_t needed = static_cast<std::size_t>(m_nChannels) * static_cast<std::size_t>(m_nBlockSize);
    if (m_block.size() < needed)
        m_block.resize(needed);
    m_spectrum.resize(static_cast<std::size_t>(m_nBlockSize));
    m_window.Set(m_nBlockSize, m_nWindowType);

    m_bandAnalyzers.clear();
    for (int c = 0; c < m_nChannels; ++c)
    {
        auto analyzer = std::make_unique<CBandAnalyzer>();
        analyzer->m_sampleRate = m_dSampleRate;
        analyzer->SetLogger(m_pLevelLogger);
        analyzer->Configure();
        analyzer->m_loggingActive.store(m_pLevelLogger != nullptr ? 1 : 0);
        m_bandAnalyzers.push_back(std::move(analyzer));
    }
    return 0;
}

int CFileAnalysis::Run(const std::atomic<int>* cancel, std::atomic<double>* progress)
{
    if (m_nChannels <= 0)
        return 0;
    const bool logThdN = !m_strThdNLog.empty();
    if (logThdN)
    {
        std::error_code error;
        std::filesystem::create_directories(m_strThdNLog.parent_path(), error);
        WriteFloatList(m_strThdNLog, {});
    }
    const std::int64_t total = static_cast<std::int64_t>(std::max(m_dTotalFrames, 0.0));
    const int bins = m_nBlockSize / 2;
    while (m_nFramesProcessed < total)
    {
        // A WAVE reader loops at the end: only the frames left are asked for.
        const int wanted = static_cast<int>(std::min<std::int64_t>(m_nBlockSize, total - m_nFramesProcessed));
        const int got = m_pReader->Read(m_block.data(), wanted, 1);
        if (cancel != nullptr && cancel->load() > 0)
            return -1;
        if (progress != nullptr)
            progress->store(static_cast<double>(m_nFramesProcessed) /
                            static_cast<double>(std::max<std::int64_t>(total, 1)));
        if (!m_strDumpFile.empty())
            if (std::FILE* dump = std::fopen(m_strDumpFile.c_str(), "wb"))
            {
                (void)std::fwrite(
                    m_block.data(), sizeof(float),
                    static_cast<std::size_t>(m_nChannels) * static_cast<std::size_t>(m_nBlockSize), dump);
                std::fclose(dump);
            }
        if (got < m_nBlockSize)
            break;
        for (int c = 0; c < m_nChannels; ++c)
        {
            float* samples =
                m_block.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(m_nBlockSize);
            m_bandAnalyzers[static_cast<std::size_t>(c)]->ProcessBlock(samples, m_nBlockSize);
            if (c != 0)
                continue;
            std::copy_n(samples, m_nBlockSize, m_spectrum.data());
            m_window.Apply(m_spectrum.data());
            ComputePowerSpectrum(m_spectrum.data(), m_nBlockSize);
            const double ratio =
                ComputeThdN(m_spectrum.data(), bins, m_dSampleRate, kThdNStartFrequency, m_nWindowType);
            m_dLastThdN = ratio > 0.0 ? 10.0 * std::log10(ratio) : -999.0;
            if (logThdN)
            {
                const float level = static_cast<float>(m_dLastThdN);
                AppendFloatList(m_strThdNLog, {&level, 1});
            }
        }
        ++m_nBlocksProcessed;
        m_nFramesProcessed += m_nBlockSize;
    }
    for (auto& analyzer : m_bandAnalyzers)
        analyzer->m_loggingActive.store(0);
    return 0;
}

int CFileAnalysis::Cleanup()
{
    m_block.clear();
    m_block.shrink_to_fit();
    m_bandAnalyzers.clear();
    m_pReader->Close();
    return 0;
}

CFileAnalysisJob::CFileAnalysisJob()
{
    m_Job.m_pfnThread = &FileAnalysisThread;
    m_Job.m_pThreadParam = this;
    m_Job.m_nDoneMessage = CBackgroundJob::kFileAnalysisDoneMessage;
}

CFileAnalysisJob::~CFileAnalysisJob()
{
    // The worker uses the analysis members: it ends before they go.
    m_Job.StopAndJoin();
}

unsigned int FileAnalysisThread(void* param)
{
    auto* job = static_cast<CFileAnalysisJob*>(param);
    job->m_Job.m_dProgress.store(0.0);
    job->Prepare();
    const double started = AppTimer(TIMER_GETAPPTIME);
    job->m_nResult = job->Run(&job->m_Job.m_bStop, &job->m_Job.m_dProgress);
    job->m_Job.m_nResult.store(job->m_nResult);
    job->m_dElapsed = AppTimer(TIMER_GETAPPTIME) - started;
    job->Cleanup();
    job->m_Job.Finish();
    return 0;
}
