// Start-up of BRD under Wine against a minimal Win32 program, in one run:
//   player_bench startup BRD.EXE MINIMAL.EXE RUNS
// the time from process start to the first painted frame of each program
// (its window visible with nothing left to paint), median of RUNS.
// (Wine keeps no processor times of other processes; scripts/player-benchmarks
// reads those from /proc.)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

struct Started {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    double t0 = 0;       // when it was started
    double seconds = 0;  // until the first frame was painted
};

// The program's top-level window of the given class, once shown and painted.
HWND PaintedWindow(DWORD process_id, const char* class_name) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, class_name, nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        RECT pending;
        if (owner == process_id && IsWindowVisible(window) && !GetUpdateRect(window, &pending, FALSE))
            return window;
    }
    return nullptr;
}

Started Start(const std::string& command_line, const char* class_name) {
    Started s;
    STARTUPINFOA info{};
    info.cb = sizeof info;
    std::string line = command_line;
    const double t0 = s.t0 = Now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &info, &s.process)) {
        std::fprintf(stderr, "cannot start %s\n", command_line.c_str());
        std::exit(1);
    }
    while (!(s.window = PaintedWindow(s.process.dwProcessId, class_name))) {
        if (WaitForSingleObject(s.process.hProcess, 1) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "%s ended before it painted\n", command_line.c_str());
            std::exit(1);
        }
        if (Now() - t0 > 60) {
            std::fprintf(stderr, "%s showed no window\n", command_line.c_str());
            std::exit(1);
        }
    }
    s.seconds = Now() - t0;
    return s;
}

void Close(Started& s) {
    PostMessageA(s.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(s.process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(s.process.hProcess, 1);
    CloseHandle(s.process.hProcess);
    CloseHandle(s.process.hThread);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// BRD's start-up steps as it traced them: each step's name and when it
// ended, in seconds since the process was started.
using Steps = std::vector<std::pair<std::string, double>>;

Steps ReadSteps(const char* path, const Started& s) {
    Steps steps;
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    if (FILE* file = std::fopen(path, "r")) {
        char name[64];
        long long count = 0;
        while (std::fscanf(file, "%63[^0-9] %lld\n", name, &count) == 2) {
            std::string step = name;
            step.pop_back();  // the space before the count
            steps.emplace_back(step, static_cast<double>(count) / static_cast<double>(f.QuadPart) - s.t0);
        }
        std::fclose(file);
    }
    return steps;
}

int StartupBench(const char* brd, const char* minimal, int runs) {
    std::vector<double> brd_times, minimal_times;
    std::vector<Steps> traces;
    char trace[MAX_PATH];
    GetTempPathA(sizeof trace, trace);
    std::strcat(trace, "brd-startup-trace.txt");
    for (int i = 0; i < runs; ++i) {  // alternated, so both see the same machine
        Started m = Start(std::string("\"") + minimal + "\"", "BrdBenchMinimal");
        minimal_times.push_back(m.seconds);
        Close(m);
        SetEnvironmentVariableA("BRD_STARTUP_TRACE", trace);
        Started b = Start(std::string("\"") + brd + "\"", "BRD");
        SetEnvironmentVariableA("BRD_STARTUP_TRACE", nullptr);
        brd_times.push_back(b.seconds);
        Close(b);
        traces.push_back(ReadSteps(trace, b));
    }
    DeleteFileA(trace);
    const double mb = Median(brd_times), mm = Median(minimal_times);
    std::printf("start-up to first painted frame  BRD %.0f ms  minimal window %.0f ms  ratio %.2f\n",
                mb * 1000, mm * 1000, mb / mm);
    std::printf("BRD's start-up steps (medians): ended at ms, took ms\n");
    double last = 0;
    bool painted = false;
    for (size_t k = 0; k < traces.front().size(); ++k) {
        std::vector<double> times;
        for (const Steps& t : traces)
            if (k < t.size()) times.push_back(t[k].second);
        const double at = Median(times);
        if (!painted && at > mb) {
            std::printf("  %-22s %6.1f  (first painted frame)\n", "", mb * 1000);
            painted = true;
        }
        std::printf("  %-22s %6.1f %6.1f\n", traces.front()[k].first.c_str(), at * 1000, (at - last) * 1000);
        last = at;
    }
    if (!painted) std::printf("  %-22s %6.1f  (first painted frame)\n", "", mb * 1000);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::string(argv[1]) == "startup") return StartupBench(argv[2], argv[3], std::atoi(argv[4]));
    std::fprintf(stderr, "usage: player_bench startup BRD.EXE MINIMAL.EXE RUNS\n");
    return 2;
}
