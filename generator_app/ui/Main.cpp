// Pulvera: the stand-alone signal generator. Its shared code runs with the generator program's
// rules (wave files without calibration chunks, filter responses at the full rate).
#include "generator_app/GeneratorProgramRules.h"
#include "generator_app/ui/GeneratorApp.h"

wxIMPLEMENT_APP_NO_MAIN(CGeneratorApp);

int main(int argc, char** argv)
{
    UseGeneratorProgramRules();
    return wxEntry(argc, argv);
}
