#pragma once
// The benchmarks' memory figure.
#include <cstdio>

// VmRSS of this process in MB, -1 where it cannot be read.
inline double ResidentMegabytes()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    double kb = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmRSS: %lf kB", &kb) == 1)
            break;
    }
    std::fclose(status);
    return kb / 1024;
}
