// A JACK server of its own for a test: `jackd --no-realtime -n <unique> -d dummy -r <rate>`, with
// JACK_DEFAULT_SERVER pointing every client of this process at it. Start returns false (with the
// reason) when jackd is missing or does not come up; tests then skip.
#pragma once

#include <string>

#include <sys/types.h>

class JackServer
{
public:
    JackServer() = default;
    ~JackServer();
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    bool Start(int sampleRate = 48000, int period = 256);
    void Stop();
    const std::string& Name() const { return m_name; }
    const std::string& Error() const { return m_error; }

private:
    pid_t m_pid = -1;
    std::string m_name;
    std::string m_error;
};
