// The long texts: prompts of the measurement wizards and a few file messages, kept under small
// text ids below TEXT_ID_FIRST, with bodies in English, German and Italian.
#pragma once

#include <string>

namespace texts
{

// The body of a long text: German for language 1, Italian for 2, English for every other code.
// Empty for an id that is not a long text.
std::string LongText(int id, int language);

}  // namespace texts
