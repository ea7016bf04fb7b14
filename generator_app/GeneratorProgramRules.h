// Switches the shared code to the generator program's behaviour; Pulvera's main calls it first.
#pragma once

void UseGeneratorProgramRules();
