// The statistics of a measurement series as a background job: the evaluation of every response of
// the series folder runs on the job's worker while the progress window follows it, and a stop
// request is honoured at the start of the next measurement.
//
// Threads: the owner (user-interface thread) sets the folder, runs and destroys the job; the
// worker reads the folder, the file name and the engine's settings, which must not change while it
// runs, and writes m_skipped before it finishes.
#pragma once

#include <string>
#include <vector>

#include "common/BackgroundJob.h"

class CSoundIn;

class CStatisticsJob : public CBackgroundJob
{
public:
    explicit CStatisticsJob(const CSoundIn& engine);
    // Stops and joins the worker before the strings it reads go.
    ~CStatisticsJob();

    // The worker (param: the CStatisticsJob).
    static unsigned int ThreadProc(void* param);

    std::string m_folder;
    std::string m_fileName;
    // Sub-folders whose silent responses were left out; valid once the job has finished.
    std::vector<std::string> m_skipped;

private:
    const CSoundIn& m_engine;
};
