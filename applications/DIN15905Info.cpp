#include "applications/DIN15905Info.h"

#include <locale.h>
#include <clocale>
#include <cstdlib>

#include "common/HtmlReport.h"
#include "common/IniFile.h"
#include "platform/NumberFormat.h"

namespace
{

std::string Below(const std::string& base, const char* name)
{
    return base.empty() ? std::string(name) : base + "." + name;
}

void Item(CHtmlReport& report, const std::string& label, const std::string& value)
{
    report.WriteLine(label + "   :   " + value);
}

}  // namespace

std::string FormatTimeC(std::time_t time, const char* format)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    std::tm parts{};
    if (!localtime_r(&time, &parts))
        return {};
    char text[256];
    const std::size_t length = strftime_l(text, sizeof text, format, &parts, cLocale);
    return std::string(text, length);
}

CDIN15905Info::CDIN15905Info()
{
    const std::time_t now = std::time(nullptr);
    m_date = m_eventBegin = m_measurementBegin = now;
    m_eventEnd = m_measurementEnd = now + 3600;
    // Two 15-bit random parts, as the identifiers of existing records hold; the C library's wider
    // random numbers would overflow the int.
    m_id = (std::rand() & 0x7FFF) * 65536 + (std::rand() & 0x7FFF);
}

std::string CDIN15905Info::EventSection(const std::string& base)
{
    return Below(base, "Veranstaltung");
}

std::string CDIN15905Info::MeasurementSection(const std::string& base)
{
    return Below(base, "Messung");
}

bool CDIN15905Info::WriteEvent(const CIniFile& ini, const std::string& base) const
{
    const std::string s = EventSection(base);
    bool ok = ini.WriteString(s, "Ort", m_place);
    ok = ini.WriteInt(s, "ID", m_id) && ok;
    ok = ini.WriteString(s, "Name", m_name) && ok;
    ok = ini.WriteTime(s, "Datum", m_date) && ok;
    ok = ini.WriteString(s, "Veranstalter", m_organiser) && ok;
    ok = ini.WriteTime(s, "Beginn", m_eventBegin) && ok;
    return ini.WriteTime(s, "Ende", m_eventEnd) && ok;
}

void CDIN15905Info::ReadEvent(const CIniFile& ini, const std::string& base)
{
    const std::string s = EventSection(base);
    m_place = ini.ReadString(s, "Ort", m_place);
    m_id = ini.ReadInt(s, "ID", m_id);
    m_name = ini.ReadString(s, "Name", m_name);
    m_date = ini.ReadTime(s, "Datum", m_date);
    m_organiser = ini.ReadString(s, "Veranstalter", m_organiser);
    m_eventBegin = ini.ReadTime(s, "Beginn", m_eventBegin);
    m_eventEnd = ini.ReadTime(s, "Ende", m_eventEnd);
}

bool CDIN15905Info::WriteMeasurement(const CIniFile& ini, const std::string& base) const
{
    const std::string s = MeasurementSection(base);
    bool ok = ini.WriteString(s, "Messdurchfuehrung", m_company);
    ok = ini.WriteString(s, "Techniker", m_technician) && ok;
    ok = ini.WriteTime(s, "Beginn", m_measurementBegin) && ok;
    ok = ini.WriteTime(s, "Ende", m_measurementEnd) && ok;
    ok = ini.WriteString(s, "Typ der PA", m_pa) && ok;
    ok = ini.WriteString(s, "Immisionspunkt", m_immissionPoint) && ok;
    ok = ini.WriteString(s, "Ersatz Immisionspunkt", m_substitutePoint) && ok;
    ok = ini.WriteString(s, "Ermittlung der Korrekturwerte", m_correctionMethod) && ok;
    ok = ini.WriteString(s, "Typ Messgeraet", m_instrumentType) && ok;
    ok = ini.WriteString(s, "Messgeraet Seriennummer", m_instrumentSerial) && ok;
    ok = ini.WriteString(s, "Kalibrator", m_calibrator) && ok;
    ok = ini.WriteString(s, "Ergebnis Kalibrierung", m_calibrationResult) && ok;
    ok = ini.WriteDouble(s, "K1", m_k1) && ok;
    return ini.WriteDouble(s, "K2", m_k2) && ok;
}

