#include "view/EngineDisplayObjects.h"

#include "engine/SoundIn.h"
#include "platform/Archive.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"
#include "view/ViewTexts.h"

namespace
{

// Colour index every channel's curve starts with.
constexpr int kChannelColorIndex = 10;

struct PresetDefaults
{
    int logX;
    int logY;
    double yMin;
    double yMax;
    double xMin;
    double xMax;  // 0 to -1: the full range of the mode
    int texts;    // 0 the frequency/level texts, 1 none, 2 the reverberation texts
};

constexpr std::array<PresetDefaults, CEngineDisplayObjects::kAxisPresets> kPresets = {{
    {1, 1, -100.0, 10.0, 0.0, -1.0, 0},     // 0
    {1, 1, -100.0, 10.0, 0.0, -1.0, 0},     // 1
    {1, 0, -180.0, 180.0, 0.0, -1.0, 0},    // 2
    {0, 0, -1.1, 1.1, 0.0, -1.0, 0},        // 3
    {0, 0, 0.0, 0.0, 0.0, -1.0, 1},         // 4
    {1, 0, -180.0, 180.0, 0.0, -1.0, 0},    // 5
    {0, 0, -1.1, 1.1, 0.0, -1.0, 0},        // 6
    {1, 1, -100.0, 10.0, 0.0, -1.0, 0},     // 7
    {1, 0, 0.0, 1000.0, 0.0, -1.0, 0},      // 8
    {1, 1, -100.0, 10.0, 0.0, -1.0, 0},     // 9
    {1, 1, -100.0, 10.0, 5.0, 21000.0, 0},  // 10
    {0, 1, -60.0, 10.0, 0.0, -1.0, 0},      // 11
    {1, 1, 0.0, 5.0, 50.0, 20000.0, 0},     // 12
    {0, 0, -0.1, 1.1, 0.0, -1.0, 0},        // 13
    {0, 0, -1.1, 1.1, 0.0, -1.0, 0},        // 14
    {0, 1, -60.0, 10.0, 0.0, -1.0, 0},      // 15
    {1, 0, -100.0, 10.0, 0.0, -1.0, 0},     // 16
    {0, 0, -100.0, 10.0, 0.0, -1.0, 0},     // 17
    {0, 0, 0.0, 180.0, 0.0, 26.0, 0},       // 18
    {1, 0, 0.0, 2000.0, 0.0, -1.0, 2},      // 19
    {0, 0, -100.0, 10.0, 0.0, 180.0, 1},    // 20
    {1, 1, -100.0, 10.0, 0.0, -1.0, 0},     // 21
    {0, 1, -60.0, 10.0, 0.0, -1.0, 0},      // 22
}};

// The first four curve styles: colour index, width, pen style, marker.
constexpr std::array<std::array<int, 4>, 4> kFirstStyles = {
    {{1, 2, 0, 0}, {3, 2, 0, 0}, {2, 2, 0, 0}, {6, 1, 2, 0}}};

std::string WithText(const char* format, int textId)
{
    return platform::FormatC(format, GetText(textId).c_str());
}

}  // namespace

struct CEngineDisplayObjects::Loaded
{
    std::array<CAxisProp, kAxisPresets> presets;
    CColorScheme scheme;
    std::array<CCurveStyle, kCurveStyles> styles;
    CInputChannelMatrix channels;
};

CEngineDisplayObjects::CEngineDisplayObjects()
{
    InitDefaults();
}

CEngineDisplayObjects::~CEngineDisplayObjects() = default;

