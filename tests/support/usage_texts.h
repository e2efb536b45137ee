// The usage texts of both programs, written out once for every test that
// checks them: "-V"/"-VC" in version.txt, "--help" and a wrong fenra command
// line. The version numbers come from the generated version.h, which
// usage_texts.cpp includes so that the process tests, whose helper is named
// morvel(), do not see the namespace morvel.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

// "Morvel VCL Version <version>" and "fenra C++ Version <version>".
std::string morvelVersionLine();
std::string fenraVersionLine();

// Morvel's usage: LF lines on standard output, CR LF lines in version.txt.
std::string morvelUsage(bool commented, std::string_view lineEnd = "\n");
std::string fenraUsage(bool commented);

}  // namespace testing_support
