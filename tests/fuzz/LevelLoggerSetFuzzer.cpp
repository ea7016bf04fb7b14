// The level logger's data-set reader on arbitrary INI bytes, with a fixed companion beside it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "applications/LevelLogger.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string folder = [] {
        const std::filesystem::path path = std::filesystem::temp_directory_path() / "level_logger_fuzz";
        std::filesystem::create_directories(path);
        std::ofstream(path / "c.bin", std::ios::binary) << std::string(4096, '\x3F');
        return path.string();
    }();
    CLevelLogger logger;
    logger.m_startWriterThread = false;
    logger.m_journalOn = false;
    std::string reason;
    if (logger.ReadDataBytes(folder + "/set.ini", std::string_view(reinterpret_cast<const char*>(data), size), "",
                             &reason))
    {
        CFloatMatrix matrix;
        for (int quantity = 0; quantity < 8; ++quantity)
            logger.FillTimeSeries(matrix, quantity, 1, -1, -1, -1);
        logger.SumBlockSamples(-1, -1);
    }
    return 0;
}
