#include "dsp/generator/TableGenerator.h"

#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "dsp/BandFilterTables.h"
#include "dsp/FilterDesigner.h"
#include "dsp/FixedFilterTables.h"
#include "platform/NumberFormat.h"

namespace brevikgen
{
namespace
{

// IEC 61260-1 base-ten octave ratio.
const double kOctaveRatio = std::pow(10.0, 0.3);

// Prototype order of the band filters. Order 2 (a fourth-order band-pass) cannot reach the class 1
// stop-band attenuation one band away (16.6 dB at 1.29 times the centre for third octaves, where it
// gives about 14 dB); order 3 meets the class 1 limits in the middle of the range but not in the
// top bands, where the bilinear transform squeezes the lower stop band towards the band; order 4
// meets them in every band whose upper edge lies below 0.45 of the rate.
constexpr int kBandPrototypeOrder = 4;

std::complex<double> SectionResponse(const double* s, double f, double rate)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * f / rate);
    return (s[0] + s[1] * z1 + s[2] * z1 * z1) / (s[3] + s[4] * z1 + s[5] * z1 * z1);
}

std::complex<double> PolynomialResponse(const double* b, const double* a, int count, double f, double rate)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * f / rate);
    std::complex<double> num = 0.0, den = 0.0, power = 1.0;
    for (int i = 0; i < count; ++i, power *= z1)
    {
        num += b[i] * power;
        den += a[i] * power;
    }
    return num / den;
}

// Second-order factors (1, -2 Re r, |r|^2) of a root list in which a complex root is followed by its
// conjugate; real roots are paired in the order they come.
std::vector<std::array<double, 3>> QuadraticFactors(const DesignComplex* roots, int count)
{
    std::vector<std::array<double, 3>> factors;
    std::vector<double> reals;
    for (int i = 0; i < count; ++i)
    {
        const DesignComplex& r = roots[i];
        if (std::fabs(r.i) > 1e-12)
        {
            factors.push_back({1.0, -2.0 * r.r, r.r * r.r + r.i * r.i});
            ++i;  // its conjugate
        }
        else
            reals.push_back(r.r);
    }
    for (std::size_t i = 0; i + 1 < reals.size(); i += 2)
        factors.push_back({1.0, -(reals[i] + reals[i + 1]), reals[i] * reals[i + 1]});
    return factors;
}