void CDIN15905Info::ReadMeasurement(const CIniFile& ini, const std::string& base)
{
    const std::string s = MeasurementSection(base);
    m_company = ini.ReadString(s, "Messdurchfuehrung", m_company);
    m_technician = ini.ReadString(s, "Techniker", m_technician);
    m_measurementBegin = ini.ReadTime(s, "Beginn", m_measurementBegin);
    m_measurementEnd = ini.ReadTime(s, "Ende", m_measurementEnd);
    m_pa = ini.ReadString(s, "Typ der PA", m_pa);
    m_immissionPoint = ini.ReadString(s, "Immisionspunkt", m_immissionPoint);
    m_substitutePoint = ini.ReadString(s, "Ersatz Immisionspunkt", m_substitutePoint);
    m_correctionMethod = ini.ReadString(s, "Ermittlung der Korrekturwerte", m_correctionMethod);
    m_instrumentType = ini.ReadString(s, "Typ Messgeraet", m_instrumentType);
    m_instrumentSerial = ini.ReadString(s, "Messgeraet Seriennummer", m_instrumentSerial);
    m_calibrator = ini.ReadString(s, "Kalibrator", m_calibrator);
    m_calibrationResult = ini.ReadString(s, "Ergebnis Kalibrierung", m_calibrationResult);
    m_k1 = ini.ReadDouble(s, "K1", m_k1);
    m_k2 = ini.ReadDouble(s, "K2", m_k2);
}

namespace
{

// One write of the whole file: the file as it is, the section changed in memory, then replaced.
template <typename Change>
bool ChangeFile(const std::string& path, Change change)
{
    CIniFile ini;
    if (!ini.SetFileName(path) || !ini.LoadBatch())
        return false;
    return change(ini) && ini.CommitBatch();
}

CIniFile LoadedFile(const std::string& path)
{
    CIniFile ini;
    if (ini.SetFileName(path))
        ini.LoadBatch();
    else
        ini.AttachBatch({});
    return ini;
}

}  // namespace

bool CDIN15905Info::WriteEvent(const std::string& path, const std::string& base) const
{
    return ChangeFile(path, [&](const CIniFile& ini) { return WriteEvent(ini, base); });
}

void CDIN15905Info::ReadEvent(const std::string& path, const std::string& base)
{
    ReadEvent(LoadedFile(path), base);
}

bool CDIN15905Info::WriteMeasurement(const std::string& path, const std::string& base) const
{
    return ChangeFile(path, [&](const CIniFile& ini) { return WriteMeasurement(ini, base); });
}

void CDIN15905Info::ReadMeasurement(const std::string& path, const std::string& base)
{
    ReadMeasurement(LoadedFile(path), base);
}

void CDIN15905Info::WriteEventHtml(CHtmlReport& report) const
{
    report.Heading1("Informationen zur Veranstaltung");
    report.LineBreak();
    Item(report, "Veranstaltungsort", m_place);
    Item(report, "Name der Veranstaltung", m_name);
    Item(report, "Datum der Veranstaltung", FormatTimeC(m_date, "%d %b %Y"));
    Item(report, "Veranstalter", m_organiser);
    Item(report, "Beginn der Veranstaltung", FormatTimeC(m_eventBegin, "%H:%M,%d %b %Y"));
    Item(report, "Ende der Veranstaltung", FormatTimeC(m_eventEnd, "%H:%M,%d %b %Y"));
}

void CDIN15905Info::WriteMeasurementHtml(CHtmlReport& report) const
{
    report.Heading1("Informationen zur Messung");
    report.LineBreak();
    Item(report, "Messdurchführung, Firma", m_company);
    Item(report, "Verantwortlicher Techniker / Ingenieur FoH", m_technician);
    Item(report, "Beginn der Messung", FormatTimeC(m_measurementBegin, "%H:%M,%d %b %Y"));
    Item(report, "Ende der Messung", FormatTimeC(m_measurementEnd, "%H:%M,%d %b %Y"));
    Item(report, "Typ und Anordnung der Beschallungsanlage", m_pa);
    Item(report, "Maßgeblicher Immissionspunkt (lautester Punkt)", m_immissionPoint);
    Item(report, "Ersatzimmisionsort (Messpunkt)", m_substitutePoint);
    Item(report, "Die Korrekturwerte K1 und K2 wurden ermittelt durch (Messdurchführung /Art der Ermittlung)",
         m_correctionMethod);
    Item(report, "Messgerät Typ/Klasse", m_instrumentType);
    Item(report, "Messgerät Seriennummer", m_instrumentSerial);
    Item(report, "Kalibriergerät Seriennummer", m_calibrator);
    Item(report, "Ergebnis der Kalibrierung", m_calibrationResult);
    Item(report, "K1", platform::FormatC("%.1fdB", m_k1));
    Item(report, "K2", platform::FormatC("%.1fdB", m_k2));
    Item(report, "ID", platform::FormatC("%i", m_id));
}
