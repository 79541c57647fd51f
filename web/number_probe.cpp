// rivo-number-probe: the number check of the desktop build, for the web tests to compare with
// the WebAssembly module's. Reads requests from standard input, one a line, and writes the
// answers (web/number_check.h).
#include <iostream>
#include <iterator>
#include <string>

#include "web/number_check.h"

int main() {
    const std::string requests{std::istreambuf_iterator<char>(std::cin),
                               std::istreambuf_iterator<char>()};
    std::cout << rivo::web::CheckNumbers(requests);
    return std::cout ? 0 : 1;
}
