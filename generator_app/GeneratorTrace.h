// A line for the test that drives the program: appended to the file named by TESSARIN_TEST_TRACE
// when it is set, nothing otherwise.
#pragma once

#include <string>

void GeneratorTrace(const std::string& line);
