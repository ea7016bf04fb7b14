#include "dsp/DesignedFilter.h"

#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/Archive.h"
#include "platform/ByteOrder.h"

namespace
{

using platform::LoadLittleEndian;
using platform::StoreLittleEndian;

// The imaginary part above which a root is complex; below it the root is real.
constexpr double kComplexPole = 1e-16;
constexpr double kComplexZero = 1e-8;
// GetResponse at or above half the rate (-600 dB).
constexpr double kResponseFloor = 1e-30;

std::atomic<bool> g_fullRateResponse{false};

void StoreInt(std::uint8_t* out, std::int32_t value)
{
    StoreLittleEndian(out, static_cast<std::uint32_t>(value));
}

void StoreDouble(std::uint8_t* out, double value)
{
    StoreLittleEndian(out, std::bit_cast<std::uint64_t>(value));
}

std::int32_t LoadInt(const std::uint8_t* in)
{
    return static_cast<std::int32_t>(LoadLittleEndian<std::uint32_t>(in));
}

double LoadDouble(const std::uint8_t* in)
{
    return std::bit_cast<double>(LoadLittleEndian<std::uint64_t>(in));
}

}  // namespace

std::array<std::uint8_t, CDesignedFilterSettings::kBytes> CDesignedFilterSettings::ToBytes() const
{
    std::array<std::uint8_t, kBytes> bytes{};
    StoreInt(&bytes[0], m_bEnabled);
    StoreDouble(&bytes[8], m_dHighCorner);
    StoreDouble(&bytes[16], m_dLowCorner);
    StoreInt(&bytes[24], m_nOrder);
    StoreInt(&bytes[28], m_bBandStop);
    StoreInt(&bytes[32], m_nDesignKind);
    StoreDouble(&bytes[40], m_dRippleDb);
    StoreInt(&bytes[48], m_bTwice);
    return bytes;
}

CDesignedFilterSettings CDesignedFilterSettings::FromBytes(std::span<const std::uint8_t, kBytes> bytes)
{
    CDesignedFilterSettings settings;
    settings.m_bEnabled = LoadInt(&bytes[0]);
    settings.m_dHighCorner = LoadDouble(&bytes[8]);
    settings.m_dLowCorner = LoadDouble(&bytes[16]);
    settings.m_nOrder = LoadInt(&bytes[24]);
    settings.m_bBandStop = LoadInt(&bytes[28]);
    settings.m_nDesignKind = LoadInt(&bytes[32]);
    settings.m_dRippleDb = LoadDouble(&bytes[40]);
    settings.m_bTwice = LoadInt(&bytes[48]);
    return settings;
}

void ClassifyBand(double fA, double fB, double fs, int bandStop, int& type, double& edge1, double& edge2)
{
    if (fA <= 0.0)
    {
        type = kBandLowPass;
        edge1 = edge2 = fB;
    }
    else if (fB < 0.0 || fB >= 0.5 * fs)
    {
        type = kBandHighPass;
        edge1 = edge2 = fA;
    }
    else if (fA < fB)
    {
        type = bandStop ? kBandBandStop : kBandBandPass;
        edge1 = fA;
        edge2 = fB;
    }
    else
    {
        type = -1;
        edge1 = fA;
        edge2 = fB;
    }
}

CDesignedFilter::CDesignedFilter()
{
    // Sized once here, so that designs made on the audio path allocate nothing.
    for (int k = 0; k < kMaxSections; ++k)
    {
        for (CIirFilter* section : {&m_sections[k], &m_sectionsTwice[k]})
        {
            section->m_bOwnsCoefficients = 1;
            section->Reserve(3, 3);
        }
    }
}

CDesignedFilter::~CDesignedFilter() = default;

void CDesignedFilter::SetSettings(const CDesignedFilterSettings& settings)
{
    m_full.m_bEnabled = settings.m_bEnabled;
    m_dHighCorner = settings.m_dHighCorner;
    m_dLowCorner = settings.m_dLowCorner;
    m_nOrder = settings.m_nOrder;
    m_bBandStop = settings.m_bBandStop;
    m_nDesignKind = settings.m_nDesignKind;
    m_dRippleDb = settings.m_dRippleDb;
    m_bTwice = settings.m_bTwice;
    // New corners or order must not wait for the next change of sample rate.
    m_dDesignedRate = -1.0;
}

void CDesignedFilter::GetSettings(CDesignedFilterSettings& settings)
{
    settings.m_bEnabled = m_full.m_bEnabled;
    settings.m_dHighCorner = m_dHighCorner;
    settings.m_dLowCorner = m_dLowCorner;
    settings.m_nOrder = m_nOrder;
    settings.m_bBandStop = m_bBandStop;
    settings.m_nDesignKind = m_nDesignKind;
    settings.m_dRippleDb = m_dRippleDb;
    settings.m_bTwice = m_bTwice;
    m_dDesignedRate = -1.0;
}

void CDesignedFilter::ClearDesign()
{
    m_nDigitalOrder = 0;
    m_dGain = 1.0;
    m_roots.fill({});
    m_dNumerator.fill(0.0);
    m_dDenominator.fill(0.0);
}

