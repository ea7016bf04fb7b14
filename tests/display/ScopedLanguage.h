// Makes a language current for the lifetime of the object without reading or writing the stored
// choice, and lets the next lookup find the stored one again afterwards.
#pragma once

#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"

namespace displaytest
{

class ScopedLanguage
{
public:
    explicit ScopedLanguage(int code)
    {
        g_nLanguage = code;
        g_bLanguageCached = 1;
    }
    ~ScopedLanguage()
    {
        g_bLanguageCached = 0;
        g_nLanguage = LANGUAGE_ENGLISH;
    }
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;
};

}  // namespace displaytest
