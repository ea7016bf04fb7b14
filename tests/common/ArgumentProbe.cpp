// A program of the shell tests: writes its working folder and then each argument on a line of its
// own to the file named by ARGUMENT_PROBE_OUT (through a temporary file, so that a reader never
// sees half of it), then ends.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const char* out = std::getenv("ARGUMENT_PROBE_OUT");
    if (!out)
        return 2;
    const std::string temporary = std::string(out) + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (!file)
        return 3;
    char folder[4096] = {};
    if (!::getcwd(folder, sizeof folder))
        folder[0] = '\0';
    std::fprintf(file, "%s\n", folder);
    for (int i = 1; i < argc; ++i)
        std::fprintf(file, "%s\n", argv[i]);
    std::fclose(file);
    return std::rename(temporary.c_str(), out) == 0 ? 0 : 4;
}
