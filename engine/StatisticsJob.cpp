#include "engine/StatisticsJob.h"

#include "engine/MeasurementSeries.h"

CStatisticsJob::CStatisticsJob(const CSoundIn& engine) : m_fileName(kSeriesStatisticsName), m_engine(engine)
{
    m_pfnThread = &CStatisticsJob::ThreadProc;
    m_pThreadParam = this;
    m_nDoneMessage = kStatisticsDoneMessage;
}

CStatisticsJob::~CStatisticsJob()
{
    StopAndJoin();
}

unsigned int CStatisticsJob::ThreadProc(void* param)
{
    auto* job = static_cast<CStatisticsJob*>(param);
    job->m_skipped.clear();
    const std::int32_t result = ComputeSeriesStatistics(job->m_folder, job->m_fileName, &job->m_dProgress,
                                                        &job->m_bStop, job->m_engine, &job->m_skipped);
    job->m_nResult.store(result);
    job->Finish();
    return 0;
}
