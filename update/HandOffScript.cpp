#include "update/HandOffScript.h"

namespace {

// The kernel keeps at most this many bytes of a process name.
constexpr std::size_t kProcessNameBytes = 15;

std::string BatchEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '%')
            out += '%';
    }
    return out;
}

} // namespace

std::string BatchHandOffScript(const std::string& programName, const std::string& installerPath)
{
    const std::string name = BatchEscaped(programName);
    const std::string installer = BatchEscaped(installerPath);
    const char* const lines[] = {
        "@echo off",
        ":LOOP",
        nullptr, // tasklist
        "set /p num= < update.tmp",
        "del /F update.tmp",
        "if \"%num%\" == \"0\" (",
        nullptr, // start
        "goto END",
        ")",
        "choice /D y /t 1",
        "goto LOOP",
        ":END",
        "::del %0",
        "exit",
    };
    std::string script;
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        if (i > 0)
            script += "\r\n";
        if (i == 2)
            script += "tasklist /FI \"IMAGENAME eq " + name + "\" | find /C \"" + name + "\" > update.tmp";
        else if (i == 6)
            script += "start \"\" \"" + installer + "\"";
        else
            script += lines[i];
    }
    return script;
}

std::string ShellQuoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string ShellHandOffScript(const std::string& programName, const std::string& installerPath)
{
    const std::string name = programName.substr(0, kProcessNameBytes);
    return "#!/bin/sh\n"
           "# Starts the installer once no process of the client runs any more.\n"
           "name="
        + ShellQuoted(name)
        + "\n"
          "installer="
        + ShellQuoted(installerPath)
        + "\n"
          "while :; do\n"
          "  running=0\n"
          "  for stat in /proc/[0-9]*/stat; do\n"
          "    line=\n"
          "    read -r line 2>/dev/null < \"$stat\" || continue\n"
          "    comm=${line#*\\(}\n"
          "    comm=${comm%\\)*}\n"
          "    state=${line##*\\) }\n"
          "    state=${state%% *}\n"
          "    if [ \"$comm\" = \"$name\" ] && [ \"$state\" != Z ] && [ \"$state\" != X ]; then\n"
          "      running=1\n"
          "      break\n"
          "    fi\n"
          "  done\n"
          "  if [ \"$running\" = 0 ]; then\n"
          "    \"$installer\" </dev/null >/dev/null 2>&1 &\n"
          "    exit 0\n"
          "  fi\n"
          "  sleep 1\n"
          "done\n";
}
