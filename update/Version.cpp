#include "update/Version.h"

#include <string>

#include "app/BuildConfig.h"
#include "net/NumberText.h"

std::int64_t VersionNumberOf(int major, int minor, int build, int revision)
{
    const std::wstring digits = IntToWide(major) + IntToWide(minor) + IntToWide(build) + IntToWide(revision);
    return WideToInt64(digits);
}

std::int64_t ProgramVersionNumber()
{
    using namespace korvana::build;
    return VersionNumberOf(kVersionMajor, kVersionMinor, kVersionPatch, kVersionBuild);
}
