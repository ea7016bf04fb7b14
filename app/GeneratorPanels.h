// The engine's generator panels in Tessarin: ten "ASIO Generator #n" panels and the "Test signal"
// panel, created hidden when the input first opens (on the user-interface thread) and shown by the
// ASIO menu. The first panel's changes go to the generator program through the engine. The panels'
// placements travel with the workspace.
//
// Threads: user-interface thread only.
#pragma once

#include "common/settings/WindowSettings.h"

#include <array>
#include <memory>

class CGeneratorDlg;
class CSoundIn;
class wxWindow;

class CGeneratorPanels
{
public:
    static constexpr int kPanels = 11;
    static constexpr int kStoredPanels = 10;
    // The main program's highest generator frequency.
    static constexpr double kUpperFrequencyLimit = 100000.0;

    CGeneratorPanels(wxWindow* parent, CSoundIn& engine);
    // The engine no longer reaches the panels (they are about to go with their parent).
    void Detach();
    CGeneratorPanels(const CGeneratorPanels&) = delete;
    CGeneratorPanels& operator=(const CGeneratorPanels&) = delete;

    // Creates every panel that has no window yet, hidden.
    void CreatePanels();
    CGeneratorDlg* Get(int index) const;
    void Show(int index, const std::string& title);
    // The ten generator panels' placements into the records (creating missing panels hidden), so
    // that a save stores them.
    void CapturePlacements(std::array<CWindow_settings, kStoredPanels>& records);
    // Puts the loaded records onto the ten panels (creating missing ones hidden), refreshes their
    // controls and gives them their titles.
    void RestorePlacements(std::array<CWindow_settings, kStoredPanels>& records);

private:
    wxWindow* m_pParent;
    CSoundIn& m_engine;
    std::array<CGeneratorDlg*, kPanels> m_panels{};
    std::array<std::shared_ptr<CPlacedWindow>, kPanels> m_placed;
};