std::string FormatArray(const char* name, const std::vector<double>& values, const char* comment)
{
    std::string text = platform::FormatC("// %s\nconst double %s[%zu] = {\n", comment, name, values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        text += platform::FormatC("%s%.17g,%s", i % 6 == 0 ? "    " : " ", values[i], i % 6 == 5 ? "\n" : "");
    if (values.size() % 6 != 0)
        text += "\n";
    text += "};\n\n";
    return text;
}

std::vector<double> BandTableValues(int type, const double* rates, int rateCount, int bands, int firstIndex,
                                    double bandsPerOctave)
{
    std::vector<double> values(static_cast<std::size_t>(rateCount * bands * kBandEntrySize), 0.0);
    for (int r = 0; r < rateCount; ++r)
        for (int k = 0; k < bands; ++k)
        {
            const double centre = 1000.0 * std::pow(kOctaveRatio, (firstIndex + k) / bandsPerOctave);
            DesignBandEntry(type, rates[r], centre, bandsPerOctave,
                            values.data() + static_cast<std::size_t>((r * bands + k) * kBandEntrySize));
        }
    return values;
}

// The established sets at 44100 and 48000 Hz (b then a), kept as they are.
constexpr double kFilter2At44100[] = {1.00021369857,   -1.999857534291, 0.9996438357213, 1,
                                      -1.999857534291, 0.9998575342914};
constexpr double kFilter2At48000[] = {1.000196336697,  -1.999869108873, 0.9996727721762, 1,
                                      -1.999869108873, 0.9998691088727};
constexpr double kFilter4At44100[] = {0.1702483350349,
                                      -0.1702483350349,
                                      -0.1702483350349,
                                      0.1702483350349,
                                      0,
                                      1,
                                      -2.648796691503,
                                      2.302633145336,
                                      -0.6538249339047,
                                      0};
constexpr double kFilter4At48000[] = {0.09986507426755,  0,
                                      -0.1997301485351,  0,
                                      0.09986507426755,  1,
                                      -2.412654875146,   1.653842650794,
                                      -0.06428098116744, -0.1768953866158};
constexpr double kFilter8At44100[] = {
    0.235905681297,   -0.3292475532542,  -0.1649004074396,   0.2743426884272,   0.01620498805224,
    0.03217234924841, -0.05900125302004, -0.008158069009234, 0.002681575698198, 1,
    -2.63825507317,   1.80381241147,     0.4380029520854,    -0.7313778795981,  0.2663805295702,
    -0.3345261145591, 0.2513679746993,   -0.05540239749351};
constexpr double kFilter8At48000[] = {
    0.2008333510039,   -0.222004199431,   -0.1754761470498,  0.1570964040862,    0.04998274282615,
    0.03572007460242,  -0.04844294772287, 0.004532150187232, -0.002241428502247, 1,
    -2.514800907939,   1.754824159431,    -0.05049323764296, 0.02115368496748,   -0.2861188096737,
    0.004764383900262, 0.09390869267204,  -0.02323248143011};

// A first-order Butterworth low-pass (type 1) or high-pass (type 3) at corner Hz from the designer,
// multiplied into the polynomials b and a.
void MultiplyFirstOrder(int type, double rate, double corner, std::vector<double>& b, std::vector<double>& a)
{
    std::array<double, kDesignArraySize> fa{};
    std::array<double, kDesignArraySize> fb{};
    std::array<DesignComplex, kDesignRootCapacity> roots{};
    double gain = 0.0;
    int order = 0;
    DesignIirFilter(kDesignButterworth, type, 1, rate, 0.0, corner, 0.0, 0.0, order, fa, fb, gain, roots);
    auto multiply = [](std::vector<double>& p, const std::array<double, kDesignArraySize>& q)
    {
        std::vector<double> out(p.size() + 1, 0.0);
        for (std::size_t i = 0; i < p.size(); ++i)
            for (std::size_t j = 0; j < 2; ++j)
                out[i + j] += p[i] * q[j];
        p = out;
    };
    multiply(b, fb);
    multiply(a, fa);
}

void AppendRateTable(std::vector<double>& values, int filter, int perSide, const double* at44100,
                     const double* at48000)
{
    values.push_back(kRateTableRateCount);
    values.insert(values.end(), std::begin(kRateTableRates), std::end(kRateTableRates));
    values.push_back(perSide);
    values.push_back(perSide);
    for (double rate : kRateTableRates)
    {
        if (rate == 44100.0 || rate == 48000.0)
        {
            const double* set = rate == 44100.0 ? at44100 : at48000;
            values.insert(values.end(), set, set + 2 * perSide);
            continue;
        }
        std::vector<double> b(static_cast<std::size_t>(perSide));
        std::vector<double> a(static_cast<std::size_t>(perSide));
        DesignRateTableSet(filter, rate, b.data(), a.data());
        values.insert(values.end(), b.begin(), b.end());
        values.insert(values.end(), a.begin(), a.end());
    }
}

const char* const kGeneratedNote =
    "// Written by dsp/generator (dsp_generate_tables); do not edit. The rules that\n"
    "// produced these sets stand in dsp/generator/TableGenerator.cpp.\n"
    "// clang-format off\n";

}  // namespace

