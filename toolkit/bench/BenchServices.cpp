// Benchmark: how fast the services file is read. Writes a 20,000-line services file, times
// `wc -l` on it and then CServicesParser on it, and prints both rates. Not a test: it asserts
// nothing. Built without sanitizers and with optimisation.
//   bench_services [file]      (default: bench_services.txt in the current directory)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "toolkit/ServicesParser.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLines = 20000;
constexpr int kRounds = 15;

// A file shaped like a real one: comments, aliases, tcp and udp pairs, blank lines.
long WriteServicesFile(const char* path)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return -1;
    for (int i = 0; i < kLines; ++i) {
        const unsigned port = 1 + static_cast<unsigned>(i) % 65535;
        if (i % 20 == 0)
            std::fprintf(file, "# Services %d to %d, as assigned\n", i, i + 19);
        else if (i % 20 == 10)
            std::fprintf(file, "\n");
        else if (i % 2)
            std::fprintf(file, "service-%05d   %u/tcp    svc%d alias-%d   # the service %d\n", i, port, i, i, i);
        else
            std::fprintf(file, "service-%05d   %u/udp\n", i, port);
    }
    const long size = std::ftell(file);
    std::fclose(file);
    return size;
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "bench_services.txt";
    const long size = WriteServicesFile(path);
    if (size <= 0) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    const double megabytes = static_cast<double>(size) / 1e6;

    std::vector<double> wcTimes;
    std::string wcOutput;
    const std::string command = std::string("wc -l '") + path + "'";
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        std::FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            break;
        char buffer[256];
        std::string output;
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
        wcTimes.push_back(Seconds(Clock::now() - start));
        wcOutput = output;
    }

    std::vector<double> parseTimes;
    std::size_t entries = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        CServicesParser parser(path);
        parseTimes.push_back(Seconds(Clock::now() - start));
        entries = 0;
        for (const CServicesParser::Entry* e = parser.Entries(); e; e = e->next)
            ++entries;
    }

    std::printf("services file: %s, %ld bytes, %d lines (services, comments, blank lines)\n", path, size, kLines);
    std::printf("CServicesParser: %zu entries; best %.3f ms (%.1f MB/s), median %.3f ms (%.1f MB/s), %d rounds\n",
                entries, *std::min_element(parseTimes.begin(), parseTimes.end()) * 1e3,
                megabytes / *std::min_element(parseTimes.begin(), parseTimes.end()),
                Median(parseTimes) * 1e3, megabytes / Median(parseTimes), kRounds);
    if (!wcTimes.empty()) {
        std::printf("wc -l: %s", wcOutput.c_str());
        std::printf("wc -l: best %.3f ms (%.1f MB/s), median %.3f ms (%.1f MB/s), process start included\n",
                    *std::min_element(wcTimes.begin(), wcTimes.end()) * 1e3,
                    megabytes / *std::min_element(wcTimes.begin(), wcTimes.end()), Median(wcTimes) * 1e3,
                    megabytes / Median(wcTimes));
    } else {
        std::printf("wc -l: could not be started\n");
    }
    std::remove(path);
    return 0;
}