int CDesignedFilter::Design()
{
    ClassifyBand(m_dLowCorner, m_dHighCorner, m_dSampleRate, m_bBandStop, m_nBandType, m_dEdge1, m_dEdge2);
    m_dNumerator.fill(0.0);
    m_dDenominator.fill(0.0);
    m_nDesignResult =
        DesignIirFilter(m_nDesignKind, m_nBandType, m_nOrder, m_dSampleRate, m_dEdge1, m_dEdge2, m_dRippleDb,
                        m_dStopSpec, m_nDigitalOrder, m_dDenominator, m_dNumerator, m_dGain, m_roots);
    // A refused design must not leave an earlier one (made for other settings or another rate) in
    // place: the filter then passes the block unchanged, and the caller reads the refusal.
    if (m_nDesignResult != kDesignOk)
        ClearDesign();
    return m_nDesignResult;
}

void CDesignedFilter::BuildSections()
{
    m_nSections = 0;
    const int Z = m_nDigitalOrder;
    const DesignComplex* poles = m_roots.data();
    const DesignComplex* zeros = m_roots.data() + Z;
    std::array<bool, kDesignArraySize> used{};
    int zero = 0;

    auto addSection = [&](int n, const double* b, const double* a)
    {
        m_sections[m_nSections].SetCoefficients(n, n, b, a);
        m_sectionsTwice[m_nSections].SetCoefficients(n, n, b, a);
        ++m_nSections;
    };
    // Numerators are built as prod(1 - zero z^-1): b0 = 1 and the product of the zeros last, so a real
    // zero at +1 gives 1 - z^-1 and the sign of the response is kept.
    auto complexZeros = [&](double* b)
    {
        const DesignComplex z = zeros[zero];
        b[0] = 1.0;
        b[1] = -2.0 * z.r;
        b[2] = z.r * z.r + z.i * z.i;
        zero += 2;
    };
    auto isComplexZero = [&](int index) { return index < Z && std::fabs(zeros[index].i) >= kComplexZero; };
    auto isRealPole = [&](const DesignComplex& p) { return std::fabs(p.i) <= kComplexPole; };

    for (int j = 0; j < Z && m_nSections < kMaxSections && zero < Z; ++j)
    {
        if (used[j])
            continue;
        const DesignComplex p = poles[j];
        // The lower member of a conjugate pair: its partner makes the section.
        if (p.i < -kComplexPole)
            continue;
        used[j] = true;
        if (!isRealPole(p))
        {
            double b[3];
            if (isComplexZero(zero) || zero + 1 >= Z)
            {
                complexZeros(b);
            }
            else
            {
                const DesignComplex z1 = zeros[zero];
                const DesignComplex z2 = zeros[zero + 1];
                b[0] = 1.0;
                b[1] = -(z1.r + z2.r);
                b[2] = z1.r * z2.r;
                zero += 2;
            }
            const double a[3] = {1.0, -2.0 * p.r, p.r * p.r + p.i * p.i};
            addSection(3, b, a);
            continue;
        }
        if (isComplexZero(zero))
        {
            // A real pole meeting a complex pair of zeros (odd band-stops, whose real prototype pole
            // maps to two real poles): the pair of real poles shares one second-order section with
            // the pair of zeros, instead of each taking half of a complex zero.
            int partner = j + 1;
            while (partner < Z && (used[partner] || !isRealPole(poles[partner])))
                ++partner;
            if (partner < Z)
            {
                used[partner] = true;
                const DesignComplex q = poles[partner];
                double b[3];
                complexZeros(b);
                const double a[3] = {1.0, -(p.r + q.r), p.r * q.r};
                addSection(3, b, a);
                continue;
            }
        }
        const double b[2] = {1.0, -zeros[zero].r};
        const double a[2] = {1.0, -p.r};
        addSection(2, b, a);
        zero += 1;
    }
}

void CDesignedFilter::Process(float* samples, int count)
{
    if (m_dDesignedRate != m_dSampleRate)
    {
        Design();
        BuildSections();
        m_dDesignedRate = m_dSampleRate;
    }
    if (m_nSections == 0 || count <= 0)
        return;
    for (int k = 0; k < m_nSections; ++k)
        m_sections[k].Process(samples, count);
    double gain = m_dGain;
    if (m_bTwice)
    {
        for (int k = 0; k < m_nSections; ++k)
            m_sectionsTwice[k].Process(samples, count);
        gain = m_dGain * m_dGain;
    }
    const float g = static_cast<float>(gain);
    for (int n = 0; n < count; ++n)
        samples[n] *= g;
}

void CDesignedFilter::Reset()
{
    for (int k = 0; k < kMaxSections; ++k)
    {
        m_sections[k].Reset();
        m_sectionsTwice[k].Reset();
    }
}

void CDesignedFilter::SetFullRateResponse(bool on)
{
    g_fullRateResponse.store(on);
}

double CDesignedFilter::GetResponse(double f) const
{
    double value = kResponseFloor;
    if (f < 0.5 * m_dSampleRate || g_fullRateResponse.load(std::memory_order_relaxed))
        value = DesignResponseMagnitude(f, m_dGain, m_dSampleRate, m_nDigitalOrder, m_roots);
    if (m_bTwice)
        value *= value;
    return value;
}

void CDesignedFilter::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        CDesignedFilterSettings settings;
        GetSettings(settings);
        const auto bytes = settings.ToBytes();
        ar << static_cast<std::int32_t>(CDesignedFilterSettings::kBytes);
        ar.Write(bytes);
        return;
    }
    std::int32_t size = 0;
    ar >> size;
    // A record of any other size is not ours to read: the filter keeps its settings.
    if (size != CDesignedFilterSettings::kBytes)
        return;
    std::array<std::uint8_t, CDesignedFilterSettings::kBytes> bytes{};
    ar.Read(bytes);
    SetSettings(CDesignedFilterSettings::FromBytes(bytes));
}
