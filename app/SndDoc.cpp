#include "app/SndDoc.h"

#include "view/SndView.h"

#include "view/EngineDisplayObjects.h"

#include "engine/SoundIn.h"
#include "platform/Archive.h"
#include "platform/FileReplace.h"

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

CSndDoc::CSndDoc(CSoundIn& engine) : m_engine(engine)
{
    // The engine block carries the engine's display records: presets, scheme, styles, channels.
    GetEngineDisplayObjects().Attach(engine);
}

int CSndDoc::CountViewSettings() const
{
    int count = 0;
    for (const auto& settings : m_viewSettings)
        count += settings != nullptr ? 1 : 0;
    return count;
}

void CSndDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        Store(ar);
    else
        Load(ar);
}

void CSndDoc::Store(CArchive& ar)
{
    ar << kSignature;
    ar << m_mainWindowRect.left << m_mainWindowRect.top << m_mainWindowRect.right << m_mainWindowRect.bottom;
    ar << static_cast<std::int32_t>(kGeneratorWindows);
    for (CWindow_settings& window : m_generatorWindows)
        window.Serialize(ar);
    m_engine.Serialize(ar);
    // The count is the number of records that follow, so a reader never runs out of step.
    // Each window's parameter windows go into its slot first.
    for (auto& settings : m_viewSettings)
        if (settings != nullptr && settings->m_pOwnerView != nullptr)
            static_cast<CSndView*>(settings->m_pOwnerView)->SaveParamViews();
    ar << static_cast<std::int32_t>(CountViewSettings());
    for (auto& settings : m_viewSettings)
        if (settings != nullptr)
            settings->Serialize(ar);
}

void CSndDoc::Load(CArchive& ar)
{
    std::int32_t signature = 0;
    ar >> signature;
    if (signature != kSignature)
        throw platform::ArchiveError(platform::ArchiveCause::BadIndex, kUnsupportedMessage);

    WindowRect rect;
    ar >> rect.left >> rect.top >> rect.right >> rect.bottom;
    std::int32_t generatorCount = 0;
    ar >> generatorCount;
    if (generatorCount < 0)
        throw platform::ArchiveError(platform::ArchiveCause::Malformed, "negative generator window count");
    // Records beyond the ten generator windows are not read: the writer never stores more.
    const int generatorRecords = std::min<int>(generatorCount, kGeneratorWindows);
    std::array<CWindow_settings, kGeneratorWindows> generators = m_generatorWindows;
    for (int i = 0; i < generatorRecords; ++i)
        generators[static_cast<std::size_t>(i)].Serialize(ar);

    // The engine takes a block only when it was read whole; if a later part of the file fails,
    // it goes back to the settings it had.
    CArchive engineBefore;
    m_engine.Serialize(engineBefore);
    m_engine.Serialize(ar);
    try
    {
        std::int32_t viewCount = 0;
        ar >> viewCount;
        if (viewCount < 0 || viewCount > kMaxViews)
            throw platform::ArchiveError(platform::ArchiveCause::Malformed, "window count out of range");
        std::vector<std::unique_ptr<CViewSettings>> views;
        views.reserve(static_cast<std::size_t>(viewCount));
        for (int i = 0; i < viewCount; ++i)
        {
            auto settings = std::make_unique<CViewSettings>();
            settings->Serialize(ar);
            views.push_back(std::move(settings));
        }

        m_mainWindowRect = rect;
        m_generatorWindows = generators;
        for (std::size_t i = 0; i < views.size(); ++i)
            m_viewSettings[i] = std::move(views[i]);
        m_nLoadedWindowCount = viewCount;
        // Generators 0..9 take their records only now that the whole file has been read.
        m_engine.ApplyStoredGenerators();
    }
    catch (...)
    {
        CArchive restore{std::span<const std::uint8_t>(engineBefore.Buffer())};
        m_engine.Serialize(restore);
        throw;
    }
}

void CSndDoc::TakeWorkspace(CSndDoc& loaded)
{
    m_mainWindowRect = loaded.m_mainWindowRect;
    m_generatorWindows = loaded.m_generatorWindows;
    for (std::size_t i = 0; i < m_viewSettings.size(); ++i)
        m_viewSettings[i] = std::move(loaded.m_viewSettings[i]);
    m_nLoadedWindowCount = loaded.m_nLoadedWindowCount;
    m_nInitialisedViews = 0;
}

bool CSndDoc::SaveWorkspace(const std::filesystem::path& path)
{
    try
    {
        CArchive ar;
        // The engine block asks the generator program to save its settings next to this file.
        m_engine.m_workspacePath = path;
        struct ClearPath
        {
            CSoundIn& engine;
            ~ClearPath() { engine.m_workspacePath.clear(); }
        } clearPath{m_engine};
        Serialize(ar);
        const auto& bytes = ar.Buffer();
        if (!platform::ReplaceFileAtomically(
                path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
        {
            m_strLastError = platform::IsReadOnlyFile(path)
                                 ? "The workspace " + path.string() + " is read-only; it was not replaced."
                                 : "The workspace could not be written to " + path.string();
            return false;
        }
    }
    catch (const platform::ArchiveError& error)
    {
        m_strLastError = error.what();
        return false;
    }
    return true;
}

bool CSndDoc::LoadWorkspace(const std::filesystem::path& path)
{
    std::string bytes;
    const platform::ReadFileStatus status = platform::ReadRegularFile(path, bytes, kMaxWorkspaceBytes);
    if (status != platform::ReadFileStatus::Read)
    {
        m_strLastError = "The workspace " + platform::DescribeReadFailure(status, path, kMaxWorkspaceBytes);
        return false;
    }
    m_engine.StopInput();
    try
    {
        CArchive ar{
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())};
        Serialize(ar);
    }
    catch (const platform::ArchiveError& error)
    {
        m_strLastError = error.Cause() == platform::ArchiveCause::BadIndex
                             ? kUnsupportedMessage
                             : "The workspace " + path.string() + " is damaged: " + error.what();
        return false;
    }
    // Only a workspace that loaded whole asks the generator program for the settings it saved
    // with it; the program is started when it ran then.
    m_engine.m_workspacePath = path;
    m_engine.RequestGeneratorProgram(kGenCommandLoadFile, m_engine.m_stored.generatorProgramRunning == 1);
    m_engine.m_workspacePath.clear();
    return true;
}

int CSndDoc::EnsureViewCount(int count, bool send)
{
    const int wanted = std::min(count, kMaxViews);
    if (!m_newWindow)
        return 0;
    for (int existing = static_cast<int>(GetViews().size()); existing < wanted; ++existing)
        m_newWindow(send);
    return 0;
}

CSndView* CSndDoc::FindView(int index) const
{
    for (CSndView* view : GetViews())
        if (view->GetViewIndex() == index)
            return view;
    return nullptr;
}
