// The record of a monitored public event and of its sound-level measurement set-up, with the two
// corrections K1 (A-weighted) and K2 (C-weighted) between the decisive immission point and the
// measuring point. Stored in two INI sections below a base name and printed on the results page.
#pragma once

#include <ctime>
#include <string>

class CHtmlReport;
class CIniFile;

class CDIN15905Info
{
public:
    // Begins now, ends an hour later; a random identifier.
    CDIN15905Info();

    // The sections base + "." + "Veranstaltung" and base + "." + "Messung" (no "." for an empty
    // base). Readers keep the current value of every missing key.
    bool WriteEvent(const CIniFile& ini, const std::string& base) const;
    void ReadEvent(const CIniFile& ini, const std::string& base);
    bool WriteMeasurement(const CIniFile& ini, const std::string& base) const;
    void ReadMeasurement(const CIniFile& ini, const std::string& base);
    // Path forms of the above; the write ones write the whole file once.
    bool WriteEvent(const std::string& path, const std::string& base) const;
    void ReadEvent(const std::string& path, const std::string& base);
    bool WriteMeasurement(const std::string& path, const std::string& base) const;
    void ReadMeasurement(const std::string& path, const std::string& base);

    void WriteEventHtml(CHtmlReport& report) const;
    void WriteMeasurementHtml(CHtmlReport& report) const;

    static std::string EventSection(const std::string& base);
    static std::string MeasurementSection(const std::string& base);

    std::string m_place;
    int m_id = 0;
    std::string m_name;
    std::time_t m_date = 0;
    std::string m_organiser;
    std::time_t m_eventBegin = 0;
    std::time_t m_eventEnd = 0;
    std::string m_company;
    std::string m_technician;
    std::time_t m_measurementBegin = 0;
    std::time_t m_measurementEnd = 0;
    std::string m_pa;
    std::string m_immissionPoint;
    std::string m_substitutePoint;
    std::string m_correctionMethod;
    std::string m_instrumentType;
    std::string m_instrumentSerial;
    std::string m_calibrator;
    std::string m_calibrationResult;
    double m_k1 = 0.0;
    double m_k2 = 0.0;
};

// The local time in a strftime form, with the C locale's day and month names whatever the user's
// locale (report pages read the same on every machine).
std::string FormatTimeC(std::time_t time, const char* format);