// Band rule: IEC 61260-1 base-ten bands, exact mid-band frequency fm = 1000 * G^(x/b) (G = 10^0.3),
// edges fm * G^(+-1/(2b)); a Butterworth band-pass or band-stop of prototype order 4 between these
// edges, by the bilinear transform with pre-warped edges (the designer). A band is present when its
// upper edge lies below half the rate. Band-pass sections are scaled alike so that the cascade has
// the design's gain at fm; band-stop sections each have unit gain at 0 Hz.
bool DesignBandEntry(int type, double rate, double centre, double bandsPerOctave, double* entry)
{
    std::fill(entry, entry + kBandEntrySize, 0.0);
    const double halfBand = std::pow(kOctaveRatio, 0.5 / bandsPerOctave);
    const double f1 = centre / halfBand;
    const double f2 = centre * halfBand;
    if (f2 >= 0.5 * rate)
        return false;
    std::array<double, kDesignArraySize> a{};
    std::array<double, kDesignArraySize> b{};
    std::array<DesignComplex, kDesignRootCapacity> roots{};
    double gain = 0.0;
    int z = 0;
    if (DesignIirFilter(kDesignButterworth, type, kBandPrototypeOrder, rate, f1, f2, 0.0, 0.0, z, a, b, gain,
                        roots) != kDesignOk)
        return false;
    const auto poles = QuadraticFactors(roots.data(), z);
    const auto zeros = QuadraticFactors(roots.data() + z, z);
    if (static_cast<int>(poles.size()) != kBandSections || static_cast<int>(zeros.size()) != kBandSections)
        return false;
    const double total = DesignResponseMagnitude(centre, gain, rate, z, roots);
    for (int s = 0; s < kBandSections; ++s)
    {
        double* section = entry + s * kBandSectionSize;
        // A band-pass takes one zero at 0 Hz and one at half the rate per section.
        const std::array<double, 3> numerator = type == kBandBandPass ? std::array<double, 3>{1.0, 0.0, -1.0}
                                                                      : zeros[static_cast<std::size_t>(s)];
        for (int i = 0; i < 3; ++i)
        {
            section[i] = numerator[static_cast<std::size_t>(i)];
            section[3 + i] = poles[static_cast<std::size_t>(s)][static_cast<std::size_t>(i)];
        }
        const double reference = type == kBandBandPass ? centre : 0.0;
        const double target = type == kBandBandPass ? std::pow(total, 1.0 / kBandSections) : 1.0;
        const double scale = target / std::abs(SectionResponse(section, reference, rate));
        for (int i = 0; i < 3; ++i)
            section[i] *= scale;
    }
    return true;
}

// Rate-table rules, read from the established 44100 and 48000 Hz sets (their poles are those of
// first-order sections at the corners below, their zeros at 0 Hz and half the rate), designed at
// each further rate from first-order Butterworth sections of the designer:
// - filter 2: unity plus three times a low-pass at 1 Hz, i.e. a low shelf with its pole at 1 Hz and
//   its zero at 4 Hz (+12 dB towards 0 Hz, +2 dB at 5 Hz, +0.6 dB at 10 Hz);
// - filter 4: high-passes at 20 and 85 Hz, a low-pass at 2800 Hz and, at rates where 15900 Hz lies
//   below a third of the rate, one at 15900 Hz (the 48000 Hz set has it, the 44100 Hz set does not);
// - filter 8: high-passes at 25 and 50 Hz (the established sets' real poles) and a low-pass at
//   3400 Hz, a third-order stand-in for the eighth-order established sets that follows them within
//   about 1 dB from 20 Hz to 16 kHz (the best single corner; a second one buys nothing);
// filters 4 and 8 take the level of the established 48000 Hz set at 500 Hz.
void DesignRateTableSet(int filter, double rate, double* b, double* a)
{
    const int perSide = filter == 2 ? 3 : filter == 4 ? 5 : 9;
    std::vector<double> nb{1.0};
    std::vector<double> na{1.0};
    if (filter == 2)
    {
        MultiplyFirstOrder(kBandLowPass, rate, 1.0, nb, na);
        for (std::size_t i = 0; i < nb.size(); ++i)
            nb[i] = na[i] + 3.0 * nb[i];
    }
    else if (filter == 4)
    {
        MultiplyFirstOrder(kBandHighPass, rate, 20.0, nb, na);
        MultiplyFirstOrder(kBandHighPass, rate, 85.0, nb, na);
        MultiplyFirstOrder(kBandLowPass, rate, 2800.0, nb, na);
        if (15900.0 < rate / 3.0)
            MultiplyFirstOrder(kBandLowPass, rate, 15900.0, nb, na);
    }
    else
    {
        MultiplyFirstOrder(kBandHighPass, rate, 25.0, nb, na);
        MultiplyFirstOrder(kBandHighPass, rate, 50.0, nb, na);
        MultiplyFirstOrder(kBandLowPass, rate, 3400.0, nb, na);
    }
    if (filter != 2)
    {
        // Level: the established 48000 Hz set's gain at 500 Hz, near the maximum of both band-passes.
        const double* reference = filter == 4 ? kFilter4At48000 : kFilter8At48000;
        const double wanted =
            std::abs(PolynomialResponse(reference, reference + perSide, perSide, 500.0, 48000.0));
        const double actual =
            std::abs(PolynomialResponse(nb.data(), na.data(), static_cast<int>(nb.size()), 500.0, rate));
        for (double& value : nb)
            value *= wanted / actual;
    }
    for (int i = 0; i < perSide; ++i)
    {
        b[i] = i < static_cast<int>(nb.size()) ? nb[static_cast<std::size_t>(i)] : 0.0;
        a[i] = i < static_cast<int>(na.size()) ? na[static_cast<std::size_t>(i)] : 0.0;
    }
}

