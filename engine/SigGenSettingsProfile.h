// The free filter's design keys in the generator program's INI configuration: "Stopband", "Order",
// "Prototype" (0 Butterworth, 1 Chebychev, 2 elliptic), "Frequency low", "Frequency high",
// "Passband ripple", "Cascade" and "Enable", in this order. Reading keeps what a key does not give.
#pragma once

#include "dsp/DesignedFilter.h"

#include <string>
#include <string_view>

bool WriteFilterDesignProfile(const std::string& file, std::string_view section,
                              const CDesignedFilterSettings& filter);
void ReadFilterDesignProfile(const std::string& file, std::string_view section,
                             CDesignedFilterSettings& filter);
