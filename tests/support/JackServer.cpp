#include "tests/support/JackServer.h"

#include <jack/jack.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

JackServer::~JackServer()
{
    Stop();
}

bool JackServer::Start(int sampleRate, int period)
{
    static int serial = 0;
    m_name = "tessarin_test_" + std::to_string(getpid()) + "_" + std::to_string(++serial);
    const std::string rate = std::to_string(sampleRate);
    const std::string frames = std::to_string(period);
    std::vector<std::string> args = {"jackd", "--no-realtime", "-n", m_name, "-d", "dummy", "-r", rate,
                                     "-p",    frames};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&m_pid, "jackd", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
    {
        m_pid = -1;
        m_error = "jackd cannot be started (is the jackd2 package installed?)";
        return false;
    }
    setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline)
    {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid)
        {
            m_pid = -1;
            m_error = "jackd exited at once";
            return false;
        }
        jack_status_t jackStatus{};
        if (jack_client_t* probe = jack_client_open("probe", JackNoStartServer, &jackStatus))
        {
            jack_client_close(probe);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_error = "jackd did not come up within 10 s";
    Stop();
    return false;
}

void JackServer::Stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i)
    {
        if (waitpid(m_pid, &status, WNOHANG) == m_pid)
        {
            m_pid = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (m_pid > 0)
    {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    unsetenv("JACK_DEFAULT_SERVER");
}
