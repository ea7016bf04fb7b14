// A stand-in for the USB bridge library of the external generator instrument: it records every call
// it receives (and the notes the test adds, such as its waits) in one log that the test reads.
// TEST_BRIDGE_PARTIAL builds a library with only the write entry point.
#include <string>
#include <vector>

namespace
{

std::vector<std::string>& Log()
{
    static std::vector<std::string> log;
    return log;
}

}  // namespace

extern "C"
{
    __attribute__((visibility("default"))) const std::vector<std::string>* TestBridgeLog()
    {
        return &Log();
    }

    __attribute__((visibility("default"))) void TestBridgeNote(const char* text)
    {
        Log().emplace_back(text);
    }

    __attribute__((visibility("default"))) int CH375WriteData(unsigned int index, void* buffer,
                                                              unsigned int* length)
    {
        Log().push_back("write " + std::to_string(index) + " " + std::to_string(*length) + " " +
                        std::string(static_cast<const char*>(buffer), *length));
        return 7;
    }

#ifndef TEST_BRIDGE_PARTIAL
    __attribute__((visibility("default"))) int CH375ReadData(unsigned int index, void*, unsigned int*)
    {
        Log().push_back("read " + std::to_string(index));
        return 0;
    }

    __attribute__((visibility("default"))) int CH375ResetDevice(unsigned int index)
    {
        Log().push_back("reset " + std::to_string(index));
        return 1;
    }

    __attribute__((visibility("default"))) void* CH375OpenDevice(unsigned int index)
    {
        Log().push_back("open " + std::to_string(index));
        return nullptr;
    }

    __attribute__((visibility("default"))) void CH375CloseDevice(unsigned int index)
    {
        Log().push_back("close " + std::to_string(index));
    }
#endif
}
