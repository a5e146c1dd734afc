#pragma once

#include <string>

// Where every service call goes: the compiled-in host and port, unless a test
// has pointed the client at another service in-process.
const std::string& ServiceHost();
long ServicePort();

// Points later requests at another service. Safe against concurrent readers;
// meant to be called before tasks start (tests do it in their fixtures).
void SetServiceAddress(std::string host, long port);
