// Feeds arbitrary bytes to the loader of the engine block of a workspace. Only the archive's own
// exception may come out; a refused block must leave the engine's settings as they were, and a
// block that loads must store and load again to the same bytes. The display records that the
// block carries for the windows are part of it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "PrivateHome.h"
#include "engine/SoundIn.h"
#include "platform/Archive.h"
#include "view/EngineDisplayObjects.h"

namespace
{

std::vector<std::uint8_t> Store(CSoundIn& engine)
{
    CArchive ar;
    engine.Serialize(ar);
    return ar.Buffer();
}

}  // namespace

// The block writes the suite's registry store: keep it in a folder of its own.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    UsePrivateHome("tessarin-engine-block-fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CSoundIn engine;
    // The block's display records (presets, scheme, styles, channel records) are loaded too.
    static const bool attached = (GetEngineDisplayObjects().Attach(engine), true);
    (void)attached;
    static const std::vector<std::uint8_t> defaults = Store(engine);
    {
        // Every input starts from the default settings.
        CArchive reset{std::span<const std::uint8_t>(defaults)};
        engine.Serialize(reset);
    }
    try
    {
        CArchive in(std::span<const std::uint8_t>(data, size));
        engine.Serialize(in);
    }
    catch (const platform::ArchiveError&)
    {
        if (Store(engine) != defaults)
            std::abort();
        return 0;
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "unexpected exception: %s\n", error.what());
        std::abort();
    }
    const auto first = Store(engine);
    CArchive reload{std::span<const std::uint8_t>(first)};
    engine.Serialize(reload);  // must not throw: what was stored loads
    if (Store(engine) != first)
        std::abort();
    return 0;
}