std::string GenerateBandFilterTables()
{
    std::string text = kGeneratedNote;
    text += "#include \"dsp/BandFilterTables.h\"\n\n";
    const int octaveRates = static_cast<int>(std::size(kOctaveRates));
    const int octaveBands = static_cast<int>(std::size(kOctaveCentres));
    const int thirdRates = static_cast<int>(std::size(kThirdOctaveRates));
    const int thirdBands = static_cast<int>(std::size(kThirdOctaveCentres));
    text += FormatArray(
        "g_octaveBandPass",
        BandTableValues(kBandBandPass, kOctaveRates, octaveRates, octaveBands, kOctaveFirstIndex, 1),
        "Octave band-passes: rate x band x four sections (b0 b1 b2 a0 a1 a2).");
    text += FormatArray(
        "g_octaveBandStop",
        BandTableValues(kBandBandStop, kOctaveRates, octaveRates, octaveBands, kOctaveFirstIndex, 1),
        "Octave band-stops, same layout.");
    text += FormatArray(
        "g_thirdOctaveBandPass",
        BandTableValues(kBandBandPass, kThirdOctaveRates, thirdRates, thirdBands, kThirdOctaveFirstIndex, 3),
        "Third-octave band-passes, same layout; absent bands are all zeros.");
    text += FormatArray(
        "g_thirdOctaveBandStop",
        BandTableValues(kBandBandStop, kThirdOctaveRates, thirdRates, thirdBands, kThirdOctaveFirstIndex, 3),
        "Third-octave band-stops, same layout.");
    text +=
        "const BandTable g_octaveTable = {kOctaveRates, kOctaveCentres, {g_octaveBandPass, "
        "g_octaveBandStop}};\n";
    text +=
        "const BandTable g_thirdOctaveTable = {kThirdOctaveRates, kThirdOctaveCentres,\n"
        "                                      {g_thirdOctaveBandPass, g_thirdOctaveBandStop}};\n";
    text += "// clang-format on\n";
    return text;
}

std::string GenerateFixedFilterTables()
{
    std::string text = kGeneratedNote;
    text += "#include \"dsp/FixedFilterTables.h\"\n\n";
    std::vector<double> values;
    AppendRateTable(values, 2, 3, kFilter2At44100, kFilter2At48000);
    text += FormatArray("g_rateTable2", values, "Second-order low-frequency lift.");
    values.clear();
    AppendRateTable(values, 4, 5, kFilter4At44100, kFilter4At48000);
    text += FormatArray("g_rateTable4", values, "Fourth-order band-pass, about 85 Hz to 2.9 kHz.");
    values.clear();
    AppendRateTable(values, 8, 9, kFilter8At44100, kFilter8At48000);
    text += FormatArray("g_rateTable8", values, "Eighth-order band-pass, about 59 Hz to 3.6 kHz.");
    text += "// clang-format on\n";
    return text;
}

}  // namespace brevikgen
