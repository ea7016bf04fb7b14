#include "app/GeneratorPanels.h"

#include "engine/SoundIn.h"
#include "engine/ui/GeneratorDlg.h"

namespace
{

WindowRect ToWindowRect(const wxRect& r)
{
    return {r.x, r.y, r.x + r.width, r.y + r.height};
}

// A panel's placement as the workspace records it; the record holds the panel weakly through
// this adapter, which lives as long as the panel.
class PlacedPanel : public CPlacedWindow
{
public:
    explicit PlacedPanel(CGeneratorDlg* panel) : m_panel(panel) {}
    ChildFrameState GetFrameState() const override
    {
        ChildFrameState state;
        state.visible = m_panel->IsShown();
        state.minimised = m_panel->IsIconized();
        state.normal = ToWindowRect(m_panel->GetRect());
        state.current = state.normal;
        return state;
    }
    void SetFrameState(const ChildFrameState& state) override
    {
        const WindowRect r = ClampWindowRect(state.normal);
        if (IsUsableWindowRect(r.left, r.top, r.right, r.bottom))
            m_panel->Move(r.left, r.top);
        m_panel->Show(state.visible);
        if (state.visible)
            m_panel->Iconize(state.minimised);
    }

private:
    CGeneratorDlg* m_panel;
};

}  // namespace

CGeneratorPanels::CGeneratorPanels(wxWindow* parent, CSoundIn& engine) : m_pParent(parent), m_engine(engine)
{
    m_engine.m_generatorLink.m_refreshPanel = [this](int index)
    {
        if (CGeneratorDlg* panel = Get(index))
            panel->UpdateControls();
    };
    m_engine.m_generatorMatrix.m_refreshFrequency = m_engine.m_generatorLink.m_refreshPanel;
}

void CGeneratorPanels::Detach()
{
    m_engine.m_generatorLink.m_refreshPanel = nullptr;
    m_engine.m_generatorMatrix.m_refreshFrequency = nullptr;
}

void CGeneratorPanels::CreatePanels()
{
    for (int i = 0; i < kPanels; ++i)
    {
        if (m_panels[static_cast<std::size_t>(i)] != nullptr)
            continue;
        CGenerator* generator = m_engine.GetGenerator(i);
        if (generator == nullptr)
            continue;
        GeneratorDlgOptions options;
        options.upperFrequencyLimit = kUpperFrequencyLimit;
        // The generator program follows the first panel (the engine sends nothing in input mode 5).
        if (i == 0)
            options.follow = [this](CSigGen_settings& record) { m_engine.SendGeneratorSettings(record, 0); };
        auto* panel = new CGeneratorDlg(m_pParent, *generator, options);
        panel->SetTitle(wxString::FromUTF8(CSoundIn::GeneratorPanelTitle(i)));
        panel->Hide();
        m_panels[static_cast<std::size_t>(i)] = panel;
        m_placed[static_cast<std::size_t>(i)] = std::make_shared<PlacedPanel>(panel);
    }
}

CGeneratorDlg* CGeneratorPanels::Get(int index) const
{
    if (index < 0 || index >= kPanels)
        return nullptr;
    return m_panels[static_cast<std::size_t>(index)];
}

void CGeneratorPanels::Show(int index, const std::string& title)
{
    CGeneratorDlg* panel = Get(index);
    if (panel == nullptr)
        return;
    panel->SetTitle(wxString::FromUTF8(title));
    panel->UpdateControls();
    panel->Show();
    panel->Raise();
}

void CGeneratorPanels::CapturePlacements(std::array<CWindow_settings, kStoredPanels>& records)
{
    CreatePanels();
    for (int i = 0; i < kStoredPanels; ++i)
        records[static_cast<std::size_t>(i)].Capture(m_placed[static_cast<std::size_t>(i)]);
}

void CGeneratorPanels::RestorePlacements(std::array<CWindow_settings, kStoredPanels>& records)
{
    CreatePanels();
    for (int i = 0; i < kStoredPanels; ++i)
    {
        records[static_cast<std::size_t>(i)].Restore(m_placed[static_cast<std::size_t>(i)]);
        CGeneratorDlg* panel = m_panels[static_cast<std::size_t>(i)];
        panel->UpdateControls();
        panel->SetTitle(wxString::Format("ASIO Generator #%i", i + 1));
    }
}
