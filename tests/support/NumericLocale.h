// Switches the process's LC_NUMERIC to a decimal-comma locale for one test and back to "C"
// afterwards, to show that a text or file does not follow the user's locale.
#pragma once

#include <clocale>

namespace testsupport
{

class DecimalCommaLocale
{
public:
    DecimalCommaLocale() : m_active(std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {}
    ~DecimalCommaLocale() { std::setlocale(LC_NUMERIC, "C"); }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    // False when the locale is not installed; the test should then skip.
    bool Active() const { return m_active; }

private:
    bool m_active;
};

}  // namespace testsupport
