#include "applications/StipaResultsState.h"

void CStipaResultsState::ToggleRasti()
{
    m_rasti = !m_rasti;
    m_ntiStipa = false;
}

void CStipaResultsState::ToggleNtiStipa()
{
    m_ntiStipa = !m_ntiStipa;
    m_rasti = false;
}

int CStipaResultsState::GetSelectedMethod() const
{
    if (m_rasti)
        return kMethodRasti;
    if (m_ntiStipa)
        return kMethodNtiStipa;
    return kMethodStipa;
}

std::string CStipaResultsState::MakeClipboardText(const std::string& maleWord,
                                                  const std::string& femaleWord) const
{
    const bool rasti = m_method == kMethodRasti;
    std::string text = m_stiLine;
    const auto add = [&text](const std::string& line)
    {
        text += "\r\n";
        text += line;
    };
    add(m_mtiLine);
    add(m_m1Line);
    add(m_m2Line);
    if (rasti)
        for (const std::string& line : m_rastiLines)
            add(line);
    add(m_rmsLine);
    add(rasti ? std::string() : (m_gender == 0 ? maleWord : femaleWord));
    add(m_elapsedLine);
    return text;
}

bool CStipaResultsState::SaveRms(const std::string& path, int setIndex) const
{
    if (setIndex != kStiSetSignal && setIndex != kStiSetNoise)
        return false;
    return WriteStiBandValues(path, m_rms, setIndex);
}
