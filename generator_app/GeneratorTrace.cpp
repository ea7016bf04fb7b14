#include "generator_app/GeneratorTrace.h"

#include <cstdio>
#include <cstdlib>

void GeneratorTrace(const std::string& line)
{
    const char* path = std::getenv("TESSARIN_TEST_TRACE");
    if (path == nullptr || *path == '\0')
        return;
    if (std::FILE* file = std::fopen(path, "a"))
    {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}
