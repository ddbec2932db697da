#pragma once
// Runs a built program in a child of its own for a benchmark, so that its
// processor time and peak memory are its alone.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

struct RunResult {
    std::string out;
    double wall = 0, cpu = 0;
    long maxRssKb = 0;
};

// Runs argv (a program's full path first); its standard output comes back.
inline RunResult Run(const std::vector<std::string>& argv)
{
    RunResult r;
    int pipeFd[2];
    if (pipe(pipeFd) != 0)
        return r;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], 1);
        close(pipeFd[0]);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeFd[1]);
    char buf[65536];
    for (ssize_t got; (got = read(pipeFd[0], buf, sizeof buf)) > 0;)
        r.out.append(buf, size_t(got));
    close(pipeFd[0]);
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    r.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    r.cpu = double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
    r.maxRssKb = u.ru_maxrss;
    return r;
}

