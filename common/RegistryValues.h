// Typed access to registry values: strings as text, integers as dwords, doubles as text in exponent
// form ("%e"). The caller opens and closes the key. Reads never fail towards the caller (a missing
// or unfitting value gives the default); writes report failure.
#pragma once

#include <span>
#include <string_view>

#include "platform/Registry.h"

// The failure code of the writes (the reads always return 0).
inline constexpr int E_FAIL = static_cast<int>(0x80004005u);

// Copies the string value, with its terminator, into the buffer; when there is no such string or it
// does not fit, the default text (cut to fit, never inside a character) instead. Returns 0.
int ReadRegString(const platform::RegistryKey& key, std::string_view valueName, std::span<char> buffer,
                  std::string_view defaultText);
// Returns 0, or E_FAIL when the value could not be written.
int WriteRegString(const platform::RegistryKey& key, std::string_view valueName, std::string_view text);

// Stores the dword value in *value, or the default when there is none. Returns 0.
int ReadRegDword(const platform::RegistryKey& key, std::string_view valueName, int* value, int defaultValue);
int WriteRegDword(const platform::RegistryKey& key, std::string_view valueName, int value);

// Stores the number held as text in *value (0.0 for text without a number), or the default when there
// is no such text. Returns 0.
int ReadRegDouble(const platform::RegistryKey& key, std::string_view valueName, double* value,
                  double defaultValue);
int WriteRegDouble(const platform::RegistryKey& key, std::string_view valueName, double value);