void CEngineDisplayObjects::InitDefaults()
{
    for (std::size_t i = 0; i < kPresets.size(); ++i)
    {
        const PresetDefaults& d = kPresets[i];
        CAxisProp& preset = m_axisPresets[i];
        preset = CAxisProp();
        preset.m_bLogX = d.logX;
        preset.m_bLogY = d.logY;
        preset.m_dYMin = d.yMin;
        preset.m_dYMax = d.yMax;
        preset.m_dXMin = d.xMin;
        preset.m_dXMax = d.xMax;
        if (d.texts == 0)
        {
            preset.m_strXTitle = WithText("%s [Hz]", view_text::kFrequency);
            preset.m_strYTitle = WithText("%s [dB]", view_text::kLevel);
            // Preset 0 carries the degree sign as its x unit; the copies took "Hz" before.
            preset.m_strXUnit = i == 0 ? view_text::kDegreeSign : "Hz";
            preset.m_strYUnit = "dB";
        }
        else if (d.texts == 2)
        {
            preset.m_strXTitle = WithText("%s [Hz]", view_text::kFrequency);
            preset.m_strYTitle = "reverb. time [ms]";
            preset.m_strXUnit = "Hz";
            preset.m_strYUnit = "ms";
        }
    }
    for (CCurveStyle& style : m_curveStyles)
        style = CCurveStyle();
    for (std::size_t i = 0; i < kFirstStyles.size(); ++i)
    {
        CCurveStyle& style = m_curveStyles[i];
        style.m_nColorIndex = kFirstStyles[i][0];
        style.m_nWidth = kFirstStyles[i][1];
        style.m_nPenStyle = kFirstStyles[i][2];
        style.m_nMarker = kFirstStyles[i][3];
    }
    m_channels = CInputChannelMatrix();
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
        m_channels.GetChannel(c).m_CurveStyle.m_nColorIndex = kChannelColorIndex;
    m_channels.GetChannel(0).m_CurveStyle.CopyFrom(m_curveStyles[0]);
    m_channels.GetChannel(1).m_CurveStyle.CopyFrom(m_curveStyles[1]);
    m_colorScheme = CColorScheme();
    m_colorScheme.SnapToPalette();
    m_pLoaded.reset();
}

void CEngineDisplayObjects::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        for (int index : kStoredPresets)
            m_axisPresets[static_cast<std::size_t>(index)].Serialize(ar);
        m_colorScheme.Serialize(ar);
        for (CCurveStyle& style : m_curveStyles)
            style.Serialize(ar);
        for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
            m_channels.GetChannel(c).Serialize(ar);
        return;
    }
    // Read into copies of the records in force: what the block does not store stays as it is.
    auto loaded = std::make_unique<Loaded>();
    for (std::size_t i = 0; i < m_axisPresets.size(); ++i)
        loaded->presets[i].CopyFrom(m_axisPresets[i]);
    loaded->scheme = m_colorScheme;
    for (std::size_t i = 0; i < m_curveStyles.size(); ++i)
        loaded->styles[i].CopyFrom(m_curveStyles[i]);
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
        loaded->channels.GetChannel(c).CopyFrom(m_channels.GetChannel(c));
    for (int index : kStoredPresets)
        loaded->presets[static_cast<std::size_t>(index)].Serialize(ar);
    loaded->scheme.Serialize(ar);
    for (CCurveStyle& style : loaded->styles)
        style.Serialize(ar);
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
        loaded->channels.GetChannel(c).Serialize(ar);
    m_pLoaded = std::move(loaded);
}

void CEngineDisplayObjects::Commit()
{
    if (!m_pLoaded)
        return;
    for (std::size_t i = 0; i < m_axisPresets.size(); ++i)
        m_axisPresets[i].CopyFrom(m_pLoaded->presets[i]);
    m_colorScheme = m_pLoaded->scheme;
    for (std::size_t i = 0; i < m_curveStyles.size(); ++i)
        m_curveStyles[i].CopyFrom(m_pLoaded->styles[i]);
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
        m_channels.GetChannel(c).CopyFrom(m_pLoaded->channels.GetChannel(c));
    m_pLoaded.reset();
}

void CEngineDisplayObjects::Attach(CSoundIn& engine)
{
    engine.m_serializeOwnedObjects = [this](CArchive& ar) { Serialize(ar); };
    engine.m_commitOwnedObjects = [this, &engine]
    {
        Commit();
        ApplyChannelRouting(engine);
    };
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
        engine.m_channelOperations[static_cast<std::size_t>(c)] = &m_channels.GetChannel(c).m_Operation;
}

void CEngineDisplayObjects::ApplyChannelRouting(CSoundIn& engine) const
{
    std::array<CSoundIn::ChannelRoute, CInputChannelMatrix::kChannelCount> routes;
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
    {
        const Cchannel_settings& channel = m_channels.GetChannel(c);
        routes[static_cast<std::size_t>(c)] = {channel.m_nInputChannel, channel.m_dScaleDb,
                                               channel.m_bActive != 0};
    }
    engine.SetChannelRouting(routes);
}

CEngineDisplayObjects& GetEngineDisplayObjects()
{
    static CEngineDisplayObjects objects;
    return objects;
}
