// dsp_generate_tables SOURCE_ROOT: rewrites the generated coefficient tables under SOURCE_ROOT/dsp.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "dsp/generator/TableGenerator.h"

namespace
{

bool WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s SOURCE_ROOT\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dsp = std::filesystem::path(argv[1]) / "dsp";
    if (!WriteText(dsp / "BandFilterTables.cpp", brevikgen::GenerateBandFilterTables()) ||
        !WriteText(dsp / "FixedFilterTables.cpp", brevikgen::GenerateFixedFilterTables()))
    {
        std::fprintf(stderr, "cannot write the tables under %s\n", dsp.c_str());
        return 1;
    }
    return 0;
}
